#include "ui/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <new>
#include <utility>
#include <vector>

#include "core/platform.h"
#include "resources/resource_ids.h"
#include "ui/about_box.h"
#include "ui/containers.h"
#include "ui/form1_design.h"
#include "ui/game_launcher.h"
#include "ui/module1.h"

namespace quorbel::ui {
namespace {

constexpr DWORD kWindowStyle = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
constexpr DWORD kWindowExStyle = 0;
constexpr int kComboDropDownTwips = 3000;

HINSTANCE Instance() {
    return GetModuleHandleW(nullptr);
}

void RegisterWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = Instance();
        windowClass.hIcon = static_cast<HICON>(
            LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_QUORBEL), IMAGE_ICON, 32, 32, LR_DEFAULTCOLOR));
        windowClass.hIconSm = static_cast<HICON>(
            LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_QUORBEL), IMAGE_ICON, 16, 16, LR_DEFAULTCOLOR));
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        RegisterClassExW(&windowClass);
        RegisterContainerClasses(Instance());
        return true;
    }();
    (void)registered;
}

struct ControlClass {
    const wchar_t* className;
    DWORD style;
    DWORD exStyle;
};

ControlClass ClassOf(ControlKind kind) {
    switch (kind) {
        case ControlKind::CommandButton:
            return {L"Button", WS_TABSTOP | BS_PUSHBUTTON, 0};
        case ControlKind::Frame:
            return {kFrameClass, WS_CLIPCHILDREN, WS_EX_CONTROLPARENT};
        case ControlKind::ListBox:
            return {L"ListBox", WS_TABSTOP | WS_VSCROLL | WS_HSCROLL | LBS_NOINTEGRALHEIGHT | LBS_HASSTRINGS,
                    WS_EX_CLIENTEDGE};
        case ControlKind::ComboBox:
            return {L"ComboBox", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST | CBS_HASSTRINGS, 0};
        case ControlKind::PictureBox:
            return {kPictureClass, WS_TABSTOP, WS_EX_CLIENTEDGE};
    }
    return {L"Static", 0, 0};
}

// The system's message font, made smaller only as far as needed for every button caption to fit its
// design width: the design was drawn for a narrower font than today's message fonts.
HFONT CreateFittingFont(LOGFONTW face, UINT dpi) {
    const HDC screen = GetDC(nullptr);
    const int margin = MulDiv(6, static_cast<int>(dpi), 96);
    const LONG smallest = face.lfHeight * 3 / 4;
    HFONT font = CreateFontIndirectW(&face);
    for (;;) {
        const HGDIOBJ old = SelectObject(screen, font);
        bool fits = true;
        for (const ControlDesign& design : Controls()) {
            if (design.kind != ControlKind::CommandButton) {
                continue;
            }
            SIZE text{};
            GetTextExtentPoint32W(screen, design.caption, lstrlenW(design.caption), &text);
            const RECT rect = PixelRect(design.rect, dpi);
            fits = fits && text.cx + margin <= rect.right - rect.left;
        }
        SelectObject(screen, old);
        const LONG next = face.lfHeight + (face.lfHeight < 0 ? 1 : -1);
        if (fits || next == 0 || (face.lfHeight < 0 ? next > smallest : next < smallest)) {
            break;
        }
        DeleteObject(font);
        face.lfHeight = next;
        face.lfWidth = 0;
        font = CreateFontIndirectW(&face);
    }
    ReleaseDC(nullptr, screen);
    return font;
}

HWND ChildOf(HWND window, int id) {
    if (const HWND direct = GetDlgItem(window, id)) {
        return direct;
    }
    const HWND frame = GetDlgItem(window, kFrame1);
    return frame != nullptr ? GetDlgItem(frame, id) : nullptr;
}

}  // namespace

Form1::Form1(std::string appFolder) : controller_(std::move(appFolder)) {}

Form1::~Form1() {
    if (window_ != nullptr) {
        DestroyWindow(window_);
    }
    if (accelerators_ != nullptr) {
        DestroyAcceleratorTable(accelerators_);
    }
    if (font_ != nullptr) {
        DeleteObject(font_);
    }
}

HWND Form1::control(int id) const noexcept {
    return window_ != nullptr ? ChildOf(window_, id) : nullptr;
}

