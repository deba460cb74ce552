// Undo against faults: a failure at every step of its save leaves the target as it was or as
// restored, never a mix, and one that left it as it was can be tried again. And two processes
// that apply at once both get their records.

#include "journal/undo.h"

#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/wait.h>
#include <unistd.h>
#endif

#include <map>

#include "faulty_file_system.h"
#include "temp_folder.h"

namespace korrin::journal {
namespace {

using korrin::testing::FaultyFileSystem;
using korrin::testing::TempFolder;
using Fault = FaultyFileSystem::Fault;

// Large enough for the system to copy in more than one piece, with the signature's bytes to
// write in the middle.
std::string Original() {
    std::string data(3 * 4096 + 123, '\0');
    for (std::size_t i = 0; i < data.size(); ++i) data[i] = static_cast<char>(0x40 + i % 61);
    data.replace(6000, 4, "\x0F\x8C\x51\x01");
    return data;
}

patch::ApplyRequest Request(const std::string& target, bool second) {
    patch::ApplyRequest request;
    request.targetPath = target;
    request.valueKind = catalogue::ValueKind::kYesNo;
    request.onBytes = "9090";
    request.offBytes = "E841";
    request.locationList = "0F8C5101";
    request.secondOption = second;
    return request;
}

TEST(Undo, AFaultAtEveryStepOfItsSaveLeavesTheTargetOldOrRestored) {
    TempFolder dir;
    const std::string target = dir.Write("vplaces.exe", Original());
    const std::string journal = dir.file("data/journal");
    const RecordedApply applied = ApplyAndRecord(platform::FileSystem::Default(), journal,
                                                 Request(target, false), "T", "t.pat", "On");
    ASSERT_TRUE(applied.apply.succeeded() && applied.recorded) << applied.apply.message;
    const std::string patched = dir.Read("vplaces.exe");
    const std::string journalBefore = dir.Read("data/journal");

    int trials = 0;
    for (const Fault fault : {Fault::kFail, Fault::kFailOnward}) {
        for (int step = 1;; ++step) {
            const std::string trial =
                (fault == Fault::kFail ? "failing at step " : "full from step ") +
                std::to_string(step);
            dir.Write("vplaces.exe", patched);
            dir.Write("data/journal", journalBefore);
            FaultyFileSystem fs("", "", ErrorCode::kOther, 0);
            fs.Sweep(step, fault);
            const UndoResult result = Undo(fs, journal, target, 1);
            if (fs.steps() < step) break;  // the fault came after the last step
            ++trials;

            const std::string now = dir.Read("vplaces.exe");
            ASSERT_TRUE(now == patched || now == Original()) << trial << ": a mix";
            if (result.undone) {
                EXPECT_EQ(now, Original()) << trial;
            }
            if (now == patched) {
                // Nothing happened, and the journal must not say otherwise.
                History history;
                ASSERT_TRUE(
                    ReadHistory(platform::FileSystem::Default(), journal, target, &history).ok());
                EXPECT_EQ(LastApply(history), 1u) << trial << ": " << result.message;
            }
        }
    }
    EXPECT_GT(trials, 10);
}

#ifndef _WIN32
// fork has no Windows form; appends there go through FILE_APPEND_DATA, one write per record.
TEST(Journal, TwoProcessesApplyingAtOnceAreBothRecorded) {
    constexpr int kApplies = 50;
    TempFolder dir;
    const std::string journal = dir.file("journal");
    const std::string targets[] = {dir.Write("a.exe", Original()), dir.Write("b.exe", Original())};
    std::vector<pid_t> children;
    for (const std::string& target : targets) {
        const pid_t pid = ::fork();
        ASSERT_GE(pid, 0);
        if (pid == 0) {
            // Each Apply changes the file: the options take turns.
            bool ok = true;
            for (int i = 0; i < kApplies; ++i) {
                const RecordedApply r =
                    ApplyAndRecord(platform::FileSystem::Default(), journal,
                                   Request(target, i % 2 == 1), "T", "t.pat", "");
                ok = ok && r.apply.succeeded() && r.recorded;
            }
            ::_exit(ok ? 0 : 1);
        }
        children.push_back(pid);
    }
    for (const pid_t pid : children) {
        int status = 0;
        ASSERT_EQ(::waitpid(pid, &status, 0), pid);
        EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0);
    }
    std::vector<Record> records;
    ASSERT_TRUE(ReadJournal(platform::FileSystem::Default(), journal, &records).ok());
    std::map<std::string, int> perTarget;
    for (const Record& record : records) ++perTarget[record.targetPath];
    EXPECT_EQ(perTarget[targets[0]], kApplies);
    EXPECT_EQ(perTarget[targets[1]], kApplies);
}
#endif

}  // namespace
}  // namespace korrin::journal
