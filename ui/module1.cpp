#include "ui/module1.h"

#include <array>

#include "ui/form1_design.h"

namespace quorbel::ui::Module1 {

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the placement record must have the system's layout");

bool KeyPressed(int virtualKey) {
    static std::array<bool, 256> wasDown{};
    if (virtualKey < 0 || virtualKey > 255) {
        return false;
    }
    const bool down = (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
    const bool fresh = down && !wasDown[static_cast<std::size_t>(virtualKey)];
    wasDown[static_cast<std::size_t>(virtualKey)] = down;
    return fresh;
}

bool RestoreWindow(HWND window) {
    WINDOWPLACEMENT placement{};
    placement.length = sizeof placement;
    if (!GetWindowPlacement(window, &placement)) {
        return false;
    }
    if (placement.showCmd == SW_SHOWMINIMIZED) {
        // Cleared flags bring a window that was maximised before it was minimised back at normal size.
        placement.flags = 0;
        placement.showCmd = SW_SHOWNORMAL;
        return SetWindowPlacement(window, &placement) != FALSE;
    }
    SetForegroundWindow(window);
    return BringWindowToTop(window) != FALSE;
}

HWND FindMainWindow() {
    return FindWindowA(kWindowClassAnsi, kCaptionAnsi);
}

}  // namespace quorbel::ui::Module1
