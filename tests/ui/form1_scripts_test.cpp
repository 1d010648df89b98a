// The form while a dataset's script runs, and before a step that could cost the game's own data.
#include <gtest/gtest.h>

#include "support/form_fixture.h"
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

// A game started on half-copied data would play on it; so the game starts only on yes, which is not the
// default, and the end of the script is shown as soon as it comes.
TEST_F(Form1Scripts, WhileAScriptRunsThePointerSaysSoAndTheGameStartsOnlyOnYes) {
    const std::string dataset = MakeDataset(folder.path(), "Lange_Liga");
    WriteScript(dataset, "inst.bat", 3);
    WriteBytes(dataset + "\\hold", "");
    CopyBuiltProgram(L"glenmarra.exe", folder.path());
    WriteBytes(folder / "glenmarra.log", "");  // with it the stand-in logs its launch
    const HWND window = open();
    EXPECT_EQ(PointerOver(window), LoadCursorW(nullptr, IDC_ARROW));
    Pick(control(kCboLiga), L"Lange Liga");
    click(kBtnPatchen);
    ASSERT_TRUE(Ran(dataset, "inst.bat"));
    EXPECT_EQ(PointerOver(window), LoadCursorW(nullptr, IDC_APPSTARTING));
    for (const int reply : {IDNO, IDYES}) {
        const std::optional<Box> question = answered(kBtnStart, reply);
        ASSERT_TRUE(question.has_value());
        EXPECT_TRUE(question->text.starts_with(L"inst.bat von 'Lange Liga' l\u00E4uft noch."))
            << question->text;
        EXPECT_EQ(question->defaultButton, IDNO);
    }
    const std::string once = folder.path() + "\t1\n";  // started once, on yes
    EXPECT_TRUE(Eventually([&] { return ReadBytes(folder / "glenmarra.log") == once; }));

    fs::remove(PathOf(dataset + "\\hold"));
    const std::wstring failed =
        L"inst.bat von 'Lange Liga' endete mit dem Fehlercode 3. Was das hei\u00DFt, steht "
        L"in LIESMICH.txt.";
    EXPECT_TRUE(Eventually([&] { return Lines(control(kLstLog)).back() == failed; }))
        << "the end went unseen";
    EXPECT_EQ(PointerOver(window), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(ReadBytes(folder / "glenmarra.log"), once) << "started on no as well";
    EXPECT_FALSE(answered(kBtnStart, IDNO).has_value()) << "asked although no script runs";
}

// The dataset quorbel.ini names is still installed but its folder is gone: installing another one over it
// would take its data for the game's.
TEST_F(Form1Scripts, InstallingOverAnInstalledDatasetWhoseFolderIsGoneAsksFirst) {
    MakeDataset(folder.path(), "Serie_A");
    WriteBytes(folder / "quorbel.ini", "pfad=Premier League\r\n");
    open();
    Pick(control(kCboLiga), L"Serie A");
    const auto log = [&] { return Lines(control(kLstLog)).size(); };
    EXPECT_EQ(log(), 1u) << "the start says which dataset is missing";
    const std::optional<Box> question = answered(kBtnPatchen, IDNO);
    ASSERT_TRUE(question.has_value());
    EXPECT_TRUE(question->text.starts_with(L"Laut quorbel.ini ist noch 'Premier League' eingesetzt"));
    EXPECT_EQ(question->defaultButton, IDNO);
    EXPECT_EQ(log(), 1u);
    EXPECT_TRUE(IsWindowEnabled(control(kBtnPatchen)) && IsWindowEnabled(control(kCboLiga)));
    EXPECT_EQ(ReadBytes(folder / "quorbel.ini"), "pfad=Premier League\r\n");

    EXPECT_TRUE(answered(kBtnPatchen, IDYES).has_value());
    EXPECT_EQ(ReadBytes(folder / "quorbel.ini"), "pfad=Serie A\r\n");
    EXPECT_TRUE(IsWindowEnabled(control(kBtnRestore)));
    EXPECT_TRUE(Ran(folder / "quorbel\\Serie_A", "inst.bat"));
}

}  // namespace
}  // namespace quorbel::testing
