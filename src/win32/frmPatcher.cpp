#include "win32/frmPatcher.h"

#include <commctrl.h>
#include <shlobj.h>
#include <windowsx.h>

#include "platform/file_system.h"
#include "win32/control_names.h"
#include "win32/wide.h"

namespace korrin::win32 {
namespace {

const wchar_t* const kClassName = L"KorrinPatcherWindow";
const wchar_t* const kCaption = L"Korrin Patcher 1.0";
const wchar_t* const kMessageTitle = L"Korrin Patcher";
constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_CLIPCHILDREN;
constexpr int kClientWidth = 360;
constexpr int kClientHeight = 273;

enum class Font { kNormal, kBold, kSmall, kStrip };

constexpr int Id(std::string_view name) {
    return IdOf(name);
}

// A control: its container (0 for the window), system class, styles, text, place in pixels at
// 96 dots per inch relative to its container's outer corner, and font.
struct Row {
    int id;
    int parent;
    const wchar_t* type;
    DWORD style;
    DWORD exStyle;
    const wchar_t* text;
    int x, y, w, h;
    Font font = Font::kNormal;
};

// Captions stay on one line, as wide as their text, as in the Qt window.
constexpr DWORD kLabel = SS_LEFTNOWORDWRAP | SS_NOPREFIX;
constexpr DWORD kWrapping = SS_LEFT | SS_NOPREFIX;
constexpr DWORD kHeader = SS_CENTER | SS_NOPREFIX | SS_NOTIFY;
constexpr DWORD kIcon = SS_OWNERDRAW | SS_NOTIFY;
constexpr DWORD kLine = SS_LEFT;
constexpr DWORD kFrame = BS_GROUPBOX | WS_CLIPSIBLINGS;
constexpr DWORD kEdit = ES_AUTOHSCROLL | WS_TABSTOP;
constexpr DWORD kButton = BS_PUSHBUTTON | WS_TABSTOP;
constexpr DWORD kSunken = WS_EX_STATICEDGE;
constexpr DWORD kBoxed = WS_EX_CLIENTEDGE;
// A one-line box keeps its text a pixel from a thin edge, as the Qt window's do: the layout's
// boxes were made for texts that just fit.
constexpr DWORD kFlat = WS_EX_STATICEDGE;
constexpr DWORD kShown = WS_VISIBLE;

// In the order in which the window holds them; containers come before what they contain.
const Row kRows[] = {
    {Id("Picture1"), 0, L"Static", kLabel | kShown | WS_CLIPCHILDREN, kSunken, L"", 9, 17, 88, 247},
    {Id("tabPick(1)"), Id("Picture1"), L"Static", kIcon | kShown, 0, L"", 23, 5, 32, 32},
    {Id("lblTab(1)"), Id("Picture1"), L"Static", kHeader | kShown, 0, L"Find it!", 11, 39, 64, 13,
     Font::kStrip},
    {Id("tabPick(0)"), Id("Picture1"), L"Static", kIcon | kShown, 0, L"", 22, 65, 32, 32},
    {Id("lblTab(0)"), Id("Picture1"), L"Static", kHeader | kShown, 0, L"Patch it!", 10, 99, 64, 13,
     Font::kStrip},
    {Id("tabPick(2)"), Id("Picture1"), L"Static", kIcon | kShown, 0, L"", 22, 126, 32, 32},
    {Id("lblTab(2)"), Id("Picture1"), L"Static", kHeader | kShown, 0, L"Updates", 10, 160, 64, 13,
     Font::kStrip},
    {Id("tabPick(3)"), Id("Picture1"), L"Static", kIcon | kShown, 0, L"", 23, 184, 32, 32},
    {Id("lblTab(3)"), Id("Picture1"), L"Static", kHeader | kShown, 0, L"Exit", 11, 219, 64, 13,
     Font::kStrip},
    {Id("tabForm(2)"), 0, L"Button", kFrame, WS_EX_CONTROLPARENT, L"Update from the internet", 105,
     11, 247, 253},
    {Id("Command1"), Id("tabForm(2)"), L"Button", kButton | kShown, 0, L"Update", 192, 55, 45, 18,
     Font::kSmall},
    {Id("txtAbout"), Id("tabForm(2)"), L"Edit",
     ES_MULTILINE | ES_AUTOVSCROLL | ES_WANTRETURN | WS_VSCROLL | WS_TABSTOP | kShown, kBoxed, L"",
     10, 93, 227, 149},
    {Id("pertotal"), Id("tabForm(2)"), L"Static", kLabel | kShown, kSunken, L"", 10, 55,
     window::kBarBoxPixels, 17},
    {Id("perDone"), Id("pertotal"), L"Static", kLabel | kShown, 0, L"", 0, 0,
     window::kBarStartPixels, 14},
    {Id("txtUpdateUrl"), Id("tabForm(2)"), L"Edit", kEdit | kShown, kFlat, L"", 96, 16, 142, 20},
    {Id("ThreeD(5)"), Id("tabForm(2)"), L"Static", kLine | kShown, 0, L"", 2, 43, 244, 1},
    {Id("ThreeD(4)"), Id("tabForm(2)"), L"Static", kLine | kShown, 0, L"", -1, 44, 246, 1},
    {Id("lbl(0)"), Id("tabForm(2)"), L"Static", kLabel | kShown, 0, L"Update address:", 9, 19, 84,
     14},
    {Id("ThreeD(6)"), Id("tabForm(2)"), L"Static", kLine | kShown, 0, L"", 1, 81, 244, 1},
    {Id("ThreeD(7)"), Id("tabForm(2)"), L"Static", kLine | kShown, 0, L"", 0, 82, 246, 1},
    {Id("tabForm(1)"), 0, L"Button", kFrame | kShown, WS_EX_CONTROLPARENT, L"Let's get started!",
     105, 11, 247, 253},
    {Id("Picture2"), Id("tabForm(1)"), L"Static", SS_OWNERDRAW | kShown, kSunken, L"", 12, 20, 223,
     176},
    {Id("txtPickDIR"), Id("tabForm(1)"), L"Button", BS_OWNERDRAW | WS_TABSTOP | kShown, 0, L"", 210,
     221, 24, 20},
    {Id("txtDir"), Id("tabForm(1)"), L"Edit", kEdit | kShown, kFlat, L"", 10, 221, 193, 20},
    {Id("Label1"), Id("tabForm(1)"), L"Static", kLabel | kShown, 0,
     L"Location of the VP executable:", 10, 202, 156, 14},
    {Id("tabForm(0)"), 0, L"Button", kFrame, WS_EX_CONTROLPARENT, L"Patch", 105, 11, 247, 253},
    {Id("lstPatch"), Id("tabForm(0)"), L"ListBox",
     LBS_NOTIFY | LBS_NOINTEGRALHEIGHT | WS_VSCROLL | WS_TABSTOP | kShown, kBoxed, L"", 55, 16, 180,
     69},
    {Id("cmdApply"), Id("tabForm(0)"), L"Button", kButton | kShown, 0, L"Apply", 181, 222, 55, 21},
    {Id("txtValue"), Id("tabForm(0)"), L"Edit", kEdit | kShown, kFlat, L"", 52, 182, 182, 19},
    {Id("opOnOff(0)"), Id("tabForm(0)"), L"Button",
     BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP | kShown, 0, L"", 73, 183, 74, 19, Font::kBold},
    {Id("opOnOff(1)"), Id("tabForm(0)"), L"Button", BS_AUTORADIOBUTTON | kShown, 0, L"", 165, 183,
     74, 19, Font::kBold},
    {Id("ThreeD(2)"), Id("tabForm(0)"), L"Static", kLine | kShown, 0, L"", 1, 210, 244, 1},
    {Id("ThreeD(3)"), Id("tabForm(0)"), L"Static", kLine | kShown, 0, L"", -2, 211, 246, 1},
    {Id("ThreeD(0)"), Id("tabForm(0)"), L"Static", kLine | kShown, 0, L"", 1, 95, 244, 1},
    {Id("ThreeD(1)"), Id("tabForm(0)"), L"Static", kLine | kShown, 0, L"", -2, 96, 246, 1},
    {Id("lbl(4)"), Id("tabForm(0)"), L"Static", kLabel | kShown, 0, L"Name:", 13, 19, 34, 13},
    {Id("lbl(3)"), Id("tabForm(0)"), L"Static", kLabel | kShown, 0, L"Value:", 12, 184, 34, 13},
    {Id("lblDescription"), Id("tabForm(0)"), L"Static", kWrapping | kShown, 0, L"", 55, 110, 178,
     53},
    {Id("lbl(2)"), Id("tabForm(0)"), L"Static", kLabel | kShown, 0, L"Info:", 12, 110, 57, 13},
    {Id("lblBuild"), Id("tabForm(0)"), L"Static", kLabel, 0, L"Buildnumber", 74, 104, 167, 15},
    {Id("lbl(1)"), Id("tabForm(0)"), L"Static", kLabel, 0, L"Build:", 12, 104, 34, 13},
};

// Control arrays have consecutive ids; these are their first members'.
constexpr int kPicture1 = Id("Picture1"), kTabPick = Id("tabPick(0)"), kLblTab = Id("lblTab(0)"),
              kTabForm = Id("tabForm(0)"), kCommand1 = Id("Command1"), kTxtAbout = Id("txtAbout"),
              kPertotal = Id("pertotal"), kPerDone = Id("perDone"),
              kTxtUpdateUrl = Id("txtUpdateUrl"), kThreeD = Id("ThreeD(0)"),
              kPicture2 = Id("Picture2"), kTxtPickDIR = Id("txtPickDIR"), kTxtDir = Id("txtDir"),
              kLstPatch = Id("lstPatch"), kCmdApply = Id("cmdApply"), kTxtValue = Id("txtValue"),
              kOpOnOff = Id("opOnOff(0)"), kLblDescription = Id("lblDescription");

// Not controls: the patch list's menu item and the update's silence timer.
constexpr int kMnuUndoLastApply = 1000;
constexpr UINT_PTR kSilenceTimer = 1;

// The shadow lines of the etched separators; the others are their highlights.
bool IsShadowLine(int id) {
    const int index = id - kThreeD;
    return index == 0 || index == 2 || index == 5 || index == 6;
}

int IdFor(window::Control control) {
    switch (control) {
        case window::Control::txtDir:
            return kTxtDir;
        case window::Control::txtUpdateUrl:
            return kTxtUpdateUrl;
        case window::Control::txtValue:
            return kTxtValue;
        case window::Control::txtAbout:
            return kTxtAbout;
        case window::Control::lblDescription:
            return kLblDescription;
        case window::Control::opOnOff0:
            return kOpOnOff;
        case window::Control::opOnOff1:
            return kOpOnOff + 1;
        case window::Control::tabForm0:
            return kTabForm;
        case window::Control::tabForm1:
            return kTabForm + 1;
        case window::Control::tabForm2:
            return kTabForm + 2;
    }
    return 0;
}

// Containers are system controls that keep their children's notifications to themselves;
// these reach the window, where the model's handlers are.
LRESULT CALLBACK ForwardToWindow(HWND container, UINT message, WPARAM wParam, LPARAM lParam,
                                 UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_COMMAND:
        case WM_CONTEXTMENU:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORLISTBOX:
            return SendMessageW(GetAncestor(container, GA_ROOT), message, wParam, lParam);
        case WM_SETCURSOR: {
            // The headers are links of a kind: they take the hand, as in the Qt window.
            const int id = GetDlgCtrlID(reinterpret_cast<HWND>(wParam));
            if (id >= kTabPick && id < kLblTab + 4 && LOWORD(lParam) == HTCLIENT) {
                SetCursor(LoadCursorW(nullptr, IDC_HAND));
                return TRUE;
            }
            return DefSubclassProc(container, message, wParam, lParam);
        }
        case WM_ERASEBKGND: {
            // A frame draws only its border and caption; the window clips its children, so
            // nothing else would clear the inside.
            RECT inside;
            GetClientRect(container, &inside);
            FillRect(reinterpret_cast<HDC>(wParam), &inside,
                     reinterpret_cast<HBRUSH>(SendMessageW(GetAncestor(container, GA_ROOT),
                                                           WM_CTLCOLORSTATIC, wParam,
                                                           reinterpret_cast<LPARAM>(container))));
            return TRUE;
        }
        default:
            return DefSubclassProc(container, message, wParam, lParam);
    }
}

int TextWidth(HWND control) {
    const int length = GetWindowTextLengthW(control);
    if (length == 0) return 0;
    std::wstring text(static_cast<std::size_t>(length) + 1, L'\0');
    GetWindowTextW(control, text.data(), length + 1);
    HDC dc = GetDC(control);
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)));
    SIZE extent{};
    GetTextExtentPoint32W(dc, text.c_str(), length, &extent);
    SelectObject(dc, old);
    ReleaseDC(control, dc);
    return extent.cx;
}

