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

// The published table without its end line, to put rows after it.
std::string PublishedRows() {
    const std::string table = PublishedTable();
    const std::size_t end = table.rfind("# end of table: ");
    EXPECT_NE(end, std::string::npos);
    return table.substr(0, end);
}

// An answer that ends when the server closes (HTTP/1.0, no length): only the table shows it whole.
std::string Closed(const std::string& body) { return "HTTP/1.0 200 OK\r\nContent-Type: text/plain\r\n\r\n" + body; }

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

UpdateRun Update(Server& server, bool keep_works = true,
               const HolidayTable& current = calendar::BuiltInHolidays()) {
    Network network(server);
    UpdateRun run;
    help::HolidayUpdate update(
        network, "127.0.0.1:18377", current,
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
    EXPECT_TRUE(update.Finished()) << "the update did not end within 2 s";
    update.Stop();
    return run;
}

TEST(HolidayUpdate, EveryAnswerAndWhatTheUserIsTold) {
    const std::string table = PublishedTable();
    const std::string rows2027 = text::GbkToUtf8("2027-01-01\t休\t元旦\n2027-02-06\t休\t春节\n");
    const std::string newer = PublishedRows() + rows2027 + "# end of table: 679 rows, years 2007..2027\n";
    // Cut after the line of 2026-06-21 (端午节), as a connection that closed there would leave it.
    const std::string cut = newer.substr(0, newer.find('\n', newer.find("2026-06-21\t")) + 1);
    const struct {
        const char* what;
        std::string answer;
        bool usable, changed;
        const char* status;
    } cases[] = {
        {"a table with the next year", Answer("200 OK", newer), true, true, "节假日安排已更新，收录2007..2027年"},
        {"the same, ended by closing", Closed(newer), true, true, "节假日安排已更新，收录2007..2027年"},
        {"the table the program has", Answer("200 OK", table), true, false, "节假日安排已是最新，收录2007..2026年"},
        {"not found", Answer("404 Not Found", "no"), false, false, "节假日服务器答复404，节假日安排未变"},
        {"cut off", Answer("200 OK", newer.substr(0, newer.size() - 10), std::to_string(newer.size())), false, false,
         "没有收到完整的节假日表，节假日安排未变"},
        {"cut at a line end, ended by closing", Closed(cut), false, false,
         "没有收到完整的节假日表（缺少结尾行），节假日安排未变"},
        // The blanks around a length are not part of it, and leading zeros change no number.
        {"a length with a blank after it", Answer("200 OK", newer, std::to_string(newer.size()) + " "), true, true,
         "节假日安排已更新，收录2007..2027年"},
        {"a length with blanks and a tab around it", Answer("200 OK", newer, "  " + std::to_string(newer.size()) + " \t"),
         true, true, "节假日安排已更新，收录2007..2027年"},
        {"a length with leading zeros", Answer("200 OK", newer, "00" + std::to_string(newer.size())), true, true,
         "节假日安排已更新，收录2007..2027年"},
        {"a length that is no number", Answer("200 OK", newer, std::to_string(newer.size()) + "x"), false, false,
         "节假日服务器的答复不对，节假日安排未变"},
        {"a length too large for any number", Answer("200 OK", newer, std::string(40, '9')), false, false,
         "节假日服务器的答复不对，节假日安排未变"},
        // Without a length, a last line without its line end was cut, wherever it was cut.
        {"cut inside a date, ended by closing", Closed(newer.substr(0, newer.find("2026-06-21\t") + 7)), false, false,
         "没有收到完整的节假日表（最后一行不完整），节假日安排未变"},
        {"cut inside the end line, ended by closing", Closed(newer.substr(0, newer.size() - 12)), false, false,
         "没有收到完整的节假日表（最后一行不完整），节假日安排未变"},
        {"a damaged row, then cut, ended by closing",
         Closed(PublishedRows() + "2027-13-01\t\xe4\xbc\x91\tx\n2027-01-0"), false, false,
         "节假日表有误（第683行：日期不对（应为1949..2200年的YYYY-MM-DD）），节假日安排未变"},
        {"a whole table of old rows without its end line", Closed(PublishedRows() + rows2027), false, false,
         "没有收到完整的节假日表（缺少结尾行），节假日安排未变"},
        // A service of an earlier release writes no end line but states the length: whole.
        {"a table without its end line, its length stated", Answer("200 OK", PublishedRows() + rows2027), true, true,
         "节假日安排已更新，收录2007..2027年"},
        {"a damaged row", Answer("200 OK", PublishedRows() + "2027-13-01\t\xe4\xbc\x91\tx\n"), false, false,
         "节假日表有误（第683行：日期不对（应为1949..2200年的YYYY-MM-DD）），节假日安排未变"},
        {"a 班 on a weekday", Answer("200 OK", PublishedRows() + text::GbkToUtf8("2027-01-04\t班\t元旦\n")), false,
         false, "节假日表有误（第683行：“班”只能在周六或周日（这一天是星期一）），节假日安排未变"},
        {"an end line that does not match", Answer("200 OK", PublishedRows() + rows2027 + "# end of table: 677 rows, years 2007..2026\n"),
         false, false,
         "节假日表有误（第685行：结尾行与表不符，应为“# end of table: 679 rows, years 2007..2027”），节假日安排未变"},
        {"the next year alone", Answer("200 OK", rows2027 + "# end of table: 2 rows, years 2027\n"), false, false,
         "节假日表缺少已收录的2007..2026年，节假日安排未变"},
        {"another year with a gap", Answer("200 OK", PublishedRows() + text::GbkToUtf8("1949-10-01\t休\t国庆节\n") +
                                                     "# end of table: 678 rows, years 1949, 2007..2026\n"),
         true, true, "节假日安排已更新，收录1949、2007..2026年"},
        {"too large", Answer("200 OK", table + std::string(70000, '#')), false, false,
         "节假日表超过64KB，节假日安排未变"},
        {"no answer at all", "", false, false, "节假日服务器没有答复，节假日安排未变"},
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
            EXPECT_EQ(run.kept, c.answer.substr(c.answer.find("\r\n\r\n") + 4)) << c.what;
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

// Once a year has been fetched, a server offering an older table (without it) takes nothing away;
// one offering it again, or more, is taken. A holiday whose days off begin in the old year comes
// and stays with its notice's year.
TEST(HolidayUpdate, AnOlderTableDropsNoYearAlreadyHeld) {
    const std::string with2027 = PublishedRows() + text::GbkToUtf8("2026-12-31\t休\t元旦\n2027-01-01\t休\t元旦\n") +
                                 "# end of table: 679 rows, years 2007..2027\n";
    Server first;
    first.answer = Answer("200 OK", with2027);
    const UpdateRun fetched = Update(first);
    ASSERT_TRUE(fetched.result.usable);
    const HolidayTable held = help::KeptHolidays(fetched.kept);  // as the next start reads it
    const calendar::HolidayCalendar calendar(held);
    EXPECT_EQ(calendar.MarkOf(astro::DateToDayNumber(2026, 12, 31)).kind, calendar::HolidayKind::kOff);
    EXPECT_EQ(held.years.back(), 2027);

    const struct {
        const char* what;
        std::string body;
        const char* status;
    } cases[] = {
        {"the built-in years alone", PublishedTable(), "节假日表缺少已收录的2027年，节假日安排未变"},
        {"the same years", with2027, "节假日安排已是最新，收录2007..2027年"},
        {"one more year", PublishedRows() + text::GbkToUtf8("2026-12-31\t休\t元旦\n2027-01-01\t休\t元旦\n2028-01-01\t休\t元旦\n") +
                              "# end of table: 680 rows, years 2007..2028\n",
         "节假日安排已更新，收录2007..2028年"},
    };
    for (const auto& c : cases) {
        Server server;
        server.answer = Answer("200 OK", c.body);
        const UpdateRun run = Update(server, true, held);
        EXPECT_EQ(run.result.status, c.status) << c.what << ": " << text::GbkToUtf8(run.result.status);
        EXPECT_EQ(run.keeps, run.result.changed ? 1 : 0) << c.what;
    }
}

TEST(HolidayUpdate, TheKeptFileAtStart) {
    const std::string rows2027 = text::GbkToUtf8("2027-01-01\t休\t元旦\n");
    const struct {
        const char* what;
        std::string kept;
        bool taken;
    } cases[] = {
        // Kept by an older version: no end line, whole when it was kept.
        {"without an end line", PublishedRows() + rows2027, true},
        {"with its end line", PublishedRows() + rows2027 + "# end of table: 678 rows, years 2007..2027\n", true},
        // A damaged or short file is not taken in part: the built-in table alone.
        {"an end line that does not match", PublishedRows() + rows2027 + "# end of table: 677 rows, years 2007..2026\n",
         false},
        {"nothing", std::string(), false},
        {"the first 5000 bytes", PublishedTable().substr(0, 5000), false},
        {"the next year alone", rows2027, false},
        {"not text", std::string("\xff\xfe garbage"), false},
    };
    for (const auto& c : cases) {
        const HolidayTable t = help::KeptHolidays(c.kept);
        EXPECT_EQ(t.years.back(), c.taken ? 2027 : 2026) << c.what;
        EXPECT_EQ(t.rows.size(), calendar::BuiltInHolidays().rows.size() + (c.taken ? 1 : 0)) << c.what;
    }
}

}  // namespace
