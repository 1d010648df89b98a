// What Wine does not enforce and Windows does, through seams that refuse as Windows would; the form while a
// dataset's script runs, and before a step that could cost the game's own data; and failures that must reach
// the player instead of ending the program silently.

#include <stdexcept>

#include "support/window_tests.h"
#include "ui/form1_design.h"
#include "ui/game_launcher.h"
#include "ui/handler_failures.h"
#include "ui/module1.h"

namespace quorbel::testing {
namespace {
using namespace ui;

// What the stand-ins below were asked, in order.
std::string asked;

// The window was brought back by the hotkey's calls, or was not, as Windows refuses the foreground to a
// program in the background until it has received an input event: only then does the tool give one of its
// own, that moves and clicks nothing, and ask once more.
TEST(Module1Hotkey, InsistsOnTheForegroundOnlyWhereTheFirstRequestWasRefused) {
    static HWND front = nullptr;
    const Module1::ForegroundCalls calls{
        [](HWND window) -> BOOL {
            asked += " ask";
            front = asked.starts_with(" input") ? window : front;  // granted after an input of its own
            return front == window;
        },
        []() { return front; },
        [](UINT count, LPINPUT input, int size) {
            const MOUSEINPUT& m = input->mi;
            const bool nothing = input->type == INPUT_MOUSE && (m.dx | m.dy | m.dwFlags | m.mouseData) == 0;
            asked += count == 1 && size == sizeof(INPUT) && nothing ? " input that moves nothing" : " ?";
            return count;
        }};
    const auto tool = reinterpret_cast<HWND>(1), game = reinterpret_cast<HWND>(2);
    for (const HWND first : {tool, game}) {
        front = first;
        asked.clear();
        EXPECT_TRUE(Module1::InsistOnForeground(tool, calls));
        EXPECT_EQ(asked, first == tool ? "" : " input that moves nothing ask");
    }
    EXPECT_FALSE(Module1::InsistOnForeground(nullptr, calls));
}

// A game marked "run as administrator" cannot be started as a plain process: the shell asks for consent.
TEST(GameLauncher, StartsAGameThatNeedsAdministratorRightsThroughTheShellAndOnlyThat) {
    static platform::Outcome refusal;
    const GameStarter start = [](const std::string& path, bool withConsent) {
        asked += (withConsent ? " shell " : " process ") + path;
        return withConsent ? platform::Outcome() : refusal;
    };
    const std::string game = "C:\\Glenmarra \xC3\xA4\\glenmarra.exe";
    for (const std::uint32_t code : {0u, 740u, 2u, 5u}) {
        asked.clear();
        refusal = code == 0 ? platform::Outcome() : platform::Failure{code, "refused"};
        const platform::Outcome failure = LaunchGame("C:\\Glenmarra \xC3\xA4", start);
        EXPECT_EQ(asked, " process " + game + (code == 740 ? " shell " + game : ""));
        EXPECT_EQ(failure ? failure->code : 0u, code == 740 ? 0u : code);
    }
}

// Whatever escapes a handler is shown with its number and text before the program ends; a main window the
// system refuses to make is said as well, not a silent exit.
TEST_F(Form1Window, AnythingThrownFromAHandlerOrAWindowThatCannotBeMadeIsShown) {
    const auto end = [](UINT code) { ended = code; };
    EXPECT_EQ(ShowingEveryFailure(nullptr, end, [] { return LRESULT{7}; }), 7);
    EXPECT_FALSE(box || ended);
    const std::pair<std::function<LRESULT()>, std::wstring> failures[] = {
        {[]() -> LRESULT { throw 42; }, L"(Fehler 1359)"},
        {[]() -> LRESULT { throw std::runtime_error("kaputt"); }, L"kaputt (Fehler 1359)"}};
    for (const auto& [handler, shown] : failures) {
        EXPECT_EQ(ShowingEveryFailure(nullptr, end, handler), 0);
        EXPECT_TRUE(box && box->text.starts_with(L"Quorbel muss beendet werden.") &&
                    box->text.ends_with(shown));
        EXPECT_EQ(std::exchange(ended, std::nullopt), 1u);
    }
    const auto refuseOurs = [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
        const LPCWSTR name =
            code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDW*>(lParam)->lpcs->lpszClass : nullptr;
        const bool ours = name != nullptr && !IS_INTRESOURCE(name) && lstrcmpW(name, kWindowClass) == 0;
        return ours ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
    };
    const HHOOK refuse = SetWindowsHookExW(WH_CBT, refuseOurs, nullptr, GetCurrentThreadId());
    box.reset();
    form = std::make_unique<Form1>(folder.path());
    EXPECT_FALSE(form->create());
    UnhookWindowsHookEx(refuse);
    EXPECT_TRUE(box && box->text.starts_with(L"Quorbel muss beendet werden.\r\n\r\n"));
}

// The pointer the window asks for over its client area.
HCURSOR PointerOver(HWND window) {
    SendMessageW(window, WM_SETCURSOR, reinterpret_cast<WPARAM>(window), MAKELPARAM(HTCLIENT, WM_MOUSEMOVE));
    return GetCursor();
}

// Installing over a dataset that quorbel.ini names although its folder is gone would take its data for the
// game's; a game started while a script copies would play on half-copied data. So both ask first, with "no"
// as the default; and the end of the script is shown as soon as it comes.
TEST_F(Form1Window, InstallingOverAMissingDatasetOrPlayingWhileAScriptRunsAsksFirstAndTheEndIsShown) {
    const std::string dataset = MakeDataset(folder.path(), "Lange_Liga");
    WriteScript(dataset, "inst.bat", 3);
    WriteBytes(dataset + "\\hold", "");
    WriteBytes(folder / "quorbel.ini", "pfad=Premier League\r\n");
    PlantStandIn(folder.path());
    const HWND window = open();
    Pick(control(kCboLiga), L"Lange Liga");
    EXPECT_TRUE(asks(kBtnPatchen, IDNO, L"Laut quorbel.ini ist noch 'Premier League' eingesetzt"));
    // No did nothing more.
    EXPECT_TRUE(Lines(control(kLstLog)).size() == 1 && IsWindowEnabled(control(kBtnPatchen)) &&
                IsWindowEnabled(control(kCboLiga)));
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
    EXPECT_TRUE(Eventually([&] { return Lines(control(kLstLog)).back().starts_with(failed); }));
    EXPECT_EQ(PointerOver(window), LoadCursorW(nullptr, IDC_ARROW));
    EXPECT_EQ(ReadBytes(folder / "glenmarra.log"), once) << "started on no as well";
    EXPECT_FALSE(asks(kBtnStart, IDNO, L"") || box) << "asked although no script runs";
}

}  // namespace
}  // namespace quorbel::testing
