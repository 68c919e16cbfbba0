// The standard Blowfish initial P-array and S-boxes, read-only constant data
// shared by every cipher context.
#pragma once

#include <cstddef>
#include <cstdint>

namespace speclore::blowfish {

inline constexpr std::size_t kPWords = 18;
// The four S-boxes as one table: S-box k is words 256k to 256k + 255.
inline constexpr std::size_t kSWords = 1024;
static_assert(kSWords == 4 * 256);

extern const uint32_t kInitialP[kPWords];
extern const uint32_t kInitialS[kSWords];

}  // namespace speclore::blowfish
