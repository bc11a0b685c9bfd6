#pragma once
// The port control that ships, over QSerialPort: real ttys, USB adapters and
// pseudo-terminals alike. A network port name ("tcp://HOST:PORT",
// "rfc2217://HOST:PORT") opens the port to a serial device server instead,
// so whoever uses the port never knows which kind it talks to.

#include "link/comm_control.h"
#include "link/receive_buffer.h"

#include <QSerialPort>
#include <memory>

namespace stepdrive {

class NetLine;

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
    ~SerialCommControl() override;

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
    // The device server's port, made when a network name is first opened;
    // in use while `network_`.
    std::unique_ptr<NetLine> net_;
    bool network_ = false;
    ReceiveBuffer received_;
};

} // namespace stepdrive
