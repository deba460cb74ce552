// The product's file system on Windows. Paths are UTF-8 inside the tool and UTF-16 here, typed
// with either separator. Every file is opened with the sharing it allows said outright, so
// that a file another program holds is told from one that may not be written at all.

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <utility>

#include "platform/file_system.h"
#include "platform/win32/win32_util.h"

namespace korrin::platform {
namespace {

using win32::ApiPath;
using win32::FromError;
using win32::Narrow;

// The characters that follow a temporary file's stem.
constexpr std::size_t kTempSuffixLength = 6;
// WriteFile and ReadFile take a 32-bit count: larger spans go in pieces of this size.
constexpr DWORD kMaxChunk = 1u << 30;

Status LastError(std::string_view what) {
    return FromError(::GetLastError(), what);
}

class Handle {
  public:
    explicit Handle(HANDLE h = INVALID_HANDLE_VALUE) : h_(h) {}
    ~Handle() { reset(); }
    Handle(const Handle&) = delete;
    Handle& operator=(const Handle&) = delete;
    HANDLE get() const { return h_; }
    bool valid() const { return h_ != INVALID_HANDLE_VALUE; }
    HANDLE release() { return std::exchange(h_, INVALID_HANDLE_VALUE); }
    void reset(HANDLE h = INVALID_HANDLE_VALUE) {
        if (valid()) ::CloseHandle(h_);
        h_ = h;
    }

