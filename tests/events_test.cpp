#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "astro/day_numbers.h"
#include "astro/events.h"
#include "astro/moon.h"
#include "astro/sun.h"

namespace {

using namespace astro;

double LocalDay(JulianDay t) { return std::floor(ToChronological(t)); }

// Minutes between the local clock time of t and hh:mm.
double MinutesFrom(JulianDay t, int hh, int mm) {
    const double chrono = ToChronological(t);
    return ((chrono - std::floor(chrono)) * 1440.0) - (hh * 60 + mm);
}

TEST(SolarTerms, ExamplesOf2023And2024) {
    const JulianDay equinox = FindEventTime(DateToDayNumber(2024, 3, 20) - 20.0, 0.0, kSolarEvent);
    EXPECT_EQ(LocalDay(equinox), DateToDayNumber(2024, 3, 20));
    EXPECT_NEAR(MinutesFrom(equinox, 11, 6), 0.5, 0.5);
    EXPECT_EQ(JulianDayToDateTimeText(ToChronological(equinox)).substr(0, 18), "AD03-20-2024 11:06");

    const JulianDay solstice = FindEventTime(DateToDayNumber(2023, 12, 22) - 20.0, 270.0, kSolarEvent);
    EXPECT_EQ(LocalDay(solstice), DateToDayNumber(2023, 12, 22));
    EXPECT_NEAR(MinutesFrom(solstice, 11, 27), 0.5, 0.5);

    // Published instants (Purple Mountain Observatory, UTC+8) of a few terms of 2024.
    struct Term {
        int longitude, month, day, hh, mm;
    };
    for (const Term& t : {Term{285, 1, 6, 4, 49}, Term{315, 2, 4, 16, 27}, Term{90, 6, 21, 4, 51},
                          Term{180, 9, 22, 20, 44}, Term{270, 12, 21, 17, 21}}) {
        const JulianDay e = FindEventTime(DateToDayNumber(2024, t.month, t.day) - 10.0, t.longitude, kSolarEvent);
        EXPECT_EQ(LocalDay(e), DateToDayNumber(2024, t.month, t.day)) << t.longitude;
        EXPECT_NEAR(MinutesFrom(e, t.hh, t.mm), 0.5, 1.5) << t.longitude;
    }
}

TEST(SolarTerms, AStartAfterTheEventFindsTheNextYearsTerm) {
    const JulianDay first = FindEventTime(DateToDayNumber(2024, 3, 1), 0.0, kSolarEvent);
    const JulianDay next = FindEventTime(first + 1.0, 0.0, kSolarEvent);
    EXPECT_NEAR(next - first, 365.2422, 0.02);
}

TEST(LunarPhases, ExamplesOfJanuary2024) {
    const JulianDay new_moon = FindEventTime(DateToDayNumber(2024, 1, 11) - 20.0, 0.0, kLunarPhase);
    EXPECT_EQ(LocalDay(new_moon), DateToDayNumber(2024, 1, 11));
    EXPECT_NEAR(MinutesFrom(new_moon, 19, 57), 0.5, 1.0);

    const double full = NextNewOrFullMoon(DateToDayNumber(2024, 1, 12), 1);
    EXPECT_EQ(std::floor(full), DateToDayNumber(2024, 1, 26));  // 25 January in universal time
    EXPECT_NEAR((full - std::floor(full)) * 1440.0 - (60 + 54), 0.0, 1.5);
    EXPECT_EQ(std::floor(full - CalcTimeZone / 24.0), DateToDayNumber(2024, 1, 25));
}

TEST(LunarPhases, NextNewMoonFromTheDayOfANewMoonIsThatDay) {
    const DayNumber day = DateToDayNumber(2024, 1, 11);
    const double t = NextNewOrFullMoon(day, 0);
    EXPECT_EQ(std::floor(t), day);
    // From the day after, the next lunation's new moon.
    const double later = NextNewOrFullMoon(day + 1, 0);
    EXPECT_EQ(std::floor(later), DateToDayNumber(2024, 2, 10));
    // Every day of a year finds the first new moon on or after it.
    double previous = 0.0;
    for (DayNumber n = DateToDayNumber(2023, 1, 1); n < DateToDayNumber(2024, 1, 1); ++n) {
        const double nm = NextNewOrFullMoon(n, 0);
        EXPECT_GE(std::floor(nm), n);
        EXPECT_LT(std::floor(nm), n + 31);
        if (previous != 0.0 && std::floor(previous) >= n) {
            EXPECT_NEAR(nm, previous, 1e-7) << n;
        }
        previous = nm;
    }
}

TEST(LunarPhases, TheLocalDayChangesExactlyAtMidnightInZonePlus8) {
    // 16:00 UT is 00:00 UTC+8.
    const DayNumber n = DateToDayNumber(2024, 5, 7);
    const JulianDay local_midnight = n - 0.5 + LocalTimeToDayFraction(0, 0, 0);
    EXPECT_EQ(LocalDay(local_midnight), n);
    EXPECT_EQ(LocalDay(std::nextafter(local_midnight, 0.0)), n - 1);
    // The new moon of 2024-05-08 at 11:22 UTC+8 is 03:22 UT on the same day.
    const JulianDay nm = FindEventTime(n - 10.0, 0.0, kLunarPhase);
    EXPECT_EQ(LocalDay(nm), DateToDayNumber(2024, 5, 8));
}

TEST(EventSolver, ResidualAtEverySolutionIsBelow1e8Degree) {
    // Every solar term and new and full moon of 1900..2100 (taken every fifth year for speed).
    double worst_term = 0.0;
    double worst_phase = 0.0;
    for (int year = 1900; year <= 2100; year += 5) {
        const JulianDay start = DateToDayNumber(year, 1, 1) - 0.5;
        for (int k = 0; k < 24; ++k) {
            const double target = (285 + 15 * k) % 360;
            const JulianDay t = FindEventTime(start + 15.2 * k - 10.0, target, kSolarEvent);
            double r = EventResidual(t, target, kSolarEvent);
            if (r > 180.0) r -= 360.0;
            worst_term = std::max(worst_term, std::fabs(r));
        }
        for (int k = 0; k < 25; ++k) {
            const double target = k % 2 ? 180.0 : 0.0;
            const JulianDay t = FindEventTime(start + 14.77 * k, target, kLunarPhase);
            double r = EventResidual(t, target, kLunarPhase);
            if (r > 180.0) r -= 360.0;
            worst_phase = std::max(worst_phase, std::fabs(r));
        }
    }
    EXPECT_LT(worst_term, 1e-8);
    EXPECT_LT(worst_phase, 1e-8);
}

TEST(EventSolver, ResidualIsTheRemainingAngleAndAlwaysReduced) {
    const JulianDay t = 2460000.5;
    const double sun = SunApparentLongitude(UniversalToDynamical(t));
    EXPECT_NEAR(EventResidual(t, sun + 10.0, kSolarEvent), 10.0, 1e-9);
    EXPECT_NEAR(EventResidual(t, sun - 10.0, kSolarEvent), 350.0, 1e-9);
    const double r = EventResidual(t, 0.0, kLunarPhase);
    EXPECT_GE(r, 0.0);
    EXPECT_LT(r, 360.0);
    const JulianDay tt = UniversalToDynamical(t);
    EXPECT_NEAR(r, std::fmod(720.0 - (MoonLongitude(tt) - SunApparentLongitude(tt)), 360.0), 1e-9);
    // Any kind other than 1 means the Sun.
    EXPECT_DOUBLE_EQ(EventResidual(t, 90.0, 7), EventResidual(t, 90.0, kSolarEvent));
}

TEST(EventSolver, TermIndexAndLongitude) {
    EXPECT_EQ(SolarTermLongitude(1), 285);
    EXPECT_EQ(SolarTermLongitude(3), 315);
    EXPECT_EQ(SolarTermLongitude(6), 0);
    EXPECT_EQ(SolarTermLongitude(24), 270);
    for (int k = 1; k <= 24; ++k) EXPECT_EQ(SolarTermIndex(SolarTermLongitude(k)), k);
}

}  // namespace
