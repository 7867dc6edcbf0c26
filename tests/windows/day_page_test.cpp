// The day page and the local-coordinates dialog as real windows, driven with messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "astro/day_numbers.h"
#include "calendar/day_info.h"
#include "places/local_coordinates_dialog.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "shell/app_win32.h"
#include "text/wide.h"
#include "views/day_page_window.h"

namespace {

using astro::DateToDayNumber;
using views::DayList;

void Pump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

std::string Text(HWND control) {
    wchar_t buf[512] = {};
    GetWindowTextW(control, buf, 512);
    return text::WideToGbk(buf);
}

class DayPageTest : public ::testing::Test {
protected:
    void SetUp() override {
        shell::App& app = shell::TheApp();
        app = shell::App{};
        registry_ = std::make_unique<platform::MemoryRegistry>();
        clock_ = std::make_unique<platform::FixedClock>(platform::LocalDateTime{2024, 2, 10, 9, 0, 0});
        app.registry = registry_.get();
        app.clock = clock_.get();
        app.window_placement = 'N';
        page_ = views::CreateDayPage(DateToDayNumber(2024, 2, 10));
        ASSERT_NE(page_, nullptr);
        Pump();
    }
    void TearDown() override {
        if (IsWindow(page_)) DestroyWindow(page_);
        Pump();
        MSG msg;
        PeekMessageW(&msg, nullptr, WM_QUIT, WM_QUIT, PM_REMOVE);  // the page's quit message
        shell::TheApp().registry = nullptr;
        shell::TheApp().clock = nullptr;
    }

    HWND List(DayList list) const { return GetDlgItem(page_, views::kFirstListId + static_cast<int>(list)); }

    std::string Selected(DayList list) const {
        HWND combo = List(list);
        const LRESULT i = SendMessageW(combo, CB_GETCURSEL, 0, 0);
        wchar_t buf[64] = {};
        SendMessageW(combo, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(buf));
        return text::WideToGbk(buf);
    }

    // Chooses an item as the user does: the selection changes and the page is told.
    void Choose(DayList list, int index) {
        HWND combo = List(list);
        SendMessageW(combo, CB_SETCURSEL, index, 0);
        SendMessageW(page_, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(combo), CBN_SELCHANGE), reinterpret_cast<LPARAM>(combo));
        Pump();
    }

    void Key(DayList list, WPARAM key) {
        SendMessageW(List(list), WM_KEYDOWN, key, 0);
        Pump();
    }

    std::string Attribute() const { return Text(GetDlgItem(page_, views::kAttributeLineId)); }
    std::string Information() const { return Text(GetDlgItem(page_, views::kInformationLineId)); }

    std::unique_ptr<platform::MemoryRegistry> registry_;
    std::unique_ptr<platform::FixedClock> clock_;
    HWND page_ = nullptr;
};

