#include "core/switch_controller.h"

#include <gtest/gtest.h>

#include <array>
#include <tuple>

#include "core/dataset_catalogue.h"
#include "support/test_folder.h"

namespace quorbel {
namespace {

using testing::TestFolder;
using enum SwitchState;
// What the window would show of the controller, and the bytes of quorbel.ini.
using Seen = std::tuple<std::vector<std::string>, SwitchState, int, std::string>;  // log, state, index, file

// Were a script's path ever handed over unquoted, the system (or a shell) would run the program planted
// beside the game folder "app dir" first: the game's stand-in, which notes each start in glenmarra.log.
void PlantDecoy(const TestFolder& parent) {
    testing::WriteBytes(parent / "glenmarra.log", "");
#ifdef _WIN32
    testing::CopyBuiltProgram(L"glenmarra.exe", parent.path(), L"app.exe");
#else
    testing::WriteBytes(parent / "app", "#!/bin/sh\necho ran >> '" + parent / "glenmarra.log'\n");
    testing::fs::permissions(testing::PathOf(parent / "app"), testing::fs::perms::owner_all);
#endif
}

// Until the controller has noted the end of its script.
bool Ended(SwitchController& controller) {
    return testing::WaitFor([&] { return !controller.scriptRunning(); });
}

class SwitchControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        testing::MakeFolders(app_);
        PlantDecoy(parent_);
        ASSERT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));
    }
    void TearDown() override {
        testing::fs::current_path(original_);
        EXPECT_EQ(testing::ReadBytes(parent_ / "glenmarra.log"), "") << "the planted program ran";
    }

    std::string at(std::string_view name) const { return platform::JoinPath(app_, name); }
    std::string dataset(std::string_view folderName) const { return testing::MakeDataset(app_, folderName); }
    std::string ini() const { return testing::ReadBytes(at("quorbel.ini")); }
    void writeIni(std::string_view bytes) const { testing::WriteBytes(at("quorbel.ini"), bytes); }
    bool appFolderIsCurrent() const { return testing::fs::current_path() == testing::PathOf(app_); }
    Seen seen(const SwitchController& c) const {
        return {c.activityLog(), c.state(), c.selectedIndex(), ini()};
    }

    // The action's own line, then why the script could not start; the state as it was, the folder current.
    void expectNotStarted(const SwitchController& c, const std::string& action, const std::string& script,
                          SwitchState state, const std::string& bytes) const {
        const auto& [log, shown, selected, file] = seen(c);
        ASSERT_EQ(log.size(), 2u);
        EXPECT_EQ(log[0], action);
        EXPECT_TRUE(log[1].starts_with(script + " konnte nicht gestartet werden: ")) << log[1];
        EXPECT_EQ(std::tie(shown, file), std::tie(state, bytes));
        EXPECT_TRUE(appFolderIsCurrent());
    }

    // Initialised, with the named league picked as a player would.
    SwitchController selected(std::string_view name) const {
        SwitchController controller(app_);
        controller.initialise();
        const auto found = std::find(controller.leagues().begin(), controller.leagues().end(), name);
        EXPECT_NE(found, controller.leagues().end()) << name;
        controller.selectLeague(static_cast<int>(found - controller.leagues().begin()));
        EXPECT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));  // for the action to make it current
        return controller;
    }

    const testing::fs::path original_ = testing::fs::current_path();
    TestFolder elsewhere_{"Quorbel elsewhere"};
    TestFolder parent_{"Quorbel App \xC3\xA4"};
    const std::string app_ = parent_ / "app dir";
};

