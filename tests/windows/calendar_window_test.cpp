// The calendar window as the program makes it, on both pages: always on top after the start and
// after every switch of views, whole on the screen from any stored centre and after any move, and
// the automatic transparency following the pointer over every kind of control.
#include <windows.h>

#include <shellapi.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "tests/windows/test_support.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"
#include "win/services.h"

namespace {

using astro::DateToDayNumber;
using namespace shell::command;
using test::Pump;
using test::PumpUntil;
using views::CalendarView;

const astro::DayNumber kDay = DateToDayNumber(2024, 2, 10);

bool Topmost(HWND window) { return (GetWindowLongPtrW(window, GWL_EXSTYLE) & WS_EX_TOPMOST) != 0; }

// Moves the mouse pointer as the hardware does, so that the window system tells the windows under it.
void MovePointer(POINT p) {
    INPUT input{};
    input.type = INPUT_MOUSE;
    input.mi.dx = MulDiv(p.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
    input.mi.dy = MulDiv(p.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    input.mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    SendInput(1, &input, sizeof input);
    Pump();
}

POINT CentreOf(HWND control) {
    RECT r;
    GetWindowRect(control, &r);
    return {(r.left + r.right) / 2, (r.top + r.bottom) / 2};
}

class CalendarWindowTest : public test::CalendarTest {
protected:
    void Close() {
        DestroyWindow(Window());
        Pump();
        test::TakeQuits();
    }
    bool Faded() const { return win::Alpha(Window()) == 30; }
    bool Opaque() const { return win::Alpha(Window()) == 255; }

    // With automatic transparency: the page fades once the pointer has left it, and its timer then
    // stops; the pointer on a control of the page makes it opaque, and it stays so while the pointer
    // rests there, however long; when the pointer leaves again, it fades again.
    void ExpectFadingFollowsThePointer(const std::vector<int>& controls) {
        const POINT away{2, GetSystemMetrics(SM_CYSCREEN) - 2};
        Command(kTransparencyAuto);
        MovePointer(away);
        ASSERT_TRUE(PumpUntil([this] { return Faded(); }, 6000));
        EXPECT_FALSE(KillTimer(Window(), program_.page->transparency_timer));  // already stopped
        for (int id : controls) {
            HWND control = Item(id);
            ASSERT_NE(control, nullptr) << id;
            MovePointer(CentreOf(control));
            EXPECT_TRUE(PumpUntil([this] { return Opaque(); }, 2000)) << id;
            PumpUntil([] { return false; }, 1500);  // resting on the control for longer than a step
            EXPECT_TRUE(Opaque()) << id;
            MovePointer(away);
            EXPECT_TRUE(PumpUntil([this] { return Faded(); }, 6000)) << id;
        }
    }
};

TEST_F(CalendarWindowTest, OnTopAfterTheStartAndAfterEverySwitchOfViews) {
    for (const CalendarView first : {CalendarView::kDay, CalendarView::kMonth}) {
        program_.placement = shell::Placement::kOnTop;
        ASSERT_NE(Open(first, kDay), nullptr);
        EXPECT_TRUE(Topmost(Window()));
        EXPECT_TRUE(Checked(kAlwaysOnTop));
        for (int id : {kMonthPage, kDayPage, kMonthPage, kDayPage}) {
            // Whatever the window was, the new one is on top.
            if (id == kDayPage) Command(kAlwaysOnTop);
            Command(id);
            EXPECT_TRUE(Topmost(Window())) << id;
            EXPECT_TRUE(Checked(kAlwaysOnTop)) << id;
            EXPECT_TRUE(IsWindowVisible(Window())) << id;
        }
        Close();
    }
}

// The page shows first; what only the user's hand needs comes once it has painted, before the
// program takes any input: the hotkeys, the tray icon and dropped files (the day page), the day
// page's tooltips. Either way the page is on top.
TEST_F(CalendarWindowTest, HotkeysTrayIconAndTooltipsComeOnceThePageHasPainted) {
    program_.placement = shell::Placement::kOnTop;
    HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP, 0, 0, 10, 10, nullptr, nullptr,
                                 GetModuleHandleW(nullptr), nullptr);
    const auto hotkey_free = [other] {
        const bool free = RegisterHotKey(other, shell::kHotkeyShow, MOD_CONTROL | MOD_ALT, 'R') != FALSE;
        if (free) UnregisterHotKey(other, shell::kHotkeyShow);
        return free;
    };
    const auto tray_icon = [this] {
        NOTIFYICONDATAW icon{};
        icon.cbSize = sizeof icon;
        icon.hWnd = Window();
        icon.uID = 0;
        return Shell_NotifyIconW(NIM_MODIFY, &icon) != FALSE;
    };
    for (const CalendarView view : {CalendarView::kDay, CalendarView::kMonth}) {
        HWND page = shell::OpenCalendarPage(program_, view, kDay);  // shown; the queue not yet read
        ASSERT_NE(page, nullptr);
        EXPECT_TRUE(IsWindowVisible(page));
        EXPECT_TRUE(hotkey_free());
        EXPECT_EQ(GetWindowLongPtrW(page, GWL_EXSTYLE) & WS_EX_ACCEPTFILES, 0);
        EXPECT_EQ(views::PageWindowOf(page)->KeptOnTop(), nullptr);
        Pump();
        EXPECT_FALSE(hotkey_free());
        const bool day = view == CalendarView::kDay;
        EXPECT_EQ((GetWindowLongPtrW(page, GWL_EXSTYLE) & WS_EX_ACCEPTFILES) != 0, day);
        EXPECT_EQ(tray_icon(), day);
        EXPECT_EQ(views::PageWindowOf(page)->KeptOnTop() != nullptr, day);  // the tooltips' window
        EXPECT_TRUE(Topmost(page));
        Close();
        EXPECT_TRUE(hotkey_free());
        EXPECT_FALSE(tray_icon());
    }
    DestroyWindow(other);
}

TEST_F(CalendarWindowTest, BothPagesOpenWholeOnTheScreenFromAnyStoredCentre) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    const POINT centres[] = {{0, 0}, {130, 75}, {width, 0}, {0, height}, {width, height}, {width / 2, 3}};
    for (const CalendarView view : {CalendarView::kDay, CalendarView::kMonth}) {
        for (const POINT c : centres) {
            program_.settings.form_center_x = c.x;
            program_.settings.form_center_y = c.y;
            ASSERT_NE(Open(view, kDay), nullptr);
            RECT r;
            GetWindowRect(Window(), &r);
            EXPECT_GE(r.left, 0) << c.x << "," << c.y;
            EXPECT_GE(r.top, 0) << c.x << "," << c.y;
            EXPECT_LE(r.right, width) << c.x << "," << c.y;
            EXPECT_LE(r.bottom, height) << c.x << "," << c.y;
            Close();
        }
        // A centre well inside the screen is kept.
        program_.settings.form_center_x = 400;
        program_.settings.form_center_y = 300;
        ASSERT_NE(Open(view, kDay), nullptr);
        RECT r;
        GetWindowRect(Window(), &r);
        EXPECT_EQ((r.left + r.right) / 2, 400);
        EXPECT_EQ((r.top + r.bottom) / 2, 300);
        Close();
    }
    // The day page dragged into the top-left corner, then the month page: it opens whole, its
    // caption within reach.
    program_.settings.form_center_x = -1;
    program_.settings.form_center_y = -1;
    ASSERT_NE(Open(CalendarView::kDay, kDay), nullptr);
    SetWindowPos(Window(), nullptr, 0, 0, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
    Command(kMonthPage);
    RECT r;
    GetWindowRect(Window(), &r);
    EXPECT_EQ(r.left, 0);
    EXPECT_EQ(r.top, 0);
    EXPECT_EQ(program_.settings.form_center_x, 130);
    EXPECT_EQ(program_.settings.form_center_y, 75);
}

TEST_F(CalendarWindowTest, ClosingEitherPageKeepsItsCentreSavesTheSettingsAndEndsTheProgram) {
    program_.settings.use_registry = 1;
    program_.settings.dform_show_dynasty_flag = 1;
    const struct {
        CalendarView view;
        const char* centre_x;  // the page's left edge at 100, its top at 200
        const char* centre_y;
    } pages[] = {{CalendarView::kDay, "230.0", "275.0"}, {CalendarView::kMonth, "364.0", "415.0"}};
    for (const auto& page : pages) {
        ASSERT_NE(Open(page.view, kDay), nullptr);
        HWND window = Window();
        SetWindowPos(window, nullptr, 100, 200, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        SendMessageW(window, WM_CLOSE, 0, 0);
        Pump();
        EXPECT_FALSE(IsWindow(window));
        EXPECT_EQ(Window(), nullptr);
        EXPECT_EQ(test::TakeQuits(), 1);
        EXPECT_EQ(Stored("Version"), "4.2");
        EXPECT_EQ(Stored("FormCenterX"), page.centre_x);
        EXPECT_EQ(Stored("FormCenterY"), page.centre_y);
        EXPECT_EQ(Stored("DFORMShowDynastyFlag"), "1");
        EXPECT_EQ(Stored("CalendarShowTypeFlag"), page.view == CalendarView::kMonth ? "1" : "");
    }
}

TEST_F(CalendarWindowTest, BothPagesStayOnTheScreenWhenMovedPastAnEdge) {
    const int width = GetSystemMetrics(SM_CXSCREEN);
    const int height = GetSystemMetrics(SM_CYSCREEN);
    for (const CalendarView view : {CalendarView::kDay, CalendarView::kMonth}) {
        ASSERT_NE(Open(view, kDay), nullptr);
        RECT r;
        SetWindowPos(Window(), nullptr, -100, -50, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        GetWindowRect(Window(), &r);
        EXPECT_EQ(r.left, 0);
        EXPECT_EQ(r.top, 0);
        SetWindowPos(Window(), nullptr, width - 100, height + 20, 0, 0, SWP_NOSIZE | SWP_NOZORDER);
        GetWindowRect(Window(), &r);
        EXPECT_EQ(r.right, width);
        EXPECT_EQ(r.bottom, height);
        Close();
    }
}

TEST_F(CalendarWindowTest, TheDayPageFadesAndComesBackOverEveryKindOfControl) {
    ASSERT_NE(Open(CalendarView::kDay, kDay), nullptr);
    // A list, the two text lines, and the background picture behind them all (its free corner).
    ASSERT_TRUE(views::PageWindowOf(Window())->SetBackgroundPicture(test::BitmapFile()));
    ExpectFadingFollowsThePointer({views::kFirstListId, views::kFirstListId + 4, views::kAttributeLineId,
                                   views::kInformationLineId});
    RECT page;
    GetWindowRect(Window(), &page);
    MovePointer({page.left + 4, page.top + 4});
    EXPECT_EQ(WindowFromPoint({page.left + 4, page.top + 4}), Item(views::kPictureId));
    EXPECT_TRUE(PumpUntil([this] { return Opaque(); }, 2000));
}

TEST_F(CalendarWindowTest, TheMonthPageFadesAndComesBackOverEveryKindOfControl) {
    ASSERT_NE(Open(CalendarView::kMonth, kDay), nullptr);
    // A list, the panel, the moon line (the cells and their texts are the page's own).
    ExpectFadingFollowsThePointer({views::kMonthMonthListId, views::kMonthPanelId, views::kMonthMoonLineId});
}

}  // namespace
