// The day page (橙鹿日历): the small calendar window with the nine date lists and the two lines.
#pragma once

#include <windows.h>

#include "astro/day_numbers.h"
#include "views/calendar_page.h"
#include "views/day_page_model.h"

namespace views {

// Control identifiers.
constexpr int kFirstListId = 2801;  // the nine lists, 2801 .. 2809 in DayList order
constexpr int kAttributeLineId = 2810;
constexpr int kInformationLineId = 2811;
constexpr int kHolidayMarkId = 2812;  // 休 or 班 at the end of the information line
constexpr int kPictureId = 2813;

// Makes the day page on a day (hidden, see CalendarPage::create). Its page operations: moving to a
// day moves all nine lists and both lines; a refresh refills the lunar-year list when the era names
// were switched, follows a change of the ancient rules in the lists, and recomposes both lines; the
// background picture is loaded at the window's size; its tooltip window stays on top.
HWND CreateDayPage(astro::DayNumber day, const PageOptions& options);

}  // namespace views
