// The folder of the running exe, which is the game's folder.
#pragma once

#include <string>
#include <string_view>

namespace quorbel::ui {

// The folder part of an exe's path: no trailing backslash, except at a drive's root ("Q:\").
std::string ApplicationFolderOf(std::wstring_view exePath);

// The folder of the running exe, as the system reports it.
std::string ApplicationFolder();

}  // namespace quorbel::ui
