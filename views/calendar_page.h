// A calendar page, the day page or the month page, as the program drives it. A page only shows
// days; the program installs its calendar frame (tray icon, hotkeys, timers, dragging,
// transparency, closing) on whichever page is showing, learns from the page's table what differs
// between them, and moves the page through the operations of its window below.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "astro/day_numbers.h"
#include "personal/personal_days.h"
#include "win/window.h"

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
    bool show_holidays = true;    // the public holidays' 休 and 班
    // The user's own days of a day (memorials, reminders, the countdown); none when unset, as
    // while the registry is not in use.
    std::function<personal::DayTexts(astro::DayNumber)> personal_days;
    // Plays a day's audio file in the background for the page; "" stops what plays.
    std::function<void(const std::string& audio, HWND page)> background_sound;
    // Told of every day the page shows (the almanac window follows the pages).
    std::function<void(astro::DayNumber day)> day_shown;
    // Asked to open the almanac of a day (a double click on the day page's information line).
    std::function<void(astro::DayNumber day)> open_almanac;
};

// The personal days of the day a page is about to show: the background sound stopped, the texts
// asked for, the first audio file among them played.
personal::DayTexts ShowPersonalDays(const PageOptions& options, astro::DayNumber day, HWND page);

// The calendar views, numbered as the setting "CalendarShowTypeFlag" stores them.
enum class CalendarView { kDay = 0, kMonth = 1 };

// The pages' background colour.
constexpr COLORREF kPageBackground = RGB(79, 190, 223);

// Sent by a page to itself when the user puts it away (Escape). The program's frame hides it where
// it can be brought back (the tray icon, Ctrl+Alt+R) and minimises it otherwise; a page without
// the frame hides.
constexpr UINT kPutAwayMessage = WM_APP + 0x40;

// The state object of a page's window.
class PageWindow : public win::Window {
public:
    // The day the page shows; moving it to another day.
    virtual astro::DayNumber Day() const = 0;
    virtual void ShowDay(astro::DayNumber day) = 0;
    // Shows the page's day again with changed options (a setting, the place, the rule of the
    // ancient calendars).
    virtual void Refresh(const PageOptions& options) = 0;
    // Loads a bitmap file as the page's background; false when the page has none or it does not load.
    virtual bool SetBackgroundPicture(const std::string&) { return false; }
    virtual bool HasBackgroundPicture() const { return false; }
    // A window of the page that must stay on top when the page stops being so, or nullptr.
    virtual HWND KeptOnTop() const { return nullptr; }
    // Where the popup menu opens when the keyboard asks for it (the Menu key, Shift+F10), in screen
    // pixels: at the chosen day where the page shows one, else near the page's corner.
    virtual POINT MenuPoint() const;

protected:
    void OnCancel() override;  // Escape puts the page away
    LRESULT OnMessage(UINT message, WPARAM wparam, LPARAM lparam) override;
};

// The page of a calendar window; nullptr for any other window.
PageWindow* PageWindowOf(HWND window);

// Makes a page's window for its state, hidden, at the screen's origin: the program places and
// shows it.
HWND CreatePageWindow(std::unique_ptr<PageWindow> page, const wchar_t* class_name, const char* title, DWORD style,
                      DWORD ex_style, SIZE size);

// What differs between the pages for the program's frame.
struct CalendarPage {
    CalendarView view;
    HWND (*create)(astro::DayNumber day, const PageOptions& options);
    // The timers the frame runs on the page: hourly chime, automatic transparency, alarms.
    UINT_PTR chime_timer;
    UINT_PTR transparency_timer;
    UINT_PTR alarm_timer;
    bool has_tray_icon;  // and takes files dropped on it
    bool moved_by_body;  // a press anywhere on the page drags it (else only its caption does)
};

// The page of a view.
const CalendarPage& PageOf(CalendarView view);

}  // namespace views
