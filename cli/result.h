#pragma once
// What a command found on one line, kept as a value: its key=value lines and
// its JSON object, made together from the same values, and printed as one or
// the other.

#include "core/profile.h"

#include <QJsonObject>
#include <QJsonValue>
#include <QString>
#include <utility>
#include <vector>

namespace stepdrive::cli {

using Values = std::vector<std::pair<QString, QJsonValue>>;

Values valuesOf(const std::vector<Item>& items);

class Result {
public:
    // `port` is the --port given; null for none.
    explicit Result(QJsonValue port = {}) : port_(std::move(port)) {}

    // Values by dotted key: a key=value line each, nested in the object.
    void values(const Values& values);
    void profile(const Profile& p);
    // A whole profile file: JSON either way, indented as text.
    void document(const QJsonObject& o);
    // Parts of the object alone, and lines of the text alone, where the two
    // say a thing differently (a comparison).
    void add(const QJsonObject& o);
    void lines(const Values& values);

    QString port() const { return port_.toString(); }
    const QString& text() const { return text_; }
    // The values found, as JSON, without the port.
    const QJsonObject& found() const { return object_; }
    // The object, with the port and, on failure, `error` ({"status",
    // "message", ...}).
    QJsonObject object(const QJsonObject& error = {}) const;

private:
    QJsonValue port_;
    QString text_;
    QJsonObject object_;
};

// A JSON object as one line of standard output.
QString jsonLine(const QJsonObject& o);

} // namespace stepdrive::cli
