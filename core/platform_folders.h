// The folder operations the switching core needs: listing a folder and knowing a folder however it is
// reached. Paths are UTF-8; platform_folders_win.cpp maps every call onto the W functions,
// platform_folders_posix.cpp onto POSIX for the host build.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorbel::platform {

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// The names of the plain files in the folder that begin with the prefix, hidden ones included.
std::vector<std::string> ListFiles(const std::string& folder, std::string_view prefix);

// The folder's entries in the file system's order, "." and ".." included; hidden and system entries are
// left out. Whether an entry is a folder comes with the listing, as the file system reports it there.
// Ends with what was found so far when the listing fails part-way.
std::vector<FolderEntry> ListVisibleEntries(const std::string& folder);

// What names the folder itself, however it is reached (another drive letter, a link, a junction): the
// volume and the file index on Windows, the device and the inode elsewhere. Empty when it cannot be opened.
std::optional<std::string> FolderIdentity(const std::string& folder);

}  // namespace quorbel::platform
