#pragma once

// One pass over a target file of any size through one reused buffer of a few MiB: lists of
// edits searched as if one after another, and signatures counted, all at once.
//
// An edit list means exactly what patching the whole file in memory edit by edit would: each
// signature's first occurrence is looked for in the bytes the earlier edits of its list left,
// so it may lie in or across bytes they wrote, and an earlier write may spoil what would have
// been its first occurrence. The pass keeps that meaning while reading the file once: a
// signature's candidates are tested in the original bytes, and only positions whose bytes an
// earlier edit wrote are tested again with those writes laid over them.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "common/status.h"
#include "patch/bytes.h"
#include "platform/file_system.h"

namespace korrin::patch {

// One signature and the bytes to write right after its first occurrence.
struct Edit {
    Bytes signature;
    Bytes newBytes;
};

// Bytes an edit list changed: where, what stood there before the list was applied, and what
// stands there after it. Later changes may cover earlier ones.
struct Change {
    std::uint64_t at = 0;
    Bytes before;
    Bytes after;
};

// The outcome of an edit list. statuses[i] is 1 when edit i found its signature and wrote its
// bytes (or had none to write) and 0 when it did not: its signature does not occur, is empty,
// or ends at the last byte while there are bytes to write. Bytes past the end are dropped.
// With stopAtMiss the list ends at its first 0.
struct EditOutcome {
    std::vector<int> statuses;
    std::vector<Change> changes;  // in the order written
};

// Every occurrence of a signature, overlapping ones included, and the first few offsets.
struct Occurrences {
    std::uint64_t count = 0;
    std::vector<std::uint64_t> offsets;
};

class TargetPass {
  public:
    // size is the file's size as opened; the pass reads exactly that much.
    TargetPass(platform::ReadableFile& file, std::uint64_t size) : file_(file), size_(size) {}

    // Adds an edit list; returns its index for edits().
    std::size_t AddEdits(std::vector<Edit> edits, bool stopAtMiss);
    // Asks for every occurrence of signature, at most offsetLimit offsets listed; returns its
    // index for occurrences().
    std::size_t AddCount(Bytes signature, std::size_t offsetLimit);

    // Reads the file, stopping early once every edit list is settled and nothing is counted.
    // Fails when the file cannot be read or is shorter than size.
    Status Run();

    const EditOutcome& edits(std::size_t list) const { return lists_[list].outcome; }
    const Occurrences& occurrences(std::size_t count) const { return counts_[count].found; }

    // The bytes the pass reads at a time. Tests make it small, so that every border is crossed.
    static void SetChunkSizeForTests(std::size_t bytes);

  private:
    struct Write {
        std::uint64_t at;
        Bytes bytes;
    };
    struct List {
        std::vector<Edit> edits;
        bool stopAtMiss = false;
        std::vector<std::size_t> needle;  // per edit, in the search's needles
        std::vector<int> state;           // per edit: -1 open, else its status
        std::vector<Write> writes;        // per edit, empty when it wrote nothing
        EditOutcome outcome;
    };
    struct Count {
        std::size_t needle = 0;
        std::size_t limit = 0;
        Occurrences found;
    };

    std::size_t NeedleFor(const Bytes& signature);
    void Settle(List& list, std::string_view data, std::uint64_t base, std::uint64_t prevEnd,
                std::uint64_t end, const std::vector<std::size_t>& firsts);
    Status Finish();

    platform::ReadableFile& file_;
    std::uint64_t size_;
    std::vector<Bytes> needles_;
    std::vector<List> lists_;
    std::vector<Count> counts_;
};

}  // namespace korrin::patch
