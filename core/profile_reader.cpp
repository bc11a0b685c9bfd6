// Reading a profile file: the JSON, then each section, stopping at the
// first thing wrong.

#include "core/profile.h"
#include "core/profile_keys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringList>
#include <algorithm>
#include <cctype>
#include <cstring>
#include <map>
#include <optional>

namespace stepdrive {

using namespace profile_keys;

namespace {

// A JSON value as the file writes it: 40, "20", true, [1].
QString jsonText(const QJsonValue& value) {
    const QByteArray text = QJsonDocument(QJsonArray{value}).toJson(QJsonDocument::Compact);
    return QString::fromUtf8(text.mid(1, text.size() - 2));
}

// A number as the file writes it, cut to a length fit for a message.
QString cutNumber(const QString& text) {
    return text.size() <= 30 ? text : text.left(30) + QStringLiteral("...");
}

// Where a value stands in the file, and a number's text as written.
struct Place {
    int line = 0;
    int column = 0;
    QString number; // "19.9999999999999999"; empty for other values
};

// A key given twice in one object, or a number written with an exponent:
// its path ("motor.run_current", "table.3.position"), the line and column
// of its (second) place, and for a number its text.
struct Repeated {
    QString key;
    int line;
    int column;
    QString number; // "1e3"; empty for a key given twice
};

// What the JSON reader does not say of well-formed JSON: the first key
// repeated or number with an exponent, which it would take silently (the
// last key winning, the number as a whole one), and the place of every
// value by its path, with a number's own text (the reader rounds it).
struct Scan {
    std::optional<Repeated> repeated;
    std::map<QString, Place> places;
};

// `json` is well-formed.
Scan scan(const QByteArray& json) {
    struct Level {
        bool object;
        QStringList keys; // an object's keys so far, the last one the current
        int index;        // an array's current element
        bool keyNext;     // an object's next string is a key
    };
    std::vector<Level> levels;
    Scan found;
    int line = 1;
    qsizetype lineStart = 0;
    const auto path = [&levels](const QString& last) {
        QStringList parts;
        for (std::size_t l = 0; l + 1 < levels.size(); ++l)
            parts << (levels[l].object ? levels[l].keys.constLast()
                                       : QString::number(levels[l].index + 1));
        return (parts << last).join(QLatin1Char('.'));
    };
    const auto here = [&] {
        if (levels.empty())
            return QString();
        const Level& l = levels.back();
        return path(l.object ? l.keys.value(l.keys.size() - 1) : QString::number(l.index + 1));
    };
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json[i];
        const int column = static_cast<int>(i - lineStart) + 1;
        if (c == '\n') {
            ++line;
            lineStart = i + 1;
        } else if (c == ',' && !levels.empty()) {
            levels.back().keyNext = levels.back().object;
            ++levels.back().index;
        } else if (c == '}' || c == ']') {
            levels.pop_back();
        } else if (c == '"' && !levels.empty() && levels.back().keyNext) {
            const qsizetype start = i++;
            for (; json[i] != '"'; ++i)
                i += json[i] == '\\';
            const QString key = QJsonDocument::fromJson('[' + json.mid(start, i - start + 1) + ']')
                                    .array()[0]
                                    .toString();
            Level& level = levels.back();
            level.keyNext = false;
            if (level.keys.contains(key) && !found.repeated)
                found.repeated = Repeated{path(key), line, column, {}};
            level.keys << key;
        } else if (!std::isspace(static_cast<unsigned char>(c)) && c != ':' && c != ',') {
            // A value starts here.
            Place& place = found.places[here()];
            place = {line, column, {}};
            if (c == '{' || c == '[') {
                levels.push_back({c == '{', {}, 0, c == '{'});
            } else if (c == '"') {
                for (++i; json[i] != '"'; ++i)
                    i += json[i] == '\\';
            } else { // a number, or true, false, null
                const bool number = c == '-' || std::isdigit(static_cast<unsigned char>(c));
                qsizetype end = i + 1;
                while (end < json.size() && json[end] &&
                       (number ? std::strchr("0123456789+-.eE", json[end]) != nullptr
                               : std::isalpha(static_cast<unsigned char>(json[end])) != 0))
                    ++end;
                if (number)
                    place.number = QString::fromLatin1(json.mid(i, end - i));
                if (place.number.contains(QLatin1Char('e'), Qt::CaseInsensitive) && !found.repeated)
                    found.repeated = Repeated{here(), line, column, place.number};
                i = end - 1;
            }
        }
    }
    return found;
}

using Reason = ProfileFault::Reason;

// Reads a profile, stopping at the first thing wrong.
class Reader {
public:
    Reader(ProfileFault* fault, const std::map<QString, Place>& places)
        : fault_(fault), places_(places) {}

