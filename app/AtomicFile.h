// Whole-file reads and all-or-nothing replacement of small files.
#pragma once

#include <string>
#include <string_view>

namespace speclore {

enum class FileReadStatus {
    Read,        // `bytes` holds the file
    Missing,     // no such file
    Unreadable,  // exists but is no readable regular file of acceptable size
};

struct FileRead {
    FileReadStatus status;
    std::string bytes;
};

// Reads a regular file whole. Anything else (a folder, a pipe, a device, a
// file over `maxBytes`) is Unreadable, and opening it never blocks.
FileRead readRegularFile(const std::string& path, size_t maxBytes);

// Replaces the file's contents through a temporary file beside it that is
// synced and renamed over the file, keeping its permissions (a new file gets
// the usual ones). A symbolic link is followed, so the link stays. false on
// any failure, with the old file untouched and no temporary file left.
bool replaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace speclore
