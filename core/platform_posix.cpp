// The host half of the platform layer, so that the core and its tests also run natively. Hidden means a
// name starting with "."; there is no system attribute; the settings file uses Windows-1252.
#include <dirent.h>
#include <fcntl.h>
#include <limits.h>
#include <locale.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <wctype.h>

#include <cerrno>
#include <cstring>

#include "core/platform.h"

extern char** environ;

namespace quorbel::platform {
namespace {

// Windows-1252 at 0x80..0x9F; the five bytes it leaves undefined map to the C1 controls of the same
// value, as Windows does.
constexpr char32_t kHighControls[32] = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char32_t CodePageToUnicode(unsigned char byte) {
    return (byte >= 0x80 && byte < 0xA0) ? kHighControls[byte - 0x80] : byte;
}

std::optional<unsigned char> UnicodeToCodePage(char32_t c) {
    if (c < 0x80 || (c >= 0xA0 && c <= 0xFF)) {
        return static_cast<unsigned char>(c);
    }
    for (unsigned i = 0; i < 32; ++i) {
        if (kHighControls[i] == c) {
            return static_cast<unsigned char>(0x80 + i);
        }
    }
    return std::nullopt;
}

void AppendUtf8(std::string& out, char32_t c) {
    if (c < 0x80) {
        out.push_back(static_cast<char>(c));
    } else if (c < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (c >> 6)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else if (c < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (c >> 12)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (c >> 18)));
        out.push_back(static_cast<char>(0x80 | ((c >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((c >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (c & 0x3F)));
    }
}

// Decodes one UTF-8 sequence at text[i], advancing i; malformed bytes come back as U+FFFD one at a time.
char32_t NextCodePoint(std::string_view text, std::size_t& i) {
    const auto byte = [&](std::size_t k) { return static_cast<unsigned char>(text[k]); };
    const unsigned char lead = byte(i);
    int length = 0;
    char32_t c = 0;
    if (lead < 0x80) {
        ++i;
        return lead;
    }
    if ((lead & 0xE0) == 0xC0) {
        length = 2;
        c = lead & 0x1F;
    } else if ((lead & 0xF0) == 0xE0) {
        length = 3;
        c = lead & 0x0F;
    } else if ((lead & 0xF8) == 0xF0) {
        length = 4;
        c = lead & 0x07;
    } else {
        ++i;
        return 0xFFFD;
    }
    if (i + static_cast<std::size_t>(length) > text.size()) {
        ++i;
        return 0xFFFD;
    }
    for (int k = 1; k < length; ++k) {
        const unsigned char next = byte(i + static_cast<std::size_t>(k));
        if ((next & 0xC0) != 0x80) {
            ++i;
            return 0xFFFD;
        }
        c = (c << 6) | (next & 0x3F);
    }
    i += static_cast<std::size_t>(length);
    return c;
}

locale_t UnicodeLocale() {
    static const locale_t locale = newlocale(LC_CTYPE_MASK, "C.UTF-8", static_cast<locale_t>(0));
    return locale;
}

}  // namespace

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

InputFile::InputFile(const std::string& path, const WhileHeld&) {
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

std::string CurrentFolder() {
    char buffer[PATH_MAX];
    return getcwd(buffer, sizeof buffer) != nullptr ? std::string(buffer) : std::string();
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

std::string ToLower(std::string_view text) {
    const locale_t locale = UnicodeLocale();
    std::string result;
    result.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const std::size_t start = i;
        const char32_t c = NextCodePoint(text, i);
        if (c == 0xFFFD) {
            result.append(text.substr(start, i - start));  // keep bytes that are not UTF-8 as they are
            continue;
        }
        char32_t lower = c;
        if (c >= 'A' && c <= 'Z') {
            lower = c - 'A' + 'a';
        } else if (c >= 0x80) {
            if (locale != static_cast<locale_t>(0)) {
                lower = static_cast<char32_t>(towlower_l(static_cast<wint_t>(c), locale));
            } else if ((c >= 0xC0 && c <= 0xDE && c != 0xD7)) {
                lower = c + 0x20;
            }
        }
        AppendUtf8(result, lower);
    }
    return result;
}

std::optional<std::string> ToAnsi(std::string_view text) {
    std::string bytes;
    bytes.reserve(text.size());
    for (std::size_t i = 0; i < text.size();) {
        const auto byte = UnicodeToCodePage(NextCodePoint(text, i));
        if (!byte) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<char>(*byte));
    }
    return bytes;
}

std::string FromAnsi(std::string_view bytes) {
    std::string text;
    text.reserve(bytes.size());
    for (char b : bytes) {
        AppendUtf8(text, CodePageToUnicode(static_cast<unsigned char>(b)));
    }
    return text;
}

}  // namespace quorbel::platform
