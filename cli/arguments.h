#pragma once
// The values a command takes on the command line: whole numbers in a range,
// KEY=VALUE settings, and a profile file.

#include "core/driver_values.h"
#include "core/profile.h"

#include <QString>
#include <QStringList>
#include <cstdint>
#include <optional>
#include <vector>

namespace stepdrive::cli {

// A value on the command line: a whole number, as in a profile; a fraction
// of zeros ("20.0") is whole, any other fraction is refused.
std::optional<std::int32_t> wholeNumber(const QString& text, const QString& what, Range range,
                                        QString* error);

// A key a command takes as KEY=VALUE, and the range of its value.
struct Field {
    QString key;
    Range range;
};

template <std::size_t N> std::vector<Field> fieldsOf(const ValueRule (&rules)[N]) {
    std::vector<Field> fields;
    for (const ValueRule& rule : rules)
        fields.push_back({QLatin1String(rule.key), rangeOf(rule)});
    return fields;
}

// The values of KEY=VALUE `settings`, one a field (empty when not given),
// each key given at most once; or nullopt with *error. With `flag`,
// in2_used=true|false is taken too.
std::optional<std::vector<std::optional<std::int32_t>>>
keyValues(const QStringList& settings, const std::vector<Field>& fields, const QString& command,
          QString* error, std::optional<bool>* flag = nullptr);

// The profile in the file `path` ("-": standard input), or nullopt with
// *error naming the file.
std::optional<Profile> readProfile(const QString& path, QString* error);

} // namespace stepdrive::cli
