#include "catalog/TableSheetWriter.h"

#include "catalog/FieldRules.h"
#include "catalog/SheetFormat.h"

namespace speclore::catalog {

namespace {

constexpr char kLastColumn = 'F';
constexpr std::array<Item, 6> kFieldHeadings = {Item::ctTitleA, Item::ctTitleB, Item::ctTitleC,
                                                Item::ctTitleD, Item::ctTitleE, Item::ctTitleF};

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

        WriteBlockTitleRow(sheet, row++, item.name, description);
        WriteBlockHeadingRow(sheet, row++, names, kFieldHeadings);

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
