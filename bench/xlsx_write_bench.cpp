// Time and peak memory of the .xlsx engine on a large catalog: opens
// Template.xlsx, writes 100,000 field rows in the table sheet's pattern
// (blocks of 40 fields: title row, formatted heading row, numbered field
// rows with a bold key, the frame) through the spreadsheet interface and
// saves. The reference in the same run is the .xls engine writing the same
// pattern up to the 65,536 rows its sheet holds; both are given per 1,000
// rows too.
//
//   bench_xlsx [--rows N] [--repeats N]
//
// Targets: 100,000 rows written and saved in under 1 s and 200 MB.
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

#include "app/AppError.h"
#include "catalog/SheetFormat.h"
#include "catalog/Spreadsheet.h"
#include "support/TempDir.h"
#include "xls/XlsApplication.h"
#include "xlsx/XlsxApplication.h"

namespace {

using namespace speclore::catalog;

constexpr int kFields = 40;          // fields per table block
constexpr int kXlsRows = 65536 - 3;  // field rows the .xls sheet holds from row 3 on, blocks included
constexpr double kTargetMs = 1000;
constexpr double kTargetMb = 200;

const char* const kHeadings[6] = {"NO", "項目名称", "タイプ", "サイズ", "インデックス", "項目説明"};

// The table sheet's layout with the catalog run's own calls; `fieldRows`
// counts the numbered rows. Gives the last row used.
int writeTables(XlWorksheet& sheet, int fieldRows) {
    int row = 3;
    int written = 0;
    for (int table = 0; written < fieldRows; ++table) {
        const int fields = std::min(kFields, fieldRows - written);
        auto title = sheet.Range(a1Address('A', row), a1Address('F', row));
        title->HorizontalAlignment(xlGeneral);
        title->VerticalAlignment(xlBottom);
        title->WrapText(false);
        char name[32];
        std::snprintf(name, sizeof name, "テーブル%05d", table);
        sheet.SetValue(a1Address('A', row), name);
        sheet.SetValue(a1Address('F', row), "テーブルの説明");
        ++row;
        for (int c = 0; c < 6; ++c) sheet.SetValue(a1Address(static_cast<char>('A' + c), row), kHeadings[c]);
        formatHeadingRow(sheet, row, 'F');
        ++row;
        const int first = row;
        for (int p = 0; p < fields; ++p, ++row) {
            sheet.SetValue(a1Address('A', row), p + 1);
            if (p == 0) sheet.Range(a1Address('A', row), a1Address('A', row))->Font().Bold(true);
            char field[32];
            std::snprintf(field, sizeof field, "フィールド%07d", written + p);
            sheet.SetValue(a1Address('B', row), field);
            sheet.SetValue(a1Address('C', row), p % 3 ? "ﾃｷｽﾄ型" : "数値型");
            sheet.SetValue(a1Address('D', row), p % 3 ? "50" : "長整数型");
            sheet.SetValue(a1Address('E', row), p == 0 ? "PrimaryKey" : "");
            sheet.SetValue(a1Address('F', row), "項目の説明");
        }
        frameRows(sheet, first, row - 1, 'F');
        written += fields;
        ++row;
    }
    return row - 1;
}

struct Run {
    double ms = 0;
    double mb = 0;
    int lastRow = 0;
    double fileKb = 0;
};

// One whole edit (open, write, save) in a child process, so that each run's
// peak memory is its own.
Run timedEdit(speclore::catalog::XlApplicationFactory& factory, const std::string& templatePath,
              const std::filesystem::path& copy, int fieldRows) {
    std::filesystem::copy_file(templatePath, copy, std::filesystem::copy_options::overwrite_existing);
    int pipeFds[2];
    if (::pipe(pipeFds) != 0) std::exit(1);
    const pid_t child = ::fork();
    if (child == 0) {
        ::close(pipeFds[0]);
        Run run;
        try {
            const auto started = std::chrono::steady_clock::now();
            std::unique_ptr<XlApplication> application = factory.CreateApplication();
            std::unique_ptr<XlWorkbook> book = application->OpenWorkbook(copy.string());
            run.lastRow = writeTables(book->Sheets(1), fieldRows);
            book->Close(true);
            application->Quit();
            run.ms =
                std::chrono::duration<double, std::milli>(std::chrono::steady_clock::now() - started).count();
        } catch (const speclore::AppError& error) {
            std::fprintf(stderr, "engine failed: error %ld: %s\n", static_cast<long>(error.number()),
                         error.description().c_str());
            ::_exit(1);
        }
        rusage usage{};
        getrusage(RUSAGE_SELF, &usage);
        run.mb = usage.ru_maxrss / 1024.0;
        run.fileKb = std::filesystem::file_size(copy) / 1024.0;
        if (::write(pipeFds[1], &run, sizeof run) != sizeof run) ::_exit(1);
        ::_exit(0);
    }
    ::close(pipeFds[1]);
    Run run;
    const bool got = ::read(pipeFds[0], &run, sizeof run) == sizeof run;
    ::close(pipeFds[0]);
    int status = 0;
    ::waitpid(child, &status, 0);
    if (!got || !WIFEXITED(status) || WEXITSTATUS(status) != 0) std::exit(1);
    return run;
}

Run median(std::vector<Run> runs) {
    std::sort(runs.begin(), runs.end(), [](const Run& a, const Run& b) { return a.ms < b.ms; });
    return runs[runs.size() / 2];
}

}  // namespace

