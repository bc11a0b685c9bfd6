#pragma once
// The operator's language: Korean, the texts as the forms and the code hold
// them, unless English is asked for with --lang or STEPDRIVE_LANG.

#include <QLocale>
#include <QString>
#include <QTranslator>

namespace stepdrive {

// Makes the windows speak a language while it lives, Qt's own dialogs and
// buttons included: for Korean, Qt's Korean translations (Debian's
// qt6-translations-l10n; without them Qt's own texts stay English), for
// English the program's English texts; dates and numbers of Qt's dialogs
// as the language writes them. Its translator and its locale leave the
// application with it.
class Language {
public:
    explicit Language(const QString& language);
    ~Language();
    Language(const Language&) = delete;
    Language& operator=(const Language&) = delete;

private:
    QTranslator translator_;
    QLocale previous_; // the default locale before
};

} // namespace stepdrive
