#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "calendar/names.h"
#include "views/day_page_model.h"

namespace {

using namespace views;
using astro::DateToDayNumber;
using astro::DayNumber;

std::string Selected(const DayPageState& s, DayList list, bool dynasty = false) {
    const std::vector<std::string> items = ListItems(s, list, dynasty);
    const int i = SelectedItem(s, list);
    return i >= 0 && i < static_cast<int>(items.size()) ? items[i] : "?";
}

TEST(DayPage, TheNineListsOfADay) {
    const DayPageState s = DayPageAt(DateToDayNumber(2024, 2, 10));
    EXPECT_EQ(Selected(s, DayList::kSolarYear), "    2024年");
    EXPECT_EQ(Selected(s, DayList::kSolarMonth), "2月");
    EXPECT_EQ(Selected(s, DayList::kSolarDay), "10日");
    EXPECT_EQ(ListItems(s, DayList::kSolarDay, false).size(), 29u);
    EXPECT_EQ(Selected(s, DayList::kLunarYear), "  二○二四年");
    EXPECT_EQ(Selected(s, DayList::kLunarMonth), "  正月");
    EXPECT_EQ(Selected(s, DayList::kLunarDay), "初一");
    EXPECT_EQ(Selected(s, DayList::kHijriYear), "    1445年");
    EXPECT_EQ(Selected(s, DayList::kHijriMonth), "7月");
    EXPECT_EQ(Selected(s, DayList::kHijriDay), "30日");
    EXPECT_EQ(ListItems(s, DayList::kSolarYear, false).size(), 4207u);  // -103 .. 4103
    EXPECT_EQ(ListItems(s, DayList::kSolarYear, false).front(), "   前104年");
    EXPECT_EQ(std::string(ListName(DayList::kHijriDay)), "回历日");
    // With era names the lunar years read as reigns where there are reigns.
    const DayPageState guangxu = DayPageAt(DateToDayNumber(1875, 6, 1));
    EXPECT_EQ(Selected(guangxu, DayList::kLunarYear, true), "清代光绪01年");
    EXPECT_EQ(Selected(guangxu, DayList::kLunarYear, false), "  一八七五年");
    EXPECT_EQ(ListItems(guangxu, DayList::kLunarYear, true).size(), ListItems(guangxu, DayList::kLunarYear, false).size());
}

// The text a list shows alone until it is needed whole is the whole list's selected item, for every
// list, on days across the shown range (its ends, the reform, leap months, era names and none).
TEST(DayPage, TheSelectedItemAloneIsTheWholeListsSelectedItem) {
    const DayNumber days[] = {FirstShownDay(),
                              LastShownDay(),
                              DateToDayNumber(-1, 12, 31),
                              DateToDayNumber(1, 1, 1),
                              DateToDayNumber(622, 7, 16),
                              DateToDayNumber(1582, 10, 4),
                              DateToDayNumber(1582, 10, 15),
                              DateToDayNumber(1875, 6, 1),
                              DateToDayNumber(2023, 4, 5),
                              DateToDayNumber(2024, 2, 10)};
    for (const DayNumber day : days) {
        const DayPageState s = DayPageAt(day);
        for (int list = 0; list < kDayListCount; ++list) {
            for (const bool dynasty : {false, true}) {
                EXPECT_EQ(SelectedItemText(s, static_cast<DayList>(list), dynasty), Selected(s, static_cast<DayList>(list), dynasty))
                    << day << " list " << list << " dynasty " << dynasty;
            }
        }
    }
}

TEST(DayPage, ChoosingALeapMonthMovesTheOtherCalendars) {
    const DayPageState s = DayPageAt(DateToDayNumber(2023, 2, 20));  // 二月初一 2023
    const std::vector<std::string> months = ListItems(s, DayList::kLunarMonth, false);
    ASSERT_EQ(months.size(), 13u);
    EXPECT_EQ(months[2], "闰二月");
    const DayPageState leap = DayPageAt(DayForChoice(s, DayList::kLunarMonth, 2));
    EXPECT_EQ(leap.day, DateToDayNumber(2023, 3, 22));
    EXPECT_EQ(leap.lunar.month, 14);
    EXPECT_EQ(Selected(leap, DayList::kLunarMonth), "闰二月");
    EXPECT_EQ(Selected(leap, DayList::kSolarMonth), "3月");
    EXPECT_EQ(leap.hijri.month, 8);  // Sha'ban 1444; Ramadan began the next day
    // A leap month falls back to its namesake in a year without one.
    const int year_2024 = SelectedItem(leap, DayList::kLunarYear) + 1;
    const DayPageState next = DayPageAt(DayForChoice(leap, DayList::kLunarYear, year_2024));
    EXPECT_EQ(next.lunar.year, 2024);
    EXPECT_EQ(next.lunar.month, 2);
    EXPECT_EQ(next.lunar.day, 1);
}

TEST(DayPage, DaysShrinkToTheChosenMonth) {
    const DayPageState s = DayPageAt(DateToDayNumber(2024, 1, 31));
    EXPECT_EQ(DayForChoice(s, DayList::kSolarMonth, 1), DateToDayNumber(2024, 2, 29));
    EXPECT_EQ(DayForChoice(DayPageAt(DateToDayNumber(2024, 2, 29)), DayList::kSolarYear,
                           SelectedItem(s, DayList::kSolarYear) + 1),
              DateToDayNumber(2025, 2, 28));
    // October 1582 has no 5th..14th: the 10th of September chosen into October becomes the 15th.
    const DayPageState sep = DayPageAt(DateToDayNumber(1582, 9, 10));
    EXPECT_EQ(DayForChoice(sep, DayList::kSolarMonth, 9), DateToDayNumber(1582, 10, 15));
    const DayPageState oct = DayPageAt(DateToDayNumber(1582, 10, 4));
    const std::vector<std::string> days = ListItems(oct, DayList::kSolarDay, false);
    ASSERT_EQ(days.size(), 21u);
    EXPECT_EQ(days[3], "4日");
    EXPECT_EQ(days[4], "15日");
    EXPECT_EQ(DayForChoice(oct, DayList::kSolarDay, 4), DateToDayNumber(1582, 10, 15));
    // A lunar 三十 in a small month becomes 廿九.
    const DayPageState thirtieth = DayPageAt(DateToDayNumber(2024, 4, 8));  // 二月三十 2024
    ASSERT_EQ(thirtieth.lunar.day, 30);
    const DayPageState small = DayPageAt(DayForChoice(thirtieth, DayList::kLunarMonth, 2));  // 三月 is small
    EXPECT_EQ(small.lunar.month, 3);
    EXPECT_EQ(small.lunar.day, 29);
}

TEST(DayPage, SteppingAcrossMonthsYearsAndTheReform) {
    const auto step = [](astro::DayNumber n, DayList list, int delta) {
        return StepList(DayPageAt(n), list, delta);
    };
    EXPECT_EQ(step(DateToDayNumber(2024, 1, 31), DayList::kSolarDay, 1), DateToDayNumber(2024, 2, 1));
    EXPECT_EQ(step(DateToDayNumber(2023, 12, 31), DayList::kSolarDay, 1), DateToDayNumber(2024, 1, 1));
    EXPECT_EQ(step(DateToDayNumber(1582, 10, 4), DayList::kSolarDay, 1), DateToDayNumber(1582, 10, 15));
    EXPECT_EQ(step(DateToDayNumber(1582, 10, 15), DayList::kLunarDay, -1), DateToDayNumber(1582, 10, 4));
    EXPECT_EQ(step(DateToDayNumber(2023, 12, 15), DayList::kSolarMonth, 1), DateToDayNumber(2024, 1, 15));
    EXPECT_EQ(step(DateToDayNumber(2024, 1, 15), DayList::kSolarMonth, -1), DateToDayNumber(2023, 12, 15));
    EXPECT_EQ(step(DateToDayNumber(2024, 3, 31), DayList::kSolarMonth, 1), DateToDayNumber(2024, 4, 30));
    // Lunar months: 二月 2023 steps into 闰二月, 腊月 2023 into 正月 2024 and back.
    EXPECT_EQ(step(DateToDayNumber(2023, 2, 20), DayList::kLunarMonth, 1), DateToDayNumber(2023, 3, 22));
    EXPECT_EQ(step(DateToDayNumber(2024, 1, 11), DayList::kLunarMonth, 1), DateToDayNumber(2024, 2, 10));
    EXPECT_EQ(step(DateToDayNumber(2024, 2, 10), DayList::kLunarMonth, -1), DateToDayNumber(2024, 1, 11));
    // Across the end of the Hijri year 1445 (a leap year: 30 days in Dhu al-Hijja; 1446 is a common
    // year, Safar has 29 days). The Gregorian days by the arithmetic calendar, counted by hand from
    // 1 Muharram 1 = 622-07-16 (Julian).
    const struct {
        int year, month, day;  // Gregorian
        DayList list;
        int delta;
        int to_year, to_month, to_day;
    } hijri_steps[] = {
        {2024, 7, 7, DayList::kHijriDay, 1, 2024, 7, 8},       // 1445-12-30 -> 1446-01-01
        {2024, 7, 8, DayList::kHijriDay, -1, 2024, 7, 7},
        {2024, 6, 7, DayList::kHijriMonth, 1, 2024, 7, 7},     // 1445-11-30 -> 1445-12-30
        {2024, 7, 7, DayList::kHijriMonth, 1, 2024, 8, 6},     // -> 1446-01-30
        {2024, 8, 6, DayList::kHijriMonth, -1, 2024, 7, 7},    // and back
        {2024, 8, 6, DayList::kHijriMonth, 1, 2024, 9, 4},     // -> 1446-02-29, Safar is short
        {2024, 7, 7, DayList::kHijriYear, 1, 2025, 6, 26},     // -> 1446-12-29, no 30th
        {2024, 8, 6, DayList::kHijriYear, -1, 2023, 8, 17},    // 1446-01-30 -> 1445-01-30
    };
    for (const auto& s : hijri_steps)
        EXPECT_EQ(step(DateToDayNumber(s.year, s.month, s.day), s.list, s.delta),
                  DateToDayNumber(s.to_year, s.to_month, s.to_day))
            << s.year << "-" << s.month << "-" << s.day << " list " << static_cast<int>(s.list) << " by " << s.delta;
    // Nothing happens at the ends of the range.
    EXPECT_EQ(step(FirstShownDay(), DayList::kSolarDay, -1), FirstShownDay());
    EXPECT_EQ(step(LastShownDay(), DayList::kHijriDay, 1), LastShownDay());
    EXPECT_EQ(step(FirstShownDay(), DayList::kSolarYear, -1), FirstShownDay());
    EXPECT_EQ(step(DateToDayNumber(4103, 6, 1), DayList::kSolarYear, 1), DateToDayNumber(4103, 6, 1));
    // Walking a whole year day by day on the lunar day list visits every day once.
    astro::DayNumber n = DateToDayNumber(2023, 1, 22);
    for (int i = 0; i < 384; ++i) n = step(n, DayList::kLunarDay, 1);
    EXPECT_EQ(n, DateToDayNumber(2024, 2, 10));
}

TEST(DayPage, EveryListSelectsItsOwnItemBack) {
    for (astro::DayNumber n = DateToDayNumber(2020, 1, 1); n < DateToDayNumber(2026, 1, 1); n += 7) {
        const DayPageState s = DayPageAt(n);
        for (int l = 0; l < kDayListCount; ++l) {
            const DayList list = static_cast<DayList>(l);
            EXPECT_EQ(DayForChoice(s, list, SelectedItem(s, list)), n) << astro::DayNumberToDateText(n) << " list " << l;
        }
    }
}

}  // namespace
