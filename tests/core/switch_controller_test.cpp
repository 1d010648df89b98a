#include "core/switch_controller.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdlib>
#include <filesystem>
#include <functional>
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
using Lines = std::vector<std::string>;
const std::string kSep(platform::kSeparator);

// cboliga, btnpatchen, btnrestore
std::array<bool, 3> Flags(const SwitchController& c) {
    return {c.cboligaEnabled(), c.btnpatchenEnabled(), c.btnrestoreEnabled()};
}
constexpr std::array kNoSelection = {true, false, false};
constexpr std::array kSelected = {true, true, false};
constexpr std::array kInstalled = {false, false, true};

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
    bool appFolderIsCurrent() const { return testing::Canonical(platform::CurrentFolder()) == app_.path(); }

    // Initialised, with the named league picked as a player would.
    SwitchController selected(std::string_view name) {
        SwitchController controller(app_.path());
        controller.initialise();
        const auto found = std::find(controller.leagues().begin(), controller.leagues().end(), name);
        EXPECT_NE(found, controller.leagues().end()) << name;
        controller.selectLeague(static_cast<int>(found - controller.leagues().begin()));
        return controller;
    }

    std::string original_;
    TestFolder elsewhere_{"Quorbel elsewhere"};
    TestFolder app_{"Quorbel App \xC3\xA4 folder"};
};

TEST_F(SwitchControllerTest, StartUpComesUpAsTheSettingsFileRecordsWithoutWritingIt) {
    dataset("Serie_A");
    dataset("Premier_League");
    dataset("Serie A");  // a second folder named "Serie A" in the list
    const std::vector<std::pair<const char*, const char*>> cases = {
        {nullptr, nullptr},
        {"pfad=\r\n", nullptr},
        {"pfad=Eredivisie\r\n", nullptr},
        {"pfad=PREMIER league\r\n", "Premier League"},
        {"pfad=serie a\r\n", "Serie A"}};
    for (const auto& [bytes, installed] : cases) {
        SCOPED_TRACE(bytes == nullptr ? "no settings file" : bytes);
        std::filesystem::remove(testing::PathOf(app_ / "quorbel.ini"));
        if (bytes != nullptr) {
            writeIni(bytes);
        }
        SwitchController controller(app_.path());
        EXPECT_EQ(Flags(controller), kNoSelection);
        controller.initialise();
        const Lines& leagues = controller.leagues();
        ASSERT_EQ(leagues.size(), 3u);
        // The last entry of that name: of two folders named alike, the later one in listing order.
        const auto match =
            installed == nullptr ? leagues.rend() : std::find(leagues.rbegin(), leagues.rend(), installed);
        EXPECT_EQ(controller.selectedIndex(), static_cast<int>(leagues.rend() - match) - 1);
        EXPECT_EQ(Flags(controller), installed == nullptr ? kNoSelection : kInstalled);
        EXPECT_TRUE(controller.activityLog().empty());
        EXPECT_EQ(ini(), bytes == nullptr ? "" : bytes);
        EXPECT_EQ(testing::Exists(app_ / "quorbel.ini"), bytes != nullptr);
    }
}

TEST_F(SwitchControllerTest, SelectionOffersInstallAndMinusOneChangesNoFlag) {
    dataset("Bundesliga");
    dataset("Premier_League");
    SwitchController controller(app_.path());
    controller.initialise();
    controller.selectLeague(-1);
    EXPECT_EQ(Flags(controller), kNoSelection);
    controller.selectLeague(1);
    EXPECT_EQ(controller.state(), SwitchState::Selected);
    EXPECT_EQ(Flags(controller), kSelected);
    controller.selectLeague(-1);
    EXPECT_EQ(controller.selectedIndex(), -1);
    EXPECT_EQ(Flags(controller), kSelected);
    controller.install();  // with nothing selected, nothing to do
    controller.restore();
    EXPECT_TRUE(controller.activityLog().empty());
    EXPECT_FALSE(testing::Exists(app_ / "quorbel.ini"));
}

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
        controller.install();
        EXPECT_EQ(controller.activityLog(), Lines{"Installieren von '" + name + "'"});
        EXPECT_EQ(Flags(controller), kInstalled);
        EXPECT_EQ(ini(), "pfad=" + *platform::ToAnsi(name) + "\r\n");
        EXPECT_TRUE(appFolderIsCurrent());

        controller.restore();  // at once, while inst.bat may still run
        EXPECT_EQ(controller.activityLog().back(), "Deinstallieren von '" + name + "'");
        EXPECT_EQ(controller.selectedIndex(), index);
        EXPECT_EQ(Flags(controller), kSelected);
        EXPECT_EQ(ini(), "pfad=\r\n");
        EXPECT_TRUE(appFolderIsCurrent());
        EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "inst.bat")), folder);
        EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "clear.bat")), folder);
        std::error_code ignored;  // cmd may still be leaving the folder
        std::filesystem::remove_all(testing::PathOf(folder), ignored);
    }
}

