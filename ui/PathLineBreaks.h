// Paths in message text, laid out to wrap only after a "/": a long path
// otherwise breaks wherever the line ends, in the middle of a folder name
// written in Japanese (which may break between any two characters).
#pragma once

#include <QString>

namespace speclore::ui {

// The text with invisible marks in each path: a word joiner between the
// characters of a folder or file name, a zero-width space after each "/".
// A path starts with "/" at the start of the text, after white space or
// after an opening quote; it ends at white space or at the quote that
// opened it. A single name too long for a line still breaks where it must.
QString withPathLineBreaks(const QString& text);

// The text as it was, for copying.
QString withoutPathLineBreaks(const QString& text);

}  // namespace speclore::ui
