#include "core/switch_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dataset_catalogue.h"
#include "core/platform.h"
#include "core/test_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quorbel {
namespace {

using testing::TestFolder;

class SwitchControllerTest : public ::testing::Test {
  protected:
    void SetUp() override {
        original_ = platform::CurrentFolder();
        ASSERT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));
    }
    void TearDown() override { platform::SetCurrentFolder(original_); }

    std::string dataset(std::string_view folderName) { return testing::MakeDataset(app_.path(), folderName); }
    std::string ini() const { return testing::ReadBytes(app_ / "quorbel.ini"); }
    void writeIni(std::string_view bytes) const { testing::WriteBytes(app_ / "quorbel.ini", bytes); }

    // Initialised controller with the named league selected, as a player's pick leaves it.
    SwitchController selected(std::string_view name) {
        SwitchController controller(app_.path());
        controller.initialise();
        const auto& leagues = controller.leagues();
        const auto found = std::find(leagues.begin(), leagues.end(), name);
        EXPECT_NE(found, leagues.end()) << name;
        controller.selectLeague(static_cast<int>(found - leagues.begin()));
        return controller;
    }

    static void ExpectFlags(const SwitchController& c, bool cboliga, bool btnpatchen, bool btnrestore) {
        EXPECT_EQ(c.cboligaEnabled(), cboliga);
        EXPECT_EQ(c.btnpatchenEnabled(), btnpatchen);
        EXPECT_EQ(c.btnrestoreEnabled(), btnrestore);
    }

    std::string original_;
    TestFolder elsewhere_{"Quorbel elsewhere"};
    TestFolder app_{"Quorbel App \xC3\xA4 folder"};
};

TEST_F(SwitchControllerTest, StartsWithoutSelectionWhenNothingIsRecorded) {
    dataset("Bundesliga");
    dataset("Premier_League");
    SwitchController controller(app_.path());
    ExpectFlags(controller, true, false, false);

    controller.initialise();
    EXPECT_EQ(controller.state(), SwitchState::NoSelection);
    EXPECT_EQ(controller.selectedIndex(), -1);
    ExpectFlags(controller, true, false, false);
    EXPECT_EQ(controller.leagues().size(), 2u);
    EXPECT_TRUE(controller.activityLog().empty());
    EXPECT_FALSE(testing::Exists(app_ / "quorbel.ini")) << "start-up never creates the settings file";
}

TEST_F(SwitchControllerTest, ComesUpInstalledWhenTheRecordedDatasetIsListed) {
    dataset("Bundesliga");
    dataset("Premier_League");
    writeIni("pfad=PREMIER league\r\n");

    SwitchController controller(app_.path());
    controller.initialise();
    EXPECT_EQ(controller.state(), SwitchState::Installed);
    ASSERT_GE(controller.selectedIndex(), 0);
    EXPECT_EQ(controller.leagues()[static_cast<std::size_t>(controller.selectedIndex())], "Premier League");
    ExpectFlags(controller, false, false, true);
    EXPECT_TRUE(controller.activityLog().empty());
    EXPECT_EQ(ini(), "pfad=PREMIER league\r\n") << "start-up never writes the settings file";
}

TEST_F(SwitchControllerTest, RecordedDatasetThatIsGoneLeavesNoSelectionAndTheFileAlone) {
    dataset("Bundesliga");
    writeIni("pfad=Serie A\r\n");
    SwitchController controller(app_.path());
    controller.initialise();
    EXPECT_EQ(controller.state(), SwitchState::NoSelection);
    ExpectFlags(controller, true, false, false);
    EXPECT_EQ(ini(), "pfad=Serie A\r\n");
}

TEST_F(SwitchControllerTest, OfTwoMatchingEntriesTheLaterIsSelected) {
    dataset("Serie_A");
    dataset("Serie A");
    writeIni("pfad=serie a\r\n");
    SwitchController controller(app_.path());
    controller.initialise();
    ASSERT_EQ(controller.leagues().size(), 2u);
    EXPECT_EQ(controller.selectedIndex(), 1);
    EXPECT_EQ(controller.state(), SwitchState::Installed);
}

TEST_F(SwitchControllerTest, SelectionOffersInstallAndMinusOneChangesNoFlag) {
    dataset("Bundesliga");
    dataset("Premier_League");
    SwitchController controller(app_.path());
    controller.initialise();

    controller.selectLeague(-1);
    ExpectFlags(controller, true, false, false);
    controller.selectLeague(1);
    EXPECT_EQ(controller.state(), SwitchState::Selected);
    ExpectFlags(controller, true, true, false);
    controller.selectLeague(0);
    EXPECT_EQ(controller.selectedIndex(), 0);
    EXPECT_EQ(controller.state(), SwitchState::Selected);
    controller.selectLeague(-1);
    EXPECT_EQ(controller.selectedIndex(), -1);
    ExpectFlags(controller, true, true, false);
    EXPECT_TRUE(controller.activityLog().empty());
}

