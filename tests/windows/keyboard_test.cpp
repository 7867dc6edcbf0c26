// The windows by the keyboard and by real input: the dropped lists' picks, the month grid's keys and
// focus rectangle, the popup menu from the keyboard, the almanac's Enter, and the Tab order of every
// window. Keys and clicks go through SendInput, as the hardware's do, and the tests pump them through
// the dialog manager as the program's loop does.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
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
#include "views/month_page_model.h"
#include "views/month_page_window.h"

namespace {

using astro::DateToDayNumber;
using test::Selected;
using test::Text;

// Every message waiting, the keys through the dialog manager of the window they are for.
void DialogPump() {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
        if (msg.message == WM_QUIT) continue;
        HWND root = msg.hwnd ? GetAncestor(msg.hwnd, GA_ROOT) : nullptr;
        if (root && IsDialogMessageW(root, &msg)) continue;
        TranslateMessage(&msg);
        DispatchMessageW(&msg);
    }
}

void Settle(DWORD milliseconds = 150) {
    const DWORD start = GetTickCount();
    do {
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 10, QS_ALLINPUT);
        DialogPump();
    } while (GetTickCount() - start < milliseconds);
}

// Keys pressed together as the keyboard does (the first held while the others go down), then released.
void Keys(std::vector<WORD> keys) {
    std::vector<INPUT> input;
    for (WORD k : keys) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = k;
        input.push_back(i);
    }
    for (auto k = keys.rbegin(); k != keys.rend(); ++k) {
        INPUT i{};
        i.type = INPUT_KEYBOARD;
        i.ki.wVk = *k;
        i.ki.dwFlags = KEYEVENTF_KEYUP;
        input.push_back(i);
    }
    SendInput(static_cast<UINT>(input.size()), input.data(), sizeof(INPUT));
    Settle(80);
}

// A left click at a point of the screen as the mouse does it.
void ClickScreen(POINT p) {
    INPUT input[3] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input[0], sizeof(INPUT));
    Settle(100);
    SendInput(2, &input[1], sizeof(INPUT));
    Settle(300);
}

POINT CentreOf(const RECT& r) { return {(r.left + r.right) / 2, (r.top + r.bottom) / 2}; }

// The popup menu's window while a menu loop runs: found by a timer inside the loop, which then ends it.
RECT g_menu_rect{};
bool g_menu_seen = false;
void CALLBACK SeeMenu(HWND, UINT, UINT_PTR, DWORD) {
    HWND menu = FindWindowW(L"#32768", nullptr);
    if (menu && IsWindowVisible(menu)) {
        GetWindowRect(menu, &g_menu_rect);
        g_menu_seen = true;
    }
    EndMenu();
}

class KeyboardTest : public test::CalendarTest {
protected:
    HWND Page(views::CalendarView view, astro::DayNumber day) {
        HWND page = Open(view, day);
        SetForegroundWindow(page);
        Settle(50);
        return page;
    }
    HWND MonthGrid() const { return Item(views::kMonthGridId); }
    // The dropped list of a drop-down list.
    static HWND DroppedList(HWND combo) {
        COMBOBOXINFO info{};
        info.cbSize = sizeof info;
        GetComboBoxInfo(combo, &info);
        return info.hwndList;
    }
    std::string Panel() const { return Text(Item(views::kMonthPanelId)); }
    std::string ExpectedPanel(astro::DayNumber day) const {
        const settings::Settings& s = program_.settings;
        return views::DayPanelText(day, {s.gan_zhi_from_chunjie_flag, s.place.longitude, s.place.latitude, true, true}, {});
    }
};

// --- the dropped lists ---------------------------------------------------------------------------------

