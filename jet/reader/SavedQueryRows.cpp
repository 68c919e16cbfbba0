#include "jet/reader/SavedQueryRows.h"

#include <cstdio>

namespace speclore::jet::reader {

void addSavedQueryRows(MdbHandle* mdb, const std::vector<CatalogRow>& catalog,
                       std::vector<RowTable>& rowTables) {
    try {
        std::optional<RowTable> rows = readRowTable(mdb, catalog, "MSysQueries");
        if (rows) rowTables.push_back(std::move(*rows));
    } catch (const UnreadableDatabase& e) {
        std::fprintf(stderr, "MSysQueries: %s\n", e.what());
    }
}

}  // namespace speclore::jet::reader
