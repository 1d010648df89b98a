#include "core/dataset_catalogue.h"

#include <algorithm>

#include "core/platform.h"

namespace quorbel::DatasetCatalogue {
namespace {

std::string Replaced(std::string_view text, char from, char to) {
    std::string result(text);
    std::replace(result.begin(), result.end(), from, to);
    return result;
}

}  // namespace

std::string DatasetRoot(const std::string& appFolder) {
    std::string root = appFolder;
    root += platform::kSeparator;
    root += "quorbel";
    root += platform::kSeparator;
    return root;
}

std::vector<std::string> ListDatasetNames(const std::string& appFolder) {
    const std::string root = DatasetRoot(appFolder);
    std::vector<std::string> names;
    for (const std::string& entry : platform::ListVisibleEntries(root)) {
        if (entry == "." || entry == "..") {
            continue;
        }
        // Read anew by path: an entry that vanished since the listing is dropped here.
        const auto attributes = platform::EntryAttributes(root + entry);
        if (attributes && (*attributes & platform::kFolderAttribute) != 0) {
            names.push_back(DatasetNameOf(entry));
        }
    }
    return names;
}

std::string DatasetNameOf(std::string_view folderName) {
    return Replaced(folderName, '_', ' ');
}

std::string FolderNameOf(std::string_view datasetName) {
    return Replaced(datasetName, ' ', '_');
}

std::string DatasetFolderPath(const std::string& appFolder, std::string_view datasetName) {
    return DatasetRoot(appFolder) + FolderNameOf(datasetName);
}

std::optional<std::size_t> FindActiveDataset(const std::vector<std::string>& names, std::string_view active) {
    if (active.empty()) {
        return std::nullopt;
    }
    for (std::size_t i = names.size(); i-- > 0;) {
        if (platform::ToLower(names[i]) == active) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace quorbel::DatasetCatalogue
