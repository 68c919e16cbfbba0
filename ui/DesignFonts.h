// The two fonts the windows were designed with, requested by name. Where
// they are not installed, Qt's family substitution maps each to an installed
// Japanese font of the same kind (fixed pitch for the text boxes,
// proportional for the labels).
#pragma once

#include <QFont>

namespace speclore::ui {

// "ＭＳ ゴシック" 9.75 pt: text boxes and lists.
QFont gothicFont();
// "ＭＳ Ｐゴシック" 9.75 pt: labels, buttons and frames.
QFont pGothicFont();

}  // namespace speclore::ui
