#include "personal/personal_days.h"

#include <algorithm>
#include <cstdio>

#include "calendar/hijri.h"
#include "calendar/lunar_year.h"
#include "shell/settings.h"
#include "text/gbk.h"

namespace personal {

namespace {

constexpr const char* kCountdownValue = "MyCountdownDay";
constexpr const char* kSeparator = "   ";

const char* SubkeyOf(Calendar calendar) {
    switch (calendar) {
        case Calendar::kGregorian: return shell::SolarMemorialKey;
        case Calendar::kLunar: return shell::LunarMemorialKey;
        case Calendar::kHijri: return shell::MuharramMemorialKey;
    }
    return shell::SolarMemorialKey;
}

std::string Trimmed(std::string_view text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string_view::npos) return {};
    const size_t last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

// The title of a fixed field: at most 20 bytes from `start`, not splitting a double-byte
// character, without the blanks that pad it.
std::string TitleField(const std::string& value, size_t start) {
    if (value.size() <= start) return {};
    return Trimmed(text::GbkPrefix(std::string_view(value).substr(start), kTitleBytes));
}

std::string RightAligned(const std::string& title) {
    return std::string(title.size() < kTitleBytes ? kTitleBytes - title.size() : 0, ' ') + title;
}

// The astronomical year of "AD"/"BC" and four digits that are not all 0; 0 with ok false otherwise.
bool ParseEraYear(std::string_view text, int& year) {
    if (text.size() < 6) return false;
    const std::string_view era = text.substr(0, 2);
    if (era != "AD" && era != "BC") return false;
    int n = 0;
    for (char c : text.substr(2, 4)) {
        if (c < '0' || c > '9') return false;
        n = 10 * n + (c - '0');
    }
    if (n == 0) return false;
    year = era == "AD" ? n : 1 - n;
    return true;
}

// "AD1990" / "BC0104" for an astronomical year.
std::string EraYear(int year) {
    char out[16];
    std::snprintf(out, sizeof out, "%s%04d", year > 0 ? "AD" : "BC", year > 0 ? year : 1 - year);
    return out;
}

// Two digits, for month-day names and rows.
std::string TwoDigits(int n) {
    char out[8];
    std::snprintf(out, sizeof out, "%02d", n);
    return out;
}

// "ADMM-DD-YYYY": the astronomical year, month and day; false when the form or the date is wrong.
bool ParseDateKey(std::string_view text, int& year, int& month, int& day) {
    if (text.size() < 12 || text[4] != '-' || text[7] != '-') return false;
    const auto number = [&](size_t at, size_t n, int& out) {
        out = 0;
        for (char c : text.substr(at, n)) {
            if (c < '0' || c > '9') return false;
            out = 10 * out + (c - '0');
        }
        return true;
    };
    int n = 0;
    if (!number(2, 2, month) || !number(5, 2, day) || !number(8, 4, n)) return false;
    std::string era_year = std::string(text.substr(0, 2));
    era_year += text.substr(8, 4);
    return ParseEraYear(era_year, year) && astro::IsValidDate(year, month, day) != 0;
}

std::string DateKey(int year, int month, int day) {
    return EraYear(year).substr(0, 2) + TwoDigits(month) + "-" + TwoDigits(day) + "-" + EraYear(year).substr(2);
}

bool InYears(Calendar calendar, int year) {
    const YearRange r = AcceptedYears(calendar);
    return year >= r.first && year <= r.last;
}

bool DateExists(Calendar calendar, int year, int month, int day) {
    switch (calendar) {
        case Calendar::kGregorian: return astro::IsValidDate(year, month, day) != 0;
        case Calendar::kLunar: return calendar::IsValidLunarDate(year, month, day) != 0;
        case Calendar::kHijri: return calendar::HijriDateValid(year, month, day) != 0;
    }
    return false;
}

std::string AudioOf(const std::string& value, size_t start, const FileExists& exists) {
    if (value.size() <= start) return {};
    const std::string path = value.substr(start);
    return IsAudioFile(path, exists) ? path : std::string();
}

void Join(std::string& joined, const std::string& more) {
    if (more.empty()) return;
    if (!joined.empty()) joined += kSeparator;
    joined += more;
}

// One personal day found for a date: its text (the title right-aligned in 20 bytes, a blank, the
// audio path) and the audio path alone.
struct Found {
    std::string text;
    std::string audio;
};
using FoundDays = std::vector<Found>;

std::string Joined(const FoundDays& days) {
    std::string joined;
    for (const Found& f : days) Join(joined, f.text);
    return joined;
}

// The memorial of a month-day when its event year is not after `year`.
void AddMemorial(FoundDays& out, const PersonalStore& store, Calendar calendar, int year, int month, int day) {
    const std::string found = MemorialLookup(store, calendar, month, day);
    int event_year = 0;
    if (found.empty() || !ParseEraYear(found, event_year) || event_year > year) return;
    out.push_back({found.substr(6), found.substr(6 + kTitleBytes + 1)});
}

// The memorials of a calendar that fall on a day: the one of its month-day and, with near_locate,
// those of the dates the year lacks that PlaceYearlyDay puts on it. A date can only be moved back
// by a day (02-29, a 30th, Hijri 12-30) or out of the leap month of the day's month number, so
// these are the only candidates.
FoundDays MemorialsOn(const PersonalStore& store, Calendar calendar, int year, int month, int day, bool near_locate) {
    FoundDays out;
    AddMemorial(out, store, calendar, year, month, day);
    if (!near_locate) return out;
    const bool leap_candidates = calendar == Calendar::kLunar && month <= 12;
    const int candidates[][2] = {{month + 12, day}, {month, day + 1}, {month + 12, day + 1}};
    for (const auto& [m, d] : candidates) {
        if (m > 12 && !leap_candidates) continue;
        const PlacedDay placed = PlaceYearlyDay(calendar, year, m, d);
        if (placed.month == month && placed.day == day && (placed.month != m || placed.day != d))
            AddMemorial(out, store, calendar, year, m, d);
    }
    return out;
}

FoundDays Reminders(const PersonalStore& store, int year, int month, int day) {
    FoundDays out;
    if (store.registry == nullptr || !InYears(Calendar::kGregorian, year) || !astro::IsValidDate(year, month, day))
        return out;
    const std::string key = DateKey(year, month, day);
    for (char slot = 'A'; slot < 'A' + kMaxReminders; ++slot) {
        const std::string value = platform::ReadRegistryString(*store.registry, platform::RegistryRoot::CurrentUser,
                                                               shell::SolarRemindedKey, std::string(1, slot));
        const std::string title = TitleField(value, 12);
        if (value.compare(0, 12, key) != 0 || title.empty()) continue;
        const std::string audio = AudioOf(value, 33, store.file_exists);
        out.push_back({RightAligned(title) + " " + audio, audio});
    }
    return out;
}

std::string CountdownTitle(const std::string& value) { return TitleField(value, 12); }

}  // namespace

YearRange AcceptedYears(Calendar calendar) {
    switch (calendar) {
        case Calendar::kGregorian: return {1800, 2200};
        case Calendar::kLunar: return {1800, 2200};  // a lunar year is numbered by the year its 正月 falls in
        case Calendar::kHijri: return {1215, 1627};  // 1 Muharram 1215 = 1800-05-25, 1 Muharram 1627 in 2199
    }
    return {0, -1};
}

bool IsAudioFile(const std::string& path, const FileExists& exists) {
    if (path.size() < 5) return false;
    const std::string extension = text::UpperCaseAscii(path.substr(path.size() - 4));
    if (extension != ".MID" && extension != ".MP3" && extension != ".WAV" && extension != ".WMA") return false;
    return exists && exists(path);
}

std::string MemorialLookup(const PersonalStore& store, Calendar calendar, int month, int day) {
    if (store.registry == nullptr || month < 1 || month > 24 || day < 1 || day > 31) return {};
    const std::string value =
        platform::ReadRegistryString(*store.registry, platform::RegistryRoot::CurrentUser, SubkeyOf(calendar),
                                     TwoDigits(month) + "-" + TwoDigits(day));
    int year = 0;
    const std::string title = TitleField(value, 6);
    if (!ParseEraYear(value, year) || title.empty()) return {};
    if (!InYears(calendar, year) || !DateExists(calendar, year, month, day)) return {};
    return value.substr(0, 6) + RightAligned(title) + " " + AudioOf(value, 27, store.file_exists);
}

PlacedDay PlaceYearlyDay(Calendar calendar, int year, int month, int day) {
    PlacedDay p;
    switch (calendar) {
        case Calendar::kGregorian:
            if (month == 2 && day == 29 && !astro::IsValidDate(year, 2, 29) && astro::IsValidDate(year, 2, 28)) {
                p.common_year = true;
                day = 28;
            }
            if (!astro::IsValidDate(year, month, day)) return {};
            break;
        case Calendar::kLunar:
            if (month < 1 || month > 24 || day < 1 || day > 30) return {};
            if (month > 12 && calendar::LeapMonth(year) != month - 12) {
                p.no_leap_month = true;
                month -= 12;
            }
            if (day == 30 && calendar::LunarMonthLength(year, month) == 29) {
                p.short_month = true;
                day = 29;
            }
            if (!calendar::IsValidLunarDate(year, month, day)) return {};
            break;
        case Calendar::kHijri:
            if (month == 12 && day == 30 && !calendar::HijriLeapYear(year) && calendar::HijriDateValid(year, 12, 29)) {
                p.common_year = true;
                day = 29;
            }
            if (!calendar::HijriDateValid(year, month, day)) return {};
            break;
    }
    p.month = month;
    p.day = day;
    return p;
}

std::string SolarMemorialText(const PersonalStore& store, int year, int month, int day, bool near_locate) {
    return Joined(MemorialsOn(store, Calendar::kGregorian, year, month, day, near_locate));
}

std::string LunarMemorialText(const PersonalStore& store, int year, int month, int day, bool near_locate) {
    return Joined(MemorialsOn(store, Calendar::kLunar, year, month, day, near_locate));
}

std::string HijriMemorialText(const PersonalStore& store, int year, int month, int day, bool near_locate) {
    return Joined(MemorialsOn(store, Calendar::kHijri, year, month, day, near_locate));
}

std::string ReminderText(const PersonalStore& store, int year, int month, int day) {
    return Joined(Reminders(store, year, month, day));
}

std::string CountdownText(const PersonalStore& store, int year, int month, int day) {
    if (store.registry == nullptr) return {};
    const std::string value = platform::ReadRegistryString(*store.registry, platform::RegistryRoot::CurrentUser,
                                                           shell::SettingsKey, kCountdownValue);
    int target_year = 0, target_month = 0, target_day = 0;
    const std::string title = CountdownTitle(value);
    if (!ParseDateKey(value, target_year, target_month, target_day) || title.empty() ||
        !InYears(Calendar::kGregorian, target_year) || !astro::IsValidDate(year, month, day))
        return {};
    const long n = static_cast<long>(astro::DateToDayNumber(target_year, target_month, target_day)) -
                   astro::DateToDayNumber(year, month, day);
    if (n < 0 || n > 1000) return {};
    return "距" + title + "还有" + std::to_string(n) + "天";
}

std::string DayTexts::Joined() const {
    std::string joined;
    for (const std::string& t : texts) Join(joined, t);
    return joined;
}

DayTexts PersonalDaysOf(const PersonalStore& store, astro::DayNumber day, bool near_locate) {
    DayTexts out;
    if (store.registry == nullptr) return out;
    const astro::CalendarDate g = astro::DayNumberToDate(day);
    const calendar::LunarDate l = calendar::SolarToLunarDate(g.year, g.month, g.day);
    const calendar::HijriDate h = calendar::DayNumberToHijri(day);
    const std::string countdown = CountdownText(store, g.year, g.month, g.day);
    if (!countdown.empty()) out.texts.push_back(countdown);
    const FoundDays found[] = {
        Reminders(store, g.year, g.month, g.day),
        MemorialsOn(store, Calendar::kGregorian, g.year, g.month, g.day, near_locate),
        l.month ? MemorialsOn(store, Calendar::kLunar, l.year, l.month, l.day, near_locate) : FoundDays{},
        h.month ? MemorialsOn(store, Calendar::kHijri, h.year, h.month, h.day, near_locate) : FoundDays{},
    };
    for (const FoundDays& days : found) {
        if (!days.empty()) out.texts.push_back(Joined(days));
        for (const Found& f : days)
            if (out.audio.empty()) out.audio = f.audio;
    }
    return out;
}

// --- the editor's list ----------------------------------------------------------------------------

Calendar CalendarOf(PersonalDay::Kind kind) {
    switch (kind) {
        case PersonalDay::Kind::kLunarMemorial: return Calendar::kLunar;
        case PersonalDay::Kind::kHijriMemorial: return Calendar::kHijri;
        default: return Calendar::kGregorian;
    }
}

namespace {

struct MemorialKind {
    PersonalDay::Kind kind;
    Calendar calendar;
    int months;
    int days;
};
constexpr MemorialKind kMemorialKinds[] = {
    {PersonalDay::Kind::kSolarMemorial, Calendar::kGregorian, 12, 31},
    {PersonalDay::Kind::kLunarMemorial, Calendar::kLunar, 24, 30},
    {PersonalDay::Kind::kHijriMemorial, Calendar::kHijri, 12, 30},
};

const MemorialKind* MemorialKindOf(PersonalDay::Kind kind) {
    for (const MemorialKind& k : kMemorialKinds)
        if (k.kind == kind) return &k;
    return nullptr;
}

std::string MonthDayName(int month, int day) { return TwoDigits(month) + "-" + TwoDigits(day); }

// The stored text of a day.
std::string StoredText(const PersonalDay& d) {
    switch (d.kind) {
        case PersonalDay::Kind::kReminder:
            return DateKey(d.year, d.month, d.day) + RightAligned(d.title) + " " + d.audio;
        case PersonalDay::Kind::kCountdown:
            return DateKey(d.year, d.month, d.day) + d.title;
        default:
            return EraYear(d.year) + RightAligned(d.title) + " " + d.audio;
    }
}

bool SameDayOfYear(const PersonalDay& a, const PersonalDay& b) {
    return a.kind == b.kind && a.month == b.month && a.day == b.day;
}

}  // namespace

std::vector<PersonalDay> ReadPersonalDays(const platform::Registry& registry, EditorMode mode) {
    using platform::RegistryRoot;
    std::vector<PersonalDay> out;
    const auto read = [&](const char* key, const std::string& name) {
        return platform::ReadRegistryString(registry, RegistryRoot::CurrentUser, key, name);
    };
    switch (mode) {
        case EditorMode::kMemorials:
            for (const MemorialKind& k : kMemorialKinds) {
                for (int m = 1; m <= k.months; ++m) {
                    for (int d = 1; d <= k.days; ++d) {
                        const std::string value = read(SubkeyOf(k.calendar), MonthDayName(m, d));
                        PersonalDay day{k.kind, 0, m, d, TitleField(value, 6), value.size() > 27 ? value.substr(27) : ""};
                        if (ParseEraYear(value, day.year) && CheckPersonalDay(day).empty()) out.push_back(day);
                    }
                }
            }
            break;
        case EditorMode::kReminders:
            for (char slot = 'A'; slot < 'A' + kMaxReminders; ++slot) {
                const std::string value = read(shell::SolarRemindedKey, std::string(1, slot));
                PersonalDay day{PersonalDay::Kind::kReminder, 0, 0, 0, TitleField(value, 12),
                                value.size() > 33 ? value.substr(33) : ""};
                if (ParseDateKey(value, day.year, day.month, day.day) && CheckPersonalDay(day).empty())
                    out.push_back(day);
            }
            break;
        case EditorMode::kCountdown: {
            const std::string value = read(shell::SettingsKey, kCountdownValue);
            PersonalDay day{PersonalDay::Kind::kCountdown, 0, 0, 0, CountdownTitle(value), ""};
            if (ParseDateKey(value, day.year, day.month, day.day) && CheckPersonalDay(day).empty()) out.push_back(day);
            break;
        }
    }
    return out;
}

std::string CheckPersonalDay(const PersonalDay& day) {
    const Calendar calendar = CalendarOf(day.kind);
    const char* name = calendar == Calendar::kLunar ? "农历" : calendar == Calendar::kHijri ? "回历" : "公历";
    const char* what = day.kind == PersonalDay::Kind::kReminder    ? "提醒事项"
                       : day.kind == PersonalDay::Kind::kCountdown ? "倒计事项"
                                                                   : "纪念事项";
    if (Trimmed(day.title).empty()) return std::string("请输入") + what;
    if (day.title.size() > kTitleBytes) return std::string(what) + "最多20个字节（10个汉字）";
    const YearRange years = AcceptedYears(calendar);
    if (day.year < years.first || day.year > years.last)
        return std::string(name) + "年份须在" + std::to_string(years.first) + "～" + std::to_string(years.last) + "之间";
    if (!DateExists(calendar, day.year, day.month, day.day)) {
        const std::string month = day.month > 12 ? "闰" + std::to_string(day.month - 12) : std::to_string(day.month);
        return std::string(name) + std::to_string(day.year) + "年没有" + month + "月" + std::to_string(day.day) + "日";
    }
    return {};
}

std::string CheckAgainstList(const std::vector<PersonalDay>& list, const PersonalDay& day, int replacing) {
    int others = 0;
    for (int i = 0; i < static_cast<int>(list.size()); ++i) {
        if (i == replacing) continue;
        ++others;
        if (MemorialKindOf(day.kind) && SameDayOfYear(day, list[i]))
            return RowText(day).substr(0, 12) + "已有纪念日，同一天只能有一个";
    }
    if (day.kind == PersonalDay::Kind::kReminder && others >= kMaxReminders) return "提醒日最多20个";
    if (day.kind == PersonalDay::Kind::kCountdown && others >= 1) return "只能有一个倒计日，请修改或删除原有的一个";
    return {};
}

std::string RowText(const PersonalDay& d) {
    const char* prefix = "公历";
    switch (d.kind) {
        case PersonalDay::Kind::kLunarMemorial: prefix = "农历"; break;
        case PersonalDay::Kind::kHijriMemorial: prefix = "回历"; break;
        case PersonalDay::Kind::kReminder: prefix = "提醒"; break;
        case PersonalDay::Kind::kCountdown: prefix = "倒计"; break;
        default: break;
    }
    return std::string(prefix) + TwoDigits(d.month) + "月" + TwoDigits(d.day) + "日（" + EraYear(d.year) + "年）：" +
           RightAligned(d.title) + " " + d.audio;
}

bool SavePersonalDays(platform::Registry& registry, EditorMode mode, const std::vector<PersonalDay>& list) {
    using platform::RegistryRoot;
    bool ok = true;
    const auto write = [&](const char* key, const std::string& name, const std::string& value) {
        ok = platform::WriteRegistryString(registry, RegistryRoot::CurrentUser, key, name, value) && ok;
    };
    const auto remove = [&](const char* key, const std::string& name) {
        if (platform::ReadRegistryString(registry, RegistryRoot::CurrentUser, key, name).empty()) return;
        ok = platform::DeleteRegistryValue(registry, RegistryRoot::CurrentUser, key, name) && ok;
    };
    switch (mode) {
        case EditorMode::kMemorials: {
            for (const PersonalDay& d : list)
                if (const MemorialKind* k = MemorialKindOf(d.kind))
                    write(SubkeyOf(k->calendar), MonthDayName(d.month, d.day), StoredText(d));
            if (!ok) return false;  // nothing is deleted unless every day is stored
            for (const MemorialKind& k : kMemorialKinds)
                for (int m = 1; m <= k.months; ++m)
                    for (int d = 1; d <= k.days; ++d) {
                        const bool kept = std::any_of(list.begin(), list.end(), [&](const PersonalDay& p) {
                            return p.kind == k.kind && p.month == m && p.day == d;
                        });
                        if (!kept) remove(SubkeyOf(k.calendar), MonthDayName(m, d));
                    }
            return ok;
        }
        case EditorMode::kReminders: {
            // Slots in list order. The list only ever loses rows or gains them at its end, so a row
            // moves to a lower slot or stays: writing upwards overwrites only rows already written.
            int slot = 0;
            for (const PersonalDay& d : list)
                if (d.kind == PersonalDay::Kind::kReminder && slot < kMaxReminders)
                    write(shell::SolarRemindedKey, std::string(1, static_cast<char>('A' + slot++)), StoredText(d));
            if (!ok) return false;
            for (int s = slot; s < kMaxReminders; ++s) remove(shell::SolarRemindedKey, std::string(1, static_cast<char>('A' + s)));
            return ok;
        }
        case EditorMode::kCountdown: {
            for (const PersonalDay& d : list)
                if (d.kind == PersonalDay::Kind::kCountdown) {
                    write(shell::SettingsKey, kCountdownValue, StoredText(d));
                    return ok;
                }
            remove(shell::SettingsKey, kCountdownValue);
            return ok;
        }
    }
    return ok;
}

}  // namespace personal
