// Time and peak memory of the workbook engine on a large catalog: opens
// Template.xls, writes 20,000 rows of ten cells in the catalog run's pattern
// (values, bold numbers, heading-row formats, a frame every 20 rows) through
// the spreadsheet interface and saves. In the same run the same cells are
// written with python3-xlwt (bench/xlwt_reference.py) as the reference.
//
//   bench_xls [--rows N] [--repeats N] [--template FILE] [--no-reference]
//
// Targets on the development machine: under 150 ms and 150 MB.
#include <sys/resource.h>
#include <time.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>
#include <vector>

#include "app/AppError.h"
#include "catalog/SheetFormat.h"
#include "catalog/Spreadsheet.h"
#include "support/Subprocess.h"
#include "support/TempDir.h"
#include "xls/XlsApplication.h"

namespace {

using namespace speclore::catalog;

constexpr int kBlock = 20;    // rows per frame: a heading row and 19 numbered rows
constexpr int kFirstRow = 5;  // below the relationship sheet's title and headings
constexpr double kTargetMs = 150;
constexpr double kTargetMb = 150;

const char* const kHeadings[10] = {
    "NO",           "外部参照テーブル名", "外部参照項目名", "参照先テーブル名", "参照先項目名",
    "リレーション", "参照整合性",         "連鎖更新",       "連鎖削除",         "結合"};

struct Options {
    int rows = 20000;
    int repeats = 5;
    std::string templatePath = SPECLORE_BENCH_TEMPLATE;
    bool reference = true;
};

// The texts of numbered row n, columns B to J: unique names and repeated captions.
std::vector<std::string> rowTexts(int n) {
    char table[32];
    char field[32];
    char master[32];
    std::snprintf(table, sizeof table, "テーブル%04d", n / kBlock);
    std::snprintf(field, sizeof field, "フィールド%05d", n);
    std::snprintf(master, sizeof master, "マスタ%04d", n % 977);
    return {table, field, master, "ID", "一対多", "○", n % 3 ? "○" : "", n % 4 ? "" : "○", "INNER"};
}

// The relationship sheet's layout, with the catalog run's own formatting calls.
void writeRows(XlWorksheet& sheet, int rows) {
    int row = kFirstRow;
    int number = 0;
    for (int start = 0; start < rows; start += kBlock) {
        const int size = std::min(kBlock, rows - start);
        for (int c = 0; c < 10; ++c) {
            sheet.SetValue(a1Address(static_cast<char>('A' + c), row), kHeadings[c]);
        }
        formatHeadingRow(sheet, row, 'J');
        for (int k = 1; k < size; ++k) {
            ++number;
            const int r = row + k;
            sheet.SetValue(a1Address('A', r), number);
            if (number % 5 == 1) {
                sheet.Range(a1Address('A', r), a1Address('A', r))->Font().Bold(true);
            }
            const std::vector<std::string> texts = rowTexts(number);
            for (int c = 0; c < 9; ++c) {
                sheet.SetValue(a1Address(static_cast<char>('B' + c), r), texts[c]);
            }
        }
        frameRows(sheet, row + 1, row + size - 1, 'J');
        row += size;
    }
}

// Wall and processor time of one edit, by phase.
struct Timing {
    double openMs = 0;
    double writeMs = 0;
    double saveMs = 0;
    double cpuMs = 0;
    double totalMs() const { return openMs + writeMs + saveMs; }
};

double cpuNow() {
    timespec now{};
    clock_gettime(CLOCK_PROCESS_CPUTIME_ID, &now);
    return now.tv_sec * 1e3 + now.tv_nsec / 1e6;
}

// One whole edit: open the copy, write, save.
Timing timedEdit(const std::string& path, int rows) {
    using Clock = std::chrono::steady_clock;
    auto ms = [](Clock::time_point from, Clock::time_point to) {
        return std::chrono::duration<double, std::milli>(to - from).count();
    };
    Timing timing;
    const double cpuStart = cpuNow();
    const auto started = Clock::now();
    speclore::xls::XlsApplicationFactory factory;
    std::unique_ptr<XlApplication> excel = factory.CreateApplication();
    std::unique_ptr<XlWorkbook> book = excel->OpenWorkbook(path);
    const auto opened = Clock::now();
    writeRows(book->Sheets(2), rows);
    const auto written = Clock::now();
    book->Close(true);
    excel->Quit();
    const auto saved = Clock::now();
    timing.openMs = ms(started, opened);
    timing.writeMs = ms(opened, written);
    timing.saveMs = ms(written, saved);
    timing.cpuMs = cpuNow() - cpuStart;
    return timing;
}

double peakMb(int who) {
    rusage usage{};
    getrusage(who, &usage);
    return usage.ru_maxrss / 1024.0;  // kilobytes on Linux
}

bool parseOptions(int argc, char** argv, Options& options) {
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        const bool hasValue = i + 1 < argc;
        if (arg == "--rows" && hasValue) {
            options.rows = std::atoi(argv[++i]);
        } else if (arg == "--repeats" && hasValue) {
            options.repeats = std::atoi(argv[++i]);
        } else if (arg == "--template" && hasValue) {
            options.templatePath = argv[++i];
        } else if (arg == "--no-reference") {
            options.reference = false;
        } else {
            return false;
        }
    }
    // Rows from 5 on must stay within the sheet's 65,536.
    return options.rows > 0 && options.rows <= 65536 - kFirstRow + 1 && options.repeats > 0;
}

