// RehearseApply must give what ApplyPatch gives, case for case, while leaving the target and
// the loaded data as they were.

#include <gtest/gtest.h>

#include "apply_table.h"
#include "catalogue/definition.h"
#include "common/latin1.h"
#include "faulty_file_system.h"
#include "patch/apply.h"
#include "patch/occurrences.h"
#include "patch/search.h"
#include "patch/vp_patch.h"
#include "temp_folder.h"

namespace korrin::patch {
namespace {

using namespace std::string_literals;
using korrin::testing::ApplyCase;
using korrin::testing::TempFolder;

ApplyRequest RequestFor(const ApplyCase& c, const std::string& path) {
    ApplyRequest request = ApplyRequest::ForDefinition(catalogue::ParseDefinition(c.definition));
    request.targetPath = path;
    request.secondOption = c.option == 2;
    if (c.value) request.value = Utf8ToLatin1(*c.value);
    return request;
}

TEST(RehearseApply, ForetellsApplyForEveryCaseOfTheTable) {
    platform::FileSystem& fs = platform::FileSystem::Default();
    for (const ApplyCase& c : testing::ReadApplyTable(KORRIN_TEST_DATA "/apply_table.txt")) {
        // The existence test is the caller's, before its load.
        if (!c.target) continue;
        SCOPED_TRACE(c.name);
        const TempFolder dir;
        const std::string applied = dir.Write("applied.exe", *c.target);
        const std::string rehearsed = dir.Write("rehearsed.exe", *c.target);
        const ApplyResult expected = ApplyPatch(fs, RequestFor(c, applied));
        EXPECT_EQ(expected.message, c.MessageFor(applied));
        EXPECT_EQ(dir.Read("applied.exe"), c.Expected());

        vpPatch engine(fs);
        ASSERT_EQ(engine.LoadExe(rehearsed), 1);
        const ApplyResult plain = RehearseApply(fs, engine, RequestFor(c, rehearsed));
        EXPECT_EQ(plain.outcome, expected.outcome);
        EXPECT_EQ(plain.message, expected.message);
        EXPECT_EQ(engine.exeData(), *c.target);

        // Told where each signature lies, it reads nothing again and comes to the same.
        const ApplyResult told = RehearseApply(
            fs, engine, RequestFor(c, rehearsed), [&](std::string_view signature) -> std::size_t {
                const std::vector<std::string_view> needles = {signature};
                const Occurrences o = FindEvery(engine.exeData(), needles, 1)[0];
                return o.offsets.empty() ? kNotFound : o.offsets[0];
            });
        EXPECT_EQ(told.outcome, expected.outcome);
        EXPECT_EQ(told.message, expected.message);
        EXPECT_EQ(engine.exeData(), *c.target);
        EXPECT_EQ(dir.Read("rehearsed.exe"), *c.target);
    }
}

TEST(RehearseApply, AsksWhetherTheTargetMayBeWritten) {
    const TempFolder dir;
    const std::string path = dir.Write("vplaces.exe", "\x0F\x8C\x51\x00\x00"s);
    korrin::testing::FaultyFileSystem fs("ProbeWritable", "", ErrorCode::kOther, 0);
    vpPatch engine(fs);
    ASSERT_EQ(engine.LoadExe(path), 1);
    ApplyRequest request;
    request.targetPath = path;
    request.valueKind = catalogue::ValueKind::kYesNo;
    request.onBytes = "9090";
    request.locationList = "0F8C51";
    const ApplyResult result = RehearseApply(fs, engine, request);
    EXPECT_EQ(result.outcome, ApplyOutcome::kSaveFailed);
    EXPECT_EQ(result.message, kTargetOpenMessage);
}

TEST(RevertChanges, PutsBackEveryByteWrittenSinceTheLoad) {
    const TempFolder dir;
    const std::string original = "\xAA\x00\x00\xBB\x00\x00"s;
    const std::string path = dir.Write("vplaces.exe", original);
    vpPatch engine(platform::FileSystem::Default());
    ASSERT_EQ(engine.LoadExe(path), 1);
    // The second edit overwrites part of the first: putting back must undo the later one first.
    ASSERT_EQ(engine.PatchBytes("\xAA", "\x11\x22\x33"), 1);
    ASSERT_EQ(engine.PatchBytes("\x11", "\x44"), 1);
    ASSERT_EQ(engine.exeData(), "\xAA\x11\x44\x33\x00\x00"s);
    engine.RevertChanges();
    EXPECT_EQ(engine.exeData(), original);
    // Later patches start from the loaded data again.
    ASSERT_EQ(engine.PatchBytes("\xBB", "\x55"), 1);
    EXPECT_EQ(engine.exeData(), "\xAA\x00\x00\xBB\x55\x00"s);
}

}  // namespace
}  // namespace korrin::patch
