#pragma once

// The one narrow interface through which the core reaches files. The POSIX implementation is
// the product's; tests may put a fault-injecting one in its place.

#include <memory>
#include <string>
#include <string_view>
#include <vector>

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
};

// A file open for writing. Close() must be called to learn whether every byte reached the file;
// destroying an open file closes it and drops the result.
class WritableFile {
public:
    virtual ~WritableFile() = default;
    virtual FileStatus Append(std::string_view data) = 0;
    virtual FileStatus Sync() = 0;
    virtual FileStatus Close() = 0;
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
