// Text at the system's edges: UTF-8 inside the program, UTF-16 at the W functions, the single-byte code page
// of the settings file, and lower-casing by the system locale.
#pragma once

#include <optional>
#include <string>
#include <string_view>

namespace quorbel::platform {

// Lower-cases by the system locale, letters with diacritics included.
std::string ToLower(std::string_view text);

// Conversion to and from the single-byte code page of the settings file (the system's ANSI code page on
// Windows, Windows-1252 elsewhere). ToAnsi is empty when a character has no exact counterpart.
std::optional<std::string> ToAnsi(std::string_view text);
std::string FromAnsi(std::string_view bytes);

#ifdef _WIN32
std::wstring Widen(std::string_view text);
std::string Narrow(std::wstring_view text);
#endif

}  // namespace quorbel::platform
