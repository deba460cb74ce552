// What Windows does to a save that POSIX does not: files held by other programs, the read-only
// attribute, paths typed with either separator, and a killed save's leftover copy. The holders
// are real processes (tests/support/hold_file.cpp).

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#include <windows.h>

#include <filesystem>
#include <string>

#include "patch/apply.h"
#include "target_checks.h"
#include "temp_folder.h"

namespace korrin::patch {
namespace {

using korrin::testing::EntriesOf;
using korrin::testing::TempFolder;
using ::testing::ElementsAre;

// Runs hold_file with args until destroyed.
class Holder {
  public:
    explicit Holder(const std::string& program, const std::string& args = "") {
        SECURITY_ATTRIBUTES inherited{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
        HANDLE childIn = INVALID_HANDLE_VALUE, childOut = INVALID_HANDLE_VALUE;
        if (!::CreatePipe(&childIn, &release_, &inherited, 0) ||
            !::CreatePipe(&ready_, &childOut, &inherited, 0)) {
            return;
        }
        ::SetHandleInformation(release_, HANDLE_FLAG_INHERIT, 0);
        ::SetHandleInformation(ready_, HANDLE_FLAG_INHERIT, 0);
        STARTUPINFOA startup{};
        startup.cb = sizeof startup;
        startup.dwFlags = STARTF_USESTDHANDLES;
        startup.hStdInput = childIn;
        startup.hStdOutput = childOut;
        startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
        std::string line = "\"" + program + "\" " + args;
        const bool started = ::CreateProcessA(program.c_str(), line.data(), nullptr, nullptr, TRUE,
                                              0, nullptr, nullptr, &startup, &process_);
        ::CloseHandle(childIn);
        ::CloseHandle(childOut);
        char answer = 0;
        DWORD got = 0;
        held_ =
            started && ::ReadFile(ready_, &answer, 1, &got, nullptr) && got == 1 && answer == 'y';
    }
    ~Holder() {
        ::CloseHandle(release_);
        if (process_.hProcess != nullptr) {
            ::WaitForSingleObject(process_.hProcess, INFINITE);
            ::CloseHandle(process_.hProcess);
            ::CloseHandle(process_.hThread);
        }
        ::CloseHandle(ready_);
    }
    bool held() const { return held_; }

  private:
    HANDLE release_ = INVALID_HANDLE_VALUE;
    HANDLE ready_ = INVALID_HANDLE_VALUE;
    PROCESS_INFORMATION process_{};
    bool held_ = false;
};

DWORD Attributes(const std::string& path) {
    return ::GetFileAttributesW(std::filesystem::path(path).wstring().c_str());
}

// Writes EE after "MZ" in the target at path.
ApplyResult PatchAndSave(const std::string& path) {
    ApplyRequest request;
    request.targetPath = path;
    request.valueKind = catalogue::ValueKind::kYesNo;
    request.onBytes = "EE";
    request.locationList = "4D5A";
    return ApplyPatch(platform::FileSystem::Default(), request);
}

TEST(SaveFault, HeldOrReadOnlyTargetGetsTheOpenMessageAndStaysAsItWas) {
    enum class Hold { kRunning, kLockedRange, kOpenWithoutSharingWrites, kReadOnly };
    const std::pair<Hold, const char*> cases[] = {
        {Hold::kRunning, "running"},
        {Hold::kLockedRange, "a locked range"},
        {Hold::kOpenWithoutSharingWrites, "open without sharing writes"},
        {Hold::kReadOnly, "read-only"},
    };
    for (const auto& [hold, name] : cases) {
        const TempFolder dir;
        const std::string path = dir.file("vplaces.exe");
        if (hold == Hold::kRunning) {
            std::filesystem::copy_file(KORRIN_HOLD_FILE, path);
        } else {
            dir.Write("vplaces.exe", "MZ" + std::string(8192, '\x5A'));
        }
        if (hold == Hold::kReadOnly) {
            ASSERT_TRUE(::SetFileAttributesW(std::filesystem::path(path).wstring().c_str(),
                                             FILE_ATTRIBUTE_READONLY));
        }
        const std::string before = dir.Read("vplaces.exe");
        const DWORD attributes = Attributes(path);
        std::string message;
        {
            const char* verbs[] = {"", "lock", "open", ""};
            const bool byProgram = hold != Hold::kReadOnly;
            const std::string verb = verbs[static_cast<int>(hold)];
            std::optional<Holder> holder;
            if (byProgram) {
                holder.emplace(hold == Hold::kRunning ? path : std::string(KORRIN_HOLD_FILE),
                               verb.empty() ? "" : verb + " \"" + path + "\"");
                ASSERT_TRUE(holder->held()) << name;
            }
            message = PatchAndSave(path).message;
        }
        EXPECT_EQ(message, kTargetOpenMessage) << name;
        EXPECT_EQ(dir.Read("vplaces.exe"), before) << name;
        EXPECT_EQ(Attributes(path), attributes) << name;
        EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe")) << name;
        if (hold == Hold::kReadOnly) continue;

        // Once the program lets go, the same save goes through.
        EXPECT_EQ(PatchAndSave(path).message, kPatchCompletedMessage) << name;
        EXPECT_EQ(Attributes(path), attributes) << name;
    }
}

// The last separator of a path, "\" or "/", splits it: the hidden-file rule, the existence test
// and the folder of the new copy follow from it, however the path was typed.
TEST(ApplyOnWindows, EitherSeparatorNamesTheSameFile) {
    const TempFolder dir;
    std::filesystem::create_directory(dir.path() / "sub");
    dir.Write("sub/vplaces.exe", "MZ\x01\x02");
    dir.Write("sub/.hidden.exe", "MZ\x01\x02");
    const std::string root = dir.path().string();
    struct Case {
        std::string path;
        bool exists;
    };
    const Case cases[] = {
        {root + "\\sub\\vplaces.exe", true},  {root + "/sub/vplaces.exe", true},
        {root + "\\sub/vplaces.exe", true},   {root + "/sub\\vplaces.exe", true},
        {root + "\\sub\\.hidden.exe", false}, {root + "/sub/.hidden.exe", false},
        {root + "/sub\\.hidden.exe", false},  {root + "\\sub/.hidden.exe", false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(TargetExists(platform::FileSystem::Default(), c.path), c.exists) << c.path;
        if (!c.exists) continue;
        EXPECT_EQ(PatchAndSave(c.path).message, kPatchCompletedMessage) << c.path;
        EXPECT_THAT(EntriesOf(dir, "sub"), ElementsAre(".hidden.exe", "vplaces.exe")) << c.path;
    }
    EXPECT_EQ(dir.Read("sub/vplaces.exe"), "MZ\xEE\x02");
    EXPECT_THAT(EntriesOf(dir), ElementsAre("sub"));
}

// A save killed before its rename leaves its copy; the next save removes it, but not the copy a
// save still running has open.
TEST(SaveFault, KilledSavesCopyGoesAndARunningSavesStays) {
    const TempFolder dir;
    const std::string path = dir.Write("vplaces.exe", "MZ\x01\x02");
    const std::string stem = ".vplaces.exe.korrin-";
    dir.Write(stem + "abc123", "left by a killed save");
    std::unique_ptr<platform::WritableFile> running;
    std::string runningPath;
    ASSERT_TRUE(platform::FileSystem::Default()
                    .NewTempFile(dir.folder(), stem, &running, &runningPath)
                    .ok());

    EXPECT_EQ(PatchAndSave(path).message, kPatchCompletedMessage);
    EXPECT_EQ(dir.Read("vplaces.exe"), "MZ\xEE\x02");
    EXPECT_THAT(EntriesOf(dir),
                ElementsAre(std::filesystem::path(runningPath).filename().string(), "vplaces.exe"));
    IgnoreStatus(running->Close(), "the folder goes with the test");
}

}  // namespace
}  // namespace korrin::patch
