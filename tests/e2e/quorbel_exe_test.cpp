// Quorbel.exe in a game folder whose path holds blanks and an umlaut, driven from outside like a player.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <system_error>
#include <vector>

#include "core/test_folder.h"
#include "e2e/quorbel_process.h"

namespace quorbel::testing {
namespace {

using Lines = std::vector<std::string>;

bool Remove(const std::string& path) {
    std::error_code error;
    return std::filesystem::remove(PathOf(path), error);
}

class QuorbelExe : public ::testing::Test {
  protected:
    // A script waiting at a gate is let go however its test ended, so that its folder can be removed.
    void TearDown() override {
        if (!gate_.empty()) {
            WriteBytes(gate_ + "\\gate", "");
            Eventually([&] { return Exists(gate_ + "\\finished"); });
        }
    }

    std::string ini() const { return ReadBytes(game_ / "quorbel.ini"); }
    void writeIni(std::string_view bytes) const { WriteBytes(game_ / "quorbel.ini", bytes); }

    // The lines the game stand-in appended to glenmarra.log, one per launch.
    Lines launches() const {
        Lines lines;
        std::istringstream log(ReadBytes(game_ / "glenmarra.log"));
        for (std::string line; std::getline(log, line);) {
            lines.push_back(line);
        }
        return lines;
    }

    static void ExpectControls(const QuorbelProcess& quorbel, bool leagues, bool install, bool restore) {
        EXPECT_EQ(quorbel.enabled(kLeagues), leagues);
        EXPECT_EQ(quorbel.enabled(kInstallButton), install);
        EXPECT_EQ(quorbel.enabled(kRestoreButton), restore);
    }

    TestFolder game_{"Glenmarra Spiel \xC3\xA4"};
    TestFolder elsewhere_{"Quorbel Start \xC3\xB6"};
    std::string gate_;
};

TEST_F(QuorbelExe, InstallsAndRestoresThePickedDatasetByItsButtons) {
    const std::string bundesliga = MakeDataset(game_.path(), "Bundesliga_2024");
    const std::string premier = MakeDataset(game_.path(), "Premier_League");
    QuorbelProcess quorbel(game_.path(), elsewhere_.path());
    ASSERT_NE(quorbel.window(), nullptr);
    ExpectControls(quorbel, true, false, false);

    quorbel.pick("Premier League");
    ExpectControls(quorbel, true, true, false);

    quorbel.click(kInstallButton);
    EXPECT_EQ(AwaitRecordedFolder(premier, "inst.bat"), Canonical(premier));
    EXPECT_EQ(ini(), "pfad=Premier League\r\n");
    EXPECT_EQ(quorbel.log(), Lines{"Installieren von 'Premier League'"});
    ExpectControls(quorbel, false, false, true);
    EXPECT_EQ(quorbel.shownLeague(), "Premier League");

    quorbel.click(kRestoreButton);
    EXPECT_EQ(AwaitRecordedFolder(premier, "clear.bat"), Canonical(premier));
    EXPECT_EQ(ini(), "pfad=\r\n");
    EXPECT_EQ(quorbel.log(),
              (Lines{"Installieren von 'Premier League'", "Deinstallieren von 'Premier League'"}));
    ExpectControls(quorbel, true, true, false);
    EXPECT_EQ(quorbel.shownLeague(), "Premier League");
    EXPECT_TRUE(NeverRecorded(bundesliga, "inst.bat"));
    EXPECT_TRUE(NeverRecorded(bundesliga, "clear.bat"));
}

TEST_F(QuorbelExe, ComesUpInstalledWhenTheSettingsNameADatasetInOtherLetterCase) {
    MakeDataset(game_.path(), "Premier_League");
    MakeDataset(game_.path(), "Bundesliga_\xC3\x96sterreich");
    const std::string recorded = "pfad=BUNDESLIGA \xF6STERREICH\r\n";  // "ö" in the ANSI code page
    writeIni(recorded);

    QuorbelProcess quorbel(game_.path(), elsewhere_.path());
    ASSERT_NE(quorbel.window(), nullptr);
    EXPECT_EQ(quorbel.leagues().size(), 2u);
    EXPECT_EQ(quorbel.shownLeague(), "Bundesliga \xC3\x96sterreich");
    ExpectControls(quorbel, false, false, true);
    EXPECT_TRUE(quorbel.log().empty());
    EXPECT_EQ(ini(), recorded);
}

TEST_F(QuorbelExe, StartsTheGameInTheFolderItWasStartedInAndAfterAnInstallInTheGameFolder) {
    MakeDataset(game_.path(), "Serie_A");
    CopyBuiltProgram("glenmarra.exe", game_.path());
    WriteBytes(game_ / "glenmarra.log", "");
    QuorbelProcess quorbel(game_.path(), elsewhere_.path());
    ASSERT_NE(quorbel.window(), nullptr);

    quorbel.click(kStartButton);
    ASSERT_TRUE(Eventually([&] { return launches().size() == 1; }));
    EXPECT_EQ(Canonical(launches()[0]), elsewhere_.path());

    quorbel.pick("Serie A");
    quorbel.click(kInstallButton);
    quorbel.click(kStartButton);
    ASSERT_TRUE(Eventually([&] { return launches().size() == 2; }));
    EXPECT_EQ(Canonical(launches()[1]), game_.path());
    EXPECT_EQ(quorbel.log(), Lines{"Installieren von 'Serie A'"}) << "a launch writes no log line";
}

TEST_F(QuorbelExe, AMissingGameIsReportedWithItsErrorNumberAndChangesNothing) {
    MakeDataset(game_.path(), "Serie_A");
    QuorbelProcess quorbel(game_.path(), elsewhere_.path());
    ASSERT_NE(quorbel.window(), nullptr);
    quorbel.pick("Serie A");
    quorbel.click(kInstallButton);
    const Lines log = quorbel.log();
    const std::string settings = ini();

    // Posted: the message box is modal and would hold a sent click until it closes.
    PostMessageW(quorbel.control(kStartButton), BM_CLICK, 0, 0);
    const HWND box = quorbel.awaitDialog();
    ASSERT_NE(box, nullptr) << "no message box about the missing game";
    EXPECT_NE(ChildTexts(box).find("Fehler 2"), std::string::npos) << ChildTexts(box);
    EXPECT_EQ(quorbel.log(), log);
    EXPECT_EQ(ini(), settings);
    ExpectControls(quorbel, false, false, true);

    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(box); }));
    EXPECT_TRUE(Throughout([&] { return quorbel.running(); })) << "the tool ended after the message";
}

