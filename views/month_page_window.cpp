#include "views/month_page_window.h"

#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <array>
#include <memory>
#include <string>

#include "text/wide.h"
#include "views/day_page_model.h"
#include "win/accessible.h"
#include "views/holiday_marks.h"
#include "views/spoken_day.h"
#include "views/stepping_list.h"
#include "win/controls.h"
#include "win/startup_trace.h"
#include "win/window.h"

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
constexpr int kGridRight = kGridLeft + 6 * kCellPitchX + kCellWidth;  // 513
constexpr int kPanelTop = kGridTop + 4 * kCellPitchY + kCellHeight + 1;  // just below the 5th row
constexpr int kMoonLineHeight = 18;
// The top row: the two lists (their height is that of the dropped lists) and the title over the
// panel's width.
constexpr RECT kYearList{17, 5, 17 + 84, 5 + 300};
constexpr RECT kMonthList{101, 5, 101 + 54, 5 + 300};
constexpr RECT kTitle{160, 5, kGridRight, 5 + 22};
// The two lines of text inside a cell, 1 pixel from its left frame: the day number, 6 pixels down,
// and the lunar line, 26 pixels down.
constexpr SIZE kCellLabel{70, 16};
constexpr POINT kNumberOffset{1, 6};
constexpr POINT kLunarOffset{1, 26};
// The public holiday's 休 or 班 in the cell's upper right corner, 2 pixels inside the frame, over
// the blank end of the day number's line (the number stands in its middle).
constexpr SIZE kHolidayMark{13, 13};
// How the page sets its texts: centred, top-aligned in their boxes (the title and the weekday
// headers also vertically centred), "&" meaning itself.
constexpr UINT kTextFormat = DT_CENTER | DT_EXPANDTABS | DT_WORDBREAK | DT_NOPREFIX;
constexpr UINT kBannerFormat = DT_CENTER | DT_VCENTER | DT_SINGLELINE | DT_NOPREFIX;

constexpr COLORREF kCellBackground = RGB(190, 255, 255);
constexpr COLORREF kTitleBackground = RGB(248, 249, 200);
constexpr COLORREF kSelectedBackground = RGB(255, 230, 160);
constexpr COLORREF kSelectedFrame = RGB(240, 110, 0);  // orange: the program's colour
constexpr COLORREF kFrame = RGB(0, 90, 120);
constexpr COLORREF kWeekendText = RGB(255, 0, 0);
constexpr COLORREF kWeekdayText = RGB(8, 0, 0);
constexpr COLORREF kListText = RGB(0, 0, 255);

int ColumnOf(int cell) { return (cell - 1) % 7; }

// The grid's place in the Tab order: a child window without area that takes the focus for the grid
// the page paints. Its keys go to the page; the page draws the focus rectangle while it has the focus.
constexpr UINT kGridKeyMessage = WM_APP + 0x50;    // wparam the key
constexpr UINT kGridFocusMessage = WM_APP + 0x51;  // the grid took or lost the focus
constexpr UINT kGridKeyUpMessage = WM_APP + 0x52;  // a key was released in the grid
const wchar_t kGridFocusClass[] = L"TempolineMonthGridFocus";

LRESULT CALLBACK GridFocusProc(HWND grid, UINT message, WPARAM wparam, LPARAM lparam) {
    HWND page = GetParent(grid);
    switch (message) {
        case WM_GETDLGCODE: {
            // The arrows, and Enter, which opens the day's almanac; Tab and Escape stay the window's.
            const auto* msg = reinterpret_cast<const MSG*>(lparam);
            const bool enter = msg && msg->message == WM_KEYDOWN && msg->wParam == VK_RETURN;
            return DLGC_WANTARROWS | (enter ? DLGC_WANTMESSAGE : 0);
        }
        case WM_KEYDOWN:
            SendMessageW(page, kGridKeyMessage, wparam, 0);
            return 0;
        case WM_KEYUP:
            SendMessageW(page, kGridKeyUpMessage, wparam, 0);
            if (wparam == VK_APPS) break;  // the popup menu (DefWindowProc)
            return 0;
        case WM_SETFOCUS:
        case WM_KILLFOCUS:
            SendMessageW(page, kGridFocusMessage, 0, 0);
            return 0;
        case WM_GETOBJECT:
            // What a screen reader asks of the focused grid, the page answers for it.
            if (static_cast<LONG>(lparam) == OBJID_CLIENT) {
                if (const LRESULT answer = SendMessageW(page, WM_GETOBJECT, wparam, lparam)) return answer;
            }
            break;
        default:
            break;
    }
    return DefWindowProcW(grid, message, wparam, lparam);
}

