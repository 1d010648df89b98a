// Real temporary folders for the tests, and scripts that record the folder they ran in.
#pragma once

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <string_view>
#include <thread>
#include <vector>

#include "core/platform.h"
#ifdef _WIN32
#include "core/handles_win.h"
#endif

namespace quorbel::testing {
namespace fs = std::filesystem;

inline fs::path PathOf(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
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
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        throw std::runtime_error("cannot write " + path);
    }
}

inline std::string ReadBytes(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

// The names in the folder, sorted.
inline std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathOf(folder))) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

#ifdef _WIN32
// By extended paths, which alone reach a folder named "Liga." or one past MAX_PATH;
// std::filesystem::remove_all here can spin for good on a file that is still in use.
inline void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    if (const auto search =
            win::OwnFileHandle<win::UniqueSearch>(FindFirstFileW((folder + L"\\*").c_str(), &data))) {
        do {
            const std::wstring name = data.cFileName, child = folder + L"\\" + name;
            if (name == L"." || name == L"..") {
                continue;
            }
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW(child.c_str());
            } else if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0) {
                RemoveDirectoryW(child.c_str());  // a link: never what it points to
            } else {
                RemoveTree(child);
            }
        } while (FindNextFileW(search.get(), &data) != FALSE);
    }
    RemoveDirectoryW(folder.c_str());
}
#endif

// A fresh folder below the system's temporary folder, removed with everything in it at the end. Its name
// carries blanks and umlauts, so that every test also walks such paths.
class TestFolder {
  public:
    explicit TestFolder(std::string_view nameHint = "Quorbel Test \xC3\xA4") {
        static std::atomic<unsigned> counter{0};
        const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
        const std::u8string base =
            (fs::temp_directory_path() /
             PathOf(std::string(nameHint) + " " + std::to_string(stamp) + "-" + std::to_string(counter++)))
                .u8string();
        path_.assign(base.begin(), base.end());
        MakeFolders(path_);
    }
    ~TestFolder() {
        // A script the test started may still be leaving its folder; give it a moment.
        for (int attempt = 0; attempt < 40 && Exists(path_); ++attempt) {
            std::this_thread::sleep_for(std::chrono::milliseconds(attempt == 0 ? 0 : 50));
#ifdef _WIN32
            RemoveTree(L"\\\\?\\" + PathOf(path_).wstring());
#else
            std::error_code ignored;
            fs::remove_all(PathOf(path_), ignored);
#endif
        }
    }
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& path() const {
        return path_;
    }
    std::string operator/(std::string_view relative) const {
        return platform::JoinPath(path_, relative);
    }

  private:
    std::string path_;
};

// "<app>/quorbel/<folderName>" with an inst.bat and a clear.bat that each leave "<script>.ran" in the folder
// they run in: a script started in any other folder leaves nothing where the tests look.
inline std::string MakeDataset(const std::string& appFolder, std::string_view folderName) {
    const std::string folder = platform::JoinPath(platform::JoinPath(appFolder, "quorbel"), folderName);
    MakeFolders(folder);
    for (const std::string script : {"inst.bat", "clear.bat"}) {
#ifdef _WIN32
        WriteBytes(platform::JoinPath(folder, script), "@echo off\r\necho.>\"" + script + ".ran\"\r\n");
#else
        WriteBytes(platform::JoinPath(folder, script), "#!/bin/sh\n: > " + script + ".ran\n");
        fs::permissions(PathOf(platform::JoinPath(folder, script)), fs::perms::owner_all);
#endif
    }
    return folder;
}

// True once the script has left its mark in the folder; false when it did not within a generous grace period.
// This waits for a process; it does not time one.
inline bool Ran(const std::string& folder, std::string_view scriptName) {
    const std::string mark = platform::JoinPath(folder, std::string(scriptName) + ".ran");
    for (int attempt = 0; attempt < 600 && !Exists(mark); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Exists(mark);
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
                if (letGo) {
                    held.reset();
                }
            }};
}

// A copy of a program built beside the running test, such as Quorbel.exe or the stand-in glenmarra.exe.
inline void CopyBuiltProgram(const wchar_t* name, const std::string& folder, const wchar_t* as = nullptr) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::copy_file(fs::path(self).replace_filename(name), PathOf(folder) / (as != nullptr ? as : name),
                  fs::copy_options::overwrite_existing);
}
#endif

}  // namespace quorbel::testing
