// The catalog run's way of writing a workbook, for the tests that read our
// engine's output back with outside readers: test data in the shape of two
// table blocks and three relationship rows, and the writers that put it on
// the two sheets with the run's calls in the run's order.
#pragma once

#include <array>
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <map>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include <nlohmann/json.hpp>

#include "catalog/Spreadsheet.h"
#include "support/TempDir.h"
#include "xls/XlsApplication.h"

namespace speclore::test {

inline const std::string kTemplate = std::string(SPECLORE_SOURCE_DIR) + "/resources/Template.xls";
// Template.xls as LibreOffice saves it: Workbook in the mini stream, property
// set streams, an empty drawing, EXTSST (soffice --convert-to xls).
inline const std::string kLibreOfficeTemplate =
    std::string(SPECLORE_TEST_FIXTURES) + "/template_libreoffice.xls";

inline std::string copyInto(const TempDir& dir, const std::string& source, const std::string& name) {
    const std::filesystem::path target = dir / name;
    std::filesystem::copy_file(source, target);
    return target.string();
}

inline std::string at(char column, int row) { return column + std::to_string(row); }

inline const std::array<const char*, 6> kTableHeadings = {"NO",     "項目名称",     "タイプ",
                                                          "サイズ", "インデックス", "項目説明"};
inline const std::array<const char*, 10> kRelationHeadings = {
    "NO",           "外部参照テーブル名", "外部参照項目名", "参照先テーブル名", "参照先項目名",
    "リレーション", "参照整合性",         "連鎖更新",       "連鎖削除",         "結合"};

struct FieldRow {
    std::array<std::string, 5> texts;  // columns B to F
    bool primaryKey;
};

struct TableBlock {
    std::string name;
    std::string description;
    std::vector<FieldRow> fields;
};

inline const std::vector<TableBlock> kTables = {
    {"顧客",
     "顧客マスタ",
     {{{"顧客ID", "ｵｰﾄﾅﾝﾊﾞｰ型", "長整数型", "PrimaryKey", "顧客を一意に識別する番号"}, true},
      {{"氏名", "ﾃｷｽﾄ型", "50", "", "顧客の氏名, \"漢字\""}, false}}},
    {"担当者", "", {{{"担当者コード", "ﾃｷｽﾄ型", "10", "はい (重複なし)", ""}, false}}},
};

inline const std::vector<std::array<const char*, 9>> kRelations = {
    {"受注", "顧客ID", "顧客", "顧客ID", "一対多", "○", "○", "", "INNER"},
    {"受注明細", "受注ID", "受注", "受注ID", "一対多", "○", "", "○", "INNER"},
    {"受注明細", "行番号", "受注", "行番号", "一対多", "○", "", "○", "LEFT"},
};

inline const char* const kTableTitle = "テーブル仕様書 - 販売管理.mdb (2026/12/07)";
inline const char* const kRelationTitle = "リレーション仕様書 - 販売管理.mdb";

inline void headingFormat(catalog::XlWorksheet& sheet, const std::string& first, const std::string& last) {
    std::unique_ptr<catalog::XlRange> range = sheet.Range(first, last);
    range->HorizontalAlignment(catalog::xlCenter);
    for (int16_t edge : {catalog::xlEdgeLeft, catalog::xlEdgeTop, catalog::xlEdgeBottom, catalog::xlEdgeRight,
                         catalog::xlInsideVertical}) {
        catalog::XlBorder& border = range->Borders(edge);
        border.LineStyle(catalog::xlContinuous);
        border.Weight(catalog::xlThin);
        border.ColorIndex(catalog::xlColorIndexAutomatic);
    }
    range->Interior().ColorIndex(15);
    range->Interior().Pattern(catalog::xlSolid);
    range->Interior().PatternColorIndex(catalog::xlAutomatic);
}

inline void frame(catalog::XlWorksheet& sheet, const std::string& first, const std::string& last,
                  bool severalRows) {
    std::unique_ptr<catalog::XlRange> range = sheet.Range(first, last);
    std::vector<int16_t> edges{catalog::xlEdgeLeft, catalog::xlEdgeBottom, catalog::xlEdgeRight,
                               catalog::xlInsideVertical};
    if (severalRows) {
        edges.push_back(catalog::xlInsideHorizontal);
    }
    for (int16_t edge : edges) {
        catalog::XlBorder& border = range->Borders(edge);
        border.LineStyle(catalog::xlContinuous);
        border.Weight(catalog::xlThin);
        border.ColorIndex(15);
    }
}

// Rows taken by the table blocks, as the catalog run lays them out.
struct BlockRows {
    int title;
    int heading;
    int firstField;
    int lastField;
};

inline std::vector<BlockRows> blockRows(const std::vector<TableBlock>& tables) {
    std::vector<BlockRows> rows;
    int j = 3;
    for (const TableBlock& table : tables) {
        const int m = static_cast<int>(table.fields.size());
        rows.push_back({j, j + 1, j + 2, j + 1 + m});
        j += m + 3;
    }
    return rows;
}

inline void writeTableSheet(catalog::XlWorksheet& sheet, const std::vector<TableBlock>& tables) {
    sheet.SetValue("A1", kTableTitle);
    const std::vector<BlockRows> rows = blockRows(tables);
    for (size_t t = 0; t < tables.size(); ++t) {
        const TableBlock& table = tables[t];
        const BlockRows& r = rows[t];
        std::unique_ptr<catalog::XlRange> title = sheet.Range(at('A', r.title), at('F', r.title));
        title->HorizontalAlignment(catalog::xlGeneral);
        title->VerticalAlignment(catalog::xlBottom);
        title->WrapText(false);
        sheet.SetValue(at('A', r.title), table.name);
        sheet.SetValue(at('F', r.title), table.description);
        for (int c = 0; c < 6; ++c) {
            sheet.SetValue(at(static_cast<char>('A' + c), r.heading), kTableHeadings[c]);
        }
        headingFormat(sheet, at('A', r.heading), at('F', r.heading));
        for (size_t p = 0; p < table.fields.size(); ++p) {
            const int row = r.firstField + static_cast<int>(p);
            sheet.SetValue(at('A', row), static_cast<int32_t>(p + 1));
            if (table.fields[p].primaryKey) {
                sheet.Range(at('A', row), at('A', row))->Font().Bold(true);
            }
            for (int c = 0; c < 5; ++c) {
                sheet.SetValue(at(static_cast<char>('B' + c), row), table.fields[p].texts[c]);
            }
        }
        frame(sheet, at('A', r.firstField), at('F', r.lastField), r.firstField < r.lastField);
    }
}

inline void writeRelationSheet(catalog::XlWorksheet& sheet) {
    sheet.SetValue("A1", kRelationTitle);
    for (int c = 0; c < 10; ++c) {
        sheet.SetValue(at(static_cast<char>('A' + c), 4), kRelationHeadings[c]);
    }
    headingFormat(sheet, "A4", "J4");
    for (size_t k = 0; k < kRelations.size(); ++k) {
        const int row = 5 + static_cast<int>(k);
        sheet.SetValue(at('A', row), static_cast<int32_t>(k + 1));
        for (int c = 0; c < 9; ++c) {
            sheet.SetValue(at(static_cast<char>('B' + c), row), kRelations[k][c]);
        }
    }
    frame(sheet, "A5", at('J', 4 + static_cast<int>(kRelations.size())), kRelations.size() > 1);
}

inline void writeCatalog(const std::string& path, const std::vector<TableBlock>& tables = kTables) {
    xls::XlsApplicationFactory factory;
    std::unique_ptr<catalog::XlApplication> excel = factory.CreateApplication();
    std::unique_ptr<catalog::XlWorkbook> book = excel->OpenWorkbook(path);
    writeTableSheet(book->Sheets(1), tables);
    writeRelationSheet(book->Sheets(2));
    book->Close(true);
    excel->Quit();
}

// Enough distinct Japanese texts that the shared string table runs over
// many CONTINUE records, and enough rows for many row blocks.
inline std::vector<TableBlock> manyTables() {
    std::vector<TableBlock> tables;
    char text[64];
    for (int t = 0; t < 300; ++t) {
        TableBlock table;
        std::snprintf(text, sizeof text, "テーブル%03d", t);
        table.name = text;
        std::snprintf(text, sizeof text, "テーブル%03dの説明", t);
        table.description = text;
        for (int f = 0; f < 5; ++f) {
            const int n = t * 5 + f;
            std::snprintf(text, sizeof text, "項目%05d", n);
            std::string name = text;
            std::snprintf(text, sizeof text, "項目%05dの説明：全角と半角ｶﾅ", n);
            table.fields.push_back({{name, "ﾃｷｽﾄ型", std::to_string(n % 255), "", text}, f == 0});
        }
        tables.push_back(std::move(table));
    }
    // One text longer than a whole record, 8-bit characters then 16-bit ones:
    // it is split over CONTINUE records, changing width on the way.
    std::string longText(5000, 'x');
    for (int i = 0; i < 4000; ++i) {
        longText += "長";
    }
    tables[1].description = longText;
    return tables;
}

// Address -> value of every cell of sheet 1 after the run: what the run
// writes, and the note line that the template carries in A2.
inline std::map<std::string, nlohmann::json> tableSheetValues(const std::vector<TableBlock>& tables) {
    std::map<std::string, nlohmann::json> values{{"A1", kTableTitle}};
    const std::vector<BlockRows> rows = blockRows(tables);
    for (size_t t = 0; t < tables.size(); ++t) {
        const BlockRows& r = rows[t];
        values[at('A', r.title)] = tables[t].name;
        if (!tables[t].description.empty()) {
            values[at('F', r.title)] = tables[t].description;
        }
        for (char c = 'A'; c <= 'F'; ++c) {
            values[at(c, r.heading)] = kTableHeadings[c - 'A'];
        }
        for (int row = r.firstField; row <= r.lastField; ++row) {
            const FieldRow& field = tables[t].fields[row - r.firstField];
            values[at('A', row)] = row - r.firstField + 1;
            for (char c = 'B'; c <= 'F'; ++c) {
                if (!field.texts[c - 'B'].empty()) {
                    values[at(c, row)] = field.texts[c - 'B'];
                }
            }
        }
    }
    values["A2"] = "※ 番号が太字の項目は主キーです。";  // the template's note line
    return values;
}

}  // namespace speclore::test
