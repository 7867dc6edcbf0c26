// The windows as a screen reader reads them and as a user of high contrast sees them.
//
// The month page is read from another process, as a screen reader reads it (accessible_reader:
// AccessibleObjectFromWindow, AccessibleChildren, the names, roles, states and places), at the
// display's DPI: the whole suite runs at 96 DPI, and these tests again at 144 and 192. May 2020
// holds a public holiday's 休 and 班, a solar term and the first day of a leap month; the names
// expected are checked by hand against published calendars and the State Council's notice.
#include <windows.h>
#include <oleacc.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "almanac/almanac_window.h"
#include "astro/day_numbers.h"
#include "music/lyric_view.h"
#include "music/player_window.h"
#include "platform/sound.h"
#include "tests/windows/test_support.h"
#include "text/wide.h"
#include "views/day_page_window.h"
#include "views/month_page_window.h"
#include "win/accessible.h"

namespace {

using astro::DateToDayNumber;
using test::Pump;
using test::PumpUntil;

int DisplayDpi() {
    HDC dc = GetDC(nullptr);
    const int dpi = GetDeviceCaps(dc, LOGPIXELSY);
    ReleaseDC(nullptr, dc);
    return dpi;
}

// One object as the reader wrote it.
struct Read {
    int depth = 0;
    long role = 0;
    long state = 0;
    RECT rect{};
    std::string name;  // GBK
    std::string value;
};

std::vector<std::wstring> Split(const std::wstring& text, wchar_t at) {
    std::vector<std::wstring> parts(1);
    for (const wchar_t c : text) {
        if (c == at) parts.emplace_back();
        else parts.back() += c;
    }
    return parts;
}

// Runs the reader on a window, the messages of this thread (where the window lives) answered
// meanwhile: its calls come in through them.
std::vector<Read> ReadAsAScreenReader(HWND window) {
    wchar_t folder[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, folder);
    const std::wstring file = std::wstring(folder) + L"tempoline-accessible-tree.txt";
    DeleteFileW(file.c_str());
    std::wstring command = L"\"" + std::wstring(TEMPO_READER_PATH) + L"\" " +
                           std::to_wstring(reinterpret_cast<INT_PTR>(window)) + L" \"" + file + L"\"";
    STARTUPINFOW startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    std::vector<Read> reads;
    if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup, &process)) {
        ADD_FAILURE() << "the reader did not start";
        return reads;
    }
    const bool ended = PumpUntil([&process] { return WaitForSingleObject(process.hProcess, 0) == WAIT_OBJECT_0; }, 60000);
    DWORD status = 99;
    GetExitCodeProcess(process.hProcess, &status);
    if (!ended) TerminateProcess(process.hProcess, 1);
    CloseHandle(process.hProcess);
    CloseHandle(process.hThread);
    EXPECT_TRUE(ended && status == 0) << "the reader ended with " << status;
    std::ifstream in(file.c_str(), std::ios::binary);
    const std::string bytes((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
    const std::wstring text(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / sizeof(wchar_t));
    for (const std::wstring& line : Split(text, L'\n')) {
        std::vector<std::wstring> f = Split(line, L'\t');
        if (f.size() != 6) continue;
        Read r;
        r.depth = std::stoi(f[0]);
        r.role = std::stol(f[1]);
        r.state = std::stol(f[2]);
        long x = 0, y = 0, w = 0, h = 0;
        swscanf(f[3].c_str(), L"%ld,%ld,%ld,%ld", &x, &y, &w, &h);
        r.rect = RECT{x, y, x + w, y + h};
        for (std::wstring* text : {&f[4], &f[5]})
            for (wchar_t& c : *text)
                if (c == L'\x1E') c = L'\n';
        r.name = text::WideToGbk(f[4]);
        r.value = text::WideToGbk(f[5]);
        reads.push_back(r);
    }
    return reads;
}

// A 96-DPI rectangle of a window's client area on the screen at the display's DPI, scaled edge by
// edge (MulDiv rounds halves away from zero, as the windows must).
RECT OnScreen(HWND window, const RECT& r) {
    const int dpi = DisplayDpi();
    POINT origin{0, 0};
    ClientToScreen(window, &origin);
    return RECT{origin.x + MulDiv(r.left, dpi, 96), origin.y + MulDiv(r.top, dpi, 96), origin.x + MulDiv(r.right, dpi, 96),
                origin.y + MulDiv(r.bottom, dpi, 96)};
}

std::string RectText(const RECT& r) {
    return std::to_string(r.left) + "," + std::to_string(r.top) + "," + std::to_string(r.right) + "," +
           std::to_string(r.bottom);
}

class AccessibilityTest : public test::CalendarTest {
protected:
    void SetUp() override { CoInitialize(nullptr); }
    void TearDown() override {
        test::CalendarTest::TearDown();
        CoUninitialize();
    }
};

TEST_F(AccessibilityTest, TheMonthPageReadsAsATableOfNamedDaysInTheirPlaces) {
    HWND page = Open(views::CalendarView::kMonth, DateToDayNumber(2020, 5, 9));
    ASSERT_NE(page, nullptr);
    SetForegroundWindow(page);
    SetFocus(page);  // the grid has the keyboard focus
    Pump();
    const std::vector<Read> tree = ReadAsAScreenReader(page);
    ASSERT_FALSE(tree.empty());
    EXPECT_EQ(tree[0].depth, 0);
    EXPECT_EQ(tree[0].role, ROLE_SYSTEM_CLIENT);
    EXPECT_EQ(tree[0].name, "橙鹿月历");
    // The page's parts in their order.
    std::vector<Read> parts, table;
    for (const Read& r : tree) {
        if (r.depth == 1) parts.push_back(r);
        if (r.depth == 2 && parts.size() == 4) table.push_back(r);
    }
    ASSERT_EQ(parts.size(), 6u);
    EXPECT_EQ(parts[0].name, "公历");
    // The lists and the panel are the system's own objects, named (their values are the system's
    // too: Wine's objects give none).
    EXPECT_EQ(parts[1].name, "公历年");
    EXPECT_EQ(parts[2].name, "公历月");
    EXPECT_EQ(parts[3].role, ROLE_SYSTEM_TABLE);
    EXPECT_EQ(parts[3].name, "2020年5月");
    EXPECT_EQ(parts[4].name, "所选日的详情");
    if (!parts[4].value.empty()) {
        EXPECT_EQ(parts[4].value, test::Text(Item(views::kMonthPanelId)));
    }
    EXPECT_EQ(parts[5].name, "本月的节气和朔望");
    EXPECT_EQ(RectText(parts[0].rect), RectText(OnScreen(page, views::TitleRect())));

    // The weekday headers, then the 37 cells, each where the page paints it.
    ASSERT_EQ(table.size(), 7u + 37u);
    const char* const weekdays[] = {"星期日", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六"};
    for (int column = 0; column < 7; ++column) {
        EXPECT_EQ(table[column].role, ROLE_SYSTEM_COLUMNHEADER);
        EXPECT_EQ(table[column].name, weekdays[column]);
        RECT frame = views::WeekdayHeaderRect(column);
        InflateRect(&frame, 1, 1);
        EXPECT_EQ(RectText(table[column].rect), RectText(OnScreen(page, frame))) << column;
    }
    // 1 May 2020 was a Friday: the month fills cells 6 .. 36; the 9th (cell 14) is chosen.
    for (int cell = 1; cell <= 37; ++cell) {
        const Read& r = table[6 + cell];
        EXPECT_EQ(r.role, ROLE_SYSTEM_CELL) << cell;
        EXPECT_EQ(RectText(r.rect), RectText(OnScreen(page, views::CellRect(cell)))) << cell;
        if (cell < 6 || cell > 36) {
            EXPECT_EQ(r.state, STATE_SYSTEM_UNAVAILABLE | (cell == 37 ? STATE_SYSTEM_INVISIBLE : 0)) << cell;
            EXPECT_EQ(r.name, "") << cell;
            continue;
        }
        const std::string date = "2020年5月" + std::to_string(cell - 5) + "日 ";
        EXPECT_EQ(r.name.compare(0, date.size(), date), 0) << cell << ": " << r.name;
        const long chosen = cell == 14 ? STATE_SYSTEM_SELECTED | STATE_SYSTEM_FOCUSED : 0;
        EXPECT_EQ(r.state, STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE | chosen) << cell;
    }
    EXPECT_EQ(table[6 + 6].name, "2020年5月1日 星期五 农历四月初九 劳动节 休");
    EXPECT_EQ(table[6 + 10].name, "2020年5月5日 星期二 农历四月十三 立夏 劳动节 休");
    EXPECT_EQ(table[6 + 14].name, "2020年5月9日 星期六 农历四月十七 劳动节 班");
    EXPECT_EQ(table[6 + 28].name, "2020年5月23日 星期六 农历闰四月初一");

    // Another month: the cells are named anew.
    ShowDay(DateToDayNumber(2026, 10, 1));
    const std::vector<Read> october = ReadAsAScreenReader(page);
    int cells_seen = 0;
    std::string first_of_october;
    for (const Read& r : october) {
        if (r.depth == 2 && r.role == ROLE_SYSTEM_CELL && ++cells_seen == 5) first_of_october = r.name;
    }
    EXPECT_EQ(first_of_october, "2026年10月1日 星期四 农历八月廿一 国庆节 休");
}

// A screen reader may hold an object after its window has gone: it answers that it cannot, and
// nothing of the window is touched.
TEST_F(AccessibilityTest, AnObjectHeldAfterItsWindowWentAnswersThatItIsGone) {
    HWND page = Open(views::CalendarView::kMonth, DateToDayNumber(2020, 5, 9));
    ASSERT_NE(page, nullptr);
    IAccessible* root = nullptr;
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(page, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&root))));
    VARIANT cell;
    cell.vt = VT_I4;
    cell.lVal = 4;  // the table
    IDispatch* table = nullptr;
    ASSERT_EQ(root->get_accChild(cell, &table), S_OK);
    DestroyWindow(page);
    Pump();
    VARIANT self;
    self.vt = VT_I4;
    self.lVal = CHILDID_SELF;
    BSTR name = nullptr;
    long count = -1, left = 0, top = 0, width = 0, height = 0;
    EXPECT_TRUE(FAILED(root->get_accName(self, &name)));
    EXPECT_EQ(name, nullptr);
    EXPECT_TRUE(FAILED(root->get_accChildCount(&count)));
    IAccessible* held = nullptr;
    ASSERT_TRUE(SUCCEEDED(table->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&held))));
    EXPECT_TRUE(FAILED(held->accLocation(&left, &top, &width, &height, self)));
    held->Release();
    table->Release();
    root->Release();
}

