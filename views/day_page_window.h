// The day page (橙鹿日历): the small calendar window with the nine date lists and the two lines.
#pragma once

#include <windows.h>

#include <string>

#include "astro/day_numbers.h"
#include "views/calendar_page.h"
#include "views/day_page_model.h"

namespace views {

// Control identifiers.
constexpr int kFirstListId = 2801;  // the nine lists, 2801 .. 2809 in DayList order
constexpr int kAttributeLineId = 2810;
constexpr int kInformationLineId = 2811;
constexpr int kPictureId = 2813;

// The timers the program's frame runs on the day page.
constexpr UINT_PTR kDayChimeTimer = 2814;
constexpr UINT_PTR kDayTransparencyTimer = 2815;
constexpr UINT_PTR kDayAlarmTimer = 2816;

// Makes the day page on a day (hidden, see CalendarPage::create).
HWND CreateDayPage(astro::DayNumber day, const PageOptions& options);

// The day the page shows (0 for a window that is no day page).
astro::DayNumber DayPageDay(HWND page);
// Moves the page to a day: all nine lists and both lines follow.
void ShowDayOnPage(HWND page, astro::DayNumber day);
// Shows the page's day again with changed options: the lunar-year list is refilled when the era
// names were switched, the lists follow a change of the ancient rules, both lines are recomposed.
void RefreshDayPage(HWND page, const PageOptions& options);
// Loads a bitmap file as the page's background (at the window's size); false when it does not load.
bool SetBackgroundPicture(HWND page, const std::string& path);
// The page's tooltip window (it stays on top when the page stops being so).
HWND DayPageTooltip(HWND page);

}  // namespace views
