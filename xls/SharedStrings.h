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
    std::u16string text(uint32_t index) const;
    // About the bytes write() produces, to size the output once.
    size_t byteEstimate() const { return characters_.size() * 2 + keys_.size() + entries_.size() * 8 + 1024; }

    // The index of a plain string with this text, appended if new.
    uint32_t intern(std::u16string_view text);
    // The same for a text in UTF-8, as cells are written, whose malformed
    // sequences read as U+FFFD. A text already in the table is found by its
    // bytes, without converting it. nullopt, and nothing appended, when the
    // text is longer than `maxLength` characters.
    std::optional<uint32_t> internUtf8(std::string_view utf8, size_t maxLength);

    // Appends SST, CONTINUE and EXTSST records to the stream `out`; offsets
    // in EXTSST are positions in `out`. `totalReferences` is the number of
    // text cells in the workbook; it lies kTotalReferencesAt bytes from the
    // start of what is appended, for a writer that learns it later.
    void write(std::string& out, uint32_t totalReferences) const;
    static constexpr size_t kTotalReferencesAt = 4;

private:
    // What a string is: with formatting runs or a phonetic guide (an index
    // in rich_), or plain, its characters in characters_ or, for a cell's
    // ASCII text, its UTF-8 form in keys_: ASCII bytes are the characters as
    // written, so such a text is neither converted nor kept twice.
    static constexpr uint32_t kPlain = UINT32_MAX;
    static constexpr uint32_t kPlainAscii = UINT32_MAX - 1;
    struct Entry {
        uint32_t start;  // in characters_, or keys_ for kPlainAscii
        uint32_t length;
        uint32_t form;  // index in rich_, kPlain or kPlainAscii

        bool plain() const { return form == kPlain || form == kPlainAscii; }
    };
    struct RichParts {
        std::string runs;      // formatting runs, 4 bytes each
        std::string phonetic;  // ExtRst bytes
    };

    // All texts side by side: one allocation instead of one per string.
    std::u16string characters_;
    std::vector<Entry> entries_;
    std::vector<RichParts> rich_;
    // The plain strings are found by the UTF-8 form of their text (kept
    // side by side in keys_), so that a cell's text needs no conversion to
    // be found: open addressing, the hash kept in the slot sparing a visit
    // to the text for most mismatches.
    struct Slot {
        uint32_t hash;
        uint32_t entryPlusOne;  // 0: free
        uint32_t keyStart;      // in keys_
        uint32_t keyLength;
    };
    std::vector<Slot> slots_;
    std::string keys_;
    size_t plainCount_ = 0;
    std::string scratch_;

    // The slot of the plain string with this UTF-8 form, or the free slot
    // where it would go.
    size_t slotFor(std::string_view utf8, uint32_t hash) const;
    // Adds a string; a plain one goes into slot `at` (SIZE_MAX: none) under
    // its UTF-8 form, appended to keys_.
    uint32_t addEntry(Entry entry, std::string_view utf8, uint32_t hash, size_t at);
    uint32_t internByKey(std::string_view utf8, std::u16string_view text);
    // Keeps the table at most half full, so that probes stay short.
    void makeRoomForOneMore() {
        if ((plainCount_ + 1) * 2 > slots_.size()) growSlots();
    }
    void growSlots();
};

}  // namespace speclore::xls
