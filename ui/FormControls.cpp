#include "ui/FormControls.h"

#include <QFrame>
#include <QGroupBox>
#include <QHelpEvent>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPainter>
#include <QPalette>
#include <QPushButton>
#include <QStyleOptionFocusRect>
#include <QStyledItemDelegate>
#include <QToolTip>
#include <algorithm>

#include "app/PathText.h"
#include "ui/DesignFonts.h"
#include "ui/QtText.h"

namespace speclore::ui {

namespace {

constexpr const char* kTagProperty = "tag";
constexpr const char* kLineTopProperty = "topInTwips";
// Paths are shown shortened to the width of the path boxes.
constexpr int16_t kPathBoxWidth = 44;

// A command button that Enter presses while it has the focus, as Space
// does: on the desktop the program comes from, Enter presses the focused
// button in any window, not only in dialogs.
class CommandButton : public QPushButton {
public:
    using QPushButton::QPushButton;

protected:
    void keyPressEvent(QKeyEvent* event) override {
        if ((event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter) && !event->isAutoRepeat() &&
            (event->modifiers() & ~Qt::KeypadModifier) == Qt::NoModifier) {
            animateClick();
            return;
        }
        QPushButton::keyPressEvent(event);
    }
};

// Entries no wider than the list, so that a long table name ends in "..."
// instead of giving the list a horizontal scroll bar; its tool tip shows it
// whole.
class FittingItemDelegate : public QStyledItemDelegate {
public:
    using QStyledItemDelegate::QStyledItemDelegate;

    QSize sizeHint(const QStyleOptionViewItem& option, const QModelIndex& index) const override {
        QSize size = QStyledItemDelegate::sizeHint(option, index);
        if (const auto* view = qobject_cast<const QAbstractItemView*>(parent())) {
            size.setWidth(std::min(size.width(), view->viewport()->width()));
        }
        return size;
    }

    bool helpEvent(QHelpEvent* event, QAbstractItemView* view, const QStyleOptionViewItem& option,
                   const QModelIndex& index) override {
        if (event->type() == QEvent::ToolTip) {
            const QString text = index.data(Qt::DisplayRole).toString();
            if (option.fontMetrics.horizontalAdvance(text) > option.rect.width()) {
                QToolTip::showText(event->globalPos(), text, view);
                return true;
            }
        }
        return QStyledItemDelegate::helpEvent(event, view, option, index);
    }
};

// A list that shows it has the focus even while it is empty, with the
// focus rectangle where its first entry would be, as an empty list box does
// on the desktop the program comes from; Qt draws focus only on an entry.
class FocusShowingList : public QListWidget {
public:
    using QListWidget::QListWidget;

protected:
    void paintEvent(QPaintEvent* event) override {
        QListWidget::paintEvent(event);
        if (count() > 0 || !hasFocus()) return;
        QPainter painter(viewport());
        QStyleOptionFocusRect option;
        option.initFrom(this);
        option.rect = QRect(0, 0, viewport()->width(), fontMetrics().height() + 2);
        option.backgroundColor = palette().color(QPalette::Base);
        style()->drawPrimitive(QStyle::PE_FrameFocusRect, &option, &painter, this);
    }
    void focusInEvent(QFocusEvent* event) override {
        QListWidget::focusInEvent(event);
        viewport()->update();
    }
    void focusOutEvent(QFocusEvent* event) override {
        QListWidget::focusOutEvent(event);
        viewport()->update();
    }
};

template <class W>
W* make(QWidget* parent, const QString& name, const TwipsRect& rect, const QFont& font) {
    auto* widget = new W(parent);
    widget->setObjectName(name);
    widget->setFont(font);
    placeInTwips(widget, rect);
    return widget;
}

}  // namespace

QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, const TwipsRect& rect,
                 Qt::Alignment horizontal) {
    auto* label = make<QLabel>(parent, name, rect, pGothicFont());
    label->setText(caption);
    label->setAlignment(horizontal | Qt::AlignTop);
    return label;
}

QLineEdit* addTextBox(QWidget* parent, const QString& name, const TwipsRect& rect,
                      const TextBoxOptions& options) {
    auto* box = make<QLineEdit>(parent, name, rect, gothicFont());
    if (options.maxLength > 0) box->setMaxLength(options.maxLength);
    if (options.masked) {
        box->setEchoMode(QLineEdit::Password);
        // Masked with "*"; the styles' own mask character is a bullet.
        box->setStyleSheet(QStringLiteral("lineedit-password-character: 42"));
    }
    box->setReadOnly(options.readOnly);
    box->setTextMargins(0, 0, 0, 0);
    return box;
}

QPushButton* addButton(QWidget* parent, const QString& name, const QString& caption, const TwipsRect& rect) {
    QPushButton* button = make<CommandButton>(parent, name, rect, pGothicFont());
    button->setText(caption);
    button->setAutoDefault(false);
    return button;
}

QListWidget* addMultiSelectList(QWidget* parent, const QString& name, const TwipsRect& rect) {
    QListWidget* list = make<FocusShowingList>(parent, name, rect, gothicFont());
    list->setSelectionMode(QAbstractItemView::MultiSelection);
    list->setSortingEnabled(false);
    list->setItemDelegate(new FittingItemDelegate(list));
    list->setTextElideMode(Qt::ElideRight);
    list->setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
    return list;
}

QGroupBox* addFrame(QWidget* parent, const QString& name, const QString& caption, const TwipsRect& rect) {
    auto* frame = make<QGroupBox>(parent, name, rect, pGothicFont());
    frame->setTitle(caption);
    return frame;
}

QFrame* addHorizontalLine(QWidget* parent, const QString& name, int32_t left, int32_t top, int32_t right) {
    auto* line = new QFrame(parent);
    line->setObjectName(name);
    line->setFrameShape(QFrame::NoFrame);
    line->setAutoFillBackground(true);
    QPalette palette = line->palette();
    palette.setColor(QPalette::Window, palette.color(QPalette::Dark));
    line->setPalette(palette);
    line->setProperty(kLineTopProperty, top);
    line->setGeometry(twipsToPixels(left), twipsToPixels(top), twipsToPixels(right) - twipsToPixels(left), 1);
    return line;
}

int32_t lineTopInTwips(const QFrame* line) { return line->property(kLineTopProperty).toInt(); }

void setPathBox(QLineEdit* box, const std::string& fullPath) {
    box->setText(toQString(CompactPathEx(fullPath, kPathBoxWidth)));
    box->setProperty(kTagProperty, toQString(fullPath));
}

void clearPathBox(QLineEdit* box) {
    box->clear();
    box->setProperty(kTagProperty, QString());
}

std::string pathBoxTag(const QLineEdit* box) { return toUtf8String(box->property(kTagProperty).toString()); }

}  // namespace speclore::ui
