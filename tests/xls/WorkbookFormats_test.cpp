// Format operations as the catalog run makes them, read back with xlsdump:
// each changes one attribute of each cell and keeps the rest.
#include <gtest/gtest.h>

#include "XlsTestSupport.h"
#include "app/AppError.h"
#include "catalog/Spreadsheet.h"
#include "xls/BiffRecord.h"
#include "xls/ByteIo.h"
#include "xls/CompoundFile.h"
#include "xls/WorkbookFile.h"
#include "xls/XlsApplication.h"

namespace speclore::xls {
namespace {

using namespace speclore::catalog;
using nlohmann::json;
using test::copyFixture;
using test::TempDir;

void heading(XlWorksheet& sheet, const std::string& first, const std::string& last) {
    auto range = sheet.Range(first, last);
    range->HorizontalAlignment(xlCenter);
    for (int16_t edge : {xlEdgeLeft, xlEdgeTop, xlEdgeBottom, xlEdgeRight, xlInsideVertical}) {
        range->Borders(edge).LineStyle(xlContinuous);
        range->Borders(edge).Weight(xlThin);
        range->Borders(edge).ColorIndex(xlColorIndexAutomatic);
    }
    range->Interior().ColorIndex(15);
    range->Interior().Pattern(xlSolid);
    range->Interior().PatternColorIndex(xlAutomatic);
}

void frame(XlWorksheet& sheet, const std::string& first, const std::string& last, bool insideHorizontal) {
    auto range = sheet.Range(first, last);
    std::vector<int16_t> edges{xlEdgeLeft, xlEdgeBottom, xlEdgeRight, xlInsideVertical};
    if (insideHorizontal) edges.push_back(xlInsideHorizontal);
    for (int16_t edge : edges) {
        range->Borders(edge).LineStyle(xlContinuous);
        range->Borders(edge).Weight(xlThin);
        range->Borders(edge).ColorIndex(15);
    }
}

// "thin/automatic", "thin/15" or "none" for one edge of a dumped cell.
std::string edge(const json& cell, const char* side) {
    const json& b = cell["format"]["borders"][side];
    if (b["style"] == "none") return "none";
    return b["style"].get<std::string>() + "/" + std::to_string(b["colorindex"].get<int>());
}

class WorkbookFormats : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = copyFixture(dir, "two_sheets.xls", "formats.xls");
    XlsApplicationFactory factory;
    std::unique_ptr<XlApplication> app = factory.CreateApplication();
    std::unique_ptr<XlWorkbook> book = app->OpenWorkbook(path);

