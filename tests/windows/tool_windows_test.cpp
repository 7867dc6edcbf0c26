// The three tools windows as real windows, driven with messages: the date tools, the yearly tables
// and the condition queries show exactly what the tools functions return.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "tools/condition_queries.h"
#include "tools/date_tools.h"
#include "tools/date_tools_window.h"
#include "tools/query_window.h"
#include "tools/yearly_tables.h"
#include "tools/yearly_tables_window.h"

namespace {

using astro::DateToDayNumber;
using test::Click;
using test::Choose;
using test::IsChecked;
using test::Pump;
using test::PumpUntil;
using test::SetText;
using test::Text;
using test::Type;

size_t Count(const std::string& text, const std::string& what) {
    size_t n = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + what.size())) ++n;
    return n;
}

class ToolWindowsTest : public ::testing::Test {
protected:
    void TearDown() override {
        if (IsWindow(window_)) DestroyWindow(window_);
        Pump();
    }

    HWND Open(HWND window) {
        window_ = window;
        Pump();
        return window_;
    }

    // What the program hands the tools: the calendar shows 2024-02-10, the place is 北京 天安门.
    tools::ToolContext context_{DateToDayNumber(2024, 2, 10), 0, 1, 1};
    HWND window_ = nullptr;
};

// --- date tools ------------------------------------------------------------------------------------

constexpr const char* kOutOfRange = "超出计算范围：本工具适用于公元前9000年～公元9000年";
constexpr const char* kNoSuchDate = "没有这个日期";
constexpr const char* kBadFormat = "日期格式不对，请按“月-日-年”输入，例如 02-10-2024";

TEST_F(ToolWindowsTest, DateToolsOnlyOpenInTheirFourModes) {
    EXPECT_EQ(tools::CreateDateToolsWindow(nullptr, 0, context_), nullptr);
    EXPECT_EQ(tools::CreateDateToolsWindow(nullptr, 5, context_), nullptr);
    EXPECT_EQ(tools::RunToolWindow(tools::CreateDateToolsWindow(nullptr, 9, context_)), 0);
}

TEST_F(ToolWindowsTest, JulianDayOfAValidAndOfRefusedEntries) {
    HWND w = Open(tools::CreateDateToolsWindow(nullptr, 1, context_));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w), "橙鹿万年历：计算儒略日");
    EXPECT_EQ(Text(w, IDOK), "计算");
    EXPECT_EQ(Text(w, tools::kDateBoxId), "02-10-2024");  // the day the calendar shows
    EXPECT_TRUE(IsChecked(w, tools::kDateGregorianId));

    SetText(w, tools::kDateBoxId, "01-01-2000");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kJulianDayBoxId), "2451545");
    EXPECT_EQ(Text(w, tools::kDateStatusId), "");

    // Each refusal empties the result and shows the engine's reason.
    const struct {
        const char* entry;
        const char* message;
    } refused[] = {{"13-10-2024", kNoSuchDate}, {"02-10-9001", kOutOfRange},
                   {"2-10", kBadFormat},        {"02-10-0000", "没有0年：公元前1年请勾选“纪元前”并输入1"}};
    for (const auto& r : refused) {
        SetText(w, tools::kDateBoxId, "01-01-2000");
        Click(w, IDOK);
        ASSERT_EQ(Text(w, tools::kJulianDayBoxId), "2451545");
        SetText(w, tools::kDateBoxId, r.entry);
        Click(w, IDOK);
        EXPECT_EQ(Text(w, tools::kJulianDayBoxId), "") << r.entry;
        EXPECT_EQ(Text(w, tools::kDateStatusId), r.message) << r.entry;
        EXPECT_EQ(Text(w, tools::kDateStatusId),
                  tools::ParseEnteredDate(r.entry, false, tools::EntryCalendar::kGregorian).message);
    }

    // 12-31-0001 纪元前 is year 0, the day before 0001-01-01 (Julian day 1721424); 9001 纪元前
    // is before the calendar's years.
    SetText(w, tools::kDateBoxId, "12-31-0001");
    Click(w, tools::kDateBcId);
    EXPECT_TRUE(IsChecked(w, tools::kDateBcId));
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kJulianDayBoxId), "1721423");
    EXPECT_EQ(Text(w, tools::kDateStatusId), "");
    SetText(w, tools::kDateBoxId, "12-31-9001");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kJulianDayBoxId), "");
    EXPECT_EQ(Text(w, tools::kDateStatusId), kOutOfRange);

    // A lunar date: 正月初一 2024 is 2024-02-10.
    Click(w, tools::kDateBcId);
    Click(w, tools::kDateLunarId);
    EXPECT_TRUE(IsChecked(w, tools::kDateLunarId));
    EXPECT_FALSE(IsChecked(w, tools::kDateGregorianId));
    SetText(w, tools::kDateBoxId, "01-01-2024");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kJulianDayBoxId), std::to_string(DateToDayNumber(2024, 2, 10)));
}

