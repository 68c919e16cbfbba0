// What one run of the reader may use, scaled to the database file: a
// bigger database may need a bigger snapshot and more memory, a hostile one
// must not take the machine. Both figures stay under a ceiling drawn from
// the machine's memory.
#pragma once

#include <chrono>
#include <cstddef>
#include <cstdint>

namespace speclore::jet {

struct ReaderLimits {
    std::chrono::milliseconds timeLimit{10000};
    // Zero: scaled to the file (see scaledTo).
    size_t maxSnapshotBytes = 0;
    // The reader's address space, the mapped file included. Zero: scaled.
    size_t maxMemoryBytes = 0;

    // These limits with every zero figure replaced by the one for a file of
    // `fileSize` bytes on this machine.
    ReaderLimits scaledTo(uint64_t fileSize) const;
};

// Half the machine's physical memory, and never less than 1 GiB.
size_t machineMemoryCeiling();

}  // namespace speclore::jet
