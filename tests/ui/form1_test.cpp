#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <regex>

#include "core/platform.h"
#include "ui/form1_design.h"
#include "ui_test_support.h"

namespace quorbel::testing {
namespace {
using namespace ui;

std::array<bool, 3> Flags(const AppUnderTest& app) {  // cboliga, btnpatchen, btnrestore
    return {IsWindowEnabled(app.control(kCboLiga)) != FALSE,
            IsWindowEnabled(app.control(kBtnPatchen)) != FALSE,
            IsWindowEnabled(app.control(kBtnRestore)) != FALSE};
}

std::vector<std::wstring> Log(const AppUnderTest& app) {
    return Items(app.control(kLstLog), false);
}

TEST(Form1Layout, WindowAndControlsStandAsDesignedAt96Dpi) {
    AppUnderTest app;
    const HWND window = app.open().window();
    ASSERT_EQ(app.form->dpi(), 96u);
    RECT client{}, outer{};
    GetClientRect(window, &client);
    GetWindowRect(window, &outer);
    EXPECT_EQ(client.right, 402);
    EXPECT_EQ(client.bottom, 345);
    MONITORINFO monitor{};
    monitor.cbSize = sizeof monitor;
    GetMonitorInfoW(MonitorFromWindow(window, MONITOR_DEFAULTTOPRIMARY), &monitor);
    EXPECT_NEAR(outer.left - monitor.rcWork.left, monitor.rcWork.right - outer.right, 2);
    EXPECT_NEAR(outer.top - monitor.rcWork.top, monitor.rcWork.bottom - outer.bottom, 2);
    EXPECT_EQ(GetWindowLongW(window, GWL_STYLE) & (WS_MINIMIZEBOX | WS_MAXIMIZEBOX | WS_THICKFRAME),
              WS_MINIMIZEBOX);
    EXPECT_EQ(TextOf(window), L"Quorbel");

    using Expected = std::tuple<int, int, std::array<LONG, 4>>;  // id, container, left, top, width, height
    for (const auto& [id, container, pixels] :
         {Expected{kPicture1, 0, {0, 0, 404, 104}}, Expected{kFrame1, 0, {5, 104, 392, 201}},
          Expected{kCboLiga, kFrame1, {8, 16, 377, 21}}, Expected{kLstLog, kFrame1, {8, 48, 377, 147}},
          Expected{kBtnPatchen, 0, {8, 312, 113, 25}}, Expected{kBtnRestore, 0, {136, 312, 129, 25}},
          Expected{kBtnStart, 0, {280, 312, 113, 25}}}) {
        const HWND parent = container == 0 ? window : app.control(container);
        ASSERT_EQ(GetParent(app.control(id)), parent) << id;
        RECT r;
        GetWindowRect(app.control(id), &r);
        MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
        EXPECT_EQ((std::array{r.left, r.top, r.right - r.left, r.bottom - r.top}), pixels) << id;
    }
    EXPECT_EQ(GetWindowLongW(app.control(kCboLiga), GWL_STYLE) & (CBS_DROPDOWNLIST | CBS_SORT),
              CBS_DROPDOWNLIST);
    EXPECT_EQ(
        GetWindowLongW(app.control(kLstLog), GWL_STYLE) & (LBS_SORT | LBS_NOINTEGRALHEIGHT | LBS_MULTIPLESEL),
        LBS_NOINTEGRALHEIGHT);

    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    const auto pixel = [&](int id, int x, int y) {
        const HDC dc = GetDC(app.control(id));
        const COLORREF color = GetPixel(dc, x, y);
        ReleaseDC(app.control(id), dc);
        return color;
    };
    EXPECT_EQ(pixel(kFrame1, 4, 100), RGB(64, 64, 64));
    EXPECT_EQ(pixel(kFrame1, 200, 42), RGB(64, 64, 64));
    const COLORREF ground = pixel(kPicture1, 5, 50);  // the banner's light blue at its left edge
    EXPECT_NE(ground, GetSysColor(COLOR_BTNFACE));
    EXPECT_TRUE(GetRValue(ground) > 150 && GetBValue(ground) > GetRValue(ground) + 30) << std::hex << ground;
}

TEST(Form1State, ComesUpAsTheSettingsFileRecords) {
    struct Case {
        const char* ini;
        std::vector<const char*> datasets;
        const wchar_t* installed;
    };
    for (const auto& [ini, datasets, installed] :
         {Case{"", {}, nullptr},
          Case{"pfad=PREMIER league\r\n", {"Premier_League", "Bundesliga", "Serie_A"}, L"Premier League"},
          Case{"pfad=Eredivisie\r\n", {"Premier_League", "Serie_A"}, nullptr}}) {
        SCOPED_TRACE(ini);
        AppUnderTest app;
        for (const char* dataset : datasets) {
            MakeDataset(app.folder.path(), dataset);
        }
        if (*ini != '\0') {
            WriteBytes(app.path("quorbel.ini"), ini);
        }
        app.open();
        const std::vector<std::wstring> entries = Items(app.control(kCboLiga), true);
        std::vector<std::wstring> listed;  // in the catalogue's order: the combo box does not sort
        for (const std::string& name : app.form->controller().leagues()) {
            listed.push_back(platform::Widen(name));
        }
        EXPECT_EQ(entries, listed);
        EXPECT_EQ(entries.size(), datasets.size());
        const auto selected = std::ranges::find(entries, installed != nullptr ? installed : L"");
        EXPECT_EQ(SendMessageW(app.control(kCboLiga), CB_GETCURSEL, 0, 0),
                  selected == entries.end() ? CB_ERR : selected - entries.begin());
        EXPECT_EQ(Flags(app), (std::array{installed == nullptr, false, installed != nullptr}));
        EXPECT_TRUE(IsWindowEnabled(app.control(kBtnStart)));
        EXPECT_TRUE(Log(app).empty());
    }
}

TEST(Form1Events, PickInstallAndRestoreRunTheScriptsAndShowTheState) {
    AppUnderTest app;
    const std::string premier = MakeDataset(app.folder.path(), "Premier_League");
    MakeDataset(app.folder.path(), "Serie_A");
    const HWND window = app.open().window();
    const auto pressDisabled = [&](int id) {  // no click, however it is asked
        ASSERT_FALSE(IsWindowEnabled(app.control(id)));
        app.click(id);
        SendMessageW(window, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED),
                     reinterpret_cast<LPARAM>(app.control(id)));
    };
    const LRESULT chosen = SendMessageW(app.control(kCboLiga), CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                        reinterpret_cast<LPARAM>(L"Premier League"));
    ASSERT_NE(chosen, CB_ERR);
    for (const auto& [target, index] : {std::pair{app.control(kFrame1), 1 - chosen}, {window, chosen}}) {
        app.pick(index, target);
        EXPECT_EQ(app.form->controller().selectedIndex(), index);
        EXPECT_EQ(Flags(app), (std::array{true, true, false}));
    }
    app.click(kBtnPatchen);
    EXPECT_EQ(Canonical(AwaitRecordedFolder(premier, "inst.bat")), Canonical(premier));
    EXPECT_EQ(Log(app), std::vector<std::wstring>{L"Installieren von 'Premier League'"});
    EXPECT_EQ(ReadBytes(app.path("quorbel.ini")), "pfad=Premier League\r\n");
    EXPECT_EQ(Flags(app), (std::array{false, false, true}));
    pressDisabled(kBtnPatchen);
    EXPECT_EQ(Log(app).size(), 1u);