int CALLBACK FoundFont(const LOGFONTW*, const TEXTMETRICW*, DWORD, LPARAM found) {
    *reinterpret_cast<bool*>(found) = true;
    return 0;
}

bool HasFont(const wchar_t* face) {
    LOGFONTW wanted{};
    wanted.lfCharSet = DEFAULT_CHARSET;
    wcsncpy(wanted.lfFaceName, face, LF_FACESIZE - 1);
    bool found = false;
    HDC screen = GetDC(nullptr);
    EnumFontFamiliesExW(screen, &wanted, FoundFont, reinterpret_cast<LPARAM>(&found), 0);
    ReleaseDC(nullptr, screen);
    return found;
}

// pixels is the height of the font's characters at 96 dots per inch.
HFONT MakeFont(const wchar_t* face, int pixels, UINT dpi, bool bold = false) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    LOGFONTW font = metrics.lfMessageFont;  // where the face is missing
    if (HasFont(face)) wcsncpy(font.lfFaceName, face, LF_FACESIZE - 1);
    font.lfHeight = -MulDiv(pixels, static_cast<int>(dpi), 96);
    font.lfWidth = 0;
    font.lfWeight = bold ? FW_BOLD : FW_NORMAL;
    font.lfItalic = FALSE;
    font.lfQuality = CLEARTYPE_QUALITY;
    return CreateFontIndirectW(&font);
}

