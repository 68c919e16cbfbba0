#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

#include "blowfish/BlowFishContext.h"

using speclore::blowfish::BlowFishContext;

namespace {

std::vector<uint8_t> fromHex(const std::string& hex) {
    std::vector<uint8_t> bytes;
    for (std::size_t i = 0; i + 1 < hex.size(); i += 2) {
        bytes.push_back(static_cast<uint8_t>(std::stoul(hex.substr(i, 2), nullptr, 16)));
    }
    return bytes;
}

// Published vectors take each 4-byte half big-endian; this cipher takes it
// little-endian, so reversing each half before and after maps one onto the
// other.
std::vector<uint8_t> reverseHalves(std::vector<uint8_t> block) {
    for (std::size_t k = 0; k + 4 <= block.size(); k += 4) {
        std::swap(block[k], block[k + 3]);
        std::swap(block[k + 1], block[k + 2]);
    }
    return block;
}

BlowFishContext keyed(const std::vector<uint8_t>& key) {
    BlowFishContext context;
    context.SetKey(key.data(), key.size());
    return context;
}

std::vector<uint8_t> encrypt(const BlowFishContext& context, const std::vector<uint8_t>& plain) {
    std::vector<uint8_t> out(BlowFishContext::PaddedLength(plain.size()) + 8, 0xEE);
    out.resize(context.EncryptBuffer(plain.data(), out.data(), plain.size()));
    return out;
}

std::vector<uint8_t> decrypt(const BlowFishContext& context, const std::vector<uint8_t>& cipher) {
    std::vector<uint8_t> out(cipher.size());
    context.DecryptBuffer(cipher.data(), out.data(), cipher.size());
    return out;
}

struct Vector {
    const char* key;
    const char* plain;
    const char* cipher;
};

// Eric Young's ECB test set: key bytes, clear bytes, cipher bytes.
const Vector kEcbVectors[] = {
    {"0000000000000000", "0000000000000000", "4EF997456198DD78"},
    {"FFFFFFFFFFFFFFFF", "FFFFFFFFFFFFFFFF", "51866FD5B85ECB8A"},
    {"3000000000000000", "1000000000000001", "7D856F9A613063F2"},
    {"1111111111111111", "1111111111111111", "2466DD878B963C9D"},
    {"0123456789ABCDEF", "1111111111111111", "61F9C3802281B096"},
    {"1111111111111111", "0123456789ABCDEF", "7D0CC630AFDA1EC7"},
    {"FEDCBA9876543210", "0123456789ABCDEF", "0ACEAB0FC6A0A28D"},
    {"7CA110454A1A6E57", "01A1D6D039776742", "59C68245EB05282B"},
    {"0131D9619DC1376E", "5CD54CA83DEF57DA", "B1B8CC0B250F09A0"},
    {"07A1133E4A0B2686", "0248D43806F67172", "1730E5778BEA1DA4"},
    {"3849674C2602319E", "51454B582DDF440A", "A25E7856CF2651EB"},
    {"04B915BA43FEB5B6", "42FD443059577FA2", "353882B109CE8F1A"},
    {"0113B970FD34F2CE", "059B5E0851CF143A", "48F4D0884C379918"},
    {"0170F175468FB5E6", "0756D8E0774761D2", "432193B78951FC98"},
    {"43297FAD38E373FE", "762514B829BF486A", "13F04154D69D1AE5"},
    {"07A7137045DA2A16", "3BDD119049372802", "2EEDDA93FFD39C79"},
    {"04689104C2FD3B2F", "26955F6835AF609A", "D887E0393C2DA6E3"},
    {"37D06BB516CB7546", "164D5E404F275232", "5F99D04F5B163969"},
    {"1F08260D1AC2465E", "6B056E18759F5CCA", "4A057A3B24D3977B"},
    {"584023641ABA6176", "004BD6EF09176062", "452031C1E4FADA8E"},
    {"025816164629B007", "480D39006EE762F2", "7555AE39F59B87BD"},
    {"49793EBC79B3258F", "437540C8698F3CFA", "53C55F9CB49FC019"},
    {"4FB05E1515AB73A7", "072D43A077075292", "7A8E7BFA937E89A3"},
    {"49E95D6D4CA229BF", "02FE55778117F12A", "CF9C5D7A4986ADB5"},
    {"018310DC409B26D6", "1D9D5C5018F728C2", "D1ABB290658BC778"},
    {"1C587F1C13924FEF", "305532286D6F295A", "55CB3774D13EF201"},
    {"0101010101010101", "0123456789ABCDEF", "FA34EC4847B268B2"},
    {"1F1F1F1F0E0E0E0E", "0123456789ABCDEF", "A790795108EA3CAE"},
    {"E0FEE0FEF1FEF1FE", "0123456789ABCDEF", "C39E072D9FAC631D"},
    {"0000000000000000", "FFFFFFFFFFFFFFFF", "014933E0CDAFF6E4"},
    {"FFFFFFFFFFFFFFFF", "0000000000000000", "F21E9A77B71C49BC"},
    {"0123456789ABCDEF", "0000000000000000", "245946885754369A"},
    {"FEDCBA9876543210", "FFFFFFFFFFFFFFFF", "6B5C5A9C5D9E0A5A"},
};

// The same set's variable key length test: the prefixes of one key, 1 to 24
// bytes long, over the clear block FEDCBA9876543210.
const char* const kSetKeyCiphers[] = {
    "F9AD597C49DB005E", "E91D21C1D961A6D6", "E9C2B70A1BC65CF3", "BE1E639408640F05", "B39E44481BDB1E6E",
    "9457AA83B1928C0D", "8BB77032F960629D", "E87A244E2CC85E82", "15750E7A4F4EC577", "122BA70B3AB64AE0",
    "3A833C9AFFC537F6", "9409DA87A90F6BF2", "884F80625060B8B4", "1F85031C19E11968", "79D9373A714CA34F",
    "93142887EE3BE15C", "03429E838CE2D14B", "A4299E27469FF67B", "AFD5AED1C1BC96A8", "10851C0E3858DA9F",
    "E6F51ED79B9DB21F", "64A6E14AFD36B46F", "80C7D7D45A5479AD", "05044B62FA52D080",
};

}  // namespace