int main(int argc, char** argv) {
    int rows = 100000;
    int repeats = 3;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--rows" && i + 1 < argc) {
            rows = std::atoi(argv[++i]);
        } else if (arg == "--repeats" && i + 1 < argc) {
            repeats = std::atoi(argv[++i]);
        } else {
            std::fprintf(stderr, "usage: bench_xlsx [--rows N] [--repeats N]\n");
            return 2;
        }
    }
    if (rows < 1 || repeats < 1) return 2;
    speclore::test::TempDir dir("speclore-bench-xlsx");
    speclore::xlsx::XlsxApplicationFactory xlsxEngine;
    speclore::xls::XlsApplicationFactory xlsEngine;
    // The .xls sheet ends at row 65,536: blocks of 43 rows for 40 fields.
    const int xlsRows = std::min(rows, kXlsRows / (kFields + 3) * kFields);
    std::vector<Run> xlsxRuns, xlsRuns;
    for (int i = 0; i < repeats; ++i) {
        xlsxRuns.push_back(timedEdit(xlsxEngine, SPECLORE_BENCH_XLSX_TEMPLATE, dir / "catalog.xlsx", rows));
        xlsRuns.push_back(timedEdit(xlsEngine, SPECLORE_BENCH_XLS_TEMPLATE, dir / "catalog.xls", xlsRows));
    }
    const Run xlsx = median(xlsxRuns), xls = median(xlsRuns);
    std::printf("bench_xlsx: %d field rows in blocks of %d (%d sheet rows), medians of %d runs\n", rows,
                kFields, xlsx.lastRow, repeats);
    std::printf(
        "  .xlsx engine  open+write+save %.1f ms, peak memory %.1f MB, file %.0f KB, %.2f ms per 1,000 "
        "rows\n",
        xlsx.ms, xlsx.mb, xlsx.fileKb, xlsx.ms * 1000 / rows);
    std::printf(
        "  .xls engine   %d field rows (%d sheet rows, its most): %.1f ms, peak memory %.1f MB, "
        "%.2f ms per 1,000 rows\n",
        xlsRows, xls.lastRow, xls.ms, xls.mb, xls.ms * 1000 / xlsRows);
    std::printf("  targets  %.0f ms, %.0f MB: time %s, memory %s\n", kTargetMs, kTargetMb,
                xlsx.ms < kTargetMs ? "met" : "MISSED", xlsx.mb < kTargetMb ? "met" : "MISSED");
    return 0;
}
