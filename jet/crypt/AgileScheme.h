// Agile Encryption ([MS-OFFCRYPTO] 2.3.4.10 to 2.3.4.13): an XML descriptor,
// a password key derived through a spin loop, and pages in AES-CBC under the
// database key with an IV per page.
#pragma once

#include <memory>
#include <span>

#include "jet/crypt/ByteCursor.h"
#include "jet/crypt/PageDecryptor.h"

namespace speclore::jet::crypt {

// `info` is the encryption info after its version, `password` UTF-16LE.
std::unique_ptr<PageDecryptor> unlockAgile(ByteCursor info, std::span<const uint8_t> password,
                                           EncodingKey encodingKey, uint32_t maxSpinCount);

}  // namespace speclore::jet::crypt
