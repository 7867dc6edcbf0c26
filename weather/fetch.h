// One HTTP/1.0 exchange over plain TCP, as the weather viewer and the new-version check make it:
// connect with a time-out, send the request, receive the answer in pieces until the other side
// closes. The whole exchange keeps to the time-out, so a server that stalls or sends a byte now and
// then cannot hold a worker longer; an answer larger than the cap is not kept (no page is that
// large, and an endless one must not fill the memory); a stop asked for ends it within a slice.
#pragma once

#include <cstddef>
#include <functional>
#include <string>
#include <thread>  // std::chrono's clocks too (<chrono> itself cannot be read as GBK)

#include "platform/network.h"

namespace weather {

constexpr int kTimeoutMs = 60000;
constexpr std::size_t kMaxPageBytes = std::size_t{4} << 20;
constexpr int kPieceBytes = 40960;  // received at a time
constexpr int kSliceMs = 100;       // a wait is cut into these, to hear a stop

// "host" or "host:port" into its parts; port 80 (the service "http") when none is given.
void SplitHost(const std::string& host_port, std::string& host, int& port);

struct Exchange {
    enum Outcome { kAnswered, kNoConnection, kStopped } outcome = kNoConnection;
    // The answer as received (status line and headers included); "" when it was cut off by the
    // time-out or the cap, or a send failed: an unusable page.
    std::string answer;
    // Why an answer was cut off: the time ran out, or it was over the cap.
    enum Cut { kWhole, kTimedOut, kTooLarge } cut = kWhole;
    std::size_t received = 0;  // the bytes that came, kept or not
};

// What one exchange may take: the time from the start of the connect to the end of the answer, and
// the size of the answer. `now` reads the clock that the time is kept by, the steady clock unless
// one is given (a test's own clock meets a deadline to the millisecond).
struct Limits {
    int timeout_ms = kTimeoutMs;
    std::size_t max_bytes = kMaxPageBytes;
    std::function<std::chrono::steady_clock::time_point()> now;
};

// `connected` is told when the connection stands, before the request goes.
Exchange Fetch(platform::Network& network, const std::string& host_port, const std::string& request,
               const platform::StopAsked& stop, const std::function<void()>& connected = {},
               const Limits& limits = {});

}  // namespace weather
