// The game folder: the tool's own folder as its exe gives it, the datasets found there, and quorbel.ini.
#include "core/application_folder.h"
#include "core/dataset_catalogue.h"
#include "core/settings_file.h"

#ifndef _WIN32
#include <sys/resource.h>
#include <unistd.h>

#include <csignal>
#endif

#include "support/test_folder.h"

namespace quorbel::testing {
namespace {

namespace Catalogue = DatasetCatalogue;
using namespace std::string_literals;
using Names = std::vector<std::string>;

TEST(DatasetCatalogue, ListsVisibleFoldersUnderTheirDatasetNamesAndFindsTheInstalledOneAmongThem) {
    TestFolder app;
    WriteBytes(app / "quorbel", "not a folder");
    EXPECT_TRUE(Catalogue::ListDatasetNames(app.path()).empty()) << "no dataset root, a file in its place";
    fs::remove(PathOf(app / "quorbel"));
    const std::string root = platform::JoinPath(app / "quorbel", "");
    MakeFolders(root);
    EXPECT_TRUE(Catalogue::ListDatasetNames(app.path()).empty()) << "an empty one";
    for (const char* folder : {"Premier_League", "__Rand__", "\xC3\x96sterreich", "Serie_A", "Serie A",
                               "Versteckt", "System", ".punkt"}) {
        MakeFolders(root + folder);
    }
    WriteBytes(root + "Liga_Datei", "a plain file is no dataset");
#ifdef _WIN32
    SetFileAttributesW(PathOf(root + "Versteckt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(PathOf(root + "System").c_str(), FILE_ATTRIBUTE_SYSTEM);
#endif
    // In byte order; two folders, one name: both listed.
    Names expected = {"  Rand  ", "Premier League", "Serie A", "Serie A", "\xC3\x96sterreich"};
#ifndef _WIN32
    expected.insert(expected.end() - 1, {"System", "Versteckt"});  // here only a leading dot hides
#endif
    Names names = Catalogue::ListDatasetNames(app.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Catalogue::DatasetFolderPath(app.path(), " Serie  A"), root + "_Serie__A") << "the way back";

    // The installed one: the last name whose lower-cased form (Ä as ä) equals what quorbel.ini gives.
    names = {"\xC3\x84gypten", "Serie A ", "SERIE A", "Serie A", "ZZ"};
    const std::pair<const char*, std::optional<std::size_t>> found[] = {
        {"zz", 4},       {"\xC3\xA4gypten", 0}, {"serie a ", 1}, {"serie a", 3},
        {"serie_a", {}}, {"Serie A", {}},       {"", {}}};
    for (const auto& [active, index] : found) {
        EXPECT_EQ(Catalogue::FindActiveDataset(names, active), index) << '"' << active << '"';
    }
}

// Everything the tool starts or reads is joined to this folder; an extended path would read as a network one.
// One tool runs per game folder: reached through a link (or on Windows a junction, subst or another drive
// letter) it is still the same folder, and two tools there would stack two datasets.
TEST(ApplicationFolder, IsThePlainFolderOfTheExeAndOneKeyNamesItHoweverItIsReached) {
    const std::pair<const char*, const char*> cases[] = {
        {"C:\\Spiele\\Glenmarra \xC3\x84\\Quorbel.exe", "C:\\Spiele\\Glenmarra \xC3\x84"},
        {"\\\\?\\C:\\Spiele\\Glenmarra \xC3\x84\\Quorbel.exe", "C:\\Spiele\\Glenmarra \xC3\x84"},
        {"Q:\\Quorbel.exe", "Q:\\"},
        {"\\\\?\\UNC\\server\\share\\Quorbel.exe", "\\\\server\\share"},
        // no drive to take it off
        {"\\\\?\\Volume{26a2}\\Spiele\\Quorbel.exe", "\\\\?\\Volume{26a2}\\Spiele"},
        {"\\\\server\\share\\Quorbel.exe", "\\\\server\\share"},
        {"/spiele/glenmarra/Quorbel.exe", "/spiele/glenmarra"}};
    for (const auto& [exe, folder] : cases) {
        EXPECT_EQ(ApplicationFolderOf(exe), folder);
    }
    // A folder that cannot be opened is known by its path, in any letter case.
    const std::uint64_t glenmarra = InstanceKey("C:\\Spiele\\Glenmarra \xC3\x84");
    EXPECT_EQ(InstanceKey("c:\\SPIELE\\glenmarra \xC3\xA4"), glenmarra) << "letter case, umlaut included";
    EXPECT_NE(InstanceKey("C:\\Spiele\\Glenmarra \xC3\x84 2"), glenmarra);
    const TestFolder game, other;
#ifndef _WIN32  // Wine makes no links; the end-to-end tests start the tool through another drive letter
    fs::create_directory_symlink(PathOf(game.path()), PathOf(other / "Verkn\xC3\xBCpft"));
    EXPECT_EQ(InstanceKey(other / "Verkn\xC3\xBCpft"), InstanceKey(game.path()));
#endif
    EXPECT_NE(InstanceKey(other.path()), InstanceKey(game.path()));
}

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
        {"pfad=a\rpfad=b\nc\r\n", "b\nc"},  // a character after CR ends what its LF would have ended
        {"pfad=a\r\n\npfad=b", "a"},
        {"pfad=a\npfad=b\n", "a\npfad=b\n"},
        {"\xEF\xBB\xBFpfad=a\r\n", ""},  // a byte-order mark is part of the first line
        {"\0pfad=a\r\n"s, ""},
        {"pfad=a\0b\r\n"s, "a\0b"s},
        // in 64 KiB pieces, and cut where no name is so long
        {"pfad=" + std::string(100000, 'x') + "\r\npfad=" + std::string(100000, 'y'),
         std::string(KeyLineScanner::kValueLimit, 'y')},
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
    const struct rlimit tiny = {4, limit.rlim_max};
    signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process (this test's own)
    setrlimit(RLIMIT_FSIZE, &tiny);
    const SaveResult halfWay = SettingsFile::WriteActiveDataset(app.path(), "Bundesliga");
    setrlimit(RLIMIT_FSIZE, &limit);
    EXPECT_EQ(halfWay.kind, SaveResult::Kind::Failed);
    EXPECT_EQ(ReadBytes(app / "quorbel.ini"), "pfad=\r\n");
#endif
    EXPECT_EQ(Entries(app.path()), Names{"quorbel.ini"});

    fs::remove(PathOf(app / "quorbel.ini"));
    MakeFolders(app / "quorbel.ini");  // a folder in the file's place
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()).activeDataset, "");
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
    EXPECT_EQ(ReadBytes(app / "quorbel.ini"), "pfad=quorbel.ini.345-1.tmp\r\n");
    EXPECT_FALSE(Exists(app / "quorbel.ini.345-1.tmp")) << "copied, not moved";
    // A file that is there is read as it is.
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()).activeDataset, "quorbel.ini.345-1.tmp");
    // The two again, the other one newer now: the newest is taken, whichever the folder lists first.
    fs::rename(PathOf(app / "quorbel.ini"), PathOf(app / "quorbel.ini.345-1.tmp"));
    fs::last_write_time(PathOf(app / "quorbel.ini.12-0.tmp"), now + std::chrono::hours(2));
    EXPECT_EQ(SettingsFile::ReadActiveDataset(app.path()).activeDataset, "quorbel.ini.12-0.tmp");
    ASSERT_EQ(SettingsFile::WriteActiveDataset(app.path(), "").kind, SaveResult::Kind::Saved);
    EXPECT_EQ(Entries(app.path()),
              (Names{"quorbel.ini", "quorbel.ini.-1.tmp", "quorbel.ini.5-.tmp", "quorbel.ini.5-1.tmp.bak",
                     "quorbel.ini.5.tmp", "quorbel.ini.x-1.tmp"}))
        << "only leftovers of the exact pattern go";
}

