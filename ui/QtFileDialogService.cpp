#include "ui/QtFileDialogService.h"

#include <QDir>
#include <QFileDialog>
#include <QFileInfo>
#include <QMessageBox>
#include <QStringList>

#include "ui/QtText.h"

namespace speclore::ui {

namespace {

// Qt's save dialog takes a name in a folder that does not exist; with the
// path-must-exist rule the dialog says so and stays open instead, as its
// open dialog does for a missing file.
class FolderCheckingFileDialog : public QFileDialog {
public:
    FolderCheckingFileDialog(QWidget* owner, bool pathMustExist)
        : QFileDialog(owner), pathMustExist_(pathMustExist) {}

    void accept() override {
        const QStringList chosen = selectedFiles();
        if (pathMustExist_ && !chosen.isEmpty()) {
            const QFileInfo info(chosen.front());
            if (!info.isDir() && !info.absoluteDir().exists()) {
                QMessageBox::warning(this, windowTitle(),
                                     tr("%1\nDirectory not found.\nPlease verify the "
                                        "correct directory name was given.")
                                         .arg(info.absolutePath()));
                return;
            }
        }
        QFileDialog::accept();
    }

private:
    bool pathMustExist_;
};

// The extension a name typed without one gets: that of the chosen filter
// when it names a single one ("*.xlsx"), else the request's default.
QString suffixFor(const FileDialogRequest& request, const QString& chosenFilter) {
    QString suffix = toQString(request.defaultExtension);
    if (suffix.startsWith(u'.')) suffix.remove(0, 1);
    for (const FileFilter& filter : request.filters) {
        if (qtNameFilter(filter) != chosenFilter) continue;
        const QString pattern = toQString(filter.patterns).trimmed();
        const bool single = pattern.startsWith(QStringLiteral("*.")) && !pattern.contains(u';') &&
                            !pattern.mid(2).contains(u'*') && !pattern.mid(2).contains(u'?');
        if (single) suffix = pattern.mid(2);
        break;
    }
    return suffix;
}

}  // namespace

QString qtNameFilter(const FileFilter& filter) {
    QStringList patterns;
    for (const QString& pattern : toQString(filter.patterns).split(u';', Qt::SkipEmptyParts)) {
        QString trimmed = pattern.trimmed();
        patterns << (trimmed == QStringLiteral("*.*") ? QStringLiteral("*") : trimmed);
    }
    return toQString(filter.description) + QStringLiteral(" (") + patterns.join(u' ') + QStringLiteral(")");
}

void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                         const QString& folderWhenNoneGiven) {
    const bool open = request.kind == FileDialogKind::Open;
    dialog.setOption(QFileDialog::DontUseNativeDialog);
    // The descriptions carry their own pattern text; Qt's copy stays hidden.
    dialog.setOption(QFileDialog::HideNameFilterDetails);
    dialog.setOption(QFileDialog::DontConfirmOverwrite, !request.overwritePrompt);
    dialog.setAcceptMode(open ? QFileDialog::AcceptOpen : QFileDialog::AcceptSave);
    dialog.setFileMode(request.fileMustExist ? QFileDialog::ExistingFile : QFileDialog::AnyFile);
    dialog.setWindowTitle(toQString(request.title));

    QStringList filters;
    for (const FileFilter& filter : request.filters) filters << qtNameFilter(filter);
    dialog.setNameFilters(filters);
    if (!filters.isEmpty()) dialog.selectNameFilter(filters.front());

    if (!request.initialFolder.empty()) {
        dialog.setDirectory(toQString(request.initialFolder));
    } else if (!folderWhenNoneGiven.isEmpty()) {
        dialog.setDirectory(folderWhenNoneGiven);
    }
    if (!request.defaultName.empty()) dialog.selectFile(toQString(request.defaultName));
    dialog.setDefaultSuffix(suffixFor(request, filters.isEmpty() ? QString() : filters.front()));
    QObject::connect(
        &dialog, &QFileDialog::filterSelected, &dialog,
        [&dialog, request](const QString& filter) { dialog.setDefaultSuffix(suffixFor(request, filter)); });
}

QString rememberedDialogName(const FileDialogRequest& request) {
    QString name = request.kind == FileDialogKind::Open ? QStringLiteral("open") : QStringLiteral("save");
    if (!request.filters.empty()) {
        for (const QChar c : toQString(request.filters.front().patterns)) {
            name += c.isLetterOrNumber() ? c : QChar(u'_');
        }
    }
    return name;
}

QtFileDialogService::QtFileDialogService(RememberedFolders folders) : folders_(std::move(folders)) {}

std::string QtFileDialogService::show(const FileDialogRequest& request) {
    FolderCheckingFileDialog dialog(static_cast<QWidget*>(request.owner), request.pathMustExist);
    const QString name = rememberedDialogName(request);
    configureFileDialog(dialog, request, folders_.folderFor(name));
    if (dialog.exec() != QDialog::Accepted) return {};
    const QStringList chosen = dialog.selectedFiles();
    if (chosen.isEmpty()) return {};
    folders_.remember(name, chosen.front());
    return toUtf8String(chosen.front());
}

}  // namespace speclore::ui
