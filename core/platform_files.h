// The file operations the switching core needs. Paths are UTF-8; platform_files_win.cpp maps every call onto
// the W functions, platform_files_posix.cpp onto POSIX for the host build. Folders are in
// platform_folders.h.
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

#include "core/failure.h"

namespace quorbel::platform {

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

// True when the failure means that another program holds the file open: a virus scanner, a backup or a
// cloud-sync tool, as a rule only for a moment.
bool HeldByAnotherProgram(const Failure& failure);

// True when the failure means that nothing may be written there at all: no rights to the folder (a game
// under "Program Files" for a standard user), or a write-protected medium.
bool RefusesWriting(const Failure& failure);

// How long opening or replacing a file is tried again while another program holds it: the number of
// further tries, and the pause before each. Tests put their own pause here to act between the tries.
struct WhileHeld {
    int retries = 8;
    std::function<void()> pause = [] { std::this_thread::sleep_for(std::chrono::milliseconds(250)); };
};

// Size in bytes (0 for a folder); empty when the entry is missing or cannot be queried.
std::optional<std::uint64_t> FileSize(const std::string& path);

// When the entry was last written, in the platform's own units: later is larger. Empty when it is missing.
std::optional<std::int64_t> ModifiedTime(const std::string& path);

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

// A file's whole new content, written first to a temporary file of a name of its own beside it
// ("<path>.<process id>-<n>.tmp"), which then takes the file's place in one step. So a failure leaves the
// previous content as it was (or, where the system removed the file and could not put the new one there,
// the new one beside it). The temporary file is made, empty, before anything else: a folder that takes no
// file at all is known before the caller does what it would then record.
class Replacement {
  public:
    // Makes the temporary file, and keeps it open; failure() tells why it could not be made.
    explicit Replacement(const std::string& path);
    // The temporary file goes unless it took the file's place or holds the only copy of the content.
    ~Replacement();
    Replacement(const Replacement&) = delete;
    Replacement& operator=(const Replacement&) = delete;

    const Outcome& failure() const noexcept { return failure_; }

    // Writes the bytes to the temporary file and puts it in the file's place. The file keeps its attributes.
    // A file marked read-only, or a folder in its place, is refused, as Windows would refuse the first to
    // anyone but an administrator.
    Outcome commit(std::string_view bytes, const WhileHeld& whileHeld = {});

  private:
    static constexpr std::intptr_t kClosed = -1;
    std::string path_;
    std::string temporary_;
    std::intptr_t handle_ = kClosed;
    Outcome failure_;
    bool done_ = false;
};

// Moves a file to a name where nothing is, never over another file.
Outcome MoveToFreeName(const std::string& from, const std::string& to);

// Removes a plain file; a folder or a read-only file stays.
void RemoveFile(const std::string& path);

#ifdef _WIN32
// The path as the W file functions take it: extended (\\?\) past MAX_PATH, which needs a full path.
std::wstring FilePath(const std::string& path);
#endif

}  // namespace quorbel::platform
