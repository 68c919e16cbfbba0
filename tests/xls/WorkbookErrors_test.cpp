// Workbooks the engine must refuse, and the failures of Sheets and Close:
// always a numbered error, never a change to the file.
#include <gtest/gtest.h>

#include <sys/stat.h>

#include <functional>

#include "XlsTestSupport.h"
#include "app/AppError.h"
#include "xls/BiffRecord.h"
#include "xls/ByteIo.h"
#include "xls/CompoundFile.h"
#include "xls/XlsApplication.h"

namespace speclore::xls {
namespace {

using test::TempDir;

// The fixture with its Workbook stream (or the whole file) altered.
std::string alteredWorkbook(const std::function<void(std::string& stream)>& alter) {
    CompoundFile file = CompoundFile::parse(test::readText(test::xlsFixture("two_sheets_lo.xls")));
    alter(file.findRootStream(u"Workbook")->data);
    return file.serialize();
}

std::string renamedStream(const std::u16string& name) {
    CompoundFile file = CompoundFile::parse(test::readText(test::xlsFixture("two_sheets_lo.xls")));
    file.findRootStream(u"Workbook")->name = name;
    return file.serialize();
}

// Expects OpenWorkbook to fail with `number` and the file to stay as it was.
void expectRefused(const std::string& bytes, const std::string& what, const std::string& mention = "") {
    SCOPED_TRACE(what);
    TempDir dir;
    std::string path = (dir / "book.xls").string();
    test::writeText(path, bytes);
    XlsApplicationFactory factory;
    auto app = factory.CreateApplication();
    try {
        app->OpenWorkbook(path);
        ADD_FAILURE() << "opened";
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::ApplicationDefined);
        if (!mention.empty()) {
            EXPECT_NE(e.description().find(mention), std::string::npos) << e.description();
        }
    }
    EXPECT_EQ(test::readText(path), bytes);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1) << "no file was added";
}

TEST(WorkbookErrors, UnreadableOrUnsupportedWorkbooksAreRefused) {
    const std::string good = test::readText(test::xlsFixture("two_sheets_lo.xls"));
    expectRefused("テーブル仕様書\n", "a text file", "OLE2");
    expectRefused(good.substr(0, 1700), "a truncated file");
    expectRefused(renamedStream(u"Data"), "no Workbook stream", "Workbook");
    expectRefused(renamedStream(u"Book"), "a BIFF5 workbook", "5.0");
    expectRefused(alteredWorkbook([](std::string& s) { setU16(s.data() + 4, 0x0500); }), "a BIFF5 BOF",
                  "5.0");
    expectRefused(alteredWorkbook([](std::string& s) { setU16(s.data(), 0x0409); }), "a BIFF4 BOF", "4.0");
    expectRefused(alteredWorkbook([](std::string& s) {
                      // FILEPASS right after the globals' BOF.
                      std::string filePass;
                      appendRecord(filePass, rt::FilePass, std::string(54, '\x01'));
                      s.insert(4 + getU16(s.data() + 2), filePass);
                  }),
                  "an encrypted workbook", "暗号化");
    expectRefused(alteredWorkbook([](std::string& s) { setU16(s.data() + s.size() - 2, 200); }),
                  "a record running past the stream");
    expectRefused(alteredWorkbook([](std::string& s) { s.resize(s.size() / 2); }), "a cut Workbook stream");
    expectRefused(alteredWorkbook([](std::string& s) {
                      for (size_t at = 0; at + 4 <= s.size(); at += 4 + getU16(s.data() + at + 2))
                          if (getU16(s.data() + at) == rt::BoundSheet)
                              setU32(s.data() + at + 4, getU32(s.data() + at + 4) + 4);
                  }),
                  "a sheet position that misses the sheet");
}

TEST(WorkbookErrors, MissingFileIsError1004) {
    XlsApplicationFactory factory;
    auto app = factory.CreateApplication();
    try {
        app->OpenWorkbook("/nonexistent-folder/none.xls");
        ADD_FAILURE();
    } catch (const AppError& e) {
        EXPECT_EQ(e.number(), err::ApplicationDefined);
    }
}

