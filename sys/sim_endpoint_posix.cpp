#include "sys/sim_endpoint.h"

#include "sys/listen_address.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fcntl.h>
#include <netdb.h>
#include <netinet/in.h>
#include <netinet/tcp.h>
#include <poll.h>
#include <sys/socket.h>
#include <termios.h>
#include <unistd.h>

namespace stepdrive::sys {

namespace {

volatile std::sig_atomic_t stopRequested = 0;

void onStopSignal(int) {
    stopRequested = 1;
}

// SIGINT and SIGTERM are let through only while waiting in ppoll(): the
// mask to wait with.
const sigset_t& waitMask() {
    static const sigset_t mask = [] {
        struct sigaction action {};
        action.sa_handler = onStopSignal;
        sigemptyset(&action.sa_mask);
        sigaction(SIGINT, &action, nullptr);
        sigaction(SIGTERM, &action, nullptr);
        sigset_t blocked, waiting;
        sigemptyset(&blocked);
        sigaddset(&blocked, SIGINT);
        sigaddset(&blocked, SIGTERM);
        sigprocmask(SIG_BLOCK, &blocked, &waiting);
        sigdelset(&waiting, SIGINT);
        sigdelset(&waiting, SIGTERM);
        return waiting;
    }();
    return mask;
}

[[noreturn]] void fail(const char* what) {
    std::fprintf(stderr, "stepdrive-sim: %s: %s\n", what, std::strerror(errno));
    std::exit(1);
}

std::string failure(const std::string& what) {
    return what + ": " + std::strerror(errno);
}

// ppoll() on `fds` until `timeout`; false when a signal ended the wait.
bool poll(pollfd* fds, nfds_t count, std::optional<std::chrono::nanoseconds> timeout) {
    timespec t{};
    if (timeout) {
        const long long ns = std::max<long long>(0, timeout->count());
        t = {static_cast<time_t>(ns / 1000000000), static_cast<long>(ns % 1000000000)};
    }
    if (ppoll(fds, count, timeout ? &t : nullptr, &waitMask()) >= 0)
        return true;
    if (errno != EINTR)
        fail("poll");
    return false;
}

class PseudoTerminal : public SimEndpoint {
public:
    PseudoTerminal(int master, int slave, std::string path)
        : master_(master), slave_(slave), path_(std::move(path)) {}
    ~PseudoTerminal() override {
        close(slave_);
        close(master_);
    }

    std::string where() const override { return path_; }
    int hosts() const override { return 1; }

    Woken wait(bool writing, std::optional<std::chrono::nanoseconds> timeout) override {
        pollfd pfd{master_, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0};
        if (hungUp_) {
            // The port is closed: just wait a while.
            pfd.fd = -1;
            timeout =
                std::min<std::chrono::nanoseconds>(timeout.value_or(kHungUpWait), kHungUpWait);
        }
        Woken woken;
        if (poll(&pfd, 1, timeout)) {
            woken.in = (pfd.revents & POLLIN) != 0;
            hungUp_ = !woken.in && (pfd.revents & (POLLHUP | POLLERR)) != 0;
            woken.out = (pfd.revents & POLLOUT) != 0;
        }
        woken.stop = stopRequested != 0;
        return woken;
    }

    std::size_t read(std::uint8_t* into, std::size_t size) override {
        return done(::read(master_, into, size), "read");
    }
    std::size_t write(const std::uint8_t* bytes, std::size_t size) override {
        return done(::write(master_, bytes, size), "write");
    }

private:
    // How many bytes a read or write on the master side moved; none when it
    // would wait, or when nobody has the port open (EIO: wait for it to be
    // opened again).
    std::size_t done(ssize_t n, const char* what) {
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno == EIO)
            hungUp_ = true;
        else if (errno != EAGAIN && errno != EINTR)
            fail(what);
        return 0;
    }

    static constexpr std::chrono::milliseconds kHungUpWait{50};
    int master_;
    int slave_;
    std::string path_;
    bool hungUp_ = false;
};

class TcpPort : public SimEndpoint {
public:
    TcpPort(int listener, std::string where) : listener_(listener), where_(std::move(where)) {}
    ~TcpPort() override {
        drop();
        close(listener_);
    }

    std::string where() const override { return where_; }
    int hosts() const override { return hosts_; }

    Woken wait(bool writing, std::optional<std::chrono::nanoseconds> timeout) override {
        pollfd fds[2] = {{listener_, POLLIN, 0},
                         {client_, static_cast<short>(POLLIN | (writing ? POLLOUT : 0)), 0}};
        Woken woken;
        if (poll(fds, 2, timeout)) {
            woken.in = (fds[1].revents & (POLLIN | POLLHUP | POLLERR)) != 0;
            // A client that may have left is read first; the next comes
            // after.
            if ((fds[0].revents & POLLIN) && !woken.in)
                accept();
            woken.out = (fds[1].revents & POLLOUT) != 0;
        }
        woken.stop = stopRequested != 0;
        return woken;
    }

