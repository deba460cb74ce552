// The window's behaviour on the model alone: a recording view in place of the screen, a settings
// store in memory, a scripted TCP connection, and real definition files and targets in temporary
// folders read through the real (or a fault-injecting) file system.

#include "window/window_model.h"

#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>
#include <thread>

#include "apply_table.h"
#include "common/text.h"
#include "faulty_file_system.h"
#include "temp_folder.h"

namespace korrin::window {
namespace {

using testing::TempFolder;

const std::string kData = KORRIN_TEST_DATA;
const std::string kLink(100, ' ');

class RecordingView : public View {
  public:
    std::map<Control, std::string> texts;
    std::map<Control, bool> visible;
    std::vector<std::string> entries;
    std::vector<std::string> messages;
    std::optional<std::string> folderAnswer;
    int option = -1, row = -1, progress = -1;
    std::vector<std::string> sequence;  // "busy", "idle" and "message", in order
    int repaints = 0;
    bool repaintedElsewhere = false;  // on a thread other than the window's
    const std::thread::id thread = std::this_thread::get_id();

    void SetText(Control c, const std::string& t) override { texts[c] = t; }
    void SetVisible(Control c, bool v) override { visible[c] = v; }
    void SetOption(int index) override { option = index; }
    void SetListEntries(const std::vector<std::string>& e) override { entries = e; }
    void SetListIndex(int r) override { row = r; }
    void SetProgressWidth(int pixels) override { progress = pixels; }
    void ShowBusy(bool busy) override { sequence.push_back(busy ? "busy" : "idle"); }
    void Repaint() override {
        ++repaints;
        repaintedElsewhere = repaintedElsewhere || std::this_thread::get_id() != thread;
    }
    void ShowMessage(const std::string& text) override {
        messages.push_back(text);
        sequence.push_back("message");
    }
    std::optional<std::string> BrowseFolder() override { return folderAnswer; }
    std::vector<std::string> questions;
    bool answer = false;
    bool AskQuestion(const std::string& text) override {
        questions.push_back(text);
        return answer;
    }
};

class MemorySettings : public platform::SettingsStore {
  public:
    std::map<std::string, std::string, std::less<>> values;
    int writes = 0;
    std::optional<std::string> Read(std::string_view key) override {
        const auto it = values.find(key);
        return it == values.end() ? std::nullopt : std::optional(it->second);
    }
    void Write(std::string_view key, const std::string& text) override {
        values[std::string(key)] = text;
        ++writes;
    }
};

// Records the operations; the test raises the events by calling the model's handlers.
class ScriptedConnection : public platform::TcpConnection {
  public:
    std::vector<std::string> calls;
    std::string sent, pending, host;
    void Connect(const std::string& h, int port) override {
        host = h;
        calls.push_back("Connect " + h + ":" + std::to_string(port));
    }
    void SendData(std::string_view data) override { sent += data; }
    std::string GetData() override { return std::exchange(pending, {}); }
    void Close() override { calls.push_back("Close"); }
    std::string RemoteHost() const override { return host; }
};

// A window over folder, loaded, with everything it touched on record.
struct Window {
    RecordingView view;
    MemorySettings settings;
    ScriptedConnection connection;
    int ended = 0;
    std::vector<std::string> reloads;
    int silenceTimer = 0;  // the seconds it is armed for; 0 when disarmed
    WindowModel model;

    explicit Window(const std::string& folder,
                    platform::FileSystem& fs = platform::FileSystem::Default(),
                    std::map<std::string, std::string, std::less<>> stored = {},
                    std::string journal = journal::DefaultJournalPath())
        : model(view, Machine{fs,
                              settings,
                              connection,
                              {folder, "korrin-patcher"},
                              [this] { ++ended; },
                              [this](const std::string& d) { reloads.push_back(d); },
                              [this](int seconds) { silenceTimer = seconds; },
                              std::move(journal)}) {
        settings.values = std::move(stored);
        model.Form_Load();
    }

