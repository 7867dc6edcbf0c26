#include "web/weather_html.h"

#include <cstddef>
#include <iterator>
#include <string_view>

namespace web {

namespace {

constexpr const char* kLineEnd = "\r\n";

// The layout's byte counts, as the viewer reads them (weather/weather_page.cpp).
constexpr std::size_t kTimeBytes = 10;  // before "发布)": blanks, then the time
constexpr std::size_t kWindSkip = 30;   // from the start of "778.php" to the wind text
// The rest of the wind link after "778.php": the text starts kWindSkip bytes after its start.
constexpr std::string_view kWindLinkRest = "778.php\" target=\"_blank\">";
static_assert(kWindLinkRest.size() <= kWindSkip);

std::string Head(const std::string& title) {
    std::string h = "<!DOCTYPE html>\r\n<html lang=\"zh-CN\">\r\n<head>\r\n<meta charset=\"utf-8\">\r\n";
    h += "<title>" + title + "</title>\r\n";
    h += "<style>body{font-family:sans-serif;margin:2em}table{border-collapse:collapse}"
         "td,th{border:1px solid #ccc;padding:4px 10px}tr.date td{background:#fdf0e0;font-weight:bold}</style>\r\n";
    h += "</head>\r\n<body>\r\n";
    return h;
}

std::string Tail() { return "</body>\r\n</html>\r\n"; }

// One half's row: its name (白天 or 夜间), the weather in a link that opens a new window, the
// temperature in <strong>, and the two wind cells, each a link to the wind scale whose text runs
// to CR LF. The wind cells close their link on the next line, so that "</a></td>" ends only the
// weather cells, where the viewer looks for it.
std::string HalfRow(const char* name, const char* css, const HalfForecast& half, const std::string& self) {
    std::string row = "<tr class=\"";
    row += css;
    row += "\"><td></td><td>";
    row += name;
    row += "</td><td class=\"wx\"><a href=\"" + self + "\" target=\"_blank\">" + half.weather + "</a></td>";
    row += "<td class=\"t\"><strong>" + std::to_string(half.temperature) + "℃</strong></td>\r\n";
    for (const std::string* wind : {&half.wind_direction, &half.wind_force}) {
        row += "<td class=\"wind\"><a href=\"/help/";
        row += kWindLinkRest;
        row += std::string(kWindSkip - kWindLinkRest.size(), ' ');
        row += *wind + kLineEnd + "</a>\r\n</td>";
    }
    row += "</tr>\r\n";
    return row;
}

}  // namespace

std::string WeatherPageHtml(const Place& place, const astro::CalendarDate& today, const Forecast& forecast,
                            const std::string& credit) {
    const std::string name = place.province_name + " " + place.city_name;
    const std::string self = "/weather/" + std::to_string(place.code) + ".shtml";
    std::string h = Head(name + " 天气预报");
    h += "<h1>" + name + " 五日天气预报</h1>\r\n";
    // The date fills the 14 bytes after "今天是" at most ("2024年12月31日"); the blank after it
    // keeps the weekday from reading as a day of the table ("日星期").
    h += "<p class=\"today\">今天是" + std::to_string(today.year) + "年" + std::to_string(today.month) + "月" +
         std::to_string(today.day) + "日 " + WeekdayName(today) + "\r\n";
    // The 10 bytes before "发布)" are blanks and the time.
    const std::size_t pad = forecast.published.size() < kTimeBytes ? kTimeBytes - forecast.published.size() : 0;
    h += "<span class=\"time\">(Tempoline " + std::string(pad, ' ') + forecast.published + "发布)</span></p>\r\n";
    h += "<table class=\"forecast\">\r\n";
    h += "<tr><th>日期</th><th>时段</th><th>天气</th><th>气温</th><th>风向</th><th>风力</th></tr>\r\n";
    for (int k = 0; k < kForecastDays; ++k) {
        const astro::CalendarDate date = DaysAfter(today, k);
        // The viewer's label is what follows ">" in the 5 bytes from 3 before "日星期" ("12日", "5日"),
        // and the day's block starts 20 bytes after "日星期": "日星期X" and "</td></tr>" CR LF.
        h += "<tr class=\"date\"><td colspan=\"6\" class=\"d\">" + std::to_string(date.day) + "日" + WeekdayName(date) +
             "</td></tr>\r\n";
        h += HalfRow("白天", "day", forecast.days[k].day, self);
        h += HalfRow("夜间", "night", forecast.days[k].night, self);
    }
    h += "</table>\r\n";
    h += "<p class=\"credit\">天气数据：" + credit + "。风力按蒲福风级，风向为风的来向。</p>\r\n";
    h += Tail();
    return h;
}

std::string DownloadPageHtml(const std::string& version) {
    // The help window takes the first "橙鹿万年历" of the page (the title) and the first "下载"
    // after it, and reads the version from the 20 bytes before "下载": the product name (10 bytes)
    // and the version must stand there, so nothing else on the page says "下载".
    std::string h = Head("橙鹿万年历");
    h += "<h1>橙鹿万年历</h1>\r\n";
    h += "<p>公历、农历、回历互查，节气、干支、日出日落时刻，音乐播放与天气预报。</p>\r\n";
    h += "<p class=\"offer\"><a href=\"https://github.com/tempoline/tempoline/releases\">橙鹿万年历" + version +
         "下载</a></p>\r\n";
    h += Tail();
    return h;
}

std::string WindScalePageHtml() {
    // Beaufort's scale as China's standard (GB/T 28591) extends it to force 17: the mean wind speed
    // at 10 m, metres per second, from which each force starts.
    static constexpr const char* kFrom[] = {"0.0",  "0.3",  "1.6",  "3.4",  "5.5",  "8.0",
                                            "10.8", "13.9", "17.2", "20.8", "24.5", "28.5",
                                            "32.7", "37.0", "41.5", "46.2", "51.0", "56.1"};
    std::string h = Head("风力等级");
    h += "<h1>风力等级</h1>\r\n<table>\r\n<tr><th>风力</th><th>风速（米/秒）</th></tr>\r\n";
    for (std::size_t force = 0; force < std::size(kFrom); ++force) {
        h += "<tr><td>" + std::to_string(force) + "级</td><td>" + kFrom[force] +
             (force + 1 < std::size(kFrom) ? std::string(" ～ 不到 ") + kFrom[force + 1] : std::string(" 以上")) +
             "</td></tr>\r\n";
    }
    h += "</table>\r\n";
    h += Tail();
    return h;
}

std::string MessagePageHtml(const std::string& heading, const std::string& sentence) {
    std::string h = Head(heading);
    h += "<h1>" + heading + "</h1>\r\n<p>" + sentence + "</p>\r\n";
    h += Tail();
    return h;
}

}  // namespace web
