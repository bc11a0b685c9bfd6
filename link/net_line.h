#pragma once
// The port to a serial device server: raw TCP or telnet with
// COM-PORT-CONTROL, over the network module's connection. It keeps the
// device side of the port control's contract: the whole block on the
// network before a write returns, the bytes received in order, a lost
// connection said once.

#include "link/comm_control.h"
#include "link/line.h"
#include "link/net_socket.h"
#include "link/port_names.h"
#include "link/receive_buffer.h"

#include <QElapsedTimer>
#include <QObject>
#include <functional>
#include <memory>
#include <vector>

class QEventLoop;

namespace stepdrive {

class Rfc2217Client;

class NetLine : public QObject, public Line {
    Q_OBJECT
public:
    // How long a raw port waits for what a server sends unasked: twice the
    // time the connection took, within these bounds.
    static constexpr int kGraceMinMs = 5;
    static constexpr int kGraceMaxMs = 250;

    // `events.arrived` is given the data bytes only, not the telnet.
    explicit NetLine(LineEvents events);
    ~NetLine() override;

    // Connects to the address `path` names, and in RFC 2217 mode sets the
    // far line to `settings`. The event loop runs meanwhile, without user
    // input: the windows repaint. A raw port that answers in telnet is
    // refused (Cause::SpeaksTelnet), before anything is sent when its telnet
    // comes first, else as a lost line.
    bool open(const QString& path, const LineSettings& settings, DeviceFault* fault) override;
    bool open(const NetAddress& address, const LineSettings& settings, DeviceFault* fault);
    void close() override;
    bool isOpen() const override { return state_ == State::Open; }
    int bytesWaiting() const override { return received_.waiting(); }
    QByteArray read(int max) override;
    void discard() override;
    bool write(const QByteArray& block, DeviceFault* fault) override;
    // How long connecting (and setting the far line) may take.
    void setConnectTimeout(int ms) { connectTimeoutMs_ = ms; }

private:
    enum class State { Closed, Connecting, Open, Failed };
    void connected();
    void readIncoming();
    void failed(NetSocket::Error error, const QString& systemText);
    void settle(State state, const DeviceFault& fault = {});
    bool sendRaw(const QByteArray& bytes, QString* systemText);

    std::function<void(const QByteArray&)> arrived_;
    std::function<void(const DeviceFault&)> lost_;
    std::unique_ptr<NetSocket> socket_;
    // Connections closed, deleted from the event loop: one may be in the
    // middle of its own notification.
    std::vector<std::unique_ptr<NetSocket>> retired_;
    std::unique_ptr<Rfc2217Client> telnet_;
    State state_ = State::Closed;
    bool linked_ = false; // the TCP connection is made
    bool heard_ = false;  // a byte came on it
    int connectTimeoutMs_ = 5000;
    QElapsedTimer connecting_;
    DeviceFault fault_; // why connecting failed
    QEventLoop* waiting_ = nullptr;
    ReceiveBuffer received_;
};

// The network module, loaded on first use; null with the reason in *error
// when it can't be loaded.
NetModule* netModule(QString* error);

} // namespace stepdrive
