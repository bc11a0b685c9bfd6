#include "core/profile.h"

namespace stepdrive {

QString englishText(const ProfileFault& f) {
    using Reason = ProfileFault::Reason;
    const QString at = QStringLiteral("line %1, column %2").arg(f.line).arg(f.column);
    QString what;
    switch (f.reason) {
    case Reason::MalformedJson: {
        QJsonParseError parsed{};
        parsed.error = f.jsonError;
        return QStringLiteral("malformed JSON at %1: %2").arg(at, parsed.errorString());
    }
    case Reason::NotAnObject:
        return QStringLiteral("%1: a profile is a JSON object").arg(at);
    case Reason::NoSections:
        return QStringLiteral("%1: the profile has none of the sections motor, table, belt")
            .arg(at);
    case Reason::GivenTwice:
        what = QStringLiteral("given twice (again at %1)").arg(at);
        break;
    case Reason::Exponent:
        what = QStringLiteral("%1 is refused: write whole numbers without an exponent (%2)")
                   .arg(f.value, at);
        break;
    case Reason::UnknownKey:
        what =
            QStringLiteral("unknown key (expected %1)").arg(f.expected.join(QStringLiteral(", ")));
        break;
    case Reason::Missing:
        what = QStringLiteral("missing");
        break;
    case Reason::NotANumber:
        what = f.value + QStringLiteral(" is not a number");
        break;
    case Reason::NotWhole:
        what = f.value + QStringLiteral(" is not a whole number");
        break;
    case Reason::OutOfRange:
        what = QStringLiteral("%1 is out of range (%2 to %3)")
                   .arg(f.value)
                   .arg(f.range.min)
                   .arg(f.range.max);
        break;
    case Reason::NotTrueOrFalse:
        what = f.value + QStringLiteral(" is not true or false");
        break;
    case Reason::NotAString:
        what = f.value + QStringLiteral(" is not a string");
        break;
    case Reason::NotStrings:
        what = QStringLiteral("must be an object of strings");
        break;
    case Reason::NotParameters:
        what = QStringLiteral("must be an object of the %1 parameters").arg(f.key);
        break;
    case Reason::NotEntryList:
        what = QStringLiteral("must be a list of %1 entries").arg(f.entries);
        break;
    case Reason::NotEntry:
        what = QStringLiteral("must be an object of %1").arg(f.expected.join(QStringLiteral(", ")));
        break;
    }
    // Where it stands, unless said already.
    const bool placed = f.reason == Reason::GivenTwice || f.reason == Reason::Exponent;
    return f.key + QStringLiteral(": ") + what +
           (f.line > 0 && !placed ? QStringLiteral(" (%1)").arg(at) : QString());
}

} // namespace stepdrive
