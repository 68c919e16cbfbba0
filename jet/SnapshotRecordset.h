// A snapshot-type Recordset over the rows a statement gave.
#pragma once

#include <optional>
#include <string>
#include <unordered_map>

#include "catalog/DatabaseEngine.h"
#include "jet/SqlExecution.h"

namespace speclore::jet {

class SnapshotRecordset : public catalog::Recordset {
public:
    explicit SnapshotRecordset(sql::ResultSet rows) : result_(std::move(rows)) {}

    // An empty recordset is at both its end and its beginning; otherwise
    // it starts on its first row, and MoveNext past the last reaches EOF.
    bool Eof() const override;
    bool Bof() const override;
    catalog::FieldValue Fields(const std::string& name) const override;
    void MoveNext() override;
    // Any use after Close raises 3420; closing again does nothing.
    void Close() override;

private:
    void checkOpen() const;
    // The first column named `name` without regard to case; none if absent.
    std::optional<size_t> columnNamed(const std::string& name) const;

    sql::ResultSet result_;
    // The catalog run asks for the same few fields on every row.
    mutable std::unordered_map<std::string, size_t> columnsByName_;
    size_t position_ = 0;
    bool closed_ = false;
};

}  // namespace speclore::jet
