// The host half of the platform layer's folders. Hidden means a name starting with "."; there is no system
// attribute.
#include <dirent.h>
#include <sys/stat.h>

#include "core/handles_posix.h"
#include "core/platform_files.h"
#include "core/platform_folders.h"

namespace quorbel::platform {

std::vector<std::string> ListFiles(const std::string& folder, std::string_view prefix) {
    std::vector<std::string> names;
    const posix::UniqueDir dir(opendir(folder.c_str()));
    while (const dirent* entry = dir ? readdir(dir.get()) : nullptr) {
        struct stat info {};
        const std::string name = entry->d_name;
        if (name.starts_with(prefix) && lstat(JoinPath(folder, name).c_str(), &info) == 0 &&
            S_ISREG(info.st_mode)) {
            names.push_back(name);
        }
    }
    return names;
}

std::vector<FolderEntry> ListVisibleEntries(const std::string& folder) {
    std::vector<FolderEntry> entries;
    const posix::UniqueDir dir(opendir(folder.c_str()));
    if (!dir) {
        return entries;
    }
    while (const dirent* entry = readdir(dir.get())) {
        const std::string_view name = entry->d_name;
        if (name.front() == '.' && name != "." && name != "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            isFolder = stat((folder + std::string(name)).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back({std::string(name), isFolder});
    }
    return entries;
}

std::optional<std::string> FolderIdentity(const std::string& folder) {
    struct stat info {};
    if (stat(folder.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return std::to_string(info.st_dev) + ":" + std::to_string(info.st_ino);
}

}  // namespace quorbel::platform
