// The folder each file dialog was last used in, kept per user in a file of
// its own (not in Speclore.ini, whose layout is shared with settings files
// written elsewhere), so that a dialog opens where the user last was, as
// the common dialogs of the desktop the program comes from do.
#pragma once

#include <QString>

namespace speclore::ui {

class RememberedFolders {
public:
    // `storePath` is the file that keeps them; "" remembers nothing.
    explicit RememberedFolders(QString storePath);

    // The per-user store: speclore/dialog-folders.ini in the user's
    // configuration folder.
    static QString defaultStorePath();

    // Where the dialog named `dialog` should open: the folder it was last
    // used in while that still exists, else the user's home folder.
    QString folderFor(const QString& dialog) const;
    // Notes the folder of the file chosen in that dialog.
    void remember(const QString& dialog, const QString& chosenFile);

private:
    QString storePath_;
};

}  // namespace speclore::ui
