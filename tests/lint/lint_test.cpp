#include "lint/lint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace korrin::lint {
namespace {

// "LINE code" for each finding, in the order given.
std::vector<std::string> Codes(const std::vector<LintFinding>& findings) {
    std::vector<std::string> codes;
    for (const LintFinding& f : findings) codes.push_back(std::to_string(f.line) + " " + f.code);
    return codes;
}

const std::string kTail = "description:d\r\nparam:num|1\r\nlocation:AABB\r\n";

TEST(LintDefinition, FindsWhatTheWindowPassesOver) {
    struct Case {
        const char* name;
        std::string text;
        std::vector<std::string> codes;
    };
    // The rest of the findings, file by file, are in the lint golden transcript
    // (tests/data/cli/lint.expected over tests/data/catalogues/lint_findings).
    const Case cases[] = {
        {"keys in capitals are fine",
         "PATCH:T\r\nDescription:d\r\nPARAM:YN|A:01|B:02\r\nLocation:AA",
         {}},
        {"utf-16 mark", "\xFF\xFEp\0", {"1 byte-order-mark", "0 missing-key"}},
        {"extra option items are fine",
         "patch:T\r\ndescription:d\r\nparam:yn|A:01,02|B:03,04\r\nlocation:AA",
         {}},
        {"only the last param and location count for the option lists",
         "patch:T\r\ndescription:d\r\nparam:yn|A:01|B:02\r\nlocation:AA,BB\r\nlocation:AA",
         {"5 duplicate-key"}},
        {"lower-case signature decodes to nothing",
         "patch:T\r\ndescription:d\r\nparam:num|1\r\nlocation:AA,0f8c",
         {"4 empty-signature"}},
        {"empty title links fine", "patch:\r\n" + kTail, {}},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(Codes(LintDefinition("f.pat", c.text)), c.codes) << c.name;
    }
}

TEST(LintDefinition, CountsLinesAsAnEditorDoes) {
    // The window reads lines 2 and 3 as one, so it sees no "param:" line, and the last signature
    // ends in an LF; an editor, and so the report, counts the lines apart.
    const std::string text =
        "patch:T\r\n"
        "description:d\n"
        "param:num|1\r"
        "location:AA\r\n"
        "location:BB\n";
    EXPECT_THAT(Codes(LintDefinition("f.pat", text)),
                ElementsAre("2 lf-line-end", "5 lf-line-end", "5 duplicate-key", "5 hex-dropped",
                            "0 missing-key"));
    const std::vector<LintFinding> findings = LintDefinition("f.pat", text);
    EXPECT_THAT(findings[0].message, ::testing::HasSubstr("next line"));
    EXPECT_THAT(findings[1].message, ::testing::HasSubstr("last line"));
}

TEST(LintDefinition, QuotesTheDefinitionsOwnText) {
    const std::vector<LintFinding> findings =
        LintDefinition("f.pat", "patch:T\r\ndescription:d\r\nparam:Maybe|x\r\nlocation:AA");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_THAT(findings[0].message, ::testing::HasSubstr("\"Maybe\""));
}

// Lists one file that cannot be read, as when it is locked or vanished after the listing.
class LockedFile final : public platform::FileSystem {
  public:
    std::vector<std::string> ListFiles(const std::string&, Status* s) override {
        *s = Status::Ok();
        return {"b.pat", "a.pat", "notes.txt"};
    }
    Status ReadFile(const std::string& path, std::string* out) override {
        if (path.ends_with("b.pat")) return {ErrorCode::kAccessDenied, "b.pat: locked"};
        *out = "patch:A\r\n" + kTail;
        return Status::Ok();
    }
    Status NewWritableFile(const std::string&, std::unique_ptr<platform::WritableFile>*) override {
        return {ErrorCode::kOther, "read only"};
    }
    Status RemoveFile(const std::string&) override { return {}; }
    Status RenameFile(const std::string&, const std::string&) override { return {}; }
    bool IsRegularFile(const std::string&) override { return true; }
};

TEST(LintFolder, ReportsEveryDefinitionFileInCatalogueOrder) {
    LockedFile fs;
    const std::vector<FileLint> files = LintFolder(fs, "/folder/");
    ASSERT_EQ(files.size(), 2u);
    EXPECT_EQ(files[0].fileName, "a.pat");
    EXPECT_THAT(files[0].findings, IsEmpty());
    EXPECT_EQ(files[1].fileName, "b.pat");
    EXPECT_THAT(Codes(files[1].findings), ElementsAre("0 unreadable"));
}

}  // namespace
}  // namespace korrin::lint
