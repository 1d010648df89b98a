// The few file, folder and process operations the switching core needs. Text is UTF-8 throughout;
// platform_win.cpp maps every call onto the W functions, platform_posix.cpp onto POSIX for the host build.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <thread>
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

// The folder followed by one separator and the name, joined as plain text: at a drive's root ("Q:\") the
// path holds two separators in a row, which the system reads as one.
inline std::string JoinPath(std::string_view folder, std::string_view name) {
    std::string path(folder);
    path += kSeparator;
    path += name;
    return path;
}

// The failure the system reports for an error code (GetLastError on Windows, errno elsewhere).
Failure DescribeError(std::uint32_t code);

// True when the failure means that another program holds the file open: a virus scanner, a backup or a
// cloud-sync tool, as a rule only for a moment.
bool HeldByAnotherProgram(const Failure& failure);

// How long opening or replacing a file is tried again while another program holds it: the number of
// further tries, and the pause before each. Tests put their own pause here to act between the tries.
struct WhileHeld {
    int retries = 8;
    std::function<void()> pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(250)); };
};

// Size in bytes; empty when the entry is missing or cannot be queried.
std::optional<std::uint64_t> FileSize(const std::string& path);

// A file opened for reading, closed when it goes out of scope.
class InputFile {
  public:
    explicit InputFile(const std::string& path, const WhileHeld& whileHeld = {});
    ~InputFile();
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;

    // Bytes read; 0 at the end of the file, and also once failure() tells why nothing more can be read.
    std::size_t read(char* buffer, std::size_t capacity);
    // Why the file could not be opened or read; empty while all is well.
    const Outcome& failure() const noexcept { return failure_; }

  private:
    static constexpr std::intptr_t kClosed = -1;
    std::intptr_t handle_ = kClosed;
    Outcome failure_;
    WhileHeld whileHeld_;
};

// Replaces the file's whole content in one step: the bytes go to a temporary file of a name of its own
// beside it, which then takes the file's place, so a failure leaves the previous content as it was (or,
// where the system removed the file and could not put the new one there, the new one beside it). The
// file keeps its attributes. A file marked read-only, or a folder in its place, is refused, as Windows
// would refuse the first to anyone but an administrator.
Outcome ReplaceFileContent(const std::string& path, std::string_view bytes, const WhileHeld& whileHeld = {});

struct FolderEntry {
    std::string name;
    bool isFolder = false;
};

// The folder's entries in the file system's order, "." and ".." included; hidden and system entries are
// left out. Whether an entry is a folder comes with the listing, as the file system reports it there.
// Ends with what was found so far when the listing fails part-way.
std::vector<FolderEntry> ListVisibleEntries(const std::string& folder);

Outcome SetCurrentFolder(const std::string& path);

// The full path of the running program, as the system reports it.
std::string ExecutablePath();

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
// The path as the W file functions take it: extended (\\?\) past MAX_PATH, which needs a full path.
std::wstring FilePath(const std::string& path);
#endif

}  // namespace quorbel::platform
