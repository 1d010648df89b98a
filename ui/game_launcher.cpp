#include "ui/game_launcher.h"

#include <windows.h>
#include <shellapi.h>

#include <vector>

#include "core/application_folder.h"
#include "core/platform_text.h"
#include "ui/system_function.h"

namespace quorbel::ui {
namespace {

// ERROR_ELEVATION_REQUIRED: the game is marked to run as administrator. MinGW-w64's headers lack the name.
constexpr DWORD kElevationRequired = 740;

// The shell asks for consent where the game demands administrator rights; shell32 is loaded only for this.
platform::Outcome StartWithConsent(const std::string& path) {
    static const auto execute = SystemFunction<decltype(&ShellExecuteExW)>(L"shell32.dll", "ShellExecuteExW");
    const std::wstring file = platform::Widen(path);
    std::vector<wchar_t> folder(GetCurrentDirectoryW(0, nullptr) + 1, L'\0');
    GetCurrentDirectoryW(static_cast<DWORD>(folder.size()), folder.data());
    SHELLEXECUTEINFOW start{};
    start.cbSize = sizeof start;
    start.fMask = SEE_MASK_NOASYNC | SEE_MASK_FLAG_NO_UI;
    start.hwnd = GetActiveWindow();  // the consent prompt comes up over the tool, not as a taskbar button
    start.lpFile = file.c_str();
    start.lpDirectory = folder.data();
    start.nShow = SW_SHOWNORMAL;
    if (execute == nullptr || execute(&start) == FALSE) {
        const DWORD error = execute == nullptr ? ERROR_PROC_NOT_FOUND : GetLastError();
        // A player who declines the consent needs no message about it.
        return error == ERROR_CANCELLED ? platform::Outcome() : platform::DescribeError(error);
    }
    return std::nullopt;
}

}  // namespace

platform::Outcome StartGame(const std::string& path, bool withConsent) {
    return withConsent ? StartWithConsent(path) : platform::StartProcess(path);
}

platform::Outcome LaunchGame(const std::string& appFolder, GameStarter start) {
    const std::string game = GamePath(appFolder);
    platform::Outcome failure = start(game, false);
    if (failure && failure->code == kElevationRequired) {
        return start(game, true);
    }
    return failure;
}

}  // namespace quorbel::ui
