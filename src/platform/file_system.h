#pragma once

// The one narrow interface through which the core reaches files. The POSIX implementation is
// the product's; tests may put a fault-injecting one in its place.

#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "platform/page_buffer.h"

namespace korrin::platform {

// What went wrong, sorted into the conditions the tool tells apart.
enum class FileError {
    kNone,
    kPathNotFound,  // a folder named in the path does not exist (ENOENT, ENOTDIR on a component)
    kAccessDenied,  // access refused: permissions, read-only file system, a busy executable, a lock
    kOther,         // anything else; reason says what
};

struct FileStatus {
    FileError error = FileError::kNone;
    std::string reason;  // the system's own words, for messages; empty when ok

    bool ok() const { return error == FileError::kNone; }
    static FileStatus Ok() { return {}; }
    // For the optional operations below that a file system does not offer.
    static FileStatus Unsupported(std::string_view what) {
        return {FileError::kOther, std::string(what) + ": not supported by this file system"};
    }
};

// What saving a file over another needs to know about the one it replaces.
struct FileInfo {
    bool regular = false;
    std::uint64_t size = 0;
    std::uint32_t mode = 0;  // permission bits, set-id and sticky bits included
    std::uint32_t owner = 0;
    std::uint32_t group = 0;
    // Which file it is and when its contents or attributes last changed: equal for two looks
    // at one file only when nothing wrote to it in between.
    std::uint64_t device = 0;
    std::uint64_t inode = 0;
    std::int64_t modifiedNs = 0;
    std::int64_t changedNs = 0;

    bool SameVersionAs(const FileInfo& other) const {
        return device == other.device && inode == other.inode && size == other.size &&
               modifiedNs == other.modifiedNs && changedNs == other.changedNs;
    }
};

// A file open for writing. Close() must be called to learn whether every byte reached the file;
// destroying an open file closes it and drops the result.
class WritableFile {
  public:
    virtual ~WritableFile() = default;
    virtual FileStatus Append(std::string_view data) = 0;
    virtual FileStatus Sync() = 0;
    virtual FileStatus Close() = 0;

    // Optional: writes data at offset without moving the append position.
    virtual FileStatus WriteAt(std::uint64_t /*offset*/, std::string_view /*data*/) {
        return FileStatus::Unsupported("WriteAt");
    }
    // Optional: appends the first size bytes of the file at path, copied by the system
    // without passing through the caller's memory where it can.
    virtual FileStatus AppendFromFile(const std::string& /*path*/, std::uint64_t /*size*/) {
        return FileStatus::Unsupported("AppendFromFile");
    }
    // Optional: cuts or extends the file to size bytes.
    virtual FileStatus Truncate(std::uint64_t /*size*/) {
        return FileStatus::Unsupported("Truncate");
    }
    // Optional: gives the file this mode (permission, set-id and sticky bits).
    virtual FileStatus SetMode(std::uint32_t /*mode*/) {
        return FileStatus::Unsupported("SetMode");
    }
    // Optional: gives the file this owner and group. Fails with kAccessDenied where the caller
    // may not give files away.
    virtual FileStatus SetOwner(std::uint32_t /*owner*/, std::uint32_t /*group*/) {
        return FileStatus::Unsupported("SetOwner");
    }
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Names, without folder, of the plain files directly in folder. Folders, hidden files
    // (names beginning with ".") and anything that is not a regular file are left out. The
    // order is unspecified.
    virtual std::vector<std::string> ListFiles(const std::string& folder, FileStatus* status) = 0;

    // Reads the whole file at path into out, replacing its contents.
    virtual FileStatus ReadFile(const std::string& path, std::string* out) = 0;

    // Creates the file at path, or empties it when it exists, and opens it for writing.
    virtual FileStatus NewWritableFile(const std::string& path,
                                       std::unique_ptr<WritableFile>* file) = 0;

    virtual FileStatus RemoveFile(const std::string& path) = 0;
    virtual FileStatus RenameFile(const std::string& from, const std::string& to) = 0;

    // True when path names an existing regular file (symbolic links followed).
    virtual bool IsRegularFile(const std::string& path) = 0;

    // The operations below are what loading and safely replacing a large file need. They are
    // optional so that a test double need only offer what its test uses; the defaults fail.

    // Reads the whole regular file at path into out, and what it is into info unless that is
    // null. Anything that is not a regular file (a folder, a pipe, a device) is refused with
    // kOther rather than read or waited on.
    virtual FileStatus ReadWholeFile(const std::string& /*path*/, PageBuffer* /*out*/,
                                     FileInfo* /*info*/) {
        return FileStatus::Unsupported("ReadWholeFile");
    }

    // Facts about the file at path, symbolic links followed.
    virtual FileStatus Stat(const std::string& /*path*/, FileInfo* /*info*/) {
        return FileStatus::Unsupported("Stat");
    }

    // The path with every symbolic link and every "." and ".." resolved: the file that a write
    // through path would reach.
    virtual FileStatus ResolveLinks(const std::string& /*path*/, std::string* /*resolved*/) {
        return FileStatus::Unsupported("ResolveLinks");
    }

    // Tells, without changing anything, whether the existing file at path could be opened for
    // writing now. kAccessDenied also covers a running executable and a lock that another
    // process holds on the file; kPathNotFound a file that does not exist.
    virtual FileStatus ProbeWritable(const std::string& /*path*/) {
        return FileStatus::Unsupported("ProbeWritable");
    }

    // Creates a new, empty file with a unique name beginning with stem in folder (which ends
    // in a separator), readable and writable by its owner only, and opens it for writing.
    virtual FileStatus NewTempFile(const std::string& /*folder*/, const std::string& /*stem*/,
                                   std::unique_ptr<WritableFile>* /*file*/, std::string* /*path*/) {
        return FileStatus::Unsupported("NewTempFile");
    }

    // Opens the existing file at path for writing without emptying it.
    virtual FileStatus OpenForOverwrite(const std::string& /*path*/,
                                        std::unique_ptr<WritableFile>* /*file*/) {
        return FileStatus::Unsupported("OpenForOverwrite");
    }

    // Makes the names in folder (created, renamed, removed) reach the disk.
    virtual FileStatus SyncFolder(const std::string& /*folder*/) {
        return FileStatus::Unsupported("SyncFolder");
    }

    // The file system the product uses.
    static FileSystem& Default();
};

// The separator between a folder and a name on this platform.
inline constexpr char kSeparator = '/';

// folder with exactly one separator at its end: a folder that ends in one already (the root)
// is returned unchanged. This is how the program folder is formed.
inline std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || folder.back() != kSeparator) folder += kSeparator;
    return folder;
}

// Writes data to a new file at path (created or emptied) and closes it.
FileStatus WriteWholeFile(FileSystem& fs, const std::string& path, std::string_view data);

}  // namespace korrin::platform