    json saveAndDump(const std::string& range) {
        book->Close(true);
        return test::xlsdumpJson(path, {"--sheet", "1", "--range", range, "--all"})["sheets"][0];
    }
    static const json& cell(const json& sheet, const char* address) {
        const json* c = test::findCell(sheet, address);
        if (!c) throw std::runtime_error(std::string("no cell ") + address);
        return *c;
    }
};

TEST_F(WorkbookFormats, HeadingRowGetsCentredFramedGreyCells) {
    XlWorksheet& sheet = book->Sheets(1);
    const char* texts[] = {"NO", "項目名称", "タイプ", "サイズ", "インデックス", "項目説明"};
    for (int c = 0; c < 6; ++c) sheet.SetValue(std::string(1, static_cast<char>('A' + c)) + "10", texts[c]);
    heading(sheet, "A10", "F10");
    json s = saveAndDump("A10:F10");
    for (const char* address : {"A10", "B10", "C10", "D10", "E10", "F10"}) {
        SCOPED_TRACE(address);
        const json& c = cell(s, address);
        EXPECT_EQ(c["format"]["horizontal"]["excel"], xlCenter);
        EXPECT_EQ(c["format"]["vertical"]["excel"], xlBottom);  // kept from XF 15
        EXPECT_EQ(edge(c, "top"), "thin/-4105");
        EXPECT_EQ(edge(c, "bottom"), "thin/-4105");
        EXPECT_EQ(edge(c, "left"), "thin/-4105");   // edge 7 or the inside line
        EXPECT_EQ(edge(c, "right"), "thin/-4105");  // edge 10 or the inside line
        EXPECT_EQ(c["format"]["fill"]["excel"],
                  (json{{"Pattern", 1}, {"ColorIndex", 15}, {"PatternColorIndex", -4105}}));
        EXPECT_EQ(c["format"]["fill"]["fore_biff"], 22);
        EXPECT_EQ(c["format"]["xf_record"]["used_attributes"]["border"], true);
    }
    EXPECT_EQ(cell(s, "B10")["value"], "項目名称");
}

TEST_F(WorkbookFormats, FrameDrawsOuterEdgesAndBothSidesOfInsideLines) {
    XlWorksheet& sheet = book->Sheets(1);
    for (int r = 11; r <= 13; ++r) sheet.SetValue("A" + std::to_string(r), r - 10);
    frame(sheet, "A11", "C13", true);
    frame(sheet, "A15", "C15", false);  // one row: no inside horizontal line asked
    json s = saveAndDump("A11:C15");
    struct Expect {
        const char* address;
        const char *left, *top, *bottom, *right;
    } expected[] = {
        {"A11", "thin/15", "none", "thin/15", "thin/15"},
        {"B11", "thin/15", "none", "thin/15", "thin/15"},
        {"C11", "thin/15", "none", "thin/15", "thin/15"},
        {"A12", "thin/15", "thin/15", "thin/15", "thin/15"},
        {"C13", "thin/15", "thin/15", "thin/15", "thin/15"},
        {"B15", "thin/15", "none", "thin/15", "thin/15"},
    };
    for (const Expect& e : expected) {
        SCOPED_TRACE(e.address);
        const json& c = cell(s, e.address);
        EXPECT_EQ(edge(c, "left"), e.left);
        EXPECT_EQ(edge(c, "top"), e.top);
        EXPECT_EQ(edge(c, "bottom"), e.bottom);
        EXPECT_EQ(edge(c, "right"), e.right);
        EXPECT_EQ(c["format"]["borders"]["left"]["biff"], 22);
    }
    EXPECT_EQ(cell(s, "A12")["value"], 2);
    EXPECT_EQ(cell(s, "B12")["type"], "blank");
    EXPECT_EQ(test::findCell(s, "D12"), nullptr);
}

TEST_F(WorkbookFormats, BoldKeepsFontNameSizeAndTheCellsOtherFormats) {
    XlWorksheet& sheet = book->Sheets(1);
    sheet.Range("C3", "C3")->Font().Bold(true);  // right-aligned, framed, ＭＳ Ｐゴシック 11pt
    sheet.SetValue("A40", 1);
    sheet.Range("A40", "A40")->Font().Bold(true);
    sheet.SetValue("A41", 2);
    sheet.Range("A41", "A41")->Font().Bold(true);
    json s = saveAndDump("A1:F41");
    const json& c3 = cell(s, "C3");
    EXPECT_EQ(c3["value"], "framed");
    EXPECT_EQ(c3["format"]["font"]["bold"], true);
    EXPECT_EQ(c3["format"]["font"]["bold_flag_bit"], true);
    EXPECT_EQ(c3["format"]["font"]["weight"], 700);
    EXPECT_EQ(c3["format"]["font"]["name"], "ＭＳ Ｐゴシック");
    EXPECT_EQ(c3["format"]["font"]["height_twips"], 220);
    EXPECT_EQ(c3["format"]["horizontal"]["name"], "right");
    EXPECT_EQ(edge(c3, "left"), "thin/-4105");
    const json& a40 = cell(s, "A40");
    EXPECT_EQ(a40["format"]["font"]["bold"], true);
    EXPECT_EQ(a40["format"]["font"]["name"], "Arial");
    EXPECT_EQ(a40["format"]["xf_index"], cell(s, "A41")["format"]["xf_index"]) << "equal formats share an XF";
}

TEST_F(WorkbookFormats, TitleRowSettingsChangeOnlyAlignmentAndWrap) {
    XlWorksheet& sheet = book->Sheets(1);
    auto range = sheet.Range("A3", "F3");
    range->HorizontalAlignment(xlGeneral);
    range->VerticalAlignment(xlBottom);
    range->WrapText(false);
    json s = saveAndDump("A3:F3");
    const json& c3 = cell(s, "C3");
    EXPECT_EQ(c3["format"]["horizontal"]["name"], "general");
    EXPECT_EQ(edge(c3, "top"), "thin/-4105");
    EXPECT_EQ(c3["format"]["font"]["name"], "ＭＳ Ｐゴシック");
}

// A cell without a record shows its row's or its column's format, and a
// value or a format written there starts from that format.
TEST_F(WorkbookFormats, CellsWithoutRecordStartFromRowOrColumnFormat) {
    XlWorksheet& sheet = book->Sheets(1);
    sheet.SetValue("E20", "列の書式");
    sheet.SetValue("B30", "行の書式");
    sheet.Range("E21", "E21")->Font().Bold(true);
    json s = saveAndDump("A20:F30");
    EXPECT_EQ(cell(s, "E20")["format"]["fill"]["pattern"], "solid");
    EXPECT_EQ(cell(s, "E21")["format"]["fill"]["pattern"], "solid");
    EXPECT_EQ(cell(s, "E21")["format"]["font"]["bold"], true);
    EXPECT_EQ(cell(s, "B30")["format"]["font"]["italic"], true);
}

TEST_F(WorkbookFormats, UnknownConstantsRaiseError1004AndChangeNothing) {
    XlWorksheet& sheet = book->Sheets(1);
    auto range = sheet.Range("A1", "B2");
    auto expect1004 = [](auto call) {
        try {
            call();
            ADD_FAILURE() << "no error";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), err::ApplicationDefined);
        }
    };
    expect1004([&] { range->HorizontalAlignment(42); });
    expect1004([&] { range->VerticalAlignment(1); });
    expect1004([&] { range->Borders(6); });
    expect1004([&] { range->Borders(13); });
    expect1004([&] { range->Borders(xlEdgeTop).ColorIndex(57); });
    expect1004([&] { range->Borders(xlEdgeTop).Weight(3); });
    expect1004([&] { range->Interior().ColorIndex(0); });
    expect1004([&] { range->Interior().Pattern(99); });
    expect1004([&] { sheet.Range("A1", "IW1"); });
}

