#include "link/serial_line.h"

#include "link/port_names.h"
#include "sys/devices.h"

#include <QFile>
#include <cerrno>
#include <cstring>
#include <optional>

namespace stepdrive {

namespace {
constexpr int kWriteTimeoutMs = 2000;

using Cause = PortFailure::Cause;
struct OpenCause {
    QSerialPort::SerialPortError error;
    std::optional<sys::DeviceAccess> access; // any, when empty
    Cause cause;
};
// Qt reports a lock file held by another program, a device opened
// exclusively (EBUSY) and a refused access (EACCES) all as a permission
// error; the device's own access tells them apart.
constexpr OpenCause kOpenCauses[] = {
    {QSerialPort::DeviceNotFoundError, {}, Cause::NoDevice},
    {QSerialPort::PermissionError, sys::DeviceAccess::Missing, Cause::NoDevice},
    {QSerialPort::PermissionError, sys::DeviceAccess::Refused, Cause::NotPermitted},
    {QSerialPort::PermissionError, sys::DeviceAccess::ReadWrite, Cause::InUse},
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

DeviceFault openFailure(QSerialPort::SerialPortError error, sys::DeviceAccess access,
                        const QString& systemText) {
    for (const OpenCause& c : kOpenCauses)
        if (c.error == error && (!c.access || *c.access == access))
            return {c.cause, systemText};
    return {Cause::System, systemText};
}

SerialLine::SerialLine(LineEvents events)
    : arrived_(std::move(events.arrived)), lost_(std::move(events.lost)) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialLine::readIncoming);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialLine::onError);
}

bool SerialLine::open(const QString& path, const LineSettings& s, DeviceFault* fault) {
    port_.setPortName(path);
    received_.clear();
    if (!port_.open(QIODevice::ReadWrite)) {
        *fault = openFailure(port_.error(), sys::deviceAccess(path), port_.errorString());
        port_.clearError();
        return false;
    }
    // A program that locks the device with flock holds it as surely as one
    // that opened it exclusively; the lock taken here holds it for this
    // program until it closes.
    if (!sys::holdDevice(port_.handle())) {
        *fault = {Cause::InUse, QString::fromLocal8Bit(std::strerror(EWOULDBLOCK))};
        port_.close();
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

void SerialLine::close() {
    port_.close();
    received_.clear();
}

void SerialLine::discard() {
    readIncoming();
    received_.clear();
    port_.clear(QSerialPort::Input);
}

bool SerialLine::write(const QByteArray& block, DeviceFault* fault) {
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

void SerialLine::readIncoming() {
    const QByteArray block = port_.readAll();
    if (block.isEmpty())
        return;
    received_.append(block);
    arrived_(block);
}

void SerialLine::onError(QSerialPort::SerialPortError error) {
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
    lost_(fault);
}

} // namespace stepdrive
