#pragma once

// How the window model speaks to the screen. A front end implements this by drawing: it holds
// no rule of its own, and it forwards what the user does to the model's handlers. Texts are
// UTF-8.

#include <optional>
#include <string>
#include <vector>

namespace korrin::window {

// The controls whose text or visibility the model sets.
enum class Control {
    txtDir,
    txtUpdateUrl,
    txtValue,
    txtAbout,  // its text has CR LF line ends
    lblDescription,
    opOnOff0,
    opOnOff1,
    tabForm0,
    tabForm1,
    tabForm2,
};

class View {
  public:
    virtual ~View() = default;
    virtual void SetText(Control control, const std::string& text) = 0;
    virtual void SetVisible(Control control, bool visible) = 0;
    // Turns option button index (0 or 1) on and the other off.
    virtual void SetOption(int index) = 0;
    virtual void SetListEntries(const std::vector<std::string>& entries) = 0;
    virtual void SetListIndex(int row) = 0;
    // perDone's width in pixels; the box around it is kBarBoxPixels wide.
    virtual void SetProgressWidth(int pixels) = 0;
    // Shows that the window is busy (a wait cursor) while a long Apply runs, or no longer.
    virtual void ShowBusy(bool busy) = 0;
    // Called every few tens of milliseconds while the window is busy: repaints the window and
    // handles nothing the user does, so that it stays alive and no second Apply starts.
    virtual void Repaint() = 0;
    // A message box with one OK button; returns once the user has dismissed it.
    virtual void ShowMessage(const std::string& text) = 0;
    // A message box with Yes and No buttons; true when the user chose Yes.
    virtual bool AskQuestion(const std::string& text) = 0;
    // Lets the user pick or type a folder under the title "Select vplaces.exe". None when the
    // user cancelled or chose nothing that has a path.
    virtual std::optional<std::string> BrowseFolder() = 0;
};

}  // namespace korrin::window
