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

catalog::FieldValue SnapshotRecordset::Fields(const std::string& name) const {
    checkOpen();
    for (size_t c = 0; c < result_.columns.size(); ++c) {
        if (!equalsIgnoringCase(result_.columns[c], name)) continue;
        if (position_ >= result_.rows.size()) throw AppError(err::DbNoCurrentRecord);
        const CellValue& cell = result_.rows[position_][c];
        if (auto* i = std::get_if<int64_t>(&cell)) return catalog::FieldValue(*i);
        if (auto* s = std::get_if<std::string>(&cell)) return catalog::FieldValue(*s);
        return catalog::FieldValue();
    }
    throw AppError(err::DbItemNotFound);
}

void SnapshotRecordset::MoveNext() {
    checkOpen();
    if (position_ >= result_.rows.size()) throw AppError(err::DbNoCurrentRecord);
    ++position_;
}

void SnapshotRecordset::Close() {
    closed_ = true;
    result_ = {};
}

}  // namespace speclore::jet
