#include "jet/reader/DatabaseFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

namespace speclore::jet::reader {

namespace {

// Jet 4 and ACE pages; a Jet 3 header fits in the first 2048 bytes.
constexpr int64_t kLargestPage = 4096;

}  // namespace

DatabaseFile::DatabaseFile(const std::string& path) : fd_(::open(path.c_str(), O_RDONLY | O_CLOEXEC)) {
    struct stat st {};
    if (fd_ < 0 || ::fstat(fd_, &st) != 0) {
        const int error = errno;
        if (fd_ >= 0) ::close(fd_);
        throw std::system_error(error, std::generic_category(), "open");
    }
    size_ = st.st_size;
}

DatabaseFile::~DatabaseFile() { ::close(fd_); }

MdbHandle* DatabaseFile::openWithLibmdb() {
    cookie_io_functions_t io{};
    io.read = [](void* cookie, char* buffer, size_t size) -> ssize_t {
        auto* file = static_cast<DatabaseFile*>(cookie);
        ssize_t n;
        while ((n = ::pread(file->fd_, buffer, size, file->position_)) < 0 && errno == EINTR) {}
        if (n > 0) file->position_ += n;
        return n;
    };
    io.seek = [](void* cookie, off64_t* offset, int whence) -> int {
        auto* file = static_cast<DatabaseFile*>(cookie);
        const int64_t base = whence == SEEK_SET ? 0 : whence == SEEK_CUR ? file->position_ : file->size_;
        if (*offset < -base) return -1;
        file->position_ = base + *offset;
        *offset = file->position_;
        return 0;
    };
    FILE* stream = ::fopencookie(this, "r", io);
    if (!stream) return nullptr;
    // libmdb reads whole pages: a Jet 4 page goes straight into its buffer,
    // a Jet 3 one through a buffer filled by one read.
    std::setvbuf(stream, nullptr, _IOFBF, kLargestPage);

    // libmdb opens a stream of its own choosing only; it is given the
    // header page in memory to parse, then this file's stream for the rest.
    std::vector<char> header(static_cast<size_t>(std::min(size_, kLargestPage)));
    if (header.empty() || std::fread(header.data(), 1, header.size(), stream) != header.size()) {
        std::fclose(stream);
        return nullptr;
    }
    MdbHandle* mdb = mdb_open_buffer(header.data(), header.size(), MDB_NOFLAGS);
    if (!mdb) {
        std::fclose(stream);
        return nullptr;
    }
    std::fclose(mdb->f->stream);
    mdb->f->stream = stream;
    return mdb;
}

}  // namespace speclore::jet::reader
