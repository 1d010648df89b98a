#include "core/switch_controller.h"

#include <optional>
#include <tuple>

#include "core/dataset_catalogue.h"
#include "support/test_folder.h"

namespace quorbel::testing {
namespace {

using enum SwitchState;
// What the window would show of the controller: each log line up to its first ". " or ": ", which names
// what happened, without the advice after it; and the bytes of quorbel.ini.
using Seen = std::tuple<std::vector<std::string>, SwitchState, int, std::string>;  // log, state, index, file

// Until the controller has noted the end of its script and let it go.
bool Ended(SwitchController& controller) {
    return WaitFor([&] { return !controller.scriptRunning(); }) && controller.script() == nullptr;
}

// Were a script's path ever handed over unquoted, the system (or a shell) would run the program planted
// beside the game folder "app dir" first: the game's stand-in, which notes each start in glenmarra.log.
void PlantDecoy(const TestFolder& parent) {
#ifdef _WIN32
    PlantStandIn(parent.path(), L"app.exe");
#else
    WriteBytes(parent / "glenmarra.log", "");
    WriteBytes(parent / "app", "#!/bin/sh\necho ran >> '" + parent / "glenmarra.log'\n");
    fs::permissions(PathOf(parent / "app"), fs::perms::owner_all);
#endif
}

class SwitchControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        MakeFolders(app_);
        PlantDecoy(parent_);
        ASSERT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));
    }
    void TearDown() override {
        fs::current_path(original_);
        EXPECT_EQ(ReadBytes(parent_ / "glenmarra.log"), "") << "the planted program ran";
    }

    std::string at(std::string_view name) const { return platform::JoinPath(app_, name); }
    std::string dataset(std::string_view folderName) const { return MakeDataset(app_, folderName); }
    std::string ini() const { return ReadBytes(at("quorbel.ini")); }
    bool appFolderIsCurrent() const { return fs::current_path() == PathOf(app_); }
    Seen seen(const SwitchController& c) const {
        std::vector<std::string> log;
        for (const std::string& line : c.activityLog()) {
            log.push_back(line.substr(0, std::min({line.find(". "), line.find(": "), line.size() - 1}) + 1));
        }
        return {log, c.state(), c.selectedIndex(), ini()};
    }

    SwitchController started() const {
        SwitchController controller(app_);
        controller.initialise();
        return controller;
    }
    // Initialised, with the named league picked as a player would, and the current folder elsewhere.
    SwitchController selected(std::string_view name) const {
        SwitchController controller = started();
        const auto found = std::find(controller.leagues().begin(), controller.leagues().end(), name);
        EXPECT_NE(found, controller.leagues().end()) << name;
        controller.selectLeague(static_cast<int>(found - controller.leagues().begin()));
        EXPECT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));
        return controller;
    }

    const fs::path original_ = fs::current_path();
    TestFolder elsewhere_{"Quorbel elsewhere"};
    TestFolder parent_{"Quorbel App \xC3\xA4"};
    const std::string app_ = parent_ / "app dir";
};

// Also in folders whose names cmd would expand, split or swallow if a path ever passed through its parser;
// and a state the file cannot record is still the state the started script brings.
TEST_F(SwitchControllerTest, InstallAndRestoreRunTheScriptsInTheirFolderAndRecordTheNameOrSayWhyNot) {
    dataset("Bundesliga");
    for (const char* folderName : {"Premier_League", "A&B_Liga", "100%_Liga", "%PATH%", "Caret^Liga",
                                   "Bang!Liga", "O'Brien_1", "K\xC3\xB6ln", "__Rand__"}) {
        SCOPED_TRACE(folderName);
        const std::string folder = dataset(folderName), name = DatasetCatalogue::DatasetNameOf(folderName);
        SwitchController controller = selected(name);
        const int index = controller.selectedIndex();
        controller.install();
        const std::string installing = "Installieren von '" + name + "'";
        EXPECT_EQ(seen(controller),
                  Seen({installing}, Installed, index, "pfad=" + *platform::ToAnsi(name) + "\r\n"));
        EXPECT_TRUE(appFolderIsCurrent());
        ASSERT_TRUE(Ran(folder, "inst.bat") && Ended(controller));
        controller.restore();
        EXPECT_EQ(seen(controller),
                  Seen({installing, "Deinstallieren von '" + name + "'"}, Selected, index, "pfad=\r\n"));
        EXPECT_TRUE(Ran(folder, "clear.bat") && Ended(controller));
    }
    // The script started, so the new state stands; the player learns that it was not recorded.
    const std::string lodz = dataset("Łódź_Liga");  // outside the code page
    SwitchController outside = selected("Łódź Liga");
    outside.install();
    EXPECT_EQ(seen(outside), Seen({"Installieren von 'Łódź Liga'", "quorbel.ini wurde nicht geändert:"},
                                  Installed, outside.selectedIndex(), "pfad=\r\n"));
    EXPECT_TRUE(Ran(lodz, "inst.bat") && Ended(outside));
    fs::permissions(PathOf(at("quorbel.ini")), fs::perms::owner_read);
    SwitchController controller = selected("Bundesliga");
    controller.install();
    fs::permissions(PathOf(at("quorbel.ini")), fs::perms::owner_read | fs::perms::owner_write);
    EXPECT_EQ(seen(controller),
              Seen({"Installieren von 'Bundesliga'", "quorbel.ini konnte nicht gespeichert werden:"},
                   Installed, controller.selectedIndex(), "pfad=\r\n"));
    EXPECT_TRUE(Ended(controller));
}

