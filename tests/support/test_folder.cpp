#include "support/test_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

namespace quorbel::testing {
namespace fs = std::filesystem;
namespace {

#ifdef _WIN32
// By extended paths, which alone reach a folder named "Liga." or one past MAX_PATH;
// std::filesystem::remove_all here can spin for good on a file that is still in use.
void RemoveTree(const std::wstring& folder) {
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

}  // namespace

fs::path PathOf(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

TestFolder::TestFolder(std::string_view nameHint) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const std::u8string base =
        (fs::temp_directory_path() /
         PathOf(std::string(nameHint) + " " + std::to_string(stamp) + "-" + std::to_string(counter++)))
            .u8string();
    path_.assign(base.begin(), base.end());
    MakeFolders(path_);
}

TestFolder::~TestFolder() {
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

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    if (!out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()))) {
        throw std::runtime_error("cannot write " + path);
    }
}

std::string ReadBytes(const std::string& path) {
    std::ifstream in(PathOf(path), std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

bool Exists(const std::string& path) {
    std::error_code ignored;
    return fs::exists(PathOf(path), ignored);
}

void MakeFolders(const std::string& path) {
    fs::create_directories(PathOf(path));
}

std::vector<std::string> Entries(const std::string& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(PathOf(folder))) {
        const std::u8string name = entry.path().filename().u8string();
        names.emplace_back(name.begin(), name.end());
    }
    std::sort(names.begin(), names.end());
    return names;
}

std::string MakeDataset(const std::string& appFolder, std::string_view folderName) {
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

bool Ran(const std::string& folder, std::string_view scriptName) {
    const std::string mark = platform::JoinPath(folder, std::string(scriptName) + ".ran");
    for (int attempt = 0; attempt < 600 && !Exists(mark); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Exists(mark);
}

#ifdef _WIN32
HeldFile::HeldFile(const std::string& path)
    : handle_(win::OwnFileHandle<win::UniqueHandle>(
          CreateFileW(PathOf(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0, nullptr))) {
    if (!handle_) {
        throw std::runtime_error("cannot hold " + path);
    }
}

platform::WhileHeld CountingPauses(HeldFile& held, int& pauses, bool letGo) {
    return {3, [&held, &pauses, letGo] {
                ++pauses;
                if (letGo) {
                    held.letGo();
                }
            }};
}

void CopyBuiltProgram(const wchar_t* name, const std::string& folder, const wchar_t* as) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::copy_file(fs::path(self).replace_filename(name), PathOf(folder) / (as != nullptr ? as : name),
                  fs::copy_options::overwrite_existing);
}
#endif

}  // namespace quorbel::testing
