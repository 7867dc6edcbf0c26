// `tempo pillars`: the four pillars (四柱) of a moment of birth by the true solar time at the place.
#include <cmath>
#include <cstdio>
#include <string>

#include "almanac/almanac.h"
#include "almanac/pillars.h"
#include "calendar/cycles.h"
#include "calendar/names.h"
#include "cli/common.h"

namespace cli {

namespace {

// "HH:MM" or "HH:MM:SS", 00:00..23:59:59.
void ParseClock(const Argument& arg, int& hour, int& minute, int& second) {
    const std::string& t = arg.text();
    const auto two_digits = [&t](size_t at) {
        return at + 2 <= t.size() && t[at] >= '0' && t[at] <= '9' && t[at + 1] >= '0' && t[at + 1] <= '9'
                   ? (t[at] - '0') * 10 + (t[at + 1] - '0')
                   : -1;
    };
    const bool form = (t.size() == 5 || (t.size() == 8 && t[5] == ':')) && t[2] == ':';
    hour = form ? two_digits(0) : -1;
    minute = form ? two_digits(3) : -1;
    second = t.size() == 8 ? two_digits(6) : 0;
    if (hour < 0 || minute < 0 || second < 0) arg.RefuseTyped("is not a time HH:MM or HH:MM:SS (08:05, 23:59:30)");
    if (hour > 23 || minute > 59 || second > 59) arg.RefuseTyped("is not a time of the day: 00:00..23:59:59");
}

std::string Clock(int minute_of_day) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%02d:%02d", minute_of_day / 60, minute_of_day % 60);
    return buf;
}

std::string Iso(double day_value) {
    std::string text = almanac::DayValueText(day_value);
    text[text.find(' ')] = 'T';
    return text;
}

json Seconds(double minutes) { return std::round(minutes * 600.0) / 10.0; }  // to 0.1 s

}  // namespace

