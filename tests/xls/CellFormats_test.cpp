// Format changes on XF bytes: each touches its own bits, equal results
// share one XF, and fonts are cloned rather than changed.
#include <gtest/gtest.h>

#include "app/AppError.h"
#include "xls/ByteIo.h"
#include "xls/CellFormats.h"

namespace speclore::xls {

using namespace workbook;
namespace {

std::string fontRecord(uint16_t weight, const std::string& name) {
    std::string f;
    putU16(f, 220);
    putU16(f, weight >= 700 ? 1 : 0);
    putU16(f, 0x7FFF);
    putU16(f, weight);
    putU16(f, 0);
    f += std::string("\0\0\x80\0", 4);
    putU8(f, static_cast<uint8_t>(name.size()));
    putU8(f, 0);
    return f + name;
}

class CellFormatsTest : public ::testing::Test {
protected:
    CellFormats formats;
    void SetUp() override {
        for (int i = 0; i < 4; ++i) formats.addTemplateFont(fontRecord(400, "Arial"));
        formats.addTemplateFont(fontRecord(400, "Gothic"));  // index 5: index 4 does not exist
        std::string styleXf(20, '\0'), cellXf(20, '\0');
        setU16(styleXf.data() + 4, 0xFFF4);
        setU16(styleXf.data() + 18, 0x20C0);
        for (int i = 0; i < 15; ++i) formats.addTemplateXf(styleXf);
        setU16(cellXf.data() + 18, 0x20C0);  // no fill: fore 64, back 65
        formats.addTemplateXf(cellXf);       // 15
        setU16(cellXf.data(), 5);
        cellXf[6] = 0x23;               // right aligned, bottom
        formats.addTemplateXf(cellXf);  // 16
    }
    std::string xf(uint16_t index) {
        auto bytes = formats.newXfRecords();
        size_t first = formats.xfCount() - bytes.size();
        if (index < first) ADD_FAILURE() << "template XF asked for";
        return std::string(bytes[index - first].data(), 20);
    }
    uint32_t borders(uint16_t index) { return getU32(xf(index).data() + 10); }
};

TEST_F(CellFormatsTest, LineStyleAndWeightCombineAsTheObjectModelDoes) {
    uint16_t thin =
        formats.apply(15, {FormatOp::LineStyle, EdgeLeft, static_cast<uint16_t>(LineKind::Continuous)});
    EXPECT_EQ(borders(thin) & 0x007F000F, (64u << 16) | 1u) << "a new line is thin and automatic";
    uint16_t medium =
        formats.apply(thin, {FormatOp::Weight, EdgeLeft, static_cast<uint16_t>(LineWeight::Medium)});
    EXPECT_EQ(borders(medium) & 0xF, 2u);
    uint16_t mediumDash =
        formats.apply(medium, {FormatOp::LineStyle, EdgeLeft, static_cast<uint16_t>(LineKind::Dash)});
    EXPECT_EQ(borders(mediumDash) & 0xF, 8u);
    uint16_t grey = formats.apply(mediumDash, {FormatOp::BorderColor, EdgeLeft, 22});
    EXPECT_EQ((borders(grey) >> 16) & 0x7F, 22u);
    uint16_t none =
        formats.apply(grey, {FormatOp::LineStyle, EdgeLeft, static_cast<uint16_t>(LineKind::None)});
    EXPECT_EQ(borders(none) & 0x007F000F, 0u) << "a removed line carries no colour";
    // Colour alone draws a thin line; only the named edges change.
    uint16_t coloured = formats.apply(15, {FormatOp::BorderColor, EdgeTop | EdgeBottom, 22});
    EXPECT_EQ(borders(coloured) & 0xFFFF, 0x1100u);
    EXPECT_EQ(getU32(xf(coloured).data() + 14) & 0x3FFF, 22u | (22u << 7));
    EXPECT_EQ(static_cast<uint8_t>(xf(coloured)[9]) & 0x20, 0x20) << "border group marked as the cell's own";
}

TEST_F(CellFormatsTest, FillsPairForeAndBackColoursAsExcelStoresThem) {
    uint16_t solid = formats.apply(15, {FormatOp::FillColor, 0, 22});
    EXPECT_EQ(getU16(xf(solid).data() + 18), 22 | (64 << 7));
    EXPECT_EQ(getU32(xf(solid).data() + 14) >> 26, 1u);
    uint16_t cleared = formats.apply(solid, {FormatOp::FillColor, 0, kNoFill});
    EXPECT_EQ(getU16(xf(cleared).data() + 18), 0x20C0) << "fore automatic, back window background";
    EXPECT_EQ(getU32(xf(cleared).data() + 14) >> 26, 0u);
    uint16_t pattern = formats.apply(solid, {FormatOp::FillPatternColor, 0, 10});
    EXPECT_EQ(getU16(xf(pattern).data() + 18), 22 | (10 << 7));
}

TEST_F(CellFormatsTest, BoldClonesTheFontOnceAndKeepsAlignment) {
    uint16_t bold = formats.apply(16, {FormatOp::Bold, 0, 1});
    std::string boldXf = xf(bold);
    EXPECT_EQ(boldXf[6], 0x23);
    uint16_t font = getU16(boldXf.data());
    EXPECT_EQ(font, 6) << "the first new font after index 5";
    ASSERT_NE(formats.font(font), nullptr);
    EXPECT_EQ(getU16(formats.font(font)->data() + 6), 700);
    EXPECT_EQ(formats.font(font)->substr(16), "Gothic");
    EXPECT_EQ(formats.apply(16, {FormatOp::Bold, 0, 1}), bold);
    EXPECT_EQ(getU16(xf(formats.apply(bold, {FormatOp::Bold, 0, 0})).data()), 5)
        << "the template's own font again";
    EXPECT_EQ(formats.newFontRecords().size(), 1u);
}

TEST_F(CellFormatsTest, ManyDistinctFormatsStopAtTheLimitWithError1004) {
    try {
        for (int i = 0; i < 5000; ++i) {
            uint16_t fill =
                formats.apply(15, {FormatOp::FillPatternColor, 0, static_cast<uint16_t>(i % 128)});
            formats.apply(fill, {FormatOp::BorderColor, EdgeLeft, static_cast<uint16_t>(i / 128)});
        }
        FAIL() << "no limit";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::ApplicationDefined);
    }
    EXPECT_LE(formats.xfCount(), 4050u);
}

}  // namespace
}  // namespace speclore::xls
