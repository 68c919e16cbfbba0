#include "jet/crypt/AgileScheme.h"

#include <openssl/crypto.h>

#include "jet/crypt/AgileDescriptor.h"
#include "jet/crypt/CryptFailure.h"
#include "jet/crypt/Primitives.h"

namespace speclore::jet::crypt {

namespace {

constexpr uint32_t kReserved = 0x40;
constexpr size_t kAesBlock = 16;

// The block keys of the three values the password key encrypts.
constexpr std::array<uint8_t, 8> kVerifierInputBlock = {0xFE, 0xA7, 0xD2, 0x76, 0x3B, 0x4B, 0x9E, 0x79};
constexpr std::array<uint8_t, 8> kVerifierHashBlock = {0xD7, 0xAA, 0x0F, 0x6D, 0x30, 0x61, 0x34, 0x4E};
constexpr std::array<uint8_t, 8> kKeyValueBlock = {0x14, 0x6E, 0x0B, 0xE7, 0xAB, 0xAC, 0xD0, 0xD6};

class AgileDecryptor : public PageDecryptor {
public:
    AgileDecryptor(AgileCipher keyData, Bytes key, EncodingKey encodingKey)
        : keyData_(std::move(keyData)), key_(std::move(key)), encodingKey_(encodingKey) {}

    void decrypt(uint32_t pageNumber, std::span<uint8_t> page) const override {
        const EncodingKey block = pageBlock(encodingKey_, pageNumber);
        const Bytes iv = fitted(hashOf(keyData_.hash, {keyData_.salt, block}), kAesBlock, 0x36);
        aesDecrypt(AesMode::Cbc, key_, iv, page);
    }

private:
    AgileCipher keyData_;
    Bytes key_;
    EncodingKey encodingKey_;
};

// Decrypts one value that the password key encrypts: the key is the spun
// password hash with the value's block key, the IV the salt.
Bytes decryptValue(const AgileCipher& cipher, const Bytes& spun, std::span<const uint8_t> block,
                   Bytes value) {
    const Bytes key = fitted(hashOf(cipher.hash, {spun, block}), cipher.keyBytes, 0x36);
    aesDecrypt(AesMode::Cbc, key, fitted(cipher.salt, kAesBlock, 0x36), value);
    return value;
}

}  // namespace

std::unique_ptr<PageDecryptor> unlockAgile(ByteCursor info, std::span<const uint8_t> password,
                                           EncodingKey encodingKey, uint32_t maxSpinCount) {
    if (info.u32() != kReserved) throw damaged("agile encryption info: bad reserved field");
    const AgileDescriptor descriptor = parseAgileDescriptor(info.rest(), maxSpinCount);
    const AgileCipher& passwordKey = descriptor.passwordKey;

    const Bytes spun = spinHash(passwordKey.hash, hashOf(passwordKey.hash, {passwordKey.salt, password}),
                                descriptor.spinCount);
    Bytes verifierInput =
        decryptValue(passwordKey, spun, kVerifierInputBlock, descriptor.encryptedVerifierHashInput);
    verifierInput.resize(passwordKey.salt.size());
    const Bytes verifierHash =
        decryptValue(passwordKey, spun, kVerifierHashBlock, descriptor.encryptedVerifierHashValue);
    const Bytes expected = hashOf(passwordKey.hash, {verifierInput});
    if (CRYPTO_memcmp(expected.data(), verifierHash.data(), expected.size()) != 0)
        throw CryptFailure(CryptRefusal::WrongPassword, "wrong password");

    Bytes key = decryptValue(passwordKey, spun, kKeyValueBlock, descriptor.encryptedKeyValue);
    key.resize(descriptor.keyData.keyBytes);
    return std::make_unique<AgileDecryptor>(descriptor.keyData, std::move(key), encodingKey);
}

}  // namespace speclore::jet::crypt
