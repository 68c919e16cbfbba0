// What makes the windows feel at home on the desktop: Qt's own texts in the
// user's language, file dialogs that open where the user last was, Enter on
// a focused button.
#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QLibraryInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QScrollBar>
#include <QTranslator>
#include <QtTest/QTest>

#include "UiTestSupport.h"
#include "ui/FormControls.h"
#include "ui/PathLineBreaks.h"
#include "ui/QtFileDialogService.h"
#include "ui/QtTranslations.h"
#include "ui/RememberedFolders.h"

using namespace speclore;
using namespace speclore::uitest;

namespace {

FileDialogRequest databaseRequest() {
    FileDialogRequest request;
    request.kind = FileDialogKind::Open;
    request.title = "処理ファイル";
    request.filters = {{"Microsoft Access データベース", "*.mdb;*.mde"}};
    return request;
}

}  // namespace

TEST(DesktopIntegration, QtsOwnTextsFollowTheUsersLanguage) {
    ensureApplication();
    const QString english = QStringLiteral("File &name:");
    ASSERT_TRUE(ui::installQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::Japanese)));
    const QString japanese = QCoreApplication::translate("QFileDialog", "File &name:");
    const QString cancel = QCoreApplication::translate("QPlatformTheme", "Cancel");
    // Leave the application as the other tests expect it.
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
    EXPECT_NE(japanese, english);
    EXPECT_TRUE(japanese.contains(QStringLiteral("ファイル名"))) << japanese.toStdString();
    EXPECT_EQ(cancel, QStringLiteral("キャンセル"));
    // Other languages get their own texts or Qt's English ones.
    ui::installQtTranslations(*QCoreApplication::instance(), QLocale(QLocale::English));
    EXPECT_EQ(QCoreApplication::translate("QFileDialog", "File &name:"), english);
    for (QTranslator* translator : QCoreApplication::instance()->findChildren<QTranslator*>()) {
        QCoreApplication::removeTranslator(translator);
        delete translator;
    }
}

TEST(DesktopIntegration, EachDialogOpensWhereItWasLastUsedElseAtHome) {
    ensureApplication();
    test::TempDir dir;
    const QString store = QString::fromStdString((dir / "folders.ini").string());
    QDir().mkpath(QString::fromStdString((dir / "db").string()));
    QDir().mkpath(QString::fromStdString((dir / "out").string()));
    ui::RememberedFolders folders(store);
    const QString database = ui::rememberedDialogName(databaseRequest());
    FileDialogRequest save = databaseRequest();
    save.kind = FileDialogKind::Save;
    save.filters = {{"Microsoft Excel ブック", "*.xls"}};
    const QString workbook = ui::rememberedDialogName(save);
    EXPECT_NE(database, workbook);

    EXPECT_EQ(folders.folderFor(database), QDir::homePath());
    folders.remember(database, QString::fromStdString((dir / "db" / "sales.mdb").string()));
    folders.remember(workbook, QString::fromStdString((dir / "out" / "sales.xls").string()));
    // Another start of the program reads the same store.
    const ui::RememberedFolders later(store);
    EXPECT_EQ(later.folderFor(database), QString::fromStdString((dir / "db").string()));
    EXPECT_EQ(later.folderFor(workbook), QString::fromStdString((dir / "out").string()));
    // A folder that has gone since is passed over for the home folder.
    QDir(QString::fromStdString((dir / "out").string())).removeRecursively();
    EXPECT_EQ(later.folderFor(workbook), QDir::homePath());

    // The dialog opens there unless the caller names a folder itself.
    QFileDialog dialog;
    ui::configureFileDialog(dialog, databaseRequest(), later.folderFor(database));
    EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString((dir / "db").string()));
    FileDialogRequest named = databaseRequest();
    named.initialFolder = dir.path().string();
    ui::configureFileDialog(dialog, named, later.folderFor(database));
    EXPECT_EQ(dialog.directory().absolutePath(), QString::fromStdString(dir.path().string()));
}

