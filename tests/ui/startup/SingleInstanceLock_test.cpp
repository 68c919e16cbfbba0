#include <gtest/gtest.h>

#include <signal.h>
#include <sys/wait.h>
#include <unistd.h>

#include <filesystem>
#include <string>

#include "support/TempDir.h"
#include "ui/SingleInstanceLock.h"

using namespace speclore;
using speclore::test::TempDir;

namespace {

// Runs a separate process that tries the lock; true when it got it.
bool anotherProcessAcquires(const std::string& path) {
    pid_t child = ::fork();
    if (child == 0) {
        SingleInstanceLock lock(path);
        ::_exit(lock.tryAcquire() ? 0 : 1);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) && WEXITSTATUS(status) == 0;
}

}  // namespace

TEST(SingleInstanceLock, SecondProcessIsRefusedWhileTheFirstHoldsIt) {
    TempDir folder;
    const std::string path = (folder / "speclore.lock").string();
    {
        SingleInstanceLock first(path);
        ASSERT_TRUE(first.tryAcquire());
        EXPECT_TRUE(first.tryAcquire());
        EXPECT_FALSE(anotherProcessAcquires(path));
    }
    EXPECT_TRUE(anotherProcessAcquires(path));
}

TEST(SingleInstanceLock, KilledHolderDoesNotLeaveItStuck) {
    TempDir folder;
    const std::string path = (folder / "speclore.lock").string();
    int ready[2];
    ASSERT_EQ(::pipe(ready), 0);
    pid_t holder = ::fork();
    ASSERT_GE(holder, 0);
    if (holder == 0) {
        SingleInstanceLock lock(path);
        char acquired = lock.tryAcquire() ? 'y' : 'n';
        (void)!::write(ready[1], &acquired, 1);
        for (;;) ::pause();
    }
    char acquired = 0;
    ASSERT_EQ(::read(ready[0], &acquired, 1), 1);
    EXPECT_EQ(acquired, 'y');

    SingleInstanceLock mine(path);
    EXPECT_FALSE(mine.tryAcquire());
    ::kill(holder, SIGKILL);
    ::waitpid(holder, nullptr, 0);
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(mine.tryAcquire());
    ::close(ready[0]);
    ::close(ready[1]);
}

TEST(SingleInstanceLock, EachExecutableHasItsOwnLockFile) {
    std::string a = SingleInstanceLock::lockFileFor("/opt/speclore/Speclore");
    std::string b = SingleInstanceLock::lockFileFor("/home/user/copy/Speclore");
    EXPECT_NE(a, b);
    EXPECT_EQ(a, SingleInstanceLock::lockFileFor("/opt/speclore/Speclore"));
}
