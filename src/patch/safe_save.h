#pragma once

// Replacing a file so that no failure leaves it half written: the new bytes go to a temporary
// file beside it, reach the disk, take the old file's owner and mode, and only then take its
// name. Kept apart from the file system so that a fault-injecting one can fail any step.

#include <cstddef>
#include <span>
#include <string>
#include <string_view>

#include "patch/bytes.h"
#include "platform/file_system.h"

namespace korrin::patch {

// Bytes that the new contents changed: where, and what stood there in the file on disk. Kept
// so that a failed write in place can be undone; later changes may cover earlier ones.
struct Change {
    std::size_t at = 0;
    Bytes before;
};

enum class TargetState {
    kUnchanged,     // the file is byte for byte as it was (or still absent)
    kReplaced,      // the file holds the new bytes, but something after that failed
    kMaybeDamaged,  // a write in place failed and the old bytes could not be put back
};

struct SaveOutcome {
    Status status;
    TargetState target = TargetState::kUnchanged;

    bool ok() const { return status.ok(); }
};

// Writes data over the file at path, following a symbolic link to the file it names.
//
// First asks whether the file may be written now at all; a running executable, a lock held by
// another process, a read-only file system or missing rights end the save there with
// kAccessDenied. Then writes a temporary file in the same folder, syncs it, gives it the
// file's mode and, where the caller may, its owner, renames it over the file and syncs the
// folder. Where the folder refuses a new file but the file itself may be written, writes in
// place instead and, should that fail, puts back the bytes that changes lists. A file that
// does not exist is created. No temporary file outlives the call, and temporary files that
// earlier saves killed on the way left beside the file are removed.
//
// loaded, when given, says which version of the file data was loaded from. While the file on
// disk is still that version, data differs from it only where changes says, and the new copy
// is made by the system copying the file and writing just those bytes.
SaveOutcome SaveFileSafely(platform::FileSystem& fs, const std::string& path, std::string_view data,
                           std::span<const Change> changes, const platform::FileInfo* loaded);

}  // namespace korrin::patch
