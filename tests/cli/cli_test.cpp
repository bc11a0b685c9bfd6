// stepdrive-cli's commands over a fake port that the driver model answers:
// pacing, read-back and its differences, refused profiles and command lines,
// failed replies and what is printed.

#include "cli/cli.h"
#include "cli/commands.h"
#include "cli/exchange.h"
#include "core/commands.h"
#include "link/port_failure_text.h"
#include "tests/support/driver_model.h"
#include "tests/support/fakes.h"
#include "tests/support/profiles.h"
#include "ui/port_words.h"

#include <QFile>
#include <QJsonArray>
#include <QJsonDocument>
#include <QJsonObject>
#include <QRegularExpression>
#include <QSet>
#include <QTextStream>
#include <gtest/gtest.h>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

struct Cli : ::testing::Test {
    RecordingPause pause;
    DriverModel model;
    TempFiles files;
    std::vector<FakeCommControl::Sent> sent;
    int portsMade = 0;
    int connectMs = 0; // the last port's connect timeout
    QString out;
    QString err;
    // When set and true for a block written, the line is lost as it goes out.
    std::function<bool(const QString& hex)> lostAt;

    int run(QStringList arguments, bool terminal = false) {
        out.clear();
        err.clear();
        sent.clear();
        QTextStream o(&out);
        QTextStream e(&err);
        const int status = cli::run(
            QStringList{"--port", "/dev/fake", "--timeout", "0.05"} + arguments,
            [this](const QString&) {
                ++portsMade;
                auto port = std::make_unique<FakeCommControl>("cli", nullptr, &pause);
                port->answer = [this, p = port.get()](const QByteArray& block) {
                    sent.push_back(p->sent.back());
                    connectMs = p->connectTimeoutMs();
                    if (lostAt && lostAt(hexOf(block))) {
                        p->lose();
                        return QByteArray();
                    }
                    return model.answer(block);
                };
                return port;
            },
            [this] { return std::make_unique<LentPause>(pause); }, o, e, terminal);
        o.flush();
        e.flush();
        return status;
    }
    int apply(const QByteArray& profile, QStringList options = {}) {
        return run(options << "apply" << files.with(profile));
    }
    // The blocks sent, as hex, those starting with `prefix` only.
    QStringList sentHex(const QString& prefix = {}) const {
        QStringList all;
        for (const auto& s : sent)
            if (hexOf(s.bytes).startsWith(prefix))
                all << hexOf(s.bytes);
        return all;
    }
};

// A reply's position of the code (2) and of the first data byte (4).
constexpr std::size_t kCodeAt = 2;
constexpr std::size_t kDataAt = 4;

} // namespace

TEST_F(Cli, applyWritesEverySectionPacedThenReadsItBackPaced) {
    ASSERT_EQ(apply(kNonDefaultProfile), 0) << err.toStdString();

    // 7 motor parameters, 7 table entries, 4 belt parameters and the flag,
    // 150 ms after each and 100 ms before the first motor and belt frames;
    // then 7 + 7 + 4 read requests, 100 ms after each reply.
    const QStringList prefixes{"AA 00 05", "CC 00 0E", "AA 00 0D",
                               "AA 00 06", "CC 00 0F", "AA 00 0E"};
    const int counts[] = {7, 7, 5, 7, 7, 4};
    QStringList expected;
    for (int i = 0; i < prefixes.size(); ++i)
        for (int n = 0; n < counts[i]; ++n)
            expected << prefixes[i];
    QStringList got;
    for (const QString& hex : sentHex())
        got << hex.left(8);
    EXPECT_EQ(got, expected);
    ASSERT_EQ(sent.size(), 37u);
    EXPECT_EQ(sent[0].atMs, 100);
    for (std::size_t i = 1; i < sent.size(); ++i)
        EXPECT_EQ(sent[i].atMs - sent[i - 1].atMs, i == 14 ? 250 : i <= 19 ? 150 : 100) << i;
    EXPECT_EQ(pause.durations.size(), 39u);

    // The driver holds the profile; the IN2-use flag went out but is not
    // claimed verified.
    EXPECT_EQ(model.driver.parameter(9), -5000);
    EXPECT_EQ(model.driver.tableEntry(5).position, -8388608);
    EXPECT_EQ(model.driver.belt(4), 65535);
    EXPECT_TRUE(model.driver.in2Used());
    EXPECT_TRUE(out.contains("motor.home_offset=-5000\n"));
    EXPECT_TRUE(out.contains("table.5.velocity=-1\n"));
    EXPECT_FALSE(out.contains("in2"));
    EXPECT_TRUE(err.contains("belt.in2_used=true was sent but not verified"));

    // A device server is waited for --timeout, 3 s at least.
    EXPECT_EQ(connectMs, 3000);
    ASSERT_EQ(run({"--timeout", "4.5", "position"}), 0);
    EXPECT_EQ(connectMs, 4500);
}

