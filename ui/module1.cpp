#include "ui/module1.h"

#include "ui/form1_design.h"

namespace quorbel::ui::Module1 {
namespace {

static_assert(sizeof(WINDOWPLACEMENT) == 44, "the placement record must have the system's layout");

// A visible, enabled window that the owner's thread made and the owner owns: its open message box.
HWND EnabledPopupOf(HWND owner) {
    struct Search {
        HWND owner;
        HWND popup;
    } search{owner, nullptr};
    EnumThreadWindows(
        GetWindowThreadProcessId(owner, nullptr),
        [](HWND window, LPARAM parameter) {
            auto* s = reinterpret_cast<Search*>(parameter);
            if (GetWindow(window, GW_OWNER) == s->owner && IsWindowVisible(window) &&
                IsWindowEnabled(window)) {
                s->popup = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.popup;
}

// Gives the keyboard to the message box the window has open, if any: restoring the window activates the
// window itself, which is disabled while the box is open. The box, or null when there is none.
HWND ActivateOpenPopup(HWND window) {
    if (window == nullptr) {
        return nullptr;
    }
    HWND popup = GetLastActivePopup(window);
    if (popup == window) {
        // Wine: GetLastActivePopup gives the owner itself while its message box is open; Windows gives the
        // box, and then this finds it too.
        popup = EnabledPopupOf(window);
    }
    if (popup == nullptr || popup == window) {
        return nullptr;
    }
    SetForegroundWindow(popup);
    return popup;
}

}  // namespace

bool KeyPressed(KeyHistory& history, int virtualKey) {
    if (virtualKey < 0 || static_cast<std::size_t>(virtualKey) >= history.size()) {
        return false;
    }
    const auto key = static_cast<std::size_t>(virtualKey);
    const bool down = (static_cast<unsigned short>(GetAsyncKeyState(virtualKey)) & 0x8000u) != 0;
    const bool fresh = down && !history[key];
    history[key] = down;
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

bool InsistOnForeground(HWND target, const ForegroundCalls& calls) {
    if (target == nullptr || calls.foreground() == target) {
        return target != nullptr;
    }
    INPUT nothing{};
    nothing.type = INPUT_MOUSE;  // no movement, no buttons
    calls.sendInput(1, &nothing, sizeof nothing);
    return calls.setForeground(target) != FALSE && calls.foreground() == target;
}

void ComeToFront(HWND window) {
    const HWND popup = ActivateOpenPopup(window);
    InsistOnForeground(popup != nullptr ? popup : window);
}

HWND FindMainWindow() {
    return FindWindowA(kWindowClassAnsi, kCaptionAnsi);
}

}  // namespace quorbel::ui::Module1