int CALLBACK OnBrowseEvent(HWND dialog, UINT message, LPARAM, LPARAM) {
    if (message == BFFM_INITIALIZED) SetWindowTextW(dialog, L"Select vplaces.exe");
    return 0;
}

}  // namespace

frmPatcher::frmPatcher(platform::ProgramFile program,
                       std::function<void(const std::string&)> reload, std::optional<POINT> place,
                       std::optional<std::string> updateDescription) {
    static const ATOM registered = [] {
        HINSTANCE instance = GetModuleHandleW(nullptr);
        WNDCLASSEXW type{};
        type.cbSize = sizeof type;
        type.lpfnWndProc = &frmPatcher::WindowProc;
        type.hInstance = instance;
        type.hIcon = LoadIconW(instance, MAKEINTRESOURCEW(1));
        type.hIconSm = static_cast<HICON>(LoadImageW(instance, MAKEINTRESOURCEW(1), IMAGE_ICON,
                                                     GetSystemMetrics(SM_CXSMICON),
                                                     GetSystemMetrics(SM_CYSMICON), 0));
        type.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        type.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
        type.lpszClassName = kClassName;
        return RegisterClassExW(&type);
    }();
    (void)registered;
    hwnd_ = CreateWindowExW(WS_EX_CONTROLPARENT, kClassName, kCaption, kWindowStyle, CW_USEDEFAULT,
                            CW_USEDEFAULT, kClientWidth, kClientHeight, nullptr, nullptr,
                            GetModuleHandleW(nullptr), this);
    dpi_ = GetDpiForWindow(hwnd_);
    CreateControls();
    Scale();

    RECT frame{0, 0, MulDiv(kClientWidth, static_cast<int>(dpi_), 96),
               MulDiv(kClientHeight, static_cast<int>(dpi_), 96)};
    AdjustWindowRectExForDpi(&frame, kWindowStyle, FALSE, WS_EX_CONTROLPARENT, dpi_);
    const int width = frame.right - frame.left;
    const int height = frame.bottom - frame.top;
    POINT corner{};
    if (place) {
        corner = *place;
    } else {
        MONITORINFO monitor{};
        monitor.cbSize = sizeof monitor;
        GetMonitorInfoW(MonitorFromWindow(hwnd_, MONITOR_DEFAULTTOPRIMARY), &monitor);
        const RECT& area = monitor.rcWork;
        corner = {area.left + (area.right - area.left - width) / 2,
                  area.top + (area.bottom - area.top - height) / 2};
    }
    SetWindowPos(hwnd_, nullptr, corner.x, corner.y, width, height, SWP_NOZORDER | SWP_NOACTIVATE);

    connection_ = std::make_unique<WinsockConnection>(WinsockConnection::Events{
        [this] { Forward([](window::WindowModel& m) { m.sckHTTP_Connect(); }); },
        [this](std::size_t bytes) {
            Forward([bytes](window::WindowModel& m) { m.sckHTTP_DataArrival(bytes); });
        },
        [this] { Forward([](window::WindowModel& m) { m.sckHTTP_Close(); }); },
        [this](const std::string& reason) {
            Forward([&reason](window::WindowModel& m) { m.sckHTTP_Error(reason); });
        },
    });
    window::Machine machine{
        platform::FileSystem::Default(),
        settings_,
        *connection_,
        std::move(program),
        [] { ExitProcess(0); },
        std::move(reload),
        [this](int seconds) {
            if (seconds > 0) {
                SetTimer(hwnd_, kSilenceTimer, static_cast<UINT>(seconds) * 1000, nullptr);
            } else {
                KillTimer(hwnd_, kSilenceTimer);
            }
        },
    };
    window::View& view = *this;
    model_ = std::make_unique<window::WindowModel>(view, std::move(machine));
    Forward([&updateDescription](window::WindowModel& m) {
        if (updateDescription) {
            m.ReloadAfterUpdate(*updateDescription);
        } else {
            m.Form_Load();
        }
    });
    ShowWindow(hwnd_, SW_SHOW);
    UpdateWindow(hwnd_);
}

