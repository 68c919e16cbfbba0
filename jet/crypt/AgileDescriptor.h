// The XML descriptor of Agile encryption (Access 2010 and later): the
// parameters of the database key (keyData) and of the password key
// encryptor (p:encryptedKey). The XML is untrusted, so it is read by a
// deliberately small parser: no DTD, no entities, no comments or
// processing beyond the prolog, a size limit, and every number and length
// checked against what Access writes.
#pragma once

#include <cstdint>
#include <span>
#include <string>

#include "jet/crypt/ByteCursor.h"
#include "jet/crypt/Primitives.h"

namespace speclore::jet::crypt {

// Longer descriptors are refused; Access writes about 1 KB.
inline constexpr size_t kMaxDescriptorBytes = 8192;
// Access writes 100,000; anything far beyond only burns time.
inline constexpr uint32_t kMaxSpinCount = 10'000'000;

struct AgileCipher {
    HashAlgorithm hash = HashAlgorithm::Sha1;
    // AES, CBC chaining: the only cipher Access uses here.
    size_t keyBytes = 16;
    Bytes salt;
};

struct AgileDescriptor {
    AgileCipher keyData;
    AgileCipher passwordKey;
    uint32_t spinCount = 0;
    Bytes encryptedVerifierHashInput;
    Bytes encryptedVerifierHashValue;
    Bytes encryptedKeyValue;
};

// Raises CryptFailure (Damaged or Unsupported) for anything it does not
// accept, a spin count above `maxSpinCount` included.
AgileDescriptor parseAgileDescriptor(std::span<const uint8_t> xml, uint32_t maxSpinCount = kMaxSpinCount);

}  // namespace speclore::jet::crypt
