// tempoline-web: its pages read back by the viewer's own parser, its sources, and the service
// over HTTP on 127.0.0.1 (httplib's client and raw sockets, as the viewer sends), also against
// clients and sources that hold on.
#include <arpa/inet.h>
#include <fcntl.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <unistd.h>

#include <gtest/gtest.h>
#include <httplib.h>
#include <nlohmann/json.hpp>

#include <atomic>
#include <cctype>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <map>
#include <mutex>
#include <set>
#include <string>
#include <thread>  // std::chrono's durations too (<chrono> itself cannot be read as GBK)
#include <vector>

#include "help/help_text.h"
#include "places/city_table.h"
#include "platform/files.h"
#include "text/encoding.h"
#include "weather/weather_page.h"
#include "web/forecast_file.h"
#include "web/http_server.h"
#include "web/log_writer.h"
#include "web/open_meteo.h"
#include "web/service.h"

namespace {

std::string Gbk(const char8_t* utf8) { return text::Utf8ToGbk(reinterpret_cast<const char*>(utf8)); }
std::string Utf8(const char8_t* utf8) { return reinterpret_cast<const char*>(utf8); }

constexpr std::time_t kMay12 = 1715473800;  // 2024-05-12 08:30 in China, a Sunday
constexpr std::time_t kDec30 = 1735524000;  // 2024-12-30 10:00 in China, a Monday

std::string DemoFile() {
    std::string text;
    EXPECT_TRUE(platform::ReadWholeFile(TEMPO_SOURCE_DIR "/web/demo-forecast.json", text, 1 << 20));
    return text;
}

std::unique_ptr<web::FileSource> DemoSource() {
    std::string why;
    auto source = web::FileSource::FromText(DemoFile(), why);
    EXPECT_TRUE(source) << why;
    return source;
}

// The lines a service logs, from any thread.
struct LogLines {
    std::mutex mutex;
    std::vector<std::string> lines;
    web::Log Sink() {
        return [this](const std::string& line) {
            const std::lock_guard<std::mutex> lock(mutex);
            lines.push_back(line);
        };
    }
    // The lines once there are `count` of them (the server logs a request just after answering it),
    // or after two seconds.
    std::vector<std::string> Taken(std::size_t count = 0) {
        for (int wait = 0; wait < 2000; ++wait) {
            {
                const std::lock_guard<std::mutex> lock(mutex);
                if (lines.size() >= count) return lines;
            }
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        }
        const std::lock_guard<std::mutex> lock(mutex);
        return lines;
    }
};

void ExpectHalfRead(const web::HalfForecast& sent, const weather::Half& read, const std::string& where) {
    EXPECT_TRUE(read.found) << where;
    EXPECT_EQ(read.values, 4) << where;
    EXPECT_EQ(read.weather, sent.weather) << where;
    EXPECT_EQ(read.temperature, sent.temperature) << where;
    EXPECT_EQ(read.wind_direction, sent.wind_direction) << where;
    EXPECT_EQ(read.wind_force, sent.wind_force) << where;
}

// --- pages read back by the viewer ------------------------------------------------------------------

// Every code of the city table gets a page, and the viewer reads back from it exactly what the
// source gave, on a date with two-digit days and on one whose days cross into a new year.
TEST(WebWeatherPage, EveryCodeReadsBackWhatTheSourceGave) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    std::set<std::int32_t> codes;
    for (int p = 1; p <= places::ChineseProvinceCount; ++p)
        for (int c = 1; c <= places::CityCount(p); ++c) codes.insert(places::CityWeatherCode(p, c));
    ASSERT_EQ(web::EveryPlace().size(), codes.size());
    ASSERT_GT(codes.size(), 300u);

    const struct {
        std::time_t now;
        int year, month, day;
        const char8_t* labels[5];
    } dates[] = {{kMay12, 2024, 5, 12, {u8"12日", u8"13日", u8"14日", u8"15日", u8"16日"}},
                 {kDec30, 2024, 12, 30, {u8"30日", u8"31日", u8"1日", u8"2日", u8"3日"}}};
    for (const auto& date : dates) {
        web::Service service(*source, "4.2", [&] { return date.now; }, [](const std::string&) {});
        for (const std::int32_t code : codes) {
            const web::Reply reply = service.Answer("GET", "/weather/" + std::to_string(code) + ".shtml");
            ASSERT_EQ(reply.status, 200) << code;
            const weather::WeatherPage page = weather::ParseWeatherPage(weather::Utf8ToLocal(reply.Text()));
            ASSERT_TRUE(page.ok) << code;
            EXPECT_EQ(page.year, date.year);
            EXPECT_EQ(page.month, date.month);
            EXPECT_EQ(page.day, date.day);
            const web::Forecast& sent = source->ForecastOf(code);
            EXPECT_EQ(page.published, sent.published) << code;
            for (int k = 0; k < 5; ++k) {
                EXPECT_EQ(page.days[k].date_label, Gbk(date.labels[k])) << code;
                ExpectHalfRead(sent.days[k].day, page.days[k].day, std::to_string(code) + " day " + std::to_string(k));
                ExpectHalfRead(sent.days[k].night, page.days[k].night, std::to_string(code) + " night " + std::to_string(k));
            }
        }
    }
}

TEST(WebWeatherPage, ChinaDatesAndWeekdays) {
    const struct {
        std::time_t moment;
        int year, month, day, hour, minute;
    } cases[] = {{0, 1970, 1, 1, 8, 0},
                 {-60, 1970, 1, 1, 7, 59},
                 {kMay12, 2024, 5, 12, 8, 30},
                 {1735660740, 2024, 12, 31, 23, 59},
                 {1735660800, 2025, 1, 1, 0, 0}};
    for (const auto& c : cases) {
        const web::ChinaTime t = web::ChinaTimeAt(c.moment);
        EXPECT_EQ(t.date.year, c.year) << c.moment;
        EXPECT_EQ(t.date.month, c.month) << c.moment;
        EXPECT_EQ(t.date.day, c.day) << c.moment;
        EXPECT_EQ(t.hour, c.hour) << c.moment;
        EXPECT_EQ(t.minute, c.minute) << c.moment;
    }
    EXPECT_EQ(web::WeekdayName({2024, 5, 12}), Gbk(u8"星期日"));
    EXPECT_EQ(web::WeekdayName({2024, 12, 30}), Gbk(u8"星期一"));
    EXPECT_EQ(web::WeekdayName({2025, 1, 1}), Gbk(u8"星期三"));
}

// --- the forecast file ------------------------------------------------------------------------------

// A half of the file (UTF-8, as the file is written).
std::string HalfJson(const char8_t* weather, int temperature, const char8_t* direction = u8"北风",
                     const char8_t* force = u8"3级") {
    return "{\"weather\": \"" + Utf8(weather) + "\", \"temperature\": " + std::to_string(temperature) +
           ", \"wind_direction\": \"" + Utf8(direction) + "\", \"wind_force\": \"" + Utf8(force) + "\"}";
}

std::string DaysJson(const std::string& first_day, int count = 5) {
    std::string days = "[";
    for (int k = 0; k < count; ++k) {
        if (k > 0) days += ", ";
        days += "{\"day\": " + (k == 0 ? first_day : HalfJson(u8"晴", 20 + k)) + ", \"night\": " + HalfJson(u8"多云", k) + "}";
    }
    return days + "]";
}

TEST(WebForecastFile, TakesACommonForecastAndPlacesOfTheirOwn) {
    const std::string file = "{\"published\": \"08:00\", \"days\": " + DaysJson(HalfJson(u8"小雨", -3, u8"东北风", u8"4级")) +
                             ", \"places\": {\"101020100\": {\"published\": \"11:00\", \"days\": " +
                             DaysJson(HalfJson(u8"雷阵雨", 31, u8"南风", u8"2级")) + "}}}";
    std::string why;
    const auto source = web::FileSource::FromText(file, why);
    ASSERT_TRUE(source) << why;
    const web::Forecast& common = source->ForecastOf(101010100);
    EXPECT_EQ(common.published, "08:00");
    EXPECT_EQ(common.days[0].day, (web::HalfForecast{Gbk(u8"小雨"), -3, Gbk(u8"东北风"), Gbk(u8"4级")}));
    EXPECT_EQ(common.days[4].day, (web::HalfForecast{Gbk(u8"晴"), 24, Gbk(u8"北风"), Gbk(u8"3级")}));
    EXPECT_EQ(common.days[3].night, (web::HalfForecast{Gbk(u8"多云"), 3, Gbk(u8"北风"), Gbk(u8"3级")}));
    const web::Forecast& shanghai = source->ForecastOf(101020100);
    EXPECT_EQ(shanghai.published, "11:00");
    EXPECT_EQ(shanghai.days[0].day.weather, Gbk(u8"雷阵雨"));
    EXPECT_EQ(source->Credit(), Gbk(u8"演示数据"));
}

TEST(WebForecastFile, RefusesWhatTheViewerCouldNotReadBack) {
    const std::string good_day = HalfJson(u8"晴", 20);
    std::string misspelt = good_day;
    misspelt.replace(misspelt.find("temperature"), 11, "temprature");
    const auto file = [](const std::string& first_day, const std::string& rest = "") {
        return "{\"published\": \"08:00\", \"days\": " + DaysJson(first_day) + rest + "}";
    };
    const auto own = [&](const std::string& code) {
        return ", \"places\": {\"" + code + "\": {\"days\": " + DaysJson(good_day) + "}}";
    };
    const struct {
        std::string file;
        const char* why;  // a piece of the reason
    } cases[] = {
        {"", "not JSON"},
        {"{\"published\": \"08:00\", \"days\": " + DaysJson(good_day, 4) + "}", "five days"},
        {file(good_day, ", \"credits\": \"x\""), "unknown key \"credits\""},
        {file(misspelt), "has no \"temperature\""},
        {file(HalfJson(u8"雷阵雨伴有冰雹", 20)), "longer than 12 bytes"},
        {file(HalfJson(u8"晴", 100)), "-99..99"},
        {file(HalfJson(u8"<b>晴", 20)), "markup"},
        {file(HalfJson(u8"晴", 20, u8"北风\\r\\n")), "line end"},
        {file(HalfJson(u8"晴", 20, u8"北风", u8"")), "empty"},
        {file(HalfJson(u8"ก", 20)), "GBK"},
        {"{\"published\": \"8 o'clock sharp\", \"days\": " + DaysJson(good_day) + "}", "publication time"},
        {file(good_day, own("999")), "not the weather code"},
        {file(good_day, own("0")), "not the weather code"},
    };
    for (const auto& c : cases) {
        std::string why;
        EXPECT_FALSE(web::FileSource::FromText(c.file, why)) << c.file;
        EXPECT_NE(why.find(c.why), std::string::npos) << why;
    }
    std::string why;
    EXPECT_FALSE(web::FileSource::FromFile(TEMPO_SOURCE_DIR "/web/no-such-file.json", why));
    EXPECT_NE(why.find("cannot be read"), std::string::npos) << why;
}