    void Select(const std::string& title) {
        const auto& entries = model.listEntries();
        for (std::size_t i = 0; i < entries.size(); ++i) {
            if (entries[i].substr(0, entries[i].find(kLink)) == title) {
                return model.ClickListEntry(static_cast<int>(i));
            }
        }
        FAIL() << "no entry titled " << title;
    }
};

TEST(WindowModel, StartUpListsEveryPatchLineAndSelectsTheFirst) {
    Window w(kData + "/catalogues/three/");
    EXPECT_EQ(w.view.entries,
              (std::vector<std::string>{"Fast start" + kLink + "a_fast_start.pat",
                                        "Line length" + kLink + "b_line_length.pat",
                                        "Title text" + kLink + "c_title_text.pat"}));
    EXPECT_EQ(w.view.row, 0);
    EXPECT_EQ(w.view.texts[Control::lblDescription], "Skips the intro.");
    EXPECT_EQ(w.view.texts[Control::opOnOff0], "Skip");
    EXPECT_EQ(w.view.texts[Control::opOnOff1], "Keep");
    EXPECT_EQ(w.view.option, 0);
    EXPECT_FALSE(w.view.visible[Control::txtValue]);
    EXPECT_TRUE(w.view.visible[Control::tabForm1]);
    EXPECT_FALSE(w.view.visible[Control::tabForm0] || w.view.visible[Control::tabForm2]);
    EXPECT_EQ(w.view.texts[Control::txtDir], "C:\\");
    EXPECT_EQ(w.view.texts[Control::txtUpdateUrl], "korrin.example.net/patch/");
    EXPECT_EQ(w.view.progress, 8);
    EXPECT_EQ(SplitLines(w.view.texts[Control::txtAbout]).size(), 10u);
    EXPECT_EQ(w.settings.writes, 0);
}

TEST(WindowModel, SelectionShowsEachKindAndLeavesNothingOfTheOneBefore) {
    std::ifstream table(kData + "/selection_table.txt");
    std::string line;
    int rows = 0;
    while (std::getline(table, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> c = SplitList(line, ';');
        c.resize(9);
        SCOPED_TRACE(line);
        ++rows;
        Window w(kData + "/definitions/");
        // The first entry, a file with LF line ends, is one line: its title holds the rest.
        EXPECT_EQ(w.model.listEntries()[0],
                  "LF only\ndescription:never seen\nparam:num|1\nlocation:AABB\n" + kLink +
                      "lf_line_ends.pat");
        EXPECT_FALSE(w.model.selection().definitionProblems.empty());
        w.Select("Yes or no");
        w.Select("Number");
        w.Select(c[0]);
        EXPECT_EQ(w.view.texts[Control::lblDescription], c[1]);
        EXPECT_EQ(w.view.visible[Control::opOnOff0], c[2] == "1");
        EXPECT_EQ(w.view.visible[Control::txtValue], c[2] != "1");
        if (c[3] != "-") {
            EXPECT_EQ(w.view.texts[Control::txtValue], c[3]);
        }
        const patch::ApplyRequest& s = w.model.selection();
        EXPECT_EQ(s.valueKind, catalogue::KindFromText(c[4]));
        EXPECT_EQ(s.onBytes, c[5]);
        EXPECT_EQ(s.offBytes, c[6]);
        EXPECT_EQ(s.locationList, c[7]);
        EXPECT_EQ(s.definitionProblems.empty(), c[8] == "1");
        EXPECT_TRUE(w.view.messages.empty());
    }
    EXPECT_EQ(rows, 10);
}

TEST(WindowModel, SelectionPutsDefaultsBackAndKeepsWhatTheFileDoesNotSet) {
    Window w(kData + "/definitions/");
    w.Select("Yes or no");
    w.model.ChooseOption(1);
    w.Select("Number");
    w.model.TypeValue("77");
    w.Select("Yes or no");
    EXPECT_EQ(w.model.chosenOption(), 0);
    w.Select("Number");
    EXPECT_EQ(w.model.txtValue(), "1000");
    // A typed text survives a "yn" patch, hidden, and shows again for a kind none of the three.
    w.Select("Text");
    w.model.TypeValue("typed");
    w.Select("Yes or no");
    w.Select("Other kind");
    EXPECT_TRUE(w.view.visible[Control::txtValue]);
    EXPECT_EQ(w.model.txtValue(), "typed");
}

TEST(WindowModel, BrokenFilesNeverLeaveApplyAnEarlierDefinition) {
    TempFolder dir;
    std::filesystem::copy(kData + "/definitions/yn_two_options.pat", dir.file("a.pat"));
    dir.Write("b.pat", "patch:Gone\r\nparam:num|1\r\nlocation:AABB\r\n");
    dir.Write("c.pat", "patch:Ends in a blank \r\nparam:text|x\r\nlocation:AA\r\n");
    dir.Write("vplaces.exe", std::string("\x0F\x8C\x51\x01\x00\x00\x3D\xAA\xBB", 9));
    Window w(dir.folder());
    w.model.TypeDir(dir.file("vplaces.exe"));
    std::filesystem::remove(dir.file("b.pat"));
    for (int row : {1, 2}) {  // removed since start-up; a name that is not there
        w.model.ClickListEntry(0);
        w.model.ClickListEntry(row);
        EXPECT_EQ(w.model.selection().valueKind, catalogue::ValueKind::kUnknown);
        EXPECT_TRUE(w.model.selection().onBytes.empty());
        EXPECT_TRUE(w.model.selection().locationList.empty());
        w.model.cmdApply_Click();
        EXPECT_TRUE(w.view.messages.back().starts_with(
            "This patch cannot be applied because its definition is incomplete: "))
            << w.view.messages.back();
    }
    EXPECT_EQ(dir.Read("vplaces.exe"), std::string("\x0F\x8C\x51\x01\x00\x00\x3D\xAA\xBB", 9));
}

TEST(WindowModel, SettingsAreWrittenOnChangeAndRestoredAtStartUp) {
    TempFolder empty;
    Window w(empty.folder());
    w.model.TypeDir("/opt/vp/vplaces.exe");
    w.model.TypeUpdateUrl("");
    EXPECT_EQ(w.settings.values,
              (decltype(w.settings.values){{"Path", "/opt/vp/vplaces.exe"}, {"URL", ""}}));
    // An emptied address comes back empty, not as the default.
    Window again(empty.folder(), platform::FileSystem::Default(), w.settings.values);
    EXPECT_EQ(again.view.texts[Control::txtDir], "/opt/vp/vplaces.exe");
    EXPECT_EQ(again.view.texts[Control::txtUpdateUrl], "");
}

TEST(WindowModel, FolderButtonComposesTheTargetPath) {
    // The chosen folder gets the system's own separator.
    const std::string sep(1, platform::kSeparator);
    const std::vector<std::pair<std::optional<std::string>, std::string>> cases = {
        {"/opt/VP", "/opt/VP" + sep + "vplaces.exe"},
        {"/", "/vplaces.exe"},
        {"/opt/VP/", "/opt/VP/vplaces.exe"},
        {std::nullopt, "/typed/by/hand"},
        {"", "/typed/by/hand"},
    };
    TempFolder empty;
    for (const auto& [chosen, path] : cases) {
        Window w(empty.folder());
        w.model.TypeDir("/typed/by/hand");
        w.view.folderAnswer = chosen;
        w.model.txtPickDIR_Click();
        EXPECT_EQ(w.model.txtDir(), path);
        EXPECT_EQ(w.settings.values["Path"], path);
        EXPECT_EQ(w.settings.writes, chosen && !chosen->empty() ? 2 : 1);
    }
}

TEST(WindowModel, HeadersSwitchTabsAndExitEndsTheProgram) {
    TempFolder empty;
    Window w(empty.folder());
    const auto shown = [&w] {
        return std::vector<bool>{w.view.visible[Control::tabForm0],
                                 w.view.visible[Control::tabForm1],
                                 w.view.visible[Control::tabForm2]};
    };
    w.model.tabPick_Click(0);
    EXPECT_EQ(shown(), (std::vector<bool>{true, false, false}));
    w.model.lblTab_Click(2);
    EXPECT_EQ(shown(), (std::vector<bool>{false, false, true}));
    w.model.lblTab_Click(3);
    EXPECT_EQ(shown(), (std::vector<bool>{false, false, false}));
    EXPECT_EQ(w.ended, 1);
    EXPECT_TRUE(w.view.messages.empty());
}

// The table that korrin-patch runs too: the same definition, target and value must give the
// same message and bytes through the window.
TEST(WindowModel, ApplyMatchesTheSharedTable) {
    for (const testing::ApplyCase& c : testing::ReadApplyTable(kData + "/apply_table.txt")) {
        SCOPED_TRACE(c.name);
        TempFolder dir;
        dir.Write("case.pat", c.definition);
        if (c.target) dir.Write("vplaces.exe", *c.target);
        Window w(dir.folder());
        w.model.tabPick_Click(0);
        if (c.option) w.model.ChooseOption(*c.option - 1);
        if (c.value) w.model.TypeValue(*c.value);
        w.model.TypeDir(dir.file("vplaces.exe"));
        w.model.cmdApply_Click();
        EXPECT_EQ(w.view.messages, std::vector{c.MessageFor(dir.file("vplaces.exe"))});
        EXPECT_EQ(dir.Read("vplaces.exe"), c.Expected());
        // Nothing else appeared beside the target: no temporary file was left behind.
        EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}),
                  c.target ? 2 : 1);
    }
}

