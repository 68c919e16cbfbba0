// Runs speclore-mdb-reader on one file and takes its snapshot, so that
// libmdb never runs in the program's process.
//
// Public entry point for the engine and for tests:
//   readSnapshot(readerPath, ReaderMode, file, limits) -> Snapshot
// runs the reader with a time limit and a cap on its output and decodes
// what it wrote. A file libmdb does not recognise raises
// openError(3343, file); a crash, a time-out, a non-zero exit, too much
// output or a malformed snapshot raises openError(3049, file). The child is
// always reaped; nothing is left running.
#pragma once

#include <chrono>
#include <cstddef>
#include <string>

#include "jet/Snapshot.h"

namespace speclore::jet {

enum class ReaderMode {
    // Catalog, local table definitions with descriptions, MSysRelationships.
    Database,
    // Catalog and MSysAccounts of a workgroup file.
    Accounts,
};

struct ReaderLimits {
    std::chrono::milliseconds timeLimit{10000};
    // big.mdb (400 tables, 16,000 fields) gives 0.6 MB.
    size_t maxSnapshotBytes = size_t{64} << 20;
};

inline constexpr const char* kReaderExecutable = "speclore-mdb-reader";

// The reader beside the program: folder "/" kReaderExecutable.
std::string readerPathIn(const std::string& programFolder);

Snapshot readSnapshot(const std::string& readerPath, ReaderMode mode, const std::string& file,
                      const ReaderLimits& limits = {});

}  // namespace speclore::jet
