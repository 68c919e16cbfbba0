// A part's new content, deflated before the package is written. libdeflate
// compresses a whole buffer at once, in half the time zlib takes at its
// fastest level and tighter, so the package gets the compressed bytes
// rather than compressing as it writes.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>

namespace speclore::xlsx {

class DeflatedPart {
public:
    // Raises error 1004 when memory runs out.
    explicit DeflatedPart(std::string_view text);

    const std::string& bytes() const { return bytes_; }  // raw deflate, no header
    uint64_t size() const { return size_; }              // inflated
    uint32_t crc() const { return crc_; }

private:
    std::string bytes_;
    uint64_t size_ = 0;
    uint32_t crc_ = 0;
};

}  // namespace speclore::xlsx
