#include "web/forecast.h"

#include <string_view>

#include "places/city_table.h"
#include "text/encoding.h"
#include "weather/weather_page.h"
#include "web/weather_html.h"

namespace web {

namespace {

constexpr astro::DayNumber kUnixEpochDay = 2440588;  // 1970-01-01
constexpr long long kSecondsPerDay = 86400;
constexpr long long kChinaOffsetSeconds = 8 * 3600;

bool HasCoordinates(int province, int city) {
    return places::CityLongitude(province, city) != 0.0 || places::CityLatitude(province, city) != 0.0;
}

std::vector<Place> CollectPlaces() {
    std::vector<Place> every;
    for (int province = 1; province <= places::ChineseProvinceCount; ++province) {
        for (int city = 1; city <= places::CityCount(province); ++city) {
            const std::int32_t code = places::CityWeatherCode(province, city);
            if (code == 0) continue;
            bool known = false;
            for (Place& place : every) {
                if (place.code != code) continue;
                known = true;
                // A place without coordinates takes those of the next place of its code that has them.
                if (place.east_longitude == 0.0 && place.latitude == 0.0 && HasCoordinates(province, city)) {
                    place.east_longitude = -places::CityLongitude(province, city);
                    place.latitude = places::CityLatitude(province, city);
                }
            }
            if (known) continue;
            Place place{code, province, city, places::CityText(province, -1), places::CityText(province, city), 0.0, 0.0};
            place.east_longitude = -places::CityLongitude(province, city);
            place.latitude = places::CityLatitude(province, city);
            every.push_back(place);
        }
    }
    // The table has no coordinates for a few districts (four of 重庆) and nothing else shares their
    // codes: they are forecast at the first place of their province, the nearest the table knows.
    for (Place& place : every) {
        if (place.east_longitude != 0.0 || place.latitude != 0.0) continue;
        for (int city = 1; city <= places::CityCount(place.province); ++city) {
            if (!HasCoordinates(place.province, city)) continue;
            place.east_longitude = -places::CityLongitude(place.province, city);
            place.latitude = places::CityLatitude(place.province, city);
            break;
        }
    }
    return every;
}

// A text that the page carries as it is: no markup, no line end.
bool IsPlainText(const std::string& s) { return s.find_first_of("<>&\"\r\n") == std::string::npos; }

std::string HalfName(int day, bool night) {
    return "day " + std::to_string(day + 1) + (night ? " night" : " daytime");
}

std::string CheckHalf(const HalfForecast& half, const std::string& name) {
    if (half.temperature < -99 || half.temperature > 99) return name + ": temperature outside -99..99";
    if (half.weather.empty() || half.wind_direction.empty() || half.wind_force.empty())
        return name + ": weather, wind direction and wind force must not be empty";
    if (!IsPlainText(half.weather) || !IsPlainText(half.wind_direction) || !IsPlainText(half.wind_force))
        return name + ": a text holds markup characters or a line end";
    if (half.weather.size() > 12) return name + ": weather '" + half.weather + "' is longer than 12 bytes";
    return {};
}

bool SameHalf(const HalfForecast& sent, const weather::Half& read) {
    return read.found && read.values == 4 && read.weather == sent.weather && read.temperature == sent.temperature &&
           read.wind_direction == sent.wind_direction && read.wind_force == sent.wind_force;
}

}  // namespace

const std::vector<Place>& EveryPlace() {
    static const std::vector<Place> every = CollectPlaces();
    return every;
}

bool FindPlace(const std::string& code_text, Place& place) {
    if (code_text.empty() || code_text.size() > 9 || code_text[0] == '0') return false;
    for (char c : code_text)
        if (c < '0' || c > '9') return false;
    const std::int32_t code = std::stoi(code_text);
    for (const Place& known : EveryPlace()) {
        if (known.code != code) continue;
        place = known;
        return true;
    }
    return false;
}

ChinaTime ChinaTimeAt(std::time_t moment) {
    const long long seconds = static_cast<long long>(moment) + kChinaOffsetSeconds;
    long long days = seconds / kSecondsPerDay;
    long long rest = seconds % kSecondsPerDay;
    if (rest < 0) {
        rest += kSecondsPerDay;
        --days;
    }
    ChinaTime t;
    t.date = astro::DayNumberToDate(static_cast<astro::DayNumber>(kUnixEpochDay + days));
    t.hour = static_cast<int>(rest / 3600);
    t.minute = static_cast<int>(rest / 60 % 60);
    return t;
}

astro::CalendarDate DaysAfter(const astro::CalendarDate& date, int days) {
    return astro::DayNumberToDate(astro::DateToDayNumber(date.year, date.month, date.day) + days);
}

std::string WeekdayName(const astro::CalendarDate& date) {
    static constexpr const char* kNames[7] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    const int weekday = astro::Weekday(astro::DateToDayNumber(date.year, date.month, date.day));
    return weekday >= 0 && weekday < 7 ? kNames[weekday] : "";
}

std::string CheckForecast(const Forecast& forecast) {
    if (forecast.published.empty() || forecast.published.size() > 10 || !IsPlainText(forecast.published))
        return "the publication time must be 1..10 plain bytes, such as 08:00";
    for (int k = 0; k < kForecastDays; ++k) {
        for (const bool night : {false, true}) {
            const HalfForecast& half = night ? forecast.days[k].night : forecast.days[k].day;
            const std::string why = CheckHalf(half, HalfName(k, night));
            if (!why.empty()) return why;
        }
    }
    // What the viewer reads back from the page, at a place and date of two-digit month and day.
    const Place sample{101010100, 1, 1, "北京", "天安门", 116.38, 39.90};
    const std::string page = WeatherPageHtml(sample, astro::CalendarDate{2024, 12, 31}, forecast, "Tempoline");
    const weather::WeatherPage read = weather::ParseWeatherPage(weather::Utf8ToLocal(text::GbkToUtf8(page)));
    if (!read.ok || read.published != forecast.published) return "the publication time does not read back";
    for (int k = 0; k < kForecastDays; ++k) {
        if (!SameHalf(forecast.days[k].day, read.days[k].day)) return HalfName(k, false) + ": does not read back";
        if (!SameHalf(forecast.days[k].night, read.days[k].night)) return HalfName(k, true) + ": does not read back";
    }
    return {};
}

}  // namespace web