bool Form1::create(int showCommand) {
    RegisterWindowClass(WindowProc);
    const HMENU menu = createMenu();
    window_ = CreateWindowExW(kWindowExStyle, kWindowClass, kCaption, kWindowStyle, CW_USEDEFAULT,
                              CW_USEDEFAULT, CW_USEDEFAULT, CW_USEDEFAULT, nullptr, menu, Instance(), this);
    if (window_ == nullptr) {
        DestroyMenu(menu);
        return false;
    }
    createControls();
    banner_.load(Instance(), IDR_BANNER);
    applyLayout(GetDpiForWindow(window_));

    RECT frame;
    GetWindowRect(window_, &frame);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window_, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    moveWindow(work.left + (work.right - work.left - (frame.right - frame.left)) / 2,
               work.top + (work.bottom - work.top - (frame.bottom - frame.top)) / 2);

    SetTimer(window_, kTimer1, kTimer1IntervalMs, nullptr);
    Form_Load();
    ShowWindow(window_, showCommand);
    SetForegroundWindow(window_);
    SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
    return true;
}

HMENU Form1::createMenu() {
    const HMENU bar = CreateMenu();
    HMENU current = nullptr;
    std::vector<ACCEL> shortcuts;
    for (const MenuDesign& entry : Menus()) {
        if (entry.id == 0) {
            current = CreatePopupMenu();
            AppendMenuW(bar, MF_POPUP, reinterpret_cast<UINT_PTR>(current), entry.caption);
            continue;
        }
        std::wstring caption = entry.caption;
        if (entry.shortcut != 0) {
            caption += L"\t";
            caption += entry.shortcutText;
            shortcuts.push_back({FCONTROL | FVIRTKEY, entry.shortcut, static_cast<WORD>(entry.id)});
        }
        AppendMenuW(current, MF_STRING, static_cast<UINT_PTR>(entry.id), caption.c_str());
    }
    accelerators_ = CreateAcceleratorTableW(shortcuts.data(), static_cast<int>(shortcuts.size()));
    return bar;
}

void Form1::createControls() {
    // Created in tab order: the dialog manager tabs through siblings in the order they were made.
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& design : Controls()) {
        order.push_back(&design);
    }
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    for (const ControlDesign* design : order) {
        const ControlClass kind = ClassOf(design->kind);
        const HWND parent = design->containerId == 0 ? window_ : control(design->containerId);
        void* parameter = design->kind == ControlKind::Frame
                              ? reinterpret_cast<void*>(static_cast<UINT_PTR>(kFrame1BackColor))
                              : nullptr;
        const HWND created = CreateWindowExW(
            kind.exStyle, kind.className, design->caption, WS_CHILD | WS_VISIBLE | kind.style, 0, 0, 0, 0,
            parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(design->id)), Instance(), parameter);
        EnableWindow(created, design->enabledAtStart);
    }
    SendMessageW(control(kCboLiga), CB_SETMINVISIBLE, 12, 0);
}

void Form1::applyLayout(UINT dpi) {
    dpi_ = dpi;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    const HFONT oldFont = font_;
    font_ = CreateFittingFont(metrics.lfMessageFont, dpi);

    for (const ControlDesign& design : Controls()) {
        const HWND child = control(design.id);
        SendMessageW(child, WM_SETFONT, reinterpret_cast<WPARAM>(font_), FALSE);
        const RECT rect = PixelRect(design.rect, dpi);
        int height = rect.bottom - rect.top;
        if (design.kind == ControlKind::ComboBox) {
            height += TwipsToPixels(kComboDropDownTwips, dpi);
        }
        SetWindowPos(child, nullptr, rect.left, rect.top, rect.right - rect.left, height,
                     SWP_NOZORDER | SWP_NOACTIVATE);
    }
    // The closed combo box takes its height from its field; fit the field so the box has its design height.
    // Measured again after each try: Wine's field comes out 2 px taller than asked for.
    const HWND combo = control(kCboLiga);
    const RECT wanted = PixelRect(ControlById(kCboLiga).rect, dpi);
    LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    for (int attempt = 0; attempt < 3; ++attempt) {
        RECT closed;
        GetWindowRect(combo, &closed);
        const LONG difference = (wanted.bottom - wanted.top) - (closed.bottom - closed.top);
        if (difference == 0 || field + difference <= 0) {
            break;
        }
        field += difference;
        SendMessageW(combo, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), field);
    }
    SetPictureBitmap(control(kPicture1), banner_.bitmapFor(dpi));
    logExtent_ = 0;
    shownLogLines_ = 0;
    SendMessageW(control(kLstLog), LB_RESETCONTENT, 0, 0);
    appendLogLines();

    RECT frame;
    GetWindowRect(window_, &frame);
    moveWindow(frame.left, frame.top);
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
    if (oldFont != nullptr) {
        DeleteObject(oldFont);
    }
}

