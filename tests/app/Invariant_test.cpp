#include "app/Invariant.h"

#include <gtest/gtest.h>

namespace speclore {
namespace {

// The release build defines NDEBUG; the check must survive it.
TEST(InvariantDeathTest, ABrokenInvariantStopsWithItsPlaceEvenInTheReleaseBuild) {
    const int sectors = 3;
    EXPECT_DEATH(SPECLORE_INVARIANT(sectors % 2 == 0),
                 "Invariant_test\\.cpp:[0-9]+: invariant broken: sectors % 2 == 0");
}

TEST(Invariant, AHoldingInvariantEvaluatesItsConditionOnce) {
    int evaluations = 0;
    SPECLORE_INVARIANT(++evaluations == 1);
    EXPECT_EQ(evaluations, 1);
}

}  // namespace
}  // namespace speclore
