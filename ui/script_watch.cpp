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
    const HANDLE given = win::AsHandle(process);
    const DWORD id = process != -1 ? GetProcessId(given) : 0;
    const bool wasBusy = watchedId_ != 0;
    if (id != watchedId_) {
        wait_.reset();
        watched_.reset();
        watchedId_ = 0;
        HANDLE copy = nullptr, wait = nullptr;
        // Unwatched, the script's end is noticed at the player's next action instead.
        if (id != 0 && DuplicateHandle(GetCurrentProcess(), given, GetCurrentProcess(), &copy, SYNCHRONIZE,
                                       FALSE, 0) != FALSE) {
            watched_.reset(copy);
            if (RegisterWaitForSingleObject(&wait, copy, Ended, window, INFINITE, WT_EXECUTEONLYONCE) !=
                FALSE) {
                wait_.reset(wait);
                watchedId_ = id;
            }
        }
    }
    if (wasBusy != (watchedId_ != 0)) {
        RefreshPointer(window);
    }
}

bool ScriptWatch::showBusyPointer(int hitTest) const {
    if (hitTest != HTCLIENT || watchedId_ == 0) {
        return false;
    }
    SetCursor(LoadCursorW(nullptr, IDC_APPSTARTING));
    return true;
}

}  // namespace quorbel::ui