// A pick in a dropped list, told in the order Wine tells a mouse pick (the close-up before the
// change) and in the order Windows may (the change first); a list closed without a pick.
TEST_F(KeyboardTest, APickInADroppedListTakesEffectWhicheverOrderTheListTellsItIn) {
    const struct {
        views::CalendarView view;
        int list;
        int item;
        astro::DayNumber expected;
    } picks[] = {
        {views::CalendarView::kMonth, views::kMonthMonthListId, 4, DateToDayNumber(2024, 5, 10)},
        {views::CalendarView::kMonth, views::kMonthYearListId, 2030 - views::kLowestShownYear, DateToDayNumber(2030, 2, 10)},
        {views::CalendarView::kDay, views::kFirstListId + 1, 4, DateToDayNumber(2024, 5, 10)},  // the Gregorian month
        {views::CalendarView::kDay, views::kFirstListId + 2, 19, DateToDayNumber(2024, 2, 20)},  // the Gregorian day
    };
    const std::vector<std::vector<int>> orders = {{CBN_SELENDOK, CBN_CLOSEUP, CBN_SELCHANGE},
                                                  {CBN_SELCHANGE, CBN_SELENDOK, CBN_CLOSEUP},
                                                  {CBN_SELENDCANCEL, CBN_CLOSEUP}};
    for (const auto& pick : picks) {
        for (std::size_t order = 0; order < orders.size(); ++order) {
            const astro::DayNumber start = DateToDayNumber(2024, 2, 10);
            ASSERT_NE(Open(pick.view, start), nullptr);
            HWND combo = Item(pick.list);
            const std::string before = Selected(combo);
            SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(pick.list, CBN_DROPDOWN), reinterpret_cast<LPARAM>(combo));
            SendMessageW(combo, CB_SETCURSEL, pick.item, 0);
            for (int code : orders[order])
                SendMessageW(Window(), WM_COMMAND, MAKEWPARAM(pick.list, code), reinterpret_cast<LPARAM>(combo));
            test::Pump();
            const bool cancelled = order == 2;
            EXPECT_EQ(Day(), cancelled ? start : pick.expected) << pick.list << " order " << order;
            if (cancelled) EXPECT_EQ(Selected(combo), before) << pick.list;
            DestroyWindow(Window());
            test::Pump();
            test::TakeQuits();
        }
    }
}

// The mouse drops the list and clicks an item in it, as the hardware does.
TEST_F(KeyboardTest, ARealClickPicksAnItemOfTheDroppedList) {
    const struct {
        views::CalendarView view;
        int list;
        int item;
        astro::DayNumber expected;
    } picks[] = {
        {views::CalendarView::kMonth, views::kMonthMonthListId, 4, DateToDayNumber(2024, 5, 10)},
        {views::CalendarView::kDay, views::kFirstListId + 1, 4, DateToDayNumber(2024, 5, 10)},
    };
    for (const auto& pick : picks) {
        ASSERT_NE(Page(pick.view, DateToDayNumber(2024, 2, 10)), nullptr);
        HWND combo = Item(pick.list);
        RECT r;
        GetWindowRect(combo, &r);
        ClickScreen(CentreOf(r));  // drops the list
        ASSERT_TRUE(test::PumpUntil([&] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; }, 2000));
        HWND dropped = DroppedList(combo);
        RECT item{};
        SendMessageW(dropped, LB_GETITEMRECT, pick.item, reinterpret_cast<LPARAM>(&item));
        MapWindowPoints(dropped, nullptr, reinterpret_cast<POINT*>(&item), 2);
        ClickScreen(CentreOf(item));
        EXPECT_TRUE(test::PumpUntil([&] { return Day() == pick.expected; }, 2000)) << pick.list;
        EXPECT_EQ(SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0), 0);
        EXPECT_EQ(Selected(combo), "5月");
        DestroyWindow(Window());
        test::Pump();
        test::TakeQuits();
    }
}

// --- the month grid ------------------------------------------------------------------------------------

