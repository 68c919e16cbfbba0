#include "jet/DaoQueryDefs.h"

#include "jet/DaoSchema.h"
#include "jet/QueryRows.h"
#include "jet/QuerySql.h"

namespace speclore::jet {

std::vector<catalog::QueryDef> daoQueryDefs(const Snapshot& snapshot) {
    const auto rowsById = queryRowsById(snapshot);
    static const std::vector<QueryRow> noRows;

    std::vector<catalog::QueryDef> queries;
    for (uint32_t position : catalogOrder(snapshot)) {
        const CatalogObject& object = snapshot.objects[position];
        if (object.type != kSavedQuery || object.name.empty() || object.name.front() == '~') continue;
        const std::vector<QueryRow>* rows = &noRows;
        if (rowsById) {
            auto found = rowsById->find(object.id);
            if (found != rowsById->end()) rows = &found->second;
        }
        RebuiltQuery rebuilt = rebuildQuery(object.flags, *rows);
        catalog::QueryDef query;
        query.name = object.name;
        query.type = rebuilt.type;
        query.sql = std::move(rebuilt.sql);
        query.sourceTables = std::move(rebuilt.sources);
        query.description = object.description;
        queries.push_back(std::move(query));
    }
    return queries;
}

}  // namespace speclore::jet
