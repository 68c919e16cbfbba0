// The program keeps its text as UTF-8 std::string; Qt wants QString.
#pragma once

#include <QString>
#include <string>

namespace speclore::ui {

inline QString toQString(const std::string& text) { return QString::fromStdString(text); }
inline std::string toUtf8String(const QString& text) { return text.toStdString(); }

}  // namespace speclore::ui
