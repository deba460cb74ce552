#include "patch/vp_patch.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <algorithm>
#include <filesystem>
#include <random>

#include "faulty_file_system.h"
#include "target_checks.h"
#include "temp_folder.h"

namespace korrin::patch {
namespace {

using namespace std::string_literals;
using korrin::testing::EntriesOf;
using korrin::testing::TempFolder;
using ::testing::ElementsAre;
using ::testing::HasSubstr;
using ::testing::StartsWith;

platform::FileSystem& RealFs() {
    return platform::FileSystem::Default();
}

TEST(PatchBytes, WritesRightAfterTheFirstOccurrence) {
    struct Case {
        const char* name;
        Bytes data, signature, newBytes;
        int status;
        Bytes after;
    };
    const Case cases[] = {
        {"after the signature", "\x11\x22\x33\x44\x55", "\x22\x33", "\xAA", 1,
         "\x11\x22\x33\xAA\x55"},
        {"first occurrence only", "\x22\x33\x00\x22\x33\x00"s, "\x22\x33", "\xFF", 1,
         "\x22\x33\xFF\x22\x33\x00"s},
        {"past the end dropped", "\x11\x22\x33\x44", "\x22", "\xAA\xBB\xCC\xDD", 1,
         "\x11\x22\xAA\xBB"},
        {"zero bytes are bytes", "\x00\x00\x01\x00"s, "\x00\x01"s, "\xFF", 1, "\x00\x00\x01\xFF"s},
        {"nothing to write", "\x11\x22\x33", "\x22", "", 1, "\x11\x22\x33"},
        {"not found", "\x11\x22\x33", "\x33\x11", "\xAA", 0, "\x11\x22\x33"},
        {"empty signature", "\x11\x22\x33", "", "\xAA", 0, "\x11\x22\x33"},
        {"ends at the last byte", "\x11\x22\x33", "\x22\x33", "\xAA", 0, "\x11\x22\x33"},
        {"ends at the last byte, nothing to write", "\x11\x22\x33", "\x33", "", 1, "\x11\x22\x33"},
        {"empty file", "", "\x11", "\xAA", 0, ""},
    };
    const TempFolder dir;
    for (const Case& c : cases) {
        const std::string path = dir.Write("vplaces.exe", c.data);
        vpPatch one(RealFs());
        ASSERT_EQ(one.LoadExe(path), 1) << c.name;
        EXPECT_EQ(one.PatchBytes(c.signature, c.newBytes), c.status) << c.name;
        EXPECT_EQ(one.exeData(), c.after) << c.name;

        vpPatch batch(RealFs());
        ASSERT_EQ(batch.LoadExe(path), 1);
        const Edit edit{c.signature, c.newBytes};
        EXPECT_THAT(batch.PatchBytesInTurn({&edit, 1}, true), ElementsAre(c.status)) << c.name;
        EXPECT_EQ(batch.exeData(), c.after) << c.name;
    }
}

// The batch must find exactly what one PatchBytes call after another finds, also where an
// edit spoils an earlier first occurrence or writes a new one.
TEST(PatchBytesInTurn, SameAsPatchBytesOneAfterAnother) {
    std::mt19937 random(3);
    const char alphabet[] = {'\x00', '\x8B', '\x45'};
    auto text = [&](std::size_t size) {
        std::string s(size, '\0');
        for (char& c : s) c = alphabet[random() % 3];
        return s;
    };
    const TempFolder dir;
    for (int round = 0; round < 300; ++round) {
        const std::string data = text(200 + random() % 200);
        const std::string path = dir.Write("vplaces.exe", data);
        std::vector<Edit> edits;
        for (std::size_t k = 0, n = 1 + random() % 6; k < n; ++k) {
            Edit edit{data.substr(random() % data.size(), 2 + random() % 4), text(random() % 7)};
            if (k > 0 && random() % 2) edit.signature = edits[k - 1].newBytes + "\x45";
            if (random() % 5 == 0) edit.signature.back() = '\x01';
            edits.push_back(edit);
        }
        for (const bool stopAtMiss : {false, true}) {
            vpPatch one(RealFs()), batch(RealFs());
            ASSERT_EQ(one.LoadExe(path), 1);
            ASSERT_EQ(batch.LoadExe(path), 1);
            std::vector<int> expected;
            for (const Edit& e : edits) {
                expected.push_back(one.PatchBytes(e.signature, e.newBytes));
                if (stopAtMiss && expected.back() == 0) break;
            }
            ASSERT_EQ(batch.PatchBytesInTurn(edits, stopAtMiss), expected) << "round " << round;
            ASSERT_EQ(batch.exeData(), one.exeData()) << "round " << round;
        }
    }
}

TEST(LoadExe, ReadsTheWholeFileOrSaysWhyNot) {
    const TempFolder dir;
    std::string big(3 * 1024 * 1024 + 7, '\0');
    for (std::size_t i = 0; i < big.size(); ++i) big[i] = static_cast<char>(i * 7 + i / 4096);
    dir.Write("big.exe", big);
    dir.Write("empty.exe", "");
    std::filesystem::create_directory(dir.path() / "folder.exe");
#ifndef _WIN32
    ASSERT_EQ(::mkfifo(dir.file("pipe.exe").c_str(), 0600), 0);
#endif

    struct Case {
        std::string path;
        int status;
        std::string message;
    };
    std::vector<Case> cases = {
        {dir.file("big.exe"), 1, ""},
        {dir.file("empty.exe"), 1, ""},
        {dir.file("missing/vplaces.exe"), 0, std::string(kInvalidPathMessage)},
        {dir.file("gone.exe"), 0, std::string(kInvalidPathMessage)},
        {dir.file("big.exe/inner"), 0, std::string(kInvalidPathMessage)},
        {dir.folder(), 0, "VPLACES.EXE could not be loaded: " + dir.folder() + ": Is a directory"},
    };
#ifndef _WIN32
    // A pipe would block a plain read until someone writes to it.
    cases.push_back(
        {dir.file("pipe.exe"), 0,
         "VPLACES.EXE could not be loaded: " + dir.file("pipe.exe") + ": not a regular file"});
#endif
    for (const Case& c : cases) {
        vpPatch engine(RealFs());
        EXPECT_EQ(engine.LoadExe(c.path), c.status) << c.path;
        EXPECT_EQ(engine.message(), c.message) << c.path;
        const std::string name = std::filesystem::path(c.path).filename().string();
        EXPECT_EQ(engine.exeData(), c.status == 1 ? dir.Read(name) : "") << c.path;
    }
    std::vector<std::string> entries = {"big.exe", "empty.exe", "folder.exe"};
#ifndef _WIN32
    entries.push_back("pipe.exe");
#endif
    EXPECT_EQ(EntriesOf(dir), entries);
}

#ifndef _WIN32
// Modes, owners and symbolic links as POSIX has them; the attributes Windows keeps are tested in
// save_fault_win32_test.cpp.
TEST(SaveExe, RewritesTheSameFileWithItsModeAndOwner) {
    const TempFolder dir;
    const std::string path = dir.Write("vplaces.exe", "MZ\x90\x00\x03\x00"s);
    ASSERT_EQ(::chmod(path.c_str(), 04751), 0);
    // Only a privileged user may give a file to someone else; elsewhere the owner stays ours.
    const bool givenAway = ::chown(path.c_str(), 4242, 4243) == 0;
    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);

