// The main panel's motor parameters, position and inputs against the driver.

#include "tests/e2e/e2e_fixture.h"

#include "link/comm_control.h"
#include "panels/main/main_panel.h"
#include "ui/colours.h"
#include "ui/lamp.h"

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

class E2eMainParameters : public E2eFixture {
protected:
    MainPanel& main() { return shell().main(); }
    bool filled(const char* name) { return backColour(box(main(), name)) == kReadBack; }
};

} // namespace

TEST_F(E2eMainParameters, writeAllIsPacedOnTheLineAndReadAllReadsTheValuesBack) {
    ASSERT_TRUE(useSimulator(std::make_unique<Simulator>(QStringList{"--verbose"})));
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());

    // Non-default values, in the order WRITE ALL sends them and READ ALL
    // reads them back.
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

    // The simulator's stamps show the frames on the line; the gaps between
    // them are taken where the program writes them, since the simulator can
    // be woken a little late for one frame and on time for the next.
    std::vector<double> written;
    const double pressed = steadyMs();
    {
        WireWrites writes(QStringLiteral("MSC out AA 00 05 "));
        click(main(), "cmd_Data");
        written = writes.times;
    }
    std::vector<double> onLine;
    EXPECT_TRUE(QTest::qWaitFor(
        [&] {
            onLine = sim->receivedAt(QStringLiteral("AA 00 05"));
            return onLine.size() >= 7;
        },
        kWaitMs));
    ASSERT_EQ(onLine.size(), 7u);
    ASSERT_EQ(written.size(), 7u);
    EXPECT_GE(onLine[0] - pressed, 100.0);
    EXPECT_GE(written[0] - pressed, 100.0);
    for (std::size_t i = 1; i < 7; ++i) {
        EXPECT_GE(written[i] - written[i - 1], 150.0) << i;
        EXPECT_GE(onLine[i], written[i]) << i;
    }

    // The read-back boxes fill one by one, in the chain's order.
    QStringList order, filledInOrder;
    for (const auto& p : parameters) {
        order << QString::fromLatin1(p.readBack);
        QObject::connect(box(main(), p.readBack), &QLineEdit::textChanged,
                         [&filledInOrder, name = order.back()] { filledInOrder << name; });
    }
    click(main(), "cmd_RData");
    EXPECT_TRUE(QTest::qWaitFor([&] { return filled("Text_REPOS"); }, kWaitMs));
    EXPECT_EQ(filledInOrder, order);
    for (const auto& p : parameters) {
        EXPECT_EQ(box(main(), p.readBack)->text(), p.text) << p.readBack;
        EXPECT_TRUE(filled(p.readBack)) << p.readBack;
    }
    EXPECT_EQ(main().read_data(), 0);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_F(E2eMainParameters, aJogThenStopShowsTheNewPositionInItsBox) {
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    click(main(), "cmd_ROL");
    QTest::qWait(100);
    click(main(), "mtr_STOP");
    ASSERT_TRUE(waitForEcho(box(main(), "rx_txt"), 10));
    click(main(), "Cmd_RPOS");
    EXPECT_TRUE(QTest::qWaitFor([&] { return filled("Text_RPOS"); }, kWaitMs));
    bool isNumber = false;
    const int position = box(main(), "Text_RPOS")->text().toInt(&isNumber);
    EXPECT_TRUE(isNumber);
    EXPECT_LT(position, 0); // jogged to the left from 0
    EXPECT_EQ(main().read_data(), 0);
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}

TEST_F(E2eMainParameters, theInputRequestLightsTheLampsOfTheInputsThatAreOn) {
    ASSERT_TRUE(useSimulator(std::make_unique<Simulator>(QStringList{"--inputs", "0x81"})));
    ASSERT_NO_FATAL_FAILURE(connectWithDefaults());
    click(main(), "CMD_IN");
    EXPECT_TRUE(QTest::qWaitFor([&] { return main().read_data() == 0; }, kWaitMs));
    QStringList lit;
    for (const Lamp* lamp : main().findChildren<Lamp*>())
        if (lamp->isOn())
            lit << lamp->objectName();
    lit.sort();
    // At rest at the home sensor, with inputs 1 and 8 on.
    EXPECT_EQ(lit, QStringList({"led1", "led8", "led_hsen"}));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
