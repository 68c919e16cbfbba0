// The tables a front end offers for a catalog run.
#pragma once

#include <string>
#include <vector>

#include "catalog/DatabaseEngine.h"

namespace speclore::frontend {

// The open database's tables whose attribute word is 0, in the engine's
// order: system, hidden and linked tables are left out.
std::vector<std::string> listedTables(const catalog::Database& database);

}  // namespace speclore::frontend
