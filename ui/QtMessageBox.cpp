#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>

namespace speclore {

namespace {

QMessageBox::Icon iconFor(int style) {
    switch (style) {
    case vbCritical: return QMessageBox::Critical;
    case vbYesNoQuestion: return QMessageBox::Question;
    case vbExclamation: return QMessageBox::Warning;
    case vbInformation: return QMessageBox::Information;
    default: return QMessageBox::NoIcon;
    }
}

}  // namespace

MsgBoxAnswer QtMessageBoxService::show(const std::string& text, int style) {
    QMessageBox box(QApplication::activeWindow());
    box.setWindowTitle(QString::fromUtf8(kApplicationTitle));
    box.setIcon(iconFor(style));
    // Plain text: paths and names in messages may hold "<" and "&".
    box.setTextFormat(Qt::PlainText);
    box.setText(QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).remove(QChar('\r')));
    if (style == vbYesNoQuestion) {
        QPushButton* yes = box.addButton(QStringLiteral("はい(&Y)"), QMessageBox::YesRole);
        box.addButton(QStringLiteral("いいえ(&N)"), QMessageBox::NoRole);
        box.setDefaultButton(yes);
        box.exec();
        return box.clickedButton() == yes ? MsgBoxAnswer::Yes : MsgBoxAnswer::No;
    }
    box.addButton(QStringLiteral("OK"), QMessageBox::AcceptRole);
    box.exec();
    return MsgBoxAnswer::Ok;
}

}  // namespace speclore