#ifdef _WIN32
// A virus scanner, a backup or a sync tool holds the file for a moment, or for longer than the tool waits; a
// read-only file, or one that is not there, is not waited for. A player's hidden file stays hidden.
TEST(SettingsFile, IsTriedAgainWhileAnotherProgramHoldsTheFileAndKeepsItHidden) {
    TestFolder app;
    WriteBytes(app / "quorbel.ini", "pfad=alt\r\n");
    const std::wstring path = PathOf(app / "quorbel.ini").wstring();
    SetFileAttributesW(path.c_str(), FILE_ATTRIBUTE_HIDDEN);
    for (const bool letGo : {false, true}) {
        SCOPED_TRACE(letGo ? "let go after the first try" : "held throughout");
        int pauses = 0;
        win::UniqueHandle held = Hold(app / "quorbel.ini");
        const ReadResult read =
            SettingsFile::ReadActiveDataset(app.path(), CountingPauses(held, pauses, letGo));
        held.reset();  // held again, by a new handle: the file takes only one
        held = Hold(app / "quorbel.ini");
        const SaveResult saved =
            SettingsFile::WriteActiveDataset(app.path(), "Neu", CountingPauses(held, pauses, letGo));
        held.reset();
        EXPECT_EQ(pauses, letGo ? 2 : 6);
        EXPECT_EQ(read.activeDataset, letGo ? "alt" : "");
        EXPECT_EQ(read.failure && platform::HeldByAnotherProgram(*read.failure), !letGo);
        EXPECT_EQ(saved.kind, letGo ? SaveResult::Kind::Saved : SaveResult::Kind::Failed);
        EXPECT_EQ(platform::HeldByAnotherProgram(saved.failure), !letGo);
        EXPECT_EQ(ReadBytes(app / "quorbel.ini"), letGo ? "pfad=Neu\r\n" : "pfad=alt\r\n");
        EXPECT_EQ(Entries(app.path()), Names{"quorbel.ini"});
    }
    EXPECT_NE(GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
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
