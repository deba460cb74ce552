#pragma once

// The real file system with one step made to fail, for the faults a real one cannot be made
// to show on demand. A failing write gets halfway first, as on a disk that fills up.

#include <memory>
#include <string>
#include <string_view>

#include "platform/file_system.h"

namespace korrin::testing {

class FaultyFileSystem final : public platform::FileSystem {
  public:
    // Every call of the step named denied fails with kAccessDenied; the first failures calls
    // of the step named failing fail with error. Steps are the names of the operations of
    // FileSystem and WritableFile.
    FaultyFileSystem(std::string denied, std::string failing, platform::FileError error,
                     int failures)
        : denied_(std::move(denied)),
          failing_(std::move(failing)),
          error_(error),
          failures_(failures) {}

    // Whether step fails now, and with what.
    platform::FileStatus Step(std::string_view step) {
        if (step == denied_) return {platform::FileError::kAccessDenied, "denied " + denied_};
        if (step == failing_ && failures_ > 0) {
            --failures_;
            return {error_, "failed " + failing_};
        }
        return platform::FileStatus::Ok();
    }

    std::vector<std::string> ListFiles(const std::string& f, platform::FileStatus* s) override {
        return real().ListFiles(f, s);
    }
    platform::FileStatus ReadFile(const std::string& p, std::string* out) override {
        return real().ReadFile(p, out);
    }
    platform::FileStatus NewWritableFile(const std::string& p,
                                         std::unique_ptr<platform::WritableFile>* f) override {
        return real().NewWritableFile(p, f);
    }
    platform::FileStatus RemoveFile(const std::string& p) override { return real().RemoveFile(p); }
    platform::FileStatus RenameFile(const std::string& from, const std::string& to) override {
        const platform::FileStatus s = Step("RenameFile");
        return s.ok() ? real().RenameFile(from, to) : s;
    }
    bool IsRegularFile(const std::string& p) override { return real().IsRegularFile(p); }
    platform::FileStatus ReadWholeFile(const std::string& p, platform::PageBuffer* out,
                                       platform::FileInfo* info) override {
        return real().ReadWholeFile(p, out, info);
    }
    platform::FileStatus Stat(const std::string& p, platform::FileInfo* info) override {
        const platform::FileStatus s = Step("Stat");
        return s.ok() ? real().Stat(p, info) : s;
    }
    platform::FileStatus ResolveLinks(const std::string& p, std::string* r) override {
        return real().ResolveLinks(p, r);
    }
    platform::FileStatus ProbeWritable(const std::string& p) override {
        const platform::FileStatus s = Step("ProbeWritable");
        return s.ok() ? real().ProbeWritable(p) : s;
    }
    platform::FileStatus NewTempFile(const std::string& folder, const std::string& stem,
                                     std::unique_ptr<platform::WritableFile>* file,
                                     std::string* path) override {
        platform::FileStatus s = Step("NewTempFile");
        if (s.ok()) s = real().NewTempFile(folder, stem, file, path);
        if (s.ok()) *file = std::make_unique<File>(*this, std::move(*file));
        return s;
    }
    platform::FileStatus OpenForOverwrite(const std::string& p,
                                          std::unique_ptr<platform::WritableFile>* file) override {
        platform::FileStatus s = Step("OpenForOverwrite");
        if (s.ok()) s = real().OpenForOverwrite(p, file);
        if (s.ok()) *file = std::make_unique<File>(*this, std::move(*file));
        return s;
    }
    platform::FileStatus SyncFolder(const std::string& folder) override {
        const platform::FileStatus s = Step("SyncFolder");
        return s.ok() ? real().SyncFolder(folder) : s;
    }

  private:
    class File final : public platform::WritableFile {
      public:
        File(FaultyFileSystem& fs, std::unique_ptr<platform::WritableFile> real)
            : fs_(fs), real_(std::move(real)) {}
        platform::FileStatus Append(std::string_view data) override {
            const platform::FileStatus s = fs_.Step("Append");
            if (s.ok()) return real_->Append(data);
            real_->Append(data.substr(0, data.size() / 2));
            return s;
        }
        platform::FileStatus WriteAt(std::uint64_t offset, std::string_view data) override {
            const platform::FileStatus s = fs_.Step("WriteAt");
            if (s.ok()) return real_->WriteAt(offset, data);
            real_->WriteAt(offset, data.substr(0, data.size() / 2));
            return s;
        }
        platform::FileStatus AppendFromFile(const std::string& path, std::uint64_t size) override {
            return Pass("AppendFromFile", [&] { return real_->AppendFromFile(path, size); });
        }
        platform::FileStatus Sync() override {
            return Pass("Sync", [&] { return real_->Sync(); });
        }
        platform::FileStatus Close() override {
            // The real file is closed either way, as a failing close() does.
            const platform::FileStatus closed = real_->Close();
            const platform::FileStatus s = fs_.Step("Close");
            return s.ok() ? closed : s;
        }
        platform::FileStatus Truncate(std::uint64_t size) override {
            return Pass("Truncate", [&] { return real_->Truncate(size); });
        }
        platform::FileStatus SetMode(std::uint32_t mode) override {
            return Pass("SetMode", [&] { return real_->SetMode(mode); });
        }
        platform::FileStatus SetOwner(std::uint32_t owner, std::uint32_t group) override {
            return Pass("SetOwner", [&] { return real_->SetOwner(owner, group); });
        }

      private:
        template <typename Call>
        platform::FileStatus Pass(std::string_view step, Call call) {
            const platform::FileStatus s = fs_.Step(step);
            return s.ok() ? call() : s;
        }
        FaultyFileSystem& fs_;
        std::unique_ptr<platform::WritableFile> real_;
    };

    static platform::FileSystem& real() { return platform::FileSystem::Default(); }

    std::string denied_;
    std::string failing_;
    platform::FileError error_;
    int failures_;
};

}  // namespace korrin::testing
