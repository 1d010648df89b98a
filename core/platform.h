// The few file, folder and process operations the switching core needs. Text is UTF-8 throughout;
// platform_win.cpp maps every call onto the W functions, platform_posix.cpp onto POSIX for the host build.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quorbel::platform {

// What went wrong, as the system reports it: its error code and its own description.
struct Failure {
    std::uint32_t code = 0;
    std::string description;
};

// Empty when the operation succeeded.
using Outcome = std::optional<Failure>;

#ifdef _WIN32
inline constexpr std::string_view kSeparator = "\\";
#else
inline constexpr std::string_view kSeparator = "/";
#endif

// The failure the system reports for an error code (GetLastError on Windows, errno elsewhere).
Failure DescribeError(std::uint32_t code);

// Size in bytes; empty when the entry is missing or cannot be queried.
std::optional<std::uint64_t> FileSize(const std::string& path);

// A file opened for reading, closed when it goes out of scope.
class InputFile {
  public:
    explicit InputFile(const std::string& path);
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    bool isOpen() const noexcept { return handle_ != kClosed; }
    // Why the file could not be opened.
    const Failure& openFailure() const noexcept { return openFailure_; }
    // Bytes read, 0 at the end of the file and after a read error.
    std::size_t read(char* buffer, std::size_t capacity) noexcept;

  private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
    Failure openFailure_;
};

// Replaces the file's whole content in one step: the bytes go to a temporary file beside it, which then
// takes the file's place, so a failure at any point leaves the previous content as it was. A file marked
// read-only is refused, as Windows would refuse it to anyone but an administrator.
Outcome ReplaceFileContent(const std::string& path, std::string_view bytes);

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// The folder's entries in the file system's order, "." and ".." included; hidden and system entries are
// left out. Whether an entry is a folder comes with the listing, as the file system reports it there.
// Ends with what was found so far when the listing fails part-way.
std::vector<FolderEntry> ListVisibleEntries(const std::string& folder);

Outcome SetCurrentFolder(const std::string& path);
std::string CurrentFolder();

enum class ShowState { Minimised, Normal };

// Starts exactly the named file as a separate process, with no arguments, and does not wait for it.
// The process inherits the current folder.
Outcome StartProcess(const std::string& path, ShowState show);

// Starts the script of that name in the current folder, which the caller has made the script's folder,
// minimised and without waiting. Fails when the script is not there.
Outcome StartScript(const std::string& folder, std::string_view scriptName);

// Lower-cases by the system locale, letters with diacritics included.
std::string ToLower(std::string_view text);

// Conversion to and from the single-byte code page of the settings file (the system's ANSI code page on
// Windows, Windows-1252 elsewhere). ToAnsi is empty when a character has no exact counterpart.
std::optional<std::string> ToAnsi(std::string_view text);
std::string FromAnsi(std::string_view bytes);

#ifdef _WIN32
std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);
#endif

}  // namespace quorbel::platform
