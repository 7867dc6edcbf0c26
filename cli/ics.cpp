#include "cli/ics.h"

#include <libical/ical.h>

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <map>
#include <set>
#include <tuple>

#include "astro/day_numbers.h"
#include "astro/events.h"
#include "calendar/cycles.h"
#include "calendar/festivals.h"
#include "calendar/holidays.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "personal/personal_days.h"
#include "text/encoding.h"
#include "tools/yearly_tables.h"

namespace cli {

namespace {

constexpr const char* kProductId = "-//Tempoline//tempo ics//ZH";

// DTSTAMP says when the object was made. Made now, it would change every file and defeat "the
// same input gives the same file"; calendar programs match a re-imported event by its UID (and
// SEQUENCE), not by DTSTAMP. So every event carries this one instant, the start of the year
// `tempo ics` was written in.
constexpr int kStampYear = 2026;

enum class Kind { kTerm, kLunarFestival, kSolarFestival, kHoliday, kMonth, kLunarBirthday, kSolarBirthday };

// One event, its texts in UTF-8. An all-day event has second -1; a timed one is at `second`
// (0..86399) of the UTC day `day`.
struct Event {
    astro::DayNumber day = 0;
    astro::DayNumber last = 0;  // an all-day event of several days: its last day (0: one day)
    int second = -1;
    Kind kind = Kind::kTerm;
    std::string summary, description, category;
    std::string key;  // what the event is, for its UID: kind, year and name, never the date found
};

std::string Utf8(const std::string& gbk) { return text::GbkToUtf8(gbk); }

std::string Trimmed(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

// "八月三十", "闰二月初一" (GBK).
std::string LunarMonthDay(int month, int day) {
    return Trimmed(calendar::LunarMonthName(month)) + calendar::LunarDayName(day);
}

// The sexagenary name of the lunar year that contains day n ("甲辰").
std::string LunarYearName(astro::DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    return calendar::GanZhiName(calendar::YearGanZhi(d.year, d.month, d.day, calendar::kYearFromSpringFestival));
}

// "农历甲辰年八月十五" (GBK) for day n.
std::string LunarDateOf(astro::DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    const calendar::LunarDate l = calendar::SolarToLunarDate(d.year, d.month, d.day);
    return "农历" + LunarYearName(n) + "年" + LunarMonthDay(l.month, l.day);
}

// "2024年2月10日" (GBK).
std::string GregorianText(astro::DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    return std::to_string(d.year) + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日";
}

std::string TwoDigits(int n) {
    char out[8];
    std::snprintf(out, sizeof out, "%02d", n);
    return out;
}

// The first and last day of the span's Gregorian years.
struct Days {
    astro::DayNumber first, last;
    bool Holds(astro::DayNumber n) const { return n >= first && n <= last; }
};

// The astronomical solar terms whose day (UTC+8) lies in the year, in time order.
std::vector<tools::TableEntry> AstronomicalTermsOfYear(int year) {
    std::vector<tools::TableEntry> out;
    const astro::DayNumber first = astro::DateToDayNumber(year, 1, 1);
    const astro::DayNumber last = astro::DateToDayNumber(year, 12, 31);
    for (calendar::SolarTermInstant t = calendar::NextSolarTerm(first, false, calendar::Rule::kModern);
         t.index != 0 && static_cast<astro::DayNumber>(std::floor(t.when)) <= last;
         t = calendar::NextSolarTerm(static_cast<astro::DayNumber>(std::floor(t.when)) + 10, false, calendar::Rule::kModern))
        out.push_back({t.index, t.when, true});
    return out;
}

// "HH:MM:SS" of a chronological day value, cut to the second like every clock time of the program.
std::string Clock(double when) {
    const int second = std::min(86399, static_cast<int>(std::floor(astro::DayFraction(when) * 86400.0)));
    char clock[16];
    std::snprintf(clock, sizeof clock, "%02d:%02d:%02d", second / 3600, second / 60 % 60, second % 60);
    return clock;
}

// A calendar file is read today: every term is written at its astronomical instant. Until 1886 the
// calendars of the time counted the terms by older rules (mean terms before 1645, the Qing solar
// theories after), which put some of them on another day; the description says which.
void AddTerms(std::vector<Event>& out, int year) {
    const std::vector<tools::TableEntry> of_the_time = tools::SolarTermsOfYear(year);
    for (const tools::TableEntry& t : AstronomicalTermsOfYear(year)) {
        // The instant as the calendar shows it, UTC+8 to the second (cut, like every clock time
        // of the program), then moved back by the eight hours of the zone.
        const astro::DayNumber local_day = static_cast<astro::DayNumber>(std::floor(t.when));
        const int local_second = std::min(86399, static_cast<int>(std::floor(astro::DayFraction(t.when) * 86400.0)));
        const long long utc = static_cast<long long>(local_day) * 86400 + local_second - astro::CalcTimeZone * 3600LL;
        Event e;
        e.day = static_cast<astro::DayNumber>(utc / 86400);  // day numbers of these years are positive
        e.second = static_cast<int>(utc - static_cast<long long>(e.day) * 86400);
        e.kind = Kind::kTerm;
        const std::string name = calendar::SolarTermNames[t.index];
        e.summary = Utf8(name);
        std::string description = "太阳黄经" + std::to_string(astro::SolarTermLongitude(t.index)) + "°，北京时间" +
                                  GregorianText(local_day) + " " + Clock(t.when);
        for (const tools::TableEntry& h : of_the_time) {
            const astro::DayNumber day = static_cast<astro::DayNumber>(std::floor(h.when));
            if (h.index == t.index && std::abs(h.when - t.when) < 20 && day != local_day)
                description += "。当时的历法把" + name + "定在" + GregorianText(day);
        }
        e.description = Utf8(description);
        e.category = Utf8("节气");
        e.key = "term " + std::to_string(year) + " " + std::to_string(t.index);
        out.push_back(std::move(e));
    }
}

void AddFestivals(std::vector<Event>& out, const Days& days) {
    int easter_year = 0, easter_day = 0;
    for (astro::DayNumber n = days.first; n <= days.last; ++n) {
        const astro::CalendarDate d = astro::DayNumberToDate(n);
        const calendar::LunarDate l = calendar::SolarToLunarDate(d.year, d.month, d.day);
        const std::string lunar = calendar::LunarFestivalName(l.year, l.month, l.day);
        if (!lunar.empty()) {
            Event e;
            e.day = n;
            e.kind = Kind::kLunarFestival;
            e.summary = Utf8(lunar);
            e.description = Utf8(LunarDateOf(n));
            e.category = Utf8("农历节日");
            e.key = "lunar-festival " + std::to_string(l.year) + " " + e.summary;
            out.push_back(std::move(e));
        }
        if (d.year != easter_year) {
            easter_year = d.year;
            easter_day = calendar::EasterDay(d.year);
        }
        for (const std::string& solar : calendar::SolarFestivalsWith(d.year, d.month, d.day, false, easter_day)) {
            Event e;
            e.day = n;
            e.kind = Kind::kSolarFestival;
            e.summary = Utf8(solar);
            e.description = Utf8("公历" + GregorianText(n) + "，" + LunarDateOf(n));
            e.category = Utf8("公历节日");
            e.key = "solar-festival " + std::to_string(d.year) + " " + e.summary;
            out.push_back(std::move(e));
        }
    }
}

void AddMonths(std::vector<Event>& out, int gregorian_year, const Days& days) {
    // The lunar year before ends in this one (its last months fall in January or February).
    for (int year = gregorian_year - 1; year <= gregorian_year; ++year) {
        astro::DayNumber n = calendar::NewYearDay(year);
        for (int place = 1; place <= calendar::LunarMonthCount(year); ++place) {
            const int month = calendar::MonthAtPlace(year, place);
            const int length = calendar::LunarMonthLength(year, month);
            if (days.Holds(n)) {
                Event e;
                e.day = n;
                e.kind = Kind::kMonth;
                e.summary = Utf8(LunarMonthDay(month, 1));
                e.description = Utf8("农历" + LunarYearName(n) + "年" + Trimmed(calendar::LunarMonthName(month)) +
                                     (length == 30 ? "，大月（30天）" : "，小月（29天）"));
                e.category = Utf8("农历月");
                e.key = "month " + std::to_string(year) + " " + std::to_string(month);
                out.push_back(std::move(e));
            }
            n += length;
        }
    }
}

// The day a yearly birthday falls on in a lunar (or Gregorian) year, moved where the year lacks
// it; InvalidDayNumber where it cannot be placed.
astro::DayNumber PlacedDay(const Birthday& b, int year, personal::PlacedDay* how = nullptr) {
    const personal::Calendar calendar = b.lunar ? personal::Calendar::kLunar : personal::Calendar::kGregorian;
    const personal::PlacedDay placed = personal::PlaceYearlyDay(calendar, year, b.month, b.day);
    if (how) *how = placed;
    if (placed.month == 0) return astro::InvalidDayNumber;
    if (!b.lunar) return astro::DateToDayNumber(year, placed.month, placed.day);
    const astro::CalendarDate d = calendar::LunarToSolar(year, placed.month, placed.day);
    return astro::DateToDayNumber(d.year, d.month, d.day);
}

// The lunar years whose days may fall in a Gregorian year: the one before ends in it.
int FirstPlacingYear(const Birthday& b, int gregorian_year) { return b.lunar ? gregorian_year - 1 : gregorian_year; }

void AddBirthday(std::vector<Event>& out, const Birthday& b, int gregorian_year, const Days& days) {
    const std::string month_day = TwoDigits(b.month) + "-" + TwoDigits(b.day);
    for (int year = FirstPlacingYear(b, gregorian_year); year <= gregorian_year; ++year) {
        personal::PlacedDay placed;
        const astro::DayNumber n = PlacedDay(b, year, &placed);
        if (n == astro::InvalidDayNumber || !days.Holds(n)) continue;
        std::string description;
        if (b.lunar) {
            description = "农历" + LunarMonthDay(b.month, b.day) + "。";
            if (placed.no_leap_month || placed.short_month) {
                description += LunarYearName(n) + "年";
                if (placed.no_leap_month) description += "没有" + Trimmed(calendar::LunarMonthName(b.month)) + "，";
                if (placed.short_month) description += Trimmed(calendar::LunarMonthName(placed.month)) + "只有二十九天，";
                description += "近似定位到" + LunarMonthDay(placed.month, placed.day) + "。";
            }
        } else {
            description = "公历" + std::to_string(b.month) + "月" + std::to_string(b.day) + "日。";
            if (placed.common_year)
                description += std::to_string(year) + "年不是闰年，近似定位到2月28日。";
            description += "这天是" + LunarDateOf(n) + "。";
        }
        Event e;
        e.day = n;
        e.kind = b.lunar ? Kind::kLunarBirthday : Kind::kSolarBirthday;
        e.summary = b.title;
        e.description = Utf8(description);
        e.category = Utf8("生日");
        e.key = std::string(b.lunar ? "lunar-birthday " : "solar-birthday ") + month_day + " " + std::to_string(year) + " " +
                b.title;
        out.push_back(std::move(e));
    }
}

// FNV-1a, 64 bits: the same key gives the same UID on every machine and in every run.
std::string Uid(const std::string& key) {
    std::uint64_t h = 14695981039346656037ULL;
    for (unsigned char c : key) {
        h ^= c;
        h *= 1099511628211ULL;
    }
    char out[40];
    std::snprintf(out, sizeof out, "%016llx@tempoline", static_cast<unsigned long long>(h));
    return out;
}

icaltimetype DateOf(astro::DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    icaltimetype t = icaltime_null_date();
    t.year = d.year;
    t.month = d.month;
    t.day = d.day;
    return t;
}

icaltimetype UtcTime(astro::DayNumber n, int second) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    icaltimetype t = icaltime_null_time();
    t.year = d.year;
    t.month = d.month;
    t.day = d.day;
    t.hour = second / 3600;
    t.minute = second / 60 % 60;
    t.second = second % 60;
    return icaltime_set_timezone(&t, icaltimezone_get_utc_timezone());
}

struct ComponentDeleter {
    void operator()(icalcomponent* c) const { icalcomponent_free(c); }
};

}  // namespace

std::string FoldedLine(std::string_view line) {
    // At most 75 octets a line before its CR LF, never inside a UTF-8 sequence; a continuation
    // starts with a blank, which counts.
    std::string out;
    std::size_t start = 0, limit = 75;
    while (line.size() - start > limit) {
        std::size_t cut = start + limit;
        while (cut > start && (static_cast<unsigned char>(line[cut]) & 0xC0) == 0x80) --cut;
        out.append(line, start, cut - start);
        out += "\r\n ";
        start = cut;
        limit = 74;
    }
    out.append(line, start, std::string_view::npos);
    return out + "\r\n";
}

std::string Refolded(std::string_view text) {
    // libical folds a line with its CR LF counted in, so a line of 74 octets comes out as
    // "...\r" "\r\n " "\n": a bare CR and a bare LF. Its folds (CR LF and a blank; an escaped
    // TEXT value holds no line break of its own) are taken out, and every line is folded again.
    std::string unfolded;
    unfolded.reserve(text.size());
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t fold = text.find("\r\n ", at);
        unfolded.append(text, at, fold == std::string_view::npos ? std::string_view::npos : fold - at);
        if (fold == std::string_view::npos) break;
        at = fold + 3;
    }
    std::string out;
    out.reserve(unfolded.size() + unfolded.size() / 64);
    for (std::size_t at = 0; at < unfolded.size();) {
        std::size_t end = unfolded.find("\r\n", at);
        if (end == std::string::npos) end = unfolded.size();
        out += FoldedLine(std::string_view(unfolded).substr(at, end - at));
        at = end + 2;
    }
    return out;
}