TEST(DesktopIntegration, EnterPressesTheFocusedCommandButton) {
    ensureApplication();
    QWidget window;
    QPushButton* button = ui::addButton(&window, "cmdTest", "開始", {0, 0, 1200, 340});
    int clicks = 0;
    QObject::connect(button, &QPushButton::clicked, [&] { ++clicks; });
    window.show();
    button->setFocus();
    QTest::keyClick(button, Qt::Key_Return);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 1; }, 2000));
    QTest::keyClick(button, Qt::Key_Enter, Qt::KeypadModifier);
    EXPECT_TRUE(QTest::qWaitFor([&] { return clicks == 2; }, 2000)) << clicks;
    // Enter with a modifier is someone else's shortcut.
    QTest::keyClick(button, Qt::Key_Return, Qt::ControlModifier);
    QTest::qWait(300);
    EXPECT_EQ(clicks, 2);
}

TEST(DesktopIntegration, ALongTableNameIsCutWithAnEllipsisNotScrolled) {
    ensureApplication();
    QWidget window;
    QListWidget* list = ui::addMultiSelectList(&window, "lstTest", {0, 0, 3000, 2000});
    const QString name = QStringLiteral("とても長いテーブル名").repeated(12);
    list->addItem(name);
    window.show();
    QApplication::processEvents();
    const QRect entry = list->visualItemRect(list->item(0));
    EXPECT_LE(entry.width(), list->viewport()->width());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
    EXPECT_EQ(list->item(0)->text(), name);
    // Enough tables for a vertical scroll bar narrow the list's inside: the
    // long name still ends within it.
    for (int i = 0; i < 40; ++i) list->addItem(QStringLiteral("T%1").arg(i));
    QApplication::processEvents();
    ASSERT_TRUE(list->verticalScrollBar()->isVisible());
    EXPECT_LE(list->visualItemRect(list->item(0)).width(), list->viewport()->width());
    EXPECT_FALSE(list->horizontalScrollBar()->isVisible());
}

TEST(DesktopIntegration, PathsInMessagesBreakOnlyAfterASlash) {
    const QString zwsp(QChar(0x200B));
    const QString joiner(QChar(0x2060));
    // Quoted, bare after a space, at the start: each is a path up to its end.
    const QString quoted = QStringLiteral("データベース '/db/販売.mdb' を開けません");
    const QString marked = ui::withPathLineBreaks(quoted);
    EXPECT_EQ(marked, QStringLiteral("データベース '/") + zwsp + QStringLiteral("d") + joiner +
                          QStringLiteral("b") + joiner + QStringLiteral("/") + zwsp + QStringLiteral("販") +
                          joiner + QStringLiteral("売") + joiner + QStringLiteral(".") + joiner +
                          QStringLiteral("m") + joiner + QStringLiteral("d") + joiner +
                          QStringLiteral("b' を開けません"));
    EXPECT_EQ(ui::withoutPathLineBreaks(marked), quoted);
    EXPECT_TRUE(ui::withPathLineBreaks(QStringLiteral("/a/b c")).endsWith(QStringLiteral("b c")));
    EXPECT_EQ(ui::withoutPathLineBreaks(ui::withPathLineBreaks(QStringLiteral("x 「/a b/c」"))),
              QStringLiteral("x 「/a b/c」"));
    // A slash inside a word is no path.
    EXPECT_EQ(ui::withPathLineBreaks(QStringLiteral("Yes/No型 と 日付/時刻型")),
              QStringLiteral("Yes/No型 と 日付/時刻型"));
}

TEST(DesktopIntegration, AnEmptyTableListShowsItHasTheFocus) {
    ensureApplication();
    QWidget window;
    QLineEdit* before = new QLineEdit(&window);
    QListWidget* list = ui::addMultiSelectList(&window, "lstTest", {0, 600, 3000, 2000});
    window.show();
    window.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&window));
    before->setFocus();
    QApplication::processEvents();
    const QImage unfocused = list->viewport()->grab().toImage();
    QTest::keyClick(before, Qt::Key_Tab);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->hasFocus(); }, 2000));
    EXPECT_NE(list->viewport()->grab().toImage(), unfocused);
    before->setFocus();
    QApplication::processEvents();
    EXPECT_EQ(list->viewport()->grab().toImage(), unfocused);
}