TEST_F(ToolWindowsTest, DateBoxesTakeOnlyDigitsAndHyphensUpToTenCharacters) {
    HWND w = Open(tools::CreateDateToolsWindow(nullptr, 1, context_));
    ASSERT_NE(w, nullptr);
    SetText(w, tools::kDateBoxId, "");
    Type(w, tools::kDateBoxId, "0a2-1x0-/2024 ");
    EXPECT_EQ(Text(w, tools::kDateBoxId), "02-10-2024");
    Type(w, tools::kDateBoxId, "5");  // the eleventh character
    EXPECT_EQ(Text(w, tools::kDateBoxId), "02-10-2024");
    Type(w, tools::kDateBoxId, "\b\b\b\b\b");
    EXPECT_EQ(Text(w, tools::kDateBoxId), "02-10");
    // A paste keeps only the characters a date can have.
    if (OpenClipboard(w)) {
        EmptyClipboard();
        const std::wstring clip = L"x-20y24";
        HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, (clip.size() + 1) * sizeof(wchar_t));
        std::memcpy(GlobalLock(memory), clip.c_str(), (clip.size() + 1) * sizeof(wchar_t));
        GlobalUnlock(memory);
        SetClipboardData(CF_UNICODETEXT, memory);
        CloseClipboard();
        SendMessageW(GetDlgItem(w, tools::kDateBoxId), WM_PASTE, 0, 0);
        EXPECT_EQ(Text(w, tools::kDateBoxId), "02-10-2024");
    }
}

TEST_F(ToolWindowsTest, IntervalBetweenTwoDatesAndTheDateDaysAway) {
    HWND w = Open(tools::CreateDateToolsWindow(nullptr, 2, context_));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w), "橙鹿万年历：计算间隔日");
    EXPECT_TRUE(IsChecked(w, tools::kTwoDatesFormId));
    const int second = tools::kDateBoxId + tools::kSecondDateOffset;

    Click(w, IDOK);  // both boxes start on the same day
    EXPECT_EQ(Text(w, tools::kDaysBoxId), "0");
    SetText(w, second, "05-20-2024");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kDaysBoxId), "100");
    SetText(w, tools::kDateBoxId, "05-20-2024");
    SetText(w, second, "02-10-2024");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kDaysBoxId), "-100");
    // The second date in the lunar calendar: 闰二月初一 2023 (month 2 + 12) is 2023-03-22.
    SetText(w, tools::kDateBoxId, "03-21-2023");
    SetText(w, second, "14-01-2023");
    Click(w, tools::kDateLunarId + tools::kSecondDateOffset);
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kDaysBoxId), "1");
    // 闰三月 does not exist in 2023.
    SetText(w, second, "15-01-2023");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kDaysBoxId), "");
    EXPECT_EQ(Text(w, tools::kDateStatusId), kNoSuchDate);

    // The second form: a date and a number of days.
    Click(w, tools::kDaysAfterFormId);
    EXPECT_TRUE(IsChecked(w, tools::kDaysAfterFormId));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, second)));
    SetText(w, tools::kDateBoxId, "02-10-2024");
    SetText(w, tools::kDaysBoxId, "100");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGregorianBoxId), "AD05-20-2024");
    EXPECT_EQ(Text(w, tools::kLunarBoxId), "AD04-13-2024");
    EXPECT_EQ(Text(w, tools::kHijriBoxId), "AD11-12-1445");
    const tools::ThreeCalendars back =
        tools::DateAfterDays(tools::ParseEnteredDate("02-10-2024", false, tools::EntryCalendar::kGregorian), "-1000");
    SetText(w, tools::kDaysBoxId, "-1000");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGregorianBoxId), back.gregorian);
    EXPECT_EQ(Text(w, tools::kLunarBoxId), back.lunar);
    EXPECT_EQ(Text(w, tools::kHijriBoxId), back.hijri);
    // A number the engine does not take, and a refused date, empty the answer.
    SetText(w, tools::kDaysBoxId, "1-0");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGregorianBoxId), "");
    EXPECT_EQ(Text(w, tools::kLunarBoxId), "");
    SetText(w, tools::kDaysBoxId, "100");
    SetText(w, tools::kDateBoxId, "02-30-2024");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGregorianBoxId), "");
    EXPECT_EQ(Text(w, tools::kHijriBoxId), "");
    EXPECT_EQ(Text(w, tools::kDateStatusId), kNoSuchDate);

    // Back to the first form.
    Click(w, tools::kTwoDatesFormId);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, second)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, tools::kGregorianBoxId)));
}

