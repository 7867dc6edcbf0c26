// The apparent geocentric ecliptic longitude of the Sun, from the Earth's heliocentric position in
// VSOP87 version D (mean ecliptic and equinox of date), corrected to the FK5 frame, for the nutation
// in longitude (1980 IAU theory) and for aberration. All instants are Julian dates on the TT scale.
#pragma once

#include "astro/day_numbers.h"

namespace astro {

double EarthHeliocentricLongitude(JulianDay jd_tt);  // radians, [0, 2 pi)
double EarthHeliocentricLatitude(JulianDay jd_tt);   // radians, reduced like the longitude
double EarthRadiusVector(JulianDay jd_tt);           // astronomical units
double NutationInLongitude(JulianDay jd_tt);         // degrees
double NutationInObliquity(JulianDay jd_tt);         // degrees
double SunAberration(JulianDay jd_tt);               // degrees, negative
double SunApparentLongitude(JulianDay jd_tt);        // degrees, [0, 360)

namespace detail {
// The apparent longitude with the nutation in longitude supplied by the caller, for callers that
// need the same nutation for the Moon at the same instant (it is computed once, not twice).
double SunApparentLongitudeWithNutation(JulianDay jd_tt, double nutation_deg);
}  // namespace detail

}  // namespace astro
