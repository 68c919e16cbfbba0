// Whole-file reading, and writing that never leaves a half-written file at
// the target path: the bytes go to a temporary file beside it, are flushed
// to disk, and the temporary file is then renamed over the target.
#pragma once

#include <string>
#include <string_view>

namespace speclore::xls {

// Raises error 1004 naming the reason when the file cannot be read.
std::string readWholeFile(const std::string& path);

// Raises a numbered file error (61, 70, 75, 76 ...) and removes the
// temporary file when anything fails; the target is then unchanged.
void writeFileAtomically(const std::string& path, std::string_view bytes);

}  // namespace speclore::xls
