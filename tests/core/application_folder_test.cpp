// The game's folder as the running exe gives it, and one tool per folder however it is spelt.
#include "core/application_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace quorbel {
namespace {

// Everything the tool starts or reads is joined to this folder; an extended path would read as a network one.
TEST(ApplicationFolder, IsThePlainFolderOfTheExeAndOneKeyNamesItInAnyLetterCase) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Spiele\\Glenmarra \xC3\x84\\Quorbel.exe", "C:\\Spiele\\Glenmarra \xC3\x84"},
        {"\\\\?\\C:\\Spiele\\Glenmarra \xC3\x84\\Quorbel.exe", "C:\\Spiele\\Glenmarra \xC3\x84"},
        {"Q:\\Quorbel.exe", "Q:\\"},
        {"\\\\?\\UNC\\server\\share\\Quorbel.exe", "\\\\server\\share"},
        {"\\\\server\\share\\Quorbel.exe", "\\\\server\\share"},
        {"/spiele/glenmarra/Quorbel.exe", "/spiele/glenmarra"}};
    for (const auto& [exe, folder] : cases) {
        EXPECT_EQ(ApplicationFolderOf(exe), folder);
    }
    const std::uint64_t glenmarra = InstanceKey("C:\\Spiele\\Glenmarra \xC3\x84");
    EXPECT_EQ(InstanceKey("c:\\SPIELE\\glenmarra \xC3\xA4"), glenmarra) << "letter case, umlaut included";
    EXPECT_NE(InstanceKey("C:\\Spiele\\Glenmarra \xC3\x84 2"), glenmarra);
}

}  // namespace
}  // namespace quorbel
