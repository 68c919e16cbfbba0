// The windowed program's entry: the Qt application, the start-up steps, and
// the event loop while a window is open.
#pragma once

#include <functional>

namespace speclore {

// Returns the process exit status. `loadMainWindow` loads and shows fMain.
int runDesktopProgram(int argc, char** argv, const std::function<void()>& loadMainWindow);

}  // namespace speclore
