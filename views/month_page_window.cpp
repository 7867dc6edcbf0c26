#include "views/month_page_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <string>
#include <vector>

#include "shell/app_win32.h"
#include "text/wide.h"

namespace views {

namespace {

// Layout of the client area, top to bottom:
//   y 5       the year list, the month list and the title banner (22 high)
//   y 31      the weekday headers (30 high)
//   y 60      six rows of cells, 47 apart, each row's frame line shared with the next; the header
//             row's lower line is the first row's upper line
//   y 297     the detail panel, right of cells 36 and 37 (used only by a 30-day month beginning on
//             a Saturday and a 31-day month beginning on a Friday or a Saturday), from x 160 to
//             the grid's right edge 513: 353 wide
//   bottom    the moon line over the grid's whole width, 4 pixels above the client's lower edge,
//             the panel reaching down to 3 pixels above it
constexpr const wchar_t* kClassName = L"TempolineMonthPage";
constexpr int kTopRowY = 5;
constexpr int kTopRowHeight = 22;
constexpr int kYearListX = 17;
constexpr int kYearListWidth = 84;
constexpr int kMonthListX = 101;
constexpr int kMonthListWidth = 54;
constexpr int kGridRight = kGridLeft + 6 * kCellPitchX + kCellWidth;  // 513
constexpr int kPanelX = 160;
constexpr int kPanelWidth = 353;
constexpr int kPanelTop = kGridTop + 4 * kCellPitchY + kCellHeight + 1;  // just below the 5th row
constexpr int kTitleX = kPanelX;
constexpr int kTitleWidth = kPanelWidth;
constexpr int kMoonLineHeight = 18;
constexpr int kLabelWidth = 70;
constexpr int kLabelHeight = 16;
constexpr int kNumberOffsetY = 6;   // the day number's label inside its cell
constexpr int kLunarOffsetY = 26;   // the lunar line's label

constexpr COLORREF kBackground = RGB(79, 190, 223);
constexpr COLORREF kCellBackground = RGB(190, 255, 255);
constexpr COLORREF kTitleBackground = RGB(248, 249, 200);
constexpr COLORREF kSelectedBackground = RGB(255, 230, 160);
constexpr COLORREF kSelectedFrame = RGB(240, 110, 0);  // orange: the program's colour
constexpr COLORREF kFrame = RGB(0, 90, 120);
constexpr COLORREF kWeekendText = RGB(255, 0, 0);
constexpr COLORREF kWeekdayText = RGB(8, 0, 0);
constexpr COLORREF kListText = RGB(0, 0, 255);

struct MonthPage {
    HWND window = nullptr;
    HWND year_list = nullptr;
    HWND month_list = nullptr;
    HWND year_dropdown = nullptr;   // the list boxes the lists drop down
    HWND month_dropdown = nullptr;
    HWND title = nullptr;
    std::array<HWND, kWeekdayCount> headers{};
    std::array<HWND, kMonthCellCount> numbers{};
    std::array<HWND, kMonthCellCount> lunar_lines{};
    HWND panel = nullptr;
    HWND moon_line = nullptr;
    HFONT list_font = nullptr;
    HFONT title_font = nullptr;
    HFONT header_font = nullptr;
    HFONT number_font = nullptr;
    HFONT lunar_font = nullptr;
    HBRUSH back_brush = nullptr;
    HBRUSH cell_brush = nullptr;
    HBRUSH title_brush = nullptr;
    HBRUSH selected_brush = nullptr;
    HBRUSH frame_brush = nullptr;
    HBRUSH selected_frame_brush = nullptr;
    MonthPageState state;
    std::array<MonthCell, kMonthCellCount> cells{};
    int shown_year = 0;  // the month the cells hold (0/0 before the first fill)
    int shown_month = 0;
};

MonthPage* PageOf(HWND window) { return reinterpret_cast<MonthPage*>(GetWindowLongPtrW(window, GWLP_USERDATA)); }

HMENU IdOf(int id) { return reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)); }

