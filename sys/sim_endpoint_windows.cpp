#include "sys/sim_endpoint.h"

#include "sys/listen_address.h"

// winsock2.h before windows.h
#include <winsock2.h>
#include <ws2tcpip.h>

#include <windows.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstdlib>

namespace stepdrive::sys {

namespace {

std::atomic<bool> stopRequested{false};

BOOL WINAPI onStopControl(DWORD event) {
    if (event != CTRL_C_EVENT && event != CTRL_BREAK_EVENT && event != CTRL_CLOSE_EVENT)
        return FALSE;
    stopRequested = true;
    return TRUE;
}

// A stop is noticed within this long, whatever the wait.
constexpr std::chrono::milliseconds kStopCheck{50};

std::string lastError(const std::string& what) {
    char text[256] = {};
    FormatMessageA(FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS, nullptr,
                   static_cast<DWORD>(WSAGetLastError()), 0, text, sizeof text, nullptr);
    std::string said = text;
    while (!said.empty() && (said.back() == '\n' || said.back() == '\r' || said.back() == ' '))
        said.pop_back();
    return what + ": " + said;
}

bool wouldBlock() {
    const int e = WSAGetLastError();
    return e == WSAEWOULDBLOCK || e == WSAEINTR;
}

void setNonBlocking(SOCKET s) {
    u_long on = 1;
    ioctlsocket(s, FIONBIO, &on);
}

class TcpPort : public SimEndpoint {
public:
    TcpPort(SOCKET listener, std::string where) : listener_(listener), where_(std::move(where)) {}
    ~TcpPort() override {
        drop();
        closesocket(listener_);
        WSACleanup();
    }

    std::string where() const override { return where_; }
    int hosts() const override { return hosts_; }

    Woken wait(bool writing, std::optional<std::chrono::nanoseconds> timeout) override {
        fd_set readable, writable;
        FD_ZERO(&readable);
        FD_ZERO(&writable);
        FD_SET(listener_, &readable);
        if (client_ != INVALID_SOCKET) {
            FD_SET(client_, &readable);
            if (writing)
                FD_SET(client_, &writable);
        }
        const auto wait =
            std::min<std::chrono::nanoseconds>(timeout.value_or(kStopCheck), kStopCheck);
        const long long us = std::max<long long>(0, wait.count() / 1000);
        timeval t{static_cast<long>(us / 1000000), static_cast<long>(us % 1000000)};
        Woken woken;
        if (select(0, &readable, &writable, nullptr, &t) > 0) {
            woken.in = client_ != INVALID_SOCKET && FD_ISSET(client_, &readable);
            woken.out = client_ != INVALID_SOCKET && FD_ISSET(client_, &writable);
            // A client that may have left is read first; the next comes after.
            if (FD_ISSET(listener_, &readable) && !woken.in)
                accept();
        }
        woken.stop = stopRequested;
        return woken;
    }

    std::size_t read(std::uint8_t* into, std::size_t size) override {
        if (client_ == INVALID_SOCKET)
            return 0;
        const int n = recv(client_, reinterpret_cast<char*>(into), static_cast<int>(size), 0);
        if (n > 0)
            return static_cast<std::size_t>(n);
        if (n == 0 || !wouldBlock())
            drop(); // the client went away
        return 0;
    }

    std::size_t write(const std::uint8_t* bytes, std::size_t size) override {
        if (client_ == INVALID_SOCKET)
            return 0;
        const int n =
            send(client_, reinterpret_cast<const char*>(bytes), static_cast<int>(size), 0);
        if (n >= 0)
            return static_cast<std::size_t>(n);
        if (!wouldBlock())
            drop();
        return 0;
    }

private:
    // One client at a time, as a device server: another is closed at once
    // while the one before still holds the port.
    void accept() {
        const SOCKET c = ::accept(listener_, nullptr, nullptr);
        if (c == INVALID_SOCKET)
            return;
        if (client_ != INVALID_SOCKET) {
            closesocket(c);
            return;
        }
        setNonBlocking(c);
        // Each reply goes out as soon as it is due, not held back to be
        // sent with more.
        const BOOL on = TRUE;
        setsockopt(c, IPPROTO_TCP, TCP_NODELAY, reinterpret_cast<const char*>(&on), sizeof on);
        client_ = c;
        ++hosts_;
    }
    void drop() {
        if (client_ != INVALID_SOCKET)
            closesocket(client_);
        client_ = INVALID_SOCKET;
    }

    SOCKET listener_;
    SOCKET client_ = INVALID_SOCKET;
    int hosts_ = 0;
    std::string where_;
};

// The address bound, as the first line says it.
std::string boundAddress(SOCKET s) {
    sockaddr_storage a{};
    int length = sizeof a;
    getsockname(s, reinterpret_cast<sockaddr*>(&a), &length);
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
    *error = "there are no pseudo-terminals here: serve on a TCP port with --listen HOST:PORT";
    return nullptr;
}

std::unique_ptr<SimEndpoint> listenOn(const std::string& address, std::string* error) {
    SetConsoleCtrlHandler(onStopControl, TRUE);
    std::string host, port;
    if (!splitListenAddress(address, &host, &port)) {
        *error = "--listen " + address + ": not HOST:PORT";
        return nullptr;
    }
    WSADATA data;
    if (WSAStartup(MAKEWORD(2, 2), &data) != 0) {
        *error = lastError("WSAStartup");
        return nullptr;
    }
    addrinfo hints{};
    hints.ai_family = AF_UNSPEC;
    hints.ai_socktype = SOCK_STREAM;
    hints.ai_flags = AI_PASSIVE;
    addrinfo* found = nullptr;
    if (getaddrinfo(host.c_str(), port.c_str(), &hints, &found) != 0) {
        *error = lastError("--listen " + address);
        WSACleanup();
        return nullptr;
    }
    SOCKET s = INVALID_SOCKET;
    for (const addrinfo* a = found; a && s == INVALID_SOCKET; a = a->ai_next) {
        s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
        if (s != INVALID_SOCKET &&
            (bind(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) != 0 || listen(s, 1) != 0)) {
            closesocket(s);
            s = INVALID_SOCKET;
        }
    }
    freeaddrinfo(found);
    if (s == INVALID_SOCKET) {
        *error = lastError("--listen " + address);
        WSACleanup();
        return nullptr;
    }
    setNonBlocking(s);
    return std::make_unique<TcpPort>(s, boundAddress(s));
}

} // namespace stepdrive::sys
