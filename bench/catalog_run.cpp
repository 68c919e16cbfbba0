// Times speclore-cli writing the whole specification workbook (every listed
// table, every relationship), process start to saved workbook, against
// `mdb-schema DATABASE postgres` reading the same tables, indexes,
// descriptions and relationships, in the same run with the runs of the two
// interleaved; on big.mdb and on the 1,500-table large/t1500x40.mdb.xz
// (decompressed into a temporary folder first). Prints medians, processor
// time per field and the peak memory of every process, the reader included.
// Then big.mdb through speclore-cli to .xlsx against the same run to .xls.
//
// bench_catalog [FIXTURES_FOLDER] [RUNS]
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "app/AppError.h"
#include "bench/Timing.h"
#include "bench/TracedRun.h"
#include "jet/JetEngine.h"

namespace fs = std::filesystem;

namespace {

using speclore::bench::median;

struct Case {
    std::string database;
    double ratioTarget;
    long peakTargetKb;  // 0: no target
};

constexpr double kCpuPerFieldTargetMicroseconds = 6.0;
constexpr double kXlsxToXlsTarget = 1.5;

double megabytes(long kilobytes) { return static_cast<double>(kilobytes) / 1024.0; }

// The fields speclore-cli documents: those of every table the table list shows.
std::size_t listedFields(const std::string& programFolder, const std::string& database) {
    speclore::jet::JetDbEngineFactory engines(programFolder);
    auto engine = engines.NewEngine();
    engine->SetSystemDB("");
    engine->SetDefaultUser("Admin");
    engine->SetDefaultPassword("");
    auto opened = engine->OpenDatabase(database, false, false, "");
    std::size_t fields = 0;
    for (const auto& table : opened->TableDefs()) {
        if (table.attributes == 0) fields += table.fields.size();
    }
    opened->Close();
    return fields;
}

std::string decompressed(const std::string& packed, const fs::path& folder) {
    const fs::path target = folder / fs::path(packed).stem();
    const std::string command = "xz -dc '" + packed + "' > '" + target.string() + "'";
    if (std::system(command.c_str()) != 0) {
        std::fprintf(stderr, "cannot decompress %s\n", packed.c_str());
        std::exit(1);
    }
    return target.string();
}

struct Figures {
    std::vector<double> seconds;
    std::vector<double> cpuSeconds;
    std::map<std::string, long> peakKb;