// A restore started while inst.bat still copies would take back half of it and keep the rest: the game's own
// data would be lost. So nothing starts until our script has ended, and an end that reports a failure is
// said. A game under "Program Files" that a standard user may not write to could not record a script started
// there, so none is started; that a script of ours still runs is said first.
TEST_F(SwitchControllerTest,
       AScriptThatStillRunsOrAFolderThatTakesNoFileHoldsOffTheNextAndAFailingEndIsLogged) {
    const std::string folder = dataset("Lange_Liga");
    WriteScript(folder, "clear.bat", 3);
    WriteBytes(platform::JoinPath(folder, "hold"), "");
    SwitchController controller = selected("Lange Liga");
    controller.install();
    ASSERT_TRUE(Ran(folder, "inst.bat")) << controller.activityLog().back();
    // Asking again changes nothing.
    EXPECT_TRUE(controller.scriptRunning() && controller.scriptRunning() && controller.script() != nullptr);
    std::optional<Unwritable> locked(std::in_place, app_);  // where this machine can make one
    const bool made = locked->made;
    controller.restore();
    std::vector<std::string> log = {"Installieren von 'Lange Liga'", "Deinstallieren von 'Lange Liga'",
                                    "inst.bat von 'Lange Liga' läuft noch."};
    EXPECT_EQ(seen(controller), Seen(log, Installed, 0, "pfad=Lange Liga\r\n"));
    EXPECT_TRUE(controller.activityLog().back().find("Taskleiste") != std::string::npos);
    fs::remove(PathOf(platform::JoinPath(folder, "hold")));
    ASSERT_TRUE(Ended(controller));
    EXPECT_EQ(seen(controller), Seen(log, Installed, 0, "pfad=Lange Liga\r\n")) << "code 0 adds no line";
    if (made) {
        controller.restore();
        log.insert(log.end(),
                   {log[1], "Quorbel darf im Spielordner nicht schreiben, deshalb wurde nichts gestartet."});
        EXPECT_EQ(seen(controller), Seen(log, Installed, 0, "pfad=Lange Liga\r\n"));
        EXPECT_EQ(controller.script(), nullptr);
        EXPECT_EQ(Entries(app_), (std::vector<std::string>{"quorbel", "quorbel.ini"}));
    }
    locked.reset();
    EXPECT_FALSE(Exists(platform::JoinPath(folder, "clear.bat.ran")));
    controller.restore();
    ASSERT_TRUE(Ended(controller));
    log.insert(log.end(), {log[1], "clear.bat von 'Lange Liga' endete mit dem Fehlercode 3."});
    EXPECT_EQ(seen(controller), Seen(log, Selected, 0, "pfad=\r\n"));
    if (!made) {
        GTEST_SKIP() << "all but the unwritable folder, which this machine cannot make";
    }
}

