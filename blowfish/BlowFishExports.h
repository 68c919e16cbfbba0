// The two functions that _blowfish.so exports: text encryption under a key
// into the encrypted text form, and back. Every call is complete in itself
// and keeps no state, so any number of threads may call at once.
//
// Strings are NUL-terminated bytes in the caller's code page. Limits, in
// bytes without the NUL: key 512 (only the first 72 bytes matter), plaintext
// 512, text form 832. The output buffer must hold 833 bytes for encoding
// and 513 for decoding (or the exact result size of the input passed).
//
// Both return 1 with the result in `output`, or 0 with "" in `output` when
// the key or the text is over its limit (the key is checked first) or the
// cipher tables could not be allocated. Nothing else is validated: any text
// form within the limit decodes to something.
//
// A null text is the empty text. A null key, and equally an empty key, is
// the one-character default key kDefaultKey.
#pragma once

#include <cstddef>
#include <cstdint>

#define BLOWFISH_EXPORT __attribute__((visibility("default")))

namespace speclore::blowfish {

inline constexpr std::size_t kMaxKeyLength = 512;
inline constexpr std::size_t kMaxPlainLength = 512;
inline constexpr std::size_t kMaxTextFormLength = 832;
inline constexpr const char* kDefaultKey = "*";

}  // namespace speclore::blowfish

extern "C" {
BLOWFISH_EXPORT int32_t BlowFishEncode(const char* key, const char* text, char* output);
BLOWFISH_EXPORT int32_t BlowFishDecode(const char* key, const char* text, char* output);
}
