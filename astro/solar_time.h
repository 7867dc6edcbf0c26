// The equation of time: how far the Sun's hour angle runs ahead of (positive) or behind (negative)
// the mean Sun's. A sundial shows the true (apparent) solar time; a place's mean solar time is
// universal time plus its longitude, and the true solar time is the mean one plus the equation.
#pragma once

#include "astro/day_numbers.h"

namespace astro {

// The equation of time in minutes at a universal instant (a Julian date on the UT scale), from the
// Sun's mean longitude L0 and its apparent right ascension (Meeus, Astronomical Algorithms,
// ch. 28): E = L0 - 0.0057183 deg - alpha + dpsi cos(epsilon). alpha comes from the engine's
// apparent longitude (VSOP87D, FK5, nutation, aberration) and latitude, with the true obliquity
// (mean obliquity plus the nutation in obliquity). Within about +-16.5 minutes.
double EquationOfTimeMinutes(JulianDay jd_ut);

}  // namespace astro
