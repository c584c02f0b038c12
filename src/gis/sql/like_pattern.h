#pragma once

#include <string_view>

namespace chronova::gis::sql {

/// Whether a text matches a LIKE pattern: '%' stands for any run of characters, '_' for one character
/// (one UTF-8 sequence), every other byte for itself, letter case included.
bool LikeMatches(std::string_view text, std::string_view pattern) noexcept;

/// The pattern's text before its first wildcard: every matching text starts with it.
std::string_view LikePrefix(std::string_view pattern) noexcept;

/// Whether the pattern has a wildcard; without one it matches only the text equal to it.
bool HasWildcard(std::string_view pattern) noexcept;

} // namespace chronova::gis::sql
