// The main window's frame as designed: its class and style, its outer size and first place at a DPI, its
// menu bar with the shortcuts, and its icons at the DPI.
#pragma once

#include <windows.h>

#include <array>

#include "core/handles_win.h"

namespace quorbel::ui {

// Of fixed size, since the layout never follows a change of size; it can be minimised.
inline constexpr DWORD kWindowStyle =
    WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;

// The outer size for the design's client area below a one-line menu bar.
SIZE OuterSize(UINT dpi);

// Where a window of that size stands centred in the primary screen's work area.
POINT CentredOnPrimaryScreen(SIZE size);

// The window at that place with the outer size for the DPI.
void PlaceWindow(HWND window, POINT topLeft, UINT dpi);

struct MenuBar {
    win::UniqueMenu menu;
    win::UniqueAccelerators shortcuts;
};

// The menus of the design, each item with its Ctrl shortcut.
MenuBar CreateMenuBar();

struct MainWindow {
    HWND window = nullptr;
    win::UniqueAccelerators shortcuts;
    UINT dpi = 0;     // the DPI it was made for
    DWORD error = 0;  // why it could not be made
};

// The main window with its menu bar, hidden, made where it stands: centred on the primary screen at the
// DPI it will have there unless the scale changed since sign-in. The procedure gets param at WM_NCCREATE.
MainWindow CreateMainWindow(WNDPROC procedure, void* param);

// The caption, the taskbar and Alt+Tab take the icons at the window's DPI, from the nearest image of the
// resource, instead of stretching the class's 96-DPI ones.
class WindowIcons {
  public:
    void apply(HWND window, UINT dpi);

  private:
    std::array<win::UniqueIcon, 2> icons_;  // big and small
};

}  // namespace quorbel::ui
