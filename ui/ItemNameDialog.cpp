#include "ui/ItemNameDialog.h"

#include <QCloseEvent>
#include <QGroupBox>
#include <QLineEdit>
#include <QPushButton>
#include <QScrollArea>
#include <QStyle>
#include <QVBoxLayout>
#include <QWindow>

#include "app/AppGlobals.h"
#include "app/ErrorBox.h"
#include "app/SettingsFile.h"
#include "catalog/ItemNames.h"
#include "ui/FormControls.h"
#include "ui/KeepUnminimised.h"
#include "ui/QtText.h"

namespace speclore::ui {

namespace {

constexpr int kTextLimit = 100;
constexpr int32_t kFirstRowTop = 240;
constexpr int32_t kRowPitch = 360;
// The width of one frame and the gap before it.
constexpr int32_t kQueryFrameShift = 4440;

// Adds the label and box of each key in [first, last) to the frame.
void addItemRows(QGroupBox* frame, std::size_t first, std::size_t last, std::vector<QLineEdit*>& boxes) {
    for (std::size_t i = first; i < last; ++i) {
        const catalog::ItemNameKey& item = catalog::kItemNameKeys[i];
        int32_t rowTop = kFirstRowTop + static_cast<int32_t>(i - first) * kRowPitch;
        addLabel(frame, QStringLiteral("lbl") + item.key, toQString(item.label),
                 {120, rowTop + 45, 1695, 255}, Qt::AlignRight);
        boxes.push_back(addTextBox(frame, item.key, {1920, rowTop, 2055, 300}, {kTextLimit}));
    }
}

}  // namespace

FItemName::FItemName(QWidget* mainWindow) : QWidget(nullptr), mainWindow_(mainWindow) {
    setObjectName(QStringLiteral("fItemName"));
    setAttribute(Qt::WA_DeleteOnClose);
    setWindowFlags(Qt::Tool | Qt::MSWindowsFixedSizeDialogHint | Qt::CustomizeWindowHint |
                   Qt::WindowTitleHint | Qt::WindowSystemMenuHint | Qt::WindowCloseButtonHint);
    setWindowTitle(QStringLiteral("Morvane　出力項目名称設定"));
    keepUnminimised(this, mainWindow);

    // The controls sit on a page of the designed size inside a scroll area,
    // so that on a screen too small for the dialog it shrinks and scrolls
    // instead of reaching past the screen's edges. The query frame stands
    // to the right of the two original ones, which keep their places; the
    // buttons keep theirs from the right edge.
    auto* page = new QWidget;
    page->setObjectName(QStringLiteral("pageItems"));
    fixClientSizeInTwips(page, 9135 + kQueryFrameShift, 10065);
    auto* scroll = new QScrollArea(this);
    scroll->setFrameShape(QFrame::NoFrame);
    scroll->setWidget(page);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(scroll);
    // A dialog cut short gets room for the scroll bar beside (or below) the
    // page, where the screen has it, so that it needs no bar the other way.
    const int bar = style()->pixelMetric(QStyle::PM_ScrollBarExtent);
    QSize designed = page->size();
    if (clientSizeOnScreen(this, designed).height() < designed.height()) designed.rwidth() += bar;
    if (clientSizeOnScreen(this, designed).width() < designed.width()) designed.rheight() += bar;
    setFixedSize(clientSizeOnScreen(this, designed));

    QGroupBox* tables = addFrame(page, "fraTable", "テーブル情報", {240, 120, 4215, 9375});
    QGroupBox* relations = addFrame(page, "fraRelation", "リレーション情報", {4680, 120, 4215, 9375});
    QGroupBox* queries = addFrame(page, "fraQuery", "クエリ情報", {4680 + kQueryFrameShift, 120, 4215, 9375});
    addItemRows(tables, 0, catalog::kTableItemCount, boxes_);
    addItemRows(relations, catalog::kTableItemCount, catalog::kRelationItemEnd, boxes_);
    addItemRows(queries, catalog::kRelationItemEnd, catalog::kItemCount, boxes_);
    cmdOK = addButton(page, "cmdOK", "OK", {5880 + kQueryFrameShift, 9600, 1410, 340});
    cmdCancel = addButton(page, "cmdCancel", "キャンセル", {7440 + kQueryFrameShift, 9600, 1410, 340});

    QWidget* previous = boxes_.front();
    for (QWidget* next : std::vector<QWidget*>(boxes_.begin() + 1, boxes_.end())) {
        setTabOrder(previous, next);
        previous = next;
    }
    setTabOrder(previous, cmdOK);
    setTabOrder(cmdOK, cmdCancel);

    connect(cmdOK, &QPushButton::clicked, this, [this] { cmdOK_Click(); });
    connect(cmdCancel, &QPushButton::clicked, this, [this] { cmdCancel_Click(); });
}

void FItemName::Form_Load() {
    trap(ProcTag::common("fItemName-Form_Load"), [this] {
        for (std::size_t i = 0; i < catalog::kItemCount; ++i) {
            const catalog::ItemNameKey& item = catalog::kItemNameKeys[i];
            boxes_[i]->setText(toQString(
                GetIniValue(appGlobals().iniPath, catalog::kItemNamesSection, item.key, item.whenMissing)));
        }
        stayAboveMainWindow();
        centreOnScreen(this);
        show();
        keepShownFrameOnScreen(this);
        boxes_.front()->setFocus();
    });
}

void FItemName::cmdOK_Click() {
    trap(ProcTag::common("fItemName-cmdOK_Click"), [this] {
        for (std::size_t i = 0; i < catalog::kItemCount; ++i) {
            SetIniValue(appGlobals().iniPath, catalog::kItemNamesSection, catalog::kItemNameKeys[i].key,
                        toUtf8String(boxes_[i]->text()));
        }
        close();
    });
}

void FItemName::cmdCancel_Click() {
    trap(ProcTag::common("fItemName-cmdCancel_Click"), [this] { close(); });
}

void FItemName::Form_Unload() {
    trap(ProcTag::common("fItemName-Form_Unload"), [this] {
        if (mainWindow_) mainWindow_->setEnabled(true);
    });
}

void FItemName::stayAboveMainWindow() {
    if (!mainWindow_) return;
    // Transient for the main window, the window manager keeps the dialog
    // above it; it is not its child, since disabling the main window would
    // disable a child window too.
    winId();
    mainWindow_->winId();
    windowHandle()->setTransientParent(mainWindow_->windowHandle());
    mainWindow_->installEventFilter(this);
}

bool FItemName::eventFilter(QObject* watched, QEvent* event) {
    // A click on the disabled main window may still activate it under some
    // window managers: the dialog comes back to the front.
    if (watched == mainWindow_ && event->type() == QEvent::WindowActivate && isVisible()) {
        raise();
        activateWindow();
    }
    return QWidget::eventFilter(watched, event);
}

void FItemName::closeEvent(QCloseEvent* event) {
    Form_Unload();
    event->accept();
}

}  // namespace speclore::ui
