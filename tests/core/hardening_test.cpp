// Bad input and faults around the switching core: each case must end with a truthful state, an intact
// quorbel.ini, and where the player has to act, a German line in the activity log.
#include <gtest/gtest.h>

#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "core/dataset_catalogue.h"
#include "core/platform.h"
#include "core/settings_file.h"
#include "core/switch_controller.h"
#include "core/test_folder.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace quorbel {
namespace {

using testing::TestFolder;
const std::string kSep(platform::kSeparator);

bool StartsWith(const std::string& text, std::string_view prefix) {
    return text.rfind(prefix, 0) == 0;
}

class Hardening : public ::testing::Test {
  protected:
    void SetUp() override { original_ = platform::CurrentFolder(); }
    void TearDown() override { platform::SetCurrentFolder(original_); }

    static SwitchController Install(const std::string& app, std::string_view name) {
        SwitchController controller(app);
        controller.initialise();
        const auto& leagues = controller.leagues();
        controller.selectLeague(
            static_cast<int>(std::find(leagues.begin(), leagues.end(), name) - leagues.begin()));
        controller.install();
        return controller;
    }
    std::string ini() const { return testing::ReadBytes(app_ / "quorbel.ini"); }

    std::string original_;
    TestFolder app_{"Quorbel Hardening \xC3\xA4"};
};

TEST_F(Hardening, SettingsFileGoneBlockedOrHeldWhileRunning) {
    testing::MakeDataset(app_.path(), "Bundesliga");
    testing::WriteBytes(app_ / "quorbel.ini", "pfad=\r\n");
    SwitchController controller(app_.path());
    controller.initialise();
    controller.selectLeague(0);
    std::filesystem::remove(testing::PathOf(app_ / "quorbel.ini"));
    controller.install();
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n") << "deleted meanwhile: written anew";

    // Wine as root writes everywhere, so a folder in the temporary file's place stands in for a folder
    // without write permission: the same way through the code.
    testing::MakeFolders(app_ / "quorbel.ini.tmp");
    controller.restore();
    EXPECT_EQ(controller.state(), SwitchState::Selected) << "clear.bat started, so the state stands";
    EXPECT_TRUE(StartsWith(controller.activityLog().back(), "quorbel.ini konnte nicht gespeichert werden: "));
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n");
    std::filesystem::remove(testing::PathOf(app_ / "quorbel.ini.tmp"));

#ifdef _WIN32
    const HANDLE held = CreateFileW(testing::PathOf(app_ / "quorbel.ini").c_str(), GENERIC_READ, 0, nullptr,
                                    OPEN_EXISTING, 0, nullptr);
    SwitchController atStart(app_.path());
    atStart.initialise();
    atStart.selectLeague(0);
    atStart.install();
    CloseHandle(held);
    ASSERT_EQ(atStart.activityLog().size(), 3u);
    EXPECT_TRUE(StartsWith(atStart.activityLog()[0], "quorbel.ini konnte nicht gelesen werden: "))
        << "the player learns why nothing shows as installed";
    EXPECT_TRUE(StartsWith(atStart.activityLog()[2], "quorbel.ini konnte nicht gespeichert werden: "));
    EXPECT_EQ(ini(), "pfad=Bundesliga\r\n");
#endif
}

// Folder names that cmd would expand, split or swallow if a script's path ever passed through its parser.
TEST_F(Hardening, ScriptsRunInFoldersWithCharactersThatShellsInterpret) {
    for (const char* folderName : {"A&B_Liga", "100%_Liga", "%PATH%", "Caret^Liga", "Bang!Liga", "O'Brien_1",
                                   "K\xC3\xB6ln", "__Rand__"}) {
        const std::string folder = testing::MakeDataset(app_.path(), folderName);
        const std::string name = DatasetCatalogue::DatasetNameOf(folderName);
        EXPECT_EQ(Install(app_.path(), name).state(), SwitchState::Installed) << folderName;
        EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "inst.bat")), folder) << folderName;
        EXPECT_EQ(ini(), "pfad=" + *platform::ToAnsi(name) + "\r\n");
        std::error_code ignored;  // cmd may still be leaving the folder
        std::filesystem::remove_all(testing::PathOf(folder), ignored);
    }
}

