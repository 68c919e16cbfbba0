#include "jet/reader/MdbText.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <vector>

namespace speclore::jet::reader {

namespace {

constexpr uint16_t kFirstSurrogate = 0xD800;
constexpr uint16_t kPastSurrogates = 0xE000;

// Writes one UTF-16 unit as UTF-8 at `out`; returns the end.
inline char* putUtf8(char* out, uint16_t unit) {
    if (unit < 0x80) {
        *out++ = static_cast<char>(unit);
    } else if (unit < 0x800) {
        *out++ = static_cast<char>(0xC0 | unit >> 6);
        *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    } else if (unit >= kFirstSurrogate && unit < kPastSurrogates) {
        // iconv refuses a lone surrogate; libmdb puts '?' in its place.
        *out++ = '?';
    } else {
        *out++ = static_cast<char>(0xE0 | unit >> 12);
        *out++ = static_cast<char>(0x80 | (unit >> 6 & 0x3F));
        *out++ = static_cast<char>(0x80 | (unit & 0x3F));
    }
    return out;
}

uint16_t unitAt(const unsigned char* p) { return static_cast<uint16_t>(p[0] | p[1] << 8); }

uint64_t wordAt(const unsigned char* p) {
    uint64_t word;
    std::memcpy(&word, p, sizeof word);
    return word;
}

constexpr uint64_t kEveryByte = 0x0101010101010101;
constexpr uint64_t kHighBits = 0x8080808080808080;

// Names and descriptions are mostly ASCII: such runs are copied eight bytes
// at a time, and only the rest goes character by character. Each returns
// where its run ends.

// Compressed text: the run stops at a zero byte, the switch.
const unsigned char* copyAsciiBytes(const unsigned char* p, const unsigned char* end, char*& out) {
    char* to = out;
    for (; end - p >= 8; p += 8, to += 8) {
        const uint64_t word = wordAt(p);
        if ((word & kHighBits) != 0 || ((word - kEveryByte) & ~word & kHighBits) != 0) break;
        std::memcpy(to, p, 8);
    }
    out = to;
    return p;
}

// Two-byte text, four characters a word; with `kLowByteSwitches` the run
// stops at a character whose low byte is zero.
template <bool kLowByteSwitches>
const unsigned char* copyAsciiUnits(const unsigned char* p, const unsigned char* end, char*& out) {
    constexpr uint64_t kNotAscii = 0xFF80FF80FF80FF80;
    constexpr uint64_t kEveryUnit = 0x0001000100010001;
    constexpr uint64_t kUnitHighBits = 0x8000800080008000;
    static_assert(std::endian::native == std::endian::little, "the characters are packed in file order");
    char* to = out;
    for (; end - p >= 8; p += 8, to += 4) {
        const uint64_t word = wordAt(p);
        if ((word & kNotAscii) != 0) break;
        // Every character is below 0x80, so a low byte of zero is a zero unit.
        if (kLowByteSwitches && ((word - kEveryUnit) & ~word & kUnitHighBits) != 0) break;
        // The high bytes are zero: the low ones close up, pairs, then the two pairs.
        const uint64_t pairs = (word | word >> 8) & 0x0000FFFF0000FFFF;
        const auto four = static_cast<uint32_t>(pairs | pairs >> 16);
        std::memcpy(to, &four, 4);
    }
    out = to;
    return p;
}

std::string_view libmdbText(MdbHandle* mdb, const unsigned char* bytes, size_t size) {
    // Each byte in becomes at most three bytes of UTF-8. The buffer is kept
    // from one string to the next.
    static std::vector<char> converted;
    if (converted.size() < 3 * size + 1) converted.resize(3 * size + 1);
    int written = mdb_unicode2ascii(mdb, reinterpret_cast<const char*>(bytes), size, converted.data(),
                                    converted.size());
    if (written <= 0) return {};
    return std::string_view(converted.data(), std::min(static_cast<size_t>(written), converted.size() - 1));
}

// Decoded into one buffer kept from string to string, so that each string
// is allocated once at its size, short ones not at all.
std::string_view decodedUnicode(const unsigned char* bytes, size_t size) {
    // At most two bytes of UTF-8 for each compressed byte, three for each
    // pair of bytes.
    static std::vector<char> decoded;
    if (decoded.size() < 2 * size) decoded.resize(2 * size);
    char* out = decoded.data();
    if (size >= 2 && bytes[0] == 0xFF && bytes[1] == 0xFE) {
        bool compressed = true;
        const unsigned char* p = bytes + 2;
        const unsigned char* end = bytes + size;
        while (p < end) {
            p = compressed ? copyAsciiBytes(p, end, out) : copyAsciiUnits<true>(p, end, out);
            if (p == end) break;
            if (*p == 0) {
                compressed = !compressed;
                ++p;
            } else if (compressed) {
                out = putUtf8(out, *p++);
            } else if (end - p >= 2) {
                out = putUtf8(out, unitAt(p));
                p += 2;
            } else {
                break;
            }
        }
    } else {
        const unsigned char* p = copyAsciiUnits<false>(bytes, bytes + size, out);
        for (; bytes + size - p >= 2; p += 2) out = putUtf8(out, unitAt(p));
    }
    return std::string_view(decoded.data(), static_cast<size_t>(out - decoded.data()));
}

}  // namespace

std::string unicodeText(const unsigned char* bytes, size_t size) {
    return std::string(decodedUnicode(bytes, size));
}

std::string_view mdbTextView(MdbHandle* mdb, const unsigned char* bytes, size_t size) {
    // Jet 3 text is in a code page, which only iconv knows.
    if (IS_JET3(mdb)) return libmdbText(mdb, bytes, size);
    return decodedUnicode(bytes, size);
}

std::string mdbText(MdbHandle* mdb, const unsigned char* bytes, size_t size) {
    return std::string(mdbTextView(mdb, bytes, size));
}

bool mdbTextIs(MdbHandle* mdb, const unsigned char* bytes, size_t size, std::string_view expected) {
    return mdbTextView(mdb, bytes, size) == expected;
}

std::string mdbFieldText(MdbHandle* mdb, const unsigned char* bytes, size_t size) {
    std::string text = mdbText(mdb, bytes, size);
    text.resize(std::strlen(text.c_str()));
    return text;
}

}  // namespace speclore::jet::reader
