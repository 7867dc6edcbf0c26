// Forecasts from Open-Meteo (open-meteo.com), a public forecast service that needs no key, asked
// over plain HTTP by the place's coordinates for its hourly values in China time. A day's half
// runs 08:00..19:00 and its night 20:00..07:00 of the next day. For each half: the weather is the
// most severe WMO code of its hours (the order of the codes is one of severity), in the words of
// China's forecasts; the temperature is the day's highest or the night's lowest, rounded; the wind
// direction is the mean of the hours' directions weighted by their speeds, in eight points (the
// direction the wind comes from), or 无持续风向 when the hours' winds cancel out; the force is the
// Beaufort force of the strongest hour, as China's scale (GB/T 28591) extends it to 17.
//
// Answers are kept per place for a while (30 minutes unless told), for the same day in China only.
// A question is given up when its whole answer has not come within 15 s (unless told), however
// steadily the server drips it.
#pragma once

#include <cstdint>
#include <ctime>
#include <functional>
#include <map>
#include <mutex>
#include <string>
#include <string_view>

#include "web/forecast.h"

namespace web {

// The words for a WMO weather code; "未知" for a code WMO does not define.
std::string WeatherWordOfCode(int code);
// "北风" .. "西北风" for a direction in degrees (0 north, 90 east), any value.
std::string WindDirectionWord(double degrees);
// The force 0..17 of a mean wind speed in metres per second (speeds rounded to 0.1 first).
int WindForceOf(double metres_per_second);

// The request path for a place and the six days from `today` (the fifth night ends on the sixth).
std::string OpenMeteoPath(const Place& place, const astro::CalendarDate& today);

// The five days from `today` out of an answer's JSON text; the publication time is left empty.
SourceAnswer ForecastFromOpenMeteo(std::string_view json, const astro::CalendarDate& today);

class OpenMeteoSource : public ForecastSource {
public:
    struct Settings {
        std::string host = "api.open-meteo.com";
        int port = 80;
        int cache_minutes = 30;
        int deadline_ms = 15000;  // for all of one question: lookup, connection, request, answer
    };
    explicit OpenMeteoSource(Settings settings) : settings_(std::move(settings)) {}

    SourceAnswer ForecastFor(const Place& place, std::time_t now) override;
    // The answer kept for the place, when there is one for `now`.
    bool ForecastAtOnce(const Place& place, std::time_t now, SourceAnswer& answer) override;
    std::string Credit() const override { return "Open-Meteo.com（CC BY 4.0）"; }

private:
    struct Kept {
        astro::CalendarDate date;
        std::time_t fetched = 0;
        Forecast forecast;
    };
    Settings settings_;
    std::mutex mutex_;  // guards kept_; a fetch runs without it
    std::map<std::int32_t, Kept> kept_;
};

}  // namespace web
