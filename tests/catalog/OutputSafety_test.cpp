// What a run does to the workbook it replaces: the old one stays exactly as
// it was until a whole new one takes its place in one rename, whatever goes
// wrong and whoever else writes there at the same time.
#include <gtest/gtest.h>

#include <sched.h>
#include <sys/mount.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <climits>
#include <csignal>
#include <random>

#include "CatalogHarness.h"
#include "app/ErrorBox.h"
#include "app/StagingFiles.h"

namespace speclore::test {
namespace {

namespace fs = std::filesystem;

const char* const kRunTag = "fMain-CreateCatalog";

catalog::CatalogInputs tablesOf(CatalogHarness& h, const std::string& fixture) {
    catalog::CatalogInputs inputs = h.inputsFor(fixture);
    inputs.tableTitle = "<FileTitle>";
    inputs.relationTitle = "<FileTitle>";
    return inputs;
}

// The names in a folder, the program folder left out.
std::vector<std::string> namesIn(const fs::path& folder) {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename() != "program") names.push_back(entry.path().filename().string());
    }
    std::sort(names.begin(), names.end());
    return names;
}

int stagingFilesIn(const fs::path& folder) {
    int count = 0;
    for (const auto& entry : fs::directory_iterator(folder)) {
        if (entry.path().filename().string().rfind(kStagingPrefix, 0) == 0) ++count;
    }
    return count;
}

// A workbook a person may have edited since: any bytes will do, as long as
// they survive to the byte.
std::string oldWorkbook() { return "edited by hand " + std::string(3000, '#'); }

// The bytes a run of `fixture` writes when nothing else happens.
std::string soloWorkbook(const std::string& fixture) {
    CatalogHarness h;
    if (!h.run(tablesOf(h, fixture))) throw std::runtime_error("solo run failed: " + fixture);
    return readText(h.outputPath());
}

// Runs `body` in a child process and gives its exit status; the child's
// own failures show as statuses of 100 and above.
int inChild(const std::function<int()>& body) {
    pid_t child = ::fork();
    if (child == 0) {
        int status = 100;
        try {
            status = body();
        } catch (...) {
            status = 101;
        }
        ::_exit(status);
    }
    int status = 0;
    ::waitpid(child, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : 102;
}

TEST(OutputSafety, EveryFailureLeavesTheOldWorkbookWholeAndNoFileBehind) {
    struct Failure {
        const char* what;
        std::function<void(CatalogHarness&, catalog::CatalogInputs&)> cause;
        int32_t number;
        std::function<std::string(const CatalogHarness&)> reason;
    };
    const Failure failures[] = {
        {"missing template", [](CatalogHarness& h, auto&) { fs::remove(h.templatePath()); },
         err::FileNotFound,
         [](const CatalogHarness& h) { return "テンプレート " + h.templatePath() + " が見つかりません。"; }},
        {"damaged template",
         [](CatalogHarness& h, auto&) {
             fs::resize_file(h.templatePath(), fs::file_size(h.templatePath()) / 2);
         },
         err::ApplicationDefined,
         [](const CatalogHarness& h) { return "テンプレート " + h.templatePath() + " を使えません。"; }},
        {"failure while writing a sheet",
         [](CatalogHarness&, auto& inputs) {
             inputs.tables.push_back({"ない表", true});
         },
         err::DbItemNotFound, [](const CatalogHarness&) { return std::string(); }},
    };
    for (const Failure& failure : failures) {
        SCOPED_TRACE(failure.what);
        CatalogHarness h;
        catalog::CatalogInputs inputs = tablesOf(h, "catalog_ja.mdb");
        writeText(h.outputPath(), oldWorkbook());
        failure.cause(h, inputs);
        EXPECT_FALSE(h.run(inputs));
        ASSERT_EQ(h.boxes.boxes.size(), 1u);
        const std::string expected = errorBoxMessage(failure.number, kRunTag, failure.reason(h));
        EXPECT_EQ(h.boxes.boxes[0].text.substr(0, expected.size()), expected);
        EXPECT_EQ(h.progress.events.back(), "Unload");
        EXPECT_EQ(readText(h.outputPath()), oldWorkbook());
        EXPECT_EQ(namesIn(h.dir.path()), std::vector<std::string>{"仕様書.xls"});
    }
}

// The disk filling up while the workbook is saved: a file size limit that
// the template copy fits and the written workbook does not.
TEST(OutputSafety, AWriteFailureWhileSavingLeavesTheOldWorkbookWhole) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = tablesOf(h, "catalog_ja.mdb");
    writeText(h.outputPath(), oldWorkbook());
    const std::string boxFile = h.programFolder() + "/box.txt";
    const int status = inChild([&] {
        std::signal(SIGXFSZ, SIG_IGN);
        const rlim_t limit = fs::file_size(h.templatePath());
        struct rlimit fileSize {
            limit, limit
        };
        ::setrlimit(RLIMIT_FSIZE, &fileSize);
        const bool written = h.run(inputs);
        writeText(boxFile, h.boxes.boxes.empty() ? "" : h.boxes.boxes[0].text);
        return written ? 1 : 0;
    });
    EXPECT_EQ(status, 0) << "the run reported success";
    EXPECT_EQ(readText(boxFile), errorBoxMessage(err::DiskFull, kRunTag,
                                                 "出力ファイル " + h.outputPath() + " に書き込めません。"));
    EXPECT_EQ(readText(h.outputPath()), oldWorkbook());
    EXPECT_EQ(namesIn(h.dir.path()), std::vector<std::string>{"仕様書.xls"});
}

