// The host half of the platform layer's processes, so that the core and its tests also run natively.
#include <fcntl.h>
#include <limits.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <utility>

#include "core/handles_posix.h"
#include "core/platform_files.h"
#include "core/platform_processes.h"

extern char** environ;

namespace quorbel::platform {
namespace {

Failure LastError() {
    return DescribeError(static_cast<std::uint32_t>(errno));
}

// Forks and runs exactly the file, with no arguments; the child's id, or -1 with the reason. A failed exec
// reports its errno through a pipe that a successful one closes.
pid_t Spawn(const std::string& path, Outcome& failure) {
    int ends[2];
    if (pipe2(ends, O_CLOEXEC) != 0) {
        failure = LastError();
        return -1;
    }
    posix::UniqueFd reader(ends[0]), writer(ends[1]);
    const pid_t child = fork();
    if (child == 0) {
        char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
        execve(path.c_str(), argv, environ);
        const int error = errno;
        [[maybe_unused]] const ssize_t ignored = write(writer.get(), &error, sizeof error);
        _exit(127);
    }
    if (child < 0) {
        failure = LastError();
        return -1;
    }
    writer.reset();
    int error = 0;
    ssize_t got;
    do {
        got = read(reader.get(), &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    if (got == static_cast<ssize_t>(sizeof error)) {
        waitpid(child, nullptr, 0);
        failure = DescribeError(static_cast<std::uint32_t>(error));
        return -1;
    }
    return child;
}

}  // namespace

Outcome SetCurrentFolder(const std::string& path) {
    if (chdir(path.c_str()) != 0) {
        return LastError();
    }
    return std::nullopt;
}

std::string ExecutablePath() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return path;
}

Outcome StartProcess(const std::string& path) {
    // Nothing waits for the game: once it has started, its end is left to the system.
    Outcome failure;
    const pid_t child = Spawn(path, failure);
    Process unwatched(child);
    return failure;
}

Process::~Process() {
    // Collected when it has ended; one that runs on is left to the system.
    exitCode();
}

std::optional<std::uint32_t> Process::exitCode() {
    int status = 0;
    if (!exitCode_ && handle_ > 0 && waitpid(static_cast<pid_t>(handle_), &status, WNOHANG) > 0) {
        exitCode_ = WIFEXITED(status) ? static_cast<std::uint32_t>(WEXITSTATUS(status)) : 255u;
    }
    return exitCode_;
}

StartedScript StartScript(const std::string& folder, std::string_view scriptName) {
    Outcome failure;
    const pid_t child = Spawn(JoinPath(folder, scriptName), failure);
    return {failure, Process(child > 0 ? child : -1)};
}

}  // namespace quorbel::platform