TEST(WindowModel, ApplyWithNothingSelectedSaysSo) {
    TempFolder empty;
    Window w(empty.folder());
    w.model.cmdApply_Click();
    EXPECT_EQ(w.view.messages, std::vector<std::string>{"No patch is selected. Pick one in the "
                                                        "list on the 'Patch' tab and try again."});
}

// The window's Apply reaches files only through the file system it is given.
TEST(WindowModel, ApplyThatCannotSaveLeavesTheTargetAndNoTempFile) {
    TempFolder dir;
    dir.Write("a.pat", "patch:A\r\nparam:yn|On:90|Off:00\r\nlocation:AA\r\n");
    dir.Write("vplaces.exe", std::string("\xAA\x01", 2));
    testing::FaultyFileSystem fs("", "RenameFile", ErrorCode::kOther, 1);
    Window w(dir.folder(), fs);
    w.model.TypeDir(dir.file("vplaces.exe"));
    w.model.cmdApply_Click();
    ASSERT_EQ(w.view.messages.size(), 1u);
    EXPECT_NE(w.view.messages[0], "Patch completed successfully");
    EXPECT_EQ(dir.Read("vplaces.exe"), std::string("\xAA\x01", 2));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 2);
}

// An Apply slowed down by its disk: the window shows it is busy, repaints on its own thread
// meanwhile, and, no longer busy, shows the message a quick Apply shows.
TEST(WindowModel, LongApplyKeepsTheWindowPainted) {
    TempFolder dir;
    dir.Write("a.pat", "patch:A\r\nparam:yn|On:90|Off:00\r\nlocation:AA\r\n");
    dir.Write("vplaces.exe", std::string("\xAA\x01", 2));
    testing::FaultyFileSystem fs("", "", ErrorCode::kOther, 0);
    fs.OnStep(1, [] { std::this_thread::sleep_for(std::chrono::milliseconds(300)); });
    Window w(dir.folder(), fs);
    w.model.TypeDir(dir.file("vplaces.exe"));
    w.model.cmdApply_Click();
    EXPECT_EQ(w.view.sequence, (std::vector<std::string>{"busy", "idle", "message"}));
    EXPECT_GE(w.view.repaints, 1);
    EXPECT_FALSE(w.view.repaintedElsewhere);
    EXPECT_EQ(w.view.messages, std::vector<std::string>{"Patch completed successfully"});
    EXPECT_EQ(dir.Read("vplaces.exe"), std::string("\xAA\x90", 2));
}