// The xlwt reference; returns false when python3-xlwt could not run.
bool runReference(const Options& options, const std::filesystem::path& output, double& ms, double& cpuMs,
                  double& mb) {
    const speclore::test::ProcessResult run = speclore::test::runProcess(
        {"python3", SPECLORE_BENCH_XLWT_REFERENCE, std::to_string(options.rows), output.string()},
        std::chrono::minutes(5));
    double seconds = 0;
    double cpuSeconds = 0;
    long peakKb = 0;
    if (run.exitCode != 0 || std::sscanf(run.out.c_str(), "seconds %lf cpu_seconds %lf peak_kb %ld", &seconds,
                                         &cpuSeconds, &peakKb) != 3) {
        std::fprintf(stderr, "reference failed (exit %d): %s%s\n", run.exitCode, run.out.c_str(),
                     run.err.c_str());
        return false;
    }
    ms = seconds * 1000;
    cpuMs = cpuSeconds * 1000;
    mb = peakKb / 1024.0;
    return true;
}

}  // namespace

int main(int argc, char** argv) {
    Options options;
    if (!parseOptions(argc, argv, options)) {
        std::fprintf(stderr,
                     "usage: bench_xls [--rows N (1-65532)] [--repeats N] [--template FILE] "
                     "[--no-reference]\n");
        return 2;
    }
    speclore::test::TempDir dir("speclore-bench-xls");
    std::vector<Timing> runs;
    try {
        for (int i = 0; i < options.repeats; ++i) {
            const std::filesystem::path copy = dir / ("catalog" + std::to_string(i) + ".xls");
            std::filesystem::copy_file(options.templatePath, copy);
            runs.push_back(timedEdit(copy.string(), options.rows));
        }
    } catch (const speclore::AppError& error) {
        std::fprintf(stderr, "engine failed: error %ld: %s\n", static_cast<long>(error.number()),
                     error.description().c_str());
        return 1;
    } catch (const std::exception& error) {
        std::fprintf(stderr, "engine failed: %s\n", error.what());
        return 1;
    }
    const double ourMb = peakMb(RUSAGE_SELF);
    std::sort(runs.begin(), runs.end(),
              [](const Timing& a, const Timing& b) { return a.totalMs() < b.totalMs(); });
    const Timing& best = runs.front();
    const Timing& median = runs[runs.size() / 2];
    const auto written = std::filesystem::file_size(dir / "catalog0.xls");

    std::printf("bench_xls: %d rows x 10 cells (%d cells, %d frames) on %s\n", options.rows,
                options.rows * 10, (options.rows + kBlock - 1) / kBlock,
                std::filesystem::path(options.templatePath).filename().c_str());
    std::printf("  engine   open+write+save: median %.1f ms (processor %.1f ms), best %.1f ms over %d runs\n",
                median.totalMs(), median.cpuMs, best.totalMs(), options.repeats);
    std::printf("           median run by phase: open %.1f ms, write %.1f ms, save %.1f ms\n", median.openMs,
                median.writeMs, median.saveMs);
    std::printf("           peak memory %.1f MB; file %.1f KB\n", ourMb, written / 1024.0);
    std::printf("  targets  %.0f ms, %.0f MB: time %s, memory %s\n", kTargetMs, kTargetMb,
                median.totalMs() < kTargetMs ? "met" : "MISSED", ourMb < kTargetMb ? "met" : "MISSED");
    if (options.reference) {
        double refMs = 0;
        double refCpuMs = 0;
        double refMb = 0;
        if (runReference(options, dir / "xlwt.xls", refMs, refCpuMs, refMb)) {
            std::printf(
                "  xlwt     write+save: %.1f ms (processor %.1f ms); peak memory %.1f MB "
                "(python3-xlwt, same cells)\n",
                refMs, refCpuMs, refMb);
            std::printf(
                "  ratio    xlwt / engine (medians): %.1fx time, %.1fx processor time, "
                "%.2fx memory\n",
                refMs / median.totalMs(), refCpuMs / median.cpuMs, refMb / ourMb);
        }
    }
    return 0;
}
