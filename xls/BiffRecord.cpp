#include "xls/BiffRecord.h"

#include <cstring>

#include "app/Invariant.h"
#include "xls/ByteIo.h"

namespace speclore::xls {

void appendRecord(std::string& out, uint16_t type, std::string_view data) {
    // Records read are checked against the limit, records made fit it.
    SPECLORE_INVARIANT(data.size() <= kMaxRecordData);
    // One growth of the stream a record.
    const size_t at = out.size();
    out.resize(at + 4 + data.size());
    char* record = out.data() + at;
    setU16(record, type);
    setU16(record + 2, static_cast<uint16_t>(data.size()));
    if (!data.empty()) std::memcpy(record + 4, data.data(), data.size());
}

}  // namespace speclore::xls
