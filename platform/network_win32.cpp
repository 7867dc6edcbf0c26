// Windows Sockets. Their library (ws2_32, with the name service and the providers it loads) is
// loaded when the first connection is asked for, not at the program's start; where it cannot be
// loaded no connection is made, as when the network is down.
#include <winsock2.h>
#include <ws2tcpip.h>

#include <mutex>
#include <string>
#include <thread>  // std::chrono's clocks too

#include "platform/network.h"
#include "platform/system_library.h"

namespace platform {

namespace {

// The functions of ws2_32.dll the connections use, from the system folder.
struct Winsock {
    decltype(&WSAStartup) startup = nullptr;
    decltype(&WSAGetLastError) last_error = nullptr;
    decltype(&getaddrinfo) find = nullptr;
    decltype(&freeaddrinfo) free_found = nullptr;
    decltype(&socket) open = nullptr;
    decltype(&ioctlsocket) control = nullptr;
    decltype(&connect) connect_to = nullptr;
    decltype(&getsockopt) option = nullptr;
    decltype(&select) wait = nullptr;
    decltype(&send) send_bytes = nullptr;
    decltype(&recv) receive = nullptr;
    decltype(&closesocket) close = nullptr;
    bool started = false;  // all found, and WSAStartup said yes
};

template <typename Function>
void Find(LateLibrary& library, Function& function, const char* name) {
    function = library.Function<Function>(name);
}

// The library's functions, found and started once (by the first connection asked for), and left
// running until the process ends.
Winsock Started(LateLibrary& library) {
    Winsock w;
    Find(library, w.startup, "WSAStartup");
    Find(library, w.last_error, "WSAGetLastError");
    Find(library, w.find, "getaddrinfo");
    Find(library, w.free_found, "freeaddrinfo");
    Find(library, w.open, "socket");
    Find(library, w.control, "ioctlsocket");
    Find(library, w.connect_to, "connect");
    Find(library, w.option, "getsockopt");
    Find(library, w.wait, "select");
    Find(library, w.send_bytes, "send");
    Find(library, w.receive, "recv");
    Find(library, w.close, "closesocket");
    const bool all = w.startup && w.last_error && w.find && w.free_found && w.open && w.control && w.connect_to &&
                     w.option && w.wait && w.send_bytes && w.receive && w.close;
    WSADATA data;
    w.started = all && w.startup(MAKEWORD(2, 2), &data) == 0;
    return w;
}

// FD_ISSET without the library's helper behind it.
bool InSet(SOCKET s, const fd_set& set) {
    for (u_int i = 0; i < set.fd_count; ++i)
        if (set.fd_array[i] == s) return true;
    return false;
}

// Waits up to `wait_ms` for the socket to be readable (or writable); 1 ready, 0 not yet, -1 error.
int Wait(const Winsock& w, SOCKET s, bool for_writing, int wait_ms) {
    fd_set ready, failed;
    FD_ZERO(&ready);
    FD_ZERO(&failed);
    FD_SET(s, &ready);
    FD_SET(s, &failed);
    timeval wait{wait_ms / 1000, (wait_ms % 1000) * 1000};
    const int n = w.wait(0, for_writing ? nullptr : &ready, for_writing ? &ready : nullptr, &failed, &wait);
    if (n == SOCKET_ERROR || InSet(s, failed)) return -1;
    return n > 0 ? 1 : 0;
}

class SocketConnection final : public TcpConnection {
public:
    SocketConnection(const Winsock& w, SOCKET s) : w_(w), socket_(s) {}
    ~SocketConnection() override { w_.close(socket_); }

    bool Send(const std::string& bytes) override {
        size_t sent = 0;
        int waited = 0;
        while (sent < bytes.size()) {
            const int n = w_.send_bytes(socket_, bytes.data() + sent, static_cast<int>(bytes.size() - sent), 0);
            if (n > 0) {
                sent += static_cast<size_t>(n);
            } else if (w_.last_error() == WSAEWOULDBLOCK && waited < 60000) {
                if (Wait(w_, socket_, true, 100) < 0) return false;
                waited += 100;
            } else {
                return false;
            }
        }
        return true;
    }

    int Receive(char* buffer, int size, int wait_ms) override {
        const int ready = Wait(w_, socket_, false, wait_ms);
        if (ready < 0) return kFailed;
        if (ready == 0) return kNothingYet;
        const int n = w_.receive(socket_, buffer, size, 0);
        if (n == SOCKET_ERROR) return w_.last_error() == WSAEWOULDBLOCK ? kNothingYet : kFailed;
        return n;
    }

private:
    const Winsock w_;  // the functions, copied: the connection needs nothing of the network that made it
    SOCKET socket_;
};

class SystemNetwork final : public Network {
public:
    explicit SystemNetwork(const wchar_t* library) : ws2_(library) {}
    std::unique_ptr<TcpConnection> Connect(const std::string& host, int port, int timeout_ms,
                                           const StopAsked& stop) override {
        std::call_once(once_, [this] { sockets_ = Started(ws2_); });
        const Winsock& w = sockets_;
        if (!w.started) return nullptr;
        addrinfo hints{};
        hints.ai_family = AF_UNSPEC;
        hints.ai_socktype = SOCK_STREAM;
        hints.ai_protocol = IPPROTO_TCP;
        addrinfo* found = nullptr;
        if (w.find(host.c_str(), std::to_string(port).c_str(), &hints, &found) != 0) return nullptr;
        const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeout_ms);
        std::unique_ptr<TcpConnection> connection;
        for (addrinfo* a = found; a && !connection; a = a->ai_next) {
            SOCKET s = w.open(a->ai_family, a->ai_socktype, a->ai_protocol);
            if (s == INVALID_SOCKET) continue;
            u_long non_blocking = 1;
            w.control(s, FIONBIO, &non_blocking);
            bool made = w.connect_to(s, a->ai_addr, static_cast<int>(a->ai_addrlen)) == 0;
            if (!made && w.last_error() == WSAEWOULDBLOCK) {
                while (std::chrono::steady_clock::now() < deadline && !(stop && stop())) {
                    const int ready = Wait(w, s, true, 100);
                    if (ready < 0) break;
                    if (ready > 0) {
                        int error = 0;
                        int length = sizeof error;
                        w.option(s, SOL_SOCKET, SO_ERROR, reinterpret_cast<char*>(&error), &length);
                        made = error == 0;
                        break;
                    }
                }
            }
            if (made) {
                connection = std::make_unique<SocketConnection>(w, s);
            } else {
                w.close(s);
            }
        }
        w.free_found(found);
        return connection;
    }

private:
    LateLibrary ws2_;
    std::once_flag once_;
    Winsock sockets_;
};

}  // namespace

std::unique_ptr<Network> MakeSystemNetwork(const wchar_t* library) { return std::make_unique<SystemNetwork>(library); }

}  // namespace platform
