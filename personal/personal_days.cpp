#include "personal/personal_days.h"

#include <algorithm>
#include <cctype>
#include <cstdio>

#include "calendar/hijri.h"
#include "calendar/lunar_year.h"
#include "settings/settings.h"
#include "text/gbk.h"

namespace personal {

namespace {

constexpr const char* kCountdownValue = "MyCountdownDay";
constexpr const char* kSeparator = "   ";

const char* SubkeyOf(Calendar calendar) {
    switch (calendar) {
        case Calendar::kGregorian: return settings::SolarMemorialKey;
        case Calendar::kLunar: return settings::LunarMemorialKey;
        case Calendar::kHijri: return settings::MuharramMemorialKey;
    }
    return settings::SolarMemorialKey;
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

// The audio path of a stored day when it names an existing audio file.
std::string AudioOf(const std::string& value, size_t title_start, const FileExists& exists) {
    const std::string path = SplitTitleAndAudio(value, title_start).audio;
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
                                                               settings::SolarRemindedKey, std::string(1, slot));
        const std::string title = TitleField(value, 12);
        if (value.compare(0, 12, key) != 0 || title.empty()) continue;
        const std::string audio = AudioOf(value, 12, store.file_exists);
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
    return value.substr(0, 6) + RightAligned(title) + " " + AudioOf(value, 6, store.file_exists);
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
                                                           settings::SettingsKey, kCountdownValue);
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

namespace {

// Whether `at` is where a character begins, counting GBK characters from the start.
bool StartsCharacter(std::string_view text, size_t at) {
    size_t i = 0;
    while (i < at) i += text::IsGbkLeadByte(text[i]) && i + 1 < text.size() ? 2 : 1;
    return i == at;
}

// Whether the text is whole GBK: every lead byte followed by a trail byte (0x40..0xFE but 0x7F), no
// byte that begins no character (0x80, 0xFF).
bool IsWholeGbk(std::string_view text) {
    for (size_t i = 0; i < text.size(); ++i) {
        const auto byte = static_cast<unsigned char>(text[i]);
        if (byte < 0x80) continue;
        if (!text::IsGbkLeadByte(text[i]) || i + 1 >= text.size()) return false;
        const auto trail = static_cast<unsigned char>(text[++i]);
        if (trail < 0x40 || trail == 0x7F || trail == 0xFF) return false;
    }
    return true;
}

// Whether a path begins at `at`: a drive letter, a colon and a separator, or the two backslashes of
// a network share.
bool BeginsPath(std::string_view text, size_t at) {
    const std::string_view rest = text.substr(at);
    if (rest.size() >= 3 && std::isalpha(static_cast<unsigned char>(rest[0])) && rest[1] == ':' &&
        (rest[2] == '\\' || rest[2] == '/'))
        return true;
    return rest.size() >= 2 && rest[0] == '\\' && rest[1] == '\\';
}

}  // namespace

TitleAndAudio SplitTitleAndAudio(std::string_view value, std::size_t start) {
    TitleAndAudio out;
    if (value.size() <= start) return out;
    const std::string_view from_title = value.substr(start);
    out.title = Trimmed(text::GbkPrefix(from_title, kTitleBytes));
    if (from_title.size() <= kTitleBytes) return out;
    if (from_title[kTitleBytes] == ' ' && StartsCharacter(from_title, kTitleBytes)) {
        out.audio = Trimmed(from_title.substr(kTitleBytes + 1));
        return out;
    }
    // The title runs on past its field: its path, if any, begins after a blank further on.
    for (size_t i = 0; i < from_title.size(); i += text::IsGbkLeadByte(from_title[i]) ? 2 : 1) {
        if (i > kTitleBytes && from_title[i] == ' ' && BeginsPath(from_title, i + 1)) {
            out.audio = Trimmed(from_title.substr(i + 1));
            break;
        }
    }
    return out;
}

namespace {

// The day a stored text holds, when the editor can show it and give it back unchanged.
bool ParseStoredDay(const platform::RegistryValueText& value, PersonalDay::Kind kind, int month, int day,
                    PersonalDay& out) {
    if (!value.exact || value.text.size() > platform::MaxRegistryValueBytes || !IsWholeGbk(value.text)) return false;
    const std::string& text = value.text;
    out = PersonalDay{kind, 0, month, day, "", ""};
    switch (kind) {
        case PersonalDay::Kind::kReminder: {
            if (!ParseDateKey(text, out.year, out.month, out.day)) return false;
            TitleAndAudio fields = SplitTitleAndAudio(text, 12);
            out.title = std::move(fields.title);
            out.audio = std::move(fields.audio);
            break;
        }
        case PersonalDay::Kind::kCountdown:
            if (!ParseDateKey(text, out.year, out.month, out.day)) return false;
            out.title = CountdownTitle(text);
            break;
        default: {
            if (!ParseEraYear(text, out.year)) return false;
            TitleAndAudio fields = SplitTitleAndAudio(text, 6);
            out.title = std::move(fields.title);
            out.audio = std::move(fields.audio);
            break;
        }
    }
    return CheckPersonalDay(out).empty();
}

std::string SlotName(int slot) { return std::string(1, static_cast<char>('A' + slot)); }

StoredPlace CountdownPlace() { return {settings::SettingsKey, kCountdownValue}; }

StoredPlace MemorialPlace(const PersonalDay& d) {
    return {SubkeyOf(CalendarOf(d.kind)), MonthDayName(d.month, d.day)};
}

bool Holds(const std::vector<StoredPlace>& places, const StoredPlace& place) {
    return std::find(places.begin(), places.end(), place) != places.end();
}

// How a kept value is named to the user: "公历05-12", "提醒日C", "倒计日".
std::string PlaceLabel(const StoredPlace& place) {
    if (place.subkey == settings::SolarMemorialKey) return "公历" + place.name;
    if (place.subkey == settings::LunarMemorialKey) return "农历" + place.name;
    if (place.subkey == settings::MuharramMemorialKey) return "回历" + place.name;
    if (place.subkey == settings::SolarRemindedKey) return "提醒日" + place.name;
    return "倒计日";
}

int KeptReminders(const DayList& list) {
    return static_cast<int>(std::count_if(list.kept.begin(), list.kept.end(), [](const StoredPlace& p) {
        return p.subkey == settings::SolarRemindedKey;
    }));
}

}  // namespace

DayList ReadDayList(const platform::Registry& registry, EditorMode mode) {
    DayList list;
    list.mode = mode;
    const auto take = [&](const StoredPlace& place, PersonalDay::Kind kind, int month, int day) {
        const platform::RegistryValueText value =
            platform::ReadRegistryValueText(registry, platform::RegistryRoot::CurrentUser, place.subkey, place.name);
        if (!value.exists) return;
        PersonalDay read;
        if (ParseStoredDay(value, kind, month, day, read))
            list.days.push_back({read, place, read});
        else
            list.kept.push_back(place);
    };
    switch (mode) {
        case EditorMode::kMemorials:
            for (const MemorialKind& k : kMemorialKinds)
                for (int m = 1; m <= k.months; ++m)
                    for (int d = 1; d <= k.days; ++d)
                        take({SubkeyOf(k.calendar), MonthDayName(m, d)}, k.kind, m, d);
            break;
        case EditorMode::kReminders:
            for (int slot = 0; slot < kMaxReminders; ++slot)
                take({settings::SolarRemindedKey, SlotName(slot)}, PersonalDay::Kind::kReminder, 0, 0);
            break;
        case EditorMode::kCountdown: take(CountdownPlace(), PersonalDay::Kind::kCountdown, 0, 0); break;
    }
    return list;
}

std::vector<PersonalDay> DaysOf(const DayList& list) {
    std::vector<PersonalDay> days;
    for (const ListedDay& d : list.days) days.push_back(d.day);
    return days;
}

void DeleteDay(DayList& list, std::size_t row) {
    if (row >= list.days.size()) return;
    const StoredPlace& stored = list.days[row].stored;
    if (!stored.name.empty() && !Holds(list.deleted, stored)) list.deleted.push_back(stored);
    list.days.erase(list.days.begin() + static_cast<std::ptrdiff_t>(row));
}

std::string KeptNote(const DayList& list) {
    if (list.kept.empty()) return {};
    std::string note = "有" + std::to_string(list.kept.size()) + "个值无法在这里显示，已原样保留，不会改动：";
    for (size_t i = 0; i < list.kept.size() && i < 2; ++i) note += (i ? "、" : "") + PlaceLabel(list.kept[i]);
    if (list.kept.size() > 2) note += "等";
    return note;
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

std::string CheckAgainstList(const DayList& list, const PersonalDay& day, int replacing) {
    int others = 0;
    for (int i = 0; i < static_cast<int>(list.days.size()); ++i) {
        if (i == replacing) continue;
        ++others;
        if (MemorialKindOf(day.kind) && SameDayOfYear(day, list.days[static_cast<size_t>(i)].day))
            return RowText(day).substr(0, 12) + "已有纪念日，同一天只能有一个";
    }
    if (MemorialKindOf(day.kind) && Holds(list.kept, MemorialPlace(day)))
        return RowText(day).substr(0, 12) + "存有一个无法在这里显示的值，为免丢失，不能在这一天添加";
    if (day.kind == PersonalDay::Kind::kReminder && others + KeptReminders(list) >= kMaxReminders)
        return KeptReminders(list) > 0 ? "提醒日最多20个（含" + std::to_string(KeptReminders(list)) + "个原样保留的值）"
                                       : std::string("提醒日最多20个");
    if (day.kind == PersonalDay::Kind::kCountdown && others >= 1) return "只能有一个倒计日，请修改或删除原有的一个";
    if (day.kind == PersonalDay::Kind::kCountdown && Holds(list.kept, CountdownPlace()))
        return "已存有一个无法在这里显示的倒计日，为免丢失，不能添加";
    return {};
}

std::string CountdownNote(const PersonalDay& day, int year, int month, int day_of_month) {
    if (day.kind != PersonalDay::Kind::kCountdown || !astro::IsValidDate(year, month, day_of_month) ||
        !astro::IsValidDate(day.year, day.month, day.day))
        return {};
    const astro::DayNumber target = astro::DateToDayNumber(day.year, day.month, day.day);
    const astro::DayNumber today = astro::DateToDayNumber(year, month, day_of_month);
    if (target < today) return "这个倒计日已经过去，今后的日历上不会显示它（已留在列表中）";
    if (target - today <= 1000) return {};
    const astro::CalendarDate first = astro::DayNumberToDate(target - 1000);
    return "这个倒计日距今天超过1000天，日历要到" + std::to_string(first.year) + "年" + std::to_string(first.month) + "月" +
           std::to_string(first.day) + "日才开始显示它（已留在列表中）";
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

SaveResult SavePersonalDays(platform::Registry& registry, DayList& list) {
    using platform::RegistryRoot;
    SaveResult result;
    // Where each day goes: a memorial under its month-day, the countdown under its one name, a
    // reminder in its own slot or, when new, the first slot that holds nothing of the list's.
    std::vector<StoredPlace> targets;
    std::vector<bool> used(kMaxReminders, false);
    const auto slot_of = [](const StoredPlace& p) {
        return p.subkey == settings::SolarRemindedKey && p.name.size() == 1 ? p.name[0] - 'A' : -1;
    };
    for (const StoredPlace& p : list.kept)
        if (const int s = slot_of(p); s >= 0 && s < kMaxReminders) used[static_cast<size_t>(s)] = true;
    for (const ListedDay& d : list.days)
        if (const int s = slot_of(d.stored); s >= 0 && s < kMaxReminders) used[static_cast<size_t>(s)] = true;
    for (const ListedDay& d : list.days) {
        StoredPlace target;
        switch (d.day.kind) {
            case PersonalDay::Kind::kReminder:
                if (!d.stored.name.empty()) {
                    target = d.stored;
                } else {
                    const auto free = std::find(used.begin(), used.end(), false);
                    if (free != used.end()) {
                        *free = true;
                        target = {settings::SolarRemindedKey, SlotName(static_cast<int>(free - used.begin()))};
                    }
                }
                break;
            case PersonalDay::Kind::kCountdown: target = CountdownPlace(); break;
            default: target = MemorialPlace(d.day); break;
        }
        targets.push_back(target);
    }

    for (size_t i = 0; i < list.days.size(); ++i) {
        ListedDay& d = list.days[i];
        const StoredPlace& target = targets[i];
        if (!d.stored.name.empty() && d.stored == target && d.day == d.as_read) continue;  // left alone
        const bool ok = !target.name.empty() && !Holds(list.kept, target) &&
                        platform::WriteRegistryString(registry, RegistryRoot::CurrentUser, target.subkey, target.name,
                                                      StoredText(d.day));
        if (!ok) {
            ++result.write_failures;
            if (!d.stored.name.empty() && !(d.stored == target)) ++result.deletes_held;  // its old value stays
            continue;
        }
        ++result.written;
        // A day moved to another month-day leaves its old value to be deleted.
        if (!d.stored.name.empty() && !(d.stored == target) && !Holds(list.deleted, d.stored))
            list.deleted.push_back(d.stored);
        d.stored = target;
        d.as_read = d.day;
    }

    // A place that a day of the list now holds is no longer to be deleted.
    std::erase_if(list.deleted, [&](const StoredPlace& p) {
        return std::any_of(list.days.begin(), list.days.end(), [&](const ListedDay& d) { return d.stored == p; });
    });
    if (result.write_failures > 0) {
        // Nothing is deleted while a change is missing: a moved day keeps its old value.
        result.deletes_held += static_cast<int>(list.deleted.size());
        return result;
    }
    std::erase_if(list.deleted, [&](const StoredPlace& p) {
        const bool gone = platform::DeleteRegistryValue(registry, RegistryRoot::CurrentUser, p.subkey, p.name) ||
                          !platform::ReadRegistryValueText(registry, RegistryRoot::CurrentUser, p.subkey, p.name).exists;
        ++(gone ? result.deleted : result.delete_failures);
        return gone;
    });
    return result;
}

std::string SaveReport(const SaveResult& r) {
    if (r.Complete()) return {};
    std::string report = "保存未完成：";
    if (r.write_failures > 0) {
        report += std::to_string(r.write_failures) + "个日子没能写入注册表，那里仍是原样";
        if (r.written > 0) report += "；" + std::to_string(r.written) + "个已写入";
        if (r.deletes_held > 0) report += "；要删除的" + std::to_string(r.deletes_held) + "个还没有删除";
        return report;
    }
    report += "要删除的" + std::to_string(r.delete_failures) + "个日子没能从注册表删除，还在那里";
    if (r.written > 0 || r.deleted > 0) report += "；其余的改动都已保存";
    return report;
}

}  // namespace personal
