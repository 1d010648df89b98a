// The game folder: the tool's own folder as its exe gives it, and the datasets found there.
#include "core/application_folder.h"
#include "core/dataset_catalogue.h"

#include <gtest/gtest.h>

#include "support/test_folder.h"

namespace quorbel::testing {
namespace {

namespace Catalogue = DatasetCatalogue;

TEST(DatasetCatalogueList, ListsVisibleFoldersOnlyUnderTheirDatasetNames) {
    TestFolder app;
    EXPECT_TRUE(Catalogue::ListDatasetNames(app.path()).empty()) << "no dataset root";
    const std::string root = Catalogue::DatasetRoot(app.path());
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
    std::vector<std::string> expected = {"  Rand  ", "Premier League", "Serie A", "Serie A",
                                         "\xC3\x96sterreich"};
#ifndef _WIN32
    expected.insert(expected.end() - 1, {"System", "Versteckt"});  // here only a leading dot hides
#endif
    std::vector<std::string> names = Catalogue::ListDatasetNames(app.path());
    std::sort(names.begin(), names.end());
    EXPECT_EQ(names, expected);
    EXPECT_EQ(Catalogue::DatasetFolderPath(app.path(), " Serie  A"), root + "_Serie__A") << "the way back";

    TestFolder file;
    WriteBytes(file / "quorbel", "not a folder");
    EXPECT_TRUE(Catalogue::ListDatasetNames(file.path()).empty());
}

TEST(DatasetCatalogueFind, MatchesTheLastNameWhoseLowerCasedFormEqualsTheActiveDataset) {
    const std::vector<std::string> names = {"\xC3\x84gypten", "Serie A ", "SERIE A", "Serie A", "ZZ"};
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "zz"), 4u);
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "\xC3\xA4gypten"), 0u)
        << "\xC3\x84 lower-cases to \xC3\xA4";
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "serie a "), 1u);
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "serie a"), 3u) << "the last of equal names";
    for (const char* none : {"serie_a", "Serie A", ""}) {
        EXPECT_FALSE(Catalogue::FindActiveDataset(names, none)) << '"' << none << '"';
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
        {"\\\\?\\Volume{26a2}\\Spiele\\Quorbel.exe",
         "\\\\?\\Volume{26a2}\\Spiele"},  // no drive to take it off
        {"\\\\server\\share\\Quorbel.exe", "\\\\server\\share"},
        {"/spiele/glenmarra/Quorbel.exe", "/spiele/glenmarra"}};
    for (const auto& [exe, folder] : cases) {
        EXPECT_EQ(ApplicationFolderOf(exe), folder);
    }
    // A folder that cannot be opened is known by its path, in any letter case.
    const std::uint64_t glenmarra = InstanceKey("C:\\Spiele\\Glenmarra \xC3\x84");
    EXPECT_EQ(InstanceKey("c:\\SPIELE\\glenmarra \xC3\xA4"), glenmarra) << "letter case, umlaut included";
    EXPECT_NE(InstanceKey("C:\\Spiele\\Glenmarra \xC3\x84 2"), glenmarra);
    TestFolder games;
    const std::string game = games / "Glenmarra", other = games / "Anderes Spiel";
    MakeFolders(game);
    MakeFolders(other);
#ifndef _WIN32  // Wine makes no links; the end-to-end tests start the tool through another drive letter
    fs::create_directory_symlink(PathOf(game), PathOf(games / "Verkn\xC3\xBCpft"));
    EXPECT_EQ(InstanceKey(games / "Verkn\xC3\xBCpft"), InstanceKey(game));
#endif
    EXPECT_NE(InstanceKey(other), InstanceKey(game));
}

}  // namespace
}  // namespace quorbel::testing
