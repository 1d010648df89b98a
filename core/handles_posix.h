// Owners for the descriptors and directory streams of the host half of the platform layer: each kind is
// released the one right way, here and nowhere else.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <memory>
#include <utility>

namespace quorbel::posix {

// A file descriptor, closed when it goes; -1 means none.
class UniqueFd {
  public:
    UniqueFd() = default;
    explicit UniqueFd(int fd) noexcept : fd_(fd) {}
    ~UniqueFd() { reset(); }
    UniqueFd(UniqueFd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    UniqueFd& operator=(UniqueFd&& other) noexcept {
        if (this != &other) {
            reset(std::exchange(other.fd_, -1));
        }
        return *this;
    }
    UniqueFd(const UniqueFd&) = delete;
    UniqueFd& operator=(const UniqueFd&) = delete;

    int get() const noexcept { return fd_; }
    explicit operator bool() const noexcept { return fd_ >= 0; }
    // Closes it now; the result of close, which reports a write that never reached the disk.
    int reset(int fd = -1) noexcept {
        const int result = fd_ >= 0 ? ::close(fd_) : 0;
        fd_ = fd;
        return result;
    }

  private:
    int fd_ = -1;
};

struct DirCloser {
    void operator()(DIR* dir) const noexcept { closedir(dir); }
};
using UniqueDir = std::unique_ptr<DIR, DirCloser>;

}  // namespace quorbel::posix
