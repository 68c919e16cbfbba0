// Unlocking encrypted ACE databases: every scheme of the Access-made
// fixtures against its password, and encryption headers that are hostile
// or beyond what we accept, each refused for the right reason.
#include <gtest/gtest.h>

#include <fstream>
#include <functional>
#include <iterator>

#include "jet/JetFixtures.h"
#include "jet/crypt/AgileDescriptor.h"
#include "jet/crypt/DatabaseUnlock.h"

namespace speclore::test {
namespace {

using namespace speclore::jet::crypt;

constexpr size_t kInfoLengthOffset = 0x299;
constexpr size_t kInfoOffset = 0x29B;
constexpr uint8_t kTableDefinitionPage = 0x02;

struct EncryptedFixture {
    const char* file;
    const char* password;
};

// RC4 CryptoAPI (40 and 128 bits), AES without the spin loop, Agile with
// SHA-1 and with SHA-512.
const EncryptedFixture kEncrypted[] = {
    {"db2007-oldenc.accdb", "Test123"},        {"office-agile-4.2.accdb", "password"},
    {"db-nonstandard.accdb", "password"},      {"db2007-enc.accdb", "Test123"},
    {"V2010_with-password.accdb", "password"},
};

std::vector<uint8_t> pagesOf(const std::string& file, size_t pages) {
    std::ifstream in(fixture(file), std::ios::binary);
    std::vector<uint8_t> bytes(pages * kAcePageSize);
    in.read(reinterpret_cast<char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
    return bytes;
}

CryptRefusal refusalOf(const std::function<void()>& action) {
    try {
        action();
    } catch (const CryptFailure& e) {
        return e.refusal();
    }
    ADD_FAILURE() << "no refusal";
    return CryptRefusal::Damaged;
}

TEST(DatabaseUnlock, EveryFixtureUnlocksWithItsPasswordAndOnlyWithIt) {
    for (const auto& [file, password] : kEncrypted) {
        SCOPED_TRACE(file);
        auto bytes = pagesOf(file, 3);
        std::span<const uint8_t> header(bytes.data(), kAcePageSize);
        EXPECT_NE(encodingKeyOf(header), 0u);
        auto decryptor = unlockDatabase(header, password);
        std::span<uint8_t> catalogPage(bytes.data() + 2 * kAcePageSize, kAcePageSize);
        ASSERT_NE(catalogPage[0], kTableDefinitionPage);
        decryptor->decrypt(2, catalogPage);
        // Page 2 defines MSysObjects.
        EXPECT_EQ(catalogPage[0], kTableDefinitionPage);

        EXPECT_EQ(refusalOf([&] { unlockDatabase(header, ""); }), CryptRefusal::WrongPassword);
        // Passwords are case-sensitive.
        std::string upper = password;
        for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
        EXPECT_EQ(refusalOf([&] { unlockDatabase(header, upper); }), CryptRefusal::WrongPassword);
    }
}

TEST(DatabaseUnlock, AnUnencryptedDatabaseHasNoEncodingKey) {
    EXPECT_EQ(encodingKeyOf(pagesOf("catalog_ja.accdb", 1)), 0u);
    EXPECT_EQ(refusalOf([] { encodingKeyOf(std::vector<uint8_t>(100)); }), CryptRefusal::Damaged);
}

TEST(DatabaseUnlock, PasswordsBecomeAtMost255Utf16Characters) {
    EXPECT_EQ(passwordCharacters("秘密"), u"秘密");
    EXPECT_EQ(passwordCharacters("a\xFF"
                                 "b"),
              u"a\uFFFDb");
    EXPECT_EQ(passwordCharacters("\xF0\x9F\x98\x80"), u"\U0001F600");
    EXPECT_EQ(passwordCharacters(std::string(300, 'x')).size(), 255u);
}

// Page 0 of an Office-encrypted fixture with its encryption info replaced.
std::vector<uint8_t> withInfo(const std::string& file, const std::vector<uint8_t>& info) {
    auto page = pagesOf(file, 1);
    std::fill(page.begin() + kInfoLengthOffset, page.end(), 0);
    page[kInfoLengthOffset] = static_cast<uint8_t>(info.size());
    page[kInfoLengthOffset + 1] = static_cast<uint8_t>(info.size() >> 8);
    std::copy(info.begin(), info.end(), page.begin() + kInfoOffset);
    return page;
}

std::vector<uint8_t> infoOf(const std::string& file) {
    auto page = pagesOf(file, 1);
    size_t length = page[kInfoLengthOffset] | (page[kInfoLengthOffset + 1] << 8);
    return {page.begin() + kInfoOffset, page.begin() + kInfoOffset + length};
}

void putU32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (size_t n = 0; n < 4; ++n) bytes[at + n] = static_cast<uint8_t>(value >> (8 * n));
}

TEST(DatabaseUnlock, HostileBinaryHeadersAreRefused) {
    // Offsets in the RC4 CryptoAPI info of db2007-oldenc.accdb: version 0,
    // header size 8, header 12 (algorithm +8, key bits +16), verifier
    // after the 118-byte header (salt size +0, hash size +36).
    const std::string file = "db2007-oldenc.accdb";
    const auto info = infoOf(file);
    const size_t verifier = 12 + 118;
    struct Case {
        const char* name;
        std::function<void(std::vector<uint8_t>&)> mutate;
        CryptRefusal refusal;
    };
    const Case cases[] = {
        {"Office binary RC4 (1.1)", [](auto& b) { b[0] = 1, b[2] = 1; }, CryptRefusal::Unsupported},
        {"extensible (4.3)", [](auto& b) { b[2] = 3; }, CryptRefusal::Unsupported},
        {"header size beyond the info", [](auto& b) { putU32(b, 8, 0xFFFFFFF0); }, CryptRefusal::Damaged},
        {"header size below its fields", [](auto& b) { putU32(b, 8, 8); }, CryptRefusal::Damaged},
        {"unknown cipher", [](auto& b) { putU32(b, 12 + 8, 0x6603); }, CryptRefusal::Unsupported},
        {"unknown hash", [](auto& b) { putU32(b, 12 + 12, 0x8003); }, CryptRefusal::Unsupported},
        {"RC4 key of 4096 bits", [](auto& b) { putU32(b, 12 + 16, 4096); }, CryptRefusal::Damaged},
        {"key bits not whole bytes", [](auto& b) { putU32(b, 12 + 16, 44); }, CryptRefusal::Damaged},
        {"external provider", [](auto& b) { b[12] |= 0x10; }, CryptRefusal::Unsupported},
        {"salt size 2^32-1", [&](auto& b) { putU32(b, verifier, 0xFFFFFFFF); }, CryptRefusal::Damaged},
        {"verifier hash size 0", [&](auto& b) { putU32(b, verifier + 36, 0); }, CryptRefusal::Damaged},
        {"verifier hash size 64", [&](auto& b) { putU32(b, verifier + 36, 64); }, CryptRefusal::Damaged},
        {"verifier hash cut off", [](auto& b) { b.resize(b.size() - 4); }, CryptRefusal::Damaged},
        {"flipped verifier", [&](auto& b) { b[verifier + 4 + 16] ^= 1; }, CryptRefusal::WrongPassword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto mutated = info;
        c.mutate(mutated);
        auto page = withInfo(file, mutated);
        EXPECT_EQ(refusalOf([&] { unlockDatabase(page, "Test123"); }), c.refusal);
    }
    auto page = pagesOf(file, 1);
    page[kInfoLengthOffset] = page[kInfoLengthOffset + 1] = 0xFF;  // info beyond the page
    EXPECT_EQ(refusalOf([&] { unlockDatabase(page, "Test123"); }), CryptRefusal::Damaged);
}

std::string descriptorOf(const std::string& file) {
    auto info = infoOf(file);
    return std::string(info.begin() + 8, info.end());
}

std::vector<uint8_t> withDescriptor(const std::string& file, const std::string& xml) {
    auto info = infoOf(file);
    info.resize(8);
    info.insert(info.end(), xml.begin(), xml.end());
    return withInfo(file, info);
}

std::string replaced(std::string text, const std::string& from, const std::string& to) {
    auto at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos) text.replace(at, from.size(), to);
    return text;
}

TEST(DatabaseUnlock, HostileAgileDescriptorsAreRefused) {
    const std::string file = "db2007-enc.accdb";
    const std::string xml = descriptorOf(file);
    const std::string salt = R"(saltValue="x8auqBWNRtGDHQwze+aBVg==")";
    struct Case {
        const char* name;
        std::string xml;
        CryptRefusal refusal;
    };
    const Case cases[] = {
        {"spin count above ten million", replaced(xml, "spinCount=\"100000\"", "spinCount=\"10000001\""),
         CryptRefusal::Damaged},
        {"spin count of 2^64", replaced(xml, "spinCount=\"100000\"", "spinCount=\"18446744073709551616\""),
         CryptRefusal::Damaged},
        {"negative spin count", replaced(xml, "spinCount=\"100000\"", "spinCount=\"-1\""),
         CryptRefusal::Damaged},
        {"entity", replaced(xml, salt, R"(saltValue="&x;")"), CryptRefusal::Unsupported},
        {"document type with entities",
         replaced(xml, "<encryption", "<!DOCTYPE e [<!ENTITY x \"y\">]><encryption"),
         CryptRefusal::Unsupported},
        {"bad base64", replaced(xml, salt, R"(saltValue="x8auqBWN*tGDHQwze+aBVg==")"), CryptRefusal::Damaged},
        {"salt shorter than its size", replaced(xml, salt, R"(saltValue="x8auqBWNRtGDHQ==")"),
         CryptRefusal::Damaged},
        {"missing key value", replaced(xml, "encryptedKeyValue=", "encryptedKeyVolume="),
         CryptRefusal::Damaged},
        {"repeated attribute", replaced(xml, "spinCount=\"100000\"", "spinCount=\"1\" spinCount=\"1\""),
         CryptRefusal::Damaged},
        {"cipher other than AES", replaced(xml, "cipherAlgorithm=\"AES\"", "cipherAlgorithm=\"DES\""),
         CryptRefusal::Unsupported},
        {"CFB chaining", replaced(xml, "ChainingModeCBC", "ChainingModeCFB"), CryptRefusal::Unsupported},
        {"hash MD5", replaced(xml, "hashAlgorithm=\"SHA1\"", "hashAlgorithm=\"MD5\""),
         CryptRefusal::Unsupported},
        {"hash size not the hash's", replaced(xml, "hashSize=\"20\"", "hashSize=\"64\""),
         CryptRefusal::Damaged},
        {"key of 100 bits", replaced(xml, "keyBits=\"128\"", "keyBits=\"100\""), CryptRefusal::Unsupported},
        {"block size 4096", replaced(xml, "blockSize=\"16\"", "blockSize=\"4096\""), CryptRefusal::Damaged},
        {"certificate key encryptor",
         replaced(xml, "uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password",
                  "uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/certificate"),
         CryptRefusal::Unsupported},
        {"two key encryptors",
         replaced(xml, "</keyEncryptors>",
                  "<keyEncryptor uri=\"http://schemas.microsoft.com/office/2006/keyEncryptor/password\"/>"
                  "</keyEncryptors>"),
         CryptRefusal::Unsupported},
        {"cut in a tag", xml.substr(0, xml.find("encryptedKeyValue")), CryptRefusal::Damaged},
        {"unterminated value", xml.substr(0, xml.find("encryptedKeyValue=\"") + 22), CryptRefusal::Damaged},
        {"no XML at all", "", CryptRefusal::Damaged},
        {"verifier of another password",
         replaced(xml, "encryptedVerifierHashInput=\"VPXJ", "encryptedVerifierHashInput=\"VPXK"),
         CryptRefusal::WrongPassword},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto page = withDescriptor(file, c.xml);
        EXPECT_EQ(refusalOf([&] { unlockDatabase(page, "Test123"); }), c.refusal);
    }

    auto info = infoOf(file);
    info[4] = 0x41;  // the reserved field before the XML
    EXPECT_EQ(refusalOf([&] { unlockDatabase(withInfo(file, info), "Test123"); }), CryptRefusal::Damaged);

    // The descriptor itself may not exceed its limit, wherever it is kept.
    std::string huge = xml;
    huge.insert(huge.find("<keyData"), kMaxDescriptorBytes, ' ');
    EXPECT_EQ(refusalOf([&] {
                  parseAgileDescriptor(std::span(reinterpret_cast<const uint8_t*>(huge.data()), huge.size()));
              }),
              CryptRefusal::Damaged);
}

}  // namespace
}  // namespace speclore::test
