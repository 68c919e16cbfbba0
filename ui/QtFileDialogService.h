// The file dialogs on screen: Qt's own (non-native) file dialog, set up from
// the request so that title, file types, folder, name, extension and the
// must-exist and overwrite rules all hold.
#pragma once

#include <QString>

#include "app/FileDialogs.h"

class QFileDialog;

namespace speclore::ui {

// A Qt name filter for one entry: the description as shown, then the
// patterns in the form Qt matches ("*.mdb;*.mde" → "(*.mdb *.mde)", and the
// all-files "*.*" → "*", since Linux file names need no dot).
QString qtNameFilter(const FileFilter& filter);

// Sets up the dialog for the request (everything but showing it).
void configureFileDialog(QFileDialog& dialog, const FileDialogRequest& request);

class QtFileDialogService : public FileDialogService {
public:
    std::string show(const FileDialogRequest& request) override;
};

}  // namespace speclore::ui
