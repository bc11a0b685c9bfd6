#pragma once
// The operator's language: Korean, the texts as the forms and the code hold
// them, unless English is asked for with --lang or STEPDRIVE_LANG.

#include <QString>

namespace stepdrive {

// Makes the windows created from now on speak `language`, Qt's own dialogs
// and buttons included: for Korean, Qt's Korean translations (Debian's
// qt6-translations-l10n; without them Qt's own texts stay English), for
// English the program's English texts. It removes what was installed before.
void useLanguage(const QString& language);

} // namespace stepdrive
