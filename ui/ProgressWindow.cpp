#include "ui/ProgressWindow.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QFontMetrics>
#include <QLabel>
#include <QProgressBar>
#include <QWindow>
#include <algorithm>

#include "app/ErrorBox.h"
#include "ui/FormControls.h"
#include "ui/KeepUnminimised.h"
#include "ui/QtText.h"

namespace speclore::ui {

namespace {

constexpr int kLabelGap = 4;

// Lets the window system's paint and exposure events through while the run
// holds the thread; keyboard and mouse input stays queued until it returns.
void deliverPaintEvents() { QCoreApplication::processEvents(QEventLoop::ExcludeUserInputEvents); }

}  // namespace

FProcess::FProcess() : QWidget(nullptr) {
    setObjectName(QStringLiteral("fProcess"));
    setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint);
    setWindowTitle(QStringLiteral("Morvane　出力処理"));
    fixClientSizeInTwips(this, 5055, 1575);
    keepUnminimised(this);

    lblProc = addLabel(this, "lblProc", "テーブル仕様書を出力しています．．．", {360, 270, 4305, 180},
                       Qt::AlignHCenter);
    lblテーブル名 =
        addLabel(this, "lblテーブル名", "00000000000000000000", {180, 720, 3555, 180}, Qt::AlignLeft);
    lblテーブル数 = addLabel(this, "lblテーブル数", "( 999 / 999 )", {3825, 720, 1035, 180}, Qt::AlignRight);
    counterDesignRect_ = lblテーブル数->geometry();
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

void FProcess::SetPhaseText(const std::string& text) { lblProc->setText(toQString(text)); }
void FProcess::SetItemName(const std::string& text) {
    // A long name ends in an ellipsis short of the counter instead of
    // running under it.
    int room = std::min(lblテーブル名->width(), lblテーブル数->x() - lblテーブル名->x() - kLabelGap);
    lblテーブル名->setText(lblテーブル名->fontMetrics().elidedText(toQString(text), Qt::ElideRight, room));
}

void FProcess::SetCounterText(const std::string& text) {
    // The counter keeps its right edge and widens to the left when the
    // font's digits need more room than the design gave "( 999 / 999 )".
    QString counter = toQString(text);
    QRect design = counterDesignRect_;
    int width = std::max(design.width(), lblテーブル数->fontMetrics().horizontalAdvance(counter) + kLabelGap);
    lblテーブル数->setGeometry(design.right() + 1 - width, design.y(), width, design.height());
    lblテーブル数->setText(counter);
}

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