int ColumnOf(int cell) { return (cell - 1) % 7; }

bool CellUsed(const MonthPage& page, int cell) { return page.cells[cell - 1].day != astro::InvalidDayNumber; }

int SelectedCell(const MonthPage& page) {
    return CellOfDay(page.state.date.year, page.state.date.month, page.state.day);
}

// The cells of the sixth row are drawn only when the month uses them; an unused cell of the first
// five rows keeps its empty frame, so the grid keeps its shape.
bool CellDrawn(const MonthPage& page, int cell) { return cell <= 35 || CellUsed(page, cell); }

RECT HeaderRect(int column) {
    const int x = kGridLeft + kCellPitchX * column;
    return RECT{x, kHeaderTop, x + kCellWidth, kHeaderTop + kHeaderHeight};
}

HFONT MakeFont(const char* face, int height, int weight) {
    return CreateFontW(-height, 0, 0, 0, weight, FALSE, FALSE, FALSE, GB2312_CHARSET, OUT_DEFAULT_PRECIS,
                       CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, text::GbkToWide(face).c_str());
}

void SetText(HWND control, const std::string& gbk) { SetWindowTextW(control, text::GbkToWide(gbk).c_str()); }

LRESULT CALLBACK ListProc(HWND combo, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data);

// Escape puts the page away. The month page has no tray icon: hidden, it comes back only with
// Ctrl+Alt+R, so it is hidden only while that hotkey belongs to it (another program may hold the
// key); otherwise it is minimised to its task-bar button.
void PutAway(HWND window) {
    bool hotkey = UnregisterHotKey(window, shell::kHotkeyShow) != FALSE;
    if (hotkey) hotkey = RegisterHotKey(window, shell::kHotkeyShow, MOD_CONTROL | MOD_ALT, 'R') != FALSE;
    ShowWindow(window, hotkey ? SW_HIDE : SW_MINIMIZE);
}

// Fills a list. The list's own procedure is taken off meanwhile: thousands of items would each pass
// through it (under Wine that costs seconds for the year list).
void Fill(MonthPage& page, HWND combo, const std::vector<std::string>& items) {
    RemoveWindowSubclass(combo, ListProc, 1);
    SendMessageW(combo, WM_SETREDRAW, FALSE, 0);
    SendMessageW(combo, CB_RESETCONTENT, 0, 0);
    SendMessageW(combo, CB_INITSTORAGE, items.size(), items.size() * 24);
    for (const std::string& item : items)
        SendMessageW(combo, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(text::GbkToWide(item).c_str()));
    SendMessageW(combo, WM_SETREDRAW, TRUE, 0);
    InvalidateRect(combo, nullptr, TRUE);
    SetWindowSubclass(combo, ListProc, 1, reinterpret_cast<DWORD_PTR>(&page));
}

// The panel shows its scroll bar only when its lines do not fit. The edit control knows where it
// puts each line: the last one must end inside its client area.
void FitPanelScrollBar(MonthPage& page) {
    ShowScrollBar(page.panel, SB_VERT, FALSE);
    const int lines = static_cast<int>(SendMessageW(page.panel, EM_GETLINECOUNT, 0, 0));
    if (lines < 2) return;
    const auto top_of_line = [&page](int line) {
        const LRESULT first_char = SendMessageW(page.panel, EM_LINEINDEX, line, 0);
        return static_cast<int>(static_cast<short>(HIWORD(SendMessageW(page.panel, EM_POSFROMCHAR, first_char, 0))));
    };
    const int line_height = top_of_line(1) - top_of_line(0);
    RECT r;
    GetClientRect(page.panel, &r);
    if (top_of_line(lines - 1) + line_height > r.bottom) ShowScrollBar(page.panel, SB_VERT, TRUE);
}

