// The database file mapped into memory, so that libmdb reads its pages
// without a system call each and the reader needs no open file once it is
// confined. The mapping is private and writable: pages changed in place
// (decrypted) stay in this process and never reach the file.
#pragma once

#include <cstddef>
#include <string>

namespace speclore::jet::reader {

class DatabaseImage {
public:
    // Raises std::system_error when the file cannot be opened or mapped.
    explicit DatabaseImage(const std::string& path);
    ~DatabaseImage();
    DatabaseImage(const DatabaseImage&) = delete;
    DatabaseImage& operator=(const DatabaseImage&) = delete;

    unsigned char* data() const { return data_; }
    size_t size() const { return size_; }

private:
    unsigned char* data_ = nullptr;
    size_t size_ = 0;
};

}  // namespace speclore::jet::reader
