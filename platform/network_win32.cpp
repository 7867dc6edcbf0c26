#include <winsock2.h>
#include <ws2tcpip.h>

#include <thread>  // std::chrono's clocks too

#include "platform/network.h"

namespace platform {

namespace {

// Windows Sockets started once for the process, and left running until it ends.
bool SocketsStarted() {
    static const bool started = [] {
        WSADATA data;
        return WSAStartup(MAKEWORD(2, 2), &data) == 0;
    }();
    return started;
}

// Waits up to `wait_ms` for the socket to be readable (or writable); 1 ready, 0 not yet, -1 error.
int Wait(SOCKET s, bool for_writing, int wait_ms) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval wait{wait_ms / 1000, (wait_ms % 1000) * 1000};
    const int n = select(0, for_writing ? nullptr : &ready, for_writing ? &ready : nullptr, &failed, &wait);
    if (n == SOCKET_ERROR || FD_ISSET(s, &failed)) return -1;
    return n > 0 ? 1 : 0;
}

class SocketConnection final : public TcpConnection {
public:
    explicit SocketConnection(SOCKET s) : socket_(s) {}
    ~SocketConnection() override { closesocket(socket_); }

    bool Send(const std::string& bytes) override {
        size_t sent = 0;
        int waited = 0;
        while (sent < bytes.size()) {
            const int n = send(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if (WSAGetLastError() == WSAEWOULDBLOCK && waited < 60000) {
                if (Wait(socket_, true, 100) < 0) return false;
                waited += 100;
            } else {
                return false;
            }
        }
        return true;
    }

    int Receive(char* buffer, int size, int wait_ms) override {
        const int ready = Wait(socket_, false, wait_ms);
        if (ready < 0) return kFailed;
        if (ready == 0) return kNothingYet;
        const int n = recv(socket_, buffer, size, 0);
        if (n == SOCKET_ERROR) return WSAGetLastError() == WSAEWOULDBLOCK ? kNothingYet : kFailed;
        return n;
    }

private:
    SOCKET socket_;
};

class SystemNetwork final : public Network {
public:
    std::unique_ptr<TcpConnection> Connect(const std::string& host, int port, int timeout_ms,
                                           const StopAsked& stop) override {
        if (!SocketsStarted()) return nullptr;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        if (getaddrinfo(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return nullptr;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        std::unique_ptr<TcpConnection> connection;
        for (addrinfo* a = found; a && !connection; a = a->ai_next) {
            SOCKET s = socket(a->ai_family, a->ai_socktype, a->ai_protocol);
            if (s == INVALID_SOCKET) continue;
            u_long non_blocking = 1;
            ioctlsocket(s, FIONBIO, &non_blocking);
            bool made = connect(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0;
            if (!made && WSAGetLastError() == WSAEWOULDBLOCK) {
                while (std::chrono::steady_clock::now() < deadline && !(stop && stop())) {
                    const int ready = Wait(s, true, 100);
                    if (ready < 0) break;
                    if (ready > 0) {
                        int error = 0;
                        int length = sizeof error;
                        getsockopt(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
                        made = error == 0;
                        break;
                    }
                }
            }
            if (made) {
                connection = std::make_unique<SocketConnection>(s);
            } else {
                closesocket(s);
            }
        }
        freeaddrinfo(found);
        return connection;
    }
};

}  // namespace

std::unique_ptr<Network> MakeSystemNetwork() { return std::make_unique<SystemNetwork>(); }

}  // namespace platform
