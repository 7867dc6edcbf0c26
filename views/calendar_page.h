// What the program needs of a calendar page, the day page or the month page, and what a page tells
// the program. A page only shows days; the program installs its calendar frame (tray icon,
// hotkeys, timers, dragging, transparency, closing) on whichever page is showing, and drives it
// through the page's table below.
#pragma once

#include <windows.h>

#include <string>

#include "astro/day_numbers.h"

namespace views {

// The settings a page shows its days with.
struct PageOptions {
    int ganzhi_from_chunjie = 0;  // the sexagenary year starts at the Spring Festival, not at 立春
    bool show_era_names = false;  // the day page's lunar years as era-name years
    int info_type = 0;            // the day page's information line: 0 festivals and terms, 1 sunrise and
                                  // sunset, 2 dawn and dusk
    double longitude = 0;         // the place of the sun times: degrees, east negative
    double latitude = 0;          // degrees, north positive
    std::string background_picture;  // the day page's background bitmap file (GBK), or ""
};

// The calendar views, numbered as the setting "CalendarShowTypeFlag" stores them.
enum class CalendarView { kDay = 0, kMonth = 1 };

// Sent by a page to itself when the user puts it away (Escape). The program's frame hides it where
// it can be brought back (the tray icon, Ctrl+Alt+R) and minimises it otherwise; a page without
// the frame hides.
constexpr UINT kPutAwayMessage = WM_APP + 0x40;

struct CalendarPage {
    CalendarView view;
    // Makes the page on a day, hidden, at the screen's origin: the program places and shows it.
    HWND (*create)(astro::DayNumber day, const PageOptions& options);
    // The day the page shows, and moving it to another.
    astro::DayNumber (*day)(HWND page);
    void (*show_day)(HWND page, astro::DayNumber day);
    // Shows the page's day again with changed options (a setting, the place, the rule of the
    // ancient calendars).
    void (*refresh)(HWND page, const PageOptions& options);
    // Loads a bitmap file as the page's background; false when it does not load. nullptr: the page
    // has no background picture.
    bool (*set_background_picture)(HWND page, const std::string& path);
    // A window of the page that must stay on top when the page stops being so, or nullptr.
    HWND (*kept_on_top)(HWND page);
    // The timers the frame runs on the page: hourly chime, automatic transparency, alarms.
    UINT_PTR chime_timer;
    UINT_PTR transparency_timer;
    UINT_PTR alarm_timer;
    bool has_tray_icon;  // and takes files dropped on it
    bool moved_by_body;  // a press anywhere on the page drags it (else only its caption does)
};

extern const CalendarPage kDayPage;
extern const CalendarPage kMonthPage;

inline const CalendarPage& PageOf(CalendarView view) { return view == CalendarView::kDay ? kDayPage : kMonthPage; }

}  // namespace views
