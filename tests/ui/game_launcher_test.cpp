// The game's folder as the running exe gives it, and the game as the start button launches it there.
#include <gtest/gtest.h>

#include "core/platform.h"
#include "core/test_folder.h"
#include "e2e/desktop.h"
#include "ui/application_folder.h"
#include "ui/game_launcher.h"

namespace quorbel::testing {
namespace {

// Everything the tool starts or reads is joined to this folder; an extended path would read as a network one.
TEST(ApplicationFolder, IsThePlainFolderOfTheExeAndKeepsTheBackslashOfADrivesRoot) {
    for (const auto& [exe, folder] : std::initializer_list<std::pair<const wchar_t*, const char*>>{
             {L"C:\\Spiele\\Glenmarra \u00E4\\Quorbel.exe", "C:\\Spiele\\Glenmarra \xC3\xA4"},
             {L"Q:\\Quorbel.exe", "Q:\\"},
             {L"\\\\?\\C:\\Spiele\\Quorbel.exe", "C:\\Spiele"},
             {L"\\\\?\\UNC\\server\\share\\Quorbel.exe", "\\\\server\\share"},
             {L"\\\\server\\share\\Quorbel.exe", "\\\\server\\share"}}) {
        EXPECT_EQ(ui::ApplicationFolderOf(exe), folder);
    }
}

// Were the game's path ever handed over unquoted, Windows would run "<parent>\app.exe" instead.
TEST(GameLauncher, StartsExactlyTheGameShownNormallyInTheToolsCurrentFolder) {
    TestFolder parent("QuorbelDecoy");
    const std::string app = parent / "app dir";
    MakeFolders(app);
    CopyBuiltProgram(L"decoy.exe", parent.path(), L"app.exe");
    CopyBuiltProgram(L"glenmarra.exe", app);
    WriteBytes(app + "\\glenmarra.log", "");  // with it the stand-in logs its launch and ends

    EXPECT_FALSE(ui::LaunchGame(app).has_value());
    ASSERT_TRUE(Eventually([&] { return !ReadBytes(app + "\\glenmarra.log").empty(); }));
    // SW_SHOWNORMAL is 1; without a show command of ours the game would be given SW_SHOWDEFAULT.
    EXPECT_EQ(ReadBytes(app + "\\glenmarra.log"), Canonical(platform::CurrentFolder()) + "\t1\n");
    EXPECT_FALSE(Exists(parent / "app.exe.ran")) << "the planted program ran";
}

}  // namespace
}  // namespace quorbel::testing
