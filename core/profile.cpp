#include "core/profile.h"

#include "core/profile_keys.h"
#include <algorithm>

#include <QJsonArray>
#include <map>

namespace stepdrive {

using namespace profile_keys;

namespace {

// The parameters given, by their keys.
template <std::size_t N>
QJsonObject parameters(const Values<std::int32_t, N>& values, const ValueRule (&rules)[N]) {
    QJsonObject o;
    for (std::size_t i = 0; i < N; ++i)
        if (values[i])
            o[QLatin1String(rules[i].key)] = *values[i];
    return o;
}

template <std::size_t N>
void addItems(std::vector<Item>& all, const QString& section, const Values<std::int32_t, N>& values,
              const ValueRule (&rules)[N]) {
    for (std::size_t i = 0; i < N; ++i)
        if (values[i])
            all.push_back({section + '.' + QLatin1String(rules[i].key), *values[i]});
}

} // namespace

Range rangeOf(const ValueRule& rule) {
    return {rule.min, rule.max};
}

NumberKind numberKind(const QString& text, QString* whole) {
    const qsizetype point = text.indexOf(QLatin1Char('.'));
    *whole = point < 0 ? text : text.left(point);
    const QString fraction = point < 0 ? QString() : text.mid(point + 1);
    const qsizetype sign =
        whole->startsWith(QLatin1Char('+')) || whole->startsWith(QLatin1Char('-'));
    const auto only = [](QStringView s, char low, char high) {
        return std::all_of(s.begin(), s.end(), [&](QChar c) { return c >= low && c <= high; });
    };
    if (!only(QStringView(*whole).mid(sign), '0', '9') || !only(fraction, '0', '9') ||
        whole->size() - sign + fraction.size() == 0)
        return NumberKind::NotANumber;
    return whole->size() > sign && only(fraction, '0', '0') ? NumberKind::Whole
                                                            : NumberKind::Fraction;
}

Range rangeOf(const TableField& field) {
    return {signedMin(field.bytes.count), signedMax(field.bytes.count)};
}

Range tablePositionRange() {
    return rangeOf(kTableFields[0]);
}

Range tableSpeedRange() {
    return rangeOf(kTableFields[1]);
}

Profile everythingReadable() {
    Profile p;
    p.motor.fill(0);
    p.table.fill(TableEntry{});
    p.belt.fill(0);
    return p;
}

QJsonObject toJson(const Profile& p) {
    QJsonObject top;
    if (!p.about.isEmpty())
        top[kAbout] = p.about;
    const QJsonObject motor = parameters(p.motor, kMotorParameters);
    if (!motor.isEmpty())
        top[kMotor] = motor;
    if (givenCount(p.table) > 0) {
        QJsonArray entries;
        for (const auto& e : p.table) {
            if (!e) {
                entries.append(QJsonValue()); // null: not given
                continue;
            }
            QJsonObject entry;
            for (const TableField& f : kTableFields)
                entry[QLatin1String(f.key)] = (*e).*f.member;
            entries.append(entry);
        }
        top[kTable] = entries;
    }
    QJsonObject belt = parameters(p.belt, kBeltParameters);
    if (!belt.isEmpty()) {
        if (p.in2Used)
            belt[kIn2Used] = *p.in2Used;
        top[kBelt] = belt;
    }
    return top;
}

QString tableKey(int entry, const char* field) {
    return QStringLiteral("table.%1.%2").arg(entry).arg(QLatin1String(field));
}

std::vector<Item> entryItems(int entry, const TableEntry& e) {
    std::vector<Item> all;
    for (const TableField& f : kTableFields)
        all.push_back({tableKey(entry, f.key), e.*f.member});
    return all;
}

std::vector<Item> items(const Profile& p) {
    std::vector<Item> all;
    addItems(all, kMotor, p.motor, kMotorParameters);
    for (int n = 1; n <= kTableEntries; ++n)
        if (const auto& e = p.table[static_cast<std::size_t>(n - 1)]) {
            const std::vector<Item> entry = entryItems(n, *e);
            all.insert(all.end(), entry.begin(), entry.end());
        }
    addItems(all, kBelt, p.belt, kBeltParameters);
    return all;
}

std::vector<Difference> differences(const std::vector<Item>& written,
                                    const std::vector<Item>& readBack) {
    std::map<QString, std::int32_t> read;
    for (const Item& item : readBack)
        read[item.key] = item.value;
    std::vector<Difference> found;
    for (const Item& item : written) {
        const auto it = read.find(item.key);
        if (it == read.end())
            found.push_back({item.key, item.value, std::nullopt});
        else if (it->second != item.value)
            found.push_back({item.key, item.value, it->second});
    }
    return found;
}

} // namespace stepdrive