std::string TextLine(const std::string& name, const std::string& value) {
    std::string line = name + ":";
    for (const char c : value) {
        if (c == '\\' || c == ';' || c == ',') {
            line += '\\';
            line += c;
        } else if (c == '\n') {
            line += "\\n";
        } else if (c != '\r') {
            line += c;
        }
    }
    return FoldedLine(line);
}

namespace {

// The birthdays of a request, each once, in the order first given.
std::vector<Birthday> DistinctBirthdays(const std::vector<Birthday>& all) {
    std::vector<Birthday> out;
    std::set<std::tuple<bool, int, int, std::string>> seen;
    for (const Birthday& b : all)
        if (seen.insert({b.lunar, b.month, b.day, b.title}).second) out.push_back(b);
    return out;
}

// "2月15日" of a day ("2023年12月30日" when it lies in another year than `year`), GBK.
std::string MonthDay(astro::DayNumber n, int year) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    return (d.year == year ? std::string() : std::to_string(d.year) + "年") + std::to_string(d.month) + "月" +
           std::to_string(d.day) + "日";
}

// The public holidays whose days off begin in the Gregorian year, one event over each span ("春节（休）"),
// and the weekend days worked that fall in it ("上班（调休）"). The file's first year also takes the
// span that began before it and reaches into it (the 元旦 of 2024 began on 2023-12-30), so that
// every day off of the file's years is in the file. A span may lie in another year than its notice's
// (元旦 joined to the weekend of late December), so the notices of the years around are read too.
void AddHolidays(std::vector<Event>& out, int year, const Days& days, bool first_year) {
    const std::shared_ptr<const calendar::HolidayCalendar> holidays = calendar::Holidays();
    for (const int notice : {year - 1, year, year + 1}) {
        std::map<std::string, int> seen;  // a second span of the same name in a notice
        for (const calendar::HolidaySpan& s : holidays->SpansOf(notice)) {
            const int repeat = seen[s.name]++;
            std::string worked;
            for (std::size_t i = 0; i < s.work_days.size(); ++i) {
                const astro::CalendarDate w = astro::DayNumberToDate(s.work_days[i]);
                worked += (i == 0 ? "" : "、") + MonthDay(s.work_days[i], notice) + "（" +
                          calendar::WeekdayName(w.year, w.month, w.day) + "）";
            }
            if (days.Holds(s.first) || (first_year && s.first < days.first && s.last >= days.first)) {
                Event e;
                e.day = s.first;
                e.last = s.last;
                e.kind = Kind::kHoliday;
                e.summary = Utf8(s.name + "（休）");
                e.description = Utf8(std::to_string(notice) + "年" + s.name + "：" + MonthDay(s.first, notice) +
                                     (s.last != s.first ? "至" + MonthDay(s.last, notice) : std::string()) + "放假，共" +
                                     std::to_string(s.last - s.first + 1) + "天" +
                                     (worked.empty() ? std::string() : "；" + worked + "上班") + "（国务院办公厅通知）");
                e.category = Utf8("节假日");
                e.key = "holiday " + std::to_string(notice) + " " + e.summary + (repeat ? " " + std::to_string(repeat) : "");
                out.push_back(std::move(e));
            }
            for (const astro::DayNumber w : s.work_days) {
                if (!days.Holds(w)) continue;
                const astro::CalendarDate d = astro::DayNumberToDate(w);
                Event e;
                e.day = w;
                e.kind = Kind::kHoliday;
                e.summary = Utf8("上班（调休）");
                e.description = Utf8(std::to_string(notice) + "年" + s.name + "调休，" +
                                     calendar::WeekdayName(d.year, d.month, d.day) + "上班（国务院办公厅通知）");
                e.category = Utf8("节假日");
                e.key = "holiday-work " + std::to_string(d.year) + "-" + std::to_string(d.month) + "-" + std::to_string(d.day);
                out.push_back(std::move(e));
            }
        }
    }
}

