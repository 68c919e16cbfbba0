// Takes the README's pictures of the three windows from a real X display
// (run it under xvfb-run): the main window folded and unfolded with a
// database loaded, the item names dialog, and the progress window during a
// run of a large database. Message boxes go to standard error.
//
//   speclore-screenshots <output folder> <database> <large database>
#include <QApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPixmap>
#include <QPushButton>
#include <QScreen>
#include <QThread>
#include <QTimer>
#include <QWindow>
#include <cstdio>
#include <deque>
#include <filesystem>
#include <string>

#include "app/AppGlobals.h"
#include "app/FileDialogs.h"
#include "jet/JetEngine.h"
#include "ui/MainWindow.h"
#include "xls/XlsApplication.h"
#include "xlsx/XlsxApplication.h"

namespace {

using namespace speclore;

// Answers the file dialogs with the paths queued in advance.
struct ScriptedDialogs : FileDialogService {
    std::deque<std::string> answers;
    std::string show(const FileDialogRequest&) override {
        std::string answer = answers.empty() ? std::string() : answers.front();
        if (!answers.empty()) answers.pop_front();
        return answer;
    }
};

// Until the window manager has shown the window and given it the focus (a
// window it has not raised yet leaves whatever lay beneath in the picture),
// or two seconds have passed: the progress window may never get the focus.
void settle(QWidget* window) {
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 2000 &&
           !(window->windowHandle() && window->windowHandle()->isExposed() && window->isActiveWindow())) {
        QApplication::processEvents();
        QThread::msleep(20);
    }
    for (int i = 0; i < 20; ++i) QApplication::processEvents();
}

// What the screen shows where the window is, title bar excluded.
bool saveScreenArea(QWidget* window, const std::filesystem::path& file) {
    settle(window);
    QRect area(window->mapToGlobal(QPoint(0, 0)), window->size());
    QPixmap shot = window->screen()->grabWindow(0, area.x(), area.y(), area.width(), area.height());
    bool saved = shot.save(QString::fromStdString(file.string()), "PNG");
    std::fprintf(stderr, "%s %s\n", saved ? "wrote" : "could not write", file.c_str());
    return saved;
}

QWidget* topLevel(const char* name) {
    for (QWidget* w : QApplication::topLevelWidgets()) {
        if (w->objectName() == QLatin1String(name) && w->isVisible()) return w;
    }
    return nullptr;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s <output folder> <database> <large database>\n", argv[0]);
        return 2;
    }
    QApplication app(argc, argv);
    const std::filesystem::path out = std::filesystem::absolute(argv[1]);
    // The databases are copied to a neutral folder, whose path the pictures show.
    const std::filesystem::path work = std::filesystem::temp_directory_path() / "speclore-screenshots";
    std::filesystem::create_directories(work);
    std::filesystem::create_directories(out);
    auto copyIn = [&work](const char* source) {
        std::filesystem::path target = work / std::filesystem::path(source).filename();
        std::filesystem::copy_file(source, target, std::filesystem::copy_options::overwrite_existing);
        return target.string();
    };
    const std::string database = copyIn(argv[2]);
    const std::string largeDatabase = copyIn(argv[3]);

    AppGlobals& globals = appGlobals();
    globals.programFolder = QCoreApplication::applicationDirPath().toStdString();
    globals.iniPath = (work / "Speclore.ini").string();
    std::filesystem::copy_file(globals.programFolder + "/Speclore.ini", globals.iniPath,
                               std::filesystem::copy_options::overwrite_existing);

    jet::JetDbEngineFactory databases(globals.programFolder);
    xls::XlsApplicationFactory xlsWorkbooks;
    xlsx::XlsxApplicationFactory xlsxWorkbooks;
    ScriptedDialogs dialogs;
    installFileDialogService(&dialogs);

    ui::FMain window(ui::MainWindowEngines{databases, {xlsWorkbooks, xlsxWorkbooks}});
    window.Form_Load();
    dialogs.answers = {database};
    window.findChild<QPushButton*>("cmd処理ファイル参照")->click();
    bool ok = saveScreenArea(&window, out / "main-window-folded.png");
    window.findChild<QPushButton*>("cmd詳細設定")->click();
    ok &= saveScreenArea(&window, out / "main-window-unfolded.png");

    window.findChild<QPushButton*>("cmd項目名称設定")->click();
    if (QWidget* itemNames = topLevel("fItemName")) {
        ok &= saveScreenArea(itemNames, out / "item-names-dialog.png");
        itemNames->close();
    }

    // The run holds the thread; the timer fires while the progress window
    // lets its paint events through, some way into the table phase.
    dialogs.answers = {largeDatabase, (work / "big.xls").string()};
    window.findChild<QPushButton*>("cmd処理ファイル参照")->click();
    bool progressTaken = false;
    QTimer timer;
    timer.setInterval(500);
    QObject::connect(&timer, &QTimer::timeout, [&] {
        QWidget* progress = topLevel("fProcess");
        if (progressTaken || !progress) return;
        if (progress->findChild<QLabel*>("lblテーブル名")->text().isEmpty()) return;
        progressTaken = saveScreenArea(progress, out / "progress-window.png");
    });
    timer.start();
    window.findChild<QPushButton*>("cmd処理開始")->click();
    timer.stop();
    ok &= progressTaken;

    installFileDialogService(nullptr);
    return ok ? 0 : 1;
}
