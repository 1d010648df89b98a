// The Windows half of the platform layer's files, by the W functions only, with UTF-8 converted at each call.
#include <windows.h>

#include <cstring>
#include <utility>

#include "core/handles_win.h"
#include "core/platform_files.h"
#include "core/platform_text.h"

namespace quorbel::platform {
namespace {

using win::AsHandle;

// Worth trying again while another program holds the file: it opened it without sharing or locked a range
// of it; or Windows denies access to a file that is there and not read-only, as it does to one that another
// program is about to delete or replace. The player is told of a held file only on the first two, which
// say so for certain (HeldByAnotherProgram).
bool WorthTryingAgain(DWORD error, const std::wstring& path) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) {
        return true;
    }
    const DWORD attributes = path.empty() ? INVALID_FILE_ATTRIBUTES : GetFileAttributesW(path.c_str());
    return error == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
           (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) == 0;
}

// Runs attempt, which gives an error code (ERROR_SUCCESS when it worked), and again while the file at path
// may be held by another program, as often as whileHeld allows.
template <typename Attempt>
DWORD TryWhileHeld(const std::wstring& path, const WhileHeld& whileHeld, Attempt attempt) {
    for (int retry = 0;; ++retry) {
        const DWORD error = attempt();
        if (error == ERROR_SUCCESS || retry >= whileHeld.retries || !WorthTryingAgain(error, path)) {
            return error;
        }
        whileHeld.pause();
    }
}

DWORD ErrorOf(BOOL succeeded) {
    return succeeded != FALSE ? ERROR_SUCCESS : GetLastError();
}

DWORD WriteAll(HANDLE file, std::string_view bytes) {
    std::size_t written = 0;
    while (written < bytes.size()) {
        const std::size_t chunk = bytes.size() - written;
        DWORD put = 0;
        const DWORD wanted = chunk > MAXDWORD ? MAXDWORD : static_cast<DWORD>(chunk);
        if (WriteFile(file, bytes.data() + written, wanted, &put, nullptr) == FALSE) {
            return GetLastError();
        }
        if (put == 0) {
            return ERROR_DISK_FULL;
        }
        written += put;
    }
    // On the disk before it takes the file's place: a crash then leaves the old line or the new one.
    return ErrorOf(FlushFileBuffers(file));
}

// The temporary file takes the place of target, which keeps the attributes it had before the save.
// ReplaceFileW also keeps its creation time and permissions, which a move would give up.
DWORD PutInPlace(const std::wstring& temporary, const std::wstring& target, DWORD attributes) {
    constexpr DWORD kMove = MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH;
    DWORD error = ERROR_SUCCESS;
    if (GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES) {
        // Not there, or no longer: after a replace that removed it but could not move the new one in.
        error = ErrorOf(MoveFileExW(temporary.c_str(), target.c_str(), kMove));
    } else if (!win::OwnFileHandle<win::UniqueHandle>(
                   CreateFileW(target.c_str(), DELETE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, 0, nullptr))) {
        // Wine: ReplaceFileW leaves a file of its own ("rf….tmp") behind when the file is held; Windows
        // leaves nothing. So whether another program holds it is found out first.
        return GetLastError();
    } else {
        error = ErrorOf(ReplaceFileW(target.c_str(), temporary.c_str(), nullptr,
                                     REPLACEFILE_IGNORE_MERGE_ERRORS | REPLACEFILE_IGNORE_ACL_ERRORS, nullptr,
                                     nullptr));
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT) {
            // The file is gone and the new one still beside it.
            error = ErrorOf(MoveFileExW(temporary.c_str(), target.c_str(), kMove));
        } else if (error == ERROR_UNABLE_TO_REMOVE_REPLACED) {
            error = ERROR_SHARING_VIOLATION;  // held after all, since the look above
        }
    }
    if (error == ERROR_SUCCESS && attributes != INVALID_FILE_ATTRIBUTES &&
        GetFileAttributesW(target.c_str()) != attributes) {
        // Wine: ReplaceFileW gives the file the new one's attributes; Windows keeps the replaced file's.
        SetFileAttributesW(target.c_str(), attributes);
    }
    return error;
}

}  // namespace

std::wstring FilePath(const std::string& path) {
    std::wstring wide = Widen(path);
    if (wide.size() < MAX_PATH - 12 || wide.rfind(L"\\\\", 0) == 0) {
        return wide;
    }
    const DWORD needed = GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (needed == 0) {
        return wide;
    }
    std::wstring full(needed, L'\0');
    const DWORD length = GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
    if (length == 0 || length >= needed) {
        return wide;
    }
    full.resize(length);
    return L"\\\\?\\" + full;
}

bool HeldByAnotherProgram(const Failure& failure) {
    return failure.code == ERROR_SHARING_VIOLATION || failure.code == ERROR_LOCK_VIOLATION;
}

bool RefusesWriting(const Failure& failure) {
    return failure.code == ERROR_ACCESS_DENIED || failure.code == ERROR_WRITE_PROTECT;
}

