// fMain's remembered values (section "INITIAL") and the fold of its
// advanced area.
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

#include "app/AppError.h"
#include "app/AppGlobals.h"
#include "app/ErrorBox.h"
#include "frontend/InitialSettings.h"
#include "ui/FormControls.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/Twips.h"

#ifndef SPECLORE_VERSION_MAJOR
#error "the build passes the program version"
#endif

namespace speclore::ui {

namespace {

int32_t addTwips(int32_t a, int32_t b) {
    int32_t sum = 0;
    if (__builtin_add_overflow(a, b, &sum)) throw AppError(err::Overflow);
    return sum;
}

}  // namespace

QString mainWindowCaption(int major, int minor, int revision) {
    return QStringLiteral("Morvane Ver%1.%2%3").arg(major).arg(minor).arg(revision);
}

void FMain::Form_Load() {
    frontend::InitialSettings initial;
    trap(ProcTag::common("fMain-Form_Load"), [this, &initial] {
        setWindowTitle(
            mainWindowCaption(SPECLORE_VERSION_MAJOR, SPECLORE_VERSION_MINOR, SPECLORE_VERSION_REVISION));
        initial = frontend::loadInitialSettings(appGlobals().iniPath);
    });
    // When the values could not be restored the error box has said so; the
    // window still comes up empty, or the program would run on with no
    // window at all.
    AdvancedOpen = initial.advancedOpen;
    txtDBパスワード->setText(toQString(initial.databasePassword));
    setPathBox(txtMDWファイル, initial.workgroupPath);
    txtアカウント名->setText(toQString(initial.accountName));
    txtパスワード->setText(toQString(initial.accountPassword));
    txtテーブルタイトル->setText(toQString(initial.tableTitle));
    txtリレーションタイトル->setText(toQString(initial.relationTitle));
    SetEnabled();
    centreOnScreen(this);
    show();
}

void FMain::Form_Unload() {
    trap(ProcTag::common("fMain-Form_Unload"), [this] {
        frontend::InitialSettings initial;
        initial.advancedOpen = AdvancedOpen;
        initial.databasePassword = toUtf8String(txtDBパスワード->text());
        initial.workgroupPath = pathBoxTag(txtMDWファイル);
        initial.accountName = toUtf8String(txtアカウント名->text());
        initial.accountPassword = toUtf8String(txtパスワード->text());
        initial.tableTitle = toUtf8String(txtテーブルタイトル->text());
        initial.relationTitle = toUtf8String(txtリレーションタイトル->text());
        frontend::saveInitialSettings(appGlobals().iniPath, initial);
    });
}

void FMain::SetEnabled() {
    trap(ProcTag::common("fMain-SetEnabled"), [this] {
        QFrame* line = nullptr;
        if (AdvancedOpen) {
            cmd詳細設定->setText(QStringLiteral("詳細設定 <<"));
            line = Line02;
        } else {
            cmd詳細設定->setText(QStringLiteral("詳細設定 >>"));
            line = Line01;
        }
        const AppGlobals& globals = appGlobals();
        int32_t outerHeight =
            addTwips(addTwips(lineTopInTwips(line), globals.captionHeight), globals.frameHeight);
        // Qt sizes the client area and leaves title bar and frame to the
        // window manager: what remains of the outer height once they are
        // taken off. setFixedHeight keeps the width and the top edge.
        int32_t clientHeight = outerHeight - globals.captionHeight - globals.frameHeight;
        setFixedHeight(twipsToPixels(clientHeight));
    });
}

void FMain::cmd詳細設定_Click() {
    trap(ProcTag::common("fMain-cmd詳細設定_Click"), [this] {
        AdvancedOpen = !AdvancedOpen;
        SetEnabled();
    });
}

void FMain::closeEvent(QCloseEvent* event) {
    // A run or the item names dialog holds the window: it cannot be closed
    // then, as a disabled or busy window takes no close request.
    if (runInProgress_ || !isEnabled()) {
        event->ignore();
        return;
    }
    Form_Unload();
    event->accept();
}

}  // namespace speclore::ui
