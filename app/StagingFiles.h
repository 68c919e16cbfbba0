// Names of the private files a process prepares a new file under. Each
// name tells which process made it (its id and start time), so that one a
// killed process left behind is told apart from one a running process is
// still writing, and can be cleared away by a later run.
#pragma once

#include <string>

namespace speclore {

// What every staging file name starts with.
inline constexpr const char* kStagingPrefix = ".speclore-";

// A pattern for mkstemp naming this process: the prefix, the process id and
// start time, and "XXXXXX" for mkstemp to fill in.
std::string stagingNamePattern();

// True when `name` is a staging file name (or a name made from one by
// appending to it) of a process that no longer runs.
bool isStaleStagingName(const std::string& name);

// Removes the stale staging files in `folder`; failures are passed over, as
// the files harm nothing but the space they take.
void removeStaleStagingFiles(const std::string& folder);

}  // namespace speclore
