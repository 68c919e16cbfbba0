// Cell values read back by xlrd: texts of every length and width through
// the shared string table's CONTINUE records, and integers as RK or NUMBER.
#include <gtest/gtest.h>

#include <climits>

#include "XlsTestSupport.h"
#include "app/AppError.h"
#include "xls/XlsApplication.h"

namespace speclore::xls {
namespace {

using nlohmann::json;
using test::TempDir;

std::string repeated(const std::string& unit, size_t times) {
    std::string s;
    for (size_t i = 0; i < times; ++i) s += unit;
    return s;
}

std::map<std::string, json> values(const std::string& path, int sheet) {
    std::map<std::string, json> out;
    json dump = test::xlsdumpJson(path, {"--sheet", std::to_string(sheet), "--values-only"});
    for (const json& cell : dump["sheets"][0]["cells"]) out[cell["address"]] = cell["value"];
    return out;
}

TEST(WorkbookValues, TextsOfAnyLengthAndWidthReadBackExactly) {
    TempDir dir;
    std::string path = test::copyFixture(dir, "two_sheets_lo.xls", "texts.xls");
    std::map<std::string, std::string> written;
    {
        XlsApplicationFactory factory;
        auto app = factory.CreateApplication();
        auto book = app->OpenWorkbook(path);
        catalog::XlWorksheet& sheet = book->Sheets(2);
        // Lengths chosen so that string headers, characters and the switch
        // between 8- and 16-bit characters fall on CONTINUE boundaries.
        for (int r = 10; r < 1510; ++r) {
            std::string text = (r % 3 == 0) ? "項目" + std::to_string(r)
                                            : "field_" + std::to_string(r) + repeated("x", r % 97);
            written["B" + std::to_string(r)] = text;
        }
        written["C1"] = repeated("abcdefghij", 900);       // 9000 one-byte characters
        written["C2"] = repeated("テーブル仕様書", 1500);  // 10500 two-byte characters
        written["C3"] = repeated("a", 8213) + "漢字" + repeated("b", 9000);
        written["C4"] = "絵文字 \xF0\x9F\x98\x80 と改行\nタブ\t";
        written["C5"] = repeated("z", 32767);
        written["D1"] = "項目10";  // equal to B10's text: one shared string
        for (auto& [address, text] : written) sheet.SetValue(address, text);
        book->Close(true);
    }
    // A second pass through the engine reads what the first one wrote.
    {
        XlsApplicationFactory factory;
        auto app = factory.CreateApplication();
        auto book = app->OpenWorkbook(path);
        book->Sheets(1).SetValue("A2", "二回目");
        written["A2"] = "二回目";
        book->Close(true);
    }
    std::map<std::string, json> sheet2 = values(path, 2);
    for (auto& [address, text] : written) {
        if (address == "A2") continue;
        ASSERT_TRUE(sheet2.count(address)) << address;
        EXPECT_EQ(sheet2[address], text) << address;
    }
    EXPECT_EQ(values(path, 1)["A2"], "二回目");
}

TEST(WorkbookValues, TooLongTextIsRefusedAndEmptyTextEmptiesTheCell) {
    TempDir dir;
    std::string path = test::copyFixture(dir, "two_sheets.xls", "empty.xls");
    XlsApplicationFactory factory;
    auto app = factory.CreateApplication();
    auto book = app->OpenWorkbook(path);
    catalog::XlWorksheet& sheet = book->Sheets(1);
    // Refused every time: a refused text is not remembered as written.
    EXPECT_THROW(sheet.SetValue("A1", repeated("z", 32768)), AppError);
    EXPECT_THROW(sheet.SetValue("A3", repeated("z", 32768)), AppError);
    sheet.SetValue("A2", "");   // had text and its own format: keeps the format
    sheet.SetValue("Z99", "");  // never existed: stays without record
    book->Close(true);
    json dump = test::xlsdumpJson(path, {"--sheet", "1", "--all"});
    const json* a2 = test::findCell(dump["sheets"][0], "A2");
    ASSERT_NE(a2, nullptr);
    EXPECT_EQ((*a2)["type"], "blank");
    EXPECT_EQ((*a2)["format"]["font"]["name"], "ＭＳ Ｐゴシック");
    EXPECT_EQ(test::findCell(dump["sheets"][0], "Z99"), nullptr);
    EXPECT_EQ(dump["sheets"][0]["cells"][0]["value"], "テーブル仕様書") << "A1 was not touched";
}

TEST(WorkbookValues, IntegersOfTheWholeRangeReadBackExactly) {
    TempDir dir;
    std::string path = test::copyFixture(dir, "two_sheets.xls", "numbers.xls");
    const std::map<std::string, int32_t> numbers = {
        {"A10", 0},          {"A11", 1},          {"A12", -1},        {"A13", 536870911}, {"A14", 536870912},
        {"A15", -536870912}, {"A16", -536870913}, {"A17", INT32_MAX}, {"A18", INT32_MIN}, {"IV65536", 65536},
    };
    {
        XlsApplicationFactory factory;
        auto app = factory.CreateApplication();
        auto book = app->OpenWorkbook(path);
        for (auto& [address, n] : numbers) book->Sheets(1).SetValue(address, n);
        book->Sheets(1).SetValue("C3", 3);  // text cell turned number, keeps its frame
        book->Close(true);
    }
    std::map<std::string, json> got = values(path, 1);
    for (auto& [address, n] : numbers) EXPECT_EQ(got[address], n) << address;
    EXPECT_EQ(got["C3"], 3);
}

}  // namespace
}  // namespace speclore::xls
