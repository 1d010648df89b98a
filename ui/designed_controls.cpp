#include "ui/designed_controls.h"

#include <commctrl.h>

#include <algorithm>
#include <utility>
#include <vector>

#include "core/platform_text.h"
#include "ui/containers.h"
#include "ui/form1_design.h"

namespace quorbel::ui {
namespace {

constexpr int kComboDropDownTwips = 3000;
constexpr int kLeagueListVisibleEntries = 12;

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

// Where a control stands in its container at the DPI; a combo box's height includes its open list.
RECT ControlBounds(const ControlDesign& design, UINT dpi) {
    RECT rect = PixelRect(design.rect, dpi);
    if (design.kind == ControlKind::ComboBox) {
        rect.bottom += TwipsToPixels(kComboDropDownTwips, dpi);
    }
    return rect;
}

// The buttons' font: the system's message font, made smaller only as far as needed for every caption to fit
// its button's design width, which was drawn for a narrower font than today's message fonts.
win::UniqueFont CreateFittingFont(LOGFONTW face, UINT dpi) {
    const win::WindowDc screen(nullptr);
    const int margin = ScaledPixels(6, dpi);
    const LONG smallest = face.lfHeight * 3 / 4;
    win::UniqueFont font(CreateFontIndirectW(&face));
    for (;;) {
        bool fits = true;
        {
            const win::SelectedObject selected(screen.get(), font.get());
            for (const ControlDesign& design : Controls()) {
                if (design.kind != ControlKind::CommandButton) {
                    continue;
                }
                SIZE text{};
                GetTextExtentPoint32W(screen.get(), design.caption, lstrlenW(design.caption), &text);
                const RECT rect = PixelRect(design.rect, dpi);
                fits = fits && text.cx + margin <= rect.right - rect.left;
            }
        }
        const LONG next = face.lfHeight + (face.lfHeight < 0 ? 1 : -1);
        if (fits || next == 0 || (face.lfHeight < 0 ? next > smallest : next < smallest)) {
            return font;
        }
        face.lfHeight = next;
        face.lfWidth = 0;
        font.reset(CreateFontIndirectW(&face));
    }
}

}  // namespace

void DesignedControls::create(HWND window, UINT dpi) {
    static const bool registered = (RegisterContainerClasses(GetModuleHandleW(nullptr)), true);
    (void)registered;
    window_ = window;
    // Made in tab order: the dialog manager tabs through siblings in the order they were made.
    std::vector<const ControlDesign*> order;
    for (const ControlDesign& design : Controls()) {
        order.push_back(&design);
    }
    std::sort(order.begin(), order.end(), [](auto* a, auto* b) { return a->tabIndex < b->tabIndex; });
    for (const ControlDesign* design : order) {
        const ControlClass kind = ClassOf(design->kind);
        const HWND parent = design->containerId == 0 ? window_ : find(design->containerId);
        void* parameter = design->kind == ControlKind::Frame
                              ? reinterpret_cast<void*>(static_cast<UINT_PTR>(kFrame1BackColor))
                              : nullptr;
        const RECT bounds = ControlBounds(*design, dpi);
        const HWND created = CreateWindowExW(
            kind.exStyle, kind.className, design->caption, WS_CHILD | WS_VISIBLE | kind.style, bounds.left,
            bounds.top, bounds.right - bounds.left, bounds.bottom - bounds.top, parent,
            reinterpret_cast<HMENU>(static_cast<INT_PTR>(design->id)), GetModuleHandleW(nullptr), parameter);
        EnableWindow(created, design->enabledAtStart);
    }
    SendMessageW(find(kCboLiga), CB_SETMINVISIBLE, kLeagueListVisibleEntries, 0);
    applyFonts(dpi);
    fitLeagueBoxHeight(dpi);
}

void DesignedControls::layout(UINT dpi) {
    for (const ControlDesign& design : Controls()) {
        const RECT bounds = ControlBounds(design, dpi);
        SetWindowPos(find(design.id), nullptr, bounds.left, bounds.top, bounds.right - bounds.left,
                     bounds.bottom - bounds.top, SWP_NOZORDER | SWP_NOACTIVATE);
    }
    applyFonts(dpi);
    fitLeagueBoxHeight(dpi);
    leagueListFitted_ = false;
}

HWND DesignedControls::find(int id) const {
    const ControlDesign* design = FindDesign(id);
    if (design == nullptr || window_ == nullptr) {
        return nullptr;
    }
    const HWND container = design->containerId == 0 ? window_ : find(design->containerId);
    return container != nullptr ? GetDlgItem(container, id) : nullptr;
}

void DesignedControls::keepFocus(bool windowActive) {
    if (!windowActive) {
        const HWND focus = GetFocus();
        if (focus != nullptr && IsChild(window_, focus)) {
            savedFocus_ = focus;
        }
    } else if (savedFocus_ != nullptr && IsWindow(savedFocus_) && IsWindowEnabled(savedFocus_)) {
        SetFocus(savedFocus_);
    }
}

void DesignedControls::applyFonts(UINT dpi) {
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    SystemParametersInfoForDpi(SPI_GETNONCLIENTMETRICS, sizeof metrics, &metrics, 0, dpi);
    // The controls let go of the old fonts before they are deleted.
    win::UniqueFont font(CreateFontIndirectW(&metrics.lfMessageFont));
    win::UniqueFont buttonFont = CreateFittingFont(metrics.lfMessageFont, dpi);
    for (const ControlDesign& design : Controls()) {
        const HFONT chosen = design.kind == ControlKind::CommandButton ? buttonFont.get() : font.get();
        SendMessageW(find(design.id), WM_SETFONT, reinterpret_cast<WPARAM>(chosen), FALSE);
    }
    font_ = std::move(font);
    buttonFont_ = std::move(buttonFont);
}

// The closed combo box takes its height from its field; fit the field so that the box has its design
// height.
void DesignedControls::fitLeagueBoxHeight(UINT dpi) const {
    const HWND combo = find(kCboLiga);
    const RECT wanted = PixelRect(FindDesign(kCboLiga)->rect, dpi);
    LRESULT field = SendMessageW(combo, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0);
    // Wine: the field comes out 2 px taller than asked for, so the box is measured again after each try;
    // Windows gives the height asked for at the first.
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
}

void DesignedControls::fillLeagueList(const std::vector<std::string>& leagues) const {
    const HWND combo = find(kCboLiga);
    // In one batch: no redraw per entry, storage reserved up front.
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    std::size_t characters = 0;
    for (const std::string& league : leagues) {
        characters += league.size() + 1;
    }
    SendMessageW(combo, CB_INITSTORAGE, leagues.size(), static_cast<LPARAM>(characters * sizeof(wchar_t)));
    for (const std::string& league : leagues) {
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(platform::Widen(league).c_str()));
    }
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
}

