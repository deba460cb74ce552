#include "patch/apply.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>
#ifndef _WIN32
#include <sys/stat.h>
#include <unistd.h>
#endif

#include <filesystem>

#include "apply_table.h"
#include "common/latin1.h"
#include "faulty_file_system.h"
#include "patch/inspect.h"
#include "target_checks.h"
#include "temp_folder.h"

namespace korrin::patch {
namespace {

using namespace std::string_literals;
using korrin::testing::EntriesOf;
using korrin::testing::TempFolder;
using ::testing::ElementsAre;

platform::FileSystem& RealFs() {
    return platform::FileSystem::Default();
}

// Two sites, A1 and B2, and a second A1 near the end that only a search past the first one
// would find.
const std::string kTarget = "\x01\xA1\x00\x00\x02\xB2\x00\x00\x03\xA1\x00"s;

struct Patch {
    std::string kind, on, off, locations;
    bool second;
    std::string value;
};

Patch Yn(std::string on, std::string off, std::string locations, bool second = false) {
    return {"yn", std::move(on), std::move(off), std::move(locations), second, ""};
}

ApplyRequest RequestFor(const std::string& path, const Patch& p) {
    ApplyRequest r;
    r.targetPath = path;
    r.valueKind = catalogue::KindFromText(p.kind);
    r.onBytes = p.on;
    r.offBytes = p.off;
    r.locationList = p.locations;
    r.secondOption = p.second;
    r.value = p.value;
    return r;
}

// The bytes and messages of every kind and mode: the shared table, which the window and
// korrin-patch run too. What check foretells for each case (Inspect) must be what Apply does.
TEST(ApplyPatch, EveryCaseOfTheSharedTable) {
    platform::FileSystem& fs = RealFs();
    for (const testing::ApplyCase& c :
         testing::ReadApplyTable(KORRIN_TEST_DATA "/apply_table.txt")) {
        SCOPED_TRACE(c.name);
        const TempFolder dir;
        const std::string path = c.target ? dir.Write("vplaces.exe", *c.target) : dir.file("none");
        const catalogue::DefinitionView view = catalogue::ParseDefinition(c.definition);
        ApplyRequest request = ApplyRequest::ForDefinition(view);
        request.targetPath = path;
        request.secondOption = c.option == 2;
        if (c.value) request.value = Utf8ToLatin1(*c.value);
        // Inspect reads the defaults only: it can foretell the cases that keep them.
        const bool defaults = !c.value && c.option.value_or(1) == 1;
        const Inspection inspection = Inspect(fs, path, {&view, 1}, 8);

        const ApplyResult result = ApplyPatch(fs, request);
        EXPECT_EQ(result.message, c.MessageFor(path));
        if (c.target) {
            EXPECT_EQ(dir.Read("vplaces.exe"), c.Expected());
        }
        if (!inspection.read) {
            EXPECT_EQ(inspection.message, path + std::string(kDoesNotExistSuffix));
        } else if (defaults) {
            EXPECT_EQ(inspection.entries[0].rehearsal.outcome, result.outcome);
            EXPECT_EQ(inspection.entries[0].rehearsal.message, result.message);
        }
    }
}

#ifndef _WIN32
// Modes, owners and symbolic links as POSIX has them; the attributes Windows keeps are tested in
// save_fault_win32_test.cpp.

// The copy that replaces the target takes its mode (set-id bits too) and owner, and through a
// symbolic link the file it names is replaced, never the link.
TEST(ApplyPatch, ReplacesTheRealFileWithItsModeAndOwner) {
    const TempFolder dir;
    std::filesystem::create_directory(dir.path() / "real");
    std::filesystem::create_directory(dir.path() / "link");
    const std::string real = dir.Write("real/vplaces.exe", kTarget);
    const std::string link = dir.file("link/vplaces.exe");
    std::filesystem::create_symlink("../real/vplaces.exe", link);
    // Only a privileged user may give a file to someone else; elsewhere the owner stays ours.
    const bool givenAway = ::chown(real.c_str(), 4242, 4243) == 0;
    ASSERT_EQ(::chmod(real.c_str(), 04751), 0);  // after the owner, which clears set-id bits

    const ApplyResult result = ApplyPatch(RealFs(), RequestFor(link, Yn("EB", "74", "A1")));
    EXPECT_EQ(result.message, kPatchCompletedMessage);
    EXPECT_EQ(dir.Read("real/vplaces.exe"), "\x01\xA1\xEB\x00\x02\xB2\x00\x00\x03\xA1\x00"s);
    EXPECT_TRUE(std::filesystem::is_symlink(link));
    struct stat after {};
    ASSERT_EQ(::stat(real.c_str(), &after), 0);
    EXPECT_EQ(after.st_mode & 07777, 04751u);
    if (givenAway) {
        EXPECT_EQ(after.st_uid, 4242u);
        EXPECT_EQ(after.st_gid, 4243u);
    }
    EXPECT_THAT(EntriesOf(dir, "real"), ElementsAre("vplaces.exe"));
    EXPECT_THAT(EntriesOf(dir, "link"), ElementsAre("vplaces.exe"));
}
#endif

TEST(ApplyPatch, TellsWhyNothingWasWritten) {
    const TempFolder dir;
    const std::string path = dir.Write("vplaces.exe", kTarget);
    std::filesystem::create_directory(dir.path() / "folder.exe");
#ifndef _WIN32
    // A pipe whose name the existence test reads as a wildcard: reading it would block.
    ASSERT_EQ(::mkfifo(dir.file("v*.exe").c_str(), 0600), 0);
#endif
    dir.Write(".hidden.exe", kTarget);
    const Patch yn = Yn("EB", "74", "A1");

    struct Case {
        std::string path;
        std::vector<std::string> problems;
        ApplyOutcome outcome;
        std::string message;
    };
    const std::string missing =
        " does not exist. Please verify the path is right in the 'Find' tab";
    std::vector<Case> cases = {
        {dir.file("nothing.exe"),
         {},
         ApplyOutcome::kTargetMissing,
         dir.file("nothing.exe") + missing},
        {"", {}, ApplyOutcome::kTargetMissing, missing},
        {dir.file("folder.exe"),
         {},
         ApplyOutcome::kTargetMissing,
         dir.file("folder.exe") + missing},
        {dir.file(".hidden.exe"),
         {},
         ApplyOutcome::kTargetMissing,
         dir.file(".hidden.exe") + missing},
        {dir.file("none/vplaces.exe"),
         {},
         ApplyOutcome::kTargetMissing,
         dir.file("none/vplaces.exe") + missing},
        // The existence test takes wildcards; the load takes the text as a name.
        {dir.file("vp*.exe"), {}, ApplyOutcome::kLoadFailed, std::string(kInvalidPathMessage)},
        // A folder passes when it holds an ordinary file; reading it fails.
        {dir.folder(),
         {},
         ApplyOutcome::kLoadFailed,
         "VPLACES.EXE could not be loaded: " + dir.folder() + ": Is a directory"},
        {path,
         {"it has no \"location:\" line", "its \"param:\" line is empty"},
         ApplyOutcome::kDefinitionIncomplete,
         "This patch cannot be applied because its definition is incomplete: it has no "
         "\"location:\" line; its \"param:\" line is empty. Nothing was changed."},
    };
#ifndef _WIN32
    cases.push_back(
        {dir.file("v*.exe"),
         {},
         ApplyOutcome::kLoadFailed,
         "VPLACES.EXE could not be loaded: " + dir.file("v*.exe") + ": not a regular file"});
#endif
    for (const Case& c : cases) {
        ApplyRequest request = RequestFor(c.path, yn);
        request.definitionProblems = c.problems;
        const ApplyResult result = ApplyPatch(RealFs(), request);
        EXPECT_EQ(result.outcome, c.outcome) << c.path;
        EXPECT_EQ(result.message, c.message) << c.path;
        EXPECT_EQ(dir.Read("vplaces.exe"), kTarget) << c.path;
    }
#ifdef _WIN32
    EXPECT_THAT(EntriesOf(dir), ElementsAre(".hidden.exe", "folder.exe", "vplaces.exe"));
#else
    EXPECT_THAT(EntriesOf(dir), ElementsAre(".hidden.exe", "folder.exe", "v*.exe", "vplaces.exe"));
#endif
}

TEST(ApplyPatch, PassesOnTheEnginesSaveMessages) {
    struct Case {
        const char* denied;
        const char* failing;
        std::string message;
    };
    const Case cases[] = {
        {"ProbeWritable", "", std::string(kTargetOpenMessage)},
        {"", "NewTempFile",
         "VPLACES.EXE could not be saved: cannot create a new file beside it: "
         "failed NewTempFile. The file was left as it was."},
    };
    for (const Case& c : cases) {
        const TempFolder dir;
        const std::string path = dir.Write("vplaces.exe", kTarget);
        korrin::testing::FaultyFileSystem fs(c.denied, c.failing, ErrorCode::kOther, 1);
        const ApplyResult result = ApplyPatch(fs, RequestFor(path, Yn("EB", "74", "A1")));
        EXPECT_EQ(result.outcome, ApplyOutcome::kSaveFailed);
        EXPECT_EQ(result.message, c.message);
        EXPECT_EQ(dir.Read("vplaces.exe"), kTarget);
    }
}

TEST(ApplyPatch, SecondApplyOfTheSamePatchChangesNothingAndSucceedsAgain) {
    const TempFolder dir;
    const std::string path = dir.Write("vplaces.exe", kTarget);
    const ApplyRequest request = RequestFor(path, Yn("EB,EC", "74,75", "A1,B2"));
    ASSERT_TRUE(ApplyPatch(RealFs(), request).succeeded());
    const std::string once = dir.Read("vplaces.exe");
    EXPECT_EQ(ApplyPatch(RealFs(), request).message, kPatchCompletedMessage);
    EXPECT_EQ(dir.Read("vplaces.exe"), once);
}

TEST(TargetExists, OrdinaryVisibleFilesOnly) {
    const TempFolder dir;
    dir.Write("vplaces.exe", "x");
    dir.Write(".hidden", "x");
    std::filesystem::create_directory(dir.path() / "sub.exe");
    std::filesystem::create_directory(dir.path() / "empty");
    std::filesystem::create_directory(dir.path() / "onlyhidden");
    dir.Write("onlyhidden/.x", "x");
    std::vector<std::pair<std::string, bool>> cases = {
        {"vplaces.exe", true}, {"sub.exe", false},
        {".hidden", false},    {"*.exe", true},
        {"v?laces.exe", true}, {"v?places.exe", false},
        {"*.EXE", false},      {"", true},  // the folder itself, named with its separator
        {"empty/", false},     {"onlyhidden/", false},
        {"sub.exe/", false},   {"missing/", false},
    };
#ifndef _WIN32
    // Windows forbids "*" in a name, ignores letter case, and lets only the privileged make links.
    std::filesystem::create_directory(dir.path() / "wild*");
    dir.Write("wild*/a", "x");
    std::filesystem::create_symlink("vplaces.exe", dir.file("link.exe"));
    std::filesystem::create_symlink("sub.exe", dir.file("linkdir.exe"));
    cases.insert(cases.end(), {
                                  {"VPLACES.EXE", false},  // names keep their letter case here
                                  {"link.exe", true},
                                  {"linkdir.exe", false},
                                  {"wild*/a", true},  // wildcards count in the last part only
                                  {"wil?*/a", false},
                              });
#endif
    for (const auto& [name, exists] : cases) {
        EXPECT_EQ(TargetExists(RealFs(), dir.folder() + name), exists) << name;
    }
    EXPECT_FALSE(TargetExists(RealFs(), ""));
}

// What the selection view found missing travels with the request, so that Apply refuses it.
TEST(ApplyRequest, CarriesTheDefinitionsDefaultAndItsProblems) {
    const ApplyRequest num =
        ApplyRequest::ForDefinition(catalogue::ParseDefinition("param:NUM|255\r\n"));
    EXPECT_EQ(num.valueKind, catalogue::ValueKind::kNumber);
    EXPECT_EQ(num.value, "255");
    EXPECT_THAT(num.definitionProblems, ElementsAre("it has no \"location:\" line"));
    // Nothing read at all, as before any selection.
    EXPECT_FALSE(ApplyRequest::ForDefinition({}).definitionProblems.empty());
}

}  // namespace
}  // namespace korrin::patch
