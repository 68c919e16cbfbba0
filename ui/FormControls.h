// Builders for the controls of the three windows: each control gets its
// design name as objectName, its rectangle in twips, and its design font.
#pragma once

#include <QString>
#include <Qt>
#include <cstdint>
#include <string>

#include "ui/Twips.h"

class QFrame;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QPushButton;
class QWidget;

namespace speclore::ui {

// A label with its text at the top, aligned as given.
QLabel* addLabel(QWidget* parent, const QString& name, const QString& caption, const TwipsRect& rect,
                 Qt::Alignment horizontal);

struct TextBoxOptions {
    int maxLength = 0;  // 0: no limit beyond Qt's own
    bool masked = false;
    bool readOnly = false;
};
QLineEdit* addTextBox(QWidget* parent, const QString& name, const TwipsRect& rect,
                      const TextBoxOptions& options = {});

QPushButton* addButton(QWidget* parent, const QString& name, const QString& caption, const TwipsRect& rect);

QListWidget* addMultiSelectList(QWidget* parent, const QString& name, const TwipsRect& rect);

QGroupBox* addFrame(QWidget* parent, const QString& name, const QString& caption, const TwipsRect& rect);

// A horizontal line, one pixel high, in the button-shadow colour.
QFrame* addHorizontalLine(QWidget* parent, const QString& name, int32_t left, int32_t top, int32_t right);
// The line's vertical position in twips, as it was designed.
int32_t lineTopInTwips(const QFrame* line);

// Path boxes show a shortened path and keep the full one in their tag.
void setPathBox(QLineEdit* box, const std::string& fullPath);
void clearPathBox(QLineEdit* box);
std::string pathBoxTag(const QLineEdit* box);

}  // namespace speclore::ui