void FillPanel(MonthPage& page) {
    const shell::Settings& s = shell::TheApp().settings;
    const DayPanelOptions options{s.gan_zhi_from_chunjie_flag, s.place.longitude, s.place.latitude};
    // The personal days of the selected day (countdown, reminder, memorial days) join the panel
    // as its last line once their store exists; until then there are none to show.
    SetText(page.panel, DayPanelText(page.state.day, options, {}));
    FitPanelScrollBar(page);
}

void FillMonth(MonthPage& page) {
    const int year = page.state.date.year;
    const int month = page.state.date.month;
    page.cells = MonthCells(year, month);
    for (int i = 0; i < kMonthCellCount; ++i) {
        SetText(page.numbers[i], page.cells[i].number);
        SetText(page.lunar_lines[i], page.cells[i].lunar_line);
    }
    SetText(page.moon_line, MoonLine(year, month));
    page.shown_year = year;
    page.shown_month = month;
}

// Repaints the grid: frames and fills by the page, the labels by themselves.
void RedrawGrid(MonthPage& page) {
    RECT grid{kGridLeft - 2, kGridTop - 2, kGridRight + 2, kGridTop + 5 * kCellPitchY + kCellHeight + 2};
    RedrawWindow(page.window, &grid, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN);
}

void SetDay(MonthPage& page, astro::DayNumber day, bool refill) {
    page.state = MonthPageAt(day);
    shell::TheApp().displayed_day = page.state.day;
    if (refill || page.state.date.year != page.shown_year || page.state.date.month != page.shown_month) FillMonth(page);
    SendMessageW(page.year_list, CB_SETCURSEL, MonthListSelection(page.state, MonthList::kYear), 0);
    SendMessageW(page.month_list, CB_SETCURSEL, MonthListSelection(page.state, MonthList::kMonth), 0);
    FillPanel(page);
    RedrawGrid(page);
}

void Step(MonthPage& page, MonthList list, int delta) {
    const astro::DayNumber next = StepMonthList(page.state, list, delta);
    if (next != page.state.day) SetDay(page, next, false);
}

MonthList ListOf(const MonthPage& page, HWND combo) {
    return combo == page.year_list ? MonthList::kYear : MonthList::kMonth;
}

// The lists step by a year or a month with the arrow keys and the wheel; Escape puts the page away;
// the right button opens the page's menu.
LRESULT CALLBACK ListProc(HWND combo, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR data) {
    MonthPage& page = *reinterpret_cast<MonthPage*>(data);
    // Asked only for the keys and the wheel: the question itself passes through this procedure.
    const auto dropped = [combo] { return SendMessageW(combo, CB_GETDROPPEDSTATE, 0, 0) != 0; };
    switch (message) {
        case WM_KEYDOWN:
            if (dropped()) break;
            if (wparam == VK_LEFT || wparam == VK_UP) {
                Step(page, ListOf(page, combo), -1);
                return 0;
            }
            if (wparam == VK_RIGHT || wparam == VK_DOWN) {
                Step(page, ListOf(page, combo), 1);
                return 0;
            }
            if (wparam == VK_ESCAPE) {
                PutAway(page.window);
                return 0;
            }
            break;
        case WM_MOUSEWHEEL:
            if (dropped()) break;
            Step(page, ListOf(page, combo), GET_WHEEL_DELTA_WPARAM(wparam) > 0 ? -1 : 1);
            return 0;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return SendMessageW(page.window, message, wparam, lparam);
        default:
            break;
    }
    return DefSubclassProc(combo, message, wparam, lparam);
}

// The panel and the moon line are read-only: nothing can be pasted, a double click selects the
// whole text, Escape puts the page away (a multi-line edit would otherwise close it), and the right
// button opens the page's menu instead of the edit's own.
LRESULT CALLBACK TextProc(HWND edit, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    HWND window = GetParent(edit);
    switch (message) {
        case WM_PASTE:
            return 0;
        case WM_LBUTTONDBLCLK:
            SendMessageW(edit, EM_SETSEL, 0, -1);
            return 0;
        case WM_KEYDOWN:
            if (wparam == VK_ESCAPE) {
                PutAway(window);
                return 0;
            }
            break;
        case WM_CHAR:
            if (wparam == VK_ESCAPE) return 0;
            break;
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
            return SendMessageW(window, message, wparam, lparam);
        default:
            break;
    }
    return DefSubclassProc(edit, message, wparam, lparam);
}

