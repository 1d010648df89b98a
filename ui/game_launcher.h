// Starts the game beside the tool.
#pragma once

#include <string>

#include "core/platform.h"

namespace quorbel::ui {

// The application folder followed by "\glenmarra.exe".
std::string GamePath(const std::string& appFolder);

// Starts exactly that file, shown normally, in the tool's current folder, without waiting for it.
platform::Outcome LaunchGame(const std::string& appFolder);

}  // namespace quorbel::ui
