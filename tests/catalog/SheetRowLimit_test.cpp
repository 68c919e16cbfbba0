// A catalog beyond the worksheets' rows is refused before the template is
// copied. The workbook engine is the real one with its row count cut down,
// so that small databases reach the limit; the rows a sheet needs are read
// off a workbook written without the limit.
#include <gtest/gtest.h>

#include "CatalogHarness.h"
#include "app/ErrorBox.h"
#include "catalog/SheetRowLimit.h"

namespace speclore::test {
namespace {

struct ShortSheets : xls::XlsApplicationFactory {
    explicit ShortSheets(int32_t maxRows) : rows(maxRows) {}
    int32_t maxRows() const override { return rows; }
    int32_t rows;
};

bool runWithRows(CatalogHarness& h, const std::string& output, const catalog::CatalogInputs& inputs,
                 int32_t rows) {
    h.progress.events.clear();
    h.boxes.boxes.clear();
    ShortSheets sheets(rows);
    catalog::CatalogServices services{
        h.engines, {sheets, h.xlsxSpreadsheets}, h.progress, h.programFolder(), h.iniPath(), h.today};
    return catalog::CreateCatalog(output, inputs, services);
}

// The last row of a sheet that holds a value.
int32_t lastRowWithValue(const nlohmann::json& sheet) {
    int32_t last = 0;
    for (const nlohmann::json& cell : sheet.at("cells")) {
        if (cell.value("value", nlohmann::json()).is_null()) continue;
        const std::string address = cell.at("address").get<std::string>();
        last = std::max(last, std::stoi(address.substr(address.find_first_of("0123456789"))));
    }
    return last;
}

// The words the refusal gives as its description.
std::string refusal(int64_t tableRows, int64_t relationRows, int32_t maxRows, const std::string& output) {
    const catalog::WorkbookFormat format = catalog::workbookFormatOf(output);
    try {
        catalog::refuseRowsBeyondSheet(tableRows, relationRows, maxRows, format);
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), err::ApplicationDefined);
        EXPECT_EQ(error.reason(), error.description());
        return error.description();
    }
    return "";
}

void expectRefusedUntouched(const CatalogHarness& h, const std::string& output) {
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].text.rfind(errorBoxMessage(err::ApplicationDefined, "fMain-CreateCatalog"), 0),
              0u)
        << h.boxes.boxes[0].text;
    EXPECT_EQ(readText(output), "old workbook") << "refused before the template is copied";
    EXPECT_EQ(h.progress.events.back(), "Unload");
    for (const std::string& event : h.progress.events) {
        EXPECT_TRUE(event == "Item " || event.rfind("Item ", 0) != 0) << "no table was written: " << event;
    }
}

TEST(SheetRowLimit, TableSheetThatFitsExactlyIsWrittenOneRowMoreIsRefused) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = h.inputsFor("catalog_ja.mdb");
    inputs.tables.back().selected = false;
    ASSERT_TRUE(h.run(inputs));
    const std::string unlimited = readText(h.outputPath());
    const int32_t needed = lastRowWithValue(h.sheet(1));
    ASSERT_GT(needed, 10);

    ASSERT_TRUE(runWithRows(h, h.outputPath(), inputs, needed));
    EXPECT_EQ(readText(h.outputPath()), unlimited);

    writeText(h.outputPath(), "old workbook");
    EXPECT_FALSE(runWithRows(h, h.outputPath(), inputs, needed - 1));
    expectRefusedUntouched(h, h.outputPath());
    EXPECT_EQ(refusal(needed, 5, needed - 1, h.outputPath()).rfind("テーブル仕様書に ", 0), 0u);
}

TEST(SheetRowLimit, RelationSheetCountsEveryRelationshipRowWhateverTheSelection) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = h.inputsFor("rel_edge.mdb");
    for (auto& table : inputs.tables) table.selected = false;
    ASSERT_TRUE(h.run(inputs));
    const int32_t needed = lastRowWithValue(h.sheet(2));
    ASSERT_GT(needed, 5);

    ASSERT_TRUE(runWithRows(h, h.outputPath(), inputs, needed));

    writeText(h.outputPath(), "old workbook");
    EXPECT_FALSE(runWithRows(h, h.outputPath(), inputs, needed - 1));
    expectRefusedUntouched(h, h.outputPath());
    EXPECT_EQ(refusal(1, needed, needed - 1, h.outputPath()).rfind("リレーション仕様書に ", 0), 0u);
}

TEST(SheetRowLimit, RefusalNamesTheSheetTheRowsNeededAndTheLimit) {
    EXPECT_EQ(refusal(65536, 65536, 65536, "a.xls"), "");
    EXPECT_EQ(refusal(70001, 5, 65536, "/tmp/a.xls"),
              "テーブル仕様書に 70,001 行が必要ですが、ワークシートは 65,536 行までです。"
              "出力するテーブルを減らすか、.xlsx 形式で出力してください。");
    EXPECT_EQ(refusal(1048577, 5, 1048576, "/tmp/a.XLSX"),
              "テーブル仕様書に 1,048,577 行が必要ですが、ワークシートは 1,048,576 行までです。"
              "出力するテーブルを減らしてください。");
    EXPECT_EQ(refusal(3, 65537, 65536, "a.xls"),
              "リレーション仕様書に 65,537 行が必要ですが、ワークシートは 65,536 行までです。"
              ".xlsx 形式で出力してください。");
}

}  // namespace
}  // namespace speclore::test
