// The user's own days: memorial days (a yearly anniversary by the Gregorian, the Chinese lunar or
// the Hijri calendar), reminder days (single Gregorian dates) and one countdown day. They live only
// in the registry, in fixed-width GBK texts (shell/settings.h names the keys):
//
//   memorial  value "MM-DD" of the calendar's subkey: "AD" or "BC", the event's year in four digits,
//             the title right-aligned in 20 bytes, a blank, the path of an audio file or nothing;
//             so one memorial per month-day and calendar. A lunar leap month is its month + 12.
//   reminder  values "A" .. "T" of "SolarReminded": "AD"/"BC" + "MM-DD-YYYY", the title in 20
//             bytes, a blank, an audio path or nothing.
//   countdown value "MyCountdownDay": "AD"/"BC" + "MM-DD-YYYY", then the title (20 bytes count).
//
// Entries are taken only for years 1800..2200 (lunar years 1800..2200, Hijri years 1215..1627: the
// years that begin within them); anything malformed is skipped. Audio paths are kept only when they
// name an existing MID, MP3, WAV or WMA file.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "platform/registry.h"

namespace personal {

enum class Calendar { kGregorian, kLunar, kHijri };

// The years of each calendar whose entries are taken.
struct YearRange {
    int first;
    int last;
};
YearRange AcceptedYears(Calendar calendar);

// Tells whether a path names an existing file.
using FileExists = std::function<bool(const std::string& path)>;
// True for an existing file whose name ends in .MID, .MP3, .WAV or .WMA (any case).
bool IsAudioFile(const std::string& path, const FileExists& exists);

// The registry, read as the pages need it.
struct PersonalStore {
    const platform::Registry* registry = nullptr;
    FileExists file_exists;
};

// The memorial stored for a month-day of a calendar, checked: era and year, the title right-aligned
// in 20 bytes, a blank and the audio path (dropped when the file is gone); empty when there is none
// or it is malformed.
std::string MemorialLookup(const PersonalStore& store, Calendar calendar, int month, int day);

// Where a yearly day of a calendar (a memorial, a birthday) falls in a year, by the rule of
// 近似定位纪念日: on the date itself when the year has it; else 02-29 on 28 February of a common
// year, a leap-month date in the month of that number when the year has no such leap month, day 30
// on the 29th of a 29-day month (a leap-month 30th moved to a 29-day month takes both moves), Hijri
// 12-30 on 12-29 of a common year. Month 0 when the date is placed nowhere: a month-day that no year
// has, a lunar year without a record, a Gregorian date of the days skipped by the 1582 reform.
struct PlacedDay {
    int month = 0;  // 1..12, a lunar leap month 13..24 (only when the year has it)
    int day = 0;
    bool no_leap_month = false;  // a leap-month date moved to the month of its number
    bool short_month = false;    // a lunar 30th moved to the 29th
    bool common_year = false;    // Gregorian 02-29 or Hijri 12-30 moved to the day before
};
PlacedDay PlaceYearlyDay(Calendar calendar, int year, int month, int day);

// The memorial texts of a day in each calendar (the title right-aligned in 20 bytes, a blank, the
// audio path), for memorials whose event year is not after the day's year. With near_locate, days
// that the year lacks are caught too: the memorials of 02-29 on 28 February of a common year; of a
// leap month in the month of that number when the year has no such leap month; of day 30 on the
// 29th of a 29-day month; of 12-30 on 12-29 of a common Hijri year. Several texts are joined with
// three blanks.
std::string SolarMemorialText(const PersonalStore& store, int year, int month, int day, bool near_locate);
std::string LunarMemorialText(const PersonalStore& store, int year, int month, int day, bool near_locate);
std::string HijriMemorialText(const PersonalStore& store, int year, int month, int day, bool near_locate);
// The reminders of a Gregorian date, in slot order, joined likewise.
std::string ReminderText(const PersonalStore& store, int year, int month, int day);
// "距" + title + "还有" + n + "天" when the countdown day lies 0..1000 days after the date.
std::string CountdownText(const PersonalStore& store, int year, int month, int day);

// The personal days of one day as the pages show them: the countdown, the reminders, the Gregorian,
// lunar and Hijri memorials, each text that is not empty, and the first audio file named by them.
struct DayTexts {
    std::vector<std::string> texts;
    std::string audio;
    // The texts joined with three blanks, for the day page's tooltip.
    std::string Joined() const;
};
DayTexts PersonalDaysOf(const PersonalStore& store, astro::DayNumber day, bool near_locate);

// --- the editor's list ----------------------------------------------------------------------------

enum class EditorMode { kMemorials = 1, kReminders = 2, kCountdown = 3 };

// One day of the editor's list.
struct PersonalDay {
    enum class Kind { kSolarMemorial, kLunarMemorial, kHijriMemorial, kReminder, kCountdown };
    Kind kind = Kind::kSolarMemorial;
    int year = 0;  // astronomical; 1800..2200 (lunar, Hijri: their ranges)
    int month = 0;  // 1..12, a lunar leap month 13..24
    int day = 0;
    std::string title;  // at most 20 bytes, no blanks at either end
    std::string audio;  // a file path, or ""

    friend bool operator==(const PersonalDay&, const PersonalDay&) = default;
};

constexpr int kMaxReminders = 20;
constexpr std::size_t kTitleBytes = 20;

// The calendar a kind of day is written in.
Calendar CalendarOf(PersonalDay::Kind kind);

// The days of an editor mode as stored, in the order the editor lists them: memorials by calendar
// and month-day, reminders by slot; malformed values are left out.
std::vector<PersonalDay> ReadPersonalDays(const platform::Registry& registry, EditorMode mode);

// Why a day cannot be kept (GBK), or "" when it can: an empty title, a year outside the calendar's
// range, a date the calendar does not have.
std::string CheckPersonalDay(const PersonalDay& day);
// Why a day cannot join the list (besides CheckPersonalDay): a second memorial on the same month-day
// of the same calendar, a 21st reminder, a second countdown. `replacing` is the index of the row it
// replaces, or -1 when it is added.
std::string CheckAgainstList(const std::vector<PersonalDay>& list, const PersonalDay& day, int replacing);

// The editor's row of a day: "公历05月12日（AD1990年）：" + title right-aligned in 20 bytes + " " +
// audio path; "农历", "回历", "提醒", "倒计" likewise.
std::string RowText(const PersonalDay& day);

// Stores the list of an editor mode so that no kept day is ever missing from the registry, even if
// writing stops halfway: first every day is written (a value of the same name is overwritten), then
// the values of the mode that are no longer in the list are deleted. Returns false when a write or
// a deletion failed (the days written before it are kept).
bool SavePersonalDays(platform::Registry& registry, EditorMode mode, const std::vector<PersonalDay>& list);

}  // namespace personal
