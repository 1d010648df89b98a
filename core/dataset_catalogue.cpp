#include "core/dataset_catalogue.h"

#include <algorithm>

#include "core/platform_files.h"
#include "core/platform_folders.h"
#include "core/platform_text.h"

namespace quorbel::DatasetCatalogue {
namespace {

std::string Replaced(std::string_view text, char from, char to) {
    std::string result(text);
    std::replace(result.begin(), result.end(), from, to);
    return result;
}

// Plain ASCII, by far the common case, is compared without asking the system's locale.
bool LowerCasedEquals(std::string_view name, std::string_view lowerCased) {
    const bool ascii = std::all_of(name.begin(), name.end(), [](char c) { return (c & 0x80) == 0; });
    if (!ascii) {
        return platform::ToLower(name) == lowerCased;
    }
    return name.size() == lowerCased.size() &&
           std::equal(name.begin(), name.end(), lowerCased.begin(), [](char a, char b) {
               return (a >= 'A' && a <= 'Z' ? static_cast<char>(a - 'A' + 'a') : a) == b;
           });
}

}  // namespace

std::string DatasetRoot(const std::string& appFolder) {
    return platform::JoinPath(appFolder, "quorbel") + std::string(platform::kSeparator);
}

std::vector<std::string> ListDatasetNames(const std::string& appFolder) {
    std::vector<platform::FolderEntry> entries = platform::ListVisibleEntries(DatasetRoot(appFolder));
    std::vector<std::string> names;
    names.reserve(entries.size());
    // The listing's own attributes decide: reading each entry's anew would cost more than the listing itself
    // with thousands of datasets. A folder that vanishes meanwhile fails, and says so, when it is installed.
    for (const platform::FolderEntry& entry : entries) {
        if (entry.isFolder && entry.name != "." && entry.name != "..") {
            names.push_back(DatasetNameOf(entry.name));
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
        if (LowerCasedEquals(names[i], active)) {
            return i;
        }
    }
    return std::nullopt;
}

}  // namespace quorbel::DatasetCatalogue
