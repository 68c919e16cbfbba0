#include "app/StagingFiles.h"

#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <unistd.h>

#include <cerrno>
#include <charconv>
#include <cstring>
#include <optional>
#include <string_view>

namespace speclore {

namespace {

// The start time of a process in clock ticks since boot (field 22 of its
// stat file), or nothing when it cannot be read. Ids are reused, the pair of
// id and start time is not.
std::optional<unsigned long long> processStartTime(long pid) {
    const std::string path = "/proc/" + std::to_string(pid) + "/stat";
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) return std::nullopt;
    char buffer[1024];
    ssize_t got = ::read(fd, buffer, sizeof buffer - 1);
    ::close(fd);
    if (got <= 0) return std::nullopt;
    std::string_view stat(buffer, static_cast<size_t>(got));
    // The command name in parentheses may hold spaces and parentheses itself.
    size_t field = stat.rfind(')');
    if (field == std::string_view::npos) return std::nullopt;
    // After the name come field 3 (state) and onwards; the start time is the
    // 20th of them.
    for (int skip = 0; skip < 20; ++skip) {
        field = stat.find(' ', field + 1);
        if (field == std::string_view::npos) return std::nullopt;
    }
    unsigned long long start = 0;
    auto [end, error] = std::from_chars(stat.data() + field + 1, stat.data() + stat.size(), start);
    if (error != std::errc()) return std::nullopt;
    return start;
}

bool processRuns(long pid, unsigned long long startTime) {
    if (pid <= 0 || (::kill(static_cast<pid_t>(pid), 0) != 0 && errno == ESRCH)) return false;
    std::optional<unsigned long long> actual = processStartTime(pid);
    // Without /proc the id alone must do.
    return !actual || *actual == startTime;
}

}  // namespace

std::string stagingNamePattern() {
    const long pid = static_cast<long>(::getpid());
    return std::string(kStagingPrefix) + std::to_string(pid) + "-" +
           std::to_string(processStartTime(pid).value_or(0)) + "-XXXXXX";
}

bool isStaleStagingName(const std::string& name) {
    std::string_view rest(name);
    const std::string_view prefix(kStagingPrefix);
    if (rest.substr(0, prefix.size()) != prefix) return false;
    rest.remove_prefix(prefix.size());
    long pid = 0;
    unsigned long long startTime = 0;
    auto parsedPid = std::from_chars(rest.data(), rest.data() + rest.size(), pid);
    if (parsedPid.ec != std::errc() || parsedPid.ptr == rest.data() + rest.size() || *parsedPid.ptr != '-')
        return false;
    const char* afterPid = parsedPid.ptr + 1;
    auto parsedStart = std::from_chars(afterPid, rest.data() + rest.size(), startTime);
    if (parsedStart.ec != std::errc() || parsedStart.ptr == rest.data() + rest.size() ||
        *parsedStart.ptr != '-')
        return false;
    return !processRuns(pid, startTime);
}

void removeStaleStagingFiles(const std::string& folder) {
    DIR* dir = ::opendir(folder.c_str());
    if (!dir) return;
    const int dirFd = ::dirfd(dir);
    while (const dirent* entry = ::readdir(dir)) {
        const std::string name = entry->d_name;
        if (isStaleStagingName(name)) ::unlinkat(dirFd, name.c_str(), 0);
    }
    ::closedir(dir);
}

}  // namespace speclore