// --- Open-Meteo ---------------------------------------------------------------------------------------

TEST(WebOpenMeteo, WordsDirectionsAndForces) {
    const struct {
        int code;
        const char8_t* word;
    } words[] = {{0, u8"晴"},   {2, u8"多云"}, {3, u8"阴"},     {45, u8"雾"},   {53, u8"小雨"},       {57, u8"冻雨"},
                 {63, u8"中雨"}, {65, u8"大雨"}, {75, u8"大雪"},   {81, u8"阵雨"}, {82, u8"暴雨"},       {86, u8"阵雪"},
                 {95, u8"雷阵雨"}, {99, u8"雷阵雨冰雹"}, {4, u8"未知"}, {-1, u8"未知"}};
    for (const auto& w : words) EXPECT_EQ(web::WeatherWordOfCode(w.code), Gbk(w.word)) << w.code;
    const struct {
        double degrees;
        const char8_t* word;
    } directions[] = {{0, u8"北风"},     {22.4, u8"北风"},   {22.5, u8"东北风"}, {90, u8"东风"},  {135, u8"东南风"},
                      {180, u8"南风"},   {225, u8"西南风"}, {270, u8"西风"},     {337.4, u8"西北风"}, {337.5, u8"北风"},
                      {-45, u8"西北风"}, {720, u8"北风"}};
    for (const auto& d : directions) EXPECT_EQ(web::WindDirectionWord(d.degrees), Gbk(d.word)) << d.degrees;
    const struct {
        double speed;
        int force;
    } forces[] = {{0, 0},     {0.2, 0},    {0.3, 1},    {1.5, 1},    {1.55, 2},    {1.6, 2},     {5.4, 3},
                  {5.5, 4},   {10.7, 5},   {10.8, 6},   {32.6, 11},  {32.7, 12},   {56.0, 16},   {56.1, 17},
                  {500, 17},  {-5, 0},     {NAN, 0}};
    for (const auto& f : forces) EXPECT_EQ(web::WindForceOf(f.speed), f.force) << f.speed;
}

// An hourly answer for 2024-05-12..17 (China time). Everywhere 晴 (code 1), 15 °C, an east wind of
// 4 m/s (force 3); then: rain at 14:00 on the 12th, overcast at 22:00; day k's high 20.4 + k at
// 15:00, night k's low -2.6 - k at 03:00 of the next day; night 1 winds from north and south in
// turn (they cancel out); a gust of 11 m/s from the south-west at 10:00 on the 14th (force 6).
// `missing` names a series whose values are null at the night of the 15th ("*" for every hour),
// or is empty.
std::string HourlyAnswer(const std::string& missing = "", bool everywhere = false) {
    nlohmann::json time = nlohmann::json::array(), code = nlohmann::json::array(), temperature = nlohmann::json::array(),
                   speed = nlohmann::json::array(), direction = nlohmann::json::array();
    for (int d = 0; d < 6; ++d) {
        for (int h = 0; h < 24; ++h) {
            char stamp[32];
            std::snprintf(stamp, sizeof stamp, "2024-05-%02dT%02d:00", 12 + d, h);
            time.push_back(stamp);
            const bool night_one = (d == 1 && h >= 20) || (d == 2 && h < 8);
            const bool gone = everywhere || (d == 3 && h >= 20) || (d == 4 && h < 8);
            const auto value = [&](const char* series, double v) {
                return gone && missing == series ? nlohmann::json(nullptr) : nlohmann::json(v);
            };
            code.push_back(value("weather_code", d == 0 && h == 14 ? 61 : d == 0 && h == 22 ? 3 : 1));
            temperature.push_back(value("temperature_2m", h == 15 ? 20.4 + d : h == 3 && d > 0 ? -2.6 - (d - 1) : 15.0));
            speed.push_back(value("wind_speed_10m", d == 2 && h == 10 ? 11.0 : 4.0));
            direction.push_back(night_one ? (h % 2 ? 0.0 : 180.0) : d == 2 && h == 10 ? 225.0 : 90.0);
        }
    }
    nlohmann::json answer = {{"latitude", 39.875}, {"longitude", 116.375}, {"utc_offset_seconds", 28800},
                             {"timezone", "Asia/Shanghai"},
                             {"hourly", {{"time", time}, {"weather_code", code}, {"temperature_2m", temperature},
                                         {"wind_speed_10m", speed}, {"wind_direction_10m", direction}}}};
    return answer.dump();
}

web::Forecast HourlyForecast() {
    const auto half = [](const char8_t* weather, int t, const char8_t* direction, const char8_t* force) {
        return web::HalfForecast{Gbk(weather), t, Gbk(direction), Gbk(force)};
    };
    web::Forecast f;
    f.days[0] = {half(u8"小雨", 20, u8"东风", u8"3级"), half(u8"阴", -3, u8"东风", u8"3级")};
    f.days[1] = {half(u8"晴", 21, u8"东风", u8"3级"), half(u8"晴", -4, u8"无持续风向", u8"3级")};
    f.days[2] = {half(u8"晴", 22, u8"东风", u8"6级"), half(u8"晴", -5, u8"东风", u8"3级")};
    f.days[3] = {half(u8"晴", 23, u8"东风", u8"3级"), half(u8"晴", -6, u8"东风", u8"3级")};
    f.days[4] = {half(u8"晴", 24, u8"东风", u8"3级"), half(u8"晴", -7, u8"东风", u8"3级")};
    return f;
}

TEST(WebOpenMeteo, ReadsTheHalvesOfEachDay) {
    const web::SourceAnswer answer = web::ForecastFromOpenMeteo(HourlyAnswer(), {2024, 5, 12});
    ASSERT_TRUE(answer.ok) << answer.failure;
    const web::Forecast expected = HourlyForecast();
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(answer.forecast.days[k].day, expected.days[k].day) << k;
        EXPECT_EQ(answer.forecast.days[k].night, expected.days[k].night) << k;
    }
    const struct {
        std::string json;
        const char* why;
    } refused[] = {// A half without any value of a series is no forecast (the wind is not 0级, nor the
                   // temperature 0 °C); it is refused, and the page answered 502.
                   {HourlyAnswer("weather_code"), "no values for 2024-05-15 night"},
                   {HourlyAnswer("temperature_2m"), "no values for 2024-05-15 night"},
                   {HourlyAnswer("wind_speed_10m"), "no values for 2024-05-15 night"},
                   {HourlyAnswer("wind_speed_10m", true), "no values for 2024-05-12 daytime"},
                   {"{\"hourly\": 5}", "no hourly times"},
                   {"<html>busy</html>", "not JSON"},
                   {std::string(100000, '['), "not JSON"}};
    for (const auto& r : refused) {
        const web::SourceAnswer a = web::ForecastFromOpenMeteo(r.json, {2024, 5, 12});
        EXPECT_FALSE(a.ok);
        EXPECT_NE(a.failure.find(r.why), std::string::npos) << a.failure;
    }
    // The days are those from the date asked for: from the 13th, the second day comes first; from
    // the 14th, the answer has no hour of the fifth day (the 18th).
    const web::SourceAnswer later = web::ForecastFromOpenMeteo(HourlyAnswer(), {2024, 5, 13});
    ASSERT_TRUE(later.ok);
    EXPECT_EQ(later.forecast.days[0], expected.days[1]);
    EXPECT_EQ(later.forecast.days[3], expected.days[4]);
    EXPECT_FALSE(web::ForecastFromOpenMeteo(HourlyAnswer(), {2024, 5, 14}).ok);
}

// A stand-in for Open-Meteo on 127.0.0.1, counting what it is asked.
struct FakeOpenMeteo {
    httplib::Server server;
    std::thread thread;
    int port = 0;
    std::atomic<int> asked{0};
    std::atomic<int> mode{0};  // 0 the hourly answer, 1 status 500, 2 an endless answer, 3 no wind values
    std::mutex mutex;
    std::string last_target;

