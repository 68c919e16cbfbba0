// Reads every answer of an open database that the catalog run and the
// table list ask for: each table definition with its fields, indexes and
// descriptions, and both relationship statements to their last row. Used
// wherever a database must be read through completely (robustness tests,
// fuzzing, benchmarks).
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "app/AppError.h"
#include "catalog/DatabaseEngine.h"
#include "catalog/RelationSheetWriter.h"

namespace speclore::testing {

struct SchemaSummary {
    size_t tables = 0;
    size_t fields = 0;
    size_t descriptions = 0;
    size_t indexFields = 0;
    int32_t relationCount = 0;
    size_t relationRows = 0;
};

namespace detail {

// A missing Description (3270) counts as none; any other error goes on.
template <class Owner>
bool hasDescription(const Owner& owner) {
    try {
        (void)owner.Description();
        return true;
    } catch (const AppError& e) {
        if (e.number() != err::DbPropertyNotFound) throw;
        return false;
    }
}

}  // namespace detail

inline SchemaSummary walkSchema(catalog::Database& database) {
    SchemaSummary summary;
    for (const auto& listed : database.TableDefs()) {
        const catalog::TableDef& table = database.TableDefs(listed.name);
        ++summary.tables;
        summary.descriptions += detail::hasDescription(table);
        for (const auto& field : table.fields) {
            ++summary.fields;
            summary.descriptions += detail::hasDescription(field);
        }
        for (const auto& index : table.indexes) summary.indexFields += index.fields.size();
    }

    auto count = database.OpenRecordset(catalog::kRelationCountSql, catalog::dbOpenSnapshot);
    if (!count->Eof()) summary.relationCount = count->Fields("件数").asLong();
    count->Close();

    auto rows = database.OpenRecordset(catalog::kRelationRowsSql, catalog::dbOpenSnapshot);
    while (!rows->Eof()) {
        for (const char* column : {"szObject", "szColumn", "szReferencedObject", "szReferencedColumn"})
            (void)rows->Fields(column).asText();
        (void)rows->Fields("grbit").asLong();
        ++summary.relationRows;
        rows->MoveNext();
    }
    rows->Close();
    return summary;
}

}  // namespace speclore::testing
