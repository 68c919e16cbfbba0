#include "jet/crypt/AgileDescriptor.h"

#include <map>
#include <optional>
#include <string_view>
#include <vector>

namespace speclore::jet::crypt {

namespace {

constexpr std::string_view kPasswordKeyEncryptor =
    "http://schemas.microsoft.com/office/2006/keyEncryptor/password";
constexpr size_t kMaxSaltBytes = 64;
constexpr size_t kMaxEncryptedValueBytes = 256;

struct Element {
    std::string localName;
    std::map<std::string, std::string> attributes;
};

bool isSpace(char c) { return c == ' ' || c == '\t' || c == '\r' || c == '\n'; }
bool isNameChar(char c) {
    return (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z') || (c >= '0' && c <= '9') || c == ':' ||
           c == '_' || c == '-' || c == '.';
}

// The start tags of the document with their attributes. Declarations
// (<!DOCTYPE, <!ENTITY, comments, CDATA) and entity references are refused
// outright, so nothing can expand or point elsewhere.
class TagScanner {
public:
    explicit TagScanner(std::string_view text) : text_(text) {}

    std::vector<Element> elements() {
        if (text_.find("<!") != std::string_view::npos || text_.find('&') != std::string_view::npos)
            throw unsupported("encryption descriptor uses XML declarations or entities");
        std::vector<Element> found;
        for (;;) {
            at_ = text_.find('<', at_);
            if (at_ == std::string_view::npos) return found;
            ++at_;
            if (peek() == '?' || peek() == '/') {
                skipPast('>');
                continue;
            }
            found.push_back(startTag());
        }
    }

private:
    char peek() const { return at_ < text_.size() ? text_[at_] : '\0'; }
    void skipSpace() {
        while (at_ < text_.size() && isSpace(text_[at_])) ++at_;
    }
    void skipPast(char c) {
        at_ = text_.find(c, at_);
        if (at_ == std::string_view::npos) throw damaged("encryption descriptor is not well-formed");
        ++at_;
    }
    std::string name() {
        size_t start = at_;
        while (at_ < text_.size() && isNameChar(text_[at_])) ++at_;
        if (at_ == start) throw damaged("encryption descriptor is not well-formed");
        return std::string(text_.substr(start, at_ - start));
    }

    Element startTag() {
        Element element;
        std::string qualified = name();
        auto colon = qualified.rfind(':');
        element.localName = colon == std::string::npos ? qualified : qualified.substr(colon + 1);
        for (;;) {
            skipSpace();
            if (peek() == '>') {
                ++at_;
                return element;
            }
            if (peek() == '/') {
                ++at_;
                if (peek() != '>') throw damaged("encryption descriptor is not well-formed");
                ++at_;
                return element;
            }
            std::string attribute = name();
            skipSpace();
            if (peek() != '=') throw damaged("encryption descriptor is not well-formed");
            ++at_;
            skipSpace();
            char quote = peek();
            if (quote != '"' && quote != '\'') throw damaged("encryption descriptor is not well-formed");
            ++at_;
            size_t end = text_.find(quote, at_);
            if (end == std::string_view::npos) throw damaged("encryption descriptor is not well-formed");
            std::string_view value = text_.substr(at_, end - at_);
            if (value.find('<') != std::string_view::npos)
                throw damaged("encryption descriptor is not well-formed");
            if (!element.attributes.emplace(attribute, std::string(value)).second)
                throw damaged("encryption descriptor repeats an attribute");
            at_ = end + 1;
        }
    }

    std::string_view text_;
    size_t at_ = 0;
};

int base64Value(char c) {
    if (c >= 'A' && c <= 'Z') return c - 'A';
    if (c >= 'a' && c <= 'z') return c - 'a' + 26;
    if (c >= '0' && c <= '9') return c - '0' + 52;
    if (c == '+') return 62;
    if (c == '/') return 63;
    return -1;
}

Bytes base64Decode(const std::string& text) {
    if (text.size() % 4 != 0) throw damaged("encryption descriptor holds bad base64");
    size_t padding = 0;
    while (padding < 2 && padding < text.size() && text[text.size() - 1 - padding] == '=') ++padding;
    Bytes out;
    uint32_t buffer = 0;
    int bits = 0;
    for (size_t n = 0; n < text.size() - padding; ++n) {
        int value = base64Value(text[n]);
        if (value < 0) throw damaged("encryption descriptor holds bad base64");
        buffer = (buffer << 6) | static_cast<uint32_t>(value);
        bits += 6;
        if (bits >= 8) {
            bits -= 8;
            out.push_back(static_cast<uint8_t>(buffer >> bits));
        }
    }
    return out;
}

const std::string& attributeOf(const Element& element, const std::string& name) {
    auto found = element.attributes.find(name);
    if (found == element.attributes.end()) throw damaged("encryption descriptor lacks " + name);
    return found->second;
}

uint32_t numberOf(const Element& element, const std::string& name, uint32_t limit) {
    const std::string& text = attributeOf(element, name);
    if (text.empty() || text.size() > 10) throw damaged("encryption descriptor: bad " + name);
    uint64_t value = 0;
    for (char c : text) {
        if (c < '0' || c > '9') throw damaged("encryption descriptor: bad " + name);
        value = value * 10 + static_cast<uint64_t>(c - '0');
    }
    if (value > limit) throw damaged("encryption descriptor: " + name + " beyond the limit");
    return static_cast<uint32_t>(value);
}

HashAlgorithm hashNamed(const std::string& name) {
    if (name == "SHA1") return HashAlgorithm::Sha1;
    if (name == "SHA256") return HashAlgorithm::Sha256;
    if (name == "SHA384") return HashAlgorithm::Sha384;
    if (name == "SHA512") return HashAlgorithm::Sha512;
    throw unsupported("hash algorithm " + name + " is not supported");
}

AgileCipher cipherOf(const Element& element) {
    if (attributeOf(element, "cipherAlgorithm") != "AES") throw unsupported("cipher other than AES");
    if (attributeOf(element, "cipherChaining") != "ChainingModeCBC")
        throw unsupported("chaining other than CBC");
    if (numberOf(element, "blockSize", 1024) != 16) throw damaged("AES block size is not 16");
    AgileCipher cipher;
    const uint32_t keyBits = numberOf(element, "keyBits", 1024);
    if (keyBits != 128 && keyBits != 192 && keyBits != 256) throw unsupported("AES key size");
    cipher.keyBytes = keyBits / 8;
    cipher.hash = hashNamed(attributeOf(element, "hashAlgorithm"));
    if (numberOf(element, "hashSize", 1024) != digestSize(cipher.hash)) throw damaged("hash size mismatch");
    const uint32_t saltSize = numberOf(element, "saltSize", kMaxSaltBytes);
    cipher.salt = base64Decode(attributeOf(element, "saltValue"));
    if (saltSize == 0 || cipher.salt.size() != saltSize) throw damaged("salt size mismatch");
    return cipher;
}

Bytes encryptedValueOf(const Element& element, const std::string& name, size_t atLeast) {
    Bytes value = base64Decode(attributeOf(element, name));
    if (value.size() < atLeast || value.size() % 16 != 0 || value.size() > kMaxEncryptedValueBytes)
        throw damaged("encryption descriptor: bad length of " + name);
    return value;
}

const Element& onlyElement(const std::vector<Element>& elements, const std::string& localName) {
    const Element* found = nullptr;
    for (const Element& element : elements) {
        if (element.localName != localName) continue;
        if (found) throw unsupported("encryption descriptor has more than one " + localName);
        found = &element;
    }
    if (!found) throw damaged("encryption descriptor lacks " + localName);
    return *found;
}

}  // namespace

AgileDescriptor parseAgileDescriptor(std::span<const uint8_t> xml, uint32_t maxSpinCount) {
    if (xml.size() > kMaxDescriptorBytes) throw damaged("encryption descriptor is too long");
    std::string_view text(reinterpret_cast<const char*>(xml.data()), xml.size());
    // The descriptor may be followed by padding up to the end of its field.
    text = text.substr(0, text.find('\0'));
    const std::vector<Element> elements = TagScanner(text).elements();

    if (attributeOf(onlyElement(elements, "keyEncryptor"), "uri") != kPasswordKeyEncryptor)
        throw unsupported("key encryptor other than a password");
    const Element& keyData = onlyElement(elements, "keyData");
    const Element& encryptedKey = onlyElement(elements, "encryptedKey");

    AgileDescriptor descriptor;
    descriptor.keyData = cipherOf(keyData);
    descriptor.passwordKey = cipherOf(encryptedKey);
    descriptor.spinCount = numberOf(encryptedKey, "spinCount", maxSpinCount);
    descriptor.encryptedVerifierHashInput =
        encryptedValueOf(encryptedKey, "encryptedVerifierHashInput", descriptor.passwordKey.salt.size());
    descriptor.encryptedVerifierHashValue =
        encryptedValueOf(encryptedKey, "encryptedVerifierHashValue", digestSize(descriptor.passwordKey.hash));
    descriptor.encryptedKeyValue =
        encryptedValueOf(encryptedKey, "encryptedKeyValue", descriptor.keyData.keyBytes);
    return descriptor;
}

}  // namespace speclore::jet::crypt
