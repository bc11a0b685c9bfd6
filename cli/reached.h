#pragma once
// What a run has done to the drive so far, kept as it goes, so that a
// failure can say what reached the drive: the phase it failed in, the keys
// written and those verified.

#include "core/frame.h"
#include "core/profile.h"

#include <QJsonObject>
#include <QStringList>
#include <optional>
#include <vector>

namespace stepdrive::cli {

struct Reached {
    // "opening", "writing", "reading", "sending" (a command that is not a
    // write: a move, a stop, the outputs) or "waiting" (--wait).
    QString phase = QStringLiteral("opening");
    bool sent = false;          // a frame went out
    bool motion = false;        // a motion went out that no stop has ended since
    bool commanded = false;     // a command that is not a read or write went out
    QString note;               // what else happened: "the stop command was answered"
    QStringList written;        // keys whose frame the driver answered, in order
    QStringList unanswered;     // keys of a frame that went out without a reply
    QStringList answeredFaulty; // keys of a frame whose reply came with a wrong status or trailer
    std::vector<Item> read;     // values read back so far
    // What the command writes, or verifies against a file; empty for the
    // commands that do neither.
    std::vector<Item> wanted;
    bool writes = false;
    std::optional<bool> in2Used; // the IN2-use flag asked for
};

// The keys a write frame carries: "motor.run_current", the three of a table
// entry, "belt.in2_used".
QStringList keysOfFrame(Format format, const std::vector<std::uint8_t>& args);

// "motor.*, table.1-6, belt.speed": keys in short.
QString shortKeys(const QStringList& keys);

// A difference as a result line gives it: "24 (wrote 25)", "24 (the file
// has 25)".
QString differenceText(const Difference& difference, bool wrote);

// A read-back of the values `wanted` (written, or a file's) as JSON:
// "verified", the values read back as expected; "not_verified", every key
// that was not (read otherwise, not read, or the IN2-use flag when given);
// and when some were read otherwise, "differences".
QJsonObject readBackJson(const std::vector<Item>& wanted, const std::vector<Item>& read,
                         std::optional<bool> in2Used, bool wrote);

// What a failure on `port` adds to its cause: "while writing: motor.* and
// table.1-6 were written, table.7 went out without a reply; the drive may
// hold part of what was asked" (or "its reply came faulty").
QString whatReached(const Reached& reached, const QString& port);

// The error object's parts beside status and message: "phase", "sent", and
// for a command that writes or verifies "written", "verified" and
// "not_verified".
QJsonObject reachedJson(const Reached& reached);

// Values by dotted key, nested as a profile nests them; "table" is a list
// of seven rows (null for a row not concerned).
QJsonObject nestedValues(const std::vector<std::pair<QString, QJsonValue>>& values,
                         QJsonObject into = {});

// Cuts a text a user gave (a key, an argument) to a length fit for a message.
QString cut(const QString& text);

} // namespace stepdrive::cli
