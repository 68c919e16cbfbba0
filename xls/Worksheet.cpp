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

constexpr uint32_t kRowHasXf = 0x80;  // fGhostDirty: the row's XF applies
constexpr int32_t kRkMin = -536870912;
constexpr int32_t kRkMax = 536870911;

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

void Worksheet::addRows(uint16_t last) {
    // Sheets are written row after row: mostly the next row, in line.
    if (last == rows_.size())
        rows_.emplace_back();
    else
        rows_.resize(last + 1u);
}

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

// Inline: every new cell starts from it.
inline uint16_t Worksheet::emptyCellXf(const Row& row, uint16_t column) const {
    if (row.hasRecord) {
        uint32_t flags = getU32(row.record.data() + rowLayout::kOptions);
        if (flags & kRowHasXf) return static_cast<uint16_t>((flags >> 16) & 0x0FFF);
    }
    return columnXf_[column];
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

}  // namespace speclore::xls
