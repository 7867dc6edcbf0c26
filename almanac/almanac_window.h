// The almanac window "黄历": the day's 宜 and 忌 in large, then its officer, spirit, mansion, clash,
// taboos, directions, 纳音, day star and pentad, and its twelve hours with their pillars, spirits
// and luck; its own previous day, today and next day buttons; and choosing days (择日): an
// activity, a number of days from the day shown (up to a year) and optionally the user's animal,
// whose clashing days are left out. A double click on a chosen day, or Enter, shows it; Enter in
// the choices finds. The 宜 and 忌 boxes show every word whole, with a scroll bar when the words take
// more lines than the box. Beside it, the four pillars of a birth on the day shown (生辰四柱): a clock
// time and a place give the pillars by the true solar time, as `tempo pillars` gives them. Escape
// closes it.
#pragma once

#include <windows.h>

#include <functional>

#include "astro/day_numbers.h"

namespace almanac {

// Control ids, for the tests.
enum AlmanacControlId : int {
    kPreviousDayId = 601, kTodayId, kNextDayId, kDateId, kPillarsId, kYiId, kJiId, kDetailsId,
    kFirstHourCellId = 620,  // 620..667: four rows of twelve (时辰, 干支, 值神, 吉凶)
    kActivityId = 680,       // the activity (a common word or an almanac term)
    kDaysId,                 // 30, 60, 90, 180 or 366 days
    kAnimalId,               // 不避 or an animal
    kFindId, kResultsId, kFindStatusId,
    // 生辰四柱: a clock time on the day shown, a place, how to read daylight saving time, the result
    kBirthTimeId = 700, kBirthProvinceId, kBirthCityId, kBirthDaylightId, kBirthPillarsId, kBirthResultId,
};

// The number of days the 天数 list offers, in order.
constexpr int kChoosingSpans[] = {30, 60, 90, 180, 366};

struct AlmanacContext {
    astro::DayNumber day = 0;                    // the day shown first
    std::function<astro::DayNumber()> today;     // for the 今天 button
    std::function<void()> closed;                // told when the window has gone
    int place_province = 1, place_city = 1;      // the program's place, where births are first placed
    // The days it shows and chooses from (the calendar pages' days); its own day buttons stop there.
    astro::DayNumber first_day = 0;
    astro::DayNumber last_day = 0;
    // Where the user last put it (its top left corner in screen pixels), if anywhere: it opens there,
    // moved whole onto the monitor that holds most of it; otherwise beside its owner, whole on the
    // owner's monitor (centred on the screen without one).
    bool placed = false;
    POINT corner{0, 0};
    // Told where the user has put it (moved by its caption or from its system menu).
    std::function<void(POINT corner)> moved;
};

// Opens the window owned by `owner` (nullptr: alone); it runs modelessly until closed.
HWND OpenAlmanacWindow(HWND owner, const AlmanacContext& context);
// Moves an open almanac window to a day, as the calendar pages move; false for any other window.
bool ShowAlmanacDay(HWND window, astro::DayNumber day);
// The day an almanac window shows; 0 for any other window.
astro::DayNumber AlmanacDayOf(HWND window);
// Gives an open almanac window another owner (the calendar page that takes over from another), kept
// above it; false for any other window.
bool ReownAlmanac(HWND window, HWND owner);

}  // namespace almanac
