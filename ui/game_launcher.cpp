#include "ui/game_launcher.h"

#include "core/application_folder.h"

namespace quorbel::ui {

platform::Outcome LaunchGame(const std::string& appFolder) {
    return platform::StartProcess(GamePath(appFolder), platform::ShowState::Normal);
}

}  // namespace quorbel::ui
