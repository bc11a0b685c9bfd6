#include "app/language.h"

#include <QCoreApplication>
#include <QTranslator>
#include <memory>

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
    static QTranslator* installed = nullptr;
    if (installed) {
        QCoreApplication::removeTranslator(installed);
        delete installed;
        installed = nullptr;
    }
    if (language == kKorean)
        return;
    auto translator = std::make_unique<QTranslator>();
    if (translator->load(QStringLiteral(":/i18n/stepdrive_%1.qm").arg(language)) &&
        QCoreApplication::installTranslator(translator.get()))
        installed = translator.release();
}

} // namespace stepdrive