// A script that cannot be started is never reported as installed or restored.
TEST_F(SwitchControllerTest, AScriptThatCannotStartChangesNothingButTheLog) {
    const std::vector<std::pair<const char*, std::function<void(const std::string&)>>> cases = {
        {"Gone", [](const std::string& f) { std::filesystem::remove_all(testing::PathOf(f)); }},
        {"Ohne_Skript",
         [](const std::string& f) { std::filesystem::remove(testing::PathOf(f + kSep + "inst.bat")); }},
        {"Skript_als_Ordner",
         [](const std::string& f) {
             std::filesystem::remove(testing::PathOf(f + kSep + "inst.bat"));
             testing::MakeFolders(f + kSep + "inst.bat");
         }},
        {"Mit Leerzeichen", [](const std::string&) {}},  // looked for as "Mit_Leerzeichen"
    };
    for (const auto& [folderName, breakIt] : cases) {
        SCOPED_TRACE(folderName);
        const std::string folder = dataset(folderName);
        std::string name = folderName;
        std::replace(name.begin(), name.end(), '_', ' ');
        SwitchController controller = selected(name);
        breakIt(folder);
        writeIni("pfad=vorher\r\n");
        ASSERT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));
        controller.install();
        ASSERT_EQ(controller.activityLog().size(), 2u);
        EXPECT_EQ(controller.activityLog()[0], "Installieren von '" + name + "'");
        EXPECT_EQ(controller.activityLog()[1].rfind("inst.bat konnte nicht gestartet werden: ", 0), 0u)
            << controller.activityLog()[1];
        EXPECT_EQ(Flags(controller), kSelected);
        EXPECT_EQ(ini(), "pfad=vorher\r\n");
        EXPECT_TRUE(appFolderIsCurrent());
        std::filesystem::remove_all(testing::PathOf(folder));
    }

    const std::string folder = dataset("Bundesliga");
    std::filesystem::remove(testing::PathOf(folder + kSep + "clear.bat"));
    writeIni("pfad=Bundesliga\r\n");
    SwitchController controller(app_.path());
    controller.initialise();
    ASSERT_FALSE(platform::SetCurrentFolder(elsewhere_.path()));
    controller.restore();
    EXPECT_EQ(controller.activityLog().at(1).rfind("clear.bat konnte nicht gestartet werden: ", 0), 0u);
    EXPECT_EQ(Flags(controller), kInstalled);
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n");
    EXPECT_TRUE(appFolderIsCurrent());
}

