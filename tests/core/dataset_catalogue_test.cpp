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

std::vector<std::string> Sorted(std::vector<std::string> names) {
    std::sort(names.begin(), names.end());
    return names;
}

std::string Root(const TestFolder& app) {
    return DatasetCatalogue::DatasetRoot(app.path());
}

TEST(DatasetCatalogueNames, UnderscoresAndBlanksSwapEveryOccurrence) {
    EXPECT_EQ(DatasetCatalogue::DatasetNameOf("Serie_A"), "Serie A");
    EXPECT_EQ(DatasetCatalogue::DatasetNameOf("double__under"), "double  under");
    EXPECT_EQ(DatasetCatalogue::DatasetNameOf("_edge_"), " edge ");
    EXPECT_EQ(DatasetCatalogue::DatasetNameOf("K\xC3\xB6ln_Liga"), "K\xC3\xB6ln Liga");
    EXPECT_EQ(DatasetCatalogue::FolderNameOf("Premier League 2024"), "Premier_League_2024");
    EXPECT_EQ(DatasetCatalogue::FolderNameOf(" two  blanks "), "_two__blanks_");
    EXPECT_EQ(DatasetCatalogue::FolderNameOf("kein_leer"), "kein_leer");
}

TEST(DatasetCatalogueNames, FolderPathJoinsRootAndFolderName) {
    const std::string sep(platform::kSeparator);
    EXPECT_EQ(DatasetCatalogue::DatasetRoot("C:" + sep + "Spiel"),
              "C:" + sep + "Spiel" + sep + "quorbel" + sep);
    EXPECT_EQ(DatasetCatalogue::DatasetFolderPath("C:" + sep + "Spiel", "Serie A"),
              "C:" + sep + "Spiel" + sep + "quorbel" + sep + "Serie_A");
}

TEST(DatasetCatalogueList, ListsVisibleFoldersOnlyUnderTheirDatasetNames) {
    TestFolder app;
    testing::MakeFolders(Root(app) + "Bundesliga");
    testing::MakeFolders(Root(app) + "Premier_League");
    testing::MakeFolders(Root(app) + "__Rand__");
    testing::MakeFolders(Root(app) + "Doppel__Strich");
    testing::MakeFolders(Root(app) + "\xC3\x96sterreich");  // Österreich
    testing::WriteBytes(Root(app) + "Serie_A", "a plain file is no dataset");
    testing::MakeFolders(Root(app) + "Versteckt");
    testing::SetHidden(Root(app) + "Versteckt");
    testing::MakeFolders(Root(app) + "System");
    testing::SetSystem(Root(app) + "System");
    testing::MakeFolders(Root(app) + ".punkt");

    std::vector<std::string> expected = {"Bundesliga", "Premier League", "  Rand  ", "Doppel  Strich",
                                         "\xC3\x96sterreich"};
#ifndef _WIN32
    expected.push_back("System");  // no system attribute here, and a dot starts the hidden names
    expected.push_back("Versteckt");
#endif
    EXPECT_EQ(Sorted(DatasetCatalogue::ListDatasetNames(app.path())), Sorted(expected));
}

TEST(DatasetCatalogueList, MissingOrEmptyRootGivesNoNames) {
    TestFolder app;
    EXPECT_TRUE(DatasetCatalogue::ListDatasetNames(app.path()).empty()) << "no root";
    testing::MakeFolders(app / "quorbel");
    EXPECT_TRUE(DatasetCatalogue::ListDatasetNames(app.path()).empty()) << "empty root";

    TestFolder file;
    testing::WriteBytes(file / "quorbel", "not a folder");
    EXPECT_TRUE(DatasetCatalogue::ListDatasetNames(file.path()).empty()) << "a file in the root's place";
}

TEST(DatasetCatalogueList, FoldersDifferingInBlankAndUnderscoreBothAppear) {
    TestFolder app;
    testing::MakeFolders(Root(app) + "Serie_A");
    testing::MakeFolders(Root(app) + "Serie A");
    EXPECT_EQ(DatasetCatalogue::ListDatasetNames(app.path()),
              (std::vector<std::string>{"Serie A", "Serie A"}));
}

TEST(DatasetCatalogueFind, MatchesLowerCasedNamesOnly) {
    const std::vector<std::string> names = {"Bundesliga", "Premier League", "\xC3\x84gypten", "Serie A "};
    EXPECT_EQ(DatasetCatalogue::FindActiveDataset(names, "bundesliga"), 0u);
    EXPECT_EQ(DatasetCatalogue::FindActiveDataset(names, "premier league"), 1u);
    EXPECT_EQ(DatasetCatalogue::FindActiveDataset(names, "\xC3\xA4gypten"), 2u) << "Ä lower-cases to ä";
    EXPECT_EQ(DatasetCatalogue::FindActiveDataset(names, "serie a "), 3u);
    EXPECT_FALSE(DatasetCatalogue::FindActiveDataset(names, "premier_league")) << "underscores do not match";
    EXPECT_FALSE(DatasetCatalogue::FindActiveDataset(names, "bundesliga "))
        << "a trailing blank does not match";
    EXPECT_FALSE(DatasetCatalogue::FindActiveDataset(names, "Bundesliga"))
        << "the active dataset is lower-case";
    EXPECT_FALSE(DatasetCatalogue::FindActiveDataset(names, "")) << "empty matches nothing";
    EXPECT_FALSE(DatasetCatalogue::FindActiveDataset({}, "bundesliga"));
}

TEST(DatasetCatalogueFind, LastOfEqualNamesWins) {
    EXPECT_EQ(DatasetCatalogue::FindActiveDataset({"Serie A", "Liga", "SERIE A", "Rest"}, "serie a"), 2u);
}

}  // namespace
}  // namespace quorbel