    bool fail(ProfileFault fault) {
        // Where the value stands; for a key missing, where its object does.
        for (QString key = fault.key; fault.line == 0 && !key.isEmpty();
             key = key.section(QLatin1Char('.'), 0, -2)) {
            if (const auto it = places_.find(key); it != places_.end()) {
                fault.line = it->second.line;
                fault.column = it->second.column;
            }
            if (!key.contains(QLatin1Char('.')))
                break;
        }
        // A key from the file is cut to a length fit for a message.
        constexpr int kLongest = 60;
        if (fault.key.size() > kLongest)
            fault.key = fault.key.left(kLongest) + QStringLiteral("...");
        if (fault_)
            *fault_ = fault;
        return false;
    }
    bool fail(Reason reason, const QString& key,
              const QJsonValue& value = QJsonValue(QJsonValue::Undefined)) {
        ProfileFault fault;
        fault.reason = reason;
        fault.key = key;
        fault.value = value.isUndefined() ? QString() : jsonText(value);
        return fail(fault);
    }

    // `object` has each of `required` and nothing but those and `optional`.
    bool keysOf(const QJsonObject& object, const QString& path, const QStringList& required,
                const QStringList& optional = {}) {
        for (const QString& key : object.keys())
            if (!required.contains(key) && !optional.contains(key)) {
                ProfileFault fault;
                fault.reason = Reason::UnknownKey;
                fault.key = path + (key.isEmpty() ? QStringLiteral("\"\"") : key);
                fault.expected = required + optional;
                return fail(fault);
            }
        for (const QString& key : required)
            if (!object.contains(key))
                return fail(Reason::Missing, path + key);
        return true;
    }

    // A number as the file writes it, never as the JSON reader rounds it:
    // 19.9999999999999999 is not whole, 9007199254740993 is that number.
    bool number(const QJsonValue& value, Range range, const QString& key, std::int32_t* out) {
        if (!value.isDouble())
            return fail(Reason::NotANumber, key, value);
        const auto place = places_.find(key);
        const QString text = place != places_.end() && !place->second.number.isEmpty()
                                 ? place->second.number
                                 : jsonText(value);
        ProfileFault fault;
        fault.key = key;
        fault.value = cutNumber(text);
        QString whole;
        if (numberKind(text, &whole) != NumberKind::Whole) {
            fault.reason = Reason::NotWhole;
            return fail(fault);
        }
        bool fits = false;
        const qlonglong n = whole.toLongLong(&fits);
        if (!fits || n < range.min || n > range.max) {
            fault.reason = Reason::OutOfRange;
            fault.value = cutNumber(whole);
            fault.range = range;
            return fail(fault);
        }
        *out = static_cast<std::int32_t>(n);
        return true;
    }

    // An object of the parameters of `rules`, and of `extra` keys if given.
    template <std::size_t N>
    bool parameters(const QJsonObject& top, const QString& name, const ValueRule (&rules)[N],
                    std::array<std::int32_t, N>& out, const QStringList& extra = {}) {
        if (!top[name].isObject())
            return fail(Reason::NotParameters, name);
        QStringList keys;
        for (const ValueRule& rule : rules)
            keys << QLatin1String(rule.key);
        const QJsonObject o = top[name].toObject();
        if (!keysOf(o, name + '.', keys, extra))
            return false;
        for (std::size_t i = 0; i < N; ++i) {
            const QString& key = keys[static_cast<qsizetype>(i)];
            if (!number(o[key], rangeOf(rules[i]), name + '.' + key, &out[i]))
                return false;
        }
        return true;
    }

    bool motor(const QJsonObject& top, Profile& p) {
        std::array<std::int32_t, kMotorParameterCount> motor{};
        if (!parameters(top, kMotor, kMotorParameters, motor))
            return false;
        p.motor = asValues<MotorValues>(motor);
        return true;
    }

    bool table(const QJsonValue& section, Profile& p) {
        const QJsonArray entries = section.toArray();
        if (!section.isArray() || entries.size() != kTableEntries) {
            ProfileFault fault;
            fault.reason = Reason::NotEntryList;
            fault.key = kTable;
            fault.entries = kTableEntries;
            return fail(fault);
        }
        QStringList fields;
        for (const TableField& f : kTableFields)
            fields << QLatin1String(f.key);
        std::array<TableEntry, kTableEntries> table{};
        for (int n = 1; n <= kTableEntries; ++n) {
            const QString path = QStringLiteral("table.%1").arg(n);
            if (!entries[n - 1].isObject()) {
                ProfileFault fault;
                fault.reason = Reason::NotEntry;
                fault.key = path;
                fault.expected = fields;
                return fail(fault);
            }
            const QJsonObject o = entries[n - 1].toObject();
            TableEntry& e = table[static_cast<std::size_t>(n - 1)];
            if (!keysOf(o, path + '.', fields))
                return false;
            for (const TableField& f : kTableFields) {
                const QString key = QLatin1String(f.key);
                if (!number(o[key], rangeOf(f), tableKey(n, f.key), &(e.*f.member)))
                    return false;
            }
        }
        p.table = asValues<TableValues>(table);
        return true;
    }