Days DaysOfYear(int year) { return {astro::DateToDayNumber(year, 1, 1), astro::DateToDayNumber(year, 12, 31)}; }

// The events of one Gregorian year in the file's order: in time order, all-day events before the
// timed ones of their day, then in the order of the kinds (terms, festivals, months, birthdays in
// the order given).
std::vector<Event> EventsOfYear(const IcsRequest& request, const std::vector<Birthday>& birthdays, int year) {
    const Days days = DaysOfYear(year);
    std::vector<Event> events;
    if (request.terms) AddTerms(events, year);
    if (request.festivals) AddFestivals(events, days);
    if (request.holidays) AddHolidays(events, year, days, year == request.span.first);
    if (request.months) AddMonths(events, year, days);
    for (const Birthday& b : birthdays) AddBirthday(events, b, year, days);
    std::stable_sort(events.begin(), events.end(), [](const Event& a, const Event& b) {
        if (a.day != b.day) return a.day < b.day;
        return a.second < b.second;
    });
    return events;
}

icaltimetype Stamp() {
    icaltimetype stamp = icaltime_null_time();
    stamp.year = kStampYear;
    stamp.month = 1;
    stamp.day = 1;
    return icaltime_set_timezone(&stamp, icaltimezone_get_utc_timezone());
}