    std::size_t read(std::uint8_t* into, std::size_t size) override {
        if (client_ < 0)
            return 0;
        const ssize_t n = recv(client_, into, size, 0);
        if (n > 0)
            return static_cast<std::size_t>(n);
        if (n == 0 || (errno != EAGAIN && errno != EINTR))
            drop(); // the client went away
        return 0;
    }

    std::size_t write(const std::uint8_t* bytes, std::size_t size) override {
        if (client_ < 0)
            return 0;
        const ssize_t n = send(client_, bytes, size, MSG_NOSIGNAL);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (errno != EAGAIN && errno != EINTR)
            drop();
        return 0;
    }

private:
    // One client at a time, as a device server: another is closed at once
    // while the one before still holds the port.
    void accept() {
        const int c = accept4(listener_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (c < 0)
            return;
        if (client_ >= 0) {
            close(c);
            return;
        }
        // Each reply goes out as soon as it is due, not held back to be
        // sent with more.
        const int on = 1;
        setsockopt(c, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on);
        client_ = c;
        ++hosts_;
    }
    void drop() {
        if (client_ >= 0)
            close(client_);
        client_ = -1;
    }

    int listener_;
    int client_ = -1;
    int hosts_ = 0;
    std::string where_;
};

// The address bound, as the first line says it.
std::string boundAddress(int fd) {
    sockaddr_storage a{};
    socklen_t length = sizeof a;
    getsockname(fd, reinterpret_cast<sockaddr*>(&a), &length);
    char host[INET6_ADDRSTRLEN] = {};
    const bool v6 = a.ss_family == AF_INET6;
    const auto& in6 = reinterpret_cast<const sockaddr_in6&>(a);
    const auto& in4 = reinterpret_cast<const sockaddr_in&>(a);
    inet_ntop(a.ss_family, v6 ? static_cast<const void*>(&in6.sin6_addr) : &in4.sin_addr, host,
              sizeof host);
    return tcpAddress(host, v6, ntohs(v6 ? in6.sin6_port : in4.sin_port));
}

} // namespace

std::unique_ptr<SimEndpoint> openPseudoTerminal(std::string* error) {
    waitMask();
    const int master = posix_openpt(O_RDWR | O_NOCTTY);
    if (master < 0) {
        *error = failure("posix_openpt");
        return nullptr;
    }
    const char* name = nullptr;
    if (grantpt(master) < 0 || unlockpt(master) < 0 || !(name = ptsname(master))) {
        *error = failure("grantpt/unlockpt/ptsname");
        close(master);
        return nullptr;
    }
    const std::string path = name;
    // Our own hold on the slave side: the master then never hangs up when the
    // host closes the port, and the line starts raw (no echo, no newline
    // translation) until the host sets its own mode.
    const int slave = open(path.c_str(), O_RDWR | O_NOCTTY);
    termios raw{};
    if (slave < 0 || tcgetattr(slave, &raw) < 0 ||
        (cfmakeraw(&raw), tcsetattr(slave, TCSANOW, &raw)) < 0 ||
        fcntl(master, F_SETFL, fcntl(master, F_GETFL) | O_NONBLOCK) < 0) {
        *error = failure(path);
        if (slave >= 0)
            close(slave);
        close(master);
        return nullptr;
    }
    return std::make_unique<PseudoTerminal>(master, slave, path);
}

std::unique_ptr<SimEndpoint> listenOn(const std::string& address, std::string* error) {
    waitMask();
    std::string host, port;
    if (!splitListenAddress(address, &host, &port)) {
        *error = "--listen " + address + ": not HOST:PORT";
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (const int e = getaddrinfo(host.c_str(), port.c_str(), &hints, &found); e != 0) {
        *error = "--listen " + address + ": " + gai_strerror(e);
        return nullptr;
    }
    int fd = -1;
    errno = 0;
    for (const addrinfo* a = found; a && fd < 0; a = a->ai_next) {
        fd = socket(a->ai_family, a->ai_socktype | SOCK_NONBLOCK | SOCK_CLOEXEC, a->ai_protocol);
        const int on = 1;
        if (fd >= 0 && (setsockopt(fd, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0 ||
                        bind(fd, a->ai_addr, a->ai_addrlen) != 0 || listen(fd, 1) != 0)) {
            const int e = errno;
            close(fd);
            fd = -1;
            errno = e;
        }
    }
    freeaddrinfo(found);
    if (fd < 0) {
        *error = failure("--listen " + address);
        return nullptr;
    }
    return std::make_unique<TcpPort>(fd, boundAddress(fd));
}

} // namespace stepdrive::sys
