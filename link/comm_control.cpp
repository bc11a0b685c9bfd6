#include "link/comm_control.h"

#include "link/log.h"
#include "link/pause.h"
#include "link/port_names.h"

#include <QMetaObject>

namespace stepdrive {

CommControl::CommControl(QString name, PauseGate* gate, MakeLine makeLine)
    : name_(std::move(name)), gate_(gate), makeLine_(std::move(makeLine)) {
    if (gate_)
        connect(gate_, &PauseGate::resumed, this, &CommControl::scheduleReceiveCheck);
}

CommControl::~CommControl() = default;

void CommControl::setRThreshold(int threshold) {
    threshold_ = threshold;
    scheduleReceiveCheck();
}

int CommControl::InBufferCount() const {
    return PortOpen() ? line_->bytesWaiting() : 0;
}

void CommControl::setInBufferCount(int count) {
    if (count == 0 && PortOpen())
        line_->discard();
}

QString CommControl::devicePath() const {
    return PortChoice{commPort_, device_}.path();
}

QString CommControl::portLabel() const {
    return PortChoice{commPort_, device_}.label();
}

bool CommControl::setPortOpen(bool open) {
    if (!open) {
        if (PortOpen()) {
            line_->close();
            qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "closed";
        }
        return true;
    }
    if (PortOpen())
        return true;
    if (device_.isEmpty() && commPort_ < 1) {
        report(PortFailure::Kind::NoPortNumber);
        return false;
    }
    LineSettingsFault wrong;
    const auto settings = parseLineSettings(settings_, &wrong);
    if (!settings) {
        report(PortFailure::Kind::BadSettings, {}, wrong);
        return false;
    }
    const QString path = devicePath();
    line_ = makeLine_(path,
                      {[this](const QByteArray& block) { dataArrived(block); },
                       [this](const DeviceFault& fault) { deviceLost(fault); }},
                      connectTimeoutMs_);
    DeviceFault fault;
    if (!line_->open(path, *settings, &fault)) {
        report(PortFailure::Kind::OpenRefused, fault);
        return false;
    }
    ++openings_;
    // A raw device server's port keeps the server's own line settings.
    const auto address = parseNetAddress(path);
    qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "opened" << portLabel()
                              << (address && address->mode == NetAddress::Mode::Raw
                                      ? QStringLiteral("at the device server's own line settings")
                                      : settings_);
    scheduleReceiveCheck();
    return true;
}

QByteArray CommControl::Input() {
    if (!PortOpen())
        return {};
    return line_->read(inputLen_ > 0 ? inputLen_ : line_->bytesWaiting());
}

bool CommControl::Output(const QByteArray& block) {
    if (!PortOpen()) {
        if (lossPending_)
            return false; // the loss of the device is being reported
        report(PortFailure::Kind::NotOpen);
        return false;
    }
    qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "out" << block.toHex(' ').toUpper();
    DeviceFault fault;
    if (!line_->write(block, &fault)) {
        // A device lost during the write has closed the port and reported
        // the loss already: one loss, one message.
        if (PortOpen())
            report(PortFailure::Kind::WriteFailed, fault);
        return false;
    }
    return true;
}

void CommControl::dataArrived(const QByteArray& block) {
    qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "in" << block.toHex(' ').toUpper();
    scheduleReceiveCheck();
}

void CommControl::deviceLost(const DeviceFault& fault) {
    if (!PortOpen())
        return; // already reported
    line_->close();
    // This runs inside the device's own notification: a modal message box
    // must not run there, so the loss is reported from the event loop.
    lossPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, fault] {
            lossPending_ = false;
            emit lost();
            report(PortFailure::Kind::Lost, fault);
        },
        Qt::QueuedConnection);
}

void CommControl::report(PortFailure::Kind kind, const DeviceFault& fault,
                         const LineSettingsFault& settings) {
    PortFailure failure;
    failure.kind = kind;
    failure.port = kind == PortFailure::Kind::NoPortNumber ? comName(commPort_) : portLabel();
    failure.cause = fault.cause;
    failure.systemText = fault.systemText;
    failure.refusal = fault.refusal;
    failure.settings = settings;
    qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "failure:" << static_cast<int>(kind)
                              << failure.port << static_cast<int>(failure.cause)
                              << failure.systemText << settings.text;
    emit failed(failure);
}

void CommControl::scheduleReceiveCheck() {
    if (checkPending_)
        return;
    checkPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this] {
            checkPending_ = false;
            receiveCheck();
        },
        Qt::QueuedConnection);
}

bool CommControl::eventsHeldBack() const {
    return gate_ && gate_->pausing();
}

bool CommControl::repliesHeld() const {
    return gate_ && (gate_->pausing() || gate_->reading());
}

void CommControl::receiveCheck() {
    if (eventsHeldBack())
        return; // looked at again when the pause ends
    if (threshold_ <= 0 || !PortOpen() || line_->bytesWaiting() < threshold_)
        return;
    raise(comEvReceive);
}

void CommControl::raise(int event) {
    // CommEvent names the event only while its handlers run.
    commEvent_ = event;
    emit OnComm();
    commEvent_ = 0;
}

} // namespace stepdrive