TEST_F(Cli, aReadBackThatDiffersExitsThreeWithTheDifferences) {
    // The driver keeps 24 for a run current and 4 for a resolution.
    model.tamper = [](const Bytes& command, Bytes& reply) {
        if (command[2] == cmd::ReadParameter && command[3] == 1)
            reply[kDataAt + 3] = 24;
        if (command[2] == cmd::ReadParameter && command[3] == 6)
            reply[kDataAt + 3] = 4;
    };
    EXPECT_EQ(run({"params", "write", "run_current=25", "stop_current=6", "resolution=3"}), 3);
    EXPECT_EQ(out, "motor.run_current=24 (wrote 25)\nmotor.resolution=4 (wrote 3)\n");
    EXPECT_TRUE(err.contains("2 value(s) read back differ")) << err.toStdString();

    EXPECT_EQ(run({"--json", "params", "write", "run_current=25"}), 3);
    EXPECT_EQ(out, "{\"differences\":[{\"key\":\"motor.run_current\",\"read\":24,\"wrote\":25}],"
                   "\"error\":{\"message\":\"1 value(s) read back differ from what was written\","
                   "\"not_verified\":[\"motor.run_current\"],\"phase\":\"reading\",\"sent\":true,"
                   "\"status\":3,\"verified\":{},\"written\":[\"motor.run_current\"]},"
                   "\"not_verified\":[\"motor.run_current\"],\"port\":\"/dev/fake\","
                   "\"verified\":{}}\n");

    // A verify cut short by a lost reply keeps the difference it found
    // before, in the message and in the JSON.
    model.tamper = {};
    ASSERT_EQ(apply(kNonDefaultProfile), 0) << err.toStdString();
    model.tamper = [](const Bytes& command, Bytes& reply) {
        if (command[2] == cmd::ReadParameter && command[3] == 1)
            reply[kDataAt + 3] = 24;
        if (command[2] == cmd::ReadParameter && command[3] == 6)
            reply.clear();
    };
    EXPECT_EQ(run({"--json", "verify", files.with(kNonDefaultProfile)}), 4);
    EXPECT_TRUE(err.contains("while reading: motor.stop_current, motor.run_speed, "
                             "motor.acceleration, motor.homing_speed and motor.home_offset read "
                             "back as the file has and motor.run_current read back 24 (the file "
                             "has 25)"))
        << err.toStdString();
    const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
    const QJsonObject found{{"key", "motor.run_current"}, {"read", 24}, {"file", 25}};
    EXPECT_EQ(o["differences"], QJsonArray{found}) << out.toStdString();
    EXPECT_TRUE(o["error"]["not_verified"].toArray().contains("motor.run_current"));
}

// verify reads and writes nothing; it lists what the driver holds otherwise.
TEST_F(Cli, verifyComparesWithoutWritingAndListsWhatTheDriverChanged) {
    const QString profile = files.with(kNonDefaultProfile);
    ASSERT_EQ(run({"apply", profile}), 0) << err.toStdString();
    ASSERT_EQ(run({"verify", profile}), 0) << err.toStdString();
    EXPECT_TRUE(err.contains("belt.in2_used=true is not verified")) << err.toStdString();
    ASSERT_EQ(run({"table", "write", "3", "position=-1200"}), 0) << err.toStdString();
    EXPECT_EQ(run({"verify", profile}), 3);
    EXPECT_EQ(out, "table.3.position=-1200 (the file has -1)\n");
    EXPECT_TRUE(err.contains("1 value(s) on the driver differ from " + profile));
    EXPECT_EQ(sentHex("AA 00 05") + sentHex("CC 00 0E") + sentHex("AA 00 0D"), QStringList());
}