    vpPatch engine(RealFs());
    ASSERT_EQ(engine.LoadExe(path), 1);
    ASSERT_EQ(engine.SaveExe(path), 1);
    EXPECT_EQ(dir.Read("vplaces.exe"), "MZ\x90\x00\x03\x00"s);
    ASSERT_EQ(engine.PatchBytes("MZ", "\x91"), 1);
    ASSERT_EQ(engine.SaveExe(path), 1);
    EXPECT_EQ(engine.message(), "");
    EXPECT_EQ(dir.Read("vplaces.exe"), "MZ\x91\x00\x03\x00"s);

    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode, before.st_mode);
    if (givenAway) {
        EXPECT_EQ(after.st_uid, 4242u);
        EXPECT_EQ(after.st_gid, 4243u);
    }
    EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe"));
}
#endif

// The new copy is the file copied by the system with the changed bytes written over it:
// overlapping changes must come out as the last one left them.
TEST(SaveExe, OverlappingChangesComeOutAsInMemory) {
    const TempFolder dir;
    std::string data(1 << 20, '\0');
    for (std::size_t i = 0; i < data.size(); ++i)
        data[i] = static_cast<char>(i % 200);  // no byte above C7
    data.replace(1000, 3, "\xF1\xF2\xF3");
    data.replace(data.size() - 3, 3, "\xF4\xF5\xF6");
    const std::string path = dir.Write("vplaces.exe", data);

    vpPatch engine(RealFs());
    ASSERT_EQ(engine.LoadExe(path), 1);
    ASSERT_EQ(engine.PatchBytes("\xF1", "ABCDEFGH"), 1);
    ASSERT_EQ(engine.PatchBytes("\xF1\x41\x42", "xy"), 1);  // inside the first change
    ASSERT_EQ(engine.PatchBytes("\xF4\xF5", "pqrs"), 1);    // cut at the end
    const std::string expected(engine.exeData());
    ASSERT_EQ(engine.SaveExe(path), 1);
    EXPECT_EQ(dir.Read("vplaces.exe"), expected);
    EXPECT_EQ(expected.substr(1000, 9),
              "\xF1"
              "ABxyEFGH");
}

