// Fetching next year's public holidays from the service over a scripted network: the request as
// sent, every kind of answer (a newer table, the same one, an error, a cut-off or damaged table, one
// that lacks years, too large, no connection), what is kept and what the user is told; the kept file
// read back at start.
#include "help/holiday_update.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <thread>

#include "text/encoding.h"

namespace {

using calendar::HolidayTable;
using help::HolidayUpdateResult;

struct Server {
    bool refuse = false;
    bool stall = false;
    std::string answer;
    std::string sent, host;
    int port = 0;
};

class Connection final : public platform::TcpConnection {
public:
    explicit Connection(Server& s) : s_(s) {}
    bool Send(const std::string& bytes) override {
        s_.sent += bytes;
        return true;
    }
    int Receive(char* buffer, int size, int wait_ms) override {
        if (s_.stall) {
            std::this_thread::sleep_for(std::chrono::milliseconds(wait_ms));
            return kNothingYet;
        }
        const int n = static_cast<int>(std::min<std::size_t>(size, s_.answer.size() - at_));
        std::copy_n(s_.answer.data() + at_, n, buffer);
        at_ += n;
        return n;
    }

private:
    Server& s_;
    std::size_t at_ = 0;
};

class Network final : public platform::Network {
public:
    explicit Network(Server& s) : s_(s) {}
    std::unique_ptr<platform::TcpConnection> Connect(const std::string& host, int port, int,
                                                     const platform::StopAsked&) override {
        s_.host = host;
        s_.port = port;
        return s_.refuse ? nullptr : std::make_unique<Connection>(s_);
    }

private:
    Server& s_;
};

std::string PublishedTable() {
    std::ifstream file(std::string(TEMPO_DATA_DIR) + "/cn_public_holidays_2007_2026.tsv", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

std::string Answer(const std::string& status, const std::string& body, const std::string& length = "") {
    return "HTTP/1.1 " + status + "\r\nContent-Type: text/tab-separated-values\r\nContent-Length: " +
           (length.empty() ? std::to_string(body.size()) : length) + "\r\n\r\n" + body;
}

// Runs one update to its end: the result posted (none when `posted` stays false) and what was kept.
struct UpdateRun {
    bool posted = false;
    HolidayUpdateResult result;
    std::string kept;
    int keeps = 0;
};

UpdateRun Update(Server& server, bool keep_works = true) {
    Network network(server);
    UpdateRun run;
    help::HolidayUpdate update(
        network, "127.0.0.1:18377", calendar::BuiltInHolidays(),
        [&](const std::string& text) {
            ++run.keeps;
            run.kept = text;
            return keep_works;
        },
        [&](const HolidayUpdateResult& r) {
            run.posted = true;
            run.result = r;
        });
    update.Start();
    for (int i = 0; i < 200 && !update.Finished(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    update.Stop();
    return run;
}

TEST(HolidayUpdate, EveryAnswerAndWhatTheUserIsTold) {
    const std::string table = PublishedTable();
    const std::string newer = table + text::GbkToUtf8("2027-01-01\t休\t元旦\n2027-02-06\t休\t春节\n");
    const struct {
        const char* what;
        std::string answer;
        bool usable, changed;
        const char* status;
    } cases[] = {
        {"a table with the next year", Answer("200 OK", newer), true, true, "节假日安排已更新，收录2007..2027年"},
        {"the table the program has", Answer("200 OK", table), true, false, "节假日安排已是最新，收录2007..2026年"},
        {"not found", Answer("404 Not Found", "no"), false, false, "节假日服务器答复404，节假日安排未变"},
        {"cut off", Answer("200 OK", newer.substr(0, newer.size() - 10), std::to_string(newer.size())), false, false,
         "没有收到完整的节假日表，节假日安排未变"},
        {"a damaged row", Answer("200 OK", table + "2027-13-01\t\xe4\xbc\x91\tx\n"), false, false,
         "节假日表有误（第682行：日期不对（应为1949..2200年的YYYY-MM-DD）），节假日安排未变"},
        {"the next year alone", Answer("200 OK", text::GbkToUtf8("2027-01-01\t休\t元旦\n")), false, false,
         "节假日表缺少2007年，节假日安排未变"},
        {"too large", Answer("200 OK", table + std::string(70000, '#')), false, false,
         "没有收到完整的节假日表，节假日安排未变"},
        {"no answer at all", "", false, false, "没有收到完整的节假日表，节假日安排未变"},
        {"no HTTP", "hello\r\n\r\n" + table, false, false, "节假日服务器的答复不对，节假日安排未变"},
    };
    for (const auto& c : cases) {
        Server server;
        server.answer = c.answer;
        const UpdateRun run = Update(server);
        ASSERT_TRUE(run.posted) << c.what;
        EXPECT_EQ(run.result.usable, c.usable) << c.what;
        EXPECT_EQ(run.result.changed, c.changed) << c.what;
        EXPECT_EQ(run.result.status, c.status) << c.what << ": " << text::GbkToUtf8(run.result.status);
        // Only a newer table is kept, and then exactly as it came.
        EXPECT_EQ(run.keeps, c.changed ? 1 : 0) << c.what;
        if (c.changed) {
            EXPECT_EQ(run.kept, newer);
        }
        EXPECT_EQ(server.sent, "GET /holidays/cn.tsv HTTP/1.0\r\nHost: 127.0.0.1:18377\r\nUser-Agent: Tempoline/4.2\r\n\r\n");
        EXPECT_EQ(server.host, "127.0.0.1");
        EXPECT_EQ(server.port, 18377);
    }
    // The size cap of the table itself, apart from the fetch's.
    const HolidayUpdateResult large =
        help::CheckHolidayAnswer(Answer("200 OK", table + std::string(66000, '#')), calendar::BuiltInHolidays());
    EXPECT_EQ(large.status, "节假日表超过64KB，节假日安排未变");

    Server refused;
    refused.refuse = true;
    EXPECT_EQ(Update(refused).result.status, "无法连接节假日服务器127.0.0.1:18377，节假日安排未变");

    Server full_disk;
    full_disk.answer = Answer("200 OK", newer);
    const UpdateRun unsaved = Update(full_disk, false);
    EXPECT_TRUE(unsaved.result.usable);
    EXPECT_EQ(unsaved.result.status, "节假日安排已更新，收录2007..2027年（但无法保存，下次启动时仍用原来的安排）");

    // A stop while the server stalls ends the worker at once and posts nothing.
    Server stalled;
    stalled.stall = true;
    Network network(stalled);
    bool posted = false;
    {
        help::HolidayUpdate update(network, "127.0.0.1:18377", calendar::BuiltInHolidays(),
                                   [](const std::string&) { return true; },
                                   [&](const HolidayUpdateResult&) { posted = true; });
        update.Start();
        std::this_thread::sleep_for(std::chrono::milliseconds(150));
        update.Stop();
        EXPECT_TRUE(update.Finished());
    }
    EXPECT_FALSE(posted);
}

TEST(HolidayUpdate, TheKeptFileAtStart) {
    const HolidayTable with_2027 =
        help::KeptHolidays(PublishedTable() + text::GbkToUtf8("2027-01-01\t休\t元旦\n"));
    EXPECT_EQ(with_2027.years.back(), 2027);
    EXPECT_EQ(with_2027.rows.size(), calendar::BuiltInHolidays().rows.size() + 1);
    // A damaged or short file is not taken in part: the built-in table alone.
    for (const std::string& damaged : {std::string(), PublishedTable().substr(0, 5000),
                                       text::GbkToUtf8("2027-01-01\t休\t元旦\n"), std::string("\xff\xfe garbage")}) {
        const HolidayTable t = help::KeptHolidays(damaged);
        EXPECT_EQ(t.years, calendar::BuiltInHolidays().years);
        EXPECT_EQ(t.rows.size(), calendar::BuiltInHolidays().rows.size());
    }
}

}  // namespace
