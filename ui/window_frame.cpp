#include "ui/window_frame.h"

#include <string>
#include <utility>
#include <vector>

#include "resources/resource_ids.h"
#include "ui/form1_design.h"

namespace quorbel::ui {

namespace {

void RegisterMainWindowClass(WNDPROC procedure) {
    static const bool registered = [procedure] {
        WNDCLASSEXW windowClass{};
        windowClass.cbSize = sizeof windowClass;
        windowClass.lpfnWndProc = procedure;
        windowClass.hInstance = GetModuleHandleW(nullptr);
        windowClass.hCursor = LoadCursorW(nullptr, IDC_ARROW);
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
        windowClass.lpszClassName = kWindowClass;
        return RegisterClassExW(&windowClass) != 0;
    }();
    (void)registered;
}

}  // namespace

SIZE OuterSize(UINT dpi) {
    RECT outer{0, 0, TwipsToPixels(kClientWidthTwips, dpi), TwipsToPixels(kClientHeightTwips, dpi)};
    AdjustWindowRectExForDpi(&outer, kWindowStyle, TRUE, 0, dpi);
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

void PlaceWindow(HWND window, POINT topLeft, UINT dpi) {
    const SIZE size = OuterSize(dpi);
    SetWindowPos(window, nullptr, topLeft.x, topLeft.y, size.cx, size.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

MenuBar CreateMenuBar() {
    MenuBar bar{win::UniqueMenu(CreateMenu()), nullptr};
    HMENU current = nullptr;
    std::vector<ACCEL> shortcuts;
    for (const MenuDesign& entry : Menus()) {
        if (entry.id == 0) {
            current = CreatePopupMenu();
            AppendMenuW(bar.menu.get(), MF_POPUP, reinterpret_cast<UINT_PTR>(current), entry.caption);
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
    bar.shortcuts.reset(CreateAcceleratorTableW(shortcuts.data(), static_cast<int>(shortcuts.size())));
    return bar;
}

MainWindow CreateMainWindow(WNDPROC procedure, void* param) {
    RegisterMainWindowClass(procedure);
    MenuBar bar = CreateMenuBar();
    // Wine: every later move of a window costs the start-up a few milliseconds; on Windows it is cheap.
    MainWindow made{nullptr, nullptr, GetDpiForSystem(), ERROR_SUCCESS};
    const SIZE size = OuterSize(made.dpi);
    const POINT centred = CentredOnPrimaryScreen(size);
    made.window = CreateWindowExW(0, kWindowClass, kCaption, kWindowStyle, centred.x, centred.y, size.cx,
                                  size.cy, nullptr, bar.menu.get(), GetModuleHandleW(nullptr), param);
    if (made.window == nullptr) {
        made.error = GetLastError() != ERROR_SUCCESS ? GetLastError() : ERROR_CANNOT_MAKE;
        return made;
    }
    bar.menu.release();  // the window's now
    made.shortcuts = std::move(bar.shortcuts);
    return made;
}

void WindowIcons::apply(HWND window, UINT dpi) {
    constexpr std::array<std::pair<WPARAM, int>, 2> kKinds = {
        {{ICON_BIG, SM_CXICON}, {ICON_SMALL, SM_CXSMICON}}};
    for (std::size_t kind = 0; kind < kKinds.size(); ++kind) {
        const int size = GetSystemMetricsForDpi(kKinds[kind].second, dpi);
        win::UniqueIcon icon(
            static_cast<HICON>(LoadImageW(GetModuleHandleW(nullptr), MAKEINTRESOURCEW(IDI_QUORBEL),
                                          IMAGE_ICON, size, size, LR_DEFAULTCOLOR)));
        if (icon) {
            SendMessageW(window, WM_SETICON, kKinds[kind].first, reinterpret_cast<LPARAM>(icon.get()));
            icons_[kind] = std::move(icon);
        }
    }
}

}  // namespace quorbel::ui
