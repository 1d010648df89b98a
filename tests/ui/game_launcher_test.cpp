// The game as the start button launches it, in an application folder whose path holds a blank.
#include <gtest/gtest.h>

#include "core/platform.h"
#include "core/test_folder.h"
#include "e2e/desktop.h"
#include "ui/game_launcher.h"

namespace quorbel::testing {
namespace {

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
