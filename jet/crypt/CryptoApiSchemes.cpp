#include "jet/crypt/CryptoApiSchemes.h"

#include <openssl/crypto.h>

#include <algorithm>
#include <string>

#include "jet/crypt/CryptFailure.h"
#include "jet/crypt/Primitives.h"

namespace speclore::jet::crypt {

namespace {

// EncryptionHeader.Flags.
constexpr uint32_t kCryptoApi = 0x04;
constexpr uint32_t kExternal = 0x10;
constexpr uint32_t kAes = 0x20;

// Algorithm ids.
constexpr uint32_t kAlgorithmFromFlags = 0;
constexpr uint32_t kRc4 = 0x6801;
constexpr uint32_t kAes128 = 0x660E;
constexpr uint32_t kAes192 = 0x660F;
constexpr uint32_t kAes256 = 0x6610;
constexpr uint32_t kSha1 = 0x8004;

// The fixed part of EncryptionHeader: eight 32-bit fields before the name.
constexpr uint32_t kFixedHeaderBytes = 32;
constexpr uint32_t kSaltBytes = 16;
constexpr size_t kVerifierBytes = 16;
constexpr uint32_t kStandardSpinCount = 50000;

enum class Cipher { Rc4, Aes };

struct Parameters {
    Cipher cipher = Cipher::Rc4;
    size_t keyBytes = 0;
    // Standard Encryption runs the spin loop; the non-standard variant not.
    uint32_t spinCount = 0;
    Bytes salt;
    Bytes encryptedVerifier;
    uint32_t verifierHashSize = 0;
    Bytes encryptedVerifierHash;
};

// The provider name, UTF-16LE up to its NUL, lowercased ASCII.
std::string providerNameOf(std::span<const uint8_t> bytes) {
    std::string name;
    for (size_t n = 0; n + 1 < bytes.size(); n += 2) {
        char16_t c = static_cast<char16_t>(bytes[n] | (bytes[n + 1] << 8));
        if (c == 0) break;
        name.push_back(c < 0x80 ? static_cast<char>(c >= 'A' && c <= 'Z' ? c - 'A' + 'a' : c) : '?');
    }
    return name;
}

size_t keyBitsOf(uint32_t stored, uint32_t algorithm, const std::string& provider) {
    if (stored != 0) return stored;
    // CryptoAPI's defaults: 40 bits for RC4 from a "Base" provider (or
    // none named), 128 from the others; AES's size is in its id.
    if (algorithm == kRc4) return provider.empty() || provider.find(" base ") != std::string::npos ? 40 : 128;
    return algorithm == kAes128 ? 128 : algorithm == kAes192 ? 192 : 256;
}

Parameters parametersOf(ByteCursor& info) {
    info.u32();  // a copy of the header's flags
    const uint32_t headerSize = info.u32();
    if (headerSize < kFixedHeaderBytes || headerSize > info.remaining())
        throw damaged("bad encryption header size");
    ByteCursor header(info.take(headerSize));
    const uint32_t flags = header.u32();
    header.u32();  // SizeExtra
    uint32_t algorithm = header.u32();
    const uint32_t hash = header.u32();
    const uint32_t keyBits = header.u32();
    header.take(12);  // provider type, two reserved fields
    const std::string provider = providerNameOf(header.rest());

    if (!(flags & kCryptoApi) || (flags & kExternal))
        throw unsupported("encryption provider is not CryptoAPI");
    if (algorithm == kAlgorithmFromFlags) algorithm = (flags & kAes) ? kAes128 : kRc4;
    if (algorithm != kRc4 && algorithm != kAes128 && algorithm != kAes192 && algorithm != kAes256)
        throw unsupported("cipher is neither RC4 nor AES");
    if (hash != kSha1 && hash != 0) throw unsupported("hash other than SHA-1");

    Parameters parameters;
    parameters.cipher = algorithm == kRc4 ? Cipher::Rc4 : Cipher::Aes;
    if ((flags & kAes) && parameters.cipher != Cipher::Aes) throw damaged("AES flag on an RC4 header");
    const size_t bits = keyBitsOf(keyBits, algorithm, provider);
    if (bits % 8 != 0) throw damaged("key size is not whole bytes");
    if (parameters.cipher == Cipher::Rc4 ? bits < 40 || bits > 512
                                         : bits != keyBitsOf(0, algorithm, provider))
        throw damaged("key size out of range");
    parameters.keyBytes = bits / 8;
    parameters.spinCount = (flags & kAes) ? kStandardSpinCount : 0;

    if (info.u32() != kSaltBytes) throw damaged("salt size is not 16");
    parameters.salt = info.takeCopy(kSaltBytes);
    parameters.encryptedVerifier = info.takeCopy(kVerifierBytes);
    parameters.verifierHashSize = info.u32();
    // SHA-1's 20 bytes, as RC4 leaves them and padded to AES's 32.
    const size_t storedHash = parameters.cipher == Cipher::Rc4 ? 20 : 32;
    if (parameters.verifierHashSize == 0 || parameters.verifierHashSize > 20)
        throw damaged("bad verifier hash size");
    parameters.encryptedVerifierHash = info.takeCopy(storedHash);
    return parameters;
}

class Rc4Decryptor : public PageDecryptor {
public:
    Rc4Decryptor(Bytes baseHash, size_t keyBytes, EncodingKey encodingKey)
        : baseHash_(std::move(baseHash)), keyBytes_(keyBytes), encodingKey_(encodingKey) {}

