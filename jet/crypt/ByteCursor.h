// Bounds-checked little-endian reads over untrusted header bytes: every read
// past the end is a damaged header, never a read outside the buffer.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>
#include <vector>

#include "jet/crypt/CryptFailure.h"

namespace speclore::jet::crypt {

using Bytes = std::vector<uint8_t>;

class ByteCursor {
public:
    explicit ByteCursor(std::span<const uint8_t> bytes) : bytes_(bytes) {}

    size_t remaining() const { return bytes_.size() - position_; }

    std::span<const uint8_t> take(size_t length) {
        if (length > remaining()) throw damaged("encryption header truncated");
        auto part = bytes_.subspan(position_, length);
        position_ += length;
        return part;
    }
    Bytes takeCopy(size_t length) {
        auto part = take(length);
        return Bytes(part.begin(), part.end());
    }
    uint16_t u16() { return static_cast<uint16_t>(unsignedOf(take(2))); }
    uint32_t u32() { return static_cast<uint32_t>(unsignedOf(take(4))); }
    std::span<const uint8_t> rest() { return take(remaining()); }

private:
    static uint64_t unsignedOf(std::span<const uint8_t> part) {
        uint64_t value = 0;
        for (size_t n = 0; n < part.size(); ++n) value |= static_cast<uint64_t>(part[n]) << (8 * n);
        return value;
    }

    std::span<const uint8_t> bytes_;
    size_t position_ = 0;
};

}  // namespace speclore::jet::crypt
