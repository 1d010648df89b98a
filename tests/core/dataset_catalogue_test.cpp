#include "core/dataset_catalogue.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

#include "core/platform.h"
#include "core/test_folder.h"

namespace quorbel {
namespace {

using testing::TestFolder;
namespace Catalogue = DatasetCatalogue;

TEST(DatasetCatalogueNames, UnderscoresAndBlanksSwapEveryOccurrenceAndNameTheFolder) {
    EXPECT_EQ(Catalogue::DatasetNameOf("_Doppel__Strich_K\xC3\xB6ln_"), " Doppel  Strich K\xC3\xB6ln ");
    EXPECT_EQ(Catalogue::FolderNameOf(" Premier  League "), "_Premier__League_");
    const std::string sep(platform::kSeparator);
    EXPECT_EQ(Catalogue::DatasetFolderPath("C:" + sep + "Spiel", "Serie A"),
              "C:" + sep + "Spiel" + sep + "quorbel" + sep + "Serie_A");
}

TEST(DatasetCatalogueList, ListsVisibleFoldersOnlyUnderTheirDatasetNames) {
    TestFolder app;
    const std::string root = Catalogue::DatasetRoot(app.path());
    for (const char* folder : {"Bundesliga", "Premier_League", "__Rand__", "\xC3\x96sterreich", "Serie_A",
                               "Serie A", "Versteckt", "System", ".punkt"}) {
        testing::MakeFolders(root + folder);
    }
    testing::WriteBytes(root + "Liga_Datei", "a plain file is no dataset");
    testing::SetAttribute(root + "Versteckt", testing::Attribute::Hidden);
    testing::SetAttribute(root + "System", testing::Attribute::System);

    std::vector<std::string> expected = {"Bundesliga", "Premier League", "  Rand  ", "\xC3\x96sterreich",
                                         "Serie A",    "Serie A"};  // two folders, one name: both listed
#ifndef _WIN32
    expected.insert(expected.end(), {"System", "Versteckt"});  // here only a leading dot hides
#endif
    std::vector<std::string> names = Catalogue::ListDatasetNames(app.path());
    std::sort(names.begin(), names.end());
    std::sort(expected.begin(), expected.end());
    EXPECT_EQ(names, expected);
}

TEST(DatasetCatalogueList, MissingEmptyOrFileRootGivesNoNames) {
    TestFolder app;
    EXPECT_TRUE(Catalogue::ListDatasetNames(app.path()).empty());
    testing::MakeFolders(app / "quorbel");
    EXPECT_TRUE(Catalogue::ListDatasetNames(app.path()).empty());
    TestFolder file;
    testing::WriteBytes(file / "quorbel", "not a folder");
    EXPECT_TRUE(Catalogue::ListDatasetNames(file.path()).empty());
}

TEST(DatasetCatalogueFind, MatchesTheLastNameWhoseLowerCasedFormEqualsTheActiveDataset) {
    const std::vector<std::string> names = {"Bundesliga", "\xC3\x84gypten", "Serie A ", "SERIE A", "Serie A"};
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "bundesliga"), 0u);
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "\xC3\xA4gypten"), 1u) << "Ä lower-cases to ä";
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "serie a "), 2u);
    EXPECT_EQ(Catalogue::FindActiveDataset(names, "serie a"), 4u) << "the last of equal names";
    for (const char* none : {"serie_a", "bundesliga ", "Bundesliga", ""}) {
        EXPECT_FALSE(Catalogue::FindActiveDataset(names, none)) << '"' << none << '"';
    }
}

}  // namespace
}  // namespace quorbel
