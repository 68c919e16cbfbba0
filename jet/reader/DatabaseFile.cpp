#include "jet/reader/DatabaseFile.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <system_error>
#include <vector>

#include "jet/crypt/DatabaseUnlock.h"
#include "jet/reader/DatabaseOpening.h"

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

void DatabaseFile::decryptWith(std::unique_ptr<crypt::PageDecryptor> decryptor) {
    decryptor_ = std::move(decryptor);
}

ssize_t DatabaseFile::read(char* buffer, size_t size) {
    if (decryptor_) return readDecrypted(buffer, size);
    ssize_t n;
    while ((n = ::pread(fd_, buffer, size, position_)) < 0 && errno == EINTR) {}
    if (n > 0) position_ += n;
    return n;
}

// Reads the whole pages around the request, decrypts them and hands out
// the part asked for; a trailing part page stays as it is.
ssize_t DatabaseFile::readDecrypted(char* buffer, size_t size) {
    constexpr int64_t kPage = static_cast<int64_t>(crypt::kAcePageSize);
    if (position_ >= size_ || size == 0) return 0;
    const int64_t end = std::min<int64_t>(size_, position_ + static_cast<int64_t>(size));
    const int64_t first = position_ / kPage * kPage;
    std::vector<uint8_t> pages(static_cast<size_t>(end - first));
    size_t got = 0;
    while (got < pages.size()) {
        ssize_t n = ::pread(fd_, pages.data() + got, pages.size() - got, first + static_cast<int64_t>(got));
        if (n < 0 && errno == EINTR) continue;
        if (n < 0) return -1;
        if (n == 0) break;
        got += static_cast<size_t>(n);
    }
    pages.resize(got);
    for (size_t at = 0; at + crypt::kAcePageSize <= pages.size(); at += crypt::kAcePageSize) {
        const auto number = static_cast<uint32_t>((first + static_cast<int64_t>(at)) / kPage);
        std::span<uint8_t> page(pages.data() + at, crypt::kAcePageSize);
        if (number == 0) {
            clearEncodingKey(page);
        } else {
            decryptor_->decrypt(number, page);
        }
    }
    const size_t skip = static_cast<size_t>(position_ - first);
    if (pages.size() <= skip) return 0;
    const size_t n = std::min(size, pages.size() - skip);
    std::copy(pages.begin() + static_cast<long>(skip), pages.begin() + static_cast<long>(skip + n), buffer);
    position_ += static_cast<int64_t>(n);
    return static_cast<ssize_t>(n);
}

MdbHandle* DatabaseFile::openWithLibmdb() {
    // libmdb opens a stream of its own choosing only; it is given the
    // header page in memory to parse, then this file's stream for the rest.
    std::vector<char> header(static_cast<size_t>(std::min(size_, kLargestPage)));
    size_t got = 0;
    while (got < header.size()) {
        const ssize_t n = read(header.data() + got, header.size() - got);
        if (n <= 0) return nullptr;
        got += static_cast<size_t>(n);
    }
    position_ = 0;
    MdbHandle* mdb = header.empty() ? nullptr : mdb_open_buffer(header.data(), header.size(), MDB_NOFLAGS);
    if (!mdb) return nullptr;

    cookie_io_functions_t io{};
    io.read = [](void* cookie, char* buffer, size_t size) -> ssize_t {
        return static_cast<DatabaseFile*>(cookie)->read(buffer, size);
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
    // glibc fills a cookie stream's buffer whole whatever the request: a
    // buffer of exactly one page makes every page one read, where its own
    // 8 KB buffer read a second page each time and lost it at the next seek
    // (and an unbuffered stream reads byte by byte).
    const ssize_t pageSize = mdb->fmt->pg_size;
    if (!stream || pageSize <= 0 || static_cast<size_t>(pageSize) > sizeof streamBuffer_ ||
        std::setvbuf(stream, streamBuffer_, _IOFBF, static_cast<size_t>(pageSize)) != 0) {
        if (stream) std::fclose(stream);
        mdb_close(mdb);
        return nullptr;
    }
    std::fclose(mdb->f->stream);
    mdb->f->stream = stream;
    return mdb;
}

}  // namespace speclore::jet::reader
