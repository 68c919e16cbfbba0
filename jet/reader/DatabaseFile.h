// The database file as libmdb reads it: a stream on which every page read
// is one pread, where libmdb's own file stream costs a seek to the end, a
// seek to the page and a read. The file is opened before the reader
// confines itself; the descriptor is the only one it may read afterwards.
// Unlike a mapping of the file, the pages read do not count in the
// reader's memory.
#pragma once

#include <cstdint>
#include <string>

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

    // libmdb's handle on the file, reading through this object (which must
    // outlive it), or nullptr when libmdb does not recognise the file.
    MdbHandle* openWithLibmdb();

private:
    int fd_ = -1;
    int64_t size_ = 0;
    int64_t position_ = 0;
};

}  // namespace speclore::jet::reader
