#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "blowfish/TextForm.h"

using namespace speclore::blowfish;

namespace {

std::string write(const std::vector<uint8_t>& bytes) {
    std::string symbols(bytes.size() / 8 * 13, '?');
    writeTextForm(bytes.data(), bytes.size(), symbols.data());
    return symbols;
}

std::vector<uint8_t> read(const std::string& symbols) {
    std::vector<uint8_t> bytes(symbols.size() / 13 * 8, 0xEE);
    readTextForm(symbols.data(), symbols.size(), bytes.data());
    return bytes;
}

}  // namespace

TEST(TextForm, IsUnpaddedUpperCaseBase32Hex) {
    EXPECT_EQ(write({0x61, 0x62, 0x63, 0, 0, 0, 0, 0}), "C5H6600000000");
    EXPECT_EQ(write({0x0F, 0xAB, 0xCE, 0x0A, 0x8D, 0xA2, 0xA0, 0xC6}), "1ULSS2KDKAGCC");
    EXPECT_EQ(write(std::vector<uint8_t>(8, 0xFF)), "VVVVVVVVVVVVU");
    EXPECT_EQ(write(std::vector<uint8_t>(16, 0)), std::string(26, '0'));
    EXPECT_EQ(read("C5H6600000000"), std::vector<uint8_t>({0x61, 0x62, 0x63, 0, 0, 0, 0, 0}));
}

TEST(TextForm, EveryByteValueInEveryPositionRoundTripsWithAnEven13thSymbol) {
    for (int value = 0; value < 256; ++value) {
        for (std::size_t position = 0; position < 8; ++position) {
            std::vector<uint8_t> block(8, static_cast<uint8_t>(255 - value));
            block[position] = static_cast<uint8_t>(value);
            const std::string symbols = write(block);
            ASSERT_EQ(read(symbols), block);
            ASSERT_NE(std::string("02468ACEGIKMOQSU").find(symbols[12]), std::string::npos);
            for (char c : symbols) ASSERT_TRUE((c >= '0' && c <= '9') || (c >= 'A' && c <= 'V'));
        }
    }
}

TEST(TextForm, OddLastSymbolMarksAComplementedBlock) {
    const std::vector<uint8_t> block = {0x12, 0x34, 0x56, 0x78, 0x9A, 0xBC, 0xDE, 0xF0};
    std::string symbols = write(block) + write(block);
    symbols[25] = static_cast<char>(symbols[25] + 1);  // "0" becomes "1"
    std::vector<uint8_t> expected = block;
    for (uint8_t b : block) expected.push_back(static_cast<uint8_t>(~b));
    EXPECT_EQ(read(symbols), expected);
}

TEST(TextForm, OutOfAlphabetCharactersSpillIn8BitArithmetic) {
    // Lower case is not upper case: "a" counts 42, not 10.
    EXPECT_NE(read("0a00000000000"), read("0A00000000000"));
    EXPECT_EQ(read("a000000000000")[0], static_cast<uint8_t>(42 << 3));
    // "W" (32) and "/" (255) are outside 0..31 yet still give bytes.
    EXPECT_EQ(read("0W00000000000")[0], 32 >> 2);
    EXPECT_EQ(read("0W00000000000")[1], 0);
    EXPECT_EQ(read("/000000000000")[0], 0xF8);
    EXPECT_EQ(read("0/00000000000")[1], 0xC0);
    EXPECT_EQ(read("0/00000000000")[0], 0x3F);
}
