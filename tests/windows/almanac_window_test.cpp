// The almanac window 黄历 in the program: opened by the menu, the hotkey and a double click on the day
// page's information line; following the pages; its own day buttons; choosing days; the month
// page's 宜 and 忌 lines.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "almanac/almanac.h"
#include "almanac/almanac_text.h"
#include "almanac/almanac_window.h"
#include "almanac/choosing.h"
#include "astro/day_numbers.h"
#include "settings/settings.h"
#include "shell/command_ids.h"
#include "shell/program_win32.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "views/day_page_model.h"
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
    test::Click(Almanac(), almanac::kFindId);
    const std::string found = Text(Almanac(), almanac::kFindStatusId);
    HWND window = Almanac();

    // The month page: the almanac moves to it with its day and its chosen days, as the player does.
    ShowDay(kFestival + 10);
    Command(shell::command::kMonthPage);
    Pump();
    ASSERT_EQ(program_.view, views::CalendarView::kMonth);
    ASSERT_EQ(Almanac(), window);
    EXPECT_TRUE(IsWindowVisible(window));
    EXPECT_EQ(GetWindow(window, GW_OWNER), Window());
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), kFestival + 10);  // the day the switch kept
    EXPECT_EQ(Text(Almanac(), almanac::kFindStatusId), found);
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
    // `tempo almanac --find 结婚 --from 2024-02-10 --days 60 --avoid 牛 --json` (native build), its
    // dates written as the pages write them:
    const char* const expected[] = {"2024年2月12日", "2024年2月18日", "2024年2月22日", "2024年2月24日", "2024年3月3日",
                                    "2024年3月4日", "2024年3月6日", "2024年3月11日", "2024年3月18日", "2024年3月26日",
                                    "2024年3月30日", "2024年4月6日", "2024年4月8日"};
    const std::vector<std::string> lines = Results();
    ASSERT_EQ(lines.size(), std::size(expected));
    const std::vector<almanac::ChosenDay> chosen =
        almanac::ChooseDays(almanac::ActivitiesOfWord("结婚"), kFestival, 60, almanac::AnimalOf("牛"));
    for (size_t i = 0; i < lines.size(); ++i) {
        EXPECT_EQ(lines[i].rfind(std::string(expected[i]) + " ", 0), 0u) << lines[i];
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

// The 宜 and 忌 boxes show every word whole, on days with few and with many words: their lines hold
// whole words only, all of them in order, and a box whose lines do not fit shows its scroll bar.
TEST_F(AlmanacWindowTest, TheYiAndJiBoxesShowEveryWordWhole) {
    ASSERT_NE(Open(views::CalendarView::kDay, kFestival), nullptr);
    Command(shell::command::kAlmanac);
    ASSERT_NE(Almanac(), nullptr);
    bool scrolled = false;
    for (const astro::DayNumber day : {astro::DateToDayNumber(2026, 12, 10), astro::DateToDayNumber(2026, 12, 17),
                                       kFestival, astro::DateToDayNumber(2025, 6, 1)}) {
        almanac::ShowAlmanacDay(Almanac(), day);
        const almanac::YiJi yj = almanac::YiJiOf(almanac::SpiritsOfDay(day));
        for (const auto& [id, text] : {std::pair{almanac::kYiId, almanac::YiText(yj)}, std::pair{almanac::kJiId, almanac::JiText(yj)}}) {
            HWND box = GetDlgItem(Almanac(), id);
            // The lines as the box shows them, its own wrapping included.
            std::string shown;
            const int count = static_cast<int>(SendMessageW(box, EM_GETLINECOUNT, 0, 0));
            for (int line = 0; line < count; ++line) {
                wchar_t buffer[512] = {};
                buffer[0] = 511;
                const LRESULT length = SendMessageW(box, EM_GETLINE, line, reinterpret_cast<LPARAM>(buffer));
                std::string words = text::WideToGbk(std::wstring(buffer, static_cast<size_t>(length)));
                while (!words.empty() && words.back() == ' ') words.pop_back();
                shown += (shown.empty() ? "" : " ") + words;
            }
            EXPECT_EQ(shown, text) << day << " box " << id;
            // Lines that do not fit: the scroll bar shows.
            RECT format{};
            SendMessageW(box, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
            HDC dc = GetDC(box);
            HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(box, WM_GETFONT, 0, 0)));
            TEXTMETRICW metrics{};
            GetTextMetricsW(dc, &metrics);
            SelectObject(dc, old);
            ReleaseDC(box, dc);
            const bool fits = count * metrics.tmHeight <= format.bottom - format.top;
            SCROLLBARINFO bar{};
            bar.cbSize = sizeof bar;
            GetScrollBarInfo(box, OBJID_VSCROLL, &bar);
            EXPECT_EQ((bar.rgstate[0] & STATE_SYSTEM_INVISIBLE) == 0, !fits) << day << " box " << id;
            scrolled = scrolled || !fits;
        }
    }
    EXPECT_TRUE(scrolled);  // 2026-12-10 has 34 忌
    CloseAlmanac();
}

