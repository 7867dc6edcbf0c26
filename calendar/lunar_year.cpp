#include "calendar/lunar_year.h"

#include <cmath>
#include <cstdio>
#include <vector>

#include "calendar/ancient_rules.h"
#include "calendar/memo.h"
#include "calendar/range.h"

namespace calendar {

namespace {

struct YearAnalysis {
    int type = 0;
    DayNumber new_year = 0;
};

// The layout of a year from new moons and principal terms.
//
// The winter solstice always falls in the eleventh month (冬月). Between two eleventh months lie
// twelve or thirteen lunations; with thirteen, one month has no principal term, and the first such
// month is the leap month. 正月 is the third month after the eleventh.
YearAnalysis AstronomicalYear(int year, Rule rule) {
    const DayNumber j1 = astro::DateToDayNumber(year, 1, 1);
    const DayNumber w0 = SolarTermDay(j1 - 180, 24, rule);  // 冬至 of December of the year before
    const DayNumber w1 = SolarTermDay(w0 + 300, 24, rule);
    const DayNumber w2 = SolarTermDay(w1 + 300, 24, rule);
    const DayNumber m0 = LastNewMoonDay(w0, rule);  // first days of the months 11 holding them
    const DayNumber m1 = LastNewMoonDay(w1, rule);
    const DayNumber m2 = LastNewMoonDay(w2, rule);
    // Whether the two months from day a1 on each hold a principal term (then neither is a leap month).
    const auto both_hold_one = [rule](DayNumber a1, DayNumber a2, DayNumber a3) {
        return HasPrincipalTerm(a1, a2 - 1, rule) == 1 && HasPrincipalTerm(a2, a3 - 1, rule) == 1;
    };
    YearAnalysis out;
    if (m1 - m0 < 360) {
        out.new_year = NewMoonDay(m0 + 50, rule);
        if (m2 - m1 >= 360) {
            // Thirteen months up to the next 冬月: is the leap month before or after this year's end?
            const DayNumber a1 = NewMoonDay(m1 + 20, rule);
            const DayNumber a2 = NewMoonDay(a1 + 20, rule);
            const DayNumber a3 = NewMoonDay(a2 + 20, rule);
            out.type = both_hold_one(a1, a2, a3) ? 0 : 2;
        }
    } else {
        const DayNumber a1 = NewMoonDay(m0 + 20, rule);
        const DayNumber a2 = NewMoonDay(a1 + 20, rule);
        const DayNumber a3 = NewMoonDay(a2 + 20, rule);
        if (both_hold_one(a1, a2, a3)) {
            out.type = 1;
            out.new_year = a2;
        } else {
            out.new_year = a3;  // the month at a1 or a2 was the leap month of the year before
        }
    }
    return out;
}

// The historical calendars fixed leap years by their cycle: M lunations in N years, so that the
// years whose share of the cycle runs over carry a thirteenth month.
YearAnalysis HistoricalYear(const AncientRule& r, int year) {
    const double x = r.m * (year - r.e);
    YearAnalysis out;
    out.type = std::floor(std::fmod(x, r.n)) >= r.n - std::fmod(r.m, r.n) ? 1 : 0;
    const double k = std::floor(x / r.n);
    out.new_year = static_cast<DayNumber>(std::floor(r.a + k * r.l));
    return out;
}

YearAnalysis AnalyseYear(int year, Rule rule) {
    if (rule == Rule::kHistorical) {
        if (const AncientRule* ancient = AncientRuleForYear(year)) return HistoricalYear(*ancient, year);
    }
    return AstronomicalYear(year, rule);
}

char SizeChar(DayNumber first, DayNumber next) { return next - first == 30 ? '1' : '0'; }

std::string BuildRecord(int year, Rule rule) {
    const YearAnalysis y = AnalyseYear(year, rule);
    std::string record(17, '0');
    const astro::CalendarDate nd = astro::DayNumberToDate(y.new_year);
    char field[8];
    std::snprintf(field, sizeof field, "%d%02d", nd.month % 10, nd.day);
    record.replace(14, 3, field, 3);

    DayNumber s[15];  // s[1] .. s[14]: the starts of fourteen consecutive months
    s[1] = y.new_year;
    for (int k = 2; k <= 14; ++k) s[k] = NewMoonDay(s[k - 1] + 20, rule);

    if (y.type == 2) {
        for (int k = 1; k <= 11; ++k) record[k - 1] = SizeChar(s[k], s[k + 1]);
        if (HasPrincipalTerm(s[12], s[13] - 1, rule) == 1) {
            record[11] = SizeChar(s[12], s[13]);
            record[12] = 'C';
            record[13] = SizeChar(s[13], s[14]);
        } else {
            record[12] = 'B';
            record[13] = SizeChar(s[12], s[13]);
            record[11] = SizeChar(s[13], s[14]);
        }
    } else if (y.type == 1) {
        int next = 0;  // the next month-size character to write
        bool leap_found = false;
        for (int k = 1; k <= 13; ++k) {
            // The first month of the year is 正月 itself and cannot be a leap month.
            if (!leap_found && k > 1 && HasPrincipalTerm(s[k], s[k + 1] - 1, rule) == 0) {
                leap_found = true;
                record[12] = "0123456789ABC"[k - 1];
                record[13] = SizeChar(s[k], s[k + 1]);
            } else if (next < 12) {
                record[next++] = SizeChar(s[k], s[k + 1]);
            }
        }
    } else {
        for (int k = 1; k <= 12; ++k) record[k - 1] = SizeChar(s[k], s[k + 1]);
    }
    return record;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') return c - '0';
    if (c >= 'A' && c <= 'F') return c - 'A' + 10;
    return 0;
}

struct RecordView {
    std::string record;
    bool ok() const { return record.size() == 17; }
    int size(int m) const { return record[m - 1] == '1' ? 30 : 29; }
    int leap() const { return HexDigit(record[12]); }
    int leap_size() const { return record[13] == '1' ? 30 : 29; }
    int festival() const { return (record[14] - '0') * 100 + (record[15] - '0') * 10 + (record[16] - '0'); }
};

// Walks the months of a year in order, the leap month after its base month: calls f(month,
// length) until it returns true; returns whether it did.
template <typename F>
bool WalkMonths(const RecordView& r, F f) {
    const int leap = r.leap();
    for (int m = 1; m <= 12; ++m) {
        if (f(m, r.size(m))) return true;
        if (m == leap && f(m + 12, r.leap_size())) return true;
    }
    return false;
}

}  // namespace

void SetModernCalculateAncientFlag(bool on) { detail::SetRule(on ? Rule::kModern : Rule::kHistorical); }

int YearType(int year) { return AnalyseYear(year, CurrentRule()).type; }
DayNumber NewYearDay(int year) { return AnalyseYear(year, CurrentRule()).new_year; }

std::string LunarYearRecord(int year, Rule rule) {
    if (year < kFirstRecordYear || year > kLastRecordYear) return {};
    std::string record = detail::TheMemo().Record(rule, year);
    if (record.empty()) {
        record = BuildRecord(year, rule);
        detail::TheMemo().KeepRecord(rule, year, record);
    }
    return record;
}

int LunarMonthLength(int year, int month) {
    const RecordView r{LunarYearRecord(year)};
    if (!r.ok()) return 0;
    if (month >= 1 && month <= 12) return r.size(month);
    if (month >= 13 && month <= 24 && r.leap() == month - 12) return r.leap_size();
    return 0;
}

int IsValidLunarDate(int year, int month, int day) {
    const int length = LunarMonthLength(year, month);
    return length > 0 && day >= 1 && day <= length ? 1 : 0;
}

int LeapMonth(int year) {
    const RecordView r{LunarYearRecord(year)};
    return r.ok() ? r.leap() : 0;
}

int LunarMonthCount(int year) {
    const RecordView r{LunarYearRecord(year)};
    if (!r.ok()) return 0;
    return r.record[12] != '0' ? 13 : 12;
}

int MonthAtPlace(int year, int place) {
    const RecordView r{LunarYearRecord(year)};
    if (!r.ok() || place < 1) return 0;
    int found = 0;
    int k = 0;
    WalkMonths(r, [&](int month, int) {
        if (++k == place) found = month;
        return found != 0;
    });
    return found;
}

int LunarDayOrdinal(int year, int month, int day) {
    if (!IsValidLunarDate(year, month, day)) return 0;
    const RecordView r{LunarYearRecord(year)};
    int before = 0;
    WalkMonths(r, [&](int m, int length) {
        if (m == month) return true;
        before += length;
        return false;
    });
    return before + day;
}

int SpringFestivalField(int year) {
    const RecordView r{LunarYearRecord(year)};
    return r.ok() ? r.festival() : 0;
}

LunarDate SolarToLunarDate(int year, int month, int day) {
    if (!IsCalendarDate(year, month, day)) return {};
    const DayNumber n = astro::DateToDayNumber(year, month, day);
    int lunar_year = year;
    RecordView r{LunarYearRecord(year)};
    if (!r.ok()) return {};
    if (100 * month + day < r.festival()) {
        lunar_year = year - 1;
        r = RecordView{LunarYearRecord(lunar_year)};
        if (!r.ok()) return {};
    }
    const int f = r.festival();
    int remaining = n - astro::DateToDayNumber(lunar_year, f / 100, f % 100) + 1;
    LunarDate out;
    WalkMonths(r, [&](int m, int length) {
        if (remaining <= length) {
            out = {lunar_year, m, remaining};
            return true;
        }
        remaining -= length;
        return false;
    });
    return out;  // month 0 when the day lies beyond the months of the record
}

std::string LunarDateText(const LunarDate& d) {
    if (d.month < 1) return {};
    return astro::FormatDateText(d.year, d.month, d.day);
}

std::string SolarToLunar(int year, int month, int day) { return LunarDateText(SolarToLunarDate(year, month, day)); }

astro::CalendarDate LunarToSolar(int year, int month, int day) {
    const int ordinal = LunarDayOrdinal(year, month, day);
    if (ordinal == 0) return {};
    const int f = SpringFestivalField(year);
    const DayNumber first = astro::DateToDayNumber(year, f / 100, f % 100);
    if (first == astro::InvalidDayNumber) return {};
    return astro::DayNumberToDate(first + ordinal - 1);
}

}  // namespace calendar