// One VEVENT as libical writes it.
std::string EventText(const Event& e, const std::string& uid, const icaltimetype& stamp) {
    std::unique_ptr<icalcomponent, ComponentDeleter> component(icalcomponent_new_vevent());
    icalcomponent* event = component.get();
    icalcomponent_add_property(event, icalproperty_new_uid(uid.c_str()));
    icalcomponent_add_property(event, icalproperty_new_dtstamp(stamp));
    if (e.second < 0) {
        icalcomponent_add_property(event, icalproperty_new_dtstart(DateOf(e.day)));
        icalcomponent_add_property(event, icalproperty_new_dtend(DateOf((e.last ? e.last : e.day) + 1)));
    } else {
        // An instant: DTSTART alone, an event of no duration.
        icalcomponent_add_property(event, icalproperty_new_dtstart(UtcTime(e.day, e.second)));
    }
    icalcomponent_add_property(event, icalproperty_new_summary(e.summary.c_str()));
    icalcomponent_add_property(event, icalproperty_new_description(e.description.c_str()));
    icalcomponent_add_property(event, icalproperty_new_categories(e.category.c_str()));
    // Days to know, not appointments: they leave the time free.
    icalcomponent_add_property(event, icalproperty_new_transp(ICAL_TRANSP_TRANSPARENT));
    char* text = icalcomponent_as_ical_string_r(event);
    std::string out = text ? Refolded(text) : "";
    icalmemory_free_buffer(text);
    return out;
}

