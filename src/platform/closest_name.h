#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace chronova::platform {

/// The name of a list closest to a misspelt one, ignoring letter case, when it is close enough to be what was
/// meant: at most a third of the longer name's letters differ (insertions, deletions, substitutions), and at most
/// three; failing that, a name that abbreviates the other by its words' initials ("ts" for "time_stamp"). A name
/// that differs only in letter case is always close. Ties go to the first in the list.
std::optional<std::string> ClosestName(std::string_view wanted, const std::vector<std::string>& names);

/// The names joined by ", ", for "(fields: id, ts, speed)".
std::string NameList(const std::vector<std::string>& names);

/// "; did you mean 'ts'?" when a name is close to the wanted one, else empty: the end of a message that says
/// what was not found.
std::string DidYouMean(std::string_view wanted, const std::vector<std::string>& names);

} // namespace chronova::platform
