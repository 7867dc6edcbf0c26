#include "astro/day_numbers.h"

#include <cmath>
#include <cstdio>
#include <cstdlib>

namespace astro {

namespace {

// Several constants of the date conversions are the single-precision values of the decimal
// constants that the algorithms publish (30.6, 30.6001, 122.1, 0.98). Held in single precision
// they are a hair off, and that hair decides the day at a few boundaries, so they stay so.
constexpr double kThirtyPointSixSingle = static_cast<double>(30.6f);      // 30.600000381469727
constexpr double kThirtyPointSix001Single = static_cast<double>(30.6001f);  // 30.600099563598633
constexpr double kOneTwentyTwoSingle = static_cast<double>(122.1f);      // 122.09999847412109
constexpr double kPointNineEightSingle = static_cast<double>(0.98f);     // 0.98000001907348633

// Gregorian reform day: 1582-10-15 is the first Gregorian day.
constexpr DayNumber kFirstGregorianDay = 2299161;

inline long long Floor(double x) { return static_cast<long long>(std::floor(x)); }

int DaysInMonth(int year, int month) {
    switch (month) {
        case 1: case 3: case 5: case 7: case 8: case 10: case 12: return 31;
        case 4: case 6: case 9: case 11: return 30;
        case 2: return IsLeapYear(year) ? 29 : 28;
        default: return 0;
    }
}

}  // namespace

int IsLeapYear(int year) {
    if (year > 1582) {
        if (year % 100 == 0) return year % 400 == 0 ? 1 : 0;
        return year % 4 == 0 ? 1 : 0;
    }
    return year % 4 == 0 ? 1 : 0;  // Julian rule; remainders keep the dividend's sign, -4 % 4 == 0
}

int DaysInYear(int year) {
    if (year == 1582) return 355;  // the ten days of October dropped by the reform
    return IsLeapYear(year) ? 366 : 365;
}

int IsValidDate(int year, int month, int day) {
    if (year < MinYear || year > MaxYear) return 0;
    if (month < 1 || month > 12) return 0;
    if (year == 1582 && month == 10) return (day >= 1 && day <= 4) || (day >= 15 && day <= 31) ? 1 : 0;
    return day >= 1 && day <= DaysInMonth(year, month) ? 1 : 0;
}

int DayOfYear(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) return 0;
    const int k = IsLeapYear(year) ? 1 : 2;
    int n = (275 * month) / 9 - k * ((month + 9) / 12) + day - 30;
    if (year == 1582 && 31 * month + day > 314) n -= 10;
    return n;
}

std::string DateFromDayOfYear(int year, int ordinal) {
    if (year < MinYear || year > MaxYear) return {};
    if (ordinal < 1 || ordinal > DaysInYear(year)) return {};
    int n = ordinal;
    if (year == 1582 && n >= 278) n += 10;
    const int k = IsLeapYear(year) ? 1 : 2;
    int month = static_cast<int>(Floor(9.0 * (k + n) / 275.0 + kPointNineEightSingle));
    if (n < 32) month = 1;
    const int day = n - (275 * month) / 9 + k * ((month + 9) / 12) + 30;
    if (!IsValidDate(year, month, day)) return {};
    return FormatDateText(year, month, day);
}

DayNumber DateToDayNumber(int year, int month, int day) {
    if (!IsValidDate(year, month, day)) return InvalidDayNumber;
    if (year < -4712) {
        // Before the epoch of the day count the Julian leap years are counted back directly.
        const int t = year + 4712;
        return 365 * t - std::abs(t) / 4 + DayOfYear(year, month, day) - 1;
    }
    int y = year;
    int m = month;
    if (m <= 2) {
        y -= 1;
        m += 12;
    }
    long long b = 0;
    if (372LL * y + 31LL * m + day >= 588829) {  // 1582-10-15 or later
        const long long a = Floor(y / 100.0);
        b = 2 - a + Floor(a / 4.0);
    }
    return static_cast<DayNumber>(Floor(365.2500001 * (y + 4716)) + b + Floor(kThirtyPointSixSingle * (m + 1)) +
                                  day - 1524);
}

CalendarDate DayNumberToDate(DayNumber z) {
    if (z < MinDayNumber || z > MaxDayNumber) return {};
    long long a = z;
    if (z >= kFirstGregorianDay) {
        const long long alpha = Floor((z - 1867216.25) / 36524.25);
        a = z + 1 + alpha - Floor(alpha / 4.0);
    }
    const long long b = a + 1524;
    const long long c = Floor((b - kOneTwentyTwoSingle) / 365.25);
    const long long d = Floor(365.25 * c);
    const long long e = Floor((b - d) / kThirtyPointSix001Single);
    CalendarDate out;
    out.day = static_cast<int>(b - d - Floor(kThirtyPointSix001Single * e));
    out.month = static_cast<int>(e > 13 ? e - 13 : e - 1);
    out.year = static_cast<int>(out.month <= 2 ? c - 4715 : c - 4716);
    return out;
}

std::string FormatDateText(int year, int month, int day) {
    char buf[32];
    if (year >= 1)
        std::snprintf(buf, sizeof buf, "AD%02d-%02d-%04d", month, day, year);
    else
        std::snprintf(buf, sizeof buf, "BC%02d-%02d-%04d", month, day, 1 - year);
    return buf;
}

std::string DayNumberToDateText(DayNumber z) {
    if (z < MinDayNumber || z > MaxDayNumber) return {};
    const CalendarDate d = DayNumberToDate(z);
    return FormatDateText(d.year, d.month, d.day);
}

double DayFraction(double x) {
    const double f = x - std::floor(x);
    return f < 1.0 ? f : std::nextafter(1.0, 0.0);
}

