// The month page as a real window, driven with messages.
#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "settings/settings.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "views/day_page_model.h"
#include "views/month_page_model.h"
#include "views/holiday_marks.h"
#include "views/month_page_window.h"

namespace {

using astro::DateToDayNumber;
using test::Pump;
using test::Selected;
using test::Text;
using views::MonthList;

// Records whether a window entered a menu loop, and ends that loop at once.
HWND g_menu_owner = nullptr;
bool g_menu_entered = false;

LRESULT CALLBACK WatchMenus(int code, WPARAM wparam, LPARAM lparam) {
    const auto* m = reinterpret_cast<const CWPSTRUCT*>(lparam);
    if (code == HC_ACTION && m->message == WM_ENTERMENULOOP && m->hwnd == g_menu_owner) {
        g_menu_entered = true;
        PostMessageW(m->hwnd, WM_CANCELMODE, 0, 0);
    }
    return CallNextHookEx(nullptr, code, wparam, lparam);
}

void CALLBACK EndAnyMenu(HWND, UINT, UINT_PTR, DWORD) { EndMenu(); }

class MonthPageTest : public test::CalendarTest {
protected:
    void SetUp() override { ASSERT_NE(Open(views::CalendarView::kMonth, DateToDayNumber(2024, 2, 10)), nullptr); }

    HWND YearList() const { return Item(views::kMonthYearListId); }
    HWND MonthList() const { return Item(views::kMonthMonthListId); }
    std::string Number(int cell) const { return views::ShownCellOf(Window(), cell).number; }
    std::string LunarLine(int cell) const { return views::ShownCellOf(Window(), cell).lunar_line; }
    // A press of a button of the mouse on the page, at a point of the 96-DPI client area.
    void Press(UINT message, POINT p) {
        SendMessageW(Window(), message, message == WM_LBUTTONDOWN ? MK_LBUTTON : message == WM_RBUTTONDOWN ? MK_RBUTTON : 0,
                     MAKELPARAM(p.x, p.y));
        Pump();
    }
    std::string Panel() const { return Text(Item(views::kMonthPanelId)); }
    std::string MoonLine() const { return Text(Item(views::kMonthMoonLineId)); }

    // The used cells in order: their day numbers.
    std::vector<std::string> Numbers() const {
        std::vector<std::string> out;
        for (int cell = 1; cell <= views::kMonthCellCount; ++cell)
            if (!Number(cell).empty()) out.push_back(Number(cell));
        return out;
    }

    void Show(int year, int month, int day) {
        ShowDay(DateToDayNumber(year, month, day));
        Pump();
    }

    void Key(HWND control, WPARAM key) {
        SendMessageW(control, WM_KEYDOWN, key, 0);
        Pump();
    }

