// Real temporary folders for the tests, and scripts that record the folder they ran in.
#pragma once

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "core/platform.h"
#ifdef _WIN32
#include "core/handles_win.h"
#endif

namespace quorbel::testing {

std::filesystem::path PathOf(std::string_view utf8);

// A fresh folder below the system's temporary folder, removed with everything in it at the end. Its name
// carries blanks and umlauts, so that every test also walks such paths.
class TestFolder {
  public:
    explicit TestFolder(std::string_view nameHint = "Quorbel Test \xC3\xA4");
    ~TestFolder();
    TestFolder(const TestFolder&) = delete;
    TestFolder& operator=(const TestFolder&) = delete;

    const std::string& path() const { return path_; }
    std::string operator/(std::string_view relative) const { return platform::JoinPath(path_, relative); }

  private:
    std::string path_;
};

void WriteBytes(const std::string& path, std::string_view bytes);
std::string ReadBytes(const std::string& path);
bool Exists(const std::string& path);
void MakeFolders(const std::string& path);
// The names in the folder, sorted.
std::vector<std::string> Entries(const std::string& folder);

// "<app>/quorbel/<folderName>" with an inst.bat and a clear.bat that each leave "<script>.ran" in the folder
// they run in: a script started in any other folder leaves nothing where the tests look.
std::string MakeDataset(const std::string& appFolder, std::string_view folderName);

// True once the script has left its mark in the folder; false when it did not within a generous grace period.
// This waits for a process; it does not time one.
bool Ran(const std::string& folder, std::string_view scriptName);

#ifdef _WIN32
// The file held open without sharing, as a virus scanner or a backup holds it, until let go.
class HeldFile {
  public:
    explicit HeldFile(const std::string& path);
    void letGo() { handle_.reset(); }

  private:
    win::UniqueHandle handle_;
};

// Three tries again, each pause counted; the holder lets go at the first when letGo is set.
platform::WhileHeld CountingPauses(HeldFile& held, int& pauses, bool letGo);

// A copy of a program built beside the running test, such as Quorbel.exe or the stand-in glenmarra.exe.
void CopyBuiltProgram(const wchar_t* name, const std::string& folder, const wchar_t* as = nullptr);
#endif

}  // namespace quorbel::testing
