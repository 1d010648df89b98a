// The game's folder: the tool's exe lives there, beside the game.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace quorbel {

// The folder part of an exe's path: no trailing separator, except at a drive's root ("Q:\"). Started by
// an extended path (\\?\C:\..., \\?\UNC\...), the exe reports one; its folder is the plain path, which
// the core extends again where it must, and which it would otherwise take for a network path.
std::string ApplicationFolderOf(std::string_view exePath);

// The folder of the running exe.
std::string ApplicationFolder();

// The game: the application folder followed by "glenmarra.exe".
std::string GamePath(const std::string& appFolder);

// The same number for the folder however it is reached: one tool runs per game folder.
std::uint64_t InstanceKey(const std::string& appFolder);

}  // namespace quorbel
