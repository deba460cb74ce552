// The product's file system on POSIX systems.

#include <dirent.h>
#include <fcntl.h>
#include <stdlib.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <climits>
#include <cstring>

#include "platform/file_system.h"

namespace korrin::platform {
namespace {

// The characters that mkostemp puts after a temporary file's stem.
constexpr std::size_t kTempSuffixLength = 6;

Status FromErrno(int err, const std::string& what) {
    Status status;
    switch (err) {
        case ENOENT:
        case ENOTDIR:
            status.error = ErrorCode::kPathNotFound;
            break;
        case EACCES:
        case EPERM:
        case EROFS:
        case ETXTBSY:
            status.error = ErrorCode::kAccessDenied;
            break;
        default:
            status.error = ErrorCode::kOther;
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

    Status Append(std::string_view data) override {
        while (!data.empty()) {
            const ssize_t n = ::write(fd_, data.data(), data.size());
            if (n < 0) {
                if (errno == EINTR) continue;
                return FromErrno(errno, path_);
            }
            data.remove_prefix(static_cast<std::size_t>(n));
        }
        return Status::Ok();
    }

    Status Sync() override {
        if (::fsync(fd_) != 0) return FromErrno(errno, path_);
        return Status::Ok();
    }

    Status Close() override {
        const int fd = fd_;
        fd_ = -1;
        if (fd >= 0 && ::close(fd) != 0) return FromErrno(errno, path_);
        return Status::Ok();
    }

    Status WriteAt(std::uint64_t offset, std::string_view data) override {
        while (!data.empty()) {
            const ssize_t n = ::pwrite(fd_, data.data(), data.size(), static_cast<off_t>(offset));
            if (n < 0) {
                if (errno == EINTR) continue;
                return FromErrno(errno, path_);
            }
            data.remove_prefix(static_cast<std::size_t>(n));
            offset += static_cast<std::uint64_t>(n);
        }
        return Status::Ok();
    }

    Status AppendFromFile(const std::string& path, std::uint64_t size) override {
        const int from = ::open(path.c_str(), O_RDONLY | O_NOCTTY | O_CLOEXEC);
        if (from < 0) return FromErrno(errno, path);
        Status status = Status::Ok();
        while (size > 0) {
            const ssize_t n = ::copy_file_range(
                from, nullptr, fd_, nullptr,
                static_cast<std::size_t>(std::min<std::uint64_t>(size, std::uint64_t{1} << 30)), 0);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) {
                status = n < 0 ? FromErrno(errno, path_)
                               : Status{ErrorCode::kOther, path + ": shorter than expected"};
                break;
            }
            size -= static_cast<std::uint64_t>(n);
        }
        ::close(from);
        return status;
    }

    Status Truncate(std::uint64_t size) override {
        if (::ftruncate(fd_, static_cast<off_t>(size)) != 0) return FromErrno(errno, path_);
        return Status::Ok();
    }

    Status SetMode(std::uint32_t mode) override {
        if (::fchmod(fd_, static_cast<mode_t>(mode)) != 0) return FromErrno(errno, path_);
        return Status::Ok();
    }

    Status SetOwner(std::uint32_t owner, std::uint32_t group) override {
        if (::fchown(fd_, owner, group) != 0) return FromErrno(errno, path_);
        return Status::Ok();
    }

  private:
    int fd_;
    std::string path_;
};

class PosixReadableFile final : public ReadableFile {
  public:
    PosixReadableFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~PosixReadableFile() override { ::close(fd_); }

    Status ReadAt(std::uint64_t offset, char* out, std::size_t size, std::size_t* got) override {
        *got = 0;
        while (*got < size) {
            const ssize_t n =
                ::pread(fd_, out + *got, size - *got, static_cast<off_t>(offset + *got));
            if (n < 0) {
                if (errno == EINTR) continue;
                return FromErrno(errno, path_);
            }
            if (n == 0) break;
            *got += static_cast<std::size_t>(n);
        }
        return Status::Ok();
    }

  private:
    int fd_;
    std::string path_;
};

class PosixFileSystem final : public FileSystem {
  public:
    std::vector<std::string> ListFiles(const std::string& folder, Status* status) override {
        std::vector<std::string> names;
        *status = Status::Ok();
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

    Status ReadFile(const std::string& path, std::string* out) override {
        out->clear();
        const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd < 0) return FromErrno(errno, path);
        Status status;
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

    Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        file->reset();
        const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
        if (fd < 0) return FromErrno(errno, path);
        *file = std::make_unique<PosixWritableFile>(fd, path);
        return Status::Ok();
    }

