#pragma once
// A serial device as a line, over QSerialPort: real ttys, USB adapters and
// pseudo-terminals alike.

#include "link/comm_control.h"
#include "link/line.h"
#include "link/receive_buffer.h"
#include "sys/devices.h"

#include <QObject>
#include <QSerialPort>
#include <functional>

namespace stepdrive {

// Why a device did not open, from QSerialPort's error and the device's
// access: held by another program, not permitted, or not there; otherwise
// only the system's text says.
DeviceFault openFailure(QSerialPort::SerialPortError error, sys::DeviceAccess access,
                        const QString& systemText);

class SerialLine : public QObject, public Line {
    Q_OBJECT
public:
    explicit SerialLine(LineEvents events);

    bool open(const QString& path, const LineSettings& settings, DeviceFault* fault) override;
    void close() override;
    bool isOpen() const override { return port_.isOpen(); }
    int bytesWaiting() const override { return received_.waiting(); }
    QByteArray read(int max) override { return received_.take(max); }
    void discard() override;
    bool write(const QByteArray& block, DeviceFault* fault) override;

private:
    void readIncoming();
    void onError(QSerialPort::SerialPortError error);

    std::function<void(const QByteArray&)> arrived_;
    std::function<void(const DeviceFault&)> lost_;
    QSerialPort port_;
    ReceiveBuffer received_;
};

} // namespace stepdrive
