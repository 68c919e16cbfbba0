// Program-wide values that start-up sets once, before the main window loads.
#pragma once

#include <cstdint>
#include <string>

namespace speclore {

struct AppGlobals {
    // The folder of the executable, without a trailing "/".
    std::string programFolder;
    // The settings file beside the executable: folder "/" base name ".ini".
    std::string iniPath;
    // Twips per pixel of the screen, from its logical vertical resolution.
    int32_t twipsPerPixel = 15;
    // Title-bar height and top-plus-bottom dialog frame, in twips.
    int32_t captionHeight = 0;
    int32_t frameHeight = 0;
};

AppGlobals& appGlobals();

}  // namespace speclore
