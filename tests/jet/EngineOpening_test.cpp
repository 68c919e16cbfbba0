// Opening databases through the engine: the workgroup login, the database
// password chain, the reader process going wrong, and the database files
// left exactly as they were.
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

#include <chrono>
#include <fstream>
#include <functional>
#include <map>
#include <set>
#include <sstream>

#include "jet/JetFixtures.h"
#include "support/TempDir.h"

namespace speclore::test {
namespace {

using namespace speclore::catalog;
namespace fs = std::filesystem;

int32_t openNumber(DbEngine& engine, const std::string& file, const std::string& connect = "") {
    return errorNumberOf([&] { engine.OpenDatabase(fixture(file), false, false, connect); });
}

std::unique_ptr<DbEngine> engineWith(const std::string& systemDb, const std::string& user,
                                     const std::string& password = "") {
    jet::JetDbEngineFactory factory(SPECLORE_PROGRAM_DIR);
    auto engine = factory.NewEngine();
    engine->SetSystemDB(systemDb);
    engine->SetDefaultUser(user);
    engine->SetDefaultPassword(password);
    return engine;
}

TEST(EngineOpening, TheDatabasePasswordReachesTheCheck) {
    auto engine = engineWith("", "Admin");
    EXPECT_EQ(openNumber(*engine, "password.mdb", ";pwd=s3cret"), 0);
    EXPECT_EQ(openNumber(*engine, "password.mdb", ""), err::DbInvalidPassword);
    EXPECT_EQ(openNumber(*engine, "password_ja.mdb", ";pwd=秘密"), 0);
    // A database without a password opens whatever the connect text holds.
    EXPECT_EQ(openNumber(*engine, "empty_rel.mdb", ";pwd=anything"), 0);
}

TEST(EngineOpening, TheBuiltInWorkgroupKnowsOnlyAdminWithNoPassword) {
    EXPECT_EQ(openNumber(*engineWith("", "admin"), "empty_rel.mdb"), 0);
    EXPECT_EQ(openNumber(*engineWith("", "ADMIN"), "empty_rel.mdb"), 0);
    EXPECT_EQ(openNumber(*engineWith("", "Bob"), "empty_rel.mdb"), err::DbInvalidAccount);
    EXPECT_EQ(openNumber(*engineWith("", "Admin", "secret"), "empty_rel.mdb"), err::DbInvalidAccount);
}

TEST(EngineOpening, AWorkgroupFileMustBeAJetDatabaseWithAccounts) {
    TempDir dir;
    std::ofstream(dir / "text.mdw") << "not a workgroup file";
    EXPECT_EQ(openNumber(*engineWith((dir / "missing.mdw").string(), "Admin"), "empty_rel.mdb"),
              err::DbWorkgroupFileMissing);
    EXPECT_EQ(openNumber(*engineWith((dir / "text.mdw").string(), "Admin"), "empty_rel.mdb"),
              err::DbWorkgroupFileMissing);
    // A database without MSysAccounts is no workgroup file.
    EXPECT_EQ(openNumber(*engineWith(fixture("catalog_ja.mdb"), "Admin"), "empty_rel.mdb"),
              err::DbWorkgroupFileMissing);
    // The login comes first, as DAO makes it before it looks at the file.
    EXPECT_EQ(openNumber(*engineWith("", "Bob"), "no-such-file.mdb"), err::DbInvalidAccount);
}

// testV1997.mdb with its table MSysModules2 renamed MSysAccounts in its
// MSysObjects row (same length, so nothing moves): a Jet database whose
// MSysAccounts has one row, Name "MSysDb", like a workgroup file's.
std::string workgroupLikeCopy(const TempDir& dir) {
    return patchedJet3Copy(dir.path(), "testV1997.mdb", "workgroup.mdw", "MSysModules2", "MSysAccounts");
}

TEST(EngineOpening, TheAccountMustBeAUserOfTheWorkgroupFile) {
    TempDir dir;
    const std::string workgroup = workgroupLikeCopy(dir);
    EXPECT_EQ(openNumber(*engineWith(workgroup, "msysdb", "any password"), "empty_rel.mdb"), 0);
    EXPECT_EQ(openNumber(*engineWith(workgroup, "Admin"), "empty_rel.mdb"), err::DbInvalidAccount);
}

TEST(EngineOpening, ADatabaseStaysUsableAfterItsEngineGoesAndRefusesUseAfterClose) {
    std::unique_ptr<Database> database = openFixture("empty_rel.mdb");
    EXPECT_EQ(database->TableDefs("単一テーブル").fields.size(), 2u);
    database->Close();
    EXPECT_EQ(errorNumberOf([&] { database->TableDefs(); }), err::DbObjectInvalid);
    database->Close();
}

std::string contentsOf(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

TEST(EngineOpening, NothingIsWrittenAndNoLockFileIsLeft) {
    // Work on copies, so that a file the engine wrote to could not spoil
    // the other tests.
    TempDir dir;
    std::map<std::string, std::string> before;
    for (const auto& entry : fs::directory_iterator(kJetFixtures)) {
        const std::string ext = entry.path().extension().string();
        if (ext != ".mdb" && ext != ".accdb") continue;
        fs::copy_file(entry.path(), dir / entry.path().filename().string());
        before[entry.path().filename().string()] = contentsOf(entry.path());
    }
    ASSERT_GE(before.size(), 14u);
    jet::JetDbEngineFactory factory(SPECLORE_PROGRAM_DIR);
    for (const auto& [name, bytes] : before) {
        auto engine = factory.NewEngine();
        engine->SetDefaultUser("Admin");
        const auto& password = manifestOf(name)["password"];
        std::string connect = password.is_null() ? "" : ";pwd=" + password.get<std::string>();
        auto database = engine->OpenDatabase((dir / name).string(), false, false, connect);
        for (const TableDef& table : database->TableDefs()) (void)table.fields.size();
        database->Close();
    }
    std::set<std::string> after;
    for (const auto& entry : fs::directory_iterator(dir.path())) {
        after.insert(entry.path().filename().string());
        auto found = before.find(entry.path().filename().string());
        ASSERT_NE(found, before.end()) << "left behind: " << entry.path();
        EXPECT_EQ(contentsOf(entry.path()), found->second) << "changed: " << entry.path();
    }
    EXPECT_EQ(after.size(), before.size());
}

// A program folder whose reader is a shell script doing something wrong.
class BrokenReader : public testing::Test {
protected:
    void install(const std::string& script) {
        fs::path reader = dir_ / jet::kReaderExecutable;
        std::ofstream(reader) << "#!/bin/sh\n" << script << "\n";
        fs::permissions(reader, fs::perms::owner_all);
    }
    int32_t open(jet::ReaderLimits limits = {}) { return failure(limits).number(); }
    // What the opening raised (number 0 when it succeeded).
    AppError failure(jet::ReaderLimits limits = {}) {
        jet::JetDbEngineFactory factory(dir_.path().string(), limits);
        auto engine = factory.NewEngine();
        engine->SetDefaultUser("Admin");
        try {
            engine->OpenDatabase(fixture("empty_rel.mdb"), false, false, "");
        } catch (const AppError& e) {
            return e;
        }
        return AppError(0);
    }
    TempDir dir_;
};

TEST_F(BrokenReader, ACrashOrGarbageIsACorruptDatabase) {
    install("kill -SEGV $$");
    EXPECT_EQ(open(), err::DbCannotOpen);
    install("printf 'SLSNAP\\001\\000garbage'");
    EXPECT_EQ(open(), err::DbCannotOpen);
    install("exit 4");
    EXPECT_EQ(open(), err::DbCannotOpen);
}

TEST_F(BrokenReader, AFileLibmdbDoesNotKnowIsAnUnrecognisedFormat) {
    install("exit 3");
    EXPECT_EQ(open(), err::DbUnrecognizedFormat);
}

// The output is decoded as it comes and found bad at once; the rest must
// still be read, or the reader would wait on a full pipe and its status
// would be lost to the time limit.
TEST_F(BrokenReader, AReaderThatWritesMuchBeforeItFailsStillGivesItsStatus) {
    install("head -c 300000 /dev/zero; exit 3");
    EXPECT_EQ(open({std::chrono::milliseconds(5000), 1 << 20}), err::DbUnrecognizedFormat);
}

TEST_F(BrokenReader, AReaderThatHangsIsStoppedAtTheTimeLimit) {
    install("exec sleep 30");
    auto start = std::chrono::steady_clock::now();
    EXPECT_EQ(open({std::chrono::milliseconds(200), 1 << 20}), err::DbCannotOpen);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
}

// A limit reached is reported as the database being too large, with the
// limit, never as damage.
TEST_F(BrokenReader, EndlessOutputIsCutAtTheCapAndCalledTooLarge) {
    install("exec cat /dev/zero");
    AppError e = failure({std::chrono::milliseconds(5000), 1 << 20});
    EXPECT_EQ(e.number(), err::DbCannotOpen);
    EXPECT_NE(e.description().find("大きすぎ"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("上限の 1 MB"), std::string::npos) << e.description();
    EXPECT_EQ(e.description().find("破損"), std::string::npos) << e.description();
}

TEST_F(BrokenReader, AReaderOutOfMemoryIsATooLargeDatabaseWithItsLimit) {
    install("exit 5");
    AppError e = failure({std::chrono::milliseconds(5000), 0, size_t{1536} << 20});
    EXPECT_EQ(e.number(), err::DbCannotOpen);
    EXPECT_NE(e.description().find("大きすぎ"), std::string::npos) << e.description();
    EXPECT_NE(e.description().find("上限の 1536 MB"), std::string::npos) << e.description();
    EXPECT_EQ(e.description().find("破損"), std::string::npos) << e.description();
}

TEST_F(BrokenReader, TheReaderGetsACleanEnvironmentItsOwnGroupNoCoreAndOnlyItsPipes) {
    // A descriptor the program holds open across exec must not reach it.
    const int opened = ::open("/dev/null", O_RDONLY);
    const int held = ::fcntl(opened, F_DUPFD, 20);
    ::close(opened);
    ASSERT_GE(held, 20);
    ::setenv("SPECLORE_SHOULD_NOT_PASS", "1", 1);
    install(
        "[ -z \"$(env | grep -v '^PWD=')\" ] || exit 4\n"
        "[ \"$(ulimit -c)\" = 0 ] || exit 4\n"
        "[ \"$(cut -d' ' -f5 /proc/$$/stat)\" = \"$$\" ] || exit 4\n"
        "[ -p /proc/$$/fd/1 ] && [ -p /proc/$$/fd/3 ] || exit 4\n"
        "[ ! -e /proc/$$/fd/" +
        std::to_string(held) +
        " ] || exit 4\n"
        "exit 3");
    EXPECT_EQ(open(), err::DbUnrecognizedFormat);
    ::unsetenv("SPECLORE_SHOULD_NOT_PASS");
    ::close(held);
}

TEST_F(BrokenReader, AMissingConfinementIsReportedOnStandardErrorOncePerProcess) {
    install("printf 'test-mechanism \\033[2J' >&3\nexit 4");
    ::testing::internal::CaptureStderr();
    EXPECT_EQ(open(), err::DbCannotOpen);
    EXPECT_EQ(open(), err::DbCannotOpen);
    const std::string said = ::testing::internal::GetCapturedStderr();
    const std::string line = "this kernel offers no test-mechanism 2J; the database reader runs";
    ASSERT_NE(said.find(line), std::string::npos) << said;
    EXPECT_EQ(said.find(line), said.rfind(line)) << said;
    EXPECT_EQ(said.find('\033'), std::string::npos) << "escape passed through";
}

TEST_F(BrokenReader, AMissingReaderIsNoDatabaseFault) {
    jet::JetDbEngineFactory factory((dir_ / "nowhere").string());
    auto engine = factory.NewEngine();
    engine->SetDefaultUser("Admin");
    EXPECT_EQ(openNumber(*engine, "empty_rel.mdb"), err::CannotCreateObject);
}

}  // namespace
}  // namespace speclore::test
