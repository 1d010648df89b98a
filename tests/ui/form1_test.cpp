// The form in this process on a fresh application folder, driven by messages and by real keys.
#include <gtest/gtest.h>

#include <array>
#include <memory>
#include <optional>
#include <regex>

#include "core/test_folder.h"
#include "e2e/desktop.h"
#include "ui/form1.h"
#include "ui/form1_design.h"
#include "ui/module1.h"
#include "version.h"

namespace quorbel::testing {
namespace {
using namespace ui;

std::optional<UINT> ended;  // what "&Ende" passed on; nothing really ends

// The last message box this thread showed, read as soon as it was set up, and then closed; and whether
// the window was already shown when the league list got its first entry.
struct Box {
    std::wstring title, text;
    HWND owner;
};
std::optional<Box> box;
std::optional<bool> shownBeforeFilled;
LRESULT CALLBACK Watch(int code, WPARAM wParam, LPARAM lParam) {
    const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
    if (call->message == CB_ADDSTRING && !shownBeforeFilled) {
        shownBeforeFilled = IsWindowVisible(GetAncestor(call->hwnd, GA_ROOT)) != FALSE;
    }
    if (const HWND dialog = call->hwnd; call->message == WM_INITDIALOG) {
        box = Box{TextOf(dialog), TextOf(GetDlgItem(dialog, 0xFFFF)),  // the system's ID of its text
                  GetWindow(dialog, GW_OWNER)};
        PostMessageW(dialog, WM_COMMAND, IDOK, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}
const HHOOK watcher = SetWindowsHookExW(WH_CALLWNDPROCRET, Watch, nullptr, GetCurrentThreadId());

// The form goes first and the current folder comes back, so that the application folder can be removed.
struct App {
    ~App() {
        form.reset();
        SetCurrentDirectoryW(saved.c_str());
    }
    Form1& open() {
        ended.reset();
        box.reset();
        shownBeforeFilled.reset();
        form = std::make_unique<Form1>(folder.path());
        form->setEndProgram([](UINT code) { ended = code; });
        EXPECT_TRUE(form->create());
        EXPECT_EQ(GetForegroundWindow(), form->window()) << "real keys would go elsewhere";
        return *form;
    }
    HWND control(int id) const { return form->control(id); }
    bool enabled(int id) const { return IsWindowEnabled(control(id)) != FALSE; }
    Filter loop() const {  // the program's own message loop
        return [this](MSG& message) { return form->preTranslate(message); };
    }

    const std::wstring saved = std::filesystem::current_path().wstring();
    TestFolder folder;
    std::unique_ptr<Form1> form;
};

TEST(Form1Window, StandsAsDesignedAt96DpiAndModule1FindsOnlyItAndBringsItBack) {
    App app;
    const HWND window = app.open().window();
    ASSERT_EQ(app.form->dpi(), 96u);
    RECT client{}, outer{}, work{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_EQ((std::array{client.right, client.bottom}), (std::array<LONG, 2>{402, 345}));
    EXPECT_NEAR(outer.left - work.left, work.right - outer.right, 2);
    EXPECT_NEAR(outer.top - work.top, work.bottom - outer.bottom, 2);
    EXPECT_EQ(TextOf(window), L"Quorbel");
    const auto style = [&](HWND at, LONG bits) { return GetWindowLongW(at, GWL_STYLE) & bits; };
    EXPECT_EQ(style(window, WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME), WS_MINIMIZEBOX);
    EXPECT_EQ(style(app.control(kCboLiga), CBS_DROPDOWNLIST | CBS_SORT), CBS_DROPDOWNLIST);
    EXPECT_EQ(style(app.control(kLstLog), LBS_SORT | LBS_NOINTEGRALHEIGHT | LBS_MULTIPLESEL),
              LBS_NOINTEGRALHEIGHT);

    // Left, top, width and height in the window's client area: the list and the combo box lie in the frame.
    using Expected = std::pair<int, std::array<LONG, 4>>;
    for (const auto& [id, pixels] :
         {Expected{kPicture1, {0, 0, 404, 104}}, Expected{kFrame1, {5, 104, 392, 201}},
          Expected{kCboLiga, {13, 120, 377, 21}}, Expected{kLstLog, {13, 152, 377, 147}},
          Expected{kBtnPatchen, {8, 312, 113, 25}}, Expected{kBtnRestore, {136, 312, 129, 25}},
          Expected{kBtnStart, {280, 312, 113, 25}}}) {
        RECT r;
        GetWindowRect(app.control(id), &r);
        MapWindowPoints(nullptr, window, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}), pixels) << id;
    }
    // At other scales a figure rounds to the nearest pixel: 6030 twips are 502.5 px at 125 %.
    EXPECT_EQ((std::array{TwipsToPixels(6030, 120), TwipsToPixels(5895, 144)}), (std::array{503, 590}));
    EXPECT_EQ(GetParent(app.control(kCboLiga)), app.control(kFrame1));

    // The frame's dark grey beside the list, and the banner's light blue at its left edge; the banner arrives
    // through the message loop, once the window is up.
    Eventually([] { return false; }, nullptr, 3);
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const HDC dc = GetDCEx(window, nullptr, DCX_CACHE);
    const std::array pixels = {GetPixel(dc, 9, 204), GetPixel(dc, 7, 52)};
    ReleaseDC(window, dc);
    EXPECT_EQ(pixels[0], RGB(64, 64, 64));
    EXPECT_TRUE(GetRValue(pixels[1]) > 150 && GetBValue(pixels[1]) > GetRValue(pixels[1]) + 30)
        << std::hex << pixels[1];
    // Another program's window whose title differs from the tool's caption only in letter case.
    const std::unique_ptr<HWND__, decltype(&DestroyWindow)> namesake(
        CreateWindowW(L"Static", L"quorbel", WS_OVERLAPPEDWINDOW | WS_VISIBLE, 60, 60, 320, 200, nullptr,
                      nullptr, nullptr, nullptr),
        &DestroyWindow);
    ASSERT_EQ(FindWindowA(nullptr, "Quorbel"), namesake.get()) << "by title alone the namesake comes first";
    EXPECT_EQ(Module1::FindMainWindow(), window);
    // The keypad's minus, through the form's own poll, brings back the form and only the form.
    ShowWindow(namesake.get(), SW_MINIMIZE);
    ShowWindow(window, SW_MINIMIZE);
    ASSERT_TRUE(IsIconic(window));
    Keys({VK_SUBTRACT}, Stroke::Down);
    EXPECT_TRUE(Eventually([&] { return !IsIconic(window); }, app.loop()));
    Keys({VK_SUBTRACT}, Stroke::Up);
    EXPECT_TRUE(IsIconic(namesake.get()));
    ShowWindow(namesake.get(), SW_RESTORE);
    SetForegroundWindow(namesake.get());
    ASSERT_EQ(GetForegroundWindow(), namesake.get());
    EXPECT_TRUE(Module1::RestoreWindow(window));
    EXPECT_EQ(GetForegroundWindow(), window) << "an open window behind another comes to the front";

    app.form.reset();
    EXPECT_EQ(Module1::FindMainWindow(), nullptr);
    EXPECT_FALSE(Module1::RestoreWindow(Module1::FindMainWindow()));
}

TEST(Form1Commands, MenusAndTheirShortcutsEndTheProgramAndShowTheAboutBox) {
    App app;
    const HWND window = app.open().window();
    const HMENU bar = GetMenu(window);
    // Each menu's item, as a click on it sends it.
    const auto choose = [&](int menu) {
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(GetMenuItemID(GetSubMenu(bar, menu), 0), 0), 0);
    };

    const std::wregex about(L"Quorbel " QUORBEL_VERSION_WTEXT L"\rIdee: .+\rProgrammierung: .+\r\r.+");
    for (const bool byKey : {false, true}) {
        ended.reset();
        byKey ? Keys({VK_CONTROL, 'Q'}) : choose(0);
        EXPECT_TRUE(Eventually([] { return ended == 0u; }, app.loop())) << byKey;
        box.reset();
        byKey ? Keys({VK_CONTROL, 'I'}) : choose(1);
        ASSERT_TRUE(Eventually([] { return box.has_value(); }, app.loop())) << byKey;
        EXPECT_EQ(box->title, L"Info");
        EXPECT_EQ(box->owner, window) << "the window must wait while the box is open";
        EXPECT_TRUE(std::regex_match(box->text, about)) << box->text;
    }
}

TEST(Form1Keyboard, TabSkipsDisabledControlsEnterAndEscapePressNothingAndTheLogShowsItsNewestLine) {
    App app;
    MakeFolders(app.folder / "quorbel\\Liga_ohne_Skripte");  // no inst.bat: every install only adds lines
    app.open();
    EXPECT_EQ(shownBeforeFilled, false) << "the window came up before its league list was filled";
    // Without quorbel.ini nothing is installed: the league can be picked, neither script run.
    EXPECT_EQ((std::array{app.enabled(kCboLiga), app.enabled(kBtnPatchen), app.enabled(kBtnRestore),
                          app.enabled(kBtnStart)}),
              (std::array{true, false, false, true}));
    const auto tabTo = [&](int next) {
        Keys({VK_TAB});
        return Eventually([&] { return GetFocus() == app.control(next); }, app.loop());
    };
    Pick(app.control(kCboLiga), L"Liga ohne Skripte");
    for (const int next : {kCboLiga, kLstLog, kBtnPatchen, kBtnStart, kPicture1}) {  // not the restore button
        EXPECT_TRUE(tabTo(next)) << next;
    }
    // The install button is enabled now, and the start button would report the missing game.
    for (const WORD key : {VK_RETURN, VK_ESCAPE}) {
        SetFocus(app.control(kCboLiga));
        Keys({key});
        EXPECT_TRUE(tabTo(kLstLog)) << "the key before the Tab was not taken";
    }
    const HWND log = app.control(kLstLog);
    EXPECT_FALSE(box.has_value() || ended.has_value() || SendMessageW(log, LB_GETCOUNT, 0, 0) != 0);
    for (int press = 0; press < 10; ++press) {
        SendMessageW(app.control(kBtnPatchen), BM_CLICK, 0, 0);
    }
    RECT newest{}, client{};
    SendMessageW(log, LB_GETITEMRECT, SendMessageW(log, LB_GETCOUNT, 0, 0) - 1,
                 reinterpret_cast<LPARAM>(&newest));
    GetClientRect(log, &client);
    EXPECT_TRUE(newest.top >= 0 && newest.bottom <= client.bottom && newest.bottom > newest.top);
}

TEST(Module1Hotkey, OnlyAFreshPressOfTheKeypadMinusCounts) {  // no form: its timer would poll the same key
    const auto polled = [] { return Module1::KeyPressed(Module1::kRestoreKey); };
    for (const bool gameReadsKeys : {false, true}) {
        Keys({VK_SUBTRACT}, Stroke::Down);
        if (gameReadsKeys) {
            // Another program's poll takes the key's "pressed since the last call" bit; the press still
            // counts.
            ASSERT_TRUE(Eventually([] { return GetAsyncKeyState(VK_SUBTRACT) < 0; }));
            EXPECT_TRUE(polled()) << "a press that another program saw first";
        } else {
            EXPECT_TRUE(Eventually(polled));
        }
        EXPECT_FALSE(polled()) << "still held";
        Keys({VK_SUBTRACT}, Stroke::Up);
        ASSERT_TRUE(Eventually([] { return GetAsyncKeyState(VK_SUBTRACT) >= 0; }));
        EXPECT_FALSE(polled()) << gameReadsKeys;
    }
    Keys({VK_SUBTRACT});  // pressed and released between two polls
    Keys({VK_OEM_MINUS}, Stroke::Down);
    ASSERT_TRUE(Eventually([] { return GetAsyncKeyState(VK_OEM_MINUS) < 0; }));
    EXPECT_FALSE(polled()) << "a tap between two polls, or the main keyboard's minus";
    Keys({VK_OEM_MINUS}, Stroke::Up);
}

}  // namespace
}  // namespace quorbel::testing