// The almanac's own day buttons stop at the pages' days, and choosing stops at their last day.
TEST_F(AlmanacWindowTest, ItsDaysEndWhereThePagesDaysEnd) {
    ASSERT_NE(Open(views::CalendarView::kDay, views::LastShownDay() - 1), nullptr);
    Command(shell::command::kAlmanac);
    ASSERT_NE(Almanac(), nullptr);
    test::Click(Almanac(), almanac::kNextDayId);
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), views::LastShownDay());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Almanac(), almanac::kNextDayId)));
    SendMessageW(Almanac(), WM_COMMAND, MAKEWPARAM(almanac::kNextDayId, BN_CLICKED), 0);
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), views::LastShownDay());
    test::Click(Almanac(), almanac::kFindId);
    EXPECT_NE(Text(Almanac(), almanac::kFindStatusId).find("起1天"), std::string::npos);
    EXPECT_EQ(Text(Almanac(), almanac::kFindStatusId).rfind("自4103年12月31日", 0), 0u);
    almanac::ShowAlmanacDay(Almanac(), views::FirstShownDay());
    EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Almanac(), almanac::kPreviousDayId)));
    EXPECT_TRUE(IsWindowEnabled(GetDlgItem(Almanac(), almanac::kNextDayId)));
    almanac::ShowAlmanacDay(Almanac(), views::FirstShownDay() - 1);
    EXPECT_EQ(almanac::AlmanacDayOf(Almanac()), views::FirstShownDay());
    EXPECT_EQ(Text(Almanac(), almanac::kDateId).rfind("前104年1月1日", 0), 0u);
    CloseAlmanac();
}

// It opens beside the page, whole on the screen and clear of it; once the user has moved it, it
// opens where it was put, and the registry keeps the place.
TEST_F(AlmanacWindowTest, ItOpensBesideThePageAndWhereTheUserPutIt) {
    program_.settings.use_registry = 1;
    ASSERT_NE(Open(views::CalendarView::kDay, kFestival), nullptr);
    // The page near the screen's left edge: room beside it on the right.
    SetWindowPos(Window(), nullptr, 10, 100, 0, 0, SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
    Command(shell::command::kAlmanac);
    ASSERT_NE(Almanac(), nullptr);
    RECT page, almanac, both, work;
    GetWindowRect(Window(), &page);
    GetWindowRect(Almanac(), &almanac);
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_FALSE(IntersectRect(&both, &page, &almanac));
    EXPECT_TRUE(almanac.left >= work.left && almanac.top >= work.top && almanac.right <= work.right &&
                almanac.bottom <= work.bottom);
    // The user moves it (its caption dragged: the move ends with WM_EXITSIZEMOVE).
    SetWindowPos(Almanac(), nullptr, 30, 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(Almanac(), WM_EXITSIZEMOVE, 0, 0);
    EXPECT_EQ(Stored("AlmanacPlace"), "30,20");
    CloseAlmanac();
    program_.settings.almanac_placed = false;  // read back from the registry
    Command(shell::command::kAlmanac);
    ASSERT_NE(Almanac(), nullptr);
    GetWindowRect(Almanac(), &almanac);
    EXPECT_EQ(almanac.left, 30);
    EXPECT_EQ(almanac.top, 20);
    CloseAlmanac();
    // A place off every monitor: moved whole onto the screen.
    registry_.SetValue(platform::RegistryRoot::CurrentUser, settings::SettingsKey, "AlmanacPlace", "5000,-3000");
    Command(shell::command::kAlmanac);
    ASSERT_NE(Almanac(), nullptr);
    GetWindowRect(Almanac(), &almanac);
    EXPECT_TRUE(almanac.left >= work.left && almanac.top >= work.top && almanac.right <= work.right &&
                almanac.bottom <= work.bottom);
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
