#include <gtest/gtest.h>

#include <string>

#include "astro/day_numbers.h"
#include "calendar/cycles.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"

namespace {

using namespace calendar;

TEST(SexagenaryYear, ChangesAtLichunOrAtTheSpringFestival) {
    // 立春 1984 fell on 4 February; the Spring Festival on 2 February.
    EXPECT_EQ(YearGanZhi(1984, 2, 3, kYearFromLichun), 60);  // 癸亥
    EXPECT_EQ(ZodiacAnimal(1984, 2, 3, kYearFromLichun), 12);  // 猪
    EXPECT_EQ(YearGanZhi(1984, 2, 4, kYearFromLichun), 1);   // 甲子
    EXPECT_EQ(ZodiacAnimal(1984, 2, 4, kYearFromLichun), 1);   // 鼠
    EXPECT_EQ(YearGanZhi(1984, 2, 1, kYearFromSpringFestival), 60);
    EXPECT_EQ(YearGanZhi(1984, 2, 2, kYearFromSpringFestival), 1);
    EXPECT_EQ(YearGanZhi(2000, 6, 1, kYearFromLichun), 17);  // 庚辰
    EXPECT_EQ(YearGanZhi(2044, 6, 1, kYearFromLichun), 1);
    EXPECT_EQ(GanZhiName(17), "庚辰");
    EXPECT_EQ(GanZhiName(60), "癸亥");
    EXPECT_EQ(GanZhiName(0), "");
    EXPECT_EQ(GanZhiName(61), "");
    // Every year of the cycle: the year index advances by one each year, mid-year.
    for (int y = -2000; y < 3000; y += 7)
        EXPECT_EQ(YearGanZhi(y + 1, 7, 1, kYearFromLichun), YearGanZhi(y, 7, 1, kYearFromLichun) % 60 + 1) << y;
}

TEST(SexagenaryMonth, SolarMonthsFromTheTerms) {
    // 2024 (甲辰, stem 甲): the 寅 month is 丙寅 from 立春 (4 February).
    EXPECT_EQ(GanZhiName(MonthGanZhi(2024, 2, 4, kYearFromLichun)), "丙寅");
    EXPECT_EQ(GanZhiName(MonthGanZhi(2024, 3, 4, kYearFromLichun)), "丙寅");  // before 惊蛰 (5 March)
    EXPECT_EQ(GanZhiName(MonthGanZhi(2024, 3, 5, kYearFromLichun)), "丁卯");
    // Between 小寒 and 立春: the 丑 month, stem group of the previous year (癸卯 2023: 乙丑).
    EXPECT_EQ(GanZhiName(MonthGanZhi(2024, 1, 20, kYearFromLichun)), "乙丑");
    // Early January before 小寒: the 子 month of the previous sexagenary year (甲子).
    EXPECT_EQ(GanZhiName(MonthGanZhi(2024, 1, 3, kYearFromLichun)), "甲子");
    EXPECT_EQ(GanZhiName(MonthGanZhi(2023, 12, 31, kYearFromLichun)), "甲子");
    // The months run through the cycle one by one, twelve a year.
    int previous = MonthGanZhi(2020, 1, 10, kYearFromLichun);
    for (int i = 1; i < 120; ++i) {
        const int y = 2020 + i / 12;
        const int m = i % 12 + 1;
        const int current = MonthGanZhi(y, m, 10, kYearFromLichun);
        EXPECT_EQ(current, previous % 60 + 1) << y << "-" << m;
        previous = current;
    }
}

TEST(SexagenaryMonth, LunarMonthsWithTheSpringFestivalMode) {
    // 正月 2024 is 丙寅; the leap month 闰二月 of 2023 has the pillar of 二月 (乙卯).
    EXPECT_EQ(GanZhiName(MonthGanZhi(2024, 2, 10, kYearFromSpringFestival)), "丙寅");
    EXPECT_EQ(GanZhiName(MonthGanZhi(2023, 2, 20, kYearFromSpringFestival)), "乙卯");  // 二月
    EXPECT_EQ(GanZhiName(MonthGanZhi(2023, 3, 22, kYearFromSpringFestival)), "乙卯");  // 闰二月初一
    EXPECT_EQ(GanZhiName(MonthGanZhi(2023, 4, 20, kYearFromSpringFestival)), "丙辰");  // 三月
}

TEST(SexagenaryDay, FloorModuloEverywhere) {
    EXPECT_EQ(DayGanZhi(2000, 1, 1), 55);  // 戊午
    EXPECT_EQ(DayGanZhi(1949, 10, 1), 1);  // 甲子
    EXPECT_EQ(DayGanZhi(-4712, 1, 12), 1);  // day number 11
    EXPECT_EQ(DayGanZhi(-4712, 1, 11), 60);
    EXPECT_EQ(DayGanZhi(-4712, 1, 1), 50);  // day number 0
    EXPECT_EQ(DayGanZhi(-8999, 1, 1) >= 1, true);
    EXPECT_EQ(DayGanZhi(-9000, 1, 1), 0);
    EXPECT_EQ(DayGanZhi(2024, 2, 30), 0);
    EXPECT_EQ(DayGanZhi(1582, 10, 15), DayGanZhi(1582, 10, 4) % 60 + 1);  // no day lost at the reform
}

TEST(Texts, GanZhiTextWeekdayAndZodiac) {
    EXPECT_EQ(GanZhiText(2024, 2, 10, kYearFromLichun), "甲辰(龙)年丙寅月甲辰日");
    EXPECT_EQ(GanZhiText(2000, 1, 1, kYearFromLichun), "己卯(兔)年丙子月戊午日");
    EXPECT_EQ(GanZhiText(2024, 2, 30, kYearFromLichun), "");
    EXPECT_EQ(WeekdayName(2000, 1, 1), "星期六");
    EXPECT_EQ(WeekdayName(2026, 12, 7), "星期一");
    EXPECT_EQ(WeekdayName(2026, 12, 6), "星期日");
    EXPECT_EQ(ZodiacSignName(2024, 13, 1), "");
}

// The twelve signs by the conventional dates (the Sun's entry into each sign, the same limits in
// every year): the last day of each sign and the first day of the next, and the first and last
// day of every month.
TEST(Texts, EveryZodiacBoundary) {
    const struct {
        int month, last_day;
        const char* before;
        const char* after;
        int days_in_month;
    } limits[] = {
        {1, 19, "摩羯座", "水瓶座", 31},  {2, 18, "水瓶座", "双鱼座", 29},  {3, 20, "双鱼座", "白羊座", 31},
        {4, 20, "白羊座", "金牛座", 30},  {5, 20, "金牛座", "双子座", 31},  {6, 21, "双子座", "巨蟹座", 30},
        {7, 22, "巨蟹座", "狮子座", 31},  {8, 22, "狮子座", "处女座", 31},  {9, 22, "处女座", "天秤座", 30},
        {10, 22, "天秤座", "天蝎座", 31}, {11, 21, "天蝎座", "射手座", 30}, {12, 21, "射手座", "摩羯座", 31},
    };
    for (const auto& l : limits) {
        for (int year : {2024, 1000, -500}) {  // no astronomy: the same limits in every year
            if (l.month == 2 && year != 2024) continue;  // 2024 has 2-29
            EXPECT_EQ(ZodiacSignName(year, l.month, 1), l.before) << year << "-" << l.month;
            EXPECT_EQ(ZodiacSignName(year, l.month, l.last_day), l.before) << year << "-" << l.month;
            EXPECT_EQ(ZodiacSignName(year, l.month, l.last_day + 1), l.after) << year << "-" << l.month;
            EXPECT_EQ(ZodiacSignName(year, l.month, l.days_in_month), l.after) << year << "-" << l.month;
        }
    }
}

TEST(Texts, NameTexts) {
    EXPECT_EQ(LunarMonthName(1), "  正月");
    EXPECT_EQ(LunarMonthName(12), "  腊月");
    EXPECT_EQ(LunarMonthName(23), "闰冬月");
    EXPECT_EQ(LunarMonthName(13), "闰正月");
    EXPECT_EQ(LunarMonthName(25), "");
    EXPECT_EQ(LunarMonthName(0), "");
    EXPECT_EQ(LunarDayName(1), "初一");
    EXPECT_EQ(LunarDayName(21), "廿一");
    EXPECT_EQ(LunarDayName(30), "三十");
    EXPECT_EQ(LunarDayName(31), "");
    EXPECT_EQ(ChineseDigitYear(2004), "二○○四");
    EXPECT_EQ(ChineseDigitYear(0), "○");
    EXPECT_EQ(ChineseDigitYear(10000), "");
    EXPECT_EQ(YearNumberText(0), "     前1");
    EXPECT_EQ(YearNumberText(-99), "   前100");
    EXPECT_EQ(YearNumberText(2024), "    2024");
    EXPECT_EQ(YearNumberText(-9998), "  前9999");
    EXPECT_EQ(ChineseYearNumberText(-1), "      前二");
    EXPECT_EQ(ChineseYearNumberText(1912), "  一九一二");
    EXPECT_EQ(ChineseYearNumberText(10000), "");
    for (int y : {-9998, -100, 0, 1, 99, 2024, 9999}) {
        EXPECT_EQ(YearNumberText(y).size(), 8u) << y;
        EXPECT_EQ(ChineseYearNumberText(y).size(), 10u) << y;
    }
}

}  // namespace
