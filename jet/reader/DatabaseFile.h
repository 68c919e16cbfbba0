// The database file as libmdb reads it: a stream on which every page read
// is one pread, where libmdb's own file stream costs a seek to the end, a
// seek to the page and a read. The file is opened before the reader
// confines itself; the descriptor is the only one it may read afterwards.
// Unlike a mapping of the file, the pages read do not count in the
// reader's memory. The pages of an encrypted ACE database are decrypted as
// they are read, into libmdb's buffers only.
#pragma once

#include <cstdint>
#include <memory>
#include <string>

#include "jet/crypt/PageDecryptor.h"

#include "jet/reader/MdbHeader.h"

namespace speclore::jet::reader {

class DatabaseFile {
public:
    // Raises std::system_error when the file cannot be opened.
    explicit DatabaseFile(const std::string& path);
    ~DatabaseFile();
    DatabaseFile(const DatabaseFile&) = delete;
    DatabaseFile& operator=(const DatabaseFile&) = delete;

    int descriptor() const { return fd_; }

    // From now on every page after page 0 is decrypted as it is read, and
    // page 0 reads with its encoding key cleared.
    void decryptWith(std::unique_ptr<crypt::PageDecryptor> decryptor);

    // libmdb's handle on the file, reading through this object (which must
    // outlive it), or nullptr when libmdb does not recognise the file.
    MdbHandle* openWithLibmdb();

private:
    int fd_ = -1;
    int64_t size_ = 0;
    int64_t position_ = 0;
    std::unique_ptr<crypt::PageDecryptor> decryptor_;
    // The stream's buffer, one page of any format.
    char streamBuffer_[4096];

    ssize_t read(char* buffer, size_t size);
    ssize_t readDecrypted(char* buffer, size_t size);
};

}  // namespace speclore::jet::reader