    FakeOpenMeteo() {
        server.Get("/v1/forecast", [this](const httplib::Request& request, httplib::Response& response) {
            ++asked;
            {
                const std::lock_guard<std::mutex> lock(mutex);
                last_target = request.target;
            }
            if (mode == 1) {
                response.status = 500;
            } else if (mode == 2) {
                response.set_content(std::string(3 << 20, ' '), "application/json");
            } else if (mode == 3) {
                response.set_content(HourlyAnswer("wind_speed_10m", true), "application/json");
            } else {
                response.set_content(HourlyAnswer(), "application/json");
            }
        });
        port = server.bind_to_any_port("127.0.0.1");
        thread = std::thread([this] { server.listen_after_bind(); });
        for (int i = 0; i < 5000 && !server.is_running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(server.is_running()) << "the stand-in for Open-Meteo did not start within 5 s";
    }
    ~FakeOpenMeteo() {
        server.stop();
        thread.join();
    }
};

web::Place Beijing() {
    web::Place place;
    EXPECT_TRUE(web::FindPlace("101010100", place));
    return place;
}

TEST(WebOpenMeteo, AsksByCoordinatesAndKeepsTheAnswerHalfAnHour) {
    FakeOpenMeteo fake;
    web::OpenMeteoSource source({"127.0.0.1", fake.port, 30, 5000});
    const web::Place beijing = Beijing();
    EXPECT_EQ(beijing.east_longitude, 116.38);
    EXPECT_EQ(beijing.latitude, 39.90);

    web::SourceAnswer a = source.ForecastFor(beijing, kMay12);
    ASSERT_TRUE(a.ok) << a.failure;
    EXPECT_EQ(fake.asked.load(), 1);
    EXPECT_EQ(fake.last_target,
              "/v1/forecast?latitude=39.90&longitude=116.38&hourly=weather_code,temperature_2m,wind_speed_10m,"
              "wind_direction_10m&wind_speed_unit=ms&timezone=Asia%2FShanghai&start_date=2024-05-12&end_date=2024-05-17");
    web::Forecast expected = HourlyForecast();
    expected.published = "08:30";
    EXPECT_EQ(a.forecast, expected);

    a = source.ForecastFor(beijing, kMay12 + 29 * 60);  // kept
    EXPECT_EQ(fake.asked.load(), 1);
    EXPECT_EQ(a.forecast.published, "08:30");
    a = source.ForecastFor(beijing, kMay12 + 31 * 60);  // asked again
    EXPECT_EQ(fake.asked.load(), 2);
    EXPECT_EQ(a.forecast.published, "09:01");

    // Another place is asked for by its own coordinates; 彭水 has none in the table and is asked
    // for at the first place of 重庆.
    web::Place pengshui;
    ASSERT_TRUE(web::FindPlace(std::to_string(places::CityWeatherCode(4, 31)), pengshui));
    EXPECT_EQ(pengshui.city_name, Gbk(u8"彭水"));
    EXPECT_EQ(pengshui.east_longitude, -places::CityLongitude(4, 1));
    EXPECT_EQ(pengshui.latitude, places::CityLatitude(4, 1));

    // Failures are answered in-band, and not kept.
    web::OpenMeteoSource fresh({"127.0.0.1", fake.port, 30, 5000});
    fake.mode = 1;
    a = fresh.ForecastFor(beijing, kMay12);
    EXPECT_FALSE(a.ok);
    EXPECT_NE(a.failure.find("answered status 500"), std::string::npos) << a.failure;
    fake.mode = 2;
    a = fresh.ForecastFor(beijing, kMay12);
    EXPECT_FALSE(a.ok);
    EXPECT_NE(a.failure.find("more than 2 MiB"), std::string::npos) << a.failure;
    // An answer without wind: the viewer's page is refused with 502, not filled with 0级.
    fake.mode = 3;
    web::Service service(fresh, "4.2", [] { return kMay12; }, [](const std::string&) {});
    const web::Reply windless = service.Answer("GET", "/weather/101010100.shtml");
    EXPECT_EQ(windless.status, 502);
    EXPECT_NE(windless.problem.find("no values for 2024-05-12 daytime"), std::string::npos) << windless.problem;
    EXPECT_EQ(windless.Text().find(Utf8(u8"级")), std::string::npos);
}

// A port on 127.0.0.1 that nothing listens on (bound, then let go).
int ClosedPort() {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t size = sizeof address;
    getsockname(fd, reinterpret_cast<sockaddr*>(&address), &size);
    close(fd);
    return ntohs(address.sin_port);
}

// --- the service over HTTP ----------------------------------------------------------------------------

// The service on 127.0.0.1 and a free port, answering on its own thread while the test runs.
struct RunningService {
    LogLines log;
    web::Service service;
    web::HttpServer server;
    std::thread thread;
    int port = 0;

    RunningService(web::ForecastSource& source, const std::string& version, web::ServerLimits limits = {})
        : service(source, version, [] { return kMay12; }, log.Sink()),
          server(service, [] { return kMay12; }, log.Sink(), limits) {
        port = server.Bind("127.0.0.1", 0);
        EXPECT_GT(port, 0);
        thread = std::thread([this] { server.Run(); });
        for (int i = 0; i < 5000 && !server.Running(); ++i) std::this_thread::sleep_for(std::chrono::milliseconds(1));
        EXPECT_TRUE(server.Running()) << "the service did not start within 5 s";
    }
    ~RunningService() {
        server.Stop();
        thread.join();
    }
    std::string Host() const { return "127.0.0.1:" + std::to_string(port); }
};

// What a raw connection receives for `request`, until the service closes it or 10 s have passed
// (however slowly it comes).
std::string Exchange(int port, const std::string& request) {
    const int fd = socket(AF_INET, SOCK_STREAM, 0);
    timeval wait{5, 0};
    setsockopt(fd, SOL_SOCKET, SO_RCVTIMEO, &wait, sizeof wait);
    setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &wait, sizeof wait);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    std::string answer;
    if (connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0 &&
        send(fd, request.data(), request.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(request.size())) {
        const auto give_up = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        for (;;) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(give_up - std::chrono::steady_clock::now());
            pollfd p{fd, POLLIN, 0};
            if (left.count() <= 0 || poll(&p, 1, static_cast<int>(left.count())) <= 0) {
                ADD_FAILURE() << "no end of the answer within 10 s";
                break;
            }
            char piece[4096];
            const ssize_t n = recv(fd, piece, sizeof piece, 0);
            if (n <= 0) break;
            answer.append(piece, static_cast<std::size_t>(n));
        }
    }
    close(fd);
    return answer;
}

TEST(WebService, AnswersTheViewerInBothFormsOfTheTarget) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    RunningService running(*source, "4.2");
    const web::Forecast& harbin = source->ForecastOf(101050101);

    // The viewer's own request, absolute form over HTTP/1.0; it reads the whole answer, headers too.
    const std::string answer = Exchange(running.port, weather::RequestText(running.Host(), 101050101));
    EXPECT_EQ(answer.substr(0, 15), "HTTP/1.1 200 OK");
    EXPECT_NE(answer.find("Content-Type: text/html; charset=utf-8\r\n"), std::string::npos);
    const weather::WeatherPage page = weather::ParseWeatherPage(weather::Utf8ToLocal(answer));
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.published, "07:30");
    ExpectHalfRead(harbin.days[0].night, page.days[0].night, "Harbin");
    EXPECT_EQ(weather::FormatCells(page)[5], Gbk(u8"最低-19℃"));

    // The path form, raw and through httplib's client; the absolute form through the client too.
    const std::string path_form = Exchange(running.port, "GET /weather/101050101.shtml HTTP/1.0\r\n\r\n");
    EXPECT_EQ(path_form.substr(path_form.find("\r\n\r\n")), answer.substr(answer.find("\r\n\r\n")));
    httplib::Client client("127.0.0.1", running.port);
    for (const std::string& target : std::vector<std::string>{"/weather/101050101.shtml",
                                                               "http://" + running.Host() + "/weather/101050101.shtml",
                                                               "HTTP://elsewhere/weather/101050101.shtml?x=1"}) {
        const httplib::Result result = client.Get(target);
        ASSERT_TRUE(result) << target;
        EXPECT_EQ(result->status, 200) << target;
        EXPECT_EQ(result->get_header_value("Content-Type"), "text/html; charset=utf-8");
        EXPECT_EQ(result->body, answer.substr(answer.find("\r\n\r\n") + 4)) << target;
    }
    const struct {
        std::string target;
        int status;
    } others[] = {{"/weather/1.shtml", 404},          {"/weather/0101050101.shtml", 404}, {"/weather/.shtml", 404},
                  {"/weather/101050101.html", 404},   {"http://h/nothing", 404},          {"/help/778.php", 200},
                  {"/", 200}};
    for (const auto& o : others) {
        const httplib::Result result = client.Get(o.target);
        ASSERT_TRUE(result) << o.target;
        EXPECT_EQ(result->status, o.status) << o.target;
    }
    const httplib::Result posted = client.Post("/weather/101050101.shtml", "x", "text/plain");
    ASSERT_TRUE(posted);
    EXPECT_EQ(posted->status, 405);
    // One line per request: the raw two, three forms, seven others, the post.
    EXPECT_EQ(running.log.Taken(13).size(), 13u);
    EXPECT_NE(running.log.Taken()[0].find("\"GET http://" + running.Host() + "/weather/101050101.shtml HTTP/1.0\" 200"),
              std::string::npos)
        << running.log.Taken()[0];
}

TEST(WebService, TheDownloadPageOffersItsVersionToTheHelpWindow) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    const std::string url = help::DownloadUrl;
    const struct {
        const char* offered;
        std::string line;
    } cases[] = {{"4.2", ""},
                 {"4.3", Gbk(u8"    下载4.3版→") + url},
                 {"4.2.1", ""},
                 {".5", ""},
                 {"10.0", Gbk(u8"    下载10.0版→") + url}};
    for (const auto& c : cases) {
        RunningService running(*source, c.offered);
        httplib::Client client("127.0.0.1", running.port);
        for (const char* path : {"/download/tempoline.html", "/download/index.html"}) {
            const httplib::Result result = client.Get(path);
            ASSERT_TRUE(result);
            EXPECT_EQ(result->status, 200);
            EXPECT_EQ(help::NewVersionLine(weather::Utf8ToLocal(result->body), help::VersionText(), url), c.line)
                << c.offered;
        }
    }
}

TEST(WebService, ASourceThatCannotBeReachedGives502AndALogLine) {
    web::OpenMeteoSource down({"127.0.0.1", ClosedPort(), 30, 2000});
    RunningService running(down, "4.2");
    httplib::Client client("127.0.0.1", running.port);
    const httplib::Result result = client.Get("/weather/101010100.shtml");
    ASSERT_TRUE(result);
    EXPECT_EQ(result->status, 502);
    EXPECT_FALSE(weather::ParseWeatherPage(weather::Utf8ToLocal(result->body)).ok);
    const std::vector<std::string> lines = running.log.Taken(2);
    ASSERT_EQ(lines.size(), 2u);
    EXPECT_NE(lines[0].find("forecast for 101010100"), std::string::npos) << lines[0];
    EXPECT_NE(lines[0].find("cannot be reached (Connection refused)"), std::string::npos) << lines[0];
    EXPECT_NE(lines[1].find("502"), std::string::npos) << lines[1];
    for (const std::string& line : lines) EXPECT_NE(line.find(" 127.0.0.1:"), std::string::npos) << line;
}