// A screen reader's "click" on a cell (its default action) chooses the day, as the mouse does; a
// cell the month does not use has no action.
TEST_F(AccessibilityTest, AScreenReadersClickOnACellChoosesItsDay) {
    HWND page = Open(views::CalendarView::kMonth, DateToDayNumber(2020, 5, 9));
    ASSERT_NE(page, nullptr);
    IAccessible* root = nullptr;
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(page, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&root))));
    VARIANT which;
    which.vt = VT_I4;
    which.lVal = 4;  // the table
    IDispatch* dispatch = nullptr;
    ASSERT_EQ(root->get_accChild(which, &dispatch), S_OK);
    IAccessible* table = nullptr;
    ASSERT_TRUE(SUCCEEDED(dispatch->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&table))));
    which.lVal = 7 + 28;  // after the seven headers: cell 28, the 23rd
    BSTR action = nullptr;
    EXPECT_EQ(table->get_accDefaultAction(which, &action), S_OK);
    EXPECT_EQ(action ? text::WideToGbk(action) : "", "选择");
    SysFreeString(action);
    EXPECT_EQ(table->accDoDefaultAction(which), S_OK);
    EXPECT_EQ(Day(), DateToDayNumber(2020, 5, 23));
    which.lVal = 7 + 1;  // April's cell
    EXPECT_EQ(table->accDoDefaultAction(which), DISP_E_MEMBERNOTFOUND);
    EXPECT_EQ(Day(), DateToDayNumber(2020, 5, 23));
    table->Release();
    dispatch->Release();
    root->Release();
}

