#include "bench/TracedRun.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/ptrace.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>

namespace speclore::bench {

namespace {

constexpr long kTraceOptions =
    PTRACE_O_TRACEFORK | PTRACE_O_TRACEVFORK | PTRACE_O_TRACECLONE | PTRACE_O_TRACEEXIT | PTRACE_O_EXITKILL;

std::string programName(pid_t pid) {
    std::ifstream comm("/proc/" + std::to_string(pid) + "/comm");
    std::string name;
    std::getline(comm, name);
    return name;
}

// VmHWM of a process about to end: its memory is still there to read.
long peakResidentKb(pid_t pid) {
    std::ifstream status("/proc/" + std::to_string(pid) + "/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atol(line.c_str() + 6);
    }
    return 0;
}

[[noreturn]] void startTraced(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);
    int devNull = ::open("/dev/null", O_WRONLY);
    if (devNull >= 0) ::dup2(devNull, STDOUT_FILENO);
    ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr);
    ::raise(SIGSTOP);
    ::execvp(argv[0], argv.data());
    std::perror(argv[0]);
    ::_exit(127);
}

double cpuSeconds(const rusage& usage) {
    return static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
           static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
}

}  // namespace

TracedRun runTraced(const std::vector<std::string>& command) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t root = ::fork();
    if (root < 0) {
        std::perror("fork");
        std::exit(1);
    }
    if (root == 0) startTraced(command);

    int status = 0;
    ::waitpid(root, &status, 0);
    ::ptrace(PTRACE_SETOPTIONS, root, nullptr, reinterpret_cast<void*>(kTraceOptions));
    ::ptrace(PTRACE_CONT, root, nullptr, nullptr);

    TracedRun run;
    for (;;) {
        rusage usage{};
        const pid_t pid = ::wait4(-1, &status, __WALL, &usage);
        if (pid < 0) {
            if (errno == EINTR) continue;
            break;  // no traced process is left
        }
        if (WIFEXITED(status) || WIFSIGNALED(status)) {
            if (pid == root) {
                run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
                run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
                run.cpuSeconds = cpuSeconds(usage);
            }
            continue;
        }
        if (!WIFSTOPPED(status)) continue;
        const int signal = WSTOPSIG(status);
        const int event = status >> 16;
        if (event == PTRACE_EVENT_EXIT) {
            long& peak = run.peakKb[programName(pid)];
            peak = std::max(peak, peakResidentKb(pid));
        }
        // Event stops, the trap after exec and the first stop of a newly
        // traced process are the tracer's own; other signals go on.
        const bool passOn = event == 0 && signal != SIGTRAP && signal != SIGSTOP;
        ::ptrace(PTRACE_CONT, pid, nullptr, reinterpret_cast<void*>(static_cast<long>(passOn ? signal : 0)));
    }
    return run;
}

}  // namespace speclore::bench
