#include "core/settings_file.h"

#include <algorithm>
#include <array>
#include <utility>

#include "core/platform_folders.h"
#include "core/platform_text.h"

namespace quorbel {
namespace {

constexpr std::string_view kKey = "pfad=";
constexpr std::string_view kFileName = "quorbel.ini";

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

bool AllDigits(std::string_view text) {
    return !text.empty() &&
           std::all_of(text.begin(), text.end(), [](char c) { return c >= '0' && c <= '9'; });
}

// Hidden ones too: a replace that failed half-way may have given the temporary file the file's attributes.
std::vector<std::string> Leftovers(const std::string& appFolder) {
    std::vector<std::string> paths;
    for (const std::string& name : platform::ListFiles(appFolder, "quorbel.ini.")) {
        if (SettingsFile::IsLeftoverName(name)) {
            paths.push_back(platform::JoinPath(appFolder, name));
        }
    }
    return paths;
}

// The newest temporary file that holds a line takes the place of a file that a broken-off save removed. An
// empty one was made before its script started and never written: it records nothing.
void RecoverLeftover(const std::string& appFolder, const std::string& path) {
    std::optional<std::int64_t> newestTime;
    std::string newest;
    for (const std::string& leftover : Leftovers(appFolder)) {
        const auto time = platform::ModifiedTime(leftover);
        if (time && platform::FileSize(leftover).value_or(0) > 0 && (!newestTime || *time > *newestTime)) {
            newestTime = time;
            newest = leftover;
        }
    }
    if (!newest.empty()) {
        platform::MoveToFreeName(newest, path);
    }
}

}  // namespace

PendingSave::PendingSave(const std::string& appFolder, std::string_view datasetName)
    : appFolder_(appFolder),
      line_(platform::ToAnsi(std::string(kKey) + std::string(datasetName) + "\r\n")),
      replacement_(SettingsFile::SettingsPath(appFolder)) {}

bool PendingSave::folderRefusesWriting() const {
    return replacement_.failure() && platform::RefusesWriting(*replacement_.failure());
}

SaveResult PendingSave::commit(const platform::WhileHeld& whileHeld) {
    if (!line_) {
        return {SaveResult::Kind::NotRepresentable, {}};
    }
    if (auto failure = replacement_.commit(*line_, whileHeld)) {
        return {SaveResult::Kind::Failed, std::move(*failure)};
    }
    for (const std::string& leftover : Leftovers(appFolder_)) {
        platform::RemoveFile(leftover);
    }
    return {};
}

void KeyLineScanner::feed(std::string_view bytes) {
    for (char c : bytes) {
        if (c == '\n' && afterCarriageReturn_) {
            afterCarriageReturn_ = false;
            continue;
        }
        afterCarriageReturn_ = false;
        if (c == '\r') {
            endLine();
            afterCarriageReturn_ = true;
            continue;
        }
        if (lineLength_ < kKey.size()) {
            prefix_[lineLength_] = AsciiLower(c);
        } else if (std::string_view(prefix_, kKey.size()) == kKey && value_.size() < kValueLimit) {
            value_.push_back(c);
        }
        ++lineLength_;
    }
}

void KeyLineScanner::endLine() {
    // "pfad=" alone is not longer than the key, so it never clears an earlier value.
    if (lineLength_ > kKey.size() && std::string_view(prefix_, kKey.size()) == kKey) {
        result_ = value_;
    }
    value_.clear();
    lineLength_ = 0;
}

std::string KeyLineScanner::finish() {
    if (lineLength_ > 0) {
        endLine();
    }
    afterCarriageReturn_ = false;
    return std::move(result_);
}

namespace SettingsFile {

std::string SettingsPath(const std::string& appFolder) {
    return platform::JoinPath(appFolder, kFileName);
}

bool IsLeftoverName(std::string_view name) {
    const std::string_view prefix = "quorbel.ini.", suffix = ".tmp";
    if (!name.starts_with(prefix) || !name.ends_with(suffix)) {
        return false;
    }
    const std::string_view middle = name.substr(prefix.size(), name.size() - prefix.size() - suffix.size());
    const std::size_t dash = middle.find('-');
    return dash != std::string_view::npos && AllDigits(middle.substr(0, dash)) &&
           AllDigits(middle.substr(dash + 1));
}

ReadResult ReadActiveDataset(const std::string& appFolder, const platform::WhileHeld& whileHeld) {
    const std::string path = SettingsPath(appFolder);
    auto size = platform::FileSize(path);
    if (!size) {
        RecoverLeftover(appFolder, path);
        size = platform::FileSize(path);
    }
    if (!size || *size == 0) {
        return {};
    }
    platform::InputFile file(path, whileHeld);
    KeyLineScanner scanner;
    std::array<char, std::size_t{64} * 1024> buffer;
    while (const std::size_t got = file.read(buffer.data(), buffer.size())) {
        scanner.feed(std::string_view(buffer.data(), got));
    }
    std::string recorded = platform::FromAnsi(scanner.finish());
    std::string active = platform::ToLower(recorded);
    return {std::move(recorded), std::move(active), file.failure()};
}

SaveResult WriteActiveDataset(const std::string& appFolder, std::string_view datasetName,
                              const platform::WhileHeld& whileHeld) {
    return PendingSave(appFolder, datasetName).commit(whileHeld);
}

}  // namespace SettingsFile
}  // namespace quorbel
