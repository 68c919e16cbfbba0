#include "xls/BiffRecord.h"

#include "app/Invariant.h"
#include "xls/ByteIo.h"

namespace speclore::xls {

void appendRecord(std::string& out, uint16_t type, std::string_view data) {
    // Records read are checked against the limit, records made fit it.
    SPECLORE_INVARIANT(data.size() <= kMaxRecordData);
    putU16(out, type);
    putU16(out, static_cast<uint16_t>(data.size()));
    out.append(data);
}

}  // namespace speclore::xls
