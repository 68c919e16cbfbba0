// Little-endian reading and writing of the integers that compound files and
// BIFF records are made of. Readers check bounds before they read.
#pragma once

#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>

namespace speclore::xls {

inline uint16_t getU16(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint16_t>(b[0] | (b[1] << 8));
}

inline uint32_t getU32(const char* p) {
    auto b = reinterpret_cast<const unsigned char*>(p);
    return static_cast<uint32_t>(b[0]) | (static_cast<uint32_t>(b[1]) << 8) |
           (static_cast<uint32_t>(b[2]) << 16) | (static_cast<uint32_t>(b[3]) << 24);
}

inline void setU16(char* p, uint16_t v) {
    p[0] = static_cast<char>(v & 0xFF);
    p[1] = static_cast<char>(v >> 8);
}

inline void setU32(char* p, uint32_t v) {
    for (int i = 0; i < 4; ++i) p[i] = static_cast<char>((v >> (8 * i)) & 0xFF);
}

inline void putU8(std::string& out, uint8_t v) { out.push_back(static_cast<char>(v)); }

inline void putU16(std::string& out, uint16_t v) {
    char b[2];
    setU16(b, v);
    out.append(b, 2);
}

inline void putU32(std::string& out, uint32_t v) {
    char b[4];
    setU32(b, v);
    out.append(b, 4);
}

inline void putDouble(std::string& out, double v) {
    uint64_t bits;
    std::memcpy(&bits, &v, sizeof bits);
    putU32(out, static_cast<uint32_t>(bits));
    putU32(out, static_cast<uint32_t>(bits >> 32));
}

}  // namespace speclore::xls
