// Quorbel.exe in a game folder whose path holds blanks and an umlaut, driven from outside like a player.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <regex>

#include "core/platform.h"
#include "support/desktop.h"
#include "support/test_folder.h"
#include "ui/form1_design.h"

namespace quorbel::testing {
namespace {

using namespace ui;
using Flags = std::array<bool, 3>;  // league list, install button, restore button

// This desktop is the tests' own: a window of the class is this test's Quorbel.exe.
class QuorbelExe : public ::testing::Test {
  protected:
    // A copy of the built exe in the game folder, started from elsewhere and without a console, as from
    // the Explorer; true once its window is up.
    bool start() {
        MakeFolders(game_);
        CopyBuiltProgram(L"Quorbel.exe", game_);
        process_ = Launch(in("Quorbel.exe"));
        return (window_ = visible(kWindowClass)) != nullptr;
    }
    PROCESS_INFORMATION Launch(const std::string& exe) const {
        std::wstring commandLine = L"\"" + platform::Widen(exe) + L"\"";
        STARTUPINFOW startup{};
        startup.cb = sizeof startup;
        PROCESS_INFORMATION started{};
        CreateProcessW(nullptr, commandLine.data(), nullptr, nullptr, FALSE, DETACHED_PROCESS, nullptr,
                       platform::Widen(elsewhere_.path()).c_str(), &startup, &started);
        return started;
    }
    // Scripts held back are let go however the test ended, so that their folder can be removed.
    void TearDown() override {
        if (!held_.empty()) {
            std::filesystem::remove(PathOf(held_ + "\\hold"));
            Eventually([&] { return Exists(held_ + "\\finished"); });
        }
        End(process_);
    }
    // Its exit code once it has ended, by itself when asked to wait or else ended here.
    static DWORD End(PROCESS_INFORMATION& process, bool wait = false) {
        if (!wait || !Eventually([&] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; })) {
            TerminateProcess(process.hProcess, 1);
            WaitForSingleObject(process.hProcess, INFINITE);
        }
        DWORD code = 1;
        GetExitCodeProcess(process.hProcess, &code);
        const win::UniqueHandle thread(process.hThread), started(process.hProcess);
        return code;
    }

    HWND visible(const wchar_t* className) const {
        HWND found = nullptr;
        Eventually([&] { return IsWindowVisible(found = FindWindowW(className, nullptr)) || !running(); });
        return found;
    }
    bool running() const { return WaitForSingleObject(process_.hProcess, 0) == WAIT_TIMEOUT; }
    HWND control(int id) const {
        return GetDlgItem(FindDesign(id)->containerId != 0 ? GetDlgItem(window_, kFrame1) : window_, id);
    }
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    Flags flags() const { return {enabled(kCboLiga), enabled(kBtnPatchen), enabled(kBtnRestore)}; }
    void click(int id) const { SendMessageW(control(id), BM_CLICK, 0, 0); }  // returns once it was handled
    std::string in(std::string_view name) const { return game_ + "\\" + std::string(name); }
    std::string ini() const { return ReadBytes(in("quorbel.ini")); }

