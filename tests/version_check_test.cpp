// The help window's new-version check on its own thread, over a scripted network: the request it
// sends, the line it posts for each kind of download page and answer, and a stop that ends it at
// once without a line.
#include "help/version_check.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "help/help_text.h"
#include "tests/weather_test_support.h"

namespace {

using platform::TcpConnection;
using test::Script;
using test::Step;
using test::Utf8;
using test::WaitFor;

struct Lines {
    std::mutex lock;
    std::vector<std::string> posted;
    help::VersionCheck::Post Sink() {
        return [this](const std::string& line) {
            const std::lock_guard<std::mutex> hold(lock);
            posted.push_back(line);
        };
    }
};

const std::string kRequest =
    "GET http://www.tempoline.org/download/index.html HTTP/1.0\r\n"
    "Referer: http://www.tempoline.org/\r\n"
    "User-Agent: nvk HTTP FILE DOWNLOAD\r\n"
    "\r\n";
const std::string kLine = "    下载4.3版→http://www.tempoline.org/download/index.html";

// A download page as the site sends it (UTF-8), naming `version`.
std::string Answer(const char8_t* version) {
    return "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n" +
           Utf8(u8"<html><head><title>橙鹿万年历 - Tempoline</title></head><body>\r\n<p><a href=\"/t.zip\">橙鹿万年历V") +
           Utf8(version) + Utf8(u8"版下载</a></p></body></html>\r\n");
}

Script Steps(std::vector<Step> steps) {
    Script s;
    s.steps = std::move(steps);
    return s;
}

TEST(VersionCheck, RequestIsAnHttp10GetOfTheWholeAddress) {
    EXPECT_EQ(help::DownloadRequest(help::DownloadHost, help::DownloadUrl), kRequest);
    EXPECT_EQ(help::DownloadRequest("127.0.0.1:8080", "http://127.0.0.1:8080/download/"),
              "GET http://127.0.0.1:8080/download/ HTTP/1.0\r\nReferer: http://127.0.0.1:8080/\r\n"
              "User-Agent: nvk HTTP FILE DOWNLOAD\r\n\r\n");
}

TEST(VersionCheck, PostsALineForANewerVersionOnly) {
    const std::string newer = Answer(u8"4.3");
    const std::size_t download = newer.find(Utf8(u8"下载"));
    Script refused;
    refused.refuse = true;
    Script send_fails = Steps({{newer}});
    send_fails.send_fails = true;
    const struct {
        const char* what;
        Script script;
        std::vector<std::string> lines;
    } cases[] = {
        {"a newer version", Steps({{newer}}), {kLine}},
        {"a newer version a byte at a time", Steps(test::Pieces(newer, 1)), {kLine}},
        {"an error after 下载 came", Steps({{newer.substr(0, download + 6)}, {"", TcpConnection::kFailed}}), {kLine}},
        {"an error in the middle of 下载", Steps({{newer.substr(0, download + 4)}, {"", TcpConnection::kFailed}}), {}},
        {"the same version", Steps({{Answer(u8"4.2")}}), {}},
        {"two dots", Steps({{Answer(u8"4.3.1")}}), {}},
        {"the network down", refused, {}},
        {"a failed send", send_fails, {}},
        {"an empty answer", Steps({}), {}},
    };
    for (const auto& c : cases) {
        test::ScriptedNetwork network(c.script);
        Lines lines;
        help::VersionCheck check(network, help::DownloadHost, help::DownloadUrl, lines.Sink());
        check.Start();
        EXPECT_TRUE(WaitFor([&] { return check.Finished(); })) << c.what;
        check.Stop();
        EXPECT_EQ(lines.posted, c.lines) << c.what;
        EXPECT_EQ(network.sent, c.script.refuse || c.script.send_fails ? "" : kRequest) << c.what;
        EXPECT_EQ(network.host, "www.tempoline.org") << c.what;
        EXPECT_EQ(network.port, 80) << c.what;
        EXPECT_EQ(network.timeout_ms, 60000) << c.what;
    }
}

// A stop while it connects or before the other side closes (the newer version has come) ends the
// check within a slice and without a line; a start after the stop runs again.
TEST(VersionCheck, AStopEndsItAtOnceWithoutALineAndTheNextStartRuns) {
    Script connect_held;
    connect_held.hold_connect = true;
    const Script close_held = Steps({{Answer(u8"4.3")}, {"", 0, 0, true}});
    for (const Script& held : {connect_held, close_held}) {
        test::ScriptedNetwork network({held, Steps({{Answer(u8"4.3")}})});
        Lines lines;
        help::VersionCheck check(network, help::DownloadHost, help::DownloadUrl, lines.Sink());
        check.Start();
        ASSERT_TRUE(WaitFor([&] { return network.held.load(); }));
        const auto start = std::chrono::steady_clock::now();
        check.Stop();
        EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(1)) << held.hold_connect;
        EXPECT_TRUE(check.Finished());
        EXPECT_TRUE(lines.posted.empty()) << held.hold_connect;

        check.Start();
        EXPECT_TRUE(WaitFor([&] { return check.Finished(); }));
        check.Stop();
        EXPECT_EQ(lines.posted, std::vector<std::string>{kLine}) << held.hold_connect;
        EXPECT_EQ(network.connects, 2);
    }
}

}  // namespace
