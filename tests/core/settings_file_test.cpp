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

// Bytes on disk and the active dataset they must give; ä/Ä etc. appear as Windows-1252 bytes.
const std::vector<ReadCase> kReadCases = {
    {"a restore's file names nothing", "pfad=\r\n", ""},
    {"value lower-cased, blanks kept", "pfad=Bundesliga 2024\r\n", "bundesliga 2024"},
    {"key in capitals counts", "PFAD=Premier League\r\n", "premier league"},
    {"umlauts lower-cased", "Pfad=\xC4GYPTEN \xD6STERREICH\r\n", "ägypten österreich"},
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
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), GetParam().expected) << GetParam().what;
}

std::string CaseName(const ::testing::TestParamInfo<ReadCase>& info) {
    std::string name;
    bool upper = true;
    for (const char* c = info.param.what; *c != '\0'; ++c) {
        const bool alnum = (*c >= 'a' && *c <= 'z') || (*c >= 'A' && *c <= 'Z') || (*c >= '0' && *c <= '9');
        if (alnum) {
            name.push_back(upper && *c >= 'a' && *c <= 'z' ? static_cast<char>(*c - 'a' + 'A') : *c);
        }
        upper = !alnum;
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(Bytes, SettingsFileRead, ::testing::ValuesIn(kReadCases), CaseName);

TEST(KeyLineScanner, AnySplitOfTheBytesGivesTheSameValue) {
    for (const ReadCase& c : kReadCases) {
        KeyLineScanner whole;
        whole.feed(c.bytes);
        const std::string expected = whole.finish();
        for (std::size_t split = 0; split <= c.bytes.size(); ++split) {
            KeyLineScanner pieces;
            pieces.feed(std::string_view(c.bytes).substr(0, split));
            pieces.feed(std::string_view(c.bytes).substr(split));
            EXPECT_EQ(pieces.finish(), expected) << c.what << ", split at " << split;
        }
    }
}

TEST(KeyLineScanner, CutsOverlongValuesAndLetALaterLineWin) {
    KeyLineScanner scanner;
    scanner.feed("pfad=" + std::string(100000, 'x'));
    EXPECT_EQ(scanner.finish(), std::string(KeyLineScanner::kValueLimit, 'x'));

    KeyLineScanner later;
    later.feed("pfad=" + std::string(100000, 'x') + "\r\npfad=Liga\r\n");
    EXPECT_EQ(later.finish(), "Liga");
}

TEST(SettingsFileRead, NothingToReadGivesNoActiveDataset) {
    TestFolder app;
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), "") << "missing file";
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini")) << "reading never creates the file";

    testing::WriteBytes(app / "quorbel.ini", "");
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), "") << "empty file";

    TestFolder other;
    testing::MakeFolders(other / "quorbel.ini");
    EXPECT_EQ(SettingsFile::ReadActiveDataset(other.path()), "") << "a folder in the file's place";

    EXPECT_EQ(SettingsFile::ReadActiveDataset(app / "no such folder"), "") << "missing application folder";
}

TEST(SettingsFileWrite, WritesExactlyOneCodePageLineWithCrLf) {
    TestFolder app;
    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "Bundesliga 2024").kind, SaveResult::Kind::Saved);
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=Bundesliga 2024\r\n");

    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "\xC3\x96sterreich Liga \xE2\x82\xAC").kind,
              SaveResult::Kind::Saved);
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=\xD6sterreich Liga \x80\r\n")
        << "Ö and € in 1252";

    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "").kind, SaveResult::Kind::Saved);
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=\r\n");
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), "");
}

TEST(SettingsFileWrite, ReadsBackWhatItWroteLowerCased) {
    TestFolder app;
    SettingsFile::WriteActiveDataset(app.path(), "Serie A \xC3\x84gypten");  // "Serie A Ägypten"
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()), "serie a \xC3\xA4gypten");
}

TEST(SettingsFileWrite, ReplacesLongerContentAndLeavesNoTemporaryFile) {
    TestFolder app;
    testing::WriteBytes(app / "quorbel.ini", std::string(5000, 'z') + "\r\npfad=alt\r\n");
    SettingsFile::WriteActiveDataset(app.path(), "Neu");
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=Neu\r\n");
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini.tmp"));
}

TEST(SettingsFileWrite, NameOutsideTheCodePageKeepsThePreviousFile) {
    TestFolder app;
    testing::WriteBytes(app / "quorbel.ini", "pfad=Premier League\r\n");
    const SaveResult result = SettingsFile::WriteActiveDataset(app.path(),
                                                               "\xC5\x81\xC3\xB3"
                                                               "d\xC5\xBA");  // Łódź
    EXPECT_EQ(result.kind, SaveResult::Kind::NotRepresentable);
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=Premier League\r\n");
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini.tmp"));
}

TEST(SettingsFileWrite, RefusedWriteKeepsThePreviousContentAndSaysWhy) {
    TestFolder app;
    testing::WriteBytes(app / "quorbel.ini", "pfad=Premier League\r\n");
    testing::SetReadOnly(app / "quorbel.ini", true);
    const SaveResult readOnly = SettingsFile::WriteActiveDataset(app.path(), "Serie A");
    testing::SetReadOnly(app / "quorbel.ini", false);
    EXPECT_EQ(readOnly.kind, SaveResult::Kind::Failed);
    EXPECT_NE(readOnly.failure.code, 0u);
    EXPECT_FALSE(readOnly.failure.description.empty());
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=Premier League\r\n");

    TestFolder blocked;
    testing::MakeFolders(blocked / "quorbel.ini");
    EXPECT_EQ(SettingsFile::WriteActiveDataset(blocked.path(), "Serie A").kind, SaveResult::Kind::Failed);
    EXPECT_TRUE(testing::Exists(blocked / "quorbel.ini"));

    EXPECT_EQ(SettingsFile::WriteActiveDataset(app / "no such folder", "Serie A").kind,
              SaveResult::Kind::Failed);
}

#ifndef _WIN32
// A write that fails half-way (here: the file size limit, as a full disk would) must not cost the old line.
TEST(SettingsFileWrite, FailedWriteLeavesThePreviousContentWhole) {
    TestFolder app;
    testing::WriteBytes(app / "quorbel.ini", "pfad=Premier League\r\n");
    struct rlimit previous {};
    getrlimit(RLIMIT_FSIZE, &previous);
    const auto previousHandler = signal(SIGXFSZ, SIG_IGN);
    struct rlimit tiny = previous;
    tiny.rlim_cur = 4;
    setrlimit(RLIMIT_FSIZE, &tiny);
    const SaveResult result = SettingsFile::WriteActiveDataset(app.path(), "Bundesliga");
    setrlimit(RLIMIT_FSIZE, &previous);
    signal(SIGXFSZ, previousHandler);

    EXPECT_EQ(result.kind, SaveResult::Kind::Failed);
    EXPECT_EQ(testing::ReadBytes(app / "quorbel.ini"), "pfad=Premier League\r\n");
    EXPECT_FALSE(testing::Exists(app / "quorbel.ini.tmp"));
}
#endif

}  // namespace
}  // namespace quorbel
