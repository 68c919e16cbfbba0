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

// What the version fields of a version 3 file hold: 512-byte sectors and
// 64-byte mini sectors, little-endian.
inline constexpr uint16_t kMinorVersionValue = 0x003E;
inline constexpr uint16_t kMajorVersion3 = 3;
inline constexpr uint16_t kByteOrderMark = 0xFFFE;
inline constexpr uint16_t kSectorShift3 = 9;
inline constexpr uint16_t kMiniSectorShiftValue = 6;
static_assert(1u << kMiniSectorShiftValue == kMiniSectorSize);

// Fields of the header, by their offset. Those not named (the class id,
// reserved bytes, the transaction signature) are zero.
namespace header {
inline constexpr uint32_t kSignature = 0x00;
inline constexpr uint32_t kMinorVersion = 0x18;
inline constexpr uint32_t kMajorVersion = 0x1A;
inline constexpr uint32_t kByteOrder = 0x1C;
inline constexpr uint32_t kSectorShift = 0x1E;
inline constexpr uint32_t kMiniSectorShift = 0x20;
inline constexpr uint32_t kDirectorySectors = 0x28;  // zero in version 3
inline constexpr uint32_t kFatSectors = 0x2C;
inline constexpr uint32_t kFirstDirectorySector = 0x30;
inline constexpr uint32_t kMiniCutoff = 0x38;
inline constexpr uint32_t kFirstMiniFatSector = 0x3C;
inline constexpr uint32_t kMiniFatSectors = 0x40;
inline constexpr uint32_t kFirstDifatSector = 0x44;
inline constexpr uint32_t kDifatSectors = 0x48;
}  // namespace header

// Fields of a 128-byte directory entry, by their offset.
namespace dirEntry {
inline constexpr uint32_t kSize = 128;
inline constexpr uint32_t kNameBytes = 0x40;  // UTF-16 name with its terminating zero
inline constexpr uint32_t kMaxNameBytes = 64;
inline constexpr uint32_t kType = 0x42;
inline constexpr uint32_t kColour = 0x43;  // 0 red, 1 black
inline constexpr uint32_t kLeftSibling = 0x44;
inline constexpr uint32_t kRightSibling = 0x48;
inline constexpr uint32_t kChild = 0x4C;
inline constexpr uint32_t kStartSector = 0x74;
inline constexpr uint32_t kStreamSizeLow = 0x78;
inline constexpr uint32_t kStreamSizeHigh = 0x7C;  // version 4 only; junk in old version 3 files
}  // namespace dirEntry

}  // namespace speclore::xls::cfb
