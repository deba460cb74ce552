#pragma once

// The one narrow interface through which the core reaches files. The POSIX implementation is
// the product's; tests may put a fault-injecting one in its place.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "common/status.h"

namespace korrin::platform {

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
    virtual Status Append(std::string_view data) = 0;
    virtual Status Sync() = 0;
    virtual Status Close() = 0;

    // Optional: writes data at offset without moving the append position.
    virtual Status WriteAt(std::uint64_t /*offset*/, std::string_view /*data*/) {
        return Status::Unsupported("WriteAt");
    }
    // Optional: appends the first size bytes of the file at path, copied by the system
    // without passing through the caller's memory where it can.
    virtual Status AppendFromFile(const std::string& /*path*/, std::uint64_t /*size*/) {
        return Status::Unsupported("AppendFromFile");
    }
    // Optional: cuts or extends the file to size bytes.
    virtual Status Truncate(std::uint64_t /*size*/) { return Status::Unsupported("Truncate"); }
    // Optional: gives the file this mode (permission, set-id and sticky bits).
    virtual Status SetMode(std::uint32_t /*mode*/) { return Status::Unsupported("SetMode"); }
    // Optional: gives the file this owner and group. Fails with kAccessDenied where the caller
    // may not give files away.
    virtual Status SetOwner(std::uint32_t /*owner*/, std::uint32_t /*group*/) {
        return Status::Unsupported("SetOwner");
    }
};

// A regular file open for reading at any offset.
class ReadableFile {
  public:
    virtual ~ReadableFile() = default;
    // Reads up to size bytes from offset into out; *got says how many, fewer only where the
    // file ends.
    virtual Status ReadAt(std::uint64_t offset, char* out, std::size_t size, std::size_t* got) = 0;
};

class FileSystem {
  public:
    virtual ~FileSystem() = default;

    // Names, without folder, of the plain files directly in folder. Folders, hidden files
    // (names beginning with ".") and anything that is not a regular file are left out. The
    // order is unspecified.
    virtual std::vector<std::string> ListFiles(const std::string& folder, Status* status) = 0;

    // Reads the whole file at path into out, replacing its contents.
    virtual Status ReadFile(const std::string& path, std::string* out) = 0;

    // Creates the file at path, or empties it when it exists, and opens it for writing.
    virtual Status NewWritableFile(const std::string& path,
                                   std::unique_ptr<WritableFile>* file) = 0;

    virtual Status RemoveFile(const std::string& path) = 0;
    virtual Status RenameFile(const std::string& from, const std::string& to) = 0;

    // True when path names an existing regular file (symbolic links followed).
    virtual bool IsRegularFile(const std::string& path) = 0;

    // The operations below are what loading and safely replacing a large file need. They are
    // optional so that a test double need only offer what its test uses; the defaults fail.

    // Opens the regular file at path for reading, and tells what it is in info. Anything that
    // is not a regular file (a folder, a pipe, a device) is refused with kOther rather than
    // read or waited on.
    virtual Status OpenForReading(const std::string& /*path*/,
                                  std::unique_ptr<ReadableFile>* /*file*/, FileInfo* /*info*/) {
        return Status::Unsupported("OpenForReading");
    }

    // Facts about the file at path, symbolic links followed.
    virtual Status Stat(const std::string& /*path*/, FileInfo* /*info*/) {
        return Status::Unsupported("Stat");
    }

    // The path with every symbolic link and every "." and ".." resolved: the file that a write
    // through path would reach.
    virtual Status ResolveLinks(const std::string& /*path*/, std::string* /*resolved*/) {
        return Status::Unsupported("ResolveLinks");
    }

    // Tells, without changing anything, whether the existing file at path could be opened for
    // writing now. kAccessDenied also covers a running executable and a lock that another
    // process holds on the file; kPathNotFound a file that does not exist.
    virtual Status ProbeWritable(const std::string& /*path*/) {
        return Status::Unsupported("ProbeWritable");
    }

    // Creates a new, empty file with a unique name beginning with stem in folder (which ends
    // in a separator), readable and writable by its owner only, and opens it for writing. While
    // it is open, RemoveAbandonedTempFiles leaves it alone.
    virtual Status NewTempFile(const std::string& /*folder*/, const std::string& /*stem*/,
                               std::unique_ptr<WritableFile>* /*file*/, std::string* /*path*/) {
        return Status::Unsupported("NewTempFile");
    }

    // Removes the files in folder that NewTempFile made with this stem and that no process has
    // open through it any more: what a process killed while writing one left behind.
    virtual Status RemoveAbandonedTempFiles(const std::string& /*folder*/,
                                            const std::string& /*stem*/) {
        return Status::Unsupported("RemoveAbandonedTempFiles");
    }

    // Opens the existing file at path for writing without emptying it.
    virtual Status OpenForOverwrite(const std::string& /*path*/,
                                    std::unique_ptr<WritableFile>* /*file*/) {
        return Status::Unsupported("OpenForOverwrite");
    }

    // Makes the names in folder (created, renamed, removed) reach the disk.
    virtual Status SyncFolder(const std::string& /*folder*/) {
        return Status::Unsupported("SyncFolder");
    }

    // The operations below serve a log that several processes append to.

    // Opens the file at path for appending, creating it (readable and writable by its owner
    // only) when it is missing. Every Append through it lands at the file's end as it is then,
    // so that one Append of a whole record never mixes with another process's.
    virtual Status OpenForAppend(const std::string& /*path*/,
                                 std::unique_ptr<WritableFile>* /*file*/) {
        return Status::Unsupported("OpenForAppend");
    }

    // Creates the folder at path and any missing folders above it; one that exists is fine.
    virtual Status CreateFolders(const std::string& /*path*/) {
        return Status::Unsupported("CreateFolders");
    }

    // Reads up to size bytes from offset of the file at path into out: fewer where the file
    // ends sooner, none past its end. Spares reading a whole file for a few of its bytes.
    virtual Status ReadAt(const std::string& /*path*/, std::uint64_t /*offset*/,
                          std::size_t /*size*/, std::string* /*out*/) {
        return Status::Unsupported("ReadAt");
    }

    // The file system the product uses.
    static FileSystem& Default();
};

// The separator between a folder and a name on this platform. Windows takes "/" as well, so
// a path typed with either names the same file there.
#ifdef _WIN32
inline constexpr char kSeparator = '\\';
inline constexpr bool IsSeparator(char ch) {
    return ch == '\\' || ch == '/';
}
#else
inline constexpr char kSeparator = '/';
inline constexpr bool IsSeparator(char ch) {
    return ch == '/';
}
#endif

// Where the last separator of path stands, npos when it has none: the name after it and the
// folder before it, however the path was typed.
inline std::size_t LastSeparator(std::string_view path) {
    for (std::size_t i = path.size(); i > 0; --i) {
        if (IsSeparator(path[i - 1])) return i - 1;
    }
    return std::string_view::npos;
}

// folder with exactly one separator at its end: a folder that ends in one already (the root)
// is returned unchanged. This is how the program folder is formed.
inline std::string WithTrailingSeparator(std::string folder) {
    if (folder.empty() || !IsSeparator(folder.back())) folder += kSeparator;
    return folder;
}

// Writes data to a new file at path (created or emptied) and closes it.
Status WriteWholeFile(FileSystem& fs, const std::string& path, std::string_view data);

}  // namespace korrin::platform
