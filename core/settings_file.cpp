#include "core/settings_file.h"

#include <array>
#include <utility>

namespace quorbel {
namespace {

constexpr std::string_view kKey = "pfad=";
constexpr std::string_view kFileName = "quorbel.ini";

char AsciiLower(char c) {
    return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

}  // namespace

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

ReadResult ReadActiveDataset(const std::string& appFolder, const platform::WhileHeld& whileHeld) {
    const std::string path = SettingsPath(appFolder);
    const auto size = platform::FileSize(path);
    if (!size || *size == 0) {
        return {};
    }
    platform::InputFile file(path, whileHeld);
    KeyLineScanner scanner;
    std::array<char, std::size_t{64} * 1024> buffer;
    while (const std::size_t got = file.read(buffer.data(), buffer.size())) {
        scanner.feed(std::string_view(buffer.data(), got));
    }
    return {platform::ToLower(platform::FromAnsi(scanner.finish())), file.failure()};
}

SaveResult WriteActiveDataset(const std::string& appFolder, std::string_view datasetName,
                              const platform::WhileHeld& whileHeld) {
    std::string line(kKey);
    line += datasetName;
    line += "\r\n";
    const auto bytes = platform::ToAnsi(line);
    if (!bytes) {
        return {SaveResult::Kind::NotRepresentable, {}};
    }
    if (auto failure = platform::ReplaceFileContent(SettingsPath(appFolder), *bytes, whileHeld)) {
        return {SaveResult::Kind::Failed, std::move(*failure)};
    }
    return {};
}

}  // namespace SettingsFile
}  // namespace quorbel
