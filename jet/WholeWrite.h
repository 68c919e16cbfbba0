// Writing a whole buffer to a pipe, for the engine and its reader process
// alike: a pipe takes a large buffer in pieces, and a signal may interrupt a
// write before any byte went.
#pragma once

#include <unistd.h>

#include <cerrno>
#include <cstddef>
#include <string_view>

namespace speclore::jet {

// False when the other end is gone or the write fails.
inline bool writeWhole(int fd, std::string_view bytes) {
    size_t written = 0;
    while (written < bytes.size()) {
        ssize_t n = ::write(fd, bytes.data() + written, bytes.size() - written);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        written += static_cast<size_t>(n);
    }
    return true;
}

}  // namespace speclore::jet
