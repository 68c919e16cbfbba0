// One Blowfish cipher context: the P-array and the S-boxes of one key, on the
// heap and owned by the context. Blocks are 8 bytes whose halves are taken
// little-endian (byte 0 is the least significant byte of the left half);
// buffers are enciphered block by block (ECB) with zero padding.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>

namespace speclore::blowfish {

class BlowFishContext {
public:
    // Allocates both tables without filling them. When an allocation fails
    // the context has no tables and must not be used (see hasTables).
    BlowFishContext() noexcept;
    BlowFishContext(const BlowFishContext&) = delete;
    BlowFishContext& operator=(const BlowFishContext&) = delete;
    // A moved-from context has no tables.
    BlowFishContext(BlowFishContext&&) noexcept = default;
    BlowFishContext& operator=(BlowFishContext&&) noexcept = default;

    bool hasTables() const noexcept { return p_ != nullptr && s_ != nullptr; }

    // The standard key schedule over `length` (at least 1) key bytes; only
    // the first 72 bytes can affect the subkeys. Starts again from the
    // initial tables, so the result depends on this key alone.
    void SetKey(const uint8_t* key, std::size_t length) noexcept;

    void EncryptBlock(uint32_t& left, uint32_t& right) const noexcept;
    void DecryptBlock(uint32_t& left, uint32_t& right) const noexcept;

    // n rounded up to a multiple of 8.
    static std::size_t PaddedLength(std::size_t n) noexcept { return (n + 7) & ~std::size_t{7}; }

    // Enciphers n bytes into PaddedLength(n) bytes of `output`, the last
    // block zero-padded; returns that length. `input` may equal `output`
    // (which then needs room for the padded length); otherwise they must not
    // overlap.
    std::size_t EncryptBuffer(const uint8_t* input, uint8_t* output, std::size_t n) const noexcept;
    // Deciphers n bytes (a multiple of 8); in place allowed.
    void DecryptBuffer(const uint8_t* input, uint8_t* output, std::size_t n) const noexcept;

private:
    // Blowfish's F: the four S-box lookups of one round.
    uint32_t roundFunction(uint32_t x) const noexcept;

    std::unique_ptr<uint32_t[]> p_;
    std::unique_ptr<uint32_t[]> s_;
};

}  // namespace speclore::blowfish
