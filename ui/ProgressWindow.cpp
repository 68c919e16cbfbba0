#include "ui/ProgressWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QProgressBar>
#include <QWindow>

#include "app/ErrorBox.h"
#include "ui/FormControls.h"
#include "ui/QtText.h"

namespace speclore::ui {

namespace {

// Lets the window system's paint and exposure events through while the run
// holds the thread; keyboard and mouse input stays queued until it returns.
void deliverPaintEvents() {
    QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

}  // namespace

FProcess::FProcess() : QWidget(nullptr) {
    setObjectName(QStringLiteral("fProcess"));
    setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Morvane　出力処理"));
    fixClientSizeInTwips(this, 5055, 1575);

    lblProc = addLabel(this, "lblProc", "テーブル仕様書を出力しています．．．",
                       {360, 270, 4305, 180}, Qt::AlignHCenter);
    lblテーブル名 = addLabel(this, "lblテーブル名", "00000000000000000000",
                             {180, 720, 3555, 180}, Qt::AlignLeft);
    lblテーブル数 =
        addLabel(this, "lblテーブル数", "( 999 / 999 )", {3825, 720, 1035, 180}, Qt::AlignRight);
    PB = new QProgressBar(this);
    PB->setObjectName(QStringLiteral("PB"));
    PB->setRange(0, 100);
    PB->setValue(0);
    PB->setTextVisible(false);
    placeInTwips(PB, {135, 1035, 4785, 240});
}

void FProcess::Form_Load() {
    trap(ProcTag::common("fProcess-Form_Load"), [this] {
        lblテーブル名->setText(QString());
        lblテーブル数->setText(QString());
        centreOnScreen(this);
        show();
    });
}

void FProcess::Load() {
    Form_Load();
    deliverPaintEvents();
}

void FProcess::SetPhaseText(const std::string& text) { lblProc->setText(qs(text)); }
void FProcess::SetItemName(const std::string& text) { lblテーブル名->setText(qs(text)); }
void FProcess::SetCounterText(const std::string& text) { lblテーブル数->setText(qs(text)); }

void FProcess::SetMax(int32_t max) { PB->setMaximum(max); }

void FProcess::SetValue(int32_t value) { PB->setValue(value); }

void FProcess::Refresh() {
    repaint();
    deliverPaintEvents();
}

void FProcess::Unload() {
    unloading_ = true;
    close();
    unloading_ = false;
}

void FProcess::closeEvent(QCloseEvent* event) {
    if (unloading_) {
        event->accept();
    } else {
        event->ignore();
    }
}

}  // namespace speclore::ui
