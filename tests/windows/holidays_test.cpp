// 更新节假日安排 over real sockets: a newer table from the service is installed, kept in its file and
// shown on the page; a bad, partial or older answer, or no server, changes nothing and says why;
// closing the window stops a stalled fetch at once; the status line holds its longest reason
// whole at every DPI.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "calendar/holidays.h"
#include "help/help_window.h"
#include "help/holiday_update_window.h"
#include "platform/files.h"
#include "shell/command_ids.h"
#include "shell/program_win32.h"
#include "tests/windows/test_server.h"
#include "tests/windows/test_support.h"
#include "text/encoding.h"
#include "text/wide.h"
#include "views/month_page_window.h"

namespace {

using astro::DateToDayNumber;
using test::PumpUntil;
using test::TestServer;
using test::Text;

std::string PublishedTable() {
    std::ifstream file(std::string(TEMPO_DATA_DIR) + "/cn_public_holidays_2007_2026.tsv", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The table as the previous release kept it after an update (tests/earlier/).
std::string KeptByThePreviousRelease() {
    std::ifstream file(std::string(TEMPO_EARLIER_DIR) + "/holidays-kept-by-the-previous-release.tsv", std::ios::binary);
    std::stringstream text;
    text << file.rdbuf();
    return text.str();
}

// The published table without its end line, to put rows after it.
std::string PublishedRows() {
    const std::string table = PublishedTable();
    return table.substr(0, table.rfind("# end of table: "));
}

std::string Answer(const std::string& status, const std::string& body) {
    return "HTTP/1.0 " + status + "\r\nContent-Length: " + std::to_string(body.size()) + "\r\n\r\n" + body;
}

class HolidayUpdateTest : public test::CalendarTest {
protected:
    void SetUp() override {
        network_ = platform::MakeSystemNetwork();
        program_.network = network_.get();
        wchar_t folder[MAX_PATH] = {};
        GetTempPathW(MAX_PATH, folder);
        program_.holidays_file = text::WideToGbk(folder) + "tempoline-holidays-" + std::to_string(GetCurrentProcessId()) + ".tsv";
        ASSERT_TRUE(platform::ReplaceFileContents(program_.holidays_file, "kept before"));
        ASSERT_NE(Open(views::CalendarView::kMonth, DateToDayNumber(2027, 1, 1)), nullptr);
    }
    void TearDown() override {
        calendar::InstallHolidays(calendar::BuiltInHolidays());
        DeleteFileW(text::GbkToWide(program_.holidays_file).c_str());
        CalendarTest::TearDown();
    }
    // 更新节假日安排 from the menu against `host`: the status line it ended with.
    std::string Update(const std::string& host) {
        registry_.SetValue(platform::RegistryRoot::CurrentUser, settings::SettingsKey, settings::WebHostValue, host);
        std::string status;
        const test::ModalSteps steps({[&] {
            HWND window = test::FindByCaption("更新节假日安排");
            PumpUntil([&] { return help::HolidayUpdateFinished(window); }, 20000);
            status = Text(window, help::kHolidayStatusId);
            kept_box_ = Text(window, help::kHolidayKeptId);
            PostMessageW(window, WM_CLOSE, 0, 0);
        }});
        Command(shell::command::kUpdateHolidays);
        return status;
    }
    std::string Kept() const {
        std::string text;
        return platform::ReadWholeFile(program_.holidays_file, text, 1 << 20) ? text : "(none)";
    }
    bool NewYearMarked() { return Marked(2027, 1, 1); }
    // Whether the month page marks the day as a holiday's (it shows the day's month first).
    bool Marked(int year, int month, int day) {
        ShowDay(DateToDayNumber(year, month, day));
        const int cell = views::CellOfDay(year, month, DateToDayNumber(year, month, day));
        return !views::ShownCellOf(Window(), cell).holiday_mark.empty();
    }

    std::unique_ptr<platform::Network> network_;
    std::string kept_box_;  // what the update window said of the kept table ("" when nothing)
};

// Upgrading loses nothing: the table the previous release kept (no end line, and its row 2020-02-03
// 班) is taken at start with its 2027; that release's service, not yet upgraded, offers the same
// table with its length stated and no end line, which is taken as whole: nothing newer.
TEST_F(HolidayUpdateTest, TheTableThePreviousReleaseKeptSurvivesTheUpgrade) {
    const std::string earlier = KeptByThePreviousRelease();
    ASSERT_NE(earlier.find("2027-01-01\t"), std::string::npos);
    ASSERT_TRUE(platform::ReplaceFileContents(program_.holidays_file, earlier));
    EXPECT_EQ(shell::LoadKeptHolidays(program_.holidays_file), "");
    EXPECT_TRUE(calendar::Holidays()->HoldsYear(2027));
    shell::RefreshCalendarPage(program_);  // as the page opened after the start shows it
    EXPECT_TRUE(NewYearMarked());
    EXPECT_FALSE(Marked(2020, 2, 3));
    TestServer not_upgraded(TestServer::kServe, Answer("200 OK", earlier));
    EXPECT_EQ(Update(not_upgraded.Host()), "节假日安排已是最新，收录2007..2027年");
    EXPECT_EQ(kept_box_, "");
    EXPECT_EQ(Kept(), earlier);
}

// A kept table that cannot be taken is said to be refused, with its reason, in the update window and
// the help window; the file stays as it was until a fetched table takes its place, and then it is
// set aside whole beside it.
TEST_F(HolidayUpdateTest, ARefusedKeptTableIsToldAndSetAside) {
    const std::string damaged = PublishedRows() + text::GbkToUtf8("2027-01-01\t休\t元旦\n") +
                                "# end of table: 1 rows, years 2027\n";
    ASSERT_TRUE(platform::ReplaceFileContents(program_.holidays_file, damaged));
    program_.holidays_refused = shell::LoadKeptHolidays(program_.holidays_file);
    EXPECT_EQ(program_.holidays_refused, "第684行：结尾行与表不符，应为“# end of table: 678 rows, years 2007..2027”");
    EXPECT_FALSE(calendar::Holidays()->HoldsYear(2027));

    help::VersionSource source = shell::VersionSourceOf(program_);
    source.network = nullptr;  // no new-version check: only what the window says at once
    HWND help_window = help::CreateHelpDialog(nullptr, source);
    ASSERT_NE(help_window, nullptr);
    const std::string head = Text(help_window, help::kTitleBoxId);
    EXPECT_NE(head.find("保存的节假日表未能读入（" + program_.holidays_refused + "）"), std::string::npos);
    EXPECT_NE(head.find(program_.holidays_file), std::string::npos);
    DestroyWindow(help_window);
    test::Pump();

    TestServer refusing(TestServer::kServe, Answer("404 Not Found", "none"));
    EXPECT_EQ(Update(refusing.Host()), "节假日服务器答复404，节假日安排未变");
    EXPECT_NE(kept_box_.find(program_.holidays_refused), std::string::npos);
    EXPECT_NE(kept_box_.find("日历暂用内置的2007..2026年节假日安排"), std::string::npos);
    EXPECT_EQ(Kept(), damaged);

    const std::string newer = PublishedRows() + text::GbkToUtf8("2027-01-01\t休\t元旦\n") +
                              "# end of table: 678 rows, years 2007..2027\n";
    TestServer server(TestServer::kServe, Answer("200 OK", newer));
    const std::string aside = program_.holidays_file.substr(0, program_.holidays_file.size() - 4) + ".refused.tsv";
    const std::string aside_name = aside.substr(aside.find_last_of('\\') + 1);
    EXPECT_EQ(Update(server.Host()), "节假日安排已更新，收录2007..2027年；未能读入的原表另存为" + aside_name);
    EXPECT_EQ(Kept(), newer);
    std::string set_aside;
    EXPECT_TRUE(platform::ReadWholeFile(aside, set_aside, 1 << 20));
    EXPECT_EQ(set_aside, damaged);
    EXPECT_EQ(program_.holidays_refused, "");  // the kept file is taken now
    EXPECT_TRUE(NewYearMarked());
    DeleteFileW(text::GbkToWide(aside).c_str());
}

TEST_F(HolidayUpdateTest, BadAnswersChangeNothingAndSayWhy) {
    const std::string table = PublishedTable();
    const std::string with2027 = PublishedRows() + text::GbkToUtf8("2027-01-01\t休\t元旦\n") +
                                 "# end of table: 678 rows, years 2007..2027\n";
    // An HTTP/1.0 answer without a length that closes after the line of 2026-06-21 (端午节).
    const std::string cut = "HTTP/1.0 200 OK\r\n\r\n" + with2027.substr(0, with2027.find('\n', with2027.find("2026-06-21\t")) + 1);
    const struct {
        TestServer::Behaviour behaviour;
        std::string answer;
        const char* status;
    } cases[] = {
        {TestServer::kServe, Answer("404 Not Found", "none here"), "节假日服务器答复404，节假日安排未变"},
        {TestServer::kServe, Answer("200 OK", text::GbkToUtf8("2027-01-01\t休\t元旦\n") + "# end of table: 1 rows, years 2027\n"),
         "节假日表缺少已收录的2007..2026年，节假日安排未变"},
        {TestServer::kServe, Answer("200 OK", PublishedRows() + "2027-02-30\tx\ty\n"), "节假日表有误"},
        {TestServer::kServe, "HTTP/1.0 200 OK\r\nContent-Length: 70000\r\n\r\n" + table.substr(0, 20000),
         "没有收到完整的节假日表，节假日安排未变"},
        {TestServer::kServe, cut, "没有收到完整的节假日表（缺少结尾行），节假日安排未变"},
        {TestServer::kCloseEarly, "", "节假日服务器没有答复，节假日安排未变"},
        {TestServer::kFlood, "", "节假日表超过64KB，节假日安排未变"},
    };
    for (const auto& c : cases) {
        TestServer server(c.behaviour, c.answer);
        const std::string status = Update(server.Host());
        EXPECT_EQ(status.rfind(c.status, 0), 0u) << text::GbkToUtf8(status);
        EXPECT_EQ(Kept(), "kept before");
        EXPECT_FALSE(NewYearMarked());
        EXPECT_FALSE(calendar::Holidays()->HoldsYear(2027));
    }
    EXPECT_EQ(Update(TestServer::RefusingHost()).find("无法连接节假日服务器"), 0u);
    EXPECT_EQ(Kept(), "kept before");
}

TEST_F(HolidayUpdateTest, ANewerTableIsKeptInstalledAndShown) {
    const std::string newer = PublishedRows() + text::GbkToUtf8("2027-01-01\t休\t元旦\n2027-02-05\t休\t春节\n") +
                              "# end of table: 679 rows, years 2007..2027\n";
    TestServer server(TestServer::kServe, Answer("200 OK", newer));
    EXPECT_FALSE(NewYearMarked());
    EXPECT_EQ(Update(server.Host()), "节假日安排已更新，收录2007..2027年");
    EXPECT_EQ(server.request(), "GET /holidays/cn.tsv HTTP/1.0\r\nHost: " + server.Host() +
                                    "\r\nUser-Agent: Tempoline/4.2\r\n\r\n");
    EXPECT_EQ(Kept(), newer);
    EXPECT_TRUE(NewYearMarked());
    // The next start reads the kept file.
    calendar::InstallHolidays(calendar::BuiltInHolidays());
    EXPECT_FALSE(calendar::Holidays()->HoldsYear(2027));
    shell::LoadKeptHolidays(program_.holidays_file);
    EXPECT_TRUE(calendar::Holidays()->HoldsYear(2027));
    // The same table again is no news, and the file is not written again.
    ASSERT_TRUE(platform::ReplaceFileContents(program_.holidays_file, newer + "# untouched\n"));
    EXPECT_EQ(Update(server.Host()), "节假日安排已是最新，收录2007..2027年");
    EXPECT_EQ(Kept(), newer + "# untouched\n");
}

// A holiday whose days off begin in the old year: fetched, it marks the last day of the old year
// too, and comes back at the next start. A server that then offers an older table (2007..2026)
// takes no year away: it is refused, and the kept file and the marks stay.
TEST_F(HolidayUpdateTest, AHolidayFromTheOldYearAndThenAnOlderTable) {
    const std::string newer = PublishedRows() + text::GbkToUtf8("2026-12-31\t休\t元旦\n2027-01-01\t休\t元旦\n") +
                              "# end of table: 679 rows, years 2007..2027\n";
    TestServer server(TestServer::kServe, Answer("200 OK", newer));
    EXPECT_FALSE(Marked(2026, 12, 31));
    EXPECT_EQ(Update(server.Host()), "节假日安排已更新，收录2007..2027年");
    EXPECT_TRUE(Marked(2026, 12, 31));
    EXPECT_TRUE(Marked(2027, 1, 3));  // the weekend after it
    EXPECT_FALSE(Marked(2026, 12, 30));
    calendar::InstallHolidays(calendar::BuiltInHolidays());
    shell::LoadKeptHolidays(program_.holidays_file);
    EXPECT_TRUE(Marked(2026, 12, 31));

    TestServer older(TestServer::kServe, Answer("200 OK", PublishedTable()));
    EXPECT_EQ(Update(older.Host()), "节假日表缺少已收录的2027年，节假日安排未变");
    EXPECT_EQ(Kept(), newer);
    EXPECT_TRUE(Marked(2026, 12, 31));
    EXPECT_TRUE(calendar::Holidays()->HoldsYear(2027));
}

// tempoline-web started with a table holding a day of 2027 (tests/windows/holidays-2027.tsv): the
// page shows it after 更新节假日安排, and the help window's check brings nothing newer then.
TEST_F(HolidayUpdateTest, TempolineWebBringsTheNextYear) {
    const std::string host = test::WebHost();
    if (host.empty()) GTEST_SKIP() << "no tempoline-web runs beside the tests";
    EXPECT_FALSE(NewYearMarked());
    EXPECT_EQ(Update(host), "节假日安排已更新，收录2007..2027年");
    EXPECT_TRUE(NewYearMarked());
    EXPECT_NE(Kept().find("2027-01-01\t"), std::string::npos);
    EXPECT_EQ(Update(host), "节假日安排已是最新，收录2007..2027年");
}

TEST(HolidayUpdateWindow, ClosingStopsAStalledFetchAtOnce) {
    const std::unique_ptr<platform::Network> network = platform::MakeSystemNetwork();
    TestServer server(TestServer::kStall);
    HWND window = help::CreateHolidayUpdateWindow(nullptr, {network.get(), server.Host(), ""});
    ASSERT_NE(window, nullptr);
    ASSERT_TRUE(PumpUntil([&] { return server.connections() == 1; }, 10000));
    EXPECT_EQ(Text(window, help::kHolidayStatusId), "正在从" + server.Host() + "下载节假日安排……");
    const DWORD start = GetTickCount();
    DestroyWindow(window);
    EXPECT_LT(GetTickCount() - start, 1000u);
    test::Pump();
}

// The status line holds the longest reasons whole, with the conclusion, at the DPI the tests run at
// (96, 144 and 192): every line of the wrapped text lies within the box, the first shown.
TEST(DpiHolidayUpdate, TheStatusLineHoldsTheWholeReason) {
    HWND window = help::CreateHolidayUpdateWindow(nullptr, {});  // no network: it ends at once
    ASSERT_NE(window, nullptr);
    HWND status = GetDlgItem(window, help::kHolidayStatusId);
    const char* reasons[] = {
        "节假日表有误（第685行：结尾行与表不符，应为“# end of table: 679 rows, years 2007..2027”），节假日安排未变",
        "节假日表有误（第11行：结尾行与表不符（表中有10行，收录1949..1967年中的10年）），节假日安排未变",
        "节假日表有误（第347行：日期不对（应为1949..2200年的YYYY-MM-DD）），节假日安排未变",
        "节假日表有误（第683行：“班”只能在周六或周日（这一天是星期一）），节假日安排未变",
        "节假日表有误（第683行：节日名称中的字符U+1F386在GBK中没有，本程序无法显示），节假日安排未变",
        "节假日安排已更新，收录2007..2027年；未能读入的原表另存为tempoline-holidays-4294967295.refused.tsv",
        "节假日安排已更新，收录1949、2007..2027年（但无法保存，下次启动时仍用原来的安排）",
        "无法连接节假日服务器tempoline-holidays.example.com:65535，节假日安排未变",
    };
    HDC dc = GetDC(status);
    const HGDIOBJ before = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(status, WM_GETFONT, 0, 0)));
    TEXTMETRICW metrics{};
    GetTextMetricsW(dc, &metrics);
    SelectObject(dc, before);
    ReleaseDC(status, dc);
    for (const char* reason : reasons) {
        test::SetText(window, help::kHolidayStatusId, reason);
        test::Pump();
        EXPECT_EQ(Text(window, help::kHolidayStatusId), reason);
        RECT shown{};
        SendMessageW(status, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&shown));
        const LRESULT lines = SendMessageW(status, EM_GETLINECOUNT, 0, 0);
        const int length = GetWindowTextLengthW(status);
        const LRESULT last = SendMessageW(status, EM_POSFROMCHAR, length - 1, 0);
        EXPECT_EQ(SendMessageW(status, EM_GETFIRSTVISIBLELINE, 0, 0), 0) << text::GbkToUtf8(reason);
        EXPECT_LE(lines * metrics.tmHeight, shown.bottom - shown.top)
            << text::GbkToUtf8(reason) << ": " << lines << " lines of " << metrics.tmHeight << " px";
        EXPECT_LE(static_cast<short>(HIWORD(last)) + metrics.tmHeight, shown.bottom) << text::GbkToUtf8(reason);
        EXPECT_LE(static_cast<short>(LOWORD(last)), shown.right) << text::GbkToUtf8(reason);
    }
    DestroyWindow(window);
    test::Pump();
}

}  // namespace