  private:
    HANDLE h_;
};

HANDLE Open(const std::string& path, DWORD access, DWORD share, DWORD disposition,
            DWORD flags = FILE_ATTRIBUTE_NORMAL) {
    return ::CreateFileW(ApiPath(path).c_str(), access, share, nullptr, disposition, flags,
                         nullptr);
}

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

OVERLAPPED At(std::uint64_t offset) {
    OVERLAPPED at{};
    at.Offset = static_cast<DWORD>(offset);
    at.OffsetHigh = static_cast<DWORD>(offset >> 32);
    return at;
}

std::int64_t Nanoseconds(LARGE_INTEGER time) {
    return time.QuadPart * 100;
}

// What the safe save needs of a file. mode holds the file's attributes (read-only, hidden,
// archive...), which a replacement takes over; owner and group stay 0: a new file takes its
// owner and access rights from who makes it and where.
Status InfoOf(HANDLE h, const std::string& path, FileInfo* info) {
    BY_HANDLE_FILE_INFORMATION facts{};
    FILE_BASIC_INFO times{};
    if (!::GetFileInformationByHandle(h, &facts) ||
        !::GetFileInformationByHandleEx(h, FileBasicInfo, &times, sizeof times)) {
        return LastError(path);
    }
    *info = FileInfo{};
    info->regular = ::GetFileType(h) == FILE_TYPE_DISK &&
                    (facts.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    info->size = (std::uint64_t{facts.nFileSizeHigh} << 32) | facts.nFileSizeLow;
    info->mode = facts.dwFileAttributes;
    info->device = facts.dwVolumeSerialNumber;
    info->inode = (std::uint64_t{facts.nFileIndexHigh} << 32) | facts.nFileIndexLow;
    info->modifiedNs = Nanoseconds(times.LastWriteTime);
    info->changedNs = Nanoseconds(times.ChangeTime);
    return Status::Ok();
}

// Opening a folder as a file is refused as access denied; it is no more than "not a file", in
// the words POSIX systems use, so that the message is the same everywhere.
Status OpenFailed(const std::string& path) {
    const DWORD error = ::GetLastError();
    if (error == ERROR_ACCESS_DENIED) {
        const DWORD attributes = ::GetFileAttributesW(ApiPath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return {ErrorCode::kOther, path + ": Is a directory"};
        }
    }
    return FromError(error, path);
}

std::wstring Pattern(const std::string& folder, std::string_view match) {
    std::string pattern = folder.empty() ? std::string() : WithTrailingSeparator(folder);
    pattern += match;
    return ApiPath(pattern);
}

// Calls each(name, attributes) for every entry of folder whose name matches match.
template <typename Each>
Status ForEachEntry(const std::string& folder, std::string_view match, Each each) {
    WIN32_FIND_DATAW found{};
    const HANDLE search = ::FindFirstFileExW(Pattern(folder, match).c_str(), FindExInfoBasic,
                                             &found, FindExSearchNameMatch, nullptr, 0);
    if (search == INVALID_HANDLE_VALUE) {
        const DWORD error = ::GetLastError();
        // An empty match in an existing folder.
        if (error == ERROR_FILE_NOT_FOUND || error == ERROR_NO_MORE_FILES) return Status::Ok();
        return FromError(error, folder);
    }
    do {
        each(Narrow(found.cFileName), found.dwFileAttributes);
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
    return Status::Ok();
}

class Win32WritableFile final : public WritableFile {
  public:
    // append: every Append lands at the file's end as it is then (see OpenForAppend).
    Win32WritableFile(HANDLE h, std::string path, bool append = false)
        : h_(h), path_(std::move(path)), append_(append) {}

    Status Append(std::string_view data) override {
        // An offset of all ones is Windows' "at the end", in one step with the write.
        if (append_) return WriteAt(~std::uint64_t{0}, data);
        const Status status = WriteAt(position_, data);
        if (status.ok()) position_ += data.size();
        return status;
    }

    Status Sync() override {
        if (!::FlushFileBuffers(h_.get())) return LastError(path_);
        return Status::Ok();
    }

    Status Close() override {
        const HANDLE h = h_.release();
        if (h != INVALID_HANDLE_VALUE && !::CloseHandle(h)) return LastError(path_);
        return Status::Ok();
    }

    // Every write names its offset, so that WriteAt leaves the place of the next Append alone.
    Status WriteAt(std::uint64_t offset, std::string_view data) override {
        while (!data.empty()) {
            OVERLAPPED at = At(offset);
            DWORD wrote = 0;
            const DWORD size = static_cast<DWORD>(std::min<std::size_t>(data.size(), kMaxChunk));
            if (!::WriteFile(h_.get(), data.data(), size, &wrote, &at)) return LastError(path_);
            if (wrote == 0) return {ErrorCode::kOther, path_ + ": nothing was written"};
            data.remove_prefix(wrote);
            if (!append_) offset += wrote;
        }
        return Status::Ok();
    }

    Status AppendFromFile(const std::string& path, std::uint64_t size) override {
        Handle from(Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
        if (!from.valid()) return OpenFailed(path);
        std::string buffer(std::size_t{1} << 20, '\0');
        while (size > 0) {
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::uint64_t>(size, buffer.size()));
            if (!::ReadFile(from.get(), buffer.data(), want, &got, nullptr)) return LastError(path);
            if (got == 0) return {ErrorCode::kOther, path + ": shorter than expected"};
            const Status status = Append(std::string_view(buffer.data(), got));
            if (!status.ok()) return status;
            size -= got;
        }
        return Status::Ok();
    }

    Status Truncate(std::uint64_t size) override {
        FILE_END_OF_FILE_INFO end{};
        end.EndOfFile.QuadPart = static_cast<LONGLONG>(size);
        if (!::SetFileInformationByHandle(h_.get(), FileEndOfFileInfo, &end, sizeof end)) {
            return LastError(path_);
        }
        position_ = std::min(position_, size);
        return Status::Ok();
    }

    // mode holds attributes here (see InfoOf); times stay as they are.
    Status SetMode(std::uint32_t mode) override {
        FILE_BASIC_INFO basic{};
        basic.FileAttributes = mode & ~DWORD{FILE_ATTRIBUTE_DIRECTORY};
        if (basic.FileAttributes == 0) basic.FileAttributes = FILE_ATTRIBUTE_NORMAL;
        if (!::SetFileInformationByHandle(h_.get(), FileBasicInfo, &basic, sizeof basic)) {
            return LastError(path_);
        }
        return Status::Ok();
    }

    // A new file's owner and rights come from who makes it and from its folder, which is what
    // the file it replaces had in all but hand-made cases: nothing to carry over.
    Status SetOwner(std::uint32_t, std::uint32_t) override { return Status::Ok(); }

  private:
    Handle h_;
    std::string path_;
    std::uint64_t position_ = 0;
    bool append_ = false;
};

class Win32ReadableFile final : public ReadableFile {
  public:
    Win32ReadableFile(HANDLE h, std::string path) : h_(h), path_(std::move(path)) {}

    Status ReadAt(std::uint64_t offset, char* out, std::size_t size, std::size_t* got) override {
        *got = 0;
        while (*got < size) {
            OVERLAPPED at = At(offset + *got);
            DWORD n = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - *got, kMaxChunk));
            if (!::ReadFile(h_.get(), out + *got, want, &n, &at)) {
                if (::GetLastError() == ERROR_HANDLE_EOF) break;
                return LastError(path_);
            }
            if (n == 0) break;
            *got += n;
        }
        return Status::Ok();
    }

  private:
    Handle h_;
    std::string path_;
};

class Win32FileSystem final : public FileSystem {
  public:
    std::vector<std::string> ListFiles(const std::string& folder, Status* status) override {
        std::vector<std::string> names;
        *status = ForEachEntry(folder, "*", [&](std::string name, DWORD attributes) {
            if (name.empty() || name[0] == '.') return;
            if (attributes & FILE_ATTRIBUTE_DIRECTORY) return;
            names.push_back(std::move(name));
        });
        return names;
    }

