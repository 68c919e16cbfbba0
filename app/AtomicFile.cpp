#include "app/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <memory>

namespace speclore {

namespace {

class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor() {
        if (fd_ >= 0) ::close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int get() const { return fd_; }
    // Closes now, so that a failing close (a late write error) is seen.
    bool close() {
        int fd = fd_;
        fd_ = -1;
        return ::close(fd) == 0;
    }

private:
    int fd_;
};

bool writeAll(int fd, std::string_view bytes) {
    while (!bytes.empty()) {
        ssize_t written = ::write(fd, bytes.data(), bytes.size());
        if (written < 0) {
            if (errno == EINTR) continue;
            return false;
        }
        bytes.remove_prefix(static_cast<size_t>(written));
    }
    return true;
}

mode_t newFileMode() {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return 0666 & ~mask;
}

}  // namespace

FileRead readRegularFile(const std::string& path, size_t maxBytes) {
    FileDescriptor fd(::open(path.c_str(), O_RDONLY | O_CLOEXEC | O_NONBLOCK | O_NOCTTY));
    if (fd.get() < 0) {
        return {errno == ENOENT ? FileReadStatus::Missing : FileReadStatus::Unreadable, {}, errno};
    }
    struct stat info {};
    if (::fstat(fd.get(), &info) != 0) return {FileReadStatus::Unreadable, {}, errno};
    if (!S_ISREG(info.st_mode))
        return {FileReadStatus::Unreadable, {}, S_ISDIR(info.st_mode) ? EISDIR : EINVAL};
    if (static_cast<unsigned long long>(info.st_size) > maxBytes)
        return {FileReadStatus::Unreadable, {}, EFBIG};

    std::string bytes;
    bytes.reserve(static_cast<size_t>(info.st_size));
    char buffer[65536];
    for (;;) {
        ssize_t got = ::read(fd.get(), buffer, sizeof buffer);
        if (got < 0) {
            if (errno == EINTR) continue;
            return {FileReadStatus::Unreadable, {}, errno};
        }
        if (got == 0) break;
        bytes.append(buffer, static_cast<size_t>(got));
        // The file may grow while it is read; keep to the limit regardless.
        if (bytes.size() > maxBytes) return {FileReadStatus::Unreadable, {}, EFBIG};
    }
    return {FileReadStatus::Read, std::move(bytes), 0};
}

int replaceFileWith(const std::string& path, const std::vector<std::string_view>& pieces,
                    FolderSync folderSync) {
    if (path.empty()) return ENOENT;
    std::string target = path;
    struct stat linkInfo {};
    if (::lstat(path.c_str(), &linkInfo) == 0 && S_ISLNK(linkInfo.st_mode)) {
        std::unique_ptr<char, decltype(&std::free)> resolved(::realpath(path.c_str(), nullptr), &std::free);
        if (!resolved) return errno;
        target = resolved.get();
    }

    struct stat existing {};
    bool exists = ::stat(target.c_str(), &existing) == 0;
    if (exists && !S_ISREG(existing.st_mode)) return EISDIR;
    if (exists && ::access(target.c_str(), W_OK) != 0) return EACCES;

    std::string temporary = target + ".XXXXXX";
    FileDescriptor fd(::mkstemp(temporary.data()));
    if (fd.get() < 0) return errno;

    int failure = 0;
    for (std::string_view piece : pieces) {
        if (!writeAll(fd.get(), piece)) {
            failure = errno;
            break;
        }
    }
    if (!failure && ::fchmod(fd.get(), exists ? (existing.st_mode & 07777) : newFileMode()) != 0) {
        failure = errno;
    }
    if (!failure && exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Only root can hand the file back to its owner; others keep theirs.
        if (::fchown(fd.get(), existing.st_uid, existing.st_gid) != 0 && ::geteuid() == 0) failure = errno;
    }
    if (!failure && ::fsync(fd.get()) != 0) failure = errno;
    if (!fd.close() && !failure) failure = errno;
    if (!failure && ::rename(temporary.c_str(), target.c_str()) != 0) failure = errno;
    if (failure) {
        ::unlink(temporary.c_str());
        return failure;
    }
    if (folderSync == FolderSync::Sync) {
        std::string::size_type slash = target.find_last_of('/');
        std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : target.substr(0, slash);
        FileDescriptor dir(::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0) ::fsync(dir.get());
    }
    return 0;
}

bool replaceFileContents(const std::string& path, std::string_view bytes) {
    return replaceFileWith(path, {bytes}, FolderSync::Skip) == 0;
}

}  // namespace speclore
