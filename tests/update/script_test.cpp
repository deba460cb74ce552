#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <map>

#include "forwarding_file_system.h"
#include "temp_folder.h"
#include "update/update.h"

namespace korrin::update {
namespace {

namespace fs = std::filesystem;

constexpr const char* kProgram = "korrin-patcher";
const fs::path kData = KORRIN_TEST_DATA;

std::string ReadAll(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void ReplaceAll(std::string& text, std::string_view from, std::string_view to) {
    for (std::size_t at = 0; (at = text.find(from, at)) != std::string::npos; at += to.size()) {
        text.replace(at, from.size(), to);
    }
}

// What an update left behind, as text: the message, the description, the notes and every plain
// file anywhere under the test folder, so that a file written outside the program folder shows
// as surely as one inside it. "{outside}" stands for the test folder.
std::string Render(const UpdateOutcome& outcome, const testing::TempFolder& dir) {
    std::string out = "== message\n" + outcome.message + "\n== description\n" +
                      outcome.description + "\n== notes\n";
    for (const std::string& note : outcome.notes) out += note + "\n";
    std::map<std::string, std::string> files;
    for (const auto& entry : fs::recursive_directory_iterator(dir.path())) {
        if (entry.is_regular_file()) {
            files[fs::relative(entry.path(), dir.path()).generic_string()] = ReadAll(entry.path());
        }
    }
    for (const auto& [name, bytes] : files) out += "== " + name + "\n" + bytes + "\n";
    ReplaceAll(out, dir.path().string() + "/", "{outside}");
    return out;
}

// Each case is a script (.dsc), run as the body of an update, or a whole response (.http) as the
// server ended it, beside the .expected rendering of what it leaves. Every case starts from the
// same folder: the program folder app/ and, outside it, a file that no script may reach.
TEST(Update, EveryCaseLeavesWhatItsExpectedFileShows) {
    std::vector<fs::path> cases;
    for (const char* kind : {"scripts", "responses"}) {
        for (const auto& entry : fs::directory_iterator(kData / kind)) {
            if (entry.path().extension() != ".expected") cases.push_back(entry.path());
        }
    }
    std::sort(cases.begin(), cases.end());
    ASSERT_GT(cases.size(), 30u);
    for (const fs::path& input : cases) {
        SCOPED_TRACE(input.filename().string());
        const testing::TempFolder dir;
        fs::copy(kData / "folder_before_update", dir.path(), fs::copy_options::recursive);
        std::string bytes = ReadAll(input);
        ReplaceAll(bytes, "{outside}", dir.path().string() + "/");

        platform::FileSystem& files = platform::FileSystem::Default();
        const std::string folder = dir.folder() + "app/";
        UpdateOutcome outcome;
        if (input.extension() == ".dsc") {
            outcome = RunUpdate(files, folder, bytes, kProgram);
        } else {
            Reception reception;
            reception.Append(bytes);
            outcome = FinishUpdate(files, folder, reception, kProgram);
        }
        EXPECT_EQ(outcome.completed, outcome.message == "Auto update completed.");
        fs::path expected = input;
        expected.replace_extension(".expected");
#ifdef _WIN32
        // Where Windows reads a name otherwise (it drops a blank at the end), the case's outcome
        // there has a file of its own.
        if (fs::path own = input; fs::exists(own.replace_extension(".win32.expected"))) {
            expected = own;
        }
#endif
        EXPECT_EQ(Render(outcome, dir), ReadAll(expected));
    }
}

// The real file system, except that the description file cannot be read back, as when another
// program locks it right after it was written.
class DescriptionUnreadable final : public testing::ForwardingFileSystem {
  public:
    Status ReadFile(const std::string& path, std::string* out) override {
        if (path.ends_with("/patch.dsc")) return {ErrorCode::kAccessDenied, "locked"};
        return real().ReadFile(path, out);
    }
};

TEST(Update, StopsWhenTheDescriptionCannotBeStoredOrReadBack) {
    const testing::TempFolder dir;
    const std::string script = "open a.pat\r\npatch:A\r\n";

    const UpdateOutcome gone =
        RunUpdate(platform::FileSystem::Default(), dir.folder() + "missing/", script, kProgram);
    EXPECT_FALSE(gone.completed);
    // The system's own words come between.
    EXPECT_THAT(gone.message, ::testing::StartsWith("The update could not be stored: " +
                                                    dir.folder() + "missing/patch.dsc: "));
    EXPECT_THAT(gone.message, ::testing::EndsWith("; no update was made."));

    DescriptionUnreadable locked;
    const UpdateOutcome unreadable = RunUpdate(locked, dir.folder(), script, kProgram);
    EXPECT_FALSE(unreadable.completed);
    EXPECT_EQ(unreadable.message, "The update could not be read back: locked; no update was made.");
    EXPECT_TRUE(fs::is_empty(dir.path()));
}

}  // namespace
}  // namespace korrin::update

namespace korrin::update {
namespace {

// The window and the command line may share a folder: an update run by either leaves both.
TEST(Update, SparesBothProgramsOfTheTool) {
    const testing::TempFolder dir;
    dir.Write("korrin-patcher", "window");
    dir.Write("KORRIN-PATCH", "command line");
    dir.Write("old.pat", "patch:Old\r\n");
    const UpdateOutcome outcome =
        RunUpdate(platform::FileSystem::Default(), dir.folder(),
                  "kill *\r\nopen korrin-patch\r\nx\r\nclose\r\n", "korrin-patcher");
    EXPECT_TRUE(outcome.completed);
    EXPECT_FALSE(dir.Exists("old.pat"));
    EXPECT_EQ(dir.Read("korrin-patcher"), "window");
    EXPECT_EQ(dir.Read("KORRIN-PATCH"), "command line");
    EXPECT_EQ(outcome.notes.size(), 3u);
}

}  // namespace
}  // namespace korrin::update