void RegisterGridFocusClass() {
    WNDCLASSEXW c{};
    c.cbSize = sizeof c;
    c.lpfnWndProc = GridFocusProc;
    c.hInstance = GetModuleHandleW(nullptr);
    c.lpszClassName = kGridFocusClass;
    RegisterClassExW(&c);  // fails harmlessly when already registered
}

// The colours the page paints with: its own, or in high contrast the system's. Nothing is told by
// colour alone there: the chosen day keeps its double frame, 休 and 班 are words in a frame of
// their own, the weekend columns are named by their headers, a cell the month does not use is a
// grey frame around nothing.
struct Palette {
    bool system = false;
    COLORREF page, title, cell, frame, unused_frame, text, weekend_text, selected, selected_text, selected_frame;
};

Palette PaletteNow() {
    if (!win::HighContrast())
        return {false, kPageBackground, kTitleBackground, kCellBackground, kFrame, kFrame, kWeekdayText, kWeekendText,
                kSelectedBackground, CLR_INVALID, kSelectedFrame};
    const COLORREF window = GetSysColor(COLOR_WINDOW);
    const COLORREF text = GetSysColor(COLOR_WINDOWTEXT);
    return {true, window, window, window, text, GetSysColor(COLOR_GRAYTEXT), text, text, GetSysColor(COLOR_HIGHLIGHT),
            GetSysColor(COLOR_HIGHLIGHTTEXT), text};
}

RECT HeaderRect(int column) {
    const int x = kGridLeft + kCellPitchX * column;
    return RECT{x, kHeaderTop, x + kCellWidth, kHeaderTop + kHeaderHeight};
}

RECT InCell(int cell, POINT offset) {
    const RECT frame = CellRect(cell);
    const int x = frame.left + offset.x;
    const int y = frame.top + offset.y;
    return RECT{x, y, x + kCellLabel.cx, y + kCellLabel.cy};
}

struct MonthPage : PageWindow {
    MonthPage(astro::DayNumber day, const PageOptions& page_options) : options(page_options) { state.day = day; }

    PageOptions options;
    MonthPageState state;
    std::array<MonthCell, kMonthCellCount> cells{};
    int shown_year = 0;  // the month the cells hold (0/0 before the first fill)
    int shown_month = 0;
    HWND year_list = nullptr;
    HWND month_list = nullptr;
    HWND year_dropdown = nullptr;  // the list boxes the lists drop down
    HWND month_dropdown = nullptr;
    // The year list holds only the page's year until it is needed whole (it drops down, or a key
    // looks for an item in it): its 4,207 years are slow to put into a list, and neither the first
    // paint nor stepping through the years needs them.
    bool year_list_whole = false;
    std::string year_alone;  // the year it holds meanwhile
    std::array<DayHoliday, kMonthCellCount> holidays{};  // each cell's 休 or 班 (none for an ordinary day)
    HWND panel = nullptr;
    HWND moon_line = nullptr;
    HWND grid_focus = nullptr;
    bool focus_cues = false;  // the focus rectangle shows (the keyboard has been used)
    const win::WindowFont* title_font = nullptr;
    const win::WindowFont* header_font = nullptr;
    const win::WindowFont* number_font = nullptr;
    const win::WindowFont* lunar_font = nullptr;
    win::Colours colours;
    Palette palette = PaletteNow();  // taken again at every paint
    // What a screen reader reads of the page: the title, the lists, the grid as a table of its
    // weekday headers and cells, the panel and the moon line (AccessibleItems below).
    // A screen reader's "click" on a day's cell chooses the day, as a click does.
    win::AccessibleContent accessible{*this, [this] { return AccessibleItems(); }, [this](int item) {
                                          const int cell = item - kTableItem - kWeekdayCount;
                                          if (cell >= 1 && cell <= kMonthCellCount && CellUsed(cell))
                                              SetDay(cells[cell - 1].day, false);
                                      }};