// Formats made in one call leave the file byte for byte as the setters one
// by one do: same cells, same formats appended in the same order. The
// ranges start from mixed formats (cells with and without records, bold,
// an earlier frame they overlap) and have every shape: one cell, one row,
// one column, a block.
TEST(WorkbookFormatFrames, FormatRangeWritesTheSameFileAsTheSettersOneByOne) {
    std::vector<XlSetting> settings = {{XlSetter::HorizontalAlignment, xlCenter}, {XlSetter::WrapText, 1}};
    struct Line {
        int16_t index, lineStyle, weight, colorIndex;
    };
    const Line lines[] = {
        {xlEdgeLeft, xlContinuous, xlThin, 15},
        {xlEdgeTop, -4115, -4138, xlColorIndexAutomatic},
        {xlEdgeBottom, xlContinuous, 4, 10},
        {xlEdgeRight, -4119, xlThin, 15},
        {xlInsideVertical, -4118, 1, xlColorIndexAutomatic},
        {xlInsideHorizontal, xlContinuous, xlThin, -4142},
    };
    for (const Line& line : lines) {
        settings.push_back({XlSetter::BorderLineStyle, line.lineStyle, line.index});
        settings.push_back({XlSetter::BorderWeight, line.weight, line.index});
        settings.push_back({XlSetter::BorderColorIndex, line.colorIndex, line.index});
    }
    settings.push_back({XlSetter::InteriorColorIndex, 15});
    settings.push_back({XlSetter::InteriorPattern, xlSolid});
    settings.push_back({XlSetter::FontBold, 1});
    const std::pair<SheetCell, SheetCell> ranges[] = {{{'B', 2}, {'B', 2}},   {{'B', 4}, {'F', 4}},
                                                      {{'C', 6}, {'C', 12}},  {{'A', 8}, {'F', 20}},
                                                      {{'D', 15}, {'H', 30}}, {{'J', 40}, {'A', 3}}};
    auto address = [](SheetCell cell) { return std::string(1, cell.column) + std::to_string(cell.row); };
    TempDir dir;
    std::string paths[2];
    XlsApplicationFactory factory;
    for (int batched = 0; batched < 2; ++batched) {
        paths[batched] = copyFixture(dir, "two_sheets.xls", batched ? "batched.xls" : "one_by_one.xls");
        auto app = factory.CreateApplication();
        auto book = app->OpenWorkbook(paths[batched]);
        XlWorksheet& sheet = book->Sheets(1);
        for (int row = 5; row < 25; row += 3) sheet.SetValue("C" + std::to_string(row), row);
        sheet.Range("A9", "B9")->Font().Bold(true);
        heading(sheet, "A4", "F4");
        for (const auto& [first, last] : ranges) {
            if (batched)
                sheet.FormatRange(first, last, settings);
            else
                sheet.Range(address(first), address(last))->XlRange::Set(settings);
        }
        book->Close(true);
    }
    EXPECT_EQ(test::readBytes(paths[1]), test::readBytes(paths[0]));
}

