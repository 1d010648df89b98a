// What Wine does not enforce and Windows does, through seams that refuse as Windows would; and failures that
// must reach the player instead of ending the program silently.
#include <gtest/gtest.h>

#include <stdexcept>
#include <vector>

#include "support/form_fixture.h"
#include "ui/form1_design.h"
#include "ui/game_launcher.h"
#include "ui/handler_failures.h"
#include "ui/message_boxes.h"
#include "ui/module1.h"

namespace quorbel::testing {
namespace {
using namespace ui;

// The foreground as a stand-in system keeps it: refused until this program has received an input event, as
// Windows refuses a program in the background.
struct Foreground {
    static inline HWND front = nullptr;
    static inline bool lastInputOurs = false;
    static inline std::vector<std::string> calls;

    static BOOL WINAPI Set(HWND window) {
        calls.push_back("ask");
        front = lastInputOurs ? window : front;
        return lastInputOurs;
    }
    static HWND WINAPI Get() { return front; }
    static UINT WINAPI Input(UINT count, LPINPUT inputs, int size) {
        const MOUSEINPUT& mouse = inputs[0].mi;
        const bool nothing = inputs[0].type == INPUT_MOUSE && mouse.dx == 0 && mouse.dy == 0 &&
                             mouse.dwFlags == 0 && mouse.mouseData == 0;
        calls.push_back(count == 1 && size == sizeof(INPUT) && nothing ? "input that moves nothing"
                                                                       : "other input");
        lastInputOurs = true;
        return count;
    }
};

// The window was brought back by the hotkey's calls, or was not: only in the second case does the tool give
// an input event of its own, and ask once more.
TEST(Module1Hotkey, InsistsOnTheForegroundOnlyWhereTheFirstRequestWasRefused) {
    const Module1::ForegroundCalls calls{Foreground::Set, Foreground::Get, Foreground::Input};
    const OtherWindow tool = OpenOtherWindow(L"Quorbel"), game = OpenOtherWindow(L"Glenmarra");
    for (const bool granted : {true, false}) {
        SCOPED_TRACE(granted ? "granted" : "refused");
        Foreground::front = granted ? tool.get() : game.get();
        Foreground::lastInputOurs = false;
        Foreground::calls.clear();
        EXPECT_TRUE(Module1::InsistOnForeground(tool.get(), calls));
        EXPECT_EQ(Foreground::calls, (granted ? std::vector<std::string>{}
                                              : std::vector<std::string>{"input that moves nothing", "ask"}));
    }
    EXPECT_FALSE(Module1::InsistOnForeground(nullptr, calls));
}

// A game marked "run as administrator" cannot be started as a plain process: the shell asks for consent.
TEST(GameLauncher, StartsAGameThatNeedsAdministratorRightsThroughTheShellAndOnlyThat) {
    static std::vector<std::string> started;
    static platform::Outcome refusal;
    const GameStarter starter{[](const std::string& path) {
                                  started.push_back("process " + path);
                                  return refusal;
                              },
                              [](const std::string& path) {
                                  started.push_back("shell " + path);
                                  return platform::Outcome();
                              }};
    const std::string game = "C:\\Spiele\\Glenmarra \xC3\xA4\\glenmarra.exe";
    for (const std::uint32_t code : {0u, 740u, 2u, 5u}) {
        SCOPED_TRACE(code);
        started.clear();
        refusal = code == 0 ? platform::Outcome() : platform::Failure{code, "refused"};
        const platform::Outcome failure = LaunchGame("C:\\Spiele\\Glenmarra \xC3\xA4", starter);
        EXPECT_EQ(started, (code == 740 ? std::vector<std::string>{"process " + game, "shell " + game}
                                        : std::vector<std::string>{"process " + game}));
        EXPECT_EQ(failure ? failure->code : 0u, code == 740 ? 0u : code);
    }
}

using Failures = FormTest;

// Whatever escapes a handler is shown with its number and text before the program ends.
TEST_F(Failures, AnythingThrownFromAHandlerIsShownAndEndsTheProgram) {
    const auto end = [](UINT code) { ended = code; };
    EXPECT_EQ(ShowingEveryFailure(nullptr, end, [] { return LRESULT{7}; }), 7);
    EXPECT_FALSE(box || ended);
    const std::pair<std::function<LRESULT()>, std::wstring> failures[] = {
        {[]() -> LRESULT { throw 42; }, L"(Fehler 1359)"},
        {[]() -> LRESULT { throw std::runtime_error("kaputt"); }, L"kaputt (Fehler 1359)"}};
    for (const auto& [handler, shown] : failures) {
        box.reset();
        ended.reset();
        EXPECT_EQ(ShowingEveryFailure(nullptr, end, handler), 0);
        ASSERT_TRUE(box.has_value());
        EXPECT_TRUE(box->text.starts_with(L"Quorbel muss beendet werden.") && box->text.ends_with(shown))
            << box->text;
        EXPECT_EQ(ended, 1u);
    }
}

// A main window the system refuses to make is said, not a silent exit.
TEST_F(Failures, AMainWindowThatCannotBeMadeIsShown) {
    const HHOOK refuse = SetWindowsHookExW(
        WH_CBT,
        [](int code, WPARAM wParam, LPARAM lParam) -> LRESULT {
            const auto* create = code == HCBT_CREATEWND ? reinterpret_cast<CBT_CREATEWNDW*>(lParam) : nullptr;
            const bool ours = create != nullptr && !IS_INTRESOURCE(create->lpcs->lpszClass) &&
                              lstrcmpW(create->lpcs->lpszClass, kWindowClass) == 0;
            return ours ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
        },
        nullptr, GetCurrentThreadId());
    form = std::make_unique<Form1>(folder.path());
    box.reset();
    EXPECT_FALSE(form->create());
    UnhookWindowsHookEx(refuse);
    ASSERT_TRUE(box.has_value());
    EXPECT_TRUE(box->text.starts_with(L"Quorbel muss beendet werden.\r\n\r\n")) << box->text;
}

}  // namespace
}  // namespace quorbel::testing