TEST(WindowModel, UpdateRequestsFollowsTheAnnouncedLengthAndRunsTheScript) {
    TempFolder dir;
    dir.Write("old.pat", "patch:Old\r\nparam:num|1\r\nlocation:AABB\r\n");
    dir.Write("korrin-patcher", "the program");
    Window w(dir.folder());
    w.model.TypeUpdateUrl("127.0.0.1/d/");
    w.model.Command1_Click();
    EXPECT_EQ(w.connection.calls, (std::vector<std::string>{"Close", "Connect 127.0.0.1:80"}));
    w.model.sckHTTP_Connect();
    EXPECT_EQ(w.connection.sent, "GET /d/patch.dsc HTTP/1.0\r\nHost: 127.0.0.1\r\n\r\n");

    // Twelve steps the script may not do: the message lists ten and counts the rest.
    std::string refused;
    for (int i = 0; i < 11; ++i) refused += "kill ../x" + std::to_string(i) + "\r\n";
    const std::string body = "open new.pat\r\npatch:New\r\nclose\r\nkill old.pat\r\n" + refused +
                             "kill korrin-patcher\r\nopen description\r\nDone.\r\n";
    const std::string header =
        "HTTP/1.0 200 OK\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n";
    w.connection.pending = header;
    w.model.sckHTTP_DataArrival(header.size());
    EXPECT_EQ(w.view.progress, static_cast<int>(std::lround(175.0 * header.size() / body.size())));
    w.connection.pending = body;
    w.model.sckHTTP_DataArrival(body.size());
    EXPECT_EQ(w.view.progress, 175);  // the box clips what goes past its width
    EXPECT_EQ(w.silenceTimer, 30);
    w.model.sckHTTP_Close();
    EXPECT_EQ(w.silenceTimer, 0);
    std::string message = "Auto update completed.\n\nThese steps of the update were not done:";
    for (int i = 0; i < 10; ++i) {
        message += "\nline " + std::to_string(i + 5) + ": kill \"../x" + std::to_string(i) +
                   "\" refused: a folder separator in the name";
    }
    EXPECT_EQ(w.view.messages, std::vector<std::string>{message + "\nand 2 more."});
    EXPECT_EQ(w.reloads, std::vector<std::string>{"Done.\r\n"});
    EXPECT_FALSE(dir.Exists("old.pat"));
    EXPECT_EQ(dir.Read("new.pat"), "patch:New\r\n");
    EXPECT_EQ(dir.Read("korrin-patcher"), "the program");
}

