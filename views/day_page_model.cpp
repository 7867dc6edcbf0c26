#include "views/day_page_model.h"

#include <algorithm>

#include "calendar/era_names.h"
#include "calendar/names.h"

namespace views {

namespace {

using astro::DayNumber;

int LunarYearOf(DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    return calendar::SolarToLunarDate(d.year, d.month, d.day).year;
}

int FirstLunarYear() { return LunarYearOf(FirstShownDay()); }
int LastLunarYear() { return LunarYearOf(LastShownDay()); }
int FirstHijriYear() { return calendar::DayNumberToHijri(FirstShownDay()).year; }
int LastHijriYear() { return calendar::DayNumberToHijri(LastShownDay()).year; }

// The days of a Gregorian month in order (October 1582 lacks the 5th to the 14th).
std::vector<int> SolarDays(int year, int month) {
    std::vector<int> days;
    for (int d = 1; d <= 31; ++d)
        if (astro::IsValidDate(year, month, d)) days.push_back(d);
    return days;
}

// The nearest existing day of a Gregorian month: the day shrinks to the month's length, and a day
// of the ten that October 1582 skipped becomes the 15th.
int ExistingSolarDay(int year, int month, int day) {
    const std::vector<int> days = SolarDays(year, month);
    for (int d : days)
        if (d >= day) return d;
    return days.back();
}

DayNumber Clamp(DayNumber n) { return std::clamp(n, FirstShownDay(), LastShownDay()); }

DayNumber SolarDay(int year, int month, int day) {
    if (year < kLowestShownYear || year > kHighestShownYear) return astro::InvalidDayNumber;
    return astro::DateToDayNumber(year, month, ExistingSolarDay(year, month, day));
}

DayNumber LunarDay(int year, int month, int day) {
    if (month > 12 && calendar::LunarMonthLength(year, month) == 0) month -= 12;  // no such leap month
    const int length = calendar::LunarMonthLength(year, month);
    if (length == 0) return astro::InvalidDayNumber;
    const astro::CalendarDate d = calendar::LunarToSolar(year, month, std::min(day, length));
    return d.month ? astro::DateToDayNumber(d.year, d.month, d.day) : astro::InvalidDayNumber;
}

DayNumber HijriDay(int year, int month, int day) {
    const int length = calendar::HijriMonthLength(year, month);
    if (length == 0) return astro::InvalidDayNumber;
    return calendar::HijriToDayNumber(year, month, std::min(day, length));
}

// The place (1..13) of a lunar month in its year.
int PlaceOf(int year, int month) {
    for (int place = 1; place <= calendar::LunarMonthCount(year); ++place)
        if (calendar::MonthAtPlace(year, place) == month) return place;
    return 0;
}

// A chosen day outside the shown range keeps the page where it is, or is clamped to its ends.
DayNumber Accept(const DayPageState& state, DayNumber n) {
    if (n == astro::InvalidDayNumber) return state.day;
    return Clamp(n);
}

}  // namespace

DayNumber FirstShownDay() { return astro::DateToDayNumber(kLowestShownYear, 1, 1); }
DayNumber LastShownDay() { return astro::DateToDayNumber(kHighestShownYear, 12, 31); }

DayPageState DayPageAt(DayNumber day) {
    DayPageState s;
    s.day = Clamp(day);
    s.solar = astro::DayNumberToDate(s.day);
    s.lunar = calendar::SolarToLunarDate(s.solar.year, s.solar.month, s.solar.day);
    s.hijri = calendar::DayNumberToHijri(s.day);
    return s;
}

const char* ListName(DayList list) {
    static const char* const kNames[kDayListCount] = {"公历年", "公历月", "公历日", "农历年", "农历月",
                                                      "农历日", "回历年", "回历月", "回历日"};
    return kNames[static_cast<int>(list)];
}

std::vector<std::string> ListItems(const DayPageState& s, DayList list, bool show_dynasty) {
    std::vector<std::string> items;
    switch (list) {
        case DayList::kSolarYear:
            for (int y = kLowestShownYear; y <= kHighestShownYear; ++y) items.push_back(calendar::YearNumberText(y) + "年");
            break;
        case DayList::kSolarMonth:
        case DayList::kHijriMonth:
            for (int m = 1; m <= 12; ++m) items.push_back(std::to_string(m) + "月");
            break;
        case DayList::kSolarDay:
            for (int d : SolarDays(s.solar.year, s.solar.month)) items.push_back(std::to_string(d) + "日");
            break;
        case DayList::kLunarYear:
            for (int y = FirstLunarYear(); y <= LastLunarYear(); ++y)
                items.push_back((show_dynasty ? calendar::EraName(y) : calendar::ChineseYearNumberText(y)) + "年");
            break;
        case DayList::kLunarMonth:
            for (int place = 1; place <= calendar::LunarMonthCount(s.lunar.year); ++place)
                items.push_back(calendar::LunarMonthName(calendar::MonthAtPlace(s.lunar.year, place)));
            break;
        case DayList::kLunarDay:
            for (int d = 1; d <= calendar::LunarMonthLength(s.lunar.year, s.lunar.month); ++d)
                items.push_back(calendar::LunarDayName(d));
            break;
        case DayList::kHijriYear:
            for (int y = FirstHijriYear(); y <= LastHijriYear(); ++y) items.push_back(calendar::YearNumberText(y) + "年");
            break;
        case DayList::kHijriDay:
            for (int d = 1; d <= calendar::HijriMonthLength(s.hijri.year, s.hijri.month); ++d)
                items.push_back(std::to_string(d) + "日");
            break;
    }
    return items;
}

int SelectedItem(const DayPageState& s, DayList list) {
    switch (list) {
        case DayList::kSolarYear: return s.solar.year - kLowestShownYear;
        case DayList::kSolarMonth: return s.solar.month - 1;
        case DayList::kSolarDay: {
            const std::vector<int> days = SolarDays(s.solar.year, s.solar.month);
            return static_cast<int>(std::find(days.begin(), days.end(), s.solar.day) - days.begin());
        }
        case DayList::kLunarYear: return s.lunar.year - FirstLunarYear();
        case DayList::kLunarMonth: return PlaceOf(s.lunar.year, s.lunar.month) - 1;
        case DayList::kLunarDay: return s.lunar.day - 1;
        case DayList::kHijriYear: return s.hijri.year - FirstHijriYear();
        case DayList::kHijriMonth: return s.hijri.month - 1;
        case DayList::kHijriDay: return s.hijri.day - 1;
    }
    return -1;
}

std::string SelectedItemText(const DayPageState& s, DayList list, bool show_dynasty) {
    switch (list) {
        case DayList::kSolarYear: return calendar::YearNumberText(s.solar.year) + "年";
        case DayList::kLunarYear:
            return (show_dynasty ? calendar::EraName(s.lunar.year) : calendar::ChineseYearNumberText(s.lunar.year)) + "年";
        case DayList::kHijriYear: return calendar::YearNumberText(s.hijri.year) + "年";
        default: {
            const std::vector<std::string> items = ListItems(s, list, show_dynasty);
            const int selected = SelectedItem(s, list);
            return selected >= 0 && selected < static_cast<int>(items.size()) ? items[selected] : std::string();
        }
    }
}

DayNumber DayForChoice(const DayPageState& s, DayList list, int index) {
    if (index < 0) return s.day;
    switch (list) {
        case DayList::kSolarYear:
            return Accept(s, SolarDay(kLowestShownYear + index, s.solar.month, s.solar.day));
        case DayList::kSolarMonth:
            if (index > 11) return s.day;
            return Accept(s, SolarDay(s.solar.year, index + 1, s.solar.day));
        case DayList::kSolarDay: {
            const std::vector<int> days = SolarDays(s.solar.year, s.solar.month);
            if (index >= static_cast<int>(days.size())) return s.day;
            return Accept(s, astro::DateToDayNumber(s.solar.year, s.solar.month, days[index]));
        }
        case DayList::kLunarYear: {
            const int year = FirstLunarYear() + index;
            if (year > LastLunarYear()) return s.day;
            return Accept(s, LunarDay(year, s.lunar.month, s.lunar.day));
        }
        case DayList::kLunarMonth: {
            const int month = calendar::MonthAtPlace(s.lunar.year, index + 1);
            if (month == 0) return s.day;
            return Accept(s, LunarDay(s.lunar.year, month, s.lunar.day));
        }
        case DayList::kLunarDay:
            if (index >= calendar::LunarMonthLength(s.lunar.year, s.lunar.month)) return s.day;
            return Accept(s, LunarDay(s.lunar.year, s.lunar.month, index + 1));
        case DayList::kHijriYear: {
            const int year = FirstHijriYear() + index;
            if (year > LastHijriYear()) return s.day;
            return Accept(s, HijriDay(year, s.hijri.month, s.hijri.day));
        }
        case DayList::kHijriMonth:
            if (index > 11) return s.day;
            return Accept(s, HijriDay(s.hijri.year, index + 1, s.hijri.day));
        case DayList::kHijriDay:
            if (index >= calendar::HijriMonthLength(s.hijri.year, s.hijri.month)) return s.day;
            return Accept(s, HijriDay(s.hijri.year, s.hijri.month, index + 1));
    }
    return s.day;
}

namespace {

struct MonthOfYear {
    int year, month;
};

// The month `delta` (-1 or 1) away in a calendar of twelve months a year.
MonthOfYear StepMonth(int year, int month, int delta) {
    month += delta;
    if (month < 1) month = 12, --year;
    if (month > 12) month = 1, ++year;
    return {year, month};
}

}  // namespace

DayNumber StepList(const DayPageState& s, DayList list, int delta) {
    DayNumber n = astro::InvalidDayNumber;
    switch (list) {
        case DayList::kSolarDay:
        case DayList::kLunarDay:
        case DayList::kHijriDay:
            n = s.day + delta;
            break;
        case DayList::kSolarMonth: {
            const MonthOfYear to = StepMonth(s.solar.year, s.solar.month, delta);
            n = SolarDay(to.year, to.month, s.solar.day);
            break;
        }
        case DayList::kHijriMonth: {
            const MonthOfYear to = StepMonth(s.hijri.year, s.hijri.month, delta);
            n = HijriDay(to.year, to.month, s.hijri.day);
            break;
        }
        case DayList::kLunarMonth: {
            int year = s.lunar.year;
            int place = PlaceOf(year, s.lunar.month) + delta;
            if (place < 1) place = calendar::LunarMonthCount(--year);
            if (place > calendar::LunarMonthCount(year)) place = 1, ++year;
            const int month = calendar::MonthAtPlace(year, place);
            if (month == 0) return s.day;
            n = LunarDay(year, month, s.lunar.day);
            break;
        }
        default:  // the year lists
            return DayForChoice(s, list, SelectedItem(s, list) + delta);
    }
    if (n == astro::InvalidDayNumber || n < FirstShownDay() || n > LastShownDay()) return s.day;
    return n;
}

}  // namespace views
