#include "weather/weather_page.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>
#include <vector>

#include "tests/weather_test_support.h"
#include "text/encoding.h"

namespace {

using test::Gbk;
using test::HalfRow;
using test::LabelRow;
using test::Utf8;
using weather::LeadingInteger;
using weather::ParseWeatherPage;
using weather::Utf8ToLocal;

TEST(WeatherRequest, IsAnHttp10GetInTheAbsoluteForm) {
    EXPECT_EQ(weather::RequestText("weather.example.org:8080", 101010100),
              "GET http://weather.example.org:8080/weather/101010100.shtml HTTP/1.0\r\n"
              "Referer: http://weather.example.org:8080/\r\n"
              "User-Agent: nvk HTTP FILE DOWNLOAD\r\n"
              "\r\n");
}

TEST(WeatherUtf8ToLocal, ConvertsThreeByteSequencesOnly) {
    const struct {
        std::string in, out;
    } cases[] = {
        {"", ""},
        {"GET / HTTP/1.0\r\n<a>", "GET / HTTP/1.0\r\n<a>"},
        {Utf8(u8"今天"), "\xBD\xF1\xCC\xEC"},           // GBK of 今 and 天
        {Utf8(u8"-3℃"), "-3\xA1\xE6"},                  // ℃ is A1 E6
        {"a" + Utf8(u8"今") + "\xFF" "b", "a\xBD\xF1\xFF" "b"},
        {"\xE4\xBB", "\xE4\xBB"},                       // cut short
        {"\xE4\x41\x42", "\xE4\x41\x42"},               // no continuation bytes
        {"\x80\xBF", "\x80\xBF"},                       // continuation bytes alone
        {"\xC3\xA9", "\xC3\xA9"},                       // é: a two-byte sequence stays
        {"\xF0\x9F\x98\x80", "\xF0\x9F\x98\x80"},       // a four-byte sequence stays
        {Utf8(u8"ก"), "?"},                             // Thai: no GBK character
        {Utf8(u8"今ก天"), "\xBD\xF1?\xCC\xEC"},         // within a run of Chinese
        {"\xE0\x81\x81", "?"},                          // overlong "A"
        {"\xED\xA0\x80", "?"},                          // a surrogate
    };
    for (const auto& c : cases) EXPECT_EQ(Utf8ToLocal(c.in), c.out) << c.in;
}

TEST(WeatherLeadingInteger, ReadsSignAndDigitsUpToTheFirstOtherCharacter) {
    const struct {
        std::string in;
        int value;
    } cases[] = {
        {"-3\xA1\xE6", -3}, {"\xA1\xE6", 0},   {"+", 0},           {"-", 0},        {"", 0},
        {"+12abc", 12},     {"007", 7},        {"12 3", 12},       {" 5", 0},       {"26\xA1\xE6<", 26},
        {"-12\xA1\xE6", -12}, {"2147483647", INT_MAX}, {"2147483648", INT_MAX}, {"99999999999999999999", INT_MAX},
        {"-2147483648", INT_MIN}, {"-99999999999999999999", INT_MIN},
    };
    for (const auto& c : cases) EXPECT_EQ(LeadingInteger(c.in), c.value) << c.in;
}

// --- a page as the weather site lays it out, written by hand ---------------------------------------

// 2024-12-30, a Monday: the date fills the 14 bytes after 今天是. Day 2's weather cells lack
// "</a></td>", day 4 has only a night, the page ends before a fifth day.
std::string HandPage(const char8_t* date = u8"2024年12月30日") {
    std::string page = test::PageHead(date);
    page += LabelRow(u8"30日星期一");
    page += HalfRow(u8"白天", u8"多云", u8"26℃", u8"东北风", u8"3级");
    page += HalfRow(u8"夜间", u8"小雨", u8"-3℃", u8"北风", u8"2级");
    page += LabelRow(u8"31日星期二");
    page += HalfRow(u8"白天", u8"阴", u8"-12℃", u8"西风", u8"4级", "</a> </td>");
    page += HalfRow(u8"夜间", u8"雾", u8"-20℃", u8"西北风", u8"5级", "</a> </td>");
    page += LabelRow(u8"1日星期三");
    page += HalfRow(u8"白天", u8"雷阵雨冰雹", u8"+5℃", u8"  南风 ", u8"12级");
    page += HalfRow(u8"夜间", u8"晴", u8"℃", u8"无持续风向", u8"1级");
    page += LabelRow(u8"2日星期四");
    page += HalfRow(u8"夜间", u8"中雪", u8"-8℃", u8"东风", u8"2级");
    page += "</table></body></html>\r\n";
    return Utf8ToLocal(page);
}

struct ExpectedHalf {
    bool found;
    int values;
    const char8_t* weather;
    int temperature;
    const char8_t* direction;
    const char8_t* force;
};

void ExpectHalf(const weather::Half& h, const ExpectedHalf& e, const std::string& where) {
    EXPECT_EQ(h.found, e.found) << where;
    EXPECT_EQ(h.values, e.values) << where;
    EXPECT_EQ(h.weather, Gbk(e.weather)) << where;
    EXPECT_EQ(h.temperature, e.temperature) << where;
    EXPECT_EQ(h.wind_direction, Gbk(e.direction)) << where;
    EXPECT_EQ(h.wind_force, Gbk(e.force)) << where;
}

TEST(WeatherParsePage, ReadsEveryDayAndLeavesABrokenBlockEmpty) {
    const weather::WeatherPage page = ParseWeatherPage(HandPage());
    ASSERT_TRUE(page.ok);
    EXPECT_EQ(page.year, 2024);
    EXPECT_EQ(page.month, 12);
    EXPECT_EQ(page.day, 30);
    EXPECT_EQ(page.published, "08:00");
    const struct {
        const char8_t* label;
        ExpectedHalf day, night;
    } days[] = {
        {u8"30日", {true, 4, u8"多云", 26, u8"东北风", u8"3级"}, {true, 4, u8"小雨", -3, u8"北风", u8"2级"}},
        // No "</a></td>": neither half reads anything.
        {u8"31日", {true, 0, u8"", 0, u8"", u8""}, {true, 0, u8"", 0, u8"", u8""}},
        // Ten bytes of weather; "+5" reads 5, a temperature without digits 0; wind texts trimmed.
        {u8"1日", {true, 4, u8"雷阵雨冰雹", 5, u8"南风", u8"12级"}, {true, 4, u8"晴", 0, u8"无持续风向", u8"1级"}},
        {u8"2日", {false, 0, u8"", 0, u8"", u8""}, {true, 4, u8"中雪", -8, u8"东风", u8"2级"}},
        {u8"", {false, 0, u8"", 0, u8"", u8""}, {false, 0, u8"", 0, u8"", u8""}},
    };
    for (int k = 0; k < 5; ++k) {
        EXPECT_EQ(page.days[k].date_label, Gbk(days[k].label)) << k;
        ExpectHalf(page.days[k].day, days[k].day, "day " + std::to_string(k + 1));
        ExpectHalf(page.days[k].night, days[k].night, "night " + std::to_string(k + 1));
    }

    const std::vector<std::string> cells = weather::FormatCells(page);
    ASSERT_EQ(cells.size(), 40u);
    const char8_t* first_row[8] = {u8"多云", u8"最高26℃", u8"东北风", u8"3级", u8"小雨", u8"最低-3℃", u8"北风", u8"2级"};
    for (int c = 0; c < 8; ++c) EXPECT_EQ(cells[c], Gbk(first_row[c])) << c;
    for (int c = 8; c < 16; ++c) EXPECT_EQ(cells[c], "") << c;  // the broken day: no "最高0℃"
    EXPECT_EQ(cells[21], Gbk(u8"最低0℃"));
    EXPECT_EQ(cells[24], "");
    EXPECT_EQ(cells[25], "");
    EXPECT_EQ(cells[29], Gbk(u8"最低-8℃"));
    EXPECT_EQ(weather::StatusLine(Gbk(u8"北京"), Gbk(u8"天安门"), page), Gbk(u8"  北京天安门 2024年12月30日 08:00发布"));
}

TEST(WeatherParsePage, RefusesPagesWithoutADateOrWithADateThatDoesNotExist) {
    EXPECT_TRUE(ParseWeatherPage(HandPage(u8"2024年2月29日")).ok);
    const char8_t* refused_dates[] = {u8"2009年2月30日", u8"2023年2月29日", u8"2024年13月1日", u8"2024年0月1日",
                                      u8"2024年12月32日", u8"12月30日2024年"};
    for (const char8_t* date : refused_dates) EXPECT_FALSE(ParseWeatherPage(HandPage(date)).ok) << Utf8(date);
    // A date longer than the 14 bytes read: 日 falls outside them.
    EXPECT_FALSE(ParseWeatherPage(HandPage(u8"02024年12月30日")).ok);

    const std::string pages[] = {
        "",
        Gbk(u8"今天是"),
        Gbk(u8"今天是2024年12月30日 08:00发布"),   // no "发布)"
        Gbk(u8"今天是2024年12月 (08:00发布)"),     // no 日
        Gbk(u8"天气 2024年12月30日 (08:00发布)"),  // no 今天是
    };
    for (const std::string& p : pages) {
        const weather::WeatherPage page = ParseWeatherPage(p);
        EXPECT_FALSE(page.ok) << text::GbkToUtf8(p);
        EXPECT_EQ(page.year, 0);
        EXPECT_EQ(page.days[0].date_label, "");
    }
    // The shortest page: the date and the time, no days.
    const weather::WeatherPage bare = ParseWeatherPage(Gbk(u8"今天是2024年5月1日(8:00发布)"));
    EXPECT_TRUE(bare.ok);
    EXPECT_EQ(bare.published, Gbk(u8"月1日(8:00"));  // the 10 bytes before 发布), as they are
    for (const weather::Day& d : bare.days) EXPECT_EQ(d.date_label, "");
}

// A day's block ends 6 bytes before the next "日星期", so that the next label's cell is not part of
// it: here "夜间" stands just there and is not read as day 1's night. A wind text without its
// CR LF is a missing marker.
TEST(WeatherParsePage, BlocksEndBeforeTheNextLabelAndWindTextsNeedTheirLineEnd) {
    std::string page = Utf8(u8"<p>今天是2024年12月30日 星期一 (中央台     08:00发布)</p>\r\n");
    page += LabelRow(u8"30日星期一");
    page += HalfRow(u8"白天", u8"多云", u8"26℃", u8"东北风", u8"3级");
    page += Utf8(u8"<tr><td>夜间31日星期二</td></tr>\r\n");
    page += Utf8(u8"<tr><td>白天</td><td><a href=\"/w.html\" target=\"_blank\">晴</a></td><td><strong>5℃</strong>"
                 u8"</td>\r\n<td><a href=\"/778.php\" target=\"_blank\">     北风\r\n</a></td>"
                 u8"<td><a href=\"/778.php\" target=\"_blank\">     2级</a></td></tr>");
    const weather::WeatherPage read = ParseWeatherPage(Utf8ToLocal(page));
    ASSERT_TRUE(read.ok);
    ExpectHalf(read.days[0].day, {true, 4, u8"多云", 26, u8"东北风", u8"3级"}, "day 1");
    EXPECT_FALSE(read.days[0].night.found);
    EXPECT_EQ(read.days[1].date_label.substr(1), "31" + Gbk(u8"日"));  // after the trail byte of 间
    ExpectHalf(read.days[1].day, {true, 3, u8"晴", 5, u8"北风", u8""}, "day 2");
}

// Each byte count of the layout at its edge, one day's block at a time: the weather of 20 bytes
// before "</a></td>" less the 8 of '_blank">' (six characters), the temperature's 5 bytes, the wind
// text from 30 bytes after the start of "778.php", and the block's end 6 bytes before the next
// "日星期" (a wind text's CR LF there is outside it).
TEST(WeatherParsePage, EachByteCountOfTheLayoutAtItsEdge) {
    const std::string night = HalfRow(u8"夜间", u8"小雨", u8"-3℃", u8"北风", u8"2级");
    const std::string night_to_force = night.substr(0, night.rfind("\r\n</a>") + 2);  // ends with 2级 CR LF
    const std::string next_day = Utf8(u8"日星期二</td></tr>\r\n") + HalfRow(u8"白天", u8"晴", u8"5℃", u8"西风", u8"1级");
    const ExpectedHalf none{false, 0, u8"", 0, u8"", u8""};
    const struct {
        const char* what;
        std::string rows;
        ExpectedHalf day, night;
    } cases[] = {
        {"six characters of weather", HalfRow(u8"白天", u8"雷阵雨转冰雹", u8"26℃", u8"东北风", u8"3级"),
         {true, 4, u8"雷阵雨转冰雹", 26, u8"东北风", u8"3级"}, none},
        {"five bytes of temperature", HalfRow(u8"白天", u8"晴", u8"-12345℃", u8"东北风", u8"3级"),
         {true, 4, u8"晴", -1234, u8"东北风", u8"3级"}, none},
        {"wind texts right at 30 bytes", HalfRow(u8"白天", u8"晴", u8"9℃", u8"东北风", u8"3级", "</a></td>", "====="),
         {true, 4, u8"晴", 9, u8"东北风", u8"3级"}, none},
        {"CR LF 6 bytes before the next label", night_to_force + "d\">31" + next_day, none,
         {true, 3, u8"小雨", -3, u8"北风", u8""}},
        {"CR LF 7 bytes before the next label", night_to_force + "td\">31" + next_day, none,
         {true, 4, u8"小雨", -3, u8"北风", u8"2级"}},
    };
    for (const auto& c : cases) {
        const weather::WeatherPage page =
            ParseWeatherPage(Utf8ToLocal(test::PageHead() + LabelRow(u8"30日星期一") + c.rows));
        ASSERT_TRUE(page.ok) << c.what;
        EXPECT_EQ(page.days[0].date_label, Gbk(u8"30日")) << c.what;
        ExpectHalf(page.days[0].day, c.day, std::string(c.what) + ", day");
        ExpectHalf(page.days[0].night, c.night, std::string(c.what) + ", night");
    }
}

// Every cut of the page is read without reaching outside it; what is read never grows beyond the
// bytes the layout allows.
TEST(WeatherParsePage, EveryPrefixOfThePageIsReadSafely) {
    const std::string whole = HandPage();
    for (std::size_t n = 0; n <= whole.size(); ++n) {
        const weather::WeatherPage page = ParseWeatherPage(std::string_view(whole).substr(0, n));
        EXPECT_LE(page.published.size(), 10u);
        for (const weather::Day& d : page.days) {
            EXPECT_LE(d.date_label.size(), 5u);
            EXPECT_LE(d.day.weather.size(), 12u);
            EXPECT_LE(d.night.weather.size(), 12u);
        }
    }
}

}  // namespace
