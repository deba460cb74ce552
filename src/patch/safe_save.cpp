#include "patch/safe_save.h"

#include <memory>

namespace korrin::patch {
namespace {

// A new file gets the mode a freshly created file usually has.
constexpr std::uint32_t kNewFileMode = 0644;

struct SplitPath {
    std::string folder;  // with its separator at the end, or empty for the current folder
    std::string name;
};

SplitPath Split(const std::string& path) {
    const std::size_t slash = platform::LastSeparator(path);
    if (slash == std::string::npos) return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// A failure with the new copy: whatever the system said, the target itself was not refused.
Status WithNewCopy(Status status, std::string_view what) {
    status.error = ErrorCode::kOther;
    status.reason = std::string(what) + status.reason;
    return status;
}

// Puts data into the new, empty file. When the file on disk is still the one data was loaded
// from, the system copies it and only the changed bytes are written, which spares a trip of
// every byte through this process.
Status WriteContents(platform::WritableFile& file, const std::string& target, std::string_view data,
                     std::span<const Change> changes, bool copy) {
    if (copy) {
        Status status = file.AppendFromFile(target, data.size());
        for (auto c = changes.begin(); status.ok() && c != changes.end(); ++c) {
            status = file.WriteAt(c->at, data.substr(c->at, c->before.size()));
        }
        if (status.ok()) return status;
        // The system cannot copy here: write every byte after all.
        status = file.Truncate(0);
        if (!status.ok()) return status;
        return file.WriteAt(0, data);
    }
    return file.Append(data);
}

Status FillTemp(platform::WritableFile& file, const std::string& target, std::string_view data,
                std::span<const Change> changes, bool copy, const platform::FileInfo& info,
                bool keepOwner) {
    Status status = WriteContents(file, target, data, changes, copy);
    if (!status.ok()) return status;
    if (keepOwner) {
        // Only a privileged caller may give a file away; anyone else keeps the file as theirs.
        status = file.SetOwner(info.owner, info.group);
        if (!status.ok() && status.error != ErrorCode::kAccessDenied) return status;
    }
    // After the owner: a change of owner clears the set-id bits.
    status = file.SetMode(info.mode);
    if (!status.ok()) return status;
    status = file.Sync();
    if (!status.ok()) return status;
    return file.Close();
}

SaveOutcome Failed(Status status, TargetState target = TargetState::kUnchanged) {
    return {std::move(status), target};
}

// asLoaded says that the file on disk is still the version that data was loaded from, so that
// data differs from it only where changes says.
SaveOutcome OverwriteInPlace(platform::FileSystem& fs, const std::string& target,
                             std::string_view data, const platform::FileInfo& info,
                             std::span<const Change> changes, bool asLoaded) {
    // What a failed write is undone with: the old bytes of the changes, or, when the file
    // changed since the load and so differs from data anywhere, the whole of it as it is now.
    platform::PageBuffer current;
    if (!asLoaded) {
        const Status read = fs.ReadWholeFile(target, &current, nullptr);
        if (!read.ok()) return Failed(read);
    }
    std::unique_ptr<platform::WritableFile> file;
    Status status = fs.OpenForOverwrite(target, &file);
    if (!status.ok()) return Failed(status);

    const std::uint64_t oldSize = asLoaded ? info.size : current.size();
    status = file->WriteAt(0, data);
    if (status.ok() && oldSize != data.size()) status = file->Truncate(data.size());
    if (status.ok()) status = file->Sync();
    if (status.ok()) {
        status = file->Close();
        return status.ok() ? SaveOutcome{} : Failed(status, TargetState::kReplaced);
    }

    Status undo = Status::Ok();
    if (asLoaded) {
        // Writing the changed bytes' old values back, the latest change first, restores the file
        // whatever part of the write got through.
        for (auto change = changes.rbegin(); change != changes.rend() && undo.ok(); ++change) {
            undo = file->WriteAt(change->at, change->before);
        }
    } else {
        undo = file->WriteAt(0, current.view());
    }
    if (undo.ok() && oldSize != data.size()) undo = file->Truncate(oldSize);
    if (undo.ok()) undo = file->Sync();
    const Status closed = file->Close();
    if (undo.ok()) undo = closed;
    if (!undo.ok()) {
        status.reason += "; putting its old bytes back failed too: " + undo.reason;
        return Failed(status, TargetState::kMaybeDamaged);
    }
    return Failed(status);
}

}  // namespace

SaveOutcome SaveFileSafely(platform::FileSystem& fs, const std::string& path, std::string_view data,
                           std::span<const Change> changes, const platform::FileInfo* loaded) {
    // Through a link the real file is replaced, never the link with a copy.
    std::string target = path;
    std::string resolved;
    if (fs.ResolveLinks(path, &resolved).ok()) target = resolved;

    Status status = fs.ProbeWritable(target);
    bool exists = true;
    if (status.error == ErrorCode::kPathNotFound) {
        exists = false;  // created below; a missing folder fails there
    } else if (!status.ok()) {
        return Failed(status);
    }

    platform::FileInfo info;
    info.mode = kNewFileMode;
    if (exists) {
        status = fs.Stat(target, &info);
        if (!status.ok()) return Failed(status);
    }

    const bool asLoaded =
        exists && loaded != nullptr && info.SameVersionAs(*loaded) && info.size == data.size();
    const SplitPath parts = Split(target);
    // Hidden, so that no listing of the folder shows it while it exists.
    const std::string stem = "." + parts.name + ".korrin-";
    // A save killed before its rename leaves its new copy behind; the next one clears it away,
    // so that they never pile up. Nothing depends on it succeeding.
    IgnoreStatus(fs.RemoveAbandonedTempFiles(parts.folder, stem),
                 "leftovers are cleared again next time");

    std::unique_ptr<platform::WritableFile> file;
    std::string tempPath;
    status = fs.NewTempFile(parts.folder, stem, &file, &tempPath);
    if (!status.ok()) {
        if (exists && status.error == ErrorCode::kAccessDenied) {
            return OverwriteInPlace(fs, target, data, info, changes, asLoaded);
        }
        return Failed(WithNewCopy(status, "cannot create a new file beside it: "));
    }

    status = FillTemp(*file, target, data, changes, asLoaded, info, exists);
    bool renameRefused = false;
    if (status.ok()) {
        status = fs.RenameFile(tempPath, target);
        // As in a sticky folder, where only the file's owner may replace it: the file itself
        // may still be written.
        renameRefused = exists && status.error == ErrorCode::kAccessDenied;
    }
    if (!status.ok()) {
        file.reset();
        IgnoreStatus(fs.RemoveFile(tempPath),
                     "the copy is hidden and the next save clears it away");
        if (renameRefused) return OverwriteInPlace(fs, target, data, info, changes, asLoaded);
        return Failed(WithNewCopy(status, "writing its new copy failed: "));
    }

    status = fs.SyncFolder(parts.folder.empty() ? std::string(".") : parts.folder);
    if (!status.ok()) return Failed(status, TargetState::kReplaced);
    return {};
}

}  // namespace korrin::patch
