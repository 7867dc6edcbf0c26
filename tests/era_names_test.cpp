#include "calendar/era_names.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <vector>

#include "calendar/names.h"

namespace {

using calendar::EraRow;

// True if text is n characters of GBK, each two bytes: a lead byte 0x81..0xFE and a trail byte
// 0x40..0xFE other than 0x7F.
bool IsDoubleByteGbk(const std::string& text, std::size_t n) {
    if (text.size() != 2 * n) return false;
    for (std::size_t i = 0; i < text.size(); i += 2) {
        const auto lead = static_cast<unsigned char>(text[i]);
        const auto trail = static_cast<unsigned char>(text[i + 1]);
        if (lead < 0x81 || lead > 0xFE || trail < 0x40 || trail > 0xFE || trail == 0x7F) return false;
    }
    return true;
}

// The row of a year found by walking the whole table, independent of the lookup under test.
const EraRow* RowByScan(int year) {
    for (const EraRow& row : calendar::EraTable())
        if (row.first_year <= year && year <= row.last_year) return &row;
    return nullptr;
}

TEST(EraTable, ThreeHundredThirtyRowsFromMinus139To1911WithoutGapsOrOverlaps) {
    const auto table = calendar::EraTable();
    ASSERT_EQ(table.size(), 330u);
    EXPECT_EQ(table.front().first_year, -139);
    EXPECT_STREQ(table.front().name, "西汉建元");
    EXPECT_EQ(table.back().last_year, 1911);
    EXPECT_STREQ(table.back().name, "清代宣统");
    for (std::size_t i = 0; i < table.size(); ++i) {
        EXPECT_LE(table[i].first_year, table[i].last_year) << i;
        if (i + 1 < table.size()) {
            EXPECT_EQ(table[i + 1].first_year, table[i].last_year + 1) << table[i + 1].name;
        }
    }
    // Every year of the span lies in exactly one row.
    for (int year = -139; year <= 1911; ++year) {
        int rows = 0;
        for (const EraRow& row : table) rows += row.first_year <= year && year <= row.last_year;
        EXPECT_EQ(rows, 1) << year;
    }
}

TEST(EraTable, NamesAreFourCharactersADynastyLabelAndATitle) {
    const std::vector<std::string> labels = {"西汉", "新莽", "东汉", "魏代", "西晋", "东晋", "刘宋", "南齐",
                                             "南梁", "北周", "隋代", "唐代", "武周", "后梁", "后唐", "后晋",
                                             "后汉", "后周", "北宋", "南宋", "元代", "明代", "清代"};
    for (const EraRow& row : calendar::EraTable()) {
        ASSERT_NE(row.name, nullptr);
        const std::string name = row.name;
        EXPECT_TRUE(IsDoubleByteGbk(name, 4)) << row.first_year;
        bool known = false;
        for (const std::string& label : labels) known = known || name.compare(0, 4, label) == 0;
        EXPECT_TRUE(known) << row.first_year;
    }
}

TEST(EraTable, DynastiesFollowOneLineOfSuccession) {
    // Each run of rows under one label: the label, its first row's year and title, and the count.
    struct Run {
        const char* label;
        int first_year;
        const char* first_name;
        int rows;
    };
    const Run runs[] = {
        {"西汉", -139, "西汉建元", 37}, {"新莽", 9, "新莽建国", 3},     {"西汉", 23, "西汉更始", 1},
        {"东汉", 25, "东汉建武", 35},   {"魏代", 220, "魏代黄初", 10},  {"西晋", 265, "西晋泰始", 12},
        {"东晋", 317, "东晋建武", 19},  {"刘宋", 420, "刘宋永初", 9},   {"南齐", 479, "南齐建元", 6},
        {"南梁", 502, "南梁天监", 11},  {"北周", 557, "北周明帝", 7},   {"隋代", 581, "隋代开皇", 4},
        {"唐代", 618, "唐代武德", 19},  {"武周", 690, "武周天授", 9},   {"唐代", 705, "唐代神龙", 37},
        {"后梁", 907, "后梁开平", 4},   {"后唐", 923, "后唐同光", 4},   {"后晋", 936, "后晋天福", 2},
        {"后汉", 947, "后汉天福", 2},   {"后周", 951, "后周广顺", 2},   {"北宋", 960, "北宋建隆", 35},
        {"南宋", 1127, "南宋建炎", 22}, {"元代", 1280, "元代至元", 13}, {"明代", 1368, "明代洪武", 17},
        {"清代", 1644, "清代顺治", 10},
    };
    const auto table = calendar::EraTable();
    std::size_t i = 0;
    for (const Run& run : runs) {
        ASSERT_LT(i, table.size());
        EXPECT_STREQ(table[i].name, run.first_name);
        EXPECT_EQ(table[i].first_year, run.first_year) << run.first_name;
        for (int k = 0; k < run.rows; ++k, ++i) {
            ASSERT_LT(i, table.size());
            EXPECT_EQ(std::string(table[i].name).compare(0, 4, run.label), 0) << run.first_name << " + " << k;
        }
    }
    EXPECT_EQ(i, table.size());
}

TEST(EraTable, OnlyTheFirstZhiyuanCountsFromBeforeItsFirstYear) {
    int exceptions = 0;
    for (const EraRow& row : calendar::EraTable()) {
        if (row.reign_start == row.first_year) continue;
        ++exceptions;
        EXPECT_STREQ(row.name, "元代至元");
        EXPECT_EQ(row.first_year, 1280);
        EXPECT_EQ(row.last_year, 1294);
        EXPECT_EQ(row.reign_start, 1264);
    }
    EXPECT_EQ(exceptions, 1);
}

TEST(EraRowOfYear, FindsTheSameRowAsAScanAndNothingOutside) {
    for (int year = -300; year <= 2100; ++year) EXPECT_EQ(calendar::EraRowOfYear(year), RowByScan(year)) << year;
    EXPECT_EQ(calendar::EraRowOfYear(-140), nullptr);
    EXPECT_EQ(calendar::EraRowOfYear(1912), nullptr);
    EXPECT_EQ(calendar::EraRowOfYear(INT_MIN), nullptr);
    EXPECT_EQ(calendar::EraRowOfYear(INT_MAX), nullptr);
}

TEST(EraName, FirstAndLastYearsOfReigns) {
    EXPECT_EQ(calendar::EraName(-139), "西汉建元01");
    EXPECT_EQ(calendar::EraName(-134), "西汉建元06");
    EXPECT_EQ(calendar::EraName(-133), "西汉元光01");
    EXPECT_EQ(calendar::EraName(0), "西汉元寿02");  // 1 BC, the second year of 元寿 (-1..0)
    EXPECT_EQ(calendar::EraName(-1), "西汉元寿01");
    EXPECT_EQ(calendar::EraName(1), "西汉元始01");
    EXPECT_EQ(calendar::EraName(23), "西汉更始01");  // the label returns after 新莽
    EXPECT_EQ(calendar::EraName(22), "新莽地皇03");
    EXPECT_EQ(calendar::EraName(690), "武周天授01");
    EXPECT_EQ(calendar::EraName(1875), "清代光绪01");
    EXPECT_EQ(calendar::EraName(1908), "清代光绪34");
    EXPECT_EQ(calendar::EraName(1909), "清代宣统01");
    EXPECT_EQ(calendar::EraName(1911), "清代宣统03");
    // Long reigns still fit two digits.
    EXPECT_EQ(calendar::EraName(1722), "清代康熙61");
    EXPECT_EQ(calendar::EraName(1795), "清代乾隆60");
    // Titles used twice are told apart only by their years.
    EXPECT_EQ(calendar::EraName(675), "唐代上元02");
    EXPECT_EQ(calendar::EraName(760), "唐代上元01");
}

TEST(EraName, TheFirstZhiyuanCountsFrom1264) {
    EXPECT_EQ(calendar::EraName(1279), "南宋祥兴02");
    EXPECT_EQ(calendar::EraName(1280), "元代至元17");
    EXPECT_EQ(calendar::EraName(1294), "元代至元31");
    EXPECT_EQ(calendar::EraName(1295), "元代元贞01");
    // The second 至元 (1335..1340) counts from its own first year.
    EXPECT_EQ(calendar::EraName(1334), "元代元统02");
    EXPECT_EQ(calendar::EraName(1335), "元代至元01");
    EXPECT_EQ(calendar::EraName(1340), "元代至元06");
}

TEST(EraName, EveryYearOfTheSpanIsTheRowNameAndItsOrdinal) {
    for (int year = -139; year <= 1911; ++year) {
        const std::string text = calendar::EraName(year);
        const EraRow* row = RowByScan(year);
        ASSERT_NE(row, nullptr) << year;
        ASSERT_EQ(text.size(), 10u) << year;
        EXPECT_EQ(text.compare(0, 8, row->name), 0) << year;
        ASSERT_TRUE(text[8] >= '0' && text[8] <= '9' && text[9] >= '0' && text[9] <= '9') << year;
        const int ordinal = (text[8] - '0') * 10 + (text[9] - '0');
        // The first year of a row is 元年 (01), and each later year counts one more.
        if (year == row->first_year && std::strcmp(row->name, "元代至元") != 0) {
            EXPECT_EQ(ordinal, 1) << year;
        }
        if (year > row->first_year) {
            const std::string before = calendar::EraName(year - 1);
            EXPECT_EQ(ordinal, (before[8] - '0') * 10 + (before[9] - '0') + 1) << year;
        }
    }
}

TEST(EraName, OutsideTheSpanTheYearInChineseDigits) {
    EXPECT_EQ(calendar::EraName(1912), "  一九一二");
    EXPECT_EQ(calendar::EraName(-140), "  前一四一");
    EXPECT_EQ(calendar::EraName(2024), "  二○二四");
    EXPECT_EQ(calendar::EraName(-8999), "前九○○○");
    EXPECT_EQ(calendar::EraName(9000), "  九○○○");
    for (int year = -8999; year <= 9000; ++year) {
        if (year >= -139 && year <= 1911) continue;
        const std::string text = calendar::EraName(year);
        if (text != calendar::ChineseYearNumberText(year) || text.size() != 10) FAIL() << "year " << year;
    }
}

TEST(EraName, EmptyOutsideMinus8999To9000) {
    EXPECT_EQ(calendar::EraName(-9000), "");
    EXPECT_EQ(calendar::EraName(9001), "");
    EXPECT_EQ(calendar::EraName(-9998), "");
    EXPECT_EQ(calendar::EraName(9999), "");
    EXPECT_EQ(calendar::EraName(INT_MIN), "");
    EXPECT_EQ(calendar::EraName(INT_MAX), "");
}

}  // namespace