TEST_F(ToolWindowsTest, AReasonIsShownForABadNumberOfDaysAndGoesWhenAnEntryChanges) {
    HWND w = Open(tools::CreateDateToolsWindow(nullptr, 2, context_));
    ASSERT_NE(w, nullptr);
    Click(w, tools::kDaysAfterFormId);
    const struct {
        const char* days;
        const char* message;
    } refused[] = {{"1-2", "间隔日数格式不对，请输入整数，例如 100 或 -100"},
                   {"-", "间隔日数格式不对，请输入整数，例如 100 或 -100"},
                   {"", "间隔日数格式不对，请输入整数，例如 100 或 -100"},
                   {"99999999", "超出计算范围：所得日期不在可计算的日期之内"}};
    for (const auto& r : refused) {
        SetText(w, tools::kDaysBoxId, r.days);
        Click(w, IDOK);
        EXPECT_EQ(Text(w, tools::kGregorianBoxId), "") << r.days;
        EXPECT_EQ(Text(w, tools::kDateStatusId), r.message) << r.days;
        EXPECT_EQ(GetFocus(), GetDlgItem(w, tools::kDaysBoxId)) << r.days;
    }
    // Typing in the box takes the reason away.
    Type(w, tools::kDaysBoxId, "1");
    EXPECT_EQ(Text(w, tools::kDateStatusId), "");
    // So do a changed date, a changed calendar and a changed 纪元前 after a refused date (no calendar
    // has a 31st of its second month).
    const int changes[] = {tools::kDateLunarId, tools::kDateBcId, tools::kDateGregorianId, tools::kDateBoxId};
    for (int id : changes) {
        SetText(w, tools::kDateBoxId, "02-31-2024");
        SetText(w, tools::kDaysBoxId, "1");
        Click(w, IDOK);
        ASSERT_EQ(Text(w, tools::kDateStatusId), kNoSuchDate) << id;
        if (id == tools::kDateBoxId)
            Type(w, id, "\b");
        else
            Click(w, id);
        EXPECT_EQ(Text(w, tools::kDateStatusId), "") << id;
    }
}

TEST_F(ToolWindowsTest, GanZhiFollowsTheYearBoundaryOfTheSettings) {
    HWND w = Open(tools::CreateDateToolsWindow(nullptr, 3, context_));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w), "橙鹿万年历：计算干支历");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGanZhiBoxId), "甲辰(龙)年丙寅月甲辰日");
    // 2024-02-08 lies after 立春 but before the Spring Festival: 甲辰 from 立春, 癸卯 until the
    // Spring Festival.
    SetText(w, tools::kDateBoxId, "02-08-2024");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGanZhiBoxId).substr(0, 10), "甲辰(龙)年");
    SetText(w, tools::kDateBoxId, "02-10-");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGanZhiBoxId), "");
    EXPECT_EQ(Text(w, tools::kDateStatusId), kBadFormat);
    DestroyWindow(w);
    context_.ganzhi_from_chunjie = 1;
    w = Open(tools::CreateDateToolsWindow(nullptr, 3, context_));
    SetText(w, tools::kDateBoxId, "02-08-2024");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGanZhiBoxId).substr(0, 10), "癸卯(兔)年");
}

