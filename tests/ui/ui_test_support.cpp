#include "ui_test_support.h"

#include <chrono>
#include <stdexcept>

#include "ui/form1_design.h"

namespace quorbel::testing {
namespace {
using Clock = std::chrono::steady_clock;

MessageBoxWatcher* watching = nullptr;

// Reads a message box once its dialog procedure has set it up.
LRESULT CALLBACK WatchInitialisation(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    const HWND box = call->hwnd;
    if (call->message == WM_INITDIALOG && watching != nullptr && !watching->seen &&
        TextOf(box, true) == L"#32770") {
        watching->seen = true;
        watching->title = TextOf(box);
        for (HWND child = GetWindow(box, GW_CHILD); child != nullptr; child = GetWindow(child, GW_HWNDNEXT)) {
            const LONG style = GetWindowLongW(child, GWL_STYLE);  // the box itself is not shown yet
            const bool isIcon = (style & SS_TYPEMASK) == SS_ICON;
            if ((style & WS_VISIBLE) != 0 && TextOf(child, true) == L"Button") {
                ++watching->buttons;
            } else if ((style & WS_VISIBLE) != 0 && TextOf(child, true) == L"Static") {
                watching->icon = watching->icon || (isIcon && SendMessageW(child, STM_GETICON, 0, 0) != 0);
                watching->text += isIcon ? L"" : TextOf(child);
            }
        }
        PostMessageW(box, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

}  // namespace

std::wstring TextOf(HWND window, bool className) {
    wchar_t text[1024] = {};
    className ? GetClassNameW(window, text, 1024) : GetWindowTextW(window, text, 1024);
    return text;
}

std::optional<UINT>& EndedWith() {
    static std::optional<UINT> code;
    return code;
}

AppUnderTest::AppUnderTest() : savedFolder(MAX_PATH, L'\0') {
    savedFolder.resize(GetCurrentDirectoryW(MAX_PATH, savedFolder.data()));
}

AppUnderTest::~AppUnderTest() {
    form.reset();
    Pump(nullptr, 0);
    SetCurrentDirectoryW(savedFolder.c_str());
}

ui::Form1& AppUnderTest::open() {
    EndedWith().reset();
    form = std::make_unique<ui::Form1>(folder.path());
    form->setEndProgram([](UINT code) { EndedWith() = code; });
    if (!form->create()) {
        throw std::runtime_error("no window");
    }
    Pump(form.get(), 50);
    return *form;
}

void AppUnderTest::pick(LRESULT index, HWND target) const {
    const HWND combo = control(ui::kCboLiga);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(index), 0);
    SendMessageW(target != nullptr ? target : form->window(), WM_COMMAND,
                 MAKEWPARAM(ui::kCboLiga, CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
}

void Pump(ui::Form1* form, int milliseconds) {
    const auto end = Clock::now() + std::chrono::milliseconds(milliseconds);
    for (bool last = false; !last;) {
        last = Clock::now() >= end;
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            if (message.message != WM_QUIT && (form == nullptr || !form->preTranslate(message))) {
                TranslateMessage(&message);
                DispatchMessageW(&message);
            }
        }
        MsgWaitForMultipleObjects(0, nullptr, FALSE, last ? 0 : 10, QS_ALLINPUT);
    }
}

bool PumpUntil(ui::Form1* form, const std::function<bool()>& done) {
    for (const auto end = Clock::now() + std::chrono::seconds(20); !done(); Pump(form, 20)) {
        if (Clock::now() > end) {
            return false;
        }
    }
    return true;
}

void Keys(std::initializer_list<WORD> keys, Stroke stroke) {
    std::vector<INPUT> inputs;
    const auto add = [&](WORD key, DWORD flags) {
        inputs.emplace_back().type = INPUT_KEYBOARD;
        inputs.back().ki.wVk = key;
        inputs.back().ki.dwFlags = flags;
    };
    for (auto key = keys.begin(); stroke != Stroke::Up && key != keys.end(); ++key) {
        add(*key, 0);
    }
    for (auto key = keys.end(); stroke != Stroke::Down && key != keys.begin();) {
        add(*--key, KEYEVENTF_KEYUP);
    }
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

std::vector<std::wstring> Items(HWND box, bool combo) {
    std::vector<std::wstring> items;
    const LRESULT count = SendMessageW(box, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (WPARAM i = 0; static_cast<LRESULT>(i) < count; ++i) {
        items.emplace_back(SendMessageW(box, combo ? CB_GETLBTEXTLEN : LB_GETTEXTLEN, i, 0), L'\0');
        SendMessageW(box, combo ? CB_GETLBTEXT : LB_GETTEXT, i,
                     reinterpret_cast<LPARAM>(items.back().data()));
    }
    return items;
}

MessageBoxWatcher::MessageBoxWatcher()
    : hook(SetWindowsHookExW(WH_CALLWNDPROCRET, WatchInitialisation, nullptr, GetCurrentThreadId())) {
    watching = this;
}

MessageBoxWatcher::~MessageBoxWatcher() {
    watching = nullptr;
    UnhookWindowsHookEx(hook);
}

}  // namespace quorbel::testing
