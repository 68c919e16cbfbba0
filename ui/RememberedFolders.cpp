#include "ui/RememberedFolders.h"

#include <QDir>
#include <QFileInfo>
#include <QSettings>
#include <QStandardPaths>

namespace speclore::ui {

namespace {

QString keyFor(const QString& dialog) { return QStringLiteral("folders/") + dialog; }

}  // namespace

RememberedFolders::RememberedFolders(QString storePath) : storePath_(std::move(storePath)) {}

QString RememberedFolders::defaultStorePath() {
    return QStandardPaths::writableLocation(QStandardPaths::GenericConfigLocation) +
           QStringLiteral("/speclore/dialog-folders.ini");
}

QString RememberedFolders::folderFor(const QString& dialog) const {
    if (!storePath_.isEmpty()) {
        const QSettings store(storePath_, QSettings::IniFormat);
        const QString folder = store.value(keyFor(dialog)).toString();
        if (!folder.isEmpty() && QFileInfo(folder).isDir()) return folder;
    }
    return QDir::homePath();
}

void RememberedFolders::remember(const QString& dialog, const QString& chosenFile) {
    if (storePath_.isEmpty() || chosenFile.isEmpty()) return;
    QSettings store(storePath_, QSettings::IniFormat);
    store.setValue(keyFor(dialog), QFileInfo(chosenFile).absolutePath());
}

}  // namespace speclore::ui
