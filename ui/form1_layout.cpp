// Building the window from its design table: classes, controls, menu and shortcuts, and the layout at
// the window's DPI, with the system's message font.
#include "ui/form1.h"

#include <commctrl.h>

#include <algorithm>
#include <array>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/containers.h"
#include "ui/form1_design.h"

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

// The buttons' font: the system's message font, made smaller only as far as needed for every caption to fit
// its button's design width, which was drawn for a narrower font than today's message fonts.
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

// Where a control stands in its container at the DPI; a combo box's height includes its open list.
RECT ControlBounds(const ControlDesign& design, UINT dpi) {
    RECT rect = PixelRect(design.rect, dpi);
    if (design.kind == ControlKind::ComboBox) {
        rect.bottom += TwipsToPixels(kComboDropDownTwips, dpi);
    }
    return rect;
}

// The window's outer size for the design's client area below a one-line menu bar.
SIZE OuterSize(UINT dpi) {
    RECT outer{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectExForDpi(&outer, kWindowStyle, TRUE, kWindowExStyle, dpi);
    return {outer.right - outer.left, outer.bottom - outer.top};
}

POINT CentredOnPrimaryScreen(SIZE size) {
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromPoint({0, 0}, MONITOR_DEFAULTTOPRIMARY), &monitor);
    const RECT& work = monitor.rcWork;
    return {work.left + (work.right - work.left - size.cx) / 2,
            work.top + (work.bottom - work.top - size.cy) / 2};
}

}  // namespace

bool Form1::create(int showCommand) {
    RegisterWindowClass(WindowProc);
    const HMENU menu = createMenu();
    // The window and each control are made where they stand: under Wine every later move of a window costs
    // the start-up a few milliseconds. The window is centred on the primary screen, at the DPI it will
    // have there unless the scale changed since sign-in; then it is sized and centred again.
    const UINT expectedDpi = GetDpiForSystem();
    const SIZE size = OuterSize(expectedDpi);
    const POINT centred = CentredOnPrimaryScreen(size);
    window_ = CreateWindowExW(kWindowExStyle, kWindowClass, kCaption, kWindowStyle, centred.x, centred.y,
                              size.cx, size.cy, nullptr, menu, Instance(), this);
    if (window_ == nullptr) {
        DestroyMenu(menu);
        return false;
    }
    const UINT dpi = GetDpiForWindow(window_);
    createControls(dpi);
    applyLayout(dpi);
    if (dpi != expectedDpi) {
        const POINT again = CentredOnPrimaryScreen(OuterSize(dpi));
        moveWindow(again.x, again.y);
    }

    SetTimer(window_, kTimer1, kTimer1IntervalMs, nullptr);
    Form_Load();
    ShowWindow(window_, showCommand);
    SetForegroundWindow(window_);
    SetFocus(GetNextDlgTabItem(window_, nullptr, FALSE));
    // The banner is decoded once the window is up: the window need not wait for OLE to load.
    PostMessageW(window_, kLoadBanner, 0, 0);
    return true;
}

void Form1::onLoadBanner() {
    banner_.load(Instance(), IDR_BANNER);
    SetPictureBitmap(control(kPicture1), banner_.bitmapFor(dpi_));
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

void Form1::createControls(UINT dpi) {
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
        const RECT bounds = ControlBounds(*design, dpi);
        const HWND created = CreateWindowExW(
            kind.exStyle, kind.className, design->caption, WS_CHILD | WS_VISIBLE | kind.style, bounds.left,
            bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(design->id)), Instance(), parameter);
        EnableWindow(created, design->enabledAtStart);
    }
    SendMessageW(control(kCboLiga), CB_SETMINVISIBLE, 12, 0);
}

void Form1::placeControls(UINT dpi) {
    for (const ControlDesign& design : Controls()) {
        const RECT bounds = ControlBounds(design, dpi);
        SetWindowPos(control(design.id), nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                     bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
}

void Form1::applyLayout(UINT dpi) {
    dpi_ = dpi;
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    const std::array oldFonts = {font_, buttonFont_};
    font_ = CreateFontIndirectW(&metrics.lfMessageFont);
    buttonFont_ = CreateFittingFont(metrics.lfMessageFont, dpi);
    applyIcons(dpi);

    for (const ControlDesign& design : Controls()) {
        const HFONT font = design.kind == ControlKind::CommandButton ? buttonFont_ : font_;
        SendMessageW(control(design.id), WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
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
    for (const HFONT old : oldFonts) {
        if (old != nullptr) {
            DeleteObject(old);
        }
    }
}

// After a change of DPI or metrics: the banner at the new size, and the log measured again in its new font.
void Form1::refreshContent() {
    SetPictureBitmap(control(kPicture1), banner_.bitmapFor(dpi_));
    logExtent_ = 0;
    shownLogLines_ = 0;
    SendMessageW(control(kLstLog), LB_RESETCONTENT, 0, 0);
    appendLogLines();
    RedrawWindow(window_, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void Form1::moveWindow(int left, int top) {
    const SIZE size = OuterSize(dpi_);
    SetWindowPos(window_, nullptr, left, top, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

// The caption, the taskbar and Alt+Tab take the icons at the window's DPI, from the nearest image of the
// resource, instead of stretching the class's 96-DPI ones.
void Form1::applyIcons(UINT dpi) {
    constexpr std::array<std::pair<WPARAM, int>, 2> kKinds = {
        {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}};
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        const int size = GetSystemMetricsForDpi(kKinds[kind].second, dpi);
        const auto icon = static_cast<HICON>(
            LoadImageW(Instance(), MAKEINTRESOURCEW(IDI_QUORBEL), IMAGE_ICON, size, size, LR_DEFAULTCOLOR));
        if (icon != nullptr) {
            SendMessageW(window_, WM_SETICON, kKinds[kind].first, reinterpret_cast<LPARAM>(icon));
            if (icons_[kind] != nullptr) {
                DestroyIcon(icons_[kind]);
            }
            icons_[kind] = icon;
        }
    }
}

void Form1::onDpiChanged(UINT dpi, const RECT& suggested) {
    placeControls(dpi);
    applyLayout(dpi);
    refreshContent();
    moveWindow(suggested.left, suggested.top);
}

// Another caption or menu height gives the same client area another outer size.
void Form1::onMetricsChanged() {
    applyLayout(dpi_);
    refreshContent();
    RECT frame;
    GetWindowRect(window_, &frame);
    moveWindow(frame.left, frame.top);
}

}  // namespace quorbel::ui
