// The file dialogs on screen: Qt's own (non-native) file dialog, set up from
// the request so that title, file types, folder, name, extension and the
// must-exist and overwrite rules all hold.
#pragma once

#include <QString>

#include "app/FileDialogs.h"
#include "ui/RememberedFolders.h"

class QFileDialog;

namespace speclore::ui {

// A Qt name filter for one entry: the description as shown, then the
// patterns in the form Qt matches ("*.mdb;*.mde" → "(*.mdb *.mde)", and the
// all-files "*.*" → "*", since Linux file names need no dot).
QString qtNameFilter(const FileFilter& filter);

// Sets up the dialog for the request (everything but showing it); a request
// without an initial folder opens in `folderWhenNoneGiven`, if any.
void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request,
                         const QString& folderWhenNoneGiven = {});

// The name under which a dialog's folder is remembered: its kind and its
// first file type, so the database, workgroup and workbook dialogs each
// keep their own.
QString rememberedDialogName(const FileDialogRequest& request);

// A request without an initial folder opens where that dialog was last used
// (else in the user's home folder), never in the process's working folder.
class QtFileDialogService : public FileDialogService {
public:
    explicit QtFileDialogService(RememberedFolders folders = RememberedFolders(QString()));
    std::string show(const FileDialogRequest& request) override;

private:
    RememberedFolders folders_;
};

}  // namespace speclore::ui