// Also in folders whose names cmd would expand, split or swallow if a path ever passed through its parser.
TEST_F(SwitchControllerTest, InstallAndRestoreRunTheScriptsInTheirFolderAndRecordTheName) {
    dataset("Bundesliga");
    for (const char* folderName : {"Premier_League", "A&B_Liga", "100%_Liga", "%PATH%", "Caret^Liga",
                                   "Bang!Liga", "O'Brien_1", "K\xC3\xB6ln", "__Rand__"}) {
        SCOPED_TRACE(folderName);
        const std::string folder = dataset(folderName);
        const std::string name = DatasetCatalogue::DatasetNameOf(folderName);
        SwitchController controller = selected(name);
        const int index = controller.selectedIndex();
        const std::string installing = "Installieren von '" + name + "'";
        controller.install();
        EXPECT_EQ(seen(controller),
                  (Seen{{installing}, Installed, index, "pfad=" + *platform::ToAnsi(name) + "\r\n"}));
        EXPECT_TRUE(appFolderIsCurrent());
        ASSERT_TRUE(testing::Ran(folder, "inst.bat") && Ended(controller));
        ASSERT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));
        controller.restore();
        EXPECT_EQ(seen(controller),
                  (Seen{{installing, "Deinstallieren von '" + name + "'"}, Selected, index, "pfad=\r\n"}));
        EXPECT_TRUE(appFolderIsCurrent());
        EXPECT_TRUE(testing::Ran(folder, "clear.bat") && Ended(controller));
    }
}

// A restore started while inst.bat still copies would take back half of it and keep the rest: the game's own
// data would be lost. So nothing starts until our script has ended, and an end that reports a failure is
// said.
TEST_F(SwitchControllerTest, AScriptThatStillRunsHoldsOffTheNextAndAFailingEndIsLogged) {
    const std::string folder = dataset("Lange_Liga");
    testing::WriteScript(folder, "clear.bat", 3);
    testing::WriteBytes(platform::JoinPath(folder, "hold"), "");
    SwitchController controller = selected("Lange Liga");
    controller.install();
    ASSERT_TRUE(testing::Ran(folder, "inst.bat"));
    const std::vector<std::string> installed = {"Installieren von 'Lange Liga'"};
    const Seen running = {installed, Installed, 0, "pfad=Lange Liga\r\n"};
    EXPECT_TRUE(controller.scriptRunning() && controller.scriptRunning()) << "asking again changes nothing";
    EXPECT_EQ(seen(controller), running);

    controller.restore();
    const std::vector<std::string> refused = {
        installed[0], "Deinstallieren von 'Lange Liga'",
        "inst.bat von 'Lange Liga' läuft noch. Sein Fenster ist unten in der Taskleiste; wartet es dort auf "
        "eine "
        "Taste, sie dort drücken. Erst wenn es sich geschlossen hat, noch einmal versuchen."};
    EXPECT_EQ(seen(controller), (Seen{refused, Installed, 0, "pfad=Lange Liga\r\n"}));
    testing::fs::remove(testing::PathOf(platform::JoinPath(folder, "hold")));
    ASSERT_TRUE(Ended(controller));
    EXPECT_EQ(controller.activityLog(), refused) << "an end with code 0 adds nothing";
    EXPECT_FALSE(testing::Exists(platform::JoinPath(folder, "clear.bat.ran")));

    controller.restore();
    ASSERT_TRUE(Ended(controller));
    EXPECT_EQ(
        controller.activityLog().back(),
        "clear.bat von 'Lange Liga' endete mit dem Fehlercode 3. Was das heißt, steht in LIESMICH.txt.");
    EXPECT_EQ(std::get<1>(seen(controller)), Selected);
}

// A script that cannot be started is never reported as installed or restored. Windows drops a trailing
// dot from a path, so "Liga." would run the scripts of "Liga": it is refused.
TEST_F(SwitchControllerTest, AScriptThatCannotStartChangesNothingButTheLog) {
    const std::string liga = dataset("Liga");
#ifdef _WIN32
    ASSERT_TRUE(
        CreateDirectoryW((L"\\\\?\\" + testing::PathOf(at("quorbel\\Liga.")).wstring()).c_str(), nullptr));
#else
    dataset("Liga.");
#endif
    // Each folder, and what is taken from it once the league is picked ("": the folder itself).
    const std::pair<const char*, const char*> cases[] = {
        {"Gone", ""}, {"Ohne_Skript", "inst.bat"}, {"Mit Leerzeichen", nullptr}, {"Liga.", nullptr}};
    for (const auto& [folderName, removed] : cases) {
        SCOPED_TRACE(folderName);
        const std::string folder = folderName == std::string("Liga.") ? "" : dataset(folderName);
        const std::string name =
            DatasetCatalogue::DatasetNameOf(folderName);  // "Mit Leerzeichen" as "Mit_..."
        SwitchController controller = selected(name);
        if (removed != nullptr) {
            testing::fs::remove_all(testing::PathOf(platform::JoinPath(folder, removed)));
        }
        writeIni("pfad=\r\n");
        controller.install();
        expectNotStarted(controller, "Installieren von '" + name + "'", "inst.bat", Selected, "pfad=\r\n");
        EXPECT_EQ(controller.script(), nullptr);
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(500));  // for a wrongly started script to write
    EXPECT_FALSE(testing::Exists(platform::JoinPath(liga, "inst.bat.ran"))) << "the scripts of \"Liga\" ran";

    testing::fs::remove(testing::PathOf(platform::JoinPath(liga, "clear.bat")));
    writeIni("pfad=Liga\r\n");
    SwitchController controller(app_);
    controller.initialise();
    ASSERT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));
    controller.restore();
    expectNotStarted(controller, "Deinstallieren von 'Liga'", "clear.bat", Installed, "pfad=Liga\r\n");
}