// "BEGIN:VCALENDAR" and the calendar's properties, as libical writes them.
std::string Header() {
    std::unique_ptr<icalcomponent, ComponentDeleter> calendar(icalcomponent_new_vcalendar());
    icalcomponent* cal = calendar.get();
    icalcomponent_add_property(cal, icalproperty_new_version("2.0"));
    icalcomponent_add_property(cal, icalproperty_new_prodid(kProductId));
    icalcomponent_add_property(cal, icalproperty_new_calscale("GREGORIAN"));
    char* text = icalcomponent_as_ical_string_r(cal);
    std::string out = text ? Refolded(text) : "";
    icalmemory_free_buffer(text);
    const std::size_t end = out.find("END:VCALENDAR\r\n");
    return end == std::string::npos ? out : out.substr(0, end);
}

// Collects the pieces of the file and hands them on in blocks.
class BlockWriter {
public:
    explicit BlockWriter(const std::function<bool(std::string_view)>& write) : write_(write) {}
    bool Add(const std::string& text) {
        buffer_ += text;
        return buffer_.size() < kBlock || Flush();
    }
    bool Flush() {
        if (buffer_.empty()) return true;
        const bool ok = write_(buffer_);
        buffer_.clear();
        return ok;
    }

private:
    static constexpr std::size_t kBlock = 64 * 1024;
    const std::function<bool(std::string_view)>& write_;
    std::string buffer_;
};

}  // namespace