// Formats read and set a row at a time come out as cell by cell: rows with
// and without records and cells, a row and a column with formats of their
// own, a row beyond the sheet's cells, cells given their shown format, and
// cells left as they are.
TEST(WorkbookFormatRows, ARowAtATimeReadsAndSetsAsCellByCell) {
    const std::string bytes = test::readText(test::xlsFixture("two_sheets.xls"));
    WorkbookFile cellByCell = WorkbookFile::fromBytes(bytes);
    WorkbookFile rowAtATime = WorkbookFile::fromBytes(bytes);
    Worksheet& one = cellByCell.worksheet(1);
    Worksheet& rows = rowAtATime.worksheet(1);
    for (uint16_t row : std::initializer_list<uint16_t>{0, 2, 3, 19, 29, 40, 300}) {
        std::vector<uint32_t> shown(9);
        rows.rowXfs({row, 1}, shown);
        std::vector<uint32_t> wanted(shown.size());
        for (uint16_t k = 0; k < shown.size(); ++k) {
            const CellAddress cell{row, static_cast<uint16_t>(1 + k)};
            EXPECT_EQ(shown[k], one.cellXf(cell)) << row << "/" << k;
            wanted[k] = k % 3 == 0   ? Worksheet::kKeepXf
                        : k % 3 == 1 ? shown[k]
                                     : shown[(k + 4) % shown.size()];
            if (wanted[k] != Worksheet::kKeepXf) one.setXf(cell, static_cast<uint16_t>(wanted[k]));
        }
        rows.setRowXfs({row, 1}, wanted);
    }
    EXPECT_EQ(rowAtATime.toBytes(), cellByCell.toBytes());
}

