// Password-protected ACE databases through the whole engine, reader process
// included: a wrong or missing password, and copies of every encrypted
// fixture with their encryption header, verifier or descriptor damaged, or
// cut short. Each ends in the open-failure errors, within the reader's time
// limit, and leaves the file as it was.
#include <gtest/gtest.h>

#include <chrono>
#include <functional>
#include <random>

#include "jet/JetFixtures.h"
#include "support/FileBytes.h"
#include "support/SchemaWalk.h"
#include "support/TempDir.h"

namespace speclore::test {
namespace {

namespace fs = std::filesystem;

constexpr size_t kPageSize = 4096;
constexpr size_t kInfoOffset = 0x29B;
constexpr auto kReaderTimeLimit = std::chrono::seconds(5);

struct EncryptedFixture {
    const char* file;
    const char* password;
    bool agile;
};

const EncryptedFixture kEncrypted[] = {
    {"db2007-oldenc.accdb", "Test123", false},       {"office-agile-4.2.accdb", "password", false},
    {"db-nonstandard.accdb", "password", false},     {"db2007-enc.accdb", "Test123", true},
    {"V2010_with-password.accdb", "password", true},
};

// The number of the error that opening `path` with `password` raises; 0
// when it opens (and then the whole schema must read).
int32_t openOutcome(const std::string& path, const std::string& password) {
    jet::ReaderLimits limits;
    limits.timeLimit = kReaderTimeLimit;
    jet::JetDbEngineFactory engines(SPECLORE_PROGRAM_DIR, limits);
    auto engine = engines.NewEngine();
    engine->SetSystemDB("");
    engine->SetDefaultUser("Admin");
    engine->SetDefaultPassword("");
    try {
        auto database = engine->OpenDatabase(path, false, false, ";pwd=" + password);
        try {
            testing::walkSchema(*database);
        } catch (const AppError&) {
            // A damaged catalog may answer a question with an error.
        }
        return 0;
    } catch (const AppError& e) {
        // Every failure but the password's names the file.
        if (e.number() != err::DbInvalidPassword) {
            EXPECT_NE(e.description().find(path), std::string::npos) << e.description();
        }
        return e.number();
    }
}

TEST(EncryptedFiles, AWrongOrMissingPasswordGives3031) {
    for (const auto& fixture : kEncrypted) {
        SCOPED_TRACE(fixture.file);
        auto engine = jet::JetDbEngineFactory(SPECLORE_PROGRAM_DIR).NewEngine();
        engine->SetDefaultUser("Admin");
        for (const std::string& connect :
             std::vector<std::string>{"", ";pwd=wrong", ";pwd=" + std::string(fixture.password) + " "}) {
            try {
                engine->OpenDatabase(test::fixture(fixture.file), false, false, connect);
                ADD_FAILURE() << "opened with '" << connect << "'";
            } catch (const AppError& e) {
                EXPECT_EQ(e.number(), err::DbInvalidPassword);
                EXPECT_EQ(e.description(), "パスワードが正しくありません。");
            }
        }
    }
}

size_t infoLength(const Bytes& file) { return file[kInfoOffset - 2] | (file[kInfoOffset - 1] << 8); }

std::string descriptorText(const Bytes& file) {
    return std::string(file.begin() + kInfoOffset + 8,
                       file.begin() + static_cast<long>(kInfoOffset + infoLength(file)));
}

// Replaces the first `from` in the descriptor XML of page 0 by `to`.
void editDescriptor(Bytes& file, const std::string& from, const std::string& to) {
    std::string text = descriptorText(file);
    const size_t at = text.find(from);
    ASSERT_NE(at, std::string::npos) << from;
    text.replace(at, from.size(), to);
    std::fill(file.begin() + kInfoOffset + 8, file.begin() + kPageSize, 0);
    std::copy(text.begin(), text.end(), file.begin() + kInfoOffset + 8);
    file[kInfoOffset - 2] = static_cast<uint8_t>(text.size() + 8);
    file[kInfoOffset - 1] = static_cast<uint8_t>((text.size() + 8) >> 8);
}

struct HeaderDamage {
    const char* name;
    std::function<void(Bytes&, bool agile)> apply;
    // The error it must end in; 0 for any open-failure error.
    int32_t expected;
};

const HeaderDamage kHeaderDamages[] = {
    {"info length beyond the page", [](Bytes& f, bool) { f[kInfoOffset - 2] = f[kInfoOffset - 1] = 0xFF; },
     err::DbCannotOpen},
    {"unknown encryption version", [](Bytes& f, bool) { f[kInfoOffset] = 9; }, err::DbUnrecognizedFormat},
    {"verifier changed",
     [](Bytes& f, bool agile) {
         if (agile) {
             const std::string text = descriptorText(f);
             const size_t at = text.find("encryptedVerifierHashValue=\"") + 28;
             f[kInfoOffset + 8 + at] = text[at] == 'A' ? 'B' : 'A';
         } else {
             // Header size at +8; salt size and salt after the header.
             const size_t header = f[kInfoOffset + 8] | (f[kInfoOffset + 9] << 8);
             f[kInfoOffset + 12 + header + 4 + 16] ^= 0x5A;
         }
     },
     err::DbInvalidPassword},
    {"encryption header or descriptor cut short",
     [](Bytes& f, bool) { f[kInfoOffset - 2] = 40, f[kInfoOffset - 1] = 0; }, err::DbCannotOpen},
    {"descriptor with an entity",
     [](Bytes& f, bool agile) {
         if (agile) {
             editDescriptor(f, "<encryption ", "<!DOCTYPE e [<!ENTITY a \"aaaaaaaa\">]><encryption ");
         } else {
             f[kInfoOffset] = 3, f[kInfoOffset + 2] = 3;  // extensible encryption
         }
     },
     err::DbUnrecognizedFormat},
    {"spin count of a billion or a zero salt size",
     [](Bytes& f, bool agile) {
         if (agile) {
             editDescriptor(f, "spinCount=\"100000\"", "spinCount=\"999999\"");
             const std::string text = descriptorText(f);
             editDescriptor(f, "spinCount=\"999999\" ", "spinCount=\"9999999999\"" + std::string(0, ' '));
         } else {
             const size_t header = f[kInfoOffset + 8] | (f[kInfoOffset + 9] << 8);
             f[kInfoOffset + 12 + header] = 0;
         }
     },
     err::DbCannotOpen},
};

TEST(EncryptedFiles, DamagedEncryptionHeadersEndInTheOpenFailureMessage) {
    TempDir dir("speclore-encrypted");
    for (const auto& fixture : kEncrypted) {
        const Bytes original = readBytes(test::fixture(fixture.file));
        for (const auto& damage : kHeaderDamages) {
            SCOPED_TRACE(std::string(fixture.file) + ": " + damage.name);
            Bytes damaged = original;
            damage.apply(damaged, fixture.agile);
            const fs::path path = dir / fixture.file;
            writeBytes(path, damaged);
            EXPECT_EQ(openOutcome(path.string(), fixture.password), damage.expected);
            EXPECT_TRUE(readBytes(path) == damaged) << "the file was changed";
        }
    }
}

TEST(EncryptedFiles, DamagedOrCutEncryptedPagesEndInAnOpenErrorOrAnswer) {
    TempDir dir("speclore-encrypted");
    std::mt19937 random(4242);
    int refused = 0;
    for (const auto& fixture : kEncrypted) {
        const Bytes original = readBytes(test::fixture(fixture.file));
        const size_t pages = original.size() / kPageSize;
        std::vector<std::pair<std::string, Bytes>> copies;
        copies.emplace_back("cut to three pages", Bytes(original.begin(), original.begin() + 3 * kPageSize));
        copies.emplace_back("cut inside a page",
                            Bytes(original.begin(), original.begin() + (pages / 2) * kPageSize + 1234));
        Bytes flipped = original;
        for (int n = 0; n < 8; ++n) flipped[2 * kPageSize + random() % kPageSize] ^= 0x10;
        copies.emplace_back("bits flipped in the catalog's definition page", flipped);
        for (const auto& [name, damaged] : copies) {
            SCOPED_TRACE(std::string(fixture.file) + ": " + name);
            const fs::path path = dir / fixture.file;
            writeBytes(path, damaged);
            const int32_t outcome = openOutcome(path.string(), fixture.password);
            EXPECT_TRUE(outcome == 0 || outcome == err::DbCannotOpen) << outcome;
            refused += outcome != 0;
        }
    }
    EXPECT_GT(refused, 0);
}

}  // namespace
}  // namespace speclore::test
