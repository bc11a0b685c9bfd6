#pragma once
// A driver's set-up as a file: JSON with the sections "motor", "table" and
// "belt", any of them. A section present is complete: the seven motor
// parameters; seven table entries of position, velocity and acceleration;
// the four belt parameters, with the IN2-use flag optional. An "about"
// object of strings (port, date, program, note) rides along unused, and a
// top-level "port" (what stepdrive-cli --json prints beside a dump) is
// taken and ignored.

#include "core/driver_values.h"

#include <QByteArray>
#include <QJsonObject>
#include <QJsonParseError>
#include <QString>
#include <QStringList>
#include <optional>
#include <vector>

namespace stepdrive {

// Each section holds the values given; what is empty is not part of the
// profile. A file gives whole sections; the command line may give the motor
// parameters one by one.
struct Profile {
    MotorValues motor;
    TableValues table;
    BeltValues belt;
    std::optional<bool> in2Used; // written only: the driver can't report it
    QJsonObject about;           // strings only; empty when the file has none
};

// Every value the driver can report (all zero): what a dump reads.
Profile everythingReadable();

// The range a value of each kind must lie in.
struct Range {
    std::int32_t min;
    std::int32_t max;
};

// Why a file was refused, as data: the windows word it in the operator's
// language, the command line in English (englishText). Which fields a
// reason fills is said beside it.
struct ProfileFault {
    enum class Reason {
        MalformedJson,  // line, column, jsonError
        GivenTwice,     // key, line and column of its second place
        Exponent,       // key, value, line, column: a number written with an exponent
        NotAnObject,    // line, column: the document is no JSON object
        NoSections,     // line, column: none of motor, table, belt
        UnknownKey,     // key, expected: the keys allowed there
        Missing,        // key
        NotANumber,     // key, value
        NotWhole,       // key, value
        OutOfRange,     // key, value, range
        NotTrueOrFalse, // key, value
        NotAString,     // key, value
        NotStrings,     // key "about": not an object of strings
        NotParameters,  // key: "motor" or "belt" is not an object
        NotEntryList,   // key "table", entries: not a list of that many
        NotEntry,       // key "table.3", expected: the entry's fields
    };
    Reason reason = Reason::MalformedJson;
    QString key;   // "motor.run_current", "table.3.position"
    QString value; // the value as the file writes it: 40, "20", true
    Range range{};
    QStringList expected;
    int entries = 0;
    int line = 0;
    int column = 0;
    QJsonParseError::ParseError jsonError = QJsonParseError::NoError;
};

// The profile in `json`, or nullopt with what is wrong in *fault.
std::optional<Profile> parseProfile(const QByteArray& json, ProfileFault* fault);
// The same, with what is wrong in English in *error, naming the key
// ("motor.run_current: 40 is out of range (0 to 31)").
std::optional<Profile> parseProfile(const QByteArray& json, QString* error);
// A refusal in the command line's English.
QString englishText(const ProfileFault& fault);

// The sections of `profile` as a file holds them: the values given (an
// entry not given is null in the table, which no file may hold).
QJsonObject toJson(const Profile& profile);

// One value of a profile by its key: "motor.run_current", "table.3.position",
// "belt.speed". The IN2-use flag is not among them.
struct Item {
    QString key;
    std::int32_t value;
};
std::vector<Item> items(const Profile& profile);
// The key of a field of table entry `entry` (1-7): "table.3.position".
QString tableKey(int entry, const char* field);
// The three values of table entry `entry`, by their keys.
std::vector<Item> entryItems(int entry, const TableEntry& e);

// The keys `written` sets and `readBack` shows otherwise.
struct Difference {
    QString key;
    std::int32_t wrote;
    std::optional<std::int32_t> read;
};
std::vector<Difference> differences(const std::vector<Item>& written,
                                    const std::vector<Item>& readBack);

// A number's text as a script or a profile writes it: an optional sign and
// digits, and after a point only zeros, is whole ("20", "-5", "20.0"); with
// other digits after the point, a fraction ("20.5", ".5"); anything else is
// not a number ("1e3", "fast", "0x10"). The part before the point goes to
// *whole.
enum class NumberKind { NotANumber, Fraction, Whole };
NumberKind numberKind(const QString& text, QString* whole);

Range rangeOf(const ValueRule& rule);
// What a table field carries: carried() as a range.
Range rangeOf(const TableField& field);
Range tablePositionRange();
Range tableSpeedRange();

} // namespace stepdrive
