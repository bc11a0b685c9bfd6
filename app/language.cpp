#include "app/language.h"

#include <QCoreApplication>
#include <QLibraryInfo>
#include <QTranslator>
#include <memory>
#include <vector>

namespace stepdrive {

namespace {
const QString kKorean = QStringLiteral("ko");
} // namespace

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
