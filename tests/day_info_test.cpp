#include <gtest/gtest.h>

#include <string>

#include "astro/day_numbers.h"
#include "astro/sun_times.h"
#include "calendar/day_info.h"
#include "calendar/lunar_events.h"

namespace {

using namespace calendar;

constexpr double kLon = -116.38;
constexpr double kLat = 39.90;

TEST(DayInfo, AttributeLine) {
    EXPECT_EQ(AttributeLine(2000, 1, 1, 0), "星期六 摩羯座  己卯(兔)年丙子月戊午日");
    EXPECT_EQ(AttributeLine(2024, 2, 10, 0), "星期六 水瓶座  甲辰(龙)年丙寅月甲辰日");
}

TEST(DayInfo, InformationTypes) {
    EXPECT_EQ(InfoTypeFromSetting("1"), 1);
    EXPECT_EQ(InfoTypeFromSetting("2"), 2);
    EXPECT_EQ(InfoTypeFromSetting("0"), 0);
    EXPECT_EQ(InfoTypeFromSetting("3"), 0);
    EXPECT_EQ(InfoTypeFromSetting(" 1"), 0);
    EXPECT_EQ(InfoTypeFromSetting(""), 0);
    const DayNumber n = astro::DateToDayNumber(2024, 6, 21);
    EXPECT_EQ(InformationLine(2024, 6, 21, 1, kLon, kLat),
              "日出时刻" + astro::SunEventTime(n, kLon, kLat, 8, astro::kSunrise) + "  日落时刻" +
                  astro::SunEventTime(n, kLon, kLat, 8, astro::kSunset));
    EXPECT_EQ(InformationLine(2024, 6, 21, 2, kLon, kLat).substr(0, 8), "天亮时刻");
    EXPECT_NE(InformationLine(2024, 6, 21, 2, kLon, kLat).find("  天黑时刻"), std::string::npos);
}

TEST(DayInfo, FestivalsAndPeriods) {
    // The Spring Festival and a solar festival: lunar first, then solar, then the term and periods.
    EXPECT_EQ(InformationLine(2024, 2, 10, 0, kLon, kLat), "春节 国际气象节 2月19日雨水 六九第6天");
    // No festival: the line begins with a blank.
    const std::string plain = InformationLine(2024, 4, 10, 0, kLon, kLat);
    EXPECT_EQ(plain, " 4月19日谷雨");
    // The 1 July of 2024 is in no period; 15 July is 初伏.
    EXPECT_EQ(InformationLine(2024, 7, 15, 0, kLon, kLat), " 7月22日大暑 初伏第1天");
}

TEST(DayInfo, NextSolarTermText) {
    EXPECT_EQ(NextSolarTermText(2024, 3, 20).substr(0, 8), "今日春分");
    EXPECT_EQ(NextSolarTermText(2024, 3, 20).size(), 8u + 1 + 8);  // 今日春分 HH:MM:SS
    EXPECT_EQ(NextSolarTermText(2024, 3, 19).substr(0, 8), "明日春分");
    EXPECT_EQ(NextSolarTermText(2024, 3, 1), "3月5日惊蛰");
    // After 冬至 the coming 小寒 is in the next year.
    EXPECT_EQ(NextSolarTermText(2024, 12, 25), "2025年1月5日小寒");
    EXPECT_EQ(NextSolarTermText(-1, 12, 28).substr(0, 6), "公元前");
    EXPECT_EQ(NextSolarTermText(2024, 2, 30), "");
    EXPECT_EQ(NextSolarTermText(9001, 1, 1), "");
}

}  // namespace
