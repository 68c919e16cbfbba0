// The confined reader: once it has opened the database, every forbidden
// act (opening a file for writing or at all, a socket, execve, ptrace,
// writing anywhere but its pipes, a new process, a signal to another
// process, executable memory) is refused or ends it, and the program
// reports the open-failure message. The same acts go through unconfined,
// so the probe is seen to try them.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <signal.h>
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "jet/DatabaseFileCheck.h"
#include "jet/JetFixtures.h"
#include "jet/ReaderExitCodes.h"
#include "jet/reader/probe/ForbiddenActs.h"
#include "support/TempDir.h"

extern char** environ;

namespace speclore::test {
namespace {

namespace fs = std::filesystem;

struct ProbeRun {
    int status = -1;
    // What it wrote on the notice pipe: the mechanisms the kernel lacks.
    std::string notice;
};

ProbeRun runProbe(const std::string& database, const std::string& act, bool confined) {
    int notice[2];
    if (::pipe(notice) != 0) return {};
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, notice[1], jet::kReaderNoticeFd);
    std::vector<std::string> arguments{SPECLORE_READER_PROBE, "database", database, act};
    if (!confined) arguments.emplace_back("unconfined");
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ProbeRun run;
    pid_t pid = -1;
    const int spawned = ::posix_spawn(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    ::close(notice[1]);
    if (spawned == 0) {
        char buffer[256];
        ssize_t n;
        while ((n = ::read(notice[0], buffer, sizeof buffer)) > 0)
            run.notice.append(buffer, static_cast<size_t>(n));
        ::waitpid(pid, &run.status, 0);
    }
    ::close(notice[0]);
    return run;
}

bool killedForTrying(int status) { return WIFSIGNALED(status) && WTERMSIG(status) == SIGSYS; }
bool exitedWith(int status, int code) { return WIFEXITED(status) && WEXITSTATUS(status) == code; }

class ReaderConfinement : public testing::Test {
protected:
    void SetUp() override {
        fs::copy_file(fixture("empty_rel.mdb"), database_);
        ProbeRun plain = runProbe(database_.string(), "none", true);
        ASSERT_TRUE(exitedWith(plain.status, 0)) << plain.status;
        if (plain.notice.find("seccomp") != std::string::npos) {
            GTEST_SKIP() << "this kernel offers no seccomp filter: " << plain.notice;
        }
    }
    TempDir dir_;
    fs::path database_ = dir_ / "empty_rel.mdb";
};

TEST_F(ReaderConfinement, EveryForbiddenActIsRefusedOrEndsTheReader) {
    struct Expectation {
        const char* act;
        bool refused;  // else the reader is killed
    };
    const Expectation expectations[] = {
        {"open-for-writing", true},
        {"open-file", true},
        {"write-elsewhere", true},
        {"socket", false},
        {"execve", false},
        {"ptrace", false},
        {"fork", false},
        {"signal", false},
        {"executable-memory", false},
    };
    for (const Expectation& expected : expectations) {
        SCOPED_TRACE(expected.act);
        const int confined = runProbe(database_.string(), expected.act, true).status;
        if (expected.refused) {
            EXPECT_TRUE(exitedWith(confined, jet::reader::kActRefused)) << confined;
        } else {
            EXPECT_TRUE(killedForTrying(confined)) << confined;
        }
        EXPECT_FALSE(fs::exists(database_.string() + ".probe-written"));
        EXPECT_TRUE(
            exitedWith(runProbe(database_.string(), expected.act, false).status, jet::reader::kActDone));
        fs::remove(database_.string() + ".probe-written");
    }
}

TEST_F(ReaderConfinement, TheProgramReportsAForbiddenActAsTheOpenFailure) {
    // A program folder whose reader is the probe trying one act.
    for (const char* act : {"socket", "open-for-writing"}) {
        SCOPED_TRACE(act);
        TempDir folder;
        const fs::path reader = folder / jet::kReaderExecutable;
        std::ofstream(reader) << "#!/bin/sh\nexec '" << SPECLORE_READER_PROBE << "' \"$@\" " << act << "\n";
        fs::permissions(reader, fs::perms::owner_all);
        jet::JetDbEngineFactory factory(folder.path().string());
        auto engine = factory.NewEngine();
        engine->SetDefaultUser("Admin");
        try {
            engine->OpenDatabase(database_.string(), false, false, "");
            ADD_FAILURE() << "opened";
        } catch (const AppError& e) {
            EXPECT_EQ(e.number(), err::DbCannotOpen);
            EXPECT_EQ(e.description(), jet::openError(err::DbCannotOpen, database_.string()).description());
        }
    }
}

}  // namespace
}  // namespace speclore::test
