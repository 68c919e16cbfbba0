// Opening a database with the main window's settings, through the real
// engine and reader: the connect text, the default workgroup, the
// open-failure message, and that nothing is ever written beside or into
// the database.
#include "catalog/OpenMdbFile.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <fstream>
#include <map>

#include "jet/JetEngine.h"
#include "support/FileBytes.h"
#include "support/RecordingMessageBox.h"
#include "support/TempDir.h"

namespace fs = std::filesystem;
using speclore::catalog::DatabaseLogin;
using speclore::catalog::OpenMdbFile;
using speclore::testing::RecordingMessageBox;

namespace {

const fs::path kFixtures = SPECLORE_TEST_FIXTURES;
const std::string kOpenFailure =
    "データベースファイルのオープンに失敗しました。 エラーに関連する説明は以下の通りです。\r\n\r\n";

class OpenMdbFileTest : public ::testing::Test {
protected:
    // Opens with the reader of the build and `programFolder_` as the folder
    // that may hold system.mdw.
    std::optional<speclore::catalog::OpenedDatabase> open(const DatabaseLogin& login) {
        speclore::jet::JetDbEngineFactory engines(SPECLORE_PROGRAM_DIR);
        return OpenMdbFile(engines, programFolder_.string(), login);
    }

    static DatabaseLogin loginFor(const std::string& file, const std::string& password = "") {
        DatabaseLogin login;
        login.databasePath = (kFixtures / file).string();
        login.databasePassword = password;
        return login;
    }

    speclore::test::TempDir temp_{"speclore-open"};
    const fs::path& programFolder_ = temp_.path();
    RecordingMessageBox boxes_;
};

}  // namespace

TEST_F(OpenMdbFileTest, RightPasswordOpensWithoutAnyBox) {
    for (const auto& [file, password] : std::map<std::string, std::string>{
             {"password.mdb", "s3cret"}, {"password_ja.mdb", "秘密"}, {"catalog_ja.mdb", "unused"}}) {
        auto opened = open(loginFor(file, password));
        ASSERT_TRUE(opened) << file;
        ASSERT_TRUE(opened->engine && opened->database);
        EXPECT_FALSE(opened->database->TableDefs().empty());
    }
    EXPECT_TRUE(boxes_.boxes.empty());
}

TEST_F(OpenMdbFileTest, WrongOrMissingPasswordShowsExactlyOneBox) {
    for (const std::string password : {"", "S3cret"}) {
        boxes_.boxes.clear();
        EXPECT_FALSE(open(loginFor("password.mdb", password))) << password;
        ASSERT_EQ(boxes_.boxes.size(), 1u) << password;
        EXPECT_EQ(boxes_.boxes[0].text, kOpenFailure + "パスワードが正しくありません。");
        EXPECT_EQ(boxes_.boxes[0].style, speclore::vbExclamation);
    }
}

TEST_F(OpenMdbFileTest, BadFilesEndInTheOpenFailureMessage) {
    DatabaseLogin login = loginFor("no-such-database.mdb");
    EXPECT_FALSE(open(login));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_EQ(boxes_.boxes[0].text,
              kOpenFailure + "ファイル '" + login.databasePath + "' が見つかりません。");

    login.databasePath = (programFolder_ / "empty.mdb").string();
    std::ofstream(login.databasePath).close();
    EXPECT_FALSE(open(login));
    ASSERT_EQ(boxes_.boxes.size(), 2u);
    EXPECT_EQ(boxes_.boxes[1].text,
              kOpenFailure + "データベースの形式 '" + login.databasePath + "' を認識できません。");
}

TEST_F(OpenMdbFileTest, EmptyWorkgroupBoxIgnoresTheAccountBoxes) {
    // No system.mdw beside the program: the built-in default workgroup.
    DatabaseLogin login = loginFor("catalog_ja.mdb");
    login.workgroupPath = (programFolder_ / "secured.mdw").string();
    login.accountName = "nobody";
    login.accountPassword = "secret";
    EXPECT_TRUE(open(login));
    EXPECT_TRUE(boxes_.boxes.empty());

    // A system.mdw beside the program is used, and must be a workgroup file.
    const fs::path systemMdw = programFolder_ / "system.mdw";
    std::ofstream(systemMdw) << "not a workgroup file";
    EXPECT_FALSE(open(login));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find(systemMdw.string()), std::string::npos) << boxes_.boxes[0].text;
}

TEST_F(OpenMdbFileTest, ChosenWorkgroupIsPassedByItsFullPath) {
    DatabaseLogin login = loginFor("catalog_ja.mdb");
    const fs::path folder = programFolder_ / "a folder with a rather long name" / "and another one";
    login.workgroupPath = (folder / "workgroup information.mdw").string();
    login.workgroupShownText = "/tmp/...ther one/workgroup information.mdw";
    ASSERT_GT(login.workgroupPath.size(), 44u);
    login.accountName = "Admin";
    EXPECT_FALSE(open(login));
    ASSERT_EQ(boxes_.boxes.size(), 1u);
    EXPECT_NE(boxes_.boxes[0].text.find("'" + login.workgroupPath + "'"), std::string::npos)
        << boxes_.boxes[0].text;
}

TEST_F(OpenMdbFileTest, OpeningNeverWritesIntoOrBesideTheDatabase) {
    // Database files and the lock files an engine might leave beside them.
    auto databaseFiles = [] {
        std::map<fs::path, speclore::test::Bytes> files;
        for (const auto& entry : fs::directory_iterator(kFixtures)) {
            auto extension = entry.path().extension();
            if (extension == ".mdb" || extension == ".accdb" || extension == ".ldb" || extension == ".laccdb")
                files[entry.path()] = speclore::test::readBytes(entry.path());
        }
        return files;
    };
    const auto before = databaseFiles();
    for (const auto& [path, bytes] : before) {
        DatabaseLogin login;
        login.databasePath = path.string();
        login.databasePassword = path.filename() == "password.mdb" ? "s3cret" : "";
        open(login);
    }
    EXPECT_TRUE(before == databaseFiles()) << "a fixture changed, or a lock file was left beside one";
}
