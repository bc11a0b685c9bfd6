#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <vector>

namespace stepdrive {

namespace {
const QString kKorean = QStringLiteral("ko");
const QString kEnglish = QStringLiteral("en");
} // namespace

LanguageChoice chooseLanguage(const QStringList& arguments, const QString& environment) {
    QString asked = environment;
    QString source = QStringLiteral("STEPDRIVE_LANG");
    for (int i = 1; i < arguments.size(); ++i) {
        const QString& a = arguments[i];
        if (a == QLatin1String("--lang")) {
            asked = i + 1 < arguments.size() ? arguments[++i] : QString();
            source = QStringLiteral("--lang");
        } else if (a.startsWith(QLatin1String("--lang="))) {
            asked = a.mid(7);
            source = QStringLiteral("--lang");
        }
    }
    if (source == QLatin1String("STEPDRIVE_LANG") && asked.isEmpty())
        return {kKorean, {}};
    if (asked == kKorean || asked == kEnglish)
        return {asked, {}};
    return {kKorean,
            QStringLiteral("stepdrive: %1: unknown language \"%2\" (ko or en); the windows stay "
                           "Korean\n")
                .arg(source, asked)};
}

void useLanguage(const QString& language) {
    // The program's own texts and Qt's (the file dialog, the message box
    // buttons), for the language chosen only: Korean needs Qt's, English
    // the program's (Qt's own texts are English).
    static std::vector<std::unique_ptr<QTranslator>> installed;
    for (const auto& translator : installed)
        QCoreApplication::removeTranslator(translator.get());
    installed.clear();
    const QString file =
        language == kKorean
            ? QLibraryInfo::path(QLibraryInfo::TranslationsPath) + QStringLiteral("/qtbase_ko.qm")
            : QStringLiteral(":/i18n/stepdrive_%1.qm").arg(language);
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(file) && QCoreApplication::installTranslator(translator.get()))
        installed.push_back(std::move(translator));
}

} // namespace stepdrive
