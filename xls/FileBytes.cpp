#include "xls/FileBytes.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <cstring>

#include "app/AppError.h"
#include "app/AtomicFile.h"
#include "xls/XlsError.h"

namespace speclore::xls {

std::string readWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        throw AppError(err::ApplicationDefined, "'" + path + "' を開けません: " + std::strerror(errno));
    std::string bytes;
    struct stat info {};
    if (::fstat(fd, &info) == 0 && S_ISREG(info.st_mode)) bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t n = ::read(fd, buffer, sizeof buffer);
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) {
            int saved = errno;
            ::close(fd);
            throw AppError(err::ApplicationDefined, "'" + path + "' を読めません: " + std::strerror(saved));
        }
        if (n == 0) break;
        bytes.append(buffer, static_cast<size_t>(n));
    }
    ::close(fd);
    return bytes;
}

void writeFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces) {
    // A saved workbook must survive a crash once the save has returned.
    int failure = replaceFileWith(path, pieces, FolderSync::Sync);
    if (failure != 0) throwFileError(failure, path, "保存できません");
}

}  // namespace speclore::xls
