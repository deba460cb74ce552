#include "catalogue/definition.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include "catalogue/catalogue.h"
#include "forwarding_file_system.h"
#include "temp_folder.h"

using ::testing::ElementsAre;
using ::testing::IsEmpty;

namespace korrin::catalogue {
namespace {

TEST(ClassifyLine, MatchesKeysAtTheStartWithoutRegardToCase) {
    struct Case {
        std::string line;
        Key key;
        std::string value;
    };
    const Case cases[] = {
        {"patch:Example", Key::kPatch, "Example"},
        {"PATCH:Keeps Its Letters", Key::kPatch, "Keeps Its Letters"},
        {"Patch: leading blank", Key::kPatch, " leading blank"},
        {"patch:", Key::kPatch, ""},
        {" patch:indented", Key::kNone, ""},
        {"patch :x", Key::kNone, ""},
        {"patc", Key::kNone, ""},
        {"Description:Text: with colon ", Key::kDescription, "Text: with colon "},
        {"param:yn|On:90|Off:EB", Key::kParam, "yn|On:90|Off:EB"},
        {"LOCATION:or|0F8C", Key::kLocation, "or|0F8C"},
        {"\xEF\xBB\xBFpatch:bom", Key::kNone, ""},
        {"note: not a key", Key::kNone, ""},
    };
    for (const Case& c : cases) {
        const KeyedLine k = ClassifyLine(c.line);
        EXPECT_EQ(k.key, c.key) << c.line;
        EXPECT_EQ(k.value, c.value) << c.line;
    }
}

TEST(SplitOption, SplitsAtTheFirstColon) {
    const YnOption o = SplitOption("On:90:90");
    EXPECT_EQ(o.caption, "On");
    EXPECT_EQ(o.bytes, "90:90");
    EXPECT_EQ(SplitOption(":9090").caption, "");
}

TEST(ParseDefinition, LastLineOfAKeyWins) {
    const DefinitionView v = ParseDefinition(
        "description:first\r\ndescription:second\r\n"
        "param:YN|A:01|B:02|ignored\r\nparam:num|5\r\n"
        "location:AA\r\nlocation:or|BB,CC\r\n");
    EXPECT_TRUE(v.complete());
    EXPECT_EQ(v.description, "second");
    EXPECT_EQ(v.valueKind, ValueKind::kNumber);
    EXPECT_FALSE(v.showsOptions());
    EXPECT_EQ(v.valueText, "5");
    // The lists of the earlier "yn" line stay.
    EXPECT_EQ(v.onBytes(), "01");
    EXPECT_EQ(v.offBytes(), "02");
    EXPECT_EQ(v.locationList, "or|BB,CC");
}

TEST(ParseDefinition, FlagsWhatKeepsApplyFromRunning) {
    struct Case {
        const char* name;
        std::string text;
        bool complete;
    };
    const Case cases[] = {
        {"complete text", "param:text|abc\r\nlocation:AA", true},
        {"unknown kind is Apply's to refuse", "param:other\r\nlocation:AA", true},
        {"no param", "location:AA", false},
        {"no location", "param:num|1", false},
        {"empty param", "param:\r\nlocation:AA", false},
        {"yn with one option", "param:yn|On:90\r\nlocation:AA", false},
        {"yn option without colon", "param:yn|On:90|Off\r\nlocation:AA", false},
        {"num without default", "param:num\r\nlocation:AA", false},
        {"text without default", "param:TEXT\r\nlocation:AA", false},
        {"later param mends an earlier one", "param:yn|x\r\nparam:num|1\r\nlocation:A", true},
        {"lf only: one line", "param:num|1\nlocation:AA\n", false},
    };
    for (const Case& c : cases) {
        const DefinitionView v = ParseDefinition(c.text);
        EXPECT_EQ(v.complete(), c.complete) << c.name;
        EXPECT_EQ(v.problems.empty(), c.complete) << c.name;
    }
}

TEST(Catalogue, EntryTextLinksTitleAndFile) {
    const CatalogueEntry e{"Title", "a.pat"};
    EXPECT_EQ(e.text(), "Title" + std::string(100, ' ') + "a.pat");
    EXPECT_EQ(FileNameFromEntry(e.text()), "a.pat");
    EXPECT_EQ(FileNameFromEntry(CatalogueEntry{"", "b.pat"}.text()), "b.pat");
    // A title ending in a blank moves the run: the name found begins with that blank.
    EXPECT_EQ(FileNameFromEntry(CatalogueEntry{"T ", "c.pat"}.text()), " c.pat");
    EXPECT_EQ(FileNameFromEntry("no run here"), std::nullopt);
}

TEST(Catalogue, ScansPatFilesInStableOrder) {
    const korrin::testing::TempFolder dir;
    dir.Write("b.pat", "patch:B one\r\npatch:B two\r\n");
    dir.Write("A.PAT", "PATCH:A upper\r\n");
    dir.Write("c.pat", "description:no patch line\r\n");
    dir.Write(".hidden.pat", "patch:hidden\r\n");
    dir.Write("d.pat.txt", "patch:wrong extension\r\n");
    dir.Write("e.pat", "patch:\r\n");
    std::filesystem::create_directory(dir.path() / "folder.pat");

    std::vector<std::string> texts;
    for (const CatalogueEntry& e : ScanCatalogue(platform::FileSystem::Default(), dir.folder())) {
        texts.push_back(e.title + "|" + e.fileName);
    }
    EXPECT_THAT(texts, ElementsAre("A upper|A.PAT", "B one|b.pat", "B two|b.pat", "|e.pat"));
}

// Lists like the real file system but cannot read one named file, as when it was removed or
// locked between the listing and the read.
class UnreadableFile final : public korrin::testing::ForwardingFileSystem {
  public:
    explicit UnreadableFile(std::string name) : name_(std::move(name)) {}
    Status ReadFile(const std::string& path, std::string* out) override {
        if (path.ends_with(name_)) return {ErrorCode::kAccessDenied, path + ": locked"};
        return real().ReadFile(path, out);
    }

  private:
    std::string name_;
};

TEST(Catalogue, UnreadableFileIsPassedOver) {
    const korrin::testing::TempFolder dir;
    dir.Write("a.pat", "patch:A\r\n");
    dir.Write("b.pat", "patch:B\r\n");
    dir.Write("c.pat", "patch:C\r\n");
    UnreadableFile fs("/b.pat");
    const auto entries = ScanCatalogue(fs, dir.folder());
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].title, "A");
    EXPECT_EQ(entries[1].title, "C");
}

TEST(Catalogue, MissingFolderGivesNoEntries) {
    EXPECT_THAT(ScanCatalogue(platform::FileSystem::Default(), "/nonexistent/korrin/"), IsEmpty());
}

}  // namespace
}  // namespace korrin::catalogue
