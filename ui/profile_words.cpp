#include "ui/profile_words.h"

#include <QCoreApplication>

namespace stepdrive {

namespace {
using Reason = ProfileFault::Reason;

QString reasonText(const ProfileFault& f) {
    // Every part at once: a key in the file may hold "%1" itself.
    const QString line = QString::number(f.line);
    const QString column = QString::number(f.column);
    switch (f.reason) {
    case Reason::MalformedJson: {
        // Qt's own reason, in the operator's language through Qt's translations.
        QJsonParseError parsed{};
        parsed.error = f.jsonError;
        return QCoreApplication::translate("ProfileWords",
                                           "%1행 %2열의 JSON 형식이 잘못되었습니다: %3")
            .arg(line, column, parsed.errorString());
    }
    case Reason::NotAnObject:
        return QCoreApplication::translate("ProfileWords",
                                           "%1행 %2열: 설정 파일은 JSON 객체여야 합니다")
            .arg(line, column);
    case Reason::NoSections:
        return QCoreApplication::translate("ProfileWords",
                                           "%1행 %2열: motor, table, belt 중 어느 부분도 없습니다")
            .arg(line, column);
    case Reason::GivenTwice:
        return QCoreApplication::translate("ProfileWords", "%1: 두 번 있습니다 (%2행 %3열에 다시)")
            .arg(f.key, line, column);
    case Reason::Exponent:
        return QCoreApplication::translate(
                   "ProfileWords",
                   "%1: %2은(는) 받지 않습니다. 정수는 지수 없이 쓰십시오 (%3행 %4열)")
            .arg(f.key, f.value, line, column);
    case Reason::UnknownKey:
        return QCoreApplication::translate("ProfileWords",
                                           "%1: 모르는 키입니다 (쓸 수 있는 키: %2)")
            .arg(f.key, f.expected.join(QStringLiteral(", ")));
    case Reason::Missing:
        return QCoreApplication::translate("ProfileWords", "%1: 값이 없습니다").arg(f.key);
    case Reason::NotANumber:
        return QCoreApplication::translate("ProfileWords", "%1: %2은(는) 숫자가 아닙니다")
            .arg(f.key, f.value);
    case Reason::NotWhole:
        return QCoreApplication::translate("ProfileWords", "%1: %2은(는) 정수가 아닙니다")
            .arg(f.key, f.value);
    case Reason::OutOfRange:
        return QCoreApplication::translate("ProfileWords", "%1: %2은(는) 범위 %3~%4 밖입니다")
            .arg(f.key, f.value, QString::number(f.range.min), QString::number(f.range.max));
    case Reason::NotTrueOrFalse:
        return QCoreApplication::translate("ProfileWords",
                                           "%1: %2은(는) true 또는 false가 아닙니다")
            .arg(f.key, f.value);
    case Reason::NotAString:
        return QCoreApplication::translate("ProfileWords", "%1: %2은(는) 문자열이 아닙니다")
            .arg(f.key, f.value);
    case Reason::NotStrings:
        return QCoreApplication::translate("ProfileWords", "%1: 문자열로 된 객체여야 합니다")
            .arg(f.key);
    case Reason::NotParameters:
        return QCoreApplication::translate("ProfileWords", "%1: %1 매개변수의 객체여야 합니다")
            .arg(f.key);
    case Reason::NotEntryList:
        return QCoreApplication::translate("ProfileWords", "%1: 항목 %2개의 목록이어야 합니다")
            .arg(f.key, QString::number(f.entries));
    case Reason::NotEntry:
        return QCoreApplication::translate("ProfileWords", "%1: %2의 객체여야 합니다")
            .arg(f.key, f.expected.join(QStringLiteral(", ")));
    }
    return {};
}
} // namespace

QString profileFaultText(const ProfileFault& f) {
    // Where the key stands, unless its reason says so already.
    const bool placed = f.line == 0 || f.key.isEmpty() || f.reason == Reason::MalformedJson ||
                        f.reason == Reason::GivenTwice || f.reason == Reason::Exponent;
    return reasonText(f) + (placed ? QString()
                                   : QCoreApplication::translate("ProfileWords", " (%1행 %2열)")
                                         .arg(QString::number(f.line), QString::number(f.column)));
}

} // namespace stepdrive
