#include "weather/weather_page.h"

#include <climits>
#include <cstddef>

#include "astro/day_numbers.h"
#include "text/encoding.h"

namespace weather {

namespace {

using View = std::string_view;
constexpr std::size_t npos = View::npos;

// The markers of the page, in GBK.
constexpr View kToday = "今天是";
constexpr View kYear = "年";
constexpr View kMonth = "月";
constexpr View kDayOfMonth = "日";
constexpr View kPublished = "发布)";
constexpr View kDateOfDay = "日星期";
constexpr View kDaytime = "白天";
constexpr View kNight = "夜间";
constexpr View kLinkEnd = "</a></td>";
constexpr View kNewWindow = "_blank";
constexpr View kStrong = "<strong>";
constexpr View kWindLink = "778.php";
constexpr View kLineEnd = "\r\n";

// The byte counts of the layout. The date line: its first 14 bytes hold the whole date
// ("2024年12月31日" is 14). The publication time: the 10 bytes before "发布)". A day's label: the
// 5 bytes from 3 before "日星期" (">12日"); the day's block starts 20 bytes after the start of
// "日星期" ("日星期日" and "</td></tr>" CR LF) and ends 6 bytes before the next one. The weather: the
// 20 bytes before "</a></td>", from 8 after the start of "_blank" ('_blank">'). A temperature: the 5
// bytes after "<strong>". A wind text: from 30 bytes after the start of "778.php" to CR LF.
constexpr std::ptrdiff_t kDateBytes = 14;
constexpr std::ptrdiff_t kTimeBytes = 10;
constexpr std::ptrdiff_t kLabelBack = 3;
constexpr std::ptrdiff_t kLabelBytes = 5;
constexpr std::ptrdiff_t kBlockSkip = 20;
constexpr std::ptrdiff_t kBlockEndBack = 6;
constexpr std::ptrdiff_t kWeatherBytes = 20;
constexpr std::ptrdiff_t kWeatherSkip = 8;
constexpr std::ptrdiff_t kTemperatureBytes = 5;
constexpr std::ptrdiff_t kWindSkip = 30;
constexpr std::ptrdiff_t kAll = PTRDIFF_MAX / 4;

// The bytes [from, from + count) of s, cut to the bytes s has: a start before s begins at s, an end
// past s stops at its end, and a range outside s is empty. Every offset of the layout goes through
// here, so a page too short for an offset reads fewer bytes instead of reading outside the page.
View Slice(View s, std::ptrdiff_t from, std::ptrdiff_t count) {
    const std::ptrdiff_t size = static_cast<std::ptrdiff_t>(s.size());
    std::ptrdiff_t begin = from < 0 ? 0 : from;
    std::ptrdiff_t end = count > kAll - (from < 0 ? 0 : from) ? kAll : from + count;
    if (end > size) end = size;
    if (begin >= end) return {};
    return s.substr(static_cast<std::size_t>(begin), static_cast<std::size_t>(end - begin));
}

// The bytes from `from` to the end of s.
View From(View s, std::ptrdiff_t from) { return Slice(s, from, kAll); }

std::ptrdiff_t At(std::size_t position) { return static_cast<std::ptrdiff_t>(position); }

// Blanks (spaces and tabs) off both ends.
std::string Trimmed(View s) {
    const std::size_t first = s.find_first_not_of(" \t");
    if (first == npos) return {};
    return std::string(s.substr(first, s.find_last_not_of(" \t") - first + 1));
}

// The text after the first ">" of s, or all of s without one.
View AfterTagEnd(View s) {
    const std::size_t gt = s.find('>');
    return gt == npos ? s : s.substr(gt + 1);
}

// One half of a day: the weather, the temperature (the first "<strong>" of `temperatures`), the
// wind direction and force. `block` is what is left of the day's block; it moves past the wind
// texts as they are read, so the next half reads on from there. A missing marker ends the half.
void ReadHalf(View& block, View temperatures, Half& half) {
    half.found = true;
    const std::size_t link_end = block.find(kLinkEnd);
    if (link_end == npos) return;
    const View cell = Slice(block, At(link_end) - kWeatherBytes, kWeatherBytes);
    const std::size_t blank = cell.find(kNewWindow);
    if (blank == npos) return;
    half.weather = std::string(From(cell, At(blank) + kWeatherSkip));
    half.values = 1;

    const std::size_t strong = temperatures.find(kStrong);
    if (strong == npos) return;
    half.temperature = LeadingInteger(Slice(temperatures, At(strong + kStrong.size()), kTemperatureBytes));
    half.values = 2;

    for (std::string* wind : {&half.wind_direction, &half.wind_force}) {
        const std::size_t link = block.find(kWindLink);
        if (link == npos) return;
        block = From(block, At(link) + kWindSkip);
        // A wind text without its CR LF is a missing marker too: the line has no end to read to.
        const std::size_t end = block.find(kLineEnd);
        if (end == npos) return;
        *wind = Trimmed(block.substr(0, end));
        ++half.values;
    }
}

bool IsLeadOfThree(unsigned char b) { return (b & 0xF0) == 0xE0; }
bool IsContinuation(unsigned char b) { return (b & 0xC0) == 0x80; }

bool StartsThree(View s, std::size_t i) {
    return i + 2 < s.size() && IsLeadOfThree(static_cast<unsigned char>(s[i])) &&
           IsContinuation(static_cast<unsigned char>(s[i + 1])) && IsContinuation(static_cast<unsigned char>(s[i + 2]));
}

unsigned CodeOfThree(View s) {
    return (static_cast<unsigned char>(s[0]) & 0x0Fu) << 12 | (static_cast<unsigned char>(s[1]) & 0x3Fu) << 6 |
           (static_cast<unsigned char>(s[2]) & 0x3Fu);
}

// A code that UTF-8 writes in three bytes: not overlong, not a surrogate.
bool IsThreeByteCharacter(unsigned code) { return code >= 0x800 && (code < 0xD800 || code > 0xDFFF); }

// One GBK double-byte character: lead 81..FE, trail 40..FE without 7F.
bool IsGbkPair(View s) {
    if (s.size() != 2) return false;
    const unsigned char lead = static_cast<unsigned char>(s[0]), trail = static_cast<unsigned char>(s[1]);
    return lead >= 0x81 && lead <= 0xFE && trail >= 0x40 && trail <= 0xFE && trail != 0x7F;
}

// The GBK character of one three-byte sequence, or "?" when it has none. The converters answer a
// character they cannot write with "?" (one per input byte); only a single double-byte character
// is taken, so no converter's best-fit ASCII stand-in can forge a marker of the page.
std::string LocalOfThree(View sequence) {
    if (!IsThreeByteCharacter(CodeOfThree(sequence))) return "?";
    std::string local = text::Utf8ToGbk(sequence);
    return IsGbkPair(local) ? local : "?";
}

// A run of whole three-byte sequences, converted at once when every one of them has its GBK
// character (the usual case: a page of Chinese text), otherwise one by one.
void AppendRun(std::string& out, View run) {
    const std::size_t count = run.size() / 3;
    bool whole = true;
    for (std::size_t i = 0; i < run.size() && whole; i += 3) whole = IsThreeByteCharacter(CodeOfThree(run.substr(i, 3)));
    if (whole) {
        const std::string local = text::Utf8ToGbk(run);
        bool pairs = local.size() == 2 * count;
        for (std::size_t i = 0; i < local.size() && pairs; i += 2) pairs = IsGbkPair(View(local).substr(i, 2));
        if (pairs) {
            out += local;
            return;
        }
    }
    for (std::size_t i = 0; i < run.size(); i += 3) out += LocalOfThree(run.substr(i, 3));
}

}  // namespace

std::string RequestText(std::string_view host, std::int32_t code) {
    std::string request = "GET http://";
    request += host;
    request += "/weather/" + std::to_string(code) + ".shtml HTTP/1.0\r\n";
    request += "Referer: http://";
    request += host;
    request += "/\r\n";
    request += "User-Agent: nvk HTTP FILE DOWNLOAD\r\n";
    request += "\r\n";
    return request;
}

std::string Utf8ToLocal(std::string_view bytes) {
    std::string out;
    out.reserve(bytes.size());
    std::size_t i = 0;
    while (i < bytes.size()) {
        if (!StartsThree(bytes, i)) {
            out += bytes[i++];
            continue;
        }
        std::size_t end = i;
        while (StartsThree(bytes, end)) end += 3;
        AppendRun(out, bytes.substr(i, end - i));
        i = end;
    }
    return out;
}

int LeadingInteger(std::string_view s) {
    if (s.empty()) return 0;
    const char first = s[0];
    const bool digit = first >= '0' && first <= '9';
    if (!digit && first != '+' && first != '-') return 0;
    const bool negative = first == '-';
    // The magnitude grows up to one past INT_MAX (the size of INT_MIN) and stops there.
    constexpr long long kLimit = static_cast<long long>(INT_MAX) + 1;
    long long magnitude = digit ? first - '0' : 0;
    for (std::size_t i = 1; i < s.size() && s[i] >= '0' && s[i] <= '9'; ++i) {
        magnitude = magnitude * 10 + (s[i] - '0');
        if (magnitude > kLimit) magnitude = kLimit;
    }
    if (negative) return static_cast<int>(-magnitude);
    return magnitude > INT_MAX ? INT_MAX : static_cast<int>(magnitude);
}

WeatherPage ParseWeatherPage(std::string_view page) {
    const std::size_t today = page.find(kToday);
    if (today == npos) return {};
    View p = page.substr(today + kToday.size());

    const View date = Slice(p, 0, kDateBytes);
    const std::size_t year_mark = date.find(kYear);
    const std::size_t month_mark = date.find(kMonth);
    const std::size_t day_mark = date.find(kDayOfMonth);
    const std::size_t published = p.find(kPublished);
    if (year_mark == npos || month_mark == npos || day_mark == npos || published == npos) return {};

    WeatherPage result;
    // A mark out of order gives an empty number (0), and so a date that does not exist.
    result.year = LeadingInteger(Slice(date, 0, At(year_mark)));
    result.month = LeadingInteger(Slice(date, At(year_mark + kYear.size()), At(month_mark) - At(year_mark + kYear.size())));
    result.day = LeadingInteger(
        Slice(date, At(month_mark + kMonth.size()), At(day_mark) - At(month_mark + kMonth.size())));
    // Fewer than 10 bytes before "发布)" when the page has no more after "今天是".
    result.published = Trimmed(Slice(p, At(published) - kTimeBytes, kTimeBytes));
    if (!astro::IsValidDate(result.year, result.month, result.day)) return {};
    result.ok = true;

    for (Day& day : result.days) {
        const std::size_t label = p.find(kDateOfDay);
        if (label == npos) continue;  // no more days: this one and the rest stay empty
        day.date_label = std::string(AfterTagEnd(Slice(p, At(label) - kLabelBack, kLabelBytes)));
        p = From(p, At(label) + kBlockSkip);
        const std::size_t next = p.find(kDateOfDay);
        View block = next == npos ? p : Slice(p, 0, At(next) - kBlockEndBack);
        if (block.find(kDaytime) != npos) ReadHalf(block, p, day.day);
        if (block.find(kNight) != npos) ReadHalf(block, block, day.night);
    }
    return result;
}

std::vector<std::string> FormatCells(const WeatherPage& page) {
    std::vector<std::string> cells;
    cells.reserve(kForecastDays * kCellsPerRow);
    for (const Day& day : page.days) {
        const auto half = [&cells](const Half& h, const char* word) {
            cells.push_back(h.weather);
            cells.push_back(h.weather.empty() ? std::string() : word + std::to_string(h.temperature) + "℃");
            cells.push_back(h.wind_direction);
            cells.push_back(h.wind_force);
        };
        half(day.day, "最高");
        half(day.night, "最低");
    }
    return cells;
}

std::string StatusLine(std::string_view province, std::string_view city, const WeatherPage& page) {
    std::string line = "  ";
    line += province;
    line += city;
    line += " " + std::to_string(page.year) + "年" + std::to_string(page.month) + "月" + std::to_string(page.day) +
            "日 " + page.published + "发布";
    return line;
}

}  // namespace weather