#ifndef _WIN32
TEST(SaveExe, FollowsASymbolicLinkToTheRealFile) {
    const TempFolder dir;
    std::filesystem::create_directory(dir.path() / "real");
    std::filesystem::create_directory(dir.path() / "link");
    const std::string real = dir.Write("real/vplaces.exe", "\x11\x22\x33");
    const std::string link = dir.file("link/vplaces.exe");
    std::filesystem::create_symlink("../real/vplaces.exe", link);

    vpPatch engine(RealFs());
    ASSERT_EQ(engine.LoadExe(link), 1);
    ASSERT_EQ(engine.PatchBytes("\x11", "\xAA"), 1);
    ASSERT_EQ(engine.SaveExe(link), 1);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    EXPECT_EQ(dir.Read("real/vplaces.exe"), "\x11\xAA\x33");
    EXPECT_THAT(EntriesOf(dir, "real"), ElementsAre("vplaces.exe"));
    EXPECT_THAT(EntriesOf(dir, "link"), ElementsAre("vplaces.exe"));
}
#endif

TEST(SaveExe, CreatesATargetThatVanishedAfterTheLoad) {
    const TempFolder dir;
    const std::string path = dir.Write("vplaces.exe", "\x11\x22\x33");
    vpPatch engine(RealFs());
    ASSERT_EQ(engine.LoadExe(path), 1);
    std::filesystem::remove(path);
    ASSERT_EQ(engine.SaveExe(path), 1);
    EXPECT_EQ(dir.Read("vplaces.exe"), "\x11\x22\x33");
    EXPECT_EQ(engine.SaveExe(dir.file("missing/vplaces.exe")), 0);
    EXPECT_THAT(engine.message(), StartsWith("VPLACES.EXE could not be saved: "));
}

