// New moons and solar terms as the Chinese calendar counts them: whole civil days in UTC+8.
//
// With the modern rule every new moon and solar term is the astronomical instant. Unless the
// user chooses to compute the ancient calendars with the modern algorithm, the days of the
// historical calendars are followed instead: mean conjunctions and mean solar terms (平朔, 平气)
// where the calendars of the time used them, the late-evening rule of the Tang and Song
// calendars (a conjunction late in the evening opens the month on the next day), single-day
// corrections where the official calendars differed from the computed day, and from 1645 to 1886
// the solar theories of the Qing calendars.
#pragma once

#include "astro/day_numbers.h"

namespace calendar {

using astro::DayNumber;

// How the ancient calendars are computed: by the historical rules (the default), or with the
// modern algorithm (the menu's 按现代天文算法计算古历). The modern calendar is the same under both.
enum class Rule { kHistorical, kModern };

// The rule in force, which the functions without a rule argument follow. Change it through
// SetModernCalculateAncientFlag (lunar_year.h).
Rule CurrentRule();
// True when the rule in force is the modern one.
bool ModernCalculateAncientFlag();

// The first day of the month that begins on or after day d: the day of the first new moon whose
// day is d or later, after the day rules of `rule` (or of the rule in force).
DayNumber NewMoonDay(DayNumber d, Rule rule = CurrentRule());
// The first day of the month that contains day d.
DayNumber LastNewMoonDay(DayNumber d, Rule rule = CurrentRule());
// The day (UTC+8) of the first astronomical full moon on or after day d.
DayNumber FullMoonDay(DayNumber d);

// The instant of a solar term: a chronological day value (UTC+8; its floor is the civil day) and
// the term's index 1 (小寒) .. 24 (冬至).
struct SolarTermInstant {
    double when = 0.0;
    int index = 0;
};

// The first solar term on or after day d; principal_only selects 大寒, 雨水, 春分 ... 冬至.
SolarTermInstant NextSolarTerm(DayNumber d, bool principal_only, Rule rule = CurrentRule());
// The day of the first solar term k (1..24, clamped) on or after day d.
DayNumber SolarTermDay(DayNumber d, int k, Rule rule = CurrentRule());
// 1 if a principal term falls on one of the days first..last, else 0.
int HasPrincipalTerm(DayNumber first, DayNumber last, Rule rule = CurrentRule());
// The index 1..24 of the solar term in force on day n (the last one on or before it).
int CurrentSolarTerm(DayNumber n);

namespace detail {

void SetRule(Rule rule);

// The astronomical events, each computed once per process (and kept in the memo, memo.h): the chronological day value (UTC+8)
// of the first new moon (or full moon) whose day is d or later, and of the first solar term
// (every term, or principal terms only) whose day is d or later.
double AstronomicalNewMoon(DayNumber d);
double AstronomicalFullMoon(DayNumber d);
SolarTermInstant AstronomicalTerm(DayNumber d, bool principal_only);

// The new moon of day d under the historical rules without the one-day correction list applied:
// the instant and whether the list may still move it (false inside the mean-lunation spans, for
// the exception days and where the late-evening rule has moved it).
struct HistoricalNewMoon {
    double when = 0.0;
    bool correctable = false;
};
HistoricalNewMoon UncorrectedHistoricalNewMoon(DayNumber d);

// One day that the official calendars moved a new moon by: +1 = to the next day, -1 = to the
// previous day; keyed by the astronomical day of the new moon.
struct DayCorrection {
    DayNumber day;
    int shift;
};
// The committed list, sorted by day.
const DayCorrection* NewMoonCorrections(int& count);

}  // namespace detail

}  // namespace calendar