TEST_F(ToolWindowsTest, ConversionBetweenTheThreeCalendars) {
    HWND w = Open(tools::CreateDateToolsWindow(nullptr, 4, context_));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w), "橙鹿万年历：公历农历回历互转");
    EXPECT_EQ(Text(w, IDOK), "转换");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGregorianBoxId), "AD02-10-2024");
    EXPECT_EQ(Text(w, tools::kLunarBoxId), "AD01-01-2024");
    EXPECT_EQ(Text(w, tools::kHijriBoxId), "AD07-30-1445");
    Click(w, tools::kDateHijriId);
    SetText(w, tools::kDateBoxId, "09-01-1445");  // 1 Ramadan 1445
    Click(w, IDOK);
    const tools::ThreeCalendars expected =
        tools::ConvertResult(tools::ParseEnteredDate("09-01-1445", false, tools::EntryCalendar::kHijri));
    ASSERT_FALSE(expected.gregorian.empty());
    EXPECT_EQ(Text(w, tools::kGregorianBoxId), expected.gregorian);
    EXPECT_EQ(Text(w, tools::kLunarBoxId), expected.lunar);
    EXPECT_EQ(Text(w, tools::kHijriBoxId), "AD09-01-1445");
    SetText(w, tools::kDateBoxId, "09-31-1445");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kGregorianBoxId), "");
    EXPECT_EQ(Text(w, tools::kLunarBoxId), "");
    EXPECT_EQ(Text(w, tools::kHijriBoxId), "");
    EXPECT_EQ(Text(w, tools::kDateStatusId), kNoSuchDate);
    Click(w, IDCANCEL);
    EXPECT_FALSE(IsWindow(w));
}

// --- yearly tables -----------------------------------------------------------------------------------

TEST_F(ToolWindowsTest, EachTableIsTheEnginesTextByteForByte) {
    const char* titles[] = {"", "橙鹿万年历：计算农历月", "橙鹿万年历：计算节气日", "橙鹿万年历：计算塑望日",
                            "橙鹿万年历：计算太阳升降时刻"};
    for (int mode = 1; mode <= 4; ++mode) {
        HWND w = Open(tools::CreateYearlyTablesWindow(nullptr, mode, context_));
        ASSERT_NE(w, nullptr);
        EXPECT_EQ(Text(w), titles[mode]);
        EXPECT_EQ(Text(w, tools::kTableYearBoxId), "2024");
        const auto table = [mode](int year) {
            switch (mode) {
                case 1: return tools::LunarMonthsTable(year);
                case 2: return tools::SolarTermsTable(year);
                case 3: return tools::MoonsTable(year);
                default: return tools::SunTimesTable(year, 1, 1, false);
            }
        };
        EXPECT_EQ(Text(w, tools::kTableBoxId), table(2024)) << mode;  // shown on opening
        SetText(w, tools::kTableYearBoxId, "2023");
        Click(w, IDOK);
        const std::string text = Text(w, tools::kTableBoxId);
        EXPECT_EQ(text, table(2023)) << mode;
        EXPECT_NE(text.find("\r\n"), std::string::npos);
        if (mode == 1) {
            EXPECT_EQ(text.substr(0, text.find("\r\n")), "    农历 2023 年共 13 个月");
        }
        // A year BC.
        SetText(w, tools::kTableYearBoxId, "104");
        Click(w, tools::kTableBcId);
        EXPECT_EQ(Text(w, tools::kTableBoxId), table(-103)) << mode;
        EXPECT_NE(Text(w, tools::kTableBoxId).find("前104"), std::string::npos);
        // An empty year box leaves the table empty.
        SetText(w, tools::kTableYearBoxId, "");
        Click(w, IDOK);
        EXPECT_EQ(Text(w, tools::kTableBoxId), "");
        DestroyWindow(w);
    }
}