    Status ReadFile(const std::string& path, std::string* out) override {
        out->clear();
        Handle h(Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
        if (!h.valid()) return OpenFailed(path);
        char buffer[65536];
        for (;;) {
            DWORD got = 0;
            if (!::ReadFile(h.get(), buffer, sizeof buffer, &got, nullptr)) {
                out->clear();
                return LastError(path);
            }
            if (got == 0) return Status::Ok();
            out->append(buffer, got);
        }
    }

    Status NewWritableFile(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        file->reset();
        // Others may read it meanwhile, as on other systems; nobody may write or delete it.
        const HANDLE h = Open(path, GENERIC_WRITE, FILE_SHARE_READ, CREATE_ALWAYS);
        if (h == INVALID_HANDLE_VALUE) return OpenFailed(path);
        *file = std::make_unique<Win32WritableFile>(h, path);
        return Status::Ok();
    }

    Status RemoveFile(const std::string& path) override {
        if (!::DeleteFileW(ApiPath(path).c_str())) return LastError(path);
        return Status::Ok();
    }

    // Virus scanners and indexers open a freshly written file for a moment; the rename waits
    // for them, about a second in all. A program that holds either file for good is still
    // refused at the end.
    Status RenameFile(const std::string& from, const std::string& to) override {
        const std::wstring source = ApiPath(from);
        const std::wstring destination = ApiPath(to);
        DWORD wait = 10;
        for (int attempt = 0;; ++attempt) {
            if (::MoveFileExW(source.c_str(), destination.c_str(),
                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
                return Status::Ok();
            }
            const DWORD error = ::GetLastError();
            const bool held = error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION ||
                              error == ERROR_ACCESS_DENIED;
            if (!held || attempt == 6) return FromError(error, to);
            ::Sleep(wait);
            wait *= 2;
        }
    }

    bool IsRegularFile(const std::string& path) override {
        FileInfo info;
        return Stat(path, &info).ok() && info.regular;
    }

    Status OpenForReading(const std::string& path, std::unique_ptr<ReadableFile>* file,
                          FileInfo* info) override {
        file->reset();
        Handle h(Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN));
        if (!h.valid()) return OpenFailed(path);
        const Status status = InfoOf(h.get(), path, info);
        if (!status.ok()) return status;
        if (!info->regular) return {ErrorCode::kOther, path + ": not a regular file"};
        *file = std::make_unique<Win32ReadableFile>(h.release(), path);
        return Status::Ok();
    }

    Status Stat(const std::string& path, FileInfo* info) override {
        // No access but to attributes, so that a file another program holds can still be
        // looked at; folders need the backup flag to be opened at all.
        Handle h(
            Open(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
        if (!h.valid()) return LastError(path);
        return InfoOf(h.get(), path, info);
    }

    Status ResolveLinks(const std::string& path, std::string* resolved) override {
        Handle h(
            Open(path, FILE_READ_ATTRIBUTES, kShareAll, OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS));
        if (!h.valid()) return LastError(path);
        std::wstring name;
        if (!win32::FinalPath(h.get(), &name)) return LastError(path);
        *resolved = Narrow(name);
        return Status::Ok();
    }

    Status ProbeWritable(const std::string& path) override {
        // Sharing everything: what still refuses the open is a program that denies writing to
        // others (a running executable is one), the read-only attribute or missing rights.
        // The read-only attribute is asked about as well: a privileged user under an emulator
        // may be let through where Windows would refuse.
        const DWORD attributes = ::GetFileAttributesW(ApiPath(path).c_str());
        if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) {
            return FromError(ERROR_ACCESS_DENIED, path + " (read-only)");
        }
        Handle h(Open(path, GENERIC_WRITE, kShareAll, OPEN_EXISTING));
        if (!h.valid()) return OpenFailed(path);
        if (::GetFileType(h.get()) != FILE_TYPE_DISK) {
            return {ErrorCode::kOther, path + ": not a regular file"};
        }
        // A lock on any range of the file, held by another program, would fail the write.
        OVERLAPPED whole = At(0);
        if (!::LockFileEx(h.get(), LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, MAXDWORD,
                          MAXDWORD, &whole)) {
            const DWORD error = ::GetLastError();
            if (error == ERROR_LOCK_VIOLATION || error == ERROR_IO_PENDING) {
                return {ErrorCode::kAccessDenied, path + ": locked by another program"};
            }
            return FromError(error, path);
        }
        ::UnlockFileEx(h.get(), 0, MAXDWORD, MAXDWORD, &whole);
        return Status::Ok();
    }

    Status NewTempFile(const std::string& folder, const std::string& stem,
                       std::unique_ptr<WritableFile>* file, std::string* path) override {
        file->reset();
        static std::atomic<std::uint64_t> counter{0};
        for (int attempt = 0; attempt < 100; ++attempt) {
            std::uint64_t seed = ::GetCurrentProcessId() * 0x9E3779B97F4A7C15ull ^
                                 static_cast<std::uint64_t>(
                                     std::chrono::steady_clock::now().time_since_epoch().count()) ^
                                 (counter.fetch_add(1) << 40);
            std::string name = folder + stem;
            for (std::size_t i = 0; i < kTempSuffixLength; ++i) {
                name += "abcdefghijklmnopqrstuvwxyz0123456789"[seed % 36];
                seed /= 36;
            }
            // Shared with readers only: while it is open, RemoveAbandonedTempFiles cannot
            // delete it. Hidden until it takes the attributes of the file it replaces.
            const HANDLE h = Open(name, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ, CREATE_NEW,
                                  FILE_ATTRIBUTE_HIDDEN);
            if (h != INVALID_HANDLE_VALUE) {
                *path = name;
                *file = std::make_unique<Win32WritableFile>(h, name);
                return Status::Ok();
            }
            if (::GetLastError() != ERROR_FILE_EXISTS)
                return OpenFailed(folder.empty() ? "." : folder);
        }
        return {ErrorCode::kOther, folder + ": no free name for a new file"};
    }

    Status RemoveAbandonedTempFiles(const std::string& folder, const std::string& stem) override {
        std::vector<std::string> leftovers;
        const Status listed =
            ForEachEntry(folder, stem + "*", [&](std::string name, DWORD attributes) {
                if (name.size() != stem.size() + kTempSuffixLength || !name.starts_with(stem))
                    return;
                if (attributes & FILE_ATTRIBUTE_DIRECTORY) return;
                leftovers.push_back(std::move(name));
            });
        if (!listed.ok()) return listed;
        Status status = Status::Ok();
        for (const std::string& name : leftovers) {
            const std::string path =
                (folder.empty() ? std::string() : WithTrailingSeparator(folder)) + name;
            if (::DeleteFileW(ApiPath(path).c_str())) continue;
            const DWORD error = ::GetLastError();
            // A save still writing it has it open without sharing deletion.
            if (error == ERROR_SHARING_VIOLATION || error == ERROR_FILE_NOT_FOUND) continue;
            if (status.ok()) status = FromError(error, path);
        }
        return status;
    }

    Status OpenForOverwrite(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        file->reset();
        const HANDLE h = Open(path, GENERIC_WRITE, FILE_SHARE_READ, OPEN_EXISTING);
        if (h == INVALID_HANDLE_VALUE) return OpenFailed(path);
        *file = std::make_unique<Win32WritableFile>(h, path);
        return Status::Ok();
    }

    Status OpenForAppend(const std::string& path, std::unique_ptr<WritableFile>* file) override {
        file->reset();
        // Append access alone: every write lands at the end of the file as it is then, and other
        // processes may append through handles of their own.
        const HANDLE h = Open(path, FILE_APPEND_DATA | SYNCHRONIZE,
                              FILE_SHARE_READ | FILE_SHARE_WRITE, OPEN_ALWAYS);
        if (h == INVALID_HANDLE_VALUE) return OpenFailed(path);
        *file = std::make_unique<Win32WritableFile>(h, path, /*append=*/true);
        return Status::Ok();
    }

    Status CreateFolders(const std::string& path) override {
        // Each folder on the way, from the first below the root; those that exist are passed.
        for (std::size_t at = 0; at <= path.size(); ++at) {
            if (at < path.size() && !IsSeparator(path[at])) continue;
            const std::string part = path.substr(0, at);
            if (part.empty() || part.back() == ':' || IsSeparator(part.back())) continue;
            ::CreateDirectoryW(ApiPath(part).c_str(), nullptr);
        }
        const DWORD attributes = ::GetFileAttributesW(ApiPath(path).c_str());
        if (attributes == INVALID_FILE_ATTRIBUTES) return LastError(path);
        if (!(attributes & FILE_ATTRIBUTE_DIRECTORY)) {
            return FromError(ERROR_DIRECTORY, path);
        }
        return Status::Ok();
    }

    Status ReadAt(const std::string& path, std::uint64_t offset, std::size_t size,
                  std::string* out) override {
        out->clear();
        Handle h(Open(path, GENERIC_READ, kShareAll, OPEN_EXISTING));
        if (!h.valid()) return OpenFailed(path);
        if (::GetFileType(h.get()) != FILE_TYPE_DISK) {
            return {ErrorCode::kOther, path + ": not a regular file"};
        }
        out->resize(size);
        std::size_t done = 0;
        while (done < size) {
            OVERLAPPED at = At(offset + done);
            DWORD got = 0;
            const DWORD want = static_cast<DWORD>(std::min<std::size_t>(size - done, kMaxChunk));
            if (!::ReadFile(h.get(), out->data() + done, want, &got, &at)) {
                const DWORD error = ::GetLastError();
                if (error == ERROR_HANDLE_EOF) break;
                out->clear();
                return FromError(error, path);
            }
            if (got == 0) break;
            done += got;
        }
        out->resize(done);
        return Status::Ok();
    }

    // The rename was written through (MOVEFILE_WRITE_THROUGH); Windows has no way to flush a
    // folder's names for a caller without administrator rights.
    Status SyncFolder(const std::string&) override { return Status::Ok(); }
};

}  // namespace

FileSystem& FileSystem::Default() {
    static Win32FileSystem fs;
    return fs;
}

}  // namespace korrin::platform
