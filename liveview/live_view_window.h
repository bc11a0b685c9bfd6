#pragma once
// The live view window (caption MONITOR): the position and speed, the run,
// home sensor and input lamps, a plot of position and speed over the last
// 10, 30 or 60 seconds, the interval, the record button and a motor stop.

#include "ui/live_view_module.h"

#include <QList>
#include <QPointF>
#include <QTimer>
#include <QWidget>
#include <array>

class QAbstractButton;
class QComboBox;
class QLabel;
class QLineSeries;
class QValueAxis;

namespace stepdrive {

class Lamp;

class LiveViewWindowWidget : public QWidget, public LiveViewWindow {
    Q_OBJECT
public:
    explicit LiveViewWindowWidget(LiveViewActions actions);

    QWidget* widget() override { return this; }
    int interval() const override;
    void showSample(const LiveSample& sample) override;
    void showState(LiveState state) override;
    void showRecording(bool recording) override;

protected:
    void closeEvent(QCloseEvent* event) override;

private:
    // The plot takes the points that came since it was last drawn, keeps
    // those of the span chosen, and its axes fit them.
    void fitPlot(double nowS);
    void drawPending();

    LiveViewActions actions_;
    QLabel* position_ = nullptr;
    QLabel* speed_ = nullptr;
    QLabel* state_ = nullptr;
    Lamp* run_ = nullptr;
    Lamp* home_ = nullptr;
    std::array<Lamp*, 8> inputs_{};
    QComboBox* interval_ = nullptr;
    QComboBox* span_ = nullptr;
    QAbstractButton* record_ = nullptr;
    QLineSeries* positions_ = nullptr;
    QLineSeries* speeds_ = nullptr;
    QValueAxis* time_ = nullptr;
    QValueAxis* positionAxis_ = nullptr;
    QValueAxis* speedAxis_ = nullptr;
    double lastS_ = 0;
    // Points not drawn yet: the plot is drawn at most every kDrawMs, as
    // drawing it costs far more than an update's numbers and lamps.
    static constexpr int kDrawMs = 400;
    QList<QPointF> pendingPositions_;
    QList<QPointF> pendingSpeeds_;
    QTimer drawTimer_;
};

} // namespace stepdrive
