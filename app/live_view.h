#pragma once
// The live view as the program runs it: the window from its module, loaded
// the first time the view is opened; the polling over the main panel's link
// while the window is open; the CSV record. Until first opened it loads
// nothing; closed, it has no timer and sends nothing.

#include "app/live_poll.h"
#include "core/live_sample.h"

#include <QObject>
#include <QString>
#include <functional>
#include <memory>

class QFile;
class QWidget;

namespace stepdrive {

class CommControl;
class FrameLink;
class LiveViewWindow;
struct LiveViewActions;
class Messenger;

// Puts the menu "보기" with "실시간 보기…" (Ctrl+M) on a window's menu bar.
void addViewMenu(QWidget* window, std::function<void()> open);

class LiveView : public QObject {
    Q_OBJECT
public:
    // The line it asks over (the main panel's) and the panel it opens beside.
    struct Line {
        FrameLink& link;
        CommControl& port;
        const QWidget& panel;
    };
    // `stopMotor` is its stop's; `busy` is true while a sequence or
    // read-back of any panel runs.
    LiveView(Line line, std::function<void()> stopMotor, std::function<bool()> busy,
             Messenger& messages, QObject* parent = nullptr);
    ~LiveView() override;

    // Shows the window (made on first use) and starts asking.
    void open();
    // Hides the window, stops asking and ends a record.
    void close();
    bool isOpen() const;

    LivePoll& poll() { return poll_; }
    // Null until first opened.
    LiveViewWindow* window() { return window_.get(); }
    bool recording() const { return record_ != nullptr; }

    // The tests' window instead of the module's, and their file choice.
    using WindowMaker = std::function<std::unique_ptr<LiveViewWindow>(LiveViewActions)>;
    void setWindowMaker(WindowMaker maker) { maker_ = std::move(maker); }
    void setRecordChooser(std::function<QString(QWidget*)> choose) {
        chooseRecord_ = std::move(choose);
    }

private:
    std::unique_ptr<LiveViewWindow> loadWindow(LiveViewActions actions);
    void sampled(const LiveSample& sample);
    void recordPressed();
    void endRecord();

    const QWidget& panel_;
    std::function<void()> stopMotor_;
    Messenger& messages_;
    LivePoll poll_;
    WindowMaker maker_;
    std::function<QString(QWidget*)> chooseRecord_;
    std::unique_ptr<LiveViewWindow> window_;
    std::unique_ptr<QFile> record_;
    qint64 recordFromMs_ = 0;
};

} // namespace stepdrive
