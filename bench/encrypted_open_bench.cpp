// encrypted_open_bench [realworld folder] [repetitions]
//
// Opens each password-protected Access-made database through the engine
// as the catalog run does (key derivation, verifier, decryption, the whole
// schema), the reader process included, and in the same run an unencrypted
// Access-made database of similar size and version. Prints both medians,
// their ratio (target at most 3) and the encrypted open (target at most
// 0.3 s), with the key derivation and verifier check alone beside them: the
// floor that the spin count sets.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "app/AppError.h"
#include "bench/Timing.h"
#include "jet/JetEngine.h"
#include "jet/crypt/DatabaseUnlock.h"
#include "tests/support/SchemaWalk.h"

namespace {

using speclore::bench::median;
using speclore::bench::millisecondsSince;

using Clock = std::chrono::steady_clock;
namespace fs = std::filesystem;

struct Pair {
    const char* encrypted;
    const char* password;
    const char* scheme;
    const char* plain;
};

const Pair kPairs[] = {
    {"db2007-oldenc.accdb", "Test123", "RC4 CryptoAPI 40-bit", "test_V2007.accdb"},
    {"office-agile-4.2.accdb", "password", "RC4 CryptoAPI 128-bit", "test_V2010.accdb"},
    {"db-nonstandard.accdb", "password", "AES-256, non-standard", "test_V2007.accdb"},
    {"db2007-enc.accdb", "Test123", "Agile AES-128, SHA-1", "test_V2007.accdb"},
    {"V2010_with-password.accdb", "password", "Agile AES-256, SHA-512", "test_V2010.accdb"},
};

std::string programFolder() { return fs::read_symlink("/proc/self/exe").parent_path().string(); }

double timedOpen(speclore::jet::JetDbEngineFactory& engines, const fs::path& database,
                 const std::string& password, int repetitions) {
    std::vector<double> times;
    for (int n = 0; n <= repetitions; ++n) {
        auto start = Clock::now();
        auto engine = engines.NewEngine();
        engine->SetSystemDB("");
        engine->SetDefaultUser("Admin");
        engine->SetDefaultPassword("");
        auto opened =
            engine->OpenDatabase(database.string(), false, false, password.empty() ? "" : ";pwd=" + password);
        speclore::testing::walkSchema(*opened);
        opened->Close();
        // The first run only warms the page cache.
        if (n > 0) times.push_back(millisecondsSince(start));
    }
    return median(times);
}

double timedUnlock(const fs::path& database, const std::string& password, int repetitions) {
    std::vector<uint8_t> page(speclore::jet::crypt::kAcePageSize);
    std::ifstream(database, std::ios::binary)
        .read(reinterpret_cast<char*>(page.data()), static_cast<std::streamsize>(page.size()));
    std::vector<double> times;
    for (int n = 0; n < repetitions; ++n) {
        auto start = Clock::now();
        speclore::jet::crypt::unlockDatabase(page, password);
        times.push_back(millisecondsSince(start));
    }
    return median(times);
}

}  // namespace

int main(int argc, char** argv) {
    const fs::path folder =
        argc > 1 ? fs::path(argv[1]) : fs::path(SPECLORE_SOURCE_DIR) / "../shared/fixtures/realworld";
    const int repetitions = argc > 2 ? std::max(1, std::atoi(argv[2])) : 7;
    speclore::jet::JetDbEngineFactory engines(programFolder());
    bool allMet = true;
    std::printf("%-27s %-24s %9s %9s %11s %6s\n", "encrypted database", "scheme", "unlock", "open",
                "plain open", "ratio");
    for (const Pair& pair : kPairs) {
        try {
            const double unlock = timedUnlock(folder / pair.encrypted, pair.password, repetitions);
            const double encrypted = timedOpen(engines, folder / pair.encrypted, pair.password, repetitions);
            const double plain = timedOpen(engines, folder / pair.plain, "", repetitions);
            const bool met = encrypted <= 300 && encrypted <= 3 * plain;
            allMet = allMet && met;
            std::printf("%-27s %-24s %6.1f ms %6.1f ms %8.1f ms %6.2f %s (%s)\n", pair.encrypted, pair.scheme,
                        unlock, encrypted, plain, encrypted / plain, met ? "ok" : "MISSED", pair.plain);
        } catch (const std::exception& e) {
            std::fprintf(stderr, "%s: %s\n", pair.encrypted, e.what());
            return 1;
        }
    }
    std::printf("medians of %d; targets: open <= 300 ms and <= 3 x the plain open: %s\n", repetitions,
                allMet ? "ok" : "MISSED");
    return 0;
}
