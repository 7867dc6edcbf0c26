// The geocentric ecliptic longitude of the Moon, of date, from the longitude series of the lunar
// theory ELP-2000/85 in Fourier form. The series is referred to the fixed mean equinox of J2000, so
// the general precession since J2000 and the nutation in longitude are added. Light time and
// aberration of the Moon are not applied. Instants are Julian dates on the TT scale.
#pragma once

#include "astro/day_numbers.h"

namespace astro {

double PrecessionInLongitude(JulianDay jd_tt);  // degrees, [0, 360)
double MoonLongitude(JulianDay jd_tt);          // degrees, [0, 360)

namespace detail {
double MoonLongitudeWithNutation(JulianDay jd_tt, double nutation_deg);
}  // namespace detail

}  // namespace astro
