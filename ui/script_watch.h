// The script the window started, while it runs: the window learns of its end without a thread of ours
// waiting for it (the system's thread pool waits on the process and posts the window a message), and the
// pointer over the window says that it still works in the background.
#pragma once

#include <windows.h>

#include <cstdint>

#include "core/handles_win.h"

namespace quorbel::ui {

class ScriptWatch {
  public:
    // Posted to the window once the watched process has ended.
    static constexpr UINT kEnded = WM_APP + 3;

    // Watches the process behind the handle (a platform::Process's waitHandle), or nothing for -1; the
    // pointer over the window follows at once.
    void watch(HWND window, std::intptr_t process);
    // Before the process's handle may be closed: a new process may get the same handle.
    void stop() noexcept;
    // The arrow with the hourglass over the client area while a script is watched; false where the
    // system's own pointer stands.
    bool showBusyPointer(int hitTest) const;

  private:
    std::intptr_t watched_ = -1;
    bool busyShown_ = false;
    win::UniqueWait wait_;
};

}  // namespace quorbel::ui
