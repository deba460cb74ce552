// A fault at every step of Apply's save, in turn: each step failing once, the disk filling up
// from each step on, the process killed before, halfway through and after each step, another
// program changing the target at each step, and, with real faults, a file size limit and a full
// file system at every point of the write. The save's first half (the copy and its flush) runs
// on a second thread while the target is searched, so these faults fall during the search too.
// After each trial the target is byte for byte the file it was or the patched one, and once
// the next Apply is done no temporary file is left beside it.
//
// Each test prints its figures ("trials", "corrupted"), which docs/reliability.md gathers.

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sched.h>
#include <signal.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>

#include "faulty_file_system.h"
#include "patch/apply.h"
#include "target_checks.h"
#include "temp_folder.h"

namespace korrin::patch {
namespace {

using korrin::testing::EntriesOf;
using korrin::testing::FaultyFileSystem;
using korrin::testing::TempFolder;
using Fault = FaultyFileSystem::Fault;
using ::testing::ElementsAre;

// Large enough that the system copies it in more than one piece, and a write cut halfway
// leaves a part of it.
constexpr std::size_t kSize = 3 * 4096 + 123;

// Bytes in which "\x11" occurs once near the start and "\x33" once near the end, so that the
// bytes Apply changes after them lie in different halves and pages of the file.
std::string Original() {
    std::string data(kSize, '\0');
    for (std::size_t i = 0; i < kSize; ++i) data[i] = static_cast<char>(0x40 + i % 61);
    data[10] = '\x11';
    data[kSize - 10] = '\x33';
    return data;
}

std::string Patched() {
    std::string data = Original();
    data[11] = '\xAA';
    data[kSize - 9] = '\xBB';
    return data;
}

ApplyRequest Request(const TempFolder& dir) {
    ApplyRequest request;
    request.targetPath = dir.file("vplaces.exe");
    request.valueKind = catalogue::ValueKind::kYesNo;
    request.onBytes = "AA,BB";
    request.locationList = "11,33";
    return request;
}

std::optional<std::string> Contents(const TempFolder& dir) {
    if (!dir.Exists("vplaces.exe")) return std::nullopt;
    return dir.Read("vplaces.exe");
}

struct Figures {
    int trials = 0;
    int corrupted = 0;

