// Whole-file reads and all-or-nothing replacement of small files.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace speclore {

enum class FileReadStatus {
    Read,        // `bytes` holds the file
    Missing,     // no such file
    Unreadable,  // exists but is no readable regular file of acceptable size
};

struct FileRead {
    FileReadStatus status;
    std::string bytes;
    int error = 0;  // why it is not Read, as an errno value
};

// Reads a regular file whole. Anything else (a folder, a pipe, a device, a
// file over `maxBytes`) is Unreadable (EISDIR for a folder, EINVAL for the
// other kinds, EFBIG for the size), and opening it never blocks.
FileRead readRegularFile(const std::string& path, size_t maxBytes);

// How far a replacement makes sure of the new file before it returns.
enum class FolderSync {
    // The file is synced, the folder entry is not: after a crash the file is
    // the old one or the new one, whole. Cheap enough for many small writes.
    Skip,
    // The folder entry is synced too, so the new file survives a crash.
    Sync,
};

// Replaces the file's contents with the pieces, one after another, through a
// temporary file beside it that is synced and renamed over the file, keeping
// its permissions and owner (a new file gets the usual ones). A symbolic link
// is followed, so the link stays. Returns 0, or the errno of the step that
// failed (EACCES for an existing file that may not be written, EISDIR for
// something other than a regular file); the old file is then untouched and
// no temporary file is left.
int replaceFileWith(const std::string& path, const std::vector<std::string_view>& pieces,
                    FolderSync folderSync);

// The same for one piece, without syncing the folder; true when replaced.
bool replaceFileContents(const std::string& path, std::string_view bytes);

}  // namespace speclore
