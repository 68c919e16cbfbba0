// The exports as the program meets them: through the built _blowfish.so in
// the program's folder.
#include <dlfcn.h>
#include <gtest/gtest.h>

#include <cctype>
#include <string>
#include <vector>

#include "blowfish/BlowFishContext.h"
#include "blowfish/TextForm.h"

using namespace speclore::blowfish;

namespace {

using CipherFunction = int32_t (*)(const char*, const char*, char*);

struct Library {
    Library() {
        handle = dlopen(SPECLORE_PROGRAM_DIR "/_blowfish.so", RTLD_NOW | RTLD_LOCAL);
        if (handle == nullptr) return;
        encode = reinterpret_cast<CipherFunction>(dlsym(handle, "BlowFishEncode"));
        decode = reinterpret_cast<CipherFunction>(dlsym(handle, "BlowFishDecode"));
    }
    void* handle = nullptr;
    CipherFunction encode = nullptr;
    CipherFunction decode = nullptr;
};

const Library& library() {
    static const Library instance;
    return instance;
}

struct Result {
    int32_t value;
    std::string output;
};

// Output buffers one byte over what the call may write, pre-filled, so a
// longer write shows as a changed guard byte.
constexpr std::size_t kEncodeOutput = 833;
constexpr std::size_t kDecodeOutput = 513;
constexpr char kGuard = '\x7F';

Result call(CipherFunction function, std::size_t outputSize, const char* key, const char* text) {
    std::vector<char> output(outputSize + 1, kGuard);
    const int32_t value = function(key, text, output.data());
    EXPECT_EQ(output[outputSize], kGuard) << "wrote past the documented output size";
    return {value, std::string(output.data())};
}

Result encode(const char* key, const char* text) { return call(library().encode, kEncodeOutput, key, text); }
Result decode(const char* key, const char* text) { return call(library().decode, kDecodeOutput, key, text); }
Result encode(const std::string& key, const std::string& text) { return encode(key.c_str(), text.c_str()); }
Result decode(const std::string& key, const std::string& text) { return decode(key.c_str(), text.c_str()); }

// Non-zero bytes that cover the whole byte range.
std::string patternText(std::size_t length, unsigned seed) {
    std::string text(length, 'x');
    for (std::size_t i = 0; i < length; ++i) text[i] = static_cast<char>(1 + (seed + i * 131) % 255);
    return text;
}

class BlowFishExports : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_NE(library().handle, nullptr) << dlerror();
        ASSERT_NE(library().encode, nullptr);
        ASSERT_NE(library().decode, nullptr);
    }
};

}  // namespace

// Answers worked out apart from this code: a published vector's block in
// this byte order, written as RFC 4648 base32hex.
TEST_F(BlowFishExports, KnownAnswerFromAPublishedVector) {
    const std::string key = "\xFE\xDC\xBA\x98\x76\x54\x32\x10";
    const std::string plain = "\x67\x45\x23\x01\xEF\xCD\xAB\x89";
    EXPECT_EQ(encode(key, plain).output, "1ULSS2KDKAGCC");
    EXPECT_EQ(decode(key, "1ULSS2KDKAGCC").output, plain);
}

// Settings files keep passwords under "vemtal": these values must decode
// the same in every build.
TEST_F(BlowFishExports, StoredPasswordsUnderTheProgramKey) {
    EXPECT_EQ(encode("vemtal", "password").output, "QU4J7JPMLC4G2");
    EXPECT_EQ(encode("vemtal", "Secret#2024").output, "N2TCS65G44KKS0OFQOUJ8H1V7O");
    EXPECT_EQ(decode("vemtal", "N2TCS65G44KKS0OFQOUJ8H1V7O").output, "Secret#2024");
    // The CP932 bytes of パスワード.
    EXPECT_EQ(decode("vemtal", "FEN6A1JGV9RIU7O6J89VFVI4S6").output, "\x83p\x83X\x83\x8F\x81[\x83h");
}

TEST_F(BlowFishExports, EmptyAndNullTextsGiveEmptyResults) {
    for (const char* text : {"", static_cast<const char*>(nullptr)}) {
        EXPECT_EQ(encode("vemtal", text).value, 1);
        EXPECT_EQ(encode("vemtal", text).output, "");
        EXPECT_EQ(decode("vemtal", text).value, 1);
        EXPECT_EQ(decode("vemtal", text).output, "");
    }
}

TEST_F(BlowFishExports, NullAndEmptyKeysAreTheOneCharacterDefaultKey) {
    const Result withDefault = encode("*", "password");
    EXPECT_EQ(encode(nullptr, "password").output, withDefault.output);
    EXPECT_EQ(encode("", "password").output, withDefault.output);
    EXPECT_EQ(decode(nullptr, withDefault.output.c_str()).output, "password");
    EXPECT_EQ(decode("", withDefault.output.c_str()).output, "password");
    EXPECT_NE(encode("+", "password").output, withDefault.output);
}