    std::string ExpectedPanel(astro::DayNumber day) const {
        const settings::Settings& s = program_.settings;
        // The panel shows the public holidays and the almanac's 宜 and 忌.
        return views::DayPanelText(day, {s.gan_zhi_from_chunjie_flag, s.place.longitude, s.place.latitude, true, true}, {});
    }
};

TEST_F(MonthPageTest, TheWindowAsLaidOut) {
    EXPECT_EQ(Text(Window()), "橙鹿月历");
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ(r.right - r.left, 528);
    EXPECT_EQ(r.bottom - r.top, 430);
    const LONG_PTR style = GetWindowLongPtrW(Window(), GWL_STYLE);
    const LONG_PTR wanted = WS_POPUP | WS_VISIBLE | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                            WS_MINIMIZEBOX | WS_MAXIMIZEBOX;
    EXPECT_EQ(style & wanted, wanted);
    EXPECT_EQ(style & WS_THICKFRAME, 0);
    const LONG_PTR ex = GetWindowLongPtrW(Window(), GWL_EXSTYLE);
    EXPECT_EQ(ex & (WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE), WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE);
    EXPECT_EQ(ex & WS_EX_TOOLWINDOW, 0);
    EXPECT_EQ(program_.view, views::CalendarView::kMonth);
    EXPECT_NE(GetClassLongPtrW(Window(), GCLP_HICON), 0);
    // Centred on the screen when no centre is stored.
    EXPECT_EQ(r.left, GetSystemMetrics(SM_CXSCREEN) / 2 - 264);
    EXPECT_EQ(r.top, GetSystemMetrics(SM_CYSCREEN) / 2 - 215);

    // The lists at the top left, the title beside them.
    const auto rect_of = test::RectInParent;
    EXPECT_EQ(rect_of(YearList()).left, 17);
    EXPECT_EQ(rect_of(YearList()).right - rect_of(YearList()).left, 84);
    EXPECT_EQ(rect_of(MonthList()).left, 101);
    EXPECT_EQ(rect_of(MonthList()).right - rect_of(MonthList()).left, 54);
    EXPECT_GE(views::TitleRect().left, rect_of(MonthList()).right);
    // The cells: 72 x 48 frames 71 and 47 apart, the two lines of text 70 x 16 inside them.
    for (int cell = 1; cell <= views::kMonthCellCount; ++cell) {
        const RECT frame = views::CellRect(cell);
        EXPECT_EQ(frame.left, 15 + 71 * ((cell - 1) % 7));
        EXPECT_EQ(frame.right - frame.left, 72);
        EXPECT_EQ(frame.bottom - frame.top, 48);
        for (const RECT label : {views::CellNumberRect(cell), views::CellLunarRect(cell)}) {
            EXPECT_EQ(label.right - label.left, 70);
            EXPECT_EQ(label.bottom - label.top, 16);
            EXPECT_GT(label.left, frame.left);
            EXPECT_LT(label.right, frame.right);
            EXPECT_GT(label.top, frame.top);
            EXPECT_LT(label.bottom, frame.bottom);
        }
        EXPECT_LE(views::CellNumberRect(cell).bottom, views::CellLunarRect(cell).top);
        // The 休 or 班 in the upper right corner, inside the frame, clear of the lunar line.
        const RECT mark = views::CellHolidayRect(cell);
        EXPECT_EQ(frame.right - mark.right, 2);
        EXPECT_EQ(mark.top - frame.top, 2);
        EXPECT_LE(mark.bottom, views::CellLunarRect(cell).top);
    }
    EXPECT_EQ(views::CellRect(8).top - views::CellRect(1).top, 47);
    // The header row ends where the grid begins, below the lists.
    const RECT header = views::WeekdayHeaderRect(0);
    EXPECT_LE(header.bottom, views::CellRect(1).top + 1);
    EXPECT_LE(rect_of(YearList()).top + 20, header.top);
    // Everything fits inside the client area; the panel is 353 wide and lies below the fifth row.
    RECT client;
    GetClientRect(Window(), &client);
    for (HWND child = GetWindow(Window(), GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        const int id = GetDlgCtrlID(child);
        if (id == views::kMonthYearListId || id == views::kMonthMonthListId) continue;  // their drop-down part
        const RECT c = rect_of(child);
        EXPECT_GE(c.left, 0) << id;
        EXPECT_GE(c.top, 0) << id;
        EXPECT_LE(c.right, client.right) << id;
        EXPECT_LE(c.bottom, client.bottom) << id;
    }
    const RECT panel = rect_of(Item(views::kMonthPanelId));
    EXPECT_EQ(panel.right - panel.left, 353);
    EXPECT_GE(panel.top, views::CellRect(35).bottom);
    EXPECT_GE(panel.left, views::CellRect(37).right);
    const RECT moon = rect_of(Item(views::kMonthMoonLineId));
    EXPECT_GE(moon.top, panel.bottom);
    EXPECT_GE(moon.top, views::CellRect(36).bottom);
}

TEST_F(MonthPageTest, TheCellsOfFebruary2024) {
    EXPECT_EQ(Selected(YearList()), "    2024年");
    EXPECT_EQ(Selected(MonthList()), "2月");
    EXPECT_EQ(SendMessageW(MonthList(), CB_GETCOUNT, 0, 0), 12);
    // Thursday the 1st in cell 5, the 29th in cell 33.
    EXPECT_EQ(Number(4), "");
    EXPECT_EQ(LunarLine(4), "");
    EXPECT_EQ(Number(5), "1");
    EXPECT_EQ(LunarLine(5), "廿二");
    EXPECT_EQ(Number(8), "4");
    EXPECT_EQ(LunarLine(8), "立春");
    EXPECT_EQ(Number(14), "10");
    EXPECT_EQ(LunarLine(14), "春节");
    EXPECT_EQ(LunarLine(18), "情人节");
    EXPECT_EQ(Number(33), "29");
    EXPECT_EQ(Number(34), "");
    EXPECT_EQ(Numbers().size(), 29u);
    const auto cells = views::MonthCells(2024, 2);
    for (int cell = 1; cell <= views::kMonthCellCount; ++cell) {
        EXPECT_EQ(Number(cell), cells[cell - 1].number) << cell;
        EXPECT_EQ(LunarLine(cell), cells[cell - 1].lunar_line) << cell;
    }
    EXPECT_EQ(MoonLine(), "4日16:27:02立春 19日12:13:04雨水 10日06:59:04塑 24日20:30:17望");
    EXPECT_EQ(Panel(), ExpectedPanel(DateToDayNumber(2024, 2, 10)));
    EXPECT_EQ(Panel().substr(0, 5), "农历 ");
    // Its four lines and the almanac's 宜 and 忌 take more than its height: it scrolls.
    EXPECT_NE(GetWindowLongPtrW(Item(views::kMonthPanelId), GWL_STYLE) & WS_VSCROLL, 0);
}

// The year list as the page's first paint leaves it holds the page's year alone; it shows what the
// whole list shows, holds all 4,207 years once it drops down, and Home, End and a character find
// in it what they find in the whole list.
TEST_F(MonthPageTest, TheYearListShowsAndAnswersAsTheWholeList) {
    const std::vector<std::string> whole = views::MonthListItems(MonthList::kYear);
    ASSERT_EQ(whole.size(), 4207u);
    const auto reopen = [this](astro::DayNumber day) {
        DestroyWindow(Window());
        Pump();
        test::TakeQuits();
        ASSERT_NE(Open(views::CalendarView::kMonth, day), nullptr);
    };
    const auto drop_down = [this] {
        SendMessageW(YearList(), CB_SHOWDROPDOWN, TRUE, 0);
        SendMessageW(YearList(), CB_SHOWDROPDOWN, FALSE, 0);
        Pump();
    };
    for (const astro::DayNumber day : {DateToDayNumber(2024, 2, 10), DateToDayNumber(-103, 1, 1), DateToDayNumber(4103, 12, 31)}) {
        reopen(day);
        const int selected = views::MonthListSelection(views::MonthPageAt(day), MonthList::kYear);
        EXPECT_EQ(Selected(YearList()), whole[selected]);
        drop_down();
        ASSERT_EQ(SendMessageW(YearList(), CB_GETCOUNT, 0, 0), 4207);
        for (int i : {0, selected, 4206}) {
            std::wstring item(static_cast<size_t>(SendMessageW(YearList(), CB_GETLBTEXTLEN, i, 0)) + 1, L'\0');
            SendMessageW(YearList(), CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item.data()));
            item.resize(item.size() - 1);
            EXPECT_EQ(text::WideToGbk(item), whole[i]);
        }
        EXPECT_EQ(SendMessageW(YearList(), CB_GETCURSEL, 0, 0), selected);
        EXPECT_EQ(Day(), day);
    }
    const struct {
        UINT message;
        WPARAM key;
    } keys[] = {{WM_KEYDOWN, VK_HOME}, {WM_KEYDOWN, VK_END}, {WM_CHAR, ' '}};
    for (const auto& k : keys) {
        const auto press = [this, &k] {
            SendMessageW(YearList(), k.message, k.key, 0);
            Pump();
        };
        reopen(DateToDayNumber(2024, 2, 10));
        drop_down();
        press();
        const astro::DayNumber whole_day = Day();
        reopen(DateToDayNumber(2024, 2, 10));
        press();
        EXPECT_EQ(Day(), whole_day) << k.key;
        EXPECT_NE(Day(), DateToDayNumber(2024, 2, 10)) << k.key;
        EXPECT_EQ(Selected(YearList()), whole[views::MonthListSelection(views::MonthPageAt(whole_day), MonthList::kYear)]);
    }
    reopen(DateToDayNumber(2024, 2, 10));
    Key(YearList(), VK_END);
    EXPECT_EQ(Day(), DateToDayNumber(4103, 2, 10));
}

// The page paints its cells' texts itself: every cell the month uses shows ink in its day number's
// and lunar line's boxes, red in the weekend's columns; the cells it does not use show none; the
// title and the weekday headers are painted on their ground.
TEST_F(MonthPageTest, ThePagePaintsTheTextsOfItsCells) {
    const COLORREF cell_ground = RGB(190, 255, 255), selected_ground = RGB(255, 230, 160);
    const COLORREF title_ground = RGB(248, 249, 200), weekday = RGB(8, 0, 0), weekend = RGB(255, 0, 0);
    const auto cells = views::MonthCells(2024, 2);
    const int selected = views::CellOfDay(2024, 2, DateToDayNumber(2024, 2, 10));
    for (int cell = 1; cell <= views::kMonthCellCount; ++cell) {
        const bool used = cells[cell - 1].day != astro::InvalidDayNumber;
        const COLORREF ground = cell == selected ? selected_ground : used ? cell_ground : views::kPageBackground;
        const COLORREF ink = (cell - 1) % 7 == 0 || (cell - 1) % 7 == 6 ? weekend : weekday;
        for (const RECT& box : {views::CellNumberRect(cell), views::CellLunarRect(cell)}) {
            const test::Ink painted = test::InkIn(Window(), box, ground, ink);
            if (used) {
                EXPECT_GT(painted.of_colour, 0) << cell;
            } else {
                EXPECT_EQ(painted.painted, 0) << cell;
            }
        }
    }
    EXPECT_GT(test::InkIn(Window(), views::TitleRect(), title_ground, weekday).of_colour, 0);
    for (int column = 0; column < 7; ++column) {
        const test::Ink header = test::InkIn(Window(), views::WeekdayHeaderRect(column), title_ground, weekend);
        EXPECT_GT(header.painted, 0) << column;
        EXPECT_EQ(header.of_colour > 0, column == 0 || column == 6) << column;
    }
}

TEST_F(MonthPageTest, TheMonthsOfTheLeapRulesAndTheReform) {
    Show(1900, 2, 1);
    EXPECT_EQ(Numbers().size(), 28u);
    EXPECT_EQ(Number(5), "1");
    Show(2000, 2, 1);
    EXPECT_EQ(Numbers().size(), 29u);
    Show(1500, 2, 1);
    EXPECT_EQ(Numbers().size(), 29u);
    EXPECT_EQ(Numbers().back(), "29");
    Show(1582, 10, 1);
    const std::vector<std::string> numbers = Numbers();
    ASSERT_EQ(numbers.size(), 21u);
    EXPECT_EQ(Number(5), "4");
    EXPECT_EQ(Number(6), "15");
    EXPECT_EQ(Number(22), "31");
    EXPECT_EQ(Number(23), "");
    // A 31-day month from a Saturday: cells 7 .. 37.
    Show(2025, 3, 1);
    EXPECT_EQ(Number(6), "");
    EXPECT_EQ(Number(7), "1");
    EXPECT_EQ(Number(37), "31");
    EXPECT_EQ(Numbers().size(), 31u);
    // The first day of a leap month, and the next month's fill clears the cells it does not use.
    Show(2020, 5, 23);
    EXPECT_EQ(LunarLine(views::CellOfDay(2020, 5, DateToDayNumber(2020, 5, 23))), "闰四月小");
    Show(2015, 2, 1);  // 28 days from a Sunday: four rows exactly
    EXPECT_EQ(Number(1), "1");
    EXPECT_EQ(Number(28), "28");
    for (int cell = 29; cell <= views::kMonthCellCount; ++cell) {
        EXPECT_EQ(Number(cell), "") << cell;
        EXPECT_EQ(LunarLine(cell), "") << cell;
    }
}

TEST_F(MonthPageTest, AClickOnACellSelectsItsDay) {
    // On the lunar line of the 14th (cell 18) ...
    const RECT lunar = views::CellLunarRect(18);
    Press(WM_LBUTTONDOWN, {lunar.left + 5, lunar.top + 5});
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 14));
    EXPECT_EQ(shell::ToolContextOf(program_).start_day, DateToDayNumber(2024, 2, 14));
    EXPECT_EQ(Panel(), ExpectedPanel(DateToDayNumber(2024, 2, 14)));
    const RECT number = views::CellNumberRect(33);
    Press(WM_LBUTTONDOWN, {number.left + 60, number.top + 10});
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 29));
    // ... on the frame of a cell, away from its texts ...
    const RECT frame = views::CellRect(5);
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(frame.left + 3, frame.bottom - 3));
    Pump();
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 1));
    EXPECT_EQ(Panel(), ExpectedPanel(DateToDayNumber(2024, 2, 1)));
    // ... and on cells the month does not use, or outside the grid: nothing happens.
    const RECT unused = views::CellRect(34);
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(unused.left + 30, unused.top + 20));
    const RECT unused_number = views::CellNumberRect(2);
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(unused_number.left + 5, unused_number.top + 5));
    SendMessageW(Window(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    Pump();
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 1));
    // The month stays; so do the lists.
    EXPECT_EQ(Selected(MonthList()), "2月");
}

