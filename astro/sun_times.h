// Sunrise, solar transit, sunset and civil twilight for a civil date, a place and a time zone, by
// the single-pass method: the Sun's position is taken once, at 0h UT of the date, and the hour
// angles of the rise and set thresholds follow in closed form.
#pragma once

#include <cstdint>
#include <string>

#include "astro/day_numbers.h"

namespace astro {

// What SunEventTime gives: the three moments of the Sun's day and its length, then the two
// twilights and the length from dawn to dusk.
enum SunEventMode : std::int16_t { kSunrise = 1, kTransit, kSunset, kDayLength, kDawn, kDusk, kTwilightLength };

double MeanObliquity(double t_centuries);  // radians
double GreenwichSiderealTime(double days_from_j2000_ut, double delta_t_days);  // radians, not reduced
void EclipticToEquatorial(double lambda, double beta, double epsilon, double& alpha, double& delta);
std::string DayFractionToClockText(double value);

// Clock text "HH:MM:SS" of one event; longitude in degrees east negative, latitude north positive,
// zone in hours east of Greenwich. The empty text for arguments out of range.
std::string SunEventTime(DayNumber n, double longitude, double latitude, int zone, int mode);

// Whether the Sun stays on one side of the sunrise threshold all day (or, with `twilight`, of the
// civil twilight's, 6 degrees below the horizon): kBelow in the polar night, kAbove in the midnight
// sun (for twilight: a night that stays light). SunEventTime then gives 00:00:00 and 24:00:00,
// which are no moments. kNeither when the Sun crosses it, and for a latitude out of range.
enum class SunAllDay { kNeither, kBelow, kAbove };
SunAllDay SunStaysAllDay(DayNumber n, double latitude, bool twilight);

}  // namespace astro
