// Times speclore-cli writing the whole workbook (as .xls, then as .xlsx) of
// a database with 2,000 saved queries (tables, relationships and the query
// sheet), process start to saved workbook, against mdbtools' mdb-queries on
// the same file in the same run: once listing the queries, once printing
// every query's SQL (one mdb-queries per query, as the tool offers no other
// way).
//
// bench_queries [DATABASE[.xz]] [RUNS]
#include <spawn.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "bench/Timing.h"

extern char** environ;

namespace {

using speclore::bench::median;

// Runs the command through /bin/sh with standard output to /dev/null;
// the wall-clock seconds it took, or a negative number when it failed.
double timedShell(const std::string& command) {
    // A group, so that a redirection of the command's own still holds.
    const std::string quiet = "{ " + command + "\n} >/dev/null";
    const char* argv[] = {"sh", "-c", quiet.c_str(), nullptr};
    const auto start = std::chrono::steady_clock::now();
    pid_t pid = 0;
    if (posix_spawn(&pid, "/bin/sh", nullptr, nullptr, const_cast<char**>(argv), environ) != 0) return -1;
    int status = 0;
    ::waitpid(pid, &status, 0);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    return WIFEXITED(status) && WEXITSTATUS(status) == 0 ? seconds : -1;
}

std::string shellQuoted(const std::string& text) {
    std::string out = "'";
    for (char c : text) out += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return out + "'";
}

double medianOf(const std::string& what, const std::string& command, int runs) {
    std::vector<double> times;
    for (int i = 0; i < runs; ++i) {
        const double seconds = timedShell(command);
        if (seconds < 0) {
            std::fprintf(stderr, "%s failed\n", what.c_str());
            std::exit(1);
        }
        times.push_back(seconds);
    }
    return median(times);
}

}  // namespace

int main(int argc, char** argv) {
    std::string database = argc > 1 ? argv[1] : SPECLORE_DEFAULT_QUERY_DATABASE;
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 3;
    if (!std::filesystem::exists(database)) {
        std::fprintf(stderr, "no database at %s\n", database.c_str());
        return 1;
    }
    const auto temp =
        std::filesystem::temp_directory_path() / ("bench-queries-" + std::to_string(::getpid()));
    std::filesystem::create_directories(temp);
    if (database.ends_with(".xz")) {
        const std::string plain = (temp / std::filesystem::path(database).stem()).string();
        if (timedShell("xz -dc " + shellQuoted(database) + " > " + shellQuoted(plain)) < 0) {
            std::fprintf(stderr, "cannot decompress %s\n", database.c_str());
            return 1;
        }
        database = plain;
    }
    const auto folder = std::filesystem::read_symlink("/proc/self/exe").parent_path();
    const std::string cli = (folder / "speclore-cli").string();
    const std::string output = (temp / "queries.xls").string();
    const std::string xlsxOutput = (temp / "queries.xlsx").string();

    const double cliSeconds = medianOf(
        "speclore-cli", shellQuoted(cli) + " " + shellQuoted(database) + " -o " + shellQuoted(output), runs);
    const auto workbookBytes = std::filesystem::file_size(output);
    const double xlsxSeconds =
        medianOf("speclore-cli to .xlsx",
                 shellQuoted(cli) + " " + shellQuoted(database) + " -o " + shellQuoted(xlsxOutput), runs);
    const auto xlsxBytes = std::filesystem::file_size(xlsxOutput);
    const double listSeconds = medianOf("mdb-queries -L", "mdb-queries -L " + shellQuoted(database), runs);
    const double everySeconds =
        medianOf("mdb-queries for every query",
                 "mdb-queries -L -1 " + shellQuoted(database) + " | while IFS= read -r q; do mdb-queries " +
                     shellQuoted(database) + " \"$q\" || exit 1; done",
                 runs);
    std::filesystem::remove_all(temp);

    std::printf("database                     %s\n", argc > 1 ? argv[1] : SPECLORE_DEFAULT_QUERY_DATABASE);
    std::printf("runs                         %d each, median\n", runs);
    std::printf("speclore-cli                 %.3f s  (whole workbook with the query sheet, %ju bytes)\n",
                cliSeconds, static_cast<std::uintmax_t>(workbookBytes));
    std::printf("speclore-cli, .xlsx          %.3f s  (the same as .xlsx, %ju bytes)\n", xlsxSeconds,
                static_cast<std::uintmax_t>(xlsxBytes));
    std::printf("mdb-queries -L               %.3f s  (reference: names only)\n", listSeconds);
    std::printf("mdb-queries, every query     %.3f s  (reference: every query's SQL)\n", everySeconds);
    std::printf("ratio to the names           %.2f x  (target <= 2.00)\n", cliSeconds / listSeconds);
    std::printf("ratio to every query's SQL   %.4f x  (target <= 2.00)\n", cliSeconds / everySeconds);
    return 0;
}
