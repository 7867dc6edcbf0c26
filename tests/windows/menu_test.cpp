// The popup menu and every command of it, sent to a real calendar window under Wine.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>

#include "astro/day_numbers.h"
#include "calendar/lunar_year.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "tools/date_tools_window.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"
#include "win/services.h"

namespace {

using astro::DateToDayNumber;
using namespace shell::command;
using test::Pump;
using test::Text;

class MenuTest : public test::CalendarTest {
protected:
    void SetUp() override {
        clock_.Set({2025, 10, 6, 9, 30, 0});
        page_ = Open(views::CalendarView::kDay, DateToDayNumber(2024, 2, 10));
        ASSERT_NE(page_, nullptr);
    }
    // Runs a command that opens a modal window, answered by pressing `button` in the window titled
    // `caption`.
    bool CommandAnswered(int id, const char* caption, int button) {
        return test::Answered([this, id] { Command(id); }, caption, button);
    }
    HWND page_ = nullptr;
};

TEST_F(MenuTest, TheMenuHoldsEveryItemInOrder) {
    HMENU menu = program_.menu.get();
    ASSERT_EQ(GetMenuItemCount(menu), 28);
    const int expected[] = {kDayPage, kMonthPage, 0, kMusicPlayer, kWeather, kAlmanac, 0, kAlwaysOnTop, kEmbedInDesktop, 0,
                            kMoveLock, 0,         -1, 0, kLocalCoordinates, 0, -1, 0, kSpeakTime, 0, -1, 0,
                            kGoToToday, kChangeSystemDate, 0, kHelp, 0, kExit};
    for (int i = 0; i < 28; ++i) {
        const UINT id = GetMenuItemID(menu, i);
        if (expected[i] == -1)
            EXPECT_EQ(id, static_cast<UINT>(-1)) << i;  // a submenu
        else if (expected[i] == 0)
            EXPECT_TRUE(GetMenuState(menu, i, MF_BYPOSITION) & MF_SEPARATOR) << i;
        else
            EXPECT_EQ(id, static_cast<UINT>(expected[i])) << i;
    }
    // The command names are the program's fixed identifiers.
    EXPECT_EQ(kDayPage, 3025);
    EXPECT_EQ(kTransparencyAuto, 3050);
    EXPECT_EQ(kConditionDays, 3076);
    EXPECT_EQ(kExit, 3113);
    wchar_t name[64] = {};
    GetMenuStringW(menu, kMonthPage, name, 64, MF_BYCOMMAND);
    EXPECT_EQ(text::WideToGbk(name), "橙鹿月历(&M)");
    GetMenuStringW(menu, kAlmanac, name, 64, MF_BYCOMMAND);
    EXPECT_EQ(text::WideToGbk(name), "黄历(&Y)...");
    HMENU tools = GetSubMenu(menu, 16);
    ASSERT_NE(tools, nullptr);
    EXPECT_EQ(GetMenuItemCount(tools), 23);
    EXPECT_EQ(GetMenuItemID(tools, 18), static_cast<UINT>(kConditionDays));
    EXPECT_EQ(GetMenuItemID(tools, 19), static_cast<UINT>(kConditionMonths));  // 查询条件月 after 查询条件日
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 12)), 12);
    EXPECT_EQ(GetMenuItemCount(GetSubMenu(menu, 20)), 20);
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 20), 11), static_cast<UINT>(kUpdateHolidays));
    EXPECT_EQ(GetMenuItemID(GetSubMenu(menu, 20), 10), static_cast<UINT>(kShowHolidays));
    // Every window of the menu is there.
    for (int id : {kMusicPlayer, kWeather, kLocalCoordinates, kMemorialDays, kReminderDays, kCountdownDays, kAlarms, kSpeakTime})
        EXPECT_FALSE(GetMenuState(menu, id, MF_BYCOMMAND) & MF_GRAYED) << id;
}

TEST_F(MenuTest, ChecksFollowTheState) {
    EXPECT_TRUE(Checked(kDayPage));
    EXPECT_FALSE(Checked(kMonthPage));
    EXPECT_FALSE(Checked(kAlwaysOnTop));  // the test opens the page with the normal placement
    EXPECT_TRUE(Checked(kTransparency0));
    EXPECT_FALSE(Checked(kTransparencyAuto));
    EXPECT_TRUE(Checked(kInfoFestivals));
    EXPECT_FALSE(Checked(kUseRegistry));
    Command(kMoveLock);
    EXPECT_TRUE(program_.move_lock);
    EXPECT_TRUE(Checked(kMoveLock));
    Command(kMoveLock);
    EXPECT_FALSE(Checked(kMoveLock));
}

