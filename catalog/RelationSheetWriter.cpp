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
        sheet.SetCellValue({column++, kRelationHeadingRow}, names[heading]);
    }
    formatHeadingRow(sheet, kRelationHeadingRow, kLastColumn);
}

}  // namespace

int32_t countRelationRows(Database& database) {
    int32_t count = 0;
    auto result = database.OpenRecordset(kRelationCountSql, dbOpenSnapshot);
    if (!(result->Eof() && result->Bof())) count = result->Fields("件数").asLong();
    result->Close();
    return count;
}

std::unique_ptr<Recordset> writeRelationSheet(XlWorksheet& sheet, Database& database, const ItemNames& names,
                                              RunProgress& progress) {
    writeHeadingRow(sheet, names);
    int32_t row = kRelationHeadingRow + 1;

    auto rows = database.OpenRecordset(kRelationRowsSql, dbOpenSnapshot);
    const int32_t first = row;
    int32_t number = 0;
    while (!rows->Eof()) {
        const std::string object = rows->Fields("szObject").asText();
        progress.step(object);
        const std::string column = rows->Fields("szColumn").asText();
        const std::string referencedObject = rows->Fields("szReferencedObject").asText();
        const std::string referencedColumn = rows->Fields("szReferencedColumn").asText();
        const RelationTexts flags = relationFlagTexts(rows->Fields("grbit").asLong(), names);

        sheet.SetCellValue({'A', row}, ++number);
        sheet.SetCellValue({'B', row}, object);
        sheet.SetCellValue({'C', row}, column);
        sheet.SetCellValue({'D', row}, referencedObject);
        sheet.SetCellValue({'E', row}, referencedColumn);
        sheet.SetCellValue({'F', row}, flags.kind);
        sheet.SetCellValue({'G', row}, flags.enforced);
        sheet.SetCellValue({'H', row}, flags.updateCascade);
        sheet.SetCellValue({'I', row}, flags.deleteCascade);
        sheet.SetCellValue({'J', row}, flags.join);
        ++row;
        rows->MoveNext();
    }
    frameRows(sheet, first, row - 1, kLastColumn);
    return rows;
}

}  // namespace speclore::catalog
