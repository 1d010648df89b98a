// Real temporary folders for the tests, and scripts that record the folder they ran in; with GoogleTest and
// the standard headers every test takes from here.
#pragma once

#ifdef _WIN32
#include <windows.h>

#include "core/handles_win.h"
#endif

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

#include "core/platform_files.h"
#include "core/platform_text.h"

namespace quorbel::testing {
namespace fs = std::filesystem;

inline fs::path PathOf(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

inline std::string Utf8(const fs::path& path) {
    const std::u8string utf8 = path.u8string();
    return std::string(utf8.begin(), utf8.end());
}

inline bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(PathOf(path), ignored);
}

inline void MakeFolders(const std::string& path) {
    fs::create_directories(PathOf(path));
}

inline void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    EXPECT_TRUE(out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) << path;
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in the folder, sorted.
inline std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathOf(folder))) {
        names.push_back(Utf8(entry.path().filename()));
    }
    std::sort(names.begin(), names.end());
    return names;
}

// Asks done every 50 ms until it holds; false when it never did within the rounds. This waits for another
// process; it does not time one.
template <typename Done>
inline bool WaitFor(const Done& done, int rounds = 1200) {
    for (int round = 0; round < rounds && !done(); ++round) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return done();
}

// Folder by folder, the read-only mark taken off first; true once the folder is gone. A link (only the native
// tests make one) goes as itself, never what it points to. std::filesystem::remove_all here can spin for good
// on a file that is still in use.
inline bool RemoveTree(const fs::path& folder) {
    std::error_code listing, ignored;
    for (fs::directory_iterator entry(folder, listing), end; !listing && entry != end;
         entry.increment(listing)) {
        if (!entry->is_symlink(ignored)) {
            fs::permissions(entry->path(), fs::perms::owner_write, fs::perm_options::add, ignored);
            if (entry->is_directory(ignored)) {
                RemoveTree(entry->path());
            }
        }
        fs::remove(entry->path(), ignored);
    }
    fs::remove(folder, ignored);
    return !fs::exists(folder, ignored);
}

// A fresh folder below the system's temporary folder, removed with everything in it at the end. Its name
// carries blanks and umlauts, so that every test also walks such paths.
class TestFolder {
  public:
    explicit TestFolder(std::string_view nameHint = "Quorbel Test \xC3\xA4") {
        static unsigned counter = 0;
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::string name =
            std::string(nameHint) + " " + std::to_string(stamp) + "-" + std::to_string(counter++);
        path_ = Utf8(fs::temp_directory_path() / PathOf(name));
        MakeFolders(path_);
    }
    // A script the test started may still be leaving its folder, or see its file "hold" go: it is given a
    // few seconds.
    ~TestFolder() {
        WaitFor([&] { return RemoveTree(PathOf(path_)); }, 100);
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(std::string_view relative) const { return platform::JoinPath(path_, relative); }

  private:
    std::string path_;
};

// A script that leaves "<script>.ran" in the folder it runs in, so that one started in any other folder
// leaves nothing where the tests look; then, while a file "hold" lies there, it waits; then it leaves
// "<script>.done" and ends with the code.
inline void WriteScript(const std::string& folder, const std::string& script, int exitCode = 0) {
    const std::string path = platform::JoinPath(folder, script), code = std::to_string(exitCode);
#ifdef _WIN32
    const std::string wait = ":wait\r\nif exist hold (ping -n 2 127.0.0.1 >nul & goto wait)\r\n";
    WriteBytes(path, "@echo off\r\necho.>" + script + ".ran\r\n" + wait + "echo.>" + script +
                         ".done\r\nexit /b " + code + "\r\n");
#else
    const std::string wait = "while [ -e hold ]; do sleep 0.05; done\n";
    WriteBytes(path,
               "#!/bin/sh\n: > " + script + ".ran\n" + wait + ": > " + script + ".done\nexit " + code + "\n");
    fs::permissions(PathOf(path), fs::perms::owner_all);
#endif
}

// "<app>/quorbel/<folderName>" with such an inst.bat and clear.bat.
inline std::string MakeDataset(const std::string& appFolder, std::string_view folderName) {
    const std::string folder = platform::JoinPath(platform::JoinPath(appFolder, "quorbel"), folderName);
    MakeFolders(folder);
    WriteScript(folder, "inst.bat");
    WriteScript(folder, "clear.bat");
    return folder;
}

// True once the script has left its mark in the folder.
inline bool Ran(const std::string& folder, std::string_view scriptName) {
    return WaitFor(
        [mark = platform::JoinPath(folder, std::string(scriptName) + ".ran")] { return Exists(mark); });
}

#ifdef _WIN32
// The file held open without sharing, as a virus scanner or a backup holds it, until the handle goes.
inline win::UniqueHandle Hold(const std::string& path) {
    return win::OwnFileHandle<win::UniqueHandle>(
        CreateFileW(PathOf(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr));
}

// Three tries again, each pause counted; the holder lets go at the first when letGo is set.
inline platform::WhileHeld CountingPauses(win::UniqueHandle& held, int& pauses, bool letGo) {
    return {3, [&held, &pauses, letGo] {
                ++pauses;
                held.reset(letGo ? nullptr : held.release());
            }};
}

// A copy of a program built beside the running test, such as Quorbel.exe or the stand-in glenmarra.exe.
inline void CopyBuiltProgram(const wchar_t* name, const std::string& folder, const wchar_t* as = nullptr) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::copy_file(fs::path(self).replace_filename(name), PathOf(folder) / (as != nullptr ? as : name),
                  fs::copy_options::overwrite_existing);
}

// The game's stand-in under that name; with "glenmarra.log" beside it, it notes there where each start ran.
inline void PlantStandIn(const std::string& folder, const wchar_t* as = L"glenmarra.exe") {
    CopyBuiltProgram(L"glenmarra.exe", folder, as);
    WriteBytes(platform::JoinPath(folder, "glenmarra.log"), "");
}

inline bool UnderWine() {
    return GetProcAddress(GetModuleHandleW(L"ntdll.dll"), "wine_get_version") != nullptr;
}

// Wine's own name for a path, and a Linux command run through it; Wine gives no handle to wait on, so the
// caller waits for the command's effect.
inline std::string UnixPath(const std::string& path) {
    using UnixName = char*(CDECL*)(const wchar_t*);
    const auto unixName = reinterpret_cast<UnixName>(reinterpret_cast<void (*)()>(
        GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "wine_get_unix_file_name")));
    char* name = unixName != nullptr ? unixName(PathOf(path).c_str()) : nullptr;
    const std::string unix = name != nullptr ? name : "";
    HeapFree(GetProcessHeap(), 0, name);
    return unix;
}

