// The four pillars (四柱, 八字) of a moment of birth, with the day and hour taken by the true solar
// time at the place of birth.
//
// The clock time is first brought to the zone's standard time: the daylight saving time that China
// kept (1919, 1940..1949 as recorded for Shanghai, and nationally 1986..1991) is taken off, by the
// table below or as the caller states it. The universal instant follows; from it:
//   - the year pillar by the instant of 立春 and the month pillar by the 节 at their instants (the
//     astronomical instants, so a birth minutes before a 节 is still in the old month);
//   - the local mean solar time = standard time - zone + longitude / 15 h, and the true solar time
//     = mean + the equation of time (astro/solar_time.h);
//   - the day and hour pillars from the true solar time by the almanac's own rule (PillarsAt in
//     almanac.h): the day changes at 子初, 23:00 (子时换日); the other school (早晚子时), which keeps
//     the day until 00:00, is named with its day pillar where it differs.
// Also the 纳音 of the four, the five elements of the eight visible characters (hidden stems, 藏干,
// are not counted), the animal of the year (by 立春), the lunar date of the standard-time date and
// how far the moment lies from the edges: the 节 (and 立春), the 时辰 boundaries and midnight.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "almanac/almanac.h"
#include "calendar/lunar_year.h"

namespace almanac {

// --- daylight saving time in China ----------------------------------------------------------------
// One period of daylight saving time (one hour ahead of UTC+8), from the IANA time zone database's
// rules for Asia/Shanghai (tzdata 2025b): the clocks went forward on the first date at its standard
// minute start_minute (0 = 00:00 -> 01:00, 120 = 02:00 -> 03:00) and back on the last date at its
// daylight minute end_minute (1440 = 24:00 -> 23:00, 120 = 02:00 -> 01:00).
struct DaylightPeriod {
    int first_year, first_month, first_day, start_minute;
    int last_year, last_month, last_day, end_minute;
};
const std::vector<DaylightPeriod>& ChinaDaylightPeriods();

// What a wall-clock time in UTC+8 was: standard time, daylight time, a time the clocks skipped
// (the hour after the change forward) or one they showed twice (the hour before the change back).
enum class ClockReading { kStandard, kDaylight, kSkipped, kRepeated };
struct ClockCheck {
    ClockReading reading = ClockReading::kStandard;
    const DaylightPeriod* period = nullptr;  // the period it falls in or at the edge of
};
ClockCheck ChinaClockReading(int year, int month, int day, int hour, int minute);

// How the clock time of a birth is read: by the table (the table is used for zone 8 only; other
// zones have no daylight time unless stated), or as stated.
enum class DaylightRule { kByTable, kDaylight, kStandard };

// --- the pillars -------------------------------------------------------------------------------------
struct BirthMoment {
    int year = 0, month = 0, day = 0, hour = 0, minute = 0, second = 0;  // the clock time
    double longitude = -116.38;  // degrees, east negative (the city table's convention)
    double zone = 8.0;           // hours east of Greenwich
    DaylightRule daylight = DaylightRule::kByTable;
};

// The distance to the edges of what decides a pillar, in minutes (both positive).
struct Edge {
    double after = 0.0;   // since the last boundary
    double before = 0.0;  // until the next
};

struct BirthPillars {
    bool ok = false;
    std::string problem;        // why not (GBK): a date outside the calendar, a skipped or repeated time
    int daylight_minutes = 0;   // 60 when daylight time was taken off
    bool daylight_by_table = false;
    double standard = 0.0;      // the standard time as a day value: floor = day number, fraction = time
    astro::JulianDay ut = 0.0;  // the universal instant
    double longitude_minutes = 0.0;  // mean solar time minus standard time
    double equation_minutes = 0.0;   // true minus mean solar time
    double mean_solar = 0.0;         // day values like `standard`
    double true_solar = 0.0;
    GanZhiIndex year = 0, month = 0, day = 0, hour = 0;
    int hour_branch = 0;
    GanZhiIndex other_school_day = 0;  // the day pillar by 早晚子时 (differs only at 23:00..23:59)
    ClockPillars by_clock;             // day and hour by the standard time, uncorrected
    int jie = 0;                       // the term index (1..24) of the 节 that opened the month
    int next_jie = 0;
    double jie_time = 0.0, next_jie_time = 0.0;  // their instants in standard time (day values)
    double lichun_time = 0.0;                    // the 立春 that opened the year
    Edge month_edge;                   // from the 节 / to the next 节
    Edge hour_edge;                    // from the start of the 时辰 / to its end, by true solar time
    double minutes_from_midnight = 0.0;  // true solar time from the nearest 00:00, signed (- before)
    std::array<int, 5> elements{};     // 木 火 土 金 水 among the eight characters
    calendar::LunarDate lunar;         // of the standard-time date
    GanZhiIndex lunar_year = 0;        // the lunar year's pillar (from 正月初一)
};

BirthPillars PillarsOfBirth(const BirthMoment& birth);

// 木 火 土 金 水 of a stem (0..9) and a branch (0..11).
int StemElement(int stem);
int BranchElement(int branch);
const char* ElementName(int element);

// How close to an edge a moment must be for the text to point it out, in minutes.
constexpr double kNearJie = 1440.0;
constexpr double kNearHourEdge = 15.0;

// The lines the command and the window show (GBK): times, corrections, the pillars, 纳音, elements,
// animal, lunar date, the month's 节 and the notes on the edges.
std::vector<std::string> PillarsLines(const BirthPillars& p);
// "2024-02-04 16:26:53" of a day value; "+4分05秒" / "-14分29秒" of minutes.
std::string DayValueText(double day_value);
std::string SignedMinutesText(double minutes);

}  // namespace almanac
