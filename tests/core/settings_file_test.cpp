#include "core/settings_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>

#include <csignal>
#endif

#include <ostream>
#include <string>
#include <vector>

#include "core/test_folder.h"

namespace quorbel {
namespace {

using testing::TestFolder;
using namespace std::string_literals;

struct ReadCase {
    const char* what;
    std::string bytes;
    std::string expected;
    friend void PrintTo(const ReadCase& c, std::ostream* out) { *out << c.what; }
};

// Bytes on disk (umlauts as Windows-1252) and the active dataset they must give.
const std::vector<ReadCase> kReadCases = {
    {"a restore's file names nothing", "pfad=\r\n", ""},
    {"value lower-cased, blanks kept", "pfad=Bundesliga 2024\r\n", "bundesliga 2024"},
    {"key in capitals counts", "PFAD=Premier League\r\n", "premier league"},
    {"umlauts lower-cased", "Pfad=\xC4GYPTEN \xD6STERREICH\r\n", "\xC3\xA4gypten \xC3\xB6sterreich"},
    {"blank before the key", " pfad=liga\r\n", ""},
    {"blank before the equals sign", "pfad =liga\r\n", ""},
    {"trailing blank stays", "pfad=liga \r\n", "liga "},
    {"last key line wins, bare key clears nothing", "pfad=a\r\npfad=b\r\npfad=\r\n", "b"},
    {"other and blank lines ignored", "\r\n[quorbel]\r\npfad=Liga\r\nfoo=bar\r\n\r\n", "liga"},
    {"LF alone is part of the line", "pfad=a\npfad=b\n", "a\npfad=b\n"},
    {"LF-only file without leading key", "x\npfad=b\n", ""},
    {"CR alone ends a line", "foo\rpfad=Serie A\r", "serie a"},
    {"CR CR LF gives an empty line", "pfad=a\r\r\npfad=b", "b"},
    {"LF after CR LF starts the next line", "pfad=a\r\n\npfad=b", "a"},
    {"no line end after the last line", "pfad=Liga", "liga"},
    {"one-character value", "pfad=x", "x"},
    {"byte-order mark hides the first key", "\xEF\xBB\xBFpfad=a\r\n", ""},
    {"key after a byte-order mark line", "\xEF\xBB\xBFpfad=a\r\npfad=b\r\n", "b"},
    {"NUL bytes are ordinary characters", "pfad=a\0b\r\n"s, "a\0b"s},
    {"NUL before the key hides it", "\0pfad=a\r\n"s, ""},
    {"several key lines in mixed case", "PFAD=Eins\rPfAd=Zwei\r\nfoo\npfad=drei\r\n", "zwei"},
};

class SettingsFileRead : public ::testing::TestWithParam<ReadCase> {};

TEST_P(SettingsFileRead, GivesTheLastKeyLinesValueLowerCased) {
    TestFolder app;
    testing::WriteBytes(app / "quorbel.ini", GetParam().bytes);
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), GetParam().expected);
}

INSTANTIATE_TEST_SUITE_P(Bytes, SettingsFileRead, ::testing::ValuesIn(kReadCases));

// Whether the bytes come whole or split is the fuzzer's question; here: a value past the limit is cut.
TEST(KeyLineScanner, LongValuesAreCut) {
    KeyLineScanner scanner;
    scanner.feed("pfad=" + std::string(100000, 'x') + "\r\npfad=" + std::string(100000, 'y'));
    EXPECT_EQ(scanner.finish(), std::string(KeyLineScanner::kValueLimit, 'y'));
}

TEST(SettingsFileRead, NothingToReadGivesNoActiveDatasetAndCreatesNoFile) {
    TestFolder app;
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), "");
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini"));
    testing::WriteBytes(app / "quorbel.ini", "");
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), "");
    TestFolder folderInItsPlace;
    testing::MakeFolders(folderInItsPlace / "quorbel.ini");
    EXPECT_EQ(SettingsFile::ReadActiveDataset(folderInItsPlace.path()), "");
}

TEST(SettingsFileWrite, WritesExactlyOneCodePageLineWithCrLfAndReadsItBack) {
    TestFolder app;
    testing::WriteBytes(app / "quorbel.ini", std::string(5000, 'z') + "\r\npfad=alt\r\n");
    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "Bundesliga 2024").kind, SaveResult::Kind::Saved);
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=Bundesliga 2024\r\n");
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini.tmp"));

    SettingsFile::WriteActiveDataset(app.path(), "\xC3\x96sterreich Liga \xE2\x82\xAC");  // Ö and € in 1252
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=\xD6sterreich Liga \x80\r\n");
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), "\xC3\xB6sterreich liga \xE2\x82\xAC");

    SettingsFile::WriteActiveDataset(app.path(), "");
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=\r\n");
}

// Whatever goes wrong, the previous line stays whole: the file is never emptied or half-written.
TEST(SettingsFileWrite, ARefusedOrFailedWriteKeepsThePreviousContent) {
    TestFolder app;
    const std::string previous = "pfad=Premier League\r\n";
    testing::WriteBytes(app / "quorbel.ini", previous);
    // A refused write (read-only file, name outside the code page) is the controller's case; here the
    // ways a write can fail on its way to the disk.
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
#endif
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), previous);
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini.tmp"));

    TestFolder blocked;
    testing::MakeFolders(blocked / "quorbel.ini");
    EXPECT_EQ(SettingsFile::WriteActiveDataset(blocked.path(), "Serie A").kind, SaveResult::Kind::Failed);
    EXPECT_EQ(SettingsFile::WriteActiveDataset(app / "no such folder", "Serie A").kind,
              SaveResult::Kind::Failed);
}

}  // namespace
}  // namespace quorbel
