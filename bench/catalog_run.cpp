// Times speclore-cli writing the whole specification workbook of a large
// database (every table, every relationship), process start to saved
// workbook, against `mdb-schema DATABASE postgres` reading the same schema
// in the same run; reports the peak memory of the run's processes.
//
// bench_catalog [DATABASE] [RUNS]
#include <fcntl.h>
#include <spawn.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

extern char** environ;

namespace {

struct ChildRun {
    double seconds = 0;
    double cpuSeconds = 0;  // user + system, the child and what it waited for
    int exitStatus = -1;
    long maxRssKb = 0;  // the child's own peak
};

// Runs the command with standard output to /dev/null, standard error kept.
ChildRun runChild(const std::vector<std::string>& command) {
    std::vector<char*> argv;
    for (const std::string& arg : command) argv.push_back(const_cast<char*>(arg.c_str()));
    argv.push_back(nullptr);

    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);

    ChildRun run;
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawnp(&pid, argv[0], &actions, nullptr, argv.data(), environ) != 0) {
        std::fprintf(stderr, "cannot start %s\n", argv[0]);
        std::exit(1);
    }
    int status = 0;
    rusage usage{};
    ::wait4(pid, &status, 0, &usage);
    run.seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    posix_spawn_file_actions_destroy(&actions);
    run.exitStatus = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.maxRssKb = usage.ru_maxrss;
    run.cpuSeconds = usage.ru_utime.tv_sec + usage.ru_stime.tv_sec +
                     (usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
    return run;
}

double median(std::vector<double> values) {
    std::sort(values.begin(), values.end());
    const std::size_t n = values.size();
    return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

long childrenPeakKb() {
    rusage usage{};
    ::getrusage(RUSAGE_CHILDREN, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string database = argc > 1 ? argv[1] : SPECLORE_DEFAULT_BENCH_DATABASE;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    if (!std::filesystem::exists(database)) {
        std::fprintf(stderr, "no database at %s\n", database.c_str());
        return 1;
    }
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const std::string cli = (folder / "speclore-cli").string();
    const std::string output =
        (std::filesystem::temp_directory_path() / ("bench-catalog-" + std::to_string(::getpid()) + ".xls"))
            .string();

    // speclore-cli first, so that the children's peak read after it covers
    // only the companion and the reader it starts.
    std::vector<double> cliTimes;
    std::vector<double> cliCpu;
    long cliOwnPeakKb = 0;
    for (int i = 0; i < runs; ++i) {
        const ChildRun run = runChild({cli, database, "-o", output});
        if (run.exitStatus != 0) {
            std::fprintf(stderr, "speclore-cli failed with status %d\n", run.exitStatus);
            return 1;
        }
        cliTimes.push_back(run.seconds);
        cliCpu.push_back(run.cpuSeconds);
        cliOwnPeakKb = std::max(cliOwnPeakKb, run.maxRssKb);
    }
    const long runPeakKb = childrenPeakKb();
    const auto workbookBytes = std::filesystem::file_size(output);
    std::filesystem::remove(output);

    std::vector<double> schemaTimes;
    std::vector<double> schemaCpu;
    for (int i = 0; i < runs; ++i) {
        const ChildRun run = runChild({"mdb-schema", database, "postgres"});
        if (run.exitStatus != 0) {
            std::fprintf(stderr, "mdb-schema failed with status %d\n", run.exitStatus);
            return 1;
        }
        schemaTimes.push_back(run.seconds);
        schemaCpu.push_back(run.cpuSeconds);
    }

    const double cliSeconds = median(cliTimes);
    const double schemaSeconds = median(schemaTimes);
    const double ratio = cliSeconds / schemaSeconds;
    std::printf("database               %s\n", database.c_str());
    std::printf("runs                   %d each, median\n", runs);
    std::printf("speclore-cli           %.3f s  (whole catalog, %ju bytes written; cpu %.3f s)\n", cliSeconds,
                static_cast<std::uintmax_t>(workbookBytes), median(cliCpu));
    std::printf("mdb-schema postgres    %.3f s  (reference; cpu %.3f s)\n", schemaSeconds, median(schemaCpu));
    std::printf("ratio                  %.2f x  (target <= 5.00)\n", ratio);
    std::printf("time target            %s (< 1 s)\n", cliSeconds < 1.0 ? "met" : "MISSED");
    std::printf(
        "peak memory            %.1f MB largest process, %.1f MB companion + reader at most"
        " (target < 200 MB)\n",
        runPeakKb / 1024.0, (cliOwnPeakKb + runPeakKb) / 1024.0);
    const bool met = cliSeconds < 1.0 && ratio <= 5.0 && (cliOwnPeakKb + runPeakKb) < 200 * 1024;
    std::printf("result                 %s\n", met ? "all targets met" : "TARGET MISSED");
    return 0;
}
