#include "xls/Worksheet.h"

#include <algorithm>
#include <cstring>

#include "app/Invariant.h"
#include "workbook/WorkbookError.h"
#include "xls/ByteIo.h"
#include "xls/CellFormats.h"
#include "xls/RecordLayout.h"

namespace speclore::xls {

namespace {

constexpr uint32_t kRowHasXf = 0x80;         // fGhostDirty: the row's XF applies
constexpr uint32_t kRowCustomHeight = 0x40;  // fUnsynced
constexpr uint32_t kRowAlwaysSet = 0x100;
constexpr int32_t kRkMin = -536870912;
constexpr int32_t kRkMax = 536870911;
constexpr uint16_t kRowsPerBlock = 32;
// A full sheet's INDEX, one DBCELL offset a block, fits one record.
static_assert(indexLayout::kDbCells + 4 * (kMaxRows / kRowsPerBlock) <= kMaxRecordData);

bool isCellRecord(uint16_t type) {
    switch (type) {
    case rt::Blank:
    case rt::BoolErr:
    case rt::Formula:
    case rt::Label:
    case rt::LabelSst:
    case rt::MulBlank:
    case rt::MulRk:
    case rt::Number:
    case rt::Rk:
    case rt::RString:
    case rt::Row:
    case rt::DbCell: return true;
    default: return false;
    }
}

// Records that belong to the cell record before them.
bool isAttachedRecord(uint16_t type) {
    return type == rt::String || type == rt::ShrFmla || type == rt::Array || type == rt::Table ||
           type == rt::Continue;
}

void requireLength(const BiffRecord& r, size_t n) {
    if (r.data.size() < n) workbook::throwUnreadable("セルのレコードが短すぎます");
}

uint16_t checkedColumn(uint32_t column) {
    if (column >= kMaxColumns) workbook::throwUnreadable("セルの列番号が範囲外です");
    return static_cast<uint16_t>(column);
}

template <class Cells>
auto columnPosition(Cells& cells, uint16_t column) {
    return std::lower_bound(cells.begin(), cells.end(), column,
                            [](const auto& c, uint16_t wanted) { return c.column < wanted; });
}

}  // namespace

Worksheet::Worksheet(std::vector<BiffRecord> records) {
    columnXf_.fill(kDefaultCellXf);
    const bool hasCellTable = takeRecords(std::move(records));
    if (!hasCellTable) placeEmptyCellTable();
    addMissingDimensions();
    addMissingDefColWidth();
}

bool Worksheet::takeRecords(std::vector<BiffRecord> records) {
    records_.reserve(records.size());
    int depth = 0;
    bool lastWasRawCell = false;
    bool tableFound = false;
    for (auto& record : records) {
        if (record.type == rt::Bof) ++depth;
        bool top = depth == 1 && record.type != rt::Bof;
        if (record.type == rt::Eof) --depth;
        if (top && isCellRecord(record.type)) {
            if (!tableFound) tableAt_ = records_.size();
            tableFound = true;
            takeCellRecord(record, lastWasRawCell);
            continue;
        }
        if (top && lastWasRawCell && isAttachedRecord(record.type)) {
            appendRecord(raws_.back().attached, record.type, record.data);
            continue;
        }
        lastWasRawCell = false;
        if (top && !noteSheetRecord(record)) continue;
        records_.push_back(std::move(record));
    }
    return tableFound;
}

bool Worksheet::noteSheetRecord(const BiffRecord& record) {
    switch (record.type) {
    case rt::Index:
        // One INDEX is rebuilt; a second one could only be stale.
        if (indexRecord_ != SIZE_MAX) return false;
        indexRecord_ = records_.size();
        break;
    case rt::Dimensions: dimensionsRecord_ = records_.size(); break;
    case rt::DefColWidth: defColWidthRecord_ = records_.size(); break;
    case rt::ColInfo:
        if (record.data.size() >= colInfoLayout::kFixedSize) {
            const char* d = record.data.data();
            uint16_t first = getU16(d + colInfoLayout::kFirstColumn),
                     last = getU16(d + colInfoLayout::kLastColumn);
            uint16_t xf = getU16(d + colInfoLayout::kXf);
            for (uint32_t c = first; c <= last && c < kMaxColumns; ++c) columnXf_[c] = xf;
        }
        break;
    case rt::DefaultRowHeight:
        if (record.data.size() >= defaultRowHeightLayout::kSize) {
            defaultHeightCustom_ = (getU16(record.data.data() + defaultRowHeightLayout::kFlags) & 1) != 0;
            defaultRowHeight_ = getU16(record.data.data() + defaultRowHeightLayout::kHeight);
        }
        break;
    default: break;
    }
    return true;
}

void Worksheet::placeEmptyCellTable() {
    // New cells go right after DIMENSIONS; a sheet without one gets one
    // before its window settings or its EOF.
    if (dimensionsRecord_ != SIZE_MAX) {
        tableAt_ = dimensionsRecord_ + 1;
        return;
    }
    tableAt_ = records_.size() - 1;
    for (size_t i = 1; i < records_.size(); ++i)
        if (records_[i].type == rt::Window2 || records_[i].type == rt::Eof) {
            tableAt_ = i;
            break;
        }
}

void Worksheet::addMissingDimensions() {
    if (dimensionsRecord_ != SIZE_MAX) return;
    insertRecord(tableAt_, {rt::Dimensions, {}});
    dimensionsRecord_ = tableAt_ - 1;
}

void Worksheet::addMissingDefColWidth() {
    // INDEX points at DEFCOLWIDTH; a sheet that keeps an INDEX but lacks
    // the record gets one with Excel's default width of 8 characters.
    if (indexRecord_ == SIZE_MAX || defColWidthRecord_ != SIZE_MAX) return;
    size_t at = dimensionsRecord_;
    for (size_t i = indexRecord_; i < dimensionsRecord_; ++i)
        if (records_[i].type == rt::ColInfo) {
            at = i;
            break;
        }
    std::string width;
    putU16(width, 8);
    insertRecord(at, {rt::DefColWidth, width});
    defColWidthRecord_ = at;
}

// Inserts a record before position `at`, keeping the remembered positions.
void Worksheet::insertRecord(size_t at, BiffRecord record) {
    records_.insert(records_.begin() + static_cast<long>(at), std::move(record));
    for (size_t* position : {&tableAt_, &indexRecord_, &dimensionsRecord_, &defColWidthRecord_})
        if (*position != SIZE_MAX && *position >= at) ++*position;
}

void Worksheet::takeCellRecord(const BiffRecord& r, bool& lastWasRawCell) {
    lastWasRawCell = false;
    const char* d = r.data.data();
    switch (r.type) {
    case rt::DbCell: return;  // rebuilt on writing
    case rt::Row: {
        requireLength(r, rowLayout::kSize);
        Row& row = rowFor(getU16(d));
        row.hasRecord = true;
        std::memcpy(row.record.data(), d, rowLayout::kSize);
        return;
    }
    case rt::MulRk:
    case rt::MulBlank: {
        size_t unit = r.type == rt::MulRk ? 6 : 2;
        requireLength(r, 6);
        if ((r.data.size() - 6) % unit != 0) workbook::throwUnreadable("MULRK/MULBLANK の長さが不正です");
        uint16_t rowNumber = getU16(d), first = getU16(d + 2);
        size_t count = (r.data.size() - 6) / unit;
        for (size_t i = 0; i < count; ++i) {
            const char* p = d + 4 + i * unit;
            Cell cell{checkedColumn(first + static_cast<uint32_t>(i)), getU16(p), Kind::Blank, 0};
            if (r.type == rt::MulRk) {
                cell.kind = Kind::Rk;
                cell.payload = getU32(p + 2);
            }
            putCell(rowNumber, cell);
        }
        return;
    }
    default: break;
    }
    requireLength(r, 6);
    Cell cell{checkedColumn(getU16(d + 2)), getU16(d + 4), Kind::Raw, 0};
    switch (r.type) {
    case rt::Blank: cell.kind = Kind::Blank; break;
    case rt::Rk:
        requireLength(r, 10);
        cell.kind = Kind::Rk;
        cell.payload = getU32(d + 6);
        break;
    case rt::Number:
        requireLength(r, 14);
        cell.kind = Kind::Number;
        cell.payload = getU32(d + 6) | (static_cast<uint64_t>(getU32(d + 10)) << 32);
        break;
    case rt::LabelSst:
        requireLength(r, 10);
        cell.kind = Kind::SharedString;
        cell.payload = getU32(d + 6);
        break;
    default:
        cell.payload = raws_.size();
        raws_.push_back({r.type, r.data.substr(6), {}});
        lastWasRawCell = true;
        break;
    }
    putCell(getU16(d), cell);
}

void Worksheet::addRows(uint16_t last) { rows_.resize(last + 1u); }

void Worksheet::putCell(uint16_t rowNumber, Cell cell) {
    Row& row = rowFor(rowNumber);
    std::span<Cell> cells = cellsOf(row);
    auto at = columnPosition(cells, cell.column);
    if (at != cells.end() && at->column == cell.column)
        *at = cell;  // a later record wins
    else
        cells_.insert(row.cells, static_cast<size_t>(at - cells.begin()), cell);
}

Worksheet::Cell* Worksheet::find(CellAddress address) {
    if (address.row >= rows_.size()) return nullptr;
    std::span<Cell> cells = cellsOf(rows_[address.row]);
    auto at = columnPosition(cells, address.column);
    return at != cells.end() && at->column == address.column ? &*at : nullptr;
}

Worksheet::Cell& Worksheet::findOrCreate(CellAddress address) {
    Row& row = rowFor(address.row);
    std::span<Cell> cells = cellsOf(row);
    // The run writes each row from left to right: a new cell mostly goes last.
    size_t at = cells.size();
    if (!cells.empty() && cells.back().column >= address.column) {
        at = static_cast<size_t>(columnPosition(cells, address.column) - cells.begin());
        if (cells[at].column == address.column) return cells[at];
    }
    return cells_.insert(row.cells, at,
                         Cell{address.column, emptyCellXf(row, address.column), Kind::Blank, 0});
}

uint16_t Worksheet::emptyCellXf(const Row& row, uint16_t column) const {
    if (row.hasRecord) {
        uint32_t flags = getU32(row.record.data() + rowLayout::kOptions);
        if (flags & kRowHasXf) return static_cast<uint16_t>((flags >> 16) & 0x0FFF);
    }
    return columnXf_[column];
}

uint16_t Worksheet::cellXf(CellAddress address) const {
    if (address.row >= rows_.size()) return columnXf_[address.column];
    const Row& row = rows_[address.row];
    std::span<const Cell> cells = cellsOf(row);
    auto at = columnPosition(cells, address.column);
    if (at != cells.end() && at->column == address.column) return at->xf;
    return emptyCellXf(row, address.column);
}

void Worksheet::setSharedString(CellAddress address, uint32_t sstIndex) {
    Cell& cell = findOrCreate(address);
    cell.kind = Kind::SharedString;
    cell.payload = sstIndex;
}

void Worksheet::setNumber(CellAddress address, int32_t number) {
    Cell& cell = findOrCreate(address);
    if (number >= kRkMin && number <= kRkMax) {
        cell.kind = Kind::Rk;
        cell.payload = (static_cast<uint32_t>(number) << 2) | 2u;
    } else {
        double value = number;
        uint64_t bits;
        std::memcpy(&bits, &value, sizeof bits);
        cell.kind = Kind::Number;
        cell.payload = bits;
    }
}

void Worksheet::clearValue(CellAddress address) {
    Cell* cell = find(address);
    if (!cell) return;
    Row& row = rows_[address.row];
    // A cell with the format it would show anyway needs no record at all.
    if (emptyCellXf(row, address.column) == cell->xf) {
        cells_.erase(row.cells, static_cast<size_t>(cell - cellsOf(row).data()));
        return;
    }
    cell->kind = Kind::Blank;
    cell->payload = 0;
}

void Worksheet::setXf(CellAddress address, uint16_t xf) {
    if (Cell* cell = find(address)) {
        cell->xf = xf;
        return;
    }
    // A cell with the format it would show anyway needs no record.
    if (address.row < rows_.size() ? emptyCellXf(rows_[address.row], address.column) == xf
                                   : columnXf_[address.column] == xf)
        return;
    findOrCreate(address).xf = xf;
}

void Worksheet::rowXfs(CellAddress first, std::span<uint32_t> xfs) const {
    if (first.row >= rows_.size()) {
        for (size_t k = 0; k < xfs.size(); ++k) xfs[k] = columnXf_[first.column + k];
        return;
    }
    const Row& row = rows_[first.row];
    std::span<const Cell> cells = cellsOf(row);
    auto cell = columnPosition(cells, first.column);
    for (size_t k = 0; k < xfs.size(); ++k) {
        const auto column = static_cast<uint16_t>(first.column + k);
        if (cell != cells.end() && cell->column == column)
            xfs[k] = (cell++)->xf;
        else
            xfs[k] = emptyCellXf(row, column);
    }
}

void Worksheet::setRowXfs(CellAddress first, std::span<const uint32_t> xfs) {
    if (std::all_of(xfs.begin(), xfs.end(), [](uint32_t xf) { return xf == kKeepXf; })) return;
    Row& row = rowFor(first.row);
    std::span<Cell> cells = cellsOf(row);
    size_t at = static_cast<size_t>(columnPosition(cells, first.column) - cells.begin());
    for (size_t k = 0; k < xfs.size(); ++k) {
        const auto column = static_cast<uint16_t>(first.column + k);
        const bool exists = at < cells.size() && cells[at].column == column;
        if (xfs[k] != kKeepXf) {
            const auto xf = static_cast<uint16_t>(xfs[k]);
            if (exists) {
                cells[at].xf = xf;
            } else if (emptyCellXf(row, column) != xf) {
                // A cell with the format it would show anyway needs no record.
                cells_.insert(row.cells, at, Cell{column, xf, Kind::Blank, 0});
                cells = cellsOf(row);
                ++at;
            }
        }
        if (exists) ++at;
    }
}

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

void Worksheet::writeRowRecord(std::string& out, uint16_t rowNumber, const Row& row) const {
    char data[rowLayout::kSize];
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
    appendRecord(out, rt::Row, std::string_view(data, rowLayout::kSize));
}

size_t Worksheet::cellRecordSize(const Cell& cell) const {
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

char* Worksheet::writeCell(char* at, uint16_t rowNumber, const Cell& cell) const {
    auto header = [&](uint16_t type, uint16_t length) {
        setU16(at, type);
        setU16(at + 2, length);
        setU16(at + 4, rowNumber);
        setU16(at + 6, cell.column);
        setU16(at + 8, cell.xf);
        return at + 10;
    };
    switch (cell.kind) {
    case Kind::Blank: return header(rt::Blank, 6);
    case Kind::Rk:
    case Kind::SharedString: {
        char* value = header(cell.kind == Kind::Rk ? rt::Rk : rt::LabelSst, 10);
        setU32(value, static_cast<uint32_t>(cell.payload));
        return value + 4;
    }
    case Kind::Number: {
        char* value = header(rt::Number, 14);
        setU32(value, static_cast<uint32_t>(cell.payload));
        setU32(value + 4, static_cast<uint32_t>(cell.payload >> 32));
        return value + 8;
    }
    case Kind::Raw: break;
    }
    const RawCell& raw = raws_[cell.payload];
    char* tail = header(raw.type, static_cast<uint16_t>(6 + raw.tail.size()));
    std::memcpy(tail, raw.tail.data(), raw.tail.size());
    std::memcpy(tail + raw.tail.size(), raw.attached.data(), raw.attached.size());
    return tail + raw.tail.size() + raw.attached.size();
}

uint32_t Worksheet::writeRowCells(std::string& out, uint16_t rowNumber, const Row& row) const {
    // A row's records are sized first and then put in place, one growth of
    // the stream a row rather than one append a cell.
    size_t bytes = 0;
    uint32_t textCells = 0;
    std::span<const Cell> cells = cellsOf(row);
    for (const Cell& cell : cells) {
        bytes += cellRecordSize(cell);
        textCells += cell.kind == Kind::SharedString;
    }
    const size_t start = out.size();
    out.resize(start + bytes);
    char* at = out.data() + start;
    for (const Cell& cell : cells) at = writeCell(at, rowNumber, cell);
    SPECLORE_INVARIANT(at == out.data() + out.size());
    return textCells;
}

// Rows in blocks of 32 row numbers: the block's ROW records, its cells row
// by row, then (when the sheet keeps an INDEX) a DBCELL pointing back.
uint32_t Worksheet::writeCellTable(std::string& out, std::vector<uint32_t>& dbCells, bool withDbCells) const {
    uint32_t textCells = 0;
    std::vector<uint32_t> cellStarts;
    for (size_t blockStart = 0; blockStart < rows_.size(); blockStart += kRowsPerBlock) {
        size_t blockEnd = std::min(rows_.size(), blockStart + kRowsPerBlock);
        size_t firstRowRecord = out.size();
        size_t rowCount = 0;
        for (size_t r = blockStart; r < blockEnd; ++r) {
            const Row& row = rows_[r];
            if (!row.used()) continue;
            writeRowRecord(out, static_cast<uint16_t>(r), row);
            ++rowCount;
        }
        if (rowCount == 0) continue;
        cellStarts.clear();
        for (size_t r = blockStart; r < blockEnd; ++r) {
            const Row& row = rows_[r];
            if (!row.used()) continue;
            cellStarts.push_back(row.cells.count == 0 ? UINT32_MAX : static_cast<uint32_t>(out.size()));
            textCells += writeRowCells(out, static_cast<uint16_t>(r), row);
        }
        if (!withDbCells) continue;
        std::string data;
        auto position = static_cast<uint32_t>(out.size());
        putU32(data, static_cast<uint32_t>(position - firstRowRecord));
        // The first row's cells are counted from the end of the first ROW
        // record, each later row's from the previous row's first cell.
        uint32_t anchor = static_cast<uint32_t>(firstRowRecord + 4 + rowLayout::kSize);
        for (uint32_t start : cellStarts) {
            if (start == UINT32_MAX) {
                putU16(data, 0);
                continue;
            }
            putU16(data, static_cast<uint16_t>(start - anchor));
            anchor = start;
        }
        dbCells.push_back(position);
        appendRecord(out, rt::DbCell, data);
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
