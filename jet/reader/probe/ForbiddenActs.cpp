// The forbidden acts of the reader's test build (speclore-mdb-reader-probe):
// after confinement, the probe tries the act named on its command line.
// It exits kActRefused when the kernel refused the act with an error and
// kActDone when the act went through; a confined reader may also be killed
// for trying.
#include "jet/reader/probe/ForbiddenActs.h"

#include <fcntl.h>
#include <signal.h>
#include <sys/mman.h>
#include <sys/ptrace.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstring>
#include <string>

namespace speclore::jet::reader {

namespace {

bool openForWriting(const char* database) {
    const std::string path = std::string(database) + ".probe-written";
    const int fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0600);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool openAnyFile(const char* database) {
    const int fd = ::open(database, O_RDONLY);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool createSocket(const char*) {
    const int fd = ::socket(AF_INET, SOCK_STREAM, 0);
    if (fd < 0) return false;
    ::close(fd);
    return true;
}

bool startProgram(const char*) {
    // Exits with kActDone when it runs.
    const std::string done = "exit " + std::to_string(kActDone);
    ::execl("/bin/sh", "sh", "-c", done.c_str(), static_cast<char*>(nullptr));
    return false;
}

bool traceItself(const char*) { return ::ptrace(PTRACE_TRACEME, 0, nullptr, nullptr) == 0; }

bool writeToStandardError(const char*) { return ::write(STDERR_FILENO, "probe\n", 6) == 6; }

bool startProcess(const char*) {
    const pid_t pid = ::fork();
    if (pid < 0) return false;
    if (pid == 0) ::_exit(0);
    ::waitpid(pid, nullptr, 0);
    return true;
}

bool signalParent(const char*) { return ::kill(::getppid(), 0) == 0; }

bool mapExecutableMemory(const char*) {
    void* page =
        ::mmap(nullptr, 4096, PROT_READ | PROT_WRITE | PROT_EXEC, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (page == MAP_FAILED) return false;
    ::munmap(page, 4096);
    return true;
}

}  // namespace

int tryForbiddenAct(const char* act, const char* database) {
    struct Act {
        const char* name;
        bool (*attempt)(const char*);
    };
    static const Act acts[] = {
        {"open-for-writing", openForWriting},
        {"open-file", openAnyFile},
        {"socket", createSocket},
        {"execve", startProgram},
        {"ptrace", traceItself},
        {"write-elsewhere", writeToStandardError},
        {"fork", startProcess},
        {"signal", signalParent},
        {"executable-memory", mapExecutableMemory},
    };
    for (const Act& candidate : acts) {
        if (std::strcmp(candidate.name, act) == 0)
            return candidate.attempt(database) ? kActDone : kActRefused;
    }
    return kUnknownAct;
}

}  // namespace speclore::jet::reader