TEST_F(Cli, aProfileThatIsRefusedSendsNothing) {
    const struct {
        const char* profile;
        const char* error;
    } cases[] = {
        {R"({"motor": {"run_current": 40, "stop_current": 4, "run_speed": 800,
             "acceleration": 10, "homing_speed": 500, "home_offset": 0, "resolution": 2}})",
         "motor.run_current: 40 is out of range (0 to 31)"},
        {R"({"motor": {"run_current": 2.5, "stop_current": 4, "run_speed": 800,
             "acceleration": 10, "homing_speed": 500, "home_offset": 0, "resolution": 2}})",
         "motor.run_current: 2.5 is not a whole number"},
        {R"({"motor": {"run_current": "20", "stop_current": 4, "run_speed": 800,
             "acceleration": 10, "homing_speed": 500, "home_offset": 0, "resolution": 2}})",
         "motor.run_current: \"20\" is not a number"},
        {R"({"motor": {"run_current": 20, "stop_current": 4, "run_speed": 800,
             "acceleration": 10, "homing_speed": 500, "home_offset": 0}})",
         "motor.resolution: missing"},
        {R"({"motor": {"run_current": 20, "stop_current": 4, "run_speed": 800, "torque": 1,
             "acceleration": 10, "homing_speed": 500, "home_offset": 0, "resolution": 2}})",
         "motor.torque: unknown key"},
        {R"({"table": [{"position": 0, "velocity": 1, "acceleration": 1}]})",
         "table: must be a list of 7 entries"},
        {R"({"belt": {"acceleration": 1, "speed": 65536, "deceleration": 1, "final_speed": 1}})",
         "belt.speed: 65536 is out of range (0 to 65535)"},
        {R"({"belt": {"acceleration": 1, "speed": 1, "deceleration": 1, "final_speed": 1,
             "in2_used": 1}})",
         "belt.in2_used: 1 is not true or false"},
        {"{\"motor\": {\n  \"run_current\" 20}}", "malformed JSON at line 2, column"},
        {"[1]", "a profile is a JSON object"},
        {"{}", "none of the sections"},
        {"{\"belt\": {\"speed\": 1,\n \"speed\": 2}}",
         "belt.speed: given twice (again at line 2, column 2)"},
        {"{\"table\": [{}, {}, {\"position\": 1,\n\n \"position\": 2}]}",
         "table.3.position: given twice (again at line 3, column 2)"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(apply(c.profile), 1) << c.profile;
        EXPECT_TRUE(err.contains(c.error)) << err.toStdString();
        EXPECT_FALSE(err.contains("--help")) << "a file error is no usage error";
    }

    // The table's fields: 24-bit positions, 16-bit velocities and
    // accelerations; an entry missing a field.
    const struct {
        int entry;
        const char* field;
        QJsonValue value; // undefined: the field is left out
        const char* error;
    } fields[] = {{3, "position", 8388608, "table.3.position: 8388608 is out of range"},
                  {1, "velocity", 32768, "table.1.velocity: 32768 is out of range"},
                  {2, "acceleration", -32769, "table.2.acceleration: -32769 is out of range"},
                  {4, "velocity", QJsonValue(), "table.4.velocity: null is not a number"},
                  {5, "velocity", QJsonValue::Undefined, "table.5.velocity: missing"}};
    for (const auto& f : fields) {
        QJsonArray entries;
        for (int n = 1; n <= 7; ++n) {
            QJsonObject entry{{"position", 0}, {"velocity", 800}, {"acceleration", 10}};
            if (n == f.entry && f.value.isUndefined())
                entry.remove(f.field);
            else if (n == f.entry)
                entry[f.field] = f.value;
            entries.append(entry);
        }
        EXPECT_EQ(apply(QJsonDocument(QJsonObject{{"table", entries}}).toJson()), 1) << f.error;
        EXPECT_TRUE(err.contains(f.error)) << err.toStdString();
    }
    EXPECT_EQ(portsMade, 0);
    EXPECT_TRUE(sent.empty());

    // check reads a file as apply would, with no port: what apply would
    // write, or the refusal with its line and column.
    const auto check = [this](const QByteArray& profile) {
        out.clear();
        err.clear();
        QTextStream o(&out), e(&err);
        const int status = cli::run(
            {"check", files.with(profile)},
            [](const QString&) { return std::make_unique<FakeCommControl>(); },
            [this] { return std::make_unique<LentPause>(pause); }, o, e);
        o.flush();
        e.flush();
        return status;
    };
    EXPECT_EQ(check(cases[0].profile), 1);
    EXPECT_TRUE(err.contains("motor.run_current: 40 is out of range (0 to 31) (line 1, column 27)"))
        << err.toStdString();
    ASSERT_EQ(check(kNonDefaultProfile), 0) << err.toStdString();
    EXPECT_TRUE(out.contains("table.5.position=-8388608\n") && out.endsWith("belt.in2_used=1\n"))
        << out.toStdString();
    EXPECT_TRUE(sent.empty());
}

TEST_F(Cli, aCommandLineThatIsRefusedSendsNothing) {
    const struct {
        QStringList arguments;
        const char* error;
    } cases[] = {
        {{"params", "write", "run_current=32"}, "run_current: 32 is out of range (0 to 31)"},
        {{"params", "write", "speed=5"}, "\"speed=5\" is not KEY=VALUE"},
        {{"params", "write", "run_current=1", "run_current=2"}, "run_current is given twice"},
        {{"params", "write"}, "params write needs KEY=VALUE"},
        {{"params", "write", "run_speed=fast"}, "run_speed: \"fast\" is not a number"},
        {{"move", "abs", "1e5"}, "PULSES: \"1e5\" is not a number"},
        {{"move", "up", "5"}, "move takes abs or rel, not \"up\""},
        {{"jog", "up", "100"}, "jog takes left or right, not \"up\""},
        {{"--port", "", "stop"}, "--port: \"\" names no port"},
        {{"--port", "COM4", "--port", "com4", "dump"}, "are the same device"},
        {{"-o", "x.json", "position"}, "--output goes with dump only"},
        {{"jog", "left", "2048"}, "SPEED: 2048 is out of range (0 to 2047)"},
        {{"outputs", "2", "0"}, "S1: 2 is out of range (0 to 1)"},
        {{"table", "run", "8"}, "ROW: 8 is out of range (1 to 7)"},
        {{"move", "abs"}, "move abs needs PULSES"},
        {{"move"}, "move needs abs or rel"},
        {{"outputs", "1"}, "outputs needs S2"},
        {{"table", "write"}, "table write needs ROW and KEY=VALUE"},
        {{"stop", "now"}, "stop takes no argument; \"now\" is too much"},
        {{"params", "write", "home_offset=4294967297"},
         "home_offset: 4294967297 is out of range (-2147483648 to 2147483647)"},
        {{"params", "write", "run_current=1.5"}, "run_current: \"1.5\" is not a whole number"},
        {{}, "no command given"},
        {{"--timeout", "0", "stop"}, "--timeout: \"0\" is not a number of seconds"},
        {{"--baud", "fast", "stop"}, "--baud: \"fast\" is not a line speed"},
        {{"--colour", "stop"}, "unknown option --colour"},
        {{"--port", "/dev/other", "position"},
         "only apply, verify, dump and monitor take more than one --port"},
        {{"--wait-timeout", "5", "position"}, "--wait-timeout goes with --wait only"},
        {{"--duration", "5", "position"}, "--interval, --duration and --csv go with monitor only"},
        {{"--csv", "--json", "monitor"}, "--csv and --json don't go together"},
        {{"--interval", "70", "monitor"}, "--interval: \"70\" is not 50, 100, 200 or 500 (ms)"},
        {{"--port", "--json", "position"}, "--port: \"--json\" is an option, not a port"},
        {{"--port", "/dev/fake", "dump"}, "--port /dev/fake is given twice"},
        // One device server port under two spellings; malformed addresses.
        {{"--port", "tcp://[::ffff:127.0.0.1]:4001", "--port", "tcp://127.0.0.1:4001", "dump"},
         "are the same device"},
        {{"--port", "tcp://127.0.0.1:4001/", "dump"}, "is not an address"},
        {{"--port", "tcp://127.0.0.1:04001", "dump"}, "is not an address"},
        {{"--port", "rfc2217://127.0.0.1:65536", "dump"}, "is not an address"},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(run(c.arguments), 1) << c.arguments.join(' ').toStdString();
        EXPECT_TRUE(err.contains(c.error)) << err.toStdString();
        EXPECT_TRUE(err.contains("Try 'stepdrive-cli --help'"));
    }
    QString noPort;
    QTextStream e(&noPort);
    QTextStream o(&out);
    EXPECT_EQ(cli::run(
                  {"stop"}, [](const QString&) { return std::unique_ptr<CommControl>(); },
                  [this] { return std::make_unique<LentPause>(pause); }, o, e),
              1);
    e.flush();
    EXPECT_TRUE(noPort.contains("--port is required"));
    EXPECT_EQ(portsMade, 0);
}

