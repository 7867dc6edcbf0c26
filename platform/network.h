// Plain TCP, as the weather viewer and the new-version check use it: connect to a host and port,
// send a text, receive pieces, close. Every wait is cut into short slices so that a worker can give
// up at once when it is asked to stop, and never waits past its deadline. The program uses Windows
// Sockets (platform/network_win32.cpp); tests of the workers use a scripted connection.
#pragma once

#include <functional>
#include <memory>
#include <string>

namespace platform {

// Asked between the slices of a wait: true stops the wait.
using StopAsked = std::function<bool()>;

class TcpConnection {
public:
    virtual ~TcpConnection() = default;
    virtual bool Send(const std::string& bytes) = 0;
    // Up to `size` bytes into `buffer`, waiting at most `wait_ms`: the count (> 0), 0 when the other
    // side has closed, kNothingYet when nothing came within the wait, kFailed on an error.
    static constexpr int kNothingYet = -1;
    static constexpr int kFailed = -2;
    virtual int Receive(char* buffer, int size, int wait_ms) = 0;
};

class Network {
public:
    virtual ~Network() = default;
    // A connection to host:port, or nullptr when none could be made within timeout_ms or before
    // `stop` said so.
    virtual std::unique_ptr<TcpConnection> Connect(const std::string& host, int port, int timeout_ms,
                                                   const StopAsked& stop) = 0;
};

// Windows Sockets, whose library (ws2_32.dll) is loaded and started when the first connection is
// asked for; where it cannot be, no connection is made, as when the network is down (tests name a
// library that is not there). Defined only in the Windows build.
std::unique_ptr<Network> MakeSystemNetwork(const wchar_t* library = L"ws2_32.dll");

}  // namespace platform
