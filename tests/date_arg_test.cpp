#include <gtest/gtest.h>

#include <string>

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
    ExpectDate("+2024-2-9", 2024, 2, 9);
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
                            "9999999999-01-01"}) {
        EXPECT_FALSE(Parse(bad).ok) << bad;
    }
}

}  // namespace
