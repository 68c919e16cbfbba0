// One worksheet substream: its records kept in order, with the cell table
// (ROW records and cell records) taken out into rows of cells so that
// cells can be written and formatted; written back in Excel's layout of
// 32-row blocks, with DIMENSIONS, INDEX and DBCELL recomputed.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "xls/BiffRecord.h"
#include "xls/CellAddress.h"
#include "xls/PackedRows.h"

namespace speclore::xls {

class Worksheet {
public:
    // `records` run from the substream's BOF to its EOF.
    explicit Worksheet(std::vector<BiffRecord> records);

    // The XF a cell shows: its record's, else the row's or column's default.
    uint16_t cellXf(CellAddress cell) const;

    // Values keep the cell's XF.
    void setSharedString(CellAddress cell, uint32_t sstIndex);
    void setNumber(CellAddress cell, int32_t number);
    // Leaves the cell without value; its format stays.
    void clearValue(CellAddress cell);
    // Gives the cell another XF, keeping its value (a BLANK if it has none).
    void setXf(CellAddress cell, uint16_t xf);
    // The same for cells side by side, from `first` rightwards, as
    // cellXf() and setXf() one by one would do; setRowXfs leaves a cell
    // given kKeepXf as it is.
    static constexpr uint32_t kKeepXf = UINT32_MAX;
    void rowXfs(CellAddress first, std::span<uint32_t> xfs) const;
    void setRowXfs(CellAddress first, std::span<const uint32_t> xfs);

    // Appends the substream; gives the number of text cells (LABELSST)
    // written, which the SST counts.
    uint32_t write(std::string& out) const;
    // About the bytes write() produces, to size the output once.
    size_t byteEstimate() const;

private:
    enum class Kind : uint8_t { Blank, Rk, Number, SharedString, Raw };
    struct Cell {
        uint16_t column;
        uint16_t xf;
        Kind kind;
        uint64_t payload;  // RK value, double bits, SST index or index in raws_
    };
    // A cell record kept as read (formulas, inline strings, booleans): the
    // data after the cell header and the records that belong to it.
    struct RawCell {
        uint16_t type;
        std::string tail;
        std::string attached;
    };
    struct Row {
        bool hasRecord = false;
        std::array<char, 16> record{};
        PackedRows<Cell>::Slab cells;  // in cells_, ordered by column

        // Rows without either are not written.
        bool used() const { return hasRecord || cells.count != 0; }
    };

    std::vector<BiffRecord> records_;  // everything but the cell table
    size_t tableAt_ = 0;               // the cell table goes before this record
    size_t indexRecord_ = SIZE_MAX;
    size_t dimensionsRecord_ = SIZE_MAX;
    size_t defColWidthRecord_ = SIZE_MAX;
    std::vector<Row> rows_;
    // Room for a catalog row's cells, borders included, in its first slab.
    PackedRows<Cell> cells_{8};
    std::vector<RawCell> raws_;
    std::array<uint16_t, kMaxColumns> columnXf_{};
    uint16_t defaultRowHeight_ = 255;
    bool defaultHeightCustom_ = false;

    // The steps of reading the substream. takeRecords moves the cell table
    // (and the records attached to its cells) into rows_ and keeps the rest
    // in order; true when the sheet has a cell table.
    bool takeRecords(std::vector<BiffRecord> records);
    // Remembers what a sheet-level record tells; false for one to drop.
    bool noteSheetRecord(const BiffRecord& record);
    void placeEmptyCellTable();
    void addMissingDimensions();
    void addMissingDefColWidth();
    void takeCellRecord(const BiffRecord& record, bool& lastWasRawCell);
    void insertRecord(size_t at, BiffRecord record);
    void putCell(uint16_t row, Cell cell);
    Row& rowFor(uint16_t row) {
        if (row >= rows_.size()) addRows(row);
        return rows_[row];
    }
    void addRows(uint16_t last);
    std::span<Cell> cellsOf(const Row& row) { return cells_.items(row.cells); }
    std::span<const Cell> cellsOf(const Row& row) const { return cells_.items(row.cells); }
    Cell* find(CellAddress cell);
    Cell& findOrCreate(CellAddress cell);
    // The XF of a cell of `row` that has no record of its own.
    uint16_t emptyCellXf(const Row& row, uint16_t column) const;

    // The writing steps (WorksheetWriting.cpp); each record is put in place
    // at `at`, giving its end.
    uint32_t writeCellTable(std::string& out, std::vector<uint32_t>& dbCells, bool withDbCells) const;
    char* writeRowRecord(char* at, uint16_t rowNumber, const Row& row) const;
    size_t cellRecordSize(const Cell& cell) const;
    char* writeCell(char* at, uint16_t rowNumber, const Cell& cell) const;
    char* writeRawCell(char* at, uint16_t rowNumber, const Cell& cell) const;
    std::string dimensions(const std::string& original) const;
};

}  // namespace speclore::xls