// A real full file system: a small tmpfs, mounted in a mount namespace of
// the child's own so that nothing outlives it. Needs the right to mount.
TEST(OutputSafety, AFullFileSystemLeavesTheOldWorkbookWhole) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = tablesOf(h, "catalog_ja.mdb");
    const fs::path small = h.dir / "small";
    fs::create_directory(small);
    constexpr int kCannotMount = 77;
    const int status = inChild([&] {
        if (::unshare(CLONE_NEWNS) != 0 ||
            ::mount(nullptr, "/", nullptr, MS_REC | MS_PRIVATE, nullptr) != 0 ||
            ::mount("tmpfs", small.c_str(), "tmpfs", 0, "size=16k") != 0)
            return kCannotMount;
        // One page for the old workbook, two for the template copy, one left:
        // less than the new workbook needs.
        const std::string output = (small / "仕様書.xls").string();
        writeText(output, oldWorkbook());
        if (h.runTo(output, inputs)) return 1;
        if (h.boxes.boxes.size() != 1 || h.boxes.boxes[0].text.find("ｴﾗｰNo. 61 ") != 0) return 2;
        if (readText(output) != oldWorkbook()) return 3;
        if (namesIn(small) != std::vector<std::string>{"仕様書.xls"}) return 4;
        return 0;
    });
    if (status == kCannotMount) GTEST_SKIP() << "no right to mount a tmpfs here";
    EXPECT_EQ(status, 0) << "1 reported success, 2 another error box, 3 old workbook changed, 4 files left";
}

TEST(OutputSafety, AnOutputThatIsASymbolicLinkGetsTheWorkbookAtItsTarget) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = tablesOf(h, "empty_rel.mdb");
    ASSERT_TRUE(h.run(inputs));
    const std::string workbook = readText(h.outputPath());

    fs::create_directory(h.dir / "kept");
    const fs::path target = h.dir / "kept" / "real.xls";
    writeText(target, oldWorkbook());
    const fs::path link = h.dir / "link.xls";
    fs::create_symlink("kept/real.xls", link);
    ASSERT_TRUE(h.runTo(link.string(), inputs));
    EXPECT_TRUE(fs::is_symlink(link));
    EXPECT_EQ(readText(target), workbook);

    // A link to a file that does not exist yet creates it.
    const fs::path dangling = h.dir / "dangling.xls";
    fs::create_symlink(h.dir / "kept" / "new.xls", dangling);
    ASSERT_TRUE(h.runTo(dangling.string(), inputs));
    EXPECT_TRUE(fs::is_symlink(dangling));
    EXPECT_EQ(readText(h.dir / "kept" / "new.xls"), workbook);
    EXPECT_EQ(stagingFilesIn(h.dir.path()) + stagingFilesIn(h.dir / "kept"), 0);
}

