#include "app/connection.h"

#include "app/program_names.h"
#include "core/commands.h"
#include "core/frame.h"
#include "link/comm_control.h"
#include "link/frame_link.h"
#include "link/pause.h"
#include "panels/driver_panel.h"
#include "ui/messenger.h"
#include "ui/port_words.h"

#include <QEventLoop>
#include <QSettings>
#include <QSignalBlocker>
#include <QTimer>
#include <memory>
#include <optional>

namespace stepdrive {

namespace {
const char* const kPortNames[] = {"MSC", "MSC1", "MSC2"};
// The receive threshold of each port: a whole reply of its panel's format.
const Format kFormats[] = {Format::Short, Format::Long, Format::Short};
const Win kPanels[] = {Win::Main, Win::JogPosition, Win::Belt};

std::size_t slotOf(Win w) {
    return w == Win::JogPosition ? 1 : w == Win::Belt ? 2 : 0;
}
} // namespace

Connection::Connection(PortFactory ports, PauseGate& gate, Messenger& messages, QObject* parent)
    : QObject(parent), ports_(std::move(ports)), gate_(gate), messages_(messages),
      motion_(messages) {
    connect(&watch_, &AdapterWatch::back, this, &Connection::adapterBack);
}

Connection::~Connection() = default;

CommControl& Connection::port(Win w) {
    auto& slot = made_[slotOf(w)];
    return slot ? *slot : makePort(w);
}

CommControl& Connection::makePort(Win w) {
    auto& slot = made_[slotOf(w)];
    // The port holds its receive events back while the panels' pause runs.
    slot = ports_(QString::fromLatin1(kPortNames[slotOf(w)]), &gate_);
    CommControl* port = slot.get();
    connect(port, &CommControl::failed, this, [this](const PortFailure& failure) {
        // Before the first connect the port object's number is its default,
        // not the operator's choice: no port is named.
        const bool neverConnected = !configured_ && failure.kind == PortFailure::Kind::NotOpen;
        QString text = neverConnected ? notConnectedText() : portFailureText(failure);
        if (failure.kind == PortFailure::Kind::Lost) {
            const QString note = motion_.lostNote();
            if (!note.isEmpty())
                text += QLatin1Char('\n') + note;
        }
        messages_.show(text);
    });
    connect(port, &CommControl::lost, this, [this, w] { portLost(w); });
    return *port;
}

void Connection::attach(Win w, DriverPanel& panel) {
    panels_[slotOf(w)] = &panel;
    motion_.watch(panel.link());
}

DriverPanel* Connection::panel(Win w) const {
    return panels_[slotOf(w)];
}

bool Connection::isOpen(Win w) const {
    const auto& slot = made_[slotOf(w)];
    return slot && slot->PortOpen();
}

Win Connection::holder() const {
    for (Win w : kPanels)
        if (isOpen(w))
            return w;
    return Win::None;
}

bool Connection::open(const PortChoice& choice, const QString& settings) {
    forgetLoss();
    for (Win w : kPanels) {
        CommControl& p = port(w);
        p.setCommPort(choice.com);
        p.setDevice(choice.device);
        p.setSettings(settings);
        p.setInputLen(1);
        p.setRThreshold(formatInfo(kFormats[slotOf(w)]).frameLength);
        p.setInBufferCount(0);
    }
    for (Win w : {Win::Belt, Win::JogPosition})
        if (port(w).PortOpen())
            port(w).setPortOpen(false);
    if (!port(Win::Main).PortOpen() && !port(Win::Main).setPortOpen(true))
        return false; // the port control has said why
    configured_ = true;
    // The adapter behind the port is kept with it, to be found again after a
    // loss and offered under its current name at the next start.
    adapter_ = adapterOf(choice.path());
    QSettings settingsFile;
    if (adapter_)
        settingsFile.setValue(QLatin1String(kLastAdapterKey), adapter_->toString());
    else
        settingsFile.remove(QLatin1String(kLastAdapterKey));
    return true;
}

void Connection::close() {
    forgetLoss();
    for (Win w : {Win::JogPosition, Win::Main})
        if (port(w).PortOpen())
            port(w).setPortOpen(false);
}

void Connection::closeAll() {
    forgetLoss();
    for (Win w : {Win::Belt, Win::JogPosition, Win::Main})
        if (isOpen(w))
            port(w).setPortOpen(false);
}

bool Connection::handOver(Win leaving, Win entering) {
    CommControl* from = leaving != Win::None ? &port(leaving) : nullptr;
    const bool wasOpen = from && from->PortOpen();
    if (wasOpen)
        from->setPortOpen(false);
    // Before the first connect there is no line to hand over.
    if (entering == Win::None || !configured_)
        return true;
    CommControl& to = port(entering);
    if (to.PortOpen() || to.setPortOpen(true))
        return true;
    // The port control has said why; the line stays where it was. The way
    // back fails for the same reason, if it does: one message.
    if (wasOpen) {
        const QSignalBlocker quiet(from);
        from->setPortOpen(true);
    }
    return false;
}

std::vector<int> Connection::probe() {
    CommControl& p = port(Win::Main);
    std::vector<int> opened;
    for (int n = 1; n <= 10; ++n) {
        // A COM number mapped to a device server is listed untried:
        // connecting to each would hold the dialog back for as long as the
        // network takes.
        if (isNetworkName(portDevice(n))) {
            opened.push_back(n);
            continue;
        }
        // The probe reports nothing: a port that does not open is simply not
        // listed.
        const QSignalBlocker quiet(p);
        p.setCommPort(n);
        if (p.setPortOpen(true))
            opened.push_back(n);
        if (p.PortOpen())
            p.setPortOpen(false);
    }
    return opened;
}

bool Connection::busy() const {
    for (const DriverPanel* p : panels_)
        if (p && p->reading())
            return true;
    return gate_.pausing();
}

void Connection::stop() {
    const Win w = holder();
    if (DriverPanel* p = panel(w == Win::None ? Win::Main : w))
        p->stopMotor();
}

bool Connection::settle(MotionGuard::Leave leave) {
    const auto answer = motion_.ask(leave);
    if (answer == MotionGuard::Answer::StopFirst)
        stopAndWait();
    return answer != MotionGuard::Answer::Stay;
}

void Connection::stopAndWait() {
    // The stop goes through the line that is open; with none open (left
    // running at a disconnect), through the main panel's, opened for it.
    Win w = holder();
    if (w == Win::None) {
        if (!configured_ || !port(Win::Main).setPortOpen(true))
            return; // the port control has said why
        w = Win::Main;
    }
    DriverPanel* p = panel(w);
    if (!p)
        return;
    QEventLoop loop;
    bool answered = false;
    connect(&p->link(), &FrameLink::replied, &loop, [&](const Reply& reply) {
        if (reply.code != cmd::Stop)
            return;
        answered = true;
        loop.quit();
    });
    // A driver that does not answer the stop is said (the motor may still
    // turn) before the line closes.
    connect(&p->link(), &FrameLink::silent, &loop, &QEventLoop::quit);
    QTimer::singleShot(kStopReplyWaitMs, &loop, &QEventLoop::quit);
    // Told at once, or once a pause running ends (the wait lets it end).
    const auto sent = std::make_shared<std::optional<bool>>();
    p->stopMotor([sent](bool out) { *sent = out; });
    // A stop that did not go out has no reply to wait for.
    if (sent->value_or(true) && !answered)
        loop.exec(QEventLoop::ExcludeUserInputEvents);
}

void Connection::forgetLoss() {
    watch_.stop();
    lostFrom_ = Win::None;
}

void Connection::portLost(Win w) {
    motion_.forget();
    lostFrom_ = w;
    reopenRefusedSaid_ = false;
    emit lost();
    if (adapter_)
        watch_.watch(*adapter_);
}

void Connection::adapterBack(const QString& device) {
    if (lostFrom_ == Win::None || holder() != Win::None)
        return;
    // The same adapter under its new name: the line reopens as it was,
    // sending nothing.
    for (Win w : kPanels)
        port(w).setDevice(device);
    CommControl& p = port(lostFrom_);
    bool opened = false;
    {
        // Why it does not open (another program took it, no permission) is
        // said once a loss; it is looked for again all the same.
        const QSignalBlocker quiet(reopenRefusedSaid_ ? &p : nullptr);
        opened = p.setPortOpen(true);
    }
    if (!opened) {
        reopenRefusedSaid_ = true;
        watch_.watch(*adapter_);
        return;
    }
    lostFrom_ = Win::None;
    messages_.show(tr("%1: 같은 어댑터(%2)가 다시 연결되어 통신을 다시 열었습니다.")
                       .arg(p.portLabel(), adapter_->text()));
    emit back();
}

} // namespace stepdrive
