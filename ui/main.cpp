// Speclore, the windowed program: start-up, then fMain until it closes.
#include <memory>

#include "app/AppGlobals.h"
#include "app/FileDialogs.h"
#include "jet/JetEngine.h"
#include "ui/DesktopStartup.h"
#include "ui/MainWindow.h"
#include "ui/QtFileDialogService.h"
#include "xls/XlsApplication.h"
#include "xlsx/XlsxApplication.h"

int main(int argc, char** argv) {
    using namespace speclore;
    std::unique_ptr<jet::JetDbEngineFactory> databases;
    std::unique_ptr<xls::XlsApplicationFactory> xlsWorkbooks;
    std::unique_ptr<xlsx::XlsxApplicationFactory> xlsxWorkbooks;
    std::unique_ptr<ui::QtFileDialogService> dialogs;
    std::unique_ptr<ui::FMain> mainWindow;
    return runDesktopProgram(
        argc, argv,
        [&] {
            databases = std::make_unique<jet::JetDbEngineFactory>(appGlobals().programFolder);
            xlsWorkbooks = std::make_unique<xls::XlsApplicationFactory>();
            xlsxWorkbooks = std::make_unique<xlsx::XlsxApplicationFactory>();
            dialogs = std::make_unique<ui::QtFileDialogService>(
                ui::RememberedFolders(ui::RememberedFolders::defaultStorePath()));
            installFileDialogService(dialogs.get());
            mainWindow = std::make_unique<ui::FMain>(
                ui::MainWindowEngines{*databases, {*xlsWorkbooks, *xlsxWorkbooks}});
            mainWindow->Form_Load();
        },
        [&] {
            // Widgets may not outlive the application that runDesktopProgram owns.
            mainWindow.reset();
            installFileDialogService(nullptr);
        });
}