TEST_F(MonthPageTest, TheListsChangeTheMonthAndShrinkTheDay) {
    Show(2024, 1, 31);
    test::Choose(MonthList(), 1);  // February: the 29th
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 29));
    EXPECT_EQ(Numbers().size(), 29u);
    test::Choose(YearList(), 2023 - views::kLowestShownYear);  // February 2023: the 28th
    EXPECT_EQ(Day(), DateToDayNumber(2023, 2, 28));
    EXPECT_EQ(Selected(YearList()), "    2023年");
    EXPECT_EQ(Numbers().size(), 28u);
    EXPECT_EQ(MoonLine(), views::MoonLine(2023, 2));
    EXPECT_EQ(Panel(), ExpectedPanel(DateToDayNumber(2023, 2, 28)));
    // The days October 1582 lacks fall back to the 4th.
    Show(1582, 11, 12);
    test::Choose(MonthList(), 9);
    EXPECT_EQ(Day(), DateToDayNumber(1582, 10, 4));
    EXPECT_EQ(Selected(MonthList()), "10月");
}

TEST_F(MonthPageTest, KeysAndTheWheelStepAcrossTheYearsEnd) {
    Show(2023, 12, 31);
    Key(MonthList(), VK_RIGHT);
    EXPECT_EQ(Day(), DateToDayNumber(2024, 1, 31));
    EXPECT_EQ(Selected(YearList()), "    2024年");
    EXPECT_EQ(Selected(MonthList()), "1月");
    Key(MonthList(), VK_DOWN);
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 29));
    Key(MonthList(), VK_UP);
    Key(MonthList(), VK_LEFT);
    EXPECT_EQ(Day(), DateToDayNumber(2023, 12, 29));
    EXPECT_EQ(Selected(YearList()), "    2023年");
    EXPECT_EQ(Selected(MonthList()), "12月");
    Key(YearList(), VK_DOWN);
    EXPECT_EQ(Day(), DateToDayNumber(2024, 12, 29));
    Key(YearList(), VK_LEFT);
    EXPECT_EQ(Day(), DateToDayNumber(2023, 12, 29));
    // The wheel: up is back, down is on.
    SendMessageW(MonthList(), WM_MOUSEWHEEL, MAKEWPARAM(0, WHEEL_DELTA), 0);
    Pump();
    EXPECT_EQ(Day(), DateToDayNumber(2023, 11, 29));
    SendMessageW(YearList(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-WHEEL_DELTA)), 0);
    Pump();
    EXPECT_EQ(Day(), DateToDayNumber(2024, 11, 29));
    // Nothing beyond the ends of the range.
    Show(4103, 12, 5);
    Key(MonthList(), VK_RIGHT);
    Key(YearList(), VK_RIGHT);
    EXPECT_EQ(Day(), DateToDayNumber(4103, 12, 5));
    Show(-103, 1, 5);
    Key(MonthList(), VK_LEFT);
    EXPECT_EQ(Day(), DateToDayNumber(-103, 1, 5));
    EXPECT_EQ(Selected(YearList()), "   前104年");
    // Escape hides the page.
    Key(MonthList(), VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Window()));
    ShowWindow(Window(), SW_SHOW);
    Key(Item(views::kMonthPanelId), VK_ESCAPE);
    EXPECT_FALSE(IsWindowVisible(Window()));
    EXPECT_TRUE(IsWindow(Window()));
}

