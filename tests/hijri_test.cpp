#include "calendar/hijri.h"

#include <gtest/gtest.h>

#include <climits>
#include <string>

#include "astro/day_numbers.h"

namespace {

using calendar::HijriDate;

// ---------------------------------------------------------------------------------------------
// An independent arithmetic Islamic calendar: the functions fixed-from-islamic and
// islamic-from-fixed of Reingold and Dershowitz, "Calendrical Calculations", with the same leap
// years ((14 + 11y) mod 30 < 11) and the same epoch. They count "fixed" days (R.D. 1 = Gregorian
// 0001-01-01, midnight); the Julian day number of the noon of fixed day f is f + 1721425.

constexpr long long kIslamicEpochFixed = 227015;  // fixed-from-julian(622-07-16)
constexpr long long kFixedToDayNumber = 1721425;

long long Floor(long long a, long long b) {
    long long q = a / b;
    if (a % b != 0 && (a < 0) != (b < 0)) --q;
    return q;
}

long long FixedFromIslamic(long long year, long long month, long long day) {
    return kIslamicEpochFixed - 1 + (year - 1) * 354 + Floor(3 + 11 * year, 30) + 29 * (month - 1) + Floor(month, 2) +
           day;
}

HijriDate IslamicFromFixed(long long date) {
    const long long year = Floor(30 * (date - kIslamicEpochFixed) + 10646, 10631);
    const long long prior_days = date - FixedFromIslamic(year, 1, 1);
    const long long month = Floor(11 * prior_days + 330, 325);
    const long long day = date - FixedFromIslamic(year, month, 1) + 1;
    return {static_cast<int>(year), static_cast<int>(month), static_cast<int>(day)};
}

long long IndependentDayNumber(int year, int month, int day) {
    return FixedFromIslamic(year, month, day) + kFixedToDayNumber;
}

HijriDate IndependentHijri(long long day_number) { return IslamicFromFixed(day_number - kFixedToDayNumber); }

bool IndependentLeap(long long year) { return ((14 + 11 * year) % 30 + 30) % 30 < 11; }

// The next Hijri day by the plain rules: odd months 30 days, even 29, month 12 of a leap year 30.
HijriDate NextHijriDay(HijriDate d) {
    const int length = d.month % 2 == 1 ? 30 : (d.month == 12 && IndependentLeap(d.year) ? 30 : 29);
    if (d.day < length) return {d.year, d.month, d.day + 1};
    if (d.month < 12) return {d.year, d.month + 1, 1};
    return {d.year + 1, 1, 1};
}

std::string Show(const HijriDate& d) {
    return std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
}

// Reads a date text "ADMM-DD-YYYY" / "BCMM-DD-YYYY" back into a date, by position; {0,0,0} if the
// text is not of that form.
HijriDate ParseDateText(const std::string& text) {
    if (text.size() != 12 || text[4] != '-' || text[7] != '-') return {};
    const bool ad = text.compare(0, 2, "AD") == 0;
    if (!ad && text.compare(0, 2, "BC") != 0) return {};
    for (int i : {2, 3, 5, 6, 8, 9, 10, 11})
        if (text[i] < '0' || text[i] > '9') return {};
    const int month = std::stoi(text.substr(2, 2));
    const int day = std::stoi(text.substr(5, 2));
    const int year = std::stoi(text.substr(8, 4));
    return {ad ? year : 1 - year, month, day};
}

// ---------------------------------------------------------------------------------------------

TEST(HijriLeapYears, ElevenLeapYearsInEveryThirtyAtTheCyclePlaces) {
    const int expected_places[] = {2, 5, 7, 10, 13, 16, 18, 21, 24, 26, 29};
    for (int place = 0; place < 30; ++place) {
        bool leap = false;
        for (int p : expected_places) leap = leap || p == place;
        // The place in the cycle decides, also for years up to 0: -1 is at place 29, -28 at place 2.
        for (int year : {place, place + 30, place + 1440, place - 30, place - 300, place - 9990})
            EXPECT_EQ(calendar::HijriLeapYear(year), leap ? 1 : 0) << "year " << year;
    }
    EXPECT_EQ(calendar::HijriLeapYear(1), 0);
    EXPECT_EQ(calendar::HijriLeapYear(2), 1);
    EXPECT_EQ(calendar::HijriLeapYear(0), 0);
    EXPECT_EQ(calendar::HijriLeapYear(-1), 1);
    EXPECT_EQ(calendar::HijriLeapYear(-28), 1);
    EXPECT_EQ(calendar::HijriLeapYear(-30), 0);
}

TEST(HijriLeapYears, AgreeWithTheIndependentRuleFarBeyondTheRange) {
    for (int year = -40000; year <= 40000; ++year)
        if (calendar::HijriLeapYear(year) != (IndependentLeap(year) ? 1 : 0)) FAIL() << "year " << year;
    for (int year : {INT_MIN, INT_MIN + 1, INT_MAX, INT_MAX - 1})
        EXPECT_EQ(calendar::HijriLeapYear(year), IndependentLeap(year) ? 1 : 0) << year;
}

TEST(HijriYearLengths, TheDayCountGivesEveryLeapYear355Days) {
    // The leap-year set and the mean-year constant of the day count must put the extra day in the
    // same years: the distance between two New Years is 354 plus the leap flag, in every year.
    for (int year = calendar::HijriMinYear; year < calendar::HijriMaxYear; ++year) {
        const long long length =
            static_cast<long long>(calendar::HijriToDayNumber(year + 1, 1, 1)) - calendar::HijriToDayNumber(year, 1, 1);
        if (length != 354 + calendar::HijriLeapYear(year)) FAIL() << "year " << year << " has " << length << " days";
    }
    // Year 2 of a cycle has 355 days, year 1 has 354.
    EXPECT_EQ(calendar::HijriToDayNumber(3, 1, 1) - calendar::HijriToDayNumber(2, 1, 1), 355);
    EXPECT_EQ(calendar::HijriToDayNumber(2, 1, 1) - calendar::HijriToDayNumber(1, 1, 1), 354);
    EXPECT_EQ(calendar::HijriMonthLength(2, 12), 30);
    EXPECT_EQ(calendar::HijriMonthLength(1, 12), 29);
    EXPECT_EQ(calendar::HijriMonthLength(1442, 12), 30);  // 1442 = 48 x 30 + 2
    // Thirty years are 10631 days everywhere, including across year 0.
    for (int first : {-9998, -29, -14, 0, 1, 1441, 9969})
        EXPECT_EQ(calendar::HijriToDayNumber(first + 30, 1, 1) - calendar::HijriToDayNumber(first, 1, 1), 10631)
            << first;
}

TEST(HijriMonths, MonthsStartAtTheFixedOffsetsAndAlternate30And29) {
    const int offsets[13] = {0, 0, 30, 59, 89, 118, 148, 177, 207, 236, 266, 295, 325};
    for (int year = calendar::HijriMinYear; year <= calendar::HijriMaxYear; ++year) {
        const astro::DayNumber new_year = calendar::HijriToDayNumber(year, 1, 1);
        for (int month = 1; month <= 12; ++month) {
            if (calendar::HijriToDayNumber(year, month, 1) - new_year != offsets[month])
                FAIL() << "year " << year << " month " << month;
        }
    }
    for (int month = 1; month <= 11; ++month)
        EXPECT_EQ(calendar::HijriMonthLength(1445, month), month % 2 == 1 ? 30 : 29) << month;
    EXPECT_EQ(calendar::HijriMonthLength(1445, 0), 0);
    EXPECT_EQ(calendar::HijriMonthLength(1445, 13), 0);
    EXPECT_EQ(calendar::HijriMonthLength(1445, -1), 0);
}

TEST(HijriValidation, BoundsOfYearMonthAndDay) {
    EXPECT_EQ(calendar::HijriDateValid(-9998, 1, 1), 1);
    EXPECT_EQ(calendar::HijriDateValid(9999, 12, 29), 1);
    EXPECT_EQ(calendar::HijriDateValid(9999, 12, 30), calendar::HijriLeapYear(9999));  // 9999 = place 9: common
    EXPECT_EQ(calendar::HijriDateValid(-9999, 12, 29), 0);
    EXPECT_EQ(calendar::HijriDateValid(10000, 1, 1), 0);
    EXPECT_EQ(calendar::HijriDateValid(1445, 0, 1), 0);
    EXPECT_EQ(calendar::HijriDateValid(1445, 13, 1), 0);
    EXPECT_EQ(calendar::HijriDateValid(1445, 1, 0), 0);
    EXPECT_EQ(calendar::HijriDateValid(1445, 1, 31), 0);
    EXPECT_EQ(calendar::HijriDateValid(1445, 2, 30), 0);
    EXPECT_EQ(calendar::HijriDateValid(1444, 12, 30), 0);  // 1444 is at place 4: common
    EXPECT_EQ(calendar::HijriDateValid(1445, 12, 30), 1);  // 1445 is at place 5: leap
    EXPECT_EQ(calendar::HijriDateValid(1442, 12, 30), 1);
    EXPECT_EQ(calendar::HijriDateValid(0, 12, 30), 0);
    EXPECT_EQ(calendar::HijriDateValid(-1, 12, 30), 1);
    EXPECT_EQ(calendar::HijriDateValid(INT_MIN, INT_MIN, INT_MIN), 0);
    EXPECT_EQ(calendar::HijriDateValid(INT_MAX, 1, 1), 0);
    EXPECT_EQ(calendar::HijriDateValid(1, INT_MAX, 1), 0);
    EXPECT_EQ(calendar::HijriDateValid(1, 1, INT_MAX), 0);
}

TEST(HijriToDayNumber, EpochAndInvalidDates) {
    EXPECT_EQ(calendar::HijriToDayNumber(1, 1, 1), 1948440);
    EXPECT_EQ(calendar::HijriToDayNumber(1, 1, 1), astro::DateToDayNumber(622, 7, 16));  // Julian calendar
    EXPECT_EQ(calendar::HijriToDayNumber(0, 12, 29), 1948439);
    EXPECT_EQ(calendar::HijriToDayNumber(-9998, 1, 1), calendar::HijriMinDayNumber);
    for (const HijriDate& bad : {HijriDate{1445, 2, 30}, HijriDate{1444, 12, 30}, HijriDate{1445, 0, 1},
                                 HijriDate{1445, 13, 1}, HijriDate{1445, 1, 0}, HijriDate{10000, 1, 1},
                                 HijriDate{-9999, 1, 1}, HijriDate{INT_MIN, 1, 1}, HijriDate{INT_MAX, 12, 29}})
        EXPECT_EQ(calendar::HijriToDayNumber(bad.year, bad.month, bad.day), astro::InvalidDayNumber) << Show(bad);
}

TEST(HijriToDayNumber, EveryValidDateAgreesWithTheIndependentFormula) {
    for (int year = calendar::HijriMinYear; year <= calendar::HijriMaxYear; ++year) {
        for (int month = 1; month <= 12; ++month) {
            const int length = calendar::HijriMonthLength(year, month);
            // The month is as long as the independent calendar makes it.
            if (IndependentDayNumber(year, month, 1) + length !=
                (month < 12 ? IndependentDayNumber(year, month + 1, 1) : IndependentDayNumber(year + 1, 1, 1)))
                FAIL() << "length of " << year << "-" << month;
            for (int day = 1; day <= length; ++day) {
                if (calendar::HijriToDayNumber(year, month, day) != IndependentDayNumber(year, month, day))
                    FAIL() << "day number of " << year << "-" << month << "-" << day;
            }
            if (calendar::HijriToDayNumber(year, month, length + 1) != astro::InvalidDayNumber)
                FAIL() << "day after the end of " << year << "-" << month;
        }
    }
}

TEST(DayNumberToHijri, EveryDayOfTheRangeInBothDirections) {
    // Walk every convertible day: the date is the independent formula's, the next day by the plain
    // month rules after the previous one, and it converts back to the same day number.
    HijriDate expected{calendar::HijriMinYear, 1, 1};
    for (astro::DayNumber z = calendar::HijriMinDayNumber; z <= calendar::HijriMaxDayNumber; ++z) {
        const HijriDate h = calendar::DayNumberToHijri(z);
        if (!(h == expected)) FAIL() << "day " << z << " is " << Show(h) << ", expected " << Show(expected);
        if (!(h == IndependentHijri(z))) FAIL() << "day " << z << ": " << Show(h) << " vs " << Show(IndependentHijri(z));
        if (calendar::HijriToDayNumber(h.year, h.month, h.day) != z) FAIL() << "round trip of day " << z;
        expected = NextHijriDay(expected);
    }
    // The last day of the calendar, 9999-12-31, is 2 Rabi' al-Akhir 9666.
    EXPECT_EQ(calendar::DayNumberToHijri(calendar::HijriMaxDayNumber), (HijriDate{9666, 4, 2}));
}

TEST(DayNumberToHijri, CycleBoundariesAreTheLastDayOfThePreviousCycle) {
    // Day numbers -1931876 + 10631 K close cycle K - 1: 29 Dhu al-Hijja of a year divisible by 30
    // (the cycle's 30th year, always common), followed by 1 Muharram of the next cycle's first year.
    int boundaries = 0;
    for (long long k = 0; k < 1000; ++k) {
        const long long z = -1931876 + 10631 * k;
        if (z < calendar::HijriMinDayNumber || z >= calendar::HijriMaxDayNumber) continue;
        ++boundaries;
        const HijriDate last = calendar::DayNumberToHijri(static_cast<astro::DayNumber>(z));
        EXPECT_EQ(last.month, 12) << z;
        EXPECT_EQ(last.day, 29) << z;
        EXPECT_EQ(((last.year % 30) + 30) % 30, 0) << z;
        EXPECT_EQ(calendar::HijriLeapYear(last.year), 0) << z;
        EXPECT_EQ(calendar::HijriToDayNumber(last.year, 12, 29), z);
        EXPECT_EQ(calendar::DayNumberToHijri(static_cast<astro::DayNumber>(z + 1)), (HijriDate{last.year + 1, 1, 1}));
        EXPECT_EQ(calendar::DayNumberToHijri(static_cast<astro::DayNumber>(z - 1)), (HijriDate{last.year, 12, 28}));
    }
    EXPECT_EQ(boundaries, 656);  // the cycles closed by the years -9990, -9960, ... 9660
    EXPECT_EQ(calendar::DayNumberToHijri(1948439), (HijriDate{0, 12, 29}));  // year 0 ends a cycle
}

TEST(DayNumberToHijri, PublishedDates) {
    // Arithmetic Islamic dates of the sample days of "Calendrical Calculations", by fixed day number.
    struct Sample {
        long long fixed;
        HijriDate date;
    };
    const Sample samples[] = {
        {-214193, {-1245, 12, 9}}, {-61387, {-813, 2, 23}},  {25469, {-568, 4, 1}},   {49217, {-501, 4, 6}},
        {171307, {-157, 10, 17}},  {210155, {-47, 6, 3}},    {253427, {75, 7, 13}},   {369740, {403, 10, 5}},
        {400085, {489, 5, 22}},    {434355, {586, 2, 7}},    {452605, {637, 8, 7}},   {470160, {687, 2, 20}},
        {473837, {697, 7, 7}},     {507850, {793, 7, 1}},    {524156, {839, 7, 6}},   {544676, {897, 6, 1}},
        {567118, {960, 9, 30}},    {569477, {967, 5, 27}},   {601716, {1058, 5, 18}}, {613424, {1091, 6, 2}},
        {626596, {1128, 8, 4}},    {645554, {1182, 2, 3}},   {664224, {1234, 10, 10}}, {671401, {1255, 1, 11}},
        {694799, {1321, 1, 21}},   {704424, {1348, 3, 19}},  {708842, {1360, 9, 8}},  {709409, {1362, 4, 13}},
        {709580, {1362, 10, 7}},   {727274, {1412, 9, 13}},  {728714, {1416, 10, 5}}, {744313, {1460, 10, 12}},
        {764652, {1518, 3, 5}},
    };
    for (const Sample& s : samples) {
        const auto z = static_cast<astro::DayNumber>(s.fixed + kFixedToDayNumber);
        EXPECT_EQ(calendar::DayNumberToHijri(z), s.date) << s.fixed;
        EXPECT_EQ(calendar::HijriToDayNumber(s.date.year, s.date.month, s.date.day), z) << s.fixed;
    }
}

TEST(DayNumberToHijri, OutsideTheRangeThereIsNoDate) {
    const HijriDate none{};
    EXPECT_EQ(calendar::DayNumberToHijri(calendar::HijriMinDayNumber - 1), none);
    EXPECT_EQ(calendar::DayNumberToHijri(calendar::HijriMaxDayNumber + 1), none);
    EXPECT_EQ(calendar::DayNumberToHijri(astro::MinDayNumber), none);
    EXPECT_EQ(calendar::DayNumberToHijri(astro::InvalidDayNumber), none);
    EXPECT_EQ(calendar::DayNumberToHijri(INT_MIN), none);
    EXPECT_EQ(calendar::DayNumberToHijri(INT_MAX), none);
    EXPECT_EQ(calendar::DayNumberToHijri(calendar::HijriMinDayNumber), (HijriDate{-9998, 1, 1}));
}

TEST(HijriTexts, DateTextsOfKnownDays) {
    EXPECT_EQ(calendar::DayNumberToHijriText(622, 7, 16), "AD01-01-0001");
    EXPECT_EQ(calendar::DayNumberToHijriText(622, 7, 15), "BC12-29-0001");  // year 0 is written BC ... 0001
    EXPECT_EQ(calendar::HijriToDateText(1, 1, 1), "AD07-16-0622");
    EXPECT_EQ(calendar::HijriDateText({0, 1, 1}), "BC01-01-0001");
    EXPECT_EQ(calendar::HijriDateText({-1, 12, 30}), "BC12-30-0002");
    EXPECT_EQ(calendar::HijriDateText({1445, 9, 1}), "AD09-01-1445");
    EXPECT_EQ(calendar::HijriDateText({-9998, 1, 1}), "BC01-01-9999");
    EXPECT_EQ(calendar::HijriDateText({9999, 12, 29}), "AD12-29-9999");
    // 1945-11-12 (Gregorian) is 6 Dhu al-Hijja 1364 (a sample day of Calendrical Calculations).
    EXPECT_EQ(calendar::DayNumberToHijriText(1945, 11, 12), "AD12-06-1364");
    EXPECT_EQ(calendar::HijriToDateText(1364, 12, 6), "AD11-12-1945");
    // Across the calendar reform the Hijri days run on: 4 and 15 October 1582 are consecutive.
    const HijriDate before = ParseDateText(calendar::DayNumberToHijriText(1582, 10, 4));
    EXPECT_EQ(ParseDateText(calendar::DayNumberToHijriText(1582, 10, 15)), NextHijriDay(before));
}

TEST(HijriTexts, InvalidAndOutOfRangeGiveEmptyText) {
    EXPECT_EQ(calendar::HijriDateText({}), "");
    EXPECT_EQ(calendar::HijriDateText({1445, 2, 30}), "");
    EXPECT_EQ(calendar::HijriDateText({10000, 1, 1}), "");
    EXPECT_EQ(calendar::HijriDateText({-9999, 12, 29}), "");
    // Calendar dates that do not exist.
    EXPECT_EQ(calendar::DayNumberToHijriText(1582, 10, 10), "");
    EXPECT_EQ(calendar::DayNumberToHijriText(2023, 2, 29), "");
    EXPECT_EQ(calendar::DayNumberToHijriText(10000, 1, 1), "");
    EXPECT_EQ(calendar::DayNumberToHijriText(2024, 13, 1), "");
    EXPECT_EQ(calendar::DayNumberToHijriText(INT_MIN, INT_MIN, INT_MIN), "");
    // A calendar date before 1 Muharram -9998 has no Hijri date; that day itself has.
    const astro::CalendarDate first = astro::DayNumberToDate(calendar::HijriMinDayNumber);
    const astro::CalendarDate before = astro::DayNumberToDate(calendar::HijriMinDayNumber - 1);
    EXPECT_EQ(calendar::DayNumberToHijriText(first.year, first.month, first.day), "BC01-01-9999");
    EXPECT_EQ(calendar::DayNumberToHijriText(before.year, before.month, before.day), "");
    EXPECT_EQ(calendar::DayNumberToHijriText(-9998, 1, 1), "");
    EXPECT_EQ(calendar::DayNumberToHijriText(9999, 12, 31), "AD04-02-9666");
    // Hijri dates after the calendar's last day are valid but have no calendar date text.
    EXPECT_EQ(calendar::HijriToDateText(9666, 4, 2), "AD12-31-9999");
    EXPECT_EQ(calendar::HijriToDateText(9666, 4, 3), "");
    EXPECT_EQ(calendar::HijriDateValid(9666, 4, 3), 1);
    EXPECT_EQ(calendar::HijriToDateText(9999, 12, 29), "");
    EXPECT_EQ(calendar::HijriToDateText(-9998, 1, 1), astro::DayNumberToDateText(calendar::HijriMinDayNumber));
    EXPECT_EQ(calendar::HijriToDateText(1445, 2, 30), "");
    EXPECT_EQ(calendar::HijriToDateText(0, 0, 0), "");
}

TEST(HijriTexts, EveryDayReadsBackInBothDirections) {
    // Over the whole range, the Hijri text of each calendar day names the Hijri date of its day
    // number, read back by position, and the calendar text of that Hijri date is the day's own.
    // Every seventh day: 7 is prime to the month lengths, so every day of every month is met.
    for (astro::DayNumber z = calendar::HijriMinDayNumber; z <= calendar::HijriMaxDayNumber; z += 7) {
        const astro::CalendarDate c = astro::DayNumberToDate(z);
        const std::string hijri_text = calendar::DayNumberToHijriText(c.year, c.month, c.day);
        const HijriDate h = ParseDateText(hijri_text);
        if (!(h == IndependentHijri(z))) FAIL() << "day " << z << ": '" << hijri_text << "'";
        if (calendar::HijriDateText(h) != hijri_text) FAIL() << "day " << z << ": " << hijri_text;
        if (calendar::HijriToDateText(h.year, h.month, h.day) != astro::DayNumberToDateText(z))
            FAIL() << "calendar text of day " << z;
    }
}

TEST(HijriTexts, YearTextIsRightAlignedInTenBytes) {
    EXPECT_EQ(calendar::HijriYearText(1445), "  回历1445");
    EXPECT_EQ(calendar::HijriYearText(2024), "  回历2024");
    EXPECT_EQ(calendar::HijriYearText(1), "     回历1");
    EXPECT_EQ(calendar::HijriYearText(0), "   回历前1");
    EXPECT_EQ(calendar::HijriYearText(-1), "   回历前2");
    EXPECT_EQ(calendar::HijriYearText(-99), " 回历前100");
    EXPECT_EQ(calendar::HijriYearText(-9998), "回历前9999");
    EXPECT_EQ(calendar::HijriYearText(9999), "  回历9999");
    EXPECT_EQ(calendar::HijriYearText(10000), "");
    EXPECT_EQ(calendar::HijriYearText(-9999), "");
    EXPECT_EQ(calendar::HijriYearText(INT_MIN), "");
    for (int year = calendar::HijriMinYear; year <= calendar::HijriMaxYear; ++year)
        if (calendar::HijriYearText(year).size() != 10) FAIL() << "year " << year;
    // 回历 is two characters, four bytes of GBK.
    EXPECT_EQ(std::string("回历").size(), 4u);
}

}  // namespace