    bool CellUsed(int cell) const { return cells[cell - 1].day != astro::InvalidDayNumber; }
    int SelectedCell() const { return CellOfDay(state.date.year, state.date.month, state.day); }
    // The cells of the sixth row are drawn only when the month uses them; an unused cell of the
    // first five rows keeps its empty frame, so the grid keeps its shape.
    bool CellDrawn(int cell) const { return cell <= 35 || CellUsed(cell); }
    MonthList ListOf(HWND combo) const { return combo == year_list ? MonthList::kYear : MonthList::kMonth; }

    HWND List(int id, const RECT& r, HWND& dropdown) {
        HWND combo = AddControl(L"COMBOBOX", "", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, r.left, r.top,
                                r.right - r.left, r.bottom - r.top, id);
        dropdown = win::DropDownOf(combo);
        MakeSteppingList(combo, nullptr);
        return combo;
    }

    HWND TextBox(int id, const RECT& r, DWORD style) {
        HWND edit = AddControl(L"EDIT", "", WS_BORDER | ES_READONLY | style, r.left, r.top, r.right - r.left,
                               r.bottom - r.top, id);
        win::MakeReadOnlyText(edit);
        return edit;
    }

    bool OnCreate() override {
        title_font = MakeFont("楷体_GB2312", 18, FW_NORMAL);
        header_font = MakeFont("楷体_GB2312", 16, FW_BOLD);
        number_font = MakeFont("楷体_GB2312", 16, FW_BOLD);
        lunar_font = MakeFont("宋体", 12, FW_BOLD);
        TEMPO_STARTUP_MARK("month page: fonts");
        // The maximise box stays, greyed: the page has one size.
        EnableMenuItem(GetSystemMenu(handle(), FALSE), SC_MAXIMIZE, MF_BYCOMMAND | MF_GRAYED);
        year_list = List(kMonthYearListId, kYearList, year_dropdown);
        month_list = List(kMonthMonthListId, kMonthList, month_dropdown);
        // The grid comes after the lists in the Tab order.
        RegisterGridFocusClass();
        grid_focus = AddControl(kGridFocusClass, "", WS_TABSTOP, kGridLeft, kGridTop, 0, 0, kMonthGridId);
        // The focus rectangle hides until the keyboard is used, unless the system always shows it.
        BOOL cues = FALSE;
        SystemParametersInfoW(SPI_GETKEYBOARDCUES, 0, &cues, 0);
        focus_cues = cues != FALSE;
        SendMessageW(handle(), WM_CHANGEUISTATE, MAKEWPARAM(cues ? UIS_CLEAR : UIS_SET, UISF_HIDEFOCUS), 0);
        TEMPO_STARTUP_MARK("month page: lists");
        // The panel and the moon line take the room left below the grid, whatever the caption's height.
        const int moon_top = std::max<int>(ClientSize().cy - 4 - kMoonLineHeight, kPanelTop + 3 * kMoonLineHeight);
        panel = TextBox(kMonthPanelId, RECT{kTitle.left, kPanelTop, kTitle.right, moon_top - 3},
                        ES_MULTILINE | ES_AUTOVSCROLL | WS_VSCROLL);
        moon_line = TextBox(kMonthMoonLineId, RECT{kGridLeft, moon_top, kGridRight, moon_top + kMoonLineHeight},
                            ES_AUTOHSCROLL);
        // What no label on the page names, named for a screen reader.
        win::NameControl(year_list, "公历年");
        win::NameControl(month_list, "公历月");
        win::NameControl(panel, "所选日的详情");
        win::NameControl(moon_line, "本月的节气和朔望");
        TEMPO_STARTUP_MARK("month page: panel, moon line");
        FillSteppingList(month_list, MonthListItems(MonthList::kMonth), nullptr);
        SetDay(state.day, true);
        return true;
    }

