// The Qt file dialog as the dialog procedures set it up, answered in code.
#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QFileDialog>
#include <QMessageBox>
#include <QTimer>
#include <functional>

#include "UiTestSupport.h"
#include "ui/QtFileDialogService.h"

using namespace speclore;
using namespace speclore::uitest;

namespace {

FileDialogRequest saveRequest(const std::string& folder) {
    FileDialogRequest r;
    r.kind = FileDialogKind::Save;
    r.title = "テーブル仕様書を名前を付けて保存してください";
    r.filters = {{"Microsoft Excel ブック (*.xls)", "*.xls"}, {"すべてのファイル (*.*)", "*.*"}};
    r.initialFolder = folder;
    r.defaultName = "sales";
    r.defaultExtension = ".xls";
    r.pathMustExist = true;
    r.overwritePrompt = true;
    return r;
}

// Runs `answer` on the modal dialog once it is up.
void whenDialogShows(std::function<void(QFileDialog*)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* dialog = qobject_cast<QFileDialog*>(QApplication::activeModalWidget());
        ASSERT_NE(dialog, nullptr);
        answer(dialog);
    });
}

void typeName(QFileDialog* dialog, const QString& name) {
    child<QLineEdit>(dialog, "fileNameEdit")->setText(name);
}

// The dialog's own check of the name, as its Save or Open button runs it.
void pressAccept(QFileDialog* dialog) { static_cast<QDialog*>(dialog)->accept(); }

// Types `refused` and accepts: a warning box must come and the dialog stay
// open; then types `accepted` and accepts.
void refuseThenAccept(QFileDialog* dialog, bool& warned, const QString& refused, const QString& accepted) {
    QTimer::singleShot(0, [&warned] {
        auto* warning = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(warning, nullptr);
        warned = true;
        warning->accept();
    });
    typeName(dialog, refused);
    pressAccept(dialog);
    EXPECT_TRUE(dialog->isVisible());
    typeName(dialog, accepted);
    pressAccept(dialog);
}

}  // namespace

TEST(QtFileDialogService, NameFiltersKeepTheDescriptionAndMatchLikeWindows) {
    EXPECT_EQ(ui::qtNameFilter({"Microsoft Access データベース (*.mdb;*.mde)", "*.mdb;*.mde"}),
              QStringLiteral("Microsoft Access データベース (*.mdb;*.mde) (*.mdb *.mde)"));
    EXPECT_EQ(ui::qtNameFilter({"すべてのファイル", "*.*"}), QStringLiteral("すべてのファイル (*)"));
}

TEST(QtFileDialogService, DialogIsSetUpFromTheRequest) {
    WindowTestEnvironment env;
    QFileDialog open;
    FileDialogRequest request;
    request.title = "ファイルを開く";
    request.filters = {{"すべてのファイル", "*.*"}};
    request.fileMustExist = true;
    request.pathMustExist = true;
    ui::configureFileDialog(open, request);
    EXPECT_EQ(open.windowTitle(), QStringLiteral("ファイルを開く"));
    EXPECT_EQ(open.acceptMode(), QFileDialog::AcceptOpen);
    EXPECT_EQ(open.fileMode(), QFileDialog::ExistingFile);
    EXPECT_EQ(open.nameFilters(), QStringList{QStringLiteral("すべてのファイル (*)")});
    EXPECT_TRUE(open.testOption(QFileDialog::HideNameFilterDetails));

    QFileDialog save;
    ui::configureFileDialog(save, saveRequest(env.folder.path().string()));
    EXPECT_EQ(save.acceptMode(), QFileDialog::AcceptSave);
    EXPECT_EQ(save.fileMode(), QFileDialog::AnyFile);
    EXPECT_FALSE(save.testOption(QFileDialog::DontConfirmOverwrite));
    EXPECT_EQ(save.defaultSuffix(), QStringLiteral("xls"));
    // The list shows each description as the caller wrote it.
    EXPECT_EQ(save.selectedNameFilter(), QStringLiteral("Microsoft Excel ブック (*.xls)"));
    EXPECT_EQ(save.directory().absolutePath().toStdString(), env.folder.path().string());
}

TEST(QtFileDialogService, SaveOfTheDefaultNameAddsTheExtensionInTheChosenFolder) {
    WindowTestEnvironment env;
    ui::QtFileDialogService service;
    whenDialogShows([](QFileDialog* dialog) {
        EXPECT_EQ(child<QLineEdit>(dialog, "fileNameEdit")->text(), QStringLiteral("sales"));
        pressAccept(dialog);
    });
    EXPECT_EQ(service.show(saveRequest(env.folder.path().string())), (env.folder / "sales.xls").string());
}

TEST(QtFileDialogService, SaveOverAnExistingFileAsksAndNoKeepsTheDialogOpen) {
    WindowTestEnvironment env;
    std::ofstream(env.folder / "sales.xls") << "old";
    ui::QtFileDialogService service;
    bool asked = false;
    whenDialogShows([&asked](QFileDialog* dialog) {
        QTimer::singleShot(0, [&asked, dialog] {
            auto* question = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
            ASSERT_NE(question, nullptr);
            asked = true;
            question->button(QMessageBox::No)->click();
            QTimer::singleShot(0, [dialog] {
                EXPECT_TRUE(dialog->isVisible());
                dialog->reject();
            });
        });
        pressAccept(dialog);
    });
    EXPECT_EQ(service.show(saveRequest(env.folder.path().string())), "");
    EXPECT_TRUE(asked);
}

TEST(QtFileDialogService, OpenRefusesAFileThatDoesNotExist) {
    WindowTestEnvironment env;
    std::ofstream(env.folder / "real.mdb") << "x";
    FileDialogRequest request;
    request.title = "ファイルを開く";
    request.filters = {{"すべてのファイル", "*.*"}};
    request.initialFolder = env.folder.path().string();
    request.fileMustExist = true;
    request.pathMustExist = true;
    ui::QtFileDialogService service;
    bool warned = false;
    whenDialogShows([&warned](QFileDialog* dialog) {
        refuseThenAccept(dialog, warned, QStringLiteral("missing.mdb"), QStringLiteral("real.mdb"));
    });
    EXPECT_EQ(service.show(request), (env.folder / "real.mdb").string());
    EXPECT_TRUE(warned);
}

TEST(QtFileDialogService, SaveRefusesAFolderThatDoesNotExist) {
    WindowTestEnvironment env;
    ui::QtFileDialogService service;
    bool warned = false;
    whenDialogShows([&warned](QFileDialog* dialog) {
        refuseThenAccept(dialog, warned, QStringLiteral("missing/sales"), QStringLiteral("sales"));
    });
    EXPECT_EQ(service.show(saveRequest(env.folder.path().string())), (env.folder / "sales.xls").string());
    EXPECT_TRUE(warned);
}