class OpenWorkbook : public ::testing::Test {
protected:
    TempDir dir;
    std::string path = test::copyFixture(dir, "two_sheets.xls", "book.xls");
    std::string original = test::readText(path);
    XlsApplicationFactory factory;
    std::unique_ptr<catalog::XlApplication> app = factory.CreateApplication();
    std::unique_ptr<catalog::XlWorkbook> book = app->OpenWorkbook(path);

    static int32_t errorOf(const std::function<void()>& call) {
        try {
            call();
        } catch (const AppError& e) {
            return e.number();
        }
        return 0;
    }
};

TEST_F(OpenWorkbook, SheetsOutsideTheWorkbookAreError9) {
    EXPECT_EQ(errorOf([&] { book->Sheets(0); }), err::SubscriptOutOfRange);
    EXPECT_EQ(errorOf([&] { book->Sheets(3); }), err::SubscriptOutOfRange);
    EXPECT_EQ(&book->Sheets(2), &book->Sheets(2));
}

TEST_F(OpenWorkbook, WorksheetsAreFoundByTheirExactName) {
    EXPECT_EQ(book->findWorksheet("リレーション仕様書"), &book->Sheets(2));
    EXPECT_EQ(book->findWorksheet("テーブル仕様書"), &book->Sheets(1));
    EXPECT_EQ(book->findWorksheet("ﾘﾚｰｼｮﾝ仕様書"), nullptr);
    EXPECT_EQ(book->findWorksheet("リレーション仕様書 "), nullptr);
    EXPECT_EQ(book->findWorksheet("クエリ仕様書"), nullptr);
    EXPECT_EQ(book->findWorksheet(""), nullptr);
}

TEST_F(OpenWorkbook, CloseWithoutSavingLeavesTheFileAsItWas) {
    book->Sheets(1).SetValue("A1", "変更");
    book->Sheets(1).Range("A1", "F9")->Font().Bold(true);
    book->Close(false);
    EXPECT_EQ(test::readText(path), original);
    EXPECT_EQ(errorOf([&] { book->Close(false); }), err::ApplicationDefined) << "already closed";
    EXPECT_EQ(errorOf([&] { book->Sheets(1); }), err::ApplicationDefined);
}

TEST_F(OpenWorkbook, AFailedSaveIsNumberedAndTheWorkbookCanStillBeDiscarded) {
    book->Sheets(1).SetValue("A1", "変更");
    std::filesystem::remove_all(dir.path());
    EXPECT_EQ(errorOf([&] { book->Close(true); }), err::PathNotFound);
    EXPECT_EQ(errorOf([&] { book->Close(false); }), 0);
}

TEST_F(OpenWorkbook, SavingReplacesTheFileAndLeavesNoTemporaryFile) {
    std::filesystem::permissions(path, std::filesystem::perms(0640));
    book->Sheets(2).SetValue("B2", 5);
    book->Close(true);
    EXPECT_NE(test::readText(path), original);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);
    EXPECT_EQ(std::filesystem::status(path).permissions(), std::filesystem::perms(0640));
}

// A private file is saved by rewriting it: the same bytes as a replacement
// gives, in the same file, with nothing beside it; a failing rewrite is a
// numbered error like a failing replacement.
TEST_F(OpenWorkbook, APrivateWorkbookIsRewrittenInPlace) {
    book->Sheets(1).SetValue("B2", "保存");
    book->Close(true);
    const std::string replaced = test::readText(path);
    test::writeText(path, original);

    struct stat before {};
    ASSERT_EQ(::stat(path.c_str(), &before), 0);
    auto privateBook = app->OpenPrivateWorkbook(path);
    privateBook->Sheets(1).SetValue("B2", "保存");
    privateBook->Close(true);
    struct stat after {};
    ASSERT_EQ(::stat(path.c_str(), &after), 0);
    EXPECT_EQ(after.st_ino, before.st_ino);
    EXPECT_EQ(test::readText(path), replaced);
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()), {}), 1);

    auto gone = app->OpenPrivateWorkbook(path);
    std::filesystem::remove(path);
    EXPECT_EQ(errorOf([&] { gone->Close(true); }), err::PathNotFound);
    EXPECT_FALSE(std::filesystem::exists(path)) << "a rewrite never creates the file";
    EXPECT_EQ(errorOf([&] { gone->Close(false); }), 0);
}

}  // namespace
}  // namespace speclore::xls
