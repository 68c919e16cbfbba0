// The catalog run's kinds of edits, a few of each, on one worksheet of
// either engine: values, an alignment, frame lines, a fill and bold text.
#pragma once

#include <string_view>

#include "catalog/Spreadsheet.h"

namespace speclore::fuzz {

inline void editSheet(catalog::XlWorksheet& sheet, std::string_view title) {
    sheet.SetValue("A1", title);
    sheet.SetValue("B2", 42);
    sheet.SetValue("C3", "");
    auto range = sheet.Range("A1", "C4");
    range->HorizontalAlignment(catalog::xlCenter);
    range->Borders(catalog::xlInsideHorizontal).LineStyle(catalog::xlContinuous);
    range->Borders(catalog::xlEdgeLeft).ColorIndex(15);
    range->Interior().ColorIndex(15);
    range->Font().Bold(true);
}

}  // namespace speclore::fuzz