long long IcsEventCount(const IcsRequest& request) {
    const IcsSpan& span = request.span;
    IcsRequest without_birthdays = request;
    without_birthdays.birthdays.clear();
    long long count = 0;
    if (request.terms || request.festivals || request.months || request.holidays)
        for (int year = span.first; year < span.first + span.years; ++year)
            count += static_cast<long long>(EventsOfYear(without_birthdays, {}, year).size());
    // A birthday falls once in each lunar (or Gregorian) year; those of the same date fall on the
    // same days, so each date is placed once.
    std::map<std::tuple<bool, int, int>, long long> titles;
    for (const Birthday& b : DistinctBirthdays(request.birthdays)) ++titles[{b.lunar, b.month, b.day}];
    const Days all{astro::DateToDayNumber(span.first, 1, 1), astro::DateToDayNumber(span.first + span.years - 1, 12, 31)};
    for (const auto& [date, n] : titles) {
        Birthday b;
        std::tie(b.lunar, b.month, b.day) = date;
        long long days = 0;
        for (int year = FirstPlacingYear(b, span.first); year < span.first + span.years; ++year) {
            const astro::DayNumber day = PlacedDay(b, year);
            if (day != astro::InvalidDayNumber && all.Holds(day)) ++days;
        }
        count += days * n;
    }
    return count;
}

std::string IcsEmptyReason(const IcsRequest& request) {
    if (request.terms || request.festivals || request.months) return {};
    const IcsSpan& span = request.span;
    const std::vector<Birthday> birthdays = DistinctBirthdays(request.birthdays);
    std::vector<int> years;
    for (int year = span.first; year < span.first + span.years; ++year) {
        if (!EventsOfYear(request, birthdays, year).empty()) return {};
        years.push_back(year);
    }
    std::string why = "the calendar of " + YearRunsText(years) + " would hold no event";
    if (request.holidays)
        why += ": the public holiday table holds " + YearRunsText(calendar::Holidays()->Table().years);
    return why;
}

std::vector<int> IcsYearsWithoutHolidays(const IcsRequest& request) {
    std::vector<int> years;
    for (int year = request.span.first; year < request.span.first + request.span.years; ++year) {
        std::vector<Event> events;
        AddHolidays(events, year, DaysOfYear(year), year == request.span.first);
        if (events.empty()) years.push_back(year);
    }
    return years;
}

bool WriteIcsCalendar(const IcsRequest& request, const std::function<bool(std::string_view)>& write) {
    const IcsSpan& span = request.span;
    const std::vector<Birthday> birthdays = DistinctBirthdays(request.birthdays);
    const icaltimetype stamp = Stamp();
    BlockWriter out(write);
    // The calendar's name goes after the header. libical leaves "," and ";" of an X- property as
    // they are (they may be structured there), so the line is written here, as TEXT.
    if (!out.Add(Header() + TextLine("X-WR-CALNAME", request.name))) return false;
    for (int year = span.first; year < span.first + span.years; ++year) {
        // The same event twice (it cannot be, but a UID must not repeat) is written once.
        std::set<std::string> uids;
        for (const Event& e : EventsOfYear(request, birthdays, year)) {
            const std::string uid = Uid(e.key);
            if (!uids.insert(uid).second) continue;
            if (!out.Add(EventText(e, uid, stamp))) return false;
        }
    }
    return out.Add("END:VCALENDAR\r\n") && out.Flush();
}

std::string IcsCalendar(const IcsRequest& request) {
    std::string out;
    WriteIcsCalendar(request, [&out](std::string_view piece) {
        out.append(piece);
        return true;
    });
    return out;
}

}  // namespace cli