TEST_F(SwitchControllerTest, InstallRunsInstBatInItsFolderAndRecordsTheName) {
    const std::string folder = dataset("Premier_League");
    dataset("Bundesliga");
    SwitchController controller = selected("Premier League");

    controller.install();
    EXPECT_EQ(controller.activityLog(), std::vector<std::string>{"Installieren von 'Premier League'"});
    EXPECT_EQ(controller.state(), SwitchState::Installed);
    ExpectFlags(controller, false, false, true);
    EXPECT_EQ(ini(), "pfad=Premier League\r\n");
    EXPECT_EQ(testing::Canonical(platform::CurrentFolder()), app_.path())
        << "the application folder is current";
    EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "inst.bat")), folder);
    EXPECT_TRUE(testing::NeverRecorded(folder, "clear.bat"));
}

TEST_F(SwitchControllerTest, RestoreRunsClearBatAndLeavesTheLeagueSelected) {
    const std::string folder = dataset("Premier_League");
    SwitchController controller = selected("Premier League");
    controller.install();
    const int index = controller.selectedIndex();

    controller.restore();  // at once, while inst.bat may still run
    EXPECT_EQ(controller.activityLog(), (std::vector<std::string>{"Installieren von 'Premier League'",
                                                                  "Deinstallieren von 'Premier League'"}));
    EXPECT_EQ(controller.state(), SwitchState::Selected);
    EXPECT_EQ(controller.selectedIndex(), index);
    ExpectFlags(controller, true, true, false);
    EXPECT_EQ(ini(), "pfad=\r\n");
    EXPECT_EQ(testing::Canonical(platform::CurrentFolder()), app_.path());
    EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "clear.bat")), folder);
    EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "inst.bat")), folder);
}

TEST_F(SwitchControllerTest, RestoreAfterAStartUpMatchUsesTheFoundDataset) {
    const std::string folder = dataset("Serie_A");
    writeIni("pfad=serie a\r\n");
    SwitchController controller(app_.path());
    controller.initialise();
    controller.restore();
    EXPECT_EQ(controller.activityLog(), std::vector<std::string>{"Deinstallieren von 'Serie A'"});
    EXPECT_EQ(ini(), "pfad=\r\n");
    EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "clear.bat")), folder);
}

TEST_F(SwitchControllerTest, InstallOrRestoreWithoutSelectionDoesNothing) {
    dataset("Bundesliga");
    SwitchController controller(app_.path());
    controller.initialise();
    controller.install();
    controller.restore();
    EXPECT_TRUE(controller.activityLog().empty());
    EXPECT_EQ(controller.state(), SwitchState::NoSelection);
    EXPECT_FALSE(testing::Exists(app_ / "quorbel.ini"));
}

// A script that cannot be started must not be reported as installed or restored.
class ScriptThatCannotStart : public SwitchControllerTest {
  protected:
    void ExpectInstallRefused(SwitchController& controller, std::string_view name) {
        writeIni("pfad=vorher\r\n");
        controller.install();
        ASSERT_EQ(controller.activityLog().size(), 2u);
        EXPECT_EQ(controller.activityLog()[0], "Installieren von '" + std::string(name) + "'");
        EXPECT_EQ(controller.activityLog()[1].rfind("inst.bat konnte nicht gestartet werden: ", 0), 0u)
            << controller.activityLog()[1];
        EXPECT_GT(controller.activityLog()[1].size(),
                  std::string("inst.bat konnte nicht gestartet werden: ").size());
        EXPECT_EQ(controller.state(), SwitchState::Selected);
        ExpectFlags(controller, true, true, false);
        EXPECT_EQ(ini(), "pfad=vorher\r\n");
        EXPECT_EQ(testing::Canonical(platform::CurrentFolder()), app_.path());
    }
};

TEST_F(ScriptThatCannotStart, DatasetFolderGoneSinceStartUp) {
    const std::string folder = dataset("Bundesliga");
    SwitchController controller = selected("Bundesliga");
    std::filesystem::remove_all(testing::PathOf(folder));
    ExpectInstallRefused(controller, "Bundesliga");
}

TEST_F(ScriptThatCannotStart, InstBatMissing) {
    const std::string folder = dataset("Bundesliga");
    std::filesystem::remove(testing::PathOf(folder + std::string(platform::kSeparator) + "inst.bat"));
    SwitchController controller = selected("Bundesliga");
    ExpectInstallRefused(controller, "Bundesliga");
}

