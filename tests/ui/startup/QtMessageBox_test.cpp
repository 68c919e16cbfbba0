#include <gtest/gtest.h>

#include <QAbstractButton>
#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <functional>

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
