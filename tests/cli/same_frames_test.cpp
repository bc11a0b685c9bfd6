// stepdrive-cli sends byte for byte the frames the windows send for the same
// values, command by command, and at the same times on the pause clock. Both
// sides talk to the driver model over fake ports; the windows are clicked as
// the operator would.

#include "app/shell.h"
#include "cli/cli.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "tests/support/driver_model.h"
#include "tests/support/panel_fixture.h"
#include "tests/support/profiles.h"

#include <QCheckBox>
#include <QTextStream>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

// Position, velocity and acceleration of the seven table rows.
const int kTable[7][3] = {{-50000, 1500, 20},    {123456, 2000, 5}, {-1, 1, 0},
                          {8388607, 2047, 2047}, {-8388608, -1, 1}, {0, 800, 10},
                          {7777, 300, 3}};

struct SameFrames : PanelFixture {
    DriverModel windowsDriver;
    DriverModel cliDriver;
    RecordingPause cliPause;
    TempFiles files;

    void SetUp() override {
        shell.start();
        const auto answer = [this](const QByteArray& block) { return windowsDriver.answer(block); };
        openPort(shell.main(), "MSC").answer = answer;
        openPort(shell.jogPosition(), "MSC1").answer = answer;
        openPort(shell.belt(), "MSC2").answer = answer;
    }

    static QStringList startingWith(const QStringList& blocks, const QString& prefix) {
        QStringList kept;
        for (const QString& b : blocks)
            if (b.startsWith(prefix))
                kept << b;
        return kept;
    }

    // "AA 00 05 ... @100": a block and when it went out on the pause clock,
    // counted from `start`.
    static QString stamped(const FakeCommControl::Sent& s, qint64 start) {
        return QString("%1 @%2").arg(hexOf(s.bytes)).arg(s.atMs - start);
    }

    // The blocks the windows send, read-back chains run to their end.
    QStringList windows(QWidget& window, const std::function<void()>& act, const QString& prefix) {
        for (auto& [name, p] : ports)
            p->sent.clear();
        const qint64 start = pause.nowMs;
        window.show();
        act();
        pumpEvents(100);
        QStringList blocks;
        for (auto& [name, p] : ports)
            for (const auto& s : p->sent)
                blocks << stamped(s, start);
        return startingWith(blocks, prefix);
    }

    // The blocks stepdrive-cli sends for `arguments`; it must succeed.
    QStringList cli(const QStringList& arguments, const QString& prefix) {
        QStringList blocks;
        QString out, err;
        QTextStream o(&out), e(&err);
        const qint64 start = cliPause.nowMs;
        const int status = cli::run(
            QStringList{"--port", "COM4"} + arguments,
            [&](const QString&) {
                auto p = std::make_unique<FakeCommControl>("cli", nullptr, &cliPause);
                p->answer = [&, p = p.get()](const QByteArray& block) {
                    blocks << stamped(p->sent.back(), start);
                    return cliDriver.answer(block);
                };
                return p;
            },
            [this] { return std::make_unique<LentPause>(cliPause); }, o, e);
        e.flush();
        EXPECT_EQ(status, 0) << arguments.join(' ').toStdString() << ": " << err.toStdString();
        return startingWith(blocks, prefix);
    }

    void type(QWidget& window, const QString& name, int value) {
        box(window, name.toLatin1().constData())->setText(QString::number(value));
    }
};

} // namespace