// A WinEvent hook, as a screen reader sets one: the events of the month page's window.
struct Heard {
    DWORD event;
    HWND window;
    LONG object;
    LONG child;
};
std::vector<Heard> g_heard;

void CALLBACK Listen(HWINEVENTHOOK, DWORD event, HWND window, LONG object, LONG child, DWORD, DWORD) {
    g_heard.push_back({event, window, object, child});
}

// What a screen reader says for an event: the name of the object it names.
std::string NameOfEvent(const Heard& heard) {
    IAccessible* object = nullptr;
    VARIANT child;
    VariantInit(&child);
    if (FAILED(AccessibleObjectFromEvent(heard.window, heard.object, heard.child, &object, &child)) || !object) return "?";
    BSTR name = nullptr;
    std::string said;
    if (object->get_accName(child, &name) == S_OK && name) said = text::WideToGbk(name);
    SysFreeString(name);
    object->Release();
    return said;
}

TEST_F(AccessibilityTest, ChoosingADayTellsTheScreenReaderItsCell) {
    HWND page = Open(views::CalendarView::kMonth, DateToDayNumber(2020, 5, 9));
    ASSERT_NE(page, nullptr);
    SetForegroundWindow(page);
    SetFocus(page);
    Pump();
    g_heard.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_FOCUS, EVENT_OBJECT_SELECTION, nullptr, Listen,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    ASSERT_NE(hook, nullptr);
    // A click on the 23rd (cell 28), as the mouse gives it.
    const RECT cell = OnScreen(page, views::CellRect(28));
    INPUT input[3] = {};
    for (INPUT& i : input) {
        i.type = INPUT_MOUSE;
        i.mi.dx = MulDiv((cell.left + cell.right) / 2, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
        i.mi.dy = MulDiv((cell.top + cell.bottom) / 2, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
    }
    input[0].mi.dwFlags = MOUSEEVENTF_MOVE | MOUSEEVENTF_ABSOLUTE;
    input[1].mi.dwFlags = MOUSEEVENTF_LEFTDOWN | MOUSEEVENTF_ABSOLUTE;
    input[2].mi.dwFlags = MOUSEEVENTF_LEFTUP | MOUSEEVENTF_ABSOLUTE;
    SendInput(3, input, sizeof(INPUT));
    const auto heard = [page](DWORD event) {
        for (const Heard& h : g_heard)
            if (h.event == event && h.window == page && h.object == OBJID_CLIENT) return true;
        return false;
    };
    EXPECT_TRUE(PumpUntil([&] { return heard(EVENT_OBJECT_FOCUS) && heard(EVENT_OBJECT_SELECTION); }, 10000));
    UnhookWinEvent(hook);
    EXPECT_EQ(Day(), DateToDayNumber(2020, 5, 23));
    for (const Heard& h : g_heard) {
        if (h.window == page && h.object == OBJID_CLIENT) {
            EXPECT_EQ(NameOfEvent(h), "2020年5月23日 星期六 农历闰四月初一") << h.event;
        }
    }
}

// The lists of the day page, named as their tooltips name them: a screen reader says which
// calendar's year, month or day it is on.
TEST_F(AccessibilityTest, TheDayPagesListsSayWhichCalendarTheyAreOf) {
    HWND page = Open(views::CalendarView::kDay, DateToDayNumber(2024, 2, 10));
    ASSERT_NE(page, nullptr);
    const char* const names[] = {"公历年", "公历月", "公历日", "农历年", "农历月", "农历日", "回历年", "回历月", "回历日"};
    for (int i = 0; i < 9; ++i) {
        IAccessible* list = nullptr;
        ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(Item(views::kFirstListId + i), OBJID_CLIENT, IID_IAccessible,
                                                         reinterpret_cast<void**>(&list))));
        VARIANT self;
        self.vt = VT_I4;
        self.lVal = CHILDID_SELF;
        BSTR name = nullptr, value = nullptr;
        EXPECT_EQ(list->get_accName(self, &name), S_OK);
        EXPECT_EQ(name ? text::WideToGbk(name) : "", names[i]);
        // The value is still the list's own: the selected item.
        if (list->get_accValue(self, &value) == S_OK && value) {
            EXPECT_EQ(text::WideToGbk(value), test::Selected(Item(views::kFirstListId + i)));
        }
        SysFreeString(name);
        SysFreeString(value);
        list->Release();
    }
}

