#include "cli/date_arg.h"

#include <cstdio>

#include "cli/arguments.h"

namespace cli {

namespace {

bool IsDigit(char c) { return c >= '0' && c <= '9'; }

// Exactly `digits` decimal digits at text[pos].
bool ReadDigits(std::string_view text, size_t& pos, size_t digits, int& value) {
    if (pos + digits > text.size()) return false;
    value = 0;
    for (size_t i = 0; i < digits; ++i) {
        const char c = text[pos + i];
        if (!IsDigit(c)) return false;
        value = value * 10 + (c - '0');
    }
    pos += digits;
    return true;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

// "-?YYYY-MM-DD".
bool ParseIso(std::string_view text, astro::CalendarDate& d) {
    size_t pos = 0;
    const bool negative = !text.empty() && text[0] == '-';
    if (negative) ++pos;
    int y = 0;
    if (!ReadDigits(text, pos, 4, y) || !Expect(text, pos, '-')) return false;
    if (!ReadDigits(text, pos, 2, d.month) || !Expect(text, pos, '-')) return false;
    if (!ReadDigits(text, pos, 2, d.day) || pos != text.size()) return false;
    d.year = negative ? -y : y;
    return true;
}

// "MM-DD-YYYY" from pos; the year as typed.
bool ParseMonthFirst(std::string_view text, size_t pos, astro::CalendarDate& d) {
    if (!ReadDigits(text, pos, 2, d.month) || !Expect(text, pos, '-')) return false;
    if (!ReadDigits(text, pos, 2, d.day) || !Expect(text, pos, '-')) return false;
    return ReadDigits(text, pos, 4, d.year) && pos == text.size();
}

bool HasEra(std::string_view text, bool& bc) {
    if (text.size() < 2) return false;
    const std::string_view era = text.substr(0, 2);
    bc = era == "BC" || era == "bc";
    return bc || era == "AD" || era == "ad";
}

// A text that has the shape of a date whose year has fewer than four digits: "24-01-01",
// "AD02-10-24", "2-10-24".
bool ShortYear(std::string_view text) {
    int groups[3] = {0, 0, 0};
    int k = 0;
    size_t pos = 0;
    bool era = false;
    if (HasEra(text, era)) pos = 2;
    else if (!text.empty() && text[0] == '-') pos = 1;
    for (; pos < text.size(); ++pos) {
        if (text[pos] == '-') {
            if (++k > 2) return false;
        } else if (IsDigit(text[pos])) {
            ++groups[k];
        } else {
            return false;
        }
    }
    if (k != 2 || groups[0] == 0 || groups[1] == 0 || groups[2] == 0) return false;
    return (era || groups[0] <= 2) ? groups[2] < 4 : groups[0] < 4;
}

}  // namespace

const char* MonthName(int month) {
    static const char* const kNames[] = {"January", "February", "March",     "April",   "May",      "June",
                                         "July",    "August",   "September", "October", "November", "December"};
    return month >= 1 && month <= 12 ? kNames[month - 1] : "?";
}

std::string YearText(long long year) {
    if (year > 0) return std::to_string(year);
    return std::to_string(year) + " (" + std::to_string(1 - year) + " BC)";
}

std::string IsoDate(int year, int month, int day) {
    char out[32];
    std::snprintf(out, sizeof out, "%s%04d-%02d-%02d", year < 0 ? "-" : "", year < 0 ? -year : year, month, day);
    return out;
}

bool ParseDateFields(std::string_view text, astro::CalendarDate& date, std::string& error, bool month_first,
                     DateForm* form) {
    astro::CalendarDate d;
    DateForm f = DateForm::kIso;
    bool bc = false;
    bool ok = false;
    if (HasEra(text, bc)) {
        f = DateForm::kEra;
        if (ParseMonthFirst(text, 2, d)) {
            if (d.year == 0) {
                error = Quoted(std::string(text)) + " has the year 0: AD and BC count from 1 (BC01-01-0001 is 0000-01-01)";
                return false;
            }
            d.year = bc ? 1 - d.year : d.year;  // 1 BC is the astronomical year 0
            ok = true;
        }
    } else if (ParseIso(text, d)) {
        ok = true;
    } else if (month_first && ParseMonthFirst(text, 0, d)) {
        f = DateForm::kMonthFirst;
        ok = true;
        if (d.year == 0) {
            error = Quoted(std::string(text)) + " has the year 0: MM-DD-YYYY counts from 1 (with --bc: 1 BC)";
            return false;
        }
    }
    if (!ok) {
        error = Quoted(std::string(text)) + " is not a date";
        if (ShortYear(text)) error += ": a year is written with four digits (0024 for the year 24)";
        return false;
    }
    date = d;
    if (form) *form = f;
    return true;
}

std::string WhyNoSuchDate(const astro::CalendarDate& d) {
    if (d.year < astro::MinYear || d.year > astro::MaxYear)
        return "the year " + YearText(d.year) + " is outside the day numbers' years -9998..9999";
    if (d.month < 1 || d.month > 12) return "there is no month " + std::to_string(d.month);
    if (d.day < 1) return "there is no day " + std::to_string(d.day);
    if (astro::IsValidDate(d.year, d.month, d.day)) return {};
    if (d.year == 1582 && d.month == 10 && d.day >= 5 && d.day <= 14)
        return "1582-10-05..1582-10-14 do not exist: the Gregorian reform went from 10-04 to 10-15";
    int days = 31;
    while (days > 28 && !astro::IsValidDate(d.year, d.month, days)) --days;
    return "the day does not exist: " + std::string(MonthName(d.month)) + " " + YearText(d.year) + " has " +
           std::to_string(days) + " days";
}

bool ParseDateArg(std::string_view text, astro::CalendarDate& date, std::string& error) {
    astro::CalendarDate d;
    if (!ParseDateFields(text, d, error)) return false;
    const std::string why = WhyNoSuchDate(d);
    if (!why.empty()) {
        error = Quoted(std::string(text)) + ": " + why;
        return false;
    }
    date = d;
    return true;
}

}  // namespace cli
