// The program's start-up (module mMain, procedure Main), free of any window
// system: the platform answers through hooks, so that tests can drive every
// step and the windowed program supplies the real answers.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

namespace speclore {

struct StartupHooks {
    // Whether another instance of this executable already runs.
    std::function<bool()> anotherInstanceRunning;
    // The screen's logical vertical resolution, dots per inch.
    std::function<int32_t()> screenDpiY;
    // Title-bar height and dialog frame thickness, pixels.
    std::function<int32_t()> titleBarPixels;
    std::function<int32_t()> dialogFramePixels;
    // Makes the application title the title of the program's windows.
    std::function<void(const std::string&)> setApplicationTitle;
    // Full path of the running executable.
    std::function<std::string()> executablePath;
    // Whether the workbook engine that writes the specification is there.
    std::function<bool()> workbookEngineAvailable;
    // Loads and shows the main window.
    std::function<void()> loadMainWindow;
};

enum class StartupOutcome {
    AnotherInstance,   // left silently
    MainWindowLoaded,  // the program lives as long as its windows
    Refused,           // the refusal message was shown
    Failed,            // an error box "mMain-Main" was shown
};

// Runs the start-up steps in order, setting appGlobals() on the way.
StartupOutcome Main(const StartupHooks& hooks);

// Twips per pixel for a resolution: 1440 / dpi rounded half to even.
// dpi 0 is error 11 (division by zero); a negative one error 5.
int32_t twipsPerPixelFor(int32_t dpi);

// The settings file beside the executable: its folder, "/", its file name
// without the extension, ".ini".
std::string iniPathFor(const std::string& executablePath);

// What the refusal message says when the workbook engine is missing.
std::string refusalMessage();

// The workbook engine is compiled into the program, so it is always there;
// the hook exists so that the refusal can still be seen.
bool workbookEngineBuiltIn();

}  // namespace speclore
