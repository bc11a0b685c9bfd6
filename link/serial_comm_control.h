#pragma once
// The port control that ships, over QSerialPort: real ttys, USB adapters and
// pseudo-terminals alike.

#include "link/comm_control.h"

#include <QSerialPort>

namespace stepdrive {

// What the system lets this program do with a device.
enum class DeviceAccess { ReadWrite, Refused, Missing };
DeviceAccess deviceAccess(const QString& path);

// Why a device did not open, from QSerialPort's error and the device's
// access: held by another program, not permitted, or not there; otherwise
// only the system's text says.
DeviceFault openFailure(QSerialPort::SerialPortError error, DeviceAccess access,
                        const QString& systemText);

class SerialCommControl : public CommControl {
    Q_OBJECT
public:
    SerialCommControl(QString name, PauseGate* gate, QObject* parent = nullptr);

protected:
    bool openDevice(const QString& path, const LineSettings& settings, DeviceFault* fault) override;
    void closeDevice() override;
    bool isDeviceOpen() const override;
    int bytesWaiting() const override;
    QByteArray readBytes(int max) override;
    void discardInput() override;
    bool writeBytes(const QByteArray& block, DeviceFault* fault) override;

private:
    void readIncoming();
    void onError(QSerialPort::SerialPortError error);

    QSerialPort port_;
    // Bytes read off the device; those from taken_ on are not yet taken by
    // Input. One byte at a time is taken, so the front is dropped only now
    // and then, not on every read.
    QByteArray received_;
    qsizetype taken_ = 0;
};

} // namespace stepdrive
