#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "app/AppGlobals.h"
#include "app/PasswordCipher.h"
#include "support/RecordingMessageBox.h"

using namespace speclore;
using speclore::testing::RecordingMessageBox;

namespace {

class PasswordCipher : public ::testing::Test {
protected:
    void SetUp() override { appGlobals().programFolder = SPECLORE_PROGRAM_DIR; }
    // With the library in place nothing is ever reported, not even inputs
    // over the limits.
    void TearDown() override { EXPECT_TRUE(boxes.boxes.empty()); }
    RecordingMessageBox boxes;
};

std::string repeat(const std::string& piece, std::size_t times) {
    std::string text;
    for (std::size_t i = 0; i < times; ++i) text += piece;
    return text;
}

// Runs in a child process (the binding is kept for the run): the calls
// against a library that cannot serve them, each showing exactly one box
// that starts with `firstLine` for its procedure, and returning "".
void expectOneBoxPerCall(const char* programFolder, const std::string& number) {
    appGlobals().programFolder = programFolder;
    RecordingMessageBox boxes;
    bool ok = BFEncode(kPasswordKey, "secret").empty();
    ok = BFDecode(kPasswordKey, "QU4J7JPMLC4G2").empty() && ok;
    ok = BFEncode(kPasswordKey, "again").empty() && ok;
    const char* procedures[] = {"BFEncode", "BFDecode", "BFEncode"};
    ok = boxes.boxes.size() == 3 && ok;
    for (std::size_t i = 0; ok && i < 3; ++i) {
        const std::string first = "ｴﾗｰNo. " + number + "  【mBlowfish-" + procedures[i] + "】\r\n\r\n";
        ok = boxes.boxes[i].style == 16 && boxes.boxes[i].text.rfind(first, 0) == 0;
    }
    for (const auto& box : boxes.boxes) std::fprintf(stderr, "box: %s\n", box.text.c_str());
    std::exit(ok ? 0 : 1);
}

}  // namespace

TEST_F(PasswordCipher, StoresAndRestoresJapanesePasswordsAsCodePage932) {
    const std::string password = "パスワード";
    const std::string stored = BFEncode(kPasswordKey, password);
    // The value that a settings file written on a Japanese system holds.
    EXPECT_EQ(stored, "FEN6A1JGV9RIU7O6J89VFVI4S6");
    EXPECT_EQ(BFDecode(kPasswordKey, stored), password);
    EXPECT_EQ(BFDecode(kPasswordKey, BFEncode(kPasswordKey, "db-pass 01")), "db-pass 01");
}

TEST_F(PasswordCipher, EmptyValuesStayEmpty) {
    EXPECT_EQ(BFEncode(kPasswordKey, ""), "");
    EXPECT_EQ(BFDecode(kPasswordKey, ""), "");
}

TEST_F(PasswordCipher, LimitsCountCodePage932BytesAndFailQuietly) {
    // 256 two-byte characters are 512 bytes: accepted; one more is not.
    const std::string longest = repeat("あ", 256);
    EXPECT_EQ(BFDecode(kPasswordKey, BFEncode(kPasswordKey, longest)), longest);
    EXPECT_EQ(BFEncode(kPasswordKey, longest + "a"), "");
    EXPECT_EQ(BFDecode(kPasswordKey, std::string(833, '0')), "");
}

TEST_F(PasswordCipher, LowerCasedStoredValueNoLongerDecodes) {
    EXPECT_NE(BFDecode(kPasswordKey, "qu4j7jpmlc4g2"), "password");
    EXPECT_EQ(BFDecode(kPasswordKey, "QU4J7JPMLC4G2"), "password");
}

TEST(PasswordCipherDeathTest, MissingLibraryShowsOneBoxPerCall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    std::string folder = std::filesystem::temp_directory_path() / "speclore-no-cipher-XXXXXX";
    ASSERT_NE(mkdtemp(folder.data()), nullptr);
    EXPECT_EXIT(expectOneBoxPerCall(folder.c_str(), "53"), ::testing::ExitedWithCode(0), "");
    std::filesystem::remove(folder);
}

TEST(PasswordCipherDeathTest, MissingExportShowsOneBoxPerCall) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    EXPECT_EXIT(expectOneBoxPerCall(BLOWFISH_WITHOUT_EXPORTS_DIR, "453"), ::testing::ExitedWithCode(0), "");
}
