// What the tests of the weather viewer's exchange, its worker and the new-version check share: a
// network whose connections follow a script, and the rows of a forecast page as the weather site
// lays it out, written by hand.
#pragma once

#include <algorithm>
#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "platform/network.h"
#include "text/encoding.h"

namespace test {

// Waits up to 5 s of real time for a worker's thread to bring `condition` about. (The clocks come
// with <thread>: <chrono> itself holds a literal that the tests' GBK character set cannot take.)
template <typename Condition>
bool WaitFor(Condition condition) {
    const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(5);
    while (!condition()) {
        if (std::chrono::steady_clock::now() > give_up) return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// One receive of a scripted connection.
struct Step {
    std::string bytes;  // handed out in pieces of at most the size the receiver asks for
    int result = 0;     // without bytes: 0 the other side closed, or TcpConnection::kNothingYet/kFailed
    int ms = 0;         // the test's clock moves on by this much before the step comes
    bool hold = false;  // the step waits until a stop is asked (at most 3 s of real time)
    bool then_stop = false;  // the test's own stop (ScriptedNetwork::stop_asked) is asked as it comes
};

struct Script {
    bool refuse = false;
    bool hold_connect = false;  // the connect waits until a stop is asked (at most 3 s), then fails
    int connect_ms = 0;         // the test's time the connect takes
    bool send_fails = false;
    std::vector<Step> steps;    // after the last one the other side closes...
    bool endless = false;       // ...or sends 'x' for ever
};

// The network, its own clock and what it was asked for. Connection k follows script k (the last
// script once they run out). The connection reports through the network, which outlives it; a
// worker's thread writes these, the test reads them after joining it (`connects`, `held` and
// `stop_asked` also while it runs).
class ScriptedNetwork final : public platform::Network {
public:
    explicit ScriptedNetwork(Script script) : scripts_{std::move(script)} {}
    explicit ScriptedNetwork(std::vector<Script> scripts) : scripts_(std::move(scripts)) {}

    std::unique_ptr<platform::TcpConnection> Connect(const std::string& host_name, int port_number, int timeout,
                                                     const platform::StopAsked& stop) override {
        const Script& script = scripts_[std::min<size_t>(connects++, scripts_.size() - 1)];
        host = host_name;
        port = port_number;
        timeout_ms = timeout;
        now += std::chrono::milliseconds(script.connect_ms);
        if (script.hold_connect) {
            Hold(stop);
            return nullptr;
        }
        if (script.refuse) return nullptr;
        return std::make_unique<Connection>(*this, script, stop);
    }

    // The test's clock, for weather::Limits.
    std::chrono::steady_clock::time_point Now() const { return now; }

    std::atomic<int> connects{0};
    std::atomic<bool> held{false};  // a hold has been reached
    std::atomic<bool> stop_asked{false};
    std::string host;
    int port = 0;
    int timeout_ms = 0;
    std::string sent;
    std::vector<int> sizes_asked;  // the size of each receive
    int longest_wait_ms = 0;       // the longest wait a receive was given
    int receives_after_stop = 0;   // receives that came after the stop was asked
    std::chrono::steady_clock::time_point now{};

private:
    class Connection final : public platform::TcpConnection {
    public:
        Connection(ScriptedNetwork& n, const Script& script, platform::StopAsked stop)
            : n_(n), script_(script), stop_(std::move(stop)) {}
        bool Send(const std::string& bytes) override {
            if (script_.send_fails) return false;
            n_.sent += bytes;
            return true;
        }
        int Receive(char* buffer, int size, int wait_ms) override {
            n_.sizes_asked.push_back(size);
            n_.longest_wait_ms = std::max(n_.longest_wait_ms, wait_ms);
            if (stop_ && stop_()) ++n_.receives_after_stop;
            const std::vector<Step>& steps = script_.steps;
            if (next_ == steps.size()) {
                if (!script_.endless) return 0;
                std::fill(buffer, buffer + size, 'x');
                return size;
            }
            const Step& step = steps[next_];
            if (offset_ == 0) {
                n_.now += std::chrono::milliseconds(step.ms);
                if (step.hold) n_.Hold(stop_);
            }
            if (step.then_stop) n_.stop_asked = true;
            if (step.bytes.empty()) {
                ++next_;
                return step.result;
            }
            const size_t n = std::min(static_cast<size_t>(size), step.bytes.size() - offset_);
            std::copy_n(step.bytes.data() + offset_, n, buffer);
            offset_ += n;
            if (offset_ == step.bytes.size()) {
                ++next_;
                offset_ = 0;
            }
            return static_cast<int>(n);
        }

    private:
        ScriptedNetwork& n_;
        const Script& script_;
        platform::StopAsked stop_;
        size_t next_ = 0;
        size_t offset_ = 0;
    };

    void Hold(const platform::StopAsked& stop) {
        held = true;
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(3);
        while (!(stop && stop()) && std::chrono::steady_clock::now() < give_up)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }

    std::vector<Script> scripts_;
};

// The bytes of `text` as pieces of `size` bytes (the last one shorter).
inline std::vector<Step> Pieces(const std::string& text, size_t size) {
    std::vector<Step> steps;
    for (size_t i = 0; i < text.size(); i += size) steps.push_back({text.substr(i, size)});
    return steps;
}

// Texts written in UTF-8 (u8 literals are not touched by the GBK execution character set): as the
// site sends them, and as the program holds them.
inline std::string Utf8(const char8_t* utf8) { return reinterpret_cast<const char*>(utf8); }
inline std::string Gbk(const char8_t* utf8) { return text::Utf8ToGbk(Utf8(utf8)); }

// One half's row of a forecast page: its name, the weather link, the temperature and the two wind
// cells. From the start of "778.php" to the wind text: '778.php" target="_blank">' (25 bytes) and
// `pad`, 5 blanks.
inline std::string HalfRow(const char8_t* name, const char8_t* weather, const char8_t* temperature,
                           const char8_t* direction, const char8_t* force, const char* link_end = "</a></td>",
                           const std::string& pad = "     ") {
    return "<tr><td>" + Utf8(name) + "</td><td><a href=\"/w.html\" target=\"_blank\">" + Utf8(weather) + link_end +
           "<td><strong>" + Utf8(temperature) + "</strong></td>\r\n" +
           "<td><a href=\"/778.php\" target=\"_blank\">" + pad + Utf8(direction) + "\r\n</a>\r\n</td>" +
           "<td><a href=\"/778.php\" target=\"_blank\">" + pad + Utf8(force) + "\r\n</a>\r\n</td></tr>\r\n";
}

// A day's label row: "30日星期一" and "</td></tr>" CR LF, 20 bytes from "日星期" on.
inline std::string LabelRow(const char8_t* label) {
    return "<tr><td class=\"d\">" + Utf8(label) + "</td></tr>\r\n";
}

// The head of a page up to its table, with the date line "今天是" + date.
inline std::string PageHead(const char8_t* date = u8"2024年12月30日") {
    return Utf8(u8"<html><head><title>天气预报</title></head><body>\r\n<p>今天是") + Utf8(date) +
           Utf8(u8" 星期一 (中央台     08:00发布)</p>\r\n<table>\r\n");
}

}  // namespace test
