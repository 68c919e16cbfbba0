// jet_schema_bench [database] [repetitions]
//
// Reads the whole schema of a database through the engine as the catalog
// run does (every table definition with fields, indexes and descriptions,
// both relationship statements), the reader process included, and in the
// same run times `mdb-schema <database> postgres`, which reads the same
// tables, indexes, descriptions and relationships. Prints the medians, the
// ratio (target at most 1.5) and the peak memory of the program and of the
// reader process (target under 100 MB each).
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppError.h"
#include "jet/JetEngine.h"
#include "tests/support/SchemaWalk.h"

extern char** environ;

namespace {

using Clock = std::chrono::steady_clock;

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    size_t middle = values.size() / 2;
    return values.size() % 2 ? values[middle] : (values[middle - 1] + values[middle]) / 2;
}

double millisecondsSince(Clock::time_point start) {
    return std::chrono::duration<double, std::milli>(Clock::now() - start).count();
}

double megabytes(long kilobytes) { return static_cast<double>(kilobytes) / 1024.0; }

std::string programFolder() {
    return std::filesystem::read_symlink("/proc/self/exe").parent_path().string();
}

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

// Runs mdb-schema with its output thrown away; its own time and peak
// memory from wait4.
ChildRun runMdbSchema(const std::string& database) {
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, STDOUT_FILENO, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_addopen(&actions, STDERR_FILENO, "/dev/null", O_WRONLY, 0);
    std::vector<char*> argv{const_cast<char*>("mdb-schema"), const_cast<char*>(database.c_str()),
                            const_cast<char*>("postgres"), nullptr};
    ChildRun run;
    pid_t pid = -1;
    auto start = Clock::now();
    int spawned = posix_spawnp(&pid, "mdb-schema", &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (spawned != 0) return run;
    rusage usage{};
    while (wait4(pid, &run.status, 0, &usage) < 0 && errno == EINTR) {
    }
    run.milliseconds = millisecondsSince(start);
    run.peakKilobytes = usage.ru_maxrss;
    return run;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string database =
        argc > 1 ? argv[1] : std::string(SPECLORE_SOURCE_DIR) + "/../shared/fixtures/big.mdb";
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    if (!std::filesystem::is_regular_file(database)) {
        std::fprintf(stderr, "no database at %s\n", database.c_str());
        return 2;
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
    // Only reader processes have ended so far, so this is their peak. It is
    // an upper bound: a spawned child's figure also counts the resident size
    // of the program at the moment it started the child.
    rusage self{}, readers{};
    getrusage(RUSAGE_SELF, &self);
    getrusage(RUSAGE_CHILDREN, &readers);

    std::vector<double> schemaTimes;
    long schemaPeak = 0;
    runMdbSchema(database);
    for (int n = 0; n < repetitions; ++n) {
        ChildRun run = runMdbSchema(database);
        if (!WIFEXITED(run.status) || WEXITSTATUS(run.status) != 0) {
            std::fprintf(stderr, "mdb-schema failed (is mdbtools installed?)\n");
            return 1;
        }
        schemaTimes.push_back(run.milliseconds);
        schemaPeak = std::max(schemaPeak, run.peakKilobytes);
    }

    const double ours = median(engineTimes);
    const double reference = median(schemaTimes);
    std::printf("database: %s\n", database.c_str());
    std::printf("read: %zu tables, %zu fields, %zu descriptions, %zu index fields, %d/%zu relationship rows\n",
                summary.tables, summary.fields, summary.descriptions, summary.indexFields,
                summary.relationCount, summary.relationRows);
    std::printf("engine schema read (median of %d): %.1f ms\n", repetitions, ours);
    std::printf("mdb-schema postgres (median of %d): %.1f ms\n", repetitions, reference);
    std::printf("ratio: %.2f (target <= 1.5) %s\n", ours / reference, ours / reference <= 1.5 ? "ok" : "MISSED");
    std::printf("peak memory: program %.1f MB, reader at most %.1f MB, mdb-schema %.1f MB (target < 100 MB) %s\n",
                megabytes(self.ru_maxrss), megabytes(readers.ru_maxrss), megabytes(schemaPeak),
                std::max(self.ru_maxrss, readers.ru_maxrss) < 100 * 1024 ? "ok" : "MISSED");
    return 0;
}