TEST_F(Cli, aReplyThatFailsItsChecksOrNeverComesEndsTheRun) {
    const struct {
        std::size_t at;
        std::uint8_t value;
        int status;
        const char* error;
    } cases[] = {
        // A reply that does not start right or answers another command is
        // no reply to this one.
        {0, 0xBA, 4, "(10 bytes came, none of them a reply: BA 00 06 64"},
        {3, 0x65, 5, "has a wrong status (65, expected 64)"},
        {8, 0xEF, 5, "has a wrong trailer (EF, expected EE)"},
        {kCodeAt, 0x07, 4, "(10 bytes came, none of them a reply: BB 00 07 64"},
        {0, 0, 4, "no reply to AA 00 06 01 00 00 00 00 EE 07 within 0.05 s (9 of 10 bytes came)"},
    };
    for (const auto& c : cases) {
        model.tamper = [&c](const Bytes&, Bytes& reply) {
            if (c.value == 0)
                reply.pop_back();
            else
                reply[c.at] = c.value;
        };
        EXPECT_EQ(run({"params", "read"}), c.status) << c.error;
        EXPECT_TRUE(err.contains(c.error)) << err.toStdString();
        EXPECT_EQ(sent.size(), 1u) << "the run ends at the first failed reply";
        EXPECT_TRUE(out.isEmpty());
    }
    // A write whose reply came faulty is not said to have had none.
    for (const bool comes : {true, false}) {
        model.tamper = [comes](const Bytes&, Bytes& reply) {
            comes ? void(reply[8] = 0xEF) : reply.clear();
        };
        EXPECT_EQ(run({"params", "write", "run_current=5"}), comes ? 5 : 4);
        EXPECT_TRUE(err.contains(comes ? "has a wrong trailer (EF, expected EE), while writing: "
                                         "motor.run_current went out and its reply came faulty;"
                                       : "motor.run_current went out without a reply;"))
            << err.toStdString();
    }
}

// A failure after the first frame never says "nothing was sent": it names
// the phase and what was written, in the message and the JSON error.
TEST_F(Cli, aFailureAfterTheFirstFrameSaysWhatReachedTheDrive) {
    const QString profile = files.with(kNonDefaultProfile);
    const struct {
        QStringList arguments;
        const char* lostAt; // the line is lost at this frame's nth time
        int frames;
        int dropEvery; // no reply to every nth command
        int status;
        QStringList said;
    } cases[] = {
        {{"apply", profile},
         "CC 00 0E",
         3,
         0,
         2,
         {"the connection was lost", "while writing: motor.* and table.1-",
          "the drive may hold part of what was asked"}},
        {{"move", "rel", "100000000", "--wait"},
         "AA 00 0C",
         1,
         0,
         2,
         {"while waiting", "the motor may still be running (stepdrive-cli --port "}},
        {{"dump"}, "CC 00 0F", 1, 0, 2, {"while reading", "nothing was written to the drive"}},
        {{"verify", profile},
         nullptr,
         0,
         3,
         4,
         {"while reading: motor.run_current read back 20 (the file has 25) and "
          "motor.stop_current read back 4 (the file has 6)"}},
        {{"apply", profile},
         nullptr,
         0,
         25,
         4,
         {"no reply to AA 00 06", "while reading: motor.*, table.*, belt.* and belt.in2_used were "
                                  "written and motor.run_current"}},
    };
    int commands = 0;
    const auto dropEvery = [&](int n) {
        model = DriverModel();
        commands = 0;
        model.tamper = [&commands, n](const Bytes&, Bytes& reply) {
            if (n && ++commands % n == 0)
                reply.clear();
        };
    };
    for (const auto& c : cases) {
        dropEvery(c.dropEvery);
        lostAt = [&](const QString& hex) {
            return c.lostAt && hex.startsWith(c.lostAt) && sentHex(c.lostAt).size() == c.frames;
        };
        EXPECT_EQ(run(c.arguments), c.status) << err.toStdString();
        for (const QString& said : c.said)
            EXPECT_TRUE(err.contains(said)) << said.toStdString() << "\n" << err.toStdString();
        EXPECT_FALSE(err.contains("nothing was sent")) << err.toStdString();
    }
    // The same in JSON: the phase, and the keys written and verified.
    lostAt = {};
    dropEvery(25);
    ASSERT_EQ(run({"--json", "apply", profile}), 4);
    const QJsonObject error = QJsonDocument::fromJson(out.toUtf8())["error"].toObject();
    EXPECT_EQ(error["phase"], "reading") << out.toStdString();
    EXPECT_EQ(error["sent"], true);
    EXPECT_EQ(error["written"].toArray().size(), 7 + 21 + 4 + 1) << out.toStdString();
    EXPECT_EQ(error["verified"]["motor"]["run_speed"], 1200) << out.toStdString();
    EXPECT_TRUE(error["not_verified"].toArray().contains("table.1.position"));
}