std::optional<std::uint64_t> FileSize(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(FilePath(path).c_str(), GetFileExInfoStandard, &data) == FALSE) {
        return std::nullopt;
    }
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
        return 0;
    }
    return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::optional<std::int64_t> ModifiedTime(const std::string& path) {
    WIN32_FILE_ATTRIBUTE_DATA data{};
    if (GetFileAttributesExW(FilePath(path).c_str(), GetFileExInfoStandard, &data) == FALSE) {
        return std::nullopt;
    }
    return static_cast<std::int64_t>((static_cast<std::uint64_t>(data.ftLastWriteTime.dwHighDateTime) << 32) |
                                     data.ftLastWriteTime.dwLowDateTime);
}

InputFile::InputFile(const std::string& path, const WhileHeld& whileHeld) : whileHeld_(whileHeld) {
    const std::wstring file = FilePath(path);
    HANDLE opened = INVALID_HANDLE_VALUE;
    const DWORD error = TryWhileHeld(file, whileHeld, [&] {
        opened =
            CreateFileW(file.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                        nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
        return opened != INVALID_HANDLE_VALUE ? ERROR_SUCCESS : GetLastError();
    });
    if (error == ERROR_SUCCESS) {
        handle_ = reinterpret_cast<std::intptr_t>(opened);
    } else {
        failure_ = DescribeError(error);
    }
}

InputFile::~InputFile() {
    const win::UniqueHandle closedHere(handle_ != kClosed ? AsHandle(handle_) : nullptr);
}

std::size_t InputFile::read(char* buffer, std::size_t capacity) {
    if (handle_ == kClosed || failure_) {
        return 0;
    }
    DWORD got = 0;
    const DWORD wanted = capacity > MAXDWORD ? MAXDWORD : static_cast<DWORD>(capacity);
    // A range another program has locked refuses the read, not the open.
    const DWORD error = TryWhileHeld(
        {}, whileHeld_, [&] { return ErrorOf(ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr)); });
    if (error != ERROR_SUCCESS) {
        failure_ = DescribeError(error);
        return 0;
    }
    return got;
}

Replacement::Replacement(const std::string& path) : path_(path) {
    // A name nothing else uses: a leftover of any kind at one name (a file, a read-only one, a folder, one
    // still being deleted) only moves the choice on to the next; a folder that takes no file at all stops
    // the search.
    const std::string stem = path + "." + std::to_string(GetCurrentProcessId()) + "-";
    DWORD error = ERROR_SUCCESS;
    for (int candidate = 0; candidate < 100 && handle_ == kClosed; ++candidate) {
        temporary_ = stem + std::to_string(candidate) + ".tmp";
        const std::wstring name = FilePath(temporary_);
        const HANDLE file =
            CreateFileW(name.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (file != INVALID_HANDLE_VALUE) {
            handle_ = reinterpret_cast<std::intptr_t>(file);
            return;
        }
        error = GetLastError();
        const bool taken = error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ||
                           GetFileAttributesW(name.c_str()) != INVALID_FILE_ATTRIBUTES ||
                           GetLastError() == ERROR_ACCESS_DENIED;
        if (!taken) {
            break;
        }
    }
    temporary_.clear();
    failure_ = DescribeError(error);
}

Replacement::~Replacement() {
    win::UniqueHandle(handle_ != kClosed ? AsHandle(handle_) : nullptr).reset();  // closed before it goes
    if (!done_ && !temporary_.empty()) {
        DeleteFileW(FilePath(temporary_).c_str());
    }
}

Outcome Replacement::commit(std::string_view bytes, const WhileHeld& whileHeld) {
    if (failure_ || done_) {
        return failure_;
    }
    const std::wstring target = FilePath(path_);
    const DWORD attributes = GetFileAttributesW(target.c_str());
    // Neither a read-only file nor a folder in the file's place is replaced.
    if (attributes != INVALID_FILE_ATTRIBUTES &&
        (attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
        return DescribeError(ERROR_ACCESS_DENIED);
    }
    win::UniqueHandle file(AsHandle(std::exchange(handle_, kClosed)));
    if (const DWORD written = WriteAll(file.get(), bytes); written != ERROR_SUCCESS) {
        return DescribeError(written);
    }
    file.reset();  // closed before it takes the file's place
    const std::wstring temporary = FilePath(temporary_);
    const DWORD error =
        TryWhileHeld(target, whileHeld, [&] { return PutInPlace(temporary, target, attributes); });
    // The temporary file stays where it holds the only copy of the content: the file was there, and the
    // replace removed it without putting the new one in its place.
    done_ = error == ERROR_SUCCESS || (attributes != INVALID_FILE_ATTRIBUTES &&
                                       GetFileAttributesW(target.c_str()) == INVALID_FILE_ATTRIBUTES);
    if (error != ERROR_SUCCESS) {
        return DescribeError(error);
    }
    return std::nullopt;
}

Outcome MoveToFreeName(const std::string& from, const std::string& to) {
    if (MoveFileExW(FilePath(from).c_str(), FilePath(to).c_str(), MOVEFILE_WRITE_THROUGH) == FALSE) {
        return DescribeError(GetLastError());
    }
    return std::nullopt;
}

void RemoveFile(const std::string& path) {
    DeleteFileW(FilePath(path).c_str());
}

}  // namespace quorbel::platform
