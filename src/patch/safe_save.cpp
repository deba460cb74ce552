#include "patch/safe_save.h"

#include <utility>
#include <vector>

namespace korrin::patch {
namespace {

// A failure with the new copy: whatever the system said, the target itself was not refused.
Status WithNewCopy(Status status, std::string_view what) {
    status.error = ErrorCode::kOther;
    status.reason = std::string(what) + status.reason;
    return status;
}

constexpr std::size_t kCopyBlock = std::size_t{1} << 20;

}  // namespace

Replacement::Replacement(platform::FileSystem& fs, std::string path, const platform::FileInfo& read)
    : fs_(fs), target_(std::move(path)), read_(read) {}

Replacement::~Replacement() {
    Abandon();
}

bool Replacement::StillAsRead(Status* status) {
    platform::FileInfo now;
    *status = fs_.Stat(target_, &now);
    if (status->error == ErrorCode::kPathNotFound) {
        changed_ = true;
        return false;
    }
    if (!status->ok()) return false;
    changed_ = !now.SameVersionAs(read_);
    info_ = now;
    return !changed_;
}

void Replacement::Begin(const std::function<void()>& copied) {
    // Called exactly once, however Begin ends.
    struct Once {
        const std::function<void()>& call;
        bool done = false;
        void operator()() {
            if (!std::exchange(done, true) && call) call();
        }
        ~Once() { (*this)(); }
    } tell{copied};

    // Through a link the real file is replaced, never the link with a copy.
    std::string resolved;
    if (fs_.ResolveLinks(target_, &resolved).ok()) target_ = resolved;
    const std::size_t slash = platform::LastSeparator(target_);
    folder_ = slash == std::string::npos ? std::string() : target_.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? target_ : target_.substr(slash + 1);

    begun_ = fs_.ProbeWritable(target_);
    if (begun_.error == ErrorCode::kPathNotFound) {
        changed_ = true;  // gone since it was read
        return;
    }
    if (!begun_.ok() || !StillAsRead(&begun_)) return;

    // Hidden, so that no listing of the folder shows it while it exists.
    const std::string stem = "." + name + ".korrin-";
    // A save killed before its rename leaves its copy behind; the next one clears it away, so
    // that they never pile up. Nothing depends on it succeeding.
    IgnoreStatus(fs_.RemoveAbandonedTempFiles(folder_, stem),
                 "leftovers are cleared again next time");
    begun_ = fs_.NewTempFile(folder_, stem, &copy_, &copyPath_);
    if (!begun_.ok()) {
        copy_.reset();
        if (begun_.error == ErrorCode::kAccessDenied) {
            // The folder takes no new file, but the file itself may be written.
            inPlace_ = true;
            begun_ = Status::Ok();
            return;
        }
        begun_ = WithNewCopy(begun_, "cannot create a new file beside it: ");
        return;
    }
    Status status = copy_->AppendFromFile(target_, read_.size);
    if (!status.ok()) status = CopyByReading();  // the system cannot copy here
    tell();
    if (status.ok()) status = copy_->Sync();
    if (!status.ok()) {
        Abandon();
        begun_ = WithNewCopy(status, "writing its new copy failed: ");
        Status ignored;
        StillAsRead(&ignored);
    }
}

Status Replacement::CopyByReading() {
    Status status = copy_->Truncate(0);
    std::unique_ptr<platform::ReadableFile> from;
    platform::FileInfo info;
    if (status.ok()) status = fs_.OpenForReading(target_, &from, &info);
    std::vector<char> block(kCopyBlock);
    for (std::uint64_t at = 0; status.ok() && at < read_.size;) {
        std::size_t got = 0;
        status = from->ReadAt(at, block.data(), block.size(), &got);
        if (status.ok() && got == 0) status = Status::Failed(target_ + ": shorter than expected");
        // At the offset, not appended: the failed copy may have moved the file's position.
        if (status.ok()) status = copy_->WriteAt(at, std::string_view(block.data(), got));
        at += got;
    }
    return status;
}

SaveOutcome Replacement::Unchanged(Status status) {
    Abandon();
    // A step may have failed because another program took the file away meanwhile: say that.
    Status ignored;
    if (!changed_ && !status.ok()) StillAsRead(&ignored);
    SaveOutcome outcome{std::move(status), TargetState::kUnchanged, changed_};
    if (changed_ && outcome.status.ok()) outcome.status = Status::Failed("changed meanwhile");
    return outcome;
}

SaveOutcome Replacement::Commit(std::span<const Change> changes) {
    if (changed_ || !begun_.ok()) return Unchanged(begun_);
    if (inPlace_) return InPlace(changes);

    Status status = Status::Ok();
    for (auto c = changes.begin(); status.ok() && c != changes.end(); ++c) {
        status = copy_->WriteAt(c->at, c->after);
    }
    // Only a privileged caller may give a file away; anyone else keeps the file as theirs.
    if (status.ok()) {
        status = copy_->SetOwner(info_.owner, info_.group);
        if (status.error == ErrorCode::kAccessDenied) status = Status::Ok();
    }
    // After the owner, and after every write: both may clear the set-id bits.
    if (status.ok()) status = copy_->SetMode(info_.mode);
    if (status.ok()) status = copy_->Sync();
    if (status.ok()) status = copy_->Close();
    if (!status.ok()) return Unchanged(WithNewCopy(status, "writing its new copy failed: "));
    Status check;
    if (!StillAsRead(&check)) return Unchanged(check);

    status = fs_.RenameFile(copyPath_, target_);
    if (status.error == ErrorCode::kAccessDenied) {
        // As in a sticky folder, where only the file's owner may replace it: the file itself
        // may still be written.
        Abandon();
        return InPlace(changes);
    }
    if (!status.ok()) return Unchanged(WithNewCopy(status, "writing its new copy failed: "));
    copy_.reset();
    copyPath_.clear();
    status = fs_.SyncFolder(folder_.empty() ? std::string(".") : folder_);
    if (!status.ok()) return {status, TargetState::kReplaced};
    return {};
}

SaveOutcome Replacement::InPlace(std::span<const Change> changes) {
    std::unique_ptr<platform::WritableFile> file;
    Status status = fs_.OpenForOverwrite(target_, &file);
    if (!status.ok()) return Unchanged(status);
    // Looked at once it is open: a file put in its place later is not the one written.
    if (!StillAsRead(&status)) {
        IgnoreStatus(file->Close(), "nothing was written to it");
        return Unchanged(status);
    }
    for (auto c = changes.begin(); status.ok() && c != changes.end(); ++c) {
        status = file->WriteAt(c->at, c->after);
    }
    if (status.ok()) status = file->Sync();
    if (status.ok()) {
        status = file->Close();
        return status.ok() ? SaveOutcome{} : SaveOutcome{status, TargetState::kReplaced};
    }
    // Writing the changed bytes' old values back, the latest change first, restores the file
    // whatever part of the write got through.
    Status undo = Status::Ok();
    for (auto c = changes.rbegin(); c != changes.rend() && undo.ok(); ++c) {
        undo = file->WriteAt(c->at, c->before);
    }
    if (undo.ok()) undo = file->Sync();
    const Status closed = file->Close();
    if (undo.ok()) undo = closed;
    if (!undo.ok()) {
        status.reason += "; putting its old bytes back failed too: " + undo.reason;
        return {status, TargetState::kMaybeDamaged};
    }
    return {status, TargetState::kUnchanged};
}

bool Replacement::ChangedSinceRead() {
    Status status;
    StillAsRead(&status);
    return changed_;
}

void Replacement::Abandon() {
    if (copyPath_.empty()) return;
    copy_.reset();
    IgnoreStatus(fs_.RemoveFile(copyPath_), "the copy is hidden and the next save clears it away");
    copyPath_.clear();
}

}  // namespace korrin::patch
