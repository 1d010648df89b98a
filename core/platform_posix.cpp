// The host half of the platform layer, so that the core and its tests also run natively: files, folders and
// processes. Hidden means a name starting with "."; there is no system attribute. Text is in
// platform_text_posix.cpp.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>

#include "core/platform.h"

extern char** environ;

namespace quorbel::platform {

Failure DescribeError(std::uint32_t code) {
    return {code, std::strerror(static_cast<int>(code))};
}

// No program here can hold a file against others.
bool HeldByAnotherProgram(const Failure&) {
    return false;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::uint64_t>(info.st_size);
}

InputFile::InputFile(const std::string& path, const WhileHeld& whileHeld) : whileHeld_(whileHeld) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        handle_ = fd;
    } else {
        failure_ = DescribeError(static_cast<std::uint32_t>(errno));
    }
}

InputFile::~InputFile() {
    if (handle_ != kClosed) {
        close(static_cast<int>(handle_));
    }
}

std::size_t InputFile::read(char* buffer, std::size_t capacity) {
    if (handle_ == kClosed || failure_) {
        return 0;
    }
    for (;;) {
        const ssize_t got = ::read(static_cast<int>(handle_), buffer, capacity);
        if (got >= 0) {
            return static_cast<std::size_t>(got);
        }
        if (errno != EINTR) {
            failure_ = DescribeError(static_cast<std::uint32_t>(errno));
            return 0;
        }
    }
}

namespace {

// A new file beside path ("<path>.<process id>-<n>.tmp") with a name nothing else uses; -1 and errno
// when none could be made.
int CreateTemporaryBeside(const std::string& path, std::string& name) {
    const std::string stem = path + "." + std::to_string(getpid()) + "-";
    for (int candidate = 0; candidate < 100; ++candidate) {
        name = stem + std::to_string(candidate) + ".tmp";
        const int fd = open(name.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0 || errno != EEXIST) {
            return fd;
        }
    }
    return -1;
}

int WriteAll(int fd, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const ssize_t put = write(fd, bytes.data() + written, bytes.size() - written);
        if (put < 0 && errno == EINTR) {
            continue;
        }
        if (put <= 0) {
            return put < 0 ? errno : ENOSPC;
        }
        written += static_cast<std::size_t>(put);
    }
    return fsync(fd) != 0 ? errno : 0;
}

}  // namespace

Outcome ReplaceFileContent(const std::string& path, std::string_view bytes, const WhileHeld&) {
    struct stat existing {};
    const bool exists = stat(path.c_str(), &existing) == 0 && S_ISREG(existing.st_mode);
    if (exists && (existing.st_mode & 0222) == 0) {
        return DescribeError(EACCES);
    }
    std::string temporary;
    const int fd = CreateTemporaryBeside(path, temporary);
    if (fd < 0) {
        return DescribeError(static_cast<std::uint32_t>(errno));
    }
    int error = WriteAll(fd, bytes);
    if (error == 0 && exists && fchmod(fd, existing.st_mode & 07777) != 0) {
        error = errno;
    }
    if (close(fd) != 0 && error == 0) {
        error = errno;
    }
    if (error == 0 && rename(temporary.c_str(), path.c_str()) != 0) {
        error = errno;
    }
    if (error != 0) {
        unlink(temporary.c_str());
        return DescribeError(static_cast<std::uint32_t>(error));
    }
    return std::nullopt;
}

std::vector<FolderEntry> ListVisibleEntries(const std::string& folder) {
    std::vector<FolderEntry> entries;
    DIR* dir = opendir(folder.c_str());
    if (dir == nullptr) {
        return entries;
    }
    while (const dirent* entry = readdir(dir)) {
        const std::string_view name = entry->d_name;
        if (name.front() == '.' && name != "." && name != "..") {
            continue;
        }
        bool isFolder = entry->d_type == DT_DIR;
        if (entry->d_type == DT_UNKNOWN || entry->d_type == DT_LNK) {
            struct stat info {};
            isFolder = stat((folder + std::string(name)).c_str(), &info) == 0 && S_ISDIR(info.st_mode);
        }
        entries.push_back({std::string(name), isFolder});
    }
    closedir(dir);
    return entries;
}

Outcome SetCurrentFolder(const std::string& path) {
    if (chdir(path.c_str()) != 0) {
        return DescribeError(static_cast<std::uint32_t>(errno));
    }
    return std::nullopt;
}

std::string ExecutablePath() {
    std::string path(PATH_MAX, '\0');
    const ssize_t length = readlink("/proc/self/exe", path.data(), path.size());
    path.resize(length > 0 ? static_cast<std::size_t>(length) : 0);
    return path;
}

Outcome StartProcess(const std::string& path, ShowState) {
    // Started through an intermediate child that exits at once: the script is adopted by init, so nothing
    // is left to wait for, and a failed exec still reports its errno through the pipe.
    int report[2];
    if (pipe2(report, O_CLOEXEC) != 0) {
        return DescribeError(static_cast<std::uint32_t>(errno));
    }
    const pid_t intermediate = fork();
    if (intermediate < 0) {
        const int error = errno;
        close(report[0]);
        close(report[1]);
        return DescribeError(static_cast<std::uint32_t>(error));
    }
    if (intermediate == 0) {
        const pid_t script = fork();
        if (script == 0) {
            char* const argv[] = {const_cast<char*>(path.c_str()), nullptr};
            execve(path.c_str(), argv, environ);
            const int error = errno;
            [[maybe_unused]] const ssize_t ignored = write(report[1], &error, sizeof error);
            _exit(127);
        }
        if (script < 0) {
            const int error = errno;
            [[maybe_unused]] const ssize_t ignored = write(report[1], &error, sizeof error);
        }
        _exit(0);
    }
    close(report[1]);
    int status = 0;
    while (waitpid(intermediate, &status, 0) < 0 && errno == EINTR) {
    }
    int error = 0;
    ssize_t got;
    do {
        got = read(report[0], &error, sizeof error);
    } while (got < 0 && errno == EINTR);
    close(report[0]);
    if (got == static_cast<ssize_t>(sizeof error)) {
        return DescribeError(static_cast<std::uint32_t>(error));
    }
    return std::nullopt;
}

Outcome StartScript(const std::string& folder, std::string_view scriptName) {
    return StartProcess(JoinPath(folder, scriptName), ShowState::Minimised);
}

}  // namespace quorbel::platform
