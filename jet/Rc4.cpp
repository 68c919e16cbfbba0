#include "jet/Rc4.h"

#include <utility>

namespace speclore::jet {

Rc4::Rc4(std::span<const uint8_t> key) {
    for (size_t n = 0; n < state_.size(); ++n) state_[n] = static_cast<uint8_t>(n);
    if (key.empty()) return;
    uint8_t j = 0;
    for (size_t n = 0; n < state_.size(); ++n) {
        j = static_cast<uint8_t>(j + state_[n] + key[n % key.size()]);
        std::swap(state_[n], state_[j]);
    }
}

uint8_t Rc4::next() {
    i_ = static_cast<uint8_t>(i_ + 1);
    j_ = static_cast<uint8_t>(j_ + state_[i_]);
    std::swap(state_[i_], state_[j_]);
    return state_[static_cast<uint8_t>(state_[i_] + state_[j_])];
}

std::vector<uint8_t> Rc4::keyStream(size_t length) {
    std::vector<uint8_t> stream(length);
    for (auto& b : stream) b = next();
    return stream;
}

}  // namespace speclore::jet