    void OnShown() override { SetFocus(month_list); }

    // The panel shows its scroll bar only when its lines do not fit: more lines than whole lines of
    // its font fit into its formatting rectangle, which is what the control shows (its client area
    // also holds the border it draws itself, and the room for part of one more line).
    void FitPanelScrollBar() {
        ShowScrollBar(panel, SB_VERT, FALSE);
        const int lines = static_cast<int>(SendMessageW(panel, EM_GETLINECOUNT, 0, 0));
        RECT format{};
        SendMessageW(panel, EM_GETRECT, 0, reinterpret_cast<LPARAM>(&format));
        HDC dc = GetDC(panel);
        HGDIOBJ old = SelectObject(dc, reinterpret_cast<HFONT>(SendMessageW(panel, WM_GETFONT, 0, 0)));
        TEXTMETRICW metrics{};
        const bool measured = GetTextMetricsW(dc, &metrics) && metrics.tmHeight > 0;
        SelectObject(dc, old);
        ReleaseDC(panel, dc);
        if (measured && lines > (format.bottom - format.top) / metrics.tmHeight) ShowScrollBar(panel, SB_VERT, TRUE);
    }

    void FillPanel() {
        const DayPanelOptions panel_options{options.ganzhi_from_chunjie, options.longitude, options.latitude,
                                            options.show_holidays, true};
        const personal::DayTexts personal = ShowPersonalDays(options, state.day, handle());
        if (options.day_shown) options.day_shown(state.day);
        win::SetText(panel, DayPanelText(state.day, panel_options, personal.texts));
        FitPanelScrollBar();
    }

    void FillMonth() {
        const int year = state.date.year;
        const int month = state.date.month;
        cells = MonthCells(year, month);
        for (int i = 0; i < kMonthCellCount; ++i)
            holidays[i] = cells[i].day == astro::InvalidDayNumber ? DayHoliday{}
                                                                  : HolidayOfDay(cells[i].day, options.show_holidays);
        win::SetText(moon_line, MoonLine(year, month));
        shown_year = year;
        shown_month = month;
    }

    // Repaints the grid.
    void RedrawGrid() {
        const RECT grid = scale().Rect(kGridLeft - 2, kGridTop - 2, kGridRight + 2, kGridTop + 5 * kCellPitchY + kCellHeight + 2);
        InvalidateRect(handle(), &grid, FALSE);
    }

    void ShowSelection() {
        if (year_list_whole) {
            win::Select(year_list, MonthListSelection(state, MonthList::kYear));
        } else if (std::string year = MonthListItemText(state, MonthList::kYear); year != year_alone) {
            FillSteppingList(year_list, {year}, nullptr);
            win::Select(year_list, 0);
            year_alone = std::move(year);
        }
        win::Select(month_list, MonthListSelection(state, MonthList::kMonth));
    }

    void CompleteYearList() {
        if (year_list_whole) return;
        year_list_whole = true;
        year_alone.clear();
        FillSteppingList(year_list, MonthListItems(MonthList::kYear), nullptr);
        win::Select(year_list, MonthListSelection(state, MonthList::kYear));
    }

    // The item chosen in a list, counted in all its items.
    int ChosenItem(HWND list) const {
        return list == year_list && !year_list_whole ? MonthListSelection(state, MonthList::kYear) : win::Selection(list);
    }

    astro::DayNumber Day() const override { return state.day; }
    void ShowDay(astro::DayNumber day) override {
        if (day == state.day)
            SetDay(day, false);  // shown again: the panel and the day's sound afresh
        else
            ChooseDay(day);
    }

    // Every change of the chosen day passes here: a click, a key of the grid, a list, the program.
    void ChooseDay(astro::DayNumber day) {
        if (day == state.day || day < FirstShownDay() || day > LastShownDay()) return;
        SetDay(day, false);
    }