TEST_F(MenuTest, PlacementAndTransparency) {
    Command(kAlwaysOnTop);
    EXPECT_EQ(program_.placement, shell::Placement::kOnTop);
    EXPECT_TRUE(GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    Command(kAlwaysOnTop);
    EXPECT_EQ(program_.placement, shell::Placement::kNormal);
    EXPECT_FALSE(GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOPMOST);
    Command(kAlwaysOnTop);
    Command(kEmbedInDesktop);  // into the desktop, or back on top where there is no desktop window to join
    const shell::Placement placement = program_.placement;
    EXPECT_TRUE(placement == shell::Placement::kInDesktop || placement == shell::Placement::kOnTop);
    EXPECT_EQ(GetParent(Window()) != nullptr, placement == shell::Placement::kInDesktop);
    if (placement == shell::Placement::kInDesktop) Command(kEmbedInDesktop);
    for (int level = 0; level <= 9; ++level) {
        Command(kTransparency0 + level);
        EXPECT_EQ(win::Alpha(Window()), 255 - 25 * level) << level;
        EXPECT_TRUE(Checked(kTransparency0 + level));
    }
    Command(kTransparencyAuto);
    EXPECT_EQ(program_.transparency_level, shell::kAutomaticTransparency);
    EXPECT_TRUE(Checked(kTransparencyAuto));
    EXPECT_FALSE(Checked(kTransparency90));
}

TEST_F(MenuTest, OptionsAreSavedAsTheirValues) {
    for (int id : {kUseRegistry, kHourlyChime, kGanZhiFromChunjie, kNoBackgroundMusic, kModernAncient,
                   kNearLocateMemorial, kShowEraNames}) {
        Command(id);
        EXPECT_TRUE(Checked(id)) << id;
    }
    Command(kInfoSunTimes);
    EXPECT_TRUE(Checked(kInfoSunTimes));
    EXPECT_FALSE(Checked(kInfoFestivals));
    EXPECT_EQ(Text(Item(views::kInformationLineId)).substr(0, 8), "日出时刻");
    Command(kInfoTwilight);
    EXPECT_EQ(Text(Item(views::kInformationLineId)).substr(0, 8), "天亮时刻");
    Command(kGanZhiFromChunjie);  // and off again: its value must go
    SendMessageW(Window(), WM_CLOSE, 0, 0);
    Pump();
    EXPECT_EQ(Stored("Version"), "4.2");
    EXPECT_EQ(Stored("WholeAutoReportTimeFlag"), "1");
    EXPECT_EQ(Stored("ModernCalculateAncientFlag"), "1");
    EXPECT_EQ(Stored("DFORMShowDynastyFlag"), "1");
    EXPECT_EQ(Stored("DFORMShowInfoTypeFlag"), "2");
    EXPECT_FALSE(registry_.HasValue(platform::RegistryRoot::CurrentUser, settings::SettingsKey, "GanZhiFromChunjieFlag"));
}

TEST_F(MenuTest, ModernRuleEmptiesTheYearCache) {
    const std::string historical = calendar::LunarYearRecord(300);
    Command(kModernAncient);
    EXPECT_TRUE(calendar::ModernCalculateAncientFlag());
    EXPECT_NE(calendar::LunarYearRecord(300), historical);
    Command(kModernAncient);
    EXPECT_EQ(calendar::LunarYearRecord(300), historical);
}

TEST_F(MenuTest, TheViewsSwitchKeepingTheDay) {
    program_.move_lock = true;
    Command(kTransparency0 + 5);
    Command(kDayPage);  // the day page is shown: nothing happens
    EXPECT_EQ(Window(), page_);
    Command(kMonthPage);
    HWND month = Window();
    ASSERT_NE(month, nullptr);
    EXPECT_NE(month, page_);
    EXPECT_FALSE(IsWindow(page_));
    EXPECT_EQ(Text(month), "橙鹿月历");
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 10));
    EXPECT_EQ(program_.view, views::CalendarView::kMonth);
    EXPECT_FALSE(program_.move_lock);
    EXPECT_EQ(win::Alpha(month), 255);
    EXPECT_EQ(program_.placement, shell::Placement::kOnTop);
    EXPECT_TRUE(Checked(kMonthPage));
    EXPECT_EQ(test::TakeQuits(), 0);
    // Nothing was saved by the switch.
    EXPECT_FALSE(registry_.HasValue(platform::RegistryRoot::CurrentUser, settings::SettingsKey, "FormCenterX"));
    Command(kGoToToday);  // today on the month page
    EXPECT_EQ(Day(), DateToDayNumber(2025, 10, 6));
    Command(kDayPage);
    EXPECT_EQ(Day(), DateToDayNumber(2025, 10, 6));
    EXPECT_EQ(program_.view, views::CalendarView::kDay);
}

