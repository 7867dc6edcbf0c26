#include <gtest/gtest.h>

#include <cmath>
#include <string>

#include "astro/day_numbers.h"
#include "astro/sun_times.h"

namespace {

using namespace astro;

constexpr double kBeijingLon = -116.38;  // 天安门, east negative
constexpr double kBeijingLat = 39.90;

int Seconds(const std::string& clock) {
    return std::stoi(clock.substr(0, 2)) * 3600 + std::stoi(clock.substr(3, 2)) * 60 + std::stoi(clock.substr(6, 2));
}

// Within `tolerance` seconds of the expected clock text.
::testing::AssertionResult Near(const std::string& got, const std::string& expected, int tolerance = 1) {
    if (got.size() != 8) return ::testing::AssertionFailure() << "'" << got << "' is not a clock text";
    const int d = std::abs(Seconds(got) - Seconds(expected));
    if (d <= tolerance) return ::testing::AssertionSuccess();
    return ::testing::AssertionFailure() << got << " vs " << expected;
}

TEST(SunTimes, BeijingAtTheSolstices) {
    const DayNumber june = DateToDayNumber(2024, 6, 21);
    EXPECT_TRUE(Near(SunEventTime(june, kBeijingLon, kBeijingLat, 8, kDawn), "04:13:22"));
    EXPECT_TRUE(Near(SunEventTime(june, kBeijingLon, kBeijingLat, 8, kSunrise), "04:46:11"));
    EXPECT_TRUE(Near(SunEventTime(june, kBeijingLon, kBeijingLat, 8, kTransit), "12:16:17"));
    EXPECT_TRUE(Near(SunEventTime(june, kBeijingLon, kBeijingLat, 8, kSunset), "19:46:23"));
    EXPECT_TRUE(Near(SunEventTime(june, kBeijingLon, kBeijingLat, 8, kDusk), "20:19:11"));
    EXPECT_TRUE(Near(SunEventTime(june, kBeijingLon, kBeijingLat, 8, kDayLength), "15:00:12"));
    const DayNumber december = DateToDayNumber(2024, 12, 21);
    EXPECT_TRUE(Near(SunEventTime(december, kBeijingLon, kBeijingLat, 8, kSunrise), "07:32:27"));
    EXPECT_TRUE(Near(SunEventTime(december, kBeijingLon, kBeijingLat, 8, kSunset), "16:52:34"));
}

TEST(SunTimes, LengthsAreTheDifferencesOfTheTimes) {
    for (int month = 1; month <= 12; ++month) {
        const DayNumber n = DateToDayNumber(2025, month, 15);
        const int rise = Seconds(SunEventTime(n, kBeijingLon, kBeijingLat, 8, kSunrise));
        const int set = Seconds(SunEventTime(n, kBeijingLon, kBeijingLat, 8, kSunset));
        const int length = Seconds(SunEventTime(n, kBeijingLon, kBeijingLat, 8, kDayLength));
        EXPECT_NEAR(set - rise, length, 2) << month;
        const int dawn = Seconds(SunEventTime(n, kBeijingLon, kBeijingLat, 8, kDawn));
        const int dusk = Seconds(SunEventTime(n, kBeijingLon, kBeijingLat, 8, kDusk));
        const int twilight = Seconds(SunEventTime(n, kBeijingLon, kBeijingLat, 8, kTwilightLength));
        EXPECT_NEAR(dusk - dawn, twilight, 2) << month;
        EXPECT_LT(dawn, rise);
        EXPECT_GT(dusk, set);
        // Transit halfway between rise and set.
        const int transit = Seconds(SunEventTime(n, kBeijingLon, kBeijingLat, 8, kTransit));
        EXPECT_NEAR(transit, (rise + set) / 2, 2) << month;
    }
}

TEST(SunTimes, PolarDayAndNight) {
    const DayNumber june = DateToDayNumber(2024, 6, 21);
    EXPECT_EQ(SunEventTime(june, 0, 90, 0, kSunrise), "00:00:00");
    EXPECT_EQ(SunEventTime(june, 0, 90, 0, kDawn), "00:00:00");
    EXPECT_EQ(SunEventTime(june, 0, 90, 0, kSunset), "24:00:00");
    EXPECT_EQ(SunEventTime(june, 0, 90, 0, kDusk), "24:00:00");
    EXPECT_EQ(SunEventTime(june, 0, 90, 0, kDayLength), "24:00:00");
    EXPECT_EQ(SunEventTime(june, 0, 90, 0, kTwilightLength), "24:00:00");
    EXPECT_NE(SunEventTime(june, 0, 90, 0, kTransit), "");  // the transit still happens
    const DayNumber december = DateToDayNumber(2024, 12, 21);
    for (int mode = 1; mode <= 7; ++mode) EXPECT_EQ(SunEventTime(december, 0, 90, 0, mode), "00:00:00") << mode;
    // The South Pole the other way round.
    EXPECT_EQ(SunEventTime(december, 0, -90, 0, kSunset), "24:00:00");
    // Murmansk (69 N) in late June: the Sun never sets but civil twilight bounds do not exist either.
    EXPECT_EQ(SunEventTime(june, -33.08, 68.97, 3, kSunset), "24:00:00");
}

TEST(SunTimes, WestOfGreenwichAndAcrossMidnight) {
    const DayNumber june = DateToDayNumber(2024, 6, 21);
    EXPECT_TRUE(Near(SunEventTime(june, 74, 40.7, -5, kSunrise), "04:25:00", 60));
    EXPECT_TRUE(Near(SunEventTime(june, 74, 40.7, -5, kTransit), "11:57:00", 60));
    EXPECT_TRUE(Near(SunEventTime(june, 74, 40.7, -5, kSunset), "19:30:00", 60));
    // Beijing's sunset given in zone -12 falls before midnight of that zone: the clock time of the
    // neighbouring day is printed, without a date.
    const std::string shifted = SunEventTime(june, kBeijingLon, kBeijingLat, -12, kSunrise);
    EXPECT_TRUE(Near(shifted, "08:46:11", 2)) << shifted;
}

TEST(SunTimes, ArgumentsOutOfRangeGiveTheEmptyText) {
    const DayNumber n = DateToDayNumber(2024, 6, 21);
    EXPECT_EQ(SunEventTime(n, kBeijingLon, kBeijingLat, 8, 0), "");
    EXPECT_EQ(SunEventTime(n, kBeijingLon, kBeijingLat, 8, 8), "");
    EXPECT_EQ(SunEventTime(n, 180.5, kBeijingLat, 8, 1), "");
    EXPECT_EQ(SunEventTime(n, -180.5, kBeijingLat, 8, 1), "");
    EXPECT_EQ(SunEventTime(n, kBeijingLon, 90.01, 8, 1), "");
    EXPECT_EQ(SunEventTime(n, kBeijingLon, kBeijingLat, 13, 1), "");
    EXPECT_EQ(SunEventTime(n, kBeijingLon, kBeijingLat, -13, 1), "");
    EXPECT_EQ(SunEventTime(n, std::nan(""), kBeijingLat, 8, 1), "");
    EXPECT_NE(SunEventTime(n, 180, kBeijingLat, 12, 1), "");
    EXPECT_NE(SunEventTime(n, -180, -90, -12, 7), "");
}

TEST(ClockText, TruncatesAndWrapsIntoTheDay) {
    EXPECT_EQ(DayFractionToClockText(0.5), "12:00:00");
    EXPECT_EQ(DayFractionToClockText(1.25), "06:00:00");
    EXPECT_EQ(DayFractionToClockText(-0.25), "18:00:00");
    EXPECT_EQ(DayFractionToClockText(0.5 - 1e-9), "11:59:59");
    EXPECT_EQ(DayFractionToClockText((3600.0 * 4 + 60 * 46 + 11.99) / 86400.0), "04:46:11");
    EXPECT_EQ(DayFractionToClockText(-1e-20), "23:59:59");
    EXPECT_EQ(DayFractionToClockText(0.0), "00:00:00");
}

TEST(SunTimes, HelpersMatchTheirDefinitions) {
    // The obliquity of J2000.0: 23 deg 26' 21.4" (IAU 2006: 84381.406").
    EXPECT_NEAR(MeanObliquity(0.0) / DegreesToRadians, 84381.406 / 3600.0, 1e-5);
    EXPECT_LT(MeanObliquity(10.0), MeanObliquity(0.0));  // decreasing by about 47" a century
    double alpha = 0.0;
    double delta = 0.0;
    const double eps = MeanObliquity(0.0);
    EclipticToEquatorial(0.0, 0.0, eps, alpha, delta);  // the March equinox point
    EXPECT_NEAR(alpha, 0.0, 1e-15);
    EXPECT_NEAR(delta, 0.0, 1e-15);
    EclipticToEquatorial(Pi / 2, 0.0, eps, alpha, delta);  // the June solstice point
    EXPECT_NEAR(alpha, Pi / 2, 1e-12);
    EXPECT_NEAR(delta, eps, 1e-12);
    EclipticToEquatorial(3 * Pi / 2, 0.0, eps, alpha, delta);
    EXPECT_NEAR(alpha, 3 * Pi / 2, 1e-12);
    EXPECT_NEAR(delta, -eps, 1e-12);
    // Greenwich mean sidereal time at J2000.0 (UT) is 18h 41m 50.55s = 280.46062 degrees.
    EXPECT_NEAR(std::fmod(GreenwichSiderealTime(0.0, 0.0) / (Pi / 180.0), 360.0), 280.46062, 1e-4);
}

}  // namespace
