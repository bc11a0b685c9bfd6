#pragma once
// ser2net run as a process of its own, with a configuration of its own: one
// device (stepdrive-sim's pseudo-terminal) offered on 127.0.0.1 as raw TCP
// or as telnet with COM-PORT-CONTROL.

#include <QProcess>
#include <QString>
#include <QTemporaryDir>

namespace stepdrive::test {

class Ser2net {
public:
    enum class Mode { Raw, Rfc2217 };

    // Starts it in front of `device` on a free port.
    Ser2net(Mode mode, const QString& device);
    ~Ser2net(); // stops it if it still runs
    Ser2net(const Ser2net&) = delete;
    Ser2net& operator=(const Ser2net&) = delete;

    // True once it listens.
    bool listening() const { return listening_; }
    // "tcp://127.0.0.1:PORT" or "rfc2217://127.0.0.1:PORT".
    QString address() const;
    // SIGTERM, then reaps it.
    void stop();
    // Starts it again on the same port; true once it listens.
    bool start();

private:
    Mode mode_;
    QString device_;
    quint16 port_ = 0;
    QTemporaryDir dir_;
    QProcess process_;
    bool listening_ = false;
};

// A TCP port on 127.0.0.1 that nothing listens on at the moment.
quint16 freePort();

} // namespace stepdrive::test
