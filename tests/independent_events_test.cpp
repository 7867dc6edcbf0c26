// Cross-check of the event solver against independent methods: Jean Meeus, Astronomical
// Algorithms (2nd ed.), chapter 27 (equinoxes and solstices: a mean instant corrected by 24
// periodic terms) and chapter 49 (lunar phases: a mean lunation corrected by the Moon's and the
// Sun's anomalies). Neither uses VSOP87 or ELP-2000/85 series. Meeus gives their accuracy as
// about a minute for the solstices and equinoxes of 1951..2050 and some seconds for the phases.
#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>

#include "astro/day_numbers.h"
#include "astro/events.h"

namespace {

using namespace astro;

constexpr double kDeg = 3.14159265358979323846 / 180.0;

// Chapter 27: instant (JDE, TT) of the March equinox (i = 0), June solstice (1), September
// equinox (2) or December solstice (3) of a year in 1000..3000.
double MeeusEquinox(int year, int i) {
    const double y = (year - 2000) / 1000.0;
    const double c[4][5] = {{2451623.80984, 365242.37404, 0.05169, -0.00411, -0.00057},
                            {2451716.56767, 365241.62603, 0.00325, 0.00888, -0.00030},
                            {2451810.21715, 365242.01767, -0.11575, 0.00337, 0.00078},
                            {2451900.05952, 365242.74049, -0.06223, -0.00823, 0.00032}};
    const double jde0 = c[i][0] + y * (c[i][1] + y * (c[i][2] + y * (c[i][3] + y * c[i][4])));
    const double t = (jde0 - 2451545.0) / 36525.0;
    const double w = (35999.373 * t - 2.47) * kDeg;
    const double dl = 1.0 + 0.0334 * std::cos(w) + 0.0007 * std::cos(2.0 * w);
    static const double terms[24][3] = {
        {485, 324.96, 1934.136}, {203, 337.23, 32964.467}, {199, 342.08, 20.186}, {182, 27.85, 445267.112},
        {156, 73.14, 45036.886}, {136, 171.52, 22518.443}, {77, 222.54, 65928.934}, {74, 296.72, 3034.906},
        {70, 243.58, 9037.513},  {58, 119.81, 33718.147},  {52, 297.17, 150.678},   {50, 21.02, 2281.226},
        {45, 247.54, 29929.562}, {44, 325.15, 31555.956},  {29, 60.93, 4443.417},   {18, 155.12, 67555.328},
        {17, 288.79, 4562.452},  {16, 198.04, 62894.029},  {14, 199.76, 31436.921}, {12, 95.39, 14577.848},
        {12, 287.11, 31931.756}, {12, 320.81, 34777.259},  {9, 227.73, 1222.114},   {8, 15.45, 16859.074}};
    double s = 0.0;
    for (const auto& term : terms) s += term[0] * std::cos((term[1] + term[2] * t) * kDeg);
    return jde0 + 0.00001 * s / dl;
}

// Chapter 49: instant (JDE, TT) of the new moon (k whole) or full moon (k + 0.5).
double MeeusPhase(double k) {
    const double t = k / 1236.85;
    const double t2 = t * t, t3 = t2 * t, t4 = t3 * t;
    double jde = 2451550.09766 + 29.530588861 * k + 0.00015437 * t2 - 0.000000150 * t3 + 0.00000000073 * t4;
    const double e = 1.0 - 0.002516 * t - 0.0000074 * t2;
    const double m = (2.5534 + 29.10535670 * k - 0.0000014 * t2 - 0.00000011 * t3) * kDeg;
    const double mp = (201.5643 + 385.81693528 * k + 0.0107582 * t2 + 0.00001238 * t3 - 0.000000058 * t4) * kDeg;
    const double f = (160.7108 + 390.67050284 * k - 0.0016118 * t2 - 0.00000227 * t3 + 0.000000011 * t4) * kDeg;
    const double om = (124.7746 - 1.56375588 * k + 0.0020672 * t2 + 0.00000215 * t3) * kDeg;
    const bool full = std::fabs(k - std::floor(k) - 0.5) < 1e-9;
    const double a[12] = {full ? -0.40614 : -0.40720, full ? 0.17302 : 0.17241, full ? 0.01614 : 0.01608,
                          full ? 0.01043 : 0.01039,   full ? 0.00734 : 0.00739, full ? -0.00515 : -0.00514,
                          full ? 0.00209 : 0.00208,   -0.00111,                 -0.00057,
                          0.00056,                    -0.00042,                 0.00042};
    jde += a[0] * std::sin(mp) + a[1] * e * std::sin(m) + a[2] * std::sin(2 * mp) + a[3] * std::sin(2 * f) +
           a[4] * e * std::sin(mp - m) + a[5] * e * std::sin(mp + m) + a[6] * e * e * std::sin(2 * m) +
           a[7] * std::sin(mp - 2 * f) + a[8] * std::sin(mp + 2 * f) + a[9] * e * std::sin(2 * mp + m) +
           a[10] * std::sin(3 * mp) + a[11] * e * std::sin(m + 2 * f) + 0.00038 * e * std::sin(m - 2 * f) -
           0.00024 * e * std::sin(2 * mp - m) - 0.00017 * std::sin(om) - 0.00007 * std::sin(mp + 2 * m) +
           0.00004 * std::sin(2 * mp - 2 * f) + 0.00004 * std::sin(3 * m) + 0.00003 * std::sin(mp + m - 2 * f) +
           0.00003 * std::sin(2 * mp + 2 * f) - 0.00003 * std::sin(mp + m + 2 * f) +
           0.00003 * std::sin(mp - m + 2 * f) - 0.00002 * std::sin(mp - m - 2 * f) -
           0.00002 * std::sin(3 * mp + m) + 0.00002 * std::sin(4 * mp);
    const double planetary[14][3] = {{0.000325, 299.77, 0.107408}, {0.000165, 251.88, 0.016321},
                                     {0.000164, 251.83, 26.651886}, {0.000126, 349.42, 36.412478},
                                     {0.000110, 84.66, 18.206239},  {0.000062, 141.74, 53.303771},
                                     {0.000060, 207.14, 2.453732},  {0.000056, 154.84, 7.306860},
                                     {0.000047, 34.52, 27.261239},  {0.000042, 207.19, 0.121824},
                                     {0.000040, 291.34, 1.844379},  {0.000037, 161.72, 24.198154},
                                     {0.000035, 239.56, 25.513099}, {0.000023, 331.55, 3.592518}};
    for (int i = 0; i < 14; ++i) {
        double arg = planetary[i][1] + planetary[i][2] * k;
        if (i == 0) arg -= 0.009173 * t2;
        jde += planetary[i][0] * std::sin(arg * kDeg);
    }
    return jde;
}

double MinutesBetween(double a, double b) { return std::fabs(a - b) * 1440.0; }

TEST(IndependentCheck, EquinoxesAndSolsticesOf1900To2100AgreeWithMeeus) {
    double worst = 0.0;
    int worst_year = 0;
    for (int year = 1900; year <= 2100; ++year) {
        for (int i = 0; i < 4; ++i) {
            const double meeus_tt = MeeusEquinox(year, i);
            const double ours_ut = FindEventTime(meeus_tt - 10.0, 90.0 * i, kSolarEvent);
            const double diff = MinutesBetween(UniversalToDynamical(ours_ut), meeus_tt);
            if (diff > worst) {
                worst = diff;
                worst_year = year;
            }
        }
    }
    std::printf("equinoxes and solstices 1900..2100: largest difference from Meeus %.2f min (%d)\n", worst,
                worst_year);
    EXPECT_LT(worst, 2.0);
}

TEST(IndependentCheck, NewAndFullMoonsOf1900To2100AgreeWithMeeus) {
    double worst_new = 0.0;
    double worst_full = 0.0;
    int count = 0;
    // k = 0 is the new moon of 2000-01-06; k runs over 1900..2100.
    for (int k = -1237; k <= 1237; ++k) {
        for (double half : {0.0, 0.5}) {
            const double meeus_tt = MeeusPhase(k + half);
            const double ours_ut = FindEventTime(meeus_tt - 5.0, half == 0.0 ? 0.0 : 180.0, kLunarPhase);
            const double diff = MinutesBetween(UniversalToDynamical(ours_ut), meeus_tt);
            (half == 0.0 ? worst_new : worst_full) = std::max(half == 0.0 ? worst_new : worst_full, diff);
            ++count;
        }
    }
    std::printf("%d new and full moons 1900..2100: largest difference from Meeus %.2f min (new), %.2f min (full)\n",
                count, worst_new, worst_full);
    EXPECT_LT(worst_new, 3.0);
    EXPECT_LT(worst_full, 3.0);
}

}  // namespace
