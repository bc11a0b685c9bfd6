#include "link/serial_comm_control.h"

#include "link/net_line.h"
#include "link/port_names.h"
#include "link/serial_line.h"

namespace stepdrive {

SerialCommControl::SerialCommControl(QString name, PauseGate* gate, QObject* parent)
    : CommControl(std::move(name), gate, parent) {}

SerialCommControl::~SerialCommControl() = default;

Line& SerialCommControl::lineFor(const QString& path) {
    const auto arrived = [this](const QByteArray& block) { dataArrived(block); };
    const auto lost = [this](const DeviceFault& f) { deviceLost(f); };
    // The device server's port is made when a network name is first opened.
    if (isNetworkName(path)) {
        if (!net_)
            net_ = std::make_unique<NetLine>(arrived, lost);
        net_->setConnectTimeout(connectTimeoutMs());
        return *net_;
    }
    if (!serial_)
        serial_ = std::make_unique<SerialLine>(arrived, lost);
    return *serial_;
}

bool SerialCommControl::openDevice(const QString& path, const LineSettings& s, DeviceFault* fault) {
    line_ = &lineFor(path);
    return line_->open(path, s, fault);
}

void SerialCommControl::closeDevice() {
    if (line_)
        line_->close();
}

bool SerialCommControl::isDeviceOpen() const {
    return line_ && line_->isOpen();
}

int SerialCommControl::bytesWaiting() const {
    return line_ ? line_->bytesWaiting() : 0;
}

QByteArray SerialCommControl::readBytes(int max) {
    return line_ ? line_->read(max) : QByteArray();
}

void SerialCommControl::discardInput() {
    if (line_)
        line_->discard();
}

bool SerialCommControl::writeBytes(const QByteArray& block, DeviceFault* fault) {
    return line_ && line_->write(block, fault);
}

} // namespace stepdrive
