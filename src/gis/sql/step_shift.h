#pragma once

#include <cstddef>
#include <optional>
#include <string_view>
#include <vector>

#include "gis/sql/node.h"

namespace chronova::gis::sql {

/// Where a clause stands among the steps of a field: the position in `steps` (ascending values of the field) of the
/// first literal the clause compares the field with. Nothing when the field is compared with no literal, or with one
/// that is no step. A date matches a step within half a second, as written dates keep whole seconds.
std::optional<size_t> StepPosition(const Node& root, std::string_view field, const std::vector<Literal>& steps);

/// The clause `shift` steps along: every literal compared with the field replaced by the step `shift` places
/// further in `steps`. Nothing when StepPosition finds no step for every such literal, or a shifted one falls
/// outside the steps. A playback asks the server for the next steps' rows with it before they are shown.
std::optional<Node> ShiftedClause(const Node& root, std::string_view field, const std::vector<Literal>& steps,
                                  long shift);

} // namespace chronova::gis::sql
