#include "link/comm_control.h"

#include "link/line_settings.h"
#include "link/log.h"
#include "link/pause.h"
#include "link/port_names.h"

#include <QMetaObject>

namespace stepdrive {

CommControl::CommControl(QString name, PauseGate* gate, QObject* parent)
    : QObject(parent), name_(std::move(name)), gate_(gate) {
    if (gate_)
        connect(gate_, &PauseGate::resumed, this, &CommControl::scheduleReceiveCheck);
}

CommControl::~CommControl() = default;

void CommControl::setRThreshold(int threshold) {
    threshold_ = threshold;
    scheduleReceiveCheck();
}

int CommControl::InBufferCount() const {
    return isDeviceOpen() ? bytesWaiting() : 0;
}

void CommControl::setInBufferCount(int count) {
    if (count == 0 && isDeviceOpen())
        discardInput();
}

QString CommControl::devicePath() const {
    return device_.isEmpty() ? portDevice(commPort_) : device_;
}

QString CommControl::portLabel() const {
    if (!device_.isEmpty())
        return device_;
    const QString path = devicePath();
    return path.isEmpty() || path == comName(commPort_)
               ? comName(commPort_)
               : QStringLiteral("%1 (%2)").arg(comName(commPort_), path);
}

bool CommControl::setPortOpen(bool open) {
    if (!open) {
        if (isDeviceOpen()) {
            closeDevice();
            qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "closed";
        }
        return true;
    }
    if (isDeviceOpen())
        return true;
    if (device_.isEmpty() && commPort_ < 1) {
        report(QStringLiteral("%1: 포트 번호가 없습니다. 포트를 목록에서 고르십시오.")
                   .arg(comName(commPort_)));
        return false;
    }
    QString why;
    const auto settings = parseLineSettings(settings_, &why);
    if (!settings) {
        report(QStringLiteral("%1: %2").arg(portLabel(), why));
        return false;
    }
    if (!openDevice(devicePath(), *settings, &why)) {
        report(QStringLiteral("%1을(를) 열 수 없습니다: %2").arg(portLabel(), why));
        return false;
    }
    ++openings_;
    qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "opened" << portLabel() << settings_;
    scheduleReceiveCheck();
    return true;
}

QByteArray CommControl::Input() {
    if (!isDeviceOpen())
        return {};
    return readBytes(inputLen_ > 0 ? inputLen_ : bytesWaiting());
}

bool CommControl::Output(const QByteArray& block) {
    if (!isDeviceOpen()) {
        if (lossPending_)
            return false; // the loss of the device is being reported
        report(QStringLiteral("%1: 포트가 열려 있지 않아 보내지 못했습니다.").arg(portLabel()));
        return false;
    }
    qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "out" << block.toHex(' ').toUpper();
    QString why;
    if (!writeBytes(block, &why)) {
        // A device lost during the write has closed the port and reported
        // the loss already: one loss, one message.
        if (isDeviceOpen())
            report(QStringLiteral("%1: 보내지 못했습니다: %2").arg(portLabel(), why));
        return false;
    }
    return true;
}

void CommControl::dataArrived() {
    scheduleReceiveCheck();
}

void CommControl::deviceLost(const QString& reason) {
    if (!isDeviceOpen())
        return; // already reported
    closeDevice();
    // This runs inside the device's own notification: a modal message box
    // must not run there, so the loss is reported from the event loop.
    const QString message =
        QStringLiteral("%1 연결이 끊어졌습니다. 장치와 케이블을 확인한 뒤 다시 연결하십시오. (%2)")
            .arg(portLabel(), reason);
    lossPending_ = true;
    QMetaObject::invokeMethod(
        this,
        [this, message] {
            lossPending_ = false;
            emit lost();
            report(message);
        },
        Qt::QueuedConnection);
}

void CommControl::report(const QString& reason) {
    qCDebug(lcLink).noquote() << wireTimestamp() << name_ << "failure:" << reason;
    emit failed(reason);
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

void CommControl::receiveCheck() {
    if (eventsHeldBack())
        return; // looked at again when the pause ends
    if (threshold_ <= 0 || !isDeviceOpen() || bytesWaiting() < threshold_)
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
