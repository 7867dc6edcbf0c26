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
#include "calendar/holidays.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "calendar/range.h"
#include "cli/common.h"
#include "cli/date_arg.h"
#include "places/city_table.h"
#include "text/encoding.h"
#include "tools/yearly_tables.h"

#ifdef _WIN32
#include "cli/console_win32.h"
#endif

namespace {

using namespace cli;


struct SunTimes {
    std::string dawn, sunrise, transit, sunset, dusk, day_length, twilight_length;
    // Why there is no sunrise and sunset, or no dawn and dusk, that day: "" when there are.
    std::string no_sunrise, no_dawn;
};

// The reason a pair of moments does not happen, in English and in Chinese: the Sun below the
// threshold all day (polar night: below the horizon, or more than 6 degrees below it); above the
// horizon all day (midnight sun); above the twilight's threshold all night, though it sets (a
// white night: dusk never comes, nor dawn).
struct NoMoments {
    const char* english;
    const char* chinese;
};
constexpr NoMoments kPolarNight{"polar night", "极夜"};
constexpr NoMoments kMidnightSun{"midnight sun", "极昼"};
constexpr NoMoments kWhiteNight{"white night", "白夜"};

// Moments that do not happen are null in JSON, with the reason beside them; the lengths stay
// (00:00:00 in the polar night, 24:00:00 in the midnight sun). Text says "无（极夜）".
json MomentJson(const std::string& time, const std::string& none) { return none.empty() ? json(time) : json(nullptr); }
json ReasonJson(const std::string& none) { return none.empty() ? json(nullptr) : json(none); }
std::string MomentText(const std::string& time, const std::string& none) {
    if (none.empty()) return time;
    for (const NoMoments* m : {&kPolarNight, &kMidnightSun, &kWhiteNight})
        if (none == m->english) return std::string("无（") + m->chinese + "）";
    return time;
}

SunTimes ComputeSunTimes(astro::DayNumber n, double lon, double lat, int zone) {
    SunTimes s;
    s.sunrise = astro::SunEventTime(n, lon, lat, zone, astro::kSunrise);
    // The Sun crosses the meridian every day, above the horizon or (in the polar night) below it,
    // at a time that depends on the longitude alone. The engine gives the calendar's 00:00:00 where
    // the Sun stays below the horizon, so the transit is asked of it at the equator.
    s.transit = astro::SunEventTime(n, lon, 0.0, zone, astro::kTransit);
    s.sunset = astro::SunEventTime(n, lon, lat, zone, astro::kSunset);
    s.day_length = astro::SunEventTime(n, lon, lat, zone, astro::kDayLength);
    s.dawn = astro::SunEventTime(n, lon, lat, zone, astro::kDawn);
    s.dusk = astro::SunEventTime(n, lon, lat, zone, astro::kDusk);
    s.twilight_length = astro::SunEventTime(n, lon, lat, zone, astro::kTwilightLength);
    const astro::SunAllDay day = astro::SunStaysAllDay(n, lat, false);
    const astro::SunAllDay twilight = astro::SunStaysAllDay(n, lat, true);
    if (day != astro::SunAllDay::kNeither)
        s.no_sunrise = (day == astro::SunAllDay::kBelow ? kPolarNight : kMidnightSun).english;
    if (twilight == astro::SunAllDay::kBelow)
        s.no_dawn = kPolarNight.english;
    else if (twilight == astro::SunAllDay::kAbove)
        s.no_dawn = (day == astro::SunAllDay::kAbove ? kMidnightSun : kWhiteNight).english;
    return s;
}

const std::string kDateHelp = std::string("the date: ") + kDateForms;
const std::string kYearHelp = "the year, -8999..9000 (0 is 1 BC, -103 is 104 BC)";
const std::string kAnyYearHelp = "the year, -9998..9999 (0 is 1 BC, -103 is 104 BC)";

json PlaceJson(const places::CityRecord& place) {
    return {{"province", place.province},   {"city", place.city},         {"name", Utf8(place.name)},
            {"longitude", place.longitude}, {"latitude", place.latitude}, {"zone", astro::CalcTimeZone}};
}

// A year of the day numbers (-9998..9999), whatever the command line carried.
int DayNumbersYear(const Argument& arg) {
    const long long year = arg.WholeNumber(-kAnyWhole, kAnyWhole);
    if (year < astro::MinYear || year > astro::MaxYear)
        arg.RefuseTyped("is outside the years -9998..9999 that the day numbers reach");
    return static_cast<int>(year);
}

// A year of the calendar (-8999..9000).
int CalendarYear(const Argument& arg) {
    const long long year = arg.WholeNumber(-kAnyWhole, kAnyWhole);
    if (!calendar::InCalendarRange(year))
        arg.RefuseTyped("is outside the calendar's years -8999..9000 (9000 BC .. AD 9000)");
    return static_cast<int>(year);
}

void CmdDay(const astro::CalendarDate& d, const places::CityRecord& place, int info_type, bool ganzhi_from_chunjie,
            bool as_json) {
    const int mode = ganzhi_from_chunjie ? calendar::kYearFromSpringFestival : calendar::kYearFromLichun;
    const astro::DayNumber n = DayNumberOf(d);
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(d.year, d.month, d.day);
    const calendar::HijriDate hijri = calendar::DayNumberToHijri(n);
    const int animal = calendar::ZodiacAnimal(d.year, d.month, d.day, mode);
    const SunTimes times = ComputeSunTimes(n, place.longitude, place.latitude, astro::CalcTimeZone);
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
        calendar::InformationLine(d.year, d.month, d.day, info_type, place.longitude, place.latitude);
    const std::string gregorian = astro::DayNumberToDateText(n);
    const std::string weekday = calendar::WeekdayName(d.year, d.month, d.day);
    const std::string zodiac = calendar::ZodiacSignName(d.year, d.month, d.day);
    if (as_json) {
        PrintJson({{"gregorian", gregorian},
                   {"iso", IsoDate(d.year, d.month, d.day)},
                   {"day_number", n},
                   {"lunar",
                    {{"year", lunar.year},
                     {"month", lunar.month},
                     {"day", lunar.day},
                     {"text", lunar_text},
                     {"iso", lunar.month ? IsoDate(lunar.year, lunar.month, lunar.day) : ""},
                     {"month_name", Utf8(month_name)},
                     {"day_name", Utf8(day_name)},
                     {"leap", lunar.month > 12}}},
                   {"hijri",
                    {{"year", hijri.year},
                     {"month", hijri.month},
                     {"day", hijri.day},
                     {"text", calendar::HijriDateText(hijri)},
                     {"iso", hijri.month ? IsoDate(hijri.year, hijri.month, hijri.day) : ""}}},
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
                   {"place", PlaceJson(place)},
                   {"sun_times",
                    {{"dawn", MomentJson(times.dawn, times.no_dawn)},
                     {"sunrise", MomentJson(times.sunrise, times.no_sunrise)},
                     {"sunset", MomentJson(times.sunset, times.no_sunrise)},
                     {"dusk", MomentJson(times.dusk, times.no_dawn)},
                     {"no_sunrise", ReasonJson(times.no_sunrise)},
                     {"no_dawn", ReasonJson(times.no_dawn)}}},
                   {"attribute_line", Utf8(attribute)},
                   {"information_line", Utf8(information)},
                   {"holiday", HolidayJson(n)},
                   {"almanac", AlmanacJson(d)}});
        return;
    }
    PrintLine("公历　" + gregorian + "　" + attribute);
    if (lunar.month) PrintLine("农历　" + era + "年 " + month_name + day_name + "（" + lunar_text + "）");
    PrintLine("回历　" + calendar::HijriDateText(hijri));
    const calendar::HolidayMark holiday = calendar::Holidays()->MarkOf(n);
    if (holiday.kind == calendar::HolidayKind::kOff) PrintLine("节假日　" + holiday.name + "假期（休）");
    if (holiday.kind == calendar::HolidayKind::kWork) PrintLine("节假日　" + holiday.name + "调休上班（班）");
    PrintLine(TrimBlanks(information));
    if (info_type == 0)
        PrintLine(place.name + "　黎明 " + MomentText(times.dawn, times.no_dawn) + "　日出 " +
                  MomentText(times.sunrise, times.no_sunrise) + "　日落 " + MomentText(times.sunset, times.no_sunrise) +
                  "　黄昏 " + MomentText(times.dusk, times.no_dawn));
    PrintLine("历算时区为东8区");
}

void CmdLunarYear(int year, bool as_json) {
    const std::string record = calendar::LunarYearRecord(year);
    json months = json::array();
    std::string festival, festival_iso;
    int type = 0;
    if (!record.empty()) {
        type = calendar::YearType(year);
        const int f = calendar::SpringFestivalField(year);
        astro::DayNumber first = astro::DateToDayNumber(year, f / 100, f % 100);
        festival = astro::DayNumberToDateText(first);
        festival_iso = IsoOf(first);
        for (int place = 1; place <= calendar::LunarMonthCount(year); ++place) {
            const int m = calendar::MonthAtPlace(year, place);
            const int length = calendar::LunarMonthLength(year, m);
            months.push_back({{"month", m},
                              {"name", Utf8(TrimBlanks(calendar::LunarMonthName(m)))},
                              {"big", length == 30},
                              {"days", length},
                              {"first", astro::DayNumberToDateText(first)},
                              {"last", astro::DayNumberToDateText(first + length - 1)},
                              {"first_iso", IsoOf(first)},
                              {"last_iso", IsoOf(first + length - 1)},
                              {"first_day", first}});
            first += length;
        }
    }
    if (as_json) {
        PrintJson({{"year", year},
                   {"record", record},
                   {"type", type},
                   {"spring_festival", festival},
                   {"spring_festival_iso", festival_iso},
                   {"months", months}});
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

void CmdCities(const Argument& province_arg, bool as_json) {
    json doc = json::array();
    if (!province_arg.given()) {
        for (int p = 1; p <= places::ProvinceCount; ++p) {
            const std::string name = places::CityText(p, -1);
            if (as_json)
                doc.push_back({{"province", p}, {"name", Utf8(name)}, {"cities", places::CityCount(p)}});
            else
                PrintLine(std::to_string(p) + " " + name + " " + places::CityText(p, 0));
        }
    } else {
        const std::string& typed = province_arg.text();
        int province = 0;
        if (!typed.empty() && typed.find_first_not_of("0123456789") == std::string::npos) {
            province = static_cast<int>(province_arg.WholeNumber(1, places::ProvinceCount));
        } else {
            const std::string wanted = text::Utf8ToGbk(typed);
            for (int p = 1; p <= places::ProvinceCount; ++p)
                if (places::CityText(p, -1) == wanted) province = p;
            if (province == 0) province_arg.RefuseTyped("names no province (tempo cities lists them)");
        }
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

// --- the commands, each with its arguments --------------------------------------------------------

void AddJd(Commands& c) {
    Command& cmd = c.Add("jd", "the day number of a date (2000-01-01 is 2451545)");
    const Argument& date = cmd.Positional("DATE", kDateHelp + "; years -9998..9999", true);
    cmd.Example("tempo jd 2024-02-10");
    cmd.run = [&c, &date] {
        const astro::DayNumber n = DayNumberOf(ParseDate(date));
        if (c.as_json)
            PrintJson({{"date", astro::DayNumberToDateText(n)}, {"iso", IsoOf(n)}, {"day_number", n}});
        else
            std::cout << n << '\n';
    };
}

void AddDate(Commands& c) {
    Command& cmd = c.Add("date", "the date of a day number");
    const Argument& number = cmd.Positional(
        "N", "the day number, a whole number " + std::to_string(astro::MinDayNumber) + ".." +
                 std::to_string(astro::MaxDayNumber) + " (2451545 is 2000-01-01)",
        true);
    cmd.Example("tempo date 2460351");
    cmd.run = [&c, &number] {
        const auto n = static_cast<astro::DayNumber>(number.WholeNumber(astro::MinDayNumber, astro::MaxDayNumber));
        const std::string text = astro::DayNumberToDateText(n);
        if (c.as_json)
            PrintJson({{"day_number", n}, {"date", text}, {"iso", IsoOf(n)}});
        else
            std::cout << text << '\n';
    };
}

void AddDeltaT(Commands& c) {
    Command& cmd = c.Add("deltat", "Delta T (TT - UT) in seconds at 0h UT of a date");
    const Argument& date = cmd.Positional("DATE", kDateHelp + "; years -9998..9999", true);
    cmd.Example("tempo deltat 2000-01-01");
    cmd.run = [&c, &date] {
        const astro::DayNumber n = DayNumberOf(ParseDate(date));
        const astro::JulianDay jd0 = n - 0.5;
        const double dt = astro::DeltaTSeconds(jd0);
        if (c.as_json)
            PrintJson({{"date", astro::DayNumberToDateText(n)}, {"iso", IsoOf(n)}, {"jd_ut", jd0}, {"delta_t", dt}});
        else
            std::cout << Format("%.3f", dt) << '\n';
    };
}

// `tempo sun` and `tempo moon`. The series are good for some thousands of years around J2000;
// beyond the day numbers' years -9998..9999 their values mean nothing, so such instants are refused.
void AddLongitude(Commands& c, const char* name, const char* description, double (*longitude)(double)) {
    Command& cmd = c.Add(name, description);
    const Argument& jd = cmd.Option("--jd", "X",
                                    "the instant: a Julian date on the TT scale, " +
                                        std::to_string(astro::MinDayNumber - 1) + ".." +
                                        std::to_string(astro::MaxDayNumber + 1) + " (2451545.0 is 2000-01-01 12:00 TT)",
                                    true);
    cmd.Example(std::string("tempo ") + name + " --jd 2451545.0");
    cmd.run = [&c, &jd, longitude] {
        const double x = jd.DecimalNumber(astro::MinDayNumber - 1.0, astro::MaxDayNumber + 1.0);
        const double v = longitude(x);
        if (c.as_json)
            PrintJson({{"jd_tt", x}, {"longitude", v}});
        else
            std::cout << Format("%.9f", v) << '\n';
    };
}

void AddTerms(Commands& c) {
    Command& cmd = c.Add("terms", "the solar terms of a year (UTC+8), as the calendar counted them");
    const Argument& year = cmd.Positional("YEAR", kAnyYearHelp, true);
    cmd.Example("tempo terms 2024");
    cmd.run = [&c, &year] {
        json doc = json::array();
        for (const tools::TableEntry& t : tools::SolarTermsOfYear(DayNumbersYear(year))) {
            const std::string name = calendar::SolarTermNames[t.index];
            const int longitude = astro::SolarTermLongitude(t.index);
            const std::string local = astro::JulianDayToDateTimeText(t.when);
            const double jd_ut = t.when - 0.5 - astro::CalcTimeZone / 24.0;
            if (c.as_json)
                doc.push_back({{"name", Utf8(name)},
                               {"index", t.index},
                               {"longitude", longitude},
                               {"jd_ut", jd_ut},
                               {"local", local},
                               {"iso", IsoLocalTime(t.when)}});
            else
                PrintLine(name + "  " + Format("%3.0f", longitude) + "  " + local);
        }
        if (c.as_json) PrintJson(doc);
    };
    c.TakesRuleFlag(cmd);
}

void AddMoons(Commands& c) {
    Command& cmd = c.Add("moons", "the new and full moons of a year (UTC+8)");
    const Argument& year = cmd.Positional("YEAR", kAnyYearHelp, true);
    cmd.Example("tempo moons 2024");
    cmd.run = [&c, &year] {
        json doc = json::array();
        // The phases of the moons table, those whose local day lies in the year, in time order.
        for (const tools::TableEntry& e : tools::MoonPhasesOfYear(DayNumbersYear(year))) {
            if (!e.in_year) continue;
            const std::string local = astro::JulianDayToDateTimeText(e.when);
            const double jd_ut = e.when - 0.5 - astro::CalcTimeZone / 24.0;
            if (c.as_json)
                doc.push_back({{"phase", e.index == 0 ? "new" : "full"},
                               {"jd_ut", jd_ut},
                               {"local", local},
                               {"iso", IsoLocalTime(e.when)}});
            else
                PrintLine(std::string(e.index == 0 ? "朔(新月)" : "望(满月)") + "  " + local);
        }
        if (c.as_json) PrintJson(doc);
    };
}

void AddSunTimes(Commands& c) {
    Command& cmd = c.Add("sun-times", "dawn, sunrise, transit, sunset and dusk of a date at a place");
    const Argument& date = cmd.Positional("DATE", kDateHelp + "; years -9998..9999", true);
    const Argument& lon =
        cmd.Option("--lon", "L", Utf8("the longitude in degrees, -180..180, east negative (default -116.38, 天安门)"));
    const Argument& lat = cmd.Option("--lat", "B", "the latitude in degrees, -90..90, north positive (default 39.90)");
    // The engine's zones are whole hours from -12 to 12, the zones of the city table.
    const Argument& zone = cmd.Option("--zone", "Z",
                                      "the time zone: whole hours east of Greenwich, -12..12 (default 8); zones such "
                                      "as 13, 14 or 5.5 are not supported");
    cmd.Example("tempo sun-times 2024-06-21 --lon -121.47 --lat 31.23");
    cmd.run = [&c, &date, &lon, &lat, &zone] {
        const astro::DayNumber n = DayNumberOf(ParseDate(date));
        const double longitude = lon.given() ? lon.DecimalNumber(-180, 180) : -116.38;
        const double latitude = lat.given() ? lat.DecimalNumber(-90, 90) : 39.90;
        int hours = astro::CalcTimeZone;
        if (zone.given()) {
            long long z = 0;
            if (!CheckWholeNumber(zone.text(), -12, 12, &z).empty())
                zone.RefuseTyped("is refused: the zones are whole hours east of Greenwich from -12 to 12");
            hours = static_cast<int>(z);
        }
        const SunTimes s = ComputeSunTimes(n, longitude, latitude, hours);
        if (c.as_json) {
            PrintJson({{"date", astro::DayNumberToDateText(n)},
                       {"iso", IsoOf(n)},
                       {"place", {{"longitude", longitude}, {"latitude", latitude}, {"zone", hours}}},
                       {"dawn", MomentJson(s.dawn, s.no_dawn)},
                       {"sunrise", MomentJson(s.sunrise, s.no_sunrise)},
                       {"transit", s.transit},
                       {"sunset", MomentJson(s.sunset, s.no_sunrise)},
                       {"dusk", MomentJson(s.dusk, s.no_dawn)},
                       {"day_length", s.day_length},
                       {"twilight_length", s.twilight_length},
                       {"no_sunrise", ReasonJson(s.no_sunrise)},
                       {"no_dawn", ReasonJson(s.no_dawn)}});
            return;
        }
        PrintLine("黎明 " + MomentText(s.dawn, s.no_dawn));
        PrintLine("日出 " + MomentText(s.sunrise, s.no_sunrise));
        PrintLine("中天 " + s.transit);
        PrintLine("日落 " + MomentText(s.sunset, s.no_sunrise));
        PrintLine("黄昏 " + MomentText(s.dusk, s.no_dawn));
        PrintLine("昼长 " + s.day_length);
        PrintLine("晨昏长 " + s.twilight_length);
    };
}

void AddDay(Commands& c) {
    Command& cmd = c.Add("day", "what the calendar shows for a day (default today)");
    const Argument& date = cmd.Positional("DATE", kDateHelp + "; years -8999..9000; today without it", false);
    const Argument& place = cmd.Option("--place", "P/C", Utf8(kPlaceHelp) + "; default 1/1");
    const Argument& info =
        cmd.Option("--info", "0|1|2", "the information line: 0 festivals (default), 1 sunrise and sunset, 2 dawn and dusk");
    const Argument& chunjie = cmd.Flag("--ganzhi-from-chunjie", Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));
    const Argument& holidays = AddHolidaysFile(cmd);
    cmd.Example(Utf8("tempo day 2024-02-10 --place 北京/天安门"));
    c.TakesRuleFlag(cmd);
    cmd.run = [&c, &date, &place, &info, &chunjie, &holidays] {
        UseHolidayTable(holidays);
        const astro::CalendarDate d = date.given() ? ParseCalendarDate(date) : Today();
        const places::CityRecord where = place.given() ? ParsePlace(place) : places::CityRecordOf(1, 1);
        const int info_type = info.given() ? static_cast<int>(info.WholeNumber(0, 2)) : 0;
        CmdDay(d, where, info_type, chunjie.given(), c.as_json);
    };
}

// "2月15日" of a day, with the year when it is not `year` ("2023年12月30日").
std::string MonthDayText(astro::DayNumber n, int year) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    return (d.year == year ? std::string() : std::to_string(d.year) + "年") + std::to_string(d.month) + "月" +
           std::to_string(d.day) + "日";
}

// The arrangement of a year as the notice reads: each holiday's span and its make-up working days,
// then the working days of the year.
void CmdHolidays(const Argument& year_arg, int year, bool as_json) {
    const std::shared_ptr<const calendar::HolidayCalendar> holidays = calendar::Holidays();
    if (!holidays->HoldsYear(year))
        year_arg.RefuseTyped("is not in the public holiday table, which holds " + HeldYearsText() +
                             " (a newer table: --holidays-file FILE)");
    const std::vector<calendar::HolidaySpan> spans = holidays->SpansOf(year);
    const int workdays = holidays->WorkdaysIn(year);
    if (as_json) {
        json list = json::array();
        for (const calendar::HolidaySpan& s : spans) {
            json work = json::array();
            for (const astro::DayNumber w : s.work_days) work.push_back(IsoOf(w));
            list.push_back({{"name", Utf8(s.name)},
                            {"first", IsoOf(s.first)},
                            {"last", IsoOf(s.last)},
                            {"days", s.last - s.first + 1},
                            {"work_days", work}});
        }
        return PrintJson({{"year", year}, {"holidays", list}, {"workdays", workdays}});
    }
    PrintLine(std::to_string(year) + "年节假日安排");
    for (const calendar::HolidaySpan& s : spans) {
        std::string line = s.name + "：" + MonthDayText(s.first, year);
        if (s.last != s.first) line += "至" + MonthDayText(s.last, year);
        line += "放假，共" + std::to_string(s.last - s.first + 1) + "天";
        for (std::size_t i = 0; i < s.work_days.size(); ++i) {
            const astro::CalendarDate w = astro::DayNumberToDate(s.work_days[i]);
            line += (i == 0 ? "；" : "、") + MonthDayText(s.work_days[i], year) + "（" +
                    calendar::WeekdayName(w.year, w.month, w.day) + "）";
        }
        if (!s.work_days.empty()) line += "上班";
        PrintLine(line);
    }
    PrintLine("全年工作日" + std::to_string(workdays) + "天");
}

void AddHolidays(Commands& c) {
    Command& cmd = c.Add("holidays", Utf8("the public holidays of a year (休) and its make-up working days (班), as the "
                                          "State Council's notice arranges them"));
    const Argument& year = cmd.Positional("YEAR", "the year, four digits (the table holds the notices' years)", true);
    const Argument& holidays = AddHolidaysFile(cmd);
    cmd.Example("tempo holidays 2026");
    cmd.run = [&c, &year, &holidays] {
        UseHolidayTable(holidays);
        CmdHolidays(year, static_cast<int>(year.WholeNumber(-kAnyWhole, kAnyWhole)), c.as_json);
    };
}

void AddLunarYear(Commands& c) {
    Command& cmd = c.Add("lunar-year", "the months of a lunar year");
    const Argument& year = cmd.Positional("YEAR", kYearHelp, true);
    cmd.Example("tempo lunar-year 2033");
    c.TakesRuleFlag(cmd);
    cmd.run = [&c, &year] { CmdLunarYear(CalendarYear(year), c.as_json); };
}

void AddConvert(Commands& c) {
    Command& cmd = c.Add("convert", "the same day in the Gregorian, lunar and Hijri calendars");
    const Argument& from = cmd.Option("--from", "CALENDAR", std::string("the calendar DATE is written in: ") + kCalendarHelp +
                                                                "; default gregorian");
    const Argument& date = cmd.Positional(
        "DATE", "the date in that calendar, YYYY-MM-DD with a four-digit year (or ADMM-DD-YYYY / BCMM-DD-YYYY)", true);
    cmd.Example("tempo convert --from lunar 2023-14-01");
    c.TakesRuleFlag(cmd);
    cmd.run = [&c, &from, &date] {
        const DateCalendar calendar = CalendarArg(from);
        astro::CalendarDate fields;
        std::string error;
        if (!ParseDateFields(date.text(), fields, error)) date.Refuse(error);
        const astro::DayNumber n = DayOfDate(date, calendar, fields);
        if (c.as_json) return PrintJson(ThreeCalendarsJson(n));
        const json three = ThreeCalendarsJson(n);
        std::cout << Utf8("公历 ") << three["gregorian"].get<std::string>() << '\n'
                  << Utf8("农历 ") << three["lunar"].get<std::string>() << '\n'
                  << Utf8("回历 ") << three["hijri"].get<std::string>() << '\n';
    };
}

void AddEra(Commands& c) {
    Command& cmd = c.Add("era", Utf8("the era name (年号) of a year"));
    const Argument& year = cmd.Positional("YEAR", kYearHelp, true);
    cmd.Example("tempo era 1875");
    cmd.run = [&c, &year] {
        const int y = CalendarYear(year);
        const std::string era = TrimBlanks(calendar::EraName(y));
        if (c.as_json)
            PrintJson({{"year", y}, {"era", Utf8(era)}});
        else
            PrintLine(era);
    };
}

void AddCities(Commands& c) {
    Command& cmd = c.Add("cities", "the provinces, or the places of province P");
    const Argument& province = cmd.Positional("P", Utf8("the province: its index 1..35 or its name (北京)"), false);
    cmd.Example(Utf8("tempo cities 北京"));
    cmd.run = [&c, &province] { CmdCities(province, c.as_json); };
}

}  // namespace

namespace {

// Help and the version go to standard output; a failure to write them is an error too.
int ShowOutput(CLI::App& app, const CLI::Error& e) {
    app.exit(e);
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "tempo: the output could not be written\n";
        return kUsageError;
    }
    return 0;
}

}  // namespace

namespace {

int Run(int argc, char** argv) {
    // The name is fixed: help and manual pages say "tempo", whatever path started it.
    CLI::App app{"tempo " TEMPO_VERSION ": the calculator of Tempoline, the Chinese perpetual calendar", "tempo"};
    app.set_help_flag("-h,--help", "print this help and end");
    app.set_help_all_flag("--help-all", "show the help of every command");
    app.set_version_flag("--version", "tempo " TEMPO_VERSION " (Tempoline " TEMPO_VERSION ")", "print the version and end");
    app.allow_extras();
    app.require_subcommand(0, 1);
    app.footer("tempo COMMAND --help says what each command takes.\nExample: tempo day 2024-02-10\n"
               "Dates are written " + std::string(kDateForms) + ".");
    Commands commands(app);
    app.add_flag("--json", commands.as_json, "print one JSON document instead of text");
    AddJd(commands);
    AddDate(commands);
    AddDeltaT(commands);
    AddLongitude(commands, "sun", "the apparent longitude of the Sun (degrees) at an instant", astro::SunApparentLongitude);
    AddLongitude(commands, "moon", "the longitude of the Moon (degrees) at an instant", astro::MoonLongitude);
    AddTerms(commands);
    AddMoons(commands);
    AddSunTimes(commands);
    AddDay(commands);
    AddHolidays(commands);
    AddLunarYear(commands);
    AddConvert(commands);
    AddEra(commands);
    AddCities(commands);
    AddToolCommands(commands);
    AddAlmanacCommand(commands);
    AddPillarsCommand(commands);
#ifdef TEMPO_ICS
    AddIcsCommand(commands);
#endif
    commands.TakeJsonFlags();

    try {
        app.parse(argc, argv);
    } catch (const CLI::CallForHelp& e) {
        return ShowOutput(app, e);
    } catch (const CLI::CallForAllHelp& e) {
        return ShowOutput(app, e);
    } catch (const CLI::CallForVersion& e) {
        // "tempo --version" alone: anything else with it is a mistake, not a request for the version.
        if (argc != 2) {
            std::cerr << "tempo: --version takes nothing else: "
                      << cli::Quoted(argv[1] == std::string("--version") ? argv[2] : argv[1]) << "\n";
            return kUsageError;
        }
        return ShowOutput(app, e);
    } catch (const CLI::ParseError& e) {
        // Every argument is taken as text and checked by the commands; what CLI11 still refuses is
        // a flag given a value (--bc=1).
        std::cerr << "tempo: the command line cannot be read: a flag such as --bc or --json takes no value "
                     "(tempo --help lists the commands)\n";
        return kUsageError;
    }
    Command* command = commands.Parsed();
    try {
        commands.CheckTopLevel();
        if (command == nullptr) {
            // `tempo` alone lists the commands; `tempo tool` alone the tools.
            std::cout << app.help();
        } else {
            command->CheckTyped();
            if (!command->run) {
                std::cout << command->app()->help();
            } else {
                calendar::SetModernCalculateAncientFlag(commands.modern_ancient);
                command->run();
            }
        }
    } catch (const UsageError& e) {
        std::cerr << cli::EscapeControls(UsageMessage(command, e)) << "\n";
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

}  // namespace

#ifdef _WIN32
// The wide entry (-municode): the arguments as Windows keeps them, in UTF-16, made UTF-8.
int wmain(int argc, wchar_t** argv) {
    cli::UseUnicodeConsole();
    std::vector<std::string> arguments = cli::Utf8Arguments(argc, argv);
    std::vector<char*> pointers;
    for (std::string& a : arguments) pointers.push_back(a.data());
    pointers.push_back(nullptr);
    return Run(argc, pointers.data());
}
#else
int main(int argc, char** argv) { return Run(argc, argv); }
#endif
