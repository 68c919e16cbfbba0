#include "jet/ReaderProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cerrno>
#include <optional>
#include <thread>
#include <vector>

#include "app/AppError.h"
#include "jet/DatabaseFileCheck.h"
#include "jet/ReaderExitCodes.h"

extern char** environ;

namespace speclore::jet {

namespace {

using Clock = std::chrono::steady_clock;

class Fd {
public:
    explicit Fd(int fd = -1) : fd_(fd) {}
    ~Fd() { reset(); }
    Fd(const Fd&) = delete;
    Fd& operator=(const Fd&) = delete;
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_;
};

// A started reader; the destructor kills and reaps it if it still runs.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ > 0) {
            ::kill(pid_, SIGKILL);
            reap(0);
        }
    }
    Child(const Child&) = delete;
    Child& operator=(const Child&) = delete;

    // Waits until `deadline` for the child to end; its wait status, or
    // nothing when it still runs.
    std::optional<int> waitUntil(Clock::time_point deadline) {
        for (;;) {
            pid_t done = ::waitpid(pid_, &status_, WNOHANG);
            if (done == pid_) {
                pid_ = -1;
                return status_;
            }
            if (done < 0 && errno != EINTR) {
                pid_ = -1;
                return std::nullopt;
            }
            if (Clock::now() >= deadline) return std::nullopt;
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
    }

private:
    void reap(int options) {
        while (::waitpid(pid_, &status_, options) < 0 && errno == EINTR) {}
        pid_ = -1;
    }
    pid_t pid_;
    int status_ = 0;
};

enum class Outcome { Finished, TimedOut, TooLarge };

// Reads the child's output until it closes it, the deadline passes or the
// output exceeds `cap`.
Outcome collect(int fd, Clock::time_point deadline, size_t cap, std::string& out) {
    char buffer[65536];
    for (;;) {
        auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now());
        if (left.count() <= 0) return Outcome::TimedOut;
        pollfd p{fd, POLLIN, 0};
        int ready = ::poll(&p, 1, static_cast<int>(left.count()));
        if (ready < 0 && errno == EINTR) continue;
        if (ready <= 0) return Outcome::TimedOut;
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return Outcome::Finished;
        if (out.size() + static_cast<size_t>(n) > cap) return Outcome::TooLarge;
        out.append(buffer, static_cast<size_t>(n));
    }
}

AppError readerCannotStart(const std::string& readerPath) {
    return AppError(err::CannotCreateObject,
                    "データベースを読み取るプログラム '" + readerPath + "' を起動できません。");
}

}  // namespace

std::string readerPathIn(const std::string& programFolder) { return programFolder + "/" + kReaderExecutable; }

Snapshot readSnapshot(const std::string& readerPath, ReaderMode mode, const std::string& file,
                      const ReaderLimits& limits) {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) throw readerCannotStart(readerPath);
    Fd readEnd(fds[0]);
    Fd writeEnd(fds[1]);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDIN_FILENO, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, writeEnd.get(), STDOUT_FILENO);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::string modeArgument = mode == ReaderMode::Database ? "database" : "accounts";
    std::vector<char*> argv{const_cast<char*>(readerPath.c_str()), modeArgument.data(),
                            const_cast<char*>(file.c_str()), nullptr};
    pid_t pid = -1;
    int spawned = ::posix_spawn(&pid, readerPath.c_str(), &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) throw readerCannotStart(readerPath);
    Child child(pid);
    writeEnd.reset();

    const Clock::time_point deadline = Clock::now() + limits.timeLimit;
    std::string bytes;
    if (collect(readEnd.get(), deadline, limits.maxSnapshotBytes, bytes) != Outcome::Finished) {
        throw openError(err::DbCannotOpen, file);
    }
    std::optional<int> status = child.waitUntil(deadline);
    if (!status || !WIFEXITED(*status)) throw openError(err::DbCannotOpen, file);
    if (WEXITSTATUS(*status) == reader_exit::kUnrecognised) throw openError(err::DbUnrecognizedFormat, file);
    if (WEXITSTATUS(*status) != reader_exit::kOk) throw openError(err::DbCannotOpen, file);
    try {
        return decodeSnapshot(bytes);
    } catch (const MalformedSnapshot&) {
        throw openError(err::DbCannotOpen, file);
    }
}

}  // namespace speclore::jet