// Stray bytes before a reply, a stray header among them, are skipped.
TEST_F(Cli, aReplyAfterStrayBytesIsFound) {
    model.tamper = [](const Bytes&, Bytes& reply) { reply.insert(reply.begin(), {0xFF, 0xBB}); };
    EXPECT_EQ(run({"position"}), 0) << err.toStdString();
    EXPECT_EQ(out, "position=0\n");
}

// The command line takes back what it dumps, with or without --json: the
// file a technician keeps sets up the next drive.
TEST_F(Cli, dumpThenApplyThenDumpGivesTheSameFile) {
    const auto withoutDate = [](QString file) {
        return file.remove(QRegularExpression("\"date\": ?\"[^\"]*\""));
    };
    for (const QStringList& dump : {QStringList{"dump"}, QStringList{"--json", "dump"}}) {
        ASSERT_EQ(run(dump), 0) << err.toStdString();
        const QString dumped = out;
        ASSERT_EQ(apply(dumped.toUtf8()), 0) << err.toStdString();
        ASSERT_EQ(run(dump), 0) << err.toStdString();
        EXPECT_EQ(withoutDate(out), withoutDate(dumped));
    }
}

TEST_F(Cli, readsPrintKeyValueLinesOrJson) {
    model.driver = sim::Driver(0x81);
    ASSERT_EQ(run({"inputs"}), 0);
    EXPECT_EQ(out, "in1=1\nin2=0\nin3=0\nin4=0\nin5=0\nin6=0\nin7=0\nin8=1\nrunning=0\n"
                   "home_sensor=1\n");
    ASSERT_EQ(run({"--json", "inputs"}), 0);
    EXPECT_EQ(out, "{\"home_sensor\":true,\"in1\":true,\"in2\":false,\"in3\":false,"
                   "\"in4\":false,\"in5\":false,\"in6\":false,\"in7\":false,\"in8\":true,"
                   "\"port\":\"/dev/fake\",\"running\":false}\n");

    ASSERT_EQ(run({"belt", "read"}), 0);
    EXPECT_EQ(out, "belt.acceleration=0\nbelt.speed=0\nbelt.deceleration=0\nbelt.final_speed=0\n");
    ASSERT_EQ(run({"--json", "params", "read"}), 0);
    EXPECT_EQ(out, "{\"motor\":{\"acceleration\":10,\"home_offset\":12800,\"homing_speed\":500,"
                   "\"resolution\":2,\"run_current\":20,\"run_speed\":800,\"stop_current\":4},"
                   "\"port\":\"/dev/fake\"}\n");

    ASSERT_EQ(run({"move", "rel", "-1000"}), 0);
    EXPECT_TRUE(out.isEmpty());
    ASSERT_EQ(run({"--json", "stop"}), 0);
    EXPECT_EQ(out, "{\"port\":\"/dev/fake\"}\n");
}

TEST_F(Cli, helpGivesTheCommandsTheProfileAndTheExitStatuses) {
    ASSERT_EQ(run({"--help"}), 0);
    for (const char* text :
         {"params read", "params write KEY=VALUE", "move abs PULSES", "jog left|right SPEED",
          "outputs S1 S2", "table run ROW", "belt read", "dump", "apply FILE",
          "run_current (0 to 31)", "home_offset (-2147483648 to 2147483647)", "\"in2_used\": false",
          "3    the read-back differs",
          "5    a reply to the command failed its status or trailer check"})
        EXPECT_TRUE(out.contains(text)) << text;
    EXPECT_FALSE(out.contains('@')) << "every value of the text filled in";
    EXPECT_TRUE(sent.empty());

    // The example in the help is a profile apply takes.
    const QString example = out.section("for example:\n", 1).section("\n\n", 0, 0);
    EXPECT_EQ(apply(example.toUtf8()), 0) << err.toStdString();
}

