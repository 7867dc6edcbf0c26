// The user's own days: memorial days (a yearly anniversary by the Gregorian, the Chinese lunar or
// the Hijri calendar), reminder days (single Gregorian dates) and one countdown day. They live only
// in the registry, in fixed-width GBK texts (settings/settings.h names the keys):
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

#include <cstddef>
#include <functional>
#include <string>
#include <string_view>
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

// The title and the audio path of a stored day whose 20-byte title field starts at byte `start`
// (0-based: 6 for a memorial, 12 for a reminder). The title is what the field holds without its
// padding, cut before a double-byte character that does not fit whole. The audio path follows the
// field and one blank. A title written longer than its field (by hand or by another program) runs on
// past it; its path, if any, then follows the first blank after the field that begins a drive or
// network path ("X:\", "\\"), and the rest is the title's tail.
struct TitleAndAudio {
    std::string title;
    std::string audio;
};
TitleAndAudio SplitTitleAndAudio(std::string_view value, std::size_t start);

// Where a listed day is stored: the key and the value's name.
struct StoredPlace {
    std::string subkey;
    std::string name;
    friend bool operator==(const StoredPlace&, const StoredPlace&) = default;
};

// One row of the editor's list. A day read from the registry remembers where and as what, so that a
// save rewrites only what the user changed.
struct ListedDay {
    PersonalDay day;       // as the list shows it now
    StoredPlace stored;    // where it was read from (or last saved to); an empty name for a new day
    PersonalDay as_read;   // the day as stored there
};

// The editor's list of a mode as read from the registry: the days it can show, in the order the
// editor lists them (memorials by calendar and month-day, reminders by slot), and the values of the
// mode's names that it cannot show: of another type, with NULs inside, with characters GBK lacks,
// longer than the store reads (MaxRegistryValueBytes), or malformed. Those are kept as they are:
// never rewritten or deleted, and their names are not given to another day.
struct DayList {
    EditorMode mode = EditorMode::kMemorials;
    std::vector<ListedDay> days;
    std::vector<StoredPlace> kept;
    std::vector<StoredPlace> deleted;  // places of read days the user deleted, until a save removes them
};
DayList ReadDayList(const platform::Registry& registry, EditorMode mode);
// The days of the list, in its order.
std::vector<PersonalDay> DaysOf(const DayList& list);
// Removes a row; its value is deleted by the next save.
void DeleteDay(DayList& list, std::size_t row);
// The editor's note on the values it keeps as they are ("" when there are none), e.g.
// "有2个值无法在这里显示，已原样保留，不会改动：公历05-05、公历07-01".
std::string KeptNote(const DayList& list);

// Why a day cannot be kept (GBK), or "" when it can: an empty title, a year outside the calendar's
// range, a date the calendar does not have.
std::string CheckPersonalDay(const PersonalDay& day);
// Why a day cannot join the list (besides CheckPersonalDay): a second memorial on the same month-day
// of the same calendar, a memorial on a month-day whose value is kept as it is, a 21st reminder (the
// slots of kept values count), a second countdown or one whose value is kept. `replacing` is the
// index of the row it replaces, or -1 when it is added.
std::string CheckAgainstList(const DayList& list, const PersonalDay& day, int replacing);

// What the editor says of a countdown day on the date `today` (y, m, d), "" when the calendar shows
// it today: a day already past, or one more than 1000 days ahead (with the first date showing it).
std::string CountdownNote(const PersonalDay& day, int year, int month, int day_of_month);

// The editor's row of a day: "公历05月12日（AD1990年）：" + title right-aligned in 20 bytes + " " +
// audio path; "农历", "回历", "提醒", "倒计" likewise.
std::string RowText(const PersonalDay& day);

// What a save did.
struct SaveResult {
    int written = 0;          // days added or changed, stored
    int write_failures = 0;   // days the registry refused: their values are as they were
    int deleted = 0;          // deleted days removed
    int delete_failures = 0;  // deleted days the registry refused to remove
    int deletes_held = 0;     // deleted days not removed because a write failed
    bool Complete() const { return write_failures == 0 && delete_failures == 0 && deletes_held == 0; }
};

// Stores the user's changes: each day added or changed is written (a memorial under its month-day,
// a reminder in the slot it came from or the first free one, the countdown), then, only when every
// write succeeded, the values of deleted days are removed. A day the user left alone is not
// written, and no other value is touched: what another program or version stored, of whatever form,
// stays byte for byte. The list learns what was stored, so a second save after a failure retries
// only what is missing.
SaveResult SavePersonalDays(platform::Registry& registry, DayList& list);
// The status line after a save that did not complete, telling what is stored and what is not.
std::string SaveReport(const SaveResult& result);

}  // namespace personal
