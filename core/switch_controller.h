// The switching state behind the window: league list, selection, the three enabled flags and the
// activity log. It knows no window; the window reads the state after each operation and shows it.
#pragma once

#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"

namespace quorbel {

class SwitchController {
  public:
    // whileHeld: how long quorbel.ini is tried again while another program holds it.
    explicit SwitchController(std::string appFolder, platform::WhileHeld whileHeld = {});

    // Fills the league list and, when quorbel.ini names one of its entries, comes up installed.
    void initialise();
    // A new selection in the league list; -1 for none.
    void selectLeague(int index);
    // Starts the selected dataset's inst.bat and records it as installed.
    void install();
    // Starts the installed dataset's clear.bat and records the game's own data.
    void restore();

    const std::string& applicationFolder() const noexcept { return appFolder_; }
    const std::vector<std::string>& leagues() const noexcept { return leagues_; }
    int selectedIndex() const noexcept { return selectedIndex_; }
    bool cboligaEnabled() const noexcept { return cboligaEnabled_; }
    bool btnpatchenEnabled() const noexcept { return btnpatchenEnabled_; }
    bool btnrestoreEnabled() const noexcept { return btnrestoreEnabled_; }
    const std::vector<std::string>& activityLog() const noexcept { return log_; }

  private:
    const std::string* selectedName() const noexcept;
    // Starts the script from its dataset folder; false (with a log line saying why) when it did not start.
    bool startScript(const std::string& datasetName, std::string_view scriptName);
    void record(std::string_view datasetName);

    std::string appFolder_;
    platform::WhileHeld whileHeld_;
    std::vector<std::string> leagues_;
    int selectedIndex_ = -1;
    bool cboligaEnabled_ = true;
    bool btnpatchenEnabled_ = false;
    bool btnrestoreEnabled_ = false;
    std::vector<std::string> log_;
};

}  // namespace quorbel
