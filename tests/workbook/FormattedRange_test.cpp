#include <gtest/gtest.h>

#include <map>
#include <tuple>
#include <utility>
#include <vector>

#include "app/AppError.h"
#include "workbook/FormattedRange.h"
#include "workbook/ObjectModelConstants.h"

namespace speclore::workbook {
namespace {

using Cells = std::map<std::pair<uint32_t, uint32_t>, uint32_t>;

// Formats numbered in the order they are first asked for, as an engine adds
// them to its file; the numbers below kTemplateFormats stand for the template's.
struct FormatTable {
    static constexpr uint32_t kTemplateFormats = 4;
    FormatOutcomes outcomes;
    std::map<std::tuple<uint32_t, FormatOp, uint8_t, uint16_t>, uint32_t> made;
    std::vector<std::tuple<uint32_t, FormatOp, uint8_t, uint16_t>> order;

    uint32_t changed(uint32_t format, const FormatChange& change) {
        const auto key = std::make_tuple(format, change.op, change.edges, change.value);
        auto [at, added] = made.try_emplace(key, kTemplateFormats + static_cast<uint32_t>(order.size()));
        if (added) order.push_back(key);
        return at->second;
    }
};

class TableRange : public FormattedRange {
public:
    TableRange(Cells& cells, FormatTable& table, RangeCell first, RangeCell last)
        : FormattedRange(first, last), cells_(cells), table_(table) {}

private:
    Cells& cells_;
    FormatTable& table_;

