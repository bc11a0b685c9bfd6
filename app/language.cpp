#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QLocale>

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
    // Dates and sizes (the file dialog's) in the language's own way too.
    QLocale::setDefault(language == QLatin1String("ko")
                            ? QLocale(QLocale::Korean, QLocale::SouthKorea)
                            : QLocale(QLocale::English, QLocale::UnitedStates));
}

Language::~Language() {
    QLocale::setDefault(previous_);
}

} // namespace stepdrive