    // Where the popup menu opens from the keyboard: below the chosen day's number (screen pixels).
    POINT MenuPoint() const override {
        const int cell = SelectedCell();
        RECT r = scale().Rect(cell > 0 ? CellNumberRect(cell) : RECT{kGridLeft, kGridTop, kGridLeft, kGridTop});
        POINT p{r.left + (r.right - r.left) / 2, r.bottom};
        ClientToScreen(handle(), &p);
        return p;
    }

    // The grid's keys: a day, a week, a month (Ctrl: a year), the month's first or last day, and
    // Enter the day's almanac. Nothing happens at the ends of the shown days.
    void OnGridKey(WPARAM key) {
        ShowFocusCues();
        const bool ctrl = GetKeyState(VK_CONTROL) < 0;
        switch (key) {
            case VK_LEFT: ChooseDay(state.day - 1); break;
            case VK_RIGHT: ChooseDay(state.day + 1); break;
            case VK_UP: ChooseDay(state.day - 7); break;
            case VK_DOWN: ChooseDay(state.day + 7); break;
            case VK_PRIOR: ChooseDay(StepMonthList(state, ctrl ? MonthList::kYear : MonthList::kMonth, -1)); break;
            case VK_NEXT: ChooseDay(StepMonthList(state, ctrl ? MonthList::kYear : MonthList::kMonth, 1)); break;
            case VK_HOME:
            case VK_END: {
                astro::DayNumber first = astro::InvalidDayNumber, last = astro::InvalidDayNumber;
                for (const MonthCell& c : cells) {
                    if (c.day == astro::InvalidDayNumber) continue;
                    if (first == astro::InvalidDayNumber) first = c.day;
                    last = c.day;
                }
                if (first != astro::InvalidDayNumber) ChooseDay(key == VK_HOME ? first : last);
                break;
            }
            case VK_RETURN:
                if (options.open_almanac) options.open_almanac(state.day);
                break;
            default:
                break;
        }
    }

    bool FocusShown() const { return focus_cues && GetFocus() == grid_focus; }

    // The keyboard is in use (a key reached the grid, the window's UI state says so): the focus
    // rectangle shows from now on, here and in the controls.
    void ShowFocusCues() {
        if (focus_cues) return;
        focus_cues = true;
        SendMessageW(handle(), WM_CHANGEUISTATE, MAKEWPARAM(UIS_CLEAR, UISF_HIDEFOCUS), 0);
        RedrawGrid();
    }
    void Refresh(const PageOptions& fresh) override {
        options = fresh;
        SetDay(state.day, true);
    }

    void SetDay(astro::DayNumber day, bool refill) {
        const astro::DayNumber before = state.day;
        state = MonthPageAt(day);
        if (refill || state.date.year != shown_year || state.date.month != shown_month) FillMonth();
        TEMPO_STARTUP_MARK("month page: cells filled, moon line");
        ShowSelection();
        TEMPO_STARTUP_MARK("month page: lists filled");
        FillPanel();
        RedrawGrid();
        TEMPO_STARTUP_MARK("month page: panel filled");
        if (state.day != before || refill) TellDayChosen();
    }

    // --- what a screen reader reads -----------------------------------------------------------

    // The items' places: the title, the two lists, the table, its 7 headers, its 37 cells, the panel
    // and the moon line.
    static constexpr int kTableItem = 3;
    static int CellItem(int cell) { return kTableItem + kWeekdayCount + cell; }

    // Whether the grid has the keyboard focus: its place in the Tab order holds it (or the page
    // itself, which has nothing else to give it to).
    bool GridHasFocus() const { return GetFocus() == grid_focus || GetFocus() == handle(); }

