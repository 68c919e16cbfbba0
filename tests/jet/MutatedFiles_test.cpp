// Damaged databases through the whole engine, reader process included:
// seeded byte flips, overwritten pages and truncations of real files. Every
// one must end in the open-failure errors or in a database that answers
// everything the catalog run asks, within the reader's time limit, and the
// file must be left as it was.
#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <functional>
#include <random>
#include <string>
#include <vector>

#include "app/AppError.h"
#include "jet/JetEngine.h"
#include "support/FileBytes.h"
#include "support/SchemaWalk.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using speclore::test::Bytes;
using speclore::test::readBytes;

namespace {

const fs::path kFixtures = SPECLORE_TEST_FIXTURES;
constexpr auto kReaderTimeLimit = std::chrono::seconds(5);

// One way of damaging a file of `pageSize`-byte pages.
struct Mutation {
    const char* name;
    std::function<void(Bytes&, size_t pageSize, std::mt19937&)> apply;
};

size_t somePage(const Bytes& file, size_t pageSize, std::mt19937& random, size_t first = 1) {
    size_t pages = file.size() / pageSize;
    return std::uniform_int_distribution<size_t>(first, pages - 1)(random);
}

void flipBytesIn(Bytes& file, size_t begin, size_t end, int count, std::mt19937& random) {
    std::uniform_int_distribution<size_t> where(begin, end - 1);
    std::uniform_int_distribution<int> bit(0, 7);
    for (int n = 0; n < count; ++n) file[where(random)] ^= static_cast<uint8_t>(1u << bit(random));
}

const std::vector<Mutation>& mutations() {
    static const std::vector<Mutation> all = {
        {"bits flipped in the catalog's definition page",
         [](Bytes& f, size_t ps, std::mt19937& r) { flipBytesIn(f, 2 * ps, 3 * ps, 6, r); }},
        {"bits flipped anywhere after the header",
         [](Bytes& f, size_t ps, std::mt19937& r) { flipBytesIn(f, ps, f.size(), 64, r); }},
        {"a page zeroed",
         [](Bytes& f, size_t ps, std::mt19937& r) {
             size_t page = somePage(f, ps, r);
             std::fill(f.begin() + page * ps, f.begin() + (page + 1) * ps, 0);
         }},
        {"a page of noise",
         [](Bytes& f, size_t ps, std::mt19937& r) {
             size_t page = somePage(f, ps, r);
             for (size_t n = page * ps; n < (page + 1) * ps; ++n) f[n] = static_cast<uint8_t>(r());
         }},
        {"a page copied over another",
         [](Bytes& f, size_t ps, std::mt19937& r) {
             size_t from = somePage(f, ps, r), to = somePage(f, ps, r);
             std::copy(f.begin() + from * ps, f.begin() + (from + 1) * ps, f.begin() + to * ps);
         }},
        {"cut at a page boundary",
         [](Bytes& f, size_t ps, std::mt19937& r) { f.resize(somePage(f, ps, r, 3) * ps); }},
        {"cut inside a page",
         [](Bytes& f, size_t ps, std::mt19937& r) {
             f.resize(somePage(f, ps, r, 3) * ps + std::uniform_int_distribution<size_t>(1, ps - 1)(r));
         }},
        {"bits flipped in the header page",
         [](Bytes& f, size_t ps, std::mt19937& r) { flipBytesIn(f, 0, ps, 4, r); }},
    };
    return all;
}

struct Source {
    const char* file;
    size_t pageSize;
};

}  // namespace

TEST(MutatedFiles, EveryDamagedFileEndsInAnOpenErrorOrAnswers) {
    speclore::test::TempDir dir("speclore-mutated");
    const std::vector<Source> sources = {
        {"catalog_ja.mdb", 4096}, {"testV1997.mdb", 2048}, {"catalog_ja.accdb", 4096}};
    speclore::jet::ReaderLimits limits;
    limits.timeLimit = kReaderTimeLimit;
    speclore::jet::JetDbEngineFactory engines(SPECLORE_PROGRAM_DIR, limits);

    int opened = 0, refused = 0;
    for (const auto& source : sources) {
        const Bytes original = readBytes(kFixtures / source.file);
        for (size_t kind = 0; kind < mutations().size(); ++kind) {
            for (unsigned seed = 1; seed <= 2; ++seed) {
                const Mutation& mutation = mutations()[kind];
                SCOPED_TRACE(std::string(source.file) + ": " + mutation.name + ", seed " +
                             std::to_string(seed));
                std::mt19937 random(seed * 7919u + static_cast<unsigned>(kind));
                Bytes damaged = original;
                mutation.apply(damaged, source.pageSize, random);
                const fs::path path = dir / source.file;
                speclore::test::writeBytes(path, damaged);

                const auto started = std::chrono::steady_clock::now();
                try {
                    auto engine = engines.NewEngine();
                    engine->SetSystemDB("");
                    engine->SetDefaultUser("Admin");
                    engine->SetDefaultPassword("");
                    auto database = engine->OpenDatabase(path.string(), false, false, "");
                    ++opened;
                    try {
                        speclore::testing::walkSchema(*database);
                    } catch (const speclore::AppError&) {
                        // A damaged catalog may answer a question with an error.
                    }
                } catch (const speclore::AppError& e) {
                    ++refused;
                    // A flip in the header's password field reads as a password.
                    if (e.number() != 3031) {
                        EXPECT_TRUE(e.number() == 3049 || e.number() == 3343)
                            << e.number() << " " << e.description();
                        EXPECT_NE(e.description().find(path.string()), std::string::npos);
                    }
                } catch (const std::exception& e) {
                    ADD_FAILURE() << "not an AppError: " << e.what();
                }
                EXPECT_LT(std::chrono::steady_clock::now() - started,
                          kReaderTimeLimit + std::chrono::seconds(2));
                EXPECT_TRUE(readBytes(path) == damaged) << "the file was changed";
            }
        }
    }
    // The set must exercise both outcomes, or it tests nothing.
    EXPECT_GT(opened, 0);
    EXPECT_GT(refused, 0);
}

TEST(MutatedFiles, ADamagedPropertyBlobOfAnObjectThatIsNoTableIsLeftUnread) {
    // Break the signature of the database object's own properties (the blob
    // naming AccessVersion); the tables' descriptions stay readable.
    Bytes file = readBytes(kFixtures / "catalog_ja.mdb");
    const std::string signature("MR2\0", 4);
    const std::string accessVersion("A\0c\0c\0e\0s\0s\0V\0e\0r\0s\0i\0o\0n\0", 26);
    std::string text(file.begin(), file.end());
    int broken = 0;
    for (size_t at = text.find(signature); at != std::string::npos; at = text.find(signature, at + 1)) {
        if (text.substr(at, 300).find(accessVersion) != std::string::npos) {
            file[at + 2] = 'X';
            ++broken;
        }
    }
    ASSERT_GT(broken, 0);
    speclore::test::TempDir dir("speclore-mutated");
    const fs::path path = dir / "catalog_ja.mdb";
    speclore::test::writeBytes(path, file);

    speclore::jet::JetDbEngineFactory engines(SPECLORE_PROGRAM_DIR);
    auto engine = engines.NewEngine();
    engine->SetSystemDB("");
    engine->SetDefaultUser("Admin");
    engine->SetDefaultPassword("");
    auto database = engine->OpenDatabase(path.string(), false, false, "");
    EXPECT_EQ(database->TableDefs("顧客").Description(), "顧客マスタ");
}
