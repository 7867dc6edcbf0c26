#include "astro/solar_time.h"

#include <cmath>

#include "astro/sun.h"
#include "astro/sun_times.h"

namespace astro {

double EquationOfTimeMinutes(JulianDay jd_ut) {
    const JulianDay jd_tt = UniversalToDynamical(jd_ut);
    const double tau = (jd_tt - 2451545.0) / 365250.0;  // Julian millennia from J2000 (TT)
    const double tau2 = tau * tau;
    // The Sun's mean longitude referred to the mean equinox of date (Meeus 28.2), degrees.
    const double mean_longitude = 280.4664567 + 360007.6982779 * tau + 0.03032028 * tau2 +
                                  tau2 * tau / 49931.0 - tau2 * tau2 / 15300.0 - tau2 * tau2 * tau / 2000000.0;
    const double nutation_longitude = NutationInLongitude(jd_tt);
    const double obliquity =
        MeanObliquity(tau * 10.0) + NutationInObliquity(jd_tt) * DegreesToRadians;  // true obliquity, radians
    const double lambda = SunApparentLongitude(jd_tt) * DegreesToRadians;
    const double beta = -EarthHeliocentricLatitude(jd_tt);
    double alpha = 0.0;
    double delta = 0.0;
    EclipticToEquatorial(lambda, beta, obliquity, alpha, delta);
    const double e = mean_longitude - 0.0057183 - alpha / DegreesToRadians +
                     nutation_longitude * std::cos(obliquity);
    return WrapToRange(e, 0, 180) * 4.0;  // 1 degree of hour angle is 4 minutes of time
}

}  // namespace astro
