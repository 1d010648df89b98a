// What both window suites do on the one desktop: real keys, waiting while pumping messages, reading controls.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace quorbel::testing {

// Sees each message first and returns true when it used it, as a form's shortcuts and tab keys do.
using Filter = std::function<bool(MSG&)>;

// Asks done once a round while it pumps this thread's messages (WM_QUIT dropped, so a closed form does not
// stop the next test's loop); false only when done never held within a generous limit. Every round takes a
// while, so that a grace period of rounds spans several of the program's polls.
inline bool Eventually(const std::function<bool()>& done, const Filter& filter = nullptr, int rounds = 1000) {
    for (int round = 0; round < rounds; ++round) {
        if (done()) {
            return true;
        }
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_QUIT && !(filter && filter(message))) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        Sleep(20);
    }
    return false;
}

// Through the system's input queue, so every program sees them: down in order, then up in reverse.
enum class Stroke { Tap, Down, Up };
inline void Keys(std::initializer_list<WORD> keys, Stroke stroke = Stroke::Tap) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD key, DWORD flags) {
        inputs.push_back({INPUT_KEYBOARD, {}});
        inputs.back().ki = {key, static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)), flags, 0, 0};
    };
    for (auto key = keys.begin(); stroke != Stroke::Up && key != keys.end(); ++key) {
        add(*key, 0);
    }
    for (auto key = std::rbegin(keys); stroke != Stroke::Down && key != std::rend(keys); ++key) {
        add(*key, KEYEVENTF_KEYUP);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

// The window in front; another program's may take the foreground for a moment, so it is asked until given.
inline bool InFront(HWND window) {
    return Eventually(
        [&] { return SetForegroundWindow(window) != FALSE && GetForegroundWindow() == window; });
}

// Holds the keys down, with front in front when given, until done holds. Wine: when the focus moves, the
// keys take the X server's state again, which never saw a synthetic press; so a press that was lost is
// made again.
inline bool PressUntil(HWND front, std::initializer_list<WORD> keys, const std::function<bool()>& done) {
    bool held = false;
    for (int attempt = 0; attempt < 5 && !held; ++attempt) {
        if (front == nullptr || InFront(front)) {
            Keys(keys, Stroke::Down);
            held = Eventually(done, nullptr, 50);
            Keys(keys, Stroke::Up);
        }
    }
    return held;
}

// A plain window of this process, shown, as another program's window would stand beside the tool's.
using OtherWindow = std::unique_ptr<HWND__, decltype(&DestroyWindow)>;
inline OtherWindow OpenOtherWindow(const wchar_t* title) {
    return {CreateWindowW(L"Static", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 40, 40, 300, 200, nullptr,
                          nullptr, nullptr, nullptr),
            &DestroyWindow};
}

// Asked by WM_GETTEXT, which, unlike GetWindowText, answers for another process's controls too.
inline std::wstring TextOf(HWND window) {
    wchar_t text[1024] = {};
    SendMessageW(window, WM_GETTEXT, 1024, reinterpret_cast<LPARAM>(text));
    return text;
}

// A list box's lines, also another process's.
inline std::vector<std::wstring> Lines(HWND list) {
    std::vector<std::wstring> lines(IsWindow(list) ? SendMessageW(list, LB_GETCOUNT, 0, 0) : 0);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i].resize(SendMessageW(list, LB_GETTEXTLEN, i, 0));
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(lines[i].data()));
    }
    return lines;
}

// The button of a message box that Enter presses: the one drawn as the default.
inline int DefaultButtonOf(HWND box) {
    for (const int id : {IDOK, IDCANCEL, IDYES, IDNO}) {
        if ((GetWindowLongW(GetDlgItem(box, id), GWL_STYLE) & BS_TYPEMASK) == BS_DEFPUSHBUTTON) {
            return id;
        }
    }
    return 0;
}

// Selects the entry as a pick in the drop-down list does, notifying the combo box's own parent.
inline void Pick(HWND combo, const wchar_t* entry) {
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

}  // namespace quorbel::testing