// Each command of the table has its own help, asked either way: its usage,
// an entry for each option it takes and each exit status it can give, and
// an example of it.
TEST_F(Cli, everyCommandHasItsOwnHelp) {
    const std::pair<int, QStringList> taken[] = {
        {cli::kWait, {"--wait", "--wait-timeout"}},
        {cli::kOutput, {"--output"}},
        {cli::kWatch, {"--interval", "--duration", "--csv"}}};
    for (const cli::Syntax& command : cli::syntaxes()) {
        const QString name = command.words.join(' ');
        ASSERT_EQ(run(QStringList{"help"} + command.words), 0) << name.toStdString();
        const QString help = out;
        ASSERT_EQ(run(command.words + QStringList{"--help"}), 0);
        EXPECT_EQ(out, help);
        EXPECT_TRUE(help.startsWith("Usage: stepdrive-cli ") &&
                    help.section('\n', 0, 0).contains(name))
            << help.toStdString();
        // The lines that start an entry (two spaces in) under each heading.
        const auto starts = [&help](const char* heading, const QString& entry) {
            const QString part =
                help.section(heading + QStringLiteral(":\n"), 1).section("\n\n", 0, 0);
            return QRegularExpression("^  (-., )?" + QRegularExpression::escape(entry) + ' ',
                                      QRegularExpression::MultilineOption)
                .match(part)
                .hasMatch();
        };
        QStringList options{"--json"};
        if (!(command.takes & cli::kNoPort))
            options << "--port";
        for (const auto& [flag, names] : taken)
            if (command.takes & flag)
                options << names;
        for (const QString& option : options)
            EXPECT_TRUE(starts("Options", option))
                << name.toStdString() << ": " << option.toStdString();
        for (const cli::ExitStatus status : command.exits)
            EXPECT_TRUE(starts("Exit status", QString::number(status)))
                << name.toStdString() << ": " << status;
        const QString example = help.section("Example:\n  ", 1);
        EXPECT_TRUE(example.startsWith("stepdrive-cli ") && example.contains(name))
            << example.toStdString();
    }
    ASSERT_EQ(run({"help"}), 0);
    const QString global = out;
    ASSERT_EQ(run({"--help"}), 0);
    EXPECT_EQ(out, global);
    EXPECT_EQ(run({"help", "nosuch"}), 1);
    EXPECT_TRUE(err.contains("unknown command \"nosuch\"\nTry 'stepdrive-cli --help'"));
    EXPECT_TRUE(sent.empty());
}

// A wait ends only where the motion was to end: a home search that stops
// at 7 has not reached 0 (exit 3); at --wait-timeout the stop frame goes
// out (exit 4). A status reply lost is asked again, twice; a third lost in
// a row gives up and stops the motor.
TEST_F(Cli, waitAsksForTheInputsEvery50MsUntilTheRunFlagClearsAtTheTarget) {
    const struct {
        QStringList arguments;
        int runningReplies; // input replies that still show the run flag
        int lost;           // input replies lost in a row, from the second on
        int status;
        const char* out;
        const char* said;
        int polls;
    } cases[] = {
        {{"--wait", "move", "abs", "0"}, 3, 0, 0, "position=0\n", "", 4},
        {{"--wait", "move", "abs", "0"}, 3, 2, 0, "position=0\n", "", 6},
        {{"--wait", "move", "abs", "0"},
         3,
         3,
         4,
         "",
         "3 status requests in a row failed (the last: no reply to AA 00 0C",
         4},
        {{"--wait", "home"}, 0, 0, 3, "position=7\n", "the motor stopped at 7, not at 0", 1},
        {{"--wait", "table", "run", "2"}, 1, 0, 0, "table.2.acceleration=0\nposition=", "", 2},
        {{"--wait", "--wait-timeout", "0.2", "move", "rel", "0"},
         1000,
         0,
         4,
         "",
         "the motor was still running after 0.2 s, while waiting: the stop command went out and "
         "was answered",
         4},
    };
    for (const auto& c : cases) {
        int running = c.runningReplies;
        int polled = 0;
        model.driver = sim::Driver(0); // standing at 0
        const bool home = c.arguments.contains("home");
        model.tamper = [&, home](const Bytes& command, Bytes& reply) {
            if (command[2] == cmd::ReadInputs && command[0] == 0xAA && ++polled > 1 &&
                polled <= 1 + c.lost)
                reply.clear();
            else if (command[2] == cmd::ReadInputs && command[0] == 0xAA)
                reply[kDataAt + 2] = running-- > 0 ? 1 : 0;
            if (home && command[2] == cmd::ReadParameter && command[3] == opt::Position)
                std::copy_n("\0\0\0\7", 4, reply.begin() + kDataAt); // whatever the search ran
        };
        pause.durations.clear();
        EXPECT_EQ(run(c.arguments), c.status) << err.toStdString();
        EXPECT_TRUE(out.contains(c.out)) << out.toStdString();
        EXPECT_TRUE(err.contains(c.said)) << err.toStdString();
        EXPECT_EQ(sentHex("AA 00 0C").size(), c.polls);
        EXPECT_EQ(std::count(pause.durations.begin(), pause.durations.end(), 50), c.polls);
        EXPECT_EQ(sentHex("AA 00 03").size(), c.status == 4 ? 1 : 0) << "the stop frame";
    }
    EXPECT_EQ(run({"--wait", "stop"}), 1);
}

