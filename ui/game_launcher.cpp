#include "ui/game_launcher.h"

namespace quorbel::ui {

std::string GamePath(const std::string& appFolder) {
    return appFolder + "\\glenmarra.exe";
}

platform::Outcome LaunchGame(const std::string& appFolder) {
    return platform::StartProcess(GamePath(appFolder), platform::ShowState::Normal);
}

}  // namespace quorbel::ui
