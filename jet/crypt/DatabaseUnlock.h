// Unlocking an ACE database that Access encrypted with a password. Page 0
// keeps, in the clear, the encoding key (masked with the rest of the header
// at 0x3E) and the encryption header at 0x299: a 16-bit length, then the
// Office encryption info ([MS-OFFCRYPTO]): RC4 CryptoAPI, Standard
// Encryption (AES, the "non-standard" variant included) or Agile Encryption.
//
//   encodingKeyOf(page0) -> 0 when the database is not encrypted
//   unlockDatabase(page0, password) -> PageDecryptor, after the password has
//       been checked against the stored verifier; CryptFailure otherwise.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "jet/crypt/AgileDescriptor.h"
#include "jet/crypt/CryptFailure.h"
#include "jet/crypt/PageDecryptor.h"

namespace speclore::jet::crypt {

inline constexpr size_t kAcePageSize = 4096;

// The encoding key of page 0 (unmasked); 0 means the pages are clear.
uint32_t encodingKeyOf(std::span<const uint8_t> headerPage);

// Access encodes the password as UTF-16LE and uses at most 255 characters.
// `password` is UTF-8; bytes that are not valid UTF-8 stand for U+FFFD.
std::u16string passwordCharacters(const std::string& password);

// Parses the encryption header of `headerPage` (the whole page 0), checks
// `password` against its verifier and gives the decryptor of the other
// pages. Raises CryptFailure: WrongPassword, Unsupported or Damaged. An
// Agile spin count above `maxSpinCount` is refused as damaged.
std::unique_ptr<PageDecryptor> unlockDatabase(std::span<const uint8_t> headerPage,
                                              const std::string& password,
                                              uint32_t maxSpinCount = kMaxSpinCount);

}  // namespace speclore::jet::crypt
