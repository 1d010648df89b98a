// Stands where a planted "C:\Program.exe" would: if it ever runs, it leaves "<its path>.ran" behind.
#include <windows.h>

#include <string>

int wmain() {
    wchar_t self[MAX_PATH];
    const DWORD length = GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::wstring marker = std::wstring(self, length) + L".ran";
    const HANDLE file = CreateFileW(marker.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        CloseHandle(file);
    }
    return 0;
}
