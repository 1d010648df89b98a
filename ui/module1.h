// The restore hotkey's procedures: they know nothing of the window beyond the handle they are given.
#pragma once

#include <windows.h>

namespace quorbel::ui::Module1 {

inline constexpr int kRestoreKey = VK_SUBTRACT;  // the numeric keypad's minus key, 109

// True on the first poll that sees the key down after a poll that saw it up. The key's "pressed since
// the last query" bit is not used: any other program's poll, the game's among them, can take it.
bool KeyPressed(int virtualKey);

// Restores the window when it is minimised, otherwise asks for it to be brought to the front; true when
// the last call to the system succeeded.
bool RestoreWindow(HWND window);

// Only this tool's main window: its class and caption, since FindWindow compares titles ignoring case.
HWND FindMainWindow();

}  // namespace quorbel::ui::Module1
