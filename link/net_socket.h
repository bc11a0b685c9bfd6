#pragma once
// A TCP connection to a serial device server. The connection itself is made
// in a module of its own (libstepdrive_net, over Qt Network's QTcpSocket),
// loaded when a network port is first opened: a program that never opens one
// never loads Qt Network. This header is all the two sides share.

#include <QByteArray>
#include <QObject>
#include <QString>
#include <functional>

namespace stepdrive {

class NetSocket {
public:
    enum class Error { HostNotFound, Refused, TimedOut, Closed, Other };
    struct Handlers {
        std::function<void()> connected;
        std::function<void()> readyRead;
        // Before `connected`, the connection was not made; after it, it ended.
        std::function<void(Error error, const QString& systemText)> failed;
    };

    virtual ~NetSocket() = default;
    // Starts connecting, with low delay (no Nagle): each block leaves at once.
    virtual void connectTo(const QString& host, quint16 port, Handlers handlers) = 0;
    virtual QByteArray readAll() = 0;
    // Writes the whole block and waits until the system has taken it.
    virtual bool send(const QByteArray& block, int timeoutMs, QString* systemText) = 0;
    // Ends the connection at once; no handler runs after.
    virtual void close() = 0;
};

// The module's root object.
class NetModule {
public:
    virtual ~NetModule() = default;
    // A new connection, not yet connecting; the caller owns it.
    virtual NetSocket* makeSocket() = 0;
};

} // namespace stepdrive

#define STEPDRIVE_NET_MODULE_IID "stepdrive.NetModule/1"
Q_DECLARE_INTERFACE(stepdrive::NetModule, STEPDRIVE_NET_MODULE_IID)
