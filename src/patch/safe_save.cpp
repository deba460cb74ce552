#include "patch/safe_save.h"

#include <memory>

namespace korrin::patch {
namespace {

using platform::FileError;
using platform::FileStatus;

// A new file gets the mode a freshly created file usually has.
constexpr std::uint32_t kNewFileMode = 0644;

struct SplitPath {
    std::string folder;  // with its separator at the end, or empty for the current folder
    std::string name;
};

SplitPath Split(const std::string& path) {
    const std::size_t slash = path.rfind(platform::kSeparator);
    if (slash == std::string::npos) return {std::string(), path};
    return {path.substr(0, slash + 1), path.substr(slash + 1)};
}

// A failure with the new copy: whatever the system said, the target itself was not refused.
FileStatus WithNewCopy(FileStatus status, std::string_view what) {
    status.error = FileError::kOther;
    status.reason = std::string(what) + status.reason;
    return status;
}

// Puts data into the new, empty file. When the file on disk is still the one data was loaded
// from, the system copies it and only the changed bytes are written, which spares a trip of
// every byte through this process.
FileStatus WriteContents(platform::WritableFile& file, const std::string& target,
                         std::string_view data, std::span<const Change> changes, bool copy) {
    if (copy) {
        FileStatus status = file.AppendFromFile(target, data.size());
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

FileStatus FillTemp(platform::WritableFile& file, const std::string& target, std::string_view data,
                    std::span<const Change> changes, bool copy, const platform::FileInfo& info,
                    bool keepOwner) {
    FileStatus status = WriteContents(file, target, data, changes, copy);
    if (!status.ok()) return status;
    if (keepOwner) {
        // Only a privileged caller may give a file away; anyone else keeps the file as theirs.
        status = file.SetOwner(info.owner, info.group);
        if (!status.ok() && status.error != FileError::kAccessDenied) return status;
    }
    // After the owner: a change of owner clears the set-id bits.
    status = file.SetMode(info.mode);
    if (!status.ok()) return status;
    status = file.Sync();
    if (!status.ok()) return status;
    return file.Close();
}

SaveOutcome Failed(FileStatus status, TargetState target = TargetState::kUnchanged) {
    return {std::move(status), target};
}

SaveOutcome OverwriteInPlace(platform::FileSystem& fs, const std::string& target,
                             std::string_view data, const platform::FileInfo& info,
                             std::span<const Change> changes) {
    std::unique_ptr<platform::WritableFile> file;
    FileStatus status = fs.OpenForOverwrite(target, &file);
    if (!status.ok()) return Failed(status);

    status = file->WriteAt(0, data);
    if (status.ok() && info.size != data.size()) status = file->Truncate(data.size());
    if (status.ok()) status = file->Sync();
    if (status.ok()) {
        status = file->Close();
        return status.ok() ? SaveOutcome{} : Failed(status, TargetState::kReplaced);
    }

    // Only the changed bytes differ from what is on disk: writing their old values back, the
    // latest change first, restores the file whatever part of the write got through.
    FileStatus undo = FileStatus::Ok();
    for (auto change = changes.rbegin(); change != changes.rend() && undo.ok(); ++change) {
        undo = file->WriteAt(change->at, change->before);
    }
    if (undo.ok() && info.size != data.size()) undo = file->Truncate(info.size);
    if (undo.ok()) undo = file->Sync();
    const FileStatus closed = file->Close();
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

    FileStatus status = fs.ProbeWritable(target);
    bool exists = true;
    if (status.error == FileError::kPathNotFound) {
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

    const SplitPath parts = Split(target);
    std::unique_ptr<platform::WritableFile> file;
    std::string tempPath;
    // Hidden, so that no listing of the folder shows it while it exists.
    status = fs.NewTempFile(parts.folder, "." + parts.name + ".korrin-", &file, &tempPath);
    if (!status.ok()) {
        if (exists && status.error == FileError::kAccessDenied) {
            return OverwriteInPlace(fs, target, data, info, changes);
        }
        return Failed(WithNewCopy(status, "cannot create a new file beside it: "));
    }

    const bool unchanged =
        exists && loaded != nullptr && info.SameVersionAs(*loaded) && info.size == data.size();
    status = FillTemp(*file, target, data, changes, unchanged, info, exists);
    bool renameRefused = false;
    if (status.ok()) {
        status = fs.RenameFile(tempPath, target);
        // As in a sticky folder, where only the file's owner may replace it: the file itself
        // may still be written.
        renameRefused = exists && status.error == FileError::kAccessDenied;
    }
    if (!status.ok()) {
        file.reset();
        fs.RemoveFile(tempPath);
        if (renameRefused) return OverwriteInPlace(fs, target, data, info, changes);
        return Failed(WithNewCopy(status, "writing its new copy failed: "));
    }

    status = fs.SyncFolder(parts.folder.empty() ? std::string(".") : parts.folder);
    if (!status.ok()) return Failed(status, TargetState::kReplaced);
    return {};
}

}  // namespace korrin::patch
