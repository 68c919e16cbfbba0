#include "jet/reader/DatabaseImage.h"

#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <system_error>

namespace speclore::jet::reader {

namespace {

[[noreturn]] void fail(const char* what) { throw std::system_error(errno, std::generic_category(), what); }

}  // namespace

DatabaseImage::DatabaseImage(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0) fail("open");
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        errno = EINVAL;
        fail("not a regular file");
    }
    size_ = static_cast<size_t>(st.st_size);
    if (size_ == 0) {
        ::close(fd);
        errno = EINVAL;
        fail("empty file");
    }
    // Only the pages libmdb touches are read from the file: the catalog,
    // the table definitions and the system tables' data pages.
    void* mapped = ::mmap(nullptr, size_, PROT_READ | PROT_WRITE, MAP_PRIVATE, fd, 0);
    ::close(fd);
    if (mapped == MAP_FAILED) fail("mmap");
    data_ = static_cast<unsigned char*>(mapped);
}

DatabaseImage::~DatabaseImage() { ::munmap(data_, size_); }

}  // namespace speclore::jet::reader
