// An open database: DAO's answers from the snapshot the reader took.
// Nothing reads the file again, so the database is never written.
#pragma once

#include <string>
#include <unordered_map>
#include <vector>

#include "catalog/DatabaseEngine.h"
#include "jet/Snapshot.h"
#include "jet/SqlExecution.h"
#include "jet/TextOrder.h"

namespace speclore::jet {

class JetDatabase : public catalog::Database {
public:
    // `tables` are the snapshot's TableDefs, in DAO's order. Takes what
    // statements read out of the snapshot.
    JetDatabase(Snapshot&& snapshot, std::vector<catalog::TableDef> tables);

    const std::vector<catalog::TableDef>& TableDefs() const override;
    // Finds the name without regard to case; raises 3265 when missing.
    const catalog::TableDef& TableDefs(const std::string& name) const override;
    const std::vector<catalog::QueryDef>& QueryDefs() const override;
    // Runs the SELECT text over MSysObjects and MSysRelationships; only
    // dbOpenSnapshot is offered (5 otherwise).
    std::unique_ptr<catalog::Recordset> OpenRecordset(const std::string& sql, int type) override;
    // Any use after Close raises 3420; closing again does nothing.
    void Close() override;

private:
    void checkOpen() const;

    std::vector<catalog::TableDef> tables_;
    // Position in tables_ by case-folded name; the first of names that
    // differ only in case.
    std::unordered_map<std::u32string, size_t> tablesByName_;
    std::vector<catalog::QueryDef> queries_;
    std::vector<RowTable> queryable_;
    TextOrder textOrder_;
    bool closed_ = false;
};

}  // namespace speclore::jet
