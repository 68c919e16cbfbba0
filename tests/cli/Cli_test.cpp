// speclore-cli as a user runs it: exit status and what it says.
#include <gtest/gtest.h>

#include <cstdlib>

#include "catalog/CatalogHarness.h"
#include "support/Subprocess.h"
#include "support/Xlsxdump.h"

namespace speclore::test {
namespace {

ProcessResult cli(std::vector<std::string> arguments) {
    arguments.insert(arguments.begin(), std::string(SPECLORE_PROGRAM_DIR) + "/speclore-cli");
    return runProcess(arguments, std::chrono::seconds(60));
}

TEST(Cli, WritesTheWorkbookAndSaysSo) {
    TempDir dir;
    const std::string output = (dir / "out.xls").string();
    // The shipped settings file, not the program folder's copy that a person
    // may have changed.
    const std::string shipped = std::string(SPECLORE_SOURCE_DIR) + "/resources/Speclore.ini";
    const ProcessResult run = cli({fixturePath("catalog_ja.mdb"), "-o", output, "--table", "受注", "--table",
                                   "顧客", "--table-title", "<FileTitle>", "--settings", shipped});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(run.err, "テーブル仕様書の作成処理が終了しました。\n") << "no progress line off a terminal";
    const nlohmann::json book = xlsdumpJson(output);
    const nlohmann::json& tables = sheetNumber(book, 1);
    EXPECT_EQ(cellText(tables, "A1"), "catalog_ja");
    EXPECT_EQ(cellText(tables, "A3"), "受注");
    // The shipped settings file gives the headings and the default
    // relationship title.
    EXPECT_EQ(cellText(tables, "B4"), "項目名称");
    EXPECT_EQ(cellText(sheetNumber(book, 2), "A1"), "catalog_ja リレーション仕様書");

    // A database named without its folder still gives its name to the title.
    const std::filesystem::path before = std::filesystem::current_path();
    std::filesystem::current_path(std::filesystem::path(fixturePath("empty_rel.mdb")).parent_path());
    const ProcessResult bare = cli({"empty_rel.mdb", "-o", output, "--table-title", "<FileName>"});
    std::filesystem::current_path(before);
    EXPECT_EQ(bare.exitCode, 0) << bare.err;
    EXPECT_EQ(cellText(sheetNumber(xlsdumpJson(output), 1), "A1"), "empty_rel.mdb");
}

TEST(Cli, TheOutputsTypeChoosesTheFormatAndATemplateMayBeGiven) {
    TempDir dir;
    const std::string db = fixturePath("catalog_ja.mdb");
    const std::string output = (dir / "out.xlsx").string();
    ProcessResult run = cli({db, "-o", output, "--table", "受注", "--table-title", "<FileTitle>"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(readText(output).substr(0, 2), "PK");
    nlohmann::json tables = xlsxdumpJson(output)["sheets"][0];
    EXPECT_EQ(xlsxCell(tables, "A1")["value"], "catalog_ja");
    EXPECT_EQ(xlsxCell(tables, "A3")["value"], "受注");

    // Another template of the output's type; one of the other type is a
    // usage error, and so is one that does not exist.
    const std::string mine = (dir / "mine.xlsx").string();
    std::filesystem::copy_file(std::string(SPECLORE_PROGRAM_DIR) + "/Template.xlsx", mine);
    run = cli({db, "-o", output, "--table", "顧客", "--template", mine});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(xlsxCell(xlsxdumpJson(output)["sheets"][0], "A3")["value"], "顧客");
    const std::string other = (dir / "other.xls").string();
    run = cli({db, "-o", other, "--template", mine});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("not of the output's type"), std::string::npos) << run.err;
    run = cli({db, "-o", output, "--template", (dir / "none.xlsx").string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no template at"), std::string::npos) << run.err;
    EXPECT_FALSE(std::filesystem::exists(other));
}

TEST(Cli, UsageErrorsExitWithTwoAndWriteNothing) {
    TempDir dir;
    const std::string output = (dir / "out.xls").string();
    const std::string db = fixturePath("catalog_ja.mdb");

    ProcessResult run = cli({db, "-o", output, "--colour"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_EQ(run.err, "speclore-cli: unknown option --colour\nTry 'speclore-cli --help'.\n");

    run = cli({db, "-o", output, "--table", "ない表"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no table named \"ない表\""), std::string::npos) << run.err;

    run = cli({db, "-o", output, "--db-password-env", "SPECLORE_TEST_UNSET_VARIABLE"});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("SPECLORE_TEST_UNSET_VARIABLE is not set"), std::string::npos) << run.err;

    run = cli({db, "-o", output, "--settings", (dir / "typo.ini").string()});
    EXPECT_EQ(run.exitCode, 2);
    EXPECT_NE(run.err.find("no settings file at"), std::string::npos) << run.err;

    EXPECT_FALSE(std::filesystem::exists(output));

    run = cli({"--help"});
    EXPECT_EQ(run.exitCode, 0);
    EXPECT_NE(run.out.find("Usage: speclore-cli DATABASE -o OUTPUT.xls"), std::string::npos);
}

TEST(Cli, PasswordComesFromTheEnvironmentAndAFailedOpenExitsWithOne) {
    TempDir dir;
    const std::string output = (dir / "out.xls").string();
    const std::string db = fixturePath("password.mdb");

    ::setenv("SPECLORE_TEST_DB_PASSWORD", "wrong", 1);
    ProcessResult run = cli({db, "-o", output, "--db-password-env", "SPECLORE_TEST_DB_PASSWORD"});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_EQ(run.err.rfind("データベースファイルのオープンに失敗しました。", 0), 0u) << run.err;
    EXPECT_FALSE(std::filesystem::exists(output));

    ::setenv("SPECLORE_TEST_DB_PASSWORD", "s3cret", 1);
    run = cli({db, "-o", output, "--db-password-env", "SPECLORE_TEST_DB_PASSWORD"});
    EXPECT_EQ(run.exitCode, 0) << run.err;
    ::unsetenv("SPECLORE_TEST_DB_PASSWORD");
}

TEST(Cli, EveryAccessMadeDatabaseDocumentsAndAWrongPasswordWritesNothing) {
    struct Made {
        const char* file;
        const char* password;
    };
    const Made made[] = {
        {"test_V1997.mdb", ""},
        {"V2000_with-password.mdb", "password"},
        {"db97-enc.mdb", ""},
        {"db-enc.mdb", ""},
        {"test_V2007.accdb", ""},
        {"test_V2010.accdb", ""},
        {"attachments.accdb", ""},
        {"bigint.accdb", ""},
        {"longtext.accdb", ""},
        {"numeric_V2010.accdb", ""},
        {"withdeletedcol.accdb", ""},
        {"complexDataTestV2007.accdb", ""},
        {"calcFieldTestV2010.accdb", ""},
        {"db2007-oldenc.accdb", "Test123"},
        {"office-agile-4.2.accdb", "password"},
        {"db-nonstandard.accdb", "password"},
        {"db2007-enc.accdb", "Test123"},
        {"V2010_with-password.accdb", "password"},
    };
    TempDir dir;
    for (const Made& database : made) {
        SCOPED_TRACE(database.file);
        const std::string output = (dir / (std::string(database.file) + ".xls")).string();
        ::setenv("SPECLORE_TEST_DB_PASSWORD", database.password, 1);
        ProcessResult run =
            cli({fixturePath(database.file), "-o", output, "--db-password-env", "SPECLORE_TEST_DB_PASSWORD"});
        EXPECT_EQ(run.exitCode, 0) << run.err;
        EXPECT_TRUE(std::filesystem::exists(output));
        if (*database.password == '\0') continue;

        const std::string refused = (dir / "refused.xls").string();
        ::setenv("SPECLORE_TEST_DB_PASSWORD", "wrong", 1);
        run = cli(
            {fixturePath(database.file), "-o", refused, "--db-password-env", "SPECLORE_TEST_DB_PASSWORD"});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("パスワードが正しくありません。"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(refused));
        run = cli({fixturePath(database.file), "-o", refused});
        EXPECT_EQ(run.exitCode, 1);
        EXPECT_NE(run.err.find("パスワードが正しくありません。"), std::string::npos) << run.err;
        EXPECT_FALSE(std::filesystem::exists(refused));
    }
    ::unsetenv("SPECLORE_TEST_DB_PASSWORD");
}

TEST(Cli, AFailedRunExitsWithOneAfterTheErrorBoxText) {
    TempDir dir;
    const ProcessResult run =
        cli({fixturePath("empty_rel.mdb"), "-o", (dir / "no-such-folder" / "out.xls").string()});
    EXPECT_EQ(run.exitCode, 1);
    EXPECT_NE(run.err.find("【fMain-CreateCatalog】"), std::string::npos) << run.err;
    EXPECT_NE(run.err.find("テーブル仕様書の作成処理中にエラーが発生しました。処理を中止します。"),
              std::string::npos)
        << run.err;
}

}  // namespace
}  // namespace speclore::test
