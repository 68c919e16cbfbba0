#include "jet/reader/MdbText.h"

#include <algorithm>
#include <cstring>
#include <vector>

namespace speclore::jet::reader {

namespace {

constexpr uint16_t kFirstSurrogate = 0xD800;
constexpr uint16_t kPastSurrogates = 0xE000;

// Writes one UTF-16 unit as UTF-8 at `out`; returns the end.
char* putUtf8(char* out, uint16_t unit) {
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

std::string libmdbText(MdbHandle* mdb, const unsigned char* bytes, size_t size) {
    // Each byte in becomes at most three bytes of UTF-8. The buffer is kept
    // from one string to the next.
    static std::vector<char> converted;
    if (converted.size() < 3 * size + 1) converted.resize(3 * size + 1);
    int written = mdb_unicode2ascii(mdb, reinterpret_cast<const char*>(bytes), size, converted.data(),
                                    converted.size());
    if (written <= 0) return {};
    return std::string(converted.data(), std::min(static_cast<size_t>(written), converted.size() - 1));
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
        for (size_t at = 0; at + 1 < size; at += 2) out = putUtf8(out, unitAt(bytes + at));
    }
    return std::string_view(decoded.data(), static_cast<size_t>(out - decoded.data()));
}

}  // namespace

std::string unicodeText(const unsigned char* bytes, size_t size) {
    return std::string(decodedUnicode(bytes, size));
}

std::string mdbText(MdbHandle* mdb, const unsigned char* bytes, size_t size) {
    // Jet 3 text is in a code page, which only iconv knows.
    if (IS_JET3(mdb)) return libmdbText(mdb, bytes, size);
    return unicodeText(bytes, size);
}

bool mdbTextIs(MdbHandle* mdb, const unsigned char* bytes, size_t size, std::string_view expected) {
    if (IS_JET3(mdb)) return libmdbText(mdb, bytes, size) == expected;
    return decodedUnicode(bytes, size) == expected;
}

std::string mdbFieldText(MdbHandle* mdb, const unsigned char* bytes, size_t size) {
    std::string text = mdbText(mdb, bytes, size);
    text.resize(std::strlen(text.c_str()));
    return text;
}

}  // namespace speclore::jet::reader
