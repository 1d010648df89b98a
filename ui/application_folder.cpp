#include "ui/application_folder.h"

#include <windows.h>

#include "core/platform.h"

namespace quorbel::ui {

std::string ApplicationFolderOf(std::wstring_view exePath) {
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