    void add(const speclore::bench::TracedRun& run) {
        seconds.push_back(run.seconds);
        cpuSeconds.push_back(run.cpuSeconds);
        for (const auto& [program, kb] : run.peakKb) peakKb[program] = std::max(peakKb[program], kb);
    }
};

speclore::bench::TracedRun runOrStop(const std::vector<std::string>& command) {
    speclore::bench::TracedRun run = speclore::bench::runTraced(command);
    if (run.exitStatus != 0) {
        std::fprintf(stderr, "%s failed with status %d\n", command.front().c_str(), run.exitStatus);
        std::exit(1);
    }
    return run;
}

std::string peaksText(const Figures& figures) {
    std::string text;
    for (const auto& [program, kb] : figures.peakKb) {
        char part[96];
        std::snprintf(part, sizeof part, "%s%s %.1f MB", text.empty() ? "" : ", ", program.c_str(),
                      megabytes(kb));
        text += part;
    }
    return text;
}

// Prints one database's figures; false when a target is missed.
bool measure(const Case& c, const std::string& programFolder, const fs::path& scratch, int runs) {
    const std::string cli = programFolder + "/speclore-cli";
    const std::string output = (scratch / "catalog.xls").string();
    Figures ours, reference;
    for (int i = 0; i < runs; ++i) {
        ours.add(runOrStop({cli, c.database, "-o", output}));
        reference.add(runOrStop({"mdb-schema", c.database, "postgres"}));
    }
    const auto workbookBytes = fs::file_size(output);
    fs::remove(output);
    const std::size_t fields = listedFields(programFolder, c.database);

    const double ratio = median(ours.seconds) / median(reference.seconds);
    const double cpuPerField =
        median(ours.cpuSeconds) * 1e6 / static_cast<double>(std::max<std::size_t>(fields, 1));
    long ourPeak = 0;
    for (const auto& [program, kb] : ours.peakKb) ourPeak = std::max(ourPeak, kb);
    const bool ratioMet = ratio <= c.ratioTarget;
    const bool cpuMet = cpuPerField <= kCpuPerFieldTargetMicroseconds;
    const bool peakMet = c.peakTargetKb == 0 || ourPeak < c.peakTargetKb;

    std::printf("database               %s (%zu fields listed)\n", c.database.c_str(), fields);
    std::printf("speclore-cli           %.3f s  (cpu %.3f s, reader included; %ju bytes written)\n",
                median(ours.seconds), median(ours.cpuSeconds), static_cast<std::uintmax_t>(workbookBytes));
    std::printf("mdb-schema postgres    %.3f s  (reference; cpu %.3f s)\n", median(reference.seconds),
                median(reference.cpuSeconds));
    std::printf("ratio                  %.2f x  (target <= %.2f) %s\n", ratio, c.ratioTarget,
                ratioMet ? "met" : "MISSED");
    std::printf("cpu per field          %.2f us  (target <= %.1f) %s\n", cpuPerField,
                kCpuPerFieldTargetMicroseconds, cpuMet ? "met" : "MISSED");
    std::printf("peak memory            %s; reference %s", peaksText(ours).c_str(),
                peaksText(reference).c_str());
    if (c.peakTargetKb != 0) {
        std::printf("  (target < %.0f MB each) %s", megabytes(c.peakTargetKb), peakMet ? "met" : "MISSED");
    }
    std::printf("\n\n");
    return ratioMet && cpuMet && peakMet;
}

// The whole catalog written as .xlsx against the same catalog as .xls, the
// runs interleaved; false when the target is missed.
bool measureFormats(const std::string& database, const std::string& programFolder, const fs::path& scratch,
                    int runs) {
    const std::string cli = programFolder + "/speclore-cli";
    const std::string xlsx = (scratch / "catalog.xlsx").string();
    const std::string xls = (scratch / "catalog.xls").string();
    Figures ours, reference;
    for (int i = 0; i < runs; ++i) {
        ours.add(runOrStop({cli, database, "-o", xlsx}));
        reference.add(runOrStop({cli, database, "-o", xls}));
    }
    const auto xlsxBytes = fs::file_size(xlsx);
    fs::remove(xlsx);
    fs::remove(xls);
    const double ratio = median(ours.seconds) / median(reference.seconds);
    const bool met = ratio <= kXlsxToXlsTarget;
    std::printf("database               %s, as .xlsx and as .xls\n", database.c_str());
    std::printf("speclore-cli -o .xlsx  %.3f s  (cpu %.3f s, reader included; %ju bytes written)\n",
                median(ours.seconds), median(ours.cpuSeconds), static_cast<std::uintmax_t>(xlsxBytes));
    std::printf("speclore-cli -o .xls   %.3f s  (reference; cpu %.3f s)\n", median(reference.seconds),
                median(reference.cpuSeconds));
    std::printf("ratio                  %.2f x  (target <= %.2f) %s\n", ratio, kXlsxToXlsTarget,
                met ? "met" : "MISSED");
    std::printf("peak memory            %s; reference %s\n\n", peaksText(ours).c_str(),
                peaksText(reference).c_str());
    return met;
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path fixtures = argc > 1 ? fs::path(argv[1]) : fs::path(SPECLORE_DEFAULT_FIXTURES);
    const int runs = argc > 2 ? std::max(1, std::atoi(argv[2])) : 5;
    const std::string big = (fixtures / "big.mdb").string();
    const std::string large = (fixtures / "large" / "t1500x40.mdb.xz").string();
    for (const std::string& file : {big, large}) {
        if (!fs::exists(file)) {
            std::fprintf(stderr, "no fixture at %s\n", file.c_str());
            return 1;
        }
    }
    const std::string programFolder = fs::read_symlink("/proc/self/exe").parent_path().string();
    const fs::path scratch = fs::temp_directory_path() / ("bench-catalog-" + std::to_string(::getpid()));
    fs::create_directories(scratch);

    const std::vector<Case> cases = {
        {big, 1.0, 0},
        {decompressed(large, scratch), 0.3, 64 * 1024},
    };
    std::printf("runs                   %d of each, interleaved; medians\n\n", runs);
    bool met = true;
    try {
        for (const Case& c : cases) met = measure(c, programFolder, scratch, runs) && met;
        met = measureFormats(big, programFolder, scratch, runs) && met;
    } catch (const speclore::AppError& e) {
        std::fprintf(stderr, "cannot read the database: %d %s\n", e.number(), e.description().c_str());
        met = false;
    }
    fs::remove_all(scratch);
    std::printf("result                 %s\n", met ? "all targets met" : "TARGET MISSED");
    return 0;
}
