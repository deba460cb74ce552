#pragma once

// Replacing a file so that no failure leaves it half written: a copy of it is made beside it
// and reaches the disk, the changed bytes are written over the copy, the copy takes the old
// file's owner and mode, and only then takes its name. Kept apart from the file system so that
// a fault-injecting one can fail any step.
//
// The replacement comes in two halves so that the slow one overlaps the search: Begin needs
// nothing of the patch (the system copies the file and flushes the copy), Commit writes the
// few changed bytes and puts the copy in place.

#include <functional>
#include <memory>
#include <span>
#include <string>

#include "common/status.h"
#include "patch/target_pass.h"
#include "platform/file_system.h"

namespace korrin::patch {

enum class TargetState {
    kUnchanged,     // the file is byte for byte as it was (or still absent)
    kReplaced,      // the file holds the new bytes, but something after that failed
    kMaybeDamaged,  // a write in place failed and the old bytes could not be put back
};

struct SaveOutcome {
    Status status;
    TargetState target = TargetState::kUnchanged;
    bool changedMeanwhile = false;  // the file was not the version that was read: left alone

    bool ok() const { return status.ok(); }
};

class Replacement {
  public:
    // read says which version of the file at path the changes were worked out on; the file is
    // replaced only while it is still that version. path may be a symbolic link: the file it
    // names is replaced, never the link.
    Replacement(platform::FileSystem& fs, std::string path, const platform::FileInfo& read);
    ~Replacement();
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    // First asks whether the file may be written now at all: a running executable, a lock held
    // by another process, a read-only file system or missing rights end the save there with
    // kAccessDenied. Then removes the copies that earlier saves killed on the way left beside
    // it, makes a new hidden copy in the same folder (the system copying the file where it
    // can) and flushes it. Where the folder refuses a new file, Commit writes in place
    // instead. Safe to run on another thread while the file is read; everything else of this
    // object waits until it returns. Calls copied, from its own thread, once the copy is made or
    // once it is clear that none will be: the flush still to come is what a search overlaps
    // best.
    void Begin(const std::function<void()>& copied = {});

    // Writes changes over the copy, gives it the file's owner (where the caller may) and
    // mode, flushes it, renames it over the file and flushes the folder, unless the file
    // changed since it was read. In place, writes the changes over the file itself and, should
    // that fail, puts their old bytes back. No copy outlives the call.
    SaveOutcome Commit(std::span<const Change> changes);

    // Removes the copy: the file stays as it is.
    void Abandon();

    // Whether the file is no longer the version that was read (or is gone). After Begin.
    bool ChangedSinceRead();

  private:
    SaveOutcome Unchanged(Status status);
    SaveOutcome InPlace(std::span<const Change> changes);
    bool StillAsRead(Status* status);
    Status CopyByReading();

    platform::FileSystem& fs_;
    std::string target_;
    std::string folder_;  // with its separator at the end, or empty for the current folder
    platform::FileInfo read_;
    platform::FileInfo info_;
    Status begun_;
    bool inPlace_ = false;
    bool changed_ = false;
    std::unique_ptr<platform::WritableFile> copy_;
    std::string copyPath_;
};

}  // namespace korrin::patch
