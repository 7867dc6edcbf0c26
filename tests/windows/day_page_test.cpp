// The day page and the local-coordinates dialog as real windows, driven with messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "calendar/day_info.h"
#include "places/local_coordinates_dialog.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "views/day_page_window.h"

namespace {

using astro::DateToDayNumber;
using test::Pump;
using test::Selected;
using test::Text;
using views::DayList;

class DayPageTest : public test::CalendarTest {
protected:
    void SetUp() override { ASSERT_NE(Open(views::CalendarView::kDay, DateToDayNumber(2024, 2, 10)), nullptr); }

    HWND List(DayList list) const { return Item(views::kFirstListId + static_cast<int>(list)); }
    std::string Selected(DayList list) const { return test::Selected(List(list)); }
    void Choose(DayList list, int index) { test::Choose(List(list), index); }
    void Key(DayList list, WPARAM key) {
        SendMessageW(List(list), WM_KEYDOWN, key, 0);
        Pump();
    }
    std::string Attribute() const { return Text(Item(views::kAttributeLineId)); }
    // A new page on a day, its lists as its first paint leaves them.
    void Reopen(astro::DayNumber day) {
        DestroyWindow(Window());
        Pump();
        test::TakeQuits();
        ASSERT_NE(Open(views::CalendarView::kDay, day), nullptr);
    }
    // The list opened and closed again, as a click on it and Escape do.
    void DropDown(DayList list) {
        SendMessageW(List(list), CB_SHOWDROPDOWN, TRUE, 0);
        SendMessageW(List(list), CB_SHOWDROPDOWN, FALSE, 0);
        Pump();
    }
    std::vector<std::string> Items(DayList list) const {
        std::vector<std::string> items;
        const int count = static_cast<int>(SendMessageW(List(list), CB_GETCOUNT, 0, 0));
        for (int i = 0; i < count; ++i) {
            std::wstring item(static_cast<size_t>(SendMessageW(List(list), CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(List(list), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(item.size() - 1);
            items.push_back(text::WideToGbk(item));
        }
        return items;
    }
    std::string Information() const { return Text(Item(views::kInformationLineId)); }
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
    GetWindowRect(Window(), &r);
    EXPECT_EQ(r.right - r.left, 260);
    EXPECT_EQ(r.bottom - r.top, 150);
    EXPECT_EQ(Text(Window()), "橙鹿日历");
    EXPECT_EQ(GetWindowLongPtrW(Window(), GWL_EXSTYLE) & WS_EX_TOOLWINDOW, WS_EX_TOOLWINDOW);
    EXPECT_TRUE(IsWindowVisible(Window()));
    // Centred on the screen when no centre is stored.
    EXPECT_EQ(r.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 130);
    EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 75);
}

TEST_F(DayPageTest, EveryListMovesTheThreeCalendarsTogether) {
    Choose(DayList::kSolarMonth, 2);  // March: 2024-03-10, 二月初一
    EXPECT_EQ(Day(), DateToDayNumber(2024, 3, 10));
    EXPECT_EQ(Selected(DayList::kLunarMonth), "  二月");
    EXPECT_EQ(Selected(DayList::kLunarDay), "初一");
    Choose(DayList::kSolarDay, 0);  // 2024-03-01
    EXPECT_EQ(Selected(DayList::kLunarMonth), "  正月");
    EXPECT_EQ(Selected(DayList::kLunarDay), "廿一");
    Choose(DayList::kLunarDay, 14);  // 正月十五, 元宵节 (2024-02-24)
    EXPECT_EQ(Selected(DayList::kSolarMonth), "2月");
    EXPECT_EQ(Selected(DayList::kSolarDay), "24日");
    EXPECT_EQ(Information().substr(0, 6), "元宵节");
    // A year list holds its years once it drops down: 前104年 .. 4103年.
    Choose(DayList::kSolarYear, 2023 + 103);  // 2023-02-24
    EXPECT_EQ(SendMessageW(List(DayList::kSolarYear), CB_GETCOUNT, 0, 0), 4207);
    EXPECT_EQ(Day(), DateToDayNumber(2023, 2, 24));
    EXPECT_EQ(Selected(DayList::kSolarYear), "    2023年");
    // The leap month of 2023: 闰二月 in the lunar month list moves the Gregorian and Hijri rows.
    Choose(DayList::kLunarMonth, 2);
    EXPECT_EQ(Selected(DayList::kLunarMonth), "闰二月");
    EXPECT_EQ(Day(), DateToDayNumber(2023, 3, 22) + views::DayPageAt(DateToDayNumber(2023, 2, 24)).lunar.day - 1);
    EXPECT_EQ(Selected(DayList::kSolarMonth), "3月");
    Choose(DayList::kHijriMonth, 0);  // Muharram of the same Hijri year
    EXPECT_EQ(Selected(DayList::kHijriMonth), "1月");
    EXPECT_EQ(views::DayPageAt(Day()).hijri.month, 1);
    const astro::CalendarDate d = views::DayPageAt(Day()).solar;
    EXPECT_EQ(Attribute(), calendar::AttributeLine(d.year, d.month, d.day, 0));
}

constexpr DayList kEveryList[] = {DayList::kSolarYear, DayList::kSolarMonth, DayList::kSolarDay,
                                  DayList::kLunarYear, DayList::kLunarMonth, DayList::kLunarDay,
                                  DayList::kHijriYear, DayList::kHijriMonth, DayList::kHijriDay};

// The page's first paint fills only what it shows (a year list holds its year alone until it is
// needed whole); every list shows what the whole list would, and holds the whole list, selected at
// the page's day, once it drops down. The whole lists are the model's, made apart from the page.
TEST_F(DayPageTest, EveryListShowsWhatTheWholeListShowsAndHoldsItOnceDroppedDown) {
    const struct {
        astro::DayNumber day;
        bool era_names;
    } cases[] = {
        {DateToDayNumber(2024, 2, 10), false},
        {DateToDayNumber(2023, 4, 5), false},  // 闰二月 of 2023
        {DateToDayNumber(1582, 10, 15), false},
        {DateToDayNumber(1875, 6, 1), true},
        {views::FirstShownDay(), false},
        {views::LastShownDay(), true},
    };
    for (const auto& c : cases) {
        program_.settings.dform_show_dynasty_flag = c.era_names;
        Reopen(c.day);
        const views::DayPageState state = views::DayPageAt(c.day);
        for (DayList list : kEveryList) {
            const std::vector<std::string> whole = views::ListItems(state, list, c.era_names);
            const int selected = views::SelectedItem(state, list);
            ASSERT_TRUE(selected >= 0 && selected < static_cast<int>(whole.size()));
            EXPECT_EQ(Selected(list), whole[selected]) << static_cast<int>(list);
            DropDown(list);
            EXPECT_EQ(Items(list), whole) << static_cast<int>(list);
            EXPECT_EQ(SendMessageW(List(list), CB_GETCURSEL, 0, 0), selected) << static_cast<int>(list);
            EXPECT_EQ(Day(), c.day);  // opened and closed, nothing chosen
        }
    }
}

// Home, End and a character look for an item in the list: on a year list as its first paint leaves
// it they find what they find once it holds all its years; Page Down and Page Up, which go by the
// rows the dropped list would show, move its year on and back, with the three calendars.
TEST_F(DayPageTest, KeysThatLookForAnItemFindWhatTheyFindInTheWholeList) {
    const astro::DayNumber day = DateToDayNumber(2024, 2, 10);
    const struct {
        UINT message;
        WPARAM key;
    } keys[] = {{WM_KEYDOWN, VK_HOME}, {WM_KEYDOWN, VK_END}, {WM_CHAR, ' '}};
    for (DayList list : {DayList::kSolarYear, DayList::kLunarYear, DayList::kHijriYear}) {
        for (const auto& k : keys) {
            Reopen(day);
            DropDown(list);
            SendMessageW(List(list), k.message, k.key, 0);
            Pump();
            const astro::DayNumber whole_day = Day();
            const std::string whole_year = Selected(list);

            Reopen(day);
            SendMessageW(List(list), k.message, k.key, 0);
            Pump();
            EXPECT_EQ(Day(), whole_day) << static_cast<int>(list) << " " << k.key;
            EXPECT_EQ(Selected(list), whole_year) << static_cast<int>(list) << " " << k.key;
            EXPECT_EQ(Selected(list), views::SelectedItemText(views::DayPageAt(Day()), list, false));
        }
    }
    for (DayList list : {DayList::kSolarYear, DayList::kLunarYear, DayList::kHijriYear}) {
        for (const WPARAM key : {VK_NEXT, VK_PRIOR}) {
            Reopen(day);
            const int before = views::SelectedItem(views::DayPageAt(day), list);
            SendMessageW(List(list), WM_KEYDOWN, key, 0);
            Pump();
            const views::DayPageState now = views::DayPageAt(Day());
            EXPECT_EQ(key == VK_NEXT, views::SelectedItem(now, list) > before) << static_cast<int>(list);
            EXPECT_NE(views::SelectedItem(now, list), before) << static_cast<int>(list);
            EXPECT_EQ(SendMessageW(List(list), CB_GETCURSEL, 0, 0), views::SelectedItem(now, list));
            EXPECT_EQ(Selected(DayList::kSolarDay), views::SelectedItemText(now, DayList::kSolarDay, false));
        }
    }
    // Home and End reach the ends of the shown years.
    Reopen(day);
    SendMessageW(List(DayList::kSolarYear), WM_KEYDOWN, VK_END, 0);
    Pump();
    EXPECT_EQ(Selected(DayList::kSolarYear), "    4103年");
    SendMessageW(List(DayList::kSolarYear), WM_KEYDOWN, VK_HOME, 0);
    Pump();
    EXPECT_EQ(Selected(DayList::kSolarYear), "   前104年");
    EXPECT_EQ(Day(), DateToDayNumber(-103, 2, 10));
}

TEST_F(DayPageTest, KeysStepAcrossTheReformALeapMonthAndTheYearsEnd) {
    ShowDay(DateToDayNumber(1582, 10, 4));
    Key(DayList::kSolarDay, VK_RIGHT);
    EXPECT_EQ(Day(), DateToDayNumber(1582, 10, 15));
    EXPECT_EQ(Selected(DayList::kSolarDay), "15日");
    Key(DayList::kSolarDay, VK_LEFT);
    EXPECT_EQ(Selected(DayList::kSolarDay), "4日");

    ShowDay(DateToDayNumber(2023, 2, 25));  // 二月初六 2023
    Key(DayList::kLunarMonth, VK_DOWN);
    EXPECT_EQ(Selected(DayList::kLunarMonth), "闰二月");
    EXPECT_EQ(Day(), DateToDayNumber(2023, 3, 27));
    Key(DayList::kLunarMonth, VK_DOWN);
    EXPECT_EQ(Selected(DayList::kLunarMonth), "  三月");

    ShowDay(DateToDayNumber(2023, 12, 31));
    Key(DayList::kSolarDay, VK_RIGHT);
    EXPECT_EQ(Selected(DayList::kSolarYear), "    2024年");
    EXPECT_EQ(Selected(DayList::kSolarMonth), "1月");
    EXPECT_EQ(Selected(DayList::kSolarDay), "1日");
    // The wheel: up is back.
    SendMessageW(List(DayList::kSolarDay), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    Pump();
    EXPECT_EQ(Day(), DateToDayNumber(2023, 12, 31));
    // Escape hides the page (the tray icon brings it back).
    Key(DayList::kSolarDay, VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Window()));
    EXPECT_TRUE(IsWindow(Window()));
}

TEST_F(DayPageTest, AListClosedWithoutAChoiceShowsThePagesDayAgain) {
    // The pointer rests on an item of the dropped list (the list box selects it without telling
    // anyone), then Escape closes the list: the page stays on its day, and so must the list.
    HWND month = List(DayList::kSolarMonth);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    ASSERT_TRUE(GetComboBoxInfo(month, &info));
    SendMessageW(month, CB_SHOWDROPDOWN, TRUE, 0);
    SendMessageW(info.hwndList, LB_SETCURSEL, 7, 0);
    SendMessageW(month, CB_SHOWDROPDOWN, FALSE, 0);
    Pump();
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 10));
    EXPECT_EQ(SendMessageW(month, CB_GETCURSEL, 0, 0), 1);
    EXPECT_EQ(Selected(DayList::kSolarMonth), "2月");
}

TEST_F(DayPageTest, EraNamesAndInformationTypes) {
    ShowDay(DateToDayNumber(1875, 6, 1));
    EXPECT_EQ(Selected(DayList::kLunarYear), "  一八七五年");
    Command(shell::command::kShowEraNames);
    EXPECT_EQ(Selected(DayList::kLunarYear), "清代光绪01年");
    EXPECT_EQ(Day(), DateToDayNumber(1875, 6, 1));
    Command(shell::command::kInfoSunTimes);
    EXPECT_EQ(Information().substr(0, 8), "日出时刻");
    Command(shell::command::kInfoTwilight);
    EXPECT_EQ(Information().substr(0, 8), "天亮时刻");
    Command(shell::command::kShowEraNames);
    EXPECT_EQ(Selected(DayList::kLunarYear), "  一八七五年");
}

// The public holidays: 休 or 班 at the end of the information line, which gives way to it, with
// the holiday named in the mark's tooltip; nothing on an ordinary day or with the option off.
TEST_F(DayPageTest, HolidayMarkOnTheInformationLine) {
    const HWND mark = Item(views::kHolidayMarkId);
    const struct {
        int month, day;
        const char* mark;  // "" for none
    } days[] = {{2, 14, "班"}, {2, 15, "休"}, {2, 23, "休"}, {2, 24, ""}, {2, 28, "班"}, {10, 10, "班"}, {12, 7, ""}};
    for (const auto& d : days) {
        ShowDay(DateToDayNumber(2026, d.month, d.day));
        const bool marked = *d.mark != 0;
        EXPECT_EQ(IsWindowVisible(mark) != 0, marked) << d.month << "-" << d.day;
        if (marked) {
            EXPECT_EQ(Text(mark), d.mark) << d.month << "-" << d.day;
        }
        const RECT line = test::RectInParent(Item(views::kInformationLineId));
        const RECT box = test::RectInParent(mark);
        if (marked) {
            EXPECT_LE(line.right, box.left) << "the line gives way to the mark";
            EXPECT_EQ(box.right, 251);
        } else {
            EXPECT_EQ(line.right - line.left, 242);
        }
    }
    ShowDay(DateToDayNumber(2026, 2, 15));
    EXPECT_TRUE(Checked(shell::command::kShowHolidays));
    Command(shell::command::kShowHolidays);
    EXPECT_FALSE(Checked(shell::command::kShowHolidays));
    EXPECT_FALSE(IsWindowVisible(mark));
    Command(shell::command::kShowHolidays);
    EXPECT_TRUE(IsWindowVisible(mark));
}

// The background picture's control comes with the first picture: under every other control, over
// the whole page, holding the picture; a page without one paints its colour itself.
TEST_F(DayPageTest, TheBackgroundPictureLiesUnderEverythingOnceThereIsOne) {
    EXPECT_EQ(Item(views::kPictureId), nullptr);
    views::PageWindow* page = views::PageWindowOf(Window());
    EXPECT_FALSE(page->SetBackgroundPicture("Z:\\no\\such\\picture.bmp"));
    EXPECT_EQ(Item(views::kPictureId), nullptr);
    ASSERT_TRUE(page->SetBackgroundPicture(test::BitmapFile()));
    HWND picture = Item(views::kPictureId);
    ASSERT_NE(picture, nullptr);
    EXPECT_NE(SendMessageW(picture, STM_GETIMAGE, IMAGE_BITMAP, 0), 0);
    EXPECT_EQ(GetWindow(GetWindow(Window(), GW_CHILD), GW_HWNDLAST), picture);
    // It takes the size of its picture, which is loaded at the page's size.
    const RECT r = test::RectInParent(picture);
    RECT client;
    GetClientRect(Window(), &client);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(r.right, client.right);
    EXPECT_EQ(r.bottom, client.bottom);
    // Another picture goes into the same control.
    ASSERT_TRUE(page->SetBackgroundPicture(test::BitmapFile()));
    EXPECT_EQ(Item(views::kPictureId), picture);
}

TEST_F(DayPageTest, LocalCoordinatesDialogChoosesThePlace) {
    places::LocalPlace& place = program_.settings.place;
    HWND dialog = places::CreateLocalCoordinatesDialog(Window(), &place);
    ASSERT_NE(dialog, nullptr);
    Pump();
    EXPECT_EQ(Text(dialog), "本地坐标");
    RECT r;
    GetClientRect(dialog, &r);
    EXPECT_EQ(r.right, 213);
    EXPECT_EQ(r.bottom, 175);
    HWND provinces = GetDlgItem(dialog, places::kProvinceListId);
    HWND cities = GetDlgItem(dialog, places::kCityListId);
    EXPECT_EQ(SendMessageW(provinces, CB_GETCOUNT, 0, 0), 35);
    EXPECT_EQ(SendMessageW(cities, CB_GETCOUNT, 0, 0), 16);
    EXPECT_EQ(Text(dialog, places::kLongitudeFieldId), "东经116.3800度");
    EXPECT_EQ(Text(dialog, places::kLatitudeFieldId), "北纬39.9000度");
    // 黑龙江: the cities are refilled and the first one's coordinates shown.
    test::Choose(provinces, 4);
    EXPECT_EQ(SendMessageW(cities, CB_GETCOUNT, 0, 0), 13);
    EXPECT_EQ(SendMessageW(cities, CB_GETCURSEL, 0, 0), 0);
    EXPECT_EQ(Text(dialog, places::kLongitudeFieldId), "东经126.6300度");
    test::Choose(cities, 1);  // 齐齐哈尔
    EXPECT_EQ(Text(dialog, places::kLatitudeFieldId), "北纬47.3300度");
    // Nothing changes until 确定.
    EXPECT_EQ(place.prov_index, 1);
    test::Click(dialog, IDOK);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(place.prov_index, 5);
    EXPECT_EQ(place.city_index, 2);
    EXPECT_DOUBLE_EQ(place.longitude, -123.97);
    EXPECT_DOUBLE_EQ(place.latitude, 47.33);
    // 取消 leaves the place alone.
    dialog = places::CreateLocalCoordinatesDialog(Window(), &place);
    test::Choose(dialog, places::kProvinceListId, 34);
    EXPECT_EQ(Text(dialog, places::kLatitudeFieldId), "南纬90.0000度");
    test::Click(dialog, IDCANCEL);
    EXPECT_FALSE(IsWindow(dialog));
    EXPECT_EQ(place.prov_index, 5);
}

}  // namespace
