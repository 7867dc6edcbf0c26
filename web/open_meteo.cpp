#include "web/open_meteo.h"

#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <iterator>
#include <unordered_map>

#include "web/http_get.h"

namespace web {

namespace {

using Json = nlohmann::json;

constexpr std::size_t kMaxAnswerBytes = std::size_t{2} << 20;  // a week of hourly values is ~10 KB
constexpr double kPi = 3.14159265358979323846;

// The speeds (tenths of a metre per second) from which forces 1..17 start.
constexpr int kForceFromTenths[] = {3, 16, 34, 55, 80, 108, 139, 172, 208, 245, 285, 327, 370, 415, 462, 510, 561};

std::string HourText(const astro::CalendarDate& d, int hour) {
    char text[32];
    std::snprintf(text, sizeof text, "%04d-%02d-%02dT%02d:00", d.year, d.month, d.day, hour);
    return text;
}

std::string DateText(const astro::CalendarDate& d) {
    char text[16];
    std::snprintf(text, sizeof text, "%04d-%02d-%02d", d.year, d.month, d.day);
    return text;
}

// One variable of the hourly answer: a number at an hour, or none (null, missing, out of range).
struct Series {
    const Json* values = nullptr;
    double low = 0.0, high = 0.0;  // what a value may be; anything else is taken for missing

