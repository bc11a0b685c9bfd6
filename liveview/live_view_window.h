#pragma once
// The live view window (caption MONITOR): the position and speed, the run,
// home sensor and input lamps, a plot of position and speed over the last
// 10, 30 or 60 seconds, the interval, the record button and a motor stop.

#include "ui/live_view_module.h"

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
    // The plot keeps the points of the span chosen, and its axes fit them.
    void fitPlot(double nowS);

    LiveViewActions actions_;
    QLabel* position_;
    QLabel* speed_;
    QLabel* state_;
    Lamp* run_;
    Lamp* home_;
    std::array<Lamp*, 8> inputs_;
    QComboBox* interval_;
    QComboBox* span_;
    QAbstractButton* record_;
    QLineSeries* positions_;
    QLineSeries* speeds_;
    QValueAxis* time_;
    QValueAxis* positionAxis_;
    QValueAxis* speedAxis_;
    double lastS_ = 0;
};

} // namespace stepdrive
