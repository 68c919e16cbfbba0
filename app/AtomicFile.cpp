#include "app/AtomicFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>

#include "app/StagingFiles.h"

namespace speclore {

namespace {

// As many links as the system follows in one path.
constexpr int kMaxLinkHops = 40;

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

std::string folderOf(const std::string& path) {
    std::string::size_type slash = path.find_last_of('/');
    return slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
}

// Where writing through `path` lands: the path itself, or the end of its
// chain of symbolic links, which need not exist yet. 0 or errno.
int resolveLinks(const std::string& path, std::string& target) {
    target = path;
    for (int hops = 0; hops < kMaxLinkHops; ++hops) {
        struct stat info {};
        if (::lstat(target.c_str(), &info) != 0 || !S_ISLNK(info.st_mode)) return 0;
        std::string link(PATH_MAX, '\0');
        ssize_t length = ::readlink(target.c_str(), link.data(), link.size());
        if (length < 0) return errno;
        if (static_cast<size_t>(length) >= link.size()) return ENAMETOOLONG;
        link.resize(static_cast<size_t>(length));
        target = link.front() == '/' ? link : folderOf(target) + "/" + link;
    }
    return ELOOP;
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

FileReplacement::FileReplacement(const std::string& path) {
    if (path.empty()) {
        error_ = ENOENT;
        return;
    }
    error_ = resolveLinks(path, target_);
    if (error_) return;
    struct stat existing {};
    if (::stat(target_.c_str(), &existing) == 0) {
        if (!S_ISREG(existing.st_mode))
            error_ = EISDIR;
        else if (::access(target_.c_str(), W_OK) != 0)
            error_ = EACCES;
    } else if (errno != ENOENT) {
        error_ = errno;
    }
    if (error_) return;
    staging_ = folderOf(target_) + "/" + stagingNamePattern();
    fd_ = ::mkstemp(staging_.data());
    if (fd_ < 0) {
        error_ = errno;
        staging_.clear();
    }
}

FileReplacement::~FileReplacement() {
    if (fd_ >= 0) ::close(fd_);
    if (!committed_ && !staging_.empty()) ::unlink(staging_.c_str());
}

int FileReplacement::write(std::string_view bytes) {
    if (error_) return error_;
    if (fd_ < 0) return EBADF;
    return writeAll(fd_, bytes) ? 0 : errno;
}

int FileReplacement::commit(FolderSync folderSync) {
    if (error_) return error_;
    int failure = 0;
    if (fd_ >= 0) {
        // A failing close may be a late write error.
        if (::close(fd_) != 0) failure = errno;
        fd_ = -1;
    }
    // The private file is opened afresh: whoever wrote it last may have
    // put a new file under its name.
    FileDescriptor fd(failure ? -1 : ::open(staging_.c_str(), O_RDONLY | O_CLOEXEC | O_NOFOLLOW));
    if (!failure && fd.get() < 0) failure = errno;
    struct stat existing {};
    const bool exists = ::stat(target_.c_str(), &existing) == 0;
    if (!failure && ::fchmod(fd.get(), exists ? (existing.st_mode & 07777) : newFileMode()) != 0)
        failure = errno;
    if (!failure && exists && (existing.st_uid != ::geteuid() || existing.st_gid != ::getegid())) {
        // Only root can hand the file back to its owner; others keep theirs.
        if (::fchown(fd.get(), existing.st_uid, existing.st_gid) != 0 && ::geteuid() == 0) failure = errno;
    }
    if (!failure && ::fsync(fd.get()) != 0) failure = errno;
    if (!failure && ::rename(staging_.c_str(), target_.c_str()) != 0) failure = errno;
    if (failure) {
        ::unlink(staging_.c_str());
        staging_.clear();
        error_ = failure;
        return failure;
    }
    committed_ = true;
    if (folderSync == FolderSync::Sync) {
        FileDescriptor dir(::open(folderOf(target_).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
        if (dir.get() >= 0) ::fsync(dir.get());
    }
    return 0;
}

int replaceFileWith(const std::string& path, const std::vector<std::string_view>& pieces,
                    FolderSync folderSync) {
    FileReplacement replacement(path);
    for (std::string_view piece : pieces) {
        if (int failure = replacement.write(piece)) return failure;
    }
    return replacement.commit(folderSync);
}

bool replaceFileContents(const std::string& path, std::string_view bytes) {
    return replaceFileWith(path, {bytes}, FolderSync::Skip) == 0;
}

int rewriteFileInPlace(const std::string& path, const std::vector<std::string_view>& pieces) {
    FileDescriptor fd(::open(path.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC | O_NOFOLLOW | O_NOCTTY));
    if (fd.get() < 0) return errno;
    for (std::string_view piece : pieces) {
        if (!writeAll(fd.get(), piece)) return errno;
    }
    // The disk gets to work now, so that the sync that commits the file
    // later finds less to wait for; where it cannot, that sync does it all.
    ::sync_file_range(fd.get(), 0, 0, SYNC_FILE_RANGE_WRITE);
    // A failing close may be a late write error.
    return fd.close() ? 0 : errno;
}

}  // namespace speclore
