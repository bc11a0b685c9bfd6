#include "link/net_line.h"

#include "link/log.h"
#include "link/modules.h"
#include "link/telnet.h"

#include <QEventLoop>
#include <QTimer>
#include <algorithm>

namespace stepdrive {

namespace {
constexpr int kWriteTimeoutMs = 2000;
using Cause = PortFailure::Cause;

Cause causeOf(NetSocket::Error error) {
    switch (error) {
    case NetSocket::Error::HostNotFound:
        return Cause::HostNotFound;
    case NetSocket::Error::Refused:
        return Cause::Refused;
    case NetSocket::Error::TimedOut:
        return Cause::TimedOut;
    case NetSocket::Error::Closed:
        return Cause::Closed;
    case NetSocket::Error::Other:
        break;
    }
    return Cause::System;
}
} // namespace

NetModule* netModule(QString* error) {
    NetModule* module = loadModule<NetModule>(QStringLiteral("libstepdrive_net.so"), error);
    if (!module)
        *error = QStringLiteral("the network module can't be loaded: ") + *error;
    return module;
}

NetLine::NetLine(LineEvents events)
    : arrived_(std::move(events.arrived)), lost_(std::move(events.lost)) {}

NetLine::~NetLine() = default;

bool NetLine::open(const QString& path, const LineSettings& settings, DeviceFault* fault) {
    const std::optional<NetAddress> address = parseNetAddress(path);
    if (!address) {
        *fault = {PortFailure::Cause::BadAddress,
                  QStringLiteral("not tcp://HOST:PORT or rfc2217://HOST:PORT")};
        return false;
    }
    return open(*address, settings, fault);
}

bool NetLine::open(const NetAddress& address, const LineSettings& settings, DeviceFault* fault) {
    close();
    QString error;
    NetModule* const module = netModule(&error);
    if (!module) {
        *fault = {Cause::System, error};
        return false;
    }
    socket_.reset(module->makeSocket());
    telnet_ = address.mode == NetAddress::Mode::Rfc2217 ? std::make_unique<Rfc2217Client>(settings)
                                                        : nullptr;
    state_ = State::Connecting;
    linked_ = false;
    heard_ = false;
    fault_ = {};
    connecting_.start();
    socket_->connectTo(address.host, address.port,
                       {[this] { connected(); }, [this] { readIncoming(); },
                        [this](NetSocket::Error e, const QString& text) { failed(e, text); }});
    if (state_ == State::Connecting) {
        QEventLoop loop;
        QTimer timeout;
        timeout.setSingleShot(true);
        connect(&timeout, &QTimer::timeout, this, [this] {
            if (!telnet_ || !linked_)
                return settle(State::Failed, {Cause::TimedOut, {}});
            // Connected, but the server did not finish the telnet answers.
            const bool heard = telnet_->heardTelnet();
            settle(State::Failed,
                   {Cause::NoRfc2217,
                    heard ? QStringLiteral("no answer to COM-PORT-CONTROL")
                          : QStringLiteral("no telnet negotiation came; a raw TCP port is tcp://"),
                    {heard ? ServerRefusal::What::NoComPortAnswer
                           : ServerRefusal::What::NoTelnetAnswer}});
        });
        timeout.start(connectTimeoutMs_);
        waiting_ = &loop;
        loop.exec(QEventLoop::ExcludeUserInputEvents);
        waiting_ = nullptr;
    }
    if (state_ == State::Open)
        return true;
    *fault = fault_;
    close();
    return false;
}

// A raw port waits a little for what a server sends unasked: a device
// server in RFC 2217 mode negotiates at once, about a round trip after the
// connection is made. In RFC 2217 mode the client speaks only after the
// server, so a raw port never gets its telnet.
void NetLine::connected() {
    linked_ = true;
    if (!telnet_)
        QTimer::singleShot(std::clamp<qint64>(2 * connecting_.elapsed(), kGraceMinMs, kGraceMaxMs),
                           this, [this, socket = socket_.get()] {
                               if (state_ == State::Connecting && socket_.get() == socket)
                                   settle(State::Open);
                           });
}

void NetLine::readIncoming() {
    if (!socket_)
        return;
    QByteArray block = socket_->readAll();
    const bool first = !heard_ && !block.isEmpty();
    heard_ = heard_ || first;
    if (!telnet_ && first && telnetSpoken(block)) {
        const DeviceFault spoken{Cause::SpeaksTelnet, {}};
        if (state_ == State::Connecting)
            return settle(State::Failed, spoken);
        if (state_ == State::Open)
            lost_(spoken);
        return;
    }
    if (!telnet_ && state_ == State::Connecting && linked_)
        settle(State::Open); // bytes of the drive's, early
    if (telnet_) {
        QByteArray answer;
        block = telnet_->feed(block, &answer);
        if (state_ == State::Connecting && first && !telnet_->heardTelnet())
            return settle(State::Failed, {Cause::NoRfc2217,
                                          QStringLiteral("data came, no telnet negotiation"),
                                          {ServerRefusal::What::NoTelnetAnswer}});
        if (first)
            answer += telnet_->start();
        QString text;
        if (!answer.isEmpty() && !sendRaw(answer, &text) && state_ == State::Connecting)
            return settle(State::Failed, {Cause::System, text});
        if (state_ == State::Connecting) {
            if (telnet_->state() == Rfc2217Client::State::Refused) {
                return settle(State::Failed,
                              {telnet_->farLineRefused() ? Cause::FarSettings : Cause::NoRfc2217,
                               telnet_->refusal(), telnet_->refused()});
            }
            if (telnet_->state() == Rfc2217Client::State::Ready)
                settle(State::Open);
        }
    }
    if (block.isEmpty())
        return;
    received_.append(block);
    if (state_ == State::Open)
        arrived_(block);
}

void NetLine::failed(NetSocket::Error error, const QString& systemText) {
    const DeviceFault fault{causeOf(error), systemText};
    if (state_ == State::Connecting)
        return settle(State::Failed, fault);
    if (state_ == State::Open)
        lost_(fault);
}

void NetLine::settle(State state, const DeviceFault& fault) {
    state_ = state;
    fault_ = fault;
    if (waiting_)
        waiting_->quit();
}

void NetLine::close() {
    state_ = State::Closed;
    received_.clear();
    if (!socket_)
        return;
    socket_->close();
    retired_.push_back(std::move(socket_));
    QMetaObject::invokeMethod(
        this, [this] { retired_.clear(); }, Qt::QueuedConnection);
}

QByteArray NetLine::read(int max) {
    return received_.take(max);
}

void NetLine::discard() {
    readIncoming();
    received_.clear();
}

bool NetLine::sendRaw(const QByteArray& bytes, QString* systemText) {
    return socket_->send(bytes, kWriteTimeoutMs, systemText);
}

bool NetLine::write(const QByteArray& block, DeviceFault* fault) {
    QString text;
    if (sendRaw(telnet_ ? escapeIac(block) : block, &text))
        return true;
    *fault = {Cause::System, text};
    // A connection that can't take a frame is gone: a lost line, said once,
    // unless the socket has said so already.
    if (state_ == State::Open)
        lost_(*fault);
    return false;
}

} // namespace stepdrive
