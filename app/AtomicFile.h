// Whole-file reads, all-or-nothing replacement of files, and the plain
// rewrite of a private file whose replacement is made elsewhere.
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

// A new version of a file, made under a private staging name in the file's
// folder and put in the file's place by one rename, so that the file is
// the old one or the new one, whole, whatever happens in between. Until
// then nothing at the file's path changes.
class FileReplacement {
public:
    // Follows a symbolic link at `path` to the file it names (existing or
    // not), checks that this target may be replaced, and creates the private
    // file, empty and open to its owner only. error() tells how that went:
    // 0, or the errno of the step that failed (EACCES for an existing file
    // that may not be written, EISDIR for something other than a regular
    // file, ENAMETOOLONG, ELOOP ...).
    explicit FileReplacement(const std::string& path);
    // Removes the private file unless it was committed.
    ~FileReplacement();
    FileReplacement(const FileReplacement&) = delete;
    FileReplacement& operator=(const FileReplacement&) = delete;

    int error() const { return error_; }
    // The file that commit() replaces: the path, or where its links lead.
    const std::string& target() const { return target_; }
    // The private file; others may rewrite it by its name before commit().
    const std::string& stagingPath() const { return staging_; }

    // Appends to the private file; 0 or errno.
    int write(std::string_view bytes);
    // Gives the private file the target's permissions and owner (a new file
    // gets the usual ones), syncs it, renames it over the target and, when
    // asked, syncs the folder. 0 or errno; after a failure the private file
    // is gone and the target untouched.
    int commit(FolderSync folderSync);

private:
    std::string target_;
    std::string staging_;
    int fd_ = -1;
    int error_ = 0;
    bool committed_ = false;
};

// Replaces the file's contents with the pieces, one after another, through
// a FileReplacement. Returns 0, or the errno of the step that failed; the
// old file is then untouched and no temporary file is left.
int replaceFileWith(const std::string& path, const std::vector<std::string_view>& pieces,
                    FolderSync folderSync);

// The same for one piece, without syncing the folder; true when replaced.
bool replaceFileContents(const std::string& path, std::string_view bytes);

// Writes the pieces over an existing file's contents in place, without a
// sync: only for a file nobody else reads, such as a FileReplacement's
// private file, whose commit() then syncs it and puts it in place. A
// failure may leave the file half-written. Returns 0 or errno; a symbolic
// link at the path is refused (ELOOP).
int rewriteFileInPlace(const std::string& path, const std::vector<std::string_view>& pieces);

}  // namespace speclore
