#include "tests/support/pty.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <algorithm>
#include <cerrno>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <unistd.h>

namespace stepdrive::test {

Pty::Pty() {
    master_ = posix_openpt(O_RDWR | O_NOCTTY);
    if (master_ < 0 || grantpt(master_) != 0 || unlockpt(master_) != 0) {
        closeMaster();
        return;
    }
    slave_ = QString::fromLocal8Bit(ptsname(master_));
    // Held until the end: the device's number is not given to another test's
    // pseudo-terminal while the serial port's lock on it may still stand.
    hold_ = ::open(ptsname(master_), O_RDWR | O_NOCTTY);
    fcntl(master_, F_SETFL, fcntl(master_, F_GETFL) | O_NONBLOCK);
    termios t{};
    if (tcgetattr(master_, &t) == 0) {
        cfmakeraw(&t);
        tcsetattr(master_, TCSANOW, &t);
    }
}

Pty::~Pty() {
    closeMaster();
    if (hold_ >= 0)
        ::close(hold_);
}

QByteArray Pty::read(int count, int timeoutMs) {
    QByteArray got;
    QElapsedTimer clock;
    clock.start();
    while (got.size() < count && clock.elapsed() < timeoutMs && master_ >= 0) {
        QCoreApplication::processEvents();
        pollfd p{master_, POLLIN, 0};
        if (poll(&p, 1, 10) > 0 && (p.revents & POLLIN)) {
            char buf[256];
            const ssize_t n = ::read(master_, buf, sizeof buf);
            if (n > 0)
                got.append(buf, static_cast<int>(n));
        }
    }
    return got;
}

QByteArray Pty::readNow() {
    QByteArray got;
    char buf[256];
    pollfd p{master_, POLLIN, 0};
    while (master_ >= 0 && poll(&p, 1, 0) > 0 && (p.revents & POLLIN)) {
        const ssize_t n = ::read(master_, buf, sizeof buf);
        if (n <= 0)
            break;
        got.append(buf, static_cast<int>(n));
    }
    return got;
}

void Pty::write(const QByteArray& bytes) {
    // The line holds only so much: the program reads it off meanwhile.
    qsizetype at = 0;
    while (master_ >= 0 && at < bytes.size()) {
        pollfd p{master_, POLLOUT, 0};
        if (poll(&p, 1, 10) > 0 && (p.revents & POLLOUT)) {
            const ssize_t n =
                ::write(master_, bytes.constData() + at,
                        static_cast<size_t>(std::min<qsizetype>(bytes.size() - at, 4096)));
            if (n < 0 && errno != EAGAIN) {
                closeMaster();
                return;
            }
            at += std::max<ssize_t>(n, 0);
        }
        if (at < bytes.size())
            QCoreApplication::processEvents();
    }
}

void Pty::closeMaster() {
    if (master_ >= 0)
        ::close(master_);
    master_ = -1;
}

} // namespace stepdrive::test
