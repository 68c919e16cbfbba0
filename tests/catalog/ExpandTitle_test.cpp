#include <gtest/gtest.h>

#include "catalog/CatalogRun.h"

namespace speclore::catalog {
namespace {

const CalendarDate k5March2026{2026, 3, 5};

TEST(ExpandTitle, ReplacesEveryPlaceholderWhateverItsCase) {
    const std::string db = "/home/user/data/顧客.mdb";
    EXPECT_EQ(ExpandTitle("<FileTitle>_<YYYY><MM><DD>", db, k5March2026), "顧客_20260305");
    EXPECT_EQ(ExpandTitle("<filetitle>_<yyyy><mm><dd>", db, k5March2026), "顧客_20260305");
    EXPECT_EQ(ExpandTitle("<M>/<D>", db, k5March2026), "3/5");
    EXPECT_EQ(ExpandTitle("<YY>年<m>月<d>日 <FILENAME>", db, k5March2026), "26年3月5日 顧客.mdb");
    EXPECT_EQ(ExpandTitle("<FileName>|<FileName>", db, k5March2026), "顧客.mdb|顧客.mdb");
    EXPECT_EQ(ExpandTitle("<DD>.<MM>", db, CalendarDate{2031, 12, 25}), "25.12");
    EXPECT_EQ(ExpandTitle("<YY>", db, CalendarDate{2009, 1, 1}), "09");
}

TEST(ExpandTitle, FileTitleCutsAtTheLastDot) {
    const CalendarDate d = k5March2026;
    EXPECT_EQ(ExpandTitle("<FileName> <FileTitle>", "/d/a.b.mdb", d), "a.b.mdb a.b");
    EXPECT_EQ(ExpandTitle("<FileName> <FileTitle>", "/d/noext", d), "noext noext");
    EXPECT_EQ(ExpandTitle("[<FileName>]", "", d), "[]");
}

TEST(ExpandTitle, DatePlaceholdersArrivingThroughTheFileNameAreReplacedToo) {
    EXPECT_EQ(ExpandTitle("<FileName>", "/d/x<YY>.mdb", k5March2026), "x26.mdb");
}

TEST(ExpandTitle, TextWithoutPlaceholdersStaysAsItIs) {
    EXPECT_EQ(ExpandTitle("", "/d/a.mdb", k5March2026), "");
    EXPECT_EQ(ExpandTitle("テーブル仕様書 <Other> <FileName", "/d/a.mdb", k5March2026),
              "テーブル仕様書 <Other> <FileName");
}

}  // namespace
}  // namespace speclore::catalog
