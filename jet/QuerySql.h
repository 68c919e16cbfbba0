// A saved query's SQL text as Access shows it in the SQL view, rebuilt
// from its MSysQueries rows.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "jet/QueryRows.h"

namespace speclore::jet {

// Where a definition cannot be read whole, the text ends with a line that
// begins with this mark and says what is missing.
inline constexpr const char* kUnreadablePartMark = "※ 読めない定義: ";

struct RebuiltQuery {
    // QueryDef.Type.
    int32_t type = 0;
    std::string sql;
    // The source tables named by the definition, each once.
    std::vector<std::string> sources;
};

// `objectFlags` is the query's MSysObjects.Flags, whose high bits repeat
// its kind. No rows at all give only the mark.
RebuiltQuery rebuildQuery(int32_t objectFlags, const std::vector<QueryRow>& rows);

}  // namespace speclore::jet
