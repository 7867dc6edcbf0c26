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
#include "calendar/cycles.h"
#include "calendar/day_info.h"
#include "calendar/era_names.h"
#include "calendar/festivals.h"
#include "calendar/hijri.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "cli/common.h"
#include "cli/date_arg.h"
#include "cli/tool_commands.h"
#include "places/city_table.h"
#include "text/encoding.h"
#include "tools/yearly_tables.h"

#ifdef _WIN32
#include <windows.h>
#endif

namespace {

using namespace cli;


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

struct DayOptions {
    std::string place = "1/1";
    int info_type = 0;
    bool ganzhi_from_chunjie = false;
};

void CmdDay(const std::string& date_arg, const DayOptions& options, bool as_json) {
    const astro::CalendarDate d = date_arg.empty() ? Today() : ParseDate(date_arg);
    const places::CityRecord place = ParsePlace(options.place);
    const int mode = options.ganzhi_from_chunjie ? calendar::kYearFromSpringFestival : calendar::kYearFromLichun;
    const astro::DayNumber n = DayNumberOf(d);
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(d.year, d.month, d.day);
    const calendar::HijriDate hijri = calendar::DayNumberToHijri(n);
    const int animal = calendar::ZodiacAnimal(d.year, d.month, d.day, mode);
    const auto sun = [&](int event) {
        return astro::SunEventTime(n, place.longitude, place.latitude, astro::CalcTimeZone, event);
    };
    const std::string lunar_text = calendar::LunarDateText(lunar);
    const std::string month_name = TrimBlanks(calendar::LunarMonthName(lunar.month));
    const std::string day_name = calendar::LunarDayName(lunar.day);
    const std::string ganzhi = calendar::GanZhiText(d.year, d.month, d.day, mode);
    const std::string era = lunar.month ? TrimBlanks(calendar::EraName(lunar.year)) : std::string();
    const std::string lunar_festival = calendar::LunarFestivalName(lunar.year, lunar.month, lunar.day);
    const std::string solar_festival = calendar::SolarFestivalName(d.year, d.month, d.day, true);
    const std::string nine = calendar::NineNinesText(d.year, d.month, d.day);
    const std::string dog = calendar::DogDaysText(d.year, d.month, d.day);
    const std::string plum = calendar::PlumRainText(d.year, d.month, d.day);
    const std::string next_term = calendar::NextSolarTermText(d.year, d.month, d.day);
    const std::string attribute = calendar::AttributeLine(d.year, d.month, d.day, mode);
    const std::string information =
        calendar::InformationLine(d.year, d.month, d.day, options.info_type, place.longitude, place.latitude);
    const std::string gregorian = astro::DayNumberToDateText(n);
    const std::string weekday = calendar::WeekdayName(d.year, d.month, d.day);
    const std::string zodiac = calendar::ZodiacSignName(d.year, d.month, d.day);
    if (as_json) {
        PrintJson({{"gregorian", gregorian},
                   {"lunar",
                    {{"year", lunar.year},
                     {"month", lunar.month},
                     {"day", lunar.day},
                     {"text", lunar_text},
                     {"month_name", Utf8(month_name)},
                     {"day_name", Utf8(day_name)},
                     {"leap", lunar.month > 12}}},
                   {"hijri",
                    {{"year", hijri.year},
                     {"month", hijri.month},
                     {"day", hijri.day},
                     {"text", calendar::HijriDateText(hijri)}}},
                   {"weekday", Utf8(weekday)},
                   {"zodiac_sign", Utf8(zodiac)},
                   {"ganzhi",
                    {{"year", calendar::YearGanZhi(d.year, d.month, d.day, mode)},
                     {"month", calendar::MonthGanZhi(d.year, d.month, d.day, mode)},
                     {"day", calendar::DayGanZhi(d.year, d.month, d.day)},
                     {"text", Utf8(ganzhi)}}},
                   {"animal", Utf8(animal ? calendar::AnimalNames[animal] : "")},
                   {"era", Utf8(era)},
                   {"festivals", {{"lunar", Utf8(lunar_festival)}, {"solar", Utf8(solar_festival)}}},
                   {"periods", {{"nine_nines", Utf8(nine)}, {"dog_days", Utf8(dog)}, {"plum_rain", Utf8(plum)}}},
                   {"next_term", Utf8(next_term)},
                   {"sun_times",
                    {{"dawn", sun(astro::kDawn)},
                     {"sunrise", sun(astro::kSunrise)},
                     {"sunset", sun(astro::kSunset)},
                     {"dusk", sun(astro::kDusk)}}},
                   {"attribute_line", Utf8(attribute)},
                   {"information_line", Utf8(information)}});
        return;
    }
    PrintLine("公历　" + gregorian + "　" + attribute);
    if (lunar.month) PrintLine("农历　" + era + "年 " + month_name + day_name + "（" + lunar_text + "）");
    PrintLine("回历　" + calendar::HijriDateText(hijri));
    PrintLine(TrimBlanks(information));
    if (options.info_type == 0)
        PrintLine(place.name + "　黎明 " + sun(astro::kDawn) + "　日出 " + sun(astro::kSunrise) + "　日落 " +
                  sun(astro::kSunset) + "　黄昏 " + sun(astro::kDusk));
    PrintLine("历算时区为东8区");
}

void CmdLunarYear(int year, bool as_json) {
    const std::string record = calendar::LunarYearRecord(year);
    json months = json::array();
    std::string festival;
    int type = 0;
    if (!record.empty()) {
        type = calendar::YearType(year);
        const int f = calendar::SpringFestivalField(year);
        astro::DayNumber first = astro::DateToDayNumber(year, f / 100, f % 100);
        festival = astro::DayNumberToDateText(first);
        for (int place = 1; place <= calendar::LunarMonthCount(year); ++place) {
            const int m = calendar::MonthAtPlace(year, place);
            const int length = calendar::LunarMonthLength(year, m);
            months.push_back({{"month", m},
                              {"name", Utf8(TrimBlanks(calendar::LunarMonthName(m)))},
                              {"big", length == 30},
                              {"first", astro::DayNumberToDateText(first)},
                              {"last", astro::DayNumberToDateText(first + length - 1)},
                              {"first_day", first}});
            first += length;
        }
    }
    if (as_json) {
        PrintJson({{"year", year}, {"record", record}, {"type", type}, {"spring_festival", festival}, {"months", months}});
        return;
    }
    if (record.empty()) {
        PrintLine("农历年 " + std::to_string(year) + " 无记录");
        return;
    }
    PrintLine("农历年 " + std::to_string(year) + "　记录 " + record + "　类型 " + std::to_string(type) + "　春节 " + festival);
    for (const auto& m : months) {
        const std::string name = text::Utf8ToGbk(m["name"].get<std::string>());
        PrintLine(std::string(name.size() < 6 ? 6 - name.size() : 0, ' ') + name + (m["big"].get<bool>() ? " 大 " : " 小 ") +
                  m["first"].get<std::string>() + " .. " + m["last"].get<std::string>());
    }
}

void CmdConvert(const std::string& from, const std::string& date_arg, bool as_json) {
    astro::CalendarDate in;
    std::string error;
    if (!cli::ParseDateFields(date_arg, in, error)) throw UsageError{"'" + date_arg + "': " + error};
    astro::DayNumber n = astro::InvalidDayNumber;
    if (from == "gregorian") {
        n = astro::DateToDayNumber(in.year, in.month, in.day);
    } else if (from == "lunar") {
        const astro::CalendarDate d = calendar::LunarToSolar(in.year, in.month, in.day);
        if (d.month != 0) n = astro::DateToDayNumber(d.year, d.month, d.day);
    } else {
        n = calendar::HijriToDayNumber(in.year, in.month, in.day);
    }
    std::string gregorian, lunar, hijri;
    if (n >= astro::MinDayNumber && n <= astro::MaxDayNumber) {
        const astro::CalendarDate d = astro::DayNumberToDate(n);
        gregorian = astro::DayNumberToDateText(n);
        lunar = calendar::SolarToLunar(d.year, d.month, d.day);
        hijri = calendar::DayNumberToHijriText(d.year, d.month, d.day);
    }
    if (as_json) {
        PrintJson({{"gregorian", gregorian}, {"lunar", lunar}, {"hijri", hijri}});
        return;
    }
    PrintLine("公历 " + gregorian);
    PrintLine("农历 " + lunar);
    PrintLine("回历 " + hijri);
}

void CmdCities(const std::string& province_arg, bool as_json) {
    json doc = json::array();
    if (province_arg.empty()) {
        for (int p = 1; p <= places::ProvinceCount; ++p) {
            const std::string name = places::CityText(p, -1);
            if (as_json)
                doc.push_back({{"province", p}, {"name", Utf8(name)}, {"cities", places::CityCount(p)}});
            else
                PrintLine(std::to_string(p) + " " + name + " " + places::CityText(p, 0));
        }
    } else {
        int province = 0;
        if (province_arg.find_first_not_of("0123456789") == std::string::npos && province_arg.size() < 4) {
            province = std::stoi(province_arg);
        } else {
            const std::string wanted = text::Utf8ToGbk(province_arg);
            for (int p = 1; p <= places::ProvinceCount; ++p)
                if (places::CityText(p, -1) == wanted) province = p;
        }
        if (province < 1 || province > places::ProvinceCount)
            throw UsageError{"no province " + province_arg + " (1..35, or a name that tempo cities lists)"};
        for (int c = 1; c <= places::CityCount(province); ++c) {
            const places::CityRecord r = places::CityRecordOf(province, c);
            if (as_json)
                doc.push_back({{"province", province}, {"city", c}, {"name", Utf8(r.name)}, {"longitude", r.longitude},
                               {"latitude", r.latitude}, {"weather_code", r.weather_code}});
            else
                PrintLine(std::to_string(c) + " " + r.name + " " + places::LongitudeText(r.longitude) + " " +
                          places::LatitudeText(r.latitude) + " " + std::to_string(r.weather_code));
        }
    }
    if (as_json) PrintJson(doc);
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
    double lon = -116.38;  // 天安门, east negative
    double lat = 39.90;
    int zone = astro::CalcTimeZone;
    bool modern_ancient = false;
    DayOptions day_options;
    std::string from = "gregorian";
    std::string province_arg;

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
    day_cmd->add_option("--place", day_options.place, Utf8("P/C by indexes (1/1) or names (北京/天安门); default 1/1"));
    day_cmd->add_option("--info", day_options.info_type, "information line: 0 festivals, 1 sunrise/sunset, 2 dawn/dusk")
        ->check(CLI::Range(0, 2));
    day_cmd->add_flag("--ganzhi-from-chunjie", day_options.ganzhi_from_chunjie,
                      Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));
    auto* lunar_year_cmd = app.add_subcommand("lunar-year", "The months of a lunar year");
    lunar_year_cmd->add_option("YEAR", year)->required();
    auto* convert_cmd = app.add_subcommand("convert", "Gregorian, lunar and Hijri dates of the same day");
    convert_cmd->add_option("--from", from, "gregorian, lunar (leap month = month + 12) or hijri")
        ->check(CLI::IsMember({"gregorian", "lunar", "hijri"}));
    convert_cmd->add_option("DATE", date_arg)->required();
    auto* era_cmd = app.add_subcommand("era", Utf8("Era name (年号) of a year"));
    era_cmd->add_option("YEAR", year)->required();
    auto* cities_cmd = app.add_subcommand("cities", "The provinces, or the places of province P");
    cities_cmd->add_option("P", province_arg, "province index or name");
    for (auto* sub : {terms_cmd, day_cmd, lunar_year_cmd, convert_cmd})
        sub->add_flag("--modern-ancient", modern_ancient, "compute the ancient calendars with the modern algorithm");
    for (auto* sub : app.get_subcommands([](CLI::App*) { return true; }))
        sub->add_flag("--json", as_json, "Print one JSON document instead of text");
    ToolCommands tool_commands;
    tool_commands.Register(app);
    for (auto* sub : {app.get_subcommand("table"), app.get_subcommand("tool"), app.get_subcommand("query")})
        sub->add_flag("--modern-ancient", modern_ancient, "compute the ancient calendars with the modern algorithm");

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
        calendar::SetModernCalculateAncientFlag(modern_ancient);
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
            for (const tools::TableEntry& t : tools::SolarTermsOfYear(year)) {
                const std::string name = calendar::SolarTermNames[t.index];
                const int longitude = astro::SolarTermLongitude(t.index);
                const std::string local = astro::JulianDayToDateTimeText(t.when);
                const double jd_ut = t.when - 0.5 - astro::CalcTimeZone / 24.0;
                if (as_json)
                    doc.push_back({{"name", Utf8(name)}, {"longitude", longitude}, {"jd_ut", jd_ut}, {"local", local}});
                else
                    PrintLine(name + "  " + Format("%3.0f", longitude) + "  " + local);
            }
            if (as_json) PrintJson(doc);
        } else if (moons_cmd->parsed()) {
            CheckYear(year);
            json doc = json::array();
            // The phases of the moons table, those whose local day lies in the year, in time order.
            for (const tools::TableEntry& e : tools::MoonPhasesOfYear(year)) {
                if (!e.in_year) continue;
                const std::string local = astro::JulianDayToDateTimeText(e.when);
                const double jd_ut = e.when - 0.5 - astro::CalcTimeZone / 24.0;
                if (as_json)
                    doc.push_back({{"phase", e.index == 0 ? "new" : "full"}, {"jd_ut", jd_ut}, {"local", local}});
                else
                    PrintLine(std::string(e.index == 0 ? "朔(新月)" : "望(满月)") + "  " + local);
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
            CmdDay(date_arg, day_options, as_json);
        } else if (lunar_year_cmd->parsed()) {
            CheckYear(year);
            CmdLunarYear(year, as_json);
        } else if (convert_cmd->parsed()) {
            CmdConvert(from, date_arg, as_json);
        } else if (era_cmd->parsed()) {
            CheckYear(year);
            const std::string era = TrimBlanks(calendar::EraName(year));
            if (as_json)
                PrintJson({{"year", year}, {"era", Utf8(era)}});
            else
                PrintLine(era);
        } else if (cities_cmd->parsed()) {
            CmdCities(province_arg, as_json);
        } else {
            tool_commands.Run(as_json);
        }
    } catch (const UsageError& e) {
        std::cerr << "tempo: " << e.message << "\n";
        return kUsageError;
    }
    return 0;
}
