#include <gtest/gtest.h>

#include <string>

#include "app/FileDialogs.h"
#include "support/RecordingFileDialog.h"
#include "support/RecordingMessageBox.h"

using namespace speclore;
using speclore::testing::RecordingFileDialog;
using speclore::testing::RecordingMessageBox;

namespace {
const std::string kExcelFilter =
    filterText({{"Microsoft Excel ブック (*.xls)", "*.xls"}, {"すべてのファイル (*.*)", "*.*"}});
}

TEST(FileDialogs, EmptyTitleAndFilterGiveTheBuiltInOnes) {
    RecordingFileDialog dialogs;
    OpenFileDlg(nullptr, "", "", "", "", "");
    SaveFileDlg(nullptr, "", "", "", "", "");
    ASSERT_EQ(dialogs.requests.size(), 2u);
    EXPECT_EQ(dialogs.requests[0].title, "ファイルを開く");
    EXPECT_EQ(dialogs.requests[1].title, "ファイルを保存");
    std::vector<FileFilter> builtIn{{"すべてのファイル", "*.*"}};
    EXPECT_EQ(dialogs.requests[0].filters, builtIn);
    EXPECT_EQ(dialogs.requests[1].filters, builtIn);
}

TEST(FileDialogs, CallersValuesReachTheDialogAndTheAnswerComesBack) {
    RecordingFileDialog dialogs;
    int window = 0;
    dialogs.answers = {"/data/out/sales.xls"};
    std::string chosen = SaveFileDlg(&window, kExcelFilter, "保存先", "/data/out", "sales", ".xls");
    EXPECT_EQ(chosen, "/data/out/sales.xls");
    const FileDialogRequest& r = dialogs.requests.at(0);
    EXPECT_EQ(r.kind, FileDialogKind::Save);
    EXPECT_EQ(r.owner, &window);
    EXPECT_EQ(r.title, "保存先");
    ASSERT_EQ(r.filters.size(), 2u);
    EXPECT_EQ(r.filters[0], (FileFilter{"Microsoft Excel ブック (*.xls)", "*.xls"}));
    EXPECT_EQ(r.filters[1], (FileFilter{"すべてのファイル (*.*)", "*.*"}));
    EXPECT_EQ(r.initialFolder, "/data/out");
    EXPECT_EQ(r.defaultName, "sales");
    EXPECT_EQ(r.defaultExtension, ".xls");
}

TEST(FileDialogs, OpenNeedsAnExistingFileAndSaveAsksBeforeOverwriting) {
    RecordingFileDialog dialogs;
    OpenFileDlg(nullptr, "", "", "", "", "");
    SaveFileDlg(nullptr, "", "", "", "", "");
    const FileDialogRequest& open = dialogs.requests[0];
    const FileDialogRequest& save = dialogs.requests[1];
    EXPECT_TRUE(open.fileMustExist && open.pathMustExist && !open.overwritePrompt);
    EXPECT_TRUE(!save.fileMustExist && save.pathMustExist && save.overwritePrompt);
}

TEST(FileDialogs, DefaultNameWithARefusedCharacterLeavesTheFieldEmpty) {
    for (const char* name :
         {"a,b.mdb", "a;b", "C:\\a.mdb", "/tmp/a.mdb", "a*", "a?", "a\"b", "a<b", "a>b", "a|b", "a:b"}) {
        RecordingFileDialog dialogs;
        RecordingMessageBox boxes;
        SaveFileDlg(nullptr, "", "", "", name, "");
        EXPECT_EQ(dialogs.requests.at(0).defaultName, "") << name;
        EXPECT_TRUE(boxes.boxes.empty()) << name;
    }
    EXPECT_TRUE(isAcceptedDefaultName("売上 2024.v2"));
}

TEST(FileDialogs, DefaultNameOver512CharactersIsReportedOnceAndGivesEmpty) {
    RecordingFileDialog dialogs;
    RecordingMessageBox boxes;
    dialogs.answers = {"/x.xls", "/y.xls"};
    // 512 two-byte-in-CP932 characters still fit: characters are counted.
    std::string fits;
    for (int i = 0; i < 512; ++i) fits += "あ";
    EXPECT_EQ(SaveFileDlg(nullptr, "", "", "", fits, ""), "/x.xls");
    EXPECT_TRUE(boxes.boxes.empty());

    EXPECT_EQ(OpenFileDlg(nullptr, "", "", "", fits + "a", ""), "");
    EXPECT_EQ(dialogs.requests.size(), 1u);
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_EQ(boxes.boxes[0].style, 16);
    EXPECT_EQ(boxes.boxes[0].text.rfind("ｴﾗｰNo. 5  【mGetFileNameDlg-OpenFileDlg】", 0), 0u);

    // A refused name is ignored before its length matters.
    dialogs.answers = {"/z.xls"};
    EXPECT_EQ(SaveFileDlg(nullptr, "", "", "", fits + ",", ""), "/z.xls");
    EXPECT_EQ(dialogs.requests.back().defaultName, "");
    EXPECT_EQ(boxes.boxes.size(), 1u);
}

TEST(FileDialogs, WithoutAServiceTheDialogFailsWithItsOwnBox) {
    RecordingMessageBox boxes;
    EXPECT_EQ(SaveFileDlg(nullptr, "", "", "", "", ""), "");
    ASSERT_EQ(boxes.boxes.size(), 1u);
    EXPECT_NE(boxes.boxes[0].text.find("【mGetFileNameDlg-SaveFileDlg】"), std::string::npos);
}

TEST(FileDialogs, FilterTextParsingStopsAtTheDoubleNulAndDropsAnUnpairedDescription) {
    EXPECT_EQ(parseFilterText(std::string("A\0*.a\0\0B\0*.b\0", 14)),
              (std::vector<FileFilter>{{"A", "*.a"}}));
    EXPECT_EQ(parseFilterText(std::string("A\0*.a\0B", 7)), (std::vector<FileFilter>{{"A", "*.a"}}));
    EXPECT_EQ(parseFilterText(kExcelFilter).size(), 2u);
    EXPECT_TRUE(parseFilterText("").empty());
}
