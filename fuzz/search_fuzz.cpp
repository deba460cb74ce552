// The searches and the one-pass edits built on them, against plain ones: any data, any needles,
// every occurrence, and edits whose later signatures may be written by earlier ones, read in
// chunks of any size through either block comparison.
//
// Input: a flags byte, then up to twelve needles (more than the wide search has buckets), each a
// length byte (0 to 15) and its bytes, then the data. Flag 1 takes the basic block comparison
// instead of the wide one, flag 2 stops the edits at the first miss, and the upper six bits
// choose the chunk size.

#include <string.h>

#include <algorithm>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "check.h"
#include "patch/search.h"
#include "patch/target_pass.h"

using namespace korrin;

namespace {

// The standard library's own search, which shares nothing with the code under test (and, unlike
// memmem, is there on every system).
std::size_t PlainFind(std::string_view data, std::string_view needle, std::size_t from = 0) {
    if (needle.empty() || from >= data.size()) return patch::kNotFound;
    const std::size_t at = data.find(needle, from);
    return at == std::string_view::npos ? patch::kNotFound : at;
}

class InMemory final : public platform::ReadableFile {
  public:
    explicit InMemory(std::string_view bytes) : bytes_(bytes) {}
    Status ReadAt(std::uint64_t offset, char* out, std::size_t size, std::size_t* got) override {
        const std::string_view part =
            bytes_.substr(std::min<std::size_t>(offset, bytes_.size()), size);
        std::copy(part.begin(), part.end(), out);
        *got = part.size();
        return Status::Ok();
    }

  private:
    std::string_view bytes_;
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* bytes, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(bytes), size);
    if (input.empty()) return 0;
    const unsigned flags = static_cast<unsigned char>(input[0]);
    std::string_view rest = input.substr(1);
    std::vector<std::string> needles;
    while (needles.size() < 12 && !rest.empty()) {
        const std::size_t length = static_cast<unsigned char>(rest[0]) % 16;
        needles.emplace_back(rest.substr(1, length));
        rest.remove_prefix(std::min(rest.size(), 1 + length));
    }
    const std::string_view data = rest;
    patch::ForceSearchPath(flags & 1 ? patch::SearchPath::kBasic : patch::SearchPath::kWide);
    patch::TargetPass::SetChunkSizeForTests(1 + (flags >> 2) * 3);

    // The edits: needle i is the signature and needle i + 1 the bytes written after it, so
    // that a later signature may be what an earlier edit wrote.
    std::vector<patch::Edit> edits;
    for (std::size_t i = 0; i < needles.size(); ++i) {
        edits.push_back({needles[i], needles[(i + 1) % needles.size()]});
    }
    const bool stopAtMiss = (flags & 2) != 0;
    InMemory file(data);
    patch::TargetPass pass(file, data.size());
    const std::size_t list = pass.AddEdits(edits, stopAtMiss);
    constexpr std::size_t kOffsetLimit = 4;
    std::vector<std::size_t> counts;
    for (const std::string& needle : needles) counts.push_back(pass.AddCount(needle, kOffsetLimit));
    KORRIN_FUZZ_CHECK(pass.Run().ok(), input);

    for (std::size_t i = 0; i < needles.size(); ++i) {
        KORRIN_FUZZ_CHECK(patch::FindFirst(data, needles[i]) == PlainFind(data, needles[i]), input);
        std::vector<std::uint64_t> offsets;
        std::uint64_t count = 0;
        for (std::size_t at = PlainFind(data, needles[i]); at != patch::kNotFound;
             at = PlainFind(data, needles[i], at + 1)) {
            if (offsets.size() < kOffsetLimit) offsets.push_back(at);
            ++count;
        }
        KORRIN_FUZZ_CHECK(pass.occurrences(counts[i]).count == count, input);
        KORRIN_FUZZ_CHECK(pass.occurrences(counts[i]).offsets == offsets, input);
    }

    // Each signature searched from the start of what the earlier edits left.
    std::string model(data);
    std::vector<int> expected;
    for (const patch::Edit& edit : edits) {
        const std::size_t found = PlainFind(model, edit.signature);
        const std::size_t at = found + edit.signature.size();
        const bool hit = found != patch::kNotFound && (edit.newBytes.empty() || at < model.size());
        for (std::size_t k = 0; hit && k < edit.newBytes.size() && at + k < model.size(); ++k) {
            model[at + k] = edit.newBytes[k];
        }
        expected.push_back(hit ? 1 : 0);
        if (stopAtMiss && !hit) break;
    }
    const patch::EditOutcome& out = pass.edits(list);
    KORRIN_FUZZ_CHECK(out.statuses == expected, input);
    std::string after(data);
    for (const patch::Change& c : out.changes) after.replace(c.at, c.after.size(), c.after);
    KORRIN_FUZZ_CHECK(after == model, input);
    return 0;
}