TEST_F(ScriptThatCannotStart, InstBatIsNoProgram) {
    const std::string folder = dataset("Bundesliga");
    const std::string script = folder + std::string(platform::kSeparator) + "inst.bat";
    std::filesystem::remove(testing::PathOf(script));
    testing::MakeFolders(script);
    SwitchController controller = selected("Bundesliga");
    ExpectInstallRefused(controller, "Bundesliga");
}

TEST_F(ScriptThatCannotStart, FolderWhoseOwnNameHoldsABlank) {
    const std::string folder = dataset("Serie A");  // listed as "Serie A", looked for as "Serie_A"
    SwitchController controller = selected("Serie A");
    ExpectInstallRefused(controller, "Serie A");
    EXPECT_TRUE(testing::NeverRecorded(folder, "inst.bat"));
}

TEST_F(ScriptThatCannotStart, ClearBatMissingKeepsTheDatasetInstalled) {
    const std::string folder = dataset("Bundesliga");
    std::filesystem::remove(testing::PathOf(folder + std::string(platform::kSeparator) + "clear.bat"));
    writeIni("pfad=Bundesliga\r\n");
    SwitchController controller(app_.path());
    controller.initialise();
    controller.restore();
    ASSERT_EQ(controller.activityLog().size(), 2u);
    EXPECT_EQ(controller.activityLog()[0], "Deinstallieren von 'Bundesliga'");
    EXPECT_EQ(controller.activityLog()[1].rfind("clear.bat konnte nicht gestartet werden: ", 0), 0u);
    EXPECT_EQ(controller.state(), SwitchState::Installed);
    ExpectFlags(controller, false, false, true);
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n");
    EXPECT_EQ(testing::Canonical(platform::CurrentFolder()), app_.path());
}

// The script started, so the new state stands; the player learns that it was not saved.
TEST_F(SwitchControllerTest, UnsavedStateIsReportedAndThePreviousFileKept) {
    const std::string folder = dataset("Bundesliga");
    writeIni("pfad=\r\n");
    testing::SetReadOnly(app_ / "quorbel.ini", true);
    SwitchController controller = selected("Bundesliga");
    controller.install();
    testing::SetReadOnly(app_ / "quorbel.ini", false);

    EXPECT_EQ(controller.state(), SwitchState::Installed);
    ASSERT_EQ(controller.activityLog().size(), 2u);
    EXPECT_EQ(controller.activityLog()[1].rfind("quorbel.ini konnte nicht gespeichert werden: ", 0), 0u)
        << controller.activityLog()[1];
    EXPECT_EQ(ini(), "pfad=\r\n");
    EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "inst.bat")), folder);
}

TEST_F(SwitchControllerTest, NameOutsideTheCodePageIsNeverRecordedAsAnotherName) {
    const std::string folder = dataset(
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA_Liga");  // Łódź_Liga
    writeIni("pfad=\r\n");
    SwitchController controller = selected(
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA Liga");
    controller.install();

    EXPECT_EQ(controller.state(), SwitchState::Installed);
    ASSERT_EQ(controller.activityLog().size(), 2u);
    EXPECT_EQ(controller.activityLog()[1].rfind("quorbel.ini wurde nicht ge\xC3\xA4ndert: ", 0), 0u)
        << controller.activityLog()[1];
    EXPECT_EQ(ini(), "pfad=\r\n");
    EXPECT_FALSE(testing::AwaitRecordedFolder(folder, "inst.bat").empty());
}

#ifdef _WIN32
// With an unquoted command line, Windows would try "<parent>\app.exe" before "<parent>\app dir\...".
TEST(SwitchControllerStart, RunsExactlyTheScriptWhenAPlantedProgramPrecedesItsPath) {
    TestFolder parent("QuorbelDecoy");
    const std::string app = parent / "app dir";
    testing::MakeFolders(app);
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    const std::filesystem::path decoy = std::filesystem::path(self).parent_path() / L"decoy.exe";
    std::filesystem::copy_file(decoy, testing::PathOf(parent / "app.exe"));
    const std::string folder = testing::MakeDataset(app, "Liga");

    const std::string original = platform::CurrentFolder();
    SwitchController controller(app);
    controller.initialise();
    controller.selectLeague(0);
    controller.install();
    platform::SetCurrentFolder(original);

    EXPECT_EQ(controller.state(), SwitchState::Installed);
    EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "inst.bat")),
              testing::Canonical(folder));
    EXPECT_FALSE(testing::Exists(parent / "app.exe.ran")) << "the planted program ran";
}
#endif

}  // namespace
}  // namespace quorbel
