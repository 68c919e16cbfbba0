#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QClipboard>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QTextLayout>
#include <QTimer>
#include <QtTest/QTest>

#include <functional>

#include "ui/PathLineBreaks.h"
#include "ui/QtMessageBox.h"

using namespace speclore;

namespace {

int argc = 1;
char programName[] = "tests_ui_startup";
char* argv[] = {programName, nullptr};

// Shows a box through the service and lets `answer` act on it once it is up.
MsgBoxAnswer showAndAnswer(const std::string& text, int style, std::function<void(QMessageBox&)> answer) {
    QTimer::singleShot(0, [answer] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        answer(*box);
    });
    return QtMessageBoxService().show(text, style);
}

}  // namespace

TEST(QtMessageBox, TitleIconTextAndButtonsFollowTheStyle) {
    QApplication application(argc, argv);

    EXPECT_EQ(showAndAnswer("ｴﾗｰNo. 6  【mMain-Main】\r\n\r\n<b>not markup</b>", 16,
                            [](QMessageBox& box) {
                                EXPECT_EQ(box.windowTitle(), QStringLiteral("Morvane"));
                                EXPECT_EQ(box.icon(), QMessageBox::Critical);
                                EXPECT_EQ(box.text(),
                                          QStringLiteral("ｴﾗｰNo. 6  【mMain-Main】\n\n<b>not markup</b>"));
                                EXPECT_EQ(box.textFormat(), Qt::PlainText);
                                EXPECT_EQ(box.buttons().size(), 1);
                                box.buttons().front()->click();
                            }),
              MsgBoxAnswer::Ok);

    EXPECT_EQ(showAndAnswer("?", 48,
                            [](QMessageBox& box) {
                                EXPECT_EQ(box.icon(), QMessageBox::Warning);
                                box.buttons().front()->click();
                            }),
              MsgBoxAnswer::Ok);

    // Yes is preselected: accepting the default answers Yes.
    EXPECT_EQ(showAndAnswer("?", 36,
                            [](QMessageBox& box) {
                                EXPECT_EQ(box.icon(), QMessageBox::Question);
                                EXPECT_EQ(box.buttons().size(), 2);
                                box.defaultButton()->click();
                            }),
              MsgBoxAnswer::Yes);
    EXPECT_EQ(showAndAnswer("?", 36,
                            [](QMessageBox& box) {
                                for (QAbstractButton* button : box.buttons()) {
                                    if (box.buttonRole(button) == QMessageBox::NoRole) button->click();
                                }
                            }),
              MsgBoxAnswer::No);
    EXPECT_EQ(showAndAnswer("?", 36, [](QMessageBox& box) { box.reject(); }), MsgBoxAnswer::No);
}

TEST(QtMessageBox, ALongPathWrapsOnlyAfterASlashAndCopiesAsGiven) {
    QApplication application(argc, argv);
    const QString path = QStringLiteral(
        "/home/tanaka/ドキュメント/業務/データベース/2024年度/販売管理システム/テーブル仕様書テンプレート/"
        "Template.xls");
    const QString text =
        QStringLiteral("ファイル '") + path + QStringLiteral("' を開けません: 許可がありません");
    QStringList lines;
    QString copied;
    showAndAnswer(text.toStdString(), 16, [&](QMessageBox& box) {
        auto* label = box.findChild<QLabel*>(QStringLiteral("qt_msgbox_label"));
        ASSERT_NE(label, nullptr);
        ASSERT_TRUE(label->wordWrap());
        // The lines the label's own width gives its text.
        QTextLayout layout(label->text(), label->font());
        QTextOption option;
        option.setWrapMode(QTextOption::WrapAtWordBoundaryOrAnywhere);
        layout.setTextOption(option);
        layout.beginLayout();
        for (QTextLine line = layout.createLine(); line.isValid(); line = layout.createLine()) {
            line.setLineWidth(label->contentsRect().width());
            lines << label->text().mid(line.textStart(), line.textLength());
        }
        layout.endLayout();
        QTest::keyClick(&box, Qt::Key_C, Qt::ControlModifier);
        copied = QGuiApplication::clipboard()->text();
        box.buttons().front()->click();
    });
    ASSERT_GE(lines.size(), 3) << "the path is long enough to wrap";
    QString shownSoFar;
    for (qsizetype i = 0; i + 1 < lines.size(); ++i) {
        shownSoFar += ui::withoutPathLineBreaks(lines[i]);
        const bool endsInsidePath =
            shownSoFar.contains(QStringLiteral("'/")) && !shownSoFar.contains(path + QStringLiteral("'"));
        if (endsInsidePath) {
            EXPECT_TRUE(shownSoFar.endsWith(QChar('/'))) << lines[i].toStdString();
        }
    }
    EXPECT_EQ(copied, text);
}
