// One worksheet part. Its cell table (sheetData) is taken out into rows of
// cells so that cells can be written and formatted; everything around it
// (columns, merged cells, page setup, headers and footers, drawings,
// comments, validations, conditional formats) stays as the template has it.
// Written back, the cell table is recomputed, with its row spans and the
// sheet's dimension.
#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <memory_resource>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include <pugixml.hpp>

#include "xlsx/CellReference.h"

namespace speclore::xlsx {

class SheetPart {
public:
    // A format given to setRowFormats that leaves its cell as it is.
    static constexpr uint32_t kKeepXf = UINT32_MAX;

    // Raises error 1004 when the part is no worksheet or its cells are bad.
    SheetPart(const std::string& text, const std::string& partName);

    // The format a cell shows: its own, else its row's or column's.
    uint32_t cellFormat(CellReference cell) const;

    // Values keep the cell's format. Text is UTF-8; malformed sequences
    // become U+FFFD. Raises error 1004 for text over 32,767 characters.
    void setText(CellReference cell, std::string_view text);
    void setNumber(CellReference cell, int32_t number);
    // Leaves the cell without value; its format stays.
    void clearValue(CellReference cell);
    // Gives the cell another format, keeping its value.
    void setFormat(CellReference cell, uint32_t xf);
    // The same for cells side by side in a row, from `first` rightwards,
    // with the row looked up once.
    void rowFormats(CellReference first, std::span<uint32_t> xfs) const;
    void setRowFormats(CellReference first, std::span<const uint32_t> xfs);

    bool changed() const { return changed_; }
    // The part's text, handed to `sink` piece by piece as it is made.
    using PieceSink = std::function<void(std::string_view)>;
    void write(const PieceSink& sink) const;

private:
    // Text that starts or ends with white space keeps it through xml:space.
    enum class Kind : uint8_t { Empty, Number, Text, SpacedText, Kept };
    struct Cell {
        uint32_t column;
        uint32_t xf;
        Kind kind;
        uint32_t payload;  // the number, where the text is kept, or an index in kept_
    };
    // A cell of the template that is not rewritten: its attributes other
    // than r and s, and its content, as written.
    struct KeptCell {
        std::string attributes;
        std::string content;
    };
    struct Row {
        uint32_t number;         // from 0
        bool hasFormat = false;  // customFormat: the row's s applies
        uint32_t xf = 0;
        uint32_t attributes = 0;       // in rowAttributes_; 0 for none
        std::pmr::vector<Cell> cells;  // ordered by column
    };

    // The rows' cells, given back all at once with the part: a long sheet
    // has a small list for every row.
    std::pmr::monotonic_buffer_resource cellMemory_;
    pugi::xml_document document_;  // the part, the cell table replaced by a mark
    std::string prefix_;
    std::vector<Row> rows_;  // ordered by number
    // A template row's attributes as written, without r and spans; the
    // first is that of every other row, none.
    std::vector<std::string> rowAttributes_{std::string()};
    mutable size_t lastRow_ = 0;  // where the last row looked for was
    // The inline strings written, escaped for XML, each after its length,
    // in blocks that never move or grow, so that a long sheet's text is
    // neither copied nor touched again before it is written out.
    std::vector<std::unique_ptr<char[]>> textBlocks_;
    size_t blockUsed_ = 0;     // in the last block
    std::string textScratch_;  // the string being escaped
    // What goes around a text cell's string, from its type to its end.
    std::string textOpen_, spacedTextOpen_, textClose_;
    std::vector<KeptCell> kept_;
    std::vector<uint32_t> columnXf_;
    bool changed_ = false;

    void readColumns(const pugi::xml_node& root);
    void readCells(const pugi::xml_node& sheetData, const std::string& partName);
    // Where row `number` is when it is the last row looked for, the one
    // after it or the last of all; else past the end.
    size_t nearLastRow(uint32_t number) const;
    Row& rowFor(uint32_t number);
    Row newRow(uint32_t number, size_t width);
    const Row* findRow(uint32_t number) const;
    Row* findRow(uint32_t number);
    // Where the escaped string is kept, as a cell's payload.
    uint32_t keepText(std::string_view xml);
    std::string_view textAt(uint32_t where) const;
    Cell* find(CellReference cell);
    Cell& findOrCreate(CellReference cell);
    void putCell(Row& row, Cell cell);
    void writeCells(std::string& out, const PieceSink& sink) const;
};

}  // namespace speclore::xlsx
