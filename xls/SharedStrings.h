// The shared string table (SST): every text cell's string, read from the
// SST record and its CONTINUE records and written back with the splitting
// rules of the format, followed by a fresh EXTSST.
#pragma once

#include <cstdint>
#include <deque>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "xls/BiffRecord.h"

namespace speclore::xls {

class SharedStrings {
public:
    // `records` are the SST record and the CONTINUE records after it.
    void read(const std::vector<const BiffRecord*>& records);

    size_t size() const { return entries_.size(); }
    const std::u16string& text(uint32_t index) const { return entries_[index].text; }

    // The index of a plain string with this text, appended if new.
    uint32_t intern(std::u16string_view text);

    // Appends SST, CONTINUE and EXTSST records to the stream `out`; offsets
    // in EXTSST are positions in `out`. `totalReferences` is the number of
    // text cells in the workbook.
    void write(std::string& out, uint32_t totalReferences) const;

private:
    struct Entry {
        std::u16string text;
        std::string runs;       // formatting runs, 4 bytes each
        std::string phonetic;   // ExtRst bytes
    };
    std::deque<Entry> entries_;  // stable addresses for the lookup's views
    std::unordered_map<std::u16string_view, uint32_t> plainLookup_;
};

}  // namespace speclore::xls
