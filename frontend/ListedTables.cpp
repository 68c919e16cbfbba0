#include "frontend/ListedTables.h"

namespace speclore::frontend {

std::vector<std::string> listedTables(const catalog::Database& database) {
    std::vector<std::string> names;
    for (const catalog::TableDef& table : database.TableDefs()) {
        if (table.attributes == 0) names.push_back(table.name);
    }
    return names;
}

}  // namespace speclore::frontend