TEST_F(Cli, singleWritesSendTheirFramesPacedAndReadThemBack) {
    const struct {
        QStringList arguments;
        QStringList frames; // the first bytes of each block sent
        std::vector<int> pauses;
        const char* out;
    } cases[] = {
        // One key: its one frame, then its read-back.
        {{"params", "write", "run_speed=1500"},
         {"AA 00 05 04 00 00 05 DC EE EA", "AA 00 06 04"},
         {100, 150, 100},
         "motor.run_speed=1500\n"},
        {{"table", "write", "3", "position=-1200"},
         {"CC 00 0F 03", "CC 00 0E 03 00 00 00 00 FF FB 50", "CC 00 0F 03"},
         {100, 150, 100},
         "table.3.position=-1200\ntable.3.velocity=0\ntable.3.acceleration=0\n"},
        {{"table", "write", "2", "acceleration=9", "velocity=8", "position=7"},
         {"CC 00 0E 02 00 08 00 09 00 00 07", "CC 00 0F 02"},
         {150, 100},
         "table.2.position=7\ntable.2.velocity=8\ntable.2.acceleration=9\n"},
        {{"belt", "write", "in2_used=true", "speed=900"},
         {"AA 00 0D 02 00 00 03 84", "AA 00 0D 07 00 00 01 00", "AA 00 0E 02"},
         {100, 150, 150, 100},
         "belt.speed=900\n"},
    };
    for (const auto& c : cases) {
        pause.durations.clear();
        ASSERT_EQ(run(c.arguments), 0) << err.toStdString();
        ASSERT_EQ(sent.size(), static_cast<std::size_t>(c.frames.size()));
        for (int i = 0; i < c.frames.size(); ++i)
            EXPECT_TRUE(sentHex()[i].startsWith(c.frames[i])) << sentHex()[i].toStdString();
        EXPECT_EQ(pause.durations, c.pauses);
        EXPECT_EQ(out, c.out);
    }
    EXPECT_EQ(model.driver.tableEntry(1).position, 0) << "only the rows named change";
    EXPECT_TRUE(model.driver.in2Used());
    EXPECT_EQ(run({"belt", "write", "in2_used=yes"}), 1);
    EXPECT_TRUE(err.contains("in2_used: \"yes\" is not true or false"));
}

