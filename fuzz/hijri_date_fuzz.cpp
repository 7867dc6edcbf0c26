// Fuzz target: the Hijri conversions must hold together for any triple of integers. A valid Hijri
// date converts to a day number and back to itself; every date text is empty or exactly 12 bytes and
// reads back to the date it names; an invalid input gives the in-band answers and nothing else.
//
// Input: up to three little-endian 32-bit integers (year, month, day), missing bytes taken as 0.
// Each triple is checked as given, and folded into the calendar's ranges, where raw random values
// would seldom land.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "astro/day_numbers.h"
#include "calendar/hijri.h"

namespace {

void Check(bool ok) {
    if (!ok) std::abort();
}

// The date named by a 12-byte date text "ADMM-DD-YYYY" / "BCMM-DD-YYYY"; aborts on any other form.
astro::CalendarDate ReadDateText(const std::string& text) {
    Check(text.size() == 12);
    Check(text.compare(0, 2, "AD") == 0 || text.compare(0, 2, "BC") == 0);
    Check(text[4] == '-' && text[7] == '-');
    int digits[12] = {};
    for (int i : {2, 3, 5, 6, 8, 9, 10, 11}) {
        Check(text[i] >= '0' && text[i] <= '9');
        digits[i] = text[i] - '0';
    }
    const int year = digits[8] * 1000 + digits[9] * 100 + digits[10] * 10 + digits[11];
    astro::CalendarDate d;
    d.month = digits[2] * 10 + digits[3];
    d.day = digits[5] * 10 + digits[6];
    d.year = text[0] == 'A' ? year : 1 - year;
    return d;
}

bool InHijriRange(long long z) { return z >= calendar::HijriMinDayNumber && z <= calendar::HijriMaxDayNumber; }

// (year, month, day) read as a Hijri date.
void CheckHijriDate(int year, int month, int day) {
    const int valid = calendar::HijriDateValid(year, month, day);
    Check(valid == 0 || valid == 1);
    const int length = calendar::HijriMonthLength(year, month);
    Check(length == 0 || length == 29 || length == 30);
    const calendar::HijriDate h{year, month, day};
    const astro::DayNumber z = calendar::HijriToDayNumber(year, month, day);
    const std::string text = calendar::HijriDateText(h);
    const std::string calendar_text = calendar::HijriToDateText(year, month, day);
    if (!valid) {
        Check(z == astro::InvalidDayNumber);
        Check(text.empty() && calendar_text.empty());
        return;
    }
    Check(length >= day);
    Check(z != astro::InvalidDayNumber && z >= calendar::HijriMinDayNumber);
    const astro::CalendarDate named = ReadDateText(text);
    Check(named.year == year && named.month == month && named.day == day);
    if (!InHijriRange(z)) {
        Check(calendar_text.empty());
        Check(calendar::DayNumberToHijri(z) == calendar::HijriDate{});
        return;
    }
    Check(calendar::DayNumberToHijri(z) == h);
    Check(calendar_text == astro::DayNumberToDateText(z));
    const astro::CalendarDate c = ReadDateText(calendar_text);
    Check(astro::DateToDayNumber(c.year, c.month, c.day) == z);
    Check(calendar::DayNumberToHijriText(c.year, c.month, c.day) == text);
}

// (year, month, day) read as a calendar date.
void CheckCalendarDate(int year, int month, int day) {
    const std::string text = calendar::DayNumberToHijriText(year, month, day);
    const astro::DayNumber z = astro::DateToDayNumber(year, month, day);
    if (z == astro::InvalidDayNumber || !InHijriRange(z)) {
        Check(text.empty());
        return;
    }
    const astro::CalendarDate named = ReadDateText(text);
    Check(calendar::HijriDateValid(named.year, named.month, named.day) == 1);
    Check(calendar::HijriToDayNumber(named.year, named.month, named.day) == z);
    Check(calendar::HijriToDateText(named.year, named.month, named.day) == astro::FormatDateText(year, month, day));
}

// n read as a day number.
void CheckDayNumber(int n) {
    const calendar::HijriDate h = calendar::DayNumberToHijri(n);
    if (!InHijriRange(n)) {
        Check(h == calendar::HijriDate{});
        return;
    }
    Check(calendar::HijriDateValid(h.year, h.month, h.day) == 1);
    Check(calendar::HijriToDayNumber(h.year, h.month, h.day) == n);
    // The day before is the previous Hijri day.
    if (n > calendar::HijriMinDayNumber) {
        const calendar::HijriDate p = calendar::DayNumberToHijri(n - 1);
        if (h.day > 1)
            Check(p.year == h.year && p.month == h.month && p.day == h.day - 1);
        else if (h.month > 1)
            Check(p.year == h.year && p.month == h.month - 1 && p.day == calendar::HijriMonthLength(p.year, p.month));
        else
            Check(p.year == h.year - 1 && p.month == 12 && p.day == calendar::HijriMonthLength(p.year, 12));
    }
}

void CheckYear(int year) {
    const std::string text = calendar::HijriYearText(year);
    const bool in_range = year >= calendar::HijriMinYear && year <= calendar::HijriMaxYear;
    Check(in_range ? text.size() == 10 : text.empty());
    const int leap = calendar::HijriLeapYear(year);
    Check(leap == 0 || leap == 1);
    Check(calendar::HijriMonthLength(year, 12) == 29 + leap);
}

int Fold(int value, int low, int high) {
    const long long width = static_cast<long long>(high) - low + 1;
    long long r = static_cast<long long>(value) % width;
    if (r < 0) r += width;
    return static_cast<int>(low + r);
}

void CheckTriple(int a, int b, int c) {
    CheckHijriDate(a, b, c);
    CheckCalendarDate(a, b, c);
    CheckDayNumber(a);
    CheckYear(a);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::uint8_t bytes[12] = {};
    std::memcpy(bytes, data, size < sizeof bytes ? size : sizeof bytes);
    std::int32_t v[3];
    for (int i = 0; i < 3; ++i) {
        const std::uint32_t u = static_cast<std::uint32_t>(bytes[4 * i]) | static_cast<std::uint32_t>(bytes[4 * i + 1]) << 8 |
                                static_cast<std::uint32_t>(bytes[4 * i + 2]) << 16 |
                                static_cast<std::uint32_t>(bytes[4 * i + 3]) << 24;
        std::memcpy(&v[i], &u, sizeof u);
    }
    CheckTriple(v[0], v[1], v[2]);
    // The same bits folded just around the accepted ranges, so the edges are met as well.
    CheckTriple(Fold(v[0], -10000, 10001), Fold(v[1], -1, 14), Fold(v[2], -1, 32));
    CheckDayNumber(Fold(v[0], calendar::HijriMinDayNumber - 2, calendar::HijriMaxDayNumber + 2));
    return 0;
}