// The labels let the mouse through to the page (they are static controls without SS_NOTIFY); a
// button message sent to a label itself is passed on at the same place of the page.
LRESULT CALLBACK LabelProc(HWND label, UINT message, WPARAM wparam, LPARAM lparam, UINT_PTR, DWORD_PTR) {
    switch (message) {
        case WM_LBUTTONDOWN:
        case WM_RBUTTONDOWN:
        case WM_RBUTTONUP:
        case WM_MOUSEMOVE: {
            HWND window = GetParent(label);
            POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
            MapWindowPoints(label, window, &p, 1);
            return SendMessageW(window, message, wparam, MAKELPARAM(p.x, p.y));
        }
        default:
            return DefSubclassProc(label, message, wparam, lparam);
    }
}

HWND Label(MonthPage& page, int id, const RECT& r, DWORD style, HFONT font) {
    HWND label = CreateWindowExW(0, L"STATIC", nullptr, WS_CHILD | WS_VISIBLE | SS_NOPREFIX | style, r.left, r.top,
                                 r.right - r.left, r.bottom - r.top, page.window, IdOf(id), GetModuleHandleW(nullptr),
                                 nullptr);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    SetWindowSubclass(label, LabelProc, 1, 0);
    return label;
}

HWND List(MonthPage& page, int id, int x, int width, HWND& dropdown) {
    HWND combo = CreateWindowExW(0, L"COMBOBOX", nullptr, WS_CHILD | WS_VISIBLE | WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST,
                                 x, kTopRowY, width, 300, page.window, IdOf(id), GetModuleHandleW(nullptr), nullptr);
    SendMessageW(combo, WM_SETFONT, reinterpret_cast<WPARAM>(page.list_font), FALSE);
    COMBOBOXINFO info{};
    info.cbSize = sizeof info;
    if (GetComboBoxInfo(combo, &info)) dropdown = info.hwndList;
    SetWindowSubclass(combo, ListProc, 1, reinterpret_cast<DWORD_PTR>(&page));
    return combo;
}

HWND TextBox(MonthPage& page, int id, const RECT& r, DWORD style) {
    HWND edit = CreateWindowExW(0, L"EDIT", nullptr, WS_CHILD | WS_VISIBLE | WS_BORDER | ES_READONLY | style, r.left,
                                r.top, r.right - r.left, r.bottom - r.top, page.window, IdOf(id),
                                GetModuleHandleW(nullptr), nullptr);
    SendMessageW(edit, WM_SETFONT, reinterpret_cast<WPARAM>(page.list_font), FALSE);
    SetWindowSubclass(edit, TextProc, 1, 0);
    return edit;
}