TEST_F(ToolWindowsTest, PreviousAndNextYearStepAcrossTheStartOfTheEra) {
    HWND w = Open(tools::CreateYearlyTablesWindow(nullptr, 2, context_));
    ASSERT_NE(w, nullptr);
    Click(w, tools::kNextYearId);
    EXPECT_EQ(Text(w, tools::kTableYearBoxId), "2025");
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SolarTermsTable(2025));
    Click(w, tools::kPreviousYearId);
    Click(w, tools::kPreviousYearId);
    EXPECT_EQ(Text(w, tools::kTableYearBoxId), "2023");
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SolarTermsTable(2023));
    SetText(w, tools::kTableYearBoxId, "1");
    Click(w, tools::kPreviousYearId);  // 1 BC
    EXPECT_EQ(Text(w, tools::kTableYearBoxId), "1");
    EXPECT_TRUE(IsChecked(w, tools::kTableBcId));
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SolarTermsTable(0));
    EXPECT_EQ(Text(w, tools::kTableBoxId).substr(0, 17), "    公历 前1 年共");
    Click(w, tools::kPreviousYearId);  // 2 BC
    EXPECT_EQ(Text(w, tools::kTableYearBoxId), "2");
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SolarTermsTable(-1));
    Click(w, tools::kNextYearId);
    Click(w, tools::kNextYearId);  // AD 1
    EXPECT_EQ(Text(w, tools::kTableYearBoxId), "1");
    EXPECT_FALSE(IsChecked(w, tools::kTableBcId));
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SolarTermsTable(1));
    Click(w, IDCANCEL);
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(ToolWindowsTest, SunTimesFollowThePlaceAndTheOption) {
    context_.province = 5;
    context_.city = 2;
    HWND w = Open(tools::CreateYearlyTablesWindow(nullptr, 4, context_));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(SendMessageW(GetDlgItem(w, tools::kTableProvinceId), CB_GETCURSEL, 0, 0), 4);
    EXPECT_EQ(SendMessageW(GetDlgItem(w, tools::kTableCityId), CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(SendMessageW(GetDlgItem(w, tools::kTableProvinceId), CB_GETCOUNT, 0, 0), 35);
    EXPECT_TRUE(IsChecked(w, tools::kSunriseOptionId));
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SunTimesTable(2024, 5, 2, false));
    Click(w, tools::kDawnOptionId);
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SunTimesTable(2024, 5, 2, true));
    Choose(w, tools::kTableProvinceId, 0);  // 北京: its first place
    EXPECT_EQ(SendMessageW(GetDlgItem(w, tools::kTableCityId), CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SunTimesTable(2024, 1, 1, true));
    Choose(w, tools::kTableCityId, 3);
    EXPECT_EQ(Text(w, tools::kTableBoxId), tools::SunTimesTable(2024, 1, 4, true));
    // 1582 lost ten days to the reform.
    SetText(w, tools::kTableYearBoxId, "1582");
    Click(w, IDOK);
    const std::string text = Text(w, tools::kTableBoxId);
    EXPECT_EQ(text, tools::SunTimesTable(1582, 1, 4, true));
    EXPECT_EQ(Count(text, "\r\n"), 355u);
}

// --- condition queries ----------------------------------------------------------------------------

TEST_F(ToolWindowsTest, QueryWindowsListTheirCriteria) {
    HWND w = Open(tools::CreateQueryWindow(nullptr, 1, context_));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w), "橙鹿万年历：查询条件日");
    const auto count = [w](int id) { return SendMessageW(GetDlgItem(w, id), CB_GETCOUNT, 0, 0); };
    EXPECT_EQ(count(tools::kSolarMonthListId), 13);
    EXPECT_EQ(count(tools::kSolarDayListId), 32);
    EXPECT_EQ(count(tools::kLunarMonthListId), 25);
    EXPECT_EQ(count(tools::kGanZhiDayListId), 61);
    EXPECT_EQ(count(tools::kWeekdayListId), 8);
    EXPECT_EQ(count(tools::kTermListId), 25);
    EXPECT_EQ(count(tools::kFestivalListId), static_cast<LRESULT>(tools::QueryFestivalNames().size() + 1));
    wchar_t item[32] = {};
    SendMessageW(GetDlgItem(w, tools::kLunarMonthListId), CB_GETLBTEXT, 13, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(text::WideToGbk(item), "闰正月");
    SendMessageW(GetDlgItem(w, tools::kFestivalListId), CB_GETLBTEXT, 0, reinterpret_cast<LPARAM>(item));
    EXPECT_EQ(text::WideToGbk(item), "不限");
    EXPECT_EQ(Text(w, tools::kStartYearBoxId), "2024");
    DestroyWindow(w);

    w = Open(tools::CreateQueryWindow(nullptr, 2, context_));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w), "橙鹿万年历：查询条件月");
    EXPECT_TRUE(IsChecked(w, tools::kLeapMonthOptionId));
    EXPECT_EQ(SendMessageW(GetDlgItem(w, tools::kBaseMonthListId), CB_GETCOUNT, 0, 0), 13);
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, tools::kBaseMonthListId)));
    Click(w, tools::kThreeBigOptionId);
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, tools::kBaseMonthListId)));
    EXPECT_EQ(tools::CreateQueryWindow(nullptr, 3, context_), nullptr);
}

