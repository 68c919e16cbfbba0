#include "xls/FileBytes.h"

#include <cerrno>
#include <cstring>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "app/AppError.h"
#include "xls/XlsError.h"

namespace speclore::xls {

namespace {

// Closes the descriptor and, unless released, removes the temporary file.
class TemporaryFile {
public:
    TemporaryFile(int fd, std::string path) : fd_(fd), path_(std::move(path)) {}
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!path_.empty()) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }
    const std::string& path() const { return path_; }
    int close() {
        int result = ::close(fd_);
        fd_ = -1;
        return result;
    }
    void release() { path_.clear(); }

private:
    int fd_;
    std::string path_;
};

// What a file created with open() would get: 0666 less the umask.
mode_t newFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

std::string folderOf(const std::string& path) {
    auto slash = path.find_last_of('/');
    if (slash == std::string::npos) return ".";
    return slash == 0 ? "/" : path.substr(0, slash);
}

}  // namespace

std::string readWholeFile(const std::string& path) {
    int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) throw AppError(err::ApplicationDefined, "'" + path + "' を開けません: " + std::strerror(errno));
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
    std::string pattern = path + ".XXXXXX";
    int fd = ::mkstemp(pattern.data());
    if (fd < 0) throwFileError(errno, path, "一時ファイルを作れません");
    TemporaryFile temporary(fd, pattern);
    // The saved workbook keeps the permissions of the file it replaces.
    struct stat info {};
    ::fchmod(fd, ::stat(path.c_str(), &info) == 0 ? info.st_mode & 07777 : newFileMode());
    for (std::string_view piece : pieces) {
        const char* p = piece.data();
        size_t left = piece.size();
        while (left > 0) {
            ssize_t n = ::write(fd, p, left);
            if (n < 0 && errno == EINTR) continue;
            if (n < 0) throwFileError(errno, path, "保存できません");
            p += n;
            left -= static_cast<size_t>(n);
        }
    }
    if (::fsync(fd) != 0) throwFileError(errno, path, "保存できません");
    if (temporary.close() != 0) throwFileError(errno, path, "保存できません");
    if (::rename(temporary.path().c_str(), path.c_str()) != 0) throwFileError(errno, path, "保存できません");
    temporary.release();
    int dir = ::open(folderOf(path).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
}

}  // namespace speclore::xls
