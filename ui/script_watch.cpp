#include "ui/script_watch.h"

namespace quorbel::ui {
namespace {

VOID CALLBACK Ended(PVOID window, BOOLEAN) {
    PostMessageW(static_cast<HWND>(window), ScriptWatch::kEnded, 0, 0);
}

// The pointer changes when a script starts or ends, not only at the mouse's next move.
void RefreshPointer(HWND window) {
    POINT at{};
    GetCursorPos(&at);
    const HWND under = WindowFromPoint(at);
    if (under == window || IsChild(window, under)) {
        const LRESULT hit = SendMessageW(under, WM_NCHITTEST, 0, MAKELPARAM(at.x, at.y));
        SendMessageW(under, WM_SETCURSOR, reinterpret_cast<WPARAM>(under), MAKELPARAM(hit, WM_MOUSEMOVE));
    }
}

}  // namespace

void ScriptWatch::watch(HWND window, std::intptr_t process) {
    if (process != watched_) {
        stop();
        HANDLE wait = nullptr;
        // Unwatched, the script's end is noticed at the player's next action instead.
        if (process != -1 &&
            RegisterWaitForSingleObject(
                &wait, reinterpret_cast<HANDLE>(process),  // NOLINT(performance-no-int-to-ptr)
                Ended, window, INFINITE, WT_EXECUTEONLYONCE) != FALSE) {
            wait_.reset(wait);
            watched_ = process;
        }
    }
    if (busyShown_ != (watched_ != -1)) {
        busyShown_ = watched_ != -1;
        RefreshPointer(window);
    }
}

void ScriptWatch::stop() noexcept {
    wait_.reset();
    watched_ = -1;
}

bool ScriptWatch::showBusyPointer(int hitTest) const {
    if (hitTest != HTCLIENT || watched_ == -1) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    return true;
}

}  // namespace quorbel::ui
