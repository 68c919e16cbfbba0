// The checks made on a database file before the reader sees it: what is
// recognised, what every kind of bad input turns into, and the database
// password of Jet 3 and Jet 4 headers.
#include "jet/DatabaseFileCheck.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <array>
#include <filesystem>
#include <random>
#include <vector>

#include "app/AppError.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using speclore::AppError;
using speclore::test::Bytes;
using speclore::test::readBytes;
using namespace speclore::jet;

namespace {

const fs::path kFixtures = SPECLORE_TEST_FIXTURES;

// The fixed mask over header bytes 0x18 onwards, as published with the
// file layout; written out here so that the masking code is checked against
// it rather than against itself.
constexpr std::array<uint8_t, 128> kHeaderMask = {
    0xB5, 0x6F, 0x03, 0x62, 0x61, 0x08, 0xC2, 0x55, 0xEB, 0xA9, 0x67, 0x72, 0x43, 0x3F, 0x00, 0x9C,
    0x7A, 0x9F, 0x90, 0xFF, 0x80, 0x9A, 0x31, 0xC5, 0x79, 0xBA, 0xED, 0x30, 0xBC, 0xDF, 0xCC, 0x9D,
    0x63, 0xD9, 0xE4, 0xC3, 0x7B, 0x42, 0xFB, 0x8A, 0xBC, 0x4E, 0x86, 0xFB, 0xEC, 0x37, 0x5D, 0x44,
    0x9C, 0xFA, 0xC6, 0x5E, 0x28, 0xE6, 0x13, 0xB6, 0x8A, 0x60, 0x54, 0x94, 0x7B, 0x36, 0xF5, 0x72,
    0xDF, 0xB1, 0x77, 0xF4, 0x13, 0x43, 0xCF, 0xAF, 0xB1, 0x33, 0x34, 0x61, 0x79, 0x5B, 0x92, 0xB5,
    0x7C, 0x2A, 0x05, 0xF1, 0x7C, 0x99, 0x01, 0x1B, 0x98, 0xFD, 0x12, 0x4F, 0x4A, 0x94, 0x6C, 0x3E,
    0x60, 0x26, 0x5F, 0x95, 0xF8, 0xD0, 0x89, 0x24, 0x85, 0x67, 0xC6, 0x1F, 0x27, 0x44, 0xD2, 0xEE,
    0xCF, 0x65, 0xED, 0xFF, 0x07, 0xC7, 0x46, 0xA1, 0x78, 0x16, 0x0C, 0xED, 0xE9, 0x2D, 0x62, 0xD4,
};

// Writes `plain` into the masked header region at `offset`, masked.
void putMasked(Bytes& file, size_t offset, const std::vector<uint8_t>& plain) {
    for (size_t n = 0; n < plain.size(); ++n) file[offset + n] = plain[n] ^ kHeaderMask[offset + n - 0x18];
}

class DatabaseFileCheckTest : public ::testing::Test {
protected:
    fs::path file(const std::string& name, const Bytes& bytes) {
        fs::path path = dir_ / name;
        speclore::test::writeBytes(path, bytes);
        return path;
    }

