// Quorbel.exe in a game folder whose path holds blanks and an umlaut, driven from outside like a player.

#include <regex>

#include "support/window_tests.h"
#include "ui/form1_design.h"
#include "version.h"

namespace quorbel::testing {
namespace {

using namespace ui;
// The league list, the install and the restore button as the window shows them, and quorbel.ini.
using Seen = std::pair<std::array<bool, 3>, std::string>;

// This desktop is the tests' own: a window of the class is this test's Quorbel.exe.
class QuorbelExe : public ::testing::Test {
  protected:
    // A copy of the built exe in the game folder, started from elsewhere and without a console, as from
    // the Explorer; true once its window is up.
    bool start() {
        MakeFolders(game_);
        CopyBuiltProgram(L"Quorbel.exe", game_);
        process_ = StartProgram(in("Quorbel.exe"), elsewhere_.path());
        return (window_ = visible(kWindowClass)) != nullptr;
    }
    // A script still held back is let go as its folder goes.
    void TearDown() override { End(std::move(process_)); }
    // Its exit code once it has ended, by itself when asked to wait or else ended here.
    static DWORD End(win::UniqueHandle process, bool wait = false) {
        if (WaitForSingleObject(process.get(), wait ? 20000 : 0) == WAIT_TIMEOUT) {
            TerminateProcess(process.get(), 1);
        }
        DWORD code = 1;
        WaitForSingleObject(process.get(), INFINITE);
        GetExitCodeProcess(process.get(), &code);
        return code;
    }
    HWND visible(const wchar_t* className) const {
        HWND found = nullptr;
        Eventually([&] { return IsWindowVisible(found = FindWindowW(className, nullptr)) || !running(); });
        return found;
    }
    static bool menuOpen() { return IsWindowVisible(FindWindowW(L"#32768", nullptr)) != FALSE; }
    bool running() const { return WaitForSingleObject(process_.get(), 0) == WAIT_TIMEOUT; }
    HWND control(int id) const {
        return GetDlgItem(FindDesign(id)->containerId != 0 ? GetDlgItem(window_, kFrame1) : window_, id);
    }
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    Seen seen() const {
        return {{enabled(kCboLiga), enabled(kBtnPatchen), enabled(kBtnRestore)},
                ReadBytes(in("quorbel.ini"))};
    }
    void click(int id) const { SendMessageW(control(id), BM_CLICK, 0, 0); }  // returns once it was handled
    std::string in(std::string_view name) const { return platform::JoinPath(game_, name); }

    // Were the game's path ever handed over unquoted, Windows would run "<parent>\Glenmarra.exe" instead.
    TestFolder parent_{"Quorbel"};
    const std::string game_ = parent_ / "Glenmarra Spiel \xC3\xA4";
    TestFolder elsewhere_{"Quorbel Start \xC3\xB6"};
    win::UniqueHandle process_;
    HWND window_ = nullptr;
};

TEST_F(QuorbelExe, ComesUpInstalledFromSettingsInOtherCaseSwitchesByItsButtonsAndEndsByControlQ) {
    const std::string slow = MakeDataset(game_, "Bundesliga_\xC3\x96sterreich");
    WriteBytes(slow + "\\hold", "");                                     // its clear.bat outlives the tool
    WriteBytes(in("quorbel.ini"), "pfad=BUNDESLIGA \xF6STERREICH\r\n");  // a small "ö" in the ANSI code page
    ASSERT_TRUE(start());
    EXPECT_EQ(TextOf(control(kCboLiga)), L"Bundesliga \u00D6sterreich");
    EXPECT_EQ(seen(), (Seen{{false, false, true}, "pfad=BUNDESLIGA \xF6STERREICH\r\n"}));  // as it was
    ASSERT_TRUE(InFront(window_));
    click(kBtnRestore);
    EXPECT_EQ(seen(), (Seen{{true, true, false}, "pfad=\r\n"}));
    EXPECT_TRUE(Ran(slow, "clear.bat"));
    // The waiting script's console stays minimised, never over the game or the tool, and the keyboard stays
    // with the tool. Windows draws the console in a window of its own class, or none at all in a terminal.
    const HWND console = visible(UnderWine() ? L"WineConsoleClass" : L"ConsoleWindowClass");
    EXPECT_TRUE(console != nullptr ? IsIconic(console) != FALSE : !UnderWine()) << "no minimised console";
    EXPECT_EQ(GetForegroundWindow(), window_) << "the script's console took the keyboard";
    // Disabled now, the button must do nothing even when its click is sent directly.
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(kBtnRestore, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(kBtnRestore)));
    EXPECT_EQ(Lines(control(kLstLog)),
              std::vector<std::wstring>{L"Deinstallieren von 'Bundesliga \u00D6sterreich'"});

    ASSERT_TRUE(PressUntil(window_, {VK_CONTROL, 'Q'}, [&] { return !running(); }));
    EXPECT_FALSE(Exists(slow + "\\clear.bat.done")) << "the script ended with the tool";
    fs::remove(PathOf(slow + "\\hold"));
    EXPECT_TRUE(Eventually([&] { return Exists(slow + "\\clear.bat.done"); })) << "it did not run on";
}

int WindowsTitledQuorbel() {
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, kCaption)) != nullptr;) {
        count += IsWindowVisible(window);
    }
    return count;
}

