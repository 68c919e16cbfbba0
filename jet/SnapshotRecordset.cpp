#include "jet/SnapshotRecordset.h"

#include "app/AppError.h"
#include "jet/TextCase.h"

namespace speclore::jet {

void SnapshotRecordset::checkOpen() const {
    if (closed_) throw AppError(err::DbObjectInvalid);
}

bool SnapshotRecordset::Eof() const {
    checkOpen();
    return position_ >= result_.rows.size();
}

bool SnapshotRecordset::Bof() const {
    checkOpen();
    return result_.rows.empty();
}

std::optional<size_t> SnapshotRecordset::columnNamed(const std::string& name) const {
    if (auto known = columnsByName_.find(name); known != columnsByName_.end()) return known->second;
    for (size_t c = 0; c < result_.columns.size(); ++c) {
        if (!equalsIgnoringCase(result_.columns[c], name)) continue;
        columnsByName_.emplace(name, c);
        return c;
    }
    return std::nullopt;
}

catalog::FieldValue SnapshotRecordset::Fields(const std::string& name) const {
    checkOpen();
    const std::optional<size_t> column = columnNamed(name);
    if (!column) throw AppError(err::DbItemNotFound);
    if (position_ >= result_.rows.size()) throw AppError(err::DbNoCurrentRecord);
    const CellValue& cell = result_.rows[position_][*column];
    if (auto* i = std::get_if<int64_t>(&cell)) return catalog::FieldValue(*i);
    if (auto* s = std::get_if<std::string>(&cell)) return catalog::FieldValue(*s);
    return catalog::FieldValue();
}

void SnapshotRecordset::MoveNext() {
    checkOpen();
    if (position_ >= result_.rows.size()) throw AppError(err::DbNoCurrentRecord);
    ++position_;
}

void SnapshotRecordset::Close() {
    closed_ = true;
    result_ = {};
    columnsByName_.clear();
}

}  // namespace speclore::jet
