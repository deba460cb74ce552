// Reads the running Windows window from another process in the same Wine prefix, as the Qt
// tests read theirs in-process: controls by their names (control ids), texts, visibility and
// places, and the message boxes and folder dialog it opens.
//   window_probe controls TABLE   every row of the table holds for the window; mismatches listed
//   window_probe text NAME        the control's text (UTF-8)
//   window_probe count NAME       how many entries the list box holds
//   window_probe visible NAME...  those of the named controls that are on view
//   window_probe message          waits for a message box, prints its text and presses OK
//   window_probe cancel-folder    waits for the folder dialog and presses Cancel
// Exits 1 on a mismatch or when the window or box does not come within ten seconds.

#include <windows.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "win32/control_names.h"
#include "win32/wide.h"

namespace {

using korrin::win32::Utf8;

HWND WaitFor(const wchar_t* caption, const wchar_t* type = nullptr) {
    for (int i = 0; i < 200; ++i) {
        HWND found = FindWindowW(type, caption);
        if (found != nullptr && IsWindowVisible(found)) return found;
        Sleep(50);
    }
    std::fprintf(stderr, "no window \"%s\"\n", Utf8(caption).c_str());
    std::exit(1);
}

HWND MainWindow() {
    return WaitFor(L"Korrin Patcher 1.0");
}

HWND Find(HWND window, int id) {
    struct Search {
        int id;
        HWND found;
    } search{id, nullptr};
    EnumChildWindows(
        window,
        [](HWND child, LPARAM data) -> BOOL {
            auto* s = reinterpret_cast<Search*>(data);
            if (GetDlgCtrlID(child) != s->id) return TRUE;
            s->found = child;
            return FALSE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

std::string Text(HWND control) {
    wchar_t text[4096] = {};
    // WM_GETTEXT rather than GetWindowText, which does not ask a control of another process.
    SendMessageW(control, WM_GETTEXT, 4096, reinterpret_cast<LPARAM>(text));
    return Utf8(text);
}

std::string NameOf(HWND window, HWND main) {
    if (window == main) return "frmPatcher";
    const int id = GetDlgCtrlID(window);
    for (const auto& control : korrin::win32::kControlNames) {
        if (control.id == id) return std::string(control.name);
    }
    return "?";
}

// The system control and, for buttons and edit boxes, the style that stand for a Qt class.
bool KindMatches(HWND control, const std::string& qtClass) {
    wchar_t type[64] = {};
    GetClassNameW(control, type, 64);
    const std::string name = Utf8(type);
    const LONG style = GetWindowLongW(control, GWL_STYLE);
    const LONG button = style & BS_TYPEMASK;
    if (qtClass == "QGroupBox") return name == "Button" && button == BS_GROUPBOX;
    if (qtClass == "QRadioButton") return name == "Button" && button == BS_AUTORADIOBUTTON;
    if (qtClass == "QPushButton") {
        return name == "Button" && (button == BS_PUSHBUTTON || button == BS_OWNERDRAW);
    }
    if (qtClass == "QLineEdit") return name == "Edit" && (style & ES_MULTILINE) == 0;
    if (qtClass == "QPlainTextEdit") return name == "Edit" && (style & ES_MULTILINE) != 0;
    if (qtClass == "QListWidget") return name == "ListBox";
    return name == "Static";  // labels, pictures, lines and panels
}

int Controls(const char* table) {
    const HWND main = MainWindow();
    const int dpi = static_cast<int>(GetDpiForWindow(main));
    auto unscale = [dpi](int pixels) { return MulDiv(pixels, 96, dpi); };
    int failures = 0;
    RECT client;
    GetClientRect(main, &client);
    if (unscale(client.right) != 360 || unscale(client.bottom) != 273) {
        std::printf("client area %ldx%ld at %d dpi\n", client.right, client.bottom, dpi);
        ++failures;
    }
    // A fixed window with a close box, and nothing to resize it with.
    const LONG style = GetWindowLongW(main, GWL_STYLE);
    if ((style & (WS_THICKFRAME | WS_MAXIMIZEBOX | WS_MINIMIZEBOX)) != 0 ||
        (style & WS_SYSMENU) == 0) {
        std::printf("window style %lx\n", static_cast<unsigned long>(style));
        ++failures;
    }
    std::ifstream rows(table);
    std::string line;
    int count = 0;
    while (std::getline(rows, line)) {
        if (line.empty() || line[0] == '#') continue;
        std::vector<std::string> c;
        std::stringstream fields(line);
        for (std::string field; std::getline(fields, field, ';');) c.push_back(field);
        c.resize(6);
        ++count;
        const HWND control = Find(main, korrin::win32::IdOf(c[0]));
        if (control == nullptr) {
            std::printf("%s: missing\n", c[0].c_str());
            ++failures;
            continue;
        }
        std::string text = Text(control);
        text = text.substr(0, text.find('\r'));  // a text box's first line
        // Places count from the container's outer corner, or from the window's client area.
        RECT place, outer;
        GetWindowRect(control, &place);
        GetWindowRect(GetParent(control), &outer);
        if (GetParent(control) == main) {
            POINT origin{0, 0};
            ClientToScreen(main, &origin);
            outer.left = origin.x;
            outer.top = origin.y;
        }
        int x, y, w, h;
        std::sscanf(c[5].c_str(), "%d,%d,%d,%d", &x, &y, &w, &h);
        const int gotW = unscale(place.right - place.left);
        // A caption is as wide as its text, which the system's font decides.
        const bool caption = !text.empty() && c[1].find("Label") != std::string::npos;
        const bool shown = (GetWindowLongW(control, GWL_STYLE) & WS_VISIBLE) != 0;
        const bool ok = KindMatches(control, c[1]) && NameOf(GetParent(control), main) == c[2] &&
                        text == c[3] && shown == (c[4] == "1") &&
                        unscale(place.left - outer.left) == x &&
                        unscale(place.top - outer.top) == y && (caption || gotW == w) &&
                        unscale(place.bottom - place.top) == h;
        if (!ok) {
            wchar_t type[64] = {};
            GetClassNameW(control, type, 64);
            std::printf("%s: want %s;%s;%s;%s;%s got %s;%s;%s;%d;%d,%d,%d,%d\n", c[0].c_str(),
                        c[1].c_str(), c[2].c_str(), c[3].c_str(), c[4].c_str(), c[5].c_str(),
                        Utf8(type).c_str(), NameOf(GetParent(control), main).c_str(), text.c_str(),
                        shown ? 1 : 0, unscale(place.left - outer.left),
                        unscale(place.top - outer.top), gotW, unscale(place.bottom - place.top));
            ++failures;
        }
    }
    std::printf("%d controls, %d mismatches\n", count, failures);
    return failures == 0 && count > 0 ? 0 : 1;
}

// A dialog of this program's process other than the main window, with caption title.
HWND WaitForDialog(const wchar_t* title) {
    return WaitFor(title, L"#32770");
}

int Message() {
    const HWND box = WaitForDialog(L"Korrin Patcher");
    const HWND text = GetDlgItem(box, 0xFFFF);  // a message box's text is its static 65535
    std::printf("%s\n", Text(text).c_str());
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    return 0;
}

int CancelFolder() {
    const HWND dialog = WaitForDialog(L"Select vplaces.exe");
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    return 0;
}

}  // namespace

int main(int argc, char* argv[]) {
    SetProcessDpiAwarenessContext(DPI_AWARENESS_CONTEXT_PER_MONITOR_AWARE_V2);
    const std::string command = argc > 1 ? argv[1] : "";
    if (command == "controls" && argc == 3) return Controls(argv[2]);
    if (command == "text" && argc == 3) {
        const HWND control = Find(MainWindow(), korrin::win32::IdOf(argv[2]));
        if (control == nullptr) return 1;
        std::printf("%s\n", Text(control).c_str());
        return 0;
    }
    if (command == "count" && argc == 3) {
        const HWND control = Find(MainWindow(), korrin::win32::IdOf(argv[2]));
        if (control == nullptr) return 1;
        std::printf("%d\n", static_cast<int>(SendMessageW(control, LB_GETCOUNT, 0, 0)));
        return 0;
    }
    if (command == "visible") {
        const HWND main = MainWindow();
        for (int i = 2; i < argc; ++i) {
            const HWND control = Find(main, korrin::win32::IdOf(argv[i]));
            if (control != nullptr && IsWindowVisible(control)) std::printf("%s\n", argv[i]);
        }
        return 0;
    }
    if (command == "message") return Message();
    if (command == "cancel-folder") return CancelFolder();
    std::fprintf(stderr,
                 "usage: window_probe controls TABLE | text NAME | count NAME | visible NAME... | "
                 "message | cancel-folder\n");
    return 2;
}
