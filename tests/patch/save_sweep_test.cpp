// A fault at every step of a save, in turn: each step failing once, the disk filling up from each
// step on, the process killed before, halfway through and after each step, and, with real faults,
// a file size limit and a full file system at every point of the write. After each trial the
// target is byte for byte the file it was or the patched one, and once the next save is done no
// temporary file is left beside it.
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

#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <optional>

#include "faulty_file_system.h"
#include "patch/vp_patch.h"
#include "target_checks.h"
#include "temp_folder.h"

namespace korrin::patch {
namespace {

using korrin::testing::EntriesOf;
using korrin::testing::FaultyFileSystem;
using korrin::testing::TempFolder;
using Fault = FaultyFileSystem::Fault;
using ::testing::ElementsAre;

// The large enough file: the system copies it in more than one piece, and a write cut halfway
// leaves a part of it.
constexpr std::size_t kSize = 3 * 4096 + 123;

// Bytes in which "\x11" occurs once near the start and "\x33" once near the end, so that the
// bytes the engine changes after them lie in different halves and pages of the file.
std::string Original(std::size_t size) {
    std::string data(size, '\0');
    for (std::size_t i = 0; i < size; ++i) data[i] = static_cast<char>(0x40 + i % 61);
    data[10] = '\x11';
    data[size - 10] = '\x33';
    return data;
}

// How the file on disk stands to the loaded one when the save comes.
enum class Since { kUnchanged, kWritten, kReplaced, kRemoved };

const char* Name(Since since) {
    switch (since) {
        case Since::kUnchanged:
            return "unchanged since the load";
        case Since::kWritten:
            return "written to since the load";
        case Since::kReplaced:
            return "replaced since the load";
        case Since::kRemoved:
            return "removed since the load";
    }
    return "";
}

// Loads and patches the target, then changes it on disk as since says. Returns what the file then
// holds, none when it is gone.
std::optional<std::string> LoadPatchAndChange(vpPatch& engine, const TempFolder& dir, Since since) {
    const std::string path = dir.file("vplaces.exe");
    if (engine.LoadExe(path) != 1 || engine.PatchBytes("\x11", "\xAA") != 1 ||
        engine.PatchBytes("\x33", "\xBB") != 1) {
        ADD_FAILURE() << "the engine did not load and patch the target";
    }
    std::string now(engine.exeData());
    now[now.size() / 4] = '\x01';  // in the first half, which a write cut halfway has put
    switch (since) {
        case Since::kUnchanged:
            return dir.Read("vplaces.exe");
        case Since::kWritten:
            // Same file, same size: only its times tell that it changed.
            dir.Write("vplaces.exe", now);
            std::filesystem::last_write_time(path, std::filesystem::file_time_type{});
            return now;
        case Since::kReplaced:
            dir.Write("replacement", now);
            std::filesystem::rename(dir.file("replacement"), path);
            return now;
        case Since::kRemoved:
            std::filesystem::remove(path);
            return std::nullopt;
    }
    return std::nullopt;
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

// Counts the trial, and a corrupted file when the target is neither what it was nor patched.
void Judge(Figures& figures, const std::optional<std::string>& before,
           const std::optional<std::string>& after, const std::string& patched,
           const std::string& trial) {
    ++figures.trials;
    const bool kept = after == before;
    const bool done = after == patched;
    if (!kept && !done) ++figures.corrupted;
    EXPECT_TRUE(kept || done) << trial << ": the file is neither as it was nor patched";
}

// The save after a failed or killed one: through the real file system, it leaves the folder
// holding the target alone.
void ExpectCleanNextSave(const TempFolder& dir, const std::string& trial) {
    const std::string path = dir.file("vplaces.exe");
    if (!dir.Exists("vplaces.exe")) dir.Write("vplaces.exe", Original(kSize));
    vpPatch engine(platform::FileSystem::Default());
    ASSERT_EQ(engine.LoadExe(path), 1) << trial;
    ASSERT_EQ(engine.SaveExe(path), 1) << trial << ": " << engine.message();
    EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe")) << trial;
}

TEST(SaveSweep, EveryStepFailingInTurn) {
    Figures figures;
    for (const Since since :
         {Since::kUnchanged, Since::kWritten, Since::kReplaced, Since::kRemoved}) {
        for (const bool inPlace : {false, true}) {
            if (inPlace && since == Since::kRemoved) continue;  // nothing to write in place
            for (const Fault fault : {Fault::kFail, Fault::kFailOnward}) {
                // In place, a disk that refuses every write from some point on leaves no way to
                // put the old bytes back; the engine says so ("may be damaged"). Only a file
                // system that allocates on overwrite can fail that way.
                if (inPlace && fault == Fault::kFailOnward) continue;
                for (int step = 1;; ++step) {
                    const std::string trial = std::string(Name(since)) +
                                              (inPlace ? ", in place" : "") +
                                              (fault == Fault::kFail ? ", failing" : ", full") +
                                              " at step " + std::to_string(step);
                    const TempFolder dir;
                    dir.Write("vplaces.exe", Original(kSize));
                    FaultyFileSystem fs(inPlace ? "NewTempFile" : "", "", ErrorCode::kOther, 0);
                    vpPatch engine(fs);
                    const std::optional<std::string> before =
                        LoadPatchAndChange(engine, dir, since);
                    const std::string patched(engine.exeData());
                    const int loadSteps = fs.steps();
                    fs.Sweep(loadSteps + step, fault);
                    const int status = engine.SaveExe(dir.file("vplaces.exe"));
                    const bool reached = fs.steps() >= loadSteps + step;
                    const std::optional<std::string> after = Contents(dir);
                    Judge(figures, before, after, patched, trial);
                    // What the engine says is what happened.
                    if (status == 1) {
                        EXPECT_TRUE(after == patched) << trial << ": saved, but not patched";
                    }
                    if (engine.message().ends_with("The file was left as it was.")) {
                        EXPECT_TRUE(after == before) << trial << ": said to be as it was, but not";
                    }
                    EXPECT_THAT(
                        EntriesOf(dir),
                        ::testing::Each(::testing::Not(::testing::StartsWith(".vplaces.exe"))))
                        << trial;
                    ExpectCleanNextSave(dir, trial);
                    if (!reached) {
                        EXPECT_EQ(status, 1) << trial << ": " << engine.message();
                        break;
                    }
                }
            }
        }
    }
    figures.Print("SaveSweep.EveryStepFailingInTurn");
}

#ifndef _WIN32
// Faults with no Windows form: fork, a file size limit (setrlimit) and a small tmpfs mounted in a
// private mount namespace. The Windows twins of the killed save and the full disk are in
// save_fault_win32_test.cpp and the sweep above.

// The save runs in a child process that a fault kills with SIGKILL; the parent then looks at
// what is left and saves again.
TEST(SaveSweep, KilledAtEveryStep) {
    Figures figures;
    for (const Since since : {Since::kUnchanged, Since::kWritten, Since::kRemoved}) {
        for (const bool inPlace : {false, true}) {
            if (inPlace && since == Since::kRemoved) continue;
            for (const Fault fault : {Fault::kKillBefore, Fault::kKillHalfway, Fault::kKillAfter}) {
                // In place, a write cut halfway has put some of the changed bytes and not the
                // others: only a copy beside the file makes a killed save harmless.
                if (inPlace && fault == Fault::kKillHalfway) continue;
                for (int step = 1;; ++step) {
                    const std::string trial = std::string(Name(since)) +
                                              (inPlace ? ", in place" : "") + ", killed " +
                                              (fault == Fault::kKillBefore    ? "before"
                                               : fault == Fault::kKillHalfway ? "halfway through"
                                                                              : "after") +
                                              " step " + std::to_string(step);
                    const TempFolder dir;
                    dir.Write("vplaces.exe", Original(kSize));
                    // What the child will see at the save, worked out here the same way.
                    std::optional<std::string> before;
                    std::string patched;
                    {
                        const TempFolder scratch;
                        scratch.Write("vplaces.exe", Original(kSize));
                        vpPatch engine(platform::FileSystem::Default());
                        before = LoadPatchAndChange(engine, scratch, since);
                        patched = engine.exeData();
                    }
                    std::cout.flush();
                    const pid_t child = ::fork();
                    ASSERT_GE(child, 0);
                    if (child == 0) {
                        FaultyFileSystem fs(inPlace ? "NewTempFile" : "", "", ErrorCode::kOther, 0);
                        vpPatch engine(fs);
                        LoadPatchAndChange(engine, dir, since);
                        fs.Sweep(fs.steps() + step, fault);
                        ::_exit(engine.SaveExe(dir.file("vplaces.exe")) == 1 ? 0 : 1);
                    }
                    int wait = 0;
                    ASSERT_EQ(::waitpid(child, &wait, 0), child);
                    const std::optional<std::string> after = Contents(dir);
                    Judge(figures, before, after, patched, trial);
                    ExpectCleanNextSave(dir, trial);
                    if (WIFEXITED(wait)) {
                        // The save took fewer steps: it went through untouched.
                        EXPECT_EQ(WEXITSTATUS(wait), 0) << trial;
                        EXPECT_TRUE(after == patched) << trial << ": saved, but not patched";
                        break;
                    }
                    ASSERT_TRUE(WIFSIGNALED(wait) && WTERMSIG(wait) == SIGKILL) << trial;
                }
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
    for (const Since since : {Since::kUnchanged, Since::kWritten}) {
        for (std::size_t limit = 0; limit <= kSize + 512; limit += 512) {
            const std::string trial =
                std::string(Name(since)) + ", at most " + std::to_string(limit) + " bytes per file";
            const TempFolder dir;
            dir.Write("vplaces.exe", Original(kSize));
            vpPatch engine(platform::FileSystem::Default());
            const std::optional<std::string> before = LoadPatchAndChange(engine, dir, since);
            const std::string patched(engine.exeData());

            rlimit capped = saved;
            capped.rlim_cur = limit;
            ASSERT_EQ(::setrlimit(RLIMIT_FSIZE, &capped), 0);
            const int status = engine.SaveExe(dir.file("vplaces.exe"));
            ::setrlimit(RLIMIT_FSIZE, &saved);

            const std::optional<std::string> after = Contents(dir);
            Judge(figures, before, after, patched, trial);
            EXPECT_EQ(status, limit >= kSize ? 1 : 0) << trial << ": " << engine.message();
            EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe")) << trial;
        }
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
    for (const Since since : {Since::kUnchanged, Since::kWritten}) {
        for (std::size_t spare = 0; spare <= pages + 1; ++spare) {
            const std::string trial =
                std::string(Name(since)) + ", " + std::to_string(spare) + " pages spare";
            const TempFolder dir;
            const std::string size = "size=" + std::to_string((pages + spare) * page);
            if (::mount("tmpfs", dir.path().c_str(), "tmpfs", 0, size.c_str()) != 0) {
                GTEST_SKIP() << "cannot mount a small tmpfs: " << std::strerror(errno);
            }
            dir.Write("vplaces.exe", Original(kSize));
            vpPatch engine(platform::FileSystem::Default());
            const std::optional<std::string> before = LoadPatchAndChange(engine, dir, since);
            const std::string patched(engine.exeData());
            const int status = engine.SaveExe(dir.file("vplaces.exe"));
            const std::optional<std::string> after = Contents(dir);
            const std::vector<std::string> entries = EntriesOf(dir);
            ::umount2(dir.path().c_str(), MNT_DETACH);

            Judge(figures, before, after, patched, trial);
            EXPECT_EQ(status, spare >= pages ? 1 : 0) << trial << ": " << engine.message();
            EXPECT_THAT(entries, ElementsAre("vplaces.exe")) << trial;
        }
    }
    figures.Print("SaveSweep.FullFileSystemAtEveryPage");
}
#endif

}  // namespace
}  // namespace korrin::patch