// Every step of the save failing in turn. The file starts as "old", which the engine patched
// near its start and its end. A failing write gets halfway first. Where the file was written
// to by someone else after the load, the save cannot copy it and must write every byte.
TEST(SaveExe, AFailingStepLeavesTheFileAsItWasOrPatchedAndNoStrayFile) {
    const std::string old = "\x11\x22" + std::string(4000, '\x5A') + "\x33\x44";
    const std::string patched = "\x11\xAA" + std::string(4000, '\x5A') + "\x33\xBB";
    const std::string half = patched.substr(0, patched.size() / 2) + old.substr(old.size() / 2);
    std::string touched = old;
    touched[2000] = '\x00';

    enum Result { kAsItWas, kPatched, kHalf };
    struct Case {
        bool touch;
        const char* denied;  // a step that always fails with kAccessDenied, or ""
        const char* failing;
        ErrorCode error;
        int failures;  // how many calls of the failing step fail, the first ones
        Result file;
        std::string message;  // its start
    };
    const std::string saveFailed = "VPLACES.EXE could not be saved: ";
    const std::string newCopy = saveFailed + "writing its new copy";
    const Case cases[] = {
        {false, "", "", ErrorCode::kOther, 0, kPatched, ""},
        {true, "", "", ErrorCode::kOther, 0, kPatched, ""},
        {false, "", "NewTempFile", ErrorCode::kOther, 1, kAsItWas, saveFailed + "cannot create"},
        {true, "", "Append", ErrorCode::kOther, 1, kAsItWas, newCopy},
        // The system cannot copy: every byte is written instead...
        {false, "", "AppendFromFile", ErrorCode::kOther, 1, kPatched, ""},
        {false, "", "WriteAt", ErrorCode::kOther, 1, kPatched, ""},
        // ... unless that fails too.
        {false, "Truncate", "AppendFromFile", ErrorCode::kOther, 1, kAsItWas, newCopy},
        {false, "", "WriteAt", ErrorCode::kOther, 2, kAsItWas, newCopy},
        {false, "", "SetMode", ErrorCode::kOther, 1, kAsItWas, newCopy},
        {false, "", "Sync", ErrorCode::kOther, 1, kAsItWas, newCopy},
        {false, "", "Close", ErrorCode::kOther, 1, kAsItWas, newCopy},
        {false, "", "RenameFile", ErrorCode::kOther, 1, kAsItWas, newCopy},
        {false, "", "Stat", ErrorCode::kOther, 1, kAsItWas, saveFailed},
        {false, "", "SetOwner", ErrorCode::kOther, 1, kAsItWas, newCopy},
        // Not ours to give away: the new file stays ours, as any file we write would.
        {false, "", "SetOwner", ErrorCode::kAccessDenied, 1, kPatched, ""},
        {false, "", "SyncFolder", ErrorCode::kOther, 1, kPatched, "VPLACES.EXE was written, but"},
        {false, "", "ProbeWritable", ErrorCode::kAccessDenied, 1, kAsItWas,
         std::string(kTargetOpenMessage)},
        // The folder takes no new file, or no new file under the old name: the file itself is
        // written in place...
        {false, "NewTempFile", "", ErrorCode::kOther, 0, kPatched, ""},
        {false, "RenameFile", "", ErrorCode::kOther, 0, kPatched, ""},
        // ... and when that fails, the changed bytes are put back.
        {false, "NewTempFile", "WriteAt", ErrorCode::kOther, 1, kAsItWas, saveFailed},
        {false, "NewTempFile", "Sync", ErrorCode::kOther, 1, kAsItWas, saveFailed},
        {false, "NewTempFile", "OpenForOverwrite", ErrorCode::kAccessDenied, 1, kAsItWas,
         std::string(kTargetOpenMessage)},
        {false, "NewTempFile", "WriteAt", ErrorCode::kOther, 99, kHalf,
         "VPLACES.EXE could not be saved and may be damaged: "},
    };
    for (const Case& c : cases) {
        const std::string name =
            std::string(c.touch ? "touched " : "") + c.denied + "/" + c.failing;
        const TempFolder dir;
        const std::string path = dir.Write("vplaces.exe", old);
        korrin::testing::FaultyFileSystem fs(c.denied, c.failing, c.error, c.failures);
        vpPatch engine(fs);
        ASSERT_EQ(engine.LoadExe(path), 1);
        ASSERT_EQ(engine.PatchBytes("\x11", "\xAA"), 1);
        ASSERT_EQ(engine.PatchBytes("\x33", "\xBB"), 1);
        if (c.touch) {
            dir.Write("vplaces.exe", touched);
            std::filesystem::last_write_time(path, std::filesystem::file_time_type{});
        }

        EXPECT_EQ(engine.SaveExe(path), c.message.empty() ? 1 : 0) << name;
        EXPECT_THAT(engine.message(), StartsWith(c.message)) << name;
        const std::string expected[] = {c.touch ? touched : old, patched, half};
        EXPECT_EQ(dir.Read("vplaces.exe"), expected[c.file]) << name;
        EXPECT_THAT(EntriesOf(dir), ElementsAre("vplaces.exe")) << name;
    }
}

}  // namespace
}  // namespace korrin::patch
