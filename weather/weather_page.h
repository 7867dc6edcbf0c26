// The weather viewer's page: the request it sends, the conversion of the answer from UTF-8 to the
// program's GBK, the reading of the five-day forecast out of it, and the texts of the viewer's
// table and status line. Every function answers in-band: a page without the expected markers gives
// a result with ok false, a marker missing inside one day leaves that day's values empty.
//
// The page is read by byte positions in the converted (GBK) text, a Chinese character counting two
// bytes; the offsets below belong to the layout the weather service writes (web/weather_html.cpp).
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace weather {

constexpr int kForecastDays = 5;
constexpr int kCellsPerRow = 8;  // day: weather, high, direction, force; night: the same four

// One half of a day as the page gives it. The four values are read in this order and a missing
// marker ends the reading, so `values` tells how many of them the page held (0..4).
struct Half {
    std::string weather;         // e.g. "多云"
    int temperature = 0;         // degrees Celsius
    std::string wind_direction;  // e.g. "东北风"
    std::string wind_force;      // e.g. "3级"
    bool found = false;          // the block held "白天" (day) or "夜间" (night)
    int values = 0;
};

struct Day {
    std::string date_label;  // e.g. "12日"; empty when the page had no such day
    Half day;
    Half night;
};

struct WeatherPage {
    bool ok = false;  // the date line and the publication time were found and the date exists
    int year = 0;
    int month = 0;
    int day = 0;
    std::string published;  // e.g. "08:00"
    std::array<Day, kForecastDays> days;
};

// "GET http://" host "/weather/" code ".shtml HTTP/1.0", then "Referer: http://" host "/" and
// "User-Agent: nvk HTTP FILE DOWNLOAD", each line ended by CR LF, and an empty line. The host may
// carry ":port".
std::string RequestText(std::string_view host, std::int32_t code);

// Every three-byte UTF-8 sequence (a byte 1110xxxx followed by two bytes 10xxxxxx) becomes the
// GBK character of its code; every other byte is kept as it is, so ASCII, broken sequences and the
// two- and four-byte forms pass through unchanged. A code without a GBK character becomes "?":
// characters outside GBK, and the codes no three-byte sequence may carry (overlong forms below
// U+0800, the surrogates U+D800..U+DFFF). The result is never longer than the input.
std::string Utf8ToLocal(std::string_view bytes);

// The whole number at the start of s: 0 unless s starts with "+", "-" or a digit; otherwise the
// number written by the characters before the first non-digit after the first one ("-3℃" gives -3,
// "+" alone 0). Numbers beyond the range of int stop at its ends.
int LeadingInteger(std::string_view s);

// Reads the forecast out of a page already converted to GBK (see Utf8ToLocal).
WeatherPage ParseWeatherPage(std::string_view page);

// The 40 cells of the viewer's table, row by row (five days of eight): day weather, "最高" high "℃",
// day wind direction, day wind force, night weather, "最低" low "℃", night wind direction, night
// wind force. A temperature cell is empty when its weather is.
std::vector<std::string> FormatCells(const WeatherPage& page);

// "  " province city " " year "年" month "月" day "日 " published "发布", for a page that was read.
std::string StatusLine(std::string_view province, std::string_view city, const WeatherPage& page);

}  // namespace weather