TEST(BlowFishContext, PublishedVectorsInLittleEndianHalves) {
    for (const Vector& v : kEcbVectors) {
        SCOPED_TRACE(v.key + std::string(" ") + v.plain);
        BlowFishContext context = keyed(fromHex(v.key));
        std::vector<uint8_t> cipher = encrypt(context, reverseHalves(fromHex(v.plain)));
        EXPECT_EQ(reverseHalves(cipher), fromHex(v.cipher));
        EXPECT_EQ(reverseHalves(decrypt(context, cipher)), fromHex(v.plain));
    }
}

TEST(BlowFishContext, PublishedVariableKeyLengthVectors) {
    const std::vector<uint8_t> fullKey = fromHex("F0E1D2C3B4A5968778695A4B3C2D1E0F0011223344556677");
    const std::vector<uint8_t> plain = reverseHalves(fromHex("FEDCBA9876543210"));
    for (std::size_t length = 1; length <= fullKey.size(); ++length) {
        SCOPED_TRACE(length);
        BlowFishContext context;
        context.SetKey(fullKey.data(), length);
        EXPECT_EQ(reverseHalves(encrypt(context, plain)), fromHex(kSetKeyCiphers[length - 1]));
    }
}

TEST(BlowFishContext, BlocksUseLittleEndianHalves) {
    // Published: key FEDCBA9876543210, halves 01234567 89ABCDEF give
    // 0ACEAB0F C6A0A28D.
    BlowFishContext context = keyed(fromHex("FEDCBA9876543210"));
    uint32_t left = 0x01234567;
    uint32_t right = 0x89ABCDEF;
    context.EncryptBlock(left, right);
    EXPECT_EQ(left, 0x0ACEAB0Fu);
    EXPECT_EQ(right, 0xC6A0A28Du);
    EXPECT_EQ(encrypt(context, fromHex("67452301EFCDAB89")), fromHex("0FABCE0A8DA2A0C6"));
    // The same bytes read big-endian would be another cipher.
    EXPECT_NE(encrypt(context, fromHex("0123456789ABCDEF")), fromHex("0ACEAB0FC6A0A28D"));
}

