// The product's file system on POSIX systems.

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "platform/file_system.h"

namespace korrin::platform {
namespace {

FileStatus FromErrno(int err, const std::string& what) {
    FileStatus status;
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            status.error = FileError::kPathNotFound;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            status.error = FileError::kAccessDenied;
            break;
        default:
            status.error = FileError::kOther;
            break;
    }
    status.reason = what + ": " + std::strerror(err);
    return status;
}

class PosixWritableFile final : public WritableFile {
public:
    PosixWritableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixWritableFile() override {
        if (fd_ >= 0) ::close(fd_);
    }

    FileStatus Append(std::string_view data) override {
        while (!data.empty()) {
            const ssize_t n = ::write(fd_, data.data(), data.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                return FromErrno(errno, path_);
            }
            data.remove_prefix(static_cast<std::size_t>(n));
        }
        return FileStatus::Ok();
    }

    FileStatus Sync() override {
        if (::fsync(fd_) != 0) return FromErrno(errno, path_);
        return FileStatus::Ok();
    }

    FileStatus Close() override {
        const int fd = fd_;
        fd_ = -1;
        if (fd >= 0 && ::close(fd) != 0) return FromErrno(errno, path_);
        return FileStatus::Ok();
    }

private:
    int fd_;
    std::string path_;
};

class PosixFileSystem final : public FileSystem {
public:
    std::vector<std::string> ListFiles(const std::string& folder, FileStatus* status) override {
        std::vector<std::string> names;
        *status = FileStatus::Ok();
        DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
        if (dir == nullptr) {
            *status = FromErrno(errno, folder);
            return names;
        }
        while (const dirent* entry = ::readdir(dir)) {
            const std::string name = entry->d_name;
            if (name.empty() || name[0] == '.') continue;
            struct stat st {};
            const std::string path = JoinForStat(folder, name);
            if (::stat(path.c_str(), &st) != 0 || !S_ISREG(st.st_mode)) continue;
            names.push_back(name);
        }
        ::closedir(dir);
        return names;
    }

    FileStatus ReadFile(const std::string& path, std::string* out) override {
        out->clear();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return FromErrno(errno, path);
        FileStatus status;
        struct stat st {};
        if (::fstat(fd, &st) != 0) {
            status = FromErrno(errno, path);
        } else if (S_ISDIR(st.st_mode)) {
            status = FromErrno(EISDIR, path);
        } else {
            char buffer[65536];
            for (;;) {
                const ssize_t n = ::read(fd, buffer, sizeof buffer);
                if (n == 0) break;
                if (n < 0) {
                    if (errno == EINTR) continue;
                    status = FromErrno(errno, path);
                    break;
                }
                out->append(buffer, static_cast<std::size_t>(n));
            }
        }
        ::close(fd);
        if (!status.ok()) out->clear();
        return status;
    }

    FileStatus NewWritableFile(const std::string& path,
                               std::unique_ptr<WritableFile>* file) override {
        file->reset();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return FromErrno(errno, path);
        *file = std::make_unique<PosixWritableFile>(fd, path);
        return FileStatus::Ok();
    }

    FileStatus RemoveFile(const std::string& path) override {
        if (::unlink(path.c_str()) != 0) return FromErrno(errno, path);
        return FileStatus::Ok();
    }

    FileStatus RenameFile(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) return FromErrno(errno, to);
        return FileStatus::Ok();
    }

    bool IsRegularFile(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

private:
    static std::string JoinForStat(const std::string& folder, const std::string& name) {
        if (folder.empty()) return name;
        if (folder.back() == kSeparator) return folder + name;
        return folder + kSeparator + name;
    }
};

}  // namespace

FileSystem& FileSystem::Default() {
    static PosixFileSystem fs;
    return fs;
}

FileStatus WriteWholeFile(FileSystem& fs, const std::string& path, std::string_view data) {
    std::unique_ptr<WritableFile> file;
    FileStatus status = fs.NewWritableFile(path, &file);
    if (!status.ok()) return status;
    status = file->Append(data);
    const FileStatus closed = file->Close();
    return status.ok() ? closed : status;
}

}  // namespace korrin::platform