TEST_F(MenuTest, GoToAndChangeTheSystemDate) {
    Command(kGoToToday);
    EXPECT_EQ(Day(), DateToDayNumber(2025, 10, 6));
    ShowDay(DateToDayNumber(1979, 5, 1));
    Command(kChangeSystemDate);  // outside 1980..2099: nothing at all
    EXPECT_EQ(clock_.DateChanges(), 0);
    ShowDay(DateToDayNumber(2099, 12, 31));
    EXPECT_TRUE(CommandAnswered(kChangeSystemDate, "警告", IDCANCEL));
    EXPECT_EQ(clock_.DateChanges(), 0);
    EXPECT_TRUE(IsWindowEnabled(Window()));
    EXPECT_TRUE(CommandAnswered(kChangeSystemDate, "警告", IDOK));
    EXPECT_EQ(clock_.DateChanges(), 1);
    EXPECT_EQ(clock_.Now().year, 2099);
    EXPECT_EQ(clock_.Now().day, 31);
    // A refused change is told in a message box (titled 警告 too, answered by the same timer).
    clock_.RefuseChanges(true);
    ShowDay(DateToDayNumber(2030, 1, 1));
    EXPECT_TRUE(CommandAnswered(kChangeSystemDate, "警告", IDOK));
    EXPECT_EQ(clock_.DateChanges(), 2);
    EXPECT_EQ(clock_.Now().year, 2099);
}

TEST_F(MenuTest, ModalWindowsOpenFromTheMenuAndGiveTheCalendarBack) {
    const struct {
        int id;
        const char* caption;
    } windows[] = {{kHelp, "帮助"},
                   {kLocalCoordinates, "本地坐标"},
                   {kJulianDay, "橙鹿万年历：计算儒略日"},
                   {kSunTimes, "橙鹿万年历：计算太阳升降时刻"},
                   {kConditionMonths, "橙鹿万年历：查询条件月"}};
    for (const auto& w : windows) {
        EXPECT_TRUE(CommandAnswered(w.id, w.caption, IDCANCEL)) << w.caption;
        EXPECT_EQ(test::FindByCaption(w.caption), nullptr) << w.caption;
        EXPECT_TRUE(IsWindowEnabled(Window())) << w.caption;
    }
    EXPECT_EQ(program_.settings.place.prov_index, 1);
    // While a modal window is open, commands from the tray menu do not reach the calendar.
    bool refused = false;
    const test::ModalSteps steps({[&] {
        SendMessageW(Window(), WM_COMMAND, kMoveLock, 0);
        refused = !program_.move_lock;
        PostMessageW(test::FindByCaption("帮助"), WM_CLOSE, 0, 0);
    }});
    Command(kHelp);
    EXPECT_TRUE(refused);
}

TEST_F(MenuTest, TheToolsStartFromThePagesDay) {
    ShowDay(DateToDayNumber(1999, 12, 31));
    EXPECT_EQ(shell::ToolContextOf(program_).start_day, DateToDayNumber(1999, 12, 31));
    bool seen = false;
    const test::ModalSteps steps({[&] {
        HWND tool = test::FindByCaption("橙鹿万年历：计算儒略日");
        seen = tool != nullptr && Text(tool, tools::kDateBoxId) == "12-31-1999";
        PostMessageW(tool, WM_CLOSE, 0, 0);
    }});
    Command(kJulianDay);
    EXPECT_TRUE(seen);
}

TEST_F(MenuTest, ShortcutsAreCreatedBesideTheProgram) {
    const std::wstring folder = text::GbkToWide(program_.path.folder);
    const std::wstring music = folder + L"\\" + text::GbkToWide("橙鹿音乐") + L".LNK";
    const std::wstring weather = folder + L"\\" + text::GbkToWide("橙鹿天气") + L".LNK";
    DeleteFileW(music.c_str());
    DeleteFileW(weather.c_str());
    Command(kMusicShortcut);
    Command(kWeatherShortcut);
    EXPECT_NE(GetFileAttributesW(music.c_str()), INVALID_FILE_ATTRIBUTES);
    EXPECT_NE(GetFileAttributesW(weather.c_str()), INVALID_FILE_ATTRIBUTES);
    DeleteFileW(music.c_str());
    DeleteFileW(weather.c_str());
}

TEST_F(MenuTest, ExitClosesTheWindowAndEndsTheProgram) {
    Command(kExit);
    EXPECT_FALSE(IsWindow(page_));
    EXPECT_EQ(test::TakeQuits(), 1);
}

}  // namespace