void CreateControls(MonthPage& page) {
    page.list_font = MakeFont("宋体", 12, FW_NORMAL);
    page.title_font = MakeFont("楷体_GB2312", 18, FW_NORMAL);
    page.header_font = MakeFont("楷体_GB2312", 16, FW_BOLD);
    page.number_font = MakeFont("楷体_GB2312", 16, FW_BOLD);
    page.lunar_font = MakeFont("宋体", 12, FW_BOLD);
    page.back_brush = CreateSolidBrush(kBackground);
    page.cell_brush = CreateSolidBrush(kCellBackground);
    page.title_brush = CreateSolidBrush(kTitleBackground);
    page.selected_brush = CreateSolidBrush(kSelectedBackground);
    page.frame_brush = CreateSolidBrush(kFrame);
    page.selected_frame_brush = CreateSolidBrush(kSelectedFrame);

    page.year_list = List(page, kMonthYearListId, kYearListX, kYearListWidth, page.year_dropdown);
    page.month_list = List(page, kMonthMonthListId, kMonthListX, kMonthListWidth, page.month_dropdown);
    page.title = Label(page, kMonthTitleId, RECT{kTitleX, kTopRowY, kTitleX + kTitleWidth, kTopRowY + kTopRowHeight},
                       SS_CENTER | SS_CENTERIMAGE, page.title_font);
    SetText(page.title, "公 历");
    for (int column = 0; column < kWeekdayCount; ++column) {
        RECT r = HeaderRect(column);
        InflateRect(&r, -1, -1);  // inside the frame the page draws
        page.headers[column] = Label(page, kFirstWeekdayHeaderId + column, r, SS_CENTER | SS_CENTERIMAGE, page.header_font);
        SetText(page.headers[column], WeekdayHeader(column));
    }
    for (int cell = 1; cell <= kMonthCellCount; ++cell) {
        const RECT frame = CellRect(cell);
        const int x = frame.left + 1;
        page.numbers[cell - 1] =
            Label(page, kCellNumberId + cell, RECT{x, frame.top + kNumberOffsetY, x + kLabelWidth, frame.top + kNumberOffsetY + kLabelHeight},
                  SS_CENTER, page.number_font);
        page.lunar_lines[cell - 1] =
            Label(page, kCellLunarId + cell, RECT{x, frame.top + kLunarOffsetY, x + kLabelWidth, frame.top + kLunarOffsetY + kLabelHeight},
                  SS_CENTER, page.lunar_font);
    }
    // The panel and the moon line take the room left below the grid, whatever the caption's height.
    RECT client;
    GetClientRect(page.window, &client);
    const int moon_top = std::max<int>(client.bottom - 4 - kMoonLineHeight, kPanelTop + 3 * kMoonLineHeight);
    page.panel = TextBox(page, kMonthPanelId, RECT{kPanelX, kPanelTop, kPanelX + kPanelWidth, moon_top - 3},
                         ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL);
    page.moon_line = TextBox(page, kMonthMoonLineId, RECT{kGridLeft, moon_top, kGridRight, moon_top + kMoonLineHeight},
                             ES_AUTOHSCROLL);
    Fill(page, page.year_list, MonthListItems(MonthList::kYear));
    Fill(page, page.month_list, MonthListItems(MonthList::kMonth));
}

void Paint(MonthPage& page) {
    PAINTSTRUCT ps;
    HDC dc = BeginPaint(page.window, &ps);
    for (int column = 0; column < kWeekdayCount; ++column) {
        const RECT r = HeaderRect(column);
        FillRect(dc, &r, page.title_brush);
        FrameRect(dc, &r, page.frame_brush);
    }
    const int selected = SelectedCell(page);
    for (int cell = 1; cell <= kMonthCellCount; ++cell) {
        if (!CellDrawn(page, cell) || cell == selected) continue;
        const RECT r = CellRect(cell);
        FillRect(dc, &r, CellUsed(page, cell) ? page.cell_brush : page.back_brush);
        FrameRect(dc, &r, page.frame_brush);
    }
    // The selected cell last: its double orange frame covers the lines it shares with its neighbours.
    if (selected > 0) {
        RECT r = CellRect(selected);
        FillRect(dc, &r, page.selected_brush);
        FrameRect(dc, &r, page.selected_frame_brush);
        InflateRect(&r, -1, -1);
        FrameRect(dc, &r, page.selected_frame_brush);
    }
    EndPaint(page.window, &ps);
}

