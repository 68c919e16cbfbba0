// Writing a worksheet back: its records in order, the cell table in
// Excel's layout of 32-row blocks, DIMENSIONS, INDEX and DBCELL recomputed.
#include <algorithm>
#include <cstring>

#include "app/Invariant.h"
#include "xls/ByteIo.h"
#include "xls/CellFormats.h"
#include "xls/RecordLayout.h"
#include "xls/Worksheet.h"

namespace speclore::xls {

namespace {

constexpr uint32_t kRowCustomHeight = 0x40;  // fUnsynced
constexpr uint32_t kRowAlwaysSet = 0x100;
constexpr uint16_t kRowsPerBlock = 32;
// A full sheet's INDEX, one DBCELL offset a block, fits one record.
static_assert(indexLayout::kDbCells + 4 * (kMaxRows / kRowsPerBlock) <= kMaxRecordData);
constexpr size_t kRowRecordSize = 4 + rowLayout::kSize;

char* putHeader(char* at, uint16_t type, size_t length) {
    setU16(at, type);
    setU16(at + 2, static_cast<uint16_t>(length));
    return at + 4;
}

// Every cell record starts with the cell's row, column and XF.
char* putCellHeader(char* at, uint16_t type, size_t length, uint16_t rowNumber, uint16_t column,
                    uint16_t xf) {
    char* data = putHeader(at, type, length);
    setU16(data, rowNumber);
    setU16(data + 2, column);
    setU16(data + 4, xf);
    return data + 6;
}

}  // namespace

size_t Worksheet::byteEstimate() const {
    size_t size = 0;
    for (const BiffRecord& r : records_) size += 4 + r.data.size();
    for (const Row& row : rows_) size += 20 + size_t{row.cells.count} * 18;
    for (const RawCell& raw : raws_) size += raw.tail.size() + raw.attached.size();
    return size + (rows_.size() / 32 + 1) * 80;
}

std::string Worksheet::dimensions(const std::string& original) const {
    uint32_t rowFirst = UINT32_MAX, rowEnd = 0, colFirst = UINT32_MAX, colEnd = 0;
    if (original.size() >= dimensionsLayout::kSize) {
        const char* d = original.data();
        uint32_t r1 = getU32(d + dimensionsLayout::kFirstRow), r2 = getU32(d + dimensionsLayout::kEndRow);
        uint32_t c1 = getU16(d + dimensionsLayout::kFirstColumn),
                 c2 = getU16(d + dimensionsLayout::kEndColumn);
        if (r2 > r1 && c2 > c1) {
            rowFirst = r1, rowEnd = r2, colFirst = c1, colEnd = c2;
        }
    }
    for (size_t r = 0; r < rows_.size(); ++r) {
        std::span<const Cell> cells = cellsOf(rows_[r]);
        if (cells.empty()) continue;
        rowFirst = std::min<uint32_t>(rowFirst, static_cast<uint32_t>(r));
        rowEnd = std::max<uint32_t>(rowEnd, static_cast<uint32_t>(r) + 1);
        colFirst = std::min<uint32_t>(colFirst, cells.front().column);
        colEnd = std::max<uint32_t>(colEnd, cells.back().column + 1u);
    }
    std::string data;
    bool empty = rowEnd == 0;
    putU32(data, empty ? 0 : rowFirst);
    putU32(data, empty ? 0 : rowEnd);
    putU16(data, static_cast<uint16_t>(empty ? 0 : colFirst));
    putU16(data, static_cast<uint16_t>(empty ? 0 : colEnd));
    putU16(data, 0);
    return data;
}

char* Worksheet::writeRowRecord(char* at, uint16_t rowNumber, const Row& row) const {
    char* data = putHeader(at, rt::Row, rowLayout::kSize);
    if (row.hasRecord) {
        std::memcpy(data, row.record.data(), rowLayout::kSize);
    } else {
        std::memset(data, 0, rowLayout::kSize);
        setU16(data + rowLayout::kHeight, defaultRowHeight_);
        setU32(data + rowLayout::kOptions, (static_cast<uint32_t>(kDefaultCellXf) << 16) | kRowAlwaysSet |
                                               (defaultHeightCustom_ ? kRowCustomHeight : 0));
    }
    setU16(data, rowNumber);
    if (std::span<const Cell> cells = cellsOf(row); !cells.empty()) {
        uint16_t first = cells.front().column;
        uint16_t end = static_cast<uint16_t>(cells.back().column + 1);
        uint16_t oldFirst = getU16(data + rowLayout::kFirstColumn),
                 oldEnd = getU16(data + rowLayout::kEndColumn);
        if (row.hasRecord && oldEnd > oldFirst) {
            first = std::min(first, oldFirst);
            end = std::max(end, oldEnd);
        }
        setU16(data + rowLayout::kFirstColumn, first);
        setU16(data + rowLayout::kEndColumn, end);
    }
    return data + rowLayout::kSize;
}

// Inline, as is writeCell: both run for every cell of the sheet.
inline size_t Worksheet::cellRecordSize(const Cell& cell) const {
    switch (cell.kind) {
    case Kind::Blank: return 10;
    case Kind::Rk:
    case Kind::SharedString: return 14;
    case Kind::Number: return 18;
    case Kind::Raw: break;
    }
    const RawCell& raw = raws_[cell.payload];
    return 10 + raw.tail.size() + raw.attached.size();
}

inline char* Worksheet::writeCell(char* at, uint16_t rowNumber, const Cell& cell) const {
    switch (cell.kind) {
    case Kind::Blank: return putCellHeader(at, rt::Blank, 6, rowNumber, cell.column, cell.xf);
    case Kind::Rk:
    case Kind::SharedString: {
        char* value = putCellHeader(at, cell.kind == Kind::Rk ? rt::Rk : rt::LabelSst, 10, rowNumber,
                                    cell.column, cell.xf);
        setU32(value, static_cast<uint32_t>(cell.payload));
        return value + 4;
    }
    case Kind::Number: {
        char* value = putCellHeader(at, rt::Number, 14, rowNumber, cell.column, cell.xf);
        setU32(value, static_cast<uint32_t>(cell.payload));
        setU32(value + 4, static_cast<uint32_t>(cell.payload >> 32));
        return value + 8;
    }
    case Kind::Raw: break;
    }
    // Kept apart so that the cells above stay small enough to inline.
    return writeRawCell(at, rowNumber, cell);
}

char* Worksheet::writeRawCell(char* at, uint16_t rowNumber, const Cell& cell) const {
    const RawCell& raw = raws_[cell.payload];
    char* tail = putCellHeader(at, raw.type, 6 + raw.tail.size(), rowNumber, cell.column, cell.xf);
    std::memcpy(tail, raw.tail.data(), raw.tail.size());
    std::memcpy(tail + raw.tail.size(), raw.attached.data(), raw.attached.size());
    return tail + raw.tail.size() + raw.attached.size();
}

// Rows in blocks of 32 row numbers: the block's ROW records, its cells row
// by row, then (when the sheet keeps an INDEX) a DBCELL pointing back. A
// block is sized first and written in place: the stream grows once a block,
// not once a record.
uint32_t Worksheet::writeCellTable(std::string& out, std::vector<uint32_t>& dbCells, bool withDbCells) const {
    uint32_t textCells = 0;
    for (size_t blockStart = 0; blockStart < rows_.size(); blockStart += kRowsPerBlock) {
        const size_t blockEnd = std::min(rows_.size(), blockStart + kRowsPerBlock);
        size_t rowCount = 0, cellBytes = 0;
        for (size_t r = blockStart; r < blockEnd; ++r) {
            if (!rows_[r].used()) continue;
            ++rowCount;
            for (const Cell& cell : cellsOf(rows_[r])) cellBytes += cellRecordSize(cell);
        }
        if (rowCount == 0) continue;
        const size_t dbCellBytes = withDbCells ? 4 + 4 + 2 * rowCount : 0;
        const size_t blockAt = out.size();
        out.resize(blockAt + rowCount * kRowRecordSize + cellBytes + dbCellBytes);
        char* const stream = out.data();
        char* at = stream + blockAt;
        for (size_t r = blockStart; r < blockEnd; ++r)
            if (rows_[r].used()) at = writeRowRecord(at, static_cast<uint16_t>(r), rows_[r]);
        char* const dbCell = stream + out.size() - dbCellBytes;
        char* offset = dbCell + 8;
        // The first row's cells are counted from the end of the first ROW
        // record, each later row's from the previous row's first cell.
        const char* anchor = stream + blockAt + kRowRecordSize;
        for (size_t r = blockStart; r < blockEnd; ++r) {
            if (!rows_[r].used()) continue;
            std::span<const Cell> cells = cellsOf(rows_[r]);
            if (withDbCells) {
                setU16(offset, cells.empty() ? 0 : static_cast<uint16_t>(at - anchor));
                offset += 2;
                if (!cells.empty()) anchor = at;
            }
            for (const Cell& cell : cells) {
                at = writeCell(at, static_cast<uint16_t>(r), cell);
                textCells += cell.kind == Kind::SharedString;
            }
        }
        if (withDbCells) {
            setU32(putHeader(at, rt::DbCell, dbCellBytes - 4),
                   static_cast<uint32_t>(dbCell - (stream + blockAt)));
            dbCells.push_back(static_cast<uint32_t>(dbCell - stream));
            at = offset;
        }
        SPECLORE_INVARIANT(at == stream + out.size());
    }
    return textCells;
}

uint32_t Worksheet::write(std::string& out) const {
    size_t indexAt = SIZE_MAX, defColWidthAt = 0, indexBlocks = 0;
    uint32_t textCells = 0;
    std::vector<uint32_t> dbCells;
    for (size_t i = 0; i <= records_.size(); ++i) {
        if (i == tableAt_) textCells = writeCellTable(out, dbCells, indexRecord_ != SIZE_MAX);
        if (i == records_.size()) break;
        const BiffRecord& r = records_[i];
        if (i == indexRecord_) {
            indexAt = out.size();
            for (size_t b = 0; b < rows_.size(); b += kRowsPerBlock)
                for (size_t r2 = b; r2 < std::min(rows_.size(), b + kRowsPerBlock); ++r2)
                    if (rows_[r2].used()) {
                        ++indexBlocks;
                        break;
                    }
            appendRecord(out, rt::Index, std::string(indexLayout::kDbCells + 4 * indexBlocks, '\0'));
            continue;
        }
        if (i == dimensionsRecord_) {
            appendRecord(out, rt::Dimensions, dimensions(r.data));
            continue;
        }
        if (i == defColWidthRecord_) defColWidthAt = out.size();
        appendRecord(out, r.type, r.data);
    }
    if (indexAt == SIZE_MAX) return textCells;
    // The INDEX record was sized for one DBCELL a block of rows.
    SPECLORE_INVARIANT(dbCells.size() == indexBlocks);
    char* index = out.data() + indexAt + 4;
    uint32_t rowFirst = 0, rowEnd = 0;
    for (size_t r = 0; r < rows_.size(); ++r) {
        if (!rows_[r].used()) continue;
        if (rowEnd == 0) rowFirst = static_cast<uint32_t>(r);
        rowEnd = static_cast<uint32_t>(r) + 1;
    }
    setU32(index + indexLayout::kFirstRow, rowFirst);
    setU32(index + indexLayout::kEndRow, rowEnd);
    setU32(index + indexLayout::kDefColWidthPosition, static_cast<uint32_t>(defColWidthAt));
    for (size_t b = 0; b < dbCells.size(); ++b) setU32(index + indexLayout::kDbCells + 4 * b, dbCells[b]);
    return textCells;
}

}  // namespace speclore::xls
