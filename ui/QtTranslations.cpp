#include "ui/QtTranslations.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>

namespace speclore::ui {

bool installQtTranslations(QCoreApplication& application, const QLocale& locale) {
    // The translator lives as long as the application that uses it.
    auto* translator = new QTranslator(&application);
    if (!translator->load(locale, QStringLiteral("qtbase"), QStringLiteral("_"),
                          QLibraryInfo::path(QLibraryInfo::TranslationsPath))) {
        delete translator;
        return false;
    }
    QCoreApplication::installTranslator(translator);
    return true;
}

}  // namespace speclore::ui
