// The mean-lunation rules of the historical calendars (古历): from the Taichu calendar of 104 BC to
// the Linde calendar of the 660s, each fixed its leap years by a cycle of N years holding M
// lunations (19 years and 235 lunations, the Metonic cycle, in the early ones) and opened its
// months with mean conjunctions A + k L counted from its epoch.
#pragma once

#include "astro/day_numbers.h"

namespace calendar {

struct AncientRule {
    int first_year;
    int last_year;
    double e;  // epoch, in years
    double n;  // years of the cycle
    double m;  // lunations of the cycle
    double a;  // day number of the epoch conjunction
    double l;  // mean lunation, days
};

// The rule in force for lunar year y, or null where the astronomical rule applies (619..644 and
// all years outside -103..665).
const AncientRule* AncientRuleForYear(int year);

// The rule whose mean conjunctions open the months containing day d (the mean-lunation spans), or
// null.
const AncientRule* MeanLunationRule(astro::DayNumber d);
// The same for a day value with a fraction (first <= x <= last).
const AncientRule* MeanLunationRuleAt(double x);

}  // namespace calendar