void DesignedControls::fitLeagueList(const std::vector<std::string>& leagues, UINT dpi) {
    if (std::exchange(leagueListFitted_, true)) {
        return;
    }
    const HWND combo = find(kCboLiga);
    RECT box{};
    GetWindowRect(combo, &box);
    // Around the text: the list's border and padding, and its scroll bar when it cannot show every entry.
    const bool scrolls = leagues.size() > static_cast<std::size_t>(kLeagueListVisibleEntries);
    const int room = 2 * GetSystemMetricsForDpi(SM_CXEDGE, dpi) + ScaledPixels(6, dpi) +
                     (scrolls ? GetSystemMetricsForDpi(SM_CXVSCROLL, dpi) : 0);
    int widest = static_cast<int>(box.right - box.left) - room;
    const win::WindowDc dc(combo);
    const win::SelectedObject font(dc.get(),
                                   reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc.get(), &metrics);
    for (const std::string& league : leagues) {
        // A name is measured only when its length could make it wider than the widest so far: of thousands
        // of short names, none is measured. (UTF-8 bytes never undercount.)
        if (static_cast<long long>(league.size()) * metrics.tmMaxCharWidth <= widest) {
            continue;
        }
        const std::wstring text = platform::Widen(league);
        SIZE extent{};
        GetTextExtentPoint32W(dc.get(), text.c_str(), static_cast<int>(text.size()), &extent);
        widest = std::max(widest, static_cast<int>(extent.cx));
    }
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(combo, MONITOR_DEFAULTTONEAREST), &monitor);
    const int workWidth = monitor.rcWork.right - monitor.rcWork.left;
    SendMessageW(combo, CB_SETDROPPEDWIDTH, static_cast<WPARAM>(std::min(widest + room, workWidth)), 0);
}

}  // namespace quorbel::ui