TEST_F(MonthPageTest, EscapeMinimisesWhenCtrlAltRBelongsToAnotherWindow) {
    // Without its hotkey a hidden page could not come back (it has no tray icon).
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    ASSERT_TRUE(UnregisterHotKey(Window(), shell::kHotkeyShow));
    ASSERT_TRUE(RegisterHotKey(other, shell::kHotkeyShow, MOD_CONTROL | MOD_ALT, 'R'));
    Key(MonthList(), VK_ESCAPE);
    EXPECT_TRUE(IsWindowVisible(Window()));
    EXPECT_TRUE(IsIconic(Window()));
    UnregisterHotKey(other, shell::kHotkeyShow);
    DestroyWindow(other);
}

TEST_F(MonthPageTest, ThePanelFollowsTheOptionsAndToday) {
    Show(2024, 2, 5);  // after 立春, before the Spring Festival
    EXPECT_NE(Panel().find("甲辰(龙)年"), std::string::npos);
    Command(shell::command::kGanZhiFromChunjie);
    EXPECT_NE(Panel().find("癸卯(兔)年"), std::string::npos);
    const std::string beijing = Panel();
    program_.settings.place.longitude = -87.68;  // 乌鲁木齐
    program_.settings.place.latitude = 43.77;
    shell::RefreshCalendarPage(program_);
    EXPECT_NE(Panel(), beijing);
    EXPECT_EQ(Panel(), ExpectedPanel(DateToDayNumber(2024, 2, 5)));
    // Pasting changes nothing; a double click selects everything.
    HWND panel = Item(views::kMonthPanelId);
    SendMessageW(panel, WM_PASTE, 0, 0);
    EXPECT_EQ(Panel(), ExpectedPanel(DateToDayNumber(2024, 2, 5)));
    SendMessageW(panel, WM_LBUTTONDBLCLK, 0, 0);
    DWORD start = 1, end = 0;
    SendMessageW(panel, EM_GETSEL, reinterpret_cast<WPARAM>(&start), reinterpret_cast<LPARAM>(&end));
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, static_cast<DWORD>(GetWindowTextLengthW(panel)));
    // Going to today: the clock's date.
    Show(1999, 7, 1);
    clock_.Set({2031, 8, 15, 12, 0, 0});
    Command(shell::command::kGoToToday);
    EXPECT_EQ(Day(), DateToDayNumber(2031, 8, 15));
    EXPECT_EQ(Selected(YearList()), "    2031年");
    EXPECT_EQ(Selected(MonthList()), "8月");
    EXPECT_EQ(MoonLine(), views::MoonLine(2031, 8));
}

