#include "xlsx/SheetPart.h"

#include <algorithm>
#include <charconv>
#include <cstring>

#include "app/Invariant.h"
#include "workbook/WorkbookError.h"
#include "xlsx/CellText.h"
#include "xlsx/XmlPart.h"

namespace speclore::xlsx {

namespace {

// The text of a part goes out in pieces of about this size.
constexpr size_t kPieceBytes = 256 * 1024;
// The most characters a number of the cell table takes.
constexpr size_t kMaxDigits = 11;

// Writes into room measured beforehand.
class Cursor {
public:
    explicit Cursor(char* at) : at_(at) {}
    char* at() const { return at_; }
    void put(std::string_view text) {
        std::memcpy(at_, text.data(), text.size());
        at_ += text.size();
    }
    void put(char c) { *at_++ = c; }
    void number(int64_t value) { at_ = std::to_chars(at_, at_ + kMaxDigits, value).ptr; }
    // "A" for column 0, as in A1 references.
    void columnLetters(uint32_t column) {
        char letters[3];
        size_t count = 0;
        for (uint32_t n = column + 1; n > 0 && count < sizeof letters; n = (n - 1) / 26)
            letters[count++] = static_cast<char>('A' + (n - 1) % 26);
        while (count > 0) *at_++ = letters[--count];
    }

private:
    char* at_;
};

// The most cells a new row is given room for before it has any.
constexpr size_t kMaxReservedCells = 64;

// Inline strings are kept in blocks of this size, each after its length;
// the longest text a cell holds fits one, at seven bytes a character at
// most when escaped ("_x0001_"). A text's block and its place there make
// up the cell's 32-bit payload.
constexpr size_t kTextBlockBits = 18;
constexpr size_t kTextBlockBytes = size_t{1} << kTextBlockBits;
constexpr size_t kMaxTextBlocks = size_t{1} << (32 - kTextBlockBits);
static_assert(sizeof(uint32_t) + 7 * kMaxCellText <= kTextBlockBytes);

// Where the cell table goes when the part is printed again.
constexpr const char* kCellTableMark = "speclore-cell-table";

template <class Items>
auto byNumber(Items& items, uint32_t wanted) {
    return std::lower_bound(items.begin(), items.end(), wanted,
                            [](const auto& item, uint32_t n) { return item.number < n; });
}

template <class Cells>
auto byColumn(Cells& cells, uint32_t wanted) {
    return std::lower_bound(cells.begin(), cells.end(), wanted,
                            [](const auto& cell, uint32_t c) { return cell.column < c; });
}

bool isTrue(std::string_view value) { return value == "1" || value == "true"; }

bool isXmlSpace(char c) { return c == ' ' || c == '\t' || c == '\n' || c == '\r'; }

}  // namespace

SheetPart::SheetPart(const std::string& text, const std::string& partName) {
    parseXmlPart(document_, text, partName, XmlReading::Verbatim);
    pugi::xml_node root = document_.document_element();
    if (localName(root) != "worksheet")
        workbook::throwUnreadable("部品 " + partName + " はワークシートではありません");
    prefix_ = prefixOf(root);
    textOpen_ = " t=\"inlineStr\"><" + prefix_ + "is><" + prefix_ + "t>";
    spacedTextOpen_ = " t=\"inlineStr\"><" + prefix_ + "is><" + prefix_ + "t xml:space=\"preserve\">";
    textClose_ = "</" + prefix_ + "t></" + prefix_ + "is></" + prefix_ + "c>";
    columnXf_.assign(kMaxColumns, 0);
    readColumns(root);
    pugi::xml_node sheetData = childNamed(root, "sheetData");
    if (!sheetData) workbook::throwUnreadable("部品 " + partName + " にセルの表 (sheetData) がありません");
    readCells(sheetData, partName);
    root.insert_child_before(pugi::node_pi, sheetData).set_name(kCellTableMark);
    root.remove_child(sheetData);
}

void SheetPart::readColumns(const pugi::xml_node& root) {
    for (pugi::xml_node cols : root.children()) {
        if (localName(cols) != "cols") continue;
        for (pugi::xml_node col : cols.children()) {
            if (localName(col) != "col") continue;
            unsigned first = col.attribute("min").as_uint(0), last = col.attribute("max").as_uint(0);
            unsigned xf = col.attribute("style").as_uint(0);
            for (unsigned c = std::max(first, 1u); c <= last && c <= kMaxColumns; ++c) columnXf_[c - 1] = xf;
        }
    }
}

void SheetPart::readCells(const pugi::xml_node& sheetData, const std::string& partName) {
    auto bad = [&](const std::string& what) { workbook::throwUnreadable("部品 " + partName + ": " + what); };
    uint32_t nextRow = 0;
    for (pugi::xml_node rowNode : sheetData.children()) {
        if (rowNode.type() != pugi::node_element || localName(rowNode) != "row") continue;
        uint32_t number = nextRow;
        if (pugi::xml_attribute r = rowNode.attribute("r")) {
            unsigned long long given = r.as_ullong(0);
            if (given == 0 || given > kMaxRows) bad(std::string("行番号 ") + r.value() + " が範囲外です");
            number = static_cast<uint32_t>(given - 1);
        }
        if (number >= kMaxRows) bad("行が多すぎます");
        nextRow = number + 1;
        Row& row = rowFor(number);
        if (row.attributes == 0) {
            std::string attributes;
            for (pugi::xml_attribute attribute : rowNode.attributes()) {
                std::string_view name = attribute.name();
                if (name == "r" || name == "spans") continue;
                if (name == "s") row.xf = attribute.as_uint(0);
                if (name == "customFormat") row.hasFormat = isTrue(attribute.value());
                attributes += ' ';
                attributes += name;
                attributes += "=\"";
                attributes += attribute.value();
                attributes += '"';
            }
            if (!attributes.empty()) {
                row.attributes = static_cast<uint32_t>(rowAttributes_.size());
                rowAttributes_.push_back(std::move(attributes));
            }
        }
        uint32_t nextColumn = 0;
        for (pugi::xml_node cellNode : rowNode.children()) {
            if (cellNode.type() != pugi::node_element || localName(cellNode) != "c") continue;
            uint32_t column = nextColumn;
            if (pugi::xml_attribute r = cellNode.attribute("r")) {
                std::optional<CellReference> reference = readCellReference(r.value());
                if (!reference) bad(std::string("セル番地 ") + r.value() + " が不正です");
                column = reference->column;
            }
            if (column >= kMaxColumns) bad("列が多すぎます");
            nextColumn = column + 1;
            KeptCell kept;
            uint32_t xf = 0;
            for (pugi::xml_attribute attribute : cellNode.attributes()) {
                std::string_view name = attribute.name();
                if (name == "r") continue;
                if (name == "s") {
                    xf = attribute.as_uint(0);
                    continue;
                }
                kept.attributes += ' ';
                kept.attributes += name;
                kept.attributes += "=\"";
                kept.attributes += attribute.value();
                kept.attributes += '"';
            }
            for (pugi::xml_node content : cellNode.children()) kept.content += printVerbatim(content);
            Cell cell{column, xf, Kind::Empty, 0};
            if (!kept.attributes.empty() || !kept.content.empty()) {
                cell.kind = Kind::Kept;
                cell.payload = static_cast<uint32_t>(kept_.size());
                kept_.push_back(std::move(kept));
            }
            putCell(row, cell);
        }
    }
}

SheetPart::Row& SheetPart::rowFor(uint32_t number) {
    if (const size_t at = nearLastRow(number); at < rows_.size()) return rows_[lastRow_ = at];
    if (rows_.empty() || rows_.back().number < number) {
        // A row tends to take as many cells as the one above it came to.
        rows_.push_back(newRow(number, rows_.empty() ? 0 : rows_.back().cells.capacity()));
        lastRow_ = rows_.size() - 1;
        return rows_.back();
    }
    auto at = byNumber(rows_, number);
    if (at == rows_.end() || at->number != number) at = rows_.insert(at, newRow(number, 0));
    lastRow_ = static_cast<size_t>(at - rows_.begin());
    return *at;
}

SheetPart::Row SheetPart::newRow(uint32_t number, size_t width) {
    Row row{number, false, 0, 0, std::pmr::vector<Cell>(&cellMemory_)};
    row.cells.reserve(std::min(width, kMaxReservedCells));
    return row;
}

size_t SheetPart::nearLastRow(uint32_t number) const {
    // Calls come row after row, and several for one row; a range goes
    // through its rows from the top.
    if (lastRow_ < rows_.size() && rows_[lastRow_].number == number) return lastRow_;
    if (lastRow_ + 1 < rows_.size() && rows_[lastRow_ + 1].number == number) return lastRow_ + 1;
    if (!rows_.empty() && rows_.back().number == number) return rows_.size() - 1;
    return SIZE_MAX;
}

const SheetPart::Row* SheetPart::findRow(uint32_t number) const {
    if (const size_t at = nearLastRow(number); at < rows_.size()) return &rows_[lastRow_ = at];
    auto at = byNumber(rows_, number);
    if (at == rows_.end() || at->number != number) return nullptr;
    lastRow_ = static_cast<size_t>(at - rows_.begin());
    return &*at;
}

SheetPart::Row* SheetPart::findRow(uint32_t number) {
    return const_cast<Row*>(static_cast<const SheetPart*>(this)->findRow(number));
}

uint32_t SheetPart::keepText(std::string_view xml) {
    const auto length = static_cast<uint32_t>(xml.size());
    if (textBlocks_.empty() || kTextBlockBytes - blockUsed_ < sizeof length + xml.size()) {
        if (textBlocks_.size() == kMaxTextBlocks)
            workbook::throwInvalidArgument("シートの文字列が多すぎます");
        textBlocks_.push_back(std::make_unique_for_overwrite<char[]>(kTextBlockBytes));
        blockUsed_ = 0;
    }
    char* const at = textBlocks_.back().get() + blockUsed_;
    std::memcpy(at, &length, sizeof length);
    std::memcpy(at + sizeof length, xml.data(), xml.size());
    const auto where = static_cast<uint32_t>((textBlocks_.size() - 1) << kTextBlockBits | blockUsed_);
    blockUsed_ += sizeof length + xml.size();
    return where;
}

std::string_view SheetPart::textAt(uint32_t where) const {
    const char* const at = textBlocks_[where >> kTextBlockBits].get() + (where & (kTextBlockBytes - 1));
    uint32_t length = 0;
    std::memcpy(&length, at, sizeof length);
    return {at + sizeof length, length};
}

void SheetPart::putCell(Row& row, Cell cell) {
    auto& cells = row.cells;
    if (cells.empty() || cells.back().column < cell.column) {
        cells.push_back(cell);
        return;
    }
    auto at = byColumn(cells, cell.column);
    if (at != cells.end() && at->column == cell.column)
        *at = cell;  // a later cell of the same address wins
    else
        cells.insert(at, cell);
}

SheetPart::Cell* SheetPart::find(CellReference reference) {
    Row* row = findRow(reference.row);
    if (!row) return nullptr;
    auto& cells = row->cells;
    if (!cells.empty() && cells.back().column == reference.column) return &cells.back();
    auto at = byColumn(cells, reference.column);
    return at != cells.end() && at->column == reference.column ? &*at : nullptr;
}

SheetPart::Cell& SheetPart::findOrCreate(CellReference reference) {
    Row& row = rowFor(reference.row);
    auto& cells = row.cells;
    // A new cell starts with the format it showed: its row's, else its column's.
    const Cell created{reference.column, row.hasFormat ? row.xf : columnXf_[reference.column], Kind::Empty,
                       0};
    if (cells.empty() || cells.back().column < reference.column) return cells.emplace_back(created);
    auto at = byColumn(cells, reference.column);
    if (at != cells.end() && at->column == reference.column) return *at;
    return *cells.insert(at, created);
}

uint32_t SheetPart::cellFormat(CellReference reference) const {
    if (const Row* row = findRow(reference.row)) {
        auto at = byColumn(row->cells, reference.column);
        if (at != row->cells.end() && at->column == reference.column) return at->xf;
        if (row->hasFormat) return row->xf;
    }
    return columnXf_[reference.column];
}

void SheetPart::setText(CellReference reference, std::string_view text) {
    if (text.empty()) {
        clearValue(reference);
        return;
    }
    textScratch_.clear();
    if (appendCellText(textScratch_, text) > kMaxCellText)
        workbook::throwInvalidArgument("セル " + formatCellReference(reference) +
                                       " の文字列が 32767 文字を超えています");
    const uint32_t where = keepText(textScratch_);
    Cell& cell = findOrCreate(reference);
    cell.kind = isXmlSpace(text.front()) || isXmlSpace(text.back()) ? Kind::SpacedText : Kind::Text;
    cell.payload = where;
    changed_ = true;
}

void SheetPart::setNumber(CellReference reference, int32_t number) {
    Cell& cell = findOrCreate(reference);
    cell.kind = Kind::Number;
    cell.payload = static_cast<uint32_t>(number);
    changed_ = true;
}

void SheetPart::clearValue(CellReference reference) {
    Cell* cell = find(reference);
    if (!cell) return;
    changed_ = true;
    uint32_t xf = cell->xf;
    Row& row = *findRow(reference.row);
    row.cells.erase(row.cells.begin() + (cell - row.cells.data()));
    // A cell with the format it would show anyway needs no element at all.
    if (cellFormat(reference) != xf) putCell(row, Cell{reference.column, xf, Kind::Empty, 0});
}

void SheetPart::setFormat(CellReference reference, uint32_t xf) {
    if (Cell* cell = find(reference)) {
        cell->xf = xf;
    } else {
        if (cellFormat(reference) == xf) return;
        putCell(rowFor(reference.row), Cell{reference.column, xf, Kind::Empty, 0});
    }
    changed_ = true;
}

void SheetPart::rowFormats(CellReference first, std::span<uint32_t> xfs) const {
    const Row* row = findRow(first.row);
    size_t at = row ? static_cast<size_t>(byColumn(row->cells, first.column) - row->cells.begin()) : 0;
    for (uint32_t k = 0; k < xfs.size(); ++k) {
        const uint32_t column = first.column + k;
        if (row && at < row->cells.size() && row->cells[at].column == column)
            xfs[k] = row->cells[at++].xf;
        else
            xfs[k] = row && row->hasFormat ? row->xf : columnXf_[column];
    }
}

void SheetPart::setRowFormats(CellReference first, std::span<const uint32_t> xfs) {
    Row* row = findRow(first.row);
    size_t at = row ? static_cast<size_t>(byColumn(row->cells, first.column) - row->cells.begin()) : 0;
    for (uint32_t k = 0; k < xfs.size(); ++k) {
        const uint32_t column = first.column + k;
        const bool exists = row && at < row->cells.size() && row->cells[at].column == column;
        if (xfs[k] == kKeepXf) {
            at += exists ? 1 : 0;
            continue;
        }
        if (exists) {
            row->cells[at++].xf = xfs[k];
            changed_ = true;
            continue;
        }
        // A cell with the format it would show anyway needs no element.
        if ((row && row->hasFormat ? row->xf : columnXf_[column]) == xfs[k]) continue;
        if (!row) row = &rowFor(first.row);
        row->cells.insert(row->cells.begin() + static_cast<std::ptrdiff_t>(at++),
                          Cell{column, xfs[k], Kind::Empty, 0});
        changed_ = true;
    }
}

void SheetPart::writeCells(std::string& out, const PieceSink& sink) const {
    const std::string& p = prefix_;
    if (rows_.empty()) {
        out += "<" + p + "sheetData/>";
        return;
    }
    const std::string rowOpen = "<" + p + "row r=\"", rowClose = "</" + p + "row>";
    const std::string cellOpen = "<" + p + "c", cellClose = "</" + p + "c>";
    const std::string valueOpen = "><" + p + "v>", valueClose = "</" + p + "v>" + cellClose;
    constexpr std::string_view spansOpen = " spans=\"", referenceOpen = " r=\"", formatOpen = " s=\"";
    // The most a row or a cell takes besides its attributes and content.
    const size_t rowRoom =
        rowOpen.size() + kMaxDigits + spansOpen.size() + 2 * kMaxDigits + 4 + rowClose.size();
    const size_t cellRoom = cellOpen.size() + referenceOpen.size() + 3 + kMaxDigits + formatOpen.size() +
                            kMaxDigits + 2 + valueOpen.size() + kMaxDigits + valueClose.size() +
                            spacedTextOpen_.size() + textClose_.size();
    out += "<" + p + "sheetData>";
    for (const Row& row : rows_) {
        if (row.cells.empty() && row.attributes == 0) continue;
        const std::string& attributes = rowAttributes_[row.attributes];
        size_t room = rowRoom + attributes.size() + row.cells.size() * cellRoom;
        for (const Cell& cell : row.cells) {
            if (cell.kind == Kind::Text || cell.kind == Kind::SpacedText) room += textAt(cell.payload).size();
            if (cell.kind == Kind::Kept)
                room += kept_[cell.payload].attributes.size() + kept_[cell.payload].content.size();
        }
        const size_t used = out.size();
        out.resize(used + room);
        Cursor to(out.data() + used);
        // Every cell's reference repeats the row's number.
        char digits[kMaxDigits];
        const std::string_view number(
            digits,
            static_cast<size_t>(std::to_chars(digits, digits + sizeof digits, row.number + 1).ptr - digits));
        to.put(rowOpen);
        to.put(number);
        to.put('"');
        if (!row.cells.empty()) {
            to.put(spansOpen);
            to.number(row.cells.front().column + 1);
            to.put(':');
            to.number(row.cells.back().column + 1);
            to.put('"');
        }
        to.put(attributes);
        if (row.cells.empty()) {
            to.put("/>");
        } else {
            to.put('>');
            // A cell right after the one before it in its row needs no
            // address: readers take the next column, as for a cell without
            // one. Unique addresses are most of what deflate cannot shrink.
            uint32_t nextColumn = UINT32_MAX;
            for (const Cell& cell : row.cells) {
                to.put(cellOpen);
                if (cell.column != nextColumn) {
                    to.put(referenceOpen);
                    to.columnLetters(cell.column);
                    to.put(number);
                    to.put('"');
                }
                nextColumn = cell.column + 1;
                if (cell.xf != 0) {
                    to.put(formatOpen);
                    to.number(cell.xf);
                    to.put('"');
                }
                switch (cell.kind) {
                case Kind::Empty: to.put("/>"); break;
                case Kind::Number:
                    to.put(valueOpen);
                    to.number(static_cast<int32_t>(cell.payload));
                    to.put(valueClose);
                    break;
                case Kind::Text:
                case Kind::SpacedText:
                    to.put(cell.kind == Kind::Text ? textOpen_ : spacedTextOpen_);
                    to.put(textAt(cell.payload));
                    to.put(textClose_);
                    break;
                case Kind::Kept: {
                    const KeptCell& kept = kept_[cell.payload];
                    to.put(kept.attributes);
                    if (kept.content.empty()) {
                        to.put("/>");
                    } else {
                        to.put('>');
                        to.put(kept.content);
                        to.put(cellClose);
                    }
                    break;
                }
                }
            }
            to.put(rowClose);
        }
        out.resize(static_cast<size_t>(to.at() - out.data()));
        if (out.size() >= kPieceBytes) {
            sink(out);
            out.clear();
        }
    }
    out += "</" + p + "sheetData>";
}

void SheetPart::write(const PieceSink& sink) const {
    // The dimension names the rectangle the cells span.
    pugi::xml_node dimension = childNamed(document_.document_element(), "dimension");
    if (dimension) {
        uint32_t top = UINT32_MAX, bottom = 0, left = UINT32_MAX, right = 0;
        for (const Row& row : rows_) {
            if (row.cells.empty()) continue;
            top = std::min(top, row.number);
            bottom = std::max(bottom, row.number);
            left = std::min(left, row.cells.front().column);
            right = std::max(right, row.cells.back().column);
        }
        std::string ref = "A1";
        if (top != UINT32_MAX) {
            ref = formatCellReference({top, left});
            if (top != bottom || left != right) ref += ":" + formatCellReference({bottom, right});
        }
        pugi::xml_attribute attribute = dimension.attribute("ref");
        if (!attribute) attribute = dimension.append_attribute("ref");
        attribute.set_value(ref.c_str());
    }
    const std::string around = printVerbatim(document_);
    const std::string mark = std::string("<?") + kCellTableMark + "?>";
    const size_t at = around.find(mark);
    // The constructor put the mark where the cell table was.
    SPECLORE_INVARIANT(at != std::string::npos);
    std::string out;
    out.reserve(kPieceBytes * 2);
    out.append(around, 0, at);
    writeCells(out, sink);
    out.append(around, at + mark.size());
    sink(out);
}

}  // namespace speclore::xlsx
