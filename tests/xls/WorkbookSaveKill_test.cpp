// A save killed at any moment leaves at the workbook's path either the old
// file or the whole new one, never a part of it. A kill that lands during the
// save is told by the save's private file still lying beside the workbook;
// the test insists on some, and waits for that file to appear in a few
// rounds to be sure of them.
#include <gtest/gtest.h>

#include <sys/wait.h>
#include <unistd.h>
#include <csignal>
#include <filesystem>

#include "XlsTestSupport.h"
#include "app/AppError.h"
#include "app/StagingFiles.h"
#include "xls/WorkbookFile.h"
#include "xls/XlsApplication.h"

namespace speclore::xls {
namespace {

// In a child process: fills a workbook big enough that saving takes a
// while, tells the parent through `ready`, then saves.
[[noreturn]] void fillAndSave(const std::string& path, int ready) {
    try {
        XlsApplicationFactory factory;
        auto app = factory.CreateApplication();
        auto book = app->OpenWorkbook(path);
        for (int r = 1; r <= 20000; ++r)
            for (char c = 'A'; c <= 'F'; ++c)
                book->Sheets(1).SetValue(c + std::to_string(r), "値" + std::to_string(r * 6 + c));
        if (::write(ready, "x", 1) != 1) _exit(3);
        book->Close(true);
    } catch (...) {
        _exit(2);
    }
    _exit(0);
}

int stagingFilesIn(const std::filesystem::path& folder) {
    int count = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        if (entry.path().filename().string().rfind(kStagingPrefix, 0) == 0) ++count;
    return count;
}

// Spins until the save's private file shows, or the child is gone.
void awaitSaveFile(const std::filesystem::path& folder, pid_t child) {
    while (stagingFilesIn(folder) == 0) {
        siginfo_t info{};
        if (::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
            info.si_pid != 0)
            return;
    }
}

TEST(WorkbookSaveKill, AKilledSaveLeavesTheOldOrTheNewWorkbook) {
    test::TempDir dir;
    std::string path = test::copyFixture(dir, "two_sheets.xls", "book.xls");
    const std::string original = test::readText(path);
    constexpr int kAwaitSave = -1;
    int killedMidSave = 0;
    for (int delayMicroseconds :
         {0, 200, 1000, 3000, 8000, 20000, 60000, 200000, kAwaitSave, kAwaitSave, kAwaitSave}) {
        int pipeEnds[2];
        ASSERT_EQ(::pipe(pipeEnds), 0);
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            ::close(pipeEnds[0]);
            fillAndSave(path, pipeEnds[1]);
        }
        ::close(pipeEnds[1]);
        char signal;
        bool started = ::read(pipeEnds[0], &signal, 1) == 1;
        ::close(pipeEnds[0]);
        if (delayMicroseconds == kAwaitSave)
            awaitSaveFile(dir.path(), child);
        else
            ::usleep(static_cast<useconds_t>(delayMicroseconds));
        ::kill(child, SIGKILL);
        int status = 0;
        ::waitpid(child, &status, 0);
        ASSERT_TRUE(started) << "the child failed before saving";

        if (stagingFilesIn(dir.path()) > 0) ++killedMidSave;
        // The next run into the folder clears what the killed one left.
        removeStaleStagingFiles(dir.path().string());
        EXPECT_EQ(stagingFilesIn(dir.path()), 0);

        std::string now = test::readText(path);
        if (now == original) continue;
        EXPECT_NO_THROW(WorkbookFile::fromBytes(now)) << "after " << delayMicroseconds << " µs";
        test::writeText(path, original);
    }
    EXPECT_GE(killedMidSave, 1) << "no kill landed during a save";
}

}  // namespace
}  // namespace speclore::xls
