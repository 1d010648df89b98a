#include "core/switch_controller.h"

#include <utility>

#include "core/application_folder.h"
#include "core/dataset_catalogue.h"

namespace quorbel {

SwitchController::SwitchController(std::string appFolder, platform::WhileHeld whileHeld)
    : appFolder_(std::move(appFolder)), whileHeld_(std::move(whileHeld)) {}

void SwitchController::initialise() {
    const ReadResult read = SettingsFile::ReadActiveDataset(appFolder_, whileHeld_);
    // Without a line the window would show nothing installed although a dataset may well be.
    if (read.failure) {
        const bool held = platform::HeldByAnotherProgram(*read.failure);
        log_.push_back("quorbel.ini konnte nicht gelesen werden" +
                       (held ? ", " + FailureText({read.failure->code,
                                                   "weil ein anderes Programm die Datei geöffnet hält"})
                             : ": " + FailureText(*read.failure)) +
                       ". Welcher Datensatz eingesetzt ist, ist deshalb unbekannt.");
    }
    leagues_ = DatasetCatalogue::ListDatasetNames(appFolder_);
    // Run from inside the zip or from the downloads, the tool would show an empty list and nothing else.
    if (leagues_.empty() && !platform::FileSize(GamePath(appFolder_)) &&
        !platform::FileSize(DatasetCatalogue::DatasetRoot(appFolder_))) {
        log_.push_back("Weder glenmarra.exe noch der Ordner quorbel liegt in " + appFolder_ +
                       ". Quorbel gehört in den Ordner des Spiels, neben glenmarra.exe.");
    }
    if (const auto position = DatasetCatalogue::FindActiveDataset(leagues_, read.activeDataset)) {
        // Selecting the entry offers install, as a pick by the player would; the installed state takes it
        // back.
        selectLeague(static_cast<int>(*position));
        enter(SwitchState::Installed);
    } else if (!read.activeDataset.empty()) {
        // Still installed, but its folder is gone: another install now would take its data for the game's.
        unlisted_ = read.recorded;
        log_.push_back("quorbel.ini nennt '" + unlisted_ +
                       "' als eingesetzt, doch dieser Datensatz fehlt im Ordner quorbel. Seinen Ordner "
                       "zurücklegen, Quorbel neu starten und das Original wiederherstellen; wie, steht in "
                       "LIESMICH.txt.");
    }
}

void SwitchController::selectLeague(int index) {
    if (state_ == SwitchState::Installed) {
        return;  // the list is locked: restore must take the dataset that is installed
    }
    selectedIndex_ = index;
    if (index >= 0) {
        enter(SwitchState::Selected);
    }
}

const std::string* SwitchController::selectedName() const noexcept {
    if (selectedIndex_ < 0 || static_cast<std::size_t>(selectedIndex_) >= leagues_.size()) {
        return nullptr;
    }
    return &leagues_[static_cast<std::size_t>(selectedIndex_)];
}

void SwitchController::install() {
    if (const std::string* name = selectedName()) {
        log_.push_back("Installieren von '" + *name + "'");
        if (runScript(*name, "inst.bat", *name)) {
            enter(SwitchState::Installed);
        }
    }
}

void SwitchController::restore() {
    if (const std::string* name = selectedName()) {
        log_.push_back("Deinstallieren von '" + *name + "'");
        if (runScript(*name, "clear.bat", "")) {
            enter(SwitchState::Selected);
        }
    }
}

bool SwitchController::scriptRunning() {
    if (!script_) {
        return false;
    }
    const auto code = script_->process.exitCode();
    if (!code) {
        return true;
    }
    if (*code != 0) {
        log_.push_back(script_->label() + " endete mit dem Fehlercode " + std::to_string(*code) +
                       ". Was das heißt, steht in LIESMICH.txt.");
    }
    script_.reset();
    return false;
}

bool SwitchController::runScript(const std::string& datasetName, std::string_view scriptName,
                                 std::string_view recorded) {
    // Two scripts at once mix their copies: a restore would take back what the install still copies.
    if (scriptRunning()) {
        log_.push_back(
            script_->label() +
            " läuft noch. Sein Fenster ist unten in der Taskleiste; wartet es dort auf eine Taste, "
            "sie dort drücken. Erst wenn es sich geschlossen hat, noch einmal versuchen.");
        return false;
    }
    // A script started where the tool cannot record it would leave the next start believing the other state.
    PendingSave save(appFolder_, recorded);
    if (save.folderRefusesWriting()) {
        log_.push_back(
            "Quorbel darf im Spielordner nicht schreiben, deshalb wurde nichts gestartet. Was zu tun ist, "
            "steht in LIESMICH.txt unter \"Spielordner nicht beschreibbar\".");
        return false;
    }
    if (!startScript(datasetName, scriptName)) {
        return false;
    }
    unlisted_.clear();
    report(save.commit(whileHeld_), recorded);
    return true;
}

bool SwitchController::startScript(const std::string& datasetName, std::string_view scriptName) {
    const std::string folder = DatasetCatalogue::DatasetFolderPath(appFolder_, datasetName);
    std::string refusal;
    if (folder.back() == '.') {
        // Windows drops a trailing dot from a path and would run the script of another folder.
        refusal = "Der Ordnername endet mit einem Punkt, den Windows nicht zuverlässig auflöst.";
    } else if (folder.starts_with("\\\\")) {
        // cmd.exe refuses a network path as its current folder: it would start in the Windows folder, miss
        // the script there, and the tool would report an install that never happened.
        refusal =
            "Der Ordner liegt auf einem Netzwerkpfad (\\\\…), von dem Windows keine Stapeldateien "
            "startet. Bitte den Spielordner über einen Laufwerksbuchstaben öffnen.";
    } else if (const platform::Outcome failure = platform::SetCurrentFolder(folder)) {
        // Never start a script from the wrong folder: what it copies is relative to its own.
        refusal = FailureText(*failure);
    } else if (platform::StartedScript started = platform::StartScript(folder, scriptName); started.failure) {
        refusal = FailureText(*started.failure);
    } else {
        script_ = std::make_unique<RunningScript>(
            RunningScript{std::string(scriptName), datasetName, std::move(started.process)});
    }
    // Whatever happened, the game started later inherits the application folder.
    platform::SetCurrentFolder(appFolder_);
    if (!refusal.empty()) {
        log_.push_back(std::string(scriptName) + " konnte nicht gestartet werden: " + refusal);
        return false;
    }
    return true;
}

void SwitchController::report(const SaveResult& saved, std::string_view recorded) {
    switch (saved.kind) {
        case SaveResult::Kind::Saved:
            break;
        case SaveResult::Kind::NotRepresentable:
            log_.push_back("quorbel.ini wurde nicht geändert: Der Name '" + std::string(recorded) +
                           "' enthält Zeichen, die die Datei nicht speichern kann.");
            break;
        case SaveResult::Kind::Failed:
            log_.push_back("quorbel.ini konnte nicht gespeichert werden: " + FailureText(saved.failure));
            break;
    }
}

}  // namespace quorbel
