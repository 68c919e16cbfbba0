// The two schemes with a binary encryption header and verifier
// ([MS-OFFCRYPTO] 2.3.2, 2.3.3): RC4 CryptoAPI (Access 2007's default) and
// Standard Encryption with AES. Access 2007 with a non-default provider
// writes AES without the AES flag and derives its key without the spin
// loop; that variant is read too.
#pragma once

#include <memory>
#include <span>

#include "jet/crypt/ByteCursor.h"
#include "jet/crypt/PageDecryptor.h"

namespace speclore::jet::crypt {

// `info` is the encryption info after its version, `password` UTF-16LE.
std::unique_ptr<PageDecryptor> unlockCryptoApi(ByteCursor info, std::span<const uint8_t> password,
                                               EncodingKey encodingKey);

}  // namespace speclore::jet::crypt
