#include <gtest/gtest.h>

#include "ui/about_box.h"
#include "ui/form1_design.h"
#include "ui_test_support.h"
#include "version.h"

namespace quorbel::testing {
namespace {
using namespace ui;

void ExpectAboutBox(const MessageBoxWatcher& box) {
    EXPECT_EQ(box.title, L"Info");
    EXPECT_EQ(box.text, AboutText());
    EXPECT_EQ(box.buttons, 1);
    EXPECT_TRUE(box.icon);
}

TEST(Form1About, TextIsFiveLinesJoinedBySingleCarriageReturns) {
    const std::wstring text = AboutText();
    EXPECT_EQ(text.find(L'\n'), std::wstring::npos);
    std::vector<std::wstring> lines;
    for (std::size_t start = 0, end = 0; end != std::wstring::npos; start = end + 1) {
        end = text.find(L'\r', start);
        lines.push_back(text.substr(start, end - start));
    }
    ASSERT_EQ(lines.size(), 5u);
    EXPECT_EQ(lines[0], L"Quorbel " QUORBEL_VERSION_WTEXT);
    EXPECT_TRUE(lines[1].starts_with(L"Idee: ") && lines[1].size() > 6) << lines[1];
    EXPECT_TRUE(lines[2].starts_with(L"Programmierung: ") && lines[2].size() > 16) << lines[2];
    EXPECT_TRUE(lines[3].empty());
    EXPECT_FALSE(lines[4].empty());
}

TEST(Form1Menus, DateiAndInfoItemsAnswerByMenuAndByShortcut) {
    AppUnderTest app;
    Form1& form = app.open();
    const HMENU bar = GetMenu(form.window());
    ASSERT_EQ(GetMenuItemCount(bar), 2);
    const auto text = [](HMENU menu, int position) {
        wchar_t caption[64] = {};
        GetMenuStringW(menu, static_cast<UINT>(position), caption, 64, MF_BYPOSITION);
        return std::wstring(caption);
    };
    const std::array<std::tuple<const wchar_t*, const wchar_t*, UINT>, 2> expected = {
        {{L"&Datei", L"&Ende\tStrg+Q", kMnuDateiItem}, {L"&Info", L"&Info\tStrg+I", kMnuInfoItem}}};
    for (int position = 0; position < 2; ++position) {
        const auto& [menu, item, id] = expected[static_cast<std::size_t>(position)];
        const HMENU items = GetSubMenu(bar, position);
        EXPECT_EQ(text(bar, position), menu);
        ASSERT_EQ(GetMenuItemCount(items), 1);
        EXPECT_EQ(text(items, 0), item);
        EXPECT_EQ(GetMenuItemID(items, 0), id);
        EXPECT_EQ(GetMenuState(items, 0, MF_BYPOSITION) & (MF_GRAYED | MF_DISABLED), 0u);
    }

    SendMessageW(form.window(), WM_COMMAND, MAKEWPARAM(kMnuDateiItem, 0), 0);
    EXPECT_EQ(EndedWith(), 0u);
    {
        MessageBoxWatcher box;
        SendMessageW(form.window(), WM_COMMAND, MAKEWPARAM(kMnuInfoItem, 0), 0);
        ASSERT_TRUE(box.seen);
        ExpectAboutBox(box);
    }
    EndedWith().reset();
    ASSERT_EQ(GetForegroundWindow(), form.window());
    Keys({VK_CONTROL, 'Q'});
    EXPECT_TRUE(PumpUntil(&form, [] { return EndedWith().has_value(); }));
    EXPECT_EQ(EndedWith(), 0u);
    MessageBoxWatcher box;
    Keys({VK_CONTROL, 'I'});
    ASSERT_TRUE(PumpUntil(&form, [&] { return box.seen; }));
    ExpectAboutBox(box);
}

TEST(Form1Keyboard, TabPassesOverWhatCannotTakeTheFocusAndEnterOrEscapePressNothing) {
    AppUnderTest app;
    const std::string dataset = MakeDataset(app.folder.path(), "Serie_A");
    Form1& form = app.open();
    EXPECT_EQ(GetFocus(), app.control(kPicture1));
    const auto walk = [&] {
        std::vector<int> ids;
        for (HWND at = GetNextDlgTabItem(form.window(), nullptr, FALSE); ids.size() < 5;
             at = GetNextDlgTabItem(form.window(), at, FALSE)) {
            ids.push_back(GetDlgCtrlID(at));
        }
        return ids;
    };
    EXPECT_EQ(walk(), (std::vector<int>{kPicture1, kCboLiga, kLstLog, kBtnStart, kPicture1}));
    app.pick(0);
    EXPECT_EQ(walk(), (std::vector<int>{kPicture1, kCboLiga, kLstLog, kBtnPatchen, kBtnStart}));
    ASSERT_EQ(GetForegroundWindow(), form.window());
    for (const int next : {kCboLiga, kLstLog, kBtnPatchen, kBtnStart, kPicture1}) {  // the Tab key itself
        Keys({VK_TAB});
        EXPECT_TRUE(PumpUntil(&form, [&] { return GetFocus() == app.control(next); })) << next;
    }

    // btnpatchen is enabled; btnstart, if pressed, would report the missing game and end the program.
    const MessageBoxWatcher anyBox;
    for (const int focus : {kCboLiga, kLstLog}) {
        for (const WORD key : {VK_RETURN, VK_ESCAPE}) {
            SetFocus(app.control(focus));
            Keys({key});
            Pump(&form, 200);
        }
    }
    EXPECT_TRUE(NeverRecorded(dataset, "inst.bat"));
    EXPECT_TRUE(Items(app.control(kLstLog), false).empty());
    EXPECT_FALSE(anyBox.seen || EndedWith().has_value());
}

}  // namespace
}  // namespace quorbel::testing
