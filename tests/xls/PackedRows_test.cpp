// Rows sharing one array: each row keeps its items and their order however
// the rows are filled, and moved rows leave bounded unused room.
#include <gtest/gtest.h>

#include <vector>

#include "xls/PackedRows.h"

namespace speclore::xls {
namespace {

using Rows = PackedRows<int>;

std::vector<int> itemsOf(const Rows& rows, const Rows::Slab& slab) {
    std::span<const int> items = rows.items(slab);
    return {items.begin(), items.end()};
}

TEST(PackedRows, RowsFilledOneAfterAnotherGrowInPlace) {
    Rows rows(4);
    std::vector<Rows::Slab> slabs(100);
    for (size_t r = 0; r < slabs.size(); ++r)
        for (int k = 0; k < 10; ++k) rows.insert(slabs[r], slabs[r].count, static_cast<int>(r) * 100 + k);
    EXPECT_EQ(rows.allocated(), 100u * 16) << "each row doubled twice where it lies, leaving nothing behind";
    for (size_t r = 0; r < slabs.size(); ++r) {
        std::vector<int> expected;
        for (int k = 0; k < 10; ++k) expected.push_back(static_cast<int>(r) * 100 + k);
        ASSERT_EQ(itemsOf(rows, slabs[r]), expected) << r;
    }
}

TEST(PackedRows, InsertsAndErasesAnywhereInEarlierRowsKeepEveryRowIntact) {
    Rows rows(2);
    std::vector<Rows::Slab> slabs(50);
    std::vector<std::vector<int>> model(slabs.size());
    auto insert = [&](size_t r, size_t at, int value) {
        rows.insert(slabs[r], at, value);
        model[r].insert(model[r].begin() + static_cast<long>(at), value);
    };
    for (size_t r = 0; r < slabs.size(); ++r)
        for (int k = 0; k < 4; ++k) insert(r, slabs[r].count, k);
    // Every row outgrows its slab away from the end: at the front, in the
    // middle and last, several times over, interleaved with the others.
    int value = 1000;
    for (int round = 0; round < 6; ++round) {
        for (size_t r = 0; r < slabs.size(); ++r) {
            insert(r, 0, value++);
            insert(r, slabs[r].count / 2, value++);
            insert(r, slabs[r].count, value++);
        }
        for (size_t r = 0; r < slabs.size(); r += 3) {
            rows.erase(slabs[r], 1);
            model[r].erase(model[r].begin() + 1);
        }
    }
    size_t inUse = 0;
    for (size_t r = 0; r < slabs.size(); ++r) {
        ASSERT_EQ(itemsOf(rows, slabs[r]), model[r]) << r;
        inUse += slabs[r].capacity;
    }
    EXPECT_LE(rows.allocated(), 2 * inUse) << "slabs left behind take no more than those in use";
}

TEST(PackedRows, RowsBeyondTheFirstChunksKeepTheirItemsWhenEarlierRowsMove) {
    // Enough rows of 3 for several 65,536-item chunks, each row growing to
    // 6 once the next rows are written, so that slabs move across chunks
    // and slabs at the end of a chunk do not fit there.
    Rows rows(3);
    std::vector<Rows::Slab> slabs(60000);
    for (size_t r = 0; r < slabs.size(); ++r) {
        for (int k = 0; k < 3; ++k) rows.insert(slabs[r], slabs[r].count, static_cast<int>(r * 10) + k);
        if (r == 0) continue;
        for (int k = 3; k < 6; ++k)
            rows.insert(slabs[r - 1], slabs[r - 1].count, static_cast<int>((r - 1) * 10) + k);
    }
    size_t inUse = 0;
    for (size_t r = 0; r + 1 < slabs.size(); ++r) {
        std::span<const int> items = rows.items(slabs[r]);
        ASSERT_EQ(items.size(), 6u) << r;
        for (int k = 0; k < 6; ++k)
            ASSERT_EQ(items[static_cast<size_t>(k)], static_cast<int>(r * 10) + k) << r;
        inUse += slabs[r].capacity;
    }
    EXPECT_GT(rows.allocated(), size_t{3} * 65536) << "several chunks";
    EXPECT_LE(rows.allocated(), 2 * inUse);
}

TEST(PackedRows, AnEmptiedRowTakesItemsAgainAndAnUntouchedRowStaysEmpty) {
    Rows rows(1);
    Rows::Slab first, untouched, last;
    rows.insert(first, 0, 1);
    rows.insert(last, 0, 3);
    rows.erase(first, 0);
    EXPECT_TRUE(rows.items(first).empty());
    rows.insert(first, 0, 2);
    EXPECT_EQ(itemsOf(rows, first), std::vector<int>{2});
    EXPECT_TRUE(rows.items(untouched).empty());
    EXPECT_EQ(itemsOf(rows, last), std::vector<int>{3});
}

}  // namespace
}  // namespace speclore::xls
