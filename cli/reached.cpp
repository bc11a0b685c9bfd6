#include "cli/reached.h"

#include "core/commands.h"

#include <QJsonArray>
#include <algorithm>
#include <map>

namespace stepdrive::cli {

namespace {

QString joinedAnd(const QStringList& parts) {
    if (parts.size() < 2)
        return parts.join(QString());
    return parts.mid(0, parts.size() - 1).join(QStringLiteral(", ")) + QStringLiteral(" and ") +
           parts.constLast();
}

// `into` with `value` put at `path` ("table.3.position"); below "table" a
// number is a row of its list of seven.
QJsonValue put(const QJsonValue& into, const QStringList& path, const QJsonValue& value,
               bool rows = false) {
    if (path.isEmpty())
        return value;
    if (rows) {
        QJsonArray list = into.toArray();
        while (list.size() < kTableEntries)
            list.append(QJsonValue::Null);
        const int row = path[0].toInt() - 1;
        list[row] = put(list[row], path.mid(1), value);
        return list;
    }
    QJsonObject o = into.toObject();
    o[path[0]] =
        put(o[path[0]], path.mid(1), value, path[0] == QLatin1String("table") && path.size() > 2);
    return o;
}

} // namespace

QStringList keysOfFrame(Format format, const std::vector<std::uint8_t>& args) {
    if (format == Format::Long && args.at(0) == tableCmd::Download) {
        QStringList keys;
        for (const TableField& field : kTableFields)
            keys << tableKey(args.at(1), field.key);
        return keys;
    }
    if (args.at(0) == cmd::WriteBelt && args.at(1) == opt::BeltIn2Flag)
        return {QStringLiteral("belt.in2_used")};
    const bool motor = args.at(0) == cmd::WriteParameter;
    if (!motor && args.at(0) != cmd::WriteBelt)
        return {};
    const auto find = [&](const auto& rules, const char* section) -> QStringList {
        for (const ValueRule& rule : rules)
            if (rule.opt1 == args.at(1))
                return {QLatin1String(section) + QLatin1Char('.') + QLatin1String(rule.key)};
        return {};
    };
    return motor ? find(kMotorParameters, "motor") : find(kBeltParameters, "belt");
}

QString shortKeys(const QStringList& keys) {
    QStringList parts;
    const auto section = [&](const char* name, const auto& rules) {
        QStringList mine;
        for (const QString& k : keys)
            if (k.startsWith(QLatin1String(name) + QLatin1Char('.')) &&
                k != QLatin1String("belt.in2_used"))
                mine << k;
        if (static_cast<std::size_t>(mine.size()) == std::size(rules))
            parts << QLatin1String(name) + QStringLiteral(".*");
        else
            parts << mine;
    };
    section("motor", kMotorParameters);
    // Whole table entries as ranges ("table.1-6"), the fields of others.
    std::map<int, QStringList> rows;
    for (const QString& k : keys)
        if (k.startsWith(QLatin1String("table.")))
            rows[k.section(QLatin1Char('.'), 1, 1).toInt()] << k;
    for (auto i = rows.begin(); i != rows.end();) {
        if (i->second.size() < 3) {
            parts << i->second;
            ++i;
            continue;
        }
        const int first = i->first;
        int last = first;
        for (++i; i != rows.end() && i->first == last + 1 && i->second.size() == 3; ++i)
            last = i->first;
        parts << (first == 1 && last == kTableEntries ? QStringLiteral("table.*")
                  : first == last                     ? QStringLiteral("table.%1").arg(first)
                                  : QStringLiteral("table.%1-%2").arg(first).arg(last));
    }
    section("belt", kBeltParameters);
    if (keys.contains(QLatin1String("belt.in2_used")))
        parts << QStringLiteral("belt.in2_used");
    return joinedAnd(parts);
}

namespace {
// The values wanted that were read back, as expected or not.
std::vector<Difference> readOtherwise(const std::vector<Item>& wanted,
                                      const std::vector<Item>& read) {
    std::vector<Difference> found;
    for (const Difference& d : differences(wanted, read))
        if (d.read)
            found.push_back(d);
    return found;
}

QStringList verifiedKeys(const std::vector<Item>& wanted, const std::vector<Item>& read) {
    std::map<QString, std::int32_t> held;
    for (const Item& i : read)
        held[i.key] = i.value;
    QStringList keys;
    for (const Item& w : wanted)
        if (const auto it = held.find(w.key); it != held.end() && it->second == w.value)
            keys << w.key;
    return keys;
}
} // namespace

QString differenceText(const Difference& d, bool wrote) {
    return QStringLiteral("%1 (%2 %3)")
        .arg(d.read ? QString::number(*d.read) : QStringLiteral("-"),
             wrote ? QStringLiteral("wrote") : QStringLiteral("the file has"))
        .arg(d.wrote);
}

QJsonObject readBackJson(const std::vector<Item>& wanted, const std::vector<Item>& read,
                         std::optional<bool> in2Used, bool wrote) {
    const QStringList verified = verifiedKeys(wanted, read);
    std::vector<std::pair<QString, QJsonValue>> values;
    QJsonArray unverified;
    for (const Item& w : wanted)
        if (verified.contains(w.key))
            values.emplace_back(w.key, w.value);
        else
            unverified.append(w.key);
    if (in2Used)
        unverified.append(QStringLiteral("belt.in2_used"));
    QJsonArray listed;
    for (const Difference& d : readOtherwise(wanted, read))
        listed.append(
            QJsonObject{{QStringLiteral("key"), d.key},
                        {wrote ? QStringLiteral("wrote") : QStringLiteral("file"), d.wrote},
                        {QStringLiteral("read"), *d.read}});
    QJsonObject o{{QStringLiteral("verified"), nestedValues(values)},
                  {QStringLiteral("not_verified"), unverified}};
    if (!listed.isEmpty())
        o[QStringLiteral("differences")] = listed;
    return o;
}

QString whatReached(const Reached& r, const QString& port) {
    if (!r.sent)
        return QStringLiteral("nothing was sent");
    QStringList said;
    if (!r.written.isEmpty())
        said << QStringLiteral("%1 %2 written")
                    .arg(shortKeys(r.written),
                         r.written.size() == 1 ? QStringLiteral("was") : QStringLiteral("were"));
    if (!r.unanswered.isEmpty())
        said << QStringLiteral("%1 went out without a reply").arg(shortKeys(r.unanswered));
    if (!r.answeredFaulty.isEmpty())
        said << QStringLiteral("%1 went out and its reply came faulty")
                    .arg(shortKeys(r.answeredFaulty));
    const QStringList verified = verifiedKeys(r.wanted, r.read);
    if (!verified.isEmpty() && r.phase == QLatin1String("reading"))
        said << QStringLiteral("%1 read back as %2")
                    .arg(shortKeys(verified),
                         r.writes ? QStringLiteral("written") : QStringLiteral("the file has"));
    for (const Difference& d : readOtherwise(r.wanted, r.read))
        said << QStringLiteral("%1 read back %2").arg(d.key, differenceText(d, r.writes));
    if (!r.note.isEmpty())
        said << r.note;
    QString text = QStringLiteral("while %1").arg(r.phase);
    if (!said.isEmpty())
        text += QStringLiteral(": ") + joinedAnd(said);
    if (r.writes && r.phase == QLatin1String("writing"))
        text += QStringLiteral("; the drive may hold part of what was asked");
    else if (!r.writes && r.written.isEmpty() && !r.commanded)
        text += QStringLiteral("; nothing was written to the drive");
    if (r.motion)
        text += QStringLiteral("; the motor may still be running (stepdrive-cli --port %1 stop)")
                    .arg(port);
    else if (r.phase == QLatin1String("sending"))
        text += QStringLiteral("; the command may have reached the drive");
    return text;
}

QJsonObject reachedJson(const Reached& r) {
    QJsonObject o{{QStringLiteral("phase"), r.phase}, {QStringLiteral("sent"), r.sent}};
    if (r.wanted.empty() && !r.writes)
        return o;
    const QJsonObject found = readBackJson(r.wanted, r.read, r.in2Used, r.writes);
    o[QStringLiteral("written")] = QJsonArray::fromStringList(r.written);
    o[QStringLiteral("verified")] = found[QStringLiteral("verified")];
    o[QStringLiteral("not_verified")] = found[QStringLiteral("not_verified")];
    return o;
}

QJsonObject nestedValues(const std::vector<std::pair<QString, QJsonValue>>& values,
                         QJsonObject into) {
    for (const auto& [key, value] : values)
        into = put(into, key.split(QLatin1Char('.')), value).toObject();
    return into;
}

QString cut(const QString& text) {
    constexpr int kLongest = 60;
    return text.size() <= kLongest ? text : text.left(kLongest) + QStringLiteral("...");
}

} // namespace stepdrive::cli
