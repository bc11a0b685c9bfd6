#include "app/shell.h"

#include "app/live_view.h"
#include "app/setup_files.h"
#include "app/start_dialog.h"
#include "core/commands.h"
#include "link/comm_control.h"
#include "link/frame_link.h"
#include "link/pause.h"
#include "link/serial_comm_control.h"
#include "panels/belt/belt_panel.h"
#include "panels/jog_position/jog_position_panel.h"
#include "panels/main/main_panel.h"
#include "ui/message_box.h"
#include "ui/port_words.h"

#include <QAbstractButton>
#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QScopedValueRollback>
#include <QSignalBlocker>
#include <QTimer>
#include <utility>

namespace stepdrive {

namespace {
std::unique_ptr<CommControl> serialPort(const QString& name, PauseGate* gate) {
    return std::make_unique<SerialCommControl>(name, gate);
}
void quitApplication() {
    QCoreApplication::exit(0);
}
} // namespace

Shell::Shell()
    : ports_(serialPort), ownPause_(std::make_unique<BlockingPause>()),
      ownMessages_(std::make_unique<MessageBoxMessenger>(&ownPause_->gate())),
      pause_(ownPause_.get()), messages_(ownMessages_.get()), endProgram_(quitApplication) {}

Shell::Shell(Messenger& messages)
    : ports_(serialPort), ownPause_(std::make_unique<BlockingPause>()), pause_(ownPause_.get()),
      messages_(&messages), endProgram_(quitApplication) {}

Shell::Shell(PortFactory ports, Pause& pause, Messenger& messages)
    : ports_(std::move(ports)), pause_(&pause), messages_(&messages), endProgram_(quitApplication) {
}

Shell::~Shell() {
    // Windows go before the port objects they hold references to.
    liveView_.reset();
    start_.reset();
    belt_.reset();
    jogPosition_.reset();
    main_.reset();
}

void Shell::start() {
    main().show();
}

CommControl& Shell::port(std::unique_ptr<CommControl>& slot, const char* name) {
    if (slot)
        return *slot;
    // The port holds its receive events back while the panels' pause runs.
    slot = ports_(QString::fromLatin1(name), &pause_->gate());
    CommControl* port = slot.get();
    connect(port, &CommControl::failed, this, [this](const PortFailure& failure) {
        // Before the first connect the port object's number is its default,
        // not the operator's choice: no port is named.
        const bool neverConnected = !configured_ && failure.kind == PortFailure::Kind::NotOpen;
        QString text = neverConnected ? notConnectedText() : portFailureText(failure);
        if (failure.kind == PortFailure::Kind::Lost && std::exchange(jogLost_, false))
            text += QLatin1Char('\n') + tr("조그 운전 중이던 모터는 아직 돌고 있을 수 있습니다. "
                                           "다시 연결한 뒤 모터 정지를 누르십시오.");
        messages_->show(text);
    });
    // A lost line leaves the dialog ready to connect again, and forgets the
    // jog it ran: the next connection may reach another drive.
    connect(port, &CommControl::lost, this, [this] {
        if (start_)
            start_->setConnected(false);
        if (main_ && main_->jogging()) {
            jogLost_ = true;
            main_->forgetJog();
        }
    });
    return *port;
}

// A panel comes into being on first reference, over its port object.
template <typename Panel>
Panel& Shell::panel(std::unique_ptr<Panel>& slot, std::unique_ptr<CommControl>& portSlot,
                    const char* portName, Win w) {
    if (!slot) {
        slot = std::make_unique<Panel>(port(portSlot, portName), *pause_, *messages_);
        wire(w, *slot);
    }
    return *slot;
}

MainPanel& Shell::main() {
    return panel(main_, msc_, "MSC", Win::Main);
}
JogPositionPanel& Shell::jogPosition() {
    return panel(jogPosition_, msc1_, "MSC1", Win::JogPosition);
}
BeltPanel& Shell::belt() {
    return panel(belt_, msc2_, "MSC2", Win::Belt);
}

StartDialog& Shell::startDialog() {
    if (!start_) {
        start_ = std::make_unique<StartDialog>(probePorts());
        connect(start_.get(), &StartDialog::connectRequested, this, &Shell::connectLink);
        connect(start_.get(), &StartDialog::disconnectRequested, this, &Shell::disconnectLink);
        connect(start_.get(), &StartDialog::exitRequested, this, &Shell::exitProgram);
        wire(Win::Start, *start_);
    }
    return *start_;
}

std::vector<PortEntry> Shell::probePorts() {
    std::vector<int> opened;
    for (int n = 1; n <= 10; ++n)
        if (Rs232_Probe(MSC(), n))
            opened.push_back(n);
    return portEntries(opened, systemPorts());
}

bool Shell::Rs232_Probe(CommControl& port, int n) {
    // A COM number mapped to a device server is listed untried: connecting
    // to each would hold the dialog back for as long as the network takes.
    if (isNetworkName(portDevice(n)))
        return true;
    // The probe reports nothing: a port that does not open is simply not listed.
    const QSignalBlocker quiet(port);
    port.setCommPort(n);
    const bool opened = port.setPortOpen(true);
    if (port.PortOpen())
        port.setPortOpen(false);
    return opened;
}

void Shell::connectLink(const PortChoice& choice, const QString& settings) {
    // Each port waits for a whole reply of its panel's frame format.
    const struct {
        CommControl& port;
        int threshold;
    } configs[] = {{MSC(), formatInfo(Format::Short).frameLength},
                   {MSC1(), formatInfo(Format::Long).frameLength},
                   {MSC2(), formatInfo(Format::Short).frameLength}};
    for (const auto& c : configs) {
        c.port.setCommPort(choice.com);
        c.port.setDevice(choice.device);
        c.port.setSettings(settings);
        c.port.setInputLen(1);
        c.port.setRThreshold(c.threshold);
        c.port.setInBufferCount(0);
    }

    for (CommControl* port : {&MSC2(), &MSC1()})
        if (port->PortOpen())
            port->setPortOpen(false);
    if (!MSC().PortOpen() && !MSC().setPortOpen(true)) {
        // The port control has said why; the dialog stays, ready for another choice.
        start_->setConnected(false);
        return;
    }
    configured_ = true;
    start_->setConnected(true);
    showOnly(main());
}

void Shell::disconnectLink() {
    if (!settleJog(tr("모터가 조그 운전 중입니다. 정지하고 통신을 끊을까요?"),
                   {tr("정지 후 통신 정지"), tr("그대로 통신 정지"), tr("취소")}))
        return;
    for (CommControl* port : {&MSC1(), &MSC()})
        if (port->PortOpen())
            port->setPortOpen(false);
    start_->setConnected(false);
}

SetupFiles& Shell::setupFiles() {
    if (!setupFiles_)
        setupFiles_ = new SetupFiles(*this, *messages_);
    return *setupFiles_;
}

CommControl& Shell::MSC() {
    return port(msc_, "MSC");
}
CommControl& Shell::MSC1() {
    return port(msc1_, "MSC1");
}
CommControl& Shell::MSC2() {
    return port(msc2_, "MSC2");
}

QWidget& Shell::window(Win w) {
    switch (w) {
    case Win::Start:
        return startDialog();
    case Win::JogPosition:
        return jogPosition();
    case Win::Belt:
        return belt();
    default:
        return main();
    }
}

CommControl& Shell::port(Win w) {
    switch (w) {
    case Win::JogPosition:
        return MSC1();
    case Win::Belt:
        return MSC2();
    default:
        return MSC();
    }
}

void Shell::wire(Win w, QWidget& window) {
    window.installEventFilter(this);
    for (const Switch& s : kSwitches) {
        if (s.from != w)
            continue;
        auto* button = window.findChild<QAbstractButton*>(QString::fromLatin1(s.button));
        Q_ASSERT(button);
        connect(button, &QAbstractButton::clicked, this, [this, &s] { runSwitch(s); });
    }
    if (auto* exit = window.findChild<QAbstractButton*>(QStringLiteral("CMD_EXIT")))
        connect(exit, &QAbstractButton::clicked, this, &Shell::exitProgram);
    if (w != Win::Start)
        setupFiles().addMenuTo(&window);
    if (w == Win::Main)
        addViewMenu(&window, [this] { liveView().open(); });
}

LiveView& Shell::liveView() {
    if (!liveView_) {
        // It asks nothing while any panel's sequence pauses or its read waits.
        const auto busy = [this] {
            for (DriverPanel* p :
                 std::initializer_list<DriverPanel*>{main_.get(), jogPosition_.get(), belt_.get()})
                if (p && p->reading())
                    return true;
            return pause_->gate().pausing();
        };
        liveView_ = std::make_unique<LiveView>(main(), busy, *messages_);
    }
    return *liveView_;
}

void Shell::runSwitch(const Switch& s) {
    CommControl* leaving = s.closesPortOf != Win::None ? &port(s.closesPortOf) : nullptr;
    const bool wasOpen = leaving && leaving->PortOpen();
    if (wasOpen)
        leaving->setPortOpen(false);
    // Before the first connect there is no link to hand over.
    if (s.opensPortOf != Win::None && configured_) {
        CommControl& entering = port(s.opensPortOf);
        if (!entering.PortOpen() && !entering.setPortOpen(true)) {
            // The port control has said why; keep the link where it was. The
            // way back fails for the same reason, if it does: one message.
            if (wasOpen) {
                const QSignalBlocker quiet(leaving);
                leaving->setPortOpen(true);
            }
            return;
        }
    }
    showOnly(window(s.target));
}

std::array<QWidget*, 4> Shell::existingWindows() const {
    return {start_.get(), main_.get(), jogPosition_.get(), belt_.get()};
}

void Shell::showOnly(QWidget& target) {
    for (QWidget* w : existingWindows())
        if (w && w != &target && w->isVisible())
            w->hide();
    target.show();
}

void Shell::exitProgram() {
    if (exiting_)
        return;
    const QScopedValueRollback<bool> once(exiting_, true);
    if (!settleJog(tr("모터가 조그 운전 중입니다. 정지하고 종료할까요?"),
                   {tr("정지 후 종료"), tr("그대로 종료"), tr("취소")}))
        return;
    for (CommControl* port : {msc2_.get(), msc1_.get(), msc_.get()})
        if (port && port->PortOpen())
            port->setPortOpen(false);
    for (QWidget* w : existingWindows())
        if (w)
            w->hide();
    if (liveView_)
        liveView_->close();
    endProgram_();
}

bool Shell::settleJog(const QString& question, const QStringList& answers) {
    if (!main_ || !main_->jogging())
        return true;
    enum { Stop, LeaveRunning };
    const int answer = messages_->ask(question, answers);
    if (answer == Stop)
        stopJog();
    return answer == Stop || answer == LeaveRunning;
}

void Shell::stopJog() {
    for (CommControl* other : {msc2_.get(), msc1_.get()})
        if (other && other->PortOpen())
            other->setPortOpen(false);
    if (!MSC().PortOpen() && !MSC().setPortOpen(true))
        return; // the port control has said why

    QEventLoop loop;
    bool answered = false;
    connect(&main().link(), &FrameLink::replied, &loop, [&](const Reply& reply) {
        if (reply.code != cmd::Stop)
            return;
        answered = true;
        loop.quit();
    });
    // A driver that does not answer the stop is said (the motor may still
    // turn) before the program ends.
    connect(&main().link(), &FrameLink::silent, &loop, &QEventLoop::quit);
    QTimer::singleShot(kStopReplyWaitMs, &loop, &QEventLoop::quit);
    main().mtr_STOP_Click();
    // A stop that did not go out has no reply to wait for.
    if (!answered && !main().jogging())
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

bool Shell::eventFilter(QObject* watched, QEvent* event) {
    // Closing any window ends the whole program.
    if (event->type() == QEvent::Close) {
        event->ignore();
        exitProgram();
        return true;
    }
    return QObject::eventFilter(watched, event);
}

} // namespace stepdrive
