// Decrypts the pages of an unlocked ACE database. Page 0 is never
// encrypted; every other page is, with a key or IV derived from the
// database's encoding key combined with the page number.
#pragma once

#include <array>
#include <cstdint>
#include <span>

namespace speclore::jet::crypt {

using EncodingKey = std::array<uint8_t, 4>;

// What each page's key or IV is derived from: the encoding key XOR the
// little-endian page number. Page 0's block (the encoding key itself) is
// not used; the verifiers use the block of four zero bytes.
inline EncodingKey pageBlock(EncodingKey encodingKey, uint32_t pageNumber) {
    for (size_t n = 0; n < 4; ++n) encodingKey[n] ^= static_cast<uint8_t>(pageNumber >> (8 * n));
    return encodingKey;
}

class PageDecryptor {
public:
    virtual ~PageDecryptor() = default;
    // Decrypts one whole page (4096 bytes) in place; `pageNumber` > 0.
    virtual void decrypt(uint32_t pageNumber, std::span<uint8_t> page) const = 0;
};

}  // namespace speclore::jet::crypt
