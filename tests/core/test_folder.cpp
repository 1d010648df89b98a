#include "core/test_folder.h"

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <atomic>
#include <chrono>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <system_error>
#include <thread>

#include "core/platform.h"

namespace quorbel::testing {
namespace fs = std::filesystem;
namespace {

std::string RecordPath(const std::string& folder, std::string_view scriptName) {
    return folder + std::string(platform::kSeparator) + std::string(scriptName) + ".cwd";
}

std::string Decoded(const std::string& bytes, [[maybe_unused]] unsigned codePage) {
#ifdef _WIN32
    const int needed =
        MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), static_cast<int>(bytes.size()), wide.data(), needed);
    return platform::Narrow(wide);
#else
    return bytes;
#endif
}

// The shell writes UTF-8. cmd writes %CD% in the console's code page, which is the OEM page on Windows and
// the ANSI page under some Wine versions: take the reading that names an existing folder.
std::string RecordedText(const std::string& bytes) {
    std::string text = bytes;
    while (!text.empty() && (text.back() == '\n' || text.back() == '\r')) {
        text.pop_back();
    }
#ifdef _WIN32
    const std::string oem = Decoded(text, CP_OEMCP);
    const std::string ansi = Decoded(text, CP_ACP);
    return (!Exists(oem) && Exists(ansi)) ? ansi : oem;
#else
    return Decoded(text, 0);
#endif
}

}  // namespace

fs::path PathOf(std::string_view utf8) {
    return fs::path(std::u8string(utf8.begin(), utf8.end()));
}

std::string Utf8Of(const fs::path& path) {
    const std::u8string text = path.u8string();
    return std::string(text.begin(), text.end());
}

TestFolder::TestFolder(std::string_view nameHint) {
    static std::atomic<unsigned> counter{0};
    const auto stamp = std::chrono::steady_clock::now().time_since_epoch().count();
    const fs::path base =
        fs::temp_directory_path() /
        PathOf(std::string(nameHint) + " " + std::to_string(stamp) + "-" + std::to_string(counter++));
    fs::create_directories(base);
    path_ = Canonical(Utf8Of(base));
}

TestFolder::~TestFolder() {
#ifdef _WIN32
    const fs::path root = L"\\\\?\\" + PathOf(path_).wstring();  // tests go past MAX_PATH
#else
    const fs::path root = PathOf(path_);
#endif
    std::error_code error;
    for (fs::recursive_directory_iterator it(root, error), end; !error && it != end; it.increment(error)) {
        fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add, error);
#ifdef _WIN32
        SetFileAttributesW(it->path().c_str(), FILE_ATTRIBUTE_NORMAL);
#endif
    }
    fs::remove_all(root, error);
}

std::string TestFolder::operator/(std::string_view relative) const {
    return path_ + std::string(platform::kSeparator) + std::string(relative);
}

void WriteBytes(const std::string& path, std::string_view bytes) {
    std::ofstream out(PathOf(path), std::ios::binary | std::ios::trunc);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    if (!out) {
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

void MakeFolder(const std::string& path) {
#ifdef _WIN32
    CreateDirectoryW(platform::Widen(path).c_str(), nullptr);
#else
    mkdir(path.c_str(), 0755);
#endif
}

void SetHidden(const std::string& path) {
#ifdef _WIN32
    const fs::path p = PathOf(path);
    SetFileAttributesW(p.c_str(), GetFileAttributesW(p.c_str()) | FILE_ATTRIBUTE_HIDDEN);
#else
    (void)path;
#endif
}

void SetSystem(const std::string& path) {
#ifdef _WIN32
    const fs::path p = PathOf(path);
    SetFileAttributesW(p.c_str(), GetFileAttributesW(p.c_str()) | FILE_ATTRIBUTE_SYSTEM);
#else
    (void)path;
#endif
}

void SetReadOnly(const std::string& path, bool readOnly) {
#ifdef _WIN32
    const fs::path p = PathOf(path);
    const DWORD attributes = GetFileAttributesW(p.c_str());
    SetFileAttributesW(p.c_str(), readOnly ? (attributes | FILE_ATTRIBUTE_READONLY)
                                           : (attributes & ~static_cast<DWORD>(FILE_ATTRIBUTE_READONLY)));
#else
    fs::permissions(PathOf(path), fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write,
                    readOnly ? fs::perm_options::remove : fs::perm_options::add);
#endif
}

std::string MakeDataset(const std::string& appFolder, std::string_view folderName) {
    const std::string folder = appFolder + std::string(platform::kSeparator) + "quorbel" +
                               std::string(platform::kSeparator) + std::string(folderName);
    MakeFolders(folder);
    WriteRecordingScript(folder, "inst.bat");
    WriteRecordingScript(folder, "clear.bat");
    return folder;
}

void WriteRecordingScript(const std::string& folder, std::string_view scriptName) {
    const std::string script = folder + std::string(platform::kSeparator) + std::string(scriptName);
    const std::string record = std::string(scriptName) + ".cwd";
#ifdef _WIN32
    // Written into the working folder itself: a script started anywhere else leaves no record where the
    // test looks. (%~dp0 would be simpler, but Wine's cmd drops a "%" from the folder name it expands.)
    WriteBytes(script, "@echo off\r\ncd > \"" + record + "\"\r\n");
#else
    WriteBytes(script, "#!/bin/sh\nhere=$(dirname \"$0\")\npwd -P > \"$here/" + record +
                           ".tmp\" && mv \"$here/" + record + ".tmp\" \"$here/" + record + "\"\n");
    chmod(script.c_str(), 0755);
#endif
}

std::string AwaitRecordedFolder(const std::string& folder, std::string_view scriptName) {
    const std::string record = RecordPath(folder, scriptName);
    for (int attempt = 0; attempt < 600; ++attempt) {
        const std::string bytes = ReadBytes(record);
        if (!bytes.empty() && bytes.back() == '\n') {
            return RecordedText(bytes);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return {};
}

bool AwaitFile(const std::string& path) {
    for (int attempt = 0; attempt < 600 && !Exists(path); ++attempt) {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
    }
    return Exists(path);
}

bool NeverRecorded(const std::string& folder, std::string_view scriptName) {
    std::this_thread::sleep_for(std::chrono::milliseconds(500));
    return !Exists(RecordPath(folder, scriptName));
}

std::string Canonical(const std::string& path) {
#ifdef _WIN32
    const std::wstring wide = platform::Widen(path);
    wchar_t full[4096];
    const DWORD length = GetFullPathNameW(wide.c_str(), 4096, full, nullptr);
    wchar_t longName[4096];
    const DWORD longLength = GetLongPathNameW(full, longName, 4096);
    std::wstring result =
        longLength > 0 && longLength < 4096 ? std::wstring(longName, longLength) : std::wstring(full, length);
    while (result.size() > 3 && result.back() == L'\\') {
        result.pop_back();
    }
    return platform::Narrow(result);
#else
    std::error_code error;
    const fs::path resolved = fs::canonical(PathOf(path), error);
    return error ? path : Utf8Of(resolved);
#endif
}

}  // namespace quorbel::testing
