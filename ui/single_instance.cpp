#include "ui/single_instance.h"

#include <cstdio>

#include "core/application_folder.h"
#include "ui/form1_design.h"

namespace quorbel::ui {
namespace {

constexpr wchar_t kFolderProperty[] = L"Quorbel.Folder";

HANDLE AsPropertyValue(std::uint64_t key) {
    return reinterpret_cast<HANDLE>(static_cast<UINT_PTR>(key));  // NOLINT(performance-no-int-to-ptr)
}

// The tool's window that was marked with the key: not just any window of the class, since a tool of
// another game folder may run too.
HWND MarkedWindow(std::uint64_t key) {
    struct Search {
        HANDLE value;
        HWND found;
    } search{AsPropertyValue(key), nullptr};
    EnumWindows(
        [](HWND window, LPARAM parameter) {
            auto* s = reinterpret_cast<Search*>(parameter);
            wchar_t className[32] = {};
            GetClassNameW(window, className, 32);
            if (lstrcmpW(className, kWindowClass) == 0 && GetPropW(window, kFolderProperty) == s->value) {
                s->found = window;
                return FALSE;
            }
            return TRUE;
        },
        reinterpret_cast<LPARAM>(&search));
    return search.found;
}

}  // namespace

UINT BringBackMessage() {
    static const UINT message = RegisterWindowMessageW(L"Quorbel.BringBack");
    return message;
}

SingleInstance::SingleInstance(const std::string& appFolder) : key_(InstanceKey(appFolder)) {
    wchar_t name[64];
    std::swprintf(name, 64, L"Local\\Quorbel-%016llx", static_cast<unsigned long long>(key_));
    const HANDLE mutex = CreateMutexW(nullptr, FALSE, name);
    const DWORD error = GetLastError();
    mutex_.reset(mutex);
    // A tool started as administrator made a mutex that a normal start may not open: it runs all the same.
    // Without any mutex the tool runs too, since two windows are better than none.
    first_ = mutex_ ? error != ERROR_ALREADY_EXISTS : error != ERROR_ACCESS_DENIED;
}

void SingleInstance::mark(HWND window) const {
    SetPropW(window, kFolderProperty, AsPropertyValue(key_));
    // A window of a tool started as administrator takes the message from a normal start as well.
    ChangeWindowMessageFilterEx(window, BringBackMessage(), MSGFLT_ALLOW, nullptr);
}

void Unmark(HWND window) {
    RemovePropW(window, kFolderProperty);
}

void SingleInstance::bringBackTheRunningOne() const {
    // The running tool may still be making its window: a slow double-click starts the two close together.
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (const HWND window = MarkedWindow(key_)) {
            DWORD process = 0;
            GetWindowThreadProcessId(window, &process);
            // This start came from the player, so it may hand the foreground on.
            AllowSetForegroundWindow(process);
            PostMessageW(window, BringBackMessage(), 0, 0);
            return;
        }
        Sleep(50);
    }
}

}  // namespace quorbel::ui