TEST_F(SameFrames, everyCommandSendsTheWindowsFramesForTheSameValues) {
    MainPanel& main = shell.main();
    JogPositionPanel& table = shell.jogPosition();
    BeltPanel& belt = shell.belt();

    const char* const motorBoxes[] = {"Text_WDATA2", "Text_WDATA3", "Text_VMAX", "Text_ACCEL",
                                      "Text_HSPD",   "Text_HOFF",   "Text_REL"};
    const int motor[] = {25, 6, 1200, 40, 700, -5000, 4};
    QStringList motorSettings;
    for (int i = 0; i < 7; ++i) {
        type(main, motorBoxes[i], motor[i]);
        motorSettings << QString("%1=%2").arg(kMotorParameters[i].key).arg(motor[i]);
    }
    type(main, "Text_PULSE", -1000);
    type(main, "Txt_Jog", 300);

    QString tableJson;
    for (int row = 0; row < 7; ++row) {
        type(table, QString("Text_pos_%1").arg(row), kTable[row][0]);
        type(table, QString("text_vel_%1").arg(row), kTable[row][1]);
        type(table, QString("text_acc_%1").arg(row), kTable[row][2]);
        tableJson += QString("%1{\"position\": %2, \"velocity\": %3, \"acceleration\": %4}")
                         .arg(row ? "," : "")
                         .arg(kTable[row][0])
                         .arg(kTable[row][1])
                         .arg(kTable[row][2]);
    }
    const QString tableProfile = files.with(("{\"table\": [" + tableJson + "]}").toUtf8());

    const char* const beltBoxes[] = {"Text_wacc1", "Text_wvmax2", "Text_wacc3", "Text_wvmax4"};
    const int beltValues[] = {11, 900, 12, 9999};
    for (int i = 0; i < 4; ++i)
        type(belt, beltBoxes[i], beltValues[i]);
    belt.findChild<QCheckBox*>("Check_in2use")->setChecked(true);
    const QString beltProfile = files.with(R"({"belt": {"acceleration": 11, "speed": 900,
        "deceleration": 12, "final_speed": 9999, "in2_used": true}})");

    const auto press = [](QWidget& window, const char* name) {
        return [&window, name] { click(window, name); };
    };
    const struct {
        QWidget& window;
        std::function<void()> act;
        QStringList arguments;
        const char* prefix; // what the command writes, without its read-back
        int frames;
        bool timed = true; // false: the CLI asks something first
    } cases[] = {
        {main, press(main, "cmd_Data"), QStringList{"params", "write"} + motorSettings, "AA 00 05",
         7},
        {main, press(main, "cmd_RData"), {"params", "read"}, "AA 00 06", 7},
        {main, press(main, "CMD_CUR"), {"move", "abs", "-1000"}, "AA", 1},
        {main, press(main, "CMD_CUR_R"), {"move", "rel", "-1000"}, "AA", 1},
        {main, press(main, "cmd_ROL"), {"jog", "left", "300"}, "AA", 1},
        {main, press(main, "cmd_ROR"), {"jog", "right", "300"}, "AA", 1},
        {main, press(main, "mtr_STOP"), {"stop"}, "AA", 1},
        {main, press(main, "cmd_orgin"), {"home"}, "AA", 1},
        {main, press(main, "Cmd_RPOS"), {"position"}, "AA", 1},
        {main, press(main, "CMD_IN"), {"inputs"}, "AA", 1},
        {main, press(main, "CMD_OUT1"), {"outputs", "1", "0"}, "AA", 1},
        {main, press(main, "CMD_OUT2"), {"outputs", "1", "1"}, "AA", 1},
        {main, press(main, "CMD_OUT1"), {"outputs", "0", "1"}, "AA", 1},
        {table, press(table, "CMD_DOWN"), {"apply", tableProfile}, "CC 00 0E", 7},
        {table, press(table, "CMD_READ"), {"table", "read"}, "CC 00 0F", 7},
        // The row holds what the driver gave back; the CLI reads the entry first.
        {table, press(table, "cmd_move1_2"), {"table", "run", "3"}, "CC 00 04", 1, false},
        {belt, press(belt, "cmd_Data"), {"apply", beltProfile}, "AA 00 0D", 5},
        {belt, press(belt, "cmd_RData"), {"belt", "read"}, "AA 00 0E", 4},
    };
    const auto bytesOnly = [](QStringList blocks) {
        for (QString& b : blocks)
            b = b.section(" @", 0, 0);
        return blocks.join('\n').toStdString();
    };
    QStringList everyRead;
    for (const auto& c : cases) {
        const QStringList fromWindows = windows(c.window, c.act, c.prefix);
        const QStringList fromCli = cli(c.arguments, c.prefix);
        EXPECT_EQ(fromWindows.size(), c.frames) << c.arguments.join(' ').toStdString();
        if (c.timed)
            EXPECT_EQ(fromCli.join('\n').toStdString(), fromWindows.join('\n').toStdString());
        else
            EXPECT_EQ(bytesOnly(fromCli), bytesOnly(fromWindows));
        if (c.arguments.contains("read"))
            everyRead += fromWindows;
    }
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();

    // A dump reads what the three READ ALLs read, in their order.
    EXPECT_EQ(bytesOnly(cli({"dump"}, {})), bytesOnly(everyRead));
}