    Status RemoveFile(const std::string& path) override {
        if (::unlink(path.c_str()) != 0) return FromErrno(errno, path);
        return Status::Ok();
    }

    Status RenameFile(const std::string& from, const std::string& to) override {
        if (::rename(from.c_str(), to.c_str()) != 0) return FromErrno(errno, to);
        return Status::Ok();
    }

    bool IsRegularFile(const std::string& path) override {
        struct stat st {};
        return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
    }

    Status OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file,
                          FileInfo* info) override {
        file->reset();
        // Non-blocking, so that a pipe put where the file was is refused instead of waited on.
        const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return FromErrno(errno, path);
        struct stat st {};
        Status status = Status::Ok();
        if (::fstat(fd, &st) != 0) {
            status = FromErrno(errno, path);
        } else if (S_ISDIR(st.st_mode)) {
            status = FromErrno(EISDIR, path);
        } else if (!S_ISREG(st.st_mode)) {
            status = {ErrorCode::kOther, path + ": not a regular file"};
        } else if (::fcntl(fd, F_SETFL, 0) != 0) {
            status = FromErrno(errno, path);
        }
        if (!status.ok()) {
            ::close(fd);
            return status;
        }
        *info = InfoFrom(st);
        // Read once from start to end: the system may read ahead further and drop pages early.
        ::posix_fadvise(fd, 0, 0, POSIX_FADV_SEQUENTIAL);
        *file = std::make_unique<PosixReadableFile>(fd, path);
        return Status::Ok();
    }

    Status Stat(const std::string& path, FileInfo* info) override {
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return FromErrno(errno, path);
        *info = InfoFrom(st);
        return Status::Ok();
    }

    Status ResolveLinks(const std::string& path, std::string* resolved) override {
        char* real = ::realpath(path.c_str(), nullptr);
        if (real == nullptr) return FromErrno(errno, path);
        *resolved = real;
        ::free(real);
        return Status::Ok();
    }

    Status ProbeWritable(const std::string& path) override {
        // Opening for writing is what a running executable (ETXTBSY), a read-only file system
        // and missing rights refuse. Nothing is created or emptied.
        int fd = -1;
        Status status = OpenRegular(path, O_WRONLY, &fd);
        if (fd < 0) return status;
        if (status.ok()) status = TestLocks(fd, path);
        ::close(fd);
        return status;
    }

    Status NewTempFile(const std::string& folder, const std::string& stem,
                       std::unique_ptr<WritableFile>* file, std::string* path) override {
        file->reset();
        std::string name = folder + stem + std::string(kTempSuffixLength, 'X');
        const int fd = ::mkostemp(name.data(), O_CLOEXEC);
        if (fd < 0) return FromErrno(errno, folder);
        // The lock marks the file as in use until it is closed, or its process dies.
        ::flock(fd, LOCK_EX | LOCK_NB);
        *path = name;
        *file = std::make_unique<PosixWritableFile>(fd, name);
        return Status::Ok();
    }

