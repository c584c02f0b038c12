#include "platform/text.h"

#include <algorithm>

namespace chronova::platform {
namespace {

char Upper(char c) noexcept {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}
char Lower(char c) noexcept {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

} // namespace

std::string Trim(std::string_view text) {
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) {
        return {};
    }
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

std::string UCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), Upper);
    return out;
}

std::string LCase(std::string_view text) {
    std::string out(text);
    std::transform(out.begin(), out.end(), out.begin(), Lower);
    return out;
}

std::string Left(std::string_view text, long n) {
    if (n <= 0) {
        return {};
    }
    return std::string(text.substr(0, static_cast<size_t>(n)));
}

std::string Right(std::string_view text, long n) {
    if (n <= 0) {
        return {};
    }
    const auto count = std::min(text.size(), static_cast<size_t>(n));
    return std::string(text.substr(text.size() - count));
}

std::string Mid(std::string_view text, long start, long n) {
    if (start < 1 || static_cast<size_t>(start) > text.size() || n == 0) {
        return {};
    }
    const auto offset = static_cast<size_t>(start - 1);
    return std::string(text.substr(offset, n < 0 ? std::string_view::npos : static_cast<size_t>(n)));
}

long InStr(std::string_view haystack, std::string_view needle, long start, bool ignore_case) {
    if (start < 1 || static_cast<size_t>(start) > haystack.size() + 1) {
        return 0;
    }
    const auto offset = static_cast<size_t>(start - 1);
    size_t found;
    if (ignore_case) {
        const std::string h = LCase(haystack);
        found = h.find(LCase(needle), offset);
    } else {
        found = haystack.find(needle, offset);
    }
    return found == std::string_view::npos ? 0 : static_cast<long>(found) + 1;
}

bool IEquals(std::string_view a, std::string_view b) noexcept {
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(), [](char x, char y) { return Lower(x) == Lower(y); });
}

} // namespace chronova::platform
