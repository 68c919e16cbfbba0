// The reader's limits follow the database's size, under a ceiling drawn
// from the machine.
#include <gtest/gtest.h>

#include "jet/ReaderLimits.h"

namespace speclore::test {
namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;

TEST(ReaderLimits, ScaleWithTheFileAndStayUnderTheMachinesCeiling) {
    const uint64_t ceiling = jet::machineMemoryCeiling();
    ASSERT_GE(ceiling, 1024 * kMiB);

    const jet::ReaderLimits small = jet::ReaderLimits{}.scaledTo(kMiB);
    EXPECT_EQ(small.maxSnapshotBytes, 64 * kMiB);
    EXPECT_GE(small.maxMemoryBytes, 1024 * kMiB);

    // A valid 434 MB database of 6,500 tables with long descriptions: its
    // snapshot may pass 64 MiB, and the mapped file needs room of its own.
    const uint64_t big = 434 * kMiB;
    const jet::ReaderLimits large = jet::ReaderLimits{}.scaledTo(big);
    EXPECT_GT(large.maxSnapshotBytes, 64 * kMiB);
    EXPECT_GE(large.maxMemoryBytes, std::min(ceiling, big + small.maxMemoryBytes));
    EXPECT_LE(large.maxMemoryBytes, ceiling);

    const jet::ReaderLimits huge = jet::ReaderLimits{}.scaledTo(uint64_t{1} << 50);
    EXPECT_LE(huge.maxSnapshotBytes, ceiling);
    EXPECT_EQ(huge.maxMemoryBytes, ceiling);

    // Figures given by the caller stay as given.
    const jet::ReaderLimits given = jet::ReaderLimits{std::chrono::seconds(1), 1234, 5678}.scaledTo(big);
    EXPECT_EQ(given.maxSnapshotBytes, 1234u);
    EXPECT_EQ(given.maxMemoryBytes, 5678u);
}

}  // namespace
}  // namespace speclore::test
