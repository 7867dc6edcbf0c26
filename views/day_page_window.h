// The day page: the small calendar window with the nine date lists and the two lines.
#pragma once

#include <windows.h>

#include <string>

#include "astro/day_numbers.h"
#include "views/day_page_model.h"

namespace views {

// Control identifiers.
constexpr int kFirstListId = 2801;  // the nine lists, 2801 .. 2809 in DayList order
constexpr int kAttributeLineId = 2810;
constexpr int kInformationLineId = 2811;
constexpr int kPictureId = 2813;

// Creates and shows the day page on a day; it becomes the program's calendar window.
HWND CreateDayPage(astro::DayNumber day);

// The page's tooltip window (it stays on top when the page stops being so).
HWND DayPageTooltip(HWND page);
// The day the page shows.
astro::DayNumber DayPageDay(HWND page);
// Moves the page to a day: all nine lists and both lines follow.
void ShowDayOnPage(HWND page, astro::DayNumber day);
// Recomposes the two lines (after a change of the day or of an option).
void RefreshDayPage(HWND page);
void RefreshInformationLine(HWND page);
// Refills the lunar-year list (era names switched on or off), keeping the selected year.
void RefillLunarYears(HWND page);
// Loads a bitmap file as the page's background (at the window's size); false when it does not load.
bool SetBackgroundPicture(HWND page, const std::string& path);

}  // namespace views
