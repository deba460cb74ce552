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
