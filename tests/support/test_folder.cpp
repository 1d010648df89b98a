#include "support/test_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <thread>

#include "core/platform.h"

namespace quorbel::testing {
namespace fs = std::filesystem;
namespace {

const std::string kSep(platform::kSeparator);

#ifdef _WIN32
// By extended paths, which alone reach a folder named "Liga." or one past MAX_PATH;
// std::filesystem::remove_all here can spin for good on a file that is still in use.
void RemoveTree(const std::wstring& folder) {
    WIN32_FIND_DATAW data{};
    const HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &data);
    if (search != INVALID_HANDLE_VALUE) {
        do {
            const std::wstring name = data.cFileName;
            const std::wstring child = folder + L"\\" + name;
            if (name == L"." || name == L"..") {
                continue;
            }
            SetFileAttributesW(child.c_str(), FILE_ATTRIBUTE_NORMAL);
            if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
                DeleteFileW(child.c_str());
            } else if ((data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) == 0) {
                RemoveTree(child);
            } else {
                RemoveDirectoryW(child.c_str());
            }
        } while (FindNextFileW(search, &data) != FALSE);
        FindClose(search);
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
    const fs::path base =
        fs::temp_directory_path() /
        PathOf(std::string(nameHint) + " " + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(base);
    const std::u8string text = base.u8string();
    path_ = Canonical(std::string(text.begin(), text.end()));
}

TestFolder::~TestFolder() {
    // A script the test started may still be leaving its folder; give it a moment.
    for (int attempt = 0; attempt < 40 && Exists(path_); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(attempt == 0 ? 0 : 50));
#ifdef _WIN32
        RemoveTree(L"\\\\?\\" + PathOf(path_).wstring());
#else
        std::error_code error;
        for (fs::recursive_directory_iterator it(PathOf(path_), error), end; !error && it != end;
             it.increment(error)) {
            fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
        }
        fs::remove_all(PathOf(path_), error);
#endif
    }
}

std::string TestFolder::operator/(std::string_view relative) const {
    return path_ + kSep + std::string(relative);
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
    const std::string folder = appFolder + kSep + "quorbel" + kSep + std::string(folderName);
    MakeFolders(folder);
    for (const std::string script : {"inst.bat", "clear.bat"}) {
#ifdef _WIN32
        WriteBytes(folder + kSep + script, "@echo off\r\necho.>\"" + script + ".ran\"\r\n");
#else
        WriteBytes(folder + kSep + script, "#!/bin/sh\n: > " + script + ".ran\n");
        chmod((folder + kSep + script).c_str(), 0755);
#endif
    }
    return folder;
}

bool Ran(const std::string& folder, std::string_view scriptName) {
    const std::string mark = folder + kSep + std::string(scriptName) + ".ran";
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

void CopyBuiltProgram(const wchar_t* name, const std::string& folder, const wchar_t* as) {
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    fs::copy_file(fs::path(self).replace_filename(name), PathOf(folder) / (as != nullptr ? as : name),
                  fs::copy_options::overwrite_existing);
}
#endif

std::string Canonical(const std::string& path) {
#ifdef _WIN32
    const std::wstring wide = platform::Widen(path);
    std::wstring full(4096, L'\0');
    const DWORD length = GetLongPathNameW(wide.c_str(), full.data(), 4096);
    full.resize(length < 4096 ? length : 0);
    if (full.empty()) {
        full = wide;
    }
    while (full.size() > 3 && full.back() == L'\\') {
        full.pop_back();
    }
    return platform::Narrow(full);
#else
    std::error_code error;
    const std::u8string text = fs::canonical(PathOf(path), error).u8string();
    return error ? path : std::string(text.begin(), text.end());
#endif
}

}  // namespace quorbel::testing
