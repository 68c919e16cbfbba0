// Tests that need an outside tool (LibreOffice, python3-xlwt) skip where it
// is missing, except in CI (CI=true): there a missing tool means a broken
// set-up, and the test fails instead of passing without testing anything.
#pragma once

#include <gtest/gtest.h>

#include <cstdlib>
#include <string_view>

namespace speclore::test {

inline bool missingToolFails() {
    const char* ci = std::getenv("CI");
    return ci != nullptr && std::string_view(ci) == "true";
}

}  // namespace speclore::test

// Ends the current test (or its SetUp) because `reason` names a missing tool.
#define SPECLORE_MISSING_TOOL(reason)                                 \
    do {                                                              \
        if (::speclore::test::missingToolFails()) {                   \
            FAIL() << (reason) << " (CI=true: a missing tool fails)"; \
        } else {                                                      \
            GTEST_SKIP() << (reason);                                 \
        }                                                             \
    } while (0)