    uint32_t cellFormat(RangeCell cell) const override {
        auto at = cells_.find({cell.row, cell.column});
        return at == cells_.end() ? 0 : at->second;
    }
    void setCellFormat(RangeCell cell, uint32_t format) override { cells_[{cell.row, cell.column}] = format; }
    uint32_t changedFormat(uint32_t format, const FormatChange& change) override {
        return table_.changed(format, change);
    }
    FormatOutcomes& outcomes() override { return table_.outcomes; }
};

// A sheet whose cells start with a mix of template formats.
Cells mixedCells() {
    Cells cells;
    for (uint32_t r = 0; r < 12; ++r)
        for (uint32_t c = 0; c < 10; ++c) cells[{r, c}] = (r * 7 + c * 3) % FormatTable::kTemplateFormats;
    return cells;
}

// A sheet whose rows show the formats of their columns, as a block's field
// rows do, but for one row whose first cell differs (a primary key's bold
// number).
Cells columnCells() {
    Cells cells;
    for (uint32_t r = 0; r < 12; ++r)
        for (uint32_t c = 0; c < 10; ++c) cells[{r, c}] = c % FormatTable::kTemplateFormats;
    cells[{5, 0}] = 3;
    return cells;
}

// The edges of cell (r, c) of the rectangle that Borders(index) draws.
uint8_t edgesOfCell(int16_t index, uint32_t r, uint32_t c, uint32_t top, uint32_t bottom, uint32_t left,
                    uint32_t right) {
    switch (index) {
    case 7: return c == left ? EdgeLeft : 0;
    case 8: return r == top ? EdgeTop : 0;
    case 9: return r == bottom ? EdgeBottom : 0;
    case 10: return c == right ? EdgeRight : 0;
    case 11: return static_cast<uint8_t>((c < right ? EdgeRight : 0) | (c > left ? EdgeLeft : 0));
    case 12: return static_cast<uint8_t>((r < bottom ? EdgeBottom : 0) | (r > top ? EdgeTop : 0));
    default: return 0;
    }
}

struct Rectangle {
    uint32_t top, bottom, left, right;
};

// The changes made cell by cell, change after change, as the object model
// describes them.
void applyCellByCell(Cells& cells, FormatTable& table, Rectangle rect,
                     const std::vector<RangeChange>& changes) {
    for (const RangeChange& step : changes) {
        for (uint32_t r = rect.top; r <= rect.bottom; ++r) {
            for (uint32_t c = rect.left; c <= rect.right; ++c) {
                FormatChange change = step.change;
                if (step.border != 0) {
                    change.edges =
                        edgesOfCell(step.border, r, c, rect.top, rect.bottom, rect.left, rect.right);
                    if (change.edges == 0) continue;
                }
                cells[{r, c}] = table.changed(cells[{r, c}], change);
            }
        }
    }
}

TEST(FormattedRange, OnePassEndsAsCellByCellAndAddsFormatsInTheSameOrder) {
    const std::vector<RangeChange> changes = {
        {7, {FormatOp::LineStyle, 0, static_cast<uint16_t>(LineKind::Continuous)}},
        {11, {FormatOp::LineStyle, 0, static_cast<uint16_t>(LineKind::Dash)}},
        {12, {FormatOp::Weight, 0, static_cast<uint16_t>(LineWeight::Medium)}},
        {0, {FormatOp::FillColor, 0, 22}},
        {10, {FormatOp::BorderColor, 0, 15}},
        {0, {FormatOp::Bold, 0, 1}},
        {8, {FormatOp::LineStyle, 0, static_cast<uint16_t>(LineKind::None)}},
        {9, {FormatOp::LineStyle, 0, static_cast<uint16_t>(LineKind::Double)}},
    };
    // Cells all alike (a few groups), the mix (more groups than a block of
    // a sheet has), a rectangle wider and longer than any block, and rows
    // alike around one that differs, inside and last.
    const std::pair<Cells (*)(), Rectangle> cases[] = {{mixedCells, {20, 25, 20, 25}},
                                                       {mixedCells, {2, 8, 1, 6}},
                                                       {mixedCells, {0, 39, 0, 29}},
                                                       {columnCells, {1, 9, 0, 5}},
                                                       {columnCells, {2, 5, 0, 7}}};
    for (const auto& [start, rect] : cases) {
        Cells expected = start();
        FormatTable expectedTable;
        applyCellByCell(expected, expectedTable, rect, changes);

        Cells cells = start();
        FormatTable table;
        // Corners given the other way round name the same rectangle.
        TableRange range(cells, table, {rect.bottom, rect.left}, {rect.top, rect.right});
        range.apply(changes);
        EXPECT_EQ(cells, expected) << "rows from " << rect.top;
        EXPECT_EQ(table.order, expectedTable.order) << "rows from " << rect.top;
    }
}

// What an earlier range of the workbook worked out is taken, not worked out
// again, only where the same changes meet the same format at the same place:
// ranges alike, overlapping ranges that meet formats the first one made,
// other changes in between, and the same changes on a range of another
// shape.
TEST(FormattedRange, RangesOfOneWorkbookEndAsCellByCell) {
    const std::vector<RangeChange> frame = {
        {7, {FormatOp::LineStyle, 0, static_cast<uint16_t>(LineKind::Continuous)}},
        {9, {FormatOp::BorderColor, 0, 15}},
        {11, {FormatOp::Weight, 0, static_cast<uint16_t>(LineWeight::Thin)}},
        {12, {FormatOp::LineStyle, 0, static_cast<uint16_t>(LineKind::Dot)}},
    };
    const std::vector<RangeChange> bold = {{0, {FormatOp::Bold, 0, 1}}};
    const std::vector<RangeChange> fill = {
        {0, {FormatOp::FillColor, 0, 22}},
        {10, {FormatOp::LineStyle, 0, static_cast<uint16_t>(LineKind::Dash)}}};
    const std::pair<const std::vector<RangeChange>*, Rectangle> steps[] = {
        {&frame, {1, 4, 0, 5}}, {&frame, {6, 9, 0, 5}}, {&bold, {7, 7, 0, 0}},  {&frame, {3, 8, 0, 5}},
        {&fill, {0, 11, 2, 3}}, {&frame, {6, 9, 0, 5}}, {&frame, {6, 6, 1, 4}}, {&fill, {0, 11, 2, 3}},
    };
    Cells expected = columnCells();
    FormatTable expectedTable;
    Cells cells = columnCells();
    FormatTable table;
    for (const auto& [changes, rect] : steps) {
        applyCellByCell(expected, expectedTable, rect, *changes);
        TableRange(cells, table, {rect.top, rect.left}, {rect.bottom, rect.right}).apply(*changes);
        EXPECT_EQ(cells, expected) << "rows from " << rect.top;
        EXPECT_EQ(table.order, expectedTable.order) << "rows from " << rect.top;
    }
}

// Setters of every kind, lines with styles, weights and colours apart from
// the sheet writers' thin ones, and setters that undo and redo a change.
const std::vector<catalog::XlSetting> kMixedSettings = {
    {catalog::XlSetter::HorizontalAlignment, catalog::xlCenter},
    {catalog::XlSetter::BorderLineStyle, catalog::xlContinuous, catalog::xlEdgeLeft},
    {catalog::XlSetter::BorderWeight, catalog::xlThin, catalog::xlEdgeLeft},
    {catalog::XlSetter::BorderColorIndex, 15, catalog::xlEdgeLeft},
    {catalog::XlSetter::BorderLineStyle, -4115, catalog::xlEdgeTop},
    {catalog::XlSetter::BorderWeight, -4138, catalog::xlEdgeTop},
    {catalog::XlSetter::WrapText, 1},
    {catalog::XlSetter::BorderLineStyle, catalog::xlContinuous, catalog::xlInsideVertical},
    {catalog::XlSetter::BorderColorIndex, kExcelNone, catalog::xlInsideVertical},
    {catalog::XlSetter::BorderLineStyle, -4119, catalog::xlInsideHorizontal},
    {catalog::XlSetter::BorderColorIndex, 10, catalog::xlInsideHorizontal},
    {catalog::XlSetter::InteriorColorIndex, 15},
    {catalog::XlSetter::InteriorPattern, catalog::xlSolid},
    {catalog::XlSetter::InteriorPatternColorIndex, catalog::xlAutomatic},
    {catalog::XlSetter::FontBold, 1},
    {catalog::XlSetter::VerticalAlignment, catalog::xlTop},
    {catalog::XlSetter::WrapText, 0},
    {catalog::XlSetter::FontBold, 0},
};

TEST(FormattedRange, SettingsAtOnceEndAsTheSettersOneByOne) {
    for (const auto& [first, last] : {std::pair<RangeCell, RangeCell>{{1, 1}, {7, 5}},
                                      {{3, 2}, {3, 2}},
                                      {{2, 4}, {2, 9}},
                                      {{0, 0}, {11, 0}}}) {
        Cells oneByOne = mixedCells();
        FormatTable oneByOneTable;
        TableRange(oneByOne, oneByOneTable, first, last).XlRange::Set(kMixedSettings);
        Cells atOnce = mixedCells();
        FormatTable atOnceTable;
        TableRange(atOnce, atOnceTable, first, last).Set(kMixedSettings);
        EXPECT_EQ(atOnce, oneByOne) << "from row " << first.row;
        EXPECT_EQ(atOnceTable.order, oneByOneTable.order) << "from row " << first.row;
    }
}

TEST(FormattedRange, ValuesTheObjectModelRefusesAreError1004AndChangeNothing) {
    Cells cells = mixedCells();
    const Cells before = cells;
    FormatTable table;
    TableRange range(cells, table, {0, 0}, {3, 3});
    auto expect1004 = [](auto call) {
        try {
            call();
            ADD_FAILURE() << "accepted";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), err::ApplicationDefined);
        }
    };
    expect1004([&] { range.Borders(6); });
    expect1004([&] { range.Borders(13); });
    expect1004([&] { range.Borders(catalog::xlEdgeTop).Weight(3); });
    expect1004([&] { range.Borders(catalog::xlEdgeTop).ColorIndex(57); });
    expect1004([&] { range.HorizontalAlignment(2); });
    expect1004([&] { range.Interior().Pattern(19); });
    // Settings with one bad value or line are refused before any is made.
    const catalog::XlSetting badLine[] = {
        {catalog::XlSetter::HorizontalAlignment, catalog::xlCenter},
        {catalog::XlSetter::BorderWeight, catalog::xlThin, catalog::xlEdgeLeft},
        {catalog::XlSetter::BorderLineStyle, 99, catalog::xlEdgeTop}};
    expect1004([&] { range.Set(badLine); });
    const catalog::XlSetting badBorder[] = {{catalog::XlSetter::FontBold, 1},
                                            {catalog::XlSetter::BorderWeight, catalog::xlThin, 13}};
    expect1004([&] { range.Set(badBorder); });
    EXPECT_EQ(cells, before);
    EXPECT_TRUE(table.order.empty());
}

}  // namespace
}  // namespace speclore::workbook
