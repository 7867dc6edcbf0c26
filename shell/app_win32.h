// The program-wide state of the Windows program and the services of its calendar window.
#pragma once

#include <windows.h>

#include <string>

#include "astro/day_numbers.h"
#include "platform/clock.h"
#include "platform/registry.h"
#include "shell/settings.h"

namespace shell {

// Identifiers fixed for the whole program.
constexpr UINT kTrayMessage = WM_USER + 100;
constexpr UINT_PTR kDayChimeTimer = 2814;
constexpr UINT_PTR kDayTransparencyTimer = 2815;
constexpr UINT_PTR kDayAlarmTimer = 2816;
constexpr UINT_PTR kMonthChimeTimer = 2997;
constexpr UINT_PTR kMonthTransparencyTimer = 2998;
constexpr UINT_PTR kMonthAlarmTimer = 2999;
constexpr int kHotkeyShow = 0xB001;     // Ctrl+Alt+R
constexpr int kHotkeyMusic = 0xB002;    // Ctrl+Alt+A
constexpr int kHotkeyWeather = 0xB003;  // Ctrl+Alt+W
constexpr int kHotkeySpeak = 0xB004;    // Ctrl+Alt+V
constexpr int kHotkeyExit = 0xB005;     // Ctrl+Alt+X
constexpr const wchar_t* kInstanceMutex = L"Tempoline4.0";
constexpr int kAutomaticTransparency = 10;

struct App {
    Settings settings;
    platform::Registry* registry = nullptr;
    platform::Clock* clock = nullptr;
    ProgramPath program;
    int calendar_view = 0;  // 0 day page, 1 month page
    HWND calendar_window = nullptr;
    bool view_switching = false;
    char window_placement = 'T';  // T always on top, D in the desktop, N normal
    bool move_lock = false;
    int transparency_level = 0;   // 0..9: 0%..90%; 10: automatic
    int fade_step = 0;
    astro::DayNumber displayed_day = 0;
    std::string picture_folder;   // where the picture dialog starts
    int last_alarm_minute = -1;   // the minute an alarm last rang
};

App& TheApp();

// Registers a window class of the program (its icon, the arrow cursor); true when the class exists.
bool RegisterProgramClass(const wchar_t* name, WNDPROC procedure, HBRUSH background, UINT style = 0);
// Runs a window modally over its owner (which may be none): the owner is disabled until the window
// is gone, then brought back to the front. A quit message arriving meanwhile closes the window and
// is passed on to the main loop.
void RunModal(HWND window, HWND owner);

// The screen in pixels.
ScreenSize ScreenPixels();
// Whether a file loads as a bitmap (the rule of the day page's background picture).
bool BitmapLoads(const std::string& path);

bool IsAlreadyRunning(const wchar_t* name);
bool SetTopmost(HWND window, bool on);
bool EmbedInDesktop(HWND window, bool on);
void SetTransparency(HWND window, int t);

// The part of a calendar window (day page or month page) that serves the whole program: placement,
// tray icon, hotkeys, timers, dragging, staying on the screen, transparency and the orderly close.
void InitCalendarWindow(HWND window, bool day_page);
// Handles the messages of that part; true when the message was handled and `result` is its answer.
bool HandleCalendarMessage(HWND window, UINT message, WPARAM wparam, LPARAM lparam, bool day_page, LRESULT& result);
// The popup menu of the calendar window (right button on the window or the tray icon) and its
// commands 3025 .. 3113: HandleCalendarMessage shows it and dispatches its commands, so a page only
// has to pass its right-button messages (also those of its child controls) to its window.
void BuildPopupMenu();
void UpdateMenuChecks();
void ShowPopupMenu(HWND window);
void DispatchCommand(HWND window, int id);
HMENU PopupMenu();
// Recomputes the open calendar page after a change of an option or of the place.
void RefreshCalendarWindow();

// The close of the calendar window: tray icon and hotkeys away, the centre kept, the settings saved
// unless the window only makes way for the other page.
void CloseCalendarWindow(HWND window, bool day_page);
// Starts a drag of the window by its body (unless the window is locked in place).
void StartDrag(HWND window);

// The whole program: start-up, command line, the calendar window and the message loop. Returns the
// process exit code.
int RunProgram(const std::string& command_line);

}  // namespace shell
