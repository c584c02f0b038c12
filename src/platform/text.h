#pragma once

#include <string>
#include <string_view>

namespace chronova::platform {

// Text helpers with the classic string functions' semantics: positions are 1-based and out-of-range
// positions clamp instead of failing. Case folding is ASCII, as the system's texts are.

/// Removes leading and trailing blanks (spaces only, like the classic Trim).
std::string Trim(std::string_view text);
std::string UCase(std::string_view text);
std::string LCase(std::string_view text);
/// The first n characters (all when n exceeds the length, none when n <= 0).
std::string Left(std::string_view text, long n);
/// The last n characters.
std::string Right(std::string_view text, long n);
/// n characters from the 1-based position start; n < 0 takes the rest.
std::string Mid(std::string_view text, long start, long n = -1);
/// The 1-based position of needle in haystack at or after start, 0 when absent; case-insensitive on request.
long InStr(std::string_view haystack, std::string_view needle, long start = 1, bool ignore_case = false);
/// ASCII case-insensitive equality.
bool IEquals(std::string_view a, std::string_view b) noexcept;

} // namespace chronova::platform
