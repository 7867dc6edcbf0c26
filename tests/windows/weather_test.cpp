// The weather viewer and the help window's new-version check over real sockets: against
// tempoline-web (started beside the tests, see tests/CMakeLists.txt) and against small servers of
// this test that refuse, stall, drip a byte a second, flood, close early or serve a given page.
#include <winsock2.h>
#include <ws2tcpip.h>
#include <windows.h>

#include <gtest/gtest.h>

#include <atomic>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "help/help_text.h"
#include "help/help_window.h"
#include "shell/command_ids.h"
#include "shell/program_win32.h"
#include "tests/windows/test_server.h"
#include "tests/windows/test_support.h"
#include "text/encoding.h"
#include "weather/weather_window.h"
#include "weather/weather_worker.h"

namespace {

using test::Pump;
using test::PumpUntil;
using test::Text;

using test::TestServer;

class WeatherTest : public ::testing::Test {
protected:
    void SetUp() override { network_ = platform::MakeSystemNetwork(); }
    void TearDown() override {
        if (viewer_ && IsWindow(viewer_)) DestroyWindow(viewer_);
        Pump();
    }
    HWND OpenOn(const std::string& host, int province = 9, int city = 1) {
        viewer_ = weather::OpenWeatherViewer(nullptr, {network_.get(), host, province, city});
        Pump();
        return viewer_;
    }
    void Query() { SendMessageW(viewer_, WM_COMMAND, MAKEWPARAM(weather::kQueryId, BN_CLICKED), 0); }
    std::string Status() { return Text(viewer_, weather::kStatusId); }
    // The worker has ended and what it posted last is shown.
    bool Finished(DWORD ms) {
        const bool ended = PumpUntil([&] { return weather::WeatherFetchState(viewer_) == weather::kFinished; }, ms);
        Pump();
        return ended;
    }
    std::unique_ptr<platform::Network> network_;
    HWND viewer_ = nullptr;
};

TEST_F(WeatherTest, EveryBadServerGetsItsStatusLineWithinTheTimeOut) {
    const struct {
        const char* what;
        TestServer::Behaviour behaviour;
        const char* status;
    } cases[] = {
        {"closed early", TestServer::kCloseEarly, "  无法接收天气信息！！！"},
        {"flooding 100 MiB", TestServer::kFlood, "  无法接收天气信息！！！"},
        {"a page without the markers", TestServer::kServe, "  无法接收天气信息！！！"},
    };
    for (const auto& c : cases) {
        TestServer server(c.behaviour, "HTTP/1.0 200 OK\r\n\r\n<html>今天没有天气</html>");
        ASSERT_NE(OpenOn(server.Host()), nullptr);
        Query();
        EXPECT_TRUE(Finished(30000)) << c.what;
        EXPECT_EQ(Status(), c.status) << c.what;
        DestroyWindow(viewer_);
    }
    // Nothing listens.
    ASSERT_NE(OpenOn(TestServer::RefusingHost()), nullptr);
    Query();
    EXPECT_TRUE(Finished(30000));
    EXPECT_EQ(Status(), "  网络断开！！！");
}

TEST_F(WeatherTest, TheRequestIsTheAbsoluteFormForThePlace) {
    TestServer server(TestServer::kCloseEarly);
    ASSERT_NE(OpenOn(server.Host(), 1, 1), nullptr);  // 北京 天安门
    Query();
    ASSERT_TRUE(Finished(30000));
    EXPECT_EQ(server.request(), "GET http://" + server.Host() + "/weather/101010100.shtml HTTP/1.0\r\nReferer: http://" +
                                    server.Host() + "/\r\nUser-Agent: nvk HTTP FILE DOWNLOAD\r\n\r\n");
}

TEST_F(WeatherTest, QueryTwiceStartsOneWorkerAndClosingStopsIt) {
    TestServer server(TestServer::kStall);
    ASSERT_NE(OpenOn(server.Host()), nullptr);
    Query();
    Query();
    EXPECT_TRUE(PumpUntil([&] { return Status() == "  正在接收天气信息 ......"; }, 10000));
    // The connection stands once the system has made it, which may be before the server's accept
    // has returned and counted it.
    EXPECT_TRUE(PumpUntil([&] { return server.connections() == 1; }, 5000));
    Query();
    Pump();
    EXPECT_EQ(server.connections(), 1);
    EXPECT_EQ(weather::WeatherFetchState(viewer_), weather::kRunning);
    // 取消 while the page is loading: the worker stops, the window goes, at once.
    const DWORD start = GetTickCount();
    SendMessageW(viewer_, WM_COMMAND, MAKEWPARAM(IDCANCEL, BN_CLICKED), 0);
    Pump();
    EXPECT_FALSE(IsWindow(viewer_));
    EXPECT_LT(GetTickCount() - start, 3000u);
}

TEST_F(WeatherTest, ADrippingServerIsGivenUpAfterTheTimeOut) {
    // The whole exchange keeps to the 60 s time-out, however slowly the bytes come.
    TestServer server(TestServer::kDrip);
    ASSERT_NE(OpenOn(server.Host()), nullptr);
    const DWORD start = GetTickCount();
    Query();
    EXPECT_TRUE(Finished(75000));
    const DWORD took = GetTickCount() - start;
    EXPECT_GE(took, 59000u);
    EXPECT_LT(took, 70000u);
    EXPECT_EQ(Status(), "  无法接收天气信息！！！");
}

// tempoline-web with its demonstration forecast: 上海 市区 gets five days.
TEST_F(WeatherTest, ShanghaiFromTempolineWeb) {
    const std::string host = test::WebHost();
    if (host.empty()) GTEST_SKIP() << "no tempoline-web runs beside the tests";
    int province = 0, city = 0;
    ASSERT_TRUE(places::FindCity("上海", "市区", province, city));
    ASSERT_NE(OpenOn(host, province, city), nullptr);
    Query();
    ASSERT_TRUE(Finished(30000));
    EXPECT_EQ(Status().rfind("  上海市区 ", 0), 0u) << Status();
    EXPECT_NE(Status().find("发布"), std::string::npos);
    for (int r = 0; r < 5; ++r) {
        EXPECT_NE(Text(viewer_, weather::kFirstDateId + r), "") << r;
        EXPECT_NE(Text(viewer_, weather::kFirstCellId + r * 8), "") << r;  // the day's weather
        EXPECT_EQ(Text(viewer_, weather::kFirstCellId + r * 8 + 1).rfind("最高", 0), 0u) << r;
        EXPECT_EQ(Text(viewer_, weather::kFirstCellId + r * 8 + 5).rfind("最低", 0), 0u) << r;
    }
}

TEST(VersionCheck, TheHelpWindowNamesTheVersionTempolineWebOffers) {
    const std::string host = test::WebHost();
    if (host.empty()) GTEST_SKIP() << "no tempoline-web runs beside the tests";
    const std::unique_ptr<platform::Network> network = platform::MakeSystemNetwork();
    const std::string url = "http://" + host + help::DownloadPath;
    HWND dialog = help::CreateHelpDialog(nullptr, {.network = network.get(), .host_port = host, .url = url, .update_holidays = false, .holidays_file = ""});
    ASSERT_NE(dialog, nullptr);
    // tempoline-web offers 4.3 in the tests.
    EXPECT_TRUE(PumpUntil([&] { return Text(dialog, help::kTitleBoxId).find("下载4.3版") != std::string::npos; }, 30000));
    EXPECT_EQ(Text(dialog, help::kTitleBoxId), help::HelpText(0) + "\r\n    下载4.3版→" + url);
    DestroyWindow(dialog);
    Pump();
}

TEST(VersionCheck, PagesNamingVersionsAndNoNetwork) {
    const std::unique_ptr<platform::Network> network = platform::MakeSystemNetwork();
    const struct {
        const char* offered;
        bool line;
    } cases[] = {{"4.2", false}, {"4.3", true}, {"4.2.1", false}, {".5", false}};
    for (const auto& c : cases) {
        const std::string page = text::GbkToUtf8(std::string("<p>橙鹿万年历 ") + c.offered + " 下载</p>");
        TestServer server(TestServer::kServe, "HTTP/1.0 200 OK\r\nContent-Type: text/html\r\n\r\n" + page);
        const std::string url = "http://" + server.Host() + help::DownloadPath;
        HWND dialog = help::CreateHelpDialog(nullptr, {.network = network.get(), .host_port = server.Host(), .url = url, .update_holidays = false, .holidays_file = ""});
        ASSERT_TRUE(PumpUntil([&] { return server.connections() == 1; }, 10000)) << c.offered;
        PumpUntil([] { return false; }, 500);
        const std::string expected = help::HelpText(0) + (c.line ? "\r\n    下载" + std::string(c.offered) + "版→" + url : "");
        EXPECT_EQ(Text(dialog, help::kTitleBoxId), expected) << c.offered;
        DestroyWindow(dialog);
        Pump();
    }
    // Nothing listens: the pages show and nothing else happens; closing does not wait for a time-out.
    HWND dialog = help::CreateHelpDialog(nullptr, {.network = network.get(), .host_port = TestServer::RefusingHost(), .url = "http://x/", .update_holidays = false, .holidays_file = ""});
    PumpUntil([] { return false; }, 500);
    EXPECT_EQ(Text(dialog, help::kTitleBoxId), help::HelpText(0));
    DestroyWindow(dialog);
}

// The program's entries: the menu item, the hotkey, /W, and the "WebHost" value.
class WeatherProgramTest : public test::CalendarTest {};

TEST_F(WeatherProgramTest, TheMenuAndTheHotkeyOpenOneViewerOnTheLocalPlace) {
    const std::unique_ptr<platform::Network> network = platform::MakeSystemNetwork();
    program_.network = network.get();
    program_.settings.place.prov_index = 9;
    program_.settings.place.city_index = 1;
    TestServer server(TestServer::kCloseEarly);
    registry_.SetValue(platform::RegistryRoot::CurrentUser, settings::SettingsKey, settings::WebHostValue, server.Host());
    ASSERT_NE(Open(views::CalendarView::kDay, 2460351), nullptr);
    Command(shell::command::kWeather);
    HWND viewer = program_.weather_viewer;
    ASSERT_NE(viewer, nullptr);
    EXPECT_EQ(test::Selected(GetDlgItem(viewer, weather::kProvinceListId)), places::CityText(9, -1));
    SendMessageW(Window(), WM_HOTKEY, shell::kHotkeyWeather, 0);
    EXPECT_EQ(program_.weather_viewer, viewer);
    SendMessageW(viewer, WM_COMMAND, MAKEWPARAM(weather::kQueryId, BN_CLICKED), 0);
    EXPECT_TRUE(PumpUntil([&] { return server.connections() == 1; }, 10000));  // the service of "WebHost"
    DestroyWindow(viewer);
    Pump();
}

}  // namespace
