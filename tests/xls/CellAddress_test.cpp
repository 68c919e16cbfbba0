#include <gtest/gtest.h>

#include <functional>
#include <utility>

#include "app/AppError.h"
#include "xls/CellAddress.h"

namespace speclore::xls {
namespace {

TEST(CellAddress, ReadsEveryFormExcelAccepts) {
    struct Case {
        const char* text;
        uint16_t row, column;
    } cases[] = {
        {"A1", 0, 0},   {"b7", 6, 1},   {"$C$3", 2, 2},          {"Z10", 9, 25},
        {"AA1", 0, 26}, {"az2", 1, 51}, {"IV65536", 65535, 255}, {"$iv$1", 0, 255},
        {"J4", 3, 9},
    };
    for (const Case& c : cases) {
        CellAddress cell = parseCellAddress(c.text);
        EXPECT_EQ(cell.row, c.row) << c.text;
        EXPECT_EQ(cell.column, c.column) << c.text;
        EXPECT_EQ(parseCellAddress(formatCellAddress(cell)).row, c.row);
    }
    EXPECT_EQ(formatCellAddress({65535, 255}), "IV65536");
    EXPECT_EQ(formatCellAddress({4, 26}), "AA5");
}

TEST(CellAddress, AnythingOutsideTheSheetIsError1004) {
    for (const char* text : {"IW1", "A65537", "A0", "", "A", "1", "1A", "AAA1", "A1B", "A-1", "A 1", "$$A1",
                             "A100000", "ZZ1", "A1:B2"}) {
        try {
            parseCellAddress(text);
            ADD_FAILURE() << "accepted '" << text << "'";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), err::ApplicationDefined) << text;
        }
    }
    // A cell given by numbers has the same bounds, and the same words for
    // a row beyond the last.
    EXPECT_EQ(cellAddressAt(65536, 256).row, 65535);
    EXPECT_EQ(cellAddressAt(65536, 256).column, 255);
    for (auto [row, column] : {std::pair<int64_t, int64_t>{0, 1}, {1, 0}, {1, 257}, {65537, 1}, {-1, 1}}) {
        try {
            cellAddressAt(row, column);
            ADD_FAILURE() << "accepted " << row << ", " << column;
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), err::ApplicationDefined) << row << ", " << column;
        }
    }
    for (auto refuse : {std::function<void()>([] { parseCellAddress("A65537"); }),
                        std::function<void()>([] { cellAddressAt(65537, 1); })}) {
        try {
            refuse();
            ADD_FAILURE() << "row 65537 accepted";
        } catch (const AppError& e) {
            EXPECT_NE(e.description().find("最終行 65536"), std::string::npos) << e.description();
            EXPECT_NE(e.description().find(".xlsx"), std::string::npos) << e.description();
        }
    }
}

}  // namespace
}  // namespace speclore::xls
