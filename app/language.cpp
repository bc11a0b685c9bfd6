#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>

namespace stepdrive {

Language::Language(const QString& language) {
    // The program's own texts and Qt's (the file dialog, the message box
    // buttons), for the language chosen only: Korean needs Qt's, English
    // the program's (Qt's own texts are English).
    const QString file =
        language == QLatin1String("ko")
            ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ko.qm")
            : QStringLiteral(":/i18n/stepdrive_%1.qm").arg(language);
    // A translator removes itself from the application when destroyed.
    if (translator_.load(file))
        QCoreApplication::installTranslator(&translator_);
}

} // namespace stepdrive