// A script that cannot be started is never reported as installed or restored. Windows drops a trailing
// dot from a path, so "Liga." would run the scripts of "Liga": it is refused.
TEST_F(SwitchControllerTest, AScriptThatCannotStartChangesNothingButTheLog) {
    const std::string liga = dataset("Liga");
#ifdef _WIN32
    const std::wstring dotted = L"\\\\?\\" + PathOf(at("quorbel\\Liga.")).wstring();  // the name as it is
    ASSERT_TRUE(CreateDirectoryW(dotted.c_str(), nullptr));
#else
    dataset("Liga.");
#endif
    // Each folder, and what is taken from it once the league is picked ("": the folder itself).
    const std::pair<const char*, const char*> cases[] = {
        {"Gone", ""}, {"Ohne_Skript", "inst.bat"}, {"Mit Leerzeichen", nullptr}, {"Liga.", nullptr}};
    for (const auto& [folderName, removed] : cases) {
        SCOPED_TRACE(folderName);
        const std::string folder = folderName == std::string("Liga.") ? "" : dataset(folderName);
        const std::string name = DatasetCatalogue::DatasetNameOf(folderName);  // "Mit Leerzeichen" as "Mit_…"
        SwitchController controller = selected(name);
        if (removed != nullptr) {
            fs::remove_all(PathOf(platform::JoinPath(folder, removed)));
        }
        WriteBytes(at("quorbel.ini"), "pfad=\r\n");
        controller.install();
        EXPECT_EQ(seen(controller),
                  Seen({"Installieren von '" + name + "'", "inst.bat konnte nicht gestartet werden:"},
                       Selected, controller.selectedIndex(), "pfad=\r\n"));
        EXPECT_TRUE(appFolderIsCurrent() && controller.script() == nullptr);
    }
#ifdef _WIN32
    RemoveDirectoryW(dotted.c_str());  // the plain path that removes the rest would reach "Liga" instead
#endif
    // A selection outside the list starts nothing either.
    SwitchController outside = selected("Liga");
    for (const int index : {static_cast<int>(outside.leagues().size()), -1, -2}) {
        outside.selectLeague(index);
        outside.install();
    }
    EXPECT_EQ(seen(outside), Seen({}, Selected, -2, "pfad=\r\n"));

    fs::remove(PathOf(platform::JoinPath(liga, "clear.bat")));
    WriteBytes(at("quorbel.ini"), "pfad=Liga\r\n");
    SwitchController controller = started();
    // The list is locked: restore takes the installed dataset, whatever else was selected.
    controller.selectLeague(controller.selectedIndex() == 0 ? 1 : 0);
    controller.restore();
    EXPECT_EQ(seen(controller),
              Seen({"Deinstallieren von 'Liga'", "clear.bat konnte nicht gestartet werden:"}, Installed,
                   controller.selectedIndex(), "pfad=Liga\r\n"));
    EXPECT_TRUE(appFolderIsCurrent());
}

// What the tool cannot find at start is said once in the log, and nothing else changes.
TEST_F(SwitchControllerTest,
       AtStartTheLogSaysWhereItRunsWhichInstalledDatasetIsMissingOrThatAHeldFileHidesIt) {
    EXPECT_EQ(seen(started()), Seen({"Weder glenmarra.exe noch der Ordner quorbel liegt in " + app_ + "."},
                                    NoSelection, -1, ""));
    WriteBytes(at("glenmarra.exe"), "");
    EXPECT_EQ(seen(started()), Seen({}, NoSelection, -1, ""));

    // Its folder renamed while installed: a new install would back its data up as the game's own.
    dataset("Serie_A");
    WriteBytes(at("quorbel.ini"), "pfad=Premier League\r\n");
    SwitchController controller = selected("Serie A");
    const std::string missing =
        "quorbel.ini nennt 'Premier League' als eingesetzt, doch dieser Datensatz fehlt im Ordner quorbel.";
    EXPECT_EQ(seen(controller), Seen({missing}, Selected, 0, "pfad=Premier League\r\n"));
    EXPECT_EQ(controller.unlistedInstalled(), "Premier League");
    controller.install();
    EXPECT_EQ(controller.unlistedInstalled(), "") << "a listed dataset installed ends the question";
    EXPECT_TRUE(Ended(controller));
#ifdef _WIN32
    // A virus scanner, a backup or a sync tool holds the file just written, longer than the tool waits, while
    // the tool starts again: then nothing may look uninstalled without saying that nobody knows.
    win::UniqueHandle held = Hold(at("quorbel.ini"));
    int pauses = 0;
    SwitchController starting(app_, CountingPauses(held, pauses, false));
    starting.initialise();
    held.reset();
    EXPECT_EQ(pauses, 3);
    EXPECT_EQ(seen(starting), Seen({"quorbel.ini konnte nicht gelesen werden, weil ein anderes Programm die "
                                    "Datei geöffnet hält (Fehler 32)."},
                                   NoSelection, -1, "pfad=Serie A\r\n"));
#endif
}

}  // namespace
}  // namespace quorbel::testing
