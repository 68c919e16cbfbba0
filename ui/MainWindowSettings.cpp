// fMain's remembered values (section "INITIAL") and the fold of its
// advanced area.
#include <QCloseEvent>
#include <QLineEdit>
#include <QPushButton>

#include "app/AppError.h"
#include "app/AppGlobals.h"
#include "app/ErrorBox.h"
#include "app/PasswordCipher.h"
#include "app/SettingsFile.h"
#include "ui/BooleanText.h"
#include "ui/FormControls.h"
#include "ui/MainWindow.h"
#include "ui/QtText.h"
#include "ui/Twips.h"

#ifndef SPECLORE_VERSION_MAJOR
#error "the build passes the program version"
#endif

namespace speclore::ui {

namespace {

constexpr const char* kSection = "INITIAL";

std::string readInitial(const char* key) { return GetIniValue(appGlobals().iniPath, kSection, key); }

void writeInitial(const char* key, const std::string& value) {
    SetIniValue(appGlobals().iniPath, kSection, key, value);
}

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
    bool loaded = trap(ProcTag::common("fMain-Form_Load"), [this] {
        setWindowTitle(
            mainWindowCaption(SPECLORE_VERSION_MAJOR, SPECLORE_VERSION_MINOR, SPECLORE_VERSION_REVISION));
        std::string option = readInitial("OPTION");
        AdvancedOpen = textToBoolean(option.empty() ? "False" : option);
        txtDBパスワード->setText(qs(BFDecode(kPasswordKey, readInitial("DBPASSWORD"))));
        setPathBox(txtMDWファイル, readInitial("MDBFILE"));
        txtアカウント名->setText(qs(readInitial("ACCOUNT")));
        txtパスワード->setText(qs(BFDecode(kPasswordKey, readInitial("PASSWORD"))));
        txtテーブルタイトル->setText(qs(readInitial("TABLETITLE")));
        txtリレーションタイトル->setText(qs(readInitial("RELATIONTITLE")));
        SetEnabled();
        centreOnScreen(this);
        show();
    });
    if (!loaded) {
        // The error box has told what could not be restored; the window
        // still comes up, or the program would run on with no window at all.
        SetEnabled();
        centreOnScreen(this);
        show();
    }
}

void FMain::Form_Unload() {
    trap(ProcTag::common("fMain-Form_Unload"), [this] {
        writeInitial("OPTION", booleanToText(AdvancedOpen));
        writeInitial("DBPASSWORD", BFEncode(kPasswordKey, ss(txtDBパスワード->text())));
        writeInitial("MDBFILE", pathBoxTag(txtMDWファイル));
        writeInitial("ACCOUNT", ss(txtアカウント名->text()));
        writeInitial("PASSWORD", BFEncode(kPasswordKey, ss(txtパスワード->text())));
        writeInitial("TABLETITLE", ss(txtテーブルタイトル->text()));
        writeInitial("RELATIONTITLE", ss(txtリレーションタイトル->text()));
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
