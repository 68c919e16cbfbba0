// When a cipher table cannot be allocated, the exports must not touch the
// missing table: they write "" and return 0. This program replaces the
// non-throwing array allocation so that a test can make it fail.
#include <gtest/gtest.h>

#include <cstddef>
#include <new>
#include <string>

#include "blowfish/BlowFishExports.h"

namespace {
// The number of the next non-throwing array allocation that fails (1 = the
// next one); 0 lets all succeed.
thread_local int failingAllocation = 0;
}  // namespace

void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (failingAllocation > 0 && --failingAllocation == 0) return nullptr;
    // From the throwing form, so that the standard delete[] releases it
    // whatever allocator is underneath (a sanitizer's included).
    try {
        return ::operator new[](size);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

TEST(TableAllocationFailure, EitherTableMissingGivesEmptyResultAndZero) {
    for (int which = 1; which <= 2; ++which) {
        SCOPED_TRACE(which);
        char output[833];
        failingAllocation = which;
        output[0] = 'X';
        EXPECT_EQ(BlowFishEncode("vemtal", "password", output), 0);
        EXPECT_EQ(std::string(output), "");
        failingAllocation = which;
        output[0] = 'X';
        EXPECT_EQ(BlowFishDecode("vemtal", "QU4J7JPMLC4G2", output), 0);
        EXPECT_EQ(std::string(output), "");
    }
    failingAllocation = 0;
    char output[833];
    EXPECT_EQ(BlowFishEncode("vemtal", "password", output), 1);
    EXPECT_EQ(std::string(output), "QU4J7JPMLC4G2");
}