void Form1::moveWindow(int left, int top) {
    RECT outer{0, 0, TwipsToPixels(kClientWidthTwips, dpi_), TwipsToPixels(kClientHeightTwips, dpi_)};
    AdjustWindowRectExForDpi(&outer, kWindowStyle, TRUE, kWindowExStyle, dpi_);
    SetWindowPos(window_, nullptr, left, top, outer.right - outer.left, outer.bottom - outer.top,
                 SWP_NOZORDER | SWP_NOACTIVATE);
}

bool Form1::preTranslate(MSG& message) {
    if (window_ == nullptr) {
        return false;
    }
    if (accelerators_ != nullptr && TranslateAcceleratorW(window_, accelerators_, &message)) {
        return true;
    }
    return IsDialogMessageW(window_, &message) != FALSE;
}

LRESULT CALLBACK Form1::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        auto* form = static_cast<Form1*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
        form->window_ = window;
        SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(form));
    }
    auto* form = reinterpret_cast<Form1*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (form == nullptr) {
        return DefWindowProcW(window, message, wParam, lParam);
    }
    // Nothing is thrown across the system's frames: a failure that escapes a handler ends the program
    // with a message, as the handlers that do not skip failures promise.
    try {
        return form->handleMessage(message, wParam, lParam);
    } catch (const std::bad_alloc&) {
        form->reportFatal(ERROR_NOT_ENOUGH_MEMORY, platform::Widen(platform::DescribeError(8).description));
    } catch (const std::exception& failure) {
        form->reportFatal(ERROR_INTERNAL_ERROR, platform::Widen(failure.what()));
    }
    return 0;
}

LRESULT Form1::handleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
            onCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
            return 0;
        case WM_TIMER:
            if (wParam == kTimer1) {
                Timer1_Timer();
            }
            return 0;
        case WM_ACTIVATE:
            onActivate(LOWORD(wParam) != WA_INACTIVE);
            return 0;
        case WM_DPICHANGED:
            onDpiChanged(HIWORD(wParam), *reinterpret_cast<const RECT*>(lParam));
            return 0;
        case WM_SETTINGCHANGE:
            if (wParam == SPI_SETNONCLIENTMETRICS) {
                applyLayout(dpi_);
            }
            return 0;
        case WM_DESTROY:
            KillTimer(window_, kTimer1);
            PostQuitMessage(0);
            return 0;
        case WM_NCDESTROY: {
            const HWND window = std::exchange(window_, nullptr);
            SetWindowLongPtrW(window, GWLP_USERDATA, 0);
            return DefWindowProcW(window, message, wParam, lParam);
        }
        default:
            return DefWindowProcW(window_, message, wParam, lParam);
    }
}

void Form1::onCommand(int id, int code, HWND from) {
    if (from == nullptr) {  // menu item or keyboard shortcut
        if (id == kMnuDateiItem) {
            MnuDateiItem_Click(0);
        } else if (id == kMnuInfoItem) {
            MnuInfoItem_Click(0);
        }
        return;
    }
    if (!IsWindowEnabled(from)) {
        return;  // a disabled button delivers no click, however it was asked to
    }
    if (id == kCboLiga && code == CBN_SELCHANGE) {
        cboliga_Click();
    } else if (code == BN_CLICKED && id == kBtnPatchen) {
        btnpatchen_Click();
    } else if (code == BN_CLICKED && id == kBtnRestore) {
        btnrestore_Click();
    } else if (code == BN_CLICKED && id == kBtnStart) {
        btnstart_Click();
    }
}

void Form1::onActivate(bool active) {
    // Keyboard focus comes back to the control that had it, as in a dialog.
    if (!active) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) {
            savedFocus_ = focus;
        }
    } else if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsWindowEnabled(savedFocus_)) {
        SetFocus(savedFocus_);
    }
}

void Form1::onDpiChanged(UINT dpi, const RECT& suggested) {
    applyLayout(dpi);
    moveWindow(suggested.left, suggested.top);
}

void Form1::reportFatal(DWORD code, const std::wstring& description) {
    const std::wstring text =
        L"Quorbel muss beendet werden.\r\n\r\nFehler " + std::to_wstring(code) + L": " + description;
    MessageBoxW(window_, text.c_str(), kCaption, MB_ICONERROR);
    endProgram_(1);
}