// Each key of the grid once inside a month, at a month's and a year's edges, and at the ends of the
// pages' days, where nothing happens.
TEST_F(KeyboardTest, EachKeyOfTheGridMovesTheDayAsAClickWould) {
    const auto d = DateToDayNumber;
    const struct {
        astro::DayNumber from;
        std::vector<WORD> keys;
        astro::DayNumber to;
    } moves[] = {
        {d(2024, 2, 29), {VK_RIGHT}, d(2024, 3, 1)},
        {d(2024, 3, 1), {VK_LEFT}, d(2024, 2, 29)},
        {d(2023, 12, 31), {VK_RIGHT}, d(2024, 1, 1)},
        {d(2024, 1, 3), {VK_UP}, d(2023, 12, 27)},
        {d(2023, 12, 28), {VK_DOWN}, d(2024, 1, 4)},
        {d(2024, 1, 31), {VK_NEXT}, d(2024, 2, 29)},  // the 31st shrinks to February's last day
        {d(2024, 1, 15), {VK_PRIOR}, d(2023, 12, 15)},
        {d(2024, 2, 29), {VK_CONTROL, VK_NEXT}, d(2025, 2, 28)},
        {d(2024, 12, 31), {VK_CONTROL, VK_PRIOR}, d(2023, 12, 31)},
        {d(2024, 2, 10), {VK_HOME}, d(2024, 2, 1)},
        {d(2024, 2, 10), {VK_END}, d(2024, 2, 29)},
        {d(1582, 10, 4), {VK_RIGHT}, d(1582, 10, 15)},  // the reform: the 4th was followed by the 15th
        {d(1582, 10, 20), {VK_HOME}, d(1582, 10, 1)},
        // The ends of the pages' days.
        {d(4103, 12, 31), {VK_RIGHT}, d(4103, 12, 31)},
        {d(4103, 12, 29), {VK_DOWN}, d(4103, 12, 29)},
        {d(4103, 12, 5), {VK_NEXT}, d(4103, 12, 5)},
        {d(4103, 6, 5), {VK_CONTROL, VK_NEXT}, d(4103, 6, 5)},
        {d(-103, 1, 1), {VK_LEFT}, d(-103, 1, 1)},
        {d(-103, 1, 3), {VK_UP}, d(-103, 1, 3)},
        {d(-103, 1, 20), {VK_PRIOR}, d(-103, 1, 20)},
        {d(-103, 6, 5), {VK_CONTROL, VK_PRIOR}, d(-103, 6, 5)},
    };
    ASSERT_NE(Page(views::CalendarView::kMonth, d(2024, 2, 10)), nullptr);
    for (const auto& move : moves) {
        ShowDay(move.from);
        SetFocus(MonthGrid());
        Keys(move.keys);
        EXPECT_EQ(Day(), move.to) << astro::DayNumberToDate(move.from).year << "-" << astro::DayNumberToDate(move.from).month
                                  << "-" << astro::DayNumberToDate(move.from).day << " key " << move.keys.back();
        // The lists and the panel follow, as after a click.
        const astro::CalendarDate to = astro::DayNumberToDate(move.to);
        EXPECT_EQ(Selected(Item(views::kMonthMonthListId)), std::to_string(to.month) + "月");
        EXPECT_EQ(Panel(), ExpectedPanel(move.to));
        EXPECT_EQ(GetFocus(), MonthGrid());
    }
    // Enter opens the almanac of the day.
    ShowDay(d(2024, 3, 8));
    SetFocus(MonthGrid());
    Keys({VK_RETURN});
    ASSERT_NE(program_.almanac_window, nullptr);
    EXPECT_EQ(almanac::AlmanacDayOf(program_.almanac_window), d(2024, 3, 8));
    DestroyWindow(program_.almanac_window);
    test::Pump();
}

