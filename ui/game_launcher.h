// Starts the game beside the tool.
#pragma once

#include <string>

#include "core/platform_processes.h"

namespace quorbel::ui {

// How the game is started, replaceable in tests: as a process of its own, and, for a game that asks for
// administrator rights, through the shell, which asks the player for consent.
struct GameStarter {
    platform::Outcome (*start)(const std::string& path);
    platform::Outcome (*startWithConsent)(const std::string& path);
};

// The system's own ways.
GameStarter SystemGameStarter();

// Starts exactly the game's file, shown normally, in the tool's current folder, without waiting for it.
platform::Outcome LaunchGame(const std::string& appFolder, const GameStarter& starter = SystemGameStarter());

}  // namespace quorbel::ui
