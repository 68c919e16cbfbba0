// Checks of the program's own invariants, on in every build. The release
// build defines NDEBUG, so a plain assert() would vanish exactly where a
// broken invariant would go on to write a damaged workbook. Only cheap
// structural checks belong here (sizes, counts and offsets checked once a
// record, a stream or a save), never one inside a per-cell loop.
//
// A broken invariant is a fault of this program, never of its input:
// anything a file can make false is refused with an AppError instead. The
// check stops the process at once with the file, line and condition on
// standard error, before anything wrong reaches a disk.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace speclore {

[[noreturn]] inline void invariantBroken(const char* condition, const char* file, int line) noexcept {
    std::fprintf(stderr, "%s:%d: invariant broken: %s\n", file, line, condition);
    std::abort();
}

}  // namespace speclore

#define SPECLORE_INVARIANT(condition)                                    \
    do {                                                                 \
        if (!(condition)) [[unlikely]]                                   \
            ::speclore::invariantBroken(#condition, __FILE__, __LINE__); \
    } while (0)
