#pragma once

#include <cstddef>
#include <string_view>

#include "gis/sql/node.h"

namespace chronova::gis::sql {

//! How deeply parentheses and NOTs may nest; deeper clauses are refused rather than risking the stack.
inline constexpr size_t kMaxNesting = 200;

/// Whether a clause holds nothing but blanks, which is the clause that lets every row through.
bool IsBlankClause(std::string_view clause) noexcept;

/// Parses a non-blank where clause. Precedence from loose to tight: OR, AND, NOT, predicates. Raises a
/// syntax error naming the position and what was expected when the clause does not parse.
Node Parse(std::string_view clause);

} // namespace chronova::gis::sql