TEST(WebService, TargetsAndOptions) {
    const struct {
        const char* target;
        const char* path;
    } targets[] = {{"/a/b?c#d", "/a/b"}, {"http://h/x", "/x"}, {"HTTP://h:80/x?y", "/x"}, {"http://h", "/"},
                   {"http://h?x", "/"},  {"http:///x", ""},    {"ftp://h/x", ""},        {"*", ""},
                   {"", ""}};
    for (const auto& t : targets) EXPECT_EQ(web::PathOfTarget(t.target), t.path) << t.target;

    web::Options o;
    EXPECT_EQ(o.max_connections, 1024);
    EXPECT_EQ(web::ParseOptions({"--address", "127.0.0.1", "--port=0", "--source", "file:demo.json", "--cache-minutes",
                                 "5", "--version-offered=4.3", "--max-connections", "64"},
                                o),
              "");
    EXPECT_EQ(o.max_connections, 64);
    EXPECT_EQ(o.address, "127.0.0.1");
    EXPECT_EQ(o.port, 0);
    EXPECT_EQ(o.source, "file:demo.json");
    EXPECT_EQ(o.cache_minutes, 5);
    EXPECT_EQ(o.version_offered, "4.3");
    for (const std::vector<std::string>& bad :
         std::vector<std::vector<std::string>>{{"--port", "65536"}, {"--port", "80x"}, {"--port"}, {"--source", "ftp"},
                                               {"--source", "file:"}, {"--cache-minutes", "-1"},
                                               {"--version-offered", "v4"}, {"--max-connections", "8"},
                                               {"--verbose"}}) {
        web::Options ignored;
        EXPECT_NE(web::ParseOptions(bad, ignored), "") << bad[0];
    }
    std::string why;
    o.source = "api:127.0.0.1:99999";
    EXPECT_FALSE(web::MakeSource(o, why));
    o.source = "file:" TEMPO_SOURCE_DIR "/web/demo-forecast.json";
    EXPECT_TRUE(web::MakeSource(o, why)) << why;
}

// --- clients and sources that hold on -----------------------------------------------------------------

using Steady = std::chrono::steady_clock;

long long MsSince(Steady::time_point start) {
    return std::chrono::duration_cast<std::chrono::milliseconds>(Steady::now() - start).count();
}

sockaddr_in Loopback(int port) {
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<std::uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

struct Answer {
    int status = 0;
    std::map<std::string, std::string> fields;  // names in lower case
    std::string body;
};

// The answers whose whole length has come, from the start of `bytes`; `heads` marks the answers
// to HEAD requests, which have no body.
std::vector<Answer> SplitAnswers(const std::string& bytes, const std::vector<bool>& heads = {}) {
    std::vector<Answer> answers;
    std::size_t at = 0;
    for (;;) {
        const std::size_t end = bytes.find("\r\n\r\n", at);
        if (end == std::string::npos || bytes.compare(at, 5, "HTTP/") != 0) return answers;
        Answer a;
        a.status = std::atoi(bytes.substr(at + 9, 3).c_str());
        std::size_t line = bytes.find("\r\n", at) + 2;
        while (line < end) {
            const std::size_t next = bytes.find("\r\n", line), colon = bytes.find(':', line);
            std::string name = bytes.substr(line, colon - line);
            for (char& c : name) c = static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
            a.fields[name] = bytes.substr(colon + 2, next - colon - 2);
            line = next + 2;
        }
        const bool head = answers.size() < heads.size() && heads[answers.size()];
        const std::size_t length = head ? 0 : std::stoul(a.fields.count("content-length") ? a.fields["content-length"] : "0");
        if (bytes.size() < end + 4 + length) return answers;
        a.body = bytes.substr(end + 4, length);
        answers.push_back(a);
        at = end + 4 + length;
    }
}

// A raw client connection to the service on 127.0.0.1.
class Peer {
public:
    explicit Peer(int port) : fd_(socket(AF_INET, SOCK_STREAM, 0)) {
        const sockaddr_in address = Loopback(port);
        connected_ = connect(fd_, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0;
    }
    ~Peer() { close(fd_); }
    Peer(const Peer&) = delete;
    Peer& operator=(const Peer&) = delete;

    bool connected() const { return connected_; }
    bool Send(const std::string& bytes) {
        return send(fd_, bytes.data(), bytes.size(), MSG_NOSIGNAL) == static_cast<ssize_t>(bytes.size());
    }
    // Reads for at most `ms`, until the service closes the connection or `enough` says so; all
    // that came so far.
    const std::string& Receive(int ms, const std::function<bool(const std::string&)>& enough = nullptr) {
        const Steady::time_point start = Steady::now();
        while (!closed_ && !(enough && enough(received_))) {
            const long long left = ms - MsSince(start);
            pollfd p{fd_, POLLIN, 0};
            if (poll(&p, 1, static_cast<int>(left > 0 ? left : 0)) <= 0) break;
            char piece[65536];
            const ssize_t n = recv(fd_, piece, sizeof piece, 0);
            if (n <= 0)
                closed_ = true;  // closed, or reset
            else
                received_.append(piece, static_cast<std::size_t>(n));
        }
        return received_;
    }
    // The service closed the connection (looked at without waiting).
    bool Closed() {
        Receive(0);
        return closed_;
    }

private:
    int fd_;
    bool connected_ = false, closed_ = false;
    std::string received_;
};

int StatusOf(const std::string& answer) {
    return answer.compare(0, 9, "HTTP/1.1 ") == 0 ? std::atoi(answer.substr(9, 3).c_str()) : 0;
}

std::string Get(const std::string& path) { return "GET " + path + " HTTP/1.0\r\n\r\n"; }

// A source that takes its time and then answers with the demonstration forecast, or fails; it
// counts the questions of each place.
class SlowSource : public web::ForecastSource {
public:
    SlowSource(int delay_ms, bool fails) : demo_(DemoSource()), delay_ms_(delay_ms), fails_(fails) {}
    web::SourceAnswer ForecastFor(const web::Place& place, std::time_t now) override {
        {
            const std::lock_guard<std::mutex> lock(mutex_);
            ++asked_[place.code];
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(delay_ms_));
        if (fails_) return {false, {}, "the stand-in fails"};
        return demo_->ForecastFor(place, now);
    }
    std::string Credit() const override { return "stand-in"; }
    int Asked(std::int32_t code) {
        const std::lock_guard<std::mutex> lock(mutex_);
        return asked_[code];
    }

private:
    std::unique_ptr<web::FileSource> demo_;
    const int delay_ms_;
    const bool fails_;
    std::mutex mutex_;
    std::map<std::int32_t, int> asked_;
};

// A stand-in for Open-Meteo that answers every connection with `opening` and then a blank every
// 100 ms or so, never finishing; after three seconds (or when it goes) it lets everything go.
struct DrippingServer {
    int listener = socket(AF_INET, SOCK_STREAM, 0);
    int port = 0;
    std::atomic<bool> stop{false};
    std::thread thread;

    explicit DrippingServer(const std::string& opening) {
        sockaddr_in address = Loopback(0);
        bind(listener, reinterpret_cast<sockaddr*>(&address), sizeof address);
        listen(listener, 64);
        socklen_t size = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &size);
        port = ntohs(address.sin_port);
        thread = std::thread([this, opening] {
            std::vector<int> clients;
            const Steady::time_point start = Steady::now();
            while (!stop && MsSince(start) < 3000) {
                pollfd p{listener, POLLIN, 0};
                if (poll(&p, 1, 100) > 0) {
                    const int client = accept(listener, nullptr, nullptr);
                    if (client >= 0 && send(client, opening.data(), opening.size(), MSG_NOSIGNAL) >= 0)
                        clients.push_back(client);
                }
                for (const int client : clients) send(client, " ", 1, MSG_NOSIGNAL);
            }
            for (const int client : clients) close(client);
        });
    }
    ~DrippingServer() {
        stop = true;
        thread.join();
        close(listener);
    }
};

const std::string kDripInHeader = "HTTP/1.1 200 OK\r\nX-Drip: ";
const std::string kDripInBody = "HTTP/1.1 200 OK\r\nContent-Type: application/json\r\nContent-Length: 100000\r\n\r\n{";

TEST(WebOpenMeteo, AQuestionEndsAtItsDeadlineHoweverTheSourceDrips) {
    for (const std::string& opening : {kDripInHeader, kDripInBody}) {
        DrippingServer drip(opening);
        web::OpenMeteoSource source({"127.0.0.1", drip.port, 30, 600});
        const Steady::time_point start = Steady::now();
        const web::SourceAnswer answer = source.ForecastFor(Beijing(), kMay12);
        const long long took = MsSince(start);
        EXPECT_FALSE(answer.ok);
        EXPECT_NE(answer.failure.find("gave no whole answer within 600 ms"), std::string::npos) << answer.failure;
        EXPECT_GE(took, 550) << opening;
        EXPECT_LT(took, 1500) << opening;  // the server lets go after 3 s
    }
}

// An answer whose length is over 2 MiB is refused from its header, also when the body comes in
// the same read.
TEST(WebOpenMeteo, AnAnswerOverTheLimitIsRefusedFromItsHeader) {
    DrippingServer large("HTTP/1.1 200 OK\r\nContent-Length: 3145728\r\n\r\n" + std::string(3 << 20, ' '));
    web::OpenMeteoSource source({"127.0.0.1", large.port, 30, 2000});
    const web::SourceAnswer answer = source.ForecastFor(Beijing(), kMay12);
    EXPECT_FALSE(answer.ok);
    EXPECT_NE(answer.failure.find("answered more than 2 MiB"), std::string::npos) << answer.failure;
}

// Many idle sockets and a few clients that send a header line now and then take nothing from the
// others: a client is answered at once, again and again, while they hold on.
TEST(WebHostileClients, SlowAndIdleClientsShutNobodyOut) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    RunningService running(*source, "4.2");
    std::vector<std::unique_ptr<Peer>> slow, idle;
    for (int i = 0; i < 8; ++i) {
        slow.push_back(std::make_unique<Peer>(running.port));
        ASSERT_TRUE(slow.back()->Send("GET /download/tempoline.html HTTP/1.1\r\nHost: h\r\n"));
    }
    for (int i = 0; i < 200; ++i) idle.push_back(std::make_unique<Peer>(running.port));
    std::atomic<bool> done{false};
    std::thread dripper([&] {
        while (!done) {
            for (auto& peer : slow) peer->Send("X-Slow: 1\r\n");
            std::this_thread::sleep_for(std::chrono::milliseconds(100));
        }
    });
    for (int round = 0; round < 5; ++round) {
        const Steady::time_point start = Steady::now();
        EXPECT_EQ(StatusOf(Exchange(running.port, Get("/download/tempoline.html"))), 200) << round;
        EXPECT_LT(MsSince(start), 1000) << round;
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
    }
    done = true;
    dripper.join();
    for (auto& peer : slow) EXPECT_FALSE(peer->Closed());  // still within their deadline
    for (auto& peer : idle) EXPECT_FALSE(peer->Closed());
}