TEST_F(BlowFishExports, TextFormLengthFollowsThePaddedBlocks) {
    EXPECT_EQ(encode("k", "a").output.size(), 13u);
    EXPECT_EQ(encode("k", "12345678").output.size(), 13u);
    EXPECT_EQ(encode("k", "123456789").output.size(), 26u);
    EXPECT_EQ(encode("k", patternText(512, 3)).output.size(), 832u);
}

TEST_F(BlowFishExports, LimitsOnKeyPlaintextAndTextForm) {
    const std::string text = patternText(512, 7);
    const Result atLimit = encode(std::string(512, 'k'), text);
    EXPECT_EQ(atLimit.value, 1);
    EXPECT_EQ(decode(std::string(512, 'k'), atLimit.output).output, text);

    const Result longKey = encode(std::string(513, 'k'), "a");
    EXPECT_EQ(longKey.value, 0);
    EXPECT_EQ(longKey.output, "");
    // The key is refused before the text is looked at.
    EXPECT_EQ(encode(std::string(513, 'k').c_str(), nullptr).value, 0);
    EXPECT_EQ(decode(std::string(513, 'k'), "C5H66").value, 0);

    const Result longText = encode("k", patternText(513, 7));
    EXPECT_EQ(longText.value, 0);
    EXPECT_EQ(longText.output, "");

    const std::string form = atLimit.output;
    ASSERT_EQ(form.size(), 832u);
    EXPECT_EQ(decode(std::string(512, 'k'), form).value, 1);
    const Result longForm = decode(std::string(512, 'k'), form + "0");
    EXPECT_EQ(longForm.value, 0);
    EXPECT_EQ(longForm.output, "");
}

TEST_F(BlowFishExports, ShortFormsArePaddedWithZeroSymbols) {
    EXPECT_EQ(decode("vemtal", "C5H66").output, decode("vemtal", "C5H6600000000").output);
    const std::string form = encode("vemtal", "longer than one block").output;
    EXPECT_EQ(decode("vemtal", form.substr(0, 20)).output,
              decode("vemtal", form.substr(0, 20) + "000000").output);
}

TEST_F(BlowFishExports, DecodingIsLenientButNotCaseBlind) {
    const std::string form = encode("vemtal", "password").output;
    std::string lower = form;
    for (char& c : lower) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
    ASSERT_NE(lower, form);
    const Result fromLower = decode("vemtal", lower);
    EXPECT_EQ(fromLower.value, 1);
    EXPECT_NE(fromLower.output, "password");

    EXPECT_EQ(decode("vemtal", "!!!!~~~~\x80\xFF").value, 1);

    // An odd 13th symbol decodes as the complement of the block it names.
    std::string marked = form;
    marked[12] = static_cast<char>(marked[12] + 1);
    uint8_t bytes[8];
    readTextForm(form.data(), 13, bytes);
    for (uint8_t& b : bytes) b = static_cast<uint8_t>(~b);
    std::string inverted(13, '?');
    writeTextForm(bytes, 8, inverted.data());
    EXPECT_EQ(decode("vemtal", marked).value, 1);
    EXPECT_EQ(decode("vemtal", marked).output, decode("vemtal", inverted).output);
    EXPECT_NE(decode("vemtal", marked).output, "password");
}

TEST_F(BlowFishExports, PlaintextEndsAtTheFirstDecryptedZeroByte) {
    const std::vector<uint8_t> key = {'v', 'e', 'm', 't', 'a', 'l'};
    BlowFishContext context;
    context.SetKey(key.data(), key.size());
    uint8_t blocks[16] = {'a', 'b', 0, 'c', 'd', 'e', 'f', 'g', 'h', 'i', 'j', 'k', 'l', 'm', 'n', 'o'};
    context.EncryptBuffer(blocks, blocks, sizeof blocks);
    std::string form(26, '?');
    writeTextForm(blocks, sizeof blocks, form.data());
    EXPECT_EQ(decode("vemtal", form).output, "ab");
}

TEST_F(BlowFishExports, RoundTripsEveryKeyLengthAndPlaintextLength) {
    for (std::size_t keyLength = 1; keyLength <= 80; ++keyLength) {
        const std::string key = patternText(keyLength, static_cast<unsigned>(keyLength * 7));
        for (std::size_t length = 0; length <= 512; ++length) {
            const std::string text = patternText(length, static_cast<unsigned>(keyLength + length));
            const Result form = encode(key, text);
            ASSERT_EQ(form.value, 1);
            ASSERT_EQ(form.output.size(), (length + 7) / 8 * 13);
            ASSERT_EQ(decode(key, form.output).output, text) << keyLength << " " << length;
        }
    }
}
