// One HTTP exchange as the weather viewer and the version check make it, over a scripted network:
// refused, answered in pieces, stalled, endless, stopped, cut off at the deadline or the cap to the
// millisecond and the byte; and where it connects.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/weather_test_support.h"
#include "weather/fetch.h"

namespace {

using platform::TcpConnection;
using test::Script;
using test::Step;
using weather::Exchange;

Script Steps(std::vector<Step> steps, int connect_ms = 0) {
    Script s;
    s.steps = std::move(steps);
    s.connect_ms = connect_ms;
    return s;
}
Script With(Script s, bool Script::*flag) {
    s.*flag = true;
    return s;
}

const std::string kRequest = "GET http://h/weather/101010100.shtml HTTP/1.0\r\n\r\n";
const std::string k4MiB(4194304, 'a');  // 4 × 1024 × 1024

// Every exchange under the program's own limits (60 000 ms from the start of the connect, 4 MiB),
// kept on the test's clock: a step's time passes before it comes, and the answer is cut off once a
// piece comes at or after the deadline.
TEST(Fetch, KeepsToTheTimeOutAndTheCapAndKeepsWhatCame) {
    const Script refused = With({}, &Script::refuse);
    const std::vector<Step> drip(61, Step{"x", 0, 1000});  // a byte a second
    const struct {
        const char* what;
        Script script;
        Exchange::Outcome outcome;
        std::string answer;
    } cases[] = {
        {"refused", refused, Exchange::kNoConnection, ""},
        {"in pieces, with slices in which nothing came",
         Steps({{"HTTP/1.0 200 OK\r\n"}, {"", TcpConnection::kNothingYet}, {"\r\n<p>"}, {"", TcpConnection::kNothingYet}, {"x"}}),
         Exchange::kAnswered, "HTTP/1.0 200 OK\r\n\r\n<p>x"},
        {"an error after some pieces: what came is the answer", Steps({{"HTTP/1.0 2"}, {"", TcpConnection::kFailed}, {"00"}}),
         Exchange::kAnswered, "HTTP/1.0 2"},
        {"a failed send: no answer is read", With(Steps({{"page"}}), &Script::send_fails), Exchange::kAnswered, ""},
        {"the last piece at 59 999 ms", Steps({{"a"}, {"b", 0, 59999}}), Exchange::kAnswered, "ab"},
        {"the last piece at 60 000 ms", Steps({{"a"}, {"b", 0, 60000}}), Exchange::kAnswered, ""},
        {"nothing for 60 000 ms", Steps({{"", TcpConnection::kNothingYet, 60000}, {"late"}}), Exchange::kAnswered, ""},
        {"a connect of 30 000 ms, a piece 29 999 ms later", Steps({{"a", 0, 29999}}, 30000), Exchange::kAnswered, "a"},
        {"a connect of 30 000 ms, a piece 30 000 ms later", Steps({{"a", 0, 30000}}, 30000), Exchange::kAnswered, ""},
        {"a byte a second for 61 s", Steps(drip), Exchange::kAnswered, ""},
        {"exactly 4 MiB", Steps({{k4MiB}}), Exchange::kAnswered, k4MiB},
        {"4 MiB and one byte", Steps({{k4MiB}, {"b"}}), Exchange::kAnswered, ""},
        {"endless", With({}, &Script::endless), Exchange::kAnswered, ""},
        {"a stop between pieces", Steps({{"a", 0, 0, false, true}, {"b"}}), Exchange::kStopped, ""},
    };
    for (const auto& c : cases) {
        test::ScriptedNetwork network(c.script);
        int connected = 0;
        const Exchange e = weather::Fetch(
            network, "weather.example:8080", kRequest, [&] { return network.stop_asked.load(); }, [&] { ++connected; },
            {.now = [&] { return network.Now(); }});
        EXPECT_EQ(e.outcome, c.outcome) << c.what;
        EXPECT_EQ(e.answer.size(), c.answer.size()) << c.what;
        EXPECT_TRUE(e.answer == c.answer) << c.what;
        EXPECT_EQ(connected, c.script.refuse ? 0 : 1) << c.what;
        EXPECT_EQ(network.sent, c.script.refuse || c.script.send_fails ? "" : kRequest) << c.what;
        EXPECT_EQ(network.host, "weather.example") << c.what;
        EXPECT_EQ(network.port, 8080) << c.what;
        EXPECT_EQ(network.timeout_ms, 60000) << c.what;
        EXPECT_EQ(network.receives_after_stop, 0) << c.what;
        EXPECT_LE(network.longest_wait_ms, 100) << c.what;  // a stop is heard within 0.1 s
        if (c.script.send_fails) {
            EXPECT_TRUE(network.sizes_asked.empty()) << c.what;
        }
        for (int size : network.sizes_asked) ASSERT_EQ(size, 40960) << c.what;
    }
    // A refusal while a stop is asked is a stop, not a lost network.
    test::ScriptedNetwork none(refused);
    EXPECT_EQ(weather::Fetch(none, "h", kRequest, [] { return true; }).outcome, Exchange::kStopped);
    EXPECT_EQ(none.port, 80);
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
