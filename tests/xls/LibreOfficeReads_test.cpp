// Workbooks written by our engine, opened by LibreOffice headless: a real
// spreadsheet application reads the same text, shows the same formats and
// prints the page setup of the template. Skipped where soffice is missing,
// failed in CI.
#include <gtest/gtest.h>

#include <regex>
#include <string>
#include <vector>

#include "CatalogPattern.h"
#include "XlsTestSupport.h"
#include "support/LibreOffice.h"
#include "support/LibreOfficeCellLooks.h"
#include "support/MissingTool.h"
#include "support/TempDir.h"

namespace speclore::test {
namespace {

class LibreOfficeReads : public testing::Test {
protected:
    void SetUp() override {
        if (!libreOfficeInstalled()) {
            SPECLORE_MISSING_TOOL("soffice is not installed (Debian package libreoffice-calc-nogui)");
        }
        output_ = copyInto(dir_, kTemplate, "catalog.xls");
        writeCatalog(output_);
    }
    TempDir dir_{"speclore-libreoffice"};
    std::string output_;
};

TEST_F(LibreOfficeReads, TheSameTextOnTheTableAndRelationSheets) {
    std::string log;
    const SheetTexts sheets = readSheetsWithLibreOffice(output_, dir_.path(), &log);
    ASSERT_EQ(sheets.size(), 3u) << log;
    ASSERT_TRUE(sheets.count("テーブル仕様書")) << log;
    ASSERT_TRUE(sheets.count("リレーション仕様書")) << log;

    const std::vector<CsvRow>& tables = sheets.at("テーブル仕様書");
    ASSERT_GE(tables.size(), 10u);
    EXPECT_EQ(tables[0][0], kTableTitle);
    EXPECT_EQ(tables[2][0], "顧客");
    EXPECT_EQ(tables[2][5], "顧客マスタ");
    EXPECT_EQ(tables[3], CsvRow(kTableHeadings.begin(), kTableHeadings.end()));
    EXPECT_EQ(tables[4],
              (CsvRow{"1", "顧客ID", "ｵｰﾄﾅﾝﾊﾞｰ型", "長整数型", "PrimaryKey", "顧客を一意に識別する番号"}));
    EXPECT_EQ(tables[5][5], "顧客の氏名, \"漢字\"");
    EXPECT_EQ(tables[7][0], "担当者");
    EXPECT_EQ(tables[9], (CsvRow{"1", "担当者コード", "ﾃｷｽﾄ型", "10", "はい (重複なし)", ""}));

    const std::vector<CsvRow>& relations = sheets.at("リレーション仕様書");
    ASSERT_GE(relations.size(), 7u);
    EXPECT_EQ(relations[0][0], kRelationTitle);
    EXPECT_EQ(relations[3], CsvRow(kRelationHeadings.begin(), kRelationHeadings.end()));
    for (size_t k = 0; k < kRelations.size(); ++k) {
        CsvRow want{std::to_string(k + 1)};
        want.insert(want.end(), kRelations[k].begin(), kRelations[k].end());
        EXPECT_EQ(relations[4 + k], want);
    }
}

// LibreOffice draws what we stored: grey centred headings with black lines,
// grey frames without a top line, bold primary-key numbers.
TEST_F(LibreOfficeReads, TheSameFormats) {
    std::string log;
    const SheetLooks looks = readCellLooksWithLibreOffice(output_, dir_.path(), &log);
    ASSERT_EQ(looks.size(), 3u) << log;
    auto lookOf = [&](const std::string& sheet, const std::string& address) {
        const auto& cells = looks.at(sheet);
        auto it = cells.find(address);
        return it == cells.end() ? CellLook{} : it->second;
    };
    auto checkHeading = [&](const std::string& sheet, int row, char last) {
        for (char c = 'A'; c <= last; ++c) {
            const CellLook look = lookOf(sheet, at(c, row));
            SCOPED_TRACE(sheet + " " + at(c, row));
            EXPECT_EQ(look.background, "#c0c0c0");
            EXPECT_EQ(look.textAlign, "center");
            EXPECT_FALSE(look.bold);
            for (const char* edge : {"top", "bottom", "left", "right"}) {
                EXPECT_EQ(look.borderColour(edge), "#000000") << edge;
            }
        }
    };
    auto checkFrame = [&](const std::string& sheet, int first, int last, char lastColumn) {
        for (int row = first; row <= last; ++row) {
            for (char c = 'A'; c <= lastColumn; ++c) {
                const CellLook look = lookOf(sheet, at(c, row));
                SCOPED_TRACE(sheet + " " + at(c, row));
                EXPECT_EQ(look.background, "");
                EXPECT_EQ(look.hasBorder("top"), row > first);
                for (const char* edge : {"bottom", "left", "right"}) {
                    EXPECT_EQ(look.borderColour(edge), "#c0c0c0") << edge;
                }
            }
        }
    };
    const std::vector<BlockRows> rows = blockRows(kTables);
    for (size_t t = 0; t < kTables.size(); ++t) {
        const CellLook title = lookOf("テーブル仕様書", at('A', rows[t].title));
        EXPECT_FALSE(title.hasBorder("bottom") || title.hasBorder("top"));
        EXPECT_EQ(title.background, "");
        checkHeading("テーブル仕様書", rows[t].heading, 'F');
        checkFrame("テーブル仕様書", rows[t].firstField, rows[t].lastField, 'F');
        for (int row = rows[t].firstField; row <= rows[t].lastField; ++row) {
            EXPECT_EQ(lookOf("テーブル仕様書", at('A', row)).bold,
                      kTables[t].fields[row - rows[t].firstField].primaryKey)
                << at('A', row);
            EXPECT_FALSE(lookOf("テーブル仕様書", at('B', row)).bold) << at('B', row);
        }
    }
    checkHeading("リレーション仕様書", 4, 'J');
    checkFrame("リレーション仕様書", 5, 4 + static_cast<int>(kRelations.size()), 'J');
    EXPECT_TRUE(lookOf("テーブル仕様書", "A1").bold) << "the template's title font";
}

// Strings split over CONTINUE records are where readers differ most.
TEST_F(LibreOfficeReads, EveryValueOfALargeCatalog) {
    const std::string large = copyInto(dir_, kTemplate, "large.xls");
    const std::vector<TableBlock> tables = manyTables();
    writeCatalog(large, tables);
    std::string log;
    const SheetTexts sheets = readSheetsWithLibreOffice(large, dir_.path(), &log);
    ASSERT_TRUE(sheets.count("テーブル仕様書")) << log;
    const std::vector<CsvRow>& rows = sheets.at("テーブル仕様書");
    for (const auto& [address, value] : tableSheetValues(tables)) {
        const size_t row = std::stoul(address.substr(1)) - 1;
        const size_t column = static_cast<size_t>(address[0] - 'A');
        ASSERT_LT(row, rows.size()) << address;
        ASSERT_LT(column, rows[row].size()) << address;
        const std::string want = value.is_string() ? value.get<std::string>() : value.dump();
        EXPECT_EQ(rows[row][column], want) << address;
    }
}

TEST_F(LibreOfficeReads, PrintsOnA4Landscape) {
    const ProcessResult run = convertWithLibreOffice(output_, "pdf", dir_.path());
    const std::string pdf = readText(dir_ / "catalog.pdf");
    ASSERT_FALSE(pdf.empty()) << run.out << run.err;
    // Page dictionaries are plain text in LibreOffice's PDF: one MediaBox each.
    const std::regex mediaBox(R"(/MediaBox\s*\[\s*0\s+0\s+([0-9.]+)\s+([0-9.]+)\s*\])");
    int pages = 0;
    for (auto it = std::sregex_iterator(pdf.begin(), pdf.end(), mediaBox); it != std::sregex_iterator();
         ++it) {
        ++pages;
        EXPECT_NEAR(std::stod((*it)[1]), 841.89, 1.0) << "A4 landscape width in points";
        EXPECT_NEAR(std::stod((*it)[2]), 595.30, 1.0) << "A4 landscape height in points";
    }
    EXPECT_GE(pages, 2) << "a page for each sheet";
}

}  // namespace
}  // namespace speclore::test
