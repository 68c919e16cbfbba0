#include "ui/QtMessageBox.h"

#include <QApplication>
#include <QClipboard>
#include <QKeyEvent>
#include <QMessageBox>
#include <QPushButton>

#include "ui/PathLineBreaks.h"

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

// Shows the message with its paths marked to wrap after a "/" only; Ctrl+C
// copies the message as it was given (Qt's boxes copy nothing here).
class MessageBoxWithPaths : public QMessageBox {
public:
    MessageBoxWithPaths(QWidget* parent, const QString& message) : QMessageBox(parent), message_(message) {
        // Plain text: paths and names in messages may hold "<" and "&".
        setTextFormat(Qt::PlainText);
        setText(ui::withPathLineBreaks(message));
    }

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if (event == QKeySequence::Copy) {
            QGuiApplication::clipboard()->setText(message_);
            return;
        }
        QMessageBox::keyPressEvent(event);
    }

private:
    QString message_;
};

}  // namespace

MsgBoxAnswer QtMessageBoxService::show(const std::string& text, int style) {
    MessageBoxWithPaths box(
        QApplication::activeWindow(),
        QString::fromUtf8(text.data(), static_cast<qsizetype>(text.size())).remove(QChar('\r')));
    box.setWindowTitle(QString::fromUtf8(kApplicationTitle));
    box.setIcon(iconFor(style));
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
