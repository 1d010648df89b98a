#include "ui/application_folder.h"

#include <windows.h>

#include "core/platform.h"

namespace quorbel::ui {

std::string ApplicationFolderOf(std::wstring_view exePath) {
    // Started by an extended path, the exe reports one; its folder is the plain path, which the switching
    // core extends again where it must, and which it would otherwise take for a network path.
    std::wstring plain;
    if (exePath.starts_with(L"\\\\?\\UNC\\")) {
        plain = L"\\\\" + std::wstring(exePath.substr(8));
        exePath = plain;
    } else if (exePath.starts_with(L"\\\\?\\") && exePath.size() > 5 && exePath[5] == L':') {
        exePath.remove_prefix(4);
    }
    const std::size_t slash = exePath.find_last_of(L"\\/");
    if (slash == std::wstring_view::npos) {
        return {};
    }
    std::wstring_view folder = exePath.substr(0, slash);
    if (folder.size() == 2 && folder[1] == L':') {
        folder = exePath.substr(0, slash + 1);
    }
    return platform::Narrow(folder);
}

std::string ApplicationFolder() {
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0) {
            return {};
        }
        if (length < path.size()) {
            path.resize(length);
            return ApplicationFolderOf(path);
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace quorbel::ui
