#include "catalog/TableSheetWriter.h"

#include "catalog/FieldRules.h"
#include "catalog/SheetFormat.h"

namespace speclore::catalog {

namespace {

constexpr char kLastColumn = 'F';
constexpr std::array<Item, 6> kFieldHeadings = {Item::ctTitleA, Item::ctTitleB, Item::ctTitleC,
                                                Item::ctTitleD, Item::ctTitleE, Item::ctTitleF};

void writeFieldRow(XlWorksheet& sheet, int32_t row, int32_t number, const Field& field, IndexRole role,
                   const ItemNames& names) {
    const std::string& description = field.descriptionOrEmpty();
    const TypeTexts type = fieldTypeTexts(field, names);

    sheet.SetCellValue({'A', row}, number);
    if (role == IndexRole::Primary) boldCell(sheet, {'A', row});
    sheet.SetCellValue({'B', row}, field.name);
    sheet.SetCellValue({'C', row}, type.caption.view());
    sheet.SetCellValue({'D', row}, type.size.view());
    sheet.SetCellValue({'E', row}, indexRoleText(role, names));
    sheet.SetCellValue({'F', row}, description);
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
        const std::vector<IndexRole> roles = fieldIndexRoles(table);
        for (size_t i = 0; i < table.fields.size(); ++i) {
            writeFieldRow(sheet, row++, static_cast<int32_t>(i + 1), table.fields[i], roles[i], names);
        }
        frameRows(sheet, first, row - 1, kLastColumn);
        ++row;
    }
}

}  // namespace speclore::catalog