// --- high contrast ------------------------------------------------------------------------------------

COLORREF PixelAt(HWND window, POINT client) {
    ClientToScreen(window, &client);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, client.x, client.y);
    ReleaseDC(nullptr, screen);
    return c;
}

// The window's area on the screen as a 24-bit bitmap file, for looking at.
void SaveShot(HWND window, const std::wstring& file) {
    RECT r;
    GetWindowRect(window, &r);
    const int width = r.right - r.left, height = r.bottom - r.top;
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(memory, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    HGDIOBJ old = SelectObject(memory, bitmap);
    BitBlt(memory, 0, 0, width, height, screen, r.left, r.top, SRCCOPY);
    GdiFlush();
    const DWORD row = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
    BITMAPFILEHEADER header{};
    header.bfType = 0x4D42;
    header.bfOffBits = sizeof header + sizeof info.bmiHeader;
    header.bfSize = header.bfOffBits + row * height;
    std::ofstream out(file.c_str(), std::ios::binary);
    out.write(reinterpret_cast<const char*>(&header), sizeof header);
    out.write(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
    out.write(static_cast<const char*>(bits), static_cast<std::streamsize>(row * height));
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
}

// The system's colours of Windows' "High Contrast Black" theme while a test runs, then the ones
// before; and the high-contrast setting on meanwhile (Wine keeps it off, so the foundation's stand-in
// takes its place).
class HighContrastColours {
public:
    HighContrastColours() {
        for (int i = 0; i < 5; ++i) kept_[i] = GetSysColor(kElements[i]);
        SetSysColors(5, kElements, kTheme);
        win::SetHighContrastForTesting(&on_);
    }
    ~HighContrastColours() {
        win::SetHighContrastForTesting(nullptr);
        SetSysColors(5, kElements, kept_);
    }
    static constexpr INT kElements[5] = {COLOR_WINDOW, COLOR_WINDOWTEXT, COLOR_HIGHLIGHT, COLOR_HIGHLIGHTTEXT,
                                         COLOR_GRAYTEXT};
    static constexpr COLORREF kTheme[5] = {RGB(0, 0, 0), RGB(255, 255, 255), RGB(26, 235, 255), RGB(0, 0, 0),
                                           RGB(63, 242, 63)};

private:
    bool on_ = true;
    COLORREF kept_[5]{};
};

TEST_F(AccessibilityTest, InHighContrastTheMonthPagePaintsInTheSystemsColoursAndFrames) {
    HWND page = Open(views::CalendarView::kMonth, DateToDayNumber(2020, 5, 9));
    ASSERT_NE(page, nullptr);
    const int dpi = DisplayDpi();
    const auto px = [dpi](int v) { return MulDiv(v, dpi, 96); };
    // A point inside a box, away from its frame and its texts: its lower left corner, 3 pixels in.
    const auto inside = [&](const RECT& r) { return POINT{px(r.left + 3), px(r.bottom - 3)}; };
    const auto frame_of = [&](const RECT& r) { return POINT{px(r.left), px((r.top + r.bottom) / 2)}; };
    {
        const HighContrastColours colours;
        SendMessageW(page, WM_SYSCOLORCHANGE, 0, 0);
        Pump();
        UpdateWindow(page);
        const COLORREF window = HighContrastColours::kTheme[0], text = HighContrastColours::kTheme[1],
                       highlight = HighContrastColours::kTheme[2], gray = HighContrastColours::kTheme[4];
        EXPECT_EQ(PixelAt(page, POINT{px(5), px(40)}), window);            // the page
        EXPECT_EQ(PixelAt(page, inside(views::CellRect(7))), window);      // a Saturday
        EXPECT_EQ(PixelAt(page, inside(views::CellRect(14))), highlight);  // the chosen day
        EXPECT_EQ(PixelAt(page, frame_of(views::CellRect(7))), text);
        EXPECT_EQ(PixelAt(page, frame_of(views::CellRect(14))), text);  // the chosen day's double frame
        // its second line, where another cell shows its ground
        EXPECT_EQ(PixelAt(page, POINT{px(views::CellRect(14).left + 1), px(views::CellRect(14).top + 24)}), text);
        EXPECT_EQ(PixelAt(page, POINT{px(views::CellRect(7).left + 1), px(views::CellRect(7).top + 24)}), window);
        EXPECT_EQ(PixelAt(page, frame_of(views::CellRect(1))), gray);  // April's cell: an empty grey frame
        // The 休 of the 1st (cell 6) is a word in a frame of the text's colour, not a red patch.
        const RECT mark = views::CellHolidayRect(6);
        EXPECT_EQ(PixelAt(page, POINT{px(mark.left), px((mark.top + mark.bottom) / 2)}), text);
        // The weekend's texts are the text's colour too (their column names them): no red ink.
        const test::Ink saturday = test::InkIn(page, [&] {
            const RECT r = views::CellNumberRect(7);
            return RECT{px(r.left), px(r.top), px(r.right), px(r.bottom)};
        }(), window, text);
        EXPECT_GT(saturday.of_colour, 0);
        SaveShot(page, L"high-contrast-month-" + std::to_wstring(dpi) + L".bmp");
    }
    // The system's colours given back and high contrast off: the page's own colours again.
    SendMessageW(page, WM_SYSCOLORCHANGE, 0, 0);
    Pump();
    UpdateWindow(page);
    EXPECT_EQ(PixelAt(page, inside(views::CellRect(7))), RGB(190, 255, 255));
    EXPECT_EQ(PixelAt(page, inside(views::CellRect(14))), RGB(255, 230, 160));
}

// The day page paints nothing itself, but its lines and lists take the system's colours too.
TEST_F(AccessibilityTest, InHighContrastTheDayPagesLinesTakeTheSystemsColours) {
    HWND page = Open(views::CalendarView::kDay, DateToDayNumber(2020, 5, 9));
    ASSERT_NE(page, nullptr);
    const HighContrastColours colours;
    SendMessageW(page, WM_SYSCOLORCHANGE, 0, 0);
    Pump();
    UpdateWindow(page);
    HWND line = Item(views::kAttributeLineId);
    const RECT box = test::RectInParent(line);
    const test::Ink ink = test::InkIn(page, box, HighContrastColours::kTheme[0], HighContrastColours::kTheme[1]);
    EXPECT_GT(ink.of_colour, 0);  // its text in the window-text colour
    EXPECT_LT(ink.painted, (box.right - box.left) * (box.bottom - box.top) / 2);  // on the window colour
}

// The almanac's table of the twelve 时辰 reads hour by hour: each with its pillar, its spirit and
// its 吉 or 凶 (the four rows of its column), as a screen reader walks the window's children.
TEST_F(AccessibilityTest, TheAlmanacsHoursReadOneAfterAnother) {
    HWND almanac = almanac::OpenAlmanacWindow(nullptr, {DateToDayNumber(2026, 10, 1), nullptr, nullptr});
    ASSERT_NE(almanac, nullptr);
    Pump();
    IAccessible* window = nullptr;
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(almanac, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&window))));
    long count = 0;
    window->get_accChildCount(&count);
    std::vector<VARIANT> children(static_cast<size_t>(std::max(count, 1L)));
    long got = 0;
    AccessibleChildren(window, 0, count, children.data(), &got);
    std::vector<std::string> read;
    for (long i = 0; i < got; ++i) {
        BSTR name = nullptr;
        if (children[i].vt == VT_DISPATCH) {
            IAccessible* child = nullptr;
            if (SUCCEEDED(children[i].pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
                VARIANT self;
                self.vt = VT_I4;
                self.lVal = CHILDID_SELF;
                if (child->get_accName(self, &name) != S_OK) name = nullptr;
                // Wine's object of a child window leaves its name to the window's client area.
                HWND control = nullptr;
                IAccessible* client = nullptr;
                if (!name && SUCCEEDED(WindowFromAccessibleObject(child, &control)) && control &&
                    SUCCEEDED(AccessibleObjectFromWindow(control, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&client)))) {
                    if (client->get_accName(self, &name) != S_OK) name = nullptr;
                    client->Release();
                }
                child->Release();
            }
        }
        read.push_back(name ? text::WideToGbk(name) : "");
        SysFreeString(name);
        VariantClear(&children[i]);
    }
    window->Release();
    // What the table shows of each hour, column by column, is read in that order.
    std::vector<std::string> hours;
    for (int h = 0; h < 12; ++h)
        for (int row = 0; row < 4; ++row) hours.push_back(test::Text(almanac, almanac::kFirstHourCellId + row * 12 + h));
    const auto first = std::find(read.begin(), read.end(), "子");
    ASSERT_NE(first, read.end()) << read.size() << " children, first: " << (read.empty() ? "" : read[0]) << " / " << (read.size() > 5 ? read[5] : "");
    EXPECT_EQ(std::vector<std::string>(first, first + std::min<std::ptrdiff_t>(48, read.end() - first)), hours);
    DestroyWindow(almanac);
    Pump();
}