TEST_F(DayPageTest, ShowsTheDayInAllNineListsAndBothLines) {
    EXPECT_EQ(Selected(DayList::kSolarYear), "    2024年");
    EXPECT_EQ(Selected(DayList::kSolarMonth), "2月");
    EXPECT_EQ(Selected(DayList::kSolarDay), "10日");
    EXPECT_EQ(Selected(DayList::kLunarYear), "  二○二四年");
    EXPECT_EQ(Selected(DayList::kLunarMonth), "  正月");
    EXPECT_EQ(Selected(DayList::kLunarDay), "初一");
    EXPECT_EQ(Selected(DayList::kHijriYear), "    1445年");
    EXPECT_EQ(Selected(DayList::kHijriMonth), "7月");
    EXPECT_EQ(Selected(DayList::kHijriDay), "30日");
    EXPECT_EQ(Attribute(), "星期六 水瓶座  甲辰(龙)年丙寅月甲辰日");
    EXPECT_EQ(Information(), "春节 国际气象节 2月19日雨水 六九第6天");
    RECT r;
    GetWindowRect(page_, &r);
    EXPECT_EQ(r.right - r.left, 260);
    EXPECT_EQ(r.bottom - r.top, 150);
    EXPECT_EQ(Text(page_), "橙鹿日历");
    EXPECT_EQ(GetWindowLongPtrW(page_, GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
}

TEST_F(DayPageTest, EveryListMovesTheThreeCalendarsTogether) {
    Choose(DayList::kSolarMonth, 2);  // March: 2024-03-10, 二月初一
    EXPECT_EQ(views::DayPageDay(page_), DateToDayNumber(2024, 3, 10));
    EXPECT_EQ(Selected(DayList::kLunarMonth), "  二月");
    EXPECT_EQ(Selected(DayList::kLunarDay), "初一");
    Choose(DayList::kSolarDay, 0);  // 2024-03-01
    EXPECT_EQ(Selected(DayList::kLunarMonth), "  正月");
    EXPECT_EQ(Selected(DayList::kLunarDay), "廿一");
    Choose(DayList::kLunarDay, 14);  // 正月十五, 元宵节 (2024-02-24)
    EXPECT_EQ(Selected(DayList::kSolarMonth), "2月");
    EXPECT_EQ(Selected(DayList::kSolarDay), "24日");
    EXPECT_EQ(Information().substr(0, 6), "元宵节");
    const int year_2023 = static_cast<int>(SendMessageW(List(DayList::kSolarYear), CB_GETCURSEL, 0, 0)) - 1;
    Choose(DayList::kSolarYear, year_2023);  // 2023-02-24
    EXPECT_EQ(views::DayPageDay(page_), DateToDayNumber(2023, 2, 24));
    // The leap month of 2023: 闰二月 in the lunar month list moves the Gregorian and Hijri rows.
    Choose(DayList::kLunarMonth, 2);
    EXPECT_EQ(Selected(DayList::kLunarMonth), "闰二月");
    EXPECT_EQ(views::DayPageDay(page_), DateToDayNumber(2023, 3, 22) + views::DayPageAt(DateToDayNumber(2023, 2, 24)).lunar.day - 1);
    EXPECT_EQ(Selected(DayList::kSolarMonth), "3月");
    Choose(DayList::kHijriMonth, 0);  // Muharram of the same Hijri year
    EXPECT_EQ(Selected(DayList::kHijriMonth), "1月");
    EXPECT_EQ(views::DayPageAt(views::DayPageDay(page_)).hijri.month, 1);
    EXPECT_EQ(Attribute(), calendar::AttributeLine(views::DayPageAt(views::DayPageDay(page_)).solar.year,
                                                   views::DayPageAt(views::DayPageDay(page_)).solar.month,
                                                   views::DayPageAt(views::DayPageDay(page_)).solar.day, 0));
}

TEST_F(DayPageTest, KeysStepAcrossTheReformALeapMonthAndTheYearsEnd) {
    views::ShowDayOnPage(page_, DateToDayNumber(1582, 10, 4));
    Key(DayList::kSolarDay, VK_RIGHT);
    EXPECT_EQ(views::DayPageDay(page_), DateToDayNumber(1582, 10, 15));
    EXPECT_EQ(Selected(DayList::kSolarDay), "15日");
    Key(DayList::kSolarDay, VK_LEFT);
    EXPECT_EQ(Selected(DayList::kSolarDay), "4日");

    views::ShowDayOnPage(page_, DateToDayNumber(2023, 2, 25));  // 二月初六 2023
    Key(DayList::kLunarMonth, VK_DOWN);
    EXPECT_EQ(Selected(DayList::kLunarMonth), "闰二月");
    EXPECT_EQ(views::DayPageDay(page_), DateToDayNumber(2023, 3, 27));
    Key(DayList::kLunarMonth, VK_DOWN);
    EXPECT_EQ(Selected(DayList::kLunarMonth), "  三月");

    views::ShowDayOnPage(page_, DateToDayNumber(2023, 12, 31));
    Key(DayList::kSolarDay, VK_RIGHT);
    EXPECT_EQ(Selected(DayList::kSolarYear), "    2024年");
    EXPECT_EQ(Selected(DayList::kSolarMonth), "1月");
    EXPECT_EQ(Selected(DayList::kSolarDay), "1日");
    // The wheel: up is back.
    SendMessageW(List(DayList::kSolarDay), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    Pump();
    EXPECT_EQ(views::DayPageDay(page_), DateToDayNumber(2023, 12, 31));
    // Escape hides the page.
    Key(DayList::kSolarDay, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(page_));
}

TEST_F(DayPageTest, StaysOnTheScreenWhenMovedPastAnEdge) {
    const shell::ScreenSize screen = shell::ScreenPixels();
    SetWindowPos(page_, nullptr, -100, -50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    RECT r;
    GetWindowRect(page_, &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    SetWindowPos(page_, nullptr, screen.width - 100, screen.height + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    GetWindowRect(page_, &r);
    EXPECT_EQ(r.right, screen.width);
    EXPECT_EQ(r.bottom, screen.height);
}

TEST_F(DayPageTest, EraNamesAndInformationTypes) {
    views::ShowDayOnPage(page_, DateToDayNumber(1875, 6, 1));
    EXPECT_EQ(Selected(DayList::kLunarYear), "  一八七五年");
    shell::TheApp().settings.dform_show_dynasty_flag = 1;
    views::RefillLunarYears(page_);
    EXPECT_EQ(Selected(DayList::kLunarYear), "清代光绪01年");
    shell::TheApp().settings.dform_show_info_type_flag = 1;
    views::RefreshInformationLine(page_);
    EXPECT_EQ(Information().substr(0, 8), "日出时刻");
    shell::TheApp().settings.dform_show_info_type_flag = 2;
    views::RefreshInformationLine(page_);
    EXPECT_EQ(Information().substr(0, 8), "天亮时刻");
}

TEST_F(DayPageTest, ClosingSavesTheCentreAndTheSettings) {
    shell::App& app = shell::TheApp();
    app.settings.use_registry = 1;
    app.settings.dform_show_dynasty_flag = 1;
    SetWindowPos(page_, nullptr, 100, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(page_, WM_CLOSE, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(page_));
    EXPECT_EQ(registry_->StoredValue(platform::RegistryRoot::CurrentUser, shell::SettingsKey, "Version"), "4.2");
    EXPECT_EQ(registry_->StoredValue(platform::RegistryRoot::CurrentUser, shell::SettingsKey, "FormCenterX"), "230.0");
    EXPECT_EQ(registry_->StoredValue(platform::RegistryRoot::CurrentUser, shell::SettingsKey, "FormCenterY"), "275.0");
    EXPECT_EQ(registry_->StoredValue(platform::RegistryRoot::CurrentUser, shell::SettingsKey, "DFORMShowDynastyFlag"), "1");
}

TEST_F(DayPageTest, LocalCoordinatesDialogChoosesThePlace) {
    HWND dialog = places::CreateLocalCoordinatesDialog(page_);
    ASSERT_NE(dialog, nullptr);
    Pump();
    EXPECT_EQ(Text(dialog), "本地坐标");
    RECT r;
    GetWindowRect(dialog, &r);
    EXPECT_EQ(r.right - r.left, 213);
    EXPECT_EQ(r.bottom - r.top, 175);
    HWND provinces = GetDlgItem(dialog, places::kProvinceListId);
    HWND cities = GetDlgItem(dialog, places::kCityListId);
    EXPECT_EQ(SendMessageW(provinces, CB_GETCOUNT, 0, 0), 35);
    EXPECT_EQ(SendMessageW(cities, CB_GETCOUNT, 0, 0), 16);
    EXPECT_EQ(Text(GetDlgItem(dialog, places::kLongitudeFieldId)), "东经116.3800度");
    EXPECT_EQ(Text(GetDlgItem(dialog, places::kLatitudeFieldId)), "北纬39.9000度");
    // 黑龙江: the cities are refilled and the first one's coordinates shown.
    SendMessageW(provinces, CB_SETCURSEL, 4, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(places::kProvinceListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(provinces));
    EXPECT_EQ(SendMessageW(cities, CB_GETCOUNT, 0, 0), 13);
    EXPECT_EQ(SendMessageW(cities, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(GetDlgItem(dialog, places::kLongitudeFieldId)), "东经126.6300度");
    SendMessageW(cities, CB_SETCURSEL, 1, 0);  // 齐齐哈尔
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(places::kCityListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(cities));
    EXPECT_EQ(Text(GetDlgItem(dialog, places::kLatitudeFieldId)), "北纬47.3300度");
    // Nothing changes until 确定.
    EXPECT_EQ(shell::TheApp().settings.place.prov_index, 1);
    SendMessageW(GetDlgItem(dialog, IDOK), BM_CLICK, 0, 0);
    Pump();
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(shell::TheApp().settings.place.prov_index, 5);
    EXPECT_EQ(shell::TheApp().settings.place.city_index, 2);
    EXPECT_DOUBLE_EQ(shell::TheApp().settings.place.longitude, -123.97);
    // 取消 leaves the place alone.
    dialog = places::CreateLocalCoordinatesDialog(page_);
    provinces = GetDlgItem(dialog, places::kProvinceListId);
    SendMessageW(provinces, CB_SETCURSEL, 34, 0);
    SendMessageW(dialog, WM_COMMAND, MAKEWPARAM(places::kProvinceListId, CBN_SELCHANGE), reinterpret_cast<LPARAM>(provinces));
    EXPECT_EQ(Text(GetDlgItem(dialog, places::kLatitudeFieldId)), "南纬90.0000度");
    SendMessageW(GetDlgItem(dialog, IDCANCEL), BM_CLICK, 0, 0);
    Pump();
    EXPECT_EQ(shell::TheApp().settings.place.prov_index, 5);
}

}  // namespace