TEST(WindowModel, UpdateFailuresSayWhatWentWrongAndRunNothing) {
    TempFolder dir;
    Window w(dir.folder());
    w.model.TypeUpdateUrl("127.0.0.1");
    w.model.Command1_Click();
    EXPECT_TRUE(w.connection.calls.empty());
    w.model.TypeUpdateUrl("example.test/p/");
    w.model.Command1_Click();
    w.model.sckHTTP_Error("Connection refused");
    w.model.Command1_Click();
    w.model.sckHTTP_Connect();
    w.connection.pending = "HTTP/1.0 200 OK\r\nContent-Length: 9\r\n\r\nopen";
    w.model.sckHTTP_DataArrival(4);
    w.model.sckHTTP_Error("Connection reset");
    // A server that accepts and then says nothing: the connection goes, nothing runs, and the
    // next Update starts afresh.
    w.model.Command1_Click();
    w.model.sckHTTP_Connect();
    w.connection.calls.clear();
    w.model.tmrSilence_Timer();
    EXPECT_EQ(w.connection.calls, std::vector<std::string>{"Close"});
    w.model.TypeUpdateUrl(" http://example.test:8080/p ");
    w.model.Command1_Click();
    EXPECT_EQ(w.connection.calls.back(), "Connect example.test:8080");
    EXPECT_EQ(w.view.messages,
              (std::vector<std::string>{
                  "The update address is incorrectly inputted. Please correct the problem and "
                  "try again",
                  "Cannot connect to the update server \"example.test\": Connection refused. "
                  "Check the update address and try again.",
                  "The connection to the update server \"example.test\" broke: Connection reset. "
                  "No update was made.",
                  "The update server \"example.test\" sent nothing for 30 seconds. The connection "
                  "was closed and no update was made."}));
    EXPECT_TRUE(w.reloads.empty());
    EXPECT_EQ(w.model.reception().receiveBuffer(), "");
}

}  // namespace
}  // namespace korrin::window

namespace korrin::window {
namespace {

TEST(WindowModel, UndoTakesBackTheLastApplyOfThePatchOnViewOnceTheUserAgrees) {
    TempFolder dir;
    const std::string original("\x0F\x8C\x51\x01\x00\x00\x3D\xAA\xBB\x00", 10);
    const std::string target = dir.Write("vplaces.exe", original);
    Window w(kData + "/definitions/", platform::FileSystem::Default(), {}, dir.file("journal"));
    w.model.TypeDir(target);
    w.Select("Yes or no");
    EXPECT_FALSE(w.model.undoLastApplyEnabled());
    w.model.cmdApply_Click();
    ASSERT_EQ(w.view.messages.back(), "Patch completed successfully");
    const std::string patched = dir.Read("vplaces.exe");
    EXPECT_TRUE(w.model.undoLastApplyEnabled());
    w.Select("Number");  // an Apply of another patch is not this one's
    EXPECT_FALSE(w.model.undoLastApplyEnabled());
    w.Select("Yes or no");

    // Asked first: No writes nothing and says nothing more.
    const std::size_t shown = w.view.messages.size();
    w.model.mnuUndoLastApply_Click();
    EXPECT_EQ(w.view.questions.size(), 1u);
    EXPECT_EQ(w.view.messages.size(), shown);
    EXPECT_EQ(dir.Read("vplaces.exe"), patched);

    w.view.answer = true;
    w.model.mnuUndoLastApply_Click();
    EXPECT_EQ(dir.Read("vplaces.exe"), original);
    EXPECT_EQ(w.view.messages.back(), "Undid #1 (Yes or no): 2 bytes put back.");
    EXPECT_FALSE(w.model.undoLastApplyEnabled());

    // Nothing left: said so, nothing asked or written.
    w.model.mnuUndoLastApply_Click();
    EXPECT_EQ(w.view.questions.size(), 2u);
    EXPECT_EQ(dir.Read("vplaces.exe"), original);
}

}  // namespace
}  // namespace korrin::window