// A second run that renames its finished workbook onto the output while the
// first has copied the template but not yet opened it: the first run must
// not open the second one's workbook as its template.
TEST(OutputSafety, ARunFinishingDuringAnothersCopyNeverMixesTheWorkbooks) {
    const std::string first = soloWorkbook("catalog_ja.mdb");
    const std::string second = soloWorkbook("empty_rel.mdb");
    ASSERT_NE(first, second);

    CatalogHarness h;
    writeText(h.outputPath(), oldWorkbook());
    const catalog::CatalogInputs firstInputs = tablesOf(h, "catalog_ja.mdb");
    const catalog::CatalogInputs secondInputs = tablesOf(h, "empty_rel.mdb");
    bool secondWritten = false;
    h.afterTemplateCopy = [&] {
        secondWritten = h.run(secondInputs);
        EXPECT_EQ(readText(h.outputPath()), second);
    };
    ASSERT_TRUE(h.run(firstInputs));
    EXPECT_TRUE(secondWritten);
    EXPECT_EQ(readText(h.outputPath()), first) << "the last rename wins, whole";
    EXPECT_EQ(namesIn(h.dir.path()), std::vector<std::string>{"仕様書.xls"});
}

TEST(OutputSafety, ConcurrentRunsEachWriteAWholeWorkbookAndTheLastWins) {
    const std::string fixtures[] = {"catalog_ja.mdb", "empty_rel.mdb"};
    const std::string solo[] = {soloWorkbook(fixtures[0]), soloWorkbook(fixtures[1])};
    CatalogHarness h;
    for (int round = 0; round < 3; ++round) {
        std::vector<pid_t> runs;
        for (int i = 0; i < 4; ++i) {
            catalog::CatalogInputs inputs = tablesOf(h, fixtures[(round + i) % 2]);
            pid_t child = ::fork();
            ASSERT_GE(child, 0);
            if (child == 0) ::_exit(h.run(inputs) ? 0 : 1);
            runs.push_back(child);
        }
        for (pid_t run : runs) {
            int status = 0;
            ::waitpid(run, &status, 0);
            EXPECT_TRUE(WIFEXITED(status) && WEXITSTATUS(status) == 0) << "round " << round;
        }
        const std::string written = readText(h.outputPath());
        EXPECT_TRUE(written == solo[0] || written == solo[1]) << "round " << round << ": a mixed workbook";
        EXPECT_EQ(namesIn(h.dir.path()), std::vector<std::string>{"仕様書.xls"});
    }
}

// A run clears the private files that killed processes left in the output's
// folder, and none of a process still running.
TEST(OutputSafety, StaleStagingFilesAreClearedAndLiveOnesKept) {
    CatalogHarness h;
    pid_t gone = ::fork();
    if (gone == 0) ::_exit(0);
    ::waitpid(gone, nullptr, 0);
    std::string live = (h.dir / stagingNamePattern()).string();
    const int fd = ::mkstemp(live.data());
    ASSERT_GE(fd, 0);
    ::close(fd);
    const std::string ownId = std::string(kStagingPrefix) + std::to_string(::getpid()) + "-";
    const std::string stale[] = {std::string(kStagingPrefix) + std::to_string(gone) + "-0-a1b2c3",
                                 // the id of a running process, but another start time: a reused id
                                 ownId + "1-d4e5f6",
                                 // the engine's own temporary file beside one of ours
                                 std::string(kStagingPrefix) + std::to_string(gone) + "-0-a1b2c3.Q9w8e7"};
    for (const std::string& name : stale) writeText(h.dir / name, "left by a killed run");
    writeText(h.dir / ".speclore-notes", "not ours to clear");

    ASSERT_TRUE(h.run(tablesOf(h, "empty_rel.mdb")));
    std::vector<std::string> kept{".speclore-notes", fs::path(live).filename().string(), "仕様書.xls"};
    std::sort(kept.begin(), kept.end());
    EXPECT_EQ(namesIn(h.dir.path()), kept);
}

