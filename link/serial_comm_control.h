#pragma once
// The port control that ships, over QSerialPort: real ttys, USB adapters and
// pseudo-terminals alike.

#include "link/comm_control.h"

#include <QSerialPort>

namespace stepdrive {

class SerialCommControl : public CommControl {
    Q_OBJECT
public:
    SerialCommControl(QString name, PauseGate* gate, QObject* parent = nullptr);

protected:
    bool openDevice(const QString& path, const LineSettings& settings, QString* reason) override;
    void closeDevice() override;
    bool isDeviceOpen() const override;
    int bytesWaiting() const override;
    QByteArray readBytes(int max) override;
    void discardInput() override;
    bool writeBytes(const QByteArray& block, QString* reason) override;

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
