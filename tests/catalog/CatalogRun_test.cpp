// How a whole run begins and ends: titles, an existing output, and the
// ways it fails without losing anything.
#include <gtest/gtest.h>

#include "CatalogHarness.h"
#include "app/ErrorBox.h"

namespace speclore::test {
namespace {

namespace fs = std::filesystem;

const char* const kOpenFailurePrefix =
    "データベースファイルのオープンに失敗しました。 エラーに関連する説明は以下の通りです。\r\n\r\n";

catalog::CatalogInputs oneTable(CatalogHarness& h) {
    catalog::CatalogInputs inputs = h.inputsFor("empty_rel.mdb");
    inputs.tableTitle = "T";
    inputs.relationTitle = "R";
    return inputs;
}

TEST(CatalogRun, TitlesExpandEveryPlaceholderOnBothSheets) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = oneTable(h);
    inputs.tableTitle = "<FileTitle>_<YYYY><MM><DD> <filename> <yy>/<M>/<D>";
    inputs.relationTitle = "<FILETITLE> リレーション";
    ASSERT_TRUE(h.run(inputs));
    EXPECT_EQ(cellText(h.sheet(1), "A1"), "empty_rel_20260305 empty_rel.mdb 26/3/5");
    EXPECT_EQ(cellText(h.sheet(2), "A1"), "empty_rel リレーション");
}

TEST(CatalogRun, ReplacesAnExistingOutputWhole) {
    CatalogHarness h;
    writeText(h.outputPath(), std::string(1 << 20, 'x'));
    catalog::CatalogInputs inputs = oneTable(h);
    ASSERT_TRUE(h.run(inputs));
    const std::string first = readText(h.outputPath());
    ASSERT_TRUE(h.run(inputs));
    EXPECT_EQ(readText(h.outputPath()), first);
    EXPECT_EQ(cellText(h.sheet(1), "A3"), "単一テーブル");
    EXPECT_TRUE(h.boxes.boxes.empty());
    for (const auto& entry : fs::directory_iterator(h.dir.path())) {
        EXPECT_TRUE(entry.path().filename() == "仕様書.xls" || entry.path().filename() == "program")
            << "left behind: " << entry.path();
    }
}

TEST(CatalogRun, WrongDatabasePasswordShowsOnlyTheOpenFailure) {
    CatalogHarness h;
    writeText(h.outputPath(), "old output");
    catalog::CatalogInputs inputs;
    inputs.login.databasePath = fixturePath("password.mdb");
    inputs.login.databasePassword = "wrong";
    inputs.tables = {{"部署", true}, {"社員", true}};
    EXPECT_FALSE(h.run(inputs));
    ASSERT_EQ(h.boxes.boxes.size(), 1u);
    EXPECT_EQ(h.boxes.boxes[0].text.rfind(kOpenFailurePrefix, 0), 0u) << h.boxes.boxes[0].text;
    EXPECT_GT(h.boxes.boxes[0].text.size(), std::string(kOpenFailurePrefix).size());
    EXPECT_EQ(h.boxes.boxes[0].style, vbExclamation);
    EXPECT_EQ(readText(h.outputPath()), "old output");
    EXPECT_EQ(h.progress.events.front(), "Load");
    EXPECT_EQ(h.progress.events.back(), "Unload");

    inputs.login.databasePassword = "s3cret";
    EXPECT_TRUE(h.run(inputs));
    EXPECT_TRUE(h.boxes.boxes.empty());
}

// A database opened to list its tables is the one the run reads: the file
// is not opened again (here it is gone by then), and the workbook is the
// one a run that opens the file itself writes.
TEST(CatalogRun, ReadsTheDatabaseItIsGivenWithoutOpeningTheFileAgain) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = h.inputsFor("catalog_ja.mdb");
    inputs.tableTitle = "T";
    inputs.relationTitle = "R";
    ASSERT_TRUE(h.run(inputs));
    const std::string opening = readText(h.outputPath());

    const std::string copy = (h.dir / "catalog_ja.mdb").string();
    fs::copy_file(inputs.login.databasePath, copy);
    inputs.login.databasePath = copy;
    h.openedDatabase = h.open(inputs.login);
    fs::remove(copy);
    ASSERT_TRUE(h.run(inputs));
    EXPECT_TRUE(h.boxes.boxes.empty());
    EXPECT_EQ(readText(h.outputPath()), opening);
    EXPECT_FALSE(h.openedDatabase);
}

// An output that is one of the run's own input files would be replaced by
// the workbook.
TEST(CatalogRun, RefusesAnOutputThatIsTheTemplateOrAnInputHoweverSpelled) {
    CatalogHarness h;
    catalog::CatalogInputs inputs = oneTable(h);
    const std::string database = (h.dir / "db.mdb").string();
    fs::copy_file(inputs.login.databasePath, database);
    inputs.login.databasePath = database;
    const std::string link = (h.dir / "link.xls").string();
    fs::create_symlink(h.templatePath(), link);

    const std::string outputs[] = {h.templatePath(), link, h.programFolder() + "/../program/./Template.xls",
                                   database, h.iniPath()};
    const std::string named[] = {h.templatePath(), h.templatePath(), h.templatePath(), database, h.iniPath()};
    std::vector<std::string> before;
    for (const std::string& output : outputs) before.push_back(readText(output));

    for (std::size_t i = 0; i < std::size(outputs); ++i) {
        SCOPED_TRACE(outputs[i]);
        EXPECT_FALSE(h.runTo(outputs[i], inputs));
        ASSERT_EQ(h.boxes.boxes.size(), 1u);
        EXPECT_EQ(h.boxes.boxes[0].text,
                  errorBoxMessage(err::PathFileAccessError, "fMain-CreateCatalog",
                                  "出力ファイルに " + named[i] + " は指定できません。"));
        EXPECT_EQ(h.progress.events.back(), "Unload");
    }
    for (std::size_t i = 0; i < std::size(outputs); ++i) {
        EXPECT_EQ(readText(outputs[i]), before[i]) << outputs[i];
    }
    EXPECT_TRUE(fs::is_symlink(link));
}

}  // namespace
}  // namespace speclore::test