TEST(WorkbookFormatSharing, ACatalogSizedRunStaysFarBelowTheFormatLimits) {
    TempDir dir;
    std::string path = copyFixture(dir, "two_sheets.xls", "big.xls");
    XlsApplicationFactory factory;
    auto app = factory.CreateApplication();
    auto book = app->OpenWorkbook(path);
    XlWorksheet& sheet = book->Sheets(1);
    int row = 3;
    for (int block = 0; block < 400; ++block) {
        std::string title = std::to_string(row);
        sheet.SetValue("A" + title, "テーブル" + std::to_string(block));
        ++row;
        heading(sheet, "A" + std::to_string(row), "F" + std::to_string(row));
        ++row;
        int first = row;
        for (int f = 0; f < 20; ++f, ++row) {
            std::string r = std::to_string(row);
            sheet.SetValue("A" + r, f + 1);
            if (f == 0) sheet.Range("A" + r, "A" + r)->Font().Bold(true);
            sheet.SetValue("B" + r, "項目" + std::to_string(f));
        }
        frame(sheet, "A" + std::to_string(first), "F" + std::to_string(row - 1), true);
        ++row;
    }
    book->Close(true);
    json dump = test::xlsdumpJson(path, {"--sheet", "1", "--range", "A1"});
    // Each step of a format sequence leaves an XF behind, but how many does
    // not depend on the number of rows.
    EXPECT_LT(dump["xf_count"].get<int>(), 150);
    EXPECT_LT(dump["font_count"].get<int>(), 16);
    json cells = test::xlsdumpJson(path, {"--sheet", "1", "--range", "A9000:B9010", "--values-only"});
    EXPECT_FALSE(cells["sheets"][0]["cells"].empty());
}

// A template saved by a newer Excel: every XF marked as extended, with the
// checksum and extension records after the XF list.
std::string withXfExtensions() {
    CompoundFile file = CompoundFile::parse(test::readText(test::xlsFixture("two_sheets.xls")));
    std::string& stream = file.findRootStream(u"Workbook")->data;
    std::vector<BiffRecord> records;
    for (size_t at = 0; at + 4 <= stream.size(); at += 4 + getU16(stream.data() + at + 2))
        records.push_back(
            {getU16(stream.data() + at), stream.substr(at + 4, getU16(stream.data() + at + 2))});
    size_t lastXf = 0;
    for (size_t i = 0; i < records.size(); ++i) {
        if (records[i].type != rt::Xf) continue;
        lastXf = i;
        setU32(records[i].data.data() + 14, getU32(records[i].data.data() + 14) | (1u << 25));
    }
    std::string extension(20, '\0');  // future record header, then the XF it extends
    setU16(extension.data() + 14, kDefaultCellXf);
    records.insert(records.begin() + static_cast<long>(lastXf) + 1,
                   {{rt::XfCrc, std::string(20, '\0')}, {rt::XfExt, extension}});
    std::string rebuilt;
    for (BiffRecord& r : records) {
        if (r.type == rt::BoundSheet) setU32(r.data.data(), getU32(r.data.data()) + 48);
        appendRecord(rebuilt, r.type, r.data);
    }
    stream = rebuilt;
    return file.serialize();
}

TEST(WorkbookFormatExtensions, NewFormatsDropTheExtensionsAndEveryXfsMarkOfThem) {
    TempDir dir;
    std::string path = (dir / "extended.xls").string();
    test::writeText(path, withXfExtensions());
    {
        XlsApplicationFactory factory;
        auto app = factory.CreateApplication();
        auto book = app->OpenWorkbook(path);
        book->Sheets(1).Range("A3", "B4")->Font().Bold(true);
        book->Close(true);
    }
    EXPECT_EQ(test::runXlsdump(path, {"--check"}).exitCode, 0);
    std::string stream = CompoundFile::parse(test::readText(path)).findRootStream(u"Workbook")->data;
    int xfs = 0;
    for (size_t at = 0; at + 4 <= stream.size(); at += 4 + getU16(stream.data() + at + 2)) {
        uint16_t type = getU16(stream.data() + at);
        EXPECT_NE(type, rt::XfCrc);
        EXPECT_NE(type, rt::XfExt);
        if (type != rt::Xf) continue;
        ++xfs;
        EXPECT_EQ(getU32(stream.data() + at + 4 + 14) & (1u << 25), 0u) << "XF " << xfs - 1;
    }
    EXPECT_GT(xfs, 16);
}

}  // namespace
}  // namespace speclore::xls
