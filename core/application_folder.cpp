#include "core/application_folder.h"

#include "core/platform_files.h"
#include "core/platform_folders.h"
#include "core/platform_processes.h"
#include "core/platform_text.h"

namespace quorbel {

std::string ApplicationFolderOf(std::string_view exePath) {
    std::string plain;
    if (exePath.starts_with("\\\\?\\UNC\\")) {
        plain = "\\\\" + std::string(exePath.substr(8));
        exePath = plain;
    } else if (exePath.starts_with("\\\\?\\") && exePath.size() > 5 && exePath[5] == ':') {
        exePath.remove_prefix(4);
    }
    const std::size_t separator = exePath.find_last_of("\\/");
    if (separator == std::string_view::npos) {
        return {};
    }
    // A drive's root keeps its separator: "Q:" alone would name the drive's current folder.
    const bool root = separator == 0 || (separator == 2 && exePath[1] == ':');
    return std::string(exePath.substr(0, root ? separator + 1 : separator));
}

std::string ApplicationFolder() {
    return ApplicationFolderOf(platform::ExecutablePath());
}

std::string GamePath(const std::string& appFolder) {
    return platform::JoinPath(appFolder, "glenmarra.exe");
}

std::uint64_t InstanceKey(const std::string& appFolder) {
    // The same folder reached through another drive letter, subst, a junction or a link is the same game
    // folder; only one that cannot be opened is known by its path alone.
    const auto identity = platform::FolderIdentity(appFolder);
    const std::string name = identity ? "folder " + *identity : "path " + platform::ToLower(appFolder);
    // FNV-1a: stable across runs and builds, which a mutex name shared by two processes needs.
    std::uint64_t key = 0xcbf29ce484222325ULL;
    for (const char c : name) {
        key = (key ^ static_cast<unsigned char>(c)) * 0x100000001b3ULL;
    }
    return key;
}

}  // namespace quorbel
