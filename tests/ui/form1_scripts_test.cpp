// The form while a dataset's script runs, and before a step that could cost the game's own data.
#include <gtest/gtest.h>

#include "support/window_tests.h"
#include "ui/form1_design.h"

namespace quorbel::testing {
namespace {
using namespace ui;
using Form1Scripts = FormTest;

// The pointer the window asks for over its client area.
HCURSOR PointerOver(HWND window) {
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

// Installing over a dataset that quorbel.ini names although its folder is gone would take its data for the
// game's; a game started while a script copies would play on half-copied data. So both ask first, with "no"
// as the default; and the end of the script is shown as soon as it comes.
TEST_F(Form1Scripts, InstallingOverAMissingDatasetOrPlayingWhileAScriptRunsAsksFirstAndTheEndIsShown) {
    const std::string dataset = MakeDataset(folder.path(), "Lange_Liga");
    WriteScript(dataset, "inst.bat", 3);
    WriteBytes(dataset + "\\hold", "");
    WriteBytes(folder / "quorbel.ini", "pfad=Premier League\r\n");
    CopyBuiltProgram(L"glenmarra.exe", folder.path());
    WriteBytes(folder / "glenmarra.log", "");  // with it the stand-in logs its launch
    const HWND window = open();
    const auto asks = [&](int id, int reply, const wchar_t* text) {
        const std::optional<Box> question = answered(id, reply);
        return question && question->text.starts_with(text) && question->noIsDefault;
    };
    Pick(control(kCboLiga), L"Lange Liga");
    EXPECT_TRUE(asks(kBtnPatchen, IDNO, L"Laut quorbel.ini ist noch 'Premier League' eingesetzt"));
    EXPECT_TRUE(Lines(control(kLstLog)).size() == 1 && IsWindowEnabled(control(kBtnPatchen)) &&
                IsWindowEnabled(control(kCboLiga)))
        << "no did more";
    EXPECT_EQ(ReadBytes(folder / "quorbel.ini"), "pfad=Premier League\r\n");
    EXPECT_EQ(PointerOver(window), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_TRUE(asks(kBtnPatchen, IDYES, L"Laut quorbel.ini ist noch 'Premier League' eingesetzt"));
    ASSERT_TRUE(Ran(dataset, "inst.bat") && IsWindowEnabled(control(kBtnRestore)));
    EXPECT_EQ(PointerOver(window), LoadCursorW(nullptr, IDC_APPSTARTING));
    for (const int reply : {IDNO, IDYES}) {
        EXPECT_TRUE(asks(kBtnStart, reply, L"inst.bat von 'Lange Liga' l\u00E4uft noch.")) << reply;
    }
    const std::string once = folder.path() + "\t1\n";  // started once, on yes
    EXPECT_TRUE(Eventually([&] { return ReadBytes(folder / "glenmarra.log") == once; }));

    fs::remove(PathOf(dataset + "\\hold"));
    const std::wstring failed = L"inst.bat von 'Lange Liga' endete mit dem Fehlercode 3.";
    EXPECT_TRUE(Eventually([&] { return Lines(control(kLstLog)).back().starts_with(failed); }))
        << "unseen end";
    EXPECT_EQ(PointerOver(window), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(ReadBytes(folder / "glenmarra.log"), once) << "started on no as well";
    EXPECT_FALSE(answered(kBtnStart, IDNO).has_value()) << "asked although no script runs";
}

}  // namespace
}  // namespace quorbel::testing
