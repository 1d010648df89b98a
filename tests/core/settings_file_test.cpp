#include "core/settings_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include <filesystem>
#include <string>
#include <utility>

#include "core/test_folder.h"

namespace quorbel {
namespace {

using testing::TestFolder;
using namespace std::string_literals;

TEST(SettingsFileRead, GivesTheLastKeyLinesValueLowerCased) {
    TestFolder app;
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), "");
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini")) << "reading made the file";
    // Bytes on disk (umlauts in Windows-1252) and the active dataset they give.
    const std::pair<std::string, std::string> cases[] = {
        {"", ""},
        {"pfad=\r\n", ""},
        {"\r\n[quorbel]\r\nPFAD=Bundesliga 2024 \r\nfoo=bar\r\n", "bundesliga 2024 "},
        {"Pfad=\xC4GYPTEN \xD6STERREICH", "\xC3\xA4gypten \xC3\xB6sterreich"},
        {" pfad=a\r\npfad =b\r\n", ""},  // a blank before the key or the equals sign
        {"pfad=a\r\npfad=b\r\npfad=\r\n", "b"},
        {"PFAD=Eins\rPfAd=Zwei\r\nfoo\npfad=drei\r\n", "zwei"},  // CR ends a line, a lone LF does not
        {"pfad=a\r\r\npfad=b", "b"},
        {"pfad=a\r\n\npfad=b", "a"},
        {"pfad=a\npfad=b\n", "a\npfad=b\n"},
        {"\xEF\xBB\xBFpfad=a\r\n", ""},  // a byte-order mark is part of the first line
        {"\0pfad=a\r\n"s, ""},
        {"pfad=a\0b\r\n"s, "a\0b"s},
    };
    for (const auto& [bytes, expected] : cases) {
        testing::WriteBytes(app / "quorbel.ini", bytes);
        EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), expected) << bytes;
    }
    testing::WriteBytes(app / "quorbel.ini",
                        "pfad=" + std::string(100000, 'x') + "\r\npfad=" + std::string(100000, 'y'));
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), std::string(KeyLineScanner::kValueLimit, 'y'));
    TestFolder folderInItsPlace;
    testing::MakeFolders(folderInItsPlace / "quorbel.ini");
    EXPECT_EQ(SettingsFile::ReadActiveDataset(folderInItsPlace.path()), "");
}

// Whatever goes wrong on the way to the disk, the previous line stays whole.
TEST(SettingsFileWrite, WritesOneCodePageLineOrKeepsThePreviousContent) {
    TestFolder app;
    testing::WriteBytes(app / "quorbel.ini", std::string(5000, 'z') + "\r\npfad=alt\r\n");
    SettingsFile::WriteActiveDataset(app.path(), "\xC3\x96sterreich Liga \xE2\x82\xAC");  // Ö and € in 1252
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=\xD6sterreich Liga \x80\r\n");
    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "").kind, SaveResult::Kind::Saved);
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=\r\n");
#ifndef _WIN32
    // A write that stops half-way, as on a full disk (here: the file size limit).
    struct rlimit limit {};
    getrlimit(RLIMIT_FSIZE, &limit);
    const auto handler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = limit;
    tiny.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const SaveResult halfWay = SettingsFile::WriteActiveDataset(app.path(), "Bundesliga");
    setrlimit(RLIMIT_FSIZE, &limit);
    signal(SIGXFSZ, handler);
    EXPECT_EQ(halfWay.kind, SaveResult::Kind::Failed);
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=\r\n");
#endif
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini.tmp"));
    std::filesystem::remove(testing::PathOf(app / "quorbel.ini"));
    testing::MakeFolders(app / "quorbel.ini");
    EXPECT_EQ(SettingsFile::WriteActiveDataset(app.path(), "Serie A").kind, SaveResult::Kind::Failed);
}

}  // namespace
}  // namespace quorbel