// Tab reaches the grid after the lists; the focus rectangle shows on the chosen day only once the
// keyboard is used, and a click on a cell gives the grid the focus.
TEST_F(KeyboardTest, TheGridTakesTheFocusAfterTheListsAndShowsItOnceTheKeyboardIsUsed) {
    // As Windows has it unless the user asks to see the focus always (Wine's prefix does).
    BOOL cues = FALSE;
    SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0);
    SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, nullptr, 0);
    struct Restore {
        BOOL cues;
        ~Restore() { SystemParametersInfoW(SPI_SETKEYBOARDCUES, 0, reinterpret_cast<void*>(static_cast<INT_PTR>(cues)), 0); }
    } restore{cues};
    HWND page = Page(views::CalendarView::kMonth, DateToDayNumber(2024, 2, 10));
    ASSERT_NE(page, nullptr);
    const auto focus_ink = [&] {
        // The left side of the focus rectangle, 3 pixels inside the chosen day's frame.
        RECT cell = views::CellRect(views::CellOfDay(2024, 2, Day()));
        return test::InkIn(page, RECT{cell.left + 3, cell.top + 4, cell.left + 4, cell.bottom - 4}, RGB(255, 230, 160))
            .painted;
    };
    // A click on the 14th: the grid has the focus, its rectangle still hidden.
    const RECT lunar = views::CellLunarRect(18);
    SendMessageW(page, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(lunar.left + 5, lunar.top + 5));
    Settle(50);
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 14));
    EXPECT_EQ(GetFocus(), MonthGrid());
    EXPECT_EQ(focus_ink(), 0);
    // Tab: the year list, the month list, the grid, and round again.
    std::vector<int> order;
    for (int i = 0; i < 3; ++i) {
        Keys({VK_TAB});
        order.push_back(GetDlgCtrlID(GetFocus()));
    }
    EXPECT_EQ(order, (std::vector<int>{views::kMonthYearListId, views::kMonthMonthListId, views::kMonthGridId}));
    EXPECT_GT(focus_ink(), 0);
    Keys({VK_RIGHT});
    EXPECT_EQ(Day(), DateToDayNumber(2024, 2, 15));
    EXPECT_GT(focus_ink(), 0);
    // Shift+Tab goes back to the month list, and the rectangle goes with the focus.
    Keys({VK_SHIFT, VK_TAB});
    EXPECT_EQ(GetFocus(), Item(views::kMonthMonthListId));
    EXPECT_EQ(focus_ink(), 0);
}

// --- the popup menu ------------------------------------------------------------------------------------

// The Menu key and Shift+F10 open the popup menu on both pages: on the month page at the chosen day,
// on the day page near its corner.
TEST_F(KeyboardTest, TheKeyboardOpensThePopupMenuOnEveryPage) {
    const struct {
        views::CalendarView view;
        std::vector<WORD> keys;
    } cases[] = {
        {views::CalendarView::kMonth, {VK_APPS}},
        {views::CalendarView::kMonth, {VK_SHIFT, VK_F10}},
        {views::CalendarView::kDay, {VK_APPS}},
        {views::CalendarView::kDay, {VK_SHIFT, VK_F10}},
    };
    for (const auto& c : cases) {
        HWND page = Page(c.view, DateToDayNumber(2024, 2, 14));
        ASSERT_NE(page, nullptr);
        if (c.view == views::CalendarView::kMonth) SetFocus(MonthGrid());
        g_menu_seen = false;
        const UINT_PTR timer = SetTimer(nullptr, 0, 300, SeeMenu);
        Keys(c.keys);
        test::PumpUntil([] { return g_menu_seen; }, 3000);
        KillTimer(nullptr, timer);
        Settle(50);
        EXPECT_TRUE(g_menu_seen) << static_cast<int>(c.view) << " key " << c.keys.back();
        RECT expected;
        if (c.view == views::CalendarView::kMonth) {
            expected = views::CellRect(18);  // the 14th
        } else {
            GetClientRect(page, &expected);
            expected.right = expected.left + 40;
            expected.bottom = expected.top + 40;
        }
        MapWindowPoints(page, nullptr, reinterpret_cast<POINT*>(&expected), 2);
        const POINT corner{g_menu_rect.left, g_menu_rect.top};
        EXPECT_TRUE(PtInRect(&expected, corner)) << static_cast<int>(c.view) << ": " << corner.x << "," << corner.y;
        DestroyWindow(page);
        test::Pump();
        test::TakeQuits();
    }
}

// --- the almanac ---------------------------------------------------------------------------------------

