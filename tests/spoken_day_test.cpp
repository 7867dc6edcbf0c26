// A day as the month page's cells are read aloud. The expected names are checked by hand against
// published lunar calendars (the new moons of 2020-04-23, 2020-05-23 beginning 闰四月, 2026-09-11)
// and the State Council's holiday notices of 2020 and 2026.
#include <gtest/gtest.h>

#include <string>

#include "astro/day_numbers.h"
#include "views/spoken_day.h"

namespace {

struct Case {
    int year, month, day;
    bool holidays;
    const char* spoken;  // UTF-8 source, GBK as compiled
};

TEST(SpokenDay, SaysTheDateWeekdayLunarDateFestivalTermAndHoliday) {
    const Case cases[] = {
        // a festival that names the holiday: the mark alone follows it
        {2026, 10, 1, true, "2026年10月1日 星期四 农历八月廿一 国庆节 休"},
        {2026, 10, 1, false, "2026年10月1日 星期四 农历八月廿一 国庆节"},
        // a term, and a holiday no festival of the day names
        {2020, 5, 5, true, "2020年5月5日 星期二 农历四月十三 立夏 劳动节 休"},
        // a Saturday worked
        {2020, 5, 9, true, "2020年5月9日 星期六 农历四月十七 劳动节 班"},
        // the first day of a leap month
        {2020, 5, 23, true, "2020年5月23日 星期六 农历闰四月初一"},
        // a lunar festival
        {2026, 9, 25, false, "2026年9月25日 星期五 农历八月十五 中秋节"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(views::SpokenDay(astro::DateToDayNumber(c.year, c.month, c.day), c.holidays), c.spoken)
            << c.year << "-" << c.month << "-" << c.day;
    EXPECT_EQ(views::SpokenDay(astro::InvalidDayNumber, true), "");
}

}  // namespace
