#include "tests/support/ser2net.h"

#include "tests/support/simulator.h"

#include <QFile>
#include <QTcpServer>
#include <QTest>

namespace stepdrive::test {

namespace {
// True when something listens on 127.0.0.1:port, read from the kernel's
// table rather than by connecting, which would take the device server's one
// client place.
bool somethingListens(quint16 port) {
    QFile table(QStringLiteral("/proc/net/tcp"));
    if (!table.open(QIODevice::ReadOnly))
        return false;
    const QByteArray local =
        "0100007F:" + QByteArray::number(port, 16).toUpper().rightJustified(4, '0');
    for (const QByteArray& line : table.readAll().split('\n')) {
        const QList<QByteArray> fields = line.simplified().split(' ');
        if (fields.size() > 3 && fields[1] == local && fields[3] == "0A")
            return true;
    }
    return false;
}
} // namespace

quint16 freePort() {
    QTcpServer server;
    server.listen(QHostAddress::LocalHost, 0);
    return server.serverPort();
}

Ser2net::Ser2net(Mode mode, const QString& device) : mode_(mode), device_(device) {
    port_ = freePort();
    start();
}

Ser2net::~Ser2net() {
    stop();
}

QString Ser2net::address() const {
    return QStringLiteral("%1://127.0.0.1:%2")
        .arg(mode_ == Mode::Raw ? QLatin1String("tcp") : QLatin1String("rfc2217"))
        .arg(port_);
}

bool Ser2net::start() {
    QFile config(dir_.filePath(QStringLiteral("ser2net.yaml")));
    if (!config.open(QIODevice::WriteOnly))
        return false;
    config.write(QStringLiteral("connection: &drive\n"
                                "  accepter: %1tcp(nodelay),127.0.0.1,%2\n"
                                "  connector: serialdev,%3,19200n81,local\n"
                                "  options:\n"
                                "    kickolduser: true\n"
                                "    chardelay: false\n"
                                "    mdns: false\n")
                     .arg(mode_ == Mode::Raw ? QString() : QStringLiteral("telnet(rfc2217),"))
                     .arg(port_)
                     .arg(device_)
                     .toUtf8());
    config.close();
    // Each reply leaves at once (nodelay), as the README advises; in the
    // foreground (-n), without lock files (-u).
    process_.setProcessChannelMode(QProcess::ForwardedErrorChannel);
    process_.start(QStringLiteral("ser2net"),
                   {QStringLiteral("-n"), QStringLiteral("-u"), QStringLiteral("-c"),
                    config.fileName(), QStringLiteral("-P"),
                    dir_.filePath(QStringLiteral("ser2net.pid"))});
    listening_ = process_.waitForStarted(kWaitMs) &&
                 QTest::qWaitFor([this] { return somethingListens(port_); }, kWaitMs);
    return listening_;
}

void Ser2net::stop() {
    listening_ = false;
    if (process_.state() == QProcess::NotRunning)
        return;
    process_.terminate();
    if (!process_.waitForFinished(kWaitMs)) {
        process_.kill();
        process_.waitForFinished(kWaitMs);
    }
}

} // namespace stepdrive::test