// A game under "Program Files" that a standard user may not write to: a script started there could not be
// recorded, so none is started.
TEST_F(SwitchControllerTest, AGameFolderThatTakesNoFileStartsNoScript) {
    dataset("Bundesliga");
    writeIni("pfad=\r\n");
    SwitchController controller = selected("Bundesliga");
    const testing::Unwritable locked(app_);
    if (!locked.made()) {
        GTEST_SKIP() << "this machine cannot make a folder that refuses new files";
    }
    controller.install();
    EXPECT_EQ(
        seen(controller),
        (Seen{{"Installieren von 'Bundesliga'",
               "Quorbel darf im Spielordner nicht schreiben, deshalb wurde nichts gestartet. Was zu tun "
               "ist, steht in LIESMICH.txt unter \"Spielordner nicht beschreibbar\"."},
              Selected,
              0,
              "pfad=\r\n"}));
    EXPECT_EQ(controller.script(), nullptr);
    EXPECT_EQ(testing::Entries(app_), (std::vector<std::string>{"quorbel", "quorbel.ini"}));
}

// The script started, so the new state stands; the player learns that it was not recorded.
TEST_F(SwitchControllerTest, AnUnrecordedStateIsReportedAndThePreviousFileKept) {
    dataset("Bundesliga");
    const std::string lodz = dataset("Łódź_Liga");  // outside the code page
    writeIni("pfad=\r\n");
    SwitchController outsideTheCodePage = selected("Łódź Liga");
    outsideTheCodePage.install();
    EXPECT_EQ(outsideTheCodePage.state(), Installed);
    EXPECT_TRUE(outsideTheCodePage.activityLog().back().starts_with("quorbel.ini wurde nicht geändert: "));
    EXPECT_EQ(ini(), "pfad=\r\n");
    EXPECT_TRUE(testing::Ran(lodz, "inst.bat") && Ended(outsideTheCodePage));

    using testing::fs::perms;
    const auto write = perms::owner_write | perms::group_write | perms::others_write;
    testing::fs::permissions(testing::PathOf(at("quorbel.ini")), write, testing::fs::perm_options::remove);
    SwitchController controller = selected("Bundesliga");
    controller.install();
    testing::fs::permissions(testing::PathOf(at("quorbel.ini")), write, testing::fs::perm_options::add);
    EXPECT_EQ(controller.state(), Installed);
    EXPECT_TRUE(controller.activityLog().back().starts_with("quorbel.ini konnte nicht gespeichert werden: "));
    EXPECT_EQ(ini(), "pfad=\r\n");
    ASSERT_TRUE(Ended(controller));
    controller.restore();
    ASSERT_TRUE(Ended(controller));
    testing::fs::remove(testing::PathOf(at("quorbel.ini")));
    controller.install();
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n") << "deleted meanwhile: written anew";
    EXPECT_TRUE(Ended(controller));
}

