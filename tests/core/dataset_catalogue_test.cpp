#include "core/dataset_catalogue.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#endif

#include <algorithm>
#include <string>
#include <vector>

#include "support/test_folder.h"

namespace quorbel {
namespace {

using testing::TestFolder;
namespace Catalogue = DatasetCatalogue;

TEST(DatasetCatalogueList, ListsVisibleFoldersOnlyUnderTheirDatasetNames) {
    TestFolder app;
    EXPECT_TRUE(Catalogue::ListDatasetNames(app.path()).empty()) << "no dataset root";
    const std::string root = Catalogue::DatasetRoot(app.path());
    testing::MakeFolders(root);
    EXPECT_TRUE(Catalogue::ListDatasetNames(app.path()).empty()) << "an empty one";
    for (const char* folder : {"Premier_League", "__Rand__", "\xC3\x96sterreich", "Serie_A", "Serie A",
                               "Versteckt", "System", ".punkt"}) {
        testing::MakeFolders(root + folder);
    }
    testing::WriteBytes(root + "Liga_Datei", "a plain file is no dataset");
#ifdef _WIN32
    SetFileAttributesW(testing::PathOf(root + "Versteckt").c_str(), FILE_ATTRIBUTE_HIDDEN);
    SetFileAttributesW(testing::PathOf(root + "System").c_str(), FILE_ATTRIBUTE_SYSTEM);
#endif
    std::vector<std::string> expected = {"Premier League", "  Rand  ", "\xC3\x96sterreich", "Serie A",
                                         "Serie A"};  // two folders, one name: both listed
#ifndef _WIN32
    expected.insert(expected.end(), {"System", "Versteckt"});  // here only a leading dot hides
#endif
    std::vector<std::string> names = Catalogue::ListDatasetNames(app.path());
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);

    TestFolder file;
    testing::WriteBytes(file / "quorbel", "not a folder");
    EXPECT_TRUE(Catalogue::ListDatasetNames(file.path()).empty());
}

TEST(DatasetCatalogueFind, MatchesTheLastNameWhoseLowerCasedFormEqualsTheActiveDataset) {
    const std::vector<std::string> names = {"\xC3\x84gypten", "Serie A ", "SERIE A", "Serie A"};
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "\xC3\xA4gypten"), 0u)
        << "\xC3\x84 lower-cases to \xC3\xA4";
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "serie a "), 1u);
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "serie a"), 3u) << "the last of equal names";
    for (const char* none : {"serie_a", "Serie A", ""}) {
        EXPECT_FALSE(Catalogue::FindActiveDataset(names, none)) << '"' << none << '"';
    }
}

}  // namespace
}  // namespace quorbel
