// The forecasts tempoline-web serves: five days from today in China, each a day half and a night
// half, as a source gives them; the places they are asked for; the sources behind one interface.
// Texts are GBK, like every text of the program; the service converts to UTF-8 only when it
// answers.
#pragma once

#include <array>
#include <cstdint>
#include <ctime>
#include <string>
#include <vector>

#include "astro/day_numbers.h"

namespace web {

constexpr int kForecastDays = 5;

struct HalfForecast {
    std::string weather;         // 晴, 多云, 小雨 ...
    int temperature = 0;         // the day's high or the night's low, degrees Celsius
    std::string wind_direction;  // 北风 .. 西北风
    std::string wind_force;      // "3级"
    bool operator==(const HalfForecast&) const = default;
};

struct DayForecast {
    HalfForecast day;
    HalfForecast night;
    bool operator==(const DayForecast&) const = default;
};

struct Forecast {
    std::string published;  // "HH:MM", China time
    std::array<DayForecast, kForecastDays> days;  // today first
    bool operator==(const Forecast&) const = default;
};

// A place of the city table that has a weather code. Several places may share one code; the
// service answers for the first of them in table order.
struct Place {
    std::int32_t code = 0;
    int province = 0;
    int city = 0;
    std::string province_name;
    std::string city_name;
    double east_longitude = 0.0;  // degrees, east positive (the city table counts east negative)
    double latitude = 0.0;        // degrees, north positive
};

// The place a page path names ("101010100"): false for a text that is not the decimal code of a
// place in provinces 1..34 (the places abroad have no code).
bool FindPlace(const std::string& code_text, Place& place);

// Every code of the city table once, in table order, with its place.
const std::vector<Place>& EveryPlace();

// The date and time in China (UTC+8) at a moment of the system clock.
struct ChinaTime {
    astro::CalendarDate date;
    int hour = 0;
    int minute = 0;
};
ChinaTime ChinaTimeAt(std::time_t moment);
// The date `days` after `date`.
astro::CalendarDate DaysAfter(const astro::CalendarDate& date, int days);
// "星期一" .. "星期日".
std::string WeekdayName(const astro::CalendarDate& date);

struct SourceAnswer {
    bool ok = false;
    Forecast forecast;
    std::string failure;  // why not, for the log (GBK)
};

class ForecastSource {
public:
    virtual ~ForecastSource() = default;
    // The forecast of the place for the five days from `now`'s date in China. Called from the
    // server's threads at once: an implementation guards what it keeps. An answer that is ok has
    // passed CheckForecast (the service serves it as it is).
    virtual SourceAnswer ForecastFor(const Place& place, std::time_t now) = 0;
    // The same when it can be had without waiting for anything (a file, an answer kept from
    // before): the server asks this on its network thread first and asks ForecastFor on a worker
    // only when it gives false.
    virtual bool ForecastAtOnce(const Place&, std::time_t, SourceAnswer&) { return false; }
    // Who made the forecasts, as the page credits them (GBK).
    virtual std::string Credit() const = 0;
};

// Why a forecast cannot be served, or "" when it can: every text must come through the page and
// back unchanged (rendered, converted to UTF-8 and back, read by the viewer's parser), which keeps
// out markup, line ends and characters without a GBK form, and every weather text must fit the
// 12 bytes the viewer reads; temperatures lie within -99..99.
std::string CheckForecast(const Forecast& forecast);

}  // namespace web
