// Starts the game beside the tool.
#pragma once

#include <string>

#include "core/platform.h"

namespace quorbel::ui {

// Starts exactly the game's file, shown normally, in the tool's current folder, without waiting for it.
platform::Outcome LaunchGame(const std::string& appFolder);

}  // namespace quorbel::ui
