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
    p.table = asValues<TableValues>(table);
    std::array<std::int32_t, kBeltParameterCount> belt{};
    for (int i = 0; i < kBeltParameterCount; ++i)
        belt[static_cast<std::size_t>(i)] = end(rangeOf(kBeltParameters[i]));
    p.belt = asValues<BeltValues>(belt);
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
        EXPECT_EQ(givenCount(back->table), givenCount(p.table));
        EXPECT_EQ(givenCount(back->belt), givenCount(p.belt));
    }
    EXPECT_TRUE(written(atEnds(false, {})).contains("-8388608"));
    EXPECT_TRUE(written(atEnds(true, {})).contains("65535"));
    // A table entry's values go by entry and field.
    const std::vector<Item> entry = entryItems(3, {5, 6, 7});
    ASSERT_EQ(entry.size(), 3u);
    EXPECT_EQ(entry[1].key.toStdString(), "table.3.velocity");
    EXPECT_EQ(entry[1].value, 6);
}

// A note rides along and comes back as it was; a number with an exponent
// is refused as on the command line, and so is a note that is not text.
TEST(Profile, aNoteIsKeptAndExponentsAreRefused) {
    const QByteArray motor = R"("motor": {"run_current": 20, "stop_current": 4, "run_speed": 800,
        "acceleration": 10, "homing_speed": 500, "home_offset": 0, "resolution": 2})";
    const struct {
        QByteArray file;
        const char* error; // empty: taken
    } cases[] = {
        {"{\"about\": {\"note\": \"line 2 1e3\", \"date\": \"x\"}, \"port\": \"COM4\", " + motor +
             "}",
         ""},
        {"{\"port\": null, " + motor + "}", ""},
        {"{" + motor + "}", ""},
        {"{" + QByteArray(motor).replace("20,", "2e1,") + "}",
         "motor.run_current: 2e1 is refused: write whole numbers without an exponent (line 1, "
         "column 27)"},
        {"{" + QByteArray(motor).replace("500,", "5.0E+2,") + "}",
         "motor.homing_speed: 5.0E+2 is refused: write whole numbers without an exponent (line 2, "
         "column 45)"},
        {"{\"about\": {\"serial\": 4711}, " + motor + "}",
         "about.serial: 4711 is not a string (line 1, column 22)"},
        {"{\"about\": \"x\", " + motor + "}",
         "about: must be an object of strings (line 1, column 11)"},
        {"{\"port\": 4, " + motor + "}", "port: 4 is not a string (line 1, column 10)"},
        // Numbers as written, never as the JSON reader rounds them.
        {"{" + QByteArray(motor).replace("20,", "19.9999999999999999,") + "}",
         "motor.run_current: 19.9999999999999999 is not a whole number (line 1, column 27)"},
        {"{" +
             QByteArray(motor).replace("\"home_offset\": 0", "\"home_offset\": 9007199254740993") +
             "}",
         "motor.home_offset: 9007199254740993 is out of range (-2147483648 to 2147483647) (line "
         "2, column 65)"},
        {"{" + QByteArray(motor).replace("800", "800.000") + "}", ""},
        {"{" + QByteArray(motor).replace(", \"resolution\": 2", "") + "}",
         "motor.resolution: missing (line 1, column 11)"},
        {"{\"about\": {}}",
         "line 1, column 1: the profile has none of the sections motor, table, belt"},
    };
    for (const auto& c : cases) {
        QString error;
        const auto p = parseProfile(c.file, &error);
        EXPECT_EQ(error.toStdString(), c.error) << c.file.toStdString();
        if (p && p->about.contains("note")) {
            EXPECT_EQ(toJson(*p)["about"].toObject()["note"], "line 2 1e3");
            EXPECT_FALSE(toJson(*p).contains("port")) << "the port of --json is passed by";
        }
    }
}

// A number as a script or a file writes it: whole, a fraction, or none.
TEST(Profile, aNumbersTextIsWholeOnlyWithZerosAfterItsPoint) {
    using Kind = NumberKind;
    const struct {
        const char* text;
        Kind kind;
        const char* whole;
    } cases[] = {
        {"20", Kind::Whole, "20"},       {"+5", Kind::Whole, "+5"},
        {"-0", Kind::Whole, "-0"},       {"20.00", Kind::Whole, "20"},
        {"5.", Kind::Whole, "5"},        {"20.5", Kind::Fraction, ""},
        {".5", Kind::Fraction, ""},      {"-.0", Kind::Fraction, ""},
        {"1e3", Kind::NotANumber, ""},   {"", Kind::NotANumber, ""},
        {"-", Kind::NotANumber, ""},     {"0x10", Kind::NotANumber, ""},
        {"1.2.3", Kind::NotANumber, ""}, {"\u0663", Kind::NotANumber, ""},
    };
    for (const auto& c : cases) {
        QString whole;
        EXPECT_EQ(numberKind(QString::fromUtf8(c.text), &whole), c.kind) << c.text;
        if (c.kind == Kind::Whole) {
            EXPECT_EQ(whole, c.whole) << c.text;
        }
    }
}
