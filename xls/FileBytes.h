// Saving a workbook so that it never leaves a half-written file at the
// target path: the bytes go to a temporary file beside it, are flushed to
// disk, and the temporary file is then renamed over the target. A private
// file that its owner syncs and puts in place itself is simply rewritten.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace speclore::xls {

// Raises a numbered file error (61, 70, 75, 76 ...) when anything fails;
// the target is then unchanged and no temporary file is left. A symbolic
// link at the path is followed, so the link stays.
// The file's bytes are the pieces one after another.
void writeFileAtomically(const std::string& path, const std::vector<std::string_view>& pieces);

// Writes the pieces over the existing file at `path`, unsynced, raising the
// same numbered file errors; the file may then be half-written.
void writeFileInPlace(const std::string& path, const std::vector<std::string_view>& pieces);

}  // namespace speclore::xls
