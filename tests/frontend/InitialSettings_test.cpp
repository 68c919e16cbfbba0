// The remembered values of section "INITIAL", as both front ends read them.
#include <gtest/gtest.h>

#include <string>

#include "app/AppError.h"
#include "app/AppGlobals.h"
#include "frontend/InitialSettings.h"
#include "support/FileBytes.h"
#include "support/TempDir.h"

namespace speclore::frontend {
namespace {

TEST(InitialSettings, SavedValuesLoadBackAndAnUnreadableOptionRaisesTypeMismatch) {
    test::TempDir dir;
    const std::string ini = (dir / "Speclore.ini").string();
    appGlobals().programFolder = SPECLORE_PROGRAM_DIR;  // the cipher library

    InitialSettings saved;
    saved.advancedOpen = true;
    saved.databasePassword = "秘密";
    saved.workgroupPath = "/srv/system.mdw";
    saved.accountName = "someone";
    saved.accountPassword = "s3cret";
    saved.tableTitle = "<FileTitle> テーブル";
    saved.relationTitle = "<FileTitle> リレーション";
    saveInitialSettings(ini, saved);

    const InitialSettings loaded = loadInitialSettings(ini);
    EXPECT_TRUE(loaded.advancedOpen);
    EXPECT_EQ(loaded.databasePassword, saved.databasePassword);
    EXPECT_EQ(loaded.workgroupPath, saved.workgroupPath);
    EXPECT_EQ(loaded.accountName, saved.accountName);
    EXPECT_EQ(loaded.accountPassword, saved.accountPassword);
    EXPECT_EQ(loaded.tableTitle, saved.tableTitle);
    EXPECT_EQ(initialRelationTitle(ini), saved.relationTitle);
    EXPECT_EQ(test::readText(ini).find("s3cret"), std::string::npos) << "passwords are kept encrypted";

    test::writeText(ini, "[INITIAL]\r\nOPTION=yes\r\nTABLETITLE=T\r\n");
    try {
        loadInitialSettings(ini);
        ADD_FAILURE() << "no error raised";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), err::TypeMismatch);
    }
    EXPECT_EQ(initialTableTitle(ini), "T") << "the titles alone read without OPTION";
    EXPECT_EQ(initialQueryTitle(ini), "<FileTitle> クエリ仕様書") << "a file from before the query sheet";
    test::writeText(ini, "[INITIAL]\r\nQUERYTITLE=Q <FileTitle>\r\n");
    EXPECT_EQ(initialQueryTitle(ini), "Q <FileTitle>");
}

}  // namespace
}  // namespace speclore::frontend