// --- the music player and its lyrics -----------------------------------------------------------------

VARIANT Self() {
    VARIANT v;
    v.vt = VT_I4;
    v.lVal = CHILDID_SELF;
    return v;
}

std::string NameOf(IAccessible* object) {
    BSTR name = nullptr;
    std::string said = object->get_accName(Self(), &name) == S_OK && name ? text::WideToGbk(name) : "";
    SysFreeString(name);
    return said;
}

class AccessibilityMusicTest : public ::testing::Test {
protected:
    void SetUp() override {
        CoInitialize(nullptr);
        mci_ = platform::MakeSystemMci();
        context_.mci = mci_.get();
        context_.history = &history_;
        context_.lyric_style = &style_;
        context_.lyric_folder = &lyric_folder_;
        context_.lyric_top = &top_;
    }
    void TearDown() override {
        if (window_ && IsWindow(window_)) DestroyWindow(window_);
        Pump();
        CoUninitialize();
    }
    std::unique_ptr<platform::MciDevice> mci_;
    music::PlayerContext context_;
    std::string history_, lyric_folder_;
    std::int16_t style_ = 1;  // the scrolling list
    std::int32_t top_ = -1;
    HWND window_ = nullptr;
};

// The player's skin reads as its parts; its buttons say what they do, each where it is drawn.
TEST_F(AccessibilityMusicTest, ThePlayersButtonsAreNamedByWhatTheyDo) {
    window_ = music::OpenPlayer(nullptr, context_);
    ASSERT_NE(window_, nullptr);
    Pump();
    IAccessible* player = nullptr;
    ASSERT_TRUE(SUCCEEDED(AccessibleObjectFromWindow(window_, OBJID_CLIENT, IID_IAccessible, reinterpret_cast<void**>(&player))));
    long count = 0;
    ASSERT_EQ(player->get_accChildCount(&count), S_OK);
    std::vector<VARIANT> children(static_cast<size_t>(count));
    long got = 0;
    ASSERT_TRUE(SUCCEEDED(AccessibleChildren(player, 0, count, children.data(), &got)));
    std::vector<std::string> buttons;
    for (long i = 0; i < got; ++i) {
        IAccessible* child = nullptr;
        if (children[i].vt == VT_DISPATCH &&
            SUCCEEDED(children[i].pdispVal->QueryInterface(IID_IAccessible, reinterpret_cast<void**>(&child)))) {
            VARIANT role;
            VariantInit(&role);
            if (child->get_accRole(Self(), &role) == S_OK && role.lVal == ROLE_SYSTEM_PUSHBUTTON) {
                buttons.push_back(NameOf(child));
                if (buttons.size() == 1) {  // the first, where the skin draws it
                    long x = 0, y = 0, w = 0, h = 0;
                    child->accLocation(&x, &y, &w, &h, Self());
                    EXPECT_EQ(RectText(RECT{x, y, x + w, y + h}), RectText(OnScreen(window_, music::ButtonRect(0))));
                }
            }
            if (NameOf(child) == "播放列表") {
                EXPECT_EQ(count - 1, i);  // the play list comes last
            }
            child->Release();
        }
        VariantClear(&children[i]);
    }
    player->Release();
    const std::vector<std::string> expected = {"打开文件", "播放", "还原", "结束", "上一首", "下一首", "关闭", "最小化", "退出"};
    EXPECT_EQ(buttons, expected);
}

