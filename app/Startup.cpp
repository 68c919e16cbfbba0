#include "app/Startup.h"

#include <cmath>

#include "app/AppGlobals.h"
#include "app/ErrorBox.h"
#include "app/InstallLayout.h"
#include "app/MessageBox.h"

namespace speclore {

namespace {

int32_t checkedProduct(int32_t a, int32_t b) {
    int32_t product = 0;
    if (__builtin_mul_overflow(a, b, &product)) throw AppError(err::Overflow);
    return product;
}

std::string folderOf(const std::string& path) {
    size_t slash = path.rfind('/');
    return slash == std::string::npos ? std::string(".") : path.substr(0, slash);
}

}  // namespace

int32_t twipsPerPixelFor(int32_t dpi) {
    if (dpi == 0) throw AppError(err::DivisionByZero);
    if (dpi < 0) throw AppError(err::InvalidProcedureCall);
    // nearbyint rounds in the default mode, to nearest with ties to even.
    return static_cast<int32_t>(std::nearbyint(1440.0 / dpi));
}

std::string iniPathFor(const std::string& executablePath) {
    size_t slash = executablePath.rfind('/');
    std::string name = slash == std::string::npos ? executablePath : executablePath.substr(slash + 1);
    size_t dot = name.rfind('.');
    // A leading dot starts a hidden file's name, not an extension.
    if (dot != std::string::npos && dot > 0) name.erase(dot);
    return folderOf(executablePath) + "/" + name + ".ini";
}

std::string refusalMessage() {
    return std::string(
               "このアプリケーションを使用するには、 「Microsoft Excel」 "
               "をインストールする必要があります。") +
           "\r\n\r\n" + "「" + kApplicationTitle + "」 の起動を中止します。";
}

bool workbookEngineBuiltIn() { return true; }

StartupOutcome Main(const StartupHooks& hooks) {
    StartupOutcome outcome = StartupOutcome::Failed;
    trap(ProcTag::common("mMain-Main"), [&] {
        if (hooks.anotherInstanceRunning()) {
            outcome = StartupOutcome::AnotherInstance;
            return;
        }
        AppGlobals& globals = appGlobals();
        globals.twipsPerPixel = twipsPerPixelFor(hooks.screenDpiY());
        globals.captionHeight = checkedProduct(globals.twipsPerPixel, hooks.titleBarPixels());
        globals.frameHeight =
            checkedProduct(checkedProduct(2, hooks.dialogFramePixels()), globals.twipsPerPixel);
        hooks.setApplicationTitle(kApplicationTitle);
        const std::string executable = hooks.executablePath();
        globals.programFolder = folderOf(executable);
        globals.iniPath = settingsPathFor(executable, settingsEnvironmentFromProcess());
        if (!hooks.workbookEngineAvailable()) {
            MsgBox(refusalMessage(), vbExclamation);
            outcome = StartupOutcome::Refused;
            return;
        }
        hooks.loadMainWindow();
        outcome = StartupOutcome::MainWindowLoaded;
    });
    return outcome;
}

}  // namespace speclore