frmPatcher::~frmPatcher() {
    // The model goes before the controls: none of them may reach it while they are destroyed.
    destroying_ = true;
    model_.reset();
    connection_.reset();
    DestroyWindow(hwnd_);
    for (HFONT font : {font_, boldFont_, smallFont_, stripFont_}) DeleteObject(font);
}

void frmPatcher::CreateControls() {
    HINSTANCE instance = GetModuleHandleW(nullptr);
    for (const Row& row : kRows) {
        HWND parent = row.parent == 0 ? hwnd_ : Control(row.parent);
        HWND control =
            CreateWindowExW(row.exStyle, row.type, row.text, WS_CHILD | row.style, 0, 0, 0, 0,
                            parent, reinterpret_cast<HMENU>(INT_PTR{row.id}), instance, nullptr);
        controls_[row.id] = control;
        const bool container = row.id == kPicture1 || row.id == kTabForm ||
                               row.id == kTabForm + 1 || row.id == kTabForm + 2 ||
                               row.id == kPertotal;
        if (container) SetWindowSubclass(control, ForwardToWindow, 0, 0);
    }
    // An update's description may be long; an edit box holds 32767 characters unless told.
    SendMessageW(Control(kTxtAbout), EM_SETLIMITTEXT, 0, 0);
    // The system's wider margins would scroll or wrap texts made to fit the layout's boxes.
    for (int id : {kTxtAbout, kTxtUpdateUrl, kTxtDir, kTxtValue}) {
        SendMessageW(Control(id), EM_SETMARGINS, EC_LEFTMARGIN | EC_RIGHTMARGIN, MAKELPARAM(1, 1));
    }
}

