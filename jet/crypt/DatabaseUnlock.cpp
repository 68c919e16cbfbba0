#include "jet/crypt/DatabaseUnlock.h"

#include "jet/crypt/AgileScheme.h"
#include "jet/crypt/ByteCursor.h"
#include "jet/crypt/CryptoApiSchemes.h"

namespace speclore::jet::crypt {

namespace {

constexpr size_t kEncodingKeyOffset = 0x3E;
// The header mask's bytes over the encoding key (the mask starts at 0x18).
constexpr EncodingKey kEncodingKeyMask = {0xFB, 0x8A, 0xBC, 0x4E};
constexpr size_t kInfoLengthOffset = 0x299;
constexpr size_t kMaxPasswordCharacters = 255;

EncodingKey encodingKeyBytes(std::span<const uint8_t> headerPage) {
    if (headerPage.size() < kAcePageSize) throw damaged("header page truncated");
    EncodingKey key{};
    for (size_t n = 0; n < key.size(); ++n) key[n] = headerPage[kEncodingKeyOffset + n] ^ kEncodingKeyMask[n];
    return key;
}

// One code point from UTF-8 at `at`, advancing it; U+FFFD for a bad byte.
char32_t nextCodePoint(const std::string& text, size_t& at) {
    const auto lead = static_cast<uint8_t>(text[at++]);
    if (lead < 0x80) return lead;
    size_t extra = lead >= 0xF0 && lead < 0xF5 ? 3 : lead >= 0xE0 ? 2 : lead >= 0xC2 && lead < 0xE0 ? 1 : 0;
    if (extra == 0 || lead >= 0xF5) return U'\uFFFD';
    char32_t value = lead & (0x3F >> extra);
    for (size_t n = 0; n < extra; ++n) {
        if (at >= text.size() || (static_cast<uint8_t>(text[at]) & 0xC0) != 0x80) return U'\uFFFD';
        value = (value << 6) | (static_cast<uint8_t>(text[at++]) & 0x3F);
    }
    return value > 0x10FFFF ? U'\uFFFD' : value;
}

}  // namespace

uint32_t encodingKeyOf(std::span<const uint8_t> headerPage) {
    const EncodingKey key = encodingKeyBytes(headerPage);
    return static_cast<uint32_t>(key[0]) | (static_cast<uint32_t>(key[1]) << 8) |
           (static_cast<uint32_t>(key[2]) << 16) | (static_cast<uint32_t>(key[3]) << 24);
}

std::u16string passwordCharacters(const std::string& password) {
    std::u16string characters;
    for (size_t at = 0; at < password.size();) {
        char32_t c = nextCodePoint(password, at);
        if (c >= 0x10000) {
            characters.push_back(static_cast<char16_t>(0xD800 + ((c - 0x10000) >> 10)));
            characters.push_back(static_cast<char16_t>(0xDC00 + ((c - 0x10000) & 0x3FF)));
        } else {
            characters.push_back(static_cast<char16_t>(c));
        }
    }
    if (characters.size() > kMaxPasswordCharacters) characters.resize(kMaxPasswordCharacters);
    return characters;
}

std::unique_ptr<PageDecryptor> unlockDatabase(std::span<const uint8_t> headerPage,
                                              const std::string& password, uint32_t maxSpinCount) {
    const EncodingKey encodingKey = encodingKeyBytes(headerPage);
    ByteCursor page(headerPage.first(kAcePageSize));
    page.take(kInfoLengthOffset);
    const uint16_t infoLength = page.u16();
    ByteCursor info(page.take(infoLength));

    Bytes utf16;
    for (char16_t c : passwordCharacters(password)) {
        utf16.push_back(static_cast<uint8_t>(c));
        utf16.push_back(static_cast<uint8_t>(c >> 8));
    }

    const uint16_t major = info.u16();
    const uint16_t minor = info.u16();
    if (major == 4 && minor == 4) return unlockAgile(info, utf16, encodingKey, maxSpinCount);
    if ((major == 2 || major == 3 || major == 4) && minor == 2)
        return unlockCryptoApi(info, utf16, encodingKey);
    throw unsupported("encryption version " + std::to_string(major) + "." + std::to_string(minor));
}

}  // namespace speclore::jet::crypt
