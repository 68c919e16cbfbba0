#include "jet/JetDatabase.h"

#include "app/AppError.h"
#include "jet/DaoQueryDefs.h"
#include "jet/DaoSchema.h"
#include "jet/SnapshotRecordset.h"
#include "jet/TextCase.h"

namespace speclore::jet {

JetDatabase::JetDatabase(const Snapshot& snapshot)
    : tables_(daoTableDefs(snapshot)),
      queries_(daoQueryDefs(snapshot)),
      queryable_(sql::queryableTables(snapshot)),
      textOrder_(snapshot) {}

void JetDatabase::checkOpen() const {
    if (closed_) throw AppError(err::DbObjectInvalid);
}

const std::vector<catalog::TableDef>& JetDatabase::TableDefs() const {
    checkOpen();
    return tables_;
}

const catalog::TableDef& JetDatabase::TableDefs(const std::string& name) const {
    checkOpen();
    for (const catalog::TableDef& table : tables_) {
        if (equalsIgnoringCase(table.name, name)) return table;
    }
    throw AppError(err::DbItemNotFound);
}

const std::vector<catalog::QueryDef>& JetDatabase::QueryDefs() const {
    checkOpen();
    return queries_;
}

std::unique_ptr<catalog::Recordset> JetDatabase::OpenRecordset(const std::string& sql, int type) {
    checkOpen();
    if (type != catalog::dbOpenSnapshot) throw AppError(err::InvalidProcedureCall);
    return std::make_unique<SnapshotRecordset>(sql::execute(sql::parseSelect(sql), queryable_, textOrder_));
}

void JetDatabase::Close() {
    closed_ = true;
    tables_.clear();
    queries_.clear();
    queryable_.clear();
}

}  // namespace speclore::jet