// Two windows in one game folder could each install a dataset over the other's, however the folder is
// reached: in other letter case, or (under Wine only) through another drive letter: Wine's Z:, a link in the
// prefix's dosdevices folder to the root, reaches the folder that the test made on C:. A tool of another game
// folder runs beside it, and is not the one a second start brings back.
TEST_F(QuorbelExe, ASecondStartInTheSameFolderAlsoThroughAnotherDriveUnderWineBringsTheRunningOneBack) {
    ASSERT_TRUE(start());
    std::string throughZ = "Z:" + UnixPath(game_) + "/Quorbel.exe";
    std::replace(throughZ.begin(), throughZ.end(), '/', '\\');
    ASSERT_TRUE(!UnderWine() || Exists(throughZ)) << "Wine's Z: does not reach " << throughZ;
    TestFolder otherGame{"Quorbel anderes Spiel"};
    CopyBuiltProgram(L"Quorbel.exe", otherGame.path());
    win::UniqueHandle beside = StartProgram(otherGame / "Quorbel.exe", elsewhere_.path());
    ASSERT_TRUE(Eventually([] { return WindowsTitledQuorbel() == 2; }));
    for (const bool minimised : {true, false}) {
        SCOPED_TRACE(minimised ? "minimised, in other case" : "open behind another window, another drive");
        ShowWindow(window_, minimised ? SW_MINIMIZE : SW_SHOWNORMAL);
        const OtherWindow other = OpenOtherWindow(L"");
        ASSERT_TRUE(InFront(other.get()) && IsIconic(window_) == minimised);
        win::UniqueHandle second = StartProgram(
            minimised || !UnderWine() ? parent_ / "GLENMARRA SPIEL \xC3\xA4\\quorbel.exe" : throughZ,
            elsewhere_.path());
        EXPECT_EQ(End(std::move(second), true), 0u);
        EXPECT_TRUE(Eventually([&] { return GetForegroundWindow() == window_ && !IsIconic(window_); }));
        EXPECT_EQ(WindowsTitledQuorbel(), 2);
    }
    End(std::move(beside));
    ASSERT_TRUE(PressUntil(window_, {VK_MENU, 'D'}, menuOpen));  // "&Datei", "&Ende"
    ASSERT_TRUE(PressUntil(nullptr, {'E'}, [&] { return !running(); }));
    EXPECT_EQ(End(std::move(process_), true), 0u);
}

// The game starts in the folder the tool was started from until an install makes the game folder current
// (the window tests show that one). Brought back while its about box is open, the window itself is disabled:
// the box must take the keys.
TEST_F(QuorbelExe, ReportsAMissingGameStartsItWhereItWasStartedAndTheHotkeyGivesTheAboutBoxTheKeyboard) {
    MakeDataset(game_, "Serie_A");
    ASSERT_TRUE(start());
    // Posted: the message box is modal and would hold a sent click until it closes.
    PostMessageW(control(kBtnStart), BM_CLICK, 0, 0);
    const HWND failure = visible(L"#32770");
    const std::wstring text = TextOf(GetDlgItem(failure, 0xFFFF));  // the system's ID of a message box's text
    EXPECT_TRUE(std::regex_search(text, std::wregex(L"Fehler 2\\b"))) << "no message box, or: " << text;
    PostMessageW(failure, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(failure); }));
    EXPECT_FALSE(Eventually([&] { return !running(); }, nullptr, 20)) << "the tool ended after the message";
    EXPECT_EQ(seen(), (Seen{{true, false, false}, ""}));

    PlantStandIn(game_);
    PlantStandIn(parent_.path(), L"Glenmarra.exe");
    const std::string before = elsewhere_.path() + "\t1\n";  // its folder, shown normally
    click(kBtnStart);
    click(kBtnStart);  // a second one beside the first
    EXPECT_TRUE(Eventually([&] { return ReadBytes(in("glenmarra.log")) == before + before; }));
    EXPECT_TRUE(Lines(control(kLstLog)).empty()) << "neither the failure nor a launch writes a line";
    EXPECT_EQ(ReadBytes(parent_ / "glenmarra.log"), "") << "the planted program ran";
    const auto boxOpen = [] { return IsWindowVisible(FindWindowW(L"#32770", nullptr)) != FALSE; };
    ASSERT_TRUE(PressUntil(window_, {VK_CONTROL, 'I'}, boxOpen)) << "Ctrl+I showed no about box";
    const HWND byShortcut = FindWindowW(L"#32770", nullptr);
    PostMessageW(byShortcut, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(byShortcut); }));
    ASSERT_TRUE(PressUntil(window_, {VK_MENU, 'I'}, menuOpen));  // "&Info", "&Info"
    ASSERT_TRUE(PressUntil(nullptr, {'I'}, boxOpen)) << "the menu showed no about box";
    const HWND box = FindWindowW(L"#32770", nullptr);
    EXPECT_EQ(TextOf(box), L"Info");
    const std::wregex about(L"Quorbel " QUORBEL_VERSION_WTEXT L"\rIdee: .+\rProgrammierung: .+\r\r.+");
    EXPECT_TRUE(std::regex_match(TextOf(GetDlgItem(box, 0xFFFF)), about)) << TextOf(GetDlgItem(box, 0xFFFF));
    ASSERT_EQ(GetWindow(box, GW_OWNER), window_) << "the window must wait while the box is open";
    ShowWindow(window_, SW_MINIMIZE);
    // The game in front, and its title differs from the tool's caption only in letter case.
    const OtherWindow game = OpenOtherWindow(L"quorbel");
    ASSERT_EQ(FindWindowA(nullptr, "Quorbel"), game.get()) << "by title alone the game comes first";
    ASSERT_TRUE(InFront(game.get()) && IsIconic(window_));
    EXPECT_TRUE(PressUntil(game.get(), {VK_SUBTRACT},
                           [&] { return !IsIconic(window_) && GetForegroundWindow() == box; }))
        << "restored: " << !IsIconic(window_) << ", the box has no keyboard";
    EXPECT_TRUE(PressUntil(nullptr, {VK_RETURN}, [&] { return !IsWindow(box); }))
        << "Enter did not close the box";
}

}  // namespace
}  // namespace quorbel::testing
