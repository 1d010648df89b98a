#include "core/settings_file.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

#include "support/test_folder.h"

namespace quorbel::testing {
namespace {

using namespace std::string_literals;
using Names = std::vector<std::string>;

TEST(SettingsFileRead, GivesTheLastKeyLinesValueLowerCased) {
    TestFolder app;
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()).activeDataset, "");
    EXPECT_FALSE(Exists(app / "quorbel.ini")) << "reading made the file";
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
        {"pfad=" + std::string(100000, 'x') + "\r\npfad=" + std::string(100000, 'y'),
         std::string(KeyLineScanner::kValueLimit,
                     'y')},  // in 64 KiB pieces, and cut where no name is so long
    };
    for (const auto& [bytes, expected] : cases) {
        WriteBytes(app / "quorbel.ini", bytes);
        EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()).activeDataset, expected) << bytes.substr(0, 80);
    }
}

// Whatever goes wrong on the way to the disk, the previous line stays whole and no temporary file is left.
TEST(SettingsFileWrite, WritesOneCodePageLineOrKeepsThePreviousContentWhateverLiesBesideIt) {
    TestFolder app;
    WriteBytes(app / "quorbel.ini", std::string(5000, 'z') + "\r\npfad=alt\r\n");
    SettingsFile::WriteActiveDataset(app.path(), "\xC3\x96sterreich Liga \xE2\x82\xAC");  // Ö and € in 1252
    EXPECT_EQ(ReadBytes(app / "quorbel.ini"), "pfad=\xD6sterreich Liga \x80\r\n");
    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "").kind, SaveResult::Kind::Saved);
    EXPECT_EQ(ReadBytes(app / "quorbel.ini"), "pfad=\r\n");
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
    EXPECT_EQ(ReadBytes(app / "quorbel.ini"), "pfad=\r\n");
#endif
    EXPECT_EQ(Entries(app.path()), Names{"quorbel.ini"});

    fs::remove(PathOf(app / "quorbel.ini"));
    MakeFolders(app / "quorbel.ini");
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()).activeDataset, "")
        << "a folder in the file's place";
    EXPECT_EQ(SettingsFile::WriteActiveDataset(app.path(), "Serie A").kind, SaveResult::Kind::Failed);
    EXPECT_EQ(Entries(app.path()), Names{"quorbel.ini"});
    // A game folder that cannot take the temporary file.
    EXPECT_EQ(SettingsFile::WriteActiveDataset(app / "fehlt", "Serie A").kind, SaveResult::Kind::Failed);

    // Leftovers of anything, at the name of old or at the next names this process would take, stop no save.
    fs::remove(PathOf(app / "quorbel.ini"));
#ifdef _WIN32
    const std::string stem = "quorbel.ini." + std::to_string(GetCurrentProcessId());
#else
    const std::string stem = "quorbel.ini." + std::to_string(getpid());
#endif
    const Names entries = {"quorbel.ini", stem + "-0.tmp", stem + "-1.tmp", "quorbel.ini.tmp"};
    MakeFolders(app / entries[1]);
    WriteBytes(app / entries[2], "");
    fs::permissions(PathOf(app / entries[2]), fs::perms::owner_read);
    MakeFolders(app / entries[3]);
    WriteBytes(app / "quorbel.ini.1-7.tmp", "pfad=Alt\r\n");  // a save of another run, broken off
    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "Serie A").kind, SaveResult::Kind::Saved);
    EXPECT_EQ(ReadBytes(app / "quorbel.ini"), "pfad=Serie A\r\n");
    EXPECT_EQ(Entries(app.path()), entries) << "only a plain leftover file goes, and no new one is left";
}

// A save broken off between the two names (the file removed, the new one not yet in its place) left the only
// copy of the line in its temporary file: the next start takes the newest such file, and nothing else.
TEST(SettingsFileRead, TakesTheNewestTemporaryFileOfABrokenOffSaveWhenTheFileIsMissing) {
    TestFolder app;
    const auto now = fs::file_time_type::clock::now();
    // The newest one was made before its script started and never written.
    const std::pair<std::string, int> files[] = {
        {"quorbel.ini.12-0.tmp", -2}, {"quorbel.ini.345-1.tmp", -1}, {"quorbel.ini.9-0.tmp", 1},
        {"quorbel.ini.x-1.tmp", 0},   {"quorbel.ini.-1.tmp", 0},     {"quorbel.ini.5-.tmp", 0},
        {"quorbel.ini.5.tmp", 0},     {"quorbel.ini.5-1.tmp.bak", 0}};
    for (const auto& [name, hours] : files) {
        WriteBytes(app / name, name == "quorbel.ini.9-0.tmp" ? "" : "pfad=" + name + "\r\n");
        fs::last_write_time(PathOf(app / name), now + std::chrono::hours(hours));
    }
#ifdef _WIN32  // a replace that failed half-way may have given it the file's attributes
    SetFileAttributesW(PathOf(app / "quorbel.ini.345-1.tmp").c_str(), FILE_ATTRIBUTE_HIDDEN);
#endif
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()).activeDataset, "quorbel.ini.345-1.tmp");
    Names left = Entries(app.path());
    EXPECT_EQ(left.size(), std::size(files)) << "moved, not copied";
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()).activeDataset, "quorbel.ini.345-1.tmp")
        << "a file that is there is read as it is";
    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "").kind, SaveResult::Kind::Saved);
    for (const char* gone : {"quorbel.ini.12-0.tmp", "quorbel.ini.9-0.tmp"}) {
        left.erase(std::find(left.begin(), left.end(), gone));
    }
    EXPECT_EQ(Entries(app.path()), left);
}

#ifdef _WIN32
// A virus scanner, a backup or a sync tool holds the file for a moment, or for longer than the tool waits.
// A player's hidden file stays hidden.
TEST(SettingsFileWrite, IsTriedAgainWhileAnotherProgramHoldsTheFileAndKeepsItHidden) {
    TestFolder app;
    WriteBytes(app / "quorbel.ini", "pfad=alt\r\n");
    const std::wstring path = PathOf(app / "quorbel.ini").wstring();
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    for (const bool letGo : {false, true}) {
        SCOPED_TRACE(letGo ? "let go after the first try" : "held throughout");
        win::UniqueHandle held = Hold(app / "quorbel.ini");
        int pauses = 0;
        const SaveResult saved =
            SettingsFile::WriteActiveDataset(app.path(), "Neu", CountingPauses(held, pauses, letGo));
        held.reset();
        EXPECT_EQ(pauses, letGo ? 1 : 3);
        EXPECT_EQ(saved.kind, letGo ? SaveResult::Kind::Saved : SaveResult::Kind::Failed);
        EXPECT_EQ(platform::HeldByAnotherProgram(saved.failure), !letGo);
        EXPECT_EQ(ReadBytes(app / "quorbel.ini"), letGo ? "pfad=Neu\r\n" : "pfad=alt\r\n");
        EXPECT_EQ(Entries(app.path()), Names{"quorbel.ini"});
    }
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    // Nor is a read-only file or one that is not there waited for, as if another program held it.
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_READONLY);
    win::UniqueHandle held = Hold(app / "quorbel.ini");
    int pauses = 0;
    const platform::WhileHeld counting = CountingPauses(held, pauses, false);
    EXPECT_EQ(SettingsFile::WriteActiveDataset(app.path(), "Neu", counting).failure.code, 5u);  // denied
    EXPECT_TRUE(platform::InputFile(app / "fehlt.ini", counting).failure());
    EXPECT_EQ(pauses, 0);
}
#endif

}  // namespace
}  // namespace quorbel::testing
