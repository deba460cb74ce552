// The window program on Windows: one window at a time, replaced by a fresh one after an update.

// windows.h comes before the headers that build on it.
// clang-format off
#include <windows.h>
#include <winsock2.h>
#include <commctrl.h>
#include <objbase.h>
// clang-format on

#include <memory>
#include <string>

#include "platform/program_file.h"
#include "win32/frmPatcher.h"
#include "win32/pictures.h"

namespace korrin::win32 {
namespace {

constexpr UINT kReload = WM_APP + 1;
constexpr UINT_PTR kRetryTimer = 1;

// Owns the window and replaces it after an update, from the message loop: the model asks for it
// from inside a handler of the window being replaced, perhaps from its socket's event.
class WindowOwner {
  public:
    WindowOwner() : program_(platform::OwnProgramFile()) {
        WNDCLASSW type{};
        type.lpfnWndProc = &WindowOwner::MessageProc;
        type.hInstance = GetModuleHandleW(nullptr);
        type.lpszClassName = L"KorrinWindowOwner";
        RegisterClassW(&type);
        messages_ = CreateWindowExW(0, type.lpszClassName, nullptr, 0, 0, 0, 0, 0, HWND_MESSAGE,
                                    nullptr, type.hInstance, nullptr);
        SetWindowLongPtrW(messages_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        window_ = Load(std::nullopt, std::nullopt);
    }

    HWND window() const { return window_->hwnd(); }
    bool TranslateKey(const MSG& message) { return window_->TranslateKey(message); }

  private:
    std::unique_ptr<frmPatcher> Load(std::optional<POINT> place,
                                     std::optional<std::string> description) {
        return std::make_unique<frmPatcher>(
            program_,
            [this](const std::string& text) {
                description_ = text;
                PostMessageW(messages_, kReload, 0, 0);
            },
            place, std::move(description));
    }

    void Reload() {
        // A handler of the old window still runs, waiting in a message box: later.
        if (window_->busy()) {
            SetTimer(messages_, kRetryTimer, 100, nullptr);
            return;
        }
        RECT frame;
        GetWindowRect(window_->hwnd(), &frame);
        window_.reset();
        window_ = Load(POINT{frame.left, frame.top}, description_);
    }

    static LRESULT CALLBACK MessageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self = reinterpret_cast<WindowOwner*>(GetWindowLongPtrW(window, GWLP_USERDATA));
        if (self != nullptr && (message == kReload || message == WM_TIMER)) {
            if (message == WM_TIMER) KillTimer(window, kRetryTimer);
            self->Reload();
            return 0;
        }
        return DefWindowProcW(window, message, wParam, lParam);
    }

    platform::ProgramFile program_;
    HWND messages_ = nullptr;
    std::string description_;
    std::unique_ptr<frmPatcher> window_;
};

}  // namespace
}  // namespace korrin::win32

int WINAPI wWinMain(HINSTANCE, HINSTANCE, PWSTR, int) {
    // Also in the manifest; said here too for a copy run without it.
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    INITCOMMONCONTROLSEX controls{sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
    // The folder dialog's new style needs a single-threaded apartment.
    if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 1;
    WSADATA winsock;
    if (WSAStartup(MAKEWORD(2, 2), &winsock) != 0) return 1;
    korrin::win32::PictureLibrary pictures;
    korrin::win32::WindowOwner owner;

    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (owner.TranslateKey(message)) continue;
        // Tab and the arrow keys move between controls as in a dialog.
        if (IsDialogMessageW(owner.window(), &message)) continue;
        TranslateMessage(&message);
        DispatchMessageW(&message);
    }
    return static_cast<int>(message.wParam);
}
