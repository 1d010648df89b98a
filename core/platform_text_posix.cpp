// The host half of the platform layer's text: lower-casing by Unicode, Windows-1252 for the settings file,
// and the C library's description of an error.
#include <locale.h>
#include <wctype.h>

#include <cstring>

#include "core/failure.h"
#include "core/platform_text.h"

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
