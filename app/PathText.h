// File names and shortened paths for display.
#pragma once

#include <cstdint>
#include <string>

namespace speclore {

// The part of the path after its last "/" (or "\", for Windows-style paths
// from old settings files); "" when there is none. Failures are reported
// under "mMain-GetFileName".
std::string GetFileName(const std::string& path);

// The path shortened to at most `width` positions of code page 932 (a
// double-byte character takes two), with "..." where text was left out and
// the file name kept whole at the end when it fits. Failures are reported
// under "mSysFunc-CompactPathEx" and give "".
std::string CompactPathEx(const std::string& path, int16_t width);

}  // namespace speclore