TEST(BlowFishContext, PaddingToWholeBlocksWithZeroBytes) {
    EXPECT_EQ(BlowFishContext::PaddedLength(0), 0u);
    EXPECT_EQ(BlowFishContext::PaddedLength(1), 8u);
    EXPECT_EQ(BlowFishContext::PaddedLength(8), 8u);
    EXPECT_EQ(BlowFishContext::PaddedLength(9), 16u);
    EXPECT_EQ(BlowFishContext::PaddedLength(512), 512u);

    BlowFishContext context = keyed({'k'});
    uint8_t untouched[8] = {1, 2, 3, 4, 5, 6, 7, 8};
    EXPECT_EQ(context.EncryptBuffer(untouched, untouched, 0), 0u);
    EXPECT_EQ(untouched[0], 1);

    // A short last block is the input followed by zero bytes.
    const std::vector<uint8_t> nine = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i'};
    std::vector<uint8_t> cipher = encrypt(context, nine);
    ASSERT_EQ(cipher.size(), 16u);
    std::vector<uint8_t> plain = decrypt(context, cipher);
    EXPECT_EQ(plain,
              std::vector<uint8_t>({'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h', 'i', 0, 0, 0, 0, 0, 0, 0}));
    EXPECT_EQ(encrypt(context, {'i'}), std::vector<uint8_t>(cipher.begin() + 8, cipher.end()));

    // Equal blocks give equal ciphertext: no chaining.
    std::vector<uint8_t> twice(16, 'x');
    cipher = encrypt(context, twice);
    EXPECT_TRUE(std::equal(cipher.begin(), cipher.begin() + 8, cipher.begin() + 8));
}

TEST(BlowFishContext, InPlaceEqualsSeparateBuffers) {
    BlowFishContext context = keyed({'v', 'e', 'm', 't', 'a', 'l'});
    const std::vector<uint8_t> plain = {'p', 'a', 's', 's', 'w', 'o', 'r', 'd', '!', '?', 0xFF};
    std::vector<uint8_t> buffer(16, 0xEE);
    std::copy(plain.begin(), plain.end(), buffer.begin());
    EXPECT_EQ(context.EncryptBuffer(buffer.data(), buffer.data(), plain.size()), 16u);
    EXPECT_EQ(buffer, encrypt(context, plain));
    context.DecryptBuffer(buffer.data(), buffer.data(), buffer.size());
    EXPECT_EQ(buffer, decrypt(context, encrypt(context, plain)));
}

TEST(BlowFishContext, OnlyTheFirst72KeyBytesCountAndTheKeyCycles) {
    std::vector<uint8_t> longKey(100);
    for (std::size_t i = 0; i < longKey.size(); ++i) longKey[i] = static_cast<uint8_t>(i * 37 + 1);
    std::vector<uint8_t> otherTail = longKey;
    otherTail[72] ^= 0x55;
    otherTail[99] ^= 0x55;
    std::vector<uint8_t> differentAt71 = longKey;
    differentAt71[71] ^= 0x01;
    const std::vector<uint8_t> block(8, 0x42);
    EXPECT_EQ(encrypt(keyed(longKey), block), encrypt(keyed(otherTail), block));
    EXPECT_NE(encrypt(keyed(longKey), block), encrypt(keyed(differentAt71), block));

    EXPECT_EQ(encrypt(keyed({0xFF}), block), encrypt(keyed(std::vector<uint8_t>(72, 0xFF)), block));
    EXPECT_EQ(encrypt(keyed({1, 2, 3}), block), encrypt(keyed({1, 2, 3, 1, 2, 3}), block));
}

TEST(BlowFishContext, NewKeyStartsFromTheInitialTables) {
    const std::vector<uint8_t> block(8, 0x42);
    BlowFishContext context = keyed({'f', 'i', 'r', 's', 't'});
    const std::vector<uint8_t> key = {'s', 'e', 'c', 'o', 'n', 'd'};
    context.SetKey(key.data(), key.size());
    EXPECT_EQ(encrypt(context, block), encrypt(keyed(key), block));
}