    speclore::test::TempDir temp_{"speclore-filecheck"};
    const fs::path& dir_ = temp_.path();
};

int32_t checkError(const fs::path& path) {
    try {
        checkDatabaseFile(path.string());
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

int32_t passwordError(const fs::path& path, const std::string& password) {
    try {
        checkDatabasePassword(path.string(), checkDatabaseFile(path.string()), password);
    } catch (const AppError& e) {
        return e.number();
    }
    return 0;
}

}  // namespace

TEST_F(DatabaseFileCheckTest, RecognisesEachFormatFromItsHeader) {
    auto jet4 = checkDatabaseFile((kFixtures / "password.mdb").string());
    EXPECT_EQ(jet4.format, JetFormat::Jet4);
    EXPECT_EQ(jet4.fileSize, fs::file_size(kFixtures / "password.mdb"));
    EXPECT_EQ(checkDatabaseFile((kFixtures / "testV1997.mdb").string()).format, JetFormat::Jet3);
    EXPECT_EQ(checkDatabaseFile((kFixtures / "catalog_ja.accdb").string()).format, JetFormat::Ace);
}

TEST_F(DatabaseFileCheckTest, BadFilesGetTheEnginesNumbers) {
    auto jet4 = readBytes(kFixtures / "password.mdb");
    auto withVersion = [&](uint8_t version) {
        auto bytes = jet4;
        bytes[0x14] = version;
        return bytes;
    };
    std::mt19937 random(20240607);
    std::vector<uint8_t> noise(64 * 1024);
    for (auto& b : noise) b = static_cast<uint8_t>(random());
    std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    png.resize(16 * 1024);
    std::vector<uint8_t> zip = {'P', 'K', 0x03, 0x04};
    zip.resize(16 * 1024);

    struct Case {
        const char* what;
        std::vector<uint8_t> bytes;
        int32_t number;
    };
    const std::vector<Case> cases = {
        {"zero-length", {}, 3343},
        {"a few bytes", {0x00, 0x01, 0x00}, 3343},
        {"random bytes", noise, 3343},
        {"PNG image", png, 3343},
        {"ZIP archive", zip, 3343},
        {"unknown Jet version", withVersion(7), 3343},
        {"header page only", std::vector<uint8_t>(jet4.begin(), jet4.begin() + 4096), 3049},
        {"cut inside the header", std::vector<uint8_t>(jet4.begin(), jet4.begin() + 100), 3049},
        {"two pages", std::vector<uint8_t>(jet4.begin(), jet4.begin() + 8192), 3049},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(checkError(file("bad.mdb", c.bytes)), c.number) << c.what;
    }
    // A partial last page is tolerated: the pages before it still read.
    EXPECT_EQ(checkError(file("ragged.mdb", std::vector<uint8_t>(jet4.begin(), jet4.end() - 100))), 0);
}

TEST_F(DatabaseFileCheckTest, PathsThatAreNoReadableFile) {
    fs::path plain = file("plain.mdb", readBytes(kFixtures / "password.mdb"));
    fs::create_directory(dir_ / "folder.mdb");
    ASSERT_EQ(mkfifo((dir_ / "pipe.mdb").c_str(), 0600), 0);

    EXPECT_EQ(checkError(dir_ / "missing.mdb"), 3024);
    EXPECT_EQ(checkError(dir_ / "no-such-folder" / "missing.mdb"), 3044);
    EXPECT_EQ(checkError(plain / "inner.mdb"), 3044);
    EXPECT_EQ(checkError(dir_ / "folder.mdb"), 3051);
    // A FIFO is never waited on.
    EXPECT_EQ(checkError(dir_ / "pipe.mdb"), 3343);
    EXPECT_EQ(checkError(""), 3024);

    if (geteuid() != 0) {  // permissions do not stop root
        fs::permissions(plain, fs::perms::none);
        EXPECT_EQ(checkError(plain), 3051);
    }
}

TEST_F(DatabaseFileCheckTest, DescriptionsNameTheFile) {
    const std::string path = "/data/顧客 管理.mdb";
    for (int32_t number : {3024, 3028, 3044, 3049, 3051, 3343}) {
        AppError e = openError(number, path);
        EXPECT_EQ(e.number(), number);
        EXPECT_NE(e.description().find("'" + path + "'"), std::string::npos) << number;
    }
    EXPECT_EQ(openError(3031, path).description(), "パスワードが正しくありません。");
    EXPECT_EQ(openError(3029, path).description(), "アカウント名またはパスワードが正しくありません。");

    try {
        checkDatabaseFile((dir_ / "missing.mdb").string());
        FAIL() << "no error";
    } catch (const AppError& e) {
        EXPECT_EQ(e.description(), "ファイル '" + (dir_ / "missing.mdb").string() + "' が見つかりません。");
    }
}

TEST_F(DatabaseFileCheckTest, PageEncryptionIsLeftToTheReader) {
    // Only the reader parses an ACE database's encryption header.
    auto ace = readBytes(kFixtures / "catalog_ja.accdb");
    putMasked(ace, 0x3E, {0x9A, 0x12, 0x44, 0x07});
    EXPECT_EQ(checkError(file("encrypted.accdb", ace)), 0);

    // Jet 3 and Jet 4 page encryption has no password and is read as usual.
    auto jet4 = readBytes(kFixtures / "password.mdb");
    putMasked(jet4, 0x3E, {0x9A, 0x12, 0x44, 0x07});
    EXPECT_EQ(checkError(file("encoded.mdb", jet4)), 0);
}

TEST(PasswordFromConnect, OnlyThePwdKeyCounts) {
    EXPECT_EQ(passwordFromConnect(""), "");
    EXPECT_EQ(passwordFromConnect(";pwd=s3cret"), "s3cret");
    EXPECT_EQ(passwordFromConnect(";PWD=S3cret"), "S3cret");
    EXPECT_EQ(passwordFromConnect(";Pwd=秘密"), "秘密");
    EXPECT_EQ(passwordFromConnect("MS Access;uid=Admin;pwd=a b=c;database=x"), "a b=c");
    EXPECT_EQ(passwordFromConnect(";pwd="), "");
    EXPECT_EQ(passwordFromConnect(";uid=pwd"), "");
}

TEST_F(DatabaseFileCheckTest, Jet4PasswordsAreExactAndUseEachFilesDateKey) {
    const fs::path ascii = kFixtures / "password.mdb";
    EXPECT_EQ(passwordError(ascii, "s3cret"), 0);
    EXPECT_EQ(passwordError(ascii, "S3cret"), 3031);
    EXPECT_EQ(passwordError(ascii, ""), 3031);
    EXPECT_EQ(passwordError(ascii, "s3cre"), 3031);
    EXPECT_EQ(passwordError(ascii, "s3cret "), 3031);

    // A different creation date, so a different key.
    const fs::path japanese = kFixtures / "password_ja.mdb";
    EXPECT_EQ(passwordError(japanese, "秘密"), 0);
    EXPECT_EQ(passwordError(japanese, "秘"), 3031);
    EXPECT_EQ(passwordError(japanese, "s3cret"), 3031);
    EXPECT_EQ(passwordError(japanese, "\xE7\xA7"), 3031);  // not even UTF-8

    for (const char* unprotected : {"catalog_ja.mdb", "testV1997.mdb", "catalog_ja.accdb"}) {
        EXPECT_EQ(passwordError(kFixtures / unprotected, ""), 0) << unprotected;
        EXPECT_EQ(passwordError(kFixtures / unprotected, "anything"), 0) << unprotected;
    }
}

TEST_F(DatabaseFileCheckTest, Jet3PasswordsAreInTheDatabaseCodePage) {
    auto jet3 = readBytes(kFixtures / "testV1997.mdb");

    auto western = jet3;
    putMasked(western, 0x42, {'O', 'p', 'e', 'n', '\\', '9', '7', 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    fs::path westernFile = file("western.mdb", western);
    EXPECT_EQ(passwordError(westernFile, "Open\\97"), 0);
    EXPECT_EQ(passwordError(westernFile, "open\\97"), 3031);
    EXPECT_EQ(passwordError(westernFile, ""), 3031);

    // 秘密 in code page 932, in a database whose code page is 932.
    auto japanese = jet3;
    putMasked(japanese, 0x3C, {0xA4, 0x03});
    putMasked(japanese, 0x42, {0x94, 0xE9, 0x96, 0xA7, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
    fs::path japaneseFile = file("japanese.mdb", japanese);
    EXPECT_EQ(passwordError(japaneseFile, "秘密"), 0);
    EXPECT_EQ(passwordError(japaneseFile, "秘"), 3031);

    // No code page in the header: code page 932, as the reader takes it.
    putMasked(japanese, 0x3C, {0x00, 0x00});
    EXPECT_EQ(passwordError(file("no_code_page.mdb", japanese), "秘密"), 0);
}
