// The windowed program's entry: the Qt application, the start-up steps, and
// the event loop while a window is open.
#pragma once

#include <functional>

namespace speclore {

// Returns the process exit status. `loadMainWindow` loads and shows fMain.
// `unloadWindows`, when given, runs once the program is done and before the
// Qt application goes: the place to destroy windows that the caller owns,
// since no widget may outlive the application.
int runDesktopProgram(int argc, char** argv, const std::function<void()>& loadMainWindow,
                      const std::function<void()>& unloadWindows = {});

}  // namespace speclore
