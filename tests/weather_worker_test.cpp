// The weather viewer's worker on its own thread, over a scripted network: the request it sends,
// what it posts for each kind of answer (whole, in pieces that split characters, cut by an error,
// at the cap), and a stop that ends it at once with nothing posted afterwards.
#include "weather/weather_worker.h"

#include <gtest/gtest.h>

#include <mutex>
#include <string>
#include <vector>

#include "tests/weather_test_support.h"

namespace {

using platform::TcpConnection;
using test::Gbk;
using test::HalfRow;
using test::LabelRow;
using test::Script;
using test::Step;
using test::Utf8;
using test::WaitFor;
using weather::ViewUpdate;

// What a worker posted: each update as a text ("clear", the status line, or "filled: " and the
// status line), and the table of the last fill.
struct Posts {
    std::mutex lock;
    std::vector<std::string> texts;
    std::vector<std::string> dates, cells;

    weather::WeatherWorker::Post Sink() {
        return [this](const ViewUpdate& u) {
            const std::lock_guard<std::mutex> hold(lock);
            texts.push_back(u.kind == ViewUpdate::kClear    ? "clear"
                            : u.kind == ViewUpdate::kFilled ? "filled: " + u.status
                                                            : u.status);
            if (u.kind == ViewUpdate::kFilled) dates = u.dates, cells = u.cells;
        };
    }
};

// The request for 北京 天安门 (province 1, city 1, place code 101010100), byte for byte.
const std::string kRequest =
    "GET http://weather.tempoline.org/weather/101010100.shtml HTTP/1.0\r\n"
    "Referer: http://weather.tempoline.org/\r\n"
    "User-Agent: nvk HTTP FILE DOWNLOAD\r\n"
    "\r\n";

const std::string kHeader = "HTTP/1.0 200 OK\r\nContent-Type: text/html; charset=utf-8\r\n\r\n";

// Five days of forecast, written by hand; the table it gives is kCells.
const std::string kPage = test::PageHead() +
    LabelRow(u8"30日星期一") + HalfRow(u8"白天", u8"多云", u8"26℃", u8"东北风", u8"3级") +
    HalfRow(u8"夜间", u8"小雨", u8"-3℃", u8"北风", u8"2级") +
    LabelRow(u8"31日星期二") + HalfRow(u8"白天", u8"阴", u8"-12℃", u8"西风", u8"4级") +
    HalfRow(u8"夜间", u8"雾", u8"-20℃", u8"西北风", u8"5级") +
    LabelRow(u8"1日星期三") + HalfRow(u8"白天", u8"雷阵雨转冰雹", u8"+5℃", u8"南风", u8"12级") +
    HalfRow(u8"夜间", u8"晴", u8"℃", u8"无持续风向", u8"1级") +
    LabelRow(u8"2日星期四") + HalfRow(u8"白天", u8"小雪", u8"0℃", u8"东南风", u8"微风") +
    HalfRow(u8"夜间", u8"中雪", u8"-8℃", u8"东风", u8"2级") +
    LabelRow(u8"3日星期五") + HalfRow(u8"白天", u8"扬沙", u8"7℃", u8"西南风", u8"6级") +
    HalfRow(u8"夜间", u8"浮尘", u8"-1℃", u8"北风", u8"7级") + "</table></body></html>\r\n";
const char8_t* const kDates[5] = {u8"30日", u8"31日", u8"1日", u8"2日", u8"3日"};
const char8_t* const kCells[5][8] = {
    {u8"多云", u8"最高26℃", u8"东北风", u8"3级", u8"小雨", u8"最低-3℃", u8"北风", u8"2级"},
    {u8"阴", u8"最高-12℃", u8"西风", u8"4级", u8"雾", u8"最低-20℃", u8"西北风", u8"5级"},
    {u8"雷阵雨转冰雹", u8"最高5℃", u8"南风", u8"12级", u8"晴", u8"最低0℃", u8"无持续风向", u8"1级"},
    {u8"小雪", u8"最高0℃", u8"东南风", u8"微风", u8"中雪", u8"最低-8℃", u8"东风", u8"2级"},
    {u8"扬沙", u8"最高7℃", u8"西南风", u8"6级", u8"浮尘", u8"最低-1℃", u8"北风", u8"7级"},
};
const std::string kFilled = "filled:   北京天安门 2024年12月30日 08:00发布";

Script Steps(std::vector<Step> steps) {
    Script s;
    s.steps = std::move(steps);
    return s;
}

// A page cut where `before` begins, then an error.
Script FailingBefore(const std::string& answer, const char8_t* before) {
    return Steps({{answer.substr(0, answer.find(Utf8(before)))}, {"", TcpConnection::kFailed}});
}

// The page behind a header padded to `size` bytes.
std::string PaddedTo(std::size_t size, const std::string& page) {
    return kHeader + std::string(size - kHeader.size() - page.size(), ' ') + page;
}

TEST(WeatherWorker, PostsWhatEachAnswerGives) {
    const std::string answer = kHeader + kPage;
    // 今 of 今天是 split after its first byte by the end of the first piece of 40 960 bytes.
    const std::string split = PaddedTo(40960 - 1 + kPage.size() - kPage.find(Utf8(u8"今天是")), kPage);
    Script refused;
    refused.refuse = true;
    Script send_fails = Steps({{answer}});
    send_fails.send_fails = true;
    const std::vector<std::string> connecting = {"clear", "  正在连接网络 ......"};
    const std::vector<std::string> receiving = {"clear", "  正在连接网络 ......", "  正在接收天气信息 ......"};
    const struct {
        const char* what;
        Script script;
        std::string last;  // the last update after `receiving` (after `connecting` for "网络断开")
        int rows;          // the rows of kCells shown; the others empty
    } cases[] = {
        {"the network down", refused, "  网络断开！！！", 0},
        {"the page at once", Steps({{answer}}), kFilled, 5},
        {"the page a byte at a time", Steps(test::Pieces(answer, 1)), kFilled, 5},
        {"今 split between the first two pieces", Steps({{split}}), kFilled, 5},
        {"an error after the first day", FailingBefore(answer, u8"31日星期二"), kFilled, 1},
        {"an error before the date", FailingBefore(answer, u8"2024年"), "  无法接收天气信息！！！", 0},
        {"a failed send", send_fails, "  无法接收天气信息！！！", 0},
        {"exactly 4 MiB", Steps({{PaddedTo(4194304, kPage)}}), kFilled, 5},
        {"4 MiB and one byte", Steps({{PaddedTo(4194305, kPage)}}), "  无法接收天气信息！！！", 0},
    };
    for (const auto& c : cases) {
        test::ScriptedNetwork network(c.script);
        Posts posts;
        weather::WeatherWorker worker(network, weather::kWeatherHost, posts.Sink());
        ASSERT_TRUE(worker.Query(1, 1)) << c.what;
        EXPECT_TRUE(WaitFor([&] { return worker.FetchState() == weather::kFinished; })) << c.what;
        worker.Stop();
        std::vector<std::string> expected = c.script.refuse ? connecting : receiving;
        expected.push_back(c.last);
        EXPECT_EQ(posts.texts, expected) << c.what;
        EXPECT_EQ(network.sent, c.script.refuse || c.script.send_fails ? "" : kRequest) << c.what;
        EXPECT_EQ(network.host, "weather.tempoline.org") << c.what;
        EXPECT_EQ(network.port, 80) << c.what;
        EXPECT_EQ(network.timeout_ms, 60000) << c.what;
        if (c.rows == 0) continue;
        ASSERT_EQ(posts.dates.size(), 5u) << c.what;
        ASSERT_EQ(posts.cells.size(), 40u) << c.what;
        for (int r = 0; r < 5; ++r) {
            EXPECT_EQ(posts.dates[r], r < c.rows ? Gbk(kDates[r]) : "") << c.what << ", row " << r + 1;
            for (int k = 0; k < 8; ++k)
                EXPECT_EQ(posts.cells[r * 8 + k], r < c.rows ? Gbk(kCells[r][k]) : "")
                    << c.what << ", row " << r + 1 << ", column " << k + 1;
        }
    }
}

// A stop while the worker connects or receives ends it within a slice, nothing is posted after it,
// a second 查询 meanwhile does nothing, and a 查询 after the stop starts a fetch that runs.
TEST(WeatherWorker, AStopEndsItAtOnceAndTheNextQueryRuns) {
    Script connect_held;
    connect_held.hold_connect = true;
    // The whole page has come; the stop comes before the other side closes.
    Script close_held = Steps({{kHeader + kPage}, {"", 0, 0, true}});
    const struct {
        const char* what;
        Script script;
        std::vector<std::string> before;
    } cases[] = {
        {"while connecting", connect_held, {"clear", "  正在连接网络 ......"}},
        {"before the close", close_held, {"clear", "  正在连接网络 ......", "  正在接收天气信息 ......"}},
    };
    for (const auto& c : cases) {
        test::ScriptedNetwork network({c.script, Steps({{kHeader + kPage}})});
        Posts posts;
        weather::WeatherWorker worker(network, weather::kWeatherHost, posts.Sink());
        ASSERT_TRUE(worker.Query(1, 1)) << c.what;
        EXPECT_EQ(worker.FetchState(), weather::kRunning) << c.what;
        EXPECT_FALSE(worker.Query(2, 1)) << c.what;  // 查询 again while it runs
        ASSERT_TRUE(WaitFor([&] { return network.held.load(); })) << c.what;
        const auto start = std::chrono::steady_clock::now();
        worker.Stop();
        const auto took = std::chrono::steady_clock::now() - start;
        EXPECT_LT(took, std::chrono::seconds(1)) << c.what;
        EXPECT_EQ(worker.FetchState(), weather::kFinished) << c.what;
        EXPECT_EQ(posts.texts, c.before) << c.what;
        EXPECT_EQ(network.connects, 1) << c.what;

        ASSERT_TRUE(worker.Query(1, 1)) << c.what;
        EXPECT_TRUE(WaitFor([&] { return worker.FetchState() == weather::kFinished; })) << c.what;
        worker.Stop();
        EXPECT_EQ(network.connects, 2) << c.what;
        ASSERT_FALSE(posts.texts.empty()) << c.what;
        EXPECT_EQ(posts.texts.back(), kFilled) << c.what;
    }
}

}  // namespace
