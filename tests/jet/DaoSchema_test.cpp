// The attribute word of each kind of MSysObjects row that the fixtures do
// not all show, and the CollatingOrder rule the sheet relies on.
#include <gtest/gtest.h>

#include "jet/DaoSchema.h"

namespace speclore::jet {
namespace {

using namespace speclore::catalog;

TEST(DaoSchema, TableAttributesFromTypeAndFlags) {
    EXPECT_EQ(daoTableAttributes(1, 0), 0);
    EXPECT_EQ(daoTableAttributes(1, static_cast<int32_t>(0x80000000u)), dbSystemObject);
    EXPECT_EQ(daoTableAttributes(1, 2), dbSystemObject);
    EXPECT_EQ(daoTableAttributes(1, 0xA), dbSystemObject | dbHiddenObject);
    EXPECT_EQ(daoTableAttributes(1, 8), dbHiddenObject);
    EXPECT_EQ(daoTableAttributes(1, static_cast<int32_t>(0x80030000u)), dbSystemObject);
    EXPECT_EQ(daoTableAttributes(1, static_cast<int32_t>(0x800A0000u)), dbSystemObject);
    EXPECT_EQ(daoTableAttributes(1, 0x1001), dbHiddenObject);  // an ACE clipboard table
    EXPECT_EQ(daoTableAttributes(6, 0x00200000), dbAttachedTable);
    EXPECT_EQ(daoTableAttributes(4, 0x20100000), dbAttachedODBC);
    EXPECT_EQ(daoTableAttributes(4, 0x20120000), dbAttachedODBC | 0x20000);
    // An ACE table with complex columns is flagged 0x40000: an ordinary
    // table all the same.
    EXPECT_EQ(daoTableAttributes(1, 0x40000), 0);
}

TEST(DaoSchema, OnlyALongIsAnAutoNumberField) {
    RawColumn autoNumber{"ID", 0x04, 0x07, 4, 1033};
    RawColumn complex{"Attachments", 0x12, 0x07, 4, 1033};  // ACE multi-value or attachment
    EXPECT_EQ(daoField(autoNumber, SnapshotFormat::Jet4, 1033).attributes, dbFixedField | dbAutoIncrField);
    EXPECT_EQ(daoField(complex, SnapshotFormat::Ace, 1033).attributes, dbFixedField);
}

TEST(DaoSchema, CollatingOrderMarksOnlyAGuidAutoNumberBelowNeutral) {
    RawColumn guidAuto{"ID", 0x0F, 0x43, 16, 1033};
    RawColumn guid{"G", 0x0F, 0x03, 16, 0};
    RawColumn decimal{"D", 0x10, 0x02, 17, 0x0412};  // precision 18, scale 4 in the sort field
    RawColumn text{"T", 0x0A, 0x02, 100, 1041};
    EXPECT_LT(daoField(guidAuto, SnapshotFormat::Jet4, 1033).collatingOrder, dbSortNeutral);
    EXPECT_EQ(daoField(guid, SnapshotFormat::Jet4, 1033).collatingOrder, 1033);
    EXPECT_EQ(daoField(decimal, SnapshotFormat::Jet4, 1041).collatingOrder, 1041);
    EXPECT_EQ(daoField(text, SnapshotFormat::Jet4, 1033).collatingOrder, 1041);
    EXPECT_EQ(daoField(text, SnapshotFormat::Jet4, 1033).size, 50);
    EXPECT_EQ(daoField(text, SnapshotFormat::Jet3, 1033).size, 100);
}

}  // namespace
}  // namespace speclore::jet
