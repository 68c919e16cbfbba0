// Fixed values of the compound file format that its reader and writer share.
#pragma once

#include <cstdint>

namespace speclore::xls::cfb {

inline constexpr uint32_t kFreeSect = 0xFFFFFFFF;
inline constexpr uint32_t kEndOfChain = 0xFFFFFFFE;
inline constexpr uint32_t kFatSect = 0xFFFFFFFD;
inline constexpr uint32_t kDifSect = 0xFFFFFFFC;
inline constexpr uint32_t kMaxRegularSect = 0xFFFFFFFA;
inline constexpr uint32_t kNoStream = 0xFFFFFFFF;
inline constexpr uint32_t kMiniSectorSize = 64;
// Streams below this size live in the mini stream.
inline constexpr uint32_t kMiniCutoff = 4096;
inline constexpr unsigned char kSignature[8] = {0xD0, 0xCF, 0x11, 0xE0, 0xA1, 0xB1, 0x1A, 0xE1};

// The header is 512 bytes whatever the sector size; it ends with the first
// 109 DIFAT entries, and DIFAT sectors list the FAT sectors past them.
inline constexpr uint32_t kHeaderSize = 512;
inline constexpr uint32_t kHeaderDifatOffset = 0x4C;
inline constexpr uint32_t kHeaderDifatEntries = 109;
static_assert(kHeaderDifatOffset + 4 * kHeaderDifatEntries == kHeaderSize);

}  // namespace speclore::xls::cfb
