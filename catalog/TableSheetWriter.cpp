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
    const std::string& description = field.descriptionOrEmpty();
    const TypeTexts type = fieldTypeTexts(field, names);
    const IndexRole role = fieldIndexRole(field.name, table.indexes);

    const std::string a = a1Address('A', row);
    sheet.SetValue(a, number);
    if (role == IndexRole::Primary) sheet.Range(a, a)->Font().Bold(true);
    sheet.SetValue(a1Address('B', row), field.name);
    sheet.SetValue(a1Address('C', row), type.caption);
    sheet.SetValue(a1Address('D', row), type.size);
    sheet.SetValue(a1Address('E', row), indexRoleText(role, names));
    sheet.SetValue(a1Address('F', row), description);
}

}  // namespace

void writeTableSheet(XlWorksheet& sheet, const Database& database, const std::vector<TableListItem>& tables,
                     const ItemNames& names, RunProgress& progress) {
    int32_t row = kFirstTableBlockRow;
    for (const TableListItem& item : tables) {
        if (!item.selected) continue;
        progress.step(item.name);
        const TableDef& table = database.TableDefs(item.name);
        const std::string& description = table.descriptionOrEmpty();

        writeBlockTitleRow(sheet, row++, item.name, description);
        writeBlockHeadingRow(sheet, row++, names, kFieldHeadings);

        const int32_t first = row;
        int32_t number = 0;
        for (const Field& field : table.fields) {
            writeFieldRow(sheet, row++, ++number, field, table, names);
        }
        frameRows(sheet, first, row - 1, kLastColumn);
        ++row;
    }
}

}  // namespace speclore::catalog