// The script started, so the new state stands; the player learns that it was not recorded.
TEST_F(SwitchControllerTest, AnUnrecordedStateIsReportedAndThePreviousFileKept) {
    dataset("Bundesliga");
    const std::string lodz = dataset(
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA_Liga");  // Łódź_Liga
    const auto logsThat = [](const SwitchController& c, std::string_view prefix) {
        return c.activityLog().back().rfind(prefix, 0) == 0;
    };
    writeIni("pfad=\r\n");
    testing::SetAttribute(app_ / "quorbel.ini", testing::Attribute::ReadOnly);
    SwitchController controller = selected("Bundesliga");
    controller.install();
    testing::SetAttribute(app_ / "quorbel.ini", testing::Attribute::ReadOnly, false);
    EXPECT_EQ(Flags(controller), kInstalled);
    EXPECT_TRUE(logsThat(controller, "quorbel.ini konnte nicht gespeichert werden: "));
    EXPECT_EQ(ini(), "pfad=\r\n");

    // Wine as root writes everywhere, so a folder in the temporary file's place stands in for a game folder
    // without write permission: the same way through the code.
    testing::MakeFolders(app_ / "quorbel.ini.tmp");
    controller.restore();
    EXPECT_EQ(Flags(controller), kSelected);
    EXPECT_TRUE(logsThat(controller, "quorbel.ini konnte nicht gespeichert werden: "));
    std::filesystem::remove(testing::PathOf(app_ / "quorbel.ini.tmp"));
    std::filesystem::remove(testing::PathOf(app_ / "quorbel.ini"));
    controller.install();
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n") << "deleted meanwhile: written anew";

    SwitchController outsideTheCodePage = selected(
        "\xC5\x81\xC3\xB3"
        "d\xC5\xBA Liga");
    outsideTheCodePage.install();
    EXPECT_EQ(Flags(outsideTheCodePage), kInstalled);
    EXPECT_TRUE(logsThat(outsideTheCodePage, "quorbel.ini wurde nicht ge\xC3\xA4ndert: "));
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n");
    EXPECT_FALSE(testing::AwaitRecordedFolder(lodz, "inst.bat").empty());

#ifdef _WIN32
    const HANDLE held = CreateFileW(testing::PathOf(app_ / "quorbel.ini").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    SwitchController atStart = selected("Bundesliga");
    EXPECT_EQ(atStart.activityLog().at(0).rfind("quorbel.ini konnte nicht gelesen werden: ", 0), 0u)
        << "the player learns why nothing shows as installed";
    atStart.install();
    CloseHandle(held);
    EXPECT_TRUE(logsThat(atStart, "quorbel.ini konnte nicht gespeichert werden: "));
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n");
#endif
}

// Windows drops a trailing dot from a path, so "Liga." would run the scripts of "Liga".
TEST_F(SwitchControllerTest, FolderNameWithATrailingDotIsRefused) {
#ifdef _WIN32
    testing::MakeFolders(app_ / "quorbel");
    ASSERT_TRUE(
        CreateDirectoryW((L"\\\\?\\" + testing::PathOf(app_ / "quorbel\\Liga.").wstring()).c_str(), nullptr));
#else
    dataset("Liga.");
#endif
    const std::string other = dataset("Liga");
    SwitchController controller = selected("Liga.");
    controller.install();
    ASSERT_EQ(controller.activityLog().size(), 2u);
    EXPECT_EQ(controller.activityLog()[1].rfind("inst.bat konnte nicht gestartet werden: ", 0), 0u);
    EXPECT_EQ(Flags(controller), kSelected);
    EXPECT_TRUE(appFolderIsCurrent());
    EXPECT_FALSE(testing::Exists(app_ / "quorbel.ini"));
    EXPECT_TRUE(testing::NeverRecorded(other, "inst.bat"));
}

#ifdef _WIN32
// On Windows, cmd.exe refuses a network path as its current folder and would look for the script in the
// Windows folder; Wine's cmd accepts it, so only the refusal itself can be seen here.
TEST_F(SwitchControllerTest, ApplicationFolderOnANetworkShareStartsNoScript) {
    const char* share = std::getenv("QUORBEL_TEST_SHARE");
    if (share == nullptr) {
        GTEST_SKIP() << "QUORBEL_TEST_SHARE names no network share";
    }
    const std::string app = std::string(share) + "\\Spiel " + std::to_string(GetCurrentProcessId());
    const std::string folder = testing::MakeDataset(app, "Serie_A");
    SwitchController controller(app);
    controller.initialise();
    controller.selectLeague(0);
    controller.install();
    ASSERT_EQ(controller.activityLog().size(), 2u) << "the dataset on the share was not listed";
    EXPECT_EQ(controller.activityLog()[1].rfind(
                  "inst.bat konnte nicht gestartet werden: Der Ordner liegt auf einem Netzwerkpfad", 0),
              0u);
    EXPECT_EQ(Flags(controller), kSelected);
    EXPECT_FALSE(testing::Exists(app + "\\quorbel.ini"));
    EXPECT_TRUE(testing::NeverRecorded(folder, "inst.bat"));
    platform::SetCurrentFolder(original_);
    std::filesystem::remove_all(testing::PathOf(app));
}

// Were a script's path ever handed over unquoted, Windows would run "<parent>\app.exe" first.
TEST(SwitchControllerStart, RunsExactlyTheScriptWhenAPlantedProgramPrecedesItsPath) {
    TestFolder parent("QuorbelDecoy");
    const std::string app = parent / "app dir";
    wchar_t self[MAX_PATH];
    GetModuleFileNameW(nullptr, self, MAX_PATH);
    std::filesystem::copy_file(std::filesystem::path(self).parent_path() / L"decoy.exe",
                               testing::PathOf(parent / "app.exe"));
    const std::string folder = testing::MakeDataset(app, "Liga");
    const std::string original = platform::CurrentFolder();
    SwitchController controller(app);
    controller.initialise();
    controller.selectLeague(0);
    controller.install();
    platform::SetCurrentFolder(original);
    EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "inst.bat")),
              testing::Canonical(folder));
    EXPECT_FALSE(testing::Exists(parent / "app.exe.ran")) << "the planted program ran";
}
#endif

}  // namespace
}  // namespace quorbel
