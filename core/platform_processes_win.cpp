// The Windows half of the platform layer's processes: the current folder, the exe's own path, and starting
// the game and the dataset scripts without waiting for them.
#include <windows.h>

#include <utility>

#include "core/handles_win.h"
#include "core/platform_files.h"
#include "core/platform_processes.h"
#include "core/platform_text.h"

namespace quorbel::platform {

Outcome SetCurrentFolder(const std::string& path) {
    if (SetCurrentDirectoryW(Widen(path).c_str()) == FALSE) {
        return DescribeError(GetLastError());
    }
    return std::nullopt;
}

std::string ExecutablePath() {
    std::wstring path(MAX_PATH, L'\0');
    DWORD length = 0;
    while ((length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()))) ==
           path.size()) {
        path.resize(path.size() * 2);
    }
    path.resize(length);
    // In its long form: a start through a short name (C:\SPIELE~1) names the same game folder.
    std::wstring longPath(GetLongPathNameW(path.c_str(), nullptr, 0), L'\0');
    const DWORD longLength =
        GetLongPathNameW(path.c_str(), longPath.data(), static_cast<DWORD>(longPath.size()));
    if (longLength > 0 && longLength < longPath.size()) {
        longPath.resize(longLength);
        return Narrow(longPath);
    }
    return Narrow(path);
}

namespace {

// The process's handle, or the reason it did not start.
struct Started {
    Outcome failure;
    win::UniqueHandle process;
};

Started Start(const wchar_t* program, std::wstring commandLine, WORD show) {
    // A process cannot start in a folder whose path is longer than MAX_PATH allows; Windows and Wine would
    // start it somewhere else, and a script working in the wrong folder is worse than none.
    if (GetCurrentDirectoryW(0, nullptr) > MAX_PATH - 1) {
        return {DescribeError(ERROR_FILENAME_EXCED_RANGE), nullptr};
    }
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = show;
    PROCESS_INFORMATION process{};
    if (CreateProcessW(program, commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &process) == FALSE) {
        return {DescribeError(GetLastError()), nullptr};
    }
    const win::UniqueHandle thread(process.hThread);
    return {std::nullopt, win::UniqueHandle(process.hProcess)};
}

using win::AsHandle;

}  // namespace

Outcome StartProcess(const std::string& path) {
    // Quoted, so that a path with blanks names exactly this file and never a "C:\Program.exe" planted
    // in front of it. Never waited for: its handle goes at once.
    return Start(nullptr, L"\"" + Widen(path) + L"\"", SW_SHOWNORMAL).failure;
}

Process::~Process() {
    const win::UniqueHandle closedHere(handle_ != kNone ? AsHandle(handle_) : nullptr);
}

std::optional<std::uint32_t> Process::exitCode() {
    DWORD code = 0;
    // STILL_ACTIVE is also a code a process may end with; only the handle tells whether it has.
    if (!exitCode_ && handle_ != kNone && WaitForSingleObject(AsHandle(handle_), 0) == WAIT_OBJECT_0 &&
        GetExitCodeProcess(AsHandle(handle_), &code) != FALSE) {
        exitCode_ = code;
    }
    return exitCode_;
}

StartedScript StartScript(const std::string& folder, std::string_view scriptName) {
    // cmd would start happily and only then miss the script, so look first.
    const DWORD attributes = GetFileAttributesW(FilePath(JoinPath(folder, scriptName)).c_str());
    if (attributes == INVALID_FILE_ATTRIBUTES || (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return {DescribeError(attributes == INVALID_FILE_ATTRIBUTES ? GetLastError() : ERROR_FILE_NOT_FOUND),
                {}};
    }
    // The system's own cmd runs the script by its name in the current folder: the full path never passes
    // through cmd's parser, which would expand a folder name's % or ! and split it at & or ^.
    wchar_t system[MAX_PATH];
    const UINT length = GetSystemDirectoryW(system, MAX_PATH);
    if (length == 0 || length >= MAX_PATH) {
        return {DescribeError(GetLastError()), {}};
    }
    const std::wstring interpreter = std::wstring(system, length) + L"\\cmd.exe";
    // Minimised in the taskbar, and the keyboard stays with the tool: keys meant for it must never answer the
    // script's own questions (xcopy's "overwrite?", pause) in a window nobody sees.
    Started started =
        Start(interpreter.c_str(), L"cmd.exe /d /v:off /c .\\" + Widen(scriptName), SW_SHOWMINNOACTIVE);
    if (started.failure) {
        return {std::move(started.failure), Process()};
    }
    return {std::nullopt, Process(reinterpret_cast<std::intptr_t>(started.process.release()))};
}

}  // namespace quorbel::platform