// A request must be whole within its deadline, however steadily it comes; a connection that sends
// nothing is closed after its own. Each gets a line in the log with the client's address.
TEST(WebHostileClients, ARequestHasADeadlineForAllOfIt) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    web::ServerLimits limits;
    limits.idle_ms = 600;
    limits.request_deadline_ms = 600;
    limits.linger_ms = 200;
    RunningService running(*source, "4.2", limits);
    Peer dripping(running.port), silent(running.port);
    const Steady::time_point start = Steady::now();
    ASSERT_TRUE(dripping.Send("GET / HTTP/1.1\r\n"));
    while (!dripping.Closed() && MsSince(start) < 3000) {
        dripping.Send("X-Slow: 1\r\n");
        dripping.Receive(100);
    }
    const long long took = MsSince(start);
    EXPECT_TRUE(dripping.Closed());
    EXPECT_GE(took, 550);
    EXPECT_LT(took, 1300);
    EXPECT_EQ(StatusOf(dripping.Receive(0)), 408);
    EXPECT_EQ(silent.Receive(1000), "");
    EXPECT_TRUE(silent.Closed());

    const std::vector<std::string> lines = running.log.Taken(2);
    int timed_out = 0;
    for (const std::string& line : lines) {
        if (line.find("timed out") == std::string::npos) continue;
        ++timed_out;
        EXPECT_NE(line.find(" 127.0.0.1:"), std::string::npos) << line;
    }
    EXPECT_EQ(timed_out, 2);
}

// A request line or header fields over 8 KiB are refused and the connection is closed, also while
// the client is still sending; a request of exactly 8 KiB is answered.
TEST(WebHostileClients, OverlongRequestLinesAndHeadersAreRefused) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    web::ServerLimits limits;
    limits.linger_ms = 300;
    RunningService running(*source, "4.2", limits);
    const auto padded = [](std::size_t total) {
        const std::string head = "GET /download/tempoline.html HTTP/1.1\r\nHost: h\r\nX-Pad: ";
        return head + std::string(total - head.size() - 4, 'p') + "\r\n\r\n";
    };
    std::string many_fields = "GET / HTTP/1.1\r\n";
    for (int i = 0; i < 300; ++i) many_fields += "X-Field-" + std::to_string(1000 + i) + ": 0123456789012345678901\r\n";
    const struct {
        std::string request;
        int status;
    } cases[] = {
        {"GET /" + std::string(1 << 20, 'a'), 414},  // no line end at all
        {"GET /" + std::string(9000, 'a') + " HTTP/1.1\r\n\r\n", 414},
        {"GET / HTTP/1.1\r\nX-Long: " + std::string(9000, 'b') + "\r\n\r\n", 431},
        {many_fields + "\r\n", 431},
        {padded(8193), 431},
        {padded(8192), 200},
    };
    for (const auto& c : cases) {
        Peer peer(running.port);
        peer.Send(c.request);  // the service may close before taking it all
        const std::string& answer = peer.Receive(2000, [](const std::string& got) { return !SplitAnswers(got).empty(); });
        EXPECT_EQ(StatusOf(answer), c.status) << c.request.substr(0, 60);
        if (c.status != 200) {
            peer.Receive(2000);
            EXPECT_TRUE(peer.Closed()) << c.request.substr(0, 60);
        }
    }
}

TEST(WebService, RangeIsNotServedTheWholePageIs) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    RunningService running(*source, "4.2");
    for (const char* path : {"/download/tempoline.html", "/weather/101050101.shtml"}) {
        const std::vector<Answer> whole = SplitAnswers(Exchange(running.port, Get(path)));
        ASSERT_EQ(whole.size(), 1u);
        ASSERT_GT(whole[0].body.size(), 100u);
        for (const char* range : {"bytes=0-9", "bytes=0-,0-,0-", "bytes=-5", "bytes=5-1", "bytes=99999999-"}) {
            const std::vector<Answer> got = SplitAnswers(
                Exchange(running.port, "GET " + std::string(path) + " HTTP/1.0\r\nRange: " + range + "\r\n\r\n"));
            ASSERT_EQ(got.size(), 1u) << range;
            EXPECT_EQ(got[0].status, 200) << range;
            EXPECT_EQ(got[0].body, whole[0].body) << range;
            EXPECT_EQ(got[0].fields.count("content-range"), 0u) << range;
        }
    }
}

// Requests sent together are answered one by one in their order, the slow forecast of the first
// before the ready page of the second; HTTP/1.0 without keep-alive gets one answer and the close.
TEST(WebService, PipelinedRequestsAreAnsweredInTheirOrder) {
    SlowSource slow(200, false);
    RunningService running(slow, "4.2");
    const std::vector<Answer> wind = SplitAnswers(Exchange(running.port, Get("/help/778.php")));
    ASSERT_EQ(wind.size(), 1u);
    const struct Asked {
        std::string request;
        bool head;
        int status;
        std::string mark;  // in the body
    } eleven[] = {
        {"GET /weather/101050101.shtml HTTP/1.1\r\nHost: h\r\n\r\n", false, 200, "/weather/101050101.shtml"},
        {"GET /download/tempoline.html HTTP/1.1\r\nHost: h\r\n\r\n", false, 200, Utf8(u8"橙鹿万年历")},
        {"HEAD /help/778.php HTTP/1.1\r\nHost: h\r\n\r\n", true, 200, ""},
        {"GET /nothing HTTP/1.1\r\nHost: h\r\n\r\n", false, 404, "404"},
        {"GET /weather/101020100.shtml HTTP/1.1\r\nHost: h\r\nConnection: close\r\n\r\n", false, 200,
         "/weather/101020100.shtml"},
    }, ten[] = {
        {Get("/weather/101050101.shtml"), false, 200, "/weather/101050101.shtml"},
        {Get("/download/tempoline.html"), false, 0, ""},  // not answered
    };
    for (const auto& pipeline : {std::vector<Asked>(std::begin(eleven), std::end(eleven)),
                                 std::vector<Asked>(std::begin(ten), std::end(ten))}) {
        std::string requests;
        std::vector<bool> heads;
        std::size_t answered = 0;
        for (const Asked& a : pipeline) {
            requests += a.request;
            heads.push_back(a.head);
            answered += a.status != 0 ? 1 : 0;
        }
        Peer peer(running.port);
        ASSERT_TRUE(peer.Send(requests));
        const std::vector<Answer> answers = SplitAnswers(peer.Receive(3000), heads);
        EXPECT_TRUE(peer.Closed());
        ASSERT_EQ(answers.size(), answered);
        for (std::size_t i = 0; i < answers.size(); ++i) {
            EXPECT_EQ(answers[i].status, pipeline[i].status) << i;
            EXPECT_NE(answers[i].body.find(pipeline[i].mark), std::string::npos) << i;
            if (pipeline[i].head) {
                EXPECT_EQ(answers[i].body, "");
                EXPECT_EQ(answers[i].fields.at("content-length"), std::to_string(wind[0].body.size()));
            }
        }
    }
}

// Answers on a kept-alive connection come at once, not after the client's delayed acknowledgement
// (about 40 ms each when the header and the body leave in two writes and Nagle holds the second).
TEST(WebService, KeptAliveAnswersComeAtOnce) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    RunningService running(*source, "4.2");
    const Steady::time_point start = Steady::now();
    for (int connection = 0; connection < 4; ++connection) {
        Peer peer(running.port);
        for (std::size_t i = 1; i <= 5; ++i) {
            peer.Send(std::string("GET ") + (i % 2 ? "/download/tempoline.html" : "/weather/101010100.shtml") +
                      " HTTP/1.1\r\nHost: h\r\n\r\n");
            const std::vector<Answer> answers =
                SplitAnswers(peer.Receive(1000, [i](const std::string& got) { return SplitAnswers(got).size() >= i; }));
            ASSERT_EQ(answers.size(), i);
            EXPECT_EQ(answers.back().status, 200);
        }
    }
    EXPECT_LT(MsSince(start), 400);  // the twelve or more delayed acknowledgements would be 480 ms
}

