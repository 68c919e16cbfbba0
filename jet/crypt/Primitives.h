// The cryptographic primitives that the Office encryption schemes of ACE
// databases use, all from OpenSSL's libcrypto: hashes, the spin loop of the
// password key derivations, AES without padding and RC4. Failures inside
// libcrypto raise std::runtime_error.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <span>

#include "jet/crypt/ByteCursor.h"

namespace speclore::jet::crypt {

enum class HashAlgorithm { Sha1, Sha256, Sha384, Sha512 };

size_t digestSize(HashAlgorithm algorithm);

// The hash of the concatenated parts.
Bytes hashOf(HashAlgorithm algorithm, std::initializer_list<std::span<const uint8_t>> parts);

// H(LE32(i) + h) for i = 0 .. count - 1, starting from h = `start`.
Bytes spinHash(HashAlgorithm algorithm, const Bytes& start, uint32_t count);

// `bytes` cut or padded with `pad` to `length`.
Bytes fitted(Bytes bytes, size_t length, uint8_t pad);

enum class AesMode { Ecb, Cbc };

// Decrypts `data` in place; its length must be a multiple of 16 and the key
// 16, 24 or 32 bytes long. `iv` (16 bytes) only for CBC.
void aesDecrypt(AesMode mode, std::span<const uint8_t> key, std::span<const uint8_t> iv,
                std::span<uint8_t> data);

// Applies the RC4 key stream of `key` (1 to 256 bytes) to `data` in place.
void rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data);

}  // namespace speclore::jet::crypt
