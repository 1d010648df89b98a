#include <gtest/gtest.h>

#include <type_traits>

#include "ui/module1.h"
#include "ui_test_support.h"

namespace quorbel::testing {
namespace {
using namespace ui;

// A top-level window of another kind, such as the game's or a namesake's.
using Foreign = std::unique_ptr<std::remove_pointer_t<HWND>, decltype(&DestroyWindow)>;
Foreign OpenForeign(const wchar_t* title) {
    return {CreateWindowW(L"Static", title, WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 320, 200, nullptr,
                          nullptr, nullptr, nullptr),
            &DestroyWindow};
}

bool Polled() {
    return Module1::KeyPressed(VK_SUBTRACT);
}

TEST(Module1Hotkey, OnlyAFreshPressOfTheKeypadMinusCounts) {  // no form here: its timer polls the same key
    EXPECT_FALSE(Polled());
    for (int round = 0; round < 2; ++round) {
        Keys({VK_SUBTRACT}, Stroke::Down);
        Pump(nullptr, 100);
        EXPECT_TRUE(Polled()) << round;
        for (int tick = 0; tick < 3; ++tick) {
            Pump(nullptr, 50);
            EXPECT_FALSE(Polled()) << "still held";
        }
        Keys({VK_SUBTRACT}, Stroke::Up);
        Pump(nullptr, 100);
        EXPECT_FALSE(Polled());
    }
    Keys({VK_SUBTRACT});
    Pump(nullptr, 100);
    EXPECT_FALSE(Polled()) << "pressed and released between two polls";
    Keys({VK_OEM_MINUS}, Stroke::Down);
    Pump(nullptr, 100);
    ASSERT_NE(GetAsyncKeyState(VK_OEM_MINUS) & 0x8000, 0);
    EXPECT_FALSE(Polled()) << "the main keyboard's minus";
    Keys({VK_OEM_MINUS}, Stroke::Up);
}

TEST(Module1Window, RestoreWindowRestoresTheMinimisedAndRaisesTheOpen) {
    AppUnderTest app;
    const HWND form = app.open().window();
    RECT normal;
    RECT now;
    GetWindowRect(form, &normal);
    ShowWindow(form, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(form));
    EXPECT_TRUE(Module1::RestoreWindow(form));
    EXPECT_FALSE(IsIconic(form));
    EXPECT_TRUE(GetWindowRect(form, &now) && EqualRect(&normal, &now));

    const Foreign game = OpenForeign(L"Glenmarra");
    SetForegroundWindow(game.get());
    ASSERT_EQ(GetForegroundWindow(), game.get());
    EXPECT_TRUE(Module1::RestoreWindow(form));
    EXPECT_EQ(GetForegroundWindow(), form);
    EXPECT_FALSE(IsIconic(form) || IsIconic(game.get()));
    EXPECT_TRUE(GetWindowRect(form, &now) && EqualRect(&normal, &now));
    EXPECT_FALSE(Module1::RestoreWindow(nullptr));
}

TEST(Module1Timer, KeypadMinusRestoresTheMinimisedFormAndNoNamesake) {
    const Foreign namesake = OpenForeign(L"quorbel");
    ShowWindow(namesake.get(), SW_MINIMIZE);
    EXPECT_EQ(Module1::FindMainWindow(), nullptr);
    AppUnderTest app;
    Form1& form = app.open();
    ShowWindow(form.window(), SW_MINIMIZE);
    SetWindowPos(namesake.get(), HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ASSERT_EQ(FindWindowA(nullptr, "Quorbel"), namesake.get()) << "by title alone the namesake comes first";
    EXPECT_EQ(Module1::FindMainWindow(), form.window());

    Keys({VK_OEM_MINUS}, Stroke::Down);
    Pump(&form, 300);
    Keys({VK_OEM_MINUS}, Stroke::Up);
    EXPECT_TRUE(IsIconic(form.window()));
    Keys({VK_SUBTRACT}, Stroke::Down);
    EXPECT_TRUE(PumpUntil(&form, [&] { return !IsIconic(form.window()); }));
    Keys({VK_SUBTRACT}, Stroke::Up);
    Pump(&form, 100);
    EXPECT_TRUE(IsIconic(namesake.get()));
}

}  // namespace
}  // namespace quorbel::testing
