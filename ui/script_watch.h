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
    // pointer over the window follows at once. The same process again changes nothing.
    void watch(HWND window, std::intptr_t process);
    // The arrow with the hourglass over the client area while a script is watched; false where the
    // system's own pointer stands.
    bool showBusyPointer(int hitTest) const;

  private:
    // A handle of its own, so that the process, and with it its id, stays known however long the one it was
    // given lives; the wait goes before it.
    win::UniqueHandle watched_;
    win::UniqueWait wait_;
    DWORD watchedId_ = 0;  // 0 while nothing is watched
};

}  // namespace quorbel::ui
