#include "catalog/TemplateCopy.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <filesystem>
#include <vector>

#include "app/AppError.h"

namespace speclore::catalog {

namespace {

int32_t fileErrorNumber(int error, bool reading) {
    switch (error) {
    case ENOENT: return reading ? err::FileNotFound : err::PathNotFound;
    case ENOTDIR: return err::PathNotFound;
    case EACCES:
    case EPERM:
    case EROFS:
    case ETXTBSY: return err::PermissionDenied;
    case ENOSPC:
    case EDQUOT: return err::DiskFull;
    case EISDIR:
    case ENAMETOOLONG: return err::PathFileAccessError;
    default: return err::DeviceIOError;
    }
}

[[noreturn]] void raiseFileError(bool reading) { throw AppError(fileErrorNumber(errno, reading)); }

// Closes the descriptor and, unless released, removes the temporary file.
class TemporaryFile {
public:
    explicit TemporaryFile(const std::string& target) : path_(target + ".tmp-XXXXXX") {
        fd_ = ::mkstemp(path_.data());
        if (fd_ < 0) raiseFileError(false);
    }
    ~TemporaryFile() {
        if (fd_ >= 0) ::close(fd_);
        if (!renamed_) ::unlink(path_.c_str());
    }
    TemporaryFile(const TemporaryFile&) = delete;
    TemporaryFile& operator=(const TemporaryFile&) = delete;

    int fd() const { return fd_; }

    void finishAs(const std::string& target, mode_t mode) {
        if (::fchmod(fd_, mode) != 0 || ::fsync(fd_) != 0) raiseFileError(false);
        const int result = ::close(fd_);
        fd_ = -1;
        if (result != 0) raiseFileError(false);
        if (::rename(path_.c_str(), target.c_str()) != 0) raiseFileError(false);
        renamed_ = true;
    }

private:
    std::string path_;
    int fd_ = -1;
    bool renamed_ = false;
};

class InputFile {
public:
    explicit InputFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
        if (fd_ < 0) raiseFileError(true);
    }
    ~InputFile() { ::close(fd_); }
    InputFile(const InputFile&) = delete;
    InputFile& operator=(const InputFile&) = delete;
    int fd() const { return fd_; }

private:
    int fd_;
};

void writeAll(int fd, const char* data, ssize_t size) {
    while (size > 0) {
        const ssize_t written = ::write(fd, data, static_cast<size_t>(size));
        if (written < 0) {
            if (errno == EINTR) continue;
            raiseFileError(false);
        }
        data += written;
        size -= written;
    }
}

// The permissions of a newly created file, as the process's file mode mask
// gives them (read by setting it and putting it back): a read-only template
// still gives a writable output.
mode_t newFileMode() {
    const mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

bool SameExistingFile(const std::string& a, const std::string& b) {
    std::error_code error;
    return std::filesystem::equivalent(a, b, error) && !error;
}

void CopyFileWhole(const std::string& source, const std::string& target) {
    InputFile input(source);
    struct stat info {};
    if (::fstat(input.fd(), &info) != 0) raiseFileError(true);
    if (S_ISDIR(info.st_mode)) throw AppError(err::FileNotFound);

    TemporaryFile temporary(target);
    std::vector<char> buffer(1 << 16);
    for (;;) {
        const ssize_t got = ::read(input.fd(), buffer.data(), buffer.size());
        if (got < 0) {
            if (errno == EINTR) continue;
            raiseFileError(true);
        }
        if (got == 0) break;
        writeAll(temporary.fd(), buffer.data(), got);
    }
    temporary.finishAs(target, newFileMode());
}

}  // namespace speclore::catalog
