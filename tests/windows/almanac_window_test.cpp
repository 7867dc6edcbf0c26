// The almanac window 黄历 in the program: opened by the menu, the hotkey and a double click on the day
// page's information line; following the pages; its own day buttons; choosing days; the month
// page's 宜 and 忌 lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "almanac/almanac_text.h"
#include "almanac/almanac_window.h"
#include "almanac/choosing.h"
#include "astro/day_numbers.h"
#include "shell/command_ids.h"
#include "shell/program_win32.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"

namespace {

using test::Pump;
using test::Text;

constexpr astro::DayNumber kFestival = 2460351;  // 2024-02-10, the day the tests' clock reads

class AlmanacWindowTest : public test::CalendarTest {
protected:
    HWND Almanac() const { return program_.almanac_window; }

    void CloseAlmanac() {
        if (Almanac()) SendMessageW(Almanac(), WM_COMMAND, IDCANCEL, 0);
        Pump();
    }

    std::vector<std::string> Results() const {
        HWND list = GetDlgItem(Almanac(), almanac::kResultsId);
        std::vector<std::string> lines;
        const int count = static_cast<int>(SendMessageW(list, LB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::wstring line(static_cast<size_t>(SendMessageW(list, LB_GETTEXTLEN, i, 0)), L'\0');
            SendMessageW(list, LB_GETTEXT, i, reinterpret_cast<LPARAM>(line.data()));
            lines.push_back(text::WideToGbk(line));
        }
        return lines;
    }
};

TEST_F(AlmanacWindowTest, TheMenuTheHotkeyAndTheInformationLineOpenOneWindowOnThePagesDay) {
    ASSERT_NE(Open(views::CalendarView::kDay, kFestival), nullptr);
    Command(shell::command::kAlmanac);
    HWND window = Almanac();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(Text(window), "黄历");
    EXPECT_EQ(almanac::AlmanacDayOf(window), kFestival);
    EXPECT_EQ(Text(window, almanac::kDateId), "2024年2月10日 星期六");
    // The hotkey brings the same window to the page's day.
    ShowDay(kFestival + 3);
    SendMessageW(Window(), WM_HOTKEY, shell::kHotkeyAlmanac, 0);
    EXPECT_EQ(Almanac(), window);
    EXPECT_EQ(almanac::AlmanacDayOf(window), kFestival + 3);
    // Escape (IDCANCEL) closes it, and the program forgets it.
    CloseAlmanac();
    EXPECT_FALSE(IsWindow(window));
    EXPECT_EQ(Almanac(), nullptr);
    SendMessageW(Window(), WM_HOTKEY, shell::kHotkeyAlmanac, 0);
    ASSERT_NE(Almanac(), nullptr);
    CloseAlmanac();
    // A double click on the information line.
    SendMessageW(Item(views::kInformationLineId), WM_LBUTTONDBLCLK, MK_LBUTTON, MAKELPARAM(5, 5));
    Pump();
    ASSERT_NE(Almanac(), nullptr);
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), kFestival + 3);
    CloseAlmanac();
}

TEST_F(AlmanacWindowTest, ItFollowsTheDayAndMonthPagesAndStepsItsOwnDays) {
    ASSERT_NE(Open(views::CalendarView::kDay, kFestival), nullptr);
    Command(shell::command::kAlmanac);
    ASSERT_NE(Almanac(), nullptr);
    ShowDay(kFestival + 10);
    Pump();
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), kFestival + 10);
    test::Click(Almanac(), almanac::kNextDayId);
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), kFestival + 11);
    test::Click(Almanac(), almanac::kPreviousDayId);
    test::Click(Almanac(), almanac::kPreviousDayId);
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), kFestival + 9);
    EXPECT_EQ(Text(Almanac(), almanac::kPillarsId), almanac::PillarsLine(kFestival + 9));
    test::Click(Almanac(), almanac::kTodayId);  // the program's clock: 2024-02-10
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), kFestival);
    // 2024-02-10 甲辰: its hours open with 甲子 on 天牢 (辰 days put 青龙 on 辰).
    EXPECT_EQ(Text(Almanac(), almanac::kFirstHourCellId + 12), "甲子");
    EXPECT_EQ(Text(Almanac(), almanac::kFirstHourCellId + 24), "天牢");
    EXPECT_EQ(Text(Almanac(), almanac::kFirstHourCellId + 36), "凶");
    CloseAlmanac();

    // The month page (the switch closes the day page, and with it the windows it owns).
    Command(shell::command::kMonthPage);
    Pump();
    ASSERT_EQ(program_.view, views::CalendarView::kMonth);
    EXPECT_EQ(Almanac(), nullptr);
    Command(shell::command::kAlmanac);
    ASSERT_NE(Almanac(), nullptr);
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), kFestival + 10);  // the day the switch kept
    ShowDay(kFestival + 40);
    Pump();
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), kFestival + 40);
    CloseAlmanac();
}

