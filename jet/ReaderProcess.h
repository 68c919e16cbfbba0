// Runs speclore-mdb-reader on one file and takes its snapshot, so that
// libmdb never runs in the program's process.
//
// Public entry point for the engine and for tests:
//   readSnapshot(readerPath, ReaderMode, file, limits) -> Snapshot
// runs the reader with a clean environment, no descriptors but its pipes,
// no core dumps, in its own process group, under a time limit, an address
// space limit and a cap on its output (both scaled to the file), and
// decodes what it wrote. A file libmdb does not recognise raises
// openError(3343, file); a reader that runs out of memory or output room
// raises 3049 saying the database is too large, with the limit; a crash, a
// time-out, another non-zero exit or a malformed snapshot raises
// openError(3049, file). An encrypted ACE database raises 3031 for a wrong
// or missing password, 3343 for a scheme we do not read and 3049 for a
// damaged or refused encryption header. The reader's group is always killed and reaped;
// nothing is left running. When the reader reports that the kernel lacks a
// confinement mechanism, standard error says so once per process.
#pragma once

#include <string>

#include "jet/ReaderLimits.h"
#include "jet/Snapshot.h"

namespace speclore::jet {

enum class ReaderMode {
    // Catalog, local table definitions with descriptions, MSysRelationships.
    Database,
    // Catalog and MSysAccounts of a workgroup file.
    Accounts,
};

inline constexpr const char* kReaderExecutable = "speclore-mdb-reader";

// The reader beside the program, else in the installed library folder.
std::string readerPathIn(const std::string& programFolder);

// `password` unlocks an encrypted ACE database; the reader reads it from
// its standard input, where no other user can see it. `takeFromObject` is
// shown each object as it arrives, while the reader still reads.
Snapshot readSnapshot(const std::string& readerPath, ReaderMode mode, const std::string& file,
                      const ReaderLimits& limits = {}, const std::string& password = {},
                      const ObjectTaker& takeFromObject = {});

}  // namespace speclore::jet