bool hasEnded(pid_t child) {
    siginfo_t info{};
    return ::waitid(P_PID, static_cast<id_t>(child), &info, WEXITED | WNOHANG | WNOWAIT) != 0 ||
           info.si_pid != 0;
}

// The run's private file once the workbook is being saved over the
// template's copy in it: a size other than the template's.
bool savingStarted(const fs::path& folder, uintmax_t templateSize) {
    for (const auto& entry : fs::directory_iterator(folder)) {
        std::error_code error;
        if (entry.path().filename().string().rfind(kStagingPrefix, 0) == 0 &&
            fs::file_size(entry.path(), error) != templateSize && !error)
            return true;
    }
    return false;
}

// Killed at random moments over a good workbook, a run leaves the old
// workbook or the whole new one. A kill during or after the save is told by
// the run's private file left with other bytes than the template's; every
// other round waits for that moment, so that some kills surely land there.
TEST(OutputSafety, AKilledRunLeavesTheOldWorkbookOrTheNewOne) {
    const std::string fresh = soloWorkbook("catalog_ja.mdb");
    CatalogHarness h;
    const catalog::CatalogInputs inputs = tablesOf(h, "catalog_ja.mdb");
    const auto started = std::chrono::steady_clock::now();
    ASSERT_TRUE(h.run(inputs));
    const auto runMicroseconds =
        std::chrono::duration_cast<std::chrono::microseconds>(std::chrono::steady_clock::now() - started)
            .count();

    const uintmax_t templateSize = fs::file_size(h.templatePath());
    std::mt19937 random(20261207);
    int killedMidSave = 0;
    for (int round = 0; round < 16; ++round) {
        writeText(h.outputPath(), oldWorkbook());
        pid_t child = ::fork();
        ASSERT_GE(child, 0);
        if (child == 0) ::_exit(h.run(inputs) ? 0 : 1);
        if (round % 2 == 0) {
            while (!savingStarted(h.dir.path(), templateSize) && !hasEnded(child)) {}
        } else {
            ::usleep(static_cast<useconds_t>(random() % static_cast<unsigned>(runMicroseconds + 1)));
        }
        ::kill(child, SIGKILL);
        ::waitpid(child, nullptr, 0);

        killedMidSave += savingStarted(h.dir.path(), templateSize);
        const std::string now = readText(h.outputPath());
        EXPECT_TRUE(now == oldWorkbook() || now == fresh) << "round " << round;
        // The next run into the folder clears what the killed one left.
        removeStaleStagingFiles(h.dir.path().string());
        EXPECT_EQ(namesIn(h.dir.path()), std::vector<std::string>{"仕様書.xls"});
    }
    EXPECT_GE(killedMidSave, 1) << "no kill landed during a save";
}

TEST(OutputSafety, OverlongOutputNamesAreCalledTooLong) {
    CatalogHarness h;
    const catalog::CatalogInputs inputs = tablesOf(h, "empty_rel.mdb");
    const std::string longName = (h.dir / std::string(NAME_MAX + 1, 'n')).string();
    EXPECT_FALSE(h.runTo(longName, inputs));
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].text,
              errorBoxMessage(err::BadFileNameOrNumber, kRunTag,
                              "出力ファイルの名前が長すぎます (" + std::to_string(NAME_MAX) +
                                  " バイトまで): " + longName));

    std::string longPath = h.dir.path().string();
    while (longPath.size() < PATH_MAX) longPath += "/folder";
    EXPECT_FALSE(h.runTo(longPath + "/out.xls", inputs));
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].text, errorBoxMessage(err::BadFileNameOrNumber, kRunTag,
                                                     "出力ファイルのパスが長すぎます (" +
                                                         std::to_string(PATH_MAX - 1) + " バイトまで)。"));
    EXPECT_EQ(namesIn(h.dir.path()), std::vector<std::string>{});
}

}  // namespace
}  // namespace speclore::test
