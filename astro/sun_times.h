// Sunrise, solar transit, sunset and civil twilight for a civil date, a place and a time zone, by
// the single-pass method: the Sun's position is taken once, at 0h UT of the date, and the hour
// angles of the rise and set thresholds follow in closed form.
#pragma once

#include <cstdint>
#include <string>

#include "astro/day_numbers.h"

namespace astro {

using SunEventMode = std::int16_t;
constexpr SunEventMode kSunrise = 1;
constexpr SunEventMode kTransit = 2;
constexpr SunEventMode kSunset = 3;
constexpr SunEventMode kDayLength = 4;
constexpr SunEventMode kDawn = 5;
constexpr SunEventMode kDusk = 6;
constexpr SunEventMode kTwilightLength = 7;

double MeanObliquity(double t_centuries);  // radians
double GreenwichSiderealTime(double days_from_j2000_ut, double delta_t_days);  // radians, not reduced
void EclipticToEquatorial(double lambda, double beta, double epsilon, double& alpha, double& delta);
std::string DayFractionToClockText(double value);

// Clock text "HH:MM:SS" of one event; longitude in degrees east negative, latitude north positive,
// zone in hours east of Greenwich. The empty text for arguments out of range.
std::string SunEventTime(DayNumber n, double longitude, double latitude, int zone, int mode);

}  // namespace astro
