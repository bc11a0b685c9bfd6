// The live view as it ships, its module loaded, against stepdrive-sim: a jog
// watched and recorded, stopped, and a home search passing the sensor.

#include "tests/e2e/e2e_fixture.h"

#include "app/live_view.h"
#include "panels/main/main_panel.h"
#include "ui/live_view_module.h"

#include <QChartView>
#include <QFile>
#include <QImage>
#include <QLabel>
#include <QLineSeries>
#include <QTemporaryDir>
#include <QTest>

using namespace stepdrive;
using namespace stepdrive::test;

namespace {

class E2eLiveView : public E2eFixture {
protected:
    void SetUp() override {
        qputenv("STEPDRIVE_MODULE_DIR", STEPDRIVE_TEST_MODULE_DIR);
        E2eFixture::SetUp();
        connectWithDefaults();
        view().setRecordChooser([this](QWidget*) { return dir.filePath("jog.csv"); });
        view().open();
        ASSERT_NE(view().window(), nullptr) << messages.shown.join('\n').toStdString();
        QObject::connect(&view().poll(), &LivePoll::sampled,
                         [this](const LiveSample& s) { last = s; });
    }
    LiveView& view() { return shell().liveView(); }
    QWidget& window() { return *view().window()->widget(); }
    void press(QWidget& w, const char* name) { click(w, name); }
    // Waits for a sample that `holds`.
    bool sampleWhere(const std::function<bool(const LiveSample&)>& holds, int ms = 3000) {
        return QTest::qWaitFor([&] { return last && holds(*last); }, ms);
    }
    // A lamp is lit when it shows red at its centre.
    bool lit(const char* lamp) {
        const QImage image = window().findChild<QWidget*>(lamp)->grab().toImage();
        return image.pixelColor(image.width() / 2, image.height() / 2) == QColor(255, 0, 0);
    }

    QTemporaryDir dir;
    std::optional<LiveSample> last;
};

} // namespace

TEST_F(E2eLiveView, followsAJogItsRecordAndAHomeSearch) {
    press(shell().main(), "cmd_ROR"); // jog speed 300: 30,000 pulses a second
    ASSERT_TRUE(sampleWhere([](const LiveSample& s) { return s.running; }));
    // About three seconds of samples recorded.
    int samples = 0;
    const auto counting =
        QObject::connect(&view().poll(), &LivePoll::sampled, [&samples] { ++samples; });
    press(window(), "record");
    ASSERT_TRUE(QTest::qWaitFor([&] { return samples >= 30; }, 10000));
    press(window(), "record");
    QObject::disconnect(counting);
    EXPECT_TRUE(lit("led_run"));
    EXPECT_EQ(window().findChild<QLabel*>("position")->text(), QString::number(last->position));

    // One row an interval, within one, whose positions grow by about 30,000
    // a second, as their speeds say; and they are the plot's.
    QFile csv(dir.filePath("jog.csv"));
    ASSERT_TRUE(csv.open(QIODevice::ReadOnly));
    const QStringList rows = QString::fromUtf8(csv.readAll()).split('\n', Qt::SkipEmptyParts);
    ASSERT_GT(rows.size(), 3);
    EXPECT_EQ(rows[0],
              "time_ms,position,speed,running,home_sensor,in1,in2,in3,in4,in5,in6,in7,in8");
    const auto field = [&](int row, int column) {
        return rows[row].section(',', column, column).toDouble();
    };
    const int n = static_cast<int>(rows.size()) - 1;
    const double spanMs = field(n, 0) - field(1, 0);
    // One row an interval; a loaded machine may let a few polls slip.
    EXPECT_NEAR(n - 1, spanMs / 100, std::max(1.0, spanMs / 1000));
    // The simulator's jog at 300 is 30,000 pulses a second; the arrival
    // times of the replies carry the machine's jitter.
    EXPECT_NEAR((field(n, 1) - field(1, 1)) / spanMs * 1000, 30000, 3000);
    std::vector<double> speeds;
    for (int r = 1; r <= n; ++r)
        speeds.push_back(field(r, 2));
    std::nth_element(speeds.begin(), speeds.begin() + n / 2, speeds.end());
    EXPECT_NEAR(speeds[static_cast<std::size_t>(n / 2)], 30000, 3000);
    // The plot draws what came a few times a second.
    const auto* series = qobject_cast<QLineSeries*>(
        window().findChild<QChartView*>("plot")->chart()->series().at(0));
    const auto plotted = [series](const QString& row) {
        const double position = row.section(',', 1, 1).toDouble();
        // points() is a copy: one list, both ends.
        const QList<QPointF> points = series->points();
        return std::any_of(points.begin(), points.end(),
                           [position](const QPointF& p) { return p.y() == position; });
    };
    EXPECT_TRUE(QTest::qWaitFor([&] { return plotted(rows.last()); }, 2000));
    for (const QString& row : rows.mid(1))
        EXPECT_TRUE(plotted(row)) << row.toStdString();

    press(window(), "mtr_STOP");
    EXPECT_TRUE(sampleWhere([](const LiveSample& s) { return s.speed == 0 && !s.running; }));
    EXPECT_FALSE(lit("led_run"));

    bool sensed = false;
    QObject::connect(&view().poll(), &LivePoll::sampled,
                     [&](const LiveSample& s) { sensed = sensed || (s.running && s.homeSensor); });
    press(shell().main(), "cmd_orgin");
    EXPECT_TRUE(QTest::qWaitFor([&] { return sensed; }, 10000));
    EXPECT_TRUE(messages.shown.isEmpty()) << messages.shown.join('\n').toStdString();
}