    // Strings only, kept as they are.
    bool about(const QJsonValue& section, Profile& p) {
        if (!section.isObject())
            return fail(Reason::NotStrings, kAbout);
        const QJsonObject o = section.toObject();
        for (auto i = o.begin(); i != o.end(); ++i)
            if (!i.value().isString())
                return fail(Reason::NotAString, kAbout + '.' + i.key(), i.value());
        p.about = o;
        return true;
    }

    bool belt(const QJsonObject& top, Profile& p) {
        std::array<std::int32_t, kBeltParameterCount> belt{};
        if (!parameters(top, kBelt, kBeltParameters, belt, {kIn2Used}))
            return false;
        // value(), not operator[] on a copy, which would add the key as null.
        const QJsonValue flag = top[kBelt].toObject().value(kIn2Used);
        if (!flag.isUndefined()) {
            if (!flag.isBool())
                return fail(Reason::NotTrueOrFalse, kBelt + '.' + kIn2Used, flag);
            p.in2Used = flag.toBool();
        }
        p.belt = asValues<BeltValues>(belt);
        return true;
    }

private:
    ProfileFault* fault_;
    const std::map<QString, Place>& places_;
};

} // namespace

std::optional<Profile> parseProfile(const QByteArray& json, QString* error) {
    ProfileFault fault;
    auto profile = parseProfile(json, &fault);
    if (!profile && error)
        *error = englishText(fault);
    return profile;
}

std::optional<Profile> parseProfile(const QByteArray& json, ProfileFault* fault) {
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parsed);
    // The scan walks well-formed JSON only: every string closed, every
    // bracket matched.
    const Scan scanned = parsed.error == QJsonParseError::NoError ? scan(json) : Scan{};
    Reader reader(fault, scanned.places);
    // What is wrong at a place in the file, by its line and column.
    const auto at = [&json](Reason reason, qsizetype offset) {
        const QByteArray before = json.left(offset);
        ProfileFault placed;
        placed.reason = reason;
        placed.line = static_cast<int>(before.count('\n')) + 1;
        placed.column = static_cast<int>(before.size() - before.lastIndexOf('\n'));
        return placed;
    };
    if (parsed.error != QJsonParseError::NoError) {
        ProfileFault malformed = at(Reason::MalformedJson, parsed.offset);
        malformed.jsonError = parsed.error;
        reader.fail(malformed);
        return std::nullopt;
    }
    if (const auto& repeated = scanned.repeated) {
        ProfileFault twice;
        twice.reason = repeated->number.isEmpty() ? Reason::GivenTwice : Reason::Exponent;
        twice.key = repeated->key;
        twice.value = cutNumber(repeated->number);
        twice.line = repeated->line;
        twice.column = repeated->column;
        reader.fail(twice);
        return std::nullopt;
    }
    // Where the document's value starts, for what is wrong with it as a whole.
    qsizetype start = 0;
    while (start < json.size() && QChar::isSpace(static_cast<uchar>(json[start])))
        ++start;
    if (!document.isObject()) {
        reader.fail(at(Reason::NotAnObject, start));
        return std::nullopt;
    }
    const QJsonObject top = document.object();
    if (!top.contains(kMotor) && !top.contains(kTable) && !top.contains(kBelt)) {
        reader.fail(at(Reason::NoSections, start));
        return std::nullopt;
    }
    Profile p;
    const QJsonValue port = top.value(kPort);
    if (!port.isUndefined() && !port.isString() && !port.isNull()) {
        reader.fail(Reason::NotAString, kPort, port);
        return std::nullopt;
    }
    if (!reader.keysOf(top, {}, {}, {kMotor, kTable, kBelt, kAbout, kPort}) ||
        (top.contains(kAbout) && !reader.about(top[kAbout], p)) ||
        (top.contains(kMotor) && !reader.motor(top, p)) ||
        (top.contains(kTable) && !reader.table(top[kTable], p)) ||
        (top.contains(kBelt) && !reader.belt(top, p)))
        return std::nullopt;
    return p;
}

} // namespace stepdrive
