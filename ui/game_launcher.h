// Starts the game beside the tool.
#pragma once

#include <string>

#include "core/platform_processes.h"

namespace quorbel::ui {

// How the game is started, replaceable in tests: as a process of its own, or, for a game that asks for
// administrator rights, through the shell, which asks the player for consent.
using GameStarter = platform::Outcome (*)(const std::string& path, bool withConsent);

// The system's own way.
platform::Outcome StartGame(const std::string& path, bool withConsent);

// Starts exactly the game's file, shown normally, in the tool's current folder, without waiting for it.
platform::Outcome LaunchGame(const std::string& appFolder, GameStarter start = StartGame);

}  // namespace quorbel::ui
