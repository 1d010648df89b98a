// Stands in for the game in the demo folder, and in the tests. With "glenmarra.log" beside it, it appends
// the folder it was started in and, after a tab, the show command it was given to that file and ends;
// otherwise it shows a window with the league data the datasets swap ("daten\liga.txt" beside it).
#include <windows.h>

#include <string>

namespace {

std::wstring Folder() {
    wchar_t path[32768];
    const DWORD length = GetModuleFileNameW(nullptr, path, 32768);
    std::wstring folder(path, length);
    return folder.substr(0, folder.find_last_of(L'\\'));
}

std::string Utf8(const std::wstring& text) {
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                           nullptr, nullptr);
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), bytes.data(), needed, nullptr,
                        nullptr);
    return bytes;
}

bool AppendLaunch(const std::wstring& log, int showCommand) {
    const HANDLE file = CreateFileW(log.c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return false;
    }
    wchar_t current[32768];
    const DWORD length = GetCurrentDirectoryW(32768, current);
    const std::string line = Utf8(std::wstring(current, length)) + "\t" + std::to_string(showCommand) + "\n";
    DWORD written = 0;
    WriteFile(file, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    CloseHandle(file);
    return true;
}

std::wstring LeagueData(const std::wstring& folder) {
    const HANDLE file = CreateFileW((folder + L"\\daten\\liga.txt").c_str(), GENERIC_READ, FILE_SHARE_READ,
                                    nullptr, OPEN_EXISTING, 0, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return L"(daten\\liga.txt fehlt)";
    }
    char bytes[4096];
    DWORD got = 0;
    ReadFile(file, bytes, sizeof bytes, &got, nullptr);
    CloseHandle(file);
    const int needed = MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(got), nullptr, 0);
    std::wstring text(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, bytes, static_cast<int>(got), text.data(), needed);
    return text;
}

LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_DESTROY) {
        PostQuitMessage(0);
        return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

int WINAPI wWinMain(HINSTANCE instance, HINSTANCE, PWSTR, int showCommand) {
    const std::wstring folder = Folder();
    if (AppendLaunch(folder + L"\\glenmarra.log", showCommand)) {
        return 0;
    }
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = WindowProc;
    windowClass.hInstance = instance;
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    windowClass.lpszClassName = L"GlenmarraStandIn";
    RegisterClassW(&windowClass);
    const HWND window = CreateWindowW(L"GlenmarraStandIn", L"Glenmarra (Demo)", WS_OVERLAPPEDWINDOW, 40, 40,
                                      480, 240, nullptr, nullptr, instance, nullptr);
    CreateWindowW(L"Static", (L"Ligadaten:\r\n\r\n" + LeagueData(folder)).c_str(), WS_CHILD | WS_VISIBLE, 16,
                  16, 440, 180, window, nullptr, instance, nullptr);
    ShowWindow(window, showCommand);
    MSG message;
    while (GetMessageW(&message, nullptr, 0, 0) > 0) {
        DispatchMessageW(&message);
    }
    return 0;
}
