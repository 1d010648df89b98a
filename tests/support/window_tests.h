// What both window suites do on the one desktop (real keys, waiting while pumping messages, reading
// controls), and the form in this process on a fresh application folder, with what this thread's message
// boxes showed.
#pragma once

#include <windows.h>

#include <array>
#include <functional>
#include <memory>
#include <optional>

#include "support/test_folder.h"
#include "ui/form1.h"

namespace quorbel::testing {

// Sees each message first and returns true when it used it, as a form's shortcuts and tab keys do.
using Filter = std::function<bool(MSG&)>;

// Asks done while it pumps this thread's messages (WM_QUIT dropped, so a closed form does not stop the next
// test's loop), every 50 ms, so that a grace period of rounds spans several of the program's polls.
inline bool Eventually(const std::function<bool()>& done, const Filter& filter = nullptr, int rounds = 400) {
    return WaitFor(
        [&] {
            MSG message;
            while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
                if (message.message != WM_QUIT && !(filter && filter(message))) {
                    TranslateMessage(&message);
                    DispatchMessageW(&message);
                }
            }
            return done();
        },
        rounds);
}

// Through the system's input queue, so every program sees them: down in order, then up in reverse.
enum class Stroke { Tap, Down, Up };
inline void Keys(std::initializer_list<WORD> keys, Stroke stroke = Stroke::Tap) {
    std::vector<INPUT> inputs;
    for (std::size_t i = 0; i < 2 * keys.size(); ++i) {
        const bool up = i >= keys.size();
        const WORD key = keys.begin()[up ? 2 * keys.size() - 1 - i : i];
        if (stroke == Stroke::Tap || up == (stroke == Stroke::Up)) {
            inputs.push_back({INPUT_KEYBOARD, {}});
            inputs.back().ki = {key, static_cast<WORD>(MapVirtualKeyW(key, MAPVK_VK_TO_VSC)),
                                up ? KEYEVENTF_KEYUP : 0u, 0, 0};
        }
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
            held = Eventually(done, nullptr, 20);
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
    std::vector<std::wstring> lines(SendMessageW(list, LB_GETCOUNT, 0, 0));
    for (std::size_t i = 0; i < lines.size(); ++i) {
        lines[i].resize(SendMessageW(list, LB_GETTEXTLEN, i, 0));
        SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(lines[i].data()));
    }
    return lines;
}

// Selects the entry as a pick in the drop-down list does, notifying the combo box's own parent.
inline void Pick(HWND combo, const wchar_t* entry) {
    SendMessageW(combo, CB_SELECTSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(entry));
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

using Pixels = std::array<LONG, 4>;  // left, top, width, height

inline std::optional<UINT> ended;  // what "&Ende" passed on; nothing really ends

// The last message box this thread showed: its text, and whether Enter would answer no ("no" is drawn as its
// default button). It is answered at once with the answer, and the answer goes back to OK.
struct Box {
    std::wstring text;
    bool noIsDefault = false;
};
inline std::optional<Box> box;
inline int answer = IDOK;
// Whether the window was already shown when the league list got its first entry.
inline std::optional<bool> shownBeforeFilled;

inline LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (call->message == CB_ADDSTRING && !shownBeforeFilled) {
        shownBeforeFilled = IsWindowVisible(GetAncestor(call->hwnd, GA_ROOT)) != FALSE;
    }
    if (call->message == WM_INITDIALOG) {
        const LONG no = GetWindowLongW(GetDlgItem(call->hwnd, IDNO), GWL_STYLE);
        box = Box{TextOf(GetDlgItem(call->hwnd, 0xFFFF)), (no & BS_TYPEMASK) == BS_DEFPUSHBUTTON};
        PostMessageW(call->hwnd, WM_COMMAND, static_cast<WPARAM>(std::exchange(answer, IDOK)), 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

// The form goes first and the current folder comes back, so that the application folder can be removed.
class Form1Window : public ::testing::Test {
  protected:
    static void SetUpTestSuite() {
        hook_ = SetWindowsHookExW(WH_CALLWNDPROCRET, Watch, nullptr, GetCurrentThreadId());
    }
    static void TearDownTestSuite() { UnhookWindowsHookEx(hook_); }
    void TearDown() override {
        form.reset();
        SetCurrentDirectoryW(saved_.c_str());
        ended.reset();
        box.reset();
        shownBeforeFilled.reset();
    }
    HWND open() {
        form = std::make_unique<ui::Form1>(folder.path());
        form->setEndProgram([](UINT code) { ended = code; });
        EXPECT_TRUE(form->create());
        EXPECT_EQ(GetForegroundWindow(), form->window()) << "real keys would go elsewhere";
        return form->window();
    }
    HWND control(int id) const { return form->control(id); }
    void click(int id) const { SendMessageW(control(id), BM_CLICK, 0, 0); }
    // Clicked, and the question that follows answered: whether it began with the text, with "no" the default.
    bool asks(int id, int reply, const wchar_t* text) const {
        box.reset();
        answer = reply;
        click(id);
        answer = IDOK;
        return box && box->text.starts_with(text) && box->noIsDefault;
    }
    Pixels inWindow(int id) const {
        RECT r;
        GetWindowRect(control(id), &r);
        MapWindowPoints(nullptr, form->window(), reinterpret_cast<POINT*>(&r), 2);
        return {r.left, r.top, r.right - r.left, r.bottom - r.top};
    }

    TestFolder folder;
    std::unique_ptr<ui::Form1> form;

  private:
    static inline HHOOK hook_ = nullptr;
    const std::wstring saved_ = std::filesystem::current_path().wstring();
};

}  // namespace quorbel::testing
