#include "liveview/live_view_window.h"

#include "ui/lamp.h"
#include "ui/stop_mark.h"

#include <QChart>
#include <QChartView>
#include <QCloseEvent>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QKeySequence>
#include <QLabel>
#include <QLineSeries>
#include <QPushButton>
#include <QShortcut>
#include <QValueAxis>
#include <algorithm>
#include <limits>

namespace stepdrive {

namespace {
const int kIntervalsMs[] = {50, 100, 200, 500};
const int kSpansS[] = {10, 30, 60};

// A lamp with its caption under it.
Lamp* addLamp(QGridLayout* grid, int column, const QString& caption, const QString& name) {
    auto* lamp = new Lamp;
    lamp->setObjectName(name);
    lamp->setFixedSize(20, 20);
    grid->addWidget(lamp, 0, column, Qt::AlignHCenter);
    grid->addWidget(new QLabel(caption), 1, column, Qt::AlignHCenter);
    return lamp;
}

// An axis range around [low, high] on round numbers, never empty. A range
// that holds them and is not far wider stays: changing it lays the whole
// plot out again.
void fit(QValueAxis* axis, double low, double high) {
    if (high - low < 1) {
        low -= 1;
        high += 1;
    }
    const double shown = axis->max() - axis->min();
    if (axis->min() <= low && high <= axis->max() && shown < 3 * (high - low))
        return;
    const double margin = (high - low) * 0.05;
    axis->setRange(low - margin, high + margin);
    axis->applyNiceNumbers();
}
} // namespace

LiveViewWindowWidget::LiveViewWindowWidget(LiveViewActions actions) : actions_(std::move(actions)) {
    drawTimer_.setSingleShot(true);
    connect(&drawTimer_, &QTimer::timeout, this, &LiveViewWindowWidget::drawPending);
    setObjectName(QStringLiteral("Monitor"));
    setWindowTitle(QStringLiteral("MONITOR"));

    position_ = new QLabel(QStringLiteral("-"));
    position_->setObjectName(QStringLiteral("position"));
    speed_ = new QLabel(QStringLiteral("-"));
    speed_->setObjectName(QStringLiteral("speed"));
    for (QLabel* value : {position_, speed_}) {
        value->setFixedWidth(110); // a new number lays nothing out again
        value->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
        QFont f = value->font();
        f.setBold(true);
        value->setFont(f);
    }
    auto* values = new QHBoxLayout;
    values->addWidget(new QLabel(tr("위치")));
    values->addWidget(position_);
    values->addWidget(new QLabel(tr("펄스")));
    values->addSpacing(24);
    values->addWidget(new QLabel(tr("속도")));
    values->addWidget(speed_);
    values->addWidget(new QLabel(tr("펄스/초")));
    values->addStretch();

    auto* lamps = new QGridLayout;
    run_ = addLamp(lamps, 0, QStringLiteral("RUN"), QStringLiteral("led_run"));
    home_ = addLamp(lamps, 1, QStringLiteral("HSEN"), QStringLiteral("led_hsen"));
    for (int n = 1; n <= 8; ++n)
        inputs_[static_cast<std::size_t>(n - 1)] =
            addLamp(lamps, n + 1, QString::number(n), QStringLiteral("led%1").arg(n));
    lamps->setColumnStretch(10, 1);

    auto* chart = new QChart;
    chart->legend()->setAlignment(Qt::AlignBottom);
    positions_ = new QLineSeries;
    positions_->setName(tr("위치 (펄스)"));
    speeds_ = new QLineSeries;
    speeds_->setName(tr("속도 (펄스/초)"));
    chart->addSeries(positions_);
    chart->addSeries(speeds_);
    time_ = new QValueAxis;
    time_->setTitleText(tr("시간 (초)"));
    time_->setLabelFormat(QStringLiteral("%.0f"));
    time_->setTickType(QValueAxis::TicksDynamic);
    positionAxis_ = new QValueAxis;
    positionAxis_->setTitleText(tr("위치 (펄스)"));
    positionAxis_->setLabelFormat(QStringLiteral("%.0f"));
    speedAxis_ = new QValueAxis;
    speedAxis_->setTitleText(tr("속도 (펄스/초)"));
    speedAxis_->setLabelFormat(QStringLiteral("%.0f"));
    chart->addAxis(time_, Qt::AlignBottom);
    chart->addAxis(positionAxis_, Qt::AlignLeft);
    chart->addAxis(speedAxis_, Qt::AlignRight);
    positions_->attachAxis(time_);
    positions_->attachAxis(positionAxis_);
    speeds_->attachAxis(time_);
    speeds_->attachAxis(speedAxis_);
    auto* plot = new QChartView(chart);
    plot->setObjectName(QStringLiteral("plot"));
    plot->setMinimumSize(560, 300);

    interval_ = new QComboBox;
    interval_->setObjectName(QStringLiteral("interval"));
    for (int ms : kIntervalsMs)
        interval_->addItem(QStringLiteral("%1 ms").arg(ms), ms);
    interval_->setCurrentIndex(1);
    connect(interval_, qOverload<int>(&QComboBox::currentIndexChanged), this, [this] {
        if (actions_.intervalChosen)
            actions_.intervalChosen(interval());
    });
    span_ = new QComboBox;
    span_->setObjectName(QStringLiteral("span"));
    for (int s : kSpansS)
        span_->addItem(tr("%1초").arg(s), s);
    span_->setCurrentIndex(1);
    connect(span_, qOverload<int>(&QComboBox::currentIndexChanged), this,
            [this] { fitPlot(lastS_); });
    fitPlot(0);
    record_ = new QPushButton(tr("기록 시작"));
    record_->setObjectName(QStringLiteral("record"));
    connect(record_, &QPushButton::clicked, this, [this] {
        if (actions_.recordPressed)
            actions_.recordPressed();
    });
    auto* stop = new QPushButton(tr("모터 정지"));
    stop->setObjectName(QStringLiteral("mtr_STOP"));
    const auto stopMotor = [this] {
        if (actions_.stopMotor)
            actions_.stopMotor();
    };
    connect(stop, &QPushButton::clicked, this, stopMotor);
    auto* escape = new QShortcut(QKeySequence(Qt::Key_Escape), this);
    connect(escape, &QShortcut::activated, this, stopMotor);
    // Both act during a pause of the panels: the stop goes out as it ends.
    markAsStop(stop);
    markAsStop(escape);
    // Closed with its close box, or Ctrl+W where there is none.
    connect(new QShortcut(QKeySequence::Close, this), &QShortcut::activated, this, &QWidget::close);

    auto* controls = new QHBoxLayout;
    controls->addWidget(new QLabel(tr("간격")));
    controls->addWidget(interval_);
    controls->addWidget(new QLabel(tr("구간")));
    controls->addWidget(span_);
    controls->addStretch();
    controls->addWidget(record_);
    controls->addWidget(stop);

    state_ = new QLabel;
    state_->setObjectName(QStringLiteral("state"));

    auto* layout = new QVBoxLayout(this);
    layout->addLayout(values);
    layout->addLayout(lamps);
    layout->addWidget(plot, 1);
    layout->addLayout(controls);
    layout->addWidget(state_);
    showState(LiveState::LineClosed);
}

int LiveViewWindowWidget::interval() const {
    return interval_->currentData().toInt();
}

void LiveViewWindowWidget::showSample(const LiveSample& s) {
    position_->setText(QString::number(s.position));
    speed_->setText(QString::number(qRound64(s.speed)));
    run_->setOn(s.running);
    home_->setOn(s.homeSensor);
    for (int n = 1; n <= 8; ++n)
        inputs_[static_cast<std::size_t>(n - 1)]->setOn(s.input(n));
    lastS_ = static_cast<double>(s.ms) / 1000.0;
    pendingPositions_.append({lastS_, double(s.position)});
    pendingSpeeds_.append({lastS_, s.speed});
    if (!drawTimer_.isActive())
        drawTimer_.start(kDrawMs);
}

void LiveViewWindowWidget::drawPending() {
    positions_->append(pendingPositions_);
    speeds_->append(pendingSpeeds_);
    pendingPositions_.clear();
    pendingSpeeds_.clear();
    fitPlot(lastS_);
}

void LiveViewWindowWidget::fitPlot(double nowS) {
    const double span = span_->currentData().toDouble();
    const double from = nowS - span;
    for (QLineSeries* series : {positions_, speeds_}) {
        int old = 0;
        while (old < series->count() && series->at(old).x() < from - 1)
            ++old;
        if (old > 0)
            series->removePoints(0, old);
    }
    time_->setRange(std::max(0.0, from), std::max(span, nowS));
    // Ticks at whole seconds, about six over the span: 2, 5 or 10 s apart.
    time_->setTickAnchor(0);
    time_->setTickInterval(span <= 10 ? 2 : span <= 30 ? 5 : 10);
    // The speed's axis keeps 0 in sight; the position's fits the positions.
    const auto range = [from](const QLineSeries* series, QValueAxis* axis, bool withZero) {
        double low = withZero ? 0 : std::numeric_limits<double>::max();
        double high = withZero ? 0 : std::numeric_limits<double>::lowest();
        for (const QPointF& p : series->points())
            if (p.x() >= from) {
                low = std::min(low, p.y());
                high = std::max(high, p.y());
            }
        if (low > high)
            low = high = 0;
        fit(axis, low, high);
    };
    range(positions_, positionAxis_, false);
    range(speeds_, speedAxis_, true);
}

void LiveViewWindowWidget::showState(LiveState state) {
    switch (state) {
    case LiveState::Asking:
        state_->setText(tr("읽는 중"));
        break;
    case LiveState::Held:
        state_->setText(tr("잠시 멈춤: 다른 명령이 진행 중입니다"));
        break;
    case LiveState::LineClosed:
        state_->setText(tr("멈춤: 메인 화면의 통신이 닫혀 있습니다"));
        break;
    case LiveState::Silent:
        state_->setText(tr("멈춤: 드라이버가 응답하지 않습니다"));
        break;
    }
}

void LiveViewWindowWidget::showRecording(bool recording) {
    record_->setText(recording ? tr("기록 정지") : tr("기록 시작"));
}

void LiveViewWindowWidget::closeEvent(QCloseEvent* event) {
    event->accept();
    if (actions_.closed)
        actions_.closed();
}

} // namespace stepdrive
