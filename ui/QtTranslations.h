// Qt's own texts (file dialogs, standard buttons, the overwrite question) in
// the user's language, so that they match the program's Japanese.
#pragma once

#include <QLocale>

class QCoreApplication;

namespace speclore::ui {

// Loads Qt's translations for `locale` from Qt's translations folder and
// installs them in the application; false when there are none for it (the
// translations package is missing), which leaves Qt's English texts.
bool installQtTranslations(QCoreApplication& application, const QLocale& locale = QLocale::system());

}  // namespace speclore::ui