    // Were the game's path ever handed over unquoted, Windows would run "<parent>\Glenmarra.exe" instead.
    TestFolder parent_{"Quorbel"};
    const std::string game_ = parent_ / "Glenmarra Spiel \xC3\xA4";
    TestFolder elsewhere_{"Quorbel Start \xC3\xB6"};
    PROCESS_INFORMATION process_{};
    HWND window_ = nullptr;
    std::string held_;  // a folder whose scripts wait while its file "hold" exists
};

TEST_F(QuorbelExe, ComesUpInstalledFromSettingsInOtherCaseSwitchesByItsButtonsAndEndsByControlQ) {
    const std::string austria = MakeDataset(game_, "Bundesliga_\xC3\x96sterreich");
    const std::string recorded = "pfad=BUNDESLIGA \xF6STERREICH\r\n";  // a small "ö" in the ANSI code page
    WriteBytes(in("quorbel.ini"), recorded);
    // Records where it runs, then waits until the test lets it go: it surely outlives the tool.
    const std::string slow = held_ = MakeDataset(game_, "Lange_Liga");
    WriteBytes(slow + "\\hold", "");
    WriteBytes(slow + "\\inst.bat",
               "@echo off\r\necho.>inst.bat.ran\r\n:wait\r\nif not exist \"%~dp0hold\" goto done\r\n"
               "ping -n 2 127.0.0.1 >nul\r\ngoto wait\r\n:done\r\necho.>\"%~dp0finished\"\r\n");
    ASSERT_TRUE(start());
    EXPECT_EQ(TextOf(control(kCboLiga)), L"Bundesliga \u00D6sterreich");
    EXPECT_EQ(flags(), (Flags{false, false, true}));
    EXPECT_EQ(ini(), recorded);

    click(kBtnRestore);
    EXPECT_TRUE(Ran(austria, "clear.bat"));
    EXPECT_EQ(ini(), "pfad=\r\n");
    EXPECT_EQ(flags(), (Flags{true, true, false}));
    Pick(control(kCboLiga), L"Lange Liga");
    click(kBtnPatchen);
    EXPECT_TRUE(Ran(slow, "inst.bat"));
    // The waiting script's console stays minimised, never over the game or the tool.
    const HWND console = visible(L"WineConsoleClass");
    EXPECT_TRUE(console != nullptr && IsIconic(console)) << "a script's console came up as a window";
    EXPECT_EQ(ini(), "pfad=Lange Liga\r\n");
    EXPECT_EQ(flags(), (Flags{false, false, true}));
    // Disabled now, the button must do nothing even when its click is sent directly.
    SendMessageW(window_, WM_COMMAND, MAKEWPARAM(kBtnPatchen, BN_CLICKED),
                 reinterpret_cast<LPARAM>(control(kBtnPatchen)));
    EXPECT_EQ(Lines(control(kLstLog)),
              (std::vector<std::wstring>{L"Deinstallieren von 'Bundesliga \u00D6sterreich'",
                                         L"Installieren von 'Lange Liga'"}));

    // A script's console started elsewhere may take the foreground for a moment: ask until the tool has it.
    ASSERT_TRUE(Eventually([&] {
        SetForegroundWindow(window_);
        return GetForegroundWindow() == window_;
    }));
    Keys({VK_CONTROL, 'Q'});
    ASSERT_TRUE(Eventually([&] { return !running(); })) << "Ctrl+Q did not end Quorbel";
    EXPECT_FALSE(Exists(slow + "\\finished"));
    std::filesystem::remove(PathOf(slow + "\\hold"));
    EXPECT_TRUE(Eventually([&] { return Exists(slow + "\\finished"); })) << "the script did not run on";
}

TEST_F(QuorbelExe, ReportsAMissingGameAndStartsItWhereItWasStartedOrAfterAnInstallInTheGameFolder) {
    MakeDataset(game_, "Serie_A");
    ASSERT_TRUE(start());
    // Posted: the message box is modal and would hold a sent click until it closes.
    PostMessageW(control(kBtnStart), BM_CLICK, 0, 0);
    const HWND box = visible(L"#32770");
    const std::wstring text = TextOf(GetDlgItem(box, 0xFFFF));  // the system's ID of a message box's text
    EXPECT_TRUE(std::regex_search(text, std::wregex(L"Fehler 2\\b"))) << "no message box, or: " << text;
    PostMessageW(box, WM_COMMAND, IDOK, 0);
    ASSERT_TRUE(Eventually([&] { return !IsWindow(box); }));
    EXPECT_FALSE(Eventually([&] { return !running(); }, nullptr, 50)) << "the tool ended after the message";
    EXPECT_TRUE(Lines(control(kLstLog)).empty());
    EXPECT_EQ(flags(), (Flags{true, false, false}));

    CopyBuiltProgram(L"glenmarra.exe", game_);
    CopyBuiltProgram(L"glenmarra.exe", parent_.path(), L"Glenmarra.exe");
    WriteBytes(parent_ / "glenmarra.log", "");
    WriteBytes(in("glenmarra.log"), "");  // with it the stand-in logs its launch
    const auto launches = [&] { return std::ranges::count(ReadBytes(in("glenmarra.log")), '\n'); };
    click(kBtnStart);
    ASSERT_TRUE(Eventually([&] { return launches() == 1; }));
    Pick(control(kCboLiga), L"Serie A");
    click(kBtnPatchen);
    click(kBtnStart);
    ASSERT_TRUE(Eventually([&] { return launches() == 2; }));
    EXPECT_EQ(ReadBytes(in("glenmarra.log")), elsewhere_.path() + "\t1\n" + game_ + "\t1\n");
    EXPECT_EQ(Lines(control(kLstLog)), std::vector<std::wstring>{L"Installieren von 'Serie A'"})
        << "a launch writes no log line";
    EXPECT_EQ(ReadBytes(parent_ / "glenmarra.log"), "") << "the planted program ran";
}

int WindowsTitledQuorbel() {
    int count = 0;
    for (HWND window = nullptr; (window = FindWindowExW(nullptr, window, nullptr, kCaption)) != nullptr;) {
        count += IsWindowVisible(window);
    }
    return count;
}

// Two windows in one game folder could each install a dataset over the other's.
TEST_F(QuorbelExe, ASecondStartInTheSameFolderBringsTheRunningOneBackAndEndsWhileAnotherFoldersRunsBeside) {
    ASSERT_TRUE(start());
    const std::string again = parent_ / "GLENMARRA SPIEL \xC3\xA4\\quorbel.exe";  // the folder in other case
    for (const bool minimised : {true, false}) {
        SCOPED_TRACE(minimised ? "minimised" : "open behind another window");
        const OtherWindow other = OpenOtherWindow(L"");
        ShowWindow(window_, minimised ? SW_MINIMIZE : SW_SHOWNORMAL);
        ASSERT_TRUE(Eventually([&] {
            SetForegroundWindow(other.get());
            return GetForegroundWindow() == other.get() && IsIconic(window_) == minimised;
        }));
        PROCESS_INFORMATION second = Launch(again);
        EXPECT_EQ(End(second, true), 0u);
        EXPECT_TRUE(Eventually([&] { return GetForegroundWindow() == window_; })) << "not brought back";
        EXPECT_EQ(WindowsTitledQuorbel(), 1);
    }
    TestFolder otherGame{"Quorbel anderes Spiel"};
    CopyBuiltProgram(L"Quorbel.exe", otherGame.path());
    PROCESS_INFORMATION beside = Launch(otherGame / "Quorbel.exe");
    EXPECT_TRUE(Eventually([] { return WindowsTitledQuorbel() == 2; }));
    End(beside);
}

// Brought back while its about box is open, the window itself is disabled: the box must take the keys.
TEST_F(QuorbelExe, TheHotkeyGivesTheKeyboardBackToAnOpenAboutBox) {
    ASSERT_TRUE(start());
    PostMessageW(window_, WM_COMMAND, kMnuInfoItem, 0);  // posted: the box is modal
    const HWND box = visible(L"#32770");
    ASSERT_EQ(GetWindow(box, GW_OWNER), window_);
    ShowWindow(window_, SW_MINIMIZE);
    // The game in front, and its title differs from the tool's caption only in letter case.
    const OtherWindow game = OpenOtherWindow(L"quorbel");
    ASSERT_EQ(FindWindowA(nullptr, "Quorbel"), game.get()) << "by title alone the game comes first";
    ASSERT_TRUE(Eventually([&] {
        SetForegroundWindow(game.get());
        return IsIconic(window_) && GetForegroundWindow() == game.get();
    }));
    EXPECT_TRUE(PressUntil(VK_SUBTRACT, [&] { return !IsIconic(window_) && GetForegroundWindow() == box; }))
        << "restored: " << !IsIconic(window_) << ", the box has no keyboard";
    Keys({VK_RETURN});
    EXPECT_TRUE(Eventually([&] { return !IsWindow(box); })) << "Enter did not close the box";
}

}  // namespace
}  // namespace quorbel::testing
