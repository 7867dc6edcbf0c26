// One HTTP exchange as the weather viewer and the version check make it, over a scripted network:
// refused, answered in pieces, stalled, endless, stopped, cut off; and where it connects.
#include <gtest/gtest.h>

#include <atomic>
#include <string>
#include <thread>
#include <vector>

#include "weather/fetch.h"

namespace {

using platform::TcpConnection;
using weather::Exchange;

// A connection whose receives follow a script: each entry a piece of bytes, or "" for a slice in
// which nothing comes; after the script, the other side closes (or, `endless`, sends forever).
struct Script {
    bool refuse = false;
    std::vector<std::string> pieces;
    bool endless = false;
    bool stall = false;   // nothing ever comes
    bool fail = false;    // an error after the pieces instead of a close
    std::string sent;
    int connects = 0;
};

class ScriptedConnection final : public TcpConnection {
public:
    explicit ScriptedConnection(Script& s) : s_(s) {}
    bool Send(const std::string& bytes) override {
        s_.sent += bytes;
        return true;
    }
    int Receive(char* buffer, int size, int wait_ms) override {
        if (s_.stall) {
            std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
            return kNothingYet;
        }
        if (next_ < s_.pieces.size()) {
            const std::string& p = s_.pieces[next_++];
            if (p.empty()) return kNothingYet;
            std::copy(p.begin(), p.end(), buffer);
            return static_cast<int>(p.size());
        }
        if (s_.endless) {
            std::fill(buffer, buffer + size, 'x');
            return size;
        }
        return s_.fail ? kFailed : 0;
    }

private:
    Script& s_;
    size_t next_ = 0;
};

class ScriptedNetwork final : public platform::Network {
public:
    explicit ScriptedNetwork(Script& s) : s_(s) {}
    std::unique_ptr<TcpConnection> Connect(const std::string& host, int port, int, const platform::StopAsked&) override {
        ++s_.connects;
        host_ = host;
        port_ = port;
        if (s_.refuse) return nullptr;
        return std::make_unique<ScriptedConnection>(s_);
    }
    std::string host_;
    int port_ = 0;

private:
    Script& s_;
};

Script Pieces(std::vector<std::string> pieces, bool fail = false) {
    Script s;
    s.pieces = std::move(pieces);
    s.fail = fail;
    return s;
}
Script Refused() {
    Script s;
    s.refuse = true;
    return s;
}
Script Stalled() {
    Script s;
    s.stall = true;
    return s;
}
Script Endless() {
    Script s;
    s.endless = true;
    return s;
}

const std::string kRequest = "GET http://h/weather/101010100.shtml HTTP/1.0\r\n\r\n";

TEST(Fetch, AnswersRefusalsAndCutOffs) {
    const struct {
        const char* what;
        Script script;
        std::size_t max_bytes;
        Exchange::Outcome outcome;
        std::string answer;
    } cases[] = {
        {"refused", Refused(), weather::kMaxPageBytes, Exchange::kNoConnection, ""},
        {"in pieces with pauses", Pieces({"HTTP/1.0 200 OK\r\n", "", "\r\n今天", "", "", "是"}),
         weather::kMaxPageBytes, Exchange::kAnswered, "HTTP/1.0 200 OK\r\n\r\n今天是"},
        {"closed early by an error", Pieces({"HTTP/1.0 2"}, true), weather::kMaxPageBytes,
         Exchange::kAnswered, "HTTP/1.0 2"},
        {"stalled past the time-out", Stalled(), weather::kMaxPageBytes, Exchange::kAnswered, ""},
        {"endless", Endless(), 1u << 20, Exchange::kAnswered, ""},
        {"just above the cap", Pieces({std::string(1000, 'a'), "b"}), 1000, Exchange::kAnswered, ""},
        {"at the cap", Pieces({std::string(1000, 'a')}), 1000, Exchange::kAnswered, std::string(1000, 'a')},
    };
    for (auto c : cases) {
        ScriptedNetwork network(c.script);
        int connected = 0;
        const auto start = std::chrono::steady_clock::now();
        const Exchange e = weather::Fetch(network, "weather.example:8080", kRequest, {}, [&] { ++connected; }, 400, c.max_bytes);
        const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
        EXPECT_EQ(e.outcome, c.outcome) << c.what;
        EXPECT_EQ(e.answer, c.answer) << c.what;
        EXPECT_EQ(connected, c.script.refuse ? 0 : 1) << c.what;
        EXPECT_EQ(c.script.sent, c.script.refuse ? "" : kRequest) << c.what;
        EXPECT_LT(took.count(), 2000) << c.what;  // the 400 ms time-out holds, with room for a slow machine
        EXPECT_EQ(network.host_, "weather.example") << c.what;
        EXPECT_EQ(network.port_, 8080) << c.what;
    }
}

TEST(Fetch, AStopEndsItWithinASlice) {
    Script script = Stalled();
    ScriptedNetwork network(script);
    std::atomic<bool> stop{false};
    std::thread asker([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        stop = true;
    });
    const auto start = std::chrono::steady_clock::now();
    const Exchange e = weather::Fetch(network, "h", kRequest, [&] { return stop.load(); });
    const auto took = std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now() - start);
    asker.join();
    EXPECT_EQ(e.outcome, Exchange::kStopped);
    EXPECT_LT(took.count(), 1500);  // not the 60 s time-out
    // A refusal while a stop is asked is a stop, not a lost network.
    Script refused = Refused();
    ScriptedNetwork none(refused);
    EXPECT_EQ(weather::Fetch(none, "h", kRequest, [] { return true; }).outcome, Exchange::kStopped);
}

TEST(Fetch, HostAndPort) {
    const struct {
        const char* text;
        const char* host;
        int port;
    } cases[] = {
        {"weather.tempoline.org", "weather.tempoline.org", 80}, {"127.0.0.1:8080", "127.0.0.1", 8080},
        {"h:65535", "h", 65535}, {"h:0", "h:0", 80}, {"h:65536", "h:65536", 80}, {"h:", "h:", 80}, {"h:8x", "h:8x", 80},
    };
    for (const auto& c : cases) {
        std::string host;
        int port = 0;
        weather::SplitHost(c.text, host, port);
        EXPECT_EQ(host, c.host) << c.text;
        EXPECT_EQ(port, c.port) << c.text;
    }
}

}  // namespace
