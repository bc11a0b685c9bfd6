// libstepdrive_net: the network port's TCP connection over QTcpSocket, in a
// module of its own so that only a program that opens a network port loads
// Qt Network.

#include "link/net_socket.h"

#include <QTcpSocket>

namespace stepdrive {
namespace {

class TcpSocket : public NetSocket {
public:
    TcpSocket() : socket_(new QTcpSocket) {}
    ~TcpSocket() override {
        close();
        // It may be in the middle of one of its own signals.
        socket_->deleteLater();
    }

    void close() override {
        QObject::disconnect(socket_, nullptr, nullptr, nullptr);
        socket_->abort();
    }

    void connectTo(const QString& host, quint16 port, Handlers handlers) override {
        handlers_ = std::move(handlers);
        QObject::connect(socket_, &QTcpSocket::connected, socket_, [this] {
            socket_->setSocketOption(QAbstractSocket::LowDelayOption, 1);
            const auto connected = handlers_.connected;
            connected();
        });
        QObject::connect(socket_, &QTcpSocket::readyRead, socket_, [this] {
            const auto ready = handlers_.readyRead;
            ready();
        });
        QObject::connect(socket_, &QTcpSocket::errorOccurred, socket_,
                         [this](QAbstractSocket::SocketError e) { fail(e); });
        socket_->connectToHost(host, port);
    }

    QByteArray readAll() override { return socket_->readAll(); }

    bool send(const QByteArray& block, int timeoutMs, QString* systemText) override {
        if (socket_->write(block) != block.size()) {
            *systemText = socket_->errorString();
            return false;
        }
        // What the system takes at once leaves now; waiting for the rest
        // only when it is full.
        socket_->flush();
        while (socket_->bytesToWrite() > 0) {
            if (!socket_->waitForBytesWritten(timeoutMs)) {
                *systemText = socket_->errorString();
                return false;
            }
        }
        return true;
    }

private:
    void fail(QAbstractSocket::SocketError e) {
        Error error = Error::Other;
        switch (e) {
        case QAbstractSocket::HostNotFoundError:
            error = Error::HostNotFound;
            break;
        case QAbstractSocket::ConnectionRefusedError:
            error = Error::Refused;
            break;
        case QAbstractSocket::SocketTimeoutError:
            error = Error::TimedOut;
            break;
        case QAbstractSocket::RemoteHostClosedError:
            error = Error::Closed;
            break;
        default:
            break;
        }
        // The handler may delete this object: nothing of it is used after.
        const auto failed = handlers_.failed;
        failed(error, socket_->errorString());
    }

    QTcpSocket* socket_;
    Handlers handlers_;
};

} // namespace

class TcpSocketModule : public QObject, public NetModule {
    Q_OBJECT
    Q_PLUGIN_METADATA(IID STEPDRIVE_NET_MODULE_IID)
    Q_INTERFACES(stepdrive::NetModule)
public:
    NetSocket* makeSocket() override { return new TcpSocket; }
};

} // namespace stepdrive

#include "tcp_socket_module.moc"
