// korrin-patch's half of the shared Apply table: each case run as a process, its message on
// the stream and with the status that the outcome calls for, and the target's bytes after it.

#include "apply_table.h"

#include <gtest/gtest.h>

#include "common/number.h"
#include "run_process.h"
#include "temp_folder.h"

namespace korrin::testing {
namespace {

constexpr std::string_view kCompleted = "Patch completed successfully";

TEST(ApplyTable, CommandLineGivesTheWindowsBytesAndMessage) {
    const std::vector<ApplyCase> cases = ReadApplyTable(KORRIN_TEST_DATA "/apply_table.txt");
    ASSERT_FALSE(cases.empty());
    for (const ApplyCase& c : cases) {
        SCOPED_TRACE(c.name);
        const TempFolder program;
        const TempFolder targetFolder;
        program.Write("case.pat", c.definition);
        const std::string target = targetFolder.file("vplaces.exe");
        if (c.target) targetFolder.Write("vplaces.exe", *c.target);

        std::vector<std::string> args = {"--folder", program.folder(), "apply",
                                         "--target", target,           "0"};
        if (c.option) args.insert(args.end(), {"--option", std::to_string(*c.option)});
        if (c.value) args.insert(args.end(), {"--value", *c.value});
        const ProcessResult run = RunProcess(KORRIN_PATCH_BINARY, args, program.path().string());

        const std::string message = c.MessageFor(target) + "\n";
        // Where the window writes what the number rule makes of any text, the command line
        // warns of a "num" value read as another number and refuses one with no number in it.
        const bool num = c.value && c.definition.find("param:num") != std::string::npos;
        const bool warned = num && run.err.starts_with("korrin-patch apply: warning: --value");
        const std::string err = run.err.substr(warned ? run.err.find('\n') + 1 : 0);
        if (num && !BeginsWithNumber(*c.value)) {
            EXPECT_EQ(run.status, 2);
            continue;
        }
        if (c.message == kCompleted) {
            EXPECT_EQ(run.status, 0);
            EXPECT_EQ(run.out, message);
            EXPECT_EQ(err, "");
        } else {
            EXPECT_EQ(run.status, 1);
            EXPECT_EQ(run.out, "");
            EXPECT_EQ(err, message);
        }
        if (c.target) {
            EXPECT_EQ(targetFolder.Read("vplaces.exe"), c.Expected());
        } else {
            EXPECT_FALSE(targetFolder.Exists("vplaces.exe"));
        }
    }
}

}  // namespace
}  // namespace korrin::testing