void AddPillarsCommand(Commands& c) {
    Command& cmd = c.Add("pillars", Utf8("the four pillars (四柱) of a moment of birth, the day and hour by the true solar "
                                         "time at the place"));
    const Argument& date =
        cmd.Positional("DATE", std::string("the date of birth: ") + kDateForms + "; years -8999..9000", true);
    const Argument& time = cmd.Positional("TIME", "the clock time of birth, HH:MM or HH:MM:SS (24 hours)", true);
    const Argument& place = cmd.Option("--place", "P/C", Utf8(std::string(kPlaceHelp) + "; default 1/1 (北京/天安门)"));
    const Argument& lon = cmd.Option(
        "--lon", "L", "the longitude of the place in degrees, -180..180, east negative as in sun-times (-116.38); not with --place");
    const Argument& zone = cmd.Option("--zone", "Z", "the time zone of the clock, hours east of Greenwich, -12..14 (default +8)");
    const Argument& dst = cmd.Option(
        "--dst", "auto|yes|no",
        "daylight saving time: auto (default) takes it off where China kept it (1919, 1940..1949, 1986..1991; zone +8 "
        "only), yes says the clock was one hour ahead, no that it showed standard time");
    cmd.Example(Utf8("tempo pillars 2024-02-04 16:20 --place 北京/天安门"));
    cmd.run = [&c, &date, &time, &place, &lon, &zone, &dst] {
        const astro::CalendarDate d = ParseCalendarDate(date);
        almanac::BirthMoment b;
        b.year = d.year;
        b.month = d.month;
        b.day = d.day;
        ParseClock(time, b.hour, b.minute, b.second);
        if (place.given() && lon.given()) lon.Refuse("is not taken with --place: give the place or its longitude");
        places::CityRecord where = places::CityRecordOf(1, 1);
        if (place.given()) where = ParsePlace(place);
        if (lon.given()) {
            where = places::CityRecord{};
            where.province = 0;
            where.city = 0;
            where.longitude = lon.DecimalNumber(-180, 180);
        }
        b.longitude = where.longitude;
        if (zone.given()) {
            std::string z = zone.text();
            if (!z.empty() && z[0] == '+') z.erase(0, 1);
            if (!CheckDecimalNumber(z, -12, 14, &b.zone).empty())
                zone.RefuseTyped("is not a time zone: hours east of Greenwich from -12 to 14 (+8, 5.5, -5)");
        }
        const std::string rule = dst.given() ? dst.OneOf({"auto", "yes", "no"}) : "auto";
        b.daylight = rule == "yes" ? almanac::DaylightRule::kDaylight
                     : rule == "no" ? almanac::DaylightRule::kStandard
                                    : almanac::DaylightRule::kByTable;
        // A longitude far from the zone's meridian is a sign mistake or a missing --zone.
        const double hours_off = -b.longitude / 15.0 - b.zone;
        if (std::fabs(hours_off) > 4.0) {
            char buf[160];
            std::snprintf(buf, sizeof buf, "lies %.1f hours of mean solar time from zone %+g: ", std::fabs(hours_off),
                          b.zone);
            const std::string why = std::string(buf) + "east longitudes are negative (Beijing -116.38); "
                                    "give the zone of the place's clocks with --zone";
            if (lon.given()) lon.RefuseTyped(why);
            if (place.given()) place.RefuseTyped(why);
            zone.RefuseTyped(why);
        }
        if (b.daylight == almanac::DaylightRule::kByTable && b.zone == astro::CalcTimeZone) {
            const almanac::ClockCheck check = almanac::ChinaClockReading(b.year, b.month, b.day, b.hour, b.minute);
            const std::string on = " on " + IsoDate(b.year, b.month, b.day);
            if (check.reading == almanac::ClockReading::kSkipped)
                time.RefuseTyped("did not exist" + on + ": the clocks went forward from " +
                                 Clock(check.period->start_minute) + " to " + Clock(check.period->start_minute + 60) +
                                 " for daylight saving time; --dst no reads the time as standard time");
            if (check.reading == almanac::ClockReading::kRepeated)
                time.RefuseTyped("came twice" + on + ": the clocks went back from " + Clock(check.period->end_minute) +
                                 " to " + Clock(check.period->end_minute - 60) +
                                 " at the end of daylight saving time; --dst yes takes the first (daylight time), "
                                 "--dst no the second (standard time)");
        }
        const almanac::BirthPillars p = almanac::PillarsOfBirth(b);
        if (!p.ok) date.Refuse(Utf8(p.problem));
        const std::string place_name = where.name.empty() ? "" : where.name;
        if (!c.as_json) {
            std::string head = "出生　" + IsoDate(b.year, b.month, b.day) + " " + time.text() + "　" +
                               (place_name.empty() ? "" : place_name + "　") + places::LongitudeText(b.longitude);
            char zone_text[32];
            std::snprintf(zone_text, sizeof zone_text, "　UTC%+g", b.zone);
            PrintLine(head + zone_text);
            for (const std::string& line : almanac::PillarsLines(p)) PrintLine(line);
            return;
        }
        const auto name = [](almanac::GanZhiIndex g) { return Utf8(calendar::GanZhiName(g)); };
        json elements = json::object();
        for (int e = 0; e < 5; ++e) elements[Utf8(almanac::ElementName(e))] = p.elements[e];
        json lunar = nullptr;
        if (p.lunar.month)
            lunar = {{"year", name(p.lunar_year)},
                     {"month", p.lunar.month > 12 ? p.lunar.month - 12 : p.lunar.month},
                     {"leap", p.lunar.month > 12},
                     {"day", p.lunar.day},
                     {"text", Utf8(TrimBlanks(calendar::LunarMonthName(p.lunar.month)) +
                                   calendar::LunarDayName(p.lunar.day))}};
        PrintJson({{"clock_time", IsoDate(b.year, b.month, b.day) + "T" + time.text() + (time.text().size() == 5 ? ":00" : "")},
                   {"place",
                    {{"name", place_name.empty() ? json(nullptr) : json(Utf8(place_name))},
                     {"longitude", b.longitude},
                     {"zone", b.zone}}},
                   {"daylight_saving",
                    {{"minutes_taken_off", p.daylight_minutes},
                     {"rule", rule},
                     {"by_table", p.daylight_by_table}}},
                   {"standard_time", Iso(p.standard)},
                   {"longitude_correction_seconds", Seconds(p.longitude_minutes)},
                   {"mean_solar_time", Iso(p.mean_solar)},
                   {"equation_of_time_seconds", Seconds(p.equation_minutes)},
                   {"true_solar_time", Iso(p.true_solar)},
                   {"pillars", {{"year", name(p.year)}, {"month", name(p.month)}, {"day", name(p.day)}, {"hour", name(p.hour)}}},
                   {"nayin",
                    {{"year", Utf8(almanac::NayinOf(p.year))},
                     {"month", Utf8(almanac::NayinOf(p.month))},
                     {"day", Utf8(almanac::NayinOf(p.day))},
                     {"hour", Utf8(almanac::NayinOf(p.hour))}}},
                   {"elements", elements},
                   {"hidden_stems_counted", false},
                   {"animal", Utf8(calendar::AnimalNames[almanac::BranchOf(p.year) + 1])},
                   {"lunar_date", lunar},
                   {"lichun", Iso(p.lichun_time)},
                   {"month_jie",
                    {{"name", Utf8(calendar::SolarTermNames[p.jie])},
                     {"time", Iso(p.jie_time)},
                     {"next", Utf8(calendar::SolarTermNames[p.next_jie])},
                     {"next_time", Iso(p.next_jie_time)}}},
                   {"hour_branch", Utf8(calendar::BranchNames[p.hour_branch + 1])},
                   {"day_change", {{"school", Utf8("子时换日")}, {"at", "23:00"}}},
                   {"other_school", {{"school", Utf8("早晚子时")}, {"at", "00:00"}, {"day", name(p.other_school_day)}}},
                   {"without_correction", {{"day", name(p.by_clock.day)}, {"hour", name(p.by_clock.hour)}}},
                   {"edges",
                    {{"minutes_after_jie", std::round(p.month_edge.after * 10.0) / 10.0},
                     {"minutes_before_next_jie", std::round(p.month_edge.before * 10.0) / 10.0},
                     {"minutes_into_hour", std::round(p.hour_edge.after * 10.0) / 10.0},
                     {"minutes_to_next_hour", std::round(p.hour_edge.before * 10.0) / 10.0},
                     {"minutes_from_midnight", std::round(p.minutes_from_midnight * 10.0) / 10.0}}},
                   {"lines", [&p] {
                        json lines = json::array();
                        for (const std::string& line : almanac::PillarsLines(p)) lines.push_back(Utf8(line));
                        return lines;
                    }()}});
    };
}

}  // namespace cli
