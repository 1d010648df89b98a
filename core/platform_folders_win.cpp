// The Windows half of the platform layer's folders, by the W functions only.
#include <windows.h>

#include <cstring>

#include "core/handles_win.h"
#include "core/platform_files.h"
#include "core/platform_folders.h"
#include "core/platform_text.h"

namespace quorbel::platform {

std::vector<std::string> ListFiles(const std::string& folder, std::string_view prefix) {
    std::vector<std::string> names;
    WIN32_FIND_DATAW data{};
    const std::wstring pattern = FilePath(JoinPath(folder, prefix) + "*");
    const auto search = win::OwnFileHandle<win::UniqueSearch>(
        FindFirstFileExW(pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, 0));
    for (bool more = search != nullptr; more; more = FindNextFileW(search.get(), &data) != FALSE) {
        if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            names.push_back(Narrow(data.cFileName));
        }
    }
    return names;
}

std::vector<FolderEntry> ListVisibleEntries(const std::string& folder) {
    std::vector<FolderEntry> entries;
    WIN32_FIND_DATAW data{};
    const std::wstring pattern = FilePath(folder + "*");
    const auto search = win::OwnFileHandle<win::UniqueSearch>(FindFirstFileExW(
        pattern.c_str(), FindExInfoBasic, &data, FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH));
    if (!search) {
        return entries;
    }
    do {
        if ((data.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM)) == 0) {
            entries.push_back(
                {Narrow(data.cFileName), (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0});
        }
    } while (FindNextFileW(search.get(), &data) != FALSE);
    return entries;
}

std::optional<std::string> FolderIdentity(const std::string& folder) {
    const auto opened = win::OwnFileHandle<win::UniqueHandle>(
        CreateFileW(FilePath(folder).c_str(), FILE_READ_ATTRIBUTES,
                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                    FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    if (!opened) {
        return std::nullopt;
    }
    // The 128-bit id where the file system has one (ReFS), the 64-bit index elsewhere.
    FILE_ID_INFO id{};
    if (GetFileInformationByHandleEx(opened.get(), FileIdInfo, &id, sizeof id) == FALSE) {
        BY_HANDLE_FILE_INFORMATION information{};
        if (GetFileInformationByHandle(opened.get(), &information) == FALSE) {
            return std::nullopt;
        }
        id.VolumeSerialNumber = information.dwVolumeSerialNumber;
        const ULONGLONG index =
            (static_cast<ULONGLONG>(information.nFileIndexHigh) << 32) | information.nFileIndexLow;
        std::memcpy(id.FileId.Identifier, &index, sizeof index);
    }
    const std::string identity(reinterpret_cast<const char*>(id.FileId.Identifier),
                               sizeof id.FileId.Identifier);
    // Some network servers report no id at all: such a folder is known by its path.
    if (identity.find_first_not_of('\0') == std::string::npos) {
        return std::nullopt;
    }
    return std::to_string(id.VolumeSerialNumber) + ":" + identity;
}

}  // namespace quorbel::platform
