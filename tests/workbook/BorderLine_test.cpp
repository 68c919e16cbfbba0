#include "workbook/BorderLine.h"

#include <gtest/gtest.h>

namespace speclore::workbook {
namespace {

bool operator==(BorderLine a, BorderLine b) { return a.kind == b.kind && a.weight == b.weight; }

// Both engines read a code through the table and write it through the
// switch: every line read must write back as the code it came from.
TEST(BorderLine, EveryCodeWritesBackAsItself) {
    for (uint32_t code = 0; code < kLineCodeCount; ++code)
        EXPECT_EQ(codeOfLine(lineOfCode(code)), code) << code;
    EXPECT_TRUE(lineOfCode(kLineCodeCount) == lineOfCode(0));
    EXPECT_EQ(codeOfLine({LineKind::Dot, LineWeight::Thick}), 4u);
    EXPECT_EQ(codeOfLine({LineKind::Dash, LineWeight::Hairline}), 3u);
}

TEST(BorderLine, AChangeKeepsTheOtherHalfAndDrawsAMissingLine) {
    const BorderLine none{LineKind::None, LineWeight::Thin};
    const BorderLine mediumDash{LineKind::Dash, LineWeight::Medium};
    auto change = [](FormatOp op, auto value) {
        return FormatChange{op, EdgeLeft, static_cast<uint16_t>(value)};
    };

    EXPECT_TRUE(changedLine(mediumDash, change(FormatOp::LineStyle, LineKind::Dot)) ==
                (BorderLine{LineKind::Dot, LineWeight::Medium}));
    EXPECT_TRUE(changedLine(mediumDash, change(FormatOp::Weight, LineWeight::Thin)) ==
                (BorderLine{LineKind::Dash, LineWeight::Thin}));
    EXPECT_TRUE(changedLine(mediumDash, change(FormatOp::BorderColor, 10)) == mediumDash);
    EXPECT_TRUE(changedLine(mediumDash, change(FormatOp::LineStyle, LineKind::None)).kind == LineKind::None);

    EXPECT_TRUE(changedLine(none, change(FormatOp::Weight, LineWeight::Thick)) ==
                (BorderLine{LineKind::Continuous, LineWeight::Thick}));
    EXPECT_TRUE(changedLine(none, change(FormatOp::BorderColor, 10)) ==
                (BorderLine{LineKind::Continuous, LineWeight::Thin}));
    EXPECT_TRUE(changedLine(none, change(FormatOp::LineStyle, LineKind::None)).kind == LineKind::None);
}

}  // namespace
}  // namespace speclore::workbook
