#include "catalog/SheetRowLimit.h"

#include <cstddef>

#include "app/AppError.h"
#include "catalog/RelationSheetWriter.h"
#include "catalog/TableSheetWriter.h"

namespace speclore::catalog {

namespace {

// 65536 as "65,536": the figures in the message are read, not parsed.
std::string withThousands(int64_t number) {
    std::string digits = std::to_string(number);
    for (auto at = static_cast<std::ptrdiff_t>(digits.size()) - 3; at > 0; at -= 3) {
        digits.insert(static_cast<size_t>(at), ",");
    }
    return digits;
}

}  // namespace

int64_t tableSheetLastRow(const Database& database, const std::vector<TableListItem>& tables) {
    int64_t lastRow = 1;
    int64_t blockRow = kFirstTableBlockRow;
    for (const TableListItem& item : tables) {
        if (!item.selected) continue;
        int64_t fields = 0;
        try {
            fields = static_cast<int64_t>(database.TableDefs(item.name).fields.size());
        } catch (const AppError& error) {
            if (error.number() != err::DbItemNotFound) throw;
        }
        // Title row, heading row, the field rows; the empty row after them
        // is never written.
        lastRow = blockRow + 1 + fields;
        blockRow += fields + 3;
    }
    return lastRow;
}

int64_t relationSheetLastRow(int32_t relationRows) { return kRelationHeadingRow + int64_t{relationRows}; }

void refuseRowsBeyondSheet(int64_t tableSheetLastRow, int64_t relationSheetLastRow, int32_t maxRows,
                           WorkbookFormat format) {
    const bool tablesTooMany = tableSheetLastRow > maxRows;
    if (!tablesTooMany && relationSheetLastRow <= maxRows) return;
    std::string message = tablesTooMany ? "テーブル仕様書" : "リレーション仕様書";
    message += "に " + withThousands(tablesTooMany ? tableSheetLastRow : relationSheetLastRow) +
               " 行が必要ですが、ワークシートは " + withThousands(maxRows) + " 行までです。";
    const bool xlsxHelps = format != WorkbookFormat::Xlsx;
    if (tablesTooMany) {
        message += xlsxHelps ? "出力するテーブルを減らすか、.xlsx 形式で出力してください。"
                             : "出力するテーブルを減らしてください。";
    } else if (xlsxHelps) {
        message += ".xlsx 形式で出力してください。";
    }
    throw AppError::withReason(err::ApplicationDefined, message);
}

}  // namespace speclore::catalog
