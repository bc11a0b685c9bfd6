#include "link/serial_comm_control.h"

#include "link/line_settings.h"
#include "link/log.h"

#include <QFile>
#include <optional>
#ifdef Q_OS_UNIX
#include <unistd.h>
#endif

namespace stepdrive {

namespace {
constexpr int kWriteTimeoutMs = 2000;

constexpr char kNoDevice[] = "장치가 없습니다.";
#ifdef Q_OS_LINUX
constexpr char kNotPermitted[] = "장치를 쓸 권한이 없습니다. 사용자를 dialout 그룹에 넣고 "
                                 "(sudo usermod -aG dialout $USER) 다시 로그인하십시오.";
#else
constexpr char kNotPermitted[] = "장치를 쓸 권한이 없습니다.";
#endif

struct Cause {
    QSerialPort::SerialPortError error;
    std::optional<DeviceAccess> access; // any, when empty
    const char* reason;
};
// Qt reports a lock file held by another program, a device opened
// exclusively (EBUSY) and a refused access (EACCES) all as a permission
// error; the device's own access tells them apart.
constexpr Cause kCauses[] = {
    {QSerialPort::DeviceNotFoundError, {}, kNoDevice},
    {QSerialPort::PermissionError, DeviceAccess::Missing, kNoDevice},
    {QSerialPort::PermissionError, DeviceAccess::Refused, kNotPermitted},
    {QSerialPort::PermissionError, DeviceAccess::ReadWrite, "다른 프로그램이 사용하고 있습니다."},
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

QString openFailureReason(QSerialPort::SerialPortError error, DeviceAccess access,
                          const QString& systemText) {
    for (const Cause& c : kCauses)
        if (c.error == error && (!c.access || *c.access == access))
            return QString::fromUtf8(c.reason);
    return systemText;
}

SerialCommControl::SerialCommControl(QString name, PauseGate* gate, QObject* parent)
    : CommControl(std::move(name), gate, parent) {
    connect(&port_, &QSerialPort::readyRead, this, &SerialCommControl::readIncoming);
    connect(&port_, &QSerialPort::errorOccurred, this, &SerialCommControl::onError);
}

bool SerialCommControl::openDevice(const QString& path, const LineSettings& s, QString* reason) {
    port_.setPortName(path);
    received_.clear();
    taken_ = 0;
    if (!port_.open(QIODevice::ReadWrite)) {
        *reason = openFailureReason(port_.error(), deviceAccess(path), port_.errorString());
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
        *reason = port_.errorString();
        port_.clearError();
        port_.close();
        return false;
    }
    port_.clear(QSerialPort::AllDirections);
    return true;
}

void SerialCommControl::closeDevice() {
    port_.close();
    received_.clear();
    taken_ = 0;
}

bool SerialCommControl::isDeviceOpen() const {
    return port_.isOpen();
}

int SerialCommControl::bytesWaiting() const {
    return static_cast<int>(received_.size() - taken_);
}

QByteArray SerialCommControl::readBytes(int max) {
    const QByteArray taken = received_.mid(taken_, max);
    taken_ += taken.size();
    if (taken_ == received_.size()) {
        received_.clear();
        taken_ = 0;
    } else if (taken_ > 4096 && taken_ > received_.size() / 2) {
        received_.remove(0, taken_);
        taken_ = 0;
    }
    return taken;
}

void SerialCommControl::discardInput() {
    readIncoming();
    received_.clear();
    taken_ = 0;
    port_.clear(QSerialPort::Input);
}

bool SerialCommControl::writeBytes(const QByteArray& block, QString* reason) {
    if (port_.write(block) != block.size()) {
        *reason = port_.errorString();
        return false;
    }
    while (port_.bytesToWrite() > 0) {
        if (!port_.waitForBytesWritten(kWriteTimeoutMs)) {
            *reason = port_.error() == QSerialPort::TimeoutError ? QStringLiteral("시간 초과")
                                                                 : port_.errorString();
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
    received_ += block;
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
    const QString why =
        error == QSerialPort::ReadError ? QStringLiteral("읽을 수 없음") : port_.errorString();
    port_.clearError();
    deviceLost(why);
}

} // namespace stepdrive
