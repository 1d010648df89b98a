// The Windows half of the platform layer's text: UTF-8 inside, UTF-16 at the W functions, the system's ANSI
// code page for the bytes of quorbel.ini, and the system's own description of an error.
#include <windows.h>

#include <climits>
#include <iterator>

#include "core/failure.h"
#include "core/platform_text.h"

namespace quorbel::platform {
namespace {

int ClampedLength(std::size_t size) {
    return size > INT_MAX ? INT_MAX : static_cast<int>(size);
}

std::wstring Decode(UINT codePage, std::string_view bytes) {
    if (bytes.empty()) {
        return {};
    }
    const int length = ClampedLength(bytes.size());
    const int needed = MultiByteToWideChar(codePage, 0, bytes.data(), length, nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(needed), L'\0');
    MultiByteToWideChar(codePage, 0, bytes.data(), length, wide.data(), needed);
    return wide;
}

}  // namespace

std::wstring Widen(std::string_view text) {
    return Decode(CP_UTF8, text);
}

std::string Narrow(std::wstring_view text) {
    if (text.empty()) {
        return {};
    }
    const int length = ClampedLength(text.size());
    const int needed = WideCharToMultiByte(CP_UTF8, 0, text.data(), length, nullptr, 0, nullptr, nullptr);
    std::string narrow(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_UTF8, 0, text.data(), length, narrow.data(), needed, nullptr, nullptr);
    return narrow;
}

std::string ToLower(std::string_view text) {
    std::wstring wide = Widen(text);
    if (wide.empty()) {
        return {};
    }
    static const std::wstring locale = [] {
        wchar_t name[LOCALE_NAME_MAX_LENGTH] = {};
        return GetSystemDefaultLocaleName(name, LOCALE_NAME_MAX_LENGTH) > 0 ? std::wstring(name)
                                                                            : std::wstring();
    }();
    const int length = ClampedLength(wide.size());
    const int needed = locale.empty() ? 0
                                      : LCMapStringEx(locale.c_str(), LCMAP_LOWERCASE, wide.data(), length,
                                                      nullptr, 0, nullptr, nullptr, 0);
    if (needed <= 0) {
        CharLowerBuffW(wide.data(), static_cast<DWORD>(length));
        return Narrow(wide);
    }
    std::wstring lower(static_cast<std::size_t>(needed), L'\0');
    LCMapStringEx(locale.c_str(), LCMAP_LOWERCASE, wide.data(), length, lower.data(), needed, nullptr,
                  nullptr, 0);
    return Narrow(lower);
}

std::optional<std::string> ToAnsi(std::string_view text) {
    const std::wstring wide = Widen(text);
    if (wide.empty()) {
        return std::string();
    }
    const int length = ClampedLength(wide.size());
    // With the UTF-8 beta option the ANSI page is UTF-8: everything fits, and the default-char probe is
    // refused.
    const bool utf8 = GetACP() == CP_UTF8;
    BOOL usedDefault = FALSE;
    BOOL* probe = utf8 ? nullptr : &usedDefault;
    const DWORD flags = utf8 ? 0 : WC_NO_BEST_FIT_CHARS;
    const int needed = WideCharToMultiByte(CP_ACP, flags, wide.data(), length, nullptr, 0, nullptr, probe);
    if (needed <= 0 || usedDefault != FALSE) {
        return std::nullopt;
    }
    std::string bytes(static_cast<std::size_t>(needed), '\0');
    WideCharToMultiByte(CP_ACP, flags, wide.data(), length, bytes.data(), needed, nullptr, probe);
    // Some pages map a character to a lookalike without reporting it; only an exact round trip counts.
    if (usedDefault != FALSE || Widen(FromAnsi(bytes)) != wide) {
        return std::nullopt;
    }
    return bytes;
}

std::string FromAnsi(std::string_view bytes) {
    return Narrow(Decode(CP_ACP, bytes));
}

Failure DescribeError(std::uint32_t code) {
    wchar_t buffer[512];
    DWORD length = FormatMessageW(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr, code,
                                  0, buffer, static_cast<DWORD>(std::size(buffer)), nullptr);
    while (length > 0 &&
           (buffer[length - 1] == L'\r' || buffer[length - 1] == L'\n' || buffer[length - 1] == L' ')) {
        --length;
    }
    if (length == 0) {
        return {code, "Unbekannter Fehler"};
    }
    return {code, Narrow(std::wstring_view(buffer, length))};
}

}  // namespace quorbel::platform
