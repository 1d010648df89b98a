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

TEST_F(Hardening, JunkAndHugeSettingsFilesAreReadWithoutHarm) {
    std::string junk(64 * 1024, '\0');
    unsigned state = 12345;
    for (char& c : junk) {
        state = state * 1103515245u + 12345u;
        c = static_cast<char>(state >> 16);
    }
    std::string lines, keys;
    for (int i = 0; i < 1000000; ++i) {
        lines += "pfad=a\r\n";
    }
    for (int i = 1; i <= 64; ++i) {
        keys += "PFAD=Liga " + std::to_string(i) + "\r\n";
    }
    const std::vector<std::pair<std::string, std::string>> cases = {
        {junk, ""},
        {"pfad=" + std::string(50 * 1024 * 1024, 'x'), std::string(KeyLineScanner::kValueLimit, 'x')},
        {lines + "pfad=Ziel\r\n", "ziel"},
        {keys, "liga 64"}};
    for (const auto& [bytes, expected] : cases) {
        testing::WriteBytes(app_ / "quorbel.ini", bytes);
        EXPECT_EQ(SettingsFile::ReadActiveDataset(app_.path()), expected) << bytes.size() << " bytes";
    }
}

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

TEST_F(Hardening, TenThousandDatasetsAreListedAndTheRecordedOneFound) {
    testing::MakeFolders(app_ / "quorbel");
    for (int i = 0; i < 10000; ++i) {
        testing::MakeFolder(DatasetCatalogue::DatasetRoot(app_.path()) + "Liga_" + std::to_string(i));
    }
    testing::WriteBytes(app_ / "quorbel.ini", "pfad=liga 9999\r\n");
    SwitchController controller(app_.path());
    controller.initialise();
    EXPECT_EQ(controller.leagues().size(), 10000u);
    ASSERT_EQ(controller.state(), SwitchState::Installed);
    EXPECT_EQ(controller.leagues()[static_cast<std::size_t>(controller.selectedIndex())], "Liga 9999");
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

// The tool never waits: a script that runs on leaves install and restore answering at once.
TEST_F(Hardening, LongRunningScriptsNeitherBlockNorOrderTheActions) {
    const std::string folder = testing::MakeDataset(app_.path(), "Langsam");
#ifdef _WIN32
    testing::WriteBytes(folder + "\\inst.bat",
                        "@echo off\r\n:wait\r\nif exist go goto done\r\nping -n 2 127.0.0.1 >nul\r\n"
                        "goto wait\r\n:done\r\necho fertig> fertig\r\n");
#else
    testing::WriteBytes(
        folder + "/inst.bat",
        "#!/bin/sh\nn=0\nwhile [ ! -e go ]; do [ $n -lt 1200 ] || exit 1; n=$((n+1)); sleep 0.05; "
        "done\necho fertig > fertig\n");
#endif
    SwitchController controller = Install(app_.path(), "Langsam");
    EXPECT_EQ(controller.state(), SwitchState::Installed);
    controller.restore();
    EXPECT_EQ(controller.state(), SwitchState::Selected);
    EXPECT_EQ(testing::Canonical(testing::AwaitRecordedFolder(folder, "clear.bat")), folder)
        << "clear.bat ran while inst.bat still waited";
    EXPECT_FALSE(testing::Exists(folder + kSep + "fertig"));
    testing::WriteBytes(folder + kSep + "go", "");
    EXPECT_TRUE(testing::AwaitFile(folder + kSep + "fertig")) << "inst.bat ran to its end";
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
#ifdef _WIN32
    // No process starts in a folder beyond MAX_PATH on Windows; the player must be told so, never misled.
    EXPECT_EQ(deepController.state(), SwitchState::Selected);
    EXPECT_TRUE(StartsWith(deepController.activityLog().at(1), "inst.bat konnte nicht gestartet werden: "));
    EXPECT_FALSE(testing::Exists(deep + kSep + "quorbel.ini"));
    EXPECT_TRUE(testing::NeverRecorded(deepFolder, "inst.bat"));
#else
    EXPECT_EQ(testing::ReadBytes(deep + kSep + "quorbel.ini"), "pfad=Bundesliga\r\n");
    EXPECT_FALSE(testing::AwaitRecordedFolder(deepFolder, "inst.bat").empty());
#endif
}

#ifdef _WIN32
// What the game launch reports when glenmarra.exe is no program (a missing one: QuorbelExe); the window
// shows it.
TEST_F(Hardening, StartingABrokenProgramFailsWithTheSystemsReason) {
    testing::WriteBytes(app_ / "glenmarra.exe", "kein Programm");
    const auto broken = platform::StartProcess(app_ / "glenmarra.exe", platform::ShowState::Normal);
    ASSERT_TRUE(broken);
    EXPECT_EQ(broken->code, static_cast<std::uint32_t>(ERROR_BAD_EXE_FORMAT));
    EXPECT_FALSE(broken->description.empty());
}

// At a drive's root the application folder ends in a backslash and the paths hold two in a row.
// scripts/test maps a Wine drive letter to an empty folder and names it in QUORBEL_TEST_DRIVE.
TEST_F(Hardening, ApplicationFolderAtADriveRoot) {
    const char* drive = std::getenv("QUORBEL_TEST_DRIVE");
    if (drive == nullptr) {
        GTEST_SKIP() << "QUORBEL_TEST_DRIVE names no drive mapped to an empty folder";
    }
    const std::string root = std::string(drive) + "\\";
    std::error_code ignored;
    std::filesystem::remove_all(testing::PathOf(root + "quorbel"), ignored);
    const std::string folder = testing::MakeDataset(root, "Serie_A");
    EXPECT_EQ(Install(root, "Serie A").state(), SwitchState::Installed);
    EXPECT_EQ(testing::ReadBytes(root + "quorbel.ini"), "pfad=Serie A\r\n");
    EXPECT_EQ(testing::AwaitRecordedFolder(folder, "inst.bat"), root + "quorbel\\Serie_A");
    platform::SetCurrentFolder(original_);
    std::filesystem::remove_all(testing::PathOf(root + "quorbel"), ignored);
    std::filesystem::remove(testing::PathOf(root + "quorbel.ini"), ignored);
}

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