    win::AccessibleItems AccessibleItems() const {
        namespace role = win::role;
        namespace is = win::state;
        win::AccessibleItems items;
        items.push_back(win::PaintedItem("公历", role::kStaticText, is::kReadOnly, kTitle));
        items.push_back(win::WindowItem(year_list));
        items.push_back(win::WindowItem(month_list));
        const RECT grid{kGridLeft, kHeaderTop, kGridRight, kGridTop + 5 * kCellPitchY + kCellHeight};
        const std::string month_name = MonthListItemText(state, MonthList::kYear) + MonthListItemText(state, MonthList::kMonth);
        items.push_back(win::PaintedItem(month_name.substr(month_name.find_first_not_of(' ')), role::kTable,
                                         is::kReadOnly, grid));
        for (int column = 0; column < kWeekdayCount; ++column)
            items.push_back(win::PaintedItem(WeekdayHeader(column), role::kColumnHeader, is::kReadOnly,
                                             HeaderRect(column), "", kTableItem));
        const int selected = SelectedCell();
        for (int cell = 1; cell <= kMonthCellCount; ++cell) {
            win::AccessibleItem item = win::PaintedItem("", role::kCell, 0, CellRect(cell), "", kTableItem);
            if (CellUsed(cell)) {
                item.name = SpokenDay(cells[cell - 1].day, options.show_holidays);
                item.state = is::kSelectable | is::kFocusable;
                item.action = "选择";
                if (cell == selected) item.state |= is::kSelected | (GridHasFocus() ? is::kFocused : 0);
            } else {
                // A cell the month does not use: an empty frame, or nothing at all in the sixth row.
                item.state = is::kUnavailable | (CellDrawn(cell) ? 0 : is::kInvisible);
            }
            items.push_back(item);
        }
        items.push_back(win::WindowItem(panel));
        items.push_back(win::WindowItem(moon_line));
        return items;
    }

    // The chosen day's cell is the selected one (and the focused one while the grid has the focus):
    // a screen reader speaks it.
    void TellDayChosen() {
        const int cell = SelectedCell();
        if (cell <= 0) return;
        accessible.RaiseSelection(CellItem(cell));
        if (GridHasFocus()) accessible.RaiseFocus(CellItem(cell));
    }

    // The selected day's cell, a day of the month, or a cell the month does not use.
    COLORREF CellBackground(int cell) const {
        return cell == SelectedCell() ? palette.selected : CellUsed(cell) ? palette.cell : palette.page;
    }

    // A box of the grid (96-DPI pixels) filled, and framed with a line one 96-DPI pixel wide (two
    // for the selected day's double frame).
    void PaintBox(HDC dc, const RECT& logical, COLORREF fill, COLORREF frame, int frame_width = 1) {
        const RECT r = scale().Rect(logical);
        FillRect(dc, &r, colours.BrushOf(fill));
        scale().Frame(dc, logical, colours.BrushOf(frame), frame_width);
    }

    // A text in a box of the page (96-DPI pixels) in one of its fonts, on what is painted there.
    void PaintText(HDC dc, const RECT& logical, const std::string& text, const win::WindowFont* font, COLORREF colour,
                   UINT format) {
        if (text.empty()) return;
        RECT r = scale().Rect(logical);
        const std::wstring wide = text::GbkToWide(text);
        HGDIOBJ old = SelectObject(dc, font->get());
        SetTextColor(dc, colour);
        SetBkMode(dc, TRANSPARENT);
        DrawTextW(dc, wide.c_str(), static_cast<int>(wide.size()), &r, format);
        SelectObject(dc, old);
    }

    // A cell's texts: its day number, its lunar line, and over the blank end of the number its 休 or 班.
    void PaintCellTexts(HDC dc, int cell) {
        const MonthCell& c = cells[cell - 1];
        const COLORREF text = cell == SelectedCell() && palette.system ? palette.selected_text
                              : IsWeekendColumn(ColumnOf(cell))          ? palette.weekend_text
                                                                         : palette.text;
        PaintText(dc, InCell(cell, kNumberOffset), c.number, number_font, text, kTextFormat);
        PaintText(dc, InCell(cell, kLunarOffset), c.lunar_line, lunar_font, text, kTextFormat);
        const DayHoliday& holiday = holidays[cell - 1];
        if (holiday.mark.empty()) return;
        const RECT mark = CellHolidayRect(cell);
        if (palette.system) {  // the word in a frame of the text's colour
            PaintBox(dc, mark, CellBackground(cell), text);
            PaintText(dc, mark, holiday.mark, lunar_font, text, kTextFormat);
            return;
        }
        const RECT r = scale().Rect(mark);
        FillRect(dc, &r, colours.BrushOf(MarkBackground(holiday)));
        PaintText(dc, mark, holiday.mark, lunar_font, kHolidayMarkText, kTextFormat);
    }