    void Print(const char* test) const {
        std::cout << "[ figures  ] " << test << ": " << trials << " trials, " << corrupted
                  << " corrupted\n";
    }
};

// Counts the trial, and a corrupted file when the target is neither what it was nor patched;
// what Apply said must be what happened.
void Judge(Figures& figures, const std::optional<std::string>& before, const TempFolder& dir,
           const ApplyResult& result, const std::string& trial) {
    ++figures.trials;
    const std::optional<std::string> after = Contents(dir);
    const bool kept = after == before;
    const bool done = after == Patched();
    if (!kept && !done) ++figures.corrupted;
    EXPECT_TRUE(kept || done) << trial << ": the file is neither as it was nor patched";
    if (result.succeeded()) {
        EXPECT_TRUE(done) << trial << ": saved, but not patched";
    }
    if (result.message.ends_with("The file was left as it was.") ||
        result.message == kTargetChangedMessage) {
        EXPECT_TRUE(kept) << trial << ": said to be as it was, but not";
    }
}

// The Apply after a failed or killed one: through the real file system, it leaves the folder
// holding the target alone.
void ExpectCleanNextApply(const TempFolder& dir, const std::string& trial) {
    if (!dir.Exists("vplaces.exe")) dir.Write("vplaces.exe", Original());
    const ApplyResult result = ApplyPatch(platform::FileSystem::Default(), Request(dir));
    EXPECT_TRUE(result.succeeded()) << trial << ": " << result.message;
    EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe")) << trial;
}

TEST(SaveSweep, EveryStepFailingInTurn) {
    Figures figures;
    for (const bool inPlace : {false, true}) {
        for (const Fault fault : {Fault::kFail, Fault::kFailOnward}) {
            // In place, a disk that refuses every write from some point on leaves no way to put
            // the old bytes back; Apply says so ("may be damaged"). Only a file system that
            // allocates on overwrite can fail that way.
            if (inPlace && fault == Fault::kFailOnward) continue;
            for (int step = 1;; ++step) {
                const std::string trial = std::string(inPlace ? "in place, " : "") +
                                          (fault == Fault::kFail ? "failing" : "full") +
                                          " at step " + std::to_string(step);
                const TempFolder dir;
                dir.Write("vplaces.exe", Original());
                FaultyFileSystem fs(inPlace ? "NewTempFile" : "", "", ErrorCode::kOther, 0);
                fs.Sweep(step, fault);
                const ApplyResult result = ApplyPatch(fs, Request(dir));
                Judge(figures, Original(), dir, result, trial);
                EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe")) << trial;
                ExpectCleanNextApply(dir, trial);
                if (fs.steps() < step) {
                    EXPECT_TRUE(result.succeeded()) << trial << ": " << result.message;
                    break;
                }
            }
        }
    }
    figures.Print("SaveSweep.EveryStepFailingInTurn");
}

#ifndef _WIN32
// Faults with no Windows form: another program writing a file this one has open (Windows
// refuses it while the save's handle lives), fork, a file size limit (setrlimit) and a small
// tmpfs in a private mount namespace. The Windows twins of the killed save and the full disk
// are in save_fault_win32_test.cpp and the sweep of failing steps above.

// Another program writes, replaces or removes the target at each step of the save in turn, up
// to the save's last look at it: Apply must leave the target as that program left it and say
// so. (What another program does between that look and the rename is a race that no program
// replacing files by rename can see.)
TEST(SaveSweep, TargetChangedAtEveryStep) {
    enum class Change { kWritten, kReplaced, kRemoved };
    Figures figures;
    for (const Change change : {Change::kWritten, Change::kReplaced, Change::kRemoved}) {
        for (const bool inPlace : {false, true}) {
            int lastLook = 0;
            {
                const TempFolder dir;
                dir.Write("vplaces.exe", Original());
                FaultyFileSystem fs(inPlace ? "NewTempFile" : "", "", ErrorCode::kOther, 0);
                ASSERT_TRUE(ApplyPatch(fs, Request(dir)).succeeded());
                const auto& taken = fs.taken();
                lastLook = static_cast<int>(std::find(taken.rbegin(), taken.rend(), "Stat").base() -
                                            taken.begin());
            }
            for (int step = 1; step <= lastLook; ++step) {
                const std::string trial = "change " + std::to_string(static_cast<int>(change)) +
                                          (inPlace ? ", in place" : "") + " at step " +
                                          std::to_string(step);
                const TempFolder dir;
                const std::string path = dir.Write("vplaces.exe", Original());
                std::string other = Original();
                other[kSize / 4] = '\x01';
                FaultyFileSystem fs(inPlace ? "NewTempFile" : "", "", ErrorCode::kOther, 0);
                fs.OnStep(step, [&] {
                    if (change == Change::kRemoved) {
                        std::filesystem::remove(path);
                    } else if (change == Change::kReplaced) {
                        dir.Write("replacement", other);
                        std::filesystem::rename(dir.file("replacement"), path);
                    } else {
                        // Same file, same size: only its times tell that it changed.
                        dir.Write("vplaces.exe", other);
                        std::filesystem::last_write_time(path, std::filesystem::file_time_type{});
                    }
                });
                const ApplyResult result = ApplyPatch(fs, Request(dir));
                const std::optional<std::string> expected =
                    change == Change::kRemoved ? std::nullopt : std::optional(other);
                ++figures.trials;
                if (Contents(dir) != expected) ++figures.corrupted;
                EXPECT_TRUE(Contents(dir) == expected) << trial << ": not as the other left it";
                EXPECT_EQ(result.message, kTargetChangedMessage) << trial;
                EXPECT_THAT(
                    EntriesOf(dir),
                    ::testing::Not(::testing::Contains(::testing::StartsWith(".vplaces.exe"))))
                    << trial;
            }
        }
    }
    figures.Print("SaveSweep.TargetChangedAtEveryStep");
}

// Apply runs in a child process that a fault kills with SIGKILL, the search's thread with it;
// the parent then looks at what is left and applies again.
TEST(SaveSweep, KilledAtEveryStep) {
    // Not in place: a kill between the writes of two changes leaves one of them there. Only a
    // copy beside the file makes a killed save harmless.
    Figures figures;
    {
        for (const Fault fault : {Fault::kKillBefore, Fault::kKillHalfway, Fault::kKillAfter}) {
            for (int step = 1;; ++step) {
                const std::string trial = std::string("killed ") +
                                          (fault == Fault::kKillBefore    ? "before"
                                           : fault == Fault::kKillHalfway ? "halfway through"
                                                                          : "after") +
                                          " step " + std::to_string(step);
                const TempFolder dir;
                dir.Write("vplaces.exe", Original());
                std::cout.flush();
                const pid_t child = ::fork();
                ASSERT_GE(child, 0);
                if (child == 0) {
                    FaultyFileSystem fs("", "", ErrorCode::kOther, 0);
                    fs.Sweep(step, fault);
                    ::_exit(ApplyPatch(fs, Request(dir)).succeeded() ? 0 : 1);
                }
                int wait = 0;
                ASSERT_EQ(::waitpid(child, &wait, 0), child);
                const ApplyResult none{ApplyOutcome::kPatchFailed, "killed"};
                Judge(figures, Original(), dir, none, trial);
                ExpectCleanNextApply(dir, trial);
                if (WIFEXITED(wait)) {
                    // Apply took fewer steps: it went through untouched.
                    EXPECT_EQ(WEXITSTATUS(wait), 0) << trial;
                    break;
                }
                ASSERT_TRUE(WIFSIGNALED(wait) && WTERMSIG(wait) == SIGKILL) << trial;
            }
        }
    }
    figures.Print("SaveSweep.KilledAtEveryStep");
}

// A real limit on the size of files this process writes, at every 512 bytes of the new copy:
// write() and the system's copy fail with EFBIG wherever the limit falls.
TEST(SaveSweep, FileSizeLimitAtEveryPoint) {
    struct sigaction ignore {
    }, old{};
    ignore.sa_handler = SIG_IGN;
    ASSERT_EQ(::sigaction(SIGXFSZ, &ignore, &old), 0);
    rlimit saved{};
    ASSERT_EQ(::getrlimit(RLIMIT_FSIZE, &saved), 0);

    Figures figures;
    for (std::size_t limit = 0; limit <= kSize + 512; limit += 512) {
        const std::string trial = "at most " + std::to_string(limit) + " bytes per file";
        const TempFolder dir;
        dir.Write("vplaces.exe", Original());
        rlimit capped = saved;
        capped.rlim_cur = limit;
        ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &capped), 0);
        const ApplyResult result = ApplyPatch(platform::FileSystem::Default(), Request(dir));
        ::setrlimit(RLIMIT_FSIZE, &saved);