void Form1::Form_Load() {
    try {
        controller_.initialise();
    } catch (...) {  // a start-up step that fails is skipped
    }
    showState();
}

void Form1::cboliga_Click() {
    controller_.selectLeague(static_cast<int>(SendMessageW(control(kCboLiga), CB_GETCURSEL, 0, 0)));
    showState();
}

void Form1::btnpatchen_Click() {
    try {
        controller_.install();
    } catch (...) {  // skipped; the log and the flags show how far it got
    }
    showState();
}

void Form1::btnrestore_Click() {
    try {
        controller_.restore();
    } catch (...) {  // skipped; the log and the flags show how far it got
    }
    showState();
}

void Form1::btnstart_Click() {
    if (const platform::Outcome failure = LaunchGame(controller_.applicationFolder())) {
        const std::wstring text = L"Glenmarra konnte nicht gestartet werden.\r\n\r\n" +
                                  platform::Widen(GamePath(controller_.applicationFolder())) +
                                  L"\r\n\r\nFehler " + std::to_wstring(failure->code) + L": " +
                                  platform::Widen(failure->description);
        MessageBoxW(window_, text.c_str(), kCaption, MB_ICONEXCLAMATION);
    }
}

void Form1::MnuDateiItem_Click(short) {
    endProgram_(0);
}

void Form1::MnuInfoItem_Click(short) {
    ShowAboutBox(window_);
}

void Form1::Timer1_Timer() {
    if (Module1::KeyPressed(Module1::kRestoreKey)) {
        Module1::RestoreWindow(Module1::FindMainWindow());
    }
}

void Form1::showState() {
    const HWND combo = control(kCboLiga);
    const auto& leagues = controller_.leagues();
    if (static_cast<std::size_t>(SendMessageW(combo, CB_GETCOUNT, 0, 0)) != leagues.size()) {
        // Filled once, in one batch: no redraw per entry, storage reserved up front.
        SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
        SendMessageW(combo, CB_RESETCONTENT, 0, 0);
        std::size_t characters = 0;
        for (const std::string& league : leagues) {
            characters += league.size() + 1;
        }
        SendMessageW(combo, CB_INITSTORAGE, leagues.size(),
                     static_cast<LPARAM>(characters * sizeof(wchar_t)));
        for (const std::string& league : leagues) {
            SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(league).c_str()));
        }
        SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
        InvalidateRect(combo, nullptr, TRUE);
    }
    // Setting the selection raises no notification, so showing it never reaches selectLeague again.
    if (SendMessageW(combo, CB_GETCURSEL, 0, 0) != controller_.selectedIndex()) {
        SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(controller_.selectedIndex()), 0);
    }

    const HWND focus = GetFocus();
    EnableWindow(combo, controller_.cboligaEnabled());
    EnableWindow(control(kBtnPatchen), controller_.btnpatchenEnabled());
    EnableWindow(control(kBtnRestore), controller_.btnrestoreEnabled());
    if (focus != nullptr && IsChild(window_, focus) && !IsWindowEnabled(focus)) {
        SetFocus(GetNextDlgTabItem(window_, focus, FALSE));  // a disabled control gives the focus on
    }
    appendLogLines();
}

void Form1::appendLogLines() {
    const HWND log = control(kLstLog);
    const auto& lines = controller_.activityLog();
    if (shownLogLines_ >= lines.size()) {
        return;
    }
    const HDC dc = GetDC(log);
    const HGDIOBJ oldFont = SelectObject(dc, font_);
    for (; shownLogLines_ < lines.size(); ++shownLogLines_) {
        const std::wstring line = platform::Widen(lines[shownLogLines_]);
        SendMessageW(log, LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(line.c_str()));
        SIZE extent{};
        GetTextExtentPoint32W(dc, line.c_str(), static_cast<int>(line.size()), &extent);
        logExtent_ = std::max(logExtent_, static_cast<int>(extent.cx) + 8);
    }
    SelectObject(dc, oldFont);
    ReleaseDC(log, dc);
    // Long failure lines can be scrolled to; the newest line is always in view.
    SendMessageW(log, LB_SETHORIZONTALEXTENT, static_cast<WPARAM>(logExtent_), 0);
    SendMessageW(log, LB_SETTOPINDEX, lines.size() - 1, 0);
}

}  // namespace quorbel::ui
