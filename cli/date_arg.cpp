#include "cli/date_arg.h"

namespace cli {

namespace {

// Reads 1..max_digits decimal digits at text[pos]; false if there are none or too many.
bool ReadNumber(std::string_view text, size_t& pos, size_t max_digits, int& value) {
    size_t n = 0;
    value = 0;
    while (pos < text.size() && text[pos] >= '0' && text[pos] <= '9') {
        if (++n > max_digits) return false;
        value = value * 10 + (text[pos] - '0');
        ++pos;
    }
    return n > 0;
}

bool Expect(std::string_view text, size_t& pos, char c) {
    if (pos >= text.size() || text[pos] != c) return false;
    ++pos;
    return true;
}

bool ParseIso(std::string_view text, astro::CalendarDate& d) {
    size_t pos = 0;
    bool negative = false;
    if (pos < text.size() && (text[pos] == '-' || text[pos] == '+')) negative = text[pos++] == '-';
    int y = 0;
    if (!ReadNumber(text, pos, 4, y) || !Expect(text, pos, '-')) return false;
    if (!ReadNumber(text, pos, 2, d.month) || !Expect(text, pos, '-')) return false;
    if (!ReadNumber(text, pos, 2, d.day) || pos != text.size()) return false;
    d.year = negative ? -y : y;
    return true;
}

bool ParseDateText(std::string_view text, astro::CalendarDate& d) {
    if (text.size() < 2) return false;
    const std::string_view era = text.substr(0, 2);
    const bool ad = era == "AD" || era == "ad";
    const bool bc = era == "BC" || era == "bc";
    if (!ad && !bc) return false;
    size_t pos = 2;
    int y = 0;
    if (!ReadNumber(text, pos, 2, d.month) || !Expect(text, pos, '-')) return false;
    if (!ReadNumber(text, pos, 2, d.day) || !Expect(text, pos, '-')) return false;
    if (!ReadNumber(text, pos, 4, y) || pos != text.size()) return false;
    if (y < 1) return false;        // neither AD nor BC has a year 0
    d.year = ad ? y : 1 - y;        // BC 1 is the astronomical year 0
    return true;
}

}  // namespace

bool ParseDateFields(std::string_view text, astro::CalendarDate& date, std::string& error) {
    astro::CalendarDate d;
    if (!ParseIso(text, d) && !ParseDateText(text, d)) {
        error = "not a date: expected YYYY-MM-DD (astronomical year, e.g. -0103-05-01) or ADMM-DD-YYYY / BCMM-DD-YYYY";
        return false;
    }
    date = d;
    return true;
}

bool ParseDateArg(std::string_view text, astro::CalendarDate& date, std::string& error) {
    astro::CalendarDate d;
    if (!ParseDateFields(text, d, error)) return false;
    if (!astro::IsValidDate(d.year, d.month, d.day)) {
        error = "no such date in the calendar (years -9998..9999; 1582-10-05..14 were skipped by the reform)";
        return false;
    }
    date = d;
    return true;
}

}  // namespace cli