// What the tool cannot find at start is said once in the log, and nothing else changes.
TEST_F(SwitchControllerTest, AtStartTheLogSaysWhereItRunsAndWhichInstalledDatasetIsMissing) {
    SwitchController misplaced(app_);
    misplaced.initialise();
    EXPECT_EQ(seen(misplaced), (Seen{{"Weder glenmarra.exe noch der Ordner quorbel liegt in " + app_ +
                                      ". Quorbel gehört in den Ordner des Spiels, neben glenmarra.exe."},
                                     NoSelection,
                                     -1,
                                     ""}));
    testing::WriteBytes(at("glenmarra.exe"), "");
    SwitchController beside(app_);
    beside.initialise();
    EXPECT_EQ(seen(beside), (Seen{{}, NoSelection, -1, ""}));

    // Its folder renamed while installed: a new install would back its data up as the game's own.
    dataset("Serie_A");
    writeIni("pfad=Premier League\r\n");
    SwitchController controller = selected("Serie A");
    EXPECT_EQ(
        controller.activityLog(),
        std::vector<std::string>{"quorbel.ini nennt 'Premier League' als eingesetzt, doch dieser Datensatz "
                                 "fehlt im Ordner quorbel. Seinen Ordner zurücklegen, Quorbel neu starten "
                                 "und das Original wiederherstellen; wie, steht in LIESMICH.txt."});
    EXPECT_EQ(controller.unlistedInstalled(), "Premier League");
    EXPECT_EQ(ini(), "pfad=Premier League\r\n");
    controller.install();
    EXPECT_EQ(controller.unlistedInstalled(), "") << "a listed dataset installed ends the question";
    EXPECT_TRUE(Ended(controller));
}

// The window shows the three flags of each state; a selection outside the list, or one made while the list is
// locked, never reaches a script.
TEST_F(SwitchControllerTest, TheStatesGiveTheFlagsAndASelectionOutsideTheListStartsNothing) {
    const auto flags = [](const SwitchController& c) {
        return std::array{c.cboligaEnabled(), c.btnpatchenEnabled(), c.btnrestoreEnabled()};
    };
    dataset("Bundesliga");
    SwitchController controller(app_);
    controller.initialise();
    EXPECT_EQ(flags(controller), (std::array{true, false, false}));
    for (const int outside : {1, -1, -2}) {
        controller.selectLeague(outside);
        controller.install();
        controller.restore();
    }
    EXPECT_EQ(seen(controller), (Seen{{}, Selected, -2, ""}));
    EXPECT_EQ(flags(controller), (std::array{true, true, false}));
    controller.selectLeague(0);
    controller.install();
    controller.selectLeague(-1);
    EXPECT_EQ(seen(controller),
              (Seen{{"Installieren von 'Bundesliga'"}, Installed, 0, "pfad=Bundesliga\r\n"}));
    EXPECT_EQ(flags(controller), (std::array{false, false, true}));
    EXPECT_TRUE(Ended(controller));
}

#ifdef _WIN32
// A virus scanner, a backup or a sync tool holds quorbel.ini while the tool starts: for a moment, or longer
// than the tool waits. Then nothing may look uninstalled without saying that nobody knows.
TEST_F(SwitchControllerTest, AtStartAHeldSettingsFileIsReadOnceLetGoOrTheDatasetIsSaidToBeUnknown) {
    dataset("Bundesliga");
    writeIni("pfad=Bundesliga\r\n");
    const std::string unknown =
        "quorbel.ini konnte nicht gelesen werden, weil ein anderes Programm die Datei "
        "geöffnet hält (Fehler 32). Welcher Datensatz eingesetzt ist, ist deshalb unbekannt.";
    for (const bool letGo : {true, false}) {
        SCOPED_TRACE(letGo ? "let go after the first try" : "held throughout");
        win::UniqueHandle held = testing::Hold(at("quorbel.ini"));
        int pauses = 0;
        SwitchController controller(app_, testing::CountingPauses(held, pauses, letGo));
        controller.initialise();
        held.reset();
        EXPECT_EQ(pauses, letGo ? 1 : 3);
        EXPECT_EQ(seen(controller), (letGo ? Seen{{}, Installed, 0, "pfad=Bundesliga\r\n"}
                                           : Seen{{unknown}, NoSelection, -1, "pfad=Bundesliga\r\n"}));
    }
}
#endif

}  // namespace
}  // namespace quorbel
