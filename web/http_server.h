// tempoline-web on the network: Boost.Beast's HTTP/1.1 parser and serializer on one Boost.Asio
// io_context, run by the thread that calls Run. Every connection is a small state object with one
// timer, so a client that holds its connection costs a socket and a few kilobytes, never a thread.
// Forecasts are asked of the source on a few worker threads (web/forecast_pool.h), so a slow source
// delays only the weather pages it owes, never the download page or any other answer.
//
// What a client may hold, and for how long (ServerLimits; the defaults are the service's):
//   - an idle connection (nothing of a request yet, or kept alive after an answer): 10 s;
//   - a request, from its first byte to its last: 10 s; then 408 and the connection is closed;
//   - the request line and the header fields together: 8 KiB; a longer request line gets 414, longer
//     fields 431, and the connection is closed (nothing past the limit is kept);
//   - a body: 64 KiB (413), read only to keep the connection's framing;
//   - a weather page's wait for its forecast: 15 s, then 504;
//   - connections at once: 1024 unless told; when a new one comes at the cap, the idle connection
//     that has waited longest is closed for it, else the request that has been read longest; when
//     every connection is being answered, the new one gets 503.
// A request whose body's length cannot be told (a Transfer-Encoding that does not end with chunked),
// an HTTP/1.1 request without Host, and any with two Host fields or one that is no host (a port
// above 65535 too), get 400 and the connection is closed. An HTTP/1.0 request with a
// Transfer-Encoding is answered, and the connection closed after it, keep-alive or not. A kept page goes to every client from one shared buffer, so clients that
// do not read hold a reference, not a copy. A 304 carries no Content-Length.
// Requests that come one after another on a connection (pipelined) are answered in their order, one
// at a time. Range is not served: every answer is the whole page with 200. Answers are sent with
// TCP_NODELAY, in one write of header and body. The listening socket's backlog is the system's
// largest (SOMAXCONN). Every log line names the client's address; a request that timed out gets a
// line of its own.
#pragma once

#include <cstddef>
#include <memory>
#include <string>

#include "web/service.h"

namespace web {

struct ServerLimits {
    int idle_ms = 10000;              // an idle connection is closed after this long
    int request_deadline_ms = 10000;  // to read a whole request, from its first byte
    int forecast_deadline_ms = 15000; // a weather page waits this long for its forecast, then 504
    int failure_memory_ms = 30000;    // a place's failed forecast is answered again this long, unasked
    int write_deadline_ms = 10000;    // to send an answer
    int linger_ms = 1000;             // how long a closing connection's late bytes are read and dropped,
                                      // so that its answer is not lost to a reset
    std::size_t header_bytes = 8192;  // the request line and the header fields together
    std::size_t body_bytes = 65536;
    int max_connections = 1024;
    int forecast_workers = 4;
};

class HttpServer {
public:
    HttpServer(Service& service, Now now, Log log, ServerLimits limits = {});
    ~HttpServer();
    HttpServer(const HttpServer&) = delete;
    HttpServer& operator=(const HttpServer&) = delete;

    // Binds and listens; the port bound (a free one for port 0), or -1 when the address and port
    // cannot be bound.
    int Bind(const std::string& address, int port);
    // Answers on the calling thread until Stop; false when it is not bound.
    bool Run();
    // Run has started and not yet ended.
    bool Running() const;
    // From any thread; a Stop before Run makes Run return at once.
    void Stop();

    struct Impl;  // the connections and their io_context (web/http_server.cpp)

private:
    std::unique_ptr<Impl> impl_;
};

}  // namespace web