TEST_F(MonthPageTest, TheRightButtonReachesThePageFromItsControls) {
    // A right-button press sets the menu's check marks, from whichever control it lands on, and
    // on the cells.
    using namespace shell::command;
    HMENU menu = program_.menu.get();
    const auto checked = [menu](int id) { return (GetMenuState(menu, id, MF_BYCOMMAND) & MF_CHECKED) != 0; };
    program_.move_lock = true;
    const RECT lunar = views::CellLunarRect(20);
    Press(WM_RBUTTONDOWN, {lunar.left + 3, lunar.top + 3});
    EXPECT_TRUE(checked(kMonthPage));
    EXPECT_TRUE(checked(kMoveLock));
    program_.move_lock = false;
    SendMessageW(YearList(), WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_FALSE(checked(kMoveLock));
    program_.move_lock = true;
    SendMessageW(Item(views::kMonthPanelId), WM_RBUTTONDOWN, MK_RBUTTON, 0);
    EXPECT_TRUE(checked(kMoveLock));
    // Releasing the button over a cell's text opens the menu (ended again at once here).
    g_menu_owner = Window();
    g_menu_entered = false;
    HHOOK hook = SetWindowsHookExW(WH_CALLWNDPROC, WatchMenus, nullptr, GetCurrentThreadId());
    const UINT_PTR timer = SetTimer(nullptr, 0, 300, EndAnyMenu);  // in case the cancel is not enough
    const RECT number = views::CellNumberRect(20);
    SendMessageW(Window(), WM_RBUTTONUP, 0, MAKELPARAM(number.left + 3, number.top + 3));
    KillTimer(nullptr, timer);
    UnhookWindowsHookEx(hook);
    Pump();
    EXPECT_TRUE(g_menu_entered);
    EXPECT_TRUE(IsWindow(Window()));
}

TEST_F(MonthPageTest, CaptionLockAndNoMaximise) {
    RECT before;
    GetWindowRect(Window(), &before);
    SendMessageW(Window(), WM_SYSCOMMAND, SC_MAXIMIZE, 0);
    Pump();
    EXPECT_FALSE(IsZoomed(Window()));
    RECT after;
    GetWindowRect(Window(), &after);
    EXPECT_EQ(after.right - after.left, 528);
    EXPECT_EQ(after.bottom - after.top, 430);
    // Locked: a press on the caption starts no move (it would not return before the button is up).
    program_.move_lock = true;
    SendMessageW(Window(), WM_NCLBUTTONDOWN, HTCAPTION, MAKELPARAM(before.left + 100, before.top + 8));
    SendMessageW(Window(), WM_SYSCOMMAND, SC_MOVE, 0);
    Pump();
    GetWindowRect(Window(), &after);
    EXPECT_EQ(after.left, before.left);
    EXPECT_EQ(after.top, before.top);
}

TEST_F(MonthPageTest, ClosingForASwitchOfViewsKeepsTheProgramRunning) {
    program_.settings.use_registry = 1;
    program_.view_switching = true;
    HWND page = Window();
    SetWindowPos(page, nullptr, 100, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    SendMessageW(page, WM_CLOSE, 0, 0);
    EXPECT_FALSE(IsWindow(page));
    EXPECT_EQ(Window(), nullptr);
    EXPECT_EQ(test::TakeQuits(), 0);
    EXPECT_EQ(Stored("Version"), "");
    // The next page is placed at the centre the old one kept.
    ASSERT_NE(Open(views::CalendarView::kMonth, DateToDayNumber(2024, 2, 10)), nullptr);
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ((r.left + r.right) / 2, 364);
    EXPECT_EQ((r.top + r.bottom) / 2, 415);
}

// February 2026 as the arrangement has it: 休 from 02-15 to 02-23 (春节 with its weekend), 班 on the
// Saturdays 02-14 and 02-28; the mark painted in the cell's corner on its red or grey ground, clear
// of the day number's text and of the lunar line; the panel names it; nothing with the option off.
TEST_F(MonthPageTest, PublicHolidaysOfFebruary2026) {
    Show(2026, 2, 15);
    std::string marks;
    // The day numbers' face, to see where a number's text ends.
    HFONT face = CreateFontW(-16, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                             CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text::GbkToWide("楷体_GB2312").c_str());
    for (int day = 1; day <= 28; ++day) {
        const int cell = views::CellOfDay(2026, 2, DateToDayNumber(2026, 2, day));
        const std::string mark = views::ShownCellOf(Window(), cell).holiday_mark;
        marks += mark.empty() ? "-" : mark;
        const RECT box = views::CellHolidayRect(cell);
        const test::Ink ground = test::InkIn(Window(), box, views::kHolidayOffBackground);
        const int area = (box.right - box.left) * (box.bottom - box.top);
        if (mark.empty()) {
            EXPECT_EQ(ground.painted, area) << day << ": no red corner";
            continue;
        }
        const COLORREF expected = mark == "休" ? views::kHolidayOffBackground : views::kHolidayWorkBackground;
        EXPECT_GT(test::InkIn(Window(), box, expected).painted, 0) << day << ": the mark's letter";
        EXPECT_GT(area - test::InkIn(Window(), box, expected).painted, area / 3) << day << ": its ground";
        // The number's text stands in the middle of its line: its right end stays left of the mark.
        HDC dc = GetDC(nullptr);
        HGDIOBJ old = SelectObject(dc, face);
        SIZE extent{};
        GetTextExtentPoint32A(dc, Number(cell).c_str(), static_cast<int>(Number(cell).size()), &extent);
        SelectObject(dc, old);
        ReleaseDC(nullptr, dc);
        const RECT line = views::CellNumberRect(cell);
        EXPECT_LT((line.left + line.right + extent.cx) / 2, box.left) << day;
    }
    DeleteObject(face);
    EXPECT_EQ(marks, "-------------班休休休休休休休休休----班");
    EXPECT_NE(Panel().find("春节假期（休）"), std::string::npos);
    Show(2026, 2, 28);
    EXPECT_NE(Panel().find("调休上班（班）"), std::string::npos);
    Show(2026, 3, 2);
    EXPECT_EQ(Panel().find("（"), std::string::npos);
    Show(2026, 2, 15);
    Command(shell::command::kShowHolidays);
    for (int cell = 1; cell <= views::kMonthCellCount; ++cell) {
        EXPECT_EQ(views::ShownCellOf(Window(), cell).holiday_mark, "") << cell;
        EXPECT_EQ(test::InkIn(Window(), views::CellHolidayRect(cell), RGB(0, 0, 0), views::kHolidayOffBackground).of_colour, 0) << cell;
    }
    EXPECT_EQ(Panel().find("春节假期"), std::string::npos);
}

// The panel's scroll bar shows when, and only when, its lines are more than it can show. An edit
// control says itself how many lines it hides: scrolled as far down as it goes, its first visible
// line. A hidden copy of the panel, without the scroll bar, with its font and text, is asked.
class MonthPanelTest : public test::CalendarTest {
protected:
    struct Fit {
        int lines = 0, hidden = 0;
        bool scroll_bar = false;
    };
    Fit PanelFit() const {
        HWND panel = Item(views::kMonthPanelId);
        Fit fit;
        fit.scroll_bar = (GetWindowLongPtrW(panel, GWL_STYLE) & WS_VSCROLL) != 0;
        const RECT r = test::RectInParent(panel);
        // (An edit control takes WS_BORDER off its style and draws the border itself.)
        const DWORD style = (static_cast<DWORD>(GetWindowLongPtrW(panel, GWL_STYLE)) & ~(WS_VISIBLE | WS_VSCROLL)) | WS_BORDER;
        HWND copy = CreateWindowExW(static_cast<DWORD>(GetWindowLongPtrW(panel, GWL_EXSTYLE)), L"EDIT", L"", style, r.left,
                                    r.top, r.right - r.left, r.bottom - r.top, Window(), nullptr, GetModuleHandleW(nullptr),
                                    nullptr);
        SendMessageW(copy, WM_SETFONT, SendMessageW(panel, WM_GETFONT, 0, 0), FALSE);
        SetWindowTextW(copy, text::GbkToWide(Text(panel)).c_str());
        fit.lines = static_cast<int>(SendMessageW(copy, EM_GETLINECOUNT, 0, 0));
        SendMessageW(copy, EM_LINESCROLL, 0, 1000);
        fit.hidden = static_cast<int>(SendMessageW(copy, EM_GETFIRSTVISIBLELINE, 0, 0));
        DestroyWindow(copy);
        return fit;
    }
};

TEST_F(MonthPanelTest, TheScrollBarShowsWhenTheLinesDoNotFit) {
    using platform::RegistryRoot;
    program_.settings.use_registry = 1;
    // Personal days of 2026-12-07 (农历十月廿九, 回历 06-26-1448) with titles of the longest kind,
    // 20 bytes, and a countdown to the 25th.
    const std::string title = "十个字的标题十个字的";
    registry_.SetValue(RegistryRoot::CurrentUser, settings::SolarMemorialKey, "12-07", "AD1990" + title + " ");
    registry_.SetValue(RegistryRoot::CurrentUser, settings::LunarMemorialKey, "10-29", "AD1980" + title + " ");
    registry_.SetValue(RegistryRoot::CurrentUser, settings::MuharramMemorialKey, "06-26", "AD1420" + title + " ");
    registry_.SetValue(RegistryRoot::CurrentUser, settings::SolarRemindedKey, "A", "AD12-07-2026" + title + " ");
    registry_.SetValue(RegistryRoot::CurrentUser, settings::SettingsKey, "MyCountdownDay", "AD12-25-2026" + title);
    ASSERT_NE(Open(views::CalendarView::kMonth, DateToDayNumber(2026, 12, 7)), nullptr);
    const struct {
        int year, month, day;
    } days[] = {{2026, 12, 6}, {2026, 12, 25}, {2026, 12, 7}, {2026, 12, 8}, {2024, 2, 10}, {2027, 10, 29}, {2026, 12, 25}};
    int scrolled = 0, fitted = 0;
    for (const auto& d : days) {
        ShowDay(DateToDayNumber(d.year, d.month, d.day));
        Pump();
        const Fit fit = PanelFit();
        std::printf("%04d-%02d-%02d: %d lines, %d hidden, scroll bar %s\n", d.year, d.month, d.day, fit.lines, fit.hidden,
                    fit.scroll_bar ? "shown" : "hidden");
        EXPECT_EQ(fit.scroll_bar, fit.hidden > 0) << d.year << "-" << d.month << "-" << d.day;
        (fit.scroll_bar ? scrolled : fitted) += 1;
    }
    // With the almanac's 宜 and 忌 below its three lines of dates and times, no day's panel fits
    // its four lines: every day scrolls (and the check above held for each).
    EXPECT_EQ(scrolled, static_cast<int>(std::size(days)));
    EXPECT_EQ(fitted, 0);
}

}  // namespace
