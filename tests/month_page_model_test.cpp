#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "astro/sun_times.h"
#include "calendar/day_info.h"
#include "calendar/festivals.h"
#include "calendar/hijri.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "views/day_page_model.h"
#include "views/month_page_model.h"

namespace {

using namespace views;
using astro::DateToDayNumber;
using astro::DayNumber;

// The day numbers of the used cells, in cell order, as day-of-month texts.
std::vector<std::string> Numbers(int year, int month) {
    std::vector<std::string> out;
    for (const MonthCell& c : MonthCells(year, month))
        if (c.day != astro::InvalidDayNumber) out.push_back(c.number);
    return out;
}

bool StartsWith(const std::string& text, const std::string& start) { return text.compare(0, start.size(), start) == 0; }

std::string Lunar(int year, int month, int day) {
    const auto cells = MonthCells(year, month);
    return cells[CellOfDay(year, month, DateToDayNumber(year, month, day)) - 1].lunar_line;
}

TEST(MonthPageGrid, FebruaryByTheLeapRules) {
    // 1900 is not a Gregorian leap year, 2000 is; 1500 is a Julian one (before the reform every
    // fourth year was).
    EXPECT_EQ(DaysInMonth(1900, 2), 28);
    EXPECT_EQ(DaysInMonth(2000, 2), 29);
    EXPECT_EQ(DaysInMonth(1500, 2), 29);
    EXPECT_EQ(DaysInMonth(2023, 2), 28);
    EXPECT_EQ(Numbers(1900, 2).size(), 28u);
    EXPECT_EQ(Numbers(2000, 2).size(), 29u);
    EXPECT_EQ(Numbers(1500, 2).size(), 29u);
    EXPECT_EQ(Numbers(1500, 2).back(), "29");
    // 1 February 1900 was a Thursday, 1 February 2000 a Tuesday.
    EXPECT_EQ(FirstCell(1900, 2), 5);
    EXPECT_EQ(LastCell(1900, 2), 32);
    EXPECT_EQ(FirstCell(2000, 2), 3);
    EXPECT_EQ(LastCell(2000, 2), 31);
    // Every used cell holds the next day; the cells before and after are empty.
    const auto cells = MonthCells(2000, 2);
    for (int cell = 1; cell <= kMonthCellCount; ++cell) {
        const MonthCell& c = cells[cell - 1];
        if (cell < 3 || cell > 31) {
            EXPECT_EQ(c.day, astro::InvalidDayNumber) << cell;
            EXPECT_TRUE(c.number.empty() && c.lunar_line.empty()) << cell;
        } else {
            EXPECT_EQ(c.day, DateToDayNumber(2000, 2, cell - 2)) << cell;
            EXPECT_EQ(c.number, std::to_string(cell - 2));
            EXPECT_FALSE(c.lunar_line.empty()) << cell;
        }
    }
}

TEST(MonthPageGrid, October1582GoesFromTheFourthToTheFifteenth) {
    EXPECT_EQ(DaysInMonth(1582, 10), 21);
    EXPECT_EQ(FirstCell(1582, 10), 2);  // Monday, 1 October 1582 (Julian)
    EXPECT_EQ(LastCell(1582, 10), 22);
    const std::vector<std::string> numbers = Numbers(1582, 10);
    ASSERT_EQ(numbers.size(), 21u);
    EXPECT_EQ(numbers[3], "4");
    EXPECT_EQ(numbers[4], "15");
    EXPECT_EQ(numbers.back(), "31");
    // Thursday the 4th was followed by Friday the 15th.
    EXPECT_EQ(CellDay(1582, 10, 5), DateToDayNumber(1582, 10, 4));
    EXPECT_EQ(CellDay(1582, 10, 6), DateToDayNumber(1582, 10, 15));
    EXPECT_EQ(astro::Weekday(CellDay(1582, 10, 6)), 5);
    EXPECT_EQ(CellOfDay(1582, 10, DateToDayNumber(1582, 10, 15)), 6);
    // The lunar dates run on without a gap: 九月十八 on the 4th, 十九 on the 15th.
    EXPECT_EQ(Lunar(1582, 10, 4), "十八");
    EXPECT_EQ(Lunar(1582, 10, 15), "十九");
}

TEST(MonthPageGrid, ThirtyOneDaysFromASaturdayFillTheLastCell) {
    // 1 March 2025 was a Saturday.
    EXPECT_EQ(astro::Weekday(DateToDayNumber(2025, 3, 1)), 6);
    EXPECT_EQ(FirstCell(2025, 3), 7);
    EXPECT_EQ(LastCell(2025, 3), 37);
    EXPECT_EQ(CellDay(2025, 3, 37), DateToDayNumber(2025, 3, 31));
    EXPECT_EQ(CellDay(2025, 3, 6), astro::InvalidDayNumber);
    EXPECT_EQ(MonthCells(2025, 3)[36].number, "31");
    EXPECT_EQ(CellOfDay(2025, 3, DateToDayNumber(2025, 4, 1)), 0);
    EXPECT_EQ(CellOfDay(2025, 3, DateToDayNumber(2025, 2, 28)), 0);
    // Columns: Sunday first, the weekends red.
    EXPECT_STREQ(WeekdayHeader(0), "星期日");
    EXPECT_STREQ(WeekdayHeader(6), "星期六");
    EXPECT_TRUE(IsWeekendColumn(0) && IsWeekendColumn(6));
    EXPECT_FALSE(IsWeekendColumn(1) || IsWeekendColumn(5));
}

TEST(MonthPageGrid, EveryCellSitsUnderItsWeekday) {
    for (int year : {-103, 1, 1582, 1900, 2024, 4103}) {
        for (int month = 1; month <= 12; ++month) {
            const auto cells = MonthCells(year, month);
            int used = 0;
            for (int cell = 1; cell <= kMonthCellCount; ++cell) {
                if (cells[cell - 1].day == astro::InvalidDayNumber) continue;
                ++used;
                EXPECT_EQ(astro::Weekday(cells[cell - 1].day), (cell - 1) % 7) << year << "-" << month;
                EXPECT_EQ(astro::DayNumberToDate(cells[cell - 1].day).month, month);
            }
            EXPECT_EQ(used, DaysInMonth(year, month));
        }
    }
}

TEST(MonthPageGrid, TheLunarLinePrecedence) {
    // February 2024: 春节 on the 10th, 元宵节 on the 24th (lunar festivals), 情人节 on the 14th
    // (a main solar festival), 立春 on the 4th and 雨水 on the 19th, lunar days elsewhere.
    EXPECT_EQ(Lunar(2024, 2, 10), "春节");
    EXPECT_EQ(Lunar(2024, 2, 24), "元宵节");
    EXPECT_EQ(Lunar(2024, 2, 14), "情人节");
    EXPECT_EQ(Lunar(2024, 2, 4), "立春");
    EXPECT_EQ(Lunar(2024, 2, 19), "雨水");
    EXPECT_EQ(Lunar(2024, 2, 11), "初二");
    EXPECT_EQ(Lunar(2024, 2, 29), "二十");
    // Minor solar festivals (国际气象节, 10 February) never reach a cell.
    EXPECT_EQ(CellLunarLine(2025, 2, 10), "十三");
    // A term that falls on a festival gives way: 雨水 on 春节 2015, 白露 on 中秋节 2014, 小雪 on
    // 感恩节 2001 (a solar festival).
    EXPECT_EQ(CellLunarLine(2015, 2, 19), "春节");
    EXPECT_EQ(CellLunarLine(2014, 9, 8), "中秋节");
    EXPECT_EQ(CellLunarLine(2001, 11, 22), "感恩节");
    // A term on the first day of a lunar month wins over the month's name: 夏至 on 五月初一 2001.
    EXPECT_EQ(calendar::SolarToLunarDate(2001, 6, 21).day, 1);
    EXPECT_EQ(CellLunarLine(2001, 6, 21), "夏至");
    // The first day of a month without a festival or a term: its name and size.
    EXPECT_EQ(CellLunarLine(2024, 3, 10), "二月大");  // 二月 2024: 10 March .. 8 April, 30 days
    EXPECT_EQ(CellLunarLine(2024, 4, 9), "三月小");
    EXPECT_EQ(CellLunarLine(1582, 10, 27), "初二");  // the day after 十月初一, 祭祖节
    EXPECT_EQ(CellLunarLine(1582, 10, 26), "祭祖节");
}

TEST(MonthPageGrid, TheFirstDayOfALeapMonth) {
    // 2020 had a 闰四月 from 23 May to 20 June, 29 days.
    ASSERT_EQ(calendar::LeapMonth(2020), 4);
    ASSERT_EQ(calendar::LunarMonthLength(2020, 16), 29);
    EXPECT_EQ(Lunar(2020, 5, 23), "闰四月小");
    EXPECT_EQ(Lunar(2020, 5, 24), "初二");
    // 2023 had a 闰二月 of 29 days from 22 March, 2017 a 闰六月 of 30 days from 23 July.
    ASSERT_EQ(calendar::LunarMonthLength(2023, 14), 29);
    EXPECT_EQ(CellLunarLine(2023, 3, 22), "闰二月小");
    ASSERT_EQ(calendar::LunarMonthLength(2017, 18), 30);
    EXPECT_EQ(CellLunarLine(2017, 7, 23), "闰六月大");
    // Every cell of a year whose lunar day is 1 reads the name of its month, unless a festival or a
    // term takes the cell.
    for (int month = 1; month <= 12; ++month) {
        for (const MonthCell& c : MonthCells(2023, month)) {
            if (c.day == astro::InvalidDayNumber) continue;
            const astro::CalendarDate d = astro::DayNumberToDate(c.day);
            const calendar::LunarDate l = calendar::SolarToLunarDate(d.year, d.month, d.day);
            if (l.day != 1 || l.month == 1 || l.month == 10) continue;  // 春节, 祭祖节
            if (StartsWith(calendar::NextSolarTermText(d.year, d.month, d.day), "今日")) continue;
            if (!calendar::SolarFestivalName(d.year, d.month, d.day, false).empty()) continue;  // 父亲节 2023
            const std::string name = l.month > 12 ? std::string("闰") + calendar::LunarMonthNames[l.month - 12]
                                                  : calendar::LunarMonthNames[l.month];
            EXPECT_EQ(c.lunar_line.substr(0, name.size()), name) << month;
        }
    }
}

TEST(MonthPageInstants, TheMoonLineOfFebruary2024) {
    // 立春 4 February 16:27 and 雨水 19 February 12:13; new moon 10 February 06:59 and full moon
    // 24 February 20:30, Beijing time (the published times agree to the minute).
    EXPECT_EQ(MoonLine(2024, 2), "4日16:27:02立春 19日12:13:04雨水 10日06:59:04塑 24日20:30:17望");
}

TEST(MonthPageInstants, OnlyTheMonthsOwnInstantsInTermsThenPhasesOrder) {
    // February 1900 has no new moon: 31 January and 1 March hold them.
    EXPECT_EQ(MoonLine(1900, 2), "4日13:51:37立春 19日10:01:21雨水 14日21:50:22望");
    // October 1582 after the reform: the full moon of the 2nd, the new moon of the 26th.
    EXPECT_EQ(MoonLine(1582, 10), "22日10:06:36霜降 2日04:59:12望 26日23:14:30塑");
    for (int year : {-103, 1000, 2024, 4103}) {
        for (int month = 1; month <= 12; ++month) {
            const std::vector<MonthInstant> instants = MonthInstants(year, month);
            const DayNumber first = DateToDayNumber(year, month, 1);
            const DayNumber last = first + DaysInMonth(year, month) - 1;
            int terms = 0, phases = 0;
            bool phase_seen = false;
            double previous = -1e9;
            for (const MonthInstant& i : instants) {
                const DayNumber day = static_cast<DayNumber>(std::floor(i.when));
                EXPECT_GE(day, first);
                EXPECT_LE(day, last);
                if (i.kind == MonthInstant::kSolarTerm) {
                    EXPECT_FALSE(phase_seen) << "terms come first";
                    ++terms;
                } else {
                    if (phase_seen) {
                        EXPECT_GT(i.when, previous) << "phases in time order";
                    }
                    phase_seen = true;
                    previous = i.when;
                    ++phases;
                }
            }
            EXPECT_GE(terms, 1);
            EXPECT_LE(terms, 3);
            EXPECT_GE(phases, 1);
            EXPECT_LE(phases, 3);
            // The terms of the line are exactly the days whose cells may show a term.
            int term_days = 0;
            for (DayNumber n = first; n <= last; ++n) {
                const astro::CalendarDate d = astro::DayNumberToDate(n);
                term_days += calendar::NextSolarTermText(d.year, d.month, d.day).compare(0, 4, "今日") == 0;
            }
            EXPECT_EQ(term_days, terms) << year << "-" << month;
        }
    }
}

TEST(MonthPagePanel, ThePiecesOfTheDetails) {
    const DayNumber spring_festival = DateToDayNumber(2024, 2, 10);
    EXPECT_EQ(PanelLunarLine(spring_festival, 0), "农历 二○二四年 正月小初一 甲辰(龙)年丙寅月甲辰日");
    EXPECT_EQ(PanelHijriLine(spring_festival), "回历 1445年7月30日 水瓶座");
    EXPECT_EQ(PanelPeriodsLine(spring_festival), "六九第6天");
    EXPECT_EQ(PanelFestivalsLine(spring_festival), "春节 国际气象节");
    // The year of the era under the Ming, the lunar year before its Spring Festival, a leap month.
    EXPECT_EQ(PanelLunarLine(DateToDayNumber(1582, 10, 4), 0), "农历 明代万历10年 九月小十八 壬午(马)年庚戌月癸酉日");
    EXPECT_TRUE(StartsWith(PanelLunarLine(DateToDayNumber(2024, 2, 9), 0), "农历 二○二三年 腊月大三十 "));
    EXPECT_TRUE(StartsWith(PanelLunarLine(DateToDayNumber(2020, 6, 1), 0), "农历 二○二○年 闰四月小初十 "));
    // Between 立春 and the Spring Festival the year pillar depends on where the year begins.
    EXPECT_NE(PanelLunarLine(DateToDayNumber(2024, 2, 5), 0).find("甲辰(龙)年"), std::string::npos);
    EXPECT_NE(PanelLunarLine(DateToDayNumber(2024, 2, 5), 1).find("癸卯(兔)年"), std::string::npos);
    // Before the Hijri era: year 0 is 前1.
    const calendar::HijriDate before = calendar::DayNumberToHijri(calendar::HijriEpoch - 1);
    ASSERT_EQ(before.year, 0);
    const std::string before_text = "回历 前1年12月" + std::to_string(before.day) + "日 ";
    EXPECT_EQ(PanelHijriLine(calendar::HijriEpoch - 1).substr(0, before_text.size()), before_text);
    EXPECT_EQ(PanelHijriLine(calendar::HijriEpoch).substr(0, 15), "回历 1年1月1日 ");
    // Sunrise and sunset at 天安门 on the June solstice of 2024: 04:46:11 and 19:46:23.
    const std::string sun = PanelSunTimesLine(DateToDayNumber(2024, 6, 21), -116.38, 39.90);
    EXPECT_EQ(sun.substr(0, 4), "天亮");
    EXPECT_NE(sun.find(" 日出04:46:11 日落19:46:23 天黑"), std::string::npos);
    const DayNumber n = DateToDayNumber(2024, 6, 21);
    EXPECT_EQ(sun, "天亮" + astro::SunEventTime(n, -116.38, 39.90, 8, astro::kDawn) + " 日出04:46:11 日落19:46:23 天黑" +
                       astro::SunEventTime(n, -116.38, 39.90, 8, astro::kDusk));
    // An ordinary day has no period and no festival.
    EXPECT_EQ(PanelPeriodsLine(DateToDayNumber(2024, 5, 8)), "");
    EXPECT_EQ(PanelFestivalsLine(DateToDayNumber(2024, 5, 7)), "");
}

TEST(MonthPagePanel, TheWholeTextLeavesEmptyPiecesOut) {
    const DayPanelOptions beijing{0, -116.38, 39.90};
    const DayNumber spring_festival = DateToDayNumber(2024, 2, 10);
    EXPECT_EQ(DayPanelText(spring_festival, beijing, {}),
              PanelLunarLine(spring_festival, 0) + "\r\n" + PanelHijriLine(spring_festival) + " 六九第6天\r\n" +
                  PanelSunTimesLine(spring_festival, -116.38, 39.90) + "\r\n春节 国际气象节 春节假期（休）");
    // The arrangement shares the festivals' line, or has a line of its own; not with the option off.
    const DayPanelOptions hidden{0, -116.38, 39.90, false};
    EXPECT_EQ(DayPanelText(spring_festival, hidden, {}).substr(DayPanelText(spring_festival, hidden, {}).rfind('\n')),
              "\n春节 国际气象节");
    const DayNumber worked = DateToDayNumber(2024, 2, 18);  // a Sunday worked after 春节
    EXPECT_EQ(DayPanelText(worked, beijing, {}).substr(DayPanelText(worked, beijing, {}).rfind('\n')),
              "\n春节调休上班（班）");
    const DayNumber ordinary = DateToDayNumber(2024, 5, 7);
    EXPECT_EQ(DayPanelText(ordinary, beijing, {}), PanelLunarLine(ordinary, 0) + "\r\n" + PanelHijriLine(ordinary) +
                                                       "\r\n" + PanelSunTimesLine(ordinary, -116.38, 39.90));
    // The personal days follow on one line, the empty texts left out.
    EXPECT_EQ(DayPanelText(ordinary, beijing, {"", "距离高考还有31天", "", "妈妈生日"}),
              DayPanelText(ordinary, beijing, {}) + "\r\n距离高考还有31天 妈妈生日");
    EXPECT_EQ(DayPanelText(ordinary, beijing, {"", ""}), DayPanelText(ordinary, beijing, {}));
    // The place moves the sun times: 乌鲁木齐 rises later than 北京 by Beijing time.
    const DayPanelOptions urumqi{0, -87.68, 43.77};
    EXPECT_NE(DayPanelText(ordinary, urumqi, {}), DayPanelText(ordinary, beijing, {}));
}

TEST(MonthPageNavigation, ListsAndTheirItems) {
    const std::vector<std::string> years = MonthListItems(MonthList::kYear);
    ASSERT_EQ(years.size(), 4207u);
    EXPECT_EQ(years.front(), "   前104年");
    EXPECT_EQ(years.back(), "    4103年");
    const std::vector<std::string> months = MonthListItems(MonthList::kMonth);
    ASSERT_EQ(months.size(), 12u);
    EXPECT_EQ(months.front(), "1月");
    EXPECT_EQ(months.back(), "12月");
    const MonthPageState s = MonthPageAt(DateToDayNumber(2024, 2, 10));
    EXPECT_EQ(years[MonthListSelection(s, MonthList::kYear)], "    2024年");
    EXPECT_EQ(months[MonthListSelection(s, MonthList::kMonth)], "2月");
    // The selected item alone, as a list holds it until it is needed whole, is the whole list's.
    for (const int year : {-103, -1, 0, 1, 1582, 2024, 4103}) {
        for (const int month : {1, 10, 12}) {
            const MonthPageState at = MonthPageAt(DateToDayNumber(year, month, 1));
            EXPECT_EQ(MonthListItemText(at, MonthList::kYear), years[MonthListSelection(at, MonthList::kYear)]) << year;
            EXPECT_EQ(MonthListItemText(at, MonthList::kMonth), months[MonthListSelection(at, MonthList::kMonth)]) << month;
        }
    }
    // Days outside the shown years are clamped to their ends.
    EXPECT_EQ(MonthPageAt(DateToDayNumber(5000, 1, 1)).day, DateToDayNumber(4103, 12, 31));
    EXPECT_EQ(MonthPageAt(DateToDayNumber(-500, 1, 1)).day, DateToDayNumber(-103, 1, 1));
}

TEST(MonthPageNavigation, TheDayShrinksToTheNewMonth) {
    const MonthPageState jan31 = MonthPageAt(DateToDayNumber(2024, 1, 31));
    EXPECT_EQ(MonthForChoice(jan31, MonthList::kMonth, 1), DateToDayNumber(2024, 2, 29));
    EXPECT_EQ(MonthForChoice(jan31, MonthList::kMonth, 3), DateToDayNumber(2024, 4, 30));
    EXPECT_EQ(MonthForChoice(jan31, MonthList::kMonth, 11), DateToDayNumber(2024, 12, 31));
    const MonthPageState feb29 = MonthPageAt(DateToDayNumber(2024, 2, 29));
    EXPECT_EQ(MonthForChoice(feb29, MonthList::kYear, 2023 - kLowestShownYear), DateToDayNumber(2023, 2, 28));
    EXPECT_EQ(MonthForChoice(feb29, MonthList::kYear, 1500 - kLowestShownYear), DateToDayNumber(1500, 2, 29));
    EXPECT_EQ(MonthForChoice(feb29, MonthList::kYear, 1900 - kLowestShownYear), DateToDayNumber(1900, 2, 28));
    // The ten days October 1582 lacks: back to the 4th; the 15th and later stay.
    const MonthPageState sep10 = MonthPageAt(DateToDayNumber(1582, 9, 10));
    EXPECT_EQ(StepMonthList(sep10, MonthList::kMonth, 1), DateToDayNumber(1582, 10, 4));
    EXPECT_EQ(MonthForChoice(MonthPageAt(DateToDayNumber(1582, 11, 14)), MonthList::kMonth, 9),
              DateToDayNumber(1582, 10, 4));
    EXPECT_EQ(MonthForChoice(MonthPageAt(DateToDayNumber(1582, 11, 15)), MonthList::kMonth, 9),
              DateToDayNumber(1582, 10, 15));
    EXPECT_EQ(MonthForChoice(MonthPageAt(DateToDayNumber(1583, 10, 12)), MonthList::kYear, 1582 - kLowestShownYear),
              DateToDayNumber(1582, 10, 4));
    // Indexes outside the lists change nothing.
    EXPECT_EQ(MonthForChoice(jan31, MonthList::kMonth, 12), jan31.day);
    EXPECT_EQ(MonthForChoice(jan31, MonthList::kMonth, -1), jan31.day);
    EXPECT_EQ(MonthForChoice(jan31, MonthList::kYear, 4207), jan31.day);
    EXPECT_EQ(MonthForChoice(jan31, MonthList::kYear, -1), jan31.day);
}

TEST(MonthPageNavigation, SteppingCrossesTheYearsEndButNotTheRangesEnds) {
    const MonthPageState dec31 = MonthPageAt(DateToDayNumber(2023, 12, 31));
    EXPECT_EQ(StepMonthList(dec31, MonthList::kMonth, 1), DateToDayNumber(2024, 1, 31));
    EXPECT_EQ(StepMonthList(dec31, MonthList::kMonth, -1), DateToDayNumber(2023, 11, 30));
    EXPECT_EQ(StepMonthList(dec31, MonthList::kYear, 1), DateToDayNumber(2024, 12, 31));
    const MonthPageState jan15 = MonthPageAt(DateToDayNumber(2024, 1, 15));
    EXPECT_EQ(StepMonthList(jan15, MonthList::kMonth, -1), DateToDayNumber(2023, 12, 15));
    EXPECT_EQ(StepMonthList(MonthPageAt(DateToDayNumber(2024, 2, 29)), MonthList::kYear, 1), DateToDayNumber(2025, 2, 28));
    // Year 0 (1 BC) lies between -1 and 1.
    EXPECT_EQ(StepMonthList(MonthPageAt(DateToDayNumber(1, 1, 5)), MonthList::kMonth, -1), DateToDayNumber(0, 12, 5));
    // The ends of the shown range.
    const MonthPageState last = MonthPageAt(DateToDayNumber(4103, 12, 20));
    EXPECT_EQ(StepMonthList(last, MonthList::kMonth, 1), last.day);
    EXPECT_EQ(StepMonthList(last, MonthList::kYear, 1), last.day);
    EXPECT_EQ(StepMonthList(last, MonthList::kMonth, -1), DateToDayNumber(4103, 11, 20));
    const MonthPageState first = MonthPageAt(DateToDayNumber(-103, 1, 20));
    EXPECT_EQ(StepMonthList(first, MonthList::kMonth, -1), first.day);
    EXPECT_EQ(StepMonthList(first, MonthList::kYear, -1), first.day);
    EXPECT_EQ(StepMonthList(first, MonthList::kYear, 1), DateToDayNumber(-102, 1, 20));
}

TEST(MonthPageNavigation, AClickSelectsAUsedCellOnly) {
    const MonthPageState s = MonthPageAt(DateToDayNumber(1582, 10, 1));
    EXPECT_EQ(DayOfCell(s, 6), DateToDayNumber(1582, 10, 15));
    EXPECT_EQ(DayOfCell(s, 22), DateToDayNumber(1582, 10, 31));
    EXPECT_EQ(DayOfCell(s, 1), s.day);   // before the 1st
    EXPECT_EQ(DayOfCell(s, 23), s.day);  // after the 31st
    EXPECT_EQ(DayOfCell(s, 0), s.day);
    EXPECT_EQ(DayOfCell(s, 38), s.day);
}

}  // namespace
