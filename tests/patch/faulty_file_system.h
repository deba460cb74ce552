#pragma once

// The real file system with one step made to fail, for the faults a real one cannot be made
// to show on demand. A failing write gets halfway first, as on a disk that fills up.

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <unistd.h>
#endif

#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "forwarding_file_system.h"
#include "platform/file_system.h"

namespace korrin::testing {

class FaultyFileSystem final : public ForwardingFileSystem {
  public:
    // Every call of the step named denied fails with kAccessDenied; the first failures calls
    // of the step named failing fail with error. Steps are the names of the operations of
    // FileSystem and WritableFile.
    FaultyFileSystem(std::string denied, std::string failing, ErrorCode error, int failures)
        : denied_(std::move(denied)),
          failing_(std::move(failing)),
          error_(error),
          failures_(failures) {}

    // Sweeps count every step of any kind from 1 on, so that a fault can be put at each in turn.
    enum class Fault {
        kNone,
        kFail,         // the step fails, as on a disk that has just filled up
        kFailOnward,   // it and every later step fail: the disk stays full
        kKillBefore,   // the process is killed (SIGKILL) before the step
        kKillHalfway,  // a write gets halfway and the process is killed; other steps as before
        kKillAfter,    // the step is done and the process is killed
    };
    void Sweep(int step, Fault fault) {
        sweepStep_ = step;
        sweepFault_ = fault;
    }
    // Runs action right before step number `step`, as another program would act then.
    void OnStep(int step, std::function<void()> action) {
        actionStep_ = step;
        action_ = std::move(action);
    }
    // How many steps have been taken so far, and which.
    int steps() const { return steps_; }
    const std::vector<std::string>& taken() const { return taken_; }

    // Whether step fails now, and with what.
    Status Step(std::string_view step) {
        ++steps_;
        taken_.emplace_back(step);
        if (steps_ == actionStep_ && action_) action_();
        if (Here(Fault::kKillBefore)) Die();
        // A full disk still lets files be removed.
        const bool full =
            sweepFault_ == Fault::kFailOnward && steps_ >= sweepStep_ && step != "RemoveFile";
        if (Here(Fault::kFail) || full) {
            return {ErrorCode::kOther, std::string(step) + ": No space left on device"};
        }
        if (step == denied_) return {ErrorCode::kAccessDenied, "denied " + denied_};
        if (step == failing_ && failures_ > 0) {
            --failures_;
            return {error_, "failed " + failing_};
        }
        return Status::Ok();
    }

    Status RemoveFile(const std::string& p) override {
        return Pass("RemoveFile", [&] { return real().RemoveFile(p); });
    }
    Status RenameFile(const std::string& from, const std::string& to) override {
        return Pass("RenameFile", [&] { return real().RenameFile(from, to); });
    }
    // Reading is no step: the search reads on while the save's first steps run on another
    // thread, and the steps must come in the same order every time.
    Status OpenForReading(const std::string& p, std::unique_ptr<platform::ReadableFile>* file,
                          platform::FileInfo* info) override {
        return real().OpenForReading(p, file, info);
    }
    Status Stat(const std::string& p, platform::FileInfo* info) override {
        return Pass("Stat", [&] { return real().Stat(p, info); });
    }
    Status ResolveLinks(const std::string& p, std::string* r) override {
        return real().ResolveLinks(p, r);
    }
    Status ProbeWritable(const std::string& p) override {
        return Pass("ProbeWritable", [&] { return real().ProbeWritable(p); });
    }
    Status NewTempFile(const std::string& folder, const std::string& stem,
                       std::unique_ptr<platform::WritableFile>* file, std::string* path) override {
        const Status s =
            Pass("NewTempFile", [&] { return real().NewTempFile(folder, stem, file, path); });
        if (s.ok()) *file = std::make_unique<File>(*this, std::move(*file));
        return s;
    }
    Status RemoveAbandonedTempFiles(const std::string& folder, const std::string& stem) override {
        return Pass("RemoveAbandonedTempFiles",
                    [&] { return real().RemoveAbandonedTempFiles(folder, stem); });
    }
    Status OpenForOverwrite(const std::string& p,
                            std::unique_ptr<platform::WritableFile>* file) override {
        const Status s = Pass("OpenForOverwrite", [&] { return real().OpenForOverwrite(p, file); });
        if (s.ok()) *file = std::make_unique<File>(*this, std::move(*file));
        return s;
    }
    Status SyncFolder(const std::string& folder) override {
        return Pass("SyncFolder", [&] { return real().SyncFolder(folder); });
    }

