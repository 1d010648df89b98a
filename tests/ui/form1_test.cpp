// The form in this process on a fresh application folder, driven by messages and by real keys.

#include "resources/resource_ids.h"
#include "support/window_tests.h"
#include "ui/banner.h"
#include "ui/form1_design.h"
#include "ui/module1.h"

namespace quorbel::testing {
namespace {
using namespace ui;

TEST_F(Form1Window, StandsAsDesignedCentredAt96DpiTabSkipsDisabledControlsAndEnterAndEscapePressNothing) {
    MakeFolders(folder / "quorbel\\Liga_ohne_Skripte");  // no inst.bat: every install only adds lines
    const HWND window = open();
    ASSERT_EQ(GetDpiForWindow(window), 96u);
    RECT client{}, outer{}, work{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ((std::array{client.right, client.bottom}), (std::array<LONG, 2>{402, 345}));
    EXPECT_NEAR(outer.left - work.left, work.right - outer.right, 2);
    EXPECT_NEAR(outer.top - work.top, work.bottom - outer.bottom, 2);
    const auto style = [&](HWND at, LONG bits) { return GetWindowLongW(at, GWL_STYLE) & bits; };
    EXPECT_EQ(style(window, WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_MINIMIZEBOX);
    EXPECT_EQ(style(control(kCboLiga), CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST);
    EXPECT_EQ(style(control(kLstLog), LBS_SORT | LBS_NOINTEGRALHEIGHT | LBS_MULTIPLESEL),
              LBS_NOINTEGRALHEIGHT);
    const std::pair<int, Pixels> designed[] = {
        {kPicture1, {0, 0, 404, 104}},   {kFrame1, {5, 104, 392, 201}},    {kCboLiga, {13, 120, 377, 21}},
        {kLstLog, {13, 152, 377, 147}},  {kBtnPatchen, {8, 312, 113, 25}}, {kBtnRestore, {136, 312, 129, 25}},
        {kBtnStart, {280, 312, 113, 25}}};
    for (const auto& [id, pixels] : designed) {
        EXPECT_EQ(inWindow(id), pixels) << id;
    }
    EXPECT_EQ(FindDesign(kTimer1), nullptr) << "what is no control";
    EXPECT_NE(SendMessageW(window, WM_GETICON, ICON_SMALL, 0), 0) << "the caption's icon";
    // At other scales a figure rounds to the nearest pixel: 6030 twips are 502.5 px at 125 %.
    EXPECT_EQ((std::array{TwipsToPixels(6030, 120), TwipsToPixels(5895, 144)}), (std::array{503, 590}));
    // The frame's dark grey beside the list, and the banner's light blue ground at its left edge: the banner
    // arrives through the message loop, once the window is up.
    const win::WindowDc dc(window);
    COLORREF banner = 0;
    const bool lightBlue = Eventually([&] {
        RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
        banner = GetPixel(dc.get(), 7, 52);
        return GetRValue(banner) > 150 && GetBValue(banner) > GetRValue(banner) + 30;
    });
    EXPECT_EQ(GetPixel(dc.get(), 9, 204), RGB(64, 64, 64));
    EXPECT_TRUE(lightBlue) << std::hex << banner;
    EXPECT_EQ(shownBeforeFilled, false) << "the window came up before its league list was filled";
    const auto tabTo = [&](int next) {
        Keys({VK_TAB});
        return Eventually([&] { return GetFocus() == control(next); },
                          [&](MSG& message) { return form->preTranslate(message); });  // the program's loop
    };
    Pick(control(kCboLiga), L"Liga ohne Skripte");
    for (const int next : {kCboLiga, kLstLog, kBtnPatchen, kBtnStart, kPicture1}) {  // not the restore button
        EXPECT_TRUE(tabTo(next)) << next;
    }
    // The install button is enabled now, and the start button would report the missing game.
    for (const WORD key : {VK_RETURN, VK_ESCAPE}) {
        SetFocus(control(kCboLiga));
        Keys({key});
        EXPECT_TRUE(tabTo(kLstLog)) << "the key before the Tab was not taken";
    }
    const HWND log = control(kLstLog);
    EXPECT_FALSE(box || ended.has_value() || SendMessageW(log, LB_GETCOUNT, 0, 0) != 0);
    for (int press = 0; press < 10; ++press) {
        SendMessageW(control(kBtnPatchen), BM_CLICK, 0, 0);
    }
    RECT newest{}, shown{};
    SendMessageW(log, LB_GETITEMRECT, SendMessageW(log, LB_GETCOUNT, 0, 0) - 1,
                 reinterpret_cast<LPARAM>(&newest));
    GetClientRect(log, &shown);
    EXPECT_TRUE(newest.top >= 0 && newest.bottom <= shown.bottom) << "the newest line is not in view";
}

// Two long names that differ only at the end can be told apart in the open list.
// Measured when it first drops down, not at start: with thousands of names that is most of start-up's work.
TEST_F(Form1Window, TheLeagueListDropsDownAsWideAsItsWidestEntryButNeverNarrowerThanTheBox) {
    const auto droppedWidth = [&](bool dropDown) {
        SendMessageW(control(kCboLiga), CB_SHOWDROPDOWN, dropDown, 0);
        SendMessageW(control(kCboLiga), CB_SHOWDROPDOWN, FALSE, 0);
        return static_cast<LONG>(SendMessageW(control(kCboLiga), CB_GETDROPPEDWIDTH, 0, 0));
    };
    MakeFolders(folder / "quorbel\\Kurz");
    open();
    EXPECT_EQ(droppedWidth(true), inWindow(kCboLiga)[2]);
    form.reset();
    MakeFolders(folder / "quorbel\\Bundesliga_Saison_2023-24_Originalkader_mit_allen_Transfers_Version_1");
    open();
    EXPECT_EQ(droppedWidth(false), inWindow(kCboLiga)[2]) << "measured before it dropped down";
    const HWND combo = control(kCboLiga);
    const std::wstring name = L"Bundesliga Saison 2023-24 Originalkader mit allen Transfers Version 1";
    const win::WindowDc dc(combo);
    const win::SelectedObject font(dc.get(),
                                   reinterpret_cast<HGDIOBJ>(SendMessageW(combo, WM_GETFONT, 0, 0)));
    SIZE text{};
    GetTextExtentPoint32W(dc.get(), name.c_str(), static_cast<int>(name.size()), &text);
    EXPECT_GT(text.cx, inWindow(kCboLiga)[2]) << "the name would fit the box anyway";
    EXPECT_GE(droppedWidth(true), text.cx);
}

TEST(Module1Hotkey, OnlyAFreshPressOfTheKeypadMinusCounts) {  // no form: its timer would poll the same key
    Module1::KeyHistory history;
    const auto polled = [&] { return Module1::KeyPressed(history, Module1::kRestoreKey); };
    const auto stroke = [](WORD key, Stroke to) {
        Keys({key}, to);
        return Eventually([&] { return (GetAsyncKeyState(key) < 0) == (to == Stroke::Down); });
    };
    // This test is the other program: its wait above takes the key's "pressed since the last call" bit.
    ASSERT_TRUE(stroke(VK_SUBTRACT, Stroke::Down));
    EXPECT_TRUE(polled()) << "a press that another program saw first";
    EXPECT_FALSE(polled()) << "still held";
    ASSERT_TRUE(stroke(VK_SUBTRACT, Stroke::Up));
    EXPECT_FALSE(polled()) << "released";
    Keys({VK_SUBTRACT});  // pressed and released between two polls
    ASSERT_TRUE(stroke(VK_OEM_MINUS, Stroke::Down));
    EXPECT_FALSE(polled()) << "a tap between two polls, or the main keyboard's minus";
    stroke(VK_OEM_MINUS, Stroke::Up);
    EXPECT_FALSE(Module1::RestoreWindow(Module1::FindMainWindow())) << "no tool's window, and nothing fails";
}

// The images are committed files; the program's own loaders must read what the design needs from them.
TEST(Resources, TheBannerIs400By100AndTheIconHasAnImageForEveryScale) {
    const HINSTANCE instance = GetModuleHandleW(nullptr);
    Banner banner;
    ASSERT_TRUE(banner.load(instance, IDR_BANNER));
    BITMAP image{};
    GetObjectW(banner.bitmapFor(kDesignDpi), sizeof image, &image);
    EXPECT_EQ((std::array{image.bmWidth, image.bmHeight}), (std::array<LONG, 2>{400, 100}));
    const auto resource = [&](int id, LPCWSTR type) {
        return static_cast<BYTE*>(
            LockResource(LoadResource(instance, FindResourceW(instance, MAKEINTRESOURCEW(id), type))));
    };
    // The image the system picks for each size: a bitmap of that width, or at 256 px the PNG-compressed one
    // that Explorer's large views take.
    BYTE* const group = resource(IDI_QUORBEL, RT_GROUP_ICON);
    ASSERT_NE(group, nullptr);
    for (const int size : {16, 24, 32, 48, 256}) {
        const int id = LookupIconIdFromDirectoryEx(group, TRUE, size, size, 0);
        const auto* picked = reinterpret_cast<const char*>(resource(id, RT_ICON));
        EXPECT_TRUE(picked != nullptr &&
                    (size == 256 ? std::string_view(picked, 4) == "\x89PNG"
                                 : reinterpret_cast<const BITMAPINFOHEADER*>(picked)->biWidth == size))
            << size;
    }
}

}  // namespace
}  // namespace quorbel::testing
