// The RC4 key stream. Jet masks part of its header page with the key stream
// of a fixed key; nothing here is used for secrecy.
#pragma once

#include <array>
#include <cstdint>
#include <span>
#include <vector>

namespace speclore::jet {

class Rc4 {
public:
    explicit Rc4(std::span<const uint8_t> key);
    uint8_t next();
    std::vector<uint8_t> keyStream(size_t length);

private:
    std::array<uint8_t, 256> state_{};
    uint8_t i_ = 0;
    uint8_t j_ = 0;
};

}  // namespace speclore::jet
