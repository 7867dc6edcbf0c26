#include "astro/sun.h"

#include <cmath>
#include <cstddef>

#include "astro/vsop_series.h"

namespace astro {

namespace {

constexpr double kJ2000 = 2451545.0;

inline double JulianMillennia(JulianDay jd) { return (jd - kJ2000) / 365250.0; }
inline double JulianCenturies(JulianDay jd) { return (jd - kJ2000) / 36525.0; }

TEMPO_SERIES_CLONES double EarthL(double tau) {
    using namespace detail;
    return NormalizeRadians(PowerSeries(tau, kL0, kL1, kL2, kL3, kL4, kL5));
}

TEMPO_SERIES_CLONES double EarthB(double tau) {
    using namespace detail;
    return NormalizeRadians(PowerSeries(tau, kB0, kB1, kB2, kB3, kB4));
}

TEMPO_SERIES_CLONES double EarthR(double tau) {
    using namespace detail;
    return PowerSeries(tau, kR0, kR1, kR2, kR3, kR4, kR5);
}

// The daily motion of the Sun in longitude (arcseconds), whose product with the light time of one
// astronomical unit is the annual aberration: 3548.193" plus periodic terms
// amplitude * tau^p * sin(phase + rate * tau), angles in degrees, tau in Julian millennia.
// The rows are grouped by the power p of tau (14 rows of p = 0, then 3, 3 and 1).
struct DailyMotionTerms {
    double amplitude[21];
    double phase[21];
    double rate[21];
};

constexpr DailyMotionTerms kDailyMotion = {
    {118.568, 2.476, 1.376, 0.119, 0.114, 0.086, 0.078, 0.054, 0.052, 0.034, 0.033, 0.023, 0.023, 0.021,  // p = 0
     7.311, 0.305, 0.010,                                                                              // p = 1
     0.309, 0.021, 0.004,                                                                              // p = 2
     0.010},                                                                                           // p = 3
    {87.5287, 85.0561, 27.8502, 73.1375, 337.2264, 222.5400, 162.8136, 82.5823, 171.5189, 30.3214, 119.8105,
     247.5418, 325.1526, 155.1241, 333.4515, 330.9814, 328.5170, 241.4518, 205.0482, 297.8610, 154.7066},
    {359993.7286, 719987.4571, 4452671.1152, 450368.8564, 329644.6718, 659289.3436, 9224659.7915, 1079981.1857,
     225184.4282, 4092677.3866, 337181.4711, 299295.6151, 315559.5560, 675553.2846, 359993.7286, 719987.4571,
     1079981.1857, 359993.7286, 719987.4571, 4452671.1152, 359993.7286},
};
constexpr int kDailyMotionGroupEnd[4] = {14, 17, 20, 21};

TEMPO_SERIES_CLONES double Aberration(double tau, double radius_au) {
    double terms[21];
    for (int i = 0; i < 21; ++i)
        terms[i] = kDailyMotion.amplitude[i] *
                   detail::SeriesSin((kDailyMotion.phase[i] + kDailyMotion.rate[i] * tau) * DegreesToRadians);
    double group[4] = {0.0, 0.0, 0.0, 0.0};
    for (int p = 0, i = 0; p < 4; ++p)
        for (; i < kDailyMotionGroupEnd[p]; ++i) group[p] += terms[i];
    const double daily = 3548.193 + group[0] + tau * (group[1] + tau * (group[2] + tau * group[3]));
    return -0.005775518 * radius_au * daily / 3600.0;
}

// The nutation rows with their multipliers as doubles, in columns.
struct NutationColumns {
    double d[40], m[40], mp[40], f[40], om[40], a[40], a1[40];
};

constexpr NutationColumns ToColumns(const NutationTerm (&rows)[40]) {
    NutationColumns out{};
    for (int i = 0; i < 40; ++i) {
        out.d[i] = rows[i].d;
        out.m[i] = rows[i].m;
        out.mp[i] = rows[i].mp;
        out.f[i] = rows[i].f;
        out.om[i] = rows[i].om;
        out.a[i] = rows[i].a;
        out.a1[i] = rows[i].a1;
    }
    return out;
}

constexpr NutationColumns kNutationColumns = ToColumns(kNutation);

// Mean elongation of the Moon, mean anomalies of the Sun and the Moon, the Moon's argument of
// latitude and the longitude of its ascending node, degrees: the arguments of the nutation series.
struct NutationArguments {
    double d, m, mp, f, om;
};

inline NutationArguments NutationArgumentsAt(double t) {
    const double t2 = t * t;
    const double t3 = t2 * t;
    return {WrapToRange(297.8502042 + 445267.1115168 * t - 0.00163 * t2 + t3 / 545868.0, 180, 180),
            WrapToRange(357.5291092 + 35999.0502909 * t - 0.0001536 * t2 + t3 / 24490000.0, 180, 180),
            WrapToRange(134.9634114 + 477198.8676313 * t + 0.008997 * t2 + t3 / 69699.0, 180, 180),
            WrapToRange(93.2720993 + 483202.0175273 * t - 0.0034029 * t2 - t3 / 3526000.0, 180, 180),
            WrapToRange(125.04452 - 1934.136261 * t + 0.0020708 * t2 + t3 / 450000.0, 180, 180)};
}

TEMPO_SERIES_CLONES double Nutation(double t) {
    const auto [d, m, mp, f, om] = NutationArgumentsAt(t);
    const NutationColumns& n = kNutationColumns;
    double part[4] = {0.0, 0.0, 0.0, 0.0};
    for (int i = 0; i < 40; i += 4)
        for (int j = 0; j < 4; ++j) {
            const int k = i + j;
            const double arg = n.d[k] * d + n.m[k] * m + n.mp[k] * mp + n.f[k] * f + n.om[k] * om;
            part[j] += (n.a[k] + n.a1[k] * t) * detail::SeriesSin(arg * DegreesToRadians);
        }
    return ((part[0] + part[1]) + (part[2] + part[3])) * 0.0001 / 3600.0;
}

// The nutation in obliquity (degrees) from the same rows and arguments: sum of (b + b'T) cos(arg).
double ObliquityNutation(double t) {
    const auto [d, m, mp, f, om] = NutationArgumentsAt(t);
    double sum = 0.0;
    for (const NutationTerm& row : kNutation) {
        const double arg = row.d * d + row.m * m + row.mp * mp + row.f * f + row.om * om;
        sum += (row.b + row.b1 * t) * std::cos(arg * DegreesToRadians);
    }
    return sum * 0.0001 / 3600.0;
}

// Geometric longitude of the Sun in the FK5 frame, degrees (not reduced).
double SunGeometricLongitude(JulianDay jd_tt, double tau) {
    const double l = EarthL(tau);
    const double b = EarthB(tau);
    const double t = JulianCenturies(jd_tt);
    double theta = l / DegreesToRadians + 180.0;
    const double lambda_prime = (theta - 1.397 * t - 0.00031 * t * t) * DegreesToRadians;
    const double beta = -b;
    theta += (-0.09033 + 0.03916 * (std::cos(lambda_prime) + std::sin(lambda_prime)) * std::tan(beta)) / 3600.0;
    return theta;
}

}  // namespace

double EarthHeliocentricLongitude(JulianDay jd_tt) { return EarthL(JulianMillennia(jd_tt)); }
double EarthHeliocentricLatitude(JulianDay jd_tt) { return EarthB(JulianMillennia(jd_tt)); }
double EarthRadiusVector(JulianDay jd_tt) { return EarthR(JulianMillennia(jd_tt)); }
double NutationInLongitude(JulianDay jd_tt) { return Nutation(JulianCenturies(jd_tt)); }
double NutationInObliquity(JulianDay jd_tt) { return ObliquityNutation(JulianCenturies(jd_tt)); }

double SunAberration(JulianDay jd_tt) {
    const double tau = JulianMillennia(jd_tt);
    return Aberration(tau, EarthR(tau));
}

double detail::SunApparentLongitudeWithNutation(JulianDay jd_tt, double nutation_deg) {
    const double tau = JulianMillennia(jd_tt);
    const double theta = SunGeometricLongitude(jd_tt, tau);
    const double aberration = Aberration(tau, EarthR(tau));
    return WrapToRange(theta + nutation_deg + aberration, 180, 180);
}

double SunApparentLongitude(JulianDay jd_tt) {
    return detail::SunApparentLongitudeWithNutation(jd_tt, NutationInLongitude(jd_tt));
}

}  // namespace astro