namespace {

// The README's JSON schema: a key's path ("table[].position", "in*") and
// the types it may have, the first line that matches a key holding.
struct SchemaLine {
    QRegularExpression path;
    QStringList types;
};

std::vector<SchemaLine> readmeSchema() {
    QFile readme(QStringLiteral(STEPDRIVE_README));
    EXPECT_TRUE(readme.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(readme.readAll());
    std::vector<SchemaLine> lines;
    for (const QString& line : text.section("```schema\n", 1).section("```", 0, 0).split('\n')) {
        const QStringList words = line.simplified().split(' ');
        if (words.size() < 2)
            continue;
        const QString pattern = QRegularExpression::escape(words[0]).replace("\\*", "[^.\\[]*");
        lines.push_back({QRegularExpression("^" + pattern + "$"), words[1].split('|')});
    }
    EXPECT_GT(lines.size(), 20u);
    return lines;
}

QString typeOf(const QJsonValue& v) {
    return v.isObject()   ? "object"
           : v.isArray()  ? "array"
           : v.isString() ? "string"
           : v.isDouble() ? "number"
           : v.isBool()   ? "bool"
                          : "null";
}

// The keys of `v` that the schema lacks or whose type it does not allow,
// as "path: type"; "verified" and "error.verified" hold what the top does.
QStringList offSchema(const QJsonValue& v, const std::vector<SchemaLine>& schema,
                      const QString& path = {}) {
    QStringList off;
    if (!path.isEmpty()) {
        QString asTop = path;
        asTop.remove(QRegularExpression("^(error\\.)?verified\\."));
        const auto line = std::find_if(schema.begin(), schema.end(), [&](const SchemaLine& l) {
            return l.path.match(asTop).hasMatch();
        });
        if (line == schema.end() || !line->types.contains(typeOf(v)))
            off << path + ": " + typeOf(v);
    }
    if (v.isArray())
        for (const QJsonValue& e : v.toArray())
            off << offSchema(e, schema, path + "[]");
    const QJsonObject o = v.toObject();
    for (auto i = o.begin(); i != o.end(); ++i)
        off << offSchema(i.value(), schema, path.isEmpty() ? i.key() : path + '.' + i.key());
    return off;
}

} // namespace

// Every command's JSON, done or failed, follows the schema the README
// gives: one line holding an object, each key of one type, "error" exactly
// when it failed. Several ports run on threads of their own, so their
// shape is met against simulators.
TEST_F(Cli, everyCommandsJsonFollowsTheReadmesSchema) {
    const auto schema = readmeSchema();
    const QString file = files.with(kNonDefaultProfile);
    const struct {
        QStringList arguments;
        int status;
        std::size_t tamperAt = 0; // a reply byte spoilt, when not 0
    } cases[] = {
        {{"params", "read"}, 0},
        {{"params", "write", "run_current=5"}, 0},
        {{"table", "read"}, 0},
        {{"table", "write", "1", "velocity=5"}, 0},
        {{"table", "run", "1"}, 0},
        {{"belt", "read"}, 0},
        {{"belt", "write", "speed=3", "in2_used=false"}, 0},
        {{"dump"}, 0},
        {{"apply", file}, 0},
        {{"verify", file}, 0},
        {{"move", "rel", "0", "--wait"}, 0},
        {{"jog", "left", "0"}, 0},
        {{"stop"}, 0},
        {{"home"}, 0},
        {{"position"}, 0},
        {{"inputs"}, 0},
        {{"outputs", "0", "1"}, 0},
        {{"scan"}, 0},
        {{"move", "abs"}, 1},
        {{"--colour", "stop"}, 1},
        {{"apply", "/nonexistent/drive.json"}, 1},
        {{"params", "write", "run_current=5"}, 3, kDataAt + 3},
        {{"table", "write", "3", "position=5"}, 3, kDataAt + 3},
        {{"verify", file}, 3, kDataAt + 3},
        {{"apply", file}, 4, kCodeAt},
        {{"position"}, 4, kCodeAt},
    };
    for (const auto& c : cases) {
        model.tamper = [&c](const Bytes& command, Bytes& reply) {
            if (c.tamperAt && command[2] != cmd::ReadInputs)
                reply[c.tamperAt] ^= 0x10;
        };
        const std::string line = c.arguments.join(' ').toStdString();
        ASSERT_EQ(run(QStringList{"--json"} + c.arguments), c.status) << line << err.toStdString();
        ASSERT_TRUE(out.endsWith('\n') && out.count('\n') == 1) << line << out.toStdString();
        const QJsonObject o = QJsonDocument::fromJson(out.toUtf8()).object();
        EXPECT_EQ(offSchema(o, schema).join(", ").toStdString(), "") << line << out.toStdString();
        EXPECT_EQ(o.contains("error"), c.status != 0) << line;
        EXPECT_EQ(o["error"]["status"].toInt(), c.status) << line;
    }
}

// monitor asks for a sample at each interval, in each format; its JSON
// lines keep the schema, and a failure is a JSON line too.
TEST_F(Cli, monitorPrintsASampleAnIntervalInEachFormat) {
    const auto schema = readmeSchema();
    const QStringList watch{"monitor", "--duration", "0.2", "--interval", "100"};
    ASSERT_EQ(run(QStringList{"--json"} + watch), 0) << err.toStdString();
    const QStringList lines = out.split('\n', Qt::SkipEmptyParts);
    ASSERT_EQ(lines.size(), 2) << out.toStdString();
    for (const QString& line : lines) {
        const QJsonObject o = QJsonDocument::fromJson(line.toUtf8()).object();
        EXPECT_EQ(offSchema(o, schema).join(", ").toStdString(), "") << line.toStdString();
        EXPECT_EQ(o.keys().size(), 14) << line.toStdString();
    }
    EXPECT_EQ(sentHex("AA 00 06 08").size(), 2u);
    EXPECT_EQ(sentHex("AA 00 0C").size(), 2u);
    ASSERT_EQ(run(QStringList{"--csv"} + watch), 0) << err.toStdString();
    EXPECT_TRUE(out.startsWith("time_ms,position,speed,running,home_sensor,in1,"));
    EXPECT_EQ(out.count('\n'), 3);
    ASSERT_EQ(run(watch), 0) << err.toStdString();
    EXPECT_TRUE(out.contains(QRegularExpression("^time_ms=\\d+ position=0 speed=0 running=0 "
                                                "home_sensor=1 in1=0 .* in8=0\n")))
        << out.toStdString();

    model.tamper = [](const Bytes&, Bytes& reply) { reply.clear(); };
    EXPECT_EQ(run(QStringList{"--json"} + watch), 4);
    const QJsonObject failed = QJsonDocument::fromJson(out.toUtf8()).object();
    EXPECT_EQ(failed["error"]["status"], 4) << out.toStdString();
    EXPECT_EQ(offSchema(failed, schema).join(", ").toStdString(), "");
}

TEST_F(Cli, applyShowsOneProgressLinePerSectionOnlyOnATerminal) {
    const QString profile = files.with(kNonDefaultProfile);
    for (const bool terminal : {false, true}) {
        ASSERT_EQ(run({"apply", profile}, terminal), 0);
        const QString lines = terminal ? "/dev/fake writing motor 7/7\n"
                                         "/dev/fake writing motor 7/7, table 7/7\n"
                                         "/dev/fake writing motor 7/7, table 7/7, belt 5/5\n"
                                         "/dev/fake reading motor 7/7\n"
                                         "/dev/fake reading motor 7/7, table 7/7\n"
                                         "/dev/fake reading motor 7/7, table 7/7, belt 4/4\n"
                                       : "";
        EXPECT_TRUE(err.startsWith(lines + "stepdrive-cli: /dev/fake: belt.in2_used"))
            << err.toStdString();
    }
}

// Every reason a port fails is worded by the windows and by the command line,
// each reason in words of its own.
TEST(PortWords, everyReasonIsWordedByTheWindowsAndTheCommandLine) {
    using Kind = PortFailure::Kind;
    using Cause = PortFailure::Cause;
    using Part = LineSettingsFault::Part;
    std::vector<PortFailure> reasons;
    for (Kind kind : {Kind::NoPortNumber, Kind::NotOpen})
        reasons.push_back({kind, "COM4", Cause::System, "Input/output error", {}});
    for (Part part : {Part::Shape, Part::Baud, Part::Parity, Part::DataBits, Part::StopBits})
        reasons.push_back({Kind::BadSettings, "COM4", Cause::System, {}, {part, "x,N,8,1", "x"}});
    for (Kind kind : {Kind::OpenRefused, Kind::WriteFailed, Kind::Lost})
        for (Cause cause :
             {Cause::System, Cause::NoDevice, Cause::NotPermitted, Cause::InUse, Cause::TimedOut,
              Cause::Unreadable, Cause::BadAddress, Cause::HostNotFound, Cause::Refused,
              Cause::Closed, Cause::NoRfc2217, Cause::FarSettings, Cause::SpeaksTelnet})
            reasons.push_back({kind, "COM4", cause, "Input/output error", {}});
    QStringList windows, commandLine;
    for (const PortFailure& f : reasons) {
        windows << stepdrive::portFailureText(f);
        commandLine << englishText(f);
    }
    for (const QStringList* words : {&windows, &commandLine}) {
        EXPECT_FALSE(words->contains(QString())) << words->join('\n').toStdString();
        EXPECT_EQ(QSet<QString>(words->begin(), words->end()).size(), words->size())
            << words->join('\n').toStdString();
    }
}
