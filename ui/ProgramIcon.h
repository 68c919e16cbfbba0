// The program's icon, the one the package installs for the menu, compiled
// into the program so that its windows show it in any layout, installed or
// portable.
#pragma once

#include <QIcon>

namespace speclore::ui {

// Every size the package ships, 16 to 256 pixels.
QIcon programIcon();

}  // namespace speclore::ui
