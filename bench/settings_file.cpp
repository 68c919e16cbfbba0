// Usage: bench_settings [settings file]   (default: the shipped Speclore.ini)
//
// Times the item names' pattern of use: every key of section "CATALOG" read
// by GetIniValue one call at a time, and every key written by SetIniValue
// one call at a time. The reference figures are the floor the file system
// sets in the same run: the same number of plain whole-file reads, and of
// whole-file writes synced to disk.
#include <fcntl.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "app/SettingsFile.h"
#include "bench/Timing.h"

using namespace speclore;
using Clock = std::chrono::steady_clock;

namespace {

using speclore::bench::millisecondsSince;

std::string readAll(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

std::vector<std::string> catalogKeys(const std::string& bytes) {
    std::vector<std::string> keys;
    bool inCatalog = false;
    size_t begin = 0;
    while (begin < bytes.size()) {
        size_t end = bytes.find('\n', begin);
        if (end == std::string::npos) end = bytes.size();
        std::string line = bytes.substr(begin, end - begin);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        if (!line.empty() && line[0] == '[')
            inCatalog = line == "[CATALOG]";
        else if (inCatalog && line.find('=') != std::string::npos)
            keys.push_back(line.substr(0, line.find('=')));
        begin = end + 1;
    }
    return keys;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string source = argc > 1 ? argv[1] : SPECLORE_DEFAULT_SETTINGS_FILE;
    const std::string original = readAll(source);
    const std::vector<std::string> keys = catalogKeys(original);
    if (keys.empty()) {
        std::fprintf(stderr, "no keys in section CATALOG of %s\n", source.c_str());
        return 1;
    }
    const auto folder =
        std::filesystem::temp_directory_path() / ("speclore-bench-" + std::to_string(::getpid()));
    std::filesystem::create_directories(folder);
    const std::string ini = (folder / "Speclore.ini").string();
    std::ofstream(ini, std::ios::binary) << original;

    const int rounds = 200;
    auto start = Clock::now();
    size_t characters = 0;
    for (int round = 0; round < rounds; ++round) {
        characters = 0;
        for (const std::string& key : keys) characters += GetIniValue(ini, "CATALOG", key).size();
    }
    const double readMs = millisecondsSince(start) / rounds;

    size_t plainBytes = 0;
    start = Clock::now();
    for (int round = 0; round < rounds; ++round) {
        for (size_t i = 0; i < keys.size(); ++i) plainBytes += readAll(ini).size();
    }
    const double plainReadMs = millisecondsSince(start) / rounds;

    const int writeRounds = 3;
    start = Clock::now();
    for (int round = 0; round < writeRounds; ++round) {
        for (const std::string& key : keys) SetIniValue(ini, "CATALOG", key, "値" + std::to_string(round));
    }
    const double writeMs = millisecondsSince(start) / writeRounds;

    const std::string plainCopy = (folder / "plain.ini").string();
    start = Clock::now();
    for (int round = 0; round < writeRounds; ++round) {
        for (size_t i = 0; i < keys.size(); ++i) {
            int fd = ::open(plainCopy.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
            if (fd < 0 || ::write(fd, original.data(), original.size()) < 0 || ::fsync(fd) != 0) return 1;
            ::close(fd);
        }
    }
    const double plainWriteMs = millisecondsSince(start) / writeRounds;
    std::filesystem::remove_all(folder);

    std::printf("settings file: %zu bytes, %zu keys in CATALOG (%zu bytes of values; %zu read plainly)\n",
                original.size(), keys.size(), characters, plainBytes);
    std::printf("read all keys one call each:  %8.3f ms   reference, %zu plain whole-file reads: %8.3f ms\n",
                readMs, keys.size(), plainReadMs);
    std::printf(
        "write all keys one call each: %8.3f ms   reference, %zu synced whole-file writes: %8.3f ms\n",
        writeMs, keys.size(), plainWriteMs);
    return 0;
}
