// Jet 3 keeps text in the database's code page. A Japanese database is in
// Windows code page 932, whose backslash, NEC characters and wave dash
// glibc's SHIFT-JIS gets wrong.
#include <gtest/gtest.h>

#include <fstream>

#include "jet/JetFixtures.h"
#include "support/TempDir.h"

namespace speclore::test {
namespace {

// The code page sits at 0x3C in the header, masked with these two bytes.
constexpr size_t kCodePageOffset = 0x3C;
constexpr uint8_t kCodePageMask[] = {0x7B, 0x42};

// testV1997.mdb with its header saying code page 932 and the name of
// Table4 in its MSysObjects row replaced by six bytes of code page 932
// text.
std::string japaneseJet3Copy(const TempDir& dir) {
    std::string path = patchedJet3Copy(dir.path(), "testV1997.mdb", "japanese97.mdb", "Table4",
                                       "\x87\x40\x5C\x81\x60z");  // ① \ ～ z
    std::fstream file(path, std::ios::binary | std::ios::in | std::ios::out);
    file.seekp(kCodePageOffset);
    file.put(static_cast<char>((932 & 0xFF) ^ kCodePageMask[0]));
    file.put(static_cast<char>((932 >> 8) ^ kCodePageMask[1]));
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
