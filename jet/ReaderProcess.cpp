#include "jet/ReaderProcess.h"

#include <fcntl.h>
#include <poll.h>
#include <signal.h>
#include <sys/resource.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <mutex>
#include <optional>
#include <set>
#include <thread>
#include <utility>
#include <vector>

#include "app/AppError.h"
#include "app/InstallLayout.h"
#include "jet/DatabaseFileCheck.h"
#include "jet/ReaderExitCodes.h"
#include "jet/WholeWrite.h"

namespace speclore::jet {

namespace {

using Clock = std::chrono::steady_clock;

// Descriptors the child moves to 0 to 3 must not lie there already, or one
// dup2 would overwrite another before it is moved.
constexpr int kFirstParentFd = 10;

class Fd {
public:
    // Takes `fd` and keeps a close-on-exec copy of it at kFirstParentFd or above.
    static Fd above3(int fd) {
        if (fd < 0) return Fd();
        Fd original(fd);
        return Fd(::fcntl(fd, F_DUPFD_CLOEXEC, kFirstParentFd));
    }
    Fd() = default;
    explicit Fd(int fd) : fd_(fd) {}
    Fd(Fd&& other) noexcept : fd_(std::exchange(other.fd_, -1)) {}
    Fd& operator=(Fd&& other) noexcept {
        reset();
        fd_ = std::exchange(other.fd_, -1);
        return *this;
    }
    ~Fd() { reset(); }
    int get() const { return fd_; }
    void reset() {
        if (fd_ >= 0) ::close(fd_);
        fd_ = -1;
    }

private:
    int fd_ = -1;
};

struct Pipe {
    Fd readEnd, writeEnd;
    bool ok() const { return readEnd.get() >= 0 && writeEnd.get() >= 0; }
};

Pipe makePipe() {
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) return Pipe{};
    return {Fd::above3(fds[0]), Fd::above3(fds[1])};
}

// A started reader, leader of its own process group; the destructor kills
// the group (whatever the reader may have started) and reaps the reader.
class Child {
public:
    explicit Child(pid_t pid) : pid_(pid) {}
    ~Child() {
        if (pid_ > 0) {
            ::kill(-pid_, SIGKILL);
            ::kill(pid_, SIGKILL);
            while (::waitpid(pid_, &status_, 0) < 0 && errno == EINTR) {}
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
    pid_t pid_;
    int status_ = 0;
};

// Everything the child needs between fork and exec, prepared beforehand:
// only async-signal-safe calls may follow a fork in a threaded program.
struct ChildSetup {
    std::vector<char*> argv;
    char* const* envp;
    int passwordIn, nullDevice, snapshotOut, noticeOut;
    rlimit memory;
};

[[noreturn]] void becomeReader(const ChildSetup& setup) {
    const rlimit noCore{0, 0};
    if (::setpgid(0, 0) != 0 || ::setrlimit(RLIMIT_CORE, &noCore) != 0 ||
        ::setrlimit(RLIMIT_AS, &setup.memory) != 0 || ::dup2(setup.passwordIn, STDIN_FILENO) < 0 ||
        ::dup2(setup.snapshotOut, STDOUT_FILENO) < 0 || ::dup2(setup.nullDevice, STDERR_FILENO) < 0 ||
        ::dup2(setup.noticeOut, kReaderNoticeFd) < 0) {
        ::_exit(reader_exit::kCannotStart);
    }
    ::close_range(kReaderNoticeFd + 1, ~0U, 0);
    ::execve(setup.argv[0], setup.argv.data(), setup.envp);
    ::_exit(reader_exit::kCannotStart);
}

// The reader's address space limit, within the one this program has.
rlimit memoryLimit(size_t wanted) {
    rlimit own{};
    ::getrlimit(RLIMIT_AS, &own);
    const rlim_t limit = std::min<rlim_t>(static_cast<rlim_t>(wanted), own.rlim_max);
    return {limit, limit};
}

enum class Outcome { More, Finished, TimedOut, TooLarge };

// The reader's output as it comes, until the reader closes it, the deadline
// passes or the output exceeds `cap`.
class ReaderOutput final : public SnapshotSource {
public:
    // Raised by more() when the output stops short of its end.
    struct Cut {
        Outcome outcome;
    };

    ReaderOutput(int fd, Clock::time_point deadline, size_t cap) : fd_(fd), deadline_(deadline), cap_(cap) {}

    bool more(std::string& buffer) override {
        const Outcome outcome = next(&buffer);
        if (outcome == Outcome::TimedOut || outcome == Outcome::TooLarge) throw Cut{outcome};
        return outcome == Outcome::More;
    }

    // Reads the rest without keeping it, so that the reader can end.
    Outcome drain() {
        Outcome outcome;
        while ((outcome = next(nullptr)) == Outcome::More) {}
        return outcome;
    }

private:
    Outcome next(std::string* buffer) {
        for (;;) {
            auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline_ - Clock::now());
            if (left.count() <= 0) return Outcome::TimedOut;
            pollfd p{fd_, POLLIN, 0};
            int ready = ::poll(&p, 1, static_cast<int>(left.count()));
            if (ready < 0 && errno == EINTR) continue;
            if (ready <= 0) return Outcome::TimedOut;
            ssize_t n = ::read(fd_, chunk_, sizeof chunk_);
            if (n < 0 && errno == EINTR) continue;
            if (n <= 0) return Outcome::Finished;
            if (cap_ - total_ < static_cast<size_t>(n)) return Outcome::TooLarge;
            total_ += static_cast<size_t>(n);
            if (buffer) buffer->append(chunk_, static_cast<size_t>(n));
            return Outcome::More;
        }
    }

    int fd_;
    Clock::time_point deadline_;
    size_t cap_;
    size_t total_ = 0;
    char chunk_[65536];
};

// What the reader wrote on its notice descriptor before it read anything,
// kept to letters, digits and plain punctuation so that it cannot drive
// the terminal.
std::string noticeFrom(int fd) {
    char buffer[256];
    ssize_t n;
    while ((n = ::read(fd, buffer, sizeof buffer)) < 0 && errno == EINTR) {}
    std::string text;
    for (ssize_t i = 0; i < n; ++i) {
        const char c = buffer[i];
        if ((c >= 'a' && c <= 'z') || (c >= 'A' && c <= 'Z') || (c >= '0' && c <= '9') || c == ' ' ||
            c == ',' || c == '-') {
            text += c;
        }
    }
    return text;
}

// Standard error, never a message box: the user is protected less than
// the README promises, which is worth one line per process.
void reportMissingConfinement(const std::string& missing) {
    static std::mutex lock;
    static std::set<std::string> reported;
    std::lock_guard<std::mutex> guard(lock);
    if (missing.empty() || !reported.insert(missing).second) return;
    std::fprintf(stderr, "%s: this kernel offers no %s; the database reader runs without that confinement\n",
                 program_invocation_short_name, missing.c_str());
}

AppError readerCannotStart(const std::string& readerPath) {
    return AppError(err::CannotCreateObject,
                    "データベースを読み取るプログラム '" + readerPath + "' を起動できません。");
}

std::string megabytes(size_t bytes) { return std::to_string((bytes + (size_t{1} << 20) - 1) >> 20); }

// A limit reached is no sign of damage: say which, and how far it goes.
AppError tooLarge(const std::string& file, const std::string& what, size_t limit) {
    return AppError(err::DbCannotOpen, "データベース '" + file + "' は大きすぎて読み取れません。" + what +
                                           "が上限の " + megabytes(limit) + " MB を超えました。");
}

uint64_t fileSizeOf(const std::string& file) {
    struct stat st {};
    return ::stat(file.c_str(), &st) == 0 && st.st_size > 0 ? static_cast<uint64_t>(st.st_size) : 0;
}

// Access uses at most 20 characters of a password; a longer text is cut
// well above that, so that it still fits the pipe's buffer.
constexpr size_t kMaxPasswordBytes = 4096;

bool writePassword(int fd, const std::string& password) {
    return writeWhole(fd, std::string_view(password).substr(0, kMaxPasswordBytes));
}

}  // namespace

std::string readerPathIn(const std::string& programFolder) {
    return findProgramFile(programFolder, kReaderExecutable, ProgramFileKind::Library);
}

Snapshot readSnapshot(const std::string& readerPath, ReaderMode mode, const std::string& file,
                      const ReaderLimits& requested, const std::string& password,
                      const ObjectTaker& takeFromObject) {
    const ReaderLimits limits = requested.scaledTo(fileSizeOf(file));
    Pipe snapshot = makePipe();
    Pipe notice = makePipe();
    Pipe passwordPipe = makePipe();
    Fd nullDevice = Fd::above3(::open("/dev/null", O_RDWR | O_CLOEXEC));
    if (!snapshot.ok() || !notice.ok() || !passwordPipe.ok() || nullDevice.get() < 0)
        throw readerCannotStart(readerPath);
    // A password is far shorter than a pipe's buffer, so it is written
    // whole before the reader starts and never blocks.
    if (!writePassword(passwordPipe.writeEnd.get(), password)) throw readerCannotStart(readerPath);
    passwordPipe.writeEnd.reset();

    std::string path = readerPath;
    std::string modeArgument = mode == ReaderMode::Database ? "database" : "accounts";
    std::string fileArgument = file;
    char* const noEnvironment[] = {nullptr};
    ChildSetup setup{{path.data(), modeArgument.data(), fileArgument.data(), nullptr},
                     noEnvironment,
                     passwordPipe.readEnd.get(),
                     nullDevice.get(),
                     snapshot.writeEnd.get(),
                     notice.writeEnd.get(),
                     memoryLimit(limits.maxMemoryBytes)};
    const pid_t pid = ::fork();
    if (pid == 0) becomeReader(setup);
    if (pid < 0) throw readerCannotStart(readerPath);
    Child child(pid);
    snapshot.writeEnd.reset();
    notice.writeEnd.reset();
    passwordPipe.readEnd.reset();

    // Decoded as it arrives, so that the decoding overlaps the reading. The
    // reader's exit status still comes first: a reader that gave up writes
    // no whole snapshot, and its status says why.
    const Clock::time_point deadline = Clock::now() + limits.timeLimit;
    ReaderOutput output(snapshot.readEnd.get(), deadline, limits.maxSnapshotBytes);
    std::optional<Snapshot> decoded;
    Outcome outcome = Outcome::Finished;
    try {
        decoded = decodeSnapshot(output, takeFromObject);
    } catch (const MalformedSnapshot&) {
        outcome = output.drain();
    } catch (const ReaderOutput::Cut& cut) {
        outcome = cut.outcome;
    }
    if (outcome == Outcome::TooLarge) throw tooLarge(file, "表の定義と説明の大きさ", limits.maxSnapshotBytes);
    if (outcome != Outcome::Finished) throw openError(err::DbCannotOpen, file);
    std::optional<int> status = child.waitUntil(deadline);
    reportMissingConfinement(noticeFrom(notice.readEnd.get()));
    if (!status || !WIFEXITED(*status)) throw openError(err::DbCannotOpen, file);
    switch (WEXITSTATUS(*status)) {
    case reader_exit::kOk: break;
    case reader_exit::kUnrecognised: throw openError(err::DbUnrecognizedFormat, file);
    case reader_exit::kTooLarge: throw tooLarge(file, "読み取りに必要なメモリ", limits.maxMemoryBytes);
    case reader_exit::kCannotStart: throw readerCannotStart(readerPath);
    case reader_exit::kWrongPassword: throw openError(err::DbInvalidPassword, file);
    case reader_exit::kUnsupportedEncryption: throw unsupportedEncryptionError(file);
    case reader_exit::kRefusedEncryption: throw refusedEncryptionError(file);
    default: throw openError(err::DbCannotOpen, file);
    }
    if (!decoded) throw openError(err::DbCannotOpen, file);
    return std::move(*decoded);
}

}  // namespace speclore::jet
