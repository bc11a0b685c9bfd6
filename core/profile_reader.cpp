// Reading a profile file: the JSON, then each section, stopping at the
// first thing wrong.

#include "core/profile.h"
#include "core/profile_keys.h"

#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonParseError>
#include <QStringList>
#include <cctype>
#include <cmath>
#include <cstring>
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

// A key given twice in one object, or a number written with an exponent:
// its path ("motor.run_current", "table.3.position"), the line and column
// of its (second) place, and for a number its text.
struct Repeated {
    QString key;
    int line;
    int column;
    QString number; // "1e3"; empty for a key given twice
};

// The first repeated key or number with an exponent of well-formed JSON,
// which the JSON reader itself would take silently (the last key winning,
// the number as a whole one).
std::optional<Repeated> repeatedKey(const QByteArray& json) {
    struct Level {
        bool object;
        QStringList keys; // an object's keys so far, the last one the current
        int index;        // an array's current element
        bool keyNext;     // an object's next string is a key
    };
    std::vector<Level> levels;
    int line = 1;
    qsizetype lineStart = 0;
    const auto path = [&levels](const QString& last) {
        QStringList parts;
        for (std::size_t l = 0; l + 1 < levels.size(); ++l)
            parts << (levels[l].object ? levels[l].keys.constLast()
                                       : QString::number(levels[l].index + 1));
        return (parts << last).join(QLatin1Char('.'));
    };
    for (qsizetype i = 0; i < json.size(); ++i) {
        const char c = json[i];
        const bool afterDigit =
            i > 0 && (std::isdigit(static_cast<unsigned char>(json[i - 1])) || json[i - 1] == '.');
        if ((c == 'e' || c == 'E') && afterDigit && !levels.empty()) {
            qsizetype start = i;
            while (start > 0 && std::strchr("0123456789.-+", json[start - 1]))
                --start;
            qsizetype end = i + 1;
            while (end < json.size() && std::strchr("0123456789-+", json[end]))
                ++end;
            const Level& here = levels.back();
            return Repeated{
                path(here.object ? here.keys.constLast() : QString::number(here.index + 1)), line,
                static_cast<int>(start - lineStart) + 1,
                QString::fromLatin1(json.mid(start, end - start))};
        }
        if (c == '\n') {
            ++line;
            lineStart = i + 1;
        } else if (c == '{' || c == '[') {
            levels.push_back({c == '{', {}, 0, c == '{'});
        } else if (c == '}' || c == ']') {
            levels.pop_back();
        } else if (c == ',' && !levels.empty()) {
            levels.back().keyNext = levels.back().object;
            ++levels.back().index;
        } else if (c == '"') {
            const qsizetype start = i++;
            for (; json[i] != '"'; ++i)
                i += json[i] == '\\';
            if (levels.empty() || !levels.back().keyNext)
                continue;
            const QString key = QJsonDocument::fromJson('[' + json.mid(start, i - start + 1) + ']')
                                    .array()[0]
                                    .toString();
            Level& level = levels.back();
            level.keyNext = false;
            if (level.keys.contains(key))
                return Repeated{path(key), line, static_cast<int>(start - lineStart) + 1, {}};
            level.keys << key;
        }
    }
    return std::nullopt;
}

using Reason = ProfileFault::Reason;

// Reads a profile, stopping at the first thing wrong.
class Reader {
public:
    explicit Reader(ProfileFault* fault) : fault_(fault) {}

    bool fail(ProfileFault fault) {
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

    bool number(const QJsonValue& value, Range range, const QString& key, std::int32_t* out) {
        if (!value.isDouble())
            return fail(Reason::NotANumber, key, value);
        const double d = value.toDouble();
        if (d != std::floor(d))
            return fail(Reason::NotWhole, key, value);
        if (!outOfRange(d, range).isEmpty()) {
            ProfileFault fault;
            fault.reason = Reason::OutOfRange;
            fault.key = key;
            fault.value = QString::number(d, 'g', 17);
            fault.range = range;
            return fail(fault);
        }
        *out = static_cast<std::int32_t>(d);
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
                if (!number(o[key], rangeOf(f), path + '.' + key, &(e.*f.member)))
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
    Reader reader(fault);
    QJsonParseError parsed{};
    const QJsonDocument document = QJsonDocument::fromJson(json, &parsed);
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
    if (const auto repeated = repeatedKey(json)) {
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
