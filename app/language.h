#pragma once
// The operator's language: Korean, the texts as the forms and the code hold
// them, unless English is asked for with --lang or STEPDRIVE_LANG.

#include <QString>
#include <QTranslator>

namespace stepdrive {

// Makes the windows speak a language while it lives, Qt's own dialogs and
// buttons included: for Korean, Qt's Korean translations (Debian's
// qt6-translations-l10n; without them Qt's own texts stay English), for
// English the program's English texts. Its translator leaves the
// application with it.
class Language {
public:
    explicit Language(const QString& language);
    Language(const Language&) = delete;
    Language& operator=(const Language&) = delete;

private:
    QTranslator translator_;
};

} // namespace stepdrive
