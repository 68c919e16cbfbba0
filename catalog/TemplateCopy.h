// Puts a fresh copy of the workbook template at the output path.
#pragma once

#include <string>

namespace speclore::catalog {

// True when both paths name one existing file, however spelled (links,
// "..", relative and absolute forms).
bool SameExistingFile(const std::string& a, const std::string& b);

// Copies `source` to `target` through a temporary file beside the target
// that is renamed over it once complete, so the target is never left
// half-written. Raises 53 when the source is missing or unreadable, 76 when
// the target's folder does not exist, 70 when the target cannot be written.
void CopyFileWhole(const std::string& source, const std::string& target);

}  // namespace speclore::catalog