std::string JulianDayToDateTimeText(double x) {
    if (!(x >= MinDayNumber) || !(x < MaxDayNumber + 1.0)) return {};  // also refuses NaN
    const DayNumber z = static_cast<DayNumber>(std::floor(x));
    const double f = DayFraction(x);
    const double hours = 24.0 * f;
    const int h = static_cast<int>(std::floor(hours));
    const double minutes = (hours - h) * 60.0;
    const int m = static_cast<int>(std::floor(minutes));
    const int s = static_cast<int>(std::floor((minutes - m) * 60.0));
    char buf[16];
    std::snprintf(buf, sizeof buf, " %02d:%02d:%02d", h, m, s);
    return DayNumberToDateText(z) + buf;
}

int Weekday(DayNumber z) {
    const int r = static_cast<int>((static_cast<long long>(z) + 1) % 7);
    return r < 0 ? r + 7 : r;
}

int NthWeekdayOfMonth(int year, int month, int n, int weekday) {
    if (!IsValidDate(year, month, 1) || n < 1 || weekday < 0 || weekday > 6) return 0;
    if (n > 5) return 0;  // no month has a sixth occurrence; also keeps 7(n - 1) from overflowing
    const int first = Weekday(DateToDayNumber(year, month, 1));
    int d = weekday - first;
    if (d < 0) d += 7;
    d = d + 7 * (n - 1) + 1;
    if (year == 1582 && month == 10 && d > 4) d += 10;  // the weekdays run on across the reform gap
    return IsValidDate(year, month, d) ? d : 0;
}

double LocalTimeToDayFraction(int hour, int minute, double second) {
    return (hour - CalcTimeZone) / 24.0 + minute / 1440.0 + second / 86400.0;
}

double DeltaTSeconds(JulianDay jd_ut) {
    // Espenak and Meeus (2006), era by era; each era is closed below and open above.
    const double y = (jd_ut - 2451545.0) / 365.25 + 2000.0;
    if (y < -500.0) {
        const double u = (y - 1820.0) / 100.0;
        return -20.0 + DeltaTExtrapolation * u * u;
    }
    if (y < 500.0) {
        const double u = y / 100.0;
        return 10583.6 + u * (-1014.41 + u * (33.78311 + u * (-5.952053 + u * (-0.1798452 + u * (0.022174192 +
                                                                                          u * 0.0090316521)))));
    }
    if (y < 1600.0) {
        const double u = (y - 1000.0) / 100.0;
        return 1574.2 + u * (-556.01 + u * (71.23472 + u * (0.319781 + u * (-0.8503463 + u * (-0.005050998 +
                                                                                        u * 0.0083572073)))));
    }
    if (y < 1700.0) {
        const double t = y - 1600.0;
        return 120.0 - 0.98 * t - 0.0153 * t * t + t * t * t / 7129.0;
    }
    if (y < 1800.0) {
        const double t = y - 1700.0;
        return 8.83 + 0.1603 * t - 0.0059285 * t * t + 0.00013336 * t * t * t - t * t * t * t / 1174000.0;
    }
    if (y < 1860.0) {
        const double t = y - 1800.0;
        return 13.72 + t * (-0.332447 + t * (0.0068612 + t * (0.0041116 + t * (-0.00037436 + t * (0.0000121272 +
                                                                                         t * (-0.0000001699 +
                                                                                              t * 0.000000000875))))));
    }
    if (y < 1900.0) {
        const double t = y - 1860.0;
        return 7.62 + 0.5737 * t - 0.251754 * t * t + 0.01680668 * t * t * t - 0.0004473624 * t * t * t * t +
               t * t * t * t * t / 233174.0;
    }
    if (y < 1920.0) {
        const double t = y - 1900.0;
        return -2.79 + 1.494119 * t - 0.0598939 * t * t + 0.0061966 * t * t * t - 0.000197 * t * t * t * t;
    }
    if (y < 1941.0) {
        const double t = y - 1920.0;
        return 21.20 + 0.84493 * t - 0.0761 * t * t + 0.0020936 * t * t * t;
    }
    if (y < 1961.0) {
        const double t = y - 1950.0;
        return 29.07 + 0.407 * t - t * t / 233.0 + t * t * t / 2547.0;
    }
    if (y < 1986.0) {
        const double t = y - 1975.0;
        return 45.45 + 1.067 * t - t * t / 260.0 - t * t * t / 718.0;
    }
    if (y < 2005.0) {
        const double t = y - 2000.0;
        return 63.86 + 0.3345 * t - 0.060374 * t * t + 0.0017275 * t * t * t + 0.000651814 * t * t * t * t +
               0.00002373599 * t * t * t * t * t;
    }
    if (y < 2050.0) {
        const double t = y - 2000.0;
        return 62.92 + 0.32217 * t + 0.005589 * t * t;
    }
    const double u = (y - 1820.0) / 100.0;
    if (y < 2150.0) return -20.0 + DeltaTExtrapolation * u * u - 0.5628 * (2150.0 - y);
    return -20.0 + DeltaTExtrapolation * u * u;
}

JulianDay UniversalToDynamical(JulianDay jd_ut) { return jd_ut + DeltaTSeconds(jd_ut) / 86400.0; }

double WrapToRange(double x, int centre, int half) {
    const double width = 2.0 * half;
    double v = x - centre;
    v -= width * std::floor(v / width);
    if (v < -half)
        v += width;
    else if (v >= half)
        v -= width;
    const double r = v + centre;
    // v just below +half can round up to the upper end when the centre is added back; that end
    // belongs to the lower one (an angle a hair below 360 degrees is 0, never 360).
    return r < centre + half ? r : centre - half;
}

double NormalizeRadians(double angle) {
    return DegreesToRadians * WrapToRange(angle / DegreesToRadians, 180, 180);
}

}  // namespace astro
