// Where the fields of the records the engine edits lie: a field is a run of
// bits inside a little-endian word at a byte offset of the record's data.
#pragma once

#include <cstddef>
#include <cstdint>

#include "xls/ByteIo.h"

namespace speclore::xls {

struct BitField {
    uint8_t offset;  // of the word holding the field
    uint8_t bytes;   // the word's size: 1, 2 or 4
    uint8_t shift;
    uint32_t mask;  // the field's bits, after shifting down

    constexpr size_t end() const { return offset + size_t{bytes}; }
};

inline uint32_t readWord(const char* record, const BitField& f) {
    switch (f.bytes) {
    case 1: return static_cast<unsigned char>(record[f.offset]);
    case 2: return getU16(record + f.offset);
    default: return getU32(record + f.offset);
    }
}

inline void writeWord(char* record, const BitField& f, uint32_t word) {
    switch (f.bytes) {
    case 1: record[f.offset] = static_cast<char>(word); break;
    case 2: setU16(record + f.offset, static_cast<uint16_t>(word)); break;
    default: setU32(record + f.offset, word); break;
    }
}

inline uint32_t getField(const char* record, const BitField& f) {
    return (readWord(record, f) >> f.shift) & f.mask;
}

// Sets the field to the low bits of `value`; the word's other bits stay.
inline void setField(char* record, const BitField& f, uint32_t value) {
    const uint32_t word = readWord(record, f);
    writeWord(record, f, (word & ~(f.mask << f.shift)) | ((value & f.mask) << f.shift));
}

// BOF (0809): opens a substream; fields by byte offset.
namespace bofLayout {
inline constexpr size_t kVersion = 0;
inline constexpr size_t kKind = 2;  // globals, worksheet, chart ...
inline constexpr size_t kMinSize = kKind + 2;
}  // namespace bofLayout

// XF (00E0): a cell or style format, 20 bytes.
namespace xfLayout {
inline constexpr size_t kSize = 20;
inline constexpr BitField kFont{0, 2, 0, 0xFFFF};
inline constexpr BitField kLocked{4, 2, 0, 0x1};
inline constexpr BitField kHidden{4, 2, 1, 0x1};
inline constexpr BitField kIsStyle{4, 2, 2, 0x1};
inline constexpr BitField kLotusPrefix{4, 2, 3, 0x1};
inline constexpr BitField kParent{4, 2, 4, 0xFFF};
inline constexpr BitField kHorizontalAlign{6, 1, 0, 0x7};
inline constexpr BitField kWrap{6, 1, 3, 0x1};
inline constexpr BitField kVerticalAlign{6, 1, 4, 0x7};
// The "used attribute" bits: in a cell XF, which groups are its own
// rather than its parent style's.
inline constexpr BitField kUsedFont{9, 1, 3, 0x1};
inline constexpr BitField kUsedAlignment{9, 1, 4, 0x1};
inline constexpr BitField kUsedBorder{9, 1, 5, 0x1};
inline constexpr BitField kUsedPattern{9, 1, 6, 0x1};
inline constexpr BitField kLeftLine{10, 4, 0, 0xF};
inline constexpr BitField kRightLine{10, 4, 4, 0xF};
inline constexpr BitField kTopLine{10, 4, 8, 0xF};
inline constexpr BitField kBottomLine{10, 4, 12, 0xF};
inline constexpr BitField kLeftColor{10, 4, 16, 0x7F};
inline constexpr BitField kRightColor{10, 4, 23, 0x7F};
inline constexpr BitField kTopColor{14, 4, 0, 0x7F};
inline constexpr BitField kBottomColor{14, 4, 7, 0x7F};
// Set when XFEXT records extend this XF.
inline constexpr BitField kHasExtension{14, 4, 25, 0x1};
inline constexpr BitField kFillPattern{14, 4, 26, 0x3F};
inline constexpr BitField kFillForeColor{18, 2, 0, 0x7F};
inline constexpr BitField kFillBackColor{18, 2, 7, 0x7F};

static_assert(kFillBackColor.end() == kSize, "the last field ends the record");
}  // namespace xfLayout

// FONT (0031): the fixed part before the font's name.
namespace fontLayout {
inline constexpr size_t kFixedSize = 14;
inline constexpr BitField kBold{2, 2, 0, 0x1};
inline constexpr BitField kWeight{6, 2, 0, 0xFFFF};
inline constexpr uint16_t kWeightNormal = 400;
inline constexpr uint16_t kWeightBold = 700;
// Index 4 does not exist: record k has index k below 4, k + 1 after.
inline constexpr uint16_t kMissingIndex = 4;

static_assert(kWeight.end() <= kFixedSize);
}  // namespace fontLayout

// ROW (0208): a row's cell span, height and format; fields by byte offset.
namespace rowLayout {
inline constexpr size_t kSize = 16;
inline constexpr size_t kFirstColumn = 2;
inline constexpr size_t kEndColumn = 4;  // one past the last
inline constexpr size_t kHeight = 6;
inline constexpr size_t kOptions = 12;  // flags, and the row's XF in bits 16 to 27
}  // namespace rowLayout

// INDEX (020B): the rows the cell table spans and where its blocks start;
// fields by byte offset.
namespace indexLayout {
inline constexpr size_t kFirstRow = 4;
inline constexpr size_t kEndRow = 8;  // one past the last
inline constexpr size_t kDefColWidthPosition = 12;
inline constexpr size_t kDbCells = 16;  // a 4-byte stream position a block
}  // namespace indexLayout

// DIMENSIONS (0200): the rectangle the cells span, ends one past the last.
namespace dimensionsLayout {
inline constexpr size_t kSize = 14;
inline constexpr size_t kFirstRow = 0;
inline constexpr size_t kEndRow = 4;
inline constexpr size_t kFirstColumn = 8;
inline constexpr size_t kEndColumn = 10;
}  // namespace dimensionsLayout

// COLINFO (007D): the format of a run of columns.
namespace colInfoLayout {
inline constexpr size_t kFixedSize = 8;
inline constexpr size_t kFirstColumn = 0;
inline constexpr size_t kLastColumn = 2;
inline constexpr size_t kXf = 6;
}  // namespace colInfoLayout

// DEFAULTROWHEIGHT (0225): the height of rows without a ROW record.
namespace defaultRowHeightLayout {
inline constexpr size_t kSize = 4;
inline constexpr size_t kFlags = 0;  // bit 0: the height is custom
inline constexpr size_t kHeight = 2;
}  // namespace defaultRowHeightLayout

}  // namespace speclore::xls
