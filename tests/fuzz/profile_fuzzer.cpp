// Fuzz target: the set-up profile reader, on any bytes a file may hold. It
// never crashes or hangs; a file it takes writes out and reads back to the
// same profile; a file it refuses is refused with a message that names a key
// or a line and column.

#include "core/profile.h"
#include "tests/fuzz/fuzz_check.h"

#include <QJsonDocument>
#include <QRegularExpression>
#include <cstddef>
#include <cstdint>

using namespace stepdrive;
using stepdrive::fuzz::require;

namespace {

QByteArray written(const Profile& p) {
    return QJsonDocument(toJson(p)).toJson(QJsonDocument::Compact);
}

bool namesAPlace(const QString& error) {
    static const QRegularExpression place(
        QStringLiteral("^(motor|table|belt|about|port)[.:]|line [0-9]+, column [0-9]+|"
                       ": unknown key \\(expected motor, table, belt, about, port\\)$"),
        QRegularExpression::DotMatchesEverythingOption);
    return place.match(error).hasMatch();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const QByteArray file(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QString error;
    const auto profile = parseProfile(file, &error);
    if (!profile) {
        require(namesAPlace(error), "a refused file names a key or a line and column");
        return 0;
    }
    require(error.isEmpty(), "a file taken says nothing");
    const QByteArray once = written(*profile);
    const auto again = parseProfile(once, &error);
    require(again.has_value(), "what the writer writes, the reader takes");
    require(written(*again) == once, "a profile written and read back is the same profile");
    require(again->in2Used == profile->in2Used, "the IN2 flag is kept, and not made up");
    return 0;
}
