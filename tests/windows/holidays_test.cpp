// 更新节假日安排 over real sockets: a newer table from the service is installed, kept in its file and
// shown on the page; a bad or partial answer, or no server, changes nothing and says why; closing
// the window stops a stalled fetch at once.
#include <windows.h>

#include <gtest/gtest.h>

#include <fstream>
#include <memory>
#include <sstream>
#include <string>

#include "calendar/holidays.h"
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
            PostMessageW(window, WM_CLOSE, 0, 0);
        }});
        Command(shell::command::kUpdateHolidays);
        return status;
    }
    std::string Kept() const {
        std::string text;
        return platform::ReadWholeFile(program_.holidays_file, text, 1 << 20) ? text : "(none)";
    }
    bool NewYearMarked() const {
        const int cell = views::CellOfDay(2027, 1, DateToDayNumber(2027, 1, 1));
        return !views::ShownCellOf(Window(), cell).holiday_mark.empty();
    }

    std::unique_ptr<platform::Network> network_;
};

TEST_F(HolidayUpdateTest, BadAnswersChangeNothingAndSayWhy) {
    const std::string table = PublishedTable();
    const struct {
        TestServer::Behaviour behaviour;
        std::string answer;
        const char* status;
    } cases[] = {
        {TestServer::kServe, Answer("404 Not Found", "none here"), "节假日服务器答复404，节假日安排未变"},
        {TestServer::kServe, Answer("200 OK", text::GbkToUtf8("2027-01-01\t休\t元旦\n")), "节假日表缺少2007年，节假日安排未变"},
        {TestServer::kServe, Answer("200 OK", table + "2027-02-30\tx\ty\n"), "节假日表有误"},
        {TestServer::kServe, "HTTP/1.0 200 OK\r\nContent-Length: 70000\r\n\r\n" + table.substr(0, 20000),
         "没有收到完整的节假日表，节假日安排未变"},
        {TestServer::kCloseEarly, "", "没有收到完整的节假日表，节假日安排未变"},
        {TestServer::kFlood, "", "没有收到完整的节假日表，节假日安排未变"},
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
    const std::string newer = PublishedTable() + text::GbkToUtf8("2027-01-01\t休\t元旦\n2027-02-05\t休\t春节\n");
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

}  // namespace
