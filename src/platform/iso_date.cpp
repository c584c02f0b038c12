#include "platform/iso_date.h"

#include <cstddef>

namespace chronova::platform {

namespace {

// Reads exactly `count` digits at `pos`; advances past them.
bool Digits(std::string_view text, size_t& pos, size_t count, int& value) {
    if (pos + count > text.size()) {
        return false;
    }
    value = 0;
    for (size_t i = 0; i < count; ++i) {
        const char c = text[pos + i];
        if (c < '0' || c > '9') {
            return false;
        }
        value = value * 10 + (c - '0');
    }
    pos += count;
    return true;
}

bool Take(std::string_view text, size_t& pos, char c) {
    if (pos < text.size() && text[pos] == c) {
        ++pos;
        return true;
    }
    return false;
}

// "Z", "+hh", "+hhmm" or "+hh:mm" (also "-") at pos; true with no offset when the text ends there.
bool ReadZone(std::string_view text, size_t& pos, std::optional<int>& offset) {
    if (pos == text.size()) {
        return true;
    }
    if (text[pos] == 'Z' || text[pos] == 'z') {
        ++pos;
        offset = 0;
        return true;
    }
    if (text[pos] != '+' && text[pos] != '-') {
        return false;
    }
    const int sign = text[pos] == '-' ? -1 : 1;
    ++pos;
    int hours = 0;
    int minutes = 0;
    if (!Digits(text, pos, 2, hours)) {
        return false;
    }
    if (pos < text.size()) {
        Take(text, pos, ':');
        if (!Digits(text, pos, 2, minutes)) {
            return false;
        }
    }
    if (hours > 18 || minutes > 59) {
        return false;
    }
    offset = sign * (hours * 60 + minutes);
    return true;
}

} // namespace

std::optional<ZonedDate> TryParseIsoDate(std::string_view text) {
    while (!text.empty() && (text.back() == ' ' || text.back() == '\t')) {
        text.remove_suffix(1);
    }
    while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) {
        text.remove_prefix(1);
    }
    size_t pos = 0;
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;
    if (!Digits(text, pos, 4, year) || !Take(text, pos, '-') || !Digits(text, pos, 2, month) || !Take(text, pos, '-') ||
        !Digits(text, pos, 2, day)) {
        return std::nullopt;
    }
    std::optional<int> offset;
    if (pos < text.size() && (text[pos] == 'T' || text[pos] == 't' || text[pos] == ' ')) {
        ++pos;
        if (!Digits(text, pos, 2, hour) || !Take(text, pos, ':') || !Digits(text, pos, 2, minute)) {
            return std::nullopt;
        }
        if (Take(text, pos, ':')) {
            if (!Digits(text, pos, 2, second)) {
                return std::nullopt;
            }
            if (Take(text, pos, '.') || Take(text, pos, ',')) {
                const size_t first = pos;
                while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
                    ++pos;
                }
                if (pos == first) {
                    return std::nullopt;
                }
            }
        }
    }
    if (!ReadZone(text, pos, offset) || pos != text.size()) {
        return std::nullopt;
    }
    if (year < Date::kMinYear || month < 1 || month > 12 || day < 1 || day > DaysInMonth(year, month) || hour > 23 ||
        minute > 59 || second > 59) {
        return std::nullopt;
    }
    return ZonedDate{Date::FromParts(year, month, day, hour, minute, second), offset};
}

} // namespace chronova::platform