TEST_F(ToolWindowsTest, ConditionDaysAreTheEnginesHits) {
    HWND w = Open(tools::CreateQueryWindow(nullptr, 1, context_));
    ASSERT_NE(w, nullptr);
    const std::vector<std::string> festivals = tools::QueryFestivalNames();
    int mid_autumn = 0;
    for (size_t i = 0; i < festivals.size(); ++i)
        if (festivals[i] == "中秋节") mid_autumn = static_cast<int>(i) + 1;
    ASSERT_GT(mid_autumn, 0);
    Choose(w, tools::kFestivalListId, mid_autumn);
    Choose(w, tools::kWeekdayListId, 7);  // 星期日
    SetText(w, tools::kStartYearBoxId, "1990");
    SetText(w, tools::kYearCountBoxId, "50");
    Click(w, IDOK);
    ASSERT_TRUE(PumpUntil([w] { return !tools::QueryRunning(w); }, 60000));
    tools::DayCriteria criteria;
    criteria.festival = "中秋节";
    criteria.weekday = 7;
    const tools::QueryResult expected = tools::QueryDays(1990, 50, criteria, 0);
    EXPECT_FALSE(expected.days.empty());
    EXPECT_EQ(Text(w, tools::kQueryResultId), expected.text);
    EXPECT_EQ(Text(w, tools::kQueryStatusId), "    共找到 " + std::to_string(expected.days.size()) + " 个条件日");
}

TEST_F(ToolWindowsTest, ManyHitsGoIntoTheBoxWhole) {
    HWND w = Open(tools::CreateQueryWindow(nullptr, 1, context_));
    ASSERT_NE(w, nullptr);
    // Every day of 20 years: megabytes of text, put into the box in parts.
    SetText(w, tools::kStartYearBoxId, "2000");
    SetText(w, tools::kYearCountBoxId, "20");
    SendMessageW(w, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, IDOK)));
    ASSERT_TRUE(PumpUntil([w] { return !tools::QueryRunning(w); }, 120000));
    const tools::QueryResult expected = tools::QueryDays(2000, 20, tools::DayCriteria{}, 0);
    EXPECT_EQ(expected.days.size(), 7305u);
    EXPECT_EQ(Text(w, tools::kQueryResultId), expected.text);
    EXPECT_EQ(Text(w, tools::kQueryStatusId), "    共找到 7305 个条件日");
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, IDOK)));
}

TEST_F(ToolWindowsTest, AYearCountAbove100Becomes100AndTheMonthsAreTheEngines) {
    HWND w = Open(tools::CreateQueryWindow(nullptr, 2, context_));
    ASSERT_NE(w, nullptr);
    EXPECT_EQ(Text(w), "橙鹿万年历：查询条件月");
    SetText(w, tools::kStartYearBoxId, "1950");
    SetText(w, tools::kYearCountBoxId, "150");
    Click(w, IDOK);
    EXPECT_EQ(Text(w, tools::kYearCountBoxId), "100");
    ASSERT_TRUE(PumpUntil([w] { return !tools::QueryRunning(w); }, 60000));
    const tools::QueryResult leap = tools::QueryMonths(1950, 100, tools::MonthCondition::kLeapMonth, 0);
    EXPECT_EQ(leap.years, 100);
    EXPECT_EQ(Text(w, tools::kQueryResultId), leap.text);

    Choose(w, tools::kBaseMonthListId, 5);  // 闰五月 only
    Click(w, IDOK);
    ASSERT_TRUE(PumpUntil([w] { return !tools::QueryRunning(w); }, 60000));
    const tools::QueryResult fifth = tools::QueryMonths(1950, 100, tools::MonthCondition::kLeapMonth, 5);
    EXPECT_EQ(Text(w, tools::kQueryResultId), fifth.text);
    EXPECT_NE(fifth.text.find("个农历闰五月"), std::string::npos);

    Click(w, tools::kFourBigOptionId);
    Click(w, IDOK);
    ASSERT_TRUE(PumpUntil([w] { return !tools::QueryRunning(w); }, 60000));
    EXPECT_EQ(Text(w, tools::kQueryResultId), tools::QueryMonths(1950, 100, tools::MonthCondition::kFourBig, 0).text);

    // Years BC.
    Click(w, tools::kThreeSmallOptionId);
    SetText(w, tools::kStartYearBoxId, "50");
    Click(w, tools::kQueryBcId);
    Click(w, IDOK);
    ASSERT_TRUE(PumpUntil([w] { return !tools::QueryRunning(w); }, 60000));
    EXPECT_EQ(Text(w, tools::kQueryResultId), tools::QueryMonths(-49, 100, tools::MonthCondition::kThreeSmall, 0).text);
}

