#pragma once
// The operator's language: Korean, the texts as the forms and the code hold
// them, unless English is asked for with --lang or STEPDRIVE_LANG.

#include <QString>
#include <QStringList>

namespace stepdrive {

struct LanguageChoice {
    QString language;  // "ko" or "en"
    QString complaint; // what to say on standard error, or empty
};

// The language `arguments` (the program's, its name first) ask for with
// "--lang xx" or "--lang=xx", else the one `environment` (STEPDRIVE_LANG)
// names, else Korean. An unknown one leaves Korean and is complained of.
LanguageChoice chooseLanguage(const QStringList& arguments, const QString& environment);

// Makes the windows created from now on speak `language`, Qt's own dialogs
// and buttons included: for Korean, Qt's Korean translations (Debian's
// qt6-translations-l10n; without them Qt's own texts stay English), for
// English the program's English texts. It removes what was installed before.
void useLanguage(const QString& language);

} // namespace stepdrive
