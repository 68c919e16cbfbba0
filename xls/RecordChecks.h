// Checks that a workbook's records hang together before the engine edits
// it: records of a fixed size have that size, CONTINUE follows only records
// that may run on, the records readers parse hold what their counts and
// lengths announce, and every index into the globals (XFs, fonts, shared
// strings, sheets, EXTERNSHEET entries) names something that exists. A
// damaged template then raises error 1004 instead of going into a workbook
// that other readers refuse.
#pragma once

#include <cstddef>
#include <string_view>
#include <vector>

#include "xls/BiffRecord.h"

namespace speclore::xls {

// What the sheets' checks need to know of the globals.
struct GlobalFacts {
    size_t sheets = 0;
    size_t strings = 0;  // cstUnique of the SST
    size_t xfs = 0;
};

// Any substream: lengths that fit the types, CONTINUE only where one may
// stand, and nothing longer than a record can be.
void checkRecordChain(const std::vector<BiffRecord>& records);

// The workbook globals; gives what the sheets are checked against.
GlobalFacts checkGlobalRecords(const std::vector<BiffRecord>& globals);

// A worksheet substream's cells, rows and columns against the globals.
void checkWorksheetRecords(const std::vector<BiffRecord>& records, const GlobalFacts& globals);

// UTF-16 without unpaired surrogates: text every reader can decode.
bool isWellFormedUtf16(std::u16string_view text);

}  // namespace speclore::xls