TEST_F(AlmanacWindowTest, ChoosingShowsTheDaysTempoFinds) {
    ASSERT_NE(Open(views::CalendarView::kDay, kFestival), nullptr);
    Command(shell::command::kAlmanac);
    HWND window = Almanac();
    ASSERT_NE(window, nullptr);
    ASSERT_EQ(test::Selected(GetDlgItem(window, almanac::kActivityId)), "结婚");
    test::Choose(window, almanac::kDaysId, 1);    // 60 days
    test::Choose(window, almanac::kAnimalId, 2);  // 牛
    test::Click(window, almanac::kFindId);
    // `tempo almanac --find 结婚 --from 2024-02-10 --days 60 --avoid 牛 --json` (native build):
    const char* const expected[] = {"2024-02-12", "2024-02-18", "2024-02-22", "2024-02-24", "2024-03-03",
                                    "2024-03-04", "2024-03-06", "2024-03-11", "2024-03-18", "2024-03-26",
                                    "2024-03-30", "2024-04-06", "2024-04-08"};
    const std::vector<std::string> lines = Results();
    ASSERT_EQ(lines.size(), std::size(expected));
    const std::vector<almanac::ChosenDay> chosen =
        almanac::ChooseDays(almanac::ActivitiesOfWord("结婚"), kFestival, 60, almanac::AnimalOf("牛"));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].substr(0, 10), expected[i]);
        EXPECT_EQ(lines[i], almanac::ChosenDayLine(chosen[i]));
    }
    EXPECT_NE(Text(window, almanac::kFindStatusId).find("共13天"), std::string::npos);
    // A double click on a chosen day shows it.
    HWND list = GetDlgItem(window, almanac::kResultsId);
    SendMessageW(list, LB_SETCURSEL, 2, 0);
    SendMessageW(window, WM_COMMAND, MAKEWPARAM(almanac::kResultsId, LBN_DBLCLK), reinterpret_cast<LPARAM>(list));
    EXPECT_EQ(almanac::AlmanacDayOf(window), astro::DateToDayNumber(2024, 2, 22));
    CloseAlmanac();
}

TEST_F(AlmanacWindowTest, TheMonthPanelShowsTheDaysYiAndJi) {
    ASSERT_NE(Open(views::CalendarView::kMonth, kFestival), nullptr);
    const std::string panel = Text(Item(views::kMonthPanelId));
    EXPECT_NE(panel.find(almanac::PanelYiLine(kFestival)), std::string::npos) << panel;
    EXPECT_NE(panel.find(almanac::PanelJiLine(kFestival)), std::string::npos) << panel;
    ShowDay(kFestival + 1);
    Pump();
    EXPECT_NE(Text(Item(views::kMonthPanelId)).find(almanac::PanelJiLine(kFestival + 1)), std::string::npos);
}

// The four pillars of a birth beside the almanac: a time typed on the day shown and a place from the
// lists (first the program's own place), the result as `tempo pillars` gives it.
TEST_F(AlmanacWindowTest, ATimeAndAPlaceGiveTheBirthPillars) {
    ASSERT_NE(Open(views::CalendarView::kDay, kFestival), nullptr);
    Command(shell::command::kAlmanac);
    HWND window = Almanac();
    ASSERT_NE(window, nullptr);
    EXPECT_EQ(test::Selected(GetDlgItem(window, almanac::kBirthProvinceId)), "北京");
    EXPECT_EQ(test::Selected(GetDlgItem(window, almanac::kBirthCityId)), "天安门");
    const auto pillars_at = [&](astro::DayNumber day, const std::string& time) {
        almanac::ShowAlmanacDay(window, day);
        test::SetText(window, almanac::kBirthTimeId, "");
        test::Type(window, almanac::kBirthTimeId, time);
        test::Click(window, almanac::kBirthPillarsId);
        return Text(window, almanac::kBirthResultId);
    };
    // 立春 2024-02-04 16:26:53: at 天安门 16:20 is true 15:51, still 癸卯年 乙丑月.
    std::string result = pillars_at(astro::DateToDayNumber(2024, 2, 4), "16:20");
    EXPECT_NE(result.find("四柱　癸卯年 乙丑月 戊戌日 庚申时"), std::string::npos) << result;
    EXPECT_NE(result.find("生于立春之前7分"), std::string::npos) << result;
    // 乌鲁木齐 (87.68 E): 01:30 Beijing time is true 23:06 of the day before, the 子 hour of 02-11.
    test::Choose(window, almanac::kBirthProvinceId, 15);  // 新疆
    EXPECT_EQ(test::Selected(GetDlgItem(window, almanac::kBirthCityId)), "乌鲁木齐");
    result = pillars_at(astro::DateToDayNumber(2024, 2, 11), "01:30");
    EXPECT_NE(result.find("四柱　甲辰年 丙寅月 乙巳日 丙子时"), std::string::npos) << result;
    EXPECT_NE(result.find("按该派日柱为甲辰"), std::string::npos) << result;
    // 1988-09-11 01:30 came twice; the list of daylight saving time says which.
    test::Choose(window, almanac::kBirthProvinceId, 0);
    result = pillars_at(astro::DateToDayNumber(1988, 9, 11), "01:30");
    EXPECT_NE(result.find("出现两次"), std::string::npos) << result;
    test::Choose(window, almanac::kBirthDaylightId, 1);  // 钟表为夏令时
    test::Click(window, almanac::kBirthPillarsId);
    EXPECT_NE(Text(window, almanac::kBirthResultId).find("己巳日 甲子时"), std::string::npos);
    EXPECT_NE(pillars_at(kFestival, "25:00").find("出生时间请按"), std::string::npos);
    CloseAlmanac();
}

}  // namespace