LRESULT OnControlColour(MonthPage& page, HDC dc, HWND control) {
    if (control == page.year_list || control == page.month_list || control == page.year_dropdown ||
        control == page.month_dropdown) {
        SetTextColor(dc, kListText);
        SetBkColor(dc, kCellBackground);
        return reinterpret_cast<LRESULT>(page.cell_brush);
    }
    const int id = GetDlgCtrlID(control);
    const int cell = id > kCellLunarId ? id - kCellLunarId : id - kCellNumberId;
    if (id > kCellNumberId && id <= kCellLunarId + kMonthCellCount && cell >= 1 && cell <= kMonthCellCount) {
        SetTextColor(dc, IsWeekendColumn(ColumnOf(cell)) ? kWeekendText : kWeekdayText);
        const bool selected = cell == SelectedCell(page);
        const bool used = CellUsed(page, cell);
        SetBkColor(dc, selected ? kSelectedBackground : used ? kCellBackground : kBackground);
        return reinterpret_cast<LRESULT>(selected ? page.selected_brush : used ? page.cell_brush : page.back_brush);
    }
    if (id >= kFirstWeekdayHeaderId && id < kFirstWeekdayHeaderId + kWeekdayCount) {
        SetTextColor(dc, IsWeekendColumn(id - kFirstWeekdayHeaderId) ? kWeekendText : kWeekdayText);
        SetBkColor(dc, kTitleBackground);
        return reinterpret_cast<LRESULT>(page.title_brush);
    }
    if (control == page.title || control == page.panel || control == page.moon_line) {
        SetTextColor(dc, kWeekdayText);
        SetBkColor(dc, kTitleBackground);
        return reinterpret_cast<LRESULT>(page.title_brush);
    }
    SetBkColor(dc, kBackground);
    return reinterpret_cast<LRESULT>(page.back_brush);
}

void OnLeftButton(MonthPage& page, LPARAM lparam) {
    const POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
    for (int cell = 1; cell <= kMonthCellCount; ++cell) {
        const RECT r = CellRect(cell);
        if (!PtInRect(&r, p)) continue;
        const astro::DayNumber day = DayOfCell(page.state, cell);
        if (day != page.state.day) SetDay(page, day, false);
        return;
    }
}

void FreeResources(MonthPage& page) {
    for (HGDIOBJ o : {static_cast<HGDIOBJ>(page.list_font), static_cast<HGDIOBJ>(page.title_font),
                      static_cast<HGDIOBJ>(page.header_font), static_cast<HGDIOBJ>(page.number_font),
                      static_cast<HGDIOBJ>(page.lunar_font), static_cast<HGDIOBJ>(page.back_brush),
                      static_cast<HGDIOBJ>(page.cell_brush), static_cast<HGDIOBJ>(page.title_brush),
                      static_cast<HGDIOBJ>(page.selected_brush), static_cast<HGDIOBJ>(page.frame_brush),
                      static_cast<HGDIOBJ>(page.selected_frame_brush)})
        if (o) DeleteObject(o);
}

LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wparam, LPARAM lparam) {
    MonthPage* page = PageOf(window);
    LRESULT result = 0;
    if (page && shell::HandleCalendarMessage(window, message, wparam, lparam, false, result)) return result;
    switch (message) {
        case WM_COMMAND:
            if (!page) break;
            if (LOWORD(wparam) == IDCANCEL) {  // Escape
                PutAway(window);
                return 0;
            }
            if (HIWORD(wparam) == CBN_SELCHANGE &&
                (LOWORD(wparam) == kMonthYearListId || LOWORD(wparam) == kMonthMonthListId)) {
                HWND combo = reinterpret_cast<HWND>(lparam);
                const int index = static_cast<int>(SendMessageW(combo, CB_GETCURSEL, 0, 0));
                SetDay(*page, MonthForChoice(page->state, ListOf(*page, combo), index), false);
                return 0;
            }
            break;
        case WM_PAINT:
            if (!page) break;
            Paint(*page);
            return 0;
        case WM_CTLCOLORLISTBOX:
        case WM_CTLCOLOREDIT:
        case WM_CTLCOLORSTATIC:
            if (page) return OnControlColour(*page, reinterpret_cast<HDC>(wparam), reinterpret_cast<HWND>(lparam));
            break;
        case WM_LBUTTONDOWN:
            if (page) OnLeftButton(*page, lparam);
            return 0;
        case WM_NCLBUTTONDOWN:
            // Moved by its caption, unless it is locked in place.
            if (wparam == HTCAPTION && shell::TheApp().move_lock) {
                SetForegroundWindow(window);
                return 0;
            }
            break;
        case WM_SYSCOMMAND:
            // The page keeps its size; a locked page does not move from the keyboard either.
            if ((wparam & 0xFFF0) == SC_MAXIMIZE) return 0;
            if ((wparam & 0xFFF0) == SC_MOVE && shell::TheApp().move_lock) return 0;
            break;
        case WM_CLOSE:
            shell::CloseCalendarWindow(window, false);
            DestroyWindow(window);
            return 0;
        case WM_DESTROY:
            if (page) {
                FreeResources(*page);
                SetWindowLongPtrW(window, GWLP_USERDATA, 0);
                delete page;
            }
            if (shell::TheApp().calendar_window == window) shell::TheApp().calendar_window = nullptr;
            // Closed to make way for the day page: the program goes on.
            if (!shell::TheApp().view_switching) PostQuitMessage(0);
            return 0;
        default:
            break;
    }
    return DefWindowProcW(window, message, wparam, lparam);
}

