#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "cli/date_arg.h"

namespace {

struct Parsed {
    bool ok;
    astro::CalendarDate date;
};

Parsed Parse(const std::string& text) {
    Parsed p{};
    std::string error;
    p.ok = cli::ParseDateArg(text, p.date, error);
    if (!p.ok) {
        EXPECT_FALSE(error.empty());
    }
    return p;
}

void ExpectDate(const std::string& text, int y, int m, int d) {
    const Parsed p = Parse(text);
    ASSERT_TRUE(p.ok) << text;
    EXPECT_EQ(p.date.year, y) << text;
    EXPECT_EQ(p.date.month, m) << text;
    EXPECT_EQ(p.date.day, d) << text;
}

TEST(DateArgument, IsoWithAstronomicalYears) {
    ExpectDate("2024-02-10", 2024, 2, 10);
    ExpectDate("0000-03-01", 0, 3, 1);
    ExpectDate("-0103-05-01", -103, 5, 1);
    ExpectDate("-9998-01-01", -9998, 1, 1);
    ExpectDate("9999-12-31", 9999, 12, 31);
    ExpectDate("0024-01-01", 24, 1, 1);
    ExpectDate("1582-10-04", 1582, 10, 4);
}

TEST(DateArgument, TheProgramsDateText) {
    ExpectDate("AD02-10-2024", 2024, 2, 10);
    ExpectDate("BC03-01-0001", 0, 3, 1);
    ExpectDate("BC05-01-0104", -103, 5, 1);
    ExpectDate("ad12-31-9999", 9999, 12, 31);
}

TEST(DateArgument, RejectsMalformedAndNonexistentDates) {
    for (const char* bad : {"", "2024", "2024-02", "2024-02-10x", "2024/02/10", "20240-01-01", "2024-002-01",
                            "-", "--2024-01-01", "2024-02-30", "1582-10-10", "10000-01-01", "-9999-12-31",
                            "AD02-10-0000", "BC01-01-10000", "XX02-10-2024", "AD2-10", "AD02-10-2024 ",
                            " 2024-02-10", "2024-13-01", "2024-00-10", "2023-02-29", "AD",
                            "9999999999-01-01",
                            // a year, a month or a day of fewer digits than its form has
                            "24-01-01", "024-01-01", "AD02-10-24", "BC1-01-0001", "+2024-02-09", "2024-2-09",
                            "2024-02-9", "02-10-2024"}) {
        EXPECT_FALSE(Parse(bad).ok) << bad;
    }
}

// Why a date is refused, as the message says it.
std::string Why(const std::string& text) {
    astro::CalendarDate date;
    std::string error;
    EXPECT_FALSE(cli::ParseDateArg(text, date, error)) << text;
    return error;
}

TEST(DateArgument, SaysWhyADayDoesNotExist) {
    EXPECT_EQ(Why("2023-02-29"), "'2023-02-29': the day does not exist: February 2023 has 28 days");
    EXPECT_EQ(Why("2024-02-30"), "'2024-02-30': the day does not exist: February 2024 has 29 days");
    EXPECT_EQ(Why("1900-02-29"), "'1900-02-29': the day does not exist: February 1900 has 28 days");
    EXPECT_EQ(Why("1500-02-30"), "'1500-02-30': the day does not exist: February 1500 has 29 days");  // Julian
    EXPECT_EQ(Why("-0103-04-31"), "'-0103-04-31': the day does not exist: April -103 (104 BC) has 30 days");
    EXPECT_EQ(Why("2024-13-01"), "'2024-13-01': there is no month 13");
    EXPECT_NE(Why("1582-10-10").find("Gregorian reform"), std::string::npos);
    EXPECT_NE(Why("24-01-01").find("a year is written with four digits"), std::string::npos);
    EXPECT_NE(Why("AD02-10-24").find("a year is written with four digits"), std::string::npos);
    EXPECT_NE(Why("AD02-10-0000").find("the year 0"), std::string::npos);
}

TEST(DateArgument, TheToolsMonthFirstFormOnlyWhereAsked) {
    astro::CalendarDate date;
    std::string error;
    cli::DateForm form = cli::DateForm::kIso;
    ASSERT_TRUE(cli::ParseDateFields("02-10-2024", date, error, true, &form));
    EXPECT_EQ(form, cli::DateForm::kMonthFirst);
    EXPECT_EQ(date.year * 10000 + date.month * 100 + date.day, 20240210);
    ASSERT_TRUE(cli::ParseDateFields("14-30-0001", date, error, true, &form));  // a lunar leap month, as typed
    EXPECT_EQ(date.month, 14);
    ASSERT_TRUE(cli::ParseDateFields("BC03-01-0104", date, error, true, &form));
    EXPECT_EQ(form, cli::DateForm::kEra);
    EXPECT_EQ(date.year, -103);
    EXPECT_FALSE(cli::ParseDateFields("02-10-2024", date, error));
    EXPECT_FALSE(cli::ParseDateFields("02-10-24", date, error, true));
}

TEST(DateArgument, IsoTextsOfEveryCalendarReadBack) {
    for (const auto& [y, m, d, text] : std::vector<std::tuple<int, int, int, std::string>>{
             {2024, 2, 10, "2024-02-10"}, {0, 3, 1, "0000-03-01"}, {-103, 5, 1, "-0103-05-01"}, {2023, 14, 1, "2023-14-01"}}) {
        EXPECT_EQ(cli::IsoDate(y, m, d), text);
        astro::CalendarDate date;
        std::string error;
        ASSERT_TRUE(cli::ParseDateFields(text, date, error)) << text;
        EXPECT_EQ(std::make_tuple(date.year, date.month, date.day), std::make_tuple(y, m, d)) << text;
    }
}

}  // namespace
