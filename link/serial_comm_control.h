#pragma once
// The port control that ships: a serial device through QSerialPort, or, for
// a network port name ("tcp://HOST:PORT", "rfc2217://HOST:PORT"), the port
// to a serial device server, so whoever uses the port never knows which
// kind it talks to.

#include "link/comm_control.h"

#include <memory>

namespace stepdrive {

class Line;
class NetLine;
class SerialLine;

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
    // The line of `path`'s kind, made when first wanted.
    Line& lineFor(const QString& path);

    std::unique_ptr<SerialLine> serial_;
    std::unique_ptr<NetLine> net_;
    Line* line_ = nullptr; // the one opened last
};

} // namespace stepdrive
