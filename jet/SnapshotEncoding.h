// The byte layout shared by the snapshot's encoder (in the reader) and its
// decoder (in the engine): a magic, then little-endian integers and
// length-prefixed UTF-8 strings, in the order of the structures in
// Snapshot.h.
#pragma once

#include <cstdint>
#include <string_view>

namespace speclore::jet::snapshot_encoding {

inline constexpr std::string_view kMagic{"SLSNAP\x01\x00", 8};

// Cell tags of a row table.
inline constexpr uint8_t kNullCell = 0;
inline constexpr uint8_t kIntegerCell = 1;
inline constexpr uint8_t kTextCell = 2;

// Jet keeps at most ten columns in an index.
inline constexpr uint8_t kMaxIndexColumns = 10;

}  // namespace speclore::jet::snapshot_encoding
