// The process operations the switching core and the game launch need: the current folder, the program's
// own path, and starting the game and the dataset scripts without waiting for them.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <utility>

#include "core/failure.h"

namespace quorbel::platform {

Outcome SetCurrentFolder(const std::string& path);

// The full path of the running program, as the system reports it.
std::string ExecutablePath();

// Starts exactly the named file as a separate process, shown normally, with no arguments, and does not wait
// for it. The process inherits the current folder.
Outcome StartProcess(const std::string& path);

// A started process that is watched but never waited for; it runs on when this goes.
class Process {
  public:
    Process() = default;
    // Takes over the handle (Windows) or the id (elsewhere) of a process just started.
    explicit Process(std::intptr_t handle) noexcept : handle_(handle) {}
    ~Process();
    Process(Process&& other) noexcept
        : handle_(std::exchange(other.handle_, kNone)), exitCode_(other.exitCode_) {}
    // The process this one watched goes first, as its destructor lets go of it.
    Process& operator=(Process&& other) noexcept {
        if (this != &other) {
            Process old(std::move(*this));
            handle_ = std::exchange(other.handle_, kNone);
            exitCode_ = other.exitCode_;
        }
        return *this;
    }
    Process(const Process&) = delete;
    Process& operator=(const Process&) = delete;

    // The exit code once the process has ended; empty while it runs. Never blocks.
    std::optional<std::uint32_t> exitCode();
    // What a watcher outside the core waits on: the process handle on Windows, the process id elsewhere.
    std::intptr_t waitHandle() const noexcept { return handle_; }

  private:
    static constexpr std::intptr_t kNone = -1;

    std::intptr_t handle_ = kNone;
    std::optional<std::uint32_t> exitCode_;
};

struct StartedScript {
    Outcome failure;
    Process process;
};

// Starts the script of that name in the current folder, which the caller has made the script's folder,
// minimised without taking the keyboard, and without waiting. Fails when the script is not there.
StartedScript StartScript(const std::string& folder, std::string_view scriptName);

}  // namespace quorbel::platform
