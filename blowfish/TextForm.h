// The encrypted text form: every 8-byte ciphertext block as 13 symbols of
// the upper-case base32hex alphabet ("0"-"9", "A"-"V"), the 13th holding the
// last 4 bits shifted left, so always even. Settings files written by
// earlier builds hold this form, so the reader keeps its lenient rules.
#pragma once

#include <cstddef>
#include <cstdint>

namespace speclore::blowfish {

inline constexpr std::size_t kBlockBytes = 8;
inline constexpr std::size_t kSymbolsPerBlock = 13;
// Five bits a symbol: 13 symbols carry a block's 64 bits with 1 to spare.
static_assert(kSymbolsPerBlock * 5 == kBlockBytes * 8 + 1);

// Writes the 13 * (n / 8) symbols of n bytes (a multiple of 8), no NUL.
void writeTextForm(const uint8_t* bytes, std::size_t n, char* symbols);

// Reads `length` symbols (a multiple of 13) into 8 * (length / 13) bytes.
// Nothing is validated: a character c counts as c - 48 below ":", else
// c - 55, modulo 256, and the bytes are assembled in 8-bit arithmetic, so
// values over 31 spill into neighbouring bits. An odd 13th symbol marks a
// complemented block: its 8 bytes come out inverted.
void readTextForm(const char* symbols, std::size_t length, uint8_t* bytes);

}  // namespace speclore::blowfish
