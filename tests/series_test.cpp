#include <gtest/gtest.h>

#include <cmath>
#include <random>

#include "astro/moon.h"
#include "astro/series_tables.h"
#include "astro/series_trig.h"
#include "astro/sun.h"

namespace {

using namespace astro;

TEST(SeriesTables, EarthSeriesKeepTheLargestRowsInTheCountsOfTheTheory) {
    EXPECT_EQ(RowCount(kEarthL0) + RowCount(kEarthL1) + RowCount(kEarthL2) + RowCount(kEarthL3) + RowCount(kEarthL4) +
                  RowCount(kEarthL5),
              330u);
    EXPECT_EQ(RowCount(kEarthB0) + RowCount(kEarthB1) + RowCount(kEarthB2) + RowCount(kEarthB3) + RowCount(kEarthB4),
              152u);
    EXPECT_EQ(RowCount(kEarthR0) + RowCount(kEarthR1) + RowCount(kEarthR2) + RowCount(kEarthR3) + RowCount(kEarthR4) +
                  RowCount(kEarthR5),
              234u);
    EXPECT_EQ(RowCount(kEarthL0), 190u);
    EXPECT_EQ(RowCount(kEarthB0), 80u);
    EXPECT_EQ(RowCount(kEarthR0), 120u);
    EXPECT_EQ(RowCount(kEarthR5), 2u);

    EXPECT_DOUBLE_EQ(kEarthL0[0].a, 1.75347045673);
    EXPECT_DOUBLE_EQ(kEarthL0[0].c, 0.0);
    EXPECT_DOUBLE_EQ(kEarthL0[1].a, 0.03341656456);
    EXPECT_DOUBLE_EQ(kEarthL0[1].b, 4.66925680417);
    EXPECT_DOUBLE_EQ(kEarthL0[1].c, 6283.0758499914);
    EXPECT_DOUBLE_EQ(kEarthL0[2].a, 0.00034894275);
    EXPECT_DOUBLE_EQ(kEarthL0[2].b, 4.62610241759);
    EXPECT_DOUBLE_EQ(kEarthL0[2].c, 12566.1516999828);
    EXPECT_DOUBLE_EQ(kEarthL1[0].a, 6283.31966747491);
    EXPECT_DOUBLE_EQ(kEarthL1[1].a, 0.00206058863);
    EXPECT_DOUBLE_EQ(kEarthL1[1].b, 2.67823455584);
    EXPECT_DOUBLE_EQ(kEarthB0[0].a, 0.0000027962);
    EXPECT_DOUBLE_EQ(kEarthB0[0].b, 3.19870156017);
    EXPECT_DOUBLE_EQ(kEarthB0[0].c, 84334.66158130829);
    EXPECT_DOUBLE_EQ(kEarthR0[0].a, 1.00013988799);
    EXPECT_DOUBLE_EQ(kEarthR0[1].a, 0.01670699626);
    EXPECT_DOUBLE_EQ(kEarthR0[1].b, 3.09846350771);
}

TEST(SeriesTables, NutationRows) {
    ASSERT_EQ(RowCount(kNutation), 40u);
    const NutationTerm& first = kNutation[0];
    EXPECT_EQ(first.om, 1);
    EXPECT_EQ(first.d, 0);
    EXPECT_DOUBLE_EQ(first.a, -171996.0);
    EXPECT_DOUBLE_EQ(first.a1, -174.2);
    EXPECT_DOUBLE_EQ(first.b, 92025.0);
    EXPECT_DOUBLE_EQ(first.b1, 8.9);
    EXPECT_EQ(kNutation[1].d, -2);
    EXPECT_DOUBLE_EQ(kNutation[1].a, -13187.0);
    EXPECT_DOUBLE_EQ(kNutation[4].a, 1426.0);
    EXPECT_DOUBLE_EQ(kNutation[4].a1, -3.4);
    const NutationTerm& last = kNutation[39];
    EXPECT_EQ(last.d, 2);
    EXPECT_EQ(last.f, 2);
    EXPECT_EQ(last.om, 1);
    EXPECT_DOUBLE_EQ(last.a, -7.0);
    EXPECT_DOUBLE_EQ(last.b, 3.0);
    double smallest = 1e9;
    for (const NutationTerm& row : kNutation) smallest = std::min(smallest, std::fabs(row.a));
    EXPECT_DOUBLE_EQ(smallest, 7.0);
}

TEST(SeriesTables, LunarLongitudeRows) {
    ASSERT_EQ(RowCount(kMoonS0), 55u);
    ASSERT_EQ(RowCount(kMoonS1), 8u);
    ASSERT_EQ(RowCount(kMoonS2), 3u);
    EXPECT_DOUBLE_EQ(kMoonS0[0].a, 22639.58588);  // the equation of the centre
    EXPECT_DOUBLE_EQ(kMoonS0[0].phi, 2.3555545723);
    EXPECT_DOUBLE_EQ(kMoonS0[0].nu1, 8328.6914247251);
    EXPECT_DOUBLE_EQ(kMoonS0[0].nu4, -0.0000000011863391);
    EXPECT_DOUBLE_EQ(kMoonS0[1].a, 4586.4383203);  // evection
    EXPECT_DOUBLE_EQ(kMoonS0[1].nu2, -0.00021850087);
    EXPECT_DOUBLE_EQ(kMoonS0[2].a, 2369.9139357);  // variation
    EXPECT_DOUBLE_EQ(kMoonS0[2].nu1, 15542.754290184);
    bool annual_equation = false;
    for (const ElpTerm& row : kMoonS0)
        if (row.a == -666.4175399 && row.phi == -0.0431256817 && row.nu1 == 628.3019552485) annual_equation = true;
    EXPECT_TRUE(annual_equation);
    EXPECT_DOUBLE_EQ(kMoonS0[54].a, 1.2618162);
    EXPECT_DOUBLE_EQ(kMoonS1[0].a, 1.6768);
    EXPECT_DOUBLE_EQ(kMoonS1[0].phi, -0.0431256817);
    EXPECT_DOUBLE_EQ(kMoonS1[7].a, 0.06128);
    EXPECT_DOUBLE_EQ(kMoonS2[0].a, 0.00487);
    EXPECT_DOUBLE_EQ(kMoonS2[1].a, 0.00228);
    EXPECT_DOUBLE_EQ(kMoonS2[2].a, 0.0015);
    double smallest = 1e9;
    for (const ElpTerm& row : kMoonS0) smallest = std::min(smallest, std::fabs(row.a));
    EXPECT_DOUBLE_EQ(smallest, 1.2618162);
}

struct CheckValue {
    double jd, l, b, r, l_bound, b_bound, r_bound;
};

constexpr CheckValue kCheckValues[] = {
#include "vsop87d_check_values.inc"
};

double AngleDifference(double x, double y) { return std::remainder(x - y, 2.0 * Pi); }

TEST(SolarSeries, TruncatedSeriesStayWithinTheirTruncationErrorOfTheCheckValues) {
    // The check values come from the complete theory; the program keeps the largest rows only, and
    // the omitted rows can move the sums by at most the sum of their amplitudes (times tau^k).
    ASSERT_EQ(std::size(kCheckValues), 10u);
    constexpr double kPublished = 0.6e-10;  // check values are printed to 10 decimals
    for (const CheckValue& v : kCheckValues) {
        EXPECT_LE(std::fabs(AngleDifference(EarthHeliocentricLongitude(v.jd), v.l)), v.l_bound + kPublished) << v.jd;
        EXPECT_LE(std::fabs(AngleDifference(EarthHeliocentricLatitude(v.jd), v.b)), v.b_bound + kPublished) << v.jd;
        EXPECT_LE(std::fabs(EarthRadiusVector(v.jd) - v.r), v.r_bound + kPublished) << v.jd;
        // And the bound is a real constraint: well under a second of arc.
        EXPECT_LT(v.l_bound, 5e-6) << v.jd;
    }
}

TEST(SolarSeries, ReducedRangesAndKnownPositions) {
    EXPECT_NEAR(SunApparentLongitude(2451545.0), 280.368, 0.001);
    // Meeus, Astronomical Algorithms, example 25.b (1992-10-13 0h TD) with the complete VSOP87:
    // apparent longitude 199 deg 54' 21.818".
    EXPECT_NEAR(SunApparentLongitude(2448908.5), 199.0 + 54.0 / 60.0 + 21.818 / 3600.0, 0.001);
    EXPECT_NEAR(NutationInLongitude(2446895.5), -3.788 / 3600.0, 0.5 / 3600.0);  // Meeus example 22.a
    EXPECT_LT(SunAberration(2451545.0), 0.0);
    EXPECT_NEAR(SunAberration(2451545.0), -20.5 / 3600.0, 0.5 / 3600.0);
    EXPECT_NEAR(EarthRadiusVector(2451545.0), 0.98333, 1e-4);
    // Over the whole range of the calculation tools (years 400..5000) and beyond.
    for (double jd = 1867216.5; jd < 3547272.5; jd += 997.3) {
        const double sun = SunApparentLongitude(jd);
        EXPECT_GE(sun, 0.0);
        EXPECT_LT(sun, 360.0);
        const double l = EarthHeliocentricLongitude(jd);
        EXPECT_GE(l, 0.0);
        EXPECT_LT(l, 2.0 * Pi);
    }
    // The Sun moves about a degree a day, eastward, all year.
    for (double jd = 2451545.0; jd < 2451545.0 + 366.0; jd += 1.0) {
        const double step = std::remainder(SunApparentLongitude(jd + 1.0) - SunApparentLongitude(jd), 360.0);
        EXPECT_GT(step, 0.95);
        EXPECT_LT(step, 1.03);
    }
}

TEST(LunarSeries, KnownPositionsAndPrecessionTerms) {
    EXPECT_NEAR(MoonLongitude(2451545.0), 223.314, 0.001);
    // Meeus example 47.a (1992-04-12 0h TD): lambda 133.162655 plus nutation 0.004610 degrees.
    EXPECT_NEAR(MoonLongitude(2448724.5), 133.167265, 0.003);
    EXPECT_NEAR(PrecessionInLongitude(2451545.0 + 36525.0), 5029.0 / 3600.0, 0.01);  // about 50.3" a year
    EXPECT_NEAR(PrecessionInLongitude(2451545.0), 0.0, 1e-12);
    // Beyond one, three and five millennia fewer powers are used; the result stays reduced.
    for (double millennia : {-9.0, -5.5, -4.0, -2.0, -0.5, 0.5, 1.5, 3.5, 5.5, 8.0}) {
        const double jd = 2451545.0 + millennia * 365250.0;
        const double p = PrecessionInLongitude(jd);
        const double m = MoonLongitude(jd);
        EXPECT_GE(p, 0.0);
        EXPECT_LT(p, 360.0);
        EXPECT_GE(m, 0.0);
        EXPECT_LT(m, 360.0);
    }
    // The number of powers changes exactly at |t| = 1, 3, 5: the value jumps by the dropped term.
    const double just_in = PrecessionInLongitude(2451545.0 + 365250.0);
    const double just_out = PrecessionInLongitude(2451545.0 + 365250.0 * (1.0 + 1e-12));
    EXPECT_NEAR(std::remainder(just_in - just_out, 360.0), 0.00001 / 3600.0, 1e-9);
    // The Moon's daily motion lies between 11.8 and 15.4 degrees.
    for (double jd = 2451545.0; jd < 2451545.0 + 60.0; jd += 0.5) {
        const double step = std::remainder(MoonLongitude(jd + 1.0) - MoonLongitude(jd), 360.0);
        EXPECT_GT(step, 11.7);
        EXPECT_LT(step, 15.5);
    }
}

// A reference with its own exact reduction: x = k (pi/2) + r with pi/2 in four parts of 26 bits,
// all products exact for k below 2^27, then the library's cosine or sine of the small r.
// Independent of the C library's large-argument reduction (MinGW's uses the x87 instruction, whose
// 66-bit pi is off by 1e-15 already at a million radians). quarter_turns = 3 gives the sine.
double Reference(double x, int quarter_turns) {
    const double k = std::nearbyint(x / (Pi / 2));
    constexpr double p1 = 1.5707963407039642, p2 = -1.3909067675399456e-08, p3 = 6.123233932053594e-17,
                     p4 = 6.368317178484799e-25;
    const double r = (((x - k * p1) - k * p2) - k * p3) - k * p4;
    const long long quadrant = ((static_cast<long long>(k) + quarter_turns) % 4 + 4) % 4;
    switch (quadrant) {
        case 0: return std::cos(r);
        case 1: return -std::sin(r);
        case 2: return -std::cos(r);
        default: return std::sin(r);
    }
}

TEST(SeriesTrig, AgreesWithAnAccurateReferenceToTheLastBits) {
    std::mt19937_64 rng(20241207);
    double worst = 0.0;
    for (double scale : {1.0, 10.0, 1e3, 1e5, 1e6, 1e7}) {
        std::uniform_real_distribution<double> dist(-scale, scale);
        for (int i = 0; i < 100000; ++i) {
            const double x = dist(rng);
            worst = std::max(worst, std::fabs(detail::SeriesCos(x) - Reference(x, 0)));
            worst = std::max(worst, std::fabs(detail::SeriesSin(x) - Reference(x, 3)));
        }
    }
    EXPECT_LT(worst, 5e-16);
    // Near zero and at the quadrant boundaries, where the branches of the selection meet.
    for (double x : {0.0, 1e-300, Pi / 4, Pi / 2, Pi, -Pi / 2, 3 * Pi / 2, 2 * Pi, 1e-8}) {
        EXPECT_NEAR(detail::SeriesCos(x), std::cos(x), 4e-16) << x;
        EXPECT_NEAR(detail::SeriesSin(x), std::sin(x), 4e-16) << x;
    }
    // sin is cos three quarter turns on.
    for (double x = -50.0; x < 50.0; x += 0.173) EXPECT_NEAR(detail::SeriesSin(x), std::sin(x), 4e-16) << x;
}

}  // namespace
