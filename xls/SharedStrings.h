// The shared string table (SST): every text cell's string, read from the
// SST record and its CONTINUE records and written back with the splitting
// rules of the format, followed by a fresh EXTSST.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "xls/BiffRecord.h"

namespace speclore::xls {

class SharedStrings {
public:
    // `records` are the SST record and the CONTINUE records after it.
    void read(const std::vector<const BiffRecord*>& records);

    size_t size() const { return entries_.size(); }
    std::u16string_view text(uint32_t index) const;
    // About the bytes write() produces, to size the output once.
    size_t byteEstimate() const { return characters_.size() * 2 + entries_.size() * 8 + 1024; }

    // The index of a plain string with this text, appended if new.
    uint32_t intern(std::u16string_view text);

    // Cells are written in UTF-8. A text remembered with its index is found
    // again by its UTF-8 bytes, without converting it anew.
    static uint32_t hashUtf8(std::string_view utf8);
    std::optional<uint32_t> findUtf8(std::string_view utf8, uint32_t hash) const;
    void rememberUtf8(std::string_view utf8, uint32_t hash, uint32_t index);

    // Appends SST, CONTINUE and EXTSST records to the stream `out`; offsets
    // in EXTSST are positions in `out`. `totalReferences` is the number of
    // text cells in the workbook.
    void write(std::string& out, uint32_t totalReferences) const;

private:
    static constexpr uint32_t kPlain = UINT32_MAX;
    struct Entry {
        uint32_t start;  // in characters_
        uint32_t length;
        uint32_t rich;  // index in rich_, or kPlain
    };
    struct RichParts {
        std::string runs;      // formatting runs, 4 bytes each
        std::string phonetic;  // ExtRst bytes
    };

    // All texts side by side: one allocation instead of one per string.
    std::u16string characters_;
    std::vector<Entry> entries_;
    std::vector<RichParts> rich_;
    // Open addressing over the plain strings; the hash kept in the slot
    // spares a visit to the text for most mismatches.
    struct Slot {
        uint32_t hash;
        uint32_t entryPlusOne;  // 0: free
    };
    std::vector<Slot> slots_;
    size_t plainCount_ = 0;
    // The remembered UTF-8 texts side by side, found through their own
    // open-addressing table.
    struct Utf8Slot {
        uint32_t hash;
        uint32_t entryPlusOne;  // 0: free
        uint32_t start;         // in utf8Texts_
        uint32_t length;
    };
    std::string utf8Texts_;
    std::vector<Utf8Slot> utf8Slots_;
    size_t utf8Count_ = 0;

    uint32_t add(std::u16string_view text, uint32_t hash, uint32_t rich);
    void insertSlot(Slot slot);
    void grow();
    void growUtf8();
};

}  // namespace speclore::xls
