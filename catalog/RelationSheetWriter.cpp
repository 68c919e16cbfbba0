#include "catalog/RelationSheetWriter.h"

#include "catalog/RelationRules.h"
#include "catalog/SheetFormat.h"

namespace speclore::catalog {

namespace {

constexpr char kLastColumn = 'J';

void writeHeadingRow(XlWorksheet& sheet, const ItemNames& names) {
    const Item headings[] = {Item::crTitleA, Item::crTitleB, Item::crTitleC, Item::crTitleD, Item::crTitleE,
                             Item::crTitleF, Item::crTitleG, Item::crTitleH, Item::crTitleI, Item::crTitleJ};
    char column = 'A';
    for (Item heading : headings) {
        sheet.SetValue(CellAddress(column++, kRelationHeadingRow), names[heading]);
    }
    FormatHeadingRow(sheet, kRelationHeadingRow, kLastColumn);
}

}  // namespace

int32_t CountRelationRows(Database& database) {
    int32_t count = 0;
    auto result = database.OpenRecordset(kRelationCountSql, dbOpenSnapshot);
    if (!(result->Eof() && result->Bof())) count = result->Fields("件数").asLong();
    result->Close();
    return count;
}

std::unique_ptr<Recordset> WriteRelationSheet(XlWorksheet& sheet, Database& database, const ItemNames& names,
                                              RunProgress& progress) {
    writeHeadingRow(sheet, names);
    int32_t row = kRelationHeadingRow + 1;

    auto rows = database.OpenRecordset(kRelationRowsSql, dbOpenSnapshot);
    const int32_t first = row;
    int32_t number = 0;
    while (!rows->Eof()) {
        const std::string object = rows->Fields("szObject").asText();
        progress.Step(object);
        const std::string column = rows->Fields("szColumn").asText();
        const std::string referencedObject = rows->Fields("szReferencedObject").asText();
        const std::string referencedColumn = rows->Fields("szReferencedColumn").asText();
        const RelationTexts flags = RelationFlagTexts(rows->Fields("grbit").asLong(), names);

        sheet.SetValue(CellAddress('A', row), ++number);
        sheet.SetValue(CellAddress('B', row), object);
        sheet.SetValue(CellAddress('C', row), column);
        sheet.SetValue(CellAddress('D', row), referencedObject);
        sheet.SetValue(CellAddress('E', row), referencedColumn);
        sheet.SetValue(CellAddress('F', row), flags.kind);
        sheet.SetValue(CellAddress('G', row), flags.enforced);
        sheet.SetValue(CellAddress('H', row), flags.updateCascade);
        sheet.SetValue(CellAddress('I', row), flags.deleteCascade);
        sheet.SetValue(CellAddress('J', row), flags.join);
        ++row;
        rows->MoveNext();
    }
    FrameRows(sheet, first, row - 1, kLastColumn);
    return rows;
}

}  // namespace speclore::catalog
