#include "jet/ReaderLimits.h"

#include <unistd.h>

#include <algorithm>

namespace speclore::jet {

namespace {

constexpr uint64_t kMiB = uint64_t{1} << 20;
constexpr uint64_t kGiB = uint64_t{1} << 30;

// The snapshot carries names, descriptions and system-table rows that the
// file stores: text grows at most by half when converted to UTF-8, and an
// integer cell of 4 stored bytes takes 9. Four times the file bounds it; a
// small file still gets the room big.mdb (0.6 MB) needs a hundred times over.
constexpr uint64_t kSnapshotPerFileByte = 4;
constexpr uint64_t kMinimumSnapshot = 64 * kMiB;
// The snapshot gets half the ceiling, which is never below 1 GiB.
static_assert(kMinimumSnapshot <= kGiB / 2);

// Program, libraries and libmdb's own state take well under 1 GiB of
// address space; the mapped file comes on top, then the snapshot while it
// is built (its objects take a few times its encoded size) and encoded.
constexpr uint64_t kMemoryBase = kGiB;
constexpr uint64_t kMemoryPerFileByte = 16;

size_t atMost(uint64_t wanted, uint64_t ceiling) { return static_cast<size_t>(std::min(wanted, ceiling)); }

}  // namespace

size_t machineMemoryCeiling() {
    const long pages = ::sysconf(_SC_PHYS_PAGES);
    const long pageSize = ::sysconf(_SC_PAGESIZE);
    const uint64_t physical =
        pages > 0 && pageSize > 0 ? static_cast<uint64_t>(pages) * static_cast<uint64_t>(pageSize) : 0;
    return static_cast<size_t>(std::max(physical / 2, kGiB));
}

ReaderLimits ReaderLimits::scaledTo(uint64_t fileSize) const {
    ReaderLimits scaled = *this;
    const uint64_t ceiling = machineMemoryCeiling();
    const uint64_t file = std::min(fileSize, ceiling);
    if (scaled.maxSnapshotBytes == 0) {
        scaled.maxSnapshotBytes =
            atMost(std::max(kMinimumSnapshot, kSnapshotPerFileByte * file), ceiling / 2);
    }
    if (scaled.maxMemoryBytes == 0) {
        scaled.maxMemoryBytes = atMost(kMemoryBase + kMemoryPerFileByte * file, ceiling);
    }
    return scaled;
}

}  // namespace speclore::jet
