// The dataset folders below "<application folder>\quorbel\" and the names the player sees for them.
#pragma once

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorbel::DatasetCatalogue {

// The application folder followed by "\quorbel\", trailing separator included.
std::string DatasetRoot(const std::string& appFolder);

// Dataset names of all visible subfolders of the dataset root, in the file system's order.
std::vector<std::string> ListDatasetNames(const std::string& appFolder);

// Every "_" becomes a space.
std::string DatasetNameOf(std::string_view folderName);

// Every space becomes "_".
std::string FolderNameOf(std::string_view datasetName);

// The dataset root followed by the folder name of the dataset name, without a trailing separator.
std::string DatasetFolderPath(const std::string& appFolder, std::string_view datasetName);

// Position of the last name whose lower-cased form equals the active dataset; an empty one matches nothing.
std::optional<std::size_t> FindActiveDataset(const std::vector<std::string>& names, std::string_view active);

}  // namespace quorbel::DatasetCatalogue
