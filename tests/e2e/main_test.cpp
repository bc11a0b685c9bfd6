// The main panel through the dialog and the serial port controls that ship:
// a move, WRITE ALL's pacing on the line with READ ALL reading it back, and a
// jog stopped on the line as the program ends.

#include "tests/e2e/e2e_fixture.h"

#include "link/comm_control.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "ui/colours.h"

#include <QLineEdit>
#include <QLoggingCategory>
#include <QTest>
#include <chrono>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

double steadyMs() {
    return std::chrono::duration<double, std::milli>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

// When the program writes each block that contains `what`, taken from its
// wire log, which is written just before the block goes on the wire.
class WireWrites {
public:
    explicit WireWrites(QString what) : what_(std::move(what)) {
        current_ = this;
        QLoggingCategory::setFilterRules(QStringLiteral("stepdrive.link.debug=true"));
        previous_ = qInstallMessageHandler(&WireWrites::handle);
    }
    ~WireWrites() {
        qInstallMessageHandler(previous_);
        QLoggingCategory::setFilterRules(QString());
        current_ = nullptr;
    }
    std::vector<double> times;

private:
    static void handle(QtMsgType, const QMessageLogContext& context, const QString& message) {
        if (current_ && qstrcmp(context.category, "stepdrive.link") == 0 &&
            message.contains(current_->what_))
            current_->times.push_back(steadyMs());
    }
    static inline WireWrites* current_ = nullptr;
    QString what_;
    QtMessageHandler previous_ = nullptr;
};

class E2eMain : public E2eFixture {
protected:
    MainPanel& main() { return shell().main(); }
};

} // namespace

TEST_F(E2eMain, connectsThroughTheDialogAndAMoveReachesTheDriver) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    EXPECT_EQ(shell().MSC().devicePath(), sim->devicePath());

    type(main(), "Text_PULSE", "1000");
    click(main(), "CMD_CUR");
    // "위치값 확인" until the driver has arrived.
    QLineEdit* position = box(main(), "Text_RPOS");
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            click(main(), "Cmd_RPOS");
            return QTest::qWaitFor([&] { return backColour(position) == kReadBack; }, kWaitMs) &&
                   position->text() == "1000";
        },
        kWaitMs));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_F(E2eMain, writeAllIsPacedOnTheLineAndReadAllReadsTheValuesBack) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());

    // Non-default values, each with the box READ ALL reads it back into.
    const struct {
        const char* entry;
        const char* readBack;
        const char* text;
    } parameters[] = {{"Text_WDATA2", "Text_RDATA2", "25"}, {"Text_WDATA3", "Text_RDATA3", "6"},
                      {"Text_VMAX", "Text_RVMAX", "1200"},  {"Text_ACCEL", "Text_RACCEL", "40"},
                      {"Text_HSPD", "Text_RHSPD", "700"},   {"Text_HOFF", "Text_RHOFF", "-5000"},
                      {"Text_REL", "Text_REPOS", "4"}};
    for (const auto& p : parameters)
        type(main(), p.entry, QString::fromLatin1(p.text));

    // Taken where the program writes each block on the line.
    std::vector<double> written;
    const double pressed = steadyMs();
    {
        WireWrites writes(QStringLiteral("MSC out AA 00 05 "));
        click(main(), "cmd_Data");
        written = writes.times;
    }
    ASSERT_EQ(written.size(), 7u);
    EXPECT_GE(written[0] - pressed, 100.0);
    for (std::size_t i = 1; i < 7; ++i)
        EXPECT_GE(written[i] - written[i - 1], 150.0) << i;

    // The driver got them all.
    click(main(), "cmd_RData");
    EXPECT_TRUE(QTest::qWaitFor([&] { return backColour(box(main(), "Text_REPOS")) == kReadBack; },
                                kWaitMs));
    for (const auto& p : parameters)
        EXPECT_EQ(box(main(), p.readBack)->text(), p.text) << p.readBack;
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

// A jog started on main and still running when the operator exits from the
// table panel: the driver gets the stop through the table panel's line, which
// holds it, and its reply comes before the line closes.
TEST_F(E2eMain, aRunningJogIsStoppedOnTheLineBeforeTheProgramEnds) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    click(main(), "cmd_ROR");
    ASSERT_TRUE(waitForEcho(box(main(), "rx_txt"), 10));
    click(main(), "cmd_JP");

    messages.answer = 0; // "정지 후 종료"
    click(shell().jogPosition(), "CMD_EXIT");
    EXPECT_EQ(endProgramCalls, 1);
    EXPECT_TRUE(box(shell().jogPosition(), "rx2_txt")->text().contains("BB  00  03  64"))
        << box(shell().jogPosition(), "rx2_txt")->text().toStdString();
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