    // The page paints its grid itself, texts and all, off the screen and then at once: a month is
    // 37 cells of three texts each, which as controls of their own would be a hundred windows to
    // make and paint.
    void Paint(HDC dc, const RECT& client) {
        palette = PaletteNow();
        FillRect(dc, &client, colours.BrushOf(palette.page));
        const RECT title = scale().Rect(kTitle);
        FillRect(dc, &title, colours.BrushOf(palette.title));
        PaintText(dc, kTitle, "公 历", title_font, palette.text, kBannerFormat);
        for (int column = 0; column < kWeekdayCount; ++column) {
            PaintBox(dc, HeaderRect(column), palette.title, palette.frame);
            PaintText(dc, WeekdayHeaderRect(column), WeekdayHeader(column), header_font,
                      IsWeekendColumn(column) ? palette.weekend_text : palette.text, kBannerFormat);
        }
        const int selected = SelectedCell();
        for (int cell = 1; cell <= kMonthCellCount; ++cell) {
            if (!CellDrawn(cell) || cell == selected) continue;
            PaintBox(dc, CellRect(cell), CellBackground(cell), CellUsed(cell) ? palette.frame : palette.unused_frame);
            PaintCellTexts(dc, cell);
        }
        // The selected cell last: its double orange frame covers the lines it shares with its neighbours.
        if (selected > 0) {
            PaintBox(dc, CellRect(selected), palette.selected, palette.selected_frame, 2);
            PaintCellTexts(dc, selected);
            // The focus rectangle inside the double frame, while the grid has the focus.
            if (FocusShown()) {
                RECT focus = CellRect(selected);
                InflateRect(&focus, -3, -3);
                focus = scale().Rect(focus);
                SetTextColor(dc, RGB(0, 0, 0));
                SetBkColor(dc, RGB(255, 255, 255));
                DrawFocusRect(dc, &focus);
            }
        }
    }

    void OnLeftButton(LPARAM lparam) {
        const POINT p{GET_X_LPARAM(lparam), GET_Y_LPARAM(lparam)};
        for (int cell = 1; cell <= kMonthCellCount; ++cell) {
            if (!scale().Hit(CellRect(cell), p)) continue;
            const astro::DayNumber day = DayOfCell(state, cell);
            if (day == state.day && cell != SelectedCell()) return;  // a cell the month does not use
            ChooseDay(day);
            SetFocus(grid_focus);  // the grid takes the focus, as a clicked control does
            return;
        }
    }

    bool OnCommand(int, int code, HWND control) override {
        if (control != year_list && control != month_list) return false;
        if (code == CBN_DROPDOWN && control == year_list) {  // all the years go in
            CompleteYearList();
            return true;
        }
        // The choice of a dropped list is taken as the list closes with it (CBN_SELENDOK, before
        // the close-up), whichever order the change and the close-up come in.
        if (code == CBN_SELCHANGE || code == CBN_SELENDOK) {
            ChooseDay(MonthForChoice(state, ListOf(control), ChosenItem(control)));
            return true;
        }
        if (code == CBN_CLOSEUP) {  // closed without a choice: the lists show the page's month again
            ShowSelection();
            return true;
        }
        return false;
    }