TEST_F(KeyboardTest, TheAlmanacTakesEnterAtOnceAndOnAChosenDay) {
    ASSERT_NE(Page(views::CalendarView::kDay, DateToDayNumber(2024, 2, 10)), nullptr);
    Command(shell::command::kAlmanac);
    HWND almanac = program_.almanac_window;
    ASSERT_NE(almanac, nullptr);
    SetForegroundWindow(almanac);
    Settle(50);
    // Right after opening the focus is on 后一天: Enter presses it.
    Keys({VK_RETURN});
    EXPECT_EQ(almanac::AlmanacDayOf(almanac), DateToDayNumber(2024, 2, 11));
    // Enter in the choices finds; Down and Enter in the chosen days show the second one.
    SetFocus(GetDlgItem(almanac, almanac::kActivityId));
    Keys({VK_RETURN});
    HWND results = GetDlgItem(almanac, almanac::kResultsId);
    ASSERT_GT(SendMessageW(results, LB_GETCOUNT, 0, 0), 2);
    SetFocus(results);
    Keys({VK_HOME});
    Keys({VK_DOWN});
    Keys({VK_RETURN});
    const std::vector<almanac::ChosenDay> chosen =
        almanac::ChooseDays(almanac::ActivitiesOfWord(Selected(GetDlgItem(almanac, almanac::kActivityId))),
                            DateToDayNumber(2024, 2, 11), almanac::kChoosingSpans[0], -1);
    ASSERT_GT(chosen.size(), 1u);
    EXPECT_EQ(almanac::AlmanacDayOf(almanac), chosen[1].n);
    // Escape closes it.
    SetFocus(results);
    Keys({VK_ESCAPE});
    EXPECT_FALSE(IsWindow(almanac));
}

// --- every window --------------------------------------------------------------------------------------

// The tab stops of a window in the order Tab visits them, from the first.
std::vector<HWND> TabWalk(HWND window, HWND first) {
    std::vector<HWND> walk;
    if (!first) return walk;
    SetFocus(first);
    Settle(30);
    for (int i = 0; i < 60; ++i) {
        HWND focus = GetFocus();
        // A control inside a control (the edit of a combo box) stands for its parent.
        while (focus && GetParent(focus) != window && GetParent(focus)) focus = GetParent(focus);
        if (!walk.empty() && focus == walk.front()) break;
        walk.push_back(focus);
        Keys({VK_TAB});
    }
    return walk;
}

// Tab visits every tab stop of every window once, top to bottom and left to right, and comes back
// to the first; Escape closes the window (a page hides).
TEST_F(KeyboardTest, TabVisitsEveryWindowsControlsInReadingOrderAndEscapeClosesIt) {
    for (const test::Opener& o : test::EveryWindow()) {
        HWND window = o.open(nullptr);
        ASSERT_NE(window, nullptr) << o.name;
        ShowWindow(window, SW_SHOW);
        SetForegroundWindow(window);
        Settle(50);
        std::vector<HWND> stops;
        for (HWND c = GetWindow(window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT))
            if ((GetWindowLongW(c, GWL_STYLE) & (WS_TABSTOP | WS_VISIBLE | WS_DISABLED)) == (WS_TABSTOP | WS_VISIBLE))
                stops.push_back(c);
        const std::vector<HWND> walk = TabWalk(window, stops.empty() ? nullptr : stops.front());
        std::string ids;
        for (HWND h : walk) ids += " " + std::to_string(GetDlgCtrlID(h));
        EXPECT_EQ(walk.size(), stops.size()) << o.name << ":" << ids.substr(0, 120);
        // Reading order: each stop lies below the one before it, or on its row and to its right, or
        // begins a column to the right of it (黄历's 生辰四柱 beside the day).
        for (std::size_t i = 1; i < walk.size(); ++i) {
            RECT a, b;
            GetWindowRect(walk[i - 1], &a);
            GetWindowRect(walk[i], &b);
            const bool same_row = b.top < a.bottom && a.top < b.bottom;
            EXPECT_TRUE(same_row ? b.left >= a.left : b.top >= a.top || b.left >= a.right)
                << o.name << ": " << GetDlgCtrlID(walk[i - 1]) << " then " << GetDlgCtrlID(walk[i]);
        }
        Keys({VK_ESCAPE});
        EXPECT_TRUE(!IsWindow(window) || !IsWindowVisible(window) || IsIconic(window)) << o.name;
        if (IsWindow(window)) DestroyWindow(window);
        test::Pump();
        test::TakeQuits();
    }
}

}  // namespace

