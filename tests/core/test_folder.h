// Real temporary folders for the core tests, and scripts that record the folder they ran in.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>

namespace quorbel::testing {

std::filesystem::path PathOf(std::string_view utf8);
std::string Utf8Of(const std::filesystem::path& path);

// A fresh folder below the system's temporary folder, removed with everything in it at the end of the test.
// The name may carry blanks and umlauts, so that every test also walks such paths.
class TestFolder {
  public:
    explicit TestFolder(std::string_view nameHint = "Quorbel Test ä");
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& path() const { return path_; }
    // The folder followed by the platform's separator and the relative UTF-8 path.
    std::string operator/(std::string_view relative) const;

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
void MakeFolders(const std::string& path);
// One folder in an existing one; fast enough for thousands.
void MakeFolder(const std::string& path);
// Hidden as the platform knows it: the hidden attribute on Windows (a leading dot elsewhere is the caller's).
void SetHidden(const std::string& path);
void SetSystem(const std::string& path);
void SetReadOnly(const std::string& path, bool readOnly);

// A dataset folder "<app>/quorbel/<folderName>" whose inst.bat and clear.bat record where they ran.
std::string MakeDataset(const std::string& appFolder, std::string_view folderName);

// Writes a script that, when started, writes its working folder to "<its folder>/<scriptName>.cwd".
void WriteRecordingScript(const std::string& folder, std::string_view scriptName);

// Waits until the script started from folder has recorded its working folder, and returns it; empty when
// it has not run within a generous grace period. This waits for a process, it does not time one.
std::string AwaitRecordedFolder(const std::string& folder, std::string_view scriptName);

// Waits for the file to appear, within the same grace period.
bool AwaitFile(const std::string& path);

// True when no recording has appeared after a short grace period.
bool NeverRecorded(const std::string& folder, std::string_view scriptName);

// The same folder as the system spells it (resolved links, canonical form), for comparisons.
std::string Canonical(const std::string& path);

}  // namespace quorbel::testing