    HBRUSH OnControlColour(HDC dc, HWND control) override {
        if (palette.system) return colours.Use(dc, palette.text, palette.page);  // the system's colours
        if (control == year_list || control == month_list || control == year_dropdown || control == month_dropdown)
            return colours.Use(dc, kListText, kCellBackground);
        if (control == panel || control == moon_line)
            return colours.Use(dc, kWeekdayText, kTitleBackground);
        return colours.Use(dc, kPageBackground);
    }

    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override {
        switch (message) {
            case WM_PAINT:
                win::PaintOffScreen(handle(), [this](HDC dc, const RECT& client) { Paint(dc, client); });
                return 0;
            case WM_ERASEBKGND:
                return 1;  // the paint covers it all
            case WM_GETOBJECT: {
                LRESULT object = 0;
                if (accessible.Answer(wparam, lparam, &object)) return object;
                break;
            }
            case WM_SETTINGCHANGE:
            case WM_SYSCOLORCHANGE:  // high contrast switched, or the system's colours changed
                palette = PaletteNow();
                RedrawWindow(handle(), nullptr, nullptr, RDW_INVALIDATE | RDW_ERASE | RDW_ALLCHILDREN | RDW_FRAME);
                break;
            case WM_SETFOCUS:
                TellDayChosen();
                break;
            case WM_LBUTTONDOWN:
                OnLeftButton(lparam);
                return 0;
            case WM_SYSCOMMAND:
                if ((wparam & 0xFFF0) == SC_MAXIMIZE) return 0;  // the page keeps its size
                break;
            case kItemsHeldBackMessage:
                return reinterpret_cast<HWND>(wparam) == year_list && !year_list_whole;
            case kCompleteListMessage:
                if (reinterpret_cast<HWND>(wparam) == year_list) CompleteYearList();
                return 0;
            case kStepListMessage: {
                ChooseDay(StepMonthList(state, ListOf(reinterpret_cast<HWND>(wparam)), static_cast<int>(lparam)));
                return 0;
            }
            case kGridKeyMessage:
                OnGridKey(wparam);
                return 0;
            case kGridFocusMessage:
                RedrawGrid();
                if (GridHasFocus()) TellDayChosen();  // the reader speaks the day the grid stands on
                return 0;
            case kGridKeyUpMessage:
                ShowFocusCues();  // Tab's release reaches the control it brought the focus to
                return 0;
            case WM_UPDATEUISTATE:
                if ((HIWORD(wparam) & UISF_HIDEFOCUS) && LOWORD(wparam) != UIS_INITIALIZE) {
                    focus_cues = LOWORD(wparam) == UIS_CLEAR;
                    RedrawGrid();
                }
                break;
            default:
                break;
        }
        return PageWindow::OnMessage(message, wparam, lparam);
    }
};

}  // namespace

RECT CellRect(int cell) {
    const int x = kGridLeft + kCellPitchX * ((cell - 1) % 7);
    const int y = kGridTop + kCellPitchY * ((cell - 1) / 7);
    return RECT{x, y, x + kCellWidth, y + kCellHeight};
}

RECT TitleRect() { return kTitle; }

RECT WeekdayHeaderRect(int column) {
    RECT r = HeaderRect(column);
    InflateRect(&r, -1, -1);  // inside the frame
    return r;
}

RECT CellNumberRect(int cell) { return InCell(cell, kNumberOffset); }
RECT CellLunarRect(int cell) { return InCell(cell, kLunarOffset); }

RECT CellHolidayRect(int cell) {
    const RECT frame = CellRect(cell);
    return RECT{frame.right - 2 - kHolidayMark.cx, frame.top + 2, frame.right - 2, frame.top + 2 + kHolidayMark.cy};
}

ShownCell ShownCellOf(HWND window, int cell) {
    const auto* page = win::StateOf<MonthPage>(window);
    if (!page || cell < 1 || cell > kMonthCellCount) return {};
    const MonthCell& c = page->cells[cell - 1];
    return ShownCell{c.number, c.lunar_line, page->holidays[cell - 1].mark};
}

HWND CreateMonthPage(astro::DayNumber day, const PageOptions& options) {
    return CreatePageWindow(std::make_unique<MonthPage>(day, options), L"TempolineMonthPage", "橙鹿月历",
                            WS_POPUP | WS_CLIPSIBLINGS | WS_CLIPCHILDREN | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX |
                                WS_MAXIMIZEBOX,
                            WS_EX_CONTROLPARENT | WS_EX_WINDOWEDGE, SIZE{kMonthPageWidth, kMonthPageHeight});
}

}  // namespace views
