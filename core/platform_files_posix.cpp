// The host half of the platform layer's files, so that the core and its tests also run natively.
#include <fcntl.h>
#include <sys/stat.h>

#include <cerrno>
#include <cstdio>
#include <utility>

#include "core/handles_posix.h"
#include "core/platform_files.h"

namespace quorbel::platform {
namespace {

Failure LastError() {
    return DescribeError(static_cast<std::uint32_t>(errno));
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

// No program here can hold a file against others.
bool HeldByAnotherProgram(const Failure&) {
    return false;
}

bool RefusesWriting(const Failure& failure) {
    return failure.code == EACCES || failure.code == EPERM || failure.code == EROFS;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return S_ISDIR(info.st_mode) ? 0 : static_cast<std::uint64_t>(info.st_size);
}

std::optional<std::int64_t> ModifiedTime(const std::string& path) {
    struct stat info {};
    if (stat(path.c_str(), &info) != 0) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>(info.st_mtim.tv_sec) * 1'000'000'000 + info.st_mtim.tv_nsec;
}

InputFile::InputFile(const std::string& path, const WhileHeld& whileHeld) : whileHeld_(whileHeld) {
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd >= 0) {
        handle_ = fd;
    } else {
        failure_ = LastError();
    }
}

InputFile::~InputFile() {
    const posix::UniqueFd closedHere(static_cast<int>(handle_));
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
            failure_ = LastError();
            return 0;
        }
    }
}

Replacement::Replacement(const std::string& path) : path_(path) {
    const std::string stem = path + "." + std::to_string(getpid()) + "-";
    for (int candidate = 0; candidate < 100 && handle_ == kClosed; ++candidate) {
        temporary_ = stem + std::to_string(candidate) + ".tmp";
        const int fd = open(temporary_.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0644);
        if (fd >= 0) {
            handle_ = fd;
            return;
        }
        if (errno != EEXIST) {
            break;
        }
    }
    failure_ = LastError();
    temporary_.clear();
}

Replacement::~Replacement() {
    posix::UniqueFd(static_cast<int>(handle_)).reset();
    if (!done_ && !temporary_.empty()) {
        unlink(temporary_.c_str());
    }
}

Outcome Replacement::commit(std::string_view bytes, const WhileHeld&) {
    if (failure_ || done_) {
        return failure_;
    }
    struct stat existing {};
    const bool exists = stat(path_.c_str(), &existing) == 0;
    if (exists && (S_ISDIR(existing.st_mode) || (existing.st_mode & 0222) == 0)) {
        return DescribeError(EACCES);
    }
    posix::UniqueFd file(static_cast<int>(std::exchange(handle_, kClosed)));
    int error = WriteAll(file.get(), bytes);
    if (file.reset() != 0 && error == 0) {
        error = errno;
    }
    // The file keeps its permissions, as a replace on Windows keeps its attributes.
    if (error == 0 && ((exists && chmod(temporary_.c_str(), existing.st_mode & 07777) != 0) ||
                       rename(temporary_.c_str(), path_.c_str()) != 0)) {
        error = errno;
    }
    if (error != 0) {
        return DescribeError(static_cast<std::uint32_t>(error));
    }
    done_ = true;
    return std::nullopt;
}

Outcome MoveToFreeName(const std::string& from, const std::string& to) {
    if (renameat2(AT_FDCWD, from.c_str(), AT_FDCWD, to.c_str(), RENAME_NOREPLACE) != 0) {
        return LastError();
    }
    return std::nullopt;
}

void RemoveFile(const std::string& path) {
    struct stat info {};
    if (lstat(path.c_str(), &info) == 0 && S_ISREG(info.st_mode) && (info.st_mode & 0222) != 0) {
        unlink(path.c_str());
    }
}

}  // namespace quorbel::platform
