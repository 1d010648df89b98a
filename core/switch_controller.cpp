#include "core/switch_controller.h"

#include <utility>

#include "core/dataset_catalogue.h"
#include "core/platform.h"
#include "core/settings_file.h"

namespace quorbel {
namespace {

std::string FailureText(const platform::Failure& failure) {
    return failure.description + " (Fehler " + std::to_string(failure.code) + ")";
}

}  // namespace

SwitchController::SwitchController(std::string appFolder, platform::WhileHeld whileHeld)
    : appFolder_(std::move(appFolder)), whileHeld_(std::move(whileHeld)) {}

void SwitchController::initialise() {
    const ReadResult read = SettingsFile::ReadActiveDataset(appFolder_, whileHeld_);
    // Without a line the window would show nothing installed although a dataset may well be.
    if (read.failure) {
        const bool held = platform::HeldByAnotherProgram(*read.failure);
        log_.push_back("quorbel.ini konnte nicht gelesen werden" +
                       (held ? ", weil ein anderes Programm die Datei geöffnet hält (Fehler " +
                                   std::to_string(read.failure->code) + ")"
                             : ": " + FailureText(*read.failure)) +
                       ". Welcher Datensatz eingesetzt ist, ist deshalb unbekannt.");
    }
    leagues_ = DatasetCatalogue::ListDatasetNames(appFolder_);
    if (const auto position = DatasetCatalogue::FindActiveDataset(leagues_, read.activeDataset)) {
        // Selecting the entry offers install, as a pick by the player would; the installed state takes it
        // back.
        selectLeague(static_cast<int>(*position));
        cboligaEnabled_ = false;
        btnrestoreEnabled_ = true;
        btnpatchenEnabled_ = false;
    }
}

void SwitchController::selectLeague(int index) {
    selectedIndex_ = index;
    if (index >= 0) {
        btnpatchenEnabled_ = true;
    }
}

const std::string* SwitchController::selectedName() const noexcept {
    if (selectedIndex_ < 0 || static_cast<std::size_t>(selectedIndex_) >= leagues_.size()) {
        return nullptr;
    }
    return &leagues_[static_cast<std::size_t>(selectedIndex_)];
}

void SwitchController::install() {
    const std::string* name = selectedName();
    if (name == nullptr) {
        return;
    }
    log_.push_back("Installieren von '" + *name + "'");
    if (!startScript(*name, "inst.bat")) {
        return;
    }
    cboligaEnabled_ = false;
    btnrestoreEnabled_ = true;
    btnpatchenEnabled_ = false;
    record(*name);
}

void SwitchController::restore() {
    const std::string* name = selectedName();
    if (name == nullptr) {
        return;
    }
    log_.push_back("Deinstallieren von '" + *name + "'");
    if (!startScript(*name, "clear.bat")) {
        return;
    }
    cboligaEnabled_ = true;
    btnrestoreEnabled_ = false;
    btnpatchenEnabled_ = true;
    record("");
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
    } else {
        // Never start a script from the wrong folder: what it copies is relative to its own.
        platform::Outcome failure = platform::SetCurrentFolder(folder);
        if (!failure) {
            failure = platform::StartScript(folder, scriptName);
        }
        if (failure) {
            refusal = FailureText(*failure);
        }
    }
    // Whatever happened, the game started later inherits the application folder.
    platform::SetCurrentFolder(appFolder_);
    if (!refusal.empty()) {
        log_.push_back(std::string(scriptName) + " konnte nicht gestartet werden: " + refusal);
        return false;
    }
    return true;
}

void SwitchController::record(std::string_view datasetName) {
    const SaveResult saved = SettingsFile::WriteActiveDataset(appFolder_, datasetName, whileHeld_);
    switch (saved.kind) {
        case SaveResult::Kind::Saved:
            break;
        case SaveResult::Kind::NotRepresentable:
            log_.push_back("quorbel.ini wurde nicht geändert: Der Name '" + std::string(datasetName) +
                           "' enthält Zeichen, die die Datei nicht speichern kann.");
            break;
        case SaveResult::Kind::Failed:
            log_.push_back("quorbel.ini konnte nicht gespeichert werden: " + FailureText(saved.failure));
            break;
    }
}

}  // namespace quorbel