    app.click(kBtnRestore);
    EXPECT_EQ(Canonical(AwaitRecordedFolder(premier, "clear.bat")), Canonical(premier));
    EXPECT_EQ(Log(app).back(), L"Deinstallieren von 'Premier League'");
    pressDisabled(kBtnRestore);
    EXPECT_EQ(Log(app).size(), 2u);
    EXPECT_EQ(ReadBytes(app.path("quorbel.ini")), "pfad=\r\n");
    EXPECT_EQ(Flags(app), (std::array{true, true, false}));
    EXPECT_EQ(SendMessageW(app.control(kCboLiga), CB_GETCURSEL, 0, 0), chosen);
}

TEST(Form1Events, LogKeepsTheNewestLineInView) {
    AppUnderTest app;
    MakeFolders(app.path("quorbel\\Liga_ohne_Skripte"));  // no inst.bat: every press only adds lines
    app.open();
    app.pick(0);
    for (int press = 0; press < 10; ++press) {
        app.click(kBtnPatchen);
    }
    const HWND log = app.control(kLstLog);
    const LRESULT count = SendMessageW(log, LB_GETCOUNT, 0, 0);
    ASSERT_GE(count, 10);
    EXPECT_GT(SendMessageW(log, LB_GETTOPINDEX, 0, 0), 0);
    RECT last{}, client{};
    SendMessageW(log, LB_GETITEMRECT, static_cast<WPARAM>(count - 1), reinterpret_cast<LPARAM>(&last));
    GetClientRect(log, &client);
    EXPECT_TRUE(last.top >= 0 && last.bottom <= client.bottom);
}

TEST(Form1Game, StartReportsAMissingGameAndOtherwiseLaunchesItOncePerPress) {
    AppUnderTest app;
    MakeDataset(app.folder.path(), "Serie_A");
    WriteBytes(app.path("quorbel.ini"), "pfad=serie a\r\n");
    Form1& form = app.open();
    {
        MessageBoxWatcher box;
        app.click(kBtnStart);
        ASSERT_TRUE(box.seen);
        const std::wstring description =
            platform::Widen(platform::DescribeError(ERROR_FILE_NOT_FOUND).description);
        ASSERT_FALSE(description.empty());
        EXPECT_TRUE(std::regex_search(box.text, std::wregex(L"Fehler 2\\b"))) << box.text;
        EXPECT_NE(box.text.find(description), std::wstring::npos) << box.text;
        EXPECT_FALSE(EndedWith().has_value()) << "a failed launch must not end the tool";
    }

    // The stand-in notes the folder it was started in.
    std::wstring standIn(MAX_PATH, L'\0');
    standIn.resize(GetModuleFileNameW(nullptr, standIn.data(), MAX_PATH));
    standIn.replace(standIn.rfind(L'\\'), std::wstring::npos, L"\\glenmarra.exe");
    ASSERT_TRUE(CopyFileW(standIn.c_str(), platform::Widen(app.path("glenmarra.exe")).c_str(), FALSE));
    const std::string launches = app.path("glenmarra.log");
    WriteBytes(launches, "");
    for (std::ptrdiff_t press = 1; press <= 2; ++press) {
        app.click(kBtnStart);
        ASSERT_TRUE(PumpUntil(&form, [&] { return std::ranges::count(ReadBytes(launches), '\n') == press; }));
    }
    const std::string first = ReadBytes(launches).substr(0, ReadBytes(launches).find('\n'));
    EXPECT_EQ(Canonical(first), Canonical(platform::CurrentFolder()));
    EXPECT_TRUE(Log(app).empty());
    EXPECT_EQ(Flags(app), (std::array{false, false, true}));
    EXPECT_EQ(ReadBytes(app.path("quorbel.ini")), "pfad=serie a\r\n");
}

}  // namespace
}  // namespace quorbel::testing