// A program started without a console, in the folder when one is given; null where it could not start.
inline win::UniqueHandle StartProgram(const std::string& program, const std::string& folder = "",
                                      const std::string& arguments = "") {
    std::wstring line = platform::Widen("\"" + program + "\"" + (arguments.empty() ? "" : " ") + arguments);
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION started{};
    CreateProcessW(nullptr, line.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                   folder.empty() ? nullptr : PathOf(folder).c_str(), &startup, &started);
    const win::UniqueHandle thread(started.hThread);
    return win::UniqueHandle(started.hProcess);
}

inline void RunShell(const std::string& command) {
    StartProgram("/bin/sh", "", "-c \"" + command + "\"");
}
#else
inline std::string UnixPath(const std::string& path) {
    return path;
}

inline void RunShell(const std::string& command) {
    [[maybe_unused]] const int status = std::system(command.c_str());
}
#endif

// The folder refuses every new file, even to root, as "Program Files" refuses a standard user, for as long as
// this lives; made is false where this machine cannot do that (no ext4, no right to change attributes).
// Wine gives no handle to wait on, so the command leaves a mark beside the folder once it is done. The lock
// is asked for once, and its mark awaited before letting go: a lock that came late would stay for good.
class Unwritable {
  public:
    explicit Unwritable(const std::string& folder) : folder_(folder), unix_("'" + UnixPath(folder) + "'") {
        RunShell("chattr +i " + unix_ + " 2>/dev/null || chmod a-w " + unix_ + "; : > " + unix_ + "'.done'");
        made = WaitFor([&] { return Exists(folder_ + ".done"); }, 200) && !takesFiles();
    }
    ~Unwritable() {
        WaitFor([&] { return Exists(folder_ + ".done"); }, 200);
        RunShell("chattr -i " + unix_ + " 2>/dev/null; chmod u+w " + unix_ + "; rm " + unix_ + "'.done'");
        EXPECT_TRUE(WaitFor([&] { return !Exists(folder_ + ".done"); }, 200) && takesFiles())
            << folder_ << " still refuses new files: chattr -i it";
    }
    Unwritable(const Unwritable&) = delete;
    Unwritable& operator=(const Unwritable&) = delete;

    bool made = false;

  private:
    bool takesFiles() const {
        const bool taken = std::ofstream(PathOf(platform::JoinPath(folder_, "probe"))).good();
        std::error_code ignored;
        fs::remove(PathOf(platform::JoinPath(folder_, "probe")), ignored);
        return taken;
    }

    std::string folder_, unix_;
};

}  // namespace quorbel::testing
