#include "gis/sql/like_pattern.h"

namespace chronova::gis::sql {

namespace {

// The position after the character that starts at `at`: a lead byte and its continuation bytes.
size_t NextCharacter(std::string_view text, size_t at) noexcept {
    ++at;
    while (at < text.size() && (static_cast<unsigned char>(text[at]) & 0xC0) == 0x80) {
        ++at;
    }
    return at;
}

} // namespace

bool LikeMatches(std::string_view text, std::string_view pattern) noexcept {
    // Greedy matching that returns to the last '%' on a mismatch: linear in practice, no recursion.
    size_t t = 0;
    size_t p = 0;
    size_t star_p = std::string_view::npos;
    size_t star_t = 0;
    while (t < text.size()) {
        if (p < pattern.size() && pattern[p] == '%') {
            star_p = ++p;
            star_t = t;
        } else if (p < pattern.size() && pattern[p] == '_') {
            t = NextCharacter(text, t);
            ++p;
        } else if (p < pattern.size() && pattern[p] == text[t]) {
            ++t;
            ++p;
        } else if (star_p != std::string_view::npos) {
            p = star_p;
            star_t = NextCharacter(text, star_t);
            t = star_t;
        } else {
            return false;
        }
    }
    while (p < pattern.size() && pattern[p] == '%') {
        ++p;
    }
    return p == pattern.size();
}

std::string_view LikePrefix(std::string_view pattern) noexcept {
    return pattern.substr(0, pattern.find_first_of("%_"));
}

bool HasWildcard(std::string_view pattern) noexcept {
    return pattern.find_first_of("%_") != std::string_view::npos;
}

} // namespace chronova::gis::sql
