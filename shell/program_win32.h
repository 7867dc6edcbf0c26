// The program on top of its windows: the start-up and the command line, the calendar window
// (whichever page shows, with the frame the program installs on it: tray icon, hotkeys, timers,
// dragging, staying on the screen, transparency, closing) and the popup menu with its commands.
// The windows below know nothing of the program; it hands them what they need when it opens them.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "astro/day_numbers.h"
#include "help/help_window.h"
#include "help/holiday_update_window.h"
#include "personal/background_sound.h"
#include "personal/time_signals.h"
#include "platform/clock.h"
#include "platform/network.h"
#include "platform/registry.h"
#include "platform/sound.h"
#include "settings/settings.h"
#include "tools/tool_window_common.h"
#include "views/calendar_page.h"
#include "win/handles.h"

namespace shell {

// Identifiers fixed for the whole program.
constexpr UINT kTrayMessage = WM_USER + 100;
constexpr int kHotkeyShow = 0xB001;     // Ctrl+Alt+R
constexpr int kHotkeyMusic = 0xB002;    // Ctrl+Alt+A
constexpr int kHotkeyWeather = 0xB003;  // Ctrl+Alt+W
constexpr int kHotkeySpeak = 0xB004;    // Ctrl+Alt+V
constexpr int kHotkeyExit = 0xB005;     // Ctrl+Alt+X
constexpr int kHotkeyAlmanac = 0xB006;  // Ctrl+Alt+H
constexpr const wchar_t* kInstanceMutex = L"Tempoline4.0";
constexpr int kAutomaticTransparency = 10;  // the transparency level of 自动(&A)
constexpr int kFadeSteps = 15;              // an automatic fade: 15 steps of 200 ms to alpha 30

// Where the calendar window stands among the other windows.
enum class Placement {
    kOnTop,      // 最前显示: always on top
    kInDesktop,  // 嵌入桌面: a child of the desktop's icon view
    kNormal,
};

// Everything the program keeps while it runs.
struct Program {
    settings::Settings settings;
    platform::Registry* registry = nullptr;
    platform::Clock* clock = nullptr;
    settings::ProgramPath path;
    views::CalendarView view = views::CalendarView::kDay;
    const views::CalendarPage* page = nullptr;  // the page of the calendar window
    HWND calendar_window = nullptr;
    bool view_switching = false;  // the calendar window closes only to make way for the other page
    Placement placement = Placement::kOnTop;
    bool move_lock = false;
    int transparency_level = 0;  // 0..9: 0%..90%; kAutomaticTransparency
    int fade_step = 0;           // 0..kFadeSteps of an automatic fade
    std::string picture_folder;  // where the picture dialog starts
    win::Menu menu;              // the popup menu, built once

    // The sounds: the spoken time, the chime and the alarms, and the background sound of a
    // personal day (StartSounds makes them on the player and the MCI device).
    platform::SoundPlayer* sound_player = nullptr;
    platform::MciDevice* mci = nullptr;
    std::unique_ptr<personal::TimeSignals> time_signals;
    std::unique_ptr<personal::SoundFile> background;
    HWND music_player = nullptr;  // the music player while it is open
    // The network of the weather viewer and the new-version check; none in most tests.
    platform::Network* network = nullptr;
    HWND weather_viewer = nullptr;  // the weather viewer while it is open
    HWND almanac_window = nullptr;  // the almanac 黄历 while it is open
    // The public holiday table fetched from the service, kept in the user's application data
    // (GBK path); "" where there is no such folder.
    std::string holidays_file;
    // Why that file was not taken at start (GBK), "" when it was or there is none: the update window
    // and the help window say so, and keep the file aside before a fetched table replaces it.
    std::string holidays_refused;
};

// Makes the program's time signals and background sound on its clock, sound player and MCI device.
void StartSounds(Program& program, platform::SoundPlayer& player, platform::MciDevice& mci);

// The whole program: start-up, command line, the calendar window and the message loop. Returns the
// process exit code.
int RunProgram(const std::string& command_line);

// Opens the calendar window on a day: the view's page with the program's frame on it, placed with
// its centre at the stored centre (or centred) and kept whole on the screen, shown, and then put on
// top or into the desktop as the placement says. Returns the window, or nullptr.
HWND OpenCalendarPage(Program& program, views::CalendarView view, astro::DayNumber day);
// Closes the calendar window and opens the other view on the same day: on top, movable and opaque
// again, nothing saved.
void SwitchView(Program& program, views::CalendarView view);
// Shows the calendar page's day again after a change of a setting or of the place.
void RefreshCalendarPage(Program& program);

// The page of the calendar window; nullptr while there is none.
views::PageWindow* ShownPage(const Program& program);
// What a page shows its days with: the settings, the user's own days while the registry is in use,
// and the background sound unless it is switched off.
views::PageOptions PageOptionsOf(Program& program);
// What a tools window opens with: the day the calendar shows (today without a calendar window),
// the sexagenary-year setting, the local place.
tools::ToolContext ToolContextOf(const Program& program);
// Today's date by the program's clock.
astro::DayNumber Today(const Program& program);

// The calendar frame (calendar_frame_win32.cpp): installed on a page by OpenCalendarPage; the
// placement applied after the page is shown; the transparency of a fixed level (0..9) or
// automatic (kAutomaticTransparency).
void InstallCalendarFrame(Program& program, HWND window);
void ApplyPlacement(Program& program, HWND window);
void SetTransparencyLevel(Program& program, int level);

// Opens the music player owned by `owner` (nullptr: a window of its own), or brings the open one to
// the front. Its list and lyric options are read from the registry first when it is in use, and
// written back when it closes.
HWND OpenMusicPlayer(Program& program, HWND owner);

// Opens the weather viewer owned by `owner` (nullptr: alone), on the local place, or brings the
// open one to the front.
HWND OpenWeather(Program& program, HWND owner);
// Opens the almanac 黄历 owned by `owner` (nullptr: alone) on a day, or moves the open one to the
// day and brings it to the front.
HWND OpenAlmanac(Program& program, HWND owner, astro::DayNumber day);
// Where the help window's new-version check reads the download page ("WebHost" when it is set).
help::VersionSource VersionSourceOf(const Program& program);
// Where 更新节假日安排 fetches the public holidays (the same host) and keeps them.
help::HolidaySource HolidaySourceOf(const Program& program);
// The file of the fetched public holidays: "Tempoline\holidays.tsv" in the user's application data
// (its folder is made when a table is first kept); "" when there is none or its path is no GBK text.
std::string KeptHolidaysFile();
// Installs the built-in public holidays merged with the kept file, when it holds a valid table.
// Returns why a file that is there was not taken (GBK), "" when it was or there is none.
std::string LoadKeptHolidays(const std::string& file);
// After an update: whether the kept file is now taken (a fetched table replaced the refused one).
void RecheckKeptHolidays(Program& program);

// The popup menu and its commands (commands_win32.cpp).
void BuildPopupMenu(Program& program);
// Sets the check marks (and greys what the view lacks) from the program's state.
void UpdateMenuChecks(Program& program);
void ShowPopupMenu(Program& program, HWND window);
// The popup menu at a point of the screen (the keyboard asked for it).
void ShowPopupMenuAt(Program& program, HWND window, POINT at);
// Carries out one command (shell/command_ids.h); nothing while a modal window of the program is open.
void RunCommand(Program& program, int id);

}  // namespace shell
