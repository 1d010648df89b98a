// The game's folder as the running exe gives it.
#include <gtest/gtest.h>

#include <string>
#include <utility>

#include "ui/application_folder.h"

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

}  // namespace
}  // namespace quorbel::testing
