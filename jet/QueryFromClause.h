// The FROM list of a saved query: its source tables, with the joins
// between them nested as Access nests them in the SQL view.
#pragma once

#include <string>
#include <vector>

#include "jet/QueryRows.h"

namespace speclore::jet {

// Jet joins at most 32 tables in one query; a definition with more join
// rows than this is damaged, and the rest of its joins are left out.
inline constexpr size_t kMaxQueryJoins = 64;

// The items of the FROM list, each a table or a nest of joins, in the
// order Access writes them: tables that no join touches first, in the
// order of their rows, then each join as it is completed. What cannot be
// joined (an unknown join kind, two contrary joins of the same tables) is
// described in `gaps`.
std::vector<std::string> fromClauseItems(const std::vector<const QueryRow*>& tables,
                                         const std::vector<const QueryRow*>& joins,
                                         std::vector<std::string>& gaps);

}  // namespace speclore::jet