    bool At(std::size_t i, double& value) const {
        if (!values || i >= values->size() || !(*values)[i].is_number()) return false;
        value = (*values)[i].get<double>();
        return std::isfinite(value) && value >= low && value <= high;
    }
};

struct HalfValues {
    bool any_code = false, any_temperature = false, any_wind = false;
    int code = 0;
    double highest = -1e9, lowest = 1e9;
    double east = 0.0, north = 0.0, speeds = 0.0, strongest = 0.0;  // wind, as vectors (the way it blows from)
};

HalfForecast HalfOf(const HalfValues& v, bool night) {
    HalfForecast half;
    half.weather = WeatherWordOfCode(v.code);
    const double t = night ? v.lowest : v.highest;
    half.temperature = static_cast<int>(std::lround(t < -99 ? -99 : t > 99 ? 99 : t));
    const int force = WindForceOf(v.strongest);
    // Winds that cancel out (or none at all) have no direction to name.
    const bool steady = force > 0 && std::hypot(v.east, v.north) >= 0.25 * v.speeds;
    half.wind_direction = steady ? WindDirectionWord(std::atan2(v.east, v.north) * 180.0 / kPi) : "无持续风向";
    half.wind_force = std::to_string(force) + "级";
    return half;
}

}  // namespace

std::string WeatherWordOfCode(int code) {
    switch (code) {
        case 0: case 1: return "晴";
        case 2: return "多云";
        case 3: return "阴";
        case 45: case 48: return "雾";
        case 51: case 53: case 55: return "小雨";  // drizzle
        case 56: case 57: case 66: case 67: return "冻雨";
        case 61: return "小雨";
        case 63: return "中雨";
        case 65: return "大雨";
        case 71: case 77: return "小雪";  // 77: snow grains
        case 73: return "中雪";
        case 75: return "大雪";
        case 80: case 81: return "阵雨";
        case 82: return "暴雨";
        case 85: case 86: return "阵雪";
        case 95: return "雷阵雨";
        case 96: case 99: return "雷阵雨冰雹";  // 雷阵雨伴有冰雹 is longer than the viewer's 12 bytes
        default: return "未知";
    }
}

std::string WindDirectionWord(double degrees) {
    static constexpr const char* kPoints[8] = {"北风", "东北风", "东风", "东南风", "南风", "西南风", "西风", "西北风"};
    if (!std::isfinite(degrees)) return kPoints[0];
    double d = std::fmod(degrees, 360.0);
    if (d < 0) d += 360.0;
    return kPoints[static_cast<int>((d + 22.5) / 45.0) % 8];
}

int WindForceOf(double metres_per_second) {
    if (!(metres_per_second > 0)) return 0;  // NaN too
    const long long tenths = std::llround(std::fmin(metres_per_second, 1000.0) * 10.0);
    int force = 0;
    for (int from : kForceFromTenths) force += tenths >= from ? 1 : 0;
    return force;
}

std::string OpenMeteoPath(const Place& place, const astro::CalendarDate& today) {
    char coordinates[64];
    std::snprintf(coordinates, sizeof coordinates, "latitude=%.2f&longitude=%.2f", place.latitude, place.east_longitude);
    return std::string("/v1/forecast?") + coordinates +
           "&hourly=weather_code,temperature_2m,wind_speed_10m,wind_direction_10m&wind_speed_unit=ms"
           "&timezone=Asia%2FShanghai&start_date=" +
           DateText(today) + "&end_date=" + DateText(DaysAfter(today, kForecastDays));
}

SourceAnswer ForecastFromOpenMeteo(std::string_view json, const astro::CalendarDate& today) {
    SourceAnswer answer;
    const Json doc = Json::parse(json.begin(), json.end(), nullptr, false);
    if (doc.is_discarded() || !doc.is_object()) {
        answer.failure = "Open-Meteo's answer is not JSON";
        return answer;
    }
    const auto hourly = doc.find("hourly");
    if (hourly == doc.end() || !hourly->is_object() || !hourly->contains("time") || !(*hourly)["time"].is_array()) {
        answer.failure = "Open-Meteo's answer has no hourly times";
        return answer;
    }
    const auto series = [&](const char* name, double low, double high) {
        const auto it = hourly->find(name);
        return Series{it != hourly->end() && it->is_array() ? &*it : nullptr, low, high};
    };
    const Series codes = series("weather_code", 0, 99), temperatures = series("temperature_2m", -150, 150),
                 speeds = series("wind_speed_10m", 0, 200), directions = series("wind_direction_10m", -720, 720);
    std::unordered_map<std::string, std::size_t> hours;
    const Json& times = (*hourly)["time"];
    for (std::size_t i = 0; i < times.size(); ++i)
        if (times[i].is_string()) hours.emplace(times[i].get<std::string>(), i);

    for (int k = 0; k < kForecastDays; ++k) {
        const astro::CalendarDate date = DaysAfter(today, k), next = DaysAfter(today, k + 1);
        for (const bool night : {false, true}) {
            HalfValues v;
            for (int h = 0; h < 12; ++h) {
                const int hour = night ? (20 + h) % 24 : 8 + h;
                const auto at = hours.find(HourText(night && hour < 20 ? next : date, hour));
                if (at == hours.end()) continue;
                double value = 0;
                if (codes.At(at->second, value) && value == std::floor(value)) {
                    v.code = v.any_code ? std::max(v.code, static_cast<int>(value)) : static_cast<int>(value);
                    v.any_code = true;
                }
                if (temperatures.At(at->second, value)) {
                    v.highest = std::max(v.highest, value);
                    v.lowest = std::min(v.lowest, value);
                    v.any_temperature = true;
                }
                double direction = 0;
                if (speeds.At(at->second, value)) {
                    v.any_wind = true;
                    v.strongest = std::max(v.strongest, value);
                    if (directions.At(at->second, direction)) {
                        v.east += value * std::sin(direction * kPi / 180.0);
                        v.north += value * std::cos(direction * kPi / 180.0);
                        v.speeds += value;
                    }
                }
            }
            if (!v.any_code || !v.any_temperature || !v.any_wind) {
                answer.failure = "Open-Meteo's answer has no values for " + DateText(date) + (night ? " night" : " daytime");
                return answer;
            }
            (night ? answer.forecast.days[k].night : answer.forecast.days[k].day) = HalfOf(v, night);
        }
    }
    answer.ok = true;
    return answer;
}

bool OpenMeteoSource::ForecastAtOnce(const Place& place, std::time_t now, SourceAnswer& answer) {
    const ChinaTime china = ChinaTimeAt(now);
    const std::lock_guard<std::mutex> lock(mutex_);
    const auto kept = kept_.find(place.code);
    if (kept == kept_.end() || kept->second.date.year != china.date.year ||
        kept->second.date.month != china.date.month || kept->second.date.day != china.date.day ||
        now < kept->second.fetched || now - kept->second.fetched >= settings_.cache_minutes * 60LL)
        return false;
    answer = SourceAnswer{true, kept->second.forecast, {}};
    return true;
}

SourceAnswer OpenMeteoSource::ForecastFor(const Place& place, std::time_t now) {
    SourceAnswer kept;
    if (ForecastAtOnce(place, now, kept)) return kept;
    const ChinaTime china = ChinaTimeAt(now);
    const std::string where = "Open-Meteo at " + settings_.host + ":" + std::to_string(settings_.port);
    // The path is written encoded already.
    const HttpGetAnswer got = HttpGet(settings_.host, settings_.port, OpenMeteoPath(place, china.date),
                                      {{"User-Agent", "tempoline-web"}}, settings_.deadline_ms, kMaxAnswerBytes);
    SourceAnswer answer;
    if (!got.ok) {
        answer.failure = where + " " + got.failure;
    } else if (got.status != 200) {
        answer.failure = where + " answered status " + std::to_string(got.status);
    } else {
        answer = ForecastFromOpenMeteo(got.body, china.date);
        if (!answer.ok) answer.failure = where + ": " + answer.failure;
    }
    if (!answer.ok) return answer;
    char published[8];
    std::snprintf(published, sizeof published, "%02d:%02d", china.hour, china.minute);
    answer.forecast.published = published;
    const std::string problem = CheckForecast(answer.forecast);
    if (!problem.empty()) return SourceAnswer{false, {}, where + ": " + problem};
    const std::lock_guard<std::mutex> lock(mutex_);
    kept_[place.code] = Kept{china.date, now, answer.forecast};
    return answer;
}

}  // namespace web
