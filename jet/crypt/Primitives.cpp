#include "jet/crypt/Primitives.h"

#include <openssl/evp.h>
#include <openssl/provider.h>

#include <array>
#include <memory>
#include <stdexcept>

namespace speclore::jet::crypt {

namespace {

struct DigestContextFree {
    void operator()(EVP_MD_CTX* context) const { EVP_MD_CTX_free(context); }
};
struct CipherContextFree {
    void operator()(EVP_CIPHER_CTX* context) const { EVP_CIPHER_CTX_free(context); }
};
struct CipherFree {
    void operator()(EVP_CIPHER* cipher) const { EVP_CIPHER_free(cipher); }
};
using DigestContext = std::unique_ptr<EVP_MD_CTX, DigestContextFree>;
using CipherContext = std::unique_ptr<EVP_CIPHER_CTX, CipherContextFree>;

[[noreturn]] void libcryptoFailed(const char* what) {
    throw std::runtime_error(std::string("libcrypto: ") + what);
}

struct DigestFree {
    void operator()(EVP_MD* digest) const { EVP_MD_free(digest); }
};

// Fetched once: OpenSSL 3 looks an algorithm up again on every
// initialisation otherwise, which dominates the 100,000 rounds of a spin.
const EVP_MD* digestOf(HashAlgorithm algorithm) {
    static const std::array<std::unique_ptr<EVP_MD, DigestFree>, 4> digests = {
        std::unique_ptr<EVP_MD, DigestFree>(EVP_MD_fetch(nullptr, "SHA1", nullptr)),
        std::unique_ptr<EVP_MD, DigestFree>(EVP_MD_fetch(nullptr, "SHA256", nullptr)),
        std::unique_ptr<EVP_MD, DigestFree>(EVP_MD_fetch(nullptr, "SHA384", nullptr)),
        std::unique_ptr<EVP_MD, DigestFree>(EVP_MD_fetch(nullptr, "SHA512", nullptr)),
    };
    const EVP_MD* digest = digests[static_cast<size_t>(algorithm)].get();
    if (!digest) libcryptoFailed("digest not available");
    return digest;
}

// OpenSSL 3 keeps RC4 in its legacy provider; loading that one alone would
// hide the default provider's algorithms, so both are loaded, once.
const EVP_CIPHER* rc4Cipher() {
    static const std::unique_ptr<EVP_CIPHER, CipherFree> cipher = [] {
        OSSL_PROVIDER_load(nullptr, "default");
        OSSL_PROVIDER_load(nullptr, "legacy");
        return std::unique_ptr<EVP_CIPHER, CipherFree>(EVP_CIPHER_fetch(nullptr, "RC4", nullptr));
    }();
    if (!cipher) libcryptoFailed("RC4 is not available (legacy provider missing)");
    return cipher.get();
}

}  // namespace

size_t digestSize(HashAlgorithm algorithm) {
    return static_cast<size_t>(EVP_MD_get_size(digestOf(algorithm)));
}

Bytes hashOf(HashAlgorithm algorithm, std::initializer_list<std::span<const uint8_t>> parts) {
    DigestContext context(EVP_MD_CTX_new());
    if (!context || EVP_DigestInit_ex(context.get(), digestOf(algorithm), nullptr) != 1)
        libcryptoFailed("digest");
    for (auto part : parts) {
        if (EVP_DigestUpdate(context.get(), part.data(), part.size()) != 1) libcryptoFailed("digest");
    }
    Bytes out(EVP_MAX_MD_SIZE);
    unsigned int length = 0;
    if (EVP_DigestFinal_ex(context.get(), out.data(), &length) != 1) libcryptoFailed("digest");
    out.resize(length);
    return out;
}

Bytes spinHash(HashAlgorithm algorithm, const Bytes& start, uint32_t count) {
    const EVP_MD* digest = digestOf(algorithm);
    DigestContext context(EVP_MD_CTX_new());
    if (!context) libcryptoFailed("digest");
    std::array<uint8_t, EVP_MAX_MD_SIZE> state{};
    unsigned int length = static_cast<unsigned int>(start.size());
    if (length > state.size()) libcryptoFailed("digest");
    std::copy(start.begin(), start.end(), state.begin());
    for (uint32_t i = 0; i < count; ++i) {
        const std::array<uint8_t, 4> counter = {static_cast<uint8_t>(i), static_cast<uint8_t>(i >> 8),
                                                static_cast<uint8_t>(i >> 16), static_cast<uint8_t>(i >> 24)};
        if (EVP_DigestInit_ex(context.get(), digest, nullptr) != 1 ||
            EVP_DigestUpdate(context.get(), counter.data(), counter.size()) != 1 ||
            EVP_DigestUpdate(context.get(), state.data(), length) != 1 ||
            EVP_DigestFinal_ex(context.get(), state.data(), &length) != 1) {
            libcryptoFailed("digest");
        }
    }
    return Bytes(state.begin(), state.begin() + length);
}

Bytes fitted(Bytes bytes, size_t length, uint8_t pad) {
    bytes.resize(length, pad);
    return bytes;
}

void aesDecrypt(AesMode mode, std::span<const uint8_t> key, std::span<const uint8_t> iv,
                std::span<uint8_t> data) {
    const EVP_CIPHER* cipher = nullptr;
    switch (key.size()) {
    case 16: cipher = mode == AesMode::Ecb ? EVP_aes_128_ecb() : EVP_aes_128_cbc(); break;
    case 24: cipher = mode == AesMode::Ecb ? EVP_aes_192_ecb() : EVP_aes_192_cbc(); break;
    case 32: cipher = mode == AesMode::Ecb ? EVP_aes_256_ecb() : EVP_aes_256_cbc(); break;
    default: libcryptoFailed("AES key size");
    }
    if (data.size() % 16 != 0 || (mode == AesMode::Cbc && iv.size() != 16)) libcryptoFailed("AES block size");
    CipherContext context(EVP_CIPHER_CTX_new());
    int written = 0;
    if (!context ||
        EVP_DecryptInit_ex(context.get(), cipher, nullptr, key.data(),
                           mode == AesMode::Cbc ? iv.data() : nullptr) != 1 ||
        EVP_CIPHER_CTX_set_padding(context.get(), 0) != 1 ||
        EVP_DecryptUpdate(context.get(), data.data(), &written, data.data(), static_cast<int>(data.size())) !=
            1 ||
        static_cast<size_t>(written) != data.size()) {
        libcryptoFailed("AES");
    }
}

void rc4Apply(std::span<const uint8_t> key, std::span<uint8_t> data) {
    if (key.empty() || key.size() > 256) libcryptoFailed("RC4 key size");
    CipherContext context(EVP_CIPHER_CTX_new());
    if (!context || EVP_DecryptInit_ex(context.get(), rc4Cipher(), nullptr, nullptr, nullptr) != 1 ||
        EVP_CIPHER_CTX_set_key_length(context.get(), static_cast<int>(key.size())) != 1 ||
        EVP_DecryptInit_ex(context.get(), nullptr, nullptr, key.data(), nullptr) != 1) {
        libcryptoFailed("RC4");
    }
    int written = 0;
    if (!data.empty() && EVP_DecryptUpdate(context.get(), data.data(), &written, data.data(),
                                           static_cast<int>(data.size())) != 1) {
        libcryptoFailed("RC4");
    }
}

}  // namespace speclore::jet::crypt
