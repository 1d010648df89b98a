// The switching state behind the window: league list, selection, the three enabled flags and the
// activity log. It knows no window; the window reads the state after each operation and shows it.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform_files.h"
#include "core/platform_processes.h"
#include "core/settings_file.h"

namespace quorbel {

// What the league list, install and restore offer: nothing selected; a league picked and install offered;
// a dataset installed, the list locked and only restore offered.
enum class SwitchState { NoSelection, Selected, Installed };

// A script this tool started, which may still run.
struct RunningScript {
    std::string scriptName;  // inst.bat or clear.bat
    std::string datasetName;
    platform::Process process;

    // "inst.bat von 'Serie A'": how the log and the questions name it.
    std::string label() const { return scriptName + " von '" + datasetName + "'"; }
};

class SwitchController {
  public:
    // whileHeld: how long quorbel.ini is tried again while another program holds it.
    explicit SwitchController(std::string appFolder, platform::WhileHeld whileHeld = {});

    // Fills the league list and, when quorbel.ini names one of its entries, comes up installed.
    void initialise();
    // A new selection in the league list; -1 for none. The list is locked while a dataset is installed.
    void selectLeague(int index);
    // Starts the selected dataset's inst.bat and records it as installed.
    void install();
    // Starts the installed dataset's clear.bat and records the game's own data.
    void restore();

    // Whether the last script started here still runs. Once it has ended, its end is noted: a log line
    // when its exit code was not 0. Never waits.
    bool scriptRunning();
    // The script that may still run, for the window to watch and to name; null when none does.
    const RunningScript* script() const noexcept { return script_.get(); }
    // The name quorbel.ini records as installed although no listed dataset has it; empty when there is none
    // or once a listed dataset has been installed or restored.
    const std::string& unlistedInstalled() const noexcept { return unlisted_; }

    SwitchState state() const noexcept { return state_; }
    const std::string& applicationFolder() const noexcept { return appFolder_; }
    const std::vector<std::string>& leagues() const noexcept { return leagues_; }
    int selectedIndex() const noexcept { return selectedIndex_; }
    bool cboligaEnabled() const noexcept { return state_ != SwitchState::Installed; }
    bool btnpatchenEnabled() const noexcept { return state_ == SwitchState::Selected; }
    bool btnrestoreEnabled() const noexcept { return state_ == SwitchState::Installed; }
    const std::vector<std::string>& activityLog() const noexcept { return log_; }

  private:
    void enter(SwitchState state) noexcept { state_ = state; }
    const std::string* selectedName() const noexcept;
    // Starts the dataset's script and records what quorbel.ini is to name; false, with a log line saying
    // why, when a script of ours still runs, the game folder takes no file, or the script did not start.
    bool runScript(const std::string& datasetName, std::string_view scriptName, std::string_view recorded);
    bool startScript(const std::string& datasetName, std::string_view scriptName);
    void report(const SaveResult& saved, std::string_view recorded);

    std::string appFolder_;
    platform::WhileHeld whileHeld_;
    std::vector<std::string> leagues_;
    int selectedIndex_ = -1;
    SwitchState state_ = SwitchState::NoSelection;
    std::vector<std::string> log_;
    std::unique_ptr<RunningScript> script_;
    std::string unlisted_;
};

}  // namespace quorbel
