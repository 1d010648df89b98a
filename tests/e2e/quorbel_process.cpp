#include "e2e/quorbel_process.h"

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>

#include "core/platform.h"

namespace quorbel::testing {
namespace {

std::wstring BuiltProgram(std::string_view name) {
    wchar_t self[MAX_PATH];
    const std::wstring path(self, GetModuleFileNameW(nullptr, self, MAX_PATH));
    return path.substr(0, path.find_last_of(L'\\') + 1) + platform::Widen(name);
}

bool Poll(const std::function<bool()>& condition, std::chrono::milliseconds limit, bool untilTrue) {
    const auto end = std::chrono::steady_clock::now() + limit;
    for (;;) {
        MSG message;
        while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
            DispatchMessageW(&message);
        }
        if (condition() == untilTrue) {
            return true;
        }
        if (std::chrono::steady_clock::now() > end) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
}

void Send(WORD virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = virtualKey;
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    SendInput(1, &input, sizeof input);
}

std::string ItemText(HWND control, UINT lengthMessage, UINT textMessage, WPARAM index) {
    std::wstring text(static_cast<std::size_t>(SendMessageW(control, lengthMessage, index, 0) + 1), L'\0');
    const LRESULT copied = SendMessageW(control, textMessage, index, reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied > 0 ? static_cast<std::size_t>(copied) : 0);
    return platform::Narrow(text);
}

}  // namespace

void CopyBuiltProgram(std::string_view name, const std::string& folder) {
    const std::wstring target = platform::Widen(folder + "\\" + std::string(name));
    if (!CopyFileW(BuiltProgram(name).c_str(), target.c_str(), FALSE)) {
        throw std::runtime_error("cannot copy " + std::string(name));
    }
}

bool Eventually(const std::function<bool()>& condition) {
    return Poll(condition, std::chrono::seconds(20), true);
}

bool Throughout(const std::function<bool()>& condition) {
    return !Poll(condition, std::chrono::milliseconds(1000), false);
}

void HoldKey(WORD virtualKey) {
    Send(virtualKey, false);
    // Several of the program's polls must see the key down.
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    Send(virtualKey, true);
}

void PressWithControl(WORD virtualKey) {
    Send(VK_CONTROL, false);
    Send(virtualKey, false);
    Send(virtualKey, true);
    Send(VK_CONTROL, true);
}

std::string ChildTexts(HWND window) {
    std::string texts;
    EnumChildWindows(
        window,
        [](HWND child, LPARAM collected) {
            wchar_t text[1024];
            const int length = GetWindowTextW(child, text, 1024);
            *reinterpret_cast<std::string*>(collected) +=
                platform::Narrow({text, std::size_t(length)}) + "\n";
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&texts));
    return texts;
}

QuorbelProcess::QuorbelProcess(const std::string& appFolder, const std::string& startFolder) {
    CopyBuiltProgram("Quorbel.exe", appFolder);
    std::wstring commandLine = L"\"" + platform::Widen(appFolder + "\\Quorbel.exe") + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    if (!CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr,
                        platform::Widen(startFolder).c_str(), &startup, &process_)) {
        throw std::runtime_error("cannot start Quorbel.exe");
    }
    window_ = awaitTopLevel(L"QuorbelForm1", L"Quorbel");
}

QuorbelProcess::~QuorbelProcess() {
    if (running()) {
        TerminateProcess(process_.hProcess, 1);
        WaitForSingleObject(process_.hProcess, 10000);
    }
    CloseHandle(process_.hThread);
    CloseHandle(process_.hProcess);
}

HWND QuorbelProcess::control(int id) const {
    const HWND direct = GetDlgItem(window_, id);
    return direct != nullptr ? direct : GetDlgItem(GetDlgItem(window_, kFrame), id);
}

std::vector<std::string> QuorbelProcess::items(int id) const {
    const bool combo = id == kLeagues;
    const HWND control = this->control(id);
    std::vector<std::string> texts;
    const LRESULT count = SendMessageW(control, combo ? CB_GETCOUNT : LB_GETCOUNT, 0, 0);
    for (LRESULT i = 0; i < count; ++i) {
        texts.push_back(combo ? ItemText(control, CB_GETLBTEXTLEN, CB_GETLBTEXT, static_cast<WPARAM>(i))
                              : ItemText(control, LB_GETTEXTLEN, LB_GETTEXT, static_cast<WPARAM>(i)));
    }
    return texts;
}

std::string QuorbelProcess::shownLeague() const {
    const LRESULT index = SendMessageW(control(kLeagues), CB_GETCURSEL, 0, 0);
    return index < 0 ? std::string() : leagues().at(static_cast<std::size_t>(index));
}

void QuorbelProcess::pick(std::string_view league) {
    const std::vector<std::string> names = leagues();
    const auto found = std::find(names.begin(), names.end(), league);
    if (found == names.end()) {
        throw std::runtime_error("no league " + std::string(league));
    }
    const HWND combo = control(kLeagues);
    SendMessageW(combo, CB_SETCURSEL, static_cast<WPARAM>(found - names.begin()), 0);
    SendMessageW(GetParent(combo), WM_COMMAND, MAKEWPARAM(kLeagues, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(combo));
}

HWND QuorbelProcess::awaitTopLevel(const wchar_t* className, const wchar_t* caption) const {
    HWND window = nullptr;
    Eventually([&] {
        for (HWND found = nullptr; (found = FindWindowExW(nullptr, found, className, caption));) {
            DWORD owner = 0;
            GetWindowThreadProcessId(found, &owner);
            if (owner == process_.dwProcessId && IsWindowVisible(found)) {
                window = found;
            }
        }
        return window != nullptr || !running();
    });
    return window;
}

}  // namespace quorbel::testing
