#include "cli/arguments.h"

#include "cli/reached.h"
#include "sys/files.h"

namespace stepdrive::cli {

std::optional<std::int32_t> wholeNumber(const QString& text, const QString& what, Range range,
                                        QString* error) {
    QString whole;
    const NumberKind kind = numberKind(text.trimmed(), &whole);
    bool fits = false;
    const qlonglong value = whole.toLongLong(&fits);
    if (kind != NumberKind::Whole)
        *error = QStringLiteral("%1: \"%2\" is not a %3")
                     .arg(what, cut(text),
                          kind == NumberKind::Fraction ? QStringLiteral("whole number")
                                                       : QStringLiteral("number"));
    else if (!fits || value < range.min || value > range.max)
        *error = QStringLiteral("%1: %2 is out of range (%3 to %4)")
                     .arg(what, cut(whole))
                     .arg(range.min)
                     .arg(range.max);
    else
        return static_cast<std::int32_t>(value);
    return std::nullopt;
}

namespace {
const QString kIn2Used = QStringLiteral("in2_used");
} // namespace

std::optional<std::vector<std::optional<std::int32_t>>>
keyValues(const QStringList& settings, const std::vector<Field>& fields, const QString& command,
          QString* error, std::optional<bool>* flag) {
    QStringList keys;
    for (const Field& f : fields)
        keys << f.key;
    if (flag)
        keys << kIn2Used;
    if (settings.isEmpty()) {
        *error = QStringLiteral("%1 needs KEY=VALUE (keys: %2)").arg(command, keys.join(", "));
        return std::nullopt;
    }
    std::vector<std::optional<std::int32_t>> values(fields.size());
    QStringList given;
    for (const QString& setting : settings) {
        const QString key = setting.section(QLatin1Char('='), 0, 0);
        const QString text = setting.section(QLatin1Char('='), 1);
        const auto index = keys.indexOf(key);
        if (index < 0 || !setting.contains(QLatin1Char('='))) {
            *error = QStringLiteral("\"%1\" is not KEY=VALUE with one of the keys %2")
                         .arg(cut(setting), keys.join(", "));
            return std::nullopt;
        }
        if (given.contains(key)) {
            *error = QStringLiteral("%1 is given twice").arg(key);
            return std::nullopt;
        }
        given << key;
        if (flag && key == kIn2Used) {
            if (text != QLatin1String("true") && text != QLatin1String("false")) {
                *error = QStringLiteral("in2_used: \"%1\" is not true or false").arg(cut(text));
                return std::nullopt;
            }
            *flag = text == QLatin1String("true");
            continue;
        }
        auto& slot = values[static_cast<std::size_t>(index)];
        slot = wholeNumber(text, key, fields[static_cast<std::size_t>(index)].range, error);
        if (!slot)
            return std::nullopt;
    }
    return values;
}

std::optional<Profile> readProfile(const QString& path, QString* error) {
    QString why;
    const auto bytes = sys::readWhole(path, &why);
    const auto profile = bytes ? parseProfile(*bytes, &why) : std::nullopt;
    if (!profile)
        *error = QStringLiteral("%1: %2").arg(sys::shownName(path), why);
    return profile;
}

} // namespace stepdrive::cli
