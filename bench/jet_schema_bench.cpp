// jet_schema_bench [database] [repetitions]
//
// Reads the whole schema of a database through the engine as the catalog
// run does (every table definition with fields, indexes and descriptions,
// both relationship statements), the reader process included, and in the
// same run times `mdb-schema <database> postgres`, which reads the same
// tables, indexes, descriptions and relationships. Prints the medians, the
// ratio (target at most 1.5) and the peak memory of the program and of the
// reader process (target under 100 MB each). Then times the reader alone,
// confined as shipped and, through its test build, unconfined: the
// confinement must cost no noticeable time.
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppError.h"
#include "bench/Timing.h"
#include "jet/JetEngine.h"
#include "tests/support/SchemaWalk.h"

extern char** environ;

namespace {

using speclore::bench::median;
using speclore::bench::millisecondsSince;

using Clock = std::chrono::steady_clock;

double megabytes(long kilobytes) { return static_cast<double>(kilobytes) / 1024.0; }

std::string programFolder() { return std::filesystem::read_symlink("/proc/self/exe").parent_path().string(); }

speclore::testing::SchemaSummary readThroughEngine(speclore::jet::JetDbEngineFactory& engines,
                                                   const std::string& database) {
    auto engine = engines.NewEngine();
    engine->SetSystemDB("");
    engine->SetDefaultUser("Admin");
    engine->SetDefaultPassword("");
    auto opened = engine->OpenDatabase(database, false, false, "");
    auto summary = speclore::testing::walkSchema(*opened);
    opened->Close();
    return summary;
}

struct ChildRun {
    double milliseconds = 0;
    long peakKilobytes = 0;
    int status = -1;
};

// Runs a program with its output thrown away; its own time and peak
// memory from wait4.
ChildRun runQuietly(std::vector<std::string> arguments) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv;
    for (auto& argument : arguments) argv.push_back(argument.data());
    argv.push_back(nullptr);
    ChildRun run;
    pid_t pid = -1;
    auto start = Clock::now();
    int spawned = posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    rusage usage{};
    while (wait4(pid, &run.status, 0, &usage) < 0 && errno == EINTR) {}
    run.milliseconds = millisecondsSince(start);
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}

bool succeeded(const ChildRun& run) { return WIFEXITED(run.status) && WEXITSTATUS(run.status) == 0; }

}  // namespace

int main(int argc, char** argv) {
    const std::string database =
        argc > 1 ? argv[1] : std::string(SPECLORE_SOURCE_DIR) + "/../shared/fixtures/big.mdb";
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    if (!std::filesystem::is_regular_file(database)) {
        std::fprintf(stderr, "no database at %s\n", database.c_str());
        return 2;
    }

    // The reader alone, started while this program is still small: a
    // spawned child's peak also counts the resident size of its parent at
    // the moment it started.
    ChildRun reader = runQuietly({speclore::jet::readerPathIn(programFolder()), "database", database});
    if (!succeeded(reader)) {
        std::fprintf(stderr, "the reader failed on %s\n", database.c_str());
        return 1;
    }

    speclore::jet::JetDbEngineFactory engines(programFolder());
    speclore::testing::SchemaSummary summary;
    std::vector<double> engineTimes;
    try {
        summary = readThroughEngine(engines, database);  // warms the page cache
        for (int n = 0; n < repetitions; ++n) {
            auto start = Clock::now();
            summary = readThroughEngine(engines, database);
            engineTimes.push_back(millisecondsSince(start));
        }
    } catch (const speclore::AppError& e) {
        std::fprintf(stderr, "engine failed: %d %s\n", e.number(), e.description().c_str());
        return 1;
    }
    rusage self{};
    getrusage(RUSAGE_SELF, &self);

    std::vector<double> schemaTimes;
    long schemaPeak = 0;
    const std::vector<std::string> mdbSchema{"mdb-schema", database, "postgres"};
    runQuietly(mdbSchema);
    for (int n = 0; n < repetitions; ++n) {
        ChildRun run = runQuietly(mdbSchema);
        if (!succeeded(run)) {
            std::fprintf(stderr, "mdb-schema failed (is mdbtools installed?)\n");
            return 1;
        }
        schemaTimes.push_back(run.milliseconds);
        schemaPeak = std::max(schemaPeak, run.peakKilobytes);
    }

    std::vector<double> confinedTimes, unconfinedTimes;
    const std::vector<std::string> probe{SPECLORE_READER_PROBE, "database", database, "none"};
    std::vector<std::string> probeUnconfined = probe;
    probeUnconfined.emplace_back("unconfined");
    for (int n = 0; n < repetitions; ++n) {
        ChildRun confined = runQuietly(probe);
        ChildRun unconfined = runQuietly(probeUnconfined);
        if (!succeeded(confined) || !succeeded(unconfined)) {
            std::fprintf(stderr, "the reader's test build failed on %s\n", database.c_str());
            return 1;
        }
        confinedTimes.push_back(confined.milliseconds);
        unconfinedTimes.push_back(unconfined.milliseconds);
    }

    const double ours = median(engineTimes);
    const double reference = median(schemaTimes);
    std::printf("database: %s\n", database.c_str());
    std::printf(
        "read: %zu tables, %zu fields, %zu descriptions, %zu index fields, %d/%zu relationship rows\n",
        summary.tables, summary.fields, summary.descriptions, summary.indexFields, summary.relationCount,
        summary.relationRows);
    std::printf("engine schema read (median of %d): %.1f ms\n", repetitions, ours);
    std::printf("mdb-schema postgres (median of %d): %.1f ms\n", repetitions, reference);
    std::printf("ratio: %.2f (target <= 1.5) %s\n", ours / reference,
                ours / reference <= 1.5 ? "ok" : "MISSED");
    std::printf("peak memory: program %.1f MB, reader %.1f MB, mdb-schema %.1f MB (target < 100 MB) %s\n",
                megabytes(self.ru_maxrss), megabytes(reader.peakKilobytes), megabytes(schemaPeak),
                std::max(self.ru_maxrss, reader.peakKilobytes) < 100 * 1024 ? "ok" : "MISSED");
    const double confined = median(confinedTimes);
    const double unconfined = median(unconfinedTimes);
    std::printf("reader alone (median of %d): confined %.1f ms, unconfined %.1f ms, ratio %.2f\n",
                repetitions, confined, unconfined, confined / unconfined);
    return 0;
}
