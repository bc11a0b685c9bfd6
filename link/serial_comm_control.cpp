#include "link/serial_comm_control.h"

#include "core/line_settings.h"
#include "link/log.h"
#include "link/net_line.h"
#include "link/port_names.h"

#include <QFile>
#include <optional>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace stepdrive {

namespace {
constexpr int kWriteTimeoutMs = 2000;

using Cause = PortFailure::Cause;
struct OpenCause {
    QSerialPort::SerialPortError error;
    std::optional<DeviceAccess> access; // any, when empty
    Cause cause;
};
// Qt reports a lock file held by another program, a device opened
// exclusively (EBUSY) and a refused access (EACCES) all as a permission
// error; the device's own access tells them apart.
constexpr OpenCause kOpenCauses[] = {
    {QSerialPort::DeviceNotFoundError, {}, Cause::NoDevice},
    {QSerialPort::PermissionError, DeviceAccess::Missing, Cause::NoDevice},
    {QSerialPort::PermissionError, DeviceAccess::Refused, Cause::NotPermitted},
    {QSerialPort::PermissionError, DeviceAccess::ReadWrite, Cause::InUse},
};

QSerialPort::Parity parityOf(char p) {
    switch (p) {
    case 'E':
        return QSerialPort::EvenParity;
    case 'O':
        return QSerialPort::OddParity;
    case 'M':
        return QSerialPort::MarkParity;
    case 'S':
        return QSerialPort::SpaceParity;
    default:
        return QSerialPort::NoParity;
    }
}
} // namespace

DeviceAccess deviceAccess(const QString& path) {
#ifdef Q_OS_UNIX
    // A bare name is a device under /dev, as QSerialPort takes it.
    const QByteArray file = QFile::encodeName(
        path.startsWith(QLatin1Char('/')) ? path : QStringLiteral("/dev/") + path);
    if (::access(file.constData(), F_OK) != 0)
        return DeviceAccess::Missing;
    return ::access(file.constData(), R_OK | W_OK) == 0 ? DeviceAccess::ReadWrite
                                                        : DeviceAccess::Refused;
#else
    Q_UNUSED(path);
    return DeviceAccess::ReadWrite;
#endif
}

DeviceFault openFailure(QSerialPort::SerialPortError error, DeviceAccess access,
                        const QString& systemText) {
    for (const OpenCause& c : kOpenCauses)
        if (c.error == error && (!c.access || *c.access == access))
            return {c.cause, systemText};
    return {Cause::System, systemText};
}

SerialCommControl::SerialCommControl(QString name, PauseGate* gate, QObject* parent)
    : CommControl(std::move(name), gate, parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialCommControl::readIncoming);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialCommControl::onError);
}

SerialCommControl::~SerialCommControl() = default;

bool SerialCommControl::openDevice(const QString& path, const LineSettings& s, DeviceFault* fault) {
    network_ = isNetworkName(path);
    if (network_) {
        const std::optional<NetAddress> address = parseNetAddress(path);
        if (!address) {
            *fault = {Cause::BadAddress,
                      QStringLiteral("not tcp://HOST:PORT or rfc2217://HOST:PORT")};
            return false;
        }
        if (!net_)
            net_ = std::make_unique<NetLine>(
                [this](const QByteArray& block) {
                    qCDebug(lcLink).noquote()
                        << wireTimestamp() << name() << "in" << block.toHex(' ').toUpper();
                    dataArrived();
                },
                [this](const DeviceFault& f) { deviceLost(f); });
        return net_->open(*address, s, connectTimeoutMs(), fault);
    }
    port_.setPortName(path);
    received_.clear();
    if (!port_.open(QIODevice::ReadWrite)) {
        *fault = openFailure(port_.error(), deviceAccess(path), port_.errorString());
        port_.clearError();
        return false;
    }
    const bool configured =
        port_.setBaudRate(s.baud) &&
        port_.setDataBits(static_cast<QSerialPort::DataBits>(s.dataBits)) &&
        port_.setParity(parityOf(s.parity)) &&
        port_.setStopBits(s.stopBits == 2 ? QSerialPort::TwoStop : QSerialPort::OneStop) &&
        port_.setFlowControl(QSerialPort::NoFlowControl);
    if (!configured) {
        fault->systemText = port_.errorString();
        port_.clearError();
        port_.close();
        return false;
    }
    port_.clear(QSerialPort::AllDirections);
    return true;
}

void SerialCommControl::closeDevice() {
    if (network_)
        return net_->close();
    port_.close();
    received_.clear();
}

bool SerialCommControl::isDeviceOpen() const {
    return network_ ? net_ && net_->isOpen() : port_.isOpen();
}

int SerialCommControl::bytesWaiting() const {
    if (network_)
        return net_->bytesWaiting();
    return received_.waiting();
}

QByteArray SerialCommControl::readBytes(int max) {
    if (network_)
        return net_->read(max);
    return received_.take(max);
}

void SerialCommControl::discardInput() {
    if (network_)
        return net_->discard();
    readIncoming();
    received_.clear();
    port_.clear(QSerialPort::Input);
}

bool SerialCommControl::writeBytes(const QByteArray& block, DeviceFault* fault) {
    if (network_)
        return net_->write(block, fault);
    if (port_.write(block) != block.size()) {
        fault->systemText = port_.errorString();
        return false;
    }
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(kWriteTimeoutMs)) {
            *fault = {port_.error() == QSerialPort::TimeoutError ? Cause::TimedOut : Cause::System,
                      port_.errorString()};
            return false;
        }
    }
    return true;
}

void SerialCommControl::readIncoming() {
    const QByteArray block = port_.readAll();
    if (block.isEmpty())
        return;
    qCDebug(lcLink).noquote() << wireTimestamp() << name() << "in" << block.toHex(' ').toUpper();
    received_.append(block);
    dataArrived();
}

void SerialCommControl::onError(QSerialPort::SerialPortError error) {
    // An unplugged adapter shows as a resource error; a pseudo-terminal whose
    // far end is gone shows as read errors that repeat for ever, or as a
    // write error when a frame goes out first. Either way the device is
    // lost: close it, which also stops the repeats.
    if (error != QSerialPort::ResourceError && error != QSerialPort::ReadError &&
        error != QSerialPort::WriteError)
        return;
    // A read that ends the line leaves no useful system text behind.
    const DeviceFault fault{error == QSerialPort::ReadError ? Cause::Unreadable : Cause::System,
                            port_.errorString()};
    port_.clearError();
    deviceLost(fault);
}

} // namespace stepdrive
