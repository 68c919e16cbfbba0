#include "workbook/BorderLine.h"

#include <array>

namespace speclore::workbook {

namespace {

constexpr std::array<BorderLine, kLineCodeCount> kLines = {{
    {LineKind::None, LineWeight::Thin},
    {LineKind::Continuous, LineWeight::Thin},
    {LineKind::Continuous, LineWeight::Medium},
    {LineKind::Dash, LineWeight::Thin},
    {LineKind::Dot, LineWeight::Thin},
    {LineKind::Continuous, LineWeight::Thick},
    {LineKind::Double, LineWeight::Thick},
    {LineKind::Continuous, LineWeight::Hairline},
    {LineKind::Dash, LineWeight::Medium},
    {LineKind::DashDot, LineWeight::Thin},
    {LineKind::DashDot, LineWeight::Medium},
    {LineKind::DashDotDot, LineWeight::Thin},
    {LineKind::DashDotDot, LineWeight::Medium},
    {LineKind::SlantDashDot, LineWeight::Medium},
}};

}  // namespace

BorderLine lineOfCode(uint32_t code) { return code < kLines.size() ? kLines[code] : kLines[0]; }

uint32_t codeOfLine(BorderLine line) {
    const bool heavy = line.weight == LineWeight::Medium || line.weight == LineWeight::Thick;
    switch (line.kind) {
    case LineKind::None: return 0;
    case LineKind::Continuous:
        switch (line.weight) {
        case LineWeight::Hairline: return 7;
        case LineWeight::Thin: return 1;
        case LineWeight::Medium: return 2;
        case LineWeight::Thick: return 5;
        }
        return 1;
    case LineKind::Dash: return heavy ? 8 : 3;
    case LineKind::Dot: return 4;
    case LineKind::DashDot: return heavy ? 10 : 9;
    case LineKind::DashDotDot: return heavy ? 12 : 11;
    case LineKind::Double: return 6;
    case LineKind::SlantDashDot: return 13;
    }
    return 0;
}

BorderLine changedLine(BorderLine line, const FormatChange& change) {
    if (change.op == FormatOp::LineStyle)
        line.kind = static_cast<LineKind>(change.value);
    else if (line.kind == LineKind::None)
        line = {LineKind::Continuous, LineWeight::Thin};
    if (change.op == FormatOp::Weight) line.weight = static_cast<LineWeight>(change.value);
    return line;
}

}  // namespace speclore::workbook
