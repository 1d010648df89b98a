// The game's folder as the running exe gives it, and one tool per folder however it is spelt.
#include "core/application_folder.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace quorbel {
namespace {

// Everything the tool starts or reads is joined to this folder; an extended path would read as a network one.
TEST(ApplicationFolder, IsThePlainFolderOfTheExeAndKeepsTheSeparatorOfADrivesRoot) {
    for (const auto& [exe, folder] : std::initializer_list<std::pair<const char*, const char*>>{
             {"C:\\Spiele\\Glenmarra \xC3\xA4\\Quorbel.exe", "C:\\Spiele\\Glenmarra \xC3\xA4"},
             {"Q:\\Quorbel.exe", "Q:\\"},
             {"\\\\?\\C:\\Spiele\\Quorbel.exe", "C:\\Spiele"},
             {"\\\\?\\UNC\\server\\share\\Quorbel.exe", "\\\\server\\share"},
             {"\\\\server\\share\\Quorbel.exe", "\\\\server\\share"},
             {"/spiele/glenmarra/Quorbel.exe", "/spiele/glenmarra"}}) {
        EXPECT_EQ(ApplicationFolderOf(exe), folder);
    }
}

TEST(InstanceKey, IsOneForEverySpellingOfAFolderAndAnotherForAnotherFolder) {
    const std::uint64_t glenmarra = InstanceKey("C:\\Spiele\\Glenmarra \xC3\x84");  // Ä
    EXPECT_EQ(InstanceKey("c:\\SPIELE\\glenmarra \xC3\xA4"), glenmarra) << "letter case, umlaut included";
    EXPECT_EQ(InstanceKey(ApplicationFolderOf("\\\\?\\C:\\Spiele\\Glenmarra \xC3\x84\\Quorbel.exe")),
              glenmarra);
    EXPECT_NE(InstanceKey("C:\\Spiele\\Glenmarra \xC3\x84 2"), glenmarra);
    EXPECT_NE(InstanceKey("C:\\Spiele\\Glenmarra"), glenmarra);
}

}  // namespace
}  // namespace quorbel