// At the cap, a new client is let in by closing the connection that has idled longest, while
// the connections in the middle of a request stay.
TEST(WebHostileClients, AtTheCapTheIdleConnectionsGoFirst) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    web::ServerLimits limits;
    limits.max_connections = 16;
    RunningService running(*source, "4.2", limits);
    std::vector<std::unique_ptr<Peer>> reading, idle;
    for (int i = 0; i < 8; ++i) {
        reading.push_back(std::make_unique<Peer>(running.port));
        reading.back()->Send("GET / HTTP/1.1\r\n");
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int i = 0; i < 8; ++i) idle.push_back(std::make_unique<Peer>(running.port));
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    for (int round = 0; round < 3; ++round) {
        const Steady::time_point start = Steady::now();
        EXPECT_EQ(StatusOf(Exchange(running.port, Get("/download/tempoline.html"))), 200) << round;
        EXPECT_LT(MsSince(start), 1000) << round;
    }
    for (auto& peer : reading) EXPECT_FALSE(peer->Closed());
    EXPECT_TRUE(idle[0]->Closed());
    EXPECT_FALSE(idle[7]->Closed());
}

// The listening socket takes a burst of connections before any is accepted (a backlog of 5 would
// drop the SYNs of all but six, and their clients would try again a second later).
TEST(WebService, ABurstOfConnectionsWaitsInTheBacklog) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    LogLines log;
    web::Service service(*source, "4.2", [] { return kMay12; }, log.Sink());
    web::HttpServer server(service, [] { return kMay12; }, log.Sink());
    const int port = server.Bind("127.0.0.1", 0);
    ASSERT_GT(port, 0);
    std::vector<pollfd> clients;
    for (int i = 0; i < 200; ++i) {
        const int fd = socket(AF_INET, SOCK_STREAM, 0);
        fcntl(fd, F_SETFL, O_NONBLOCK);
        const sockaddr_in address = Loopback(port);
        connect(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
        clients.push_back({fd, POLLOUT, 0});
    }
    const Steady::time_point start = Steady::now();
    std::size_t connected = 0;
    for (pollfd& client : clients) {
        const long long left = 500 - MsSince(start);
        int error = 0;
        socklen_t size = sizeof error;
        if (poll(&client, 1, static_cast<int>(left > 0 ? left : 0)) == 1 &&
            getsockopt(client.fd, SOL_SOCKET, SO_ERROR, &error, &size) == 0 && error == 0)
            ++connected;
        close(client.fd);
    }
    EXPECT_EQ(connected, clients.size());
}

// A source that fails is asked once for all the requests of a place that wait for it, and not
// again for that place while its failure is remembered; another place is asked for itself.
TEST(WebForecasts, AFailingSourceIsAskedOncePerPlaceAndPeriod) {
    SlowSource failing(300, true);
    web::ServerLimits limits;
    limits.failure_memory_ms = 1000;
    RunningService running(failing, "4.2", limits);
    const auto weather = [&](const char* code) {
        return StatusOf(Exchange(running.port, Get(std::string("/weather/") + code + ".shtml")));
    };
    std::vector<std::thread> askers;
    std::vector<int> statuses(10);
    for (int i = 0; i < 10; ++i) askers.emplace_back([&, i] { statuses[i] = weather("101010100"); });
    for (std::thread& asker : askers) asker.join();
    for (const int status : statuses) EXPECT_EQ(status, 502);
    EXPECT_EQ(failing.Asked(101010100), 1);

    const Steady::time_point start = Steady::now();
    EXPECT_EQ(weather("101010100"), 502);
    EXPECT_LT(MsSince(start), 250);  // not waited for (asking takes 300 ms)
    EXPECT_EQ(failing.Asked(101010100), 1);
    EXPECT_EQ(weather("101020100"), 502);
    EXPECT_EQ(failing.Asked(101020100), 1);

    std::this_thread::sleep_for(std::chrono::milliseconds(1100));
    EXPECT_EQ(weather("101010100"), 502);
    EXPECT_EQ(failing.Asked(101010100), 2);
}

// A source that drips holds a few workers and the weather pages that wait for them, and those only
// until their deadline; the download page is answered at once all the while.
TEST(WebForecasts, ADrippingSourceLeavesTheDownloadPageReachable) {
    DrippingServer drip(kDripInBody);
    web::OpenMeteoSource source({"127.0.0.1", drip.port, 30, 800});
    web::ServerLimits limits;
    limits.forecast_deadline_ms = 1000;
    RunningService running(source, "4.2", limits);
    std::vector<std::thread> askers;
    std::vector<int> statuses(12);
    std::vector<long long> took(12);
    for (int i = 0; i < 12; ++i) {
        askers.emplace_back([&, i] {
            const Steady::time_point start = Steady::now();
            const std::string code = std::to_string(web::EveryPlace()[static_cast<std::size_t>(i) * 20].code);
            statuses[i] = StatusOf(Exchange(running.port, Get("/weather/" + code + ".shtml")));
            took[i] = MsSince(start);
        });
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    const Steady::time_point start = Steady::now();
    EXPECT_EQ(StatusOf(Exchange(running.port, Get("/download/tempoline.html"))), 200);
    EXPECT_LT(MsSince(start), 500);
    for (std::thread& asker : askers) asker.join();
    for (int i = 0; i < 12; ++i) {
        EXPECT_TRUE(statuses[i] == 502 || statuses[i] == 504) << statuses[i];
        EXPECT_LT(took[i], 1500) << i;
    }
}

}  // namespace

namespace {

// The public holiday table the program fetches: the built-in table by default, another one merged
// over it from --holidays; an ETag that names the contents, and 304 for a client that holds them.
TEST(WebHolidays, TheTableWithItsTagAndConditionalRequests) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    RunningService running(*source, "4.2");
    const std::string get = "GET /holidays/cn.tsv HTTP/1.0\r\n\r\n";
    const std::vector<Answer> first = SplitAnswers(Exchange(running.port, get));
    ASSERT_EQ(first.size(), 1u);
    EXPECT_EQ(first[0].status, 200);
    EXPECT_EQ(first[0].fields.at("content-type"), "text/tab-separated-values; charset=utf-8");
    calendar::HolidayTable served;
    std::string why;
    ASSERT_TRUE(calendar::ParseHolidayTable(first[0].body, served, why)) << text::GbkToUtf8(why);
    std::string published;
    ASSERT_TRUE(platform::ReadWholeFile(TEMPO_SOURCE_DIR "/data/cn_public_holidays_2007_2026.tsv", published, 1 << 20));
    calendar::HolidayTable expected;
    ASSERT_TRUE(calendar::ParseHolidayTable(published, expected, why));
    EXPECT_EQ(served.years, expected.years);
    EXPECT_EQ(served.rows.size(), expected.rows.size());
    const std::string tag = first[0].fields.at("etag");
    ASSERT_EQ(tag.size(), 18u);
    EXPECT_EQ(tag.front(), '"');

    // Conditional requests: the tag itself, weak, in a list, "*": 304 without a body; another tag
    // gets the table. The absolute form of the viewer's requests is answered the same.
    const struct {
        std::string condition;
        int status;
    } conditions[] = {{tag, 304}, {"W/" + tag, 304}, {"\"x\", " + tag, 304}, {"*", 304}, {"\"00\"", 200}};
    for (const auto& c : conditions) {
        const std::vector<Answer> got = SplitAnswers(Exchange(
            running.port, "GET http://" + running.Host() + "/holidays/cn.tsv HTTP/1.0\r\nIf-None-Match: " + c.condition +
                              "\r\n\r\n"));
        ASSERT_EQ(got.size(), 1u) << c.condition;
        EXPECT_EQ(got[0].status, c.status) << c.condition;
        EXPECT_EQ(got[0].body, c.status == 304 ? "" : first[0].body) << c.condition;
        EXPECT_EQ(got[0].fields.at("etag"), tag) << c.condition;
        // A 304 names no length (one of 0 would read as the table's, emptied); a 200 the table's.
        EXPECT_EQ(got[0].fields.count("content-length"), c.status == 304 ? 0u : 1u) << c.condition;
        if (c.status == 200) {
            EXPECT_EQ(got[0].fields.at("content-length"), std::to_string(first[0].body.size()));
        }
    }

    // A table with next year, merged over the built-in years: served with its own tag, and the old
    // tag no longer matches.
    const std::string file = ::testing::TempDir() + "holidays-2027.tsv";
    ASSERT_TRUE(platform::ReplaceFileContents(file, Utf8(u8"2027-01-01\t休\t元旦\n")));
    calendar::HolidayTable with_2027;
    ASSERT_TRUE(web::LoadHolidays(file, with_2027, why)) << why;
    running.service.SetHolidays(with_2027);
    const std::vector<Answer> newer = SplitAnswers(Exchange(
        running.port, "GET /holidays/cn.tsv HTTP/1.0\r\nIf-None-Match: " + tag + "\r\n\r\n"));
    ASSERT_EQ(newer.size(), 1u);
    EXPECT_EQ(newer[0].status, 200);
    EXPECT_NE(newer[0].fields.at("etag"), tag);
    EXPECT_NE(newer[0].body.find("2027-01-01\t"), std::string::npos);
    EXPECT_NE(newer[0].body.find("2026-10-07\t"), std::string::npos);

    // A file that is not a table stops the service from starting with the reason.
    ASSERT_TRUE(platform::ReplaceFileContents(file, "2027-01-01 off\n"));
    EXPECT_FALSE(web::LoadHolidays(file, with_2027, why));
    EXPECT_NE(why.find("refused"), std::string::npos) << why;
    EXPECT_FALSE(web::LoadHolidays(file + ".missing", with_2027, why));
    // A pipe is refused at once, not waited on for a writer that never comes; so is a folder.
    const std::string fifo = ::testing::TempDir() + "holidays-fifo-" + std::to_string(getpid());
    ASSERT_EQ(mkfifo(fifo.c_str(), 0600), 0);
    const Steady::time_point start = Steady::now();
    EXPECT_FALSE(web::LoadHolidays(fifo, with_2027, why));
    EXPECT_LT(MsSince(start), 2000);
    EXPECT_NE(why.find("not a regular file"), std::string::npos) << why;
    unlink(fifo.c_str());
    EXPECT_FALSE(web::LoadHolidays(::testing::TempDir(), with_2027, why));
    web::Options options;
    EXPECT_EQ(web::ParseOptions({"--holidays", file}, options), "");
    EXPECT_EQ(options.holidays, file);
    std::remove(file.c_str());
}

}  // namespace

