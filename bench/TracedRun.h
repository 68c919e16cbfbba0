// Runs a command and every process it starts under ptrace, stopping them
// only as they start and end, to learn each process's own peak memory:
// a parent's resource usage folds in the children it waited for, so it
// cannot tell a program's peak from that of the helper it runs.
#pragma once

#include <map>
#include <string>
#include <vector>

namespace speclore::bench {

struct TracedRun {
    double seconds = 0;     // start to end of the whole tree
    double cpuSeconds = 0;  // user + system of the command and the processes it waited for
    int exitStatus = -1;    // -1 when it did not exit normally
    // Peak resident memory in KiB by program name (the highest of its
    // processes), read as each process ends.
    std::map<std::string, long> peakKb;
};

// Standard output goes to /dev/null; standard error is kept.
TracedRun runTraced(const std::vector<std::string>& command);

}  // namespace speclore::bench
