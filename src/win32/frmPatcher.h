#pragma once

// The tool's one window on Windows, made of the system's own controls: a strip of four tab
// headers on the left and three frames stacked on the right, one per tab. Like the Qt window it
// draws what the window model tells it and forwards every click, keystroke and socket event to
// the model's handler; it decides nothing itself. Places are kept in the layout's pixels at 96
// dots per inch and scaled to the window's own dots per inch, again whenever it changes.

#include <windows.h>

#include <array>
#include <functional>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "platform/program_file.h"
#include "win32/pictures.h"
#include "win32/registry_settings.h"
#include "win32/winsock_connection.h"
#include "window/view.h"
#include "window/window_model.h"

namespace korrin::win32 {

class frmPatcher : private window::View {
  public:
    // Loads and shows the window: start-up reads the catalogue in program.folder and restores
    // the two settings. place is where a reloaded window keeps its predecessor's corner (centred
    // on the screen when none); updateDescription (UTF-8) goes into txtAbout after a reload.
    // reload is called, from inside a handler, when an update has completed.
    frmPatcher(platform::ProgramFile program, std::function<void(const std::string&)> reload,
               std::optional<POINT> place = std::nullopt,
               std::optional<std::string> updateDescription = std::nullopt);
    // Destroys the window without ending the program.
    ~frmPatcher() override;
    frmPatcher(const frmPatcher&) = delete;
    frmPatcher& operator=(const frmPatcher&) = delete;

    HWND hwnd() const { return hwnd_; }
    // True while one of the model's handlers runs, perhaps waiting in a message box: the window
    // may not be destroyed then.
    bool busy() const { return depth_ > 0; }
    // The window's own keys, before the dialog keys: true when message was one and is done.
    bool TranslateKey(const MSG& message);

  private:
    // window::View
    void SetText(window::Control control, const std::string& text) override;
    void SetVisible(window::Control control, bool visible) override;
    void SetOption(int index) override;
    void SetListEntries(const std::vector<std::string>& entries) override;
    void SetListIndex(int row) override;
    void SetProgressWidth(int pixels) override;
    void ShowBusy(bool busy) override;
    void Repaint() override;
    void ShowMessage(const std::string& text) override;
    bool AskQuestion(const std::string& text) override;
    std::optional<std::string> BrowseFolder() override;

    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT Handle(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    // Fonts, pictures and places for the window's current dots per inch.
    void Scale();
    void Layout();
    void OnCommand(int id, int code);
    // The patch list's menu, at a screen point, about the entry under it.
    void ShowPatchMenu(POINT at);
    bool DrawItem(const DRAWITEMSTRUCT& item);
    HBRUSH ColourStatic(HDC dc, int id);
    HWND Control(int id) const;
    std::string TextOf(int id) const;
    // Runs one of the model's handlers.
    void Forward(const std::function<void(window::WindowModel&)>& handler);

    HWND hwnd_ = nullptr;
    std::map<int, HWND> controls_;  // by control id
    UINT dpi_ = 96;
    int progressPixels_ = window::kBarStartPixels;
    int depth_ = 0;
    bool destroying_ = false;
    bool showingBusy_ = false;  // the wait cursor stays over the window

    HFONT font_ = nullptr;                                    // Tahoma 8.25 pt
    HFONT boldFont_ = nullptr;                                // the option buttons'
    HFONT smallFont_ = nullptr;                               // the Update button's, 6.75 pt
    HFONT stripFont_ = nullptr;                               // the header captions'
    std::array<std::unique_ptr<Picture>, 4> headerPictures_;  // by tab number
    std::unique_ptr<Picture> titlePicture_;
    std::unique_ptr<Picture> folderPicture_;

    RegistrySettingsStore settings_;
    std::unique_ptr<WinsockConnection> connection_;  // sckHTTP
    std::unique_ptr<window::WindowModel> model_;
};

}  // namespace korrin::win32