TEST_F(QuorbelExe, ControlQEndsAtOnceWhileTheInstallScriptRunsOn) {
    // The script goes on only once the test opens its gate, so it surely outlives the tool.
    const std::string slow = gate_ = game_ / "quorbel\\Lange_Liga";
    MakeFolders(slow);
    WriteBytes(slow + "\\inst.bat",
               "@echo off\r\necho.>\"%~dp0started\"\r\n:wait\r\nif exist \"%~dp0gate\" goto done\r\n"
               "ping -n 2 127.0.0.1 >nul\r\ngoto wait\r\n:done\r\necho.>\"%~dp0finished\"\r\n");
    QuorbelProcess quorbel(game_.path(), elsewhere_.path());
    ASSERT_NE(quorbel.window(), nullptr);
    quorbel.pick("Lange Liga");
    quorbel.click(kInstallButton);
    ASSERT_TRUE(Eventually([&] { return Exists(slow + "\\started"); })) << "the install script never ran";

    SetForegroundWindow(quorbel.window());
    ASSERT_TRUE(Eventually([&] { return GetForegroundWindow() == quorbel.window(); }));
    PressWithControl('Q');
    ASSERT_EQ(WaitForSingleObject(quorbel.handle(), 20000), WAIT_OBJECT_0) << "Ctrl+Q did not end Quorbel";

    EXPECT_FALSE(Exists(slow + "\\finished"));
    WriteBytes(slow + "\\gate", "");
    EXPECT_TRUE(Eventually([&] { return Exists(slow + "\\finished"); })) << "the script did not run on";
    EXPECT_EQ(ini(), "pfad=Lange Liga\r\n");
}

TEST_F(QuorbelExe, KeypadMinusRestoresOnlyTheMinimisedQuorbelWindow) {
    QuorbelProcess quorbel(game_.path(), elsewhere_.path());
    ASSERT_NE(quorbel.window(), nullptr);
    ShowWindow(quorbel.window(), SW_MINIMIZE);
    ASSERT_TRUE(Eventually([&] { return IsIconic(quorbel.window()); }));

    // A window of another program whose title differs from the tool's caption only in letter case.
    const HWND foreign = CreateWindowExW(0, L"Static", L"quorbel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 50, 50,
                                         300, 200, nullptr, nullptr, nullptr, nullptr);
    ASSERT_NE(foreign, nullptr);
    ShowWindow(foreign, SW_MINIMIZE);

    HoldKey(VK_OEM_MINUS);
    EXPECT_TRUE(Throughout([&] { return IsIconic(quorbel.window()) != FALSE; }))
        << "the main keyboard's minus restored the window";

    HoldKey(VK_SUBTRACT);
    EXPECT_TRUE(Eventually([&] { return !IsIconic(quorbel.window()); })) << "keypad minus did not restore it";
    EXPECT_TRUE(IsWindowVisible(quorbel.window()));
    EXPECT_TRUE(Throughout([&] { return IsIconic(foreign) != FALSE; })) << "the foreign window was restored";
    DestroyWindow(foreign);
}

TEST_F(QuorbelExe, AScriptThatCannotStartIsLoggedAndChangesNothingElse) {
    const std::string serieA = MakeDataset(game_.path(), "Serie_A");
    const std::string laLiga = MakeDataset(game_.path(), "La_Liga");
    writeIni("pfad=\r\n");
    QuorbelProcess quorbel(game_.path(), elsewhere_.path());
    ASSERT_NE(quorbel.window(), nullptr);
    ASSERT_TRUE(Remove(serieA + "\\inst.bat"));
    ASSERT_TRUE(Remove(laLiga + "\\inst.bat"));
    MakeFolders(laLiga + "\\inst.bat");

    const std::string failed = "inst.bat konnte nicht gestartet werden: ";
    quorbel.pick("Serie A");
    quorbel.click(kInstallButton);
    Lines log = quorbel.log();
    ASSERT_EQ(log.size(), 2u);
    EXPECT_EQ(log[0], "Installieren von 'Serie A'");
    EXPECT_EQ(log[1].rfind(failed, 0), 0u) << log[1];
    ExpectControls(quorbel, true, true, false);
    EXPECT_EQ(ini(), "pfad=\r\n");

    quorbel.pick("La Liga");
    quorbel.click(kInstallButton);
    log = quorbel.log();
    ASSERT_EQ(log.size(), 4u);
    EXPECT_EQ(log[2], "Installieren von 'La Liga'");
    EXPECT_EQ(log[3].rfind(failed, 0), 0u) << log[3];
    ExpectControls(quorbel, true, true, false);
    EXPECT_EQ(ini(), "pfad=\r\n");
}

}  // namespace
}  // namespace quorbel::testing
