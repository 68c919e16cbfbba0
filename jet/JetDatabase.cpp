#include "jet/JetDatabase.h"

#include "app/AppError.h"
#include "jet/DaoQueryDefs.h"
#include "jet/DaoSchema.h"
#include "jet/SnapshotRecordset.h"
#include "jet/TextCase.h"

namespace speclore::jet {

JetDatabase::JetDatabase(Snapshot&& snapshot, std::vector<catalog::TableDef> tables)
    : tables_(std::move(tables)), queries_(daoQueryDefs(snapshot)), textOrder_(snapshot) {
    queryable_ = sql::queryableTables(std::move(snapshot));
    tablesByName_.reserve(tables_.size());
    for (size_t i = 0; i < tables_.size(); ++i) tablesByName_.try_emplace(caseFoldKey(tables_[i].name), i);
}

void JetDatabase::checkOpen() const {
    if (closed_) throw AppError(err::DbObjectInvalid);
}

const std::vector<catalog::TableDef>& JetDatabase::TableDefs() const {
    checkOpen();
    return tables_;
}

const catalog::TableDef& JetDatabase::TableDefs(const std::string& name) const {
    checkOpen();
    const auto found = tablesByName_.find(caseFoldKey(name));
    if (found == tablesByName_.end()) throw AppError(err::DbItemNotFound);
    return tables_[found->second];
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
    tablesByName_.clear();
    queries_.clear();
    queryable_.clear();
}

}  // namespace speclore::jet
