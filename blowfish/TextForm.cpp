#include "blowfish/TextForm.h"

namespace speclore::blowfish {

namespace {

char symbolChar(unsigned value) { return static_cast<char>(value < 10 ? '0' + value : 'A' + (value - 10)); }

uint8_t symbolValue(char c) {
    const auto byte = static_cast<uint8_t>(c);
    return static_cast<uint8_t>(byte < ':' ? byte - 48 : byte - 55);
}

// Shifts within one byte: the surplus bits of an out-of-alphabet value fall
// off the top, exactly as the 8-bit reader always did.
uint8_t shl(uint8_t value, unsigned places) { return static_cast<uint8_t>(value << places); }

void encodeBlock(const uint8_t* bytes, char* out) {
    // Widened first, so that the masks and shifts below stay unsigned.
    unsigned b[8];
    for (int i = 0; i < 8; ++i) b[i] = bytes[i];
    out[0] = symbolChar(b[0] >> 3);
    out[1] = symbolChar(((b[0] & 7) << 2) | (b[1] >> 6));
    out[2] = symbolChar((b[1] >> 1) & 31);
    out[3] = symbolChar(((b[1] & 1) << 4) | (b[2] >> 4));
    out[4] = symbolChar(((b[2] & 15) << 1) | (b[3] >> 7));
    out[5] = symbolChar((b[3] >> 2) & 31);
    out[6] = symbolChar(((b[3] & 3) << 3) | (b[4] >> 5));
    out[7] = symbolChar(b[4] & 31);
    out[8] = symbolChar(b[5] >> 3);
    out[9] = symbolChar(((b[5] & 7) << 2) | (b[6] >> 6));
    out[10] = symbolChar((b[6] >> 1) & 31);
    out[11] = symbolChar(((b[6] & 1) << 4) | (b[7] >> 4));
    out[12] = symbolChar((b[7] & 15) << 1);
}

void decodeBlock(const char* in, uint8_t* b) {
    uint8_t s[kSymbolsPerBlock];
    for (std::size_t i = 0; i < kSymbolsPerBlock; ++i) s[i] = symbolValue(in[i]);
    b[0] = shl(s[0], 3) | (s[1] >> 2);
    b[1] = shl(shl(s[1], 5) | s[2], 1) | (s[3] >> 4);
    b[2] = shl(s[3], 4) | (s[4] >> 1);
    b[3] = shl(shl(s[4], 5) | s[5], 2) | (s[6] >> 3);
    b[4] = shl(s[6], 5) | s[7];
    b[5] = shl(s[8], 3) | (s[9] >> 2);
    b[6] = shl(shl(s[9], 5) | s[10], 1) | (s[11] >> 4);
    b[7] = shl(s[11], 4) | (s[12] >> 1);
    if (s[12] & 1) {
        for (std::size_t i = 0; i < kBlockBytes; ++i) b[i] = static_cast<uint8_t>(~b[i]);
    }
}

}  // namespace

void writeTextForm(const uint8_t* bytes, std::size_t n, char* symbols) {
    for (std::size_t k = 0; k + kBlockBytes <= n; k += kBlockBytes) {
        encodeBlock(bytes + k, symbols);
        symbols += kSymbolsPerBlock;
    }
}

void readTextForm(const char* symbols, std::size_t length, uint8_t* bytes) {
    for (std::size_t k = 0; k + kSymbolsPerBlock <= length; k += kSymbolsPerBlock) {
        decodeBlock(symbols + k, bytes);
        bytes += kBlockBytes;
    }
}

}  // namespace speclore::blowfish