        Judge(figures, Original(), dir, result, trial);
        EXPECT_EQ(result.succeeded(), limit >= kSize) << trial << ": " << result.message;
        EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe")) << trial;
    }
    ::sigaction(SIGXFSZ, &old, nullptr);
    figures.Print("SaveSweep.FileSizeLimitAtEveryPoint");
}

// A real file system that fills up: a tmpfs with room for the target and from none to more than
// enough pages for its new copy.
TEST(SaveSweep, FullFileSystemAtEveryPage) {
    if (::unshare(CLONE_NEWNS) != 0) {
        GTEST_SKIP() << "no private mount namespace here: " << std::strerror(errno);
    }
    if (::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0) {
        GTEST_SKIP() << "cannot make mounts private: " << std::strerror(errno);
    }
    const std::size_t page = static_cast<std::size_t>(::sysconf(_SC_PAGESIZE));
    const std::size_t pages = (kSize + page - 1) / page;
    Figures figures;
    for (std::size_t spare = 0; spare <= pages + 1; ++spare) {
        const std::string trial = std::to_string(spare) + " pages spare";
        const TempFolder dir;
        const std::string size = "size=" + std::to_string((pages + spare) * page);
        if (::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, size.c_str()) != 0) {
            GTEST_SKIP() << "cannot mount a small tmpfs: " << std::strerror(errno);
        }
        dir.Write("vplaces.exe", Original());
        const ApplyResult result = ApplyPatch(platform::FileSystem::Default(), Request(dir));
        const std::vector<std::string> entries = EntriesOf(dir);
        Judge(figures, Original(), dir, result, trial);
        ::umount2(dir.path().c_str(), MNT_DETACH);

        EXPECT_EQ(result.succeeded(), spare >= pages) << trial << ": " << result.message;
        EXPECT_THAT(entries, ElementsAre("vplaces.exe")) << trial;
    }
    figures.Print("SaveSweep.FullFileSystemAtEveryPage");
}

#endif

}  // namespace
}  // namespace korrin::patch
