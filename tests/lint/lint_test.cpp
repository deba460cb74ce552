#include "lint/lint.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "temp_folder.h"

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
    const Case cases[] = {
        {"complete", "patch:T\r\n" + kTail, {}},
        {"keys in capitals are fine",
         "PATCH:T\r\nDescription:d\r\nPARAM:YN|A:01|B:02\r\nLocation:AA",
         {}},
        {"byte-order mark hides the first key",
         "\xEF\xBB\xBFpatch:T\r\n" + kTail,
         {"1 byte-order-mark", "0 missing-key"}},
        {"utf-16 mark", "\xFF\xFEp\0", {"1 byte-order-mark", "0 missing-key"}},
        {"no patch line: nothing else matters", "description:d\r\n", {"0 missing-key"}},
        {"missing description, param, location",
         "patch:T\r\n",
         {"0 missing-key", "0 missing-key", "0 missing-key"}},
        {"repeated keys",
         "patch:T\r\npatch:U\r\n" + kTail + kTail,
         {"6 duplicate-key", "7 duplicate-key", "8 duplicate-key"}},
        {"leading blank",
         "patch:T\r\n" + kTail + " location:AA\r\n\tparam:x\r\n  note:",
         {"5 leading-blank", "6 leading-blank"}},
        {"empty param", "patch:T\r\ndescription:d\r\nparam:\r\nlocation:AA", {"3 param-field"}},
        {"yn with one option",
         "patch:T\r\ndescription:d\r\nparam:yn|A:01\r\nlocation:AA",
         {"3 param-field"}},
        {"yn options without colons",
         "patch:T\r\ndescription:d\r\nparam:yn|A|B\r\nlocation:AA",
         {"3 param-field", "3 param-field"}},
        {"num without default",
         "patch:T\r\ndescription:d\r\nparam:num\r\nlocation:AA",
         {"3 param-field"}},
        {"unknown kind",
         "patch:T\r\ndescription:d\r\nparam:yes|x\r\nlocation:AA",
         {"3 unknown-kind"}},
        {"short second option",
         "patch:T\r\ndescription:d\r\nparam:yn|A:01,02|B:03\r\nlocation:AA,BB",
         {"3 short-option-list"}},
        {"extra option items are fine",
         "patch:T\r\ndescription:d\r\nparam:yn|A:01,02|B:03,04\r\nlocation:AA",
         {}},
        {"only the last param and location count for the option lists",
         "patch:T\r\ndescription:d\r\nparam:yn|A:01|B:02\r\nlocation:AA,BB\r\nlocation:AA",
         {"5 duplicate-key"}},
        {"empty signatures",
         "patch:T\r\ndescription:d\r\nparam:num|1\r\nlocation:,AA,,BB,",
         {"4 empty-signature", "4 empty-signature", "4 empty-signature"}},
        {"no signature at all",
         "patch:T\r\ndescription:d\r\nparam:num|1\r\nlocation:or|",
         {"4 empty-signature"}},
        {"lower-case signature decodes to nothing",
         "patch:T\r\ndescription:d\r\nparam:num|1\r\nlocation:AA,0f8c",
         {"4 empty-signature"}},
        {"odd signature loses its last digit",
         "patch:T\r\ndescription:d\r\nparam:num|1\r\nlocation:AAB",
         {"4 hex-dropped"}},
        {"option bytes the decoder drops",
         "patch:T\r\ndescription:d\r\nparam:yn|A:9 0|B:\r\nlocation:AA",
         {"3 hex-dropped", "3 hex-dropped", "3 short-option-list"}},
        {"or prefix in capitals",
         "patch:T\r\ndescription:d\r\nparam:num|1\r\nlocation:Or|AA",
         {"4 or-prefix-case", "4 empty-signature"}},
        {"title ending in a blank", "patch:T \r\n" + kTail, {"1 title-link"}},
        {"title holding the link run",
         "patch:A" + std::string(100, ' ') + "B\r\n" + kTail,
         {"1 title-link"}},
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

TEST(LintDefinition, SaysWhatTheHexDecoderKeeps) {
    const std::vector<LintFinding> findings =
        LintDefinition("f.pat", "patch:T\r\ndescription:d\r\nparam:num|1\r\nlocation:0F 8c51");
    ASSERT_EQ(findings.size(), 1u);
    EXPECT_EQ(findings[0].message,
              "signature 1 \"0F 8c51\": the decoder drops \" 8\" (a blank), \"c5\" (lower case) "
              "and \"1\" (a lone last character), so it stands for 0F only");
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

TEST(LintFolder, ReadsRealFiles) {
    const korrin::testing::TempFolder dir;
    dir.Write("x.PAT", "patch:X \r\n" + kTail);
    const std::vector<FileLint> files = LintFolder(platform::FileSystem::Default(), dir.folder());
    ASSERT_EQ(files.size(), 1u);
    EXPECT_THAT(Codes(files[0].findings), ElementsAre("1 title-link"));
}

}  // namespace
}  // namespace korrin::lint