    Status RemoveAbandonedTempFiles(const std::string& folder, const std::string& stem) override {
        DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
        if (dir == nullptr) return FromErrno(errno, folder);
        Status status = Status::Ok();
        while (const dirent* entry = ::readdir(dir)) {
            const std::string_view name = entry->d_name;
            if (name.size() != stem.size() + kTempSuffixLength || !name.starts_with(stem)) continue;
            const std::string path = JoinForStat(folder, std::string(name));
            const int fd =
                ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
            if (fd < 0) continue;
            struct stat st {};
            // Removed while the lock is held, so that no writer can have taken it in between.
            if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) &&
                ::flock(fd, LOCK_EX | LOCK_NB) == 0 && ::unlink(path.c_str()) != 0 && status.ok()) {
                status = FromErrno(errno, path);
            }
            ::close(fd);
        }
        ::closedir(dir);
        return status;
    }

    Status OpenForOverwrite(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        file->reset();
        const int fd = ::open(path.c_str(), O_WRONLY | O_NOCTTY | O_CLOEXEC);
        if (fd < 0) return FromErrno(errno, path);
        *file = std::make_unique<PosixWritableFile>(fd, path);
        return Status::Ok();
    }

    Status SyncFolder(const std::string& folder) override {
        const int fd =
            ::open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
        if (fd < 0) return FromErrno(errno, folder);
        Status status = Status::Ok();
        // Some file systems cannot sync a folder and say so with EINVAL; there is nothing more
        // that could be done for them.
        if (::fsync(fd) != 0 && errno != EINVAL) status = FromErrno(errno, folder);
        ::close(fd);
        return status;
    }

    Status OpenForAppend(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        file->reset();
        const int fd =
            ::open(path.c_str(), O_WRONLY | O_APPEND | O_CREAT | O_NOCTTY | O_CLOEXEC, 0600);
        if (fd < 0) return FromErrno(errno, path);
        *file = std::make_unique<PosixWritableFile>(fd, path);
        return Status::Ok();
    }

    Status CreateFolders(const std::string& path) override {
        for (std::size_t at = path.find(kSeparator, 1);; at = path.find(kSeparator, at + 1)) {
            const std::string part = path.substr(0, at);
            if (!part.empty() && ::mkdir(part.c_str(), 0700) != 0 && errno != EEXIST) {
                return FromErrno(errno, part);
            }
            if (at == std::string::npos) break;
        }
        struct stat st {};
        if (::stat(path.c_str(), &st) != 0) return FromErrno(errno, path);
        if (!S_ISDIR(st.st_mode)) return FromErrno(ENOTDIR, path);
        return Status::Ok();
    }

    Status ReadAt(const std::string& path, std::uint64_t offset, std::size_t size,
                  std::string* out) override {
        out->clear();
        int fd = -1;
        Status status = OpenRegular(path, O_RDONLY, &fd);
        if (fd < 0) return status;
        if (status.ok()) {
            out->resize(size);
            std::size_t done = 0;
            while (done < size) {
                const ssize_t n =
                    ::pread(fd, out->data() + done, size - done, static_cast<off_t>(offset + done));
                if (n < 0 && errno == EINTR) continue;
                if (n < 0) status = FromErrno(errno, path);
                if (n <= 0) break;
                done += static_cast<std::size_t>(n);
            }
            out->resize(status.ok() ? done : 0);
        }
        ::close(fd);
        return status;
    }

  private:
    // Opens path with access (O_RDONLY or O_WRONLY) without blocking on a FIFO or taking a
    // terminal, and tells whether it is a regular file. *fd is -1 when nothing was opened;
    // otherwise the caller closes it, whatever the status.
    static Status OpenRegular(const std::string& path, int access, int* fd) {
        *fd = ::open(path.c_str(), access | O_NONBLOCK | O_NOCTTY | O_CLOEXEC);
        if (*fd < 0) return FromErrno(errno, path);
        struct stat st {};
        if (::fstat(*fd, &st) != 0) return FromErrno(errno, path);
        if (!S_ISREG(st.st_mode)) return {ErrorCode::kOther, path + ": not a regular file"};
        return Status::Ok();
    }

    static FileInfo InfoFrom(const struct stat& st) {
        FileInfo info;
        info.regular = S_ISREG(st.st_mode);
        info.size = static_cast<std::uint64_t>(st.st_size);
        info.mode = st.st_mode & 07777;
        info.owner = st.st_uid;
        info.group = st.st_gid;
        info.device = st.st_dev;
        info.inode = st.st_ino;
        info.modifiedNs = std::int64_t{st.st_mtim.tv_sec} * 1000000000 + st.st_mtim.tv_nsec;
        info.changedNs = std::int64_t{st.st_ctim.tv_sec} * 1000000000 + st.st_ctim.tv_nsec;
        return info;
    }

    // A lock that another process holds: a record lock (classic or open-file-description) or a
    // whole-file flock. Both kinds are asked about, as neither sees the other on Linux.
    static Status TestLocks(int fd, const std::string& path) {
        struct flock lock {};
        lock.l_type = F_WRLCK;
        lock.l_whence = SEEK_SET;
        lock.l_start = 0;
        lock.l_len = 0;
        if (::fcntl(fd, F_OFD_GETLK, &lock) == 0 && lock.l_type != F_UNLCK) {
            std::string reason = path + ": locked by another process";
            if (lock.l_pid > 0) reason += " (process " + std::to_string(lock.l_pid) + ")";
            return {ErrorCode::kAccessDenied, reason};
        }
        if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
            if (errno == EWOULDBLOCK) {
                return {ErrorCode::kAccessDenied, path + ": locked by another process"};
            }
        } else {
            ::flock(fd, LOCK_UN);
        }
        return Status::Ok();
    }

    static std::string JoinForStat(const std::string& folder, const std::string& name) {
        if (folder.empty()) return name;
        if (IsSeparator(folder.back())) return folder + name;
        return folder + kSeparator + name;
    }
};

}  // namespace

FileSystem& FileSystem::Default() {
    static PosixFileSystem fs;
    return fs;
}

}  // namespace korrin::platform
