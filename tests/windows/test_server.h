// A server of the Windows tests on 127.0.0.1 and a port the system chose, that answers every
// connection the same way: serves a given answer, or stalls, drips a byte a second, floods 100 MiB
// or closes at once. Its waits on a client have deadlines of seconds; it ends with the object.
#pragma once

#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <atomic>
#include <string>
#include <thread>

namespace test {

class TestServer {
public:
    enum Behaviour { kServe, kStall, kDrip, kFlood, kCloseEarly };
    TestServer(Behaviour behaviour, std::string answer = "") : behaviour_(behaviour), answer_(std::move(answer)) {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        listener_ = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(listener_, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(listener_, reinterpret_cast<sockaddr*>(&address), &length);
        port_ = ntohs(address.sin_port);
        listen(listener_, 8);
        thread_ = std::thread([this] { Serve(); });
    }
    ~TestServer() {
        done_ = true;
        closesocket(listener_);
        thread_.join();
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port_); }
    int connections() const { return connections_.load(); }
    std::string request() const { return request_; }

    // A port where nothing listens.
    static std::string RefusingHost() {
        WSADATA data;
        WSAStartup(MAKEWORD(2, 2), &data);
        SOCKET s = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
        sockaddr_in address{};
        address.sin_family = AF_INET;
        address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        bind(s, reinterpret_cast<sockaddr*>(&address), sizeof address);
        int length = sizeof address;
        getsockname(s, reinterpret_cast<sockaddr*>(&address), &length);
        closesocket(s);
        return "127.0.0.1:" + std::to_string(ntohs(address.sin_port));
    }

private:
    void Serve() {
        while (!done_) {
            SOCKET client = accept(listener_, nullptr, nullptr);
            if (client == INVALID_SOCKET) return;
            ++connections_;
            // Every wait on the client has a deadline: a client that sends no request, or stops
            // reading, cannot hold the server (and the test that ends it).
            const DWORD wait_ms = 5000;
            setsockopt(client, SOL_SOCKET, SO_RCVTIMEO, reinterpret_cast<const char*>(&wait_ms), sizeof wait_ms);
            setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, reinterpret_cast<const char*>(&wait_ms), sizeof wait_ms);
            char buffer[4096];
            std::string got;
            const DWORD start = GetTickCount();
            while (got.find("\r\n\r\n") == std::string::npos && GetTickCount() - start < wait_ms && !done_) {
                const int n = recv(client, buffer, sizeof buffer, 0);
                if (n <= 0) break;
                got.append(buffer, static_cast<size_t>(n));
            }
            request_ = got;
            switch (behaviour_) {
                case kServe: send(client, answer_.data(), static_cast<int>(answer_.size()), 0); break;
                case kStall:
                    while (!done_) Sleep(20);
                    break;
                case kDrip:
                    for (int i = 0; i < 100 && !done_; ++i) {
                        if (send(client, "x", 1, 0) != 1) break;
                        for (int t = 0; t < 50 && !done_; ++t) Sleep(20);
                    }
                    break;
                case kFlood: {
                    const std::string block(65536, 'x');
                    for (int i = 0; i < 1600 && !done_; ++i)  // 100 MiB
                        if (send(client, block.data(), static_cast<int>(block.size()), 0) <= 0) break;
                    break;
                }
                case kCloseEarly: break;
            }
            closesocket(client);
        }
    }

    Behaviour behaviour_;
    std::string answer_;
    SOCKET listener_ = INVALID_SOCKET;
    int port_ = 0;
    std::thread thread_;
    std::atomic<bool> done_{false};
    std::atomic<int> connections_{0};
    std::string request_;
};

}  // namespace test