void RegisterPageClass() {
    static const bool registered = shell::RegisterProgramClass(kClassName, PageProc, CreateSolidBrush(kBackground), CS_DBLCLKS);
    (void)registered;
}

}  // namespace

RECT CellRect(int cell) {
    const int x = kGridLeft + kCellPitchX * ((cell - 1) % 7);
    const int y = kGridTop + kCellPitchY * ((cell - 1) / 7);
    return RECT{x, y, x + kCellWidth, y + kCellHeight};
}

HWND CreateMonthPage(astro::DayNumber day) {
    RegisterPageClass();
    shell::App& app = shell::TheApp();
    const shell::ScreenSize screen = shell::ScreenPixels();
    int left = screen.width / 2 - kMonthPageWidth / 2;
    int top = screen.height / 2 - kMonthPageHeight / 2;
    if (app.settings.form_center_x >= 0 && app.settings.form_center_y >= 0) {
        left = app.settings.form_center_x - kMonthPageWidth / 2;
        top = app.settings.form_center_y - kMonthPageHeight / 2;
    }
    // Created hidden and shown (WS_VISIBLE) once its controls are filled.
    HWND window = CreateWindowExW(WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE, kClassName, text::GbkToWide("橙鹿月历").c_str(),
                                  WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU |
                                      WS_MINIMIZEBOX | WS_MAXIMIZEBOX,
                                  left, top, kMonthPageWidth, kMonthPageHeight, nullptr, nullptr,
                                  GetModuleHandleW(nullptr), nullptr);
    if (window == nullptr) return nullptr;
    // The maximise box stays, greyed: the page has one size.
    EnableMenuItem(GetSystemMenu(window, FALSE), SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
    auto* page = new MonthPage;
    page->window = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(page));
    CreateControls(*page);
    SetDay(*page, day, true);
    shell::InitCalendarWindow(window, false);
    ShowWindow(window, SW_SHOW);
    UpdateWindow(window);
    SetFocus(page->month_list);
    return window;
}

astro::DayNumber MonthPageDay(HWND window) {
    MonthPage* page = PageOf(window);
    return page ? page->state.day : 0;
}

void ShowDayOnMonthPage(HWND window, astro::DayNumber day) {
    if (MonthPage* page = PageOf(window)) SetDay(*page, day, false);
}

void RefreshMonthPage(HWND window) {
    if (MonthPage* page = PageOf(window)) SetDay(*page, page->state.day, true);
}

void MonthPageGoToToday(HWND window) {
    MonthPage* page = PageOf(window);
    if (!page || shell::TheApp().clock == nullptr) return;
    const platform::LocalDateTime now = shell::TheApp().clock->Now();
    SetDay(*page, astro::DateToDayNumber(now.year, now.month, now.day), false);
}

}  // namespace views