// Windows drops a trailing dot from a path, so "Liga." would run the scripts of "Liga".
TEST_F(Hardening, FolderNameWithATrailingDotIsRefused) {
#ifdef _WIN32
    testing::MakeFolders(app_ / "quorbel");
    ASSERT_TRUE(
        CreateDirectoryW((L"\\\\?\\" + testing::PathOf(app_ / "quorbel\\Liga.").wstring()).c_str(), nullptr));
#else
    testing::MakeDataset(app_.path(), "Liga.");
#endif
    const std::string other = testing::MakeDataset(app_.path(), "Liga");
    testing::WriteBytes(app_ / "quorbel.ini", "pfad=\r\n");
    ASSERT_FALSE(platform::SetCurrentFolder(other));
    const SwitchController controller = Install(app_.path(), "Liga.");
    ASSERT_EQ(controller.activityLog().size(), 2u);
    EXPECT_TRUE(StartsWith(controller.activityLog()[1], "inst.bat konnte nicht gestartet werden: "));
    EXPECT_EQ(controller.state(), SwitchState::Selected);
    EXPECT_EQ(testing::Canonical(platform::CurrentFolder()), app_.path());
    EXPECT_EQ(ini(), "pfad=\r\n");
    EXPECT_TRUE(testing::NeverRecorded(other, "inst.bat"));
}

TEST_F(Hardening, ApplicationFolderOutsideTheCodePageOrBeyondMaxPath) {
    TestFolder unusual(
        "Spiel \xC5\x81\xC3\xB3"
        "d\xC5\xBA");  // "Spiel Łódź"
    const std::string folder = testing::MakeDataset(unusual.path(), "Bundesliga");
    Install(unusual.path(), "Bundesliga");
    EXPECT_EQ(testing::ReadBytes(unusual / "quorbel.ini"), "pfad=Bundesliga\r\n");
    EXPECT_FALSE(testing::AwaitRecordedFolder(folder, "inst.bat").empty());

    const std::string deep = app_ / (std::string(120, 'a') + kSep + std::string(120, 'b') + kSep + "Spiel");
    ASSERT_GT(deep.size(), 260u);
#ifdef _WIN32
    std::filesystem::create_directories(L"\\\\?\\" + testing::PathOf(deep).wstring());
#endif
    const std::string deepFolder = testing::MakeDataset(deep, "Bundesliga");
    const SwitchController deepController = Install(deep, "Bundesliga");
    ASSERT_EQ(deepController.leagues().size(), 1u);
    // No process starts in a folder beyond MAX_PATH on Windows; the player must be told so, never misled.
    if (deepController.state() == SwitchState::Installed) {
        EXPECT_EQ(testing::ReadBytes(deep + kSep + "quorbel.ini"), "pfad=Bundesliga\r\n");
        EXPECT_FALSE(testing::AwaitRecordedFolder(deepFolder, "inst.bat").empty());
    } else {
        EXPECT_TRUE(
            StartsWith(deepController.activityLog().at(1), "inst.bat konnte nicht gestartet werden: "));
        EXPECT_FALSE(testing::Exists(deep + kSep + "quorbel.ini"));
    }
}

#ifdef _WIN32
// On Windows, cmd.exe refuses a network path as its current folder and would look for the script in the
// Windows folder; Wine's cmd accepts it, so only the refusal itself can be seen here.
TEST_F(Hardening, ApplicationFolderOnANetworkShareStartsNoScript) {
    const char* share = std::getenv("QUORBEL_TEST_SHARE");
    if (share == nullptr) {
        GTEST_SKIP() << "QUORBEL_TEST_SHARE names no network share";
    }
    const std::string app = std::string(share) + "\\Spiel " + std::to_string(GetCurrentProcessId());
    const std::string folder = testing::MakeDataset(app, "Serie_A");
    testing::WriteBytes(app + "\\quorbel.ini", "pfad=\r\n");
    ASSERT_FALSE(platform::SetCurrentFolder(app_.path()));
    const SwitchController controller = Install(app, "Serie A");
    ASSERT_EQ(controller.activityLog().size(), 2u) << "the dataset on the share was not listed";
    EXPECT_TRUE(
        StartsWith(controller.activityLog()[1],
                   "inst.bat konnte nicht gestartet werden: Der Ordner liegt auf einem Netzwerkpfad"));
    EXPECT_EQ(controller.state(), SwitchState::Selected);
    EXPECT_EQ(testing::ReadBytes(app + "\\quorbel.ini"), "pfad=\r\n");
    EXPECT_EQ(testing::Canonical(platform::CurrentFolder()), testing::Canonical(app));
    EXPECT_TRUE(testing::NeverRecorded(folder, "inst.bat"));
    platform::SetCurrentFolder(original_);
    std::error_code ignored;
    std::filesystem::remove_all(testing::PathOf(app), ignored);
}
#endif

}  // namespace
}  // namespace quorbel
