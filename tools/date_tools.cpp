#include "tools/date_tools.h"

#include <cstdlib>

#include "calendar/cycles.h"
#include "calendar/hijri.h"
#include "calendar/lunar_year.h"
#include "calendar/range.h"

namespace tools {

namespace {

// Splits "M-D-Y" into its three numbers (one or two digits for month and day, one to four for the
// year); false for anything else. The digits are counted before any is added up.
bool SplitDate(const std::string& text, int& month, int& day, int& year) {
    int parts[3] = {0, 0, 0};
    int digits[3] = {0, 0, 0};
    constexpr int kMostDigits[3] = {2, 2, 4};
    int k = 0;
    for (char c : text) {
        if (c == '-') {
            if (++k > 2) return false;
        } else if (c >= '0' && c <= '9') {
            if (++digits[k] > kMostDigits[k]) return false;
            parts[k] = parts[k] * 10 + (c - '0');
        } else {
            return false;
        }
    }
    if (k != 2 || digits[0] < 1 || digits[1] < 1 || digits[2] < 1) return false;
    month = parts[0];
    day = parts[1];
    year = parts[2];
    return true;
}

EnteredDate Refuse(const char* message) {
    EnteredDate d;
    d.message = message;
    return d;
}

bool InRange(astro::DayNumber n) { return n >= astro::MinDayNumber && n <= astro::MaxDayNumber; }

}  // namespace

namespace {

enum class EntryError { kNone, kFormat, kYearZero, kNoSuchDate };

astro::DayNumber Convert(const std::string& text, bool bc, EntryCalendar calendar, EntryError& error) {
    int month = 0;
    int day = 0;
    int year = 0;
    error = EntryError::kFormat;
    if (text.size() < 5 || text.size() > 10 || !SplitDate(text, month, day, year)) return astro::InvalidDayNumber;
    error = EntryError::kYearZero;
    if (year < 1) return astro::InvalidDayNumber;  // neither AD nor BC has a year 0
    if (bc) year = 1 - year;
    astro::DayNumber n = astro::InvalidDayNumber;
    switch (calendar) {
        case EntryCalendar::kGregorian:
            n = astro::DateToDayNumber(year, month, day);
            break;
        case EntryCalendar::kLunar:
            if (calendar::IsValidLunarDate(year, month, day)) {
                const astro::CalendarDate d = calendar::LunarToSolar(year, month, day);
                n = astro::DateToDayNumber(d.year, d.month, d.day);
            }
            break;
        case EntryCalendar::kHijri:
            n = calendar::HijriToDayNumber(year, month, day);
            break;
    }
    error = n == astro::InvalidDayNumber ? EntryError::kNoSuchDate : EntryError::kNone;
    return n;
}

}  // namespace

astro::DayNumber EnteredDateToDayNumber(const std::string& text, bool bc, EntryCalendar calendar) {
    EntryError error;
    return Convert(text, bc, calendar, error);
}

EnteredDate ParseEnteredDate(const std::string& text, bool bc, EntryCalendar calendar) {
    EntryError error;
    const astro::DayNumber n = Convert(text, bc, calendar, error);
    switch (error) {
        case EntryError::kFormat: return Refuse("日期格式不对，请按“月-日-年”输入，例如 02-10-2024");
        case EntryError::kYearZero: return Refuse("没有0年：公元前1年请勾选“纪元前”并输入1");
        case EntryError::kNoSuchDate: return Refuse("没有这个日期");
        case EntryError::kNone: break;
    }
    // By the day number: a Hijri date may lie beyond the last day that has a date at all.
    if (n < astro::DateToDayNumber(calendar::kFirstCalendarYear, 1, 1) ||
        n > astro::DateToDayNumber(calendar::kLastCalendarYear, 12, 31))
        return Refuse(kOutOfCalendar);
    EnteredDate out;
    out.day = n;
    return out;
}

std::string JulianDayResult(const EnteredDate& date) { return date.ok() ? std::to_string(date.day) : std::string(); }

std::string IntervalResult(const EnteredDate& first, const EnteredDate& second) {
    if (!first.ok() || !second.ok()) return {};
    return std::to_string(static_cast<long long>(second.day) - first.day);
}

ThreeCalendars DayInThreeCalendars(astro::DayNumber n) {
    if (!InRange(n)) return {};
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    return {astro::DayNumberToDateText(n), calendar::SolarToLunar(d.year, d.month, d.day),
            calendar::DayNumberToHijriText(d.year, d.month, d.day), ""};
}

ThreeCalendars DateAfterDays(const EnteredDate& date, const std::string& days) {
    if (!date.ok()) return {};
    const size_t sign = !days.empty() && days[0] == '-' ? 1 : 0;
    const size_t digits = days.size() - sign;
    if (digits == 0 || digits > 9 || days.find_first_not_of("0123456789", sign) != std::string::npos) {
        ThreeCalendars refused;
        refused.message = "间隔日数格式不对，请输入整数，例如 100 或 -100";
        return refused;
    }
    long long n = std::stoll(days.substr(sign));
    if (sign) n = -n;
    const long long target = date.day + n;
    if (target < astro::MinDayNumber || target > astro::MaxDayNumber) {
        ThreeCalendars refused;
        refused.message = "超出计算范围：所得日期不在可计算的日期之内";
        return refused;
    }
    return DayInThreeCalendars(static_cast<astro::DayNumber>(target));
}

std::string GanZhiResult(const EnteredDate& date, int ganzhi_mode) {
    if (!date.ok()) return {};
    const astro::CalendarDate d = astro::DayNumberToDate(date.day);
    return calendar::GanZhiText(d.year, d.month, d.day, ganzhi_mode);
}

ThreeCalendars ConvertResult(const EnteredDate& date) { return date.ok() ? DayInThreeCalendars(date.day) : ThreeCalendars{}; }

}  // namespace tools