namespace {

// Calendar subscriptions: what a query may ask, answered 400 with the reason otherwise; the answer
// kept, so the same subscription is made once; its tag answered 304; a full queue refused at once.
TEST(WebSubscriptions, QueriesAnswersAndTheCache) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    RunningService running(*source, "4.2");
    const auto get = [&](const std::string& query, const std::string& fields = "") {
        const std::vector<Answer> got =
            SplitAnswers(Exchange(running.port, "GET /calendar.ics?" + query + " HTTP/1.0\r\n" + fields + "\r\n"));
        return got.empty() ? Answer{} : got[0];
    };
    const struct {
        std::string query;
        const char* reason;
    } refused[] = {
        {"years=2&terms", "from: give the first year"},
        {"from=1582&terms", "from '1582'"},
        {"from=26&terms", "from '26'"},
        {"from=2026&years=11&terms", "1..10 years"},
        {"from=2995&years=10&terms", "ends with 2999"},
        {"from=2026", "nothing to put"},
        {"from=2026&terms=maybe", "a flag"},
        {"from=2026&terms&bogus", "unknown parameter 'bogus'"},
        {"from=2026&lunar-birthday=08-31:x", "no lunar day 31"},
        {"from=2026&solar-birthday=08-15", "MM-DD:TITLE"},
        {"from=2026&terms&name=%1B%5B2J", "control character"},
        {"from=2026&terms&name=%E5%A6", "not UTF-8"},
        {"from=2026&terms&name=%zz", "broken %-escape"},
    };
    for (const auto& r : refused) {
        const Answer a = get(r.query);
        EXPECT_EQ(a.status, 400) << r.query;
        EXPECT_NE(a.body.find(r.reason), std::string::npos) << r.query << ": " << a.body;
    }
    std::string many = "from=2026";
    for (int i = 1; i <= 21; ++i) many += "&solar-birthday=01-" + std::to_string(i) + ":b" + std::to_string(i);
    EXPECT_NE(get(many).body.find("at most 20 birthdays"), std::string::npos);

    // A ten-year subscription: the same file `tempo ics` writes for those options (the name and a
    // birthday given percent-encoded, a blank as "+").
    const std::string query = "from=2026&years=10&terms&festivals=1&holidays&months&lunar-birthday=08-15:"
                              "%E5%A6%88%E5%A6%88+%E7%94%9F%E6%97%A5&name=%E5%AE%B6";
    const Answer first = get(query);
    ASSERT_EQ(first.status, 200) << first.body;
    EXPECT_EQ(first.fields.at("content-type"), "text/calendar; charset=utf-8");
    cli::IcsRequest request;
    request.span = cli::IcsYears(2026, 10);
    request.terms = request.festivals = request.holidays = request.months = true;
    request.birthdays.push_back({true, 8, 15, Utf8(u8"妈妈 生日")});
    request.name = Utf8(u8"家");
    EXPECT_EQ(first.body, cli::IcsCalendar(request));
    EXPECT_NE(first.body.find(Utf8(u8"SUMMARY:春节（休）")), std::string::npos);
    EXPECT_NE(first.body.find(Utf8(u8"SUMMARY:妈妈 生日")), std::string::npos);
    // Asked again, in any order of its parameters that means the same calendar: the kept answer.
    const Answer again = get("name=%E5%AE%B6&holidays=on&months&terms=yes&festivals&years=10&from=2026&lunar-birthday=08-15:"
                             "%E5%A6%88%E5%A6%88+%E7%94%9F%E6%97%A5");
    EXPECT_EQ(again.body, first.body);
    const std::string tag = first.fields.at("etag");
    EXPECT_EQ(again.fields.at("etag"), tag);
    const Answer unchanged = get(query, "If-None-Match: " + tag + "\r\n");
    EXPECT_EQ(unchanged.status, 304);
    EXPECT_EQ(unchanged.body, "");

    // The maker: every one asking gets the calendar, which is then kept; a full queue refuses at once.
    cli::IcsRequest small;
    small.span = cli::IcsYears(2026, 10);
    small.terms = true;
    web::CalendarMaker maker(4, 4);
    std::atomic<int> answers{0}, same{0};
    const std::string expected = cli::IcsCalendar(small);
    for (int i = 0; i < 3; ++i)
        maker.Make("a", small, [&](const web::Page& made) { same += made && *made == expected, ++answers; });
    for (int i = 0; i < 500 && answers < 3; ++i) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    EXPECT_EQ(same.load(), 3);
    web::Page kept;
    EXPECT_TRUE(maker.Kept("a", kept));
    ASSERT_TRUE(kept);
    EXPECT_EQ(*kept, expected);
    EXPECT_FALSE(maker.Kept("b", kept));
    web::CalendarMaker full(4, 0);
    bool refused_at_once = false;
    full.Make("a", small, [&](const web::Page& made) { refused_at_once = !made; });
    EXPECT_TRUE(refused_at_once);
}

}  // namespace

namespace {

// The kept forecasts and pages belong to a day in China: across midnight UTC+8 (16:00 UTC) a page
// asked within the half hour of its forecast is made anew for the new day, and Open-Meteo is asked
// for the new day's forecast, however recently the old one came.
TEST(WebCaches, AcrossTheChangeOfDayInChina) {
    constexpr std::time_t kBeforeMidnight = kMay12 + 15 * 3600 + 20 * 60;  // 2024-05-12 23:50 in China
    constexpr std::time_t kAfterMidnight = kBeforeMidnight + 15 * 60;      // 2024-05-13 00:05
    FakeOpenMeteo fake;
    web::OpenMeteoSource source({"127.0.0.1", fake.port, 30, 5000});
    ASSERT_TRUE(source.ForecastFor(Beijing(), kBeforeMidnight).ok);
    ASSERT_TRUE(source.ForecastFor(Beijing(), kBeforeMidnight + 60).ok);  // kept
    EXPECT_EQ(fake.asked.load(), 1);
    ASSERT_TRUE(source.ForecastFor(Beijing(), kAfterMidnight).ok);  // a new day: asked again
    EXPECT_EQ(fake.asked.load(), 2);
    EXPECT_NE(fake.last_target.find("start_date=2024-05-13&end_date=2024-05-18"), std::string::npos) << fake.last_target;

    // The page of a file's forecast (the same forecast on both days) is made for the day asked.
    const auto file = DemoSource();
    ASSERT_TRUE(file);
    std::time_t now = kBeforeMidnight;
    web::Service service(*file, "4.2", [&] { return now; }, [](const std::string&) {});
    const auto first_label = [&] {
        const web::Reply reply = service.Answer("GET", "/weather/101010100.shtml");
        const weather::WeatherPage page = weather::ParseWeatherPage(weather::Utf8ToLocal(reply.Text()));
        return page.ok ? page.days[0].date_label + " " + std::to_string(page.day) : std::string("unreadable");
    };
    EXPECT_EQ(first_label(), Gbk(u8"12日") + " 12");
    now = kBeforeMidnight + 5 * 60;
    EXPECT_EQ(first_label(), Gbk(u8"12日") + " 12");
    now = kAfterMidnight;
    EXPECT_EQ(first_label(), Gbk(u8"13日") + " 13");
}

}  // namespace

namespace {

// Subscriptions whose fields, joined, would read alike (a title or a name holding "|" and what
// follows a birthday) are different calendars: each gets its own file and tag, whichever was asked
// first, the file a service that never saw the other makes.
TEST(WebSubscriptions, DifferentSubscriptionsNeverShareACalendar) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    const std::pair<std::string, std::string> pairs[] = {
        {"from=2026&lunar-birthday=08-15:Mum%7CS5-4:Dad", "from=2026&lunar-birthday=08-15:Mum&solar-birthday=05-04:Dad"},
        {"from=2026&terms&name=a%7CL8-15:b", "from=2026&terms&name=a&lunar-birthday=08-15:b"},
        {"from=2026&terms&name=x%2F3:abc", "from=2026&terms&name=x"},
        {"from=2026&solar-birthday=01-02:a%2F1:b", "from=2026&solar-birthday=01-02:a&solar-birthday=01-02:b"},
    };
    for (const auto& [first, second] : pairs) {
        for (const bool reversed : {false, true}) {
            RunningService running(*source, "4.2");
            const std::string a = reversed ? second : first, b = reversed ? first : second;
            const auto get = [&](const std::string& query) {
                const std::vector<Answer> got =
                    SplitAnswers(Exchange(running.port, "GET /calendar.ics?" + query + " HTTP/1.0\r\n\r\n"));
                return got.empty() ? Answer{} : got[0];
            };
            const Answer got_a = get(a), got_b = get(b);
            ASSERT_EQ(got_a.status, 200) << a << ": " << got_a.body;
            ASSERT_EQ(got_b.status, 200) << b << ": " << got_b.body;
            web::Service fresh(*source, "4.2", [] { return kMay12; }, [](const std::string&) {});
            EXPECT_EQ(got_b.body, fresh.Answer("GET", "/calendar.ics?" + b).Text()) << b << " after " << a;
            EXPECT_NE(got_b.body, got_a.body) << b << " after " << a;
            EXPECT_NE(got_b.fields.at("etag"), got_a.fields.at("etag")) << b << " after " << a;
        }
    }
    // A parameter given twice is refused, as any other query the README does not offer; the
    // birthdays alone repeat.
    web::Service service(*source, "4.2", [] { return kMay12; }, [](const std::string&) {});
    for (const std::string query : {"from=2026&from=2027&terms", "from=2026&years=2&years=3&terms",
                                    "from=2026&terms&terms=0", "from=2026&terms&name=a&name=b",
                                    "from=2026&holidays&festivals&holidays"}) {
        const web::Reply reply = service.Answer("GET", "/calendar.ics?" + query);
        EXPECT_EQ(reply.status, 400) << query;
        EXPECT_NE(reply.Text().find("is given twice"), std::string::npos) << query << ": " << reply.Text();
    }
    EXPECT_EQ(service.Answer("GET", "/calendar.ics?from=2026&lunar-birthday=01-01:a&lunar-birthday=02-02:b").status, 200);
}

