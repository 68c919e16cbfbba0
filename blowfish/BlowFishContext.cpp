#include "blowfish/BlowFishContext.h"

#include <cstring>
#include <new>

#include "blowfish/BlowFishInitialTables.h"

namespace speclore::blowfish {

namespace {

uint32_t loadLittleEndian(const uint8_t* bytes) {
    return uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24;
}

void storeLittleEndian(uint32_t word, uint8_t* bytes) {
    bytes[0] = static_cast<uint8_t>(word);
    bytes[1] = static_cast<uint8_t>(word >> 8);
    bytes[2] = static_cast<uint8_t>(word >> 16);
    bytes[3] = static_cast<uint8_t>(word >> 24);
}

}  // namespace

BlowFishContext::BlowFishContext() noexcept
    : p_(new (std::nothrow) uint32_t[kPWords]), s_(new (std::nothrow) uint32_t[kSWords]) {}

inline uint32_t BlowFishContext::roundFunction(uint32_t x) const noexcept {
    const uint32_t* s = s_.get();
    return ((s[x >> 24] + s[256 + ((x >> 16) & 0xFF)]) ^ s[512 + ((x >> 8) & 0xFF)]) + s[768 + (x & 0xFF)];
}

// The 16 rounds are written out and the halves never exchanged: successive
// rounds update the other half, and the final exchange is folded into the
// stores at the end. This is the hot path of the key schedule (521 blocks).
void BlowFishContext::EncryptBlock(uint32_t& left, uint32_t& right) const noexcept {
    const uint32_t* p = p_.get();
    uint32_t l = left ^ p[0];
    uint32_t r = right;
    r ^= roundFunction(l) ^ p[1];
    l ^= roundFunction(r) ^ p[2];
    r ^= roundFunction(l) ^ p[3];
    l ^= roundFunction(r) ^ p[4];
    r ^= roundFunction(l) ^ p[5];
    l ^= roundFunction(r) ^ p[6];
    r ^= roundFunction(l) ^ p[7];
    l ^= roundFunction(r) ^ p[8];
    r ^= roundFunction(l) ^ p[9];
    l ^= roundFunction(r) ^ p[10];
    r ^= roundFunction(l) ^ p[11];
    l ^= roundFunction(r) ^ p[12];
    r ^= roundFunction(l) ^ p[13];
    l ^= roundFunction(r) ^ p[14];
    r ^= roundFunction(l) ^ p[15];
    l ^= roundFunction(r) ^ p[16];
    left = r ^ p[17];
    right = l;
}

void BlowFishContext::DecryptBlock(uint32_t& left, uint32_t& right) const noexcept {
    const uint32_t* p = p_.get();
    uint32_t l = left ^ p[17];
    uint32_t r = right;
    r ^= roundFunction(l) ^ p[16];
    l ^= roundFunction(r) ^ p[15];
    r ^= roundFunction(l) ^ p[14];
    l ^= roundFunction(r) ^ p[13];
    r ^= roundFunction(l) ^ p[12];
    l ^= roundFunction(r) ^ p[11];
    r ^= roundFunction(l) ^ p[10];
    l ^= roundFunction(r) ^ p[9];
    r ^= roundFunction(l) ^ p[8];
    l ^= roundFunction(r) ^ p[7];
    r ^= roundFunction(l) ^ p[6];
    l ^= roundFunction(r) ^ p[5];
    r ^= roundFunction(l) ^ p[4];
    l ^= roundFunction(r) ^ p[3];
    r ^= roundFunction(l) ^ p[2];
    l ^= roundFunction(r) ^ p[1];
    left = r ^ p[0];
    right = l;
}

void BlowFishContext::SetKey(const uint8_t* key, std::size_t length) noexcept {
    std::memcpy(p_.get(), kInitialP, sizeof kInitialP);
    std::memcpy(s_.get(), kInitialS, sizeof kInitialS);

    // The key is read as an endless cycle of bytes, most significant first.
    std::size_t j = 0;
    for (std::size_t i = 0; i < kPWords; ++i) {
        uint32_t word = 0;
        for (int b = 0; b < 4; ++b) {
            word = word << 8 | key[j];
            j = j + 1 == length ? 0 : j + 1;
        }
        p_[i] ^= word;
    }

    uint32_t l = 0;
    uint32_t r = 0;
    for (std::size_t i = 0; i < kPWords; i += 2) {
        EncryptBlock(l, r);
        p_[i] = l;
        p_[i + 1] = r;
    }
    for (std::size_t i = 0; i < kSWords; i += 2) {
        EncryptBlock(l, r);
        s_[i] = l;
        s_[i + 1] = r;
    }
}

std::size_t BlowFishContext::EncryptBuffer(const uint8_t* input, uint8_t* output,
                                           std::size_t n) const noexcept {
    const std::size_t padded = PaddedLength(n);
    for (std::size_t k = 0; k < padded; k += 8) {
        uint8_t block[8] = {};
        std::memcpy(block, input + k, n - k < 8 ? n - k : 8);
        uint32_t l = loadLittleEndian(block);
        uint32_t r = loadLittleEndian(block + 4);
        EncryptBlock(l, r);
        storeLittleEndian(l, output + k);
        storeLittleEndian(r, output + k + 4);
    }
    return padded;
}

void BlowFishContext::DecryptBuffer(const uint8_t* input, uint8_t* output, std::size_t n) const noexcept {
    for (std::size_t k = 0; k + 8 <= n; k += 8) {
        uint32_t l = loadLittleEndian(input + k);
        uint32_t r = loadLittleEndian(input + k + 4);
        DecryptBlock(l, r);
        storeLittleEndian(l, output + k);
        storeLittleEndian(r, output + k + 4);
    }
}

}  // namespace speclore::blowfish