  private:
    class File final : public platform::WritableFile {
      public:
        File(FaultyFileSystem& fs, std::unique_ptr<platform::WritableFile> real)
            : fs_(fs), real_(std::move(real)) {}
        Status Append(std::string_view data) override {
            return Write(
                "Append", [&] { return real_->Append(data); },
                [&] {
                    IgnoreStatus(real_->Append(data.substr(0, data.size() / 2)),
                                 "the injected fault is what the caller sees");
                });
        }
        Status WriteAt(std::uint64_t offset, std::string_view data) override {
            return Write(
                "WriteAt", [&] { return real_->WriteAt(offset, data); },
                [&] {
                    IgnoreStatus(real_->WriteAt(offset, data.substr(0, data.size() / 2)),
                                 "the injected fault is what the caller sees");
                });
        }
        Status AppendFromFile(const std::string& path, std::uint64_t size) override {
            return Write(
                "AppendFromFile", [&] { return real_->AppendFromFile(path, size); },
                [&] {
                    IgnoreStatus(real_->AppendFromFile(path, size / 2),
                                 "the injected fault is what the caller sees");
                });
        }
        Status Sync() override {
            return fs_.Pass("Sync", [&] { return real_->Sync(); });
        }
        Status Close() override {
            // The real file is closed either way, as a failing close() does.
            return fs_.Pass(
                "Close", [&] { return Status::Ok(); }, [&] { return real_->Close(); });
        }
        Status Truncate(std::uint64_t size) override {
            return fs_.Pass("Truncate", [&] { return real_->Truncate(size); });
        }
        Status SetMode(std::uint32_t mode) override {
            return fs_.Pass("SetMode", [&] { return real_->SetMode(mode); });
        }
        Status SetOwner(std::uint32_t owner, std::uint32_t group) override {
            return fs_.Pass("SetOwner", [&] { return real_->SetOwner(owner, group); });
        }

      private:
        // A write that fails, or is killed, halfway has written its first half.
        template <typename Call, typename Half>
        Status Write(std::string_view step, Call call, Half half) {
            const Status s = fs_.Step(step);
            if (!s.ok() || fs_.Here(Fault::kKillHalfway)) {
                half();
                if (s.ok()) Die();
                return s;
            }
            const Status done = call();
            if (fs_.Here(Fault::kKillAfter)) Die();
            return done;
        }
        FaultyFileSystem& fs_;
        std::unique_ptr<platform::WritableFile> real_;
    };

    bool Here(Fault fault) const { return sweepFault_ == fault && steps_ == sweepStep_; }
    [[noreturn]] static void Die() {
#ifdef _WIN32
        // As abrupt as SIGKILL: the system closes the handles, nothing of the process runs.
        ::TerminateProcess(::GetCurrentProcess(), 137);
        for (;;) ::Sleep(INFINITE);
#else
        ::kill(::getpid(), SIGKILL);
        for (;;) ::pause();
#endif
    }

    // The step, unless it fails; always is done first whatever happens, as a close is.
    template <typename Call, typename Always>
    Status Pass(std::string_view step, Call call, Always always) {
        const Status s = Step(step);
        if (Here(Fault::kKillHalfway)) Die();
        const Status done = always();
        if (!s.ok()) return s;
        const Status result = done.ok() ? call() : done;
        if (Here(Fault::kKillAfter)) Die();
        return result;
    }
    template <typename Call>
    Status Pass(std::string_view step, Call call) {
        return Pass(step, call, [] { return Status::Ok(); });
    }

    std::string denied_;
    std::string failing_;
    ErrorCode error_;
    int failures_;

    int steps_ = 0;
    std::vector<std::string> taken_;
    int actionStep_ = 0;
    std::function<void()> action_;
    int sweepStep_ = 0;
    Fault sweepFault_ = Fault::kNone;
};

}  // namespace korrin::testing