void frmPatcher::Scale() {
    for (HFONT font : {font_, boldFont_, smallFont_, stripFont_}) DeleteObject(font);
    font_ = MakeFont(L"Tahoma", 11, dpi_);
    boldFont_ = MakeFont(L"Tahoma", 11, dpi_, true);
    smallFont_ = MakeFont(L"Tahoma", 9, dpi_);
    // MS Sans Serif is a bitmap font that does not grow with the screen; its outline twin does.
    stripFont_ = MakeFont(L"Microsoft Sans Serif", 11, dpi_);
    const char* const headers[] = {"PATCH", "FIND", "UPDATE", "EXIT"};  // by tab number
    for (std::size_t i = 0; i < headerPictures_.size(); ++i) {
        headerPictures_[i] = std::make_unique<Picture>(headers[i], dpi_);
    }
    // The icon file holds sizes for every scale; the system picks among them for its own.
    for (auto [which, metric] :
         {std::pair{ICON_BIG, SM_CXICON}, std::pair{ICON_SMALL, SM_CXSMICON}}) {
        const int size = GetSystemMetricsForDpi(metric, dpi_);
        auto* icon = static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(1), IMAGE_ICON, size, size, 0));
        if (HICON old = reinterpret_cast<HICON>(
                SendMessageW(hwnd_, WM_SETICON, which, reinterpret_cast<LPARAM>(icon)))) {
            DestroyIcon(old);
        }
    }
    titlePicture_ = std::make_unique<Picture>("TITLE", dpi_);
    folderPicture_ = std::make_unique<Picture>("FOLDER", dpi_);
    for (const Row& row : kRows) {
        HFONT font = row.font == Font::kBold    ? boldFont_
                     : row.font == Font::kSmall ? smallFont_
                     : row.font == Font::kStrip ? stripFont_
                                                : font_;
        SendMessageW(Control(row.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    }
    Layout();
    InvalidateRect(hwnd_, nullptr, TRUE);
}

void frmPatcher::Layout() {
    const int dpi = static_cast<int>(dpi_);
    // Edges are scaled rather than sizes, so that neighbours stay neighbours at any scale.
    auto scale = [dpi](int pixels) { return MulDiv(pixels, dpi, 96); };
    for (const Row& row : kRows) {
        HWND control = Control(row.id);
        HWND parent = GetParent(control);
        // Places count from the container's outer corner, the client area may lie inside an edge.
        RECT outer;
        GetWindowRect(parent, &outer);
        POINT client{0, 0};
        ClientToScreen(parent, &client);
        const int dx = parent == hwnd_ ? 0 : client.x - outer.left;
        const int dy = parent == hwnd_ ? 0 : client.y - outer.top;
        const int w = row.id == kPerDone ? progressPixels_ : row.w;
        int width = scale(row.x + w) - scale(row.x);
        if ((row.style & SS_TYPEMASK) == SS_LEFTNOWORDWRAP &&
            row.type == std::wstring_view(L"Static")) {
            // A caption is as wide as its text: Windows draws Tahoma a little wider than the
            // layout allowed for, and a caption's empty end would paint over its neighbour.
            if (const int text = TextWidth(control); text > 0) width = text;
        }
        SetWindowPos(control, nullptr, scale(row.x) - dx, scale(row.y) - dy, width,
                     scale(row.y + row.h) - scale(row.y), SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

HWND frmPatcher::Control(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

std::string frmPatcher::TextOf(int id) const {
    HWND control = Control(id);
    std::wstring text(static_cast<std::size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
    return Utf8(text);
}

void frmPatcher::Forward(const std::function<void(window::WindowModel&)>& handler) {
    if (!model_ || destroying_) return;
    ++depth_;
    handler(*model_);
    --depth_;
}

LRESULT CALLBACK frmPatcher::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* self =
            static_cast<frmPatcher*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        self->hwnd_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(self));
    }
    auto* self = reinterpret_cast<frmPatcher*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self == nullptr) return DefWindowProcW(window, message, wParam, lParam);
    return self->Handle(message, wParam, lParam);
}

LRESULT frmPatcher::Handle(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            OnCommand(LOWORD(wParam), HIWORD(wParam));
            return 0;
        case WM_DRAWITEM:
            if (DrawItem(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam))) return TRUE;
            break;
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
            return reinterpret_cast<LRESULT>(ColourStatic(
                reinterpret_cast<HDC>(wParam), GetDlgCtrlID(reinterpret_cast<HWND>(lParam))));
        case WM_TIMER:
            if (wParam == kSilenceTimer) {
                KillTimer(hwnd_, kSilenceTimer);  // once, as the model arms it
                Forward([](window::WindowModel& m) { m.tmrSilence_Timer(); });
                return 0;
            }
            break;
        case WM_CONTEXTMENU:
            if (reinterpret_cast<HWND>(wParam) == Control(kLstPatch)) {
                ShowPatchMenu(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
                return 0;
            }
            break;
        case WM_SETCURSOR:
            if (showingBusy_) {
                SetCursor(LoadCursorW(nullptr, IDC_WAIT));
                return TRUE;
            }
            break;
        case WM_DPICHANGED: {
            dpi_ = HIWORD(wParam);
            const RECT* suggested = reinterpret_cast<const RECT*>(lParam);
            SetWindowPos(hwnd_, nullptr, suggested->left, suggested->top,
                         suggested->right - suggested->left, suggested->bottom - suggested->top,
                         SWP_NOZORDER | SWP_NOACTIVATE);
            Scale();
            return 0;
        }
        case WM_DESTROY:
            // Closed by the user, not replaced by a reloaded window: the program ends with it.
            if (!destroying_) PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(hwnd_, message, wParam, lParam);
}

bool frmPatcher::TranslateKey(const MSG& message) {
    if (message.message != WM_KEYDOWN || message.wParam != 'Z' ||
        (GetKeyState(VK_CONTROL) & 0x8000) == 0) {
        return false;
    }
    // Anywhere on the Patch tab; a text box there keeps Ctrl+Z for its own typing.
    HWND focus = GetFocus();
    wchar_t type[16] = {};
    GetClassNameW(focus, type, 16);
    if (focus == nullptr || !IsChild(Control(kTabForm), focus) || lstrcmpiW(type, L"Edit") == 0) {
        return false;
    }
    Forward([](window::WindowModel& m) { m.mnuUndoLastApply_Click(); });
    return true;
}

void frmPatcher::ShowPatchMenu(POINT at) {
    HWND list = Control(kLstPatch);
    if (at.x == -1 && at.y == -1) {
        // From the keyboard: at the selected entry.
        RECT row{};
        SendMessageW(list, LB_GETITEMRECT, SendMessageW(list, LB_GETCURSEL, 0, 0),
                     reinterpret_cast<LPARAM>(&row));
        at = {row.left, row.bottom};
        ClientToScreen(list, &at);
    } else {
        // The entry under the pointer is the one the menu is about.
        POINT inList = at;
        ScreenToClient(list, &inList);
        const LRESULT hit = SendMessageW(list, LB_ITEMFROMPOINT, 0, MAKELPARAM(inList.x, inList.y));
        const int row = LOWORD(hit);
        if (HIWORD(hit) == 0 && row != SendMessageW(list, LB_GETCURSEL, 0, 0)) {
            SendMessageW(list, LB_SETCURSEL, static_cast<WPARAM>(row), 0);
            Forward([row](window::WindowModel& m) { m.ClickListEntry(row); });
        }
    }
    HMENU menu = CreatePopupMenu();
    const bool enabled = model_ && model_->undoLastApplyEnabled();
    AppendMenuW(menu, MF_STRING | (enabled ? MF_ENABLED : MF_GRAYED), kMnuUndoLastApply,
                L"Undo the last Apply of this patch\tCtrl+Z");
    const int chosen =
        TrackPopupMenu(menu, TPM_RETURNCMD | TPM_RIGHTBUTTON, at.x, at.y, 0, hwnd_, nullptr);
    DestroyMenu(menu);
    if (chosen == kMnuUndoLastApply) {
        Forward([](window::WindowModel& m) { m.mnuUndoLastApply_Click(); });
    }
}

void frmPatcher::OnCommand(int id, int code) {
    if (id >= kTabPick && id < kTabPick + 4 && (code == STN_CLICKED || code == STN_DBLCLK)) {
        const auto index = static_cast<short>(id - kTabPick);
        Forward([index](window::WindowModel& m) { m.tabPick_Click(index); });
    } else if (id >= kLblTab && id < kLblTab + 4 && (code == STN_CLICKED || code == STN_DBLCLK)) {
        const auto index = static_cast<short>(id - kLblTab);
        Forward([index](window::WindowModel& m) { m.lblTab_Click(index); });
    } else if (code == EN_CHANGE && (id == kTxtDir || id == kTxtUpdateUrl || id == kTxtValue)) {
        const std::string text = TextOf(id);
        Forward([id, &text](window::WindowModel& m) {
            if (id == kTxtDir) m.TypeDir(text);
            if (id == kTxtUpdateUrl) m.TypeUpdateUrl(text);
            if (id == kTxtValue) m.TypeValue(text);
        });
    } else if (id == kLstPatch && code == LBN_SELCHANGE) {
        const int row = static_cast<int>(SendMessageW(Control(kLstPatch), LB_GETCURSEL, 0, 0));
        Forward([row](window::WindowModel& m) { m.ClickListEntry(row); });
    } else if (code == BN_CLICKED) {
        if (id == kOpOnOff || id == kOpOnOff + 1) {
            if (SendMessageW(Control(id), BM_GETCHECK, 0, 0) == BST_CHECKED) {
                Forward([id](window::WindowModel& m) { m.ChooseOption(id - kOpOnOff); });
            }
        } else if (id == kTxtPickDIR) {
            Forward([](window::WindowModel& m) { m.txtPickDIR_Click(); });
        } else if (id == kCmdApply) {
            Forward([](window::WindowModel& m) { m.cmdApply_Click(); });
        } else if (id == kCommand1) {
            Forward([](window::WindowModel& m) { m.Command1_Click(); });
        }
    }
}

bool frmPatcher::DrawItem(const DRAWITEMSTRUCT& item) {
    const int id = static_cast<int>(item.CtlID);
    RECT place = item.rcItem;
    const int dpi = static_cast<int>(dpi_);
    if (id >= kTabPick && id < kTabPick + 4) {
        FillRect(item.hDC, &place, GetSysColorBrush(COLOR_APPWORKSPACE));
        headerPictures_[static_cast<std::size_t>(id - kTabPick)]->Draw(item.hDC, place);
        return true;
    }
    auto centred = [&place, dpi](int w, int h, int shift) {
        const int sw = MulDiv(w, dpi, 96);
        const int sh = MulDiv(h, dpi, 96);
        const int x = (place.left + place.right - sw) / 2 + shift;
        const int y = (place.top + place.bottom - sh) / 2 + shift;
        return RECT{x, y, x + sw, y + sh};
    };
    if (id == kPicture2) {
        FillRect(item.hDC, &place, GetSysColorBrush(COLOR_BTNFACE));
        titlePicture_->Draw(item.hDC, centred(220, 173, 0));
        return true;
    }
    if (id == kTxtPickDIR) {
        const bool pushed = (item.itemState & ODS_SELECTED) != 0;
        DrawFrameControl(item.hDC, &place, DFC_BUTTON,
                         DFCS_BUTTONPUSH | (pushed ? DFCS_PUSHED : 0));
        folderPicture_->Draw(item.hDC, centred(16, 16, pushed ? 1 : 0));
        if ((item.itemState & ODS_FOCUS) != 0) {
            InflateRect(&place, -MulDiv(3, dpi, 96), -MulDiv(3, dpi, 96));
            DrawFocusRect(item.hDC, &place);
        }
        return true;
    }
    return false;
}

// The strip is dark with light captions, the progress fill takes the active title's colour and
// each etched separator is a shadow line over a highlight line.
HBRUSH frmPatcher::ColourStatic(HDC dc, int id) {
    if (id == kPicture1 || (id >= kTabPick && id < kTabPick + 4)) {
        return GetSysColorBrush(COLOR_APPWORKSPACE);
    }
    if (id >= kLblTab && id < kLblTab + 4) {
        SetTextColor(dc, GetSysColor(COLOR_HIGHLIGHTTEXT));
        SetBkMode(dc, TRANSPARENT);
        return GetSysColorBrush(COLOR_APPWORKSPACE);
    }
    if (id == kPerDone) return GetSysColorBrush(COLOR_ACTIVECAPTION);
    if (id >= kThreeD && id < kThreeD + 8) {
        return GetSysColorBrush(IsShadowLine(id) ? COLOR_BTNSHADOW : COLOR_BTNHIGHLIGHT);
    }
    SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc, GetSysColor(COLOR_BTNFACE));
    return GetSysColorBrush(COLOR_BTNFACE);
}

void frmPatcher::SetText(window::Control control, const std::string& text) {
    const int id = IdFor(control);
    // Setting the same text again would move the caret of a box the user is typing in.
    if (TextOf(id) == text) return;
    SetWindowTextW(Control(id), Wide(text).c_str());
}

void frmPatcher::SetVisible(window::Control control, bool visible) {
    ShowWindow(Control(IdFor(control)), visible ? SW_SHOWNA : SW_HIDE);
}

void frmPatcher::SetOption(int index) {
    for (int i = 0; i < 2; ++i) {
        SendMessageW(Control(kOpOnOff + i), BM_SETCHECK, i == index ? BST_CHECKED : BST_UNCHECKED,
                     0);
    }
}

void frmPatcher::SetListEntries(const std::vector<std::string>& entries) {
    HWND list = Control(kLstPatch);
    SendMessageW(list, LB_RESETCONTENT, 0, 0);
    for (const std::string& entry : entries) {
        SendMessageW(list, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(Wide(entry).c_str()));
    }
}

void frmPatcher::SetListIndex(int row) {
    SendMessageW(Control(kLstPatch), LB_SETCURSEL, static_cast<WPARAM>(row), 0);
}

void frmPatcher::SetProgressWidth(int pixels) {
    progressPixels_ = pixels;
    HWND bar = Control(kPerDone);
    RECT place;
    GetClientRect(bar, &place);
    SetWindowPos(bar, nullptr, 0, 0, MulDiv(pixels, static_cast<int>(dpi_), 96), place.bottom,
                 SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void frmPatcher::ShowBusy(bool busy) {
    showingBusy_ = busy;
    SetCursor(LoadCursorW(nullptr, busy ? IDC_WAIT : IDC_ARROW));
}

void frmPatcher::Repaint() {
    // Paint messages only: a click would start a second Apply, and the update's socket events
    // could reload the window under the running one. Looking at the queue at all also keeps
    // Windows from calling the window hung.
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT)) {
        DispatchMessageW(&message);
    }
}

void frmPatcher::ShowMessage(const std::string& text) {
    MessageBoxW(hwnd_, Wide(text).c_str(), kMessageTitle, MB_OK);
}

bool frmPatcher::AskQuestion(const std::string& text) {
    return MessageBoxW(hwnd_, Wide(text).c_str(), kMessageTitle, MB_YESNO) == IDYES;
}

std::optional<std::string> frmPatcher::BrowseFolder() {
    BROWSEINFOW request{};
    // No owner, so the main window stays usable meanwhile.
    request.hwndOwner = nullptr;
    request.lpszTitle = L"Select vplaces.exe";
    request.ulFlags = BIF_EDITBOX | BIF_NEWDIALOGSTYLE;
    request.lpfn = OnBrowseEvent;
    PIDLIST_ABSOLUTE item = SHBrowseForFolderW(&request);
    if (item == nullptr) return std::nullopt;
    wchar_t path[MAX_PATH] = {};
    const bool found = SHGetPathFromIDListW(item, path) != FALSE;
    CoTaskMemFree(item);
    if (!found) return std::nullopt;
    return Utf8(path);
}

}  // namespace korrin::win32
