#pragma once

// The tool's one window, without a toolkit: its state and every handler, named after control
// and event. A front end draws the state through View and forwards each user action and each
// event of its TCP connection to the handler of the same name. Every rule of the window lives
// here, so that each front end behaves alike and the rules are tested without a screen.

#include <array>
#include <functional>
#include <string>
#include <vector>

#include "journal/undo.h"
#include "patch/apply.h"
#include "platform/file_system.h"
#include "platform/program_file.h"
#include "platform/settings_store.h"
#include "platform/tcp_connection.h"
#include "update/reception.h"
#include "window/view.h"

namespace korrin::window {

// The progress bar is computed in twips, 15 to the pixel, in a box of this width.
inline constexpr int kTwipsPerPixel = 15;
inline constexpr int kBarBoxPixels = 175;
inline constexpr int kBarStartPixels = 8;

// What the window needs of the machine. Every reference must outlive the model.
struct Machine {
    platform::FileSystem& fs;
    platform::SettingsStore& settings;
    platform::TcpConnection& sckHTTP;
    // folder holds the definition files and ends in a separator; name is the running program's
    // own file, which no update may delete or overwrite.
    platform::ProgramFile program;
    // Ends the whole program at once; nothing of the window runs after it.
    std::function<void()> endProgram;
    // An update has completed and the user has seen so: the window is to be unloaded and a new
    // one loaded with ReloadAfterUpdate(description). Called from inside a handler, so the
    // front end must do it later, from its event loop.
    std::function<void(const std::string& description)> reload;
    // Arms the update's silence timer for that many seconds, replacing any earlier one, or
    // disarms it with 0. When it runs out the front end calls tmrSilence_Timer, from its event
    // loop. Empty: an update waits as long as the connection lasts.
    std::function<void(int seconds)> armSilenceTimer;
    // The journal of Applies, which makes them undoable: the user's own unless a test names
    // another. Empty when the system names no data folder.
    std::string journal = journal::DefaultJournalPath();
};

class WindowModel {
  public:
    // The window with its layout state; nothing is shown or read until Form_Load.
    WindowModel(View& view, Machine machine);

    // Start-up: the catalogue is read and the two settings restored.
    void Form_Load();
    // A new window after an update: start-up, then the update's description in txtAbout.
    void ReloadAfterUpdate(const std::string& description);

    void tabPick_Click(short Index);
    void lblTab_Click(short Index);
    void lstPatch_Click();
    void cmdApply_Click();
    // The list's context menu item "Undo the last Apply of this patch", and Ctrl+Z: the newest
    // Apply of the selected entry on the target in txtDir, taken back once the user agrees.
    void mnuUndoLastApply_Click();
    void txtPickDIR_Click();
    void txtDir_Change();
    void txtUpdateUrl_Change();
    void Command1_Click();
    void sckHTTP_Connect();
    void sckHTTP_DataArrival(std::size_t bytesTotal);
    void sckHTTP_Close();
    // The connection could not be made or broke; reason is the network layer's own words, one
    // byte per character. No other event follows for that connection.
    void sckHTTP_Error(const std::string& reason);
    // The update's server stayed silent for update::kSilenceLimitSeconds.
    void tmrSilence_Timer();

    // What the user does to the controls, forwarded by the front end. Each changes the state and
    // raises the control's event as the control itself would.
    void TypeDir(const std::string& text);
    void TypeUpdateUrl(const std::string& text);
    void TypeValue(const std::string& text);
    void ChooseOption(int index);
    void ClickListEntry(int row);

    // The state, as the screen shows it.
    const std::string& txtDir() const { return txtDir_; }
    const std::string& txtUpdateUrl() const { return txtUpdateUrl_; }
    const std::string& txtValue() const { return txtValue_; }
    const std::string& txtAbout() const { return txtAbout_; }
    const std::string& description() const { return description_; }
    const std::string& optionCaption(int index) const { return optionCaptions_.at(index); }
    int chosenOption() const { return chosenOption_; }  // -1 while neither is on
    bool optionsShown() const { return optionsShown_; }
    bool valueShown() const { return valueShown_; }
    const std::vector<std::string>& listEntries() const { return listEntries_; }
    int listIndex() const { return listIndex_; }
    int visibleFrame() const { return visibleFrame_; }  // -1 when none
    int progressPixels() const { return progressPixels_; }

    // What the selection stored for Apply: valueKind, onBytes, offBytes, locationList and
    // definitionProblems, as one request lacking only the target and the user's value.
    const patch::ApplyRequest& selection() const { return selection_; }
    bool definitionSelected() const { return definitionSelected_; }
    // Whether the menu item is enabled: the journal holds an Apply of the selected entry on the
    // target in txtDir that can be undone now. Asked each time the menu opens.
    bool undoLastApplyEnabled() const { return LastApplyOffer().has_value(); }
    const std::string& updatePath() const { return updatePath_; }
    const update::Reception& reception() const { return reception_; }

  private:
    void SetText(Control control, std::string& field, const std::string& text);
    void SetOptionsShown(bool shown);
    void ShowMessage(const std::string& latin1);
    void ArmSilenceTimer(int seconds);
    // The catalogue entry on view, as Apply records it: its title and its definition file.
    bool SelectedEntry(std::string* title, std::string* file) const;
    std::optional<journal::UndoOffer> LastApplyOffer() const;

    View& view_;
    Machine machine_;

    std::string txtDir_;
    std::string txtUpdateUrl_;
    std::string txtValue_;
    std::string txtAbout_;
    std::string description_;
    std::array<std::string, 2> optionCaptions_;
    int chosenOption_ = -1;
    bool optionsShown_ = true;
    bool valueShown_ = true;
    std::vector<std::string> listEntries_;
    int listIndex_ = -1;
    int visibleFrame_ = 1;
    int progressPixels_ = kBarStartPixels;

    patch::ApplyRequest selection_;
    bool definitionSelected_ = false;

    std::string updatePath_;
    update::Reception reception_;   // receiveBuffer and contentLength of the current connection
    bool updateConnected_ = false;  // the current update's connection came up
    bool updateWaiting_ = false;    // an update is connecting or receiving
    std::string updateHost_;        // its host, for messages
    std::string updateHostHeader_;  // its "Host:" header's text
};

}  // namespace korrin::window
