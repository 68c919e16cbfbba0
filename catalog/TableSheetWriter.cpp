#include "catalog/TableSheetWriter.h"

#include "catalog/FieldRules.h"
#include "catalog/SheetFormat.h"

namespace speclore::catalog {

namespace {

constexpr char kLastColumn = 'F';

void writeTitleRow(XlWorksheet& sheet, int32_t row, const std::string& name, const std::string& description) {
    auto range = sheet.Range(CellAddress('A', row), CellAddress(kLastColumn, row));
    range->HorizontalAlignment(xlGeneral);
    range->VerticalAlignment(xlBottom);
    range->WrapText(false);
    sheet.SetValue(CellAddress('A', row), name);
    sheet.SetValue(CellAddress('F', row), description);
}

void writeHeadingRow(XlWorksheet& sheet, int32_t row, const ItemNames& names) {
    const Item headings[] = {Item::ctTitleA, Item::ctTitleB, Item::ctTitleC,
                             Item::ctTitleD, Item::ctTitleE, Item::ctTitleF};
    char column = 'A';
    for (Item heading : headings) sheet.SetValue(CellAddress(column++, row), names[heading]);
    FormatHeadingRow(sheet, row, kLastColumn);
}

void writeFieldRow(XlWorksheet& sheet, int32_t row, int32_t number, const Field& field, const TableDef& table,
                   const ItemNames& names) {
    const std::string& description = field.DescriptionOrEmpty();
    const TypeTexts type = FieldTypeTexts(field, names);
    const IndexRole role = FieldIndexRole(field.name, table.indexes);

    const std::string a = CellAddress('A', row);
    sheet.SetValue(a, number);
    if (role == IndexRole::Primary) sheet.Range(a, a)->Font().Bold(true);
    sheet.SetValue(CellAddress('B', row), field.name);
    sheet.SetValue(CellAddress('C', row), type.caption);
    sheet.SetValue(CellAddress('D', row), type.size);
    sheet.SetValue(CellAddress('E', row), IndexRoleText(role, names));
    sheet.SetValue(CellAddress('F', row), description);
}

}  // namespace

void WriteTableSheet(XlWorksheet& sheet, const Database& database, const std::vector<TableListItem>& tables,
                     const ItemNames& names, RunProgress& progress) {
    int32_t row = kFirstTableBlockRow;
    for (const TableListItem& item : tables) {
        if (!item.selected) continue;
        progress.Step(item.name);
        const TableDef& table = database.TableDefs(item.name);
        const std::string& description = table.DescriptionOrEmpty();

        writeTitleRow(sheet, row++, item.name, description);
        writeHeadingRow(sheet, row++, names);

        const int32_t first = row;
        int32_t number = 0;
        for (const Field& field : table.fields) {
            writeFieldRow(sheet, row++, ++number, field, table, names);
        }
        FrameRows(sheet, first, row - 1, kLastColumn);
        ++row;
    }
}

}  // namespace speclore::catalog