// HTTP/1.1's refusals: a body whose length cannot be told (a transfer coding that does not end
// with chunked) is refused and the connection closed, so what follows is never read as a request;
// a 1.1 request needs one valid Host (a port is 0..65535), and no request may have two. An HTTP/1.0
// request with a Transfer-Encoding is answered and its connection closed, keep-alive or not. Each
// refusal or closing is logged with its reason; every odd byte of a request shows escaped in the log.
TEST(WebHostileClients, FramingAndHostAreRefusedAsHttp11Requires) {
    const auto source = DemoSource();
    ASSERT_TRUE(source);
    web::ServerLimits limits;
    limits.linger_ms = 300;
    RunningService running(*source, "4.2", limits);
    const std::string smuggled = "GET /help/778.php HTTP/1.1\r\nHost: h\r\n\r\n";
    const struct {
        std::string request;
        int status;
        bool closes;         // the connection is closed after the answer: what follows is not read
        const char* logged;  // in the log lines of its answer
    } cases[] = {
        {"GET / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: xchunked\r\n\r\n", 400, true, "does not end with chunked"},
        {"GET / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked, identity\r\n\r\n", 400, true,
         "does not end with chunked"},
        {"GET / HTTP/1.0\r\nTransfer-Encoding: gzip\r\n\r\n", 400, true, "does not end with chunked"},
        {"GET / HTTP/1.1\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 200, false, nullptr},
        {"GET / HTTP/1.0\r\nTransfer-Encoding: chunked\r\nConnection: keep-alive\r\n\r\n0\r\n\r\n", 200, true,
         "has Transfer-Encoding: the connection is closed after it"},
        {"GET / HTTP/1.0\r\nHost: h\r\nTransfer-Encoding: chunked\r\n\r\n0\r\n\r\n", 200, true,
         "has Transfer-Encoding"},
        {"GET / HTTP/1.1\r\n\r\n", 400, true, "without Host"},
        {"GET / HTTP/1.1\r\nHost: a\r\nHost: b\r\n\r\n", 400, true, "2 Host fields"},
        {"GET / HTTP/1.0\r\nHost: a\r\nHost: a\r\n\r\n", 400, true, "2 Host fields"},
        {"GET / HTTP/1.1\r\nHost: a b\r\n\r\n", 400, true, "is not a host"},
        {"GET / HTTP/1.1\r\nHost: h/x\r\n\r\n", 400, true, "is not a host"},
        {"GET / HTTP/1.1\r\nHost: user@h\r\n\r\n", 400, true, "is not a host"},
        {"GET / HTTP/1.1\r\nHost: h:80x\r\n\r\n", 400, true, "is not a host"},
        {"GET / HTTP/1.1\r\nHost: a:99999\r\n\r\n", 400, true, "is not a host"},
        {"GET / HTTP/1.1\r\nHost: a:65536\r\n\r\n", 400, true, "is not a host"},
        {"GET / HTTP/1.1\r\nHost: [::1]:70000\r\n\r\n", 400, true, "is not a host"},
        {"GET / HTTP/1.1\r\nHost: [::1\r\n\r\n", 400, true, "is not a host"},
        {"GET / HTTP/1.1\r\nHost: \xe4\xbe\x8b\r\n\r\n", 400, true, "\\xe4\\xbe\\x8b"},
        {"GET / HTTP/1.1\r\nHost: h:8080\r\n\r\n", 200, false, nullptr},
        {"GET / HTTP/1.1\r\nHost: h:65535\r\n\r\n", 200, false, nullptr},
        {"GET / HTTP/1.1\r\nHost: h:000080\r\n\r\n", 200, false, nullptr},  // port = *DIGIT
        {"GET / HTTP/1.1\r\nHost: h:\r\n\r\n", 200, false, nullptr},        // the default port
        {"GET / HTTP/1.1\r\nHost: [::1]:80\r\n\r\n", 200, false, nullptr},
        {"GET / HTTP/1.1\r\nHost: a-b.example%2D.cn\r\n\r\n", 200, false, nullptr},
        {"GET / HTTP/1.1\r\nHost:\r\n\r\n", 200, false, nullptr},  // a target without authority
        {"GET / HTTP/1.0\r\n\r\n", 200, true, nullptr},
        {"GET / HTTP/1.0\r\nConnection: keep-alive\r\n\r\n", 200, false, nullptr},
    };
    for (const auto& c : cases) {
        const std::size_t lines = running.log.Taken().size();
        Peer peer(running.port);
        // A request after it on the same connection: answered only where the connection is kept.
        ASSERT_TRUE(peer.Send(c.request + smuggled));
        const std::vector<Answer> answers = SplitAnswers(peer.Receive(3000, [&](const std::string& got) {
            return !c.closes && SplitAnswers(got).size() >= 2;
        }));
        ASSERT_FALSE(answers.empty()) << c.request;
        EXPECT_EQ(answers[0].status, c.status) << c.request;
        EXPECT_EQ(answers.size(), c.closes ? 1u : 2u) << c.request;
        EXPECT_EQ(peer.Closed(), c.closes) << c.request;
        if (c.logged) {
            const std::vector<std::string> log = running.log.Taken(lines + 1);
            ASSERT_GT(log.size(), lines);
            std::string said;
            for (std::size_t i = lines; i < log.size(); ++i) said += log[i] + "\n";
            EXPECT_NE(said.find(c.logged), std::string::npos) << c.request << "\n" << said;
            EXPECT_NE(said.find(" " + std::to_string(c.status) + " "), std::string::npos) << said;
        }
    }
    // A request with a NUL and a terminal's control sequence in its line: logged escaped, as
    // \x00 and \x1b, not as "?" that could be any byte.
    const std::size_t lines = running.log.Taken().size();
    Peer odd(running.port);
    static const char kOdd[] = "GET /a\0b\x1b[2J\\ HTTP/1.1\r\nHost: h\r\n\r\n";
    ASSERT_TRUE(odd.Send(std::string(kOdd, sizeof kOdd - 1)));
    odd.Receive(3000);
    const std::vector<std::string> log = running.log.Taken(lines + 1);
    ASSERT_GT(log.size(), lines);
    EXPECT_NE(log[lines].find("GET /a\\x00b\\x1b[2J\\x5c HTTP/1.1"), std::string::npos) << log[lines];
    EXPECT_EQ(log[lines].find('\x1b'), std::string::npos);
}

}  // namespace


// The log on a pipe its reader does not read for a while: adding lines never waits; the lines that
// found the queue full are dropped, and once the pipe takes lines again the log says first how many.
// Every line is either written, in its order, or counted: none is lost without a word.
TEST(WebLog, ALogNotReadDropsLinesAndSaysHowManyOnceItIsRead) {
    int pipe_ends[2];
    ASSERT_EQ(pipe(pipe_ends), 0);
    const int reader = pipe_ends[0], writer = pipe_ends[1];
    // Full before the first line: the writer's first write waits.
    fcntl(writer, F_SETFL, fcntl(writer, F_GETFL) | O_NONBLOCK);
    std::size_t filled = 0;
    const std::string block(4096, '.');
    for (std::size_t piece : {std::size_t{4096}, std::size_t{1}}) {
        ssize_t n;
        while ((n = write(writer, block.data(), piece)) > 0) filled += static_cast<std::size_t>(n);
    }
    fcntl(writer, F_SETFL, fcntl(writer, F_GETFL) & ~O_NONBLOCK);
    constexpr int kLines = 200;
    std::string read_back;
    {
        web::LogWriter log(writer, 16, 1 << 20);
        const Steady::time_point start = Steady::now();
        for (int i = 0; i < kLines; ++i) log.Add("line " + std::to_string(i));
        EXPECT_LT(MsSince(start), 1000);
        EXPECT_FALSE(log.Flush(100));  // the pipe is still full
        // The reader takes the filling, and the lines come.
        std::string taken;
        while (taken.size() < filled) {
            char piece[65536];
            const ssize_t n = read(reader, piece, std::min(sizeof piece, filled - taken.size()));
            ASSERT_GT(n, 0);
            taken.append(piece, static_cast<std::size_t>(n));
        }
        EXPECT_TRUE(log.Flush(2000));
        log.Add("the last line");
    }
    close(writer);
    char piece[65536];
    ssize_t n;
    while ((n = read(reader, piece, sizeof piece)) > 0) read_back.append(piece, static_cast<std::size_t>(n));
    close(reader);

    std::vector<std::string> lines;
    for (std::size_t at = 0, end; (end = read_back.find('\n', at)) != std::string::npos; at = end + 1)
        lines.push_back(read_back.substr(at, end - at));
    ASSERT_FALSE(lines.empty()) << read_back;
    EXPECT_EQ(lines.back(), "the last line");
    int written = 0, last = -1;
    long long dropped = -1;
    for (std::size_t i = 0; i + 1 < lines.size(); ++i) {
        const std::string& line = lines[i];
        if (line.compare(0, 5, "line ") == 0) {
            const int number = std::atoi(line.c_str() + 5);
            EXPECT_GT(number, last) << line;  // in their order
            last = number;
            ++written;
        } else {
            EXPECT_EQ(dropped, -1) << "a second report: " << line;
            const std::string head = "tempoline-web: ", tail = " log lines dropped: the log could not take them in time";
            ASSERT_EQ(line.compare(0, head.size(), head), 0) << line;
            ASSERT_GT(line.size(), head.size() + tail.size()) << line;
            EXPECT_EQ(line.substr(line.size() - tail.size()), tail) << line;
            dropped = std::atoll(line.c_str() + head.size());
        }
    }
    EXPECT_GT(dropped, 0) << read_back;
    EXPECT_EQ(written + dropped, kLines) << read_back;
}
