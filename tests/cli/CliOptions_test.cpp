#include <gtest/gtest.h>

#include "cli/CliOptions.h"
#include "cli/TerminalProgress.h"

namespace speclore::cli {
namespace {

CliOptions parse(std::vector<std::string> arguments) { return parseCliOptions(arguments); }

std::string usageMessage(std::vector<std::string> arguments) {
    try {
        parseCliOptions(arguments);
    } catch (const UsageError& error) {
        return error.message;
    }
    return "(accepted)";
}

TEST(CliOptions, TakesValuesInBothSpellingsAndKeepsTableOrder) {
    const CliOptions o = parse({"--table",
                                "受注",
                                "db.mdb",
                                "-o",
                                "out.xls",
                                "--table=顧客",
                                "--table-title=<FileTitle> 仕様",
                                "--relation-title",
                                "",
                                "--query-title",
                                "<FileTitle> 問合せ",
                                "--workgroup",
                                "w.mdw",
                                "--user",
                                "u",
                                "--password-env",
                                "PW",
                                "--db-password-env",
                                "DBPW",
                                "--settings",
                                "s.ini"});
    EXPECT_EQ(o.databasePath, "db.mdb");
    EXPECT_EQ(o.outputPath, "out.xls");
    EXPECT_EQ(o.tables, (std::vector<std::string>{"受注", "顧客"}));
    EXPECT_EQ(o.tableTitle, "<FileTitle> 仕様");
    EXPECT_EQ(o.relationTitle, "") << "an empty title given is still given";
    EXPECT_EQ(o.queryTitle, "<FileTitle> 問合せ");
    EXPECT_EQ(o.workgroupPath, "w.mdw");
    EXPECT_EQ(o.accountName, "u");
    EXPECT_EQ(o.accountPasswordVariable, "PW");
    EXPECT_EQ(o.databasePasswordVariable, "DBPW");
    EXPECT_EQ(o.settingsPath, "s.ini");

    const CliOptions defaults = parse({"db.mdb", "--output", "out.xls"});
    EXPECT_TRUE(defaults.tables.empty());
    EXPECT_FALSE(defaults.tableTitle.has_value());
    EXPECT_FALSE(defaults.settingsPath.has_value());

    EXPECT_EQ(parse({"-o", "o.xls", "--", "-odd.mdb"}).databasePath, "-odd.mdb");
    EXPECT_TRUE(parse({"--help"}).help);
    EXPECT_TRUE(parse({"db.mdb", "-h"}).help);
}

TEST(CliOptions, RefusesIncompleteOrUnknownCommandLines) {
    EXPECT_EQ(usageMessage({"-o", "out.xls"}), "no DATABASE given");
    EXPECT_EQ(usageMessage({"db.mdb"}), "no output workbook given (-o OUTPUT.xls)");
    EXPECT_EQ(usageMessage({"db.mdb", "-o", "o.xls", "--password", "x"}), "unknown option --password");
    EXPECT_EQ(usageMessage({"db.mdb", "-o"}), "option -o needs a value");
    EXPECT_EQ(usageMessage({"a.mdb", "b.mdb", "-o", "o.xls"}), "more than one DATABASE given: b.mdb");
    EXPECT_EQ(usageMessage({"db.mdb", "-o", "o.xls", "--user", "u"}),
              "--user and --password-env need --workgroup");
    EXPECT_EQ(usageMessage({"db.mdb", "-o", "o.XLSX", "--template", "mine.xls"}),
              "the template mine.xls is not of the output's type (Template.xlsx)");
    EXPECT_EQ(usageMessage({"db.mdb", "-o", "o.xls", "--template=mine.xlsx"}),
              "the template mine.xlsx is not of the output's type (Template.xls)");
    EXPECT_EQ(parse({"db.mdb", "-o", "o.xlsx", "--template", "mine.Xlsx"}).templatePath, "mine.Xlsx");
}

TEST(FitToColumns, CutsWholeCharactersCountingWideOnesTwice) {
    EXPECT_EQ(fitToColumns("abcdef", 4), "abcd");
    EXPECT_EQ(fitToColumns("顧客マスタ", 5), "顧客");
    EXPECT_EQ(fitToColumns("ｶﾅ名称", 4), "ｶﾅ名");
    EXPECT_EQ(fitToColumns("ab", 10), "ab");
    EXPECT_EQ(fitToColumns(std::string("a\xE3\x81", 3), 10), "a") << "a cut-off character is dropped";
}

}  // namespace
}  // namespace speclore::cli