TEST_F(ToolWindowsTest, CancelStopsARunningSearchAndKeepsWhatWasFound) {
    HWND w = Open(tools::CreateQueryWindow(nullptr, 1, context_));
    ASSERT_NE(w, nullptr);
    // Every day of 100 years matches: the longest search there is (some tenths of a second). The
    // buttons are pressed without pumping in between, so the window cannot learn of the search's
    // end before 取消 reaches it.
    SetText(w, tools::kStartYearBoxId, "2500");
    SetText(w, tools::kYearCountBoxId, "100");
    const auto press = [w](int id) {
        SendMessageW(w, WM_COMMAND, MAKEWPARAM(id, BN_CLICKED), reinterpret_cast<LPARAM>(GetDlgItem(w, id)));
    };
    press(IDOK);
    EXPECT_TRUE(tools::QueryRunning(w));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, IDOK)));
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(w, tools::kStartYearBoxId)));
    Sleep(20);  // the search gets going
    press(IDCANCEL);  // stops the search, the window stays
    ASSERT_TRUE(IsWindow(w));
    ASSERT_TRUE(PumpUntil([w] { return !tools::QueryRunning(w); }, 60000));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(w, IDOK)));
    const std::string text = Text(w, tools::kQueryResultId);
    const size_t hits = Count(text, "个条件日：");
    EXPECT_LT(hits, 36524u);
    const std::string summary = "    查询已停止，已找到 " + std::to_string(hits) + " 个条件日";
    ASSERT_GE(text.size(), summary.size());
    EXPECT_EQ(text.substr(text.size() - summary.size()), summary);
    EXPECT_EQ(Text(w, tools::kQueryStatusId), summary);
    // The hits found so far are the first days of the span, complete.
    if (hits > 0) {
        EXPECT_EQ(text.find("\r\n第1个条件日：\r\n    对应公历→AD01-01-2500\r\n"), 0u);
        const tools::QueryResult all = tools::QueryDays(2500, 100, tools::DayCriteria{}, 0);
        const size_t cut = text.size() - summary.size();
        EXPECT_EQ(text.substr(0, cut), all.text.substr(0, cut));
    }
    Pump();  // a progress text still queued does not come back
    EXPECT_EQ(Text(w, tools::kQueryStatusId), summary);

    Click(w, IDCANCEL);  // idle: closes the window
    EXPECT_FALSE(IsWindow(w));
}

TEST_F(ToolWindowsTest, ClosingTheWindowStopsTheSearch) {
    HWND w = Open(tools::CreateQueryWindow(nullptr, 1, context_));
    ASSERT_NE(w, nullptr);
    SetText(w, tools::kStartYearBoxId, "1800");
    SetText(w, tools::kYearCountBoxId, "100");
    Click(w, IDOK);
    EXPECT_TRUE(tools::QueryRunning(w));
    SendMessageW(w, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(w));
    Pump();
    EXPECT_FALSE(tools::QueryRunning(w));
}

TEST_F(ToolWindowsTest, ModalWindowsDisableTheirOwnerUntilClosed) {
    HWND owner = CreateWindowExW(0, L"STATIC", L"owner", WS_POPUP | WS_VISIBLE, 0, 0, 50, 50, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_NE(owner, nullptr);
    bool owner_was_disabled = false;
    // Closes the tool window as soon as it shows, from inside its modal loop.
    static bool* seen = nullptr;
    seen = &owner_was_disabled;
    static HWND watched = nullptr;
    watched = owner;
    const UINT_PTR timer = SetTimer(nullptr, 0, 50, [](HWND, UINT, UINT_PTR id, DWORD) {
        HWND tool = FindWindowW(L"TempolineYearlyTables", nullptr);
        if (!tool) return;
        *seen = !IsWindowEnabled(watched);
        KillTimer(nullptr, id);
        PostMessageW(tool, WM_CLOSE, 0, 0);
    });
    EXPECT_EQ(tools::RunToolWindow(tools::CreateYearlyTablesWindow(owner, 1, context_)), IDCANCEL);
    KillTimer(nullptr, timer);
    EXPECT_TRUE(owner_was_disabled);
    EXPECT_TRUE(IsWindowEnabled(owner));
    DestroyWindow(owner);
    Pump();
}

}  // namespace