    // SHA-1(base hash + block), cut to the key size; a 40-bit key is
    // padded with zeros to 128 bits, as CryptoAPI does.
    Bytes keyFor(const EncodingKey& block) const {
        Bytes key = fitted(hashOf(HashAlgorithm::Sha1, {baseHash_, block}), keyBytes_, 0);
        if (keyBytes_ == 5) key.resize(16, 0);
        return key;
    }
    void decrypt(uint32_t pageNumber, std::span<uint8_t> page) const override {
        rc4Apply(keyFor(pageBlock(encodingKey_, pageNumber)), page);
    }

private:
    Bytes baseHash_;
    size_t keyBytes_;
    EncodingKey encodingKey_;
};

class AesEcbDecryptor : public PageDecryptor {
public:
    AesEcbDecryptor(Bytes spunHash, size_t keyBytes, EncodingKey encodingKey)
        : spunHash_(std::move(spunHash)), keyBytes_(keyBytes), encodingKey_(encodingKey) {}

    // CryptDeriveKey over SHA-1(spun hash + block): the hashes of the
    // result XORed into 64 bytes of 0x36 and of 0x5C, concatenated.
    Bytes keyFor(const EncodingKey& block) const {
        const Bytes finalHash = hashOf(HashAlgorithm::Sha1, {spunHash_, block});
        Bytes inner(64, 0x36);
        Bytes outer(64, 0x5C);
        for (size_t n = 0; n < finalHash.size(); ++n) {
            inner[n] ^= finalHash[n];
            outer[n] ^= finalHash[n];
        }
        Bytes key = hashOf(HashAlgorithm::Sha1, {inner});
        const Bytes second = hashOf(HashAlgorithm::Sha1, {outer});
        key.insert(key.end(), second.begin(), second.end());
        return fitted(std::move(key), keyBytes_, 0);
    }
    void decrypt(uint32_t pageNumber, std::span<uint8_t> page) const override {
        aesDecrypt(AesMode::Ecb, keyFor(pageBlock(encodingKey_, pageNumber)), {}, page);
    }

private:
    Bytes spunHash_;
    size_t keyBytes_;
    EncodingKey encodingKey_;
};

// The verifier decrypted with the key of block 0 must hash to the
// verifier hash decrypted with it.
bool verifierMatches(Bytes verifier, Bytes verifierHash, uint32_t hashSize) {
    const Bytes expected = hashOf(HashAlgorithm::Sha1, {verifier});
    return CRYPTO_memcmp(expected.data(), verifierHash.data(), hashSize) == 0;
}

}  // namespace

std::unique_ptr<PageDecryptor> unlockCryptoApi(ByteCursor info, std::span<const uint8_t> password,
                                               EncodingKey encodingKey) {
    Parameters parameters = parametersOf(info);
    const Bytes baseHash = hashOf(HashAlgorithm::Sha1, {parameters.salt, password});
    const EncodingKey verifierBlock{};
    Bytes verifier = parameters.encryptedVerifier;
    Bytes verifierHash = parameters.encryptedVerifierHash;

    if (parameters.cipher == Cipher::Rc4) {
        auto decryptor = std::make_unique<Rc4Decryptor>(baseHash, parameters.keyBytes, encodingKey);
        // Verifier and its hash are one RC4 stream.
        Bytes stream = verifier;
        stream.insert(stream.end(), verifierHash.begin(), verifierHash.end());
        rc4Apply(decryptor->keyFor(verifierBlock), stream);
        verifier.assign(stream.begin(), stream.begin() + kVerifierBytes);
        verifierHash.assign(stream.begin() + kVerifierBytes, stream.end());
        if (!verifierMatches(verifier, verifierHash, parameters.verifierHashSize))
            throw CryptFailure(CryptRefusal::WrongPassword, "wrong password");
        return decryptor;
    }
    auto decryptor = std::make_unique<AesEcbDecryptor>(
        spinHash(HashAlgorithm::Sha1, baseHash, parameters.spinCount), parameters.keyBytes, encodingKey);
    const Bytes key = decryptor->keyFor(verifierBlock);
    aesDecrypt(AesMode::Ecb, key, {}, verifier);
    aesDecrypt(AesMode::Ecb, key, {}, verifierHash);
    if (!verifierMatches(verifier, verifierHash, parameters.verifierHashSize))
        throw CryptFailure(CryptRefusal::WrongPassword, "wrong password");
    return decryptor;
}

}  // namespace speclore::jet::crypt
