// Windows whose design has no minimise button. Some window managers draw one
// anyway, whatever the window's hints say (openbox keeps minimise and close
// on every titled window); such a window has no task-bar entry, so once
// minimised the user could not find it again, while the main window waits
// for it. It comes straight back instead.
#pragma once

class QWidget;

namespace speclore::ui {

// Restores `window` whenever it is minimised, unless `owner` (if given) is
// minimised too: a dialog goes down together with its main window.
void keepUnminimised(QWidget* window, QWidget* owner = nullptr);

}  // namespace speclore::ui