// The lyric window's value is the line sung now, and a screen reader hears each new line.
TEST_F(AccessibilityMusicTest, TheLyricWindowTellsEachNewLine) {
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    const std::string audio = text::WideToGbk(temp) + "tempo-accessible-song.mp3";
    const std::string lyric = text::WideToGbk(temp) + "tempo-accessible-song.lrc";
    {
        std::ofstream out(text::GbkToWide(lyric).c_str(), std::ios::binary);
        out << "[00:01.00]第一行\r\n[00:03.00]第二行\r\n";
    }
    window_ = CreateWindowExW(0, L"STATIC", L"", WS_POPUP | WS_VISIBLE, 100, 100, 273, 100, nullptr, nullptr, nullptr, nullptr);
    music::LyricView view;
    view.Start(window_, &style_, &top_);
    view.Load(audio, "", 60000);
    ASSERT_NE(view.window(), nullptr);
    g_heard.clear();
    HWINEVENTHOOK hook = SetWinEventHook(EVENT_OBJECT_VALUECHANGE, EVENT_OBJECT_VALUECHANGE, nullptr, Listen,
                                         GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
    std::vector<std::string> values;
    for (const int ms : {1500, 2000, 3500}) {
        g_heard.clear();
        view.Show(ms, 60000);
        PumpUntil([] { return !g_heard.empty(); }, 1000);
        for (const Heard& h : g_heard) {
            IAccessible* object = nullptr;
            VARIANT child;
            VariantInit(&child);
            if (h.window != view.window() || FAILED(AccessibleObjectFromEvent(h.window, h.object, h.child, &object, &child)))
                continue;
            BSTR value = nullptr;
            if (object->get_accValue(child, &value) == S_OK && value) values.push_back(text::WideToGbk(value));
            SysFreeString(value);
            object->Release();
        }
    }
    UnhookWinEvent(hook);
    // One event for each line reached; none while the line stays.
    EXPECT_EQ(values, (std::vector<std::string>{"第一行", "第二行"}));
    view.Stop();
    DeleteFileW(text::GbkToWide(lyric).c_str());
}

}  // namespace
