#include "weather/fetch.h"

#include <vector>

namespace weather {

void SplitHost(const std::string& host_port, std::string& host, int& port) {
    host = host_port;
    port = 80;
    const size_t colon = host_port.rfind(':');
    if (colon == std::string::npos) return;
    int value = 0;
    const std::string digits = host_port.substr(colon + 1);
    if (digits.empty() || digits.size() > 5) return;
    for (char c : digits) {
        if (c < '0' || c > '9') return;
        value = value * 10 + (c - '0');
    }
    if (value < 1 || value > 65535) return;
    host = host_port.substr(0, colon);
    port = value;
}

Exchange Fetch(platform::Network& network, const std::string& host_port, const std::string& request,
               const platform::StopAsked& stop, const std::function<void()>& connected, const Limits& limits) {
    using Clock = std::chrono::steady_clock;
    const auto now = [&limits] { return limits.now ? limits.now() : Clock::now(); };
    const int timeout_ms = limits.timeout_ms;
    const std::size_t max_bytes = limits.max_bytes;
    const Clock::time_point deadline = now() + std::chrono::milliseconds(timeout_ms);
    const auto stopped = [&] { return stop && stop(); };
    Exchange result;
    std::string host;
    int port = 80;
    SplitHost(host_port, host, port);
    const std::unique_ptr<platform::TcpConnection> connection = network.Connect(host, port, timeout_ms, stop);
    if (!connection) {
        result.outcome = stopped() ? Exchange::kStopped : Exchange::kNoConnection;
        return result;
    }
    if (connected) connected();
    result.outcome = Exchange::kAnswered;
    if (stopped()) {
        result.outcome = Exchange::kStopped;
        return result;
    }
    if (!connection->Send(request)) return result;
    std::vector<char> piece(kPieceBytes);
    while (true) {
        if (stopped()) {
            result.outcome = Exchange::kStopped;
            result.answer.clear();
            return result;
        }
        if (now() >= deadline || result.answer.size() > max_bytes) {
            result.cut = result.answer.size() > max_bytes ? Exchange::kTooLarge : Exchange::kTimedOut;
            result.answer.clear();  // cut off: no page to read
            return result;
        }
        const int n = connection->Receive(piece.data(), kPieceBytes, kSliceMs);
        if (n == platform::TcpConnection::kNothingYet) continue;
        if (n <= 0) break;  // closed, or an error: what came is the answer
        result.answer.append(piece.data(), static_cast<size_t>(n));
        result.received += static_cast<size_t>(n);
    }
    if (result.answer.size() > max_bytes) {
        result.cut = Exchange::kTooLarge;
        result.answer.clear();
    }
    return result;
}

}  // namespace weather
