// How Close(true) writes a workbook: a private file, which the catalog run
// syncs and puts in place itself, is rewritten where it is.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <filesystem>
#include <string>

#include "XlsxTestSupport.h"
#include "app/AppError.h"

namespace speclore::test {
namespace {

// A private file is saved by rewriting it: the same bytes as a replacement
// gives, in the same file, with nothing beside it; a failing rewrite is a
// numbered error like a failing replacement, and never creates the file.
TEST(XlsxSaving, APrivateWorkbookIsRewrittenInPlace) {
    TempDir dir("speclore-xlsx-private");
    const std::string path = copyTemplate(dir, "private.xlsx");
    const std::string original = readText(path);
    xlsx::XlsxApplication application;
    auto replaced = application.OpenWorkbook(path);
    replaced->Sheets(1).SetValue("B2", "保存");
    replaced->Close(true);
    const std::string replacedBytes = readText(path);
    writeText(path, original);

    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    auto rewritten = application.OpenPrivateWorkbook(path);
    rewritten->Sheets(1).SetValue("B2", "保存");
    rewritten->Close(true);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(readText(path), replacedBytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    auto gone = application.OpenPrivateWorkbook(path);
    std::filesystem::remove(path);
    try {
        gone->Close(true);
        ADD_FAILURE() << "saved over a removed file";
    } catch (const AppError& error) {
        EXPECT_EQ(error.number(), err::PathNotFound);
    }
    EXPECT_FALSE(std::filesystem::exists(path));
    gone->Close(false);
}

}  // namespace
}  // namespace speclore::test
