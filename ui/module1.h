// The restore hotkey's procedures: they know nothing of the window beyond the handle they are given.
#pragma once

#include <windows.h>

#include <bitset>

namespace quorbel::ui::Module1 {

inline constexpr int kRestoreKey = VK_SUBTRACT;  // the numeric keypad's minus key, 109

// What the last poll saw of each key; the form keeps its own.
using KeyHistory = std::bitset<256>;

// True on the first poll that sees the key down after a poll that saw it up. The key's "pressed since
// the last query" bit is not used: any other program's poll, the game's among them, can take it.
bool KeyPressed(KeyHistory& history, int virtualKey);

// Restores the window when it is minimised, otherwise asks for it to be brought to the front; true when
// the last call to the system succeeded.
bool RestoreWindow(HWND window);

// The calls that ask for the foreground, replaceable in tests. Windows grants it only to a program that,
// among a few others, received the last input event; a player who just pressed the key in the game gave it
// there.
struct ForegroundCalls {
    BOOL(WINAPI* setForeground)(HWND) = SetForegroundWindow;
    HWND(WINAPI* foreground)() = GetForegroundWindow;
    UINT(WINAPI* sendInput)(UINT, LPINPUT, int) = SendInput;
};

// After the calls above: when the target is still not in front, one input event of this program's own that
// moves and clicks nothing makes it the one that received the last input, and it asks once more. Nothing
// else: no thread input attached to a busy game's, no change of the system's lock time-out. True when the
// target is in front.
bool InsistOnForeground(HWND target, const ForegroundCalls& calls = {});

// Once the window is restored or raised: the message box it has open, or else the window, is brought to the
// front.
void ComeToFront(HWND window);

// Only this tool's main window: its class and caption, since FindWindow compares titles ignoring case.
HWND FindMainWindow();

}  // namespace quorbel::ui::Module1
