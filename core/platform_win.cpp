// The Windows half of the platform layer: W functions only, UTF-8 converted at each call.
#include <windows.h>

#include <climits>
#include <iterator>

#include "core/platform.h"

namespace quorbel::platform {
namespace {

Failure LastFailure() {
    return DescribeError(GetLastError());
}

int ClampedLength(std::size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

// Paths past MAX_PATH need the extended prefix, which in turn needs a full path without doubled separators.
std::wstring FilePath(const std::string& path) {
    std::wstring wide = Widen(path);
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\", 0) == 0) {
        return wide;
    }
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return wide;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return wide;
    }
    full.resize(length);
    return L"\\\\?\\" + full;
}

// The handle is kept as an integer so that the header stays free of <windows.h>.
HANDLE AsHandle(std::intptr_t handle) {
    return reinterpret_cast<HANDLE>(handle);  // NOLINT(performance-no-int-to-ptr)
}

}  // namespace

std::wstring Widen(std::string_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = ClampedLength(text.size());
    const int needed = MultiByteToWideChar(CP_UTF8, 0, text.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_UTF8, 0, text.data(), length, wide.data(), needed);
    return wide;
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = ClampedLength(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

Failure DescribeError(std::uint32_t code) {
    wchar_t buffer[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    while (length > 0 &&
           (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' ')) {
        --length;
    }
    if (length == 0) {
        return {code, "Unbekannter Fehler"};
    }
    return {code, Narrow(std::wstring_view(buffer, length))};
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(FilePath(path).c_str(), GetFileExInfoStandard, &data) == FALSE) {
        return std::nullopt;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

InputFile::InputFile(const std::string& path) {
    const HANDLE file = CreateFileW(FilePath(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file != INVALID_HANDLE_VALUE) {
        handle_ = reinterpret_cast<std::intptr_t>(file);
    } else {
        openFailure_ = LastFailure();
    }
}

InputFile::~InputFile() {
    if (isOpen()) {
        CloseHandle(AsHandle(handle_));
    }
}

std::size_t InputFile::read(char* buffer, std::size_t capacity) noexcept {
    DWORD got = 0;
    const DWORD wanted = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
    if (!isOpen() || ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr) == FALSE) {
        return 0;
    }
    return got;
}

Outcome ReplaceFileContent(const std::string& path, std::string_view bytes) {
    const std::wstring target = FilePath(path);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY) != 0) {
        return DescribeError(ERROR_ACCESS_DENIED);
    }
    const std::wstring temporary = target + L".tmp";
    const HANDLE file = CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) {
        return LastFailure();
    }
    DWORD error = ERROR_SUCCESS;
    std::size_t written = 0;
    while (error == ERROR_SUCCESS && written < bytes.size()) {
        const std::size_t chunk = bytes.size() - written;
        DWORD put = 0;
        const DWORD wanted = chunk > MAXDWORD ? MAXDWORD : static_cast<DWORD>(chunk);
        if (WriteFile(file, bytes.data() + written, wanted, &put, nullptr) == FALSE) {
            error = GetLastError();
        } else if (put == 0) {
            error = ERROR_DISK_FULL;
        }
        written += put;
    }
    if (error == ERROR_SUCCESS && FlushFileBuffers(file) == FALSE) {
        error = GetLastError();
    }
    CloseHandle(file);
    if (error == ERROR_SUCCESS && MoveFileExW(temporary.c_str(), target.c_str(),
                                              MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) == FALSE) {
        error = GetLastError();
    }
    if (error != ERROR_SUCCESS) {
        DeleteFileW(temporary.c_str());
        return DescribeError(error);
    }
    return std::nullopt;
}

std::vector<FolderEntry> ListVisibleEntries(const std::string& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data{};
    const std::wstring pattern = FilePath(folder + "*");
    const HANDLE search = FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch,
                                           nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE) {
        return entries;
    }
    do {
        if ((data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0) {
            entries.push_back(
                {Narrow(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        }
    } while (FindNextFileW(search, &data) != FALSE);
    FindClose(search);
    return entries;
}

Outcome SetCurrentFolder(const std::string& path) {
    if (SetCurrentDirectoryW(Widen(path).c_str()) == FALSE) {
        return LastFailure();
    }
    return std::nullopt;
}

std::string CurrentFolder() {
    const DWORD needed = GetCurrentDirectoryW(0, nullptr);
    std::wstring folder(needed, L'\0');
    const DWORD length = GetCurrentDirectoryW(needed, folder.data());
    folder.resize(length < needed ? length : 0);
    return Narrow(folder);
}

namespace {

Outcome Start(const wchar_t* program, std::wstring commandLine, ShowState show) {
    // A process cannot start in a folder whose path is longer than MAX_PATH allows; Windows and Wine would
    // start it somewhere else, and a script working in the wrong folder is worse than none.
    if (GetCurrentDirectoryW(0, nullptr) > MAX_PATH - 1) {
        return DescribeError(ERROR_FILENAME_EXCED_RANGE);
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = static_cast<WORD>(show == ShowState::Minimised ? SW_SHOWMINIMIZED : SW_SHOWNORMAL);
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process) == FALSE) {
        return LastFailure();
    }
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    return std::nullopt;
}

}  // namespace

Outcome StartProcess(const std::string& path, ShowState show) {
    // Quoted, so that a path with blanks names exactly this file and never a "C:\Program.exe" planted
    // in front of it.
    return Start(nullptr, L"\"" + Widen(path) + L"\"", show);
}

Outcome StartScript(const std::string& folder, std::string_view scriptName) {
    // cmd would start happily and only then miss the script, so look first.
    const DWORD attributes = GetFileAttributesW(FilePath(folder + "\\" + std::string(scriptName)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return DescribeError(attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_FILE_NOT_FOUND);
    }
    // The system's own cmd runs the script by its name in the current folder: the full path never passes
    // through cmd's parser, which would expand a folder name's % or ! and split it at & or ^.
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return LastFailure();
    }
    const std::wstring interpreter = std::wstring(system, length) + L"\\cmd.exe";
    return Start(interpreter.c_str(), L"cmd.exe /d /v:off /c .\\" + Widen(scriptName), ShowState::Minimised);
}

std::string ToLower(std::string_view text) {
    std::wstring wide = Widen(text);
    if (wide.empty()) {
        return {};
    }
    static const std::wstring locale = [] {
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
        return GetSystemDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0 ? std::wstring(name)
                                                                            : std::wstring();
    }();
    const int length = ClampedLength(wide.size());
    const int needed = locale.empty() ? 0
                                      : LCMapStringEx(locale.c_str(), LCMAP_LOWERCASE, wide.data(), length,
                                                      nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0) {
        CharLowerBuffW(wide.data(), static_cast<DWORD>(length));
        return Narrow(wide);
    }
    std::wstring lower(static_cast<std::size_t>(needed), L'\0');
    LCMapStringEx(locale.c_str(), LCMAP_LOWERCASE, wide.data(), length, lower.data(), needed, nullptr,
                  nullptr, 0);
    return Narrow(lower);
}

std::optional<std::string> ToAnsi(std::string_view text) {
    const std::wstring wide = Widen(text);
    if (wide.empty()) {
        return std::string();
    }
    const int length = ClampedLength(wide.size());
    // With the UTF-8 beta option the ANSI page is UTF-8: everything fits, and the default-char probe is
    // refused.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    BOOL* probe = utf8 ? nullptr : &usedDefault;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int needed = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, probe);
    if (needed <= 0 || usedDefault != FALSE) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), length, bytes.data(), needed, nullptr, probe);
    // Some pages map a character to a lookalike without reporting it; only an exact round trip counts.
    if (usedDefault != FALSE || Widen(FromAnsi(bytes)) != wide) {
        return std::nullopt;
    }
    return bytes;
}

std::string FromAnsi(std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int length = ClampedLength(bytes.size());
    // cppcheck-suppress invalidLifetime ; it mistakes ToAnsi's round-trip check for a dangling view
    const int needed = MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(CP_ACP, 0, bytes.data(), length, wide.data(), needed);
    return Narrow(wide);
}

}  // namespace quorbel::platform
