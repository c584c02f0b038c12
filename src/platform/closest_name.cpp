#include "platform/closest_name.h"

#include <algorithm>
#include <cctype>
#include <cstddef>

namespace chronova::platform {

namespace {

constexpr size_t kMostEdits = 3;

std::string Lower(std::string_view text) {
    std::string lower(text);
    std::transform(lower.begin(), lower.end(), lower.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    return lower;
}

// The Levenshtein distance: single-letter insertions, deletions and substitutions, one row at a time.
size_t EditDistance(const std::string& a, const std::string& b) {
    std::vector<size_t> row(b.size() + 1);
    for (size_t j = 0; j <= b.size(); ++j) {
        row[j] = j;
    }
    for (size_t i = 1; i <= a.size(); ++i) {
        size_t diagonal = row[0];
        row[0] = i;
        for (size_t j = 1; j <= b.size(); ++j) {
            const size_t above = row[j];
            row[j] = std::min({row[j] + 1, row[j - 1] + 1, diagonal + (a[i - 1] == b[j - 1] ? 0 : 1)});
            diagonal = above;
        }
    }
    return row[b.size()];
}

// The first letters of a name's words, lower case: "time_stamp" and "TimeStamp" give "ts". Empty for a name of
// fewer than two words.
std::string Initials(std::string_view name) {
    std::string initials;
    bool in_word = false;
    char previous = 0;
    for (const char c : name) {
        const auto u = static_cast<unsigned char>(c);
        if (std::isalnum(u) == 0) {
            in_word = false;
        } else if (!in_word || (std::isupper(u) != 0 && std::islower(static_cast<unsigned char>(previous)) != 0)) {
            initials += static_cast<char>(std::tolower(u));
            in_word = true;
        }
        previous = c;
    }
    return initials.size() >= 2 ? initials : std::string();
}

// How far a name is from the wanted one, when it is close enough: its edit distance, or for an abbreviation by
// initials ("ts" for "time_stamp", either way round) one more than any edit distance allowed.
std::optional<size_t> Closeness(std::string_view wanted, std::string_view name) {
    const std::string a = Lower(wanted);
    const std::string b = Lower(name);
    const size_t distance = EditDistance(a, b);
    if (distance <= std::min(kMostEdits, std::max(a.size(), b.size()) / 3)) {
        return distance;
    }
    if ((!Initials(wanted).empty() && Initials(wanted) == b) || (!Initials(name).empty() && Initials(name) == a)) {
        return kMostEdits + 1;
    }
    return std::nullopt;
}

} // namespace

std::optional<std::string> ClosestName(std::string_view wanted, const std::vector<std::string>& names) {
    std::optional<std::string> best;
    size_t best_closeness = 0;
    for (const std::string& name : names) {
        const std::optional<size_t> closeness = Closeness(wanted, name);
        if (closeness && (!best || *closeness < best_closeness)) {
            best = name;
            best_closeness = *closeness;
        }
    }
    return best;
}

std::string NameList(const std::vector<std::string>& names) {
    std::string list;
    for (const std::string& name : names) {
        list += (list.empty() ? "" : ", ") + name;
    }
    return list;
}

std::string DidYouMean(std::string_view wanted, const std::vector<std::string>& names) {
    const std::optional<std::string> closest = ClosestName(wanted, names);
    return closest ? "; did you mean '" + *closest + "'?" : std::string();
}

} // namespace chronova::platform
