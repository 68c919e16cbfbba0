// Jet 3 keeps text in the database's code page. A Japanese database is in
// Windows code page 932, whose backslash, NEC characters and wave dash
// glibc's SHIFT-JIS gets wrong.
#include <gtest/gtest.h>

#include <fstream>
#include <iterator>

#include "jet/JetFixtures.h"
#include "support/TempDir.h"

namespace speclore::test {
namespace {

constexpr size_t kJet3PageSize = 2048;
constexpr uint8_t kDataPage = 0x01;
// The code page sits at 0x3C in the header, masked with these two bytes.
constexpr size_t kCodePageOffset = 0x3C;
constexpr uint8_t kCodePageMask[] = {0x7B, 0x42};

// testV1997.mdb with its header saying code page 932 and the name of
// Table4 in its MSysObjects row replaced by six bytes of code page 932
// text (the same length, so nothing else moves).
std::string japaneseJet3Copy(const TempDir& dir) {
    std::ifstream in(kJetFixtures / "testV1997.mdb", std::ios::binary);
    std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    for (size_t at = bytes.find("Table4"); at != std::string::npos; at = bytes.find("Table4", at + 1)) {
        if (static_cast<uint8_t>(bytes[at / kJet3PageSize * kJet3PageSize]) == kDataPage) {
            bytes.replace(at, 6, "\x87\x40\x5C\x81\x60z");  // ① \ ～ z
        }
    }
    bytes[kCodePageOffset] = static_cast<char>((932 & 0xFF) ^ kCodePageMask[0]);
    bytes[kCodePageOffset + 1] = static_cast<char>((932 >> 8) ^ kCodePageMask[1]);
    std::string path = (dir / "japanese97.mdb").string();
    std::ofstream(path, std::ios::binary) << bytes;
    return path;
}

TEST(Jet3CodePage, JapaneseNamesComeThroughCodePage932) {
    TempDir dir;
    jet::JetDbEngineFactory factory(SPECLORE_PROGRAM_DIR);
    auto engine = factory.NewEngine();
    engine->SetDefaultUser("Admin");
    auto database = engine->OpenDatabase(japaneseJet3Copy(dir), false, false, "");
    EXPECT_EQ(database->TableDefs("①\\～z").fields.size(), 2u);
    EXPECT_EQ(database->TableDefs("Table1").fields.size(), 9u);
}

}  // namespace
}  // namespace speclore::test
