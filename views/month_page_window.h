// The month page (橙鹿月历): the larger calendar window with a Gregorian month as a grid of day
// cells, Sunday first, the details of the selected day and the line of the month's solar terms and
// phases of the Moon.
#pragma once

#include <windows.h>

#include <string>

#include "astro/day_numbers.h"
#include "views/calendar_page.h"
#include "views/month_page_model.h"

namespace views {

// Control identifiers.
constexpr int kMonthYearListId = 2790;    // the year list
constexpr int kMonthMonthListId = 2791;   // the month list
constexpr int kMonthPanelId = 2793;       // the details of the selected day (read-only, multi-line)
constexpr int kMonthMoonLineId = 2794;    // the month's solar terms and phases of the Moon
// The grid's place in the Tab order (after the lists): it holds the focus for the grid, which moves
// the chosen day by the keys (arrows, Page Up/Down, Ctrl+Page Up/Down, Home, End; Enter opens the
// day's almanac) and shows a focus rectangle once the keyboard is in use.
constexpr int kMonthGridId = 2795;

// The page's size and the geometry of its grid, in pixels (the grid in client coordinates).
constexpr int kMonthPageWidth = 528;
constexpr int kMonthPageHeight = 430;
constexpr int kCellWidth = 72;
constexpr int kCellHeight = 48;
constexpr int kCellPitchX = 71;  // neighbouring cells share their frame line
constexpr int kCellPitchY = 47;
constexpr int kGridLeft = 15;
constexpr int kHeaderTop = 31;
constexpr int kHeaderHeight = 30;
constexpr int kGridTop = kHeaderTop + kHeaderHeight - 1;  // the header row's lower line is the grid's top line
// The frame of cell 1 .. 37 in client coordinates.
RECT CellRect(int cell);

// What the page paints itself, in client coordinates: the title 公 历 over the panel's width, the
// weekday headers 星期日 .. 星期六 (column 0 .. 6, inside their frames), and in cell 1 .. 37 the day
// number (楷体_GB2312 bold), the lunar line (宋体 bold) and, in the upper right corner over the
// blank end of the number, the public holiday's 休 or 班.
RECT TitleRect();
RECT WeekdayHeaderRect(int column);
RECT CellNumberRect(int cell);
RECT CellLunarRect(int cell);
RECT CellHolidayRect(int cell);
// The texts the page shows in cell 1 .. 37: "" for a cell the month does not use, an ordinary
// day's mark, or a window that is no month page.
struct ShownCell {
    std::string number;
    std::string lunar_line;
    std::string holiday_mark;
};
ShownCell ShownCellOf(HWND page, int cell);

// Makes the month page on a day (hidden, see CalendarPage::create). Moving it to a day shows the
// month that holds it with that day selected; a refresh recomputes the cells, the moon line and the
// panel.
HWND CreateMonthPage(astro::DayNumber day, const PageOptions& options);

}  // namespace views
