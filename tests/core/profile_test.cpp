// A profile written and read back is the same profile, at every range's ends.

#include "core/profile.h"

#include <QJsonDocument>
#include <gtest/gtest.h>

using namespace stepdrive;

namespace {

// Every value at the low or the high end of its range; the flag as given.
Profile atEnds(bool high, std::optional<bool> in2Used) {
    Profile p;
    const auto end = [high](Range r) { return high ? r.max : r.min; };
    for (int i = 0; i < kMotorParameterCount; ++i)
        p.motor[static_cast<std::size_t>(i)] = end(rangeOf(kMotorParameters[i]));
    std::array<TableEntry, kTableEntries> table{};
    for (TableEntry& e : table)
        e = {end(tablePositionRange()), end(tableSpeedRange()), end(tableSpeedRange())};
    p.table = table;
    std::array<std::int32_t, kBeltParameterCount> belt{};
    for (int i = 0; i < kBeltParameterCount; ++i)
        belt[static_cast<std::size_t>(i)] = end(rangeOf(kBeltParameters[i]));
    p.belt = belt;
    p.in2Used = in2Used;
    return p;
}

QByteArray written(const Profile& p) {
    return QJsonDocument(toJson(p)).toJson();
}

} // namespace

TEST(Profile, whatTheWriterWritesTheReaderTakesBackUnchanged) {
    Profile motorOnly;
    motorOnly.motor = atEnds(true, {}).motor;
    const Profile cases[] = {everythingReadable(), atEnds(false, {}), atEnds(true, true),
                             atEnds(true, false), motorOnly};
    for (const Profile& p : cases) {
        const QByteArray file = written(p);
        QString error;
        const auto back = parseProfile(file, &error);
        ASSERT_TRUE(back) << error.toStdString() << "\n" << file.toStdString();
        EXPECT_EQ(written(*back), file);
        // A key the file lacks stays missing: no flag, no section is made up.
        EXPECT_EQ(back->in2Used, p.in2Used) << file.toStdString();
        EXPECT_EQ(back->table.has_value(), p.table.has_value());
        EXPECT_EQ(back->belt.has_value(), p.belt.has_value());
    }
    EXPECT_TRUE(written(atEnds(false, {})).contains("-8388608"));
    EXPECT_TRUE(written(atEnds(true, {})).contains("65535"));
}
