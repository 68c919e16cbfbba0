#include "workbook/ObjectModelConstants.h"

#include <utility>

namespace speclore::workbook {

namespace {

constexpr int16_t kExcelAutomatic = -4105;

template <class T, size_t N>
std::optional<T> lookUp(const std::pair<int16_t, T> (&table)[N], int16_t key) {
    for (const auto& [excel, value] : table)
        if (excel == key) return value;
    return std::nullopt;
}

}  // namespace

std::optional<uint16_t> horizontalAlignment(int16_t alignment) {
    static constexpr std::pair<int16_t, uint16_t> table[] = {
        {1, 0},      // xlGeneral
        {-4131, 1},  // xlLeft
        {-4108, 2},  // xlCenter
        {-4152, 3},  // xlRight
        {5, 4},      // xlFill
        {-4130, 5},  // xlJustify
        {7, 6},      // xlCenterAcrossSelection
        {-4117, 7},  // xlDistributed
    };
    return lookUp(table, alignment);
}

std::optional<uint16_t> verticalAlignment(int16_t alignment) {
    static constexpr std::pair<int16_t, uint16_t> table[] = {
        {-4160, 0},  // xlTop
        {-4108, 1},  // xlCenter
        {-4107, 2},  // xlBottom
        {-4130, 3},  // xlJustify
        {-4117, 4},  // xlDistributed
    };
    return lookUp(table, alignment);
}

std::optional<LineKind> lineKind(int16_t lineStyle) {
    static constexpr std::pair<int16_t, LineKind> table[] = {
        {1, LineKind::Continuous},    {-4115, LineKind::Dash},      {-4118, LineKind::Dot},
        {4, LineKind::DashDot},       {5, LineKind::DashDotDot},    {-4119, LineKind::Double},
        {13, LineKind::SlantDashDot}, {kExcelNone, LineKind::None},
    };
    return lookUp(table, lineStyle);
}

std::optional<LineWeight> lineWeight(int16_t weight) {
    static constexpr std::pair<int16_t, LineWeight> table[] = {
        {1, LineWeight::Hairline},
        {2, LineWeight::Thin},
        {-4138, LineWeight::Medium},
        {4, LineWeight::Thick},
    };
    return lookUp(table, weight);
}

std::optional<uint16_t> paletteColor(int16_t colorIndex) {
    if (colorIndex == kExcelAutomatic) return kAutomaticColor;
    // ColorIndex n is palette entry n - 1, which the file indexes as n + 7.
    if (colorIndex >= 1 && colorIndex <= 56) return static_cast<uint16_t>(colorIndex + 7);
    return std::nullopt;
}

std::optional<uint16_t> fillPattern(int16_t pattern) {
    // The patterns in the file's order: none, solid, 50%, 75%, 25% grey,
    // the six dark and six light line patterns, 12.5% and 6.25% grey.
    static constexpr std::pair<int16_t, uint16_t> table[] = {
        {kExcelNone, 0}, {kExcelAutomatic, 1},
        {1, 1},          {-4125, 2},
        {-4126, 3},      {-4124, 4},
        {-4128, 5},      {-4166, 6},
        {-4121, 7},      {-4162, 8},
        {9, 9},          {10, 10},
        {11, 11},        {12, 12},
        {13, 13},        {14, 14},
        {15, 15},        {16, 16},
        {17, 17},        {18, 18},
    };
    return lookUp(table, pattern);
}

}  // namespace speclore::workbook
