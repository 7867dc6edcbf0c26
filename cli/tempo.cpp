// tempo: the command-line calculator over the calendar engine, for scripting and for people on
// other systems. Text for people by default (UTF-8), or one JSON document with --json.
#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <cmath>
#include <cstdio>
#include <ctime>
#include <iostream>
#include <memory>
#include <optional>
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

void CmdDay(const std::optional<std::string>& date_arg, const DayOptions& options, bool as_json) {
    const astro::CalendarDate d = date_arg ? ParseCalendarDate(*date_arg) : Today();
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
    if (!cli::ParseDateFields(date_arg, in, error)) throw UsageError{Quoted(date_arg) + ": " + error};
    astro::DayNumber n = astro::InvalidDayNumber;
    if (from == "gregorian") {
        n = astro::DateToDayNumber(in.year, in.month, in.day);
        if (n == astro::InvalidDayNumber)
            throw UsageError{Quoted(date_arg) + ": no such date (1582-10-05..14 were skipped by the reform)"};
    } else if (from == "lunar") {
        CheckCalendarYear(in.year);
        if (!calendar::IsValidLunarDate(in.year, in.month, in.day))
            throw UsageError{Quoted(date_arg) + ": no such lunar date (that year's months 1..12, its leap month as "
                             "month + 12 when it has one, and days 1..29 or 1..30)"};
        const astro::CalendarDate d = calendar::LunarToSolar(in.year, in.month, in.day);
        n = astro::DateToDayNumber(d.year, d.month, d.day);
    } else {
        if (!calendar::HijriDateValid(in.year, in.month, in.day))
            throw UsageError{Quoted(date_arg) + ": no such Hijri date (months 1..12, days 1..29 or 1..30)"};
        n = calendar::HijriToDayNumber(in.year, in.month, in.day);
    }
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    CheckCalendarYear(d.year);
    const std::string gregorian = astro::DayNumberToDateText(n);
    const std::string lunar = calendar::SolarToLunar(d.year, d.month, d.day);
    const std::string hijri = calendar::DayNumberToHijriText(d.year, d.month, d.day);
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

// --- the commands, each with its options ---------------------------------------------------------

void AddJd(Commands& c) {
    auto date = std::make_shared<std::string>();
    CLI::App* cmd = c.Add("jd", "Day number of a date", [&c, date] {
        const astro::DayNumber n = DayNumberOf(ParseDate(*date));
        if (c.as_json)
            PrintJson({{"date", astro::DayNumberToDateText(n)}, {"day_number", n}});
        else
            std::cout << n << '\n';
    });
    cmd->add_option("DATE", *date, "YYYY-MM-DD or ADMM-DD-YYYY / BCMM-DD-YYYY")->required();
}

void AddDate(Commands& c) {
    auto number = std::make_shared<long long>(0);
    CLI::App* cmd = c.Add("date", "Date text of a day number", [&c, number] {
        const std::string text = astro::DayNumberToDateText(static_cast<astro::DayNumber>(*number));
        if (c.as_json)
            PrintJson({{"day_number", *number}, {"date", text}});
        else
            std::cout << text << '\n';
    });
    cmd->add_option("N", *number, "day number (2000-01-01 = 2451545)")
        ->required()
        ->check(WholeNumber(astro::MinDayNumber, astro::MaxDayNumber));
}

void AddDeltaT(Commands& c) {
    auto date = std::make_shared<std::string>();
    CLI::App* cmd = c.Add("deltat", "Delta T in seconds at 0h UT of a date", [&c, date] {
        const astro::JulianDay jd0 = DayNumberOf(ParseDate(*date)) - 0.5;
        const double dt = astro::DeltaTSeconds(jd0);
        if (c.as_json)
            PrintJson({{"jd_ut", jd0}, {"delta_t", dt}});
        else
            std::cout << Format("%.3f", dt) << '\n';
    });
    cmd->add_option("DATE", *date)->required();
}

// `tempo sun` and `tempo moon`. The series are good for some thousands of years around J2000;
// beyond the day numbers' years -9998..9999 their values mean nothing, so such instants are refused.
void AddLongitude(Commands& c, const char* name, const char* description, double (*longitude)(double)) {
    auto jd = std::make_shared<double>(0.0);
    CLI::App* cmd = c.Add(name, description, [&c, jd, longitude] {
        const double v = longitude(*jd);
        if (c.as_json)
            PrintJson({{"jd_tt", *jd}, {"longitude", v}});
        else
            std::cout << Format("%.9f", v) << '\n';
    });
    cmd->add_option("--jd", *jd, "Julian date, TT")
        ->required()
        ->check(DecimalNumber(astro::MinDayNumber - 1.0, astro::MaxDayNumber + 1.0));
}

void AddTerms(Commands& c) {
    auto year = std::make_shared<long long>(0);
    CLI::App* cmd = c.Add("terms", "The solar terms of a year (UTC+8), as the calendar counted them", [&c, year] {
        json doc = json::array();
        for (const tools::TableEntry& t : tools::SolarTermsOfYear(static_cast<int>(*year))) {
            const std::string name = calendar::SolarTermNames[t.index];
            const int longitude = astro::SolarTermLongitude(t.index);
            const std::string local = astro::JulianDayToDateTimeText(t.when);
            const double jd_ut = t.when - 0.5 - astro::CalcTimeZone / 24.0;
            if (c.as_json)
                doc.push_back({{"name", Utf8(name)}, {"longitude", longitude}, {"jd_ut", jd_ut}, {"local", local}});
            else
                PrintLine(name + "  " + Format("%3.0f", longitude) + "  " + local);
        }
        if (c.as_json) PrintJson(doc);
    });
    cmd->add_option("YEAR", *year)->required()->check(WholeNumber(astro::MinYear, astro::MaxYear));
    c.TakesRuleFlag(cmd);
}

void AddMoons(Commands& c) {
    auto year = std::make_shared<long long>(0);
    CLI::App* cmd = c.Add("moons", "The new and full moons of a year (UTC+8)", [&c, year] {
        json doc = json::array();
        // The phases of the moons table, those whose local day lies in the year, in time order.
        for (const tools::TableEntry& e : tools::MoonPhasesOfYear(static_cast<int>(*year))) {
            if (!e.in_year) continue;
            const std::string local = astro::JulianDayToDateTimeText(e.when);
            const double jd_ut = e.when - 0.5 - astro::CalcTimeZone / 24.0;
            if (c.as_json)
                doc.push_back({{"phase", e.index == 0 ? "new" : "full"}, {"jd_ut", jd_ut}, {"local", local}});
            else
                PrintLine(std::string(e.index == 0 ? "朔(新月)" : "望(满月)") + "  " + local);
        }
        if (c.as_json) PrintJson(doc);
    });
    cmd->add_option("YEAR", *year)->required()->check(WholeNumber(astro::MinYear, astro::MaxYear));
}

void AddSunTimes(Commands& c) {
    struct Options {
        std::string date;
        double lon = -116.38;  // 天安门, east negative
        double lat = 39.90;
        int zone = astro::CalcTimeZone;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = c.Add("sun-times", "Dawn, sunrise, transit, sunset and dusk of a date", [&c, o] {
        const SunTimes s = ComputeSunTimes(DayNumberOf(ParseDate(o->date)), o->lon, o->lat, o->zone);
        if (c.as_json) {
            PrintJson({{"dawn", s.dawn}, {"sunrise", s.sunrise}, {"transit", s.transit}, {"sunset", s.sunset},
                       {"dusk", s.dusk}, {"day_length", s.day_length}, {"twilight_length", s.twilight_length}});
            return;
        }
        PrintLine("黎明 " + s.dawn);
        PrintLine("日出 " + s.sunrise);
        PrintLine("中天 " + s.transit);
        PrintLine("日落 " + s.sunset);
        PrintLine("黄昏 " + s.dusk);
        PrintLine("昼长 " + s.day_length);
        PrintLine("晨昏长 " + s.twilight_length);
    });
    cmd->add_option("DATE", o->date)->required();
    cmd->add_option("--lon", o->lon, "longitude in degrees, east negative (default -116.38)")
        ->check(DecimalNumber(-180, 180));
    cmd->add_option("--lat", o->lat, "latitude in degrees, north positive (default 39.90)")->check(DecimalNumber(-90, 90));
    // The engine's zones are whole hours from -12 to 12, the zones of the city table.
    cmd->add_option("--zone", o->zone, "time zone: whole hours east of Greenwich, -12..12 (default 8)")
        ->check(CLI::Validator(
            [](std::string& text) -> std::string {
                if (WholeNumber(-12, 12)(text).empty()) return {};
                return "--zone takes whole hours east of Greenwich from -12 to 12; zones such as 13, 14 or 5.5 "
                       "are not supported, " + Quoted(text) + " is refused";
            },
            "INTEGER in -12..12"));
}

void AddDay(Commands& c) {
    struct Options {
        std::optional<std::string> date;
        DayOptions day;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = c.Add("day", "What the calendar shows for a day (default today)",
                          [&c, o] { CmdDay(o->date, o->day, c.as_json); });
    cmd->add_option("DATE", o->date, "the day; today without it");
    cmd->add_option("--place", o->day.place, Utf8("P/C by indexes (1/1) or names (北京/天安门); default 1/1"));
    cmd->add_option("--info", o->day.info_type, "information line: 0 festivals, 1 sunrise/sunset, 2 dawn/dusk")
        ->check(WholeNumber(0, 2));
    cmd->add_flag("--ganzhi-from-chunjie", o->day.ganzhi_from_chunjie,
                  Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));
    c.TakesRuleFlag(cmd);
}

void AddLunarYear(Commands& c) {
    auto year = std::make_shared<long long>(0);
    CLI::App* cmd = c.Add("lunar-year", "The months of a lunar year", [&c, year] {
        CheckCalendarYear(*year);
        CmdLunarYear(static_cast<int>(*year), c.as_json);
    });
    cmd->add_option("YEAR", *year, "a year of -8999..9000 (0 is 1 BC)")->required()->check(WholeNumber(-kAnyWhole, kAnyWhole));
    c.TakesRuleFlag(cmd);
}

void AddConvert(Commands& c) {
    struct Options {
        std::string from = "gregorian";
        std::string date;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = c.Add("convert", "Gregorian, lunar and Hijri dates of the same day",
                          [&c, o] { CmdConvert(o->from, o->date, c.as_json); });
    cmd->add_option("--from", o->from, "gregorian, lunar (leap month = month + 12) or hijri")
        ->check(CLI::IsMember({"gregorian", "lunar", "hijri"}));
    cmd->add_option("DATE", o->date)->required();
    c.TakesRuleFlag(cmd);
}

void AddEra(Commands& c) {
    auto year = std::make_shared<long long>(0);
    CLI::App* cmd = c.Add("era", Utf8("Era name (年号) of a year"), [&c, year] {
        CheckCalendarYear(*year);
        const std::string era = TrimBlanks(calendar::EraName(static_cast<int>(*year)));
        if (c.as_json)
            PrintJson({{"year", *year}, {"era", Utf8(era)}});
        else
            PrintLine(era);
    });
    cmd->add_option("YEAR", *year, "a year of -8999..9000 (0 is 1 BC)")->required()->check(WholeNumber(-kAnyWhole, kAnyWhole));
}

void AddCities(Commands& c) {
    auto province = std::make_shared<std::string>();
    CLI::App* cmd = c.Add("cities", "The provinces, or the places of province P",
                          [&c, province] { CmdCities(*province, c.as_json); });
    cmd->add_option("P", *province, "province index or name");
}

}  // namespace

int main(int argc, char** argv) {
#ifdef _WIN32
    SetConsoleOutputCP(CP_UTF8);
#endif
    CLI::App app{"tempo: the Tempoline calendar calculator"};
    app.require_subcommand(1);
    app.set_help_all_flag("--help-all", "Show help for all commands");
    Commands commands(app);
    app.add_flag("--json", commands.as_json, "Print one JSON document instead of text");
    AddJd(commands);
    AddDate(commands);
    AddDeltaT(commands);
    AddLongitude(commands, "sun", "Apparent longitude of the Sun (degrees)", astro::SunApparentLongitude);
    AddLongitude(commands, "moon", "Longitude of the Moon (degrees)", astro::MoonLongitude);
    AddTerms(commands);
    AddMoons(commands);
    AddSunTimes(commands);
    AddDay(commands);
    AddLunarYear(commands);
    AddConvert(commands);
    AddEra(commands);
    AddCities(commands);
    AddToolCommands(commands);
#ifdef TEMPO_ICS
    AddIcsCommand(commands);
#endif
    commands.TakeJsonFlags();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return app.exit(e);
    } catch (const CLI::CallForAllHelp& e) {
        return app.exit(e);
    } catch (const CLI::ParseError& e) {
        // CLI11 quotes what was typed whole: escaped and cut like our own quotes.
        std::string message = cli::EscapeControls(e.what());
        if (message.size() > 300) {
            std::size_t cut = 300;
            while (cut > 0 && (static_cast<unsigned char>(message[cut]) & 0xC0) == 0x80) --cut;
            message = message.substr(0, cut) + "...";
        }
        std::cerr << "tempo: " << message << "\n";
        return kUsageError;
    }
    try {
        calendar::SetModernCalculateAncientFlag(commands.modern_ancient);
        commands.RunParsed();
    } catch (const UsageError& e) {
        std::cerr << "tempo: " << cli::EscapeControls(e.message) << "\n";
        return kUsageError;
    }
    // Output that could not be written (a full disk, a closed pipe) is an error, not a success.
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tempo: the output could not be written\n";
        return kUsageError;
    }
    return 0;
}
