// The window of 更新节假日安排: fetches the public holiday table from the service on its worker,
// says what came of it in its status line, and installs a newer table (the built-in one merged with
// it) for the calendar to show. Closing it stops the worker and waits for it.
#pragma once

#include <windows.h>

#include <memory>
#include <string>

#include "help/holiday_update.h"
#include "platform/network.h"

namespace help {

// Where the table comes from and where it is kept.
struct HolidaySource {
    platform::Network* network = nullptr;
    std::string host_port;  // the service ("WebHost", or the program's site)
    std::string file;       // the kept table (GBK path); its folder must exist
    // Why the kept table was not taken at start (GBK); "" when it was, or there is none. The window
    // says so, and a fetched table sets the refused file aside before taking its place.
    std::string kept_refused;
};

// Control ids.
constexpr int kHolidayStatusId = 101;  // the status line
constexpr int kHolidayCloseId = IDOK;  // 关闭
constexpr int kHolidayKeptId = 102;    // what became of the kept table, when it was refused

// Creates the window (not yet modal) over its owner and starts the update.
HWND CreateHolidayUpdateWindow(HWND owner, const HolidaySource& source);
// Runs it modally until the user closes it (the calendar then shows its days again: a newer table
// may have been installed).
void ShowHolidayUpdateWindow(HWND owner, const HolidaySource& source);
// Whether the window's update has ended (its status line then says how).
bool HolidayUpdateFinished(HWND window);

// Keeps a fetched table's text in the file, replaced only when the new one is complete. With
// `set_aside`, the file there now (a kept table that was refused) is first copied to its
// RefusedCopyName, and nothing is replaced when that copy cannot be made.
bool KeepHolidayFile(const std::string& file, const std::string& text, bool set_aside = false);

// A holiday update's result on its way from a worker to the window that started it (this window,
// or the help window, whose new-version check updates the table too): posted as this message, taken
// by the window, which installs a newer table at once, and freed with the window if never taken.
constexpr UINT kHolidayResultMessage = WM_APP + 2;  // lparam: the result (a new HolidayUpdateResult)
void PostHolidayResult(HWND window, const HolidayUpdateResult& result);
std::unique_ptr<HolidayUpdateResult> TakeHolidayResult(LPARAM lparam);
void FreeHolidayResults(HWND window);

}  // namespace help
