#pragma once
// A pseudo-terminal pair made by the test: the program opens the slave path
// like any serial device, the test plays the driver on the master.

#include <QByteArray>
#include <QString>

namespace stepdrive::test {

class Pty {
public:
    Pty();
    ~Pty();
    Pty(const Pty&) = delete;
    Pty& operator=(const Pty&) = delete;

    bool ok() const { return master_ >= 0; }
    const QString& slavePath() const { return slave_; }
    // Reads what arrived on the master, waiting up to timeoutMs for `count` bytes.
    QByteArray read(int count, int timeoutMs = 2000);
    // What has already arrived on the master, without running the event loop.
    QByteArray readNow();
    void write(const QByteArray& bytes);
    // The far end goes away, as when the cable is pulled.
    void closeMaster();

private:
    int master_ = -1;
    int hold_ = -1;
    QString slave_;
};

} // namespace stepdrive::test
