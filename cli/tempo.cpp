// tempo: the command-line calculator over the calendar engine, for scripting and for people on
// other systems. Text for people by default (UTF-8), or one JSON document with --json.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "astro/events.h"
#include "astro/moon.h"
#include "astro/sun.h"
#include "astro/sun_times.h"
#include "calendar/names.h"
#include "cli/date_arg.h"
#include "text/encoding.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using json = nlohmann::ordered_json;

constexpr int kUsageError = 2;

// Thrown by argument checks inside a command; main turns it into a message and status 2.
struct UsageError {
    std::string message;
};

std::string Utf8(const std::string& gbk) { return text::GbkToUtf8(gbk); }

void PrintLine(const std::string& gbk) { std::cout << Utf8(gbk) << '\n'; }

void PrintJson(const json& doc) { std::cout << doc.dump(2) << '\n'; }

std::string Format(const char* fmt, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

astro::CalendarDate ParseDate(const std::string& arg) {
    astro::CalendarDate d;
    std::string error;
    if (!cli::ParseDateArg(arg, d, error)) throw UsageError{"'" + arg + "': " + error};
    return d;
}

astro::DayNumber DayNumberOf(const astro::CalendarDate& d) { return astro::DateToDayNumber(d.year, d.month, d.day); }

void CheckYear(int year) {
    if (year < astro::MinYear || year > astro::MaxYear)
        throw UsageError{"year " + std::to_string(year) + " is outside -9998..9999"};
}

// Universal instant of local (UTC+8) midnight opening day n.
astro::JulianDay LocalMidnight(astro::DayNumber n) { return n - 0.5 + astro::LocalTimeToDayFraction(0, 0, 0); }

struct Event {
    astro::JulianDay jd_ut;
    int target;  // degrees
};

// The solar terms whose local day lies in the year, in time order. A year of the Julian calendar
// can hold a term twice (once on 1 January and again on 31 December of a leap year), so the terms
// are followed one after another rather than taken once each.
std::vector<Event> SolarTermsOfYear(int year) {
    const astro::DayNumber first = astro::DateToDayNumber(year, 1, 1);
    const astro::DayNumber last = astro::DateToDayNumber(year, 12, 31);
    astro::JulianDay start = LocalMidnight(first);
    const double lon = astro::SunApparentLongitude(astro::UniversalToDynamical(start));
    int target = (static_cast<int>(std::floor(lon / 15.0)) + 1) * 15 % 360;
    std::vector<Event> out;
    for (;;) {
        const astro::JulianDay t = astro::FindEventTime(start, target, astro::kSolarEvent);
        if (std::floor(astro::ToChronological(t)) > last) break;
        out.push_back({t, target});
        start = t + 10.0;  // terms are at least 14 days apart
        target = (target + 15) % 360;
    }
    return out;
}

// The new and full moons whose local day lies in the year, in time order.
std::vector<Event> MoonPhasesOfYear(int year) {
    const astro::DayNumber first = astro::DateToDayNumber(year, 1, 1);
    const astro::DayNumber last = astro::DateToDayNumber(year, 12, 31);
    astro::JulianDay start = LocalMidnight(first);
    const double residual = astro::EventResidual(start, 180.0, astro::kLunarPhase);
    // Less than 180 degrees to go to full moon: the full moon comes first.
    int target = residual < 180.0 ? 180 : 0;
    std::vector<Event> out;
    for (;;) {
        const astro::JulianDay t = astro::FindEventTime(start, target, astro::kLunarPhase);
        if (std::floor(astro::ToChronological(t)) > last) break;
        out.push_back({t, target});
        start = t + 5.0;  // the other phase follows 13.9 to 15.6 days later
        target = 180 - target;
    }
    return out;
}

std::string LocalText(astro::JulianDay t_ut) { return astro::JulianDayToDateTimeText(astro::ToChronological(t_ut)); }

struct SunTimes {
    std::string dawn, sunrise, transit, sunset, dusk, day_length, twilight_length;
};

SunTimes ComputeSunTimes(astro::DayNumber n, double lon, double lat, int zone) {
    SunTimes s;
    s.sunrise = astro::SunEventTime(n, lon, lat, zone, astro::kSunrise);
    s.transit = astro::SunEventTime(n, lon, lat, zone, astro::kTransit);
    s.sunset = astro::SunEventTime(n, lon, lat, zone, astro::kSunset);
    s.day_length = astro::SunEventTime(n, lon, lat, zone, astro::kDayLength);
    s.dawn = astro::SunEventTime(n, lon, lat, zone, astro::kDawn);
    s.dusk = astro::SunEventTime(n, lon, lat, zone, astro::kDusk);
    s.twilight_length = astro::SunEventTime(n, lon, lat, zone, astro::kTwilightLength);
    return s;
}

astro::CalendarDate Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

// Beijing, Tian'anmen: the default place (longitude east negative).
constexpr double kDefaultLongitude = -116.38;
constexpr double kDefaultLatitude = 39.90;

void CmdDay(const std::string& date_arg, bool as_json) {
    const astro::CalendarDate d = date_arg.empty() ? Today() : ParseDate(date_arg);
    const astro::DayNumber n = DayNumberOf(d);
    const std::string gregorian = astro::DayNumberToDateText(n);
    const std::string weekday = calendar::WeekdayNameOf(astro::Weekday(n));
    const SunTimes sun = ComputeSunTimes(n, kDefaultLongitude, kDefaultLatitude, astro::CalcTimeZone);
    // The next solar term from local midnight of the day, and the next new and full moons.
    const astro::JulianDay midnight = LocalMidnight(n);
    const double lon = astro::SunApparentLongitude(astro::UniversalToDynamical(midnight));
    const int term_lon = (static_cast<int>(std::floor(lon / 15.0)) + 1) * 15 % 360;
    const astro::JulianDay term = astro::FindEventTime(midnight, term_lon, astro::kSolarEvent);
    const std::string term_name = calendar::SolarTermNames[astro::SolarTermIndex(term_lon)];
    const double new_moon = astro::NextNewOrFullMoon(n, 0);
    const double full_moon = astro::NextNewOrFullMoon(n, 1);
    if (as_json) {
        PrintJson({{"gregorian", gregorian},
                   {"day_number", n},
                   {"weekday", Utf8(weekday)},
                   {"next_term", {{"name", Utf8(term_name)}, {"local", LocalText(term)}}},
                   {"next_new_moon", astro::JulianDayToDateTimeText(new_moon)},
                   {"next_full_moon", astro::JulianDayToDateTimeText(full_moon)},
                   {"sun_times", {{"dawn", sun.dawn}, {"sunrise", sun.sunrise}, {"sunset", sun.sunset}, {"dusk", sun.dusk}}}});
        return;
    }
    PrintLine("公历　" + gregorian + "　" + weekday + "　儒略日数 " + std::to_string(n));
    PrintLine("北京天安门　黎明 " + sun.dawn + "　日出 " + sun.sunrise + "　日落 " + sun.sunset + "　黄昏 " + sun.dusk);
    PrintLine("下一节气　" + term_name + " " + LocalText(term));
    PrintLine("下一新月　" + astro::JulianDayToDateTimeText(new_moon) + "　下一满月　" +
              astro::JulianDayToDateTimeText(full_moon));
    PrintLine("历算时区为东8区");
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
    CLI::App app{"tempo: the Tempoline calendar calculator"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show help for all commands");
    bool as_json = false;
    app.add_flag("--json", as_json, "Print one JSON document instead of text");

    std::string date_arg;
    long long number = 0;
    double jd = 0.0;
    int year = 0;
    double lon = kDefaultLongitude;
    double lat = kDefaultLatitude;
    int zone = astro::CalcTimeZone;

    auto* jd_cmd = app.add_subcommand("jd", "Day number of a date");
    jd_cmd->add_option("DATE", date_arg, "YYYY-MM-DD or ADMM-DD-YYYY / BCMM-DD-YYYY")->required();
    auto* date_cmd = app.add_subcommand("date", "Date text of a day number");
    date_cmd->add_option("N", number, "day number (2000-01-01 = 2451545)")->required();
    auto* deltat_cmd = app.add_subcommand("deltat", "Delta T in seconds at 0h UT of a date");
    deltat_cmd->add_option("DATE", date_arg)->required();
    auto* sun_cmd = app.add_subcommand("sun", "Apparent longitude of the Sun (degrees)");
    sun_cmd->add_option("--jd", jd, "Julian date, TT")->required();
    auto* moon_cmd = app.add_subcommand("moon", "Longitude of the Moon (degrees)");
    moon_cmd->add_option("--jd", jd, "Julian date, TT")->required();
    auto* terms_cmd = app.add_subcommand("terms", "The solar terms of a year (UTC+8)");
    terms_cmd->add_option("YEAR", year)->required();
    auto* moons_cmd = app.add_subcommand("moons", "The new and full moons of a year (UTC+8)");
    moons_cmd->add_option("YEAR", year)->required();
    auto* times_cmd = app.add_subcommand("sun-times", "Dawn, sunrise, transit, sunset and dusk of a date");
    times_cmd->add_option("DATE", date_arg)->required();
    times_cmd->add_option("--lon", lon, "longitude in degrees, east negative (default -116.38)");
    times_cmd->add_option("--lat", lat, "latitude in degrees, north positive (default 39.90)");
    times_cmd->add_option("--zone", zone, "time zone, hours east of Greenwich (default 8)");
    auto* day_cmd = app.add_subcommand("day", "What the calendar shows for a day (default today)");
    day_cmd->add_option("DATE", date_arg);
    for (auto* sub : app.get_subcommands([](CLI::App*) { return true; }))
        sub->add_flag("--json", as_json, "Print one JSON document instead of text");

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        std::cerr << "tempo: " << e.what() << "\n";
        return kUsageError;
    }

    try {
        if (jd_cmd->parsed()) {
            const astro::CalendarDate d = ParseDate(date_arg);
            const astro::DayNumber n = DayNumberOf(d);
            if (as_json)
                PrintJson({{"date", astro::DayNumberToDateText(n)}, {"day_number", n}});
            else
                std::cout << n << '\n';
        } else if (date_cmd->parsed()) {
            if (number < astro::MinDayNumber || number > astro::MaxDayNumber)
                throw UsageError{"day number " + std::to_string(number) + " is outside -1930711..5373484"};
            const std::string text = astro::DayNumberToDateText(static_cast<astro::DayNumber>(number));
            if (as_json)
                PrintJson({{"day_number", number}, {"date", text}});
            else
                std::cout << text << '\n';
        } else if (deltat_cmd->parsed()) {
            const astro::JulianDay jd0 = DayNumberOf(ParseDate(date_arg)) - 0.5;
            const double dt = astro::DeltaTSeconds(jd0);
            if (as_json)
                PrintJson({{"jd_ut", jd0}, {"delta_t", dt}});
            else
                std::cout << Format("%.3f", dt) << '\n';
        } else if (sun_cmd->parsed() || moon_cmd->parsed()) {
            // The series are good for some thousands of years around J2000; beyond the calendar's
            // years -9998..9999 their values mean nothing, so such instants are refused.
            if (!(jd >= astro::MinDayNumber - 1.0 && jd <= astro::MaxDayNumber + 1.0))
                throw UsageError{"--jd must lie within -1930712 .. 5373485 (years -9998..9999)"};
            const double v = sun_cmd->parsed() ? astro::SunApparentLongitude(jd) : astro::MoonLongitude(jd);
            if (as_json)
                PrintJson({{"jd_tt", jd}, {"longitude", v}});
            else
                std::cout << Format("%.9f", v) << '\n';
        } else if (terms_cmd->parsed()) {
            CheckYear(year);
            json doc = json::array();
            for (const Event& e : SolarTermsOfYear(year)) {
                const std::string name = calendar::SolarTermNames[astro::SolarTermIndex(e.target)];
                if (as_json)
                    doc.push_back({{"name", Utf8(name)}, {"longitude", e.target}, {"jd_ut", e.jd_ut}, {"local", LocalText(e.jd_ut)}});
                else
                    PrintLine(name + "  " + Format("%3.0f", e.target) + "  " + LocalText(e.jd_ut));
            }
            if (as_json) PrintJson(doc);
        } else if (moons_cmd->parsed()) {
            CheckYear(year);
            json doc = json::array();
            for (const Event& e : MoonPhasesOfYear(year)) {
                if (as_json)
                    doc.push_back({{"phase", e.target == 0 ? "new" : "full"}, {"jd_ut", e.jd_ut}, {"local", LocalText(e.jd_ut)}});
                else
                    PrintLine(std::string(e.target == 0 ? "朔(新月)" : "望(满月)") + "  " + LocalText(e.jd_ut));
            }
            if (as_json) PrintJson(doc);
        } else if (times_cmd->parsed()) {
            const astro::DayNumber n = DayNumberOf(ParseDate(date_arg));
            const SunTimes s = ComputeSunTimes(n, lon, lat, zone);
            if (as_json) {
                PrintJson({{"dawn", s.dawn}, {"sunrise", s.sunrise}, {"transit", s.transit}, {"sunset", s.sunset},
                           {"dusk", s.dusk}, {"day_length", s.day_length}, {"twilight_length", s.twilight_length}});
            } else {
                PrintLine("黎明 " + s.dawn);
                PrintLine("日出 " + s.sunrise);
                PrintLine("中天 " + s.transit);
                PrintLine("日落 " + s.sunset);
                PrintLine("黄昏 " + s.dusk);
                PrintLine("昼长 " + s.day_length);
                PrintLine("晨昏长 " + s.twilight_length);
            }
        } else if (day_cmd->parsed()) {
            CmdDay(date_arg, as_json);
        }
    } catch (const UsageError& e) {
        std::cerr << "tempo: " << e.message << "\n";
        return kUsageError;
    }
    return 0;
}
