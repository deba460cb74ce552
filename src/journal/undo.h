#pragma once

// Taking an Apply back: which recorded Applies a target still holds, and writing back what one
// of them found, through the same safe save as Apply, only where every byte it wrote is still
// there. Every front end calls these, so that the rules live here alone.

#include <cstddef>
#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "catalogue/definition.h"
#include "journal/journal.h"
#include "patch/apply.h"
#include "platform/file_system.h"

namespace korrin::journal {

// How much of what a record wrote the target holds now.
enum class Placement {
    kInPlace,      // every span holds what the record wrote
    kPartly,       // some spans do, others not
    kOverwritten,  // none does
};

struct HistoryEntry {
    std::size_t id = 0;  // the record's number in the journal, from 1; what undo is given
    Record record;
    Placement placement = Placement::kOverwritten;
    std::size_t undoneBy = 0;  // the undo that took it back and still stands; 0 for none
    std::size_t undoOf = 0;    // for an undo: the record it took back, when the journal has it
};

struct History {
    std::string target;                 // the target's full path, links followed
    std::vector<HistoryEntry> entries;  // newest first
};

// The records of the target at targetPath: those made for its path, and those made for a file
// of its size that is no longer where it was recorded (the target, moved). What each record
// wrote is compared with the target's bytes there, which only reads those bytes.
Status ReadHistory(platform::FileSystem& fs, const std::string& journalPath,
                   const std::string& targetPath, History* history);

// The newest Apply of history that has not been taken back, of the entry title from the
// definition file when those are given; 0 when there is none.
std::size_t LastApply(const History& history, const std::string* title = nullptr,
                      const std::string* file = nullptr);

// Why record id cannot be undone now, before any file is read; empty when nothing stands in
// the way but the bytes of the target. A newer Apply over the same bytes must go first.
std::string UndoBlocker(const History& history, std::size_t id);

// Messages are UTF-8 (titles and values, one byte per character in the journal, converted) and
// quote paths in the file system's own encoding.
struct UndoResult {
    bool undone = false;
    std::string message;  // what to tell the user; never empty
    // Whether the undo could be recorded: an undo that could not be is done all the same, but
    // cannot itself be undone.
    Status journal;
};

// Writes back what record id found, where every byte it wrote is still in the target at
// targetPath; otherwise changes nothing and says which offsets differ. The undo is recorded
// before the target is replaced, so that it can be undone in turn.
UndoResult Undo(platform::FileSystem& fs, const std::string& journalPath,
                const std::string& targetPath, std::size_t id);

// An Apply that can be undone now, and the question to ask before undoing it.
struct UndoOffer {
    std::size_t id = 0;
    std::string question;
};

// The newest Apply of entry title from definition file file on the target at targetPath that
// has not been taken back, when nothing stands in the way of undoing it: every byte it wrote
// is still there and no newer Apply changed the same bytes. None otherwise, and when the
// history cannot be read.
std::optional<UndoOffer> OfferUndo(platform::FileSystem& fs, const std::string& journalPath,
                                   const std::string& targetPath, const std::string& title,
                                   const std::string& file);

// A record's time in UTC, as people read it ("2026-12-06 15:40:12 UTC") or in the strftime
// format given.
std::string FormatTime(std::int64_t seconds, const char* format = "%Y-%m-%d %H:%M:%S UTC");

struct RecordedApply {
    patch::ApplyResult apply;
    bool recorded = false;  // a record was written; false too when the Apply changed nothing
    Status journal;         // why no record could be written, for an Apply that changed bytes
};

// What a record says of the value: the chosen option's caption, or the number or text.
std::string ValueLabel(const catalogue::DefinitionView& view, const patch::ApplyRequest& request);

// ApplyPatch, which records what it changed in the journal at journalPath before the target is
// replaced. A journal that cannot be written does not stop the Apply; journal then says why.
// whileWaiting is ApplyPatch's.
RecordedApply ApplyAndRecord(platform::FileSystem& fs, const std::string& journalPath,
                             const patch::ApplyRequest& request, const std::string& title,
                             const std::string& file, const std::string& value,
                             const std::function<void()>& whileWaiting = {});

}  // namespace korrin::journal
