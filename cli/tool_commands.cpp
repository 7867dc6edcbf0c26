#include <memory>

#include <atomic>
#include <csignal>
#include <cstdio>
#include <iostream>
#include <string>

#ifdef _WIN32
#include <io.h>
#define TEMPO_ISATTY(fd) _isatty(fd)
#define TEMPO_FILENO(f) _fileno(f)
#else
#include <unistd.h>
#define TEMPO_ISATTY(fd) isatty(fd)
#define TEMPO_FILENO(f) fileno(f)
#endif

#include "calendar/cycles.h"
#include "calendar/hijri.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "cli/arguments.h"
#include "cli/common.h"
#include "text/encoding.h"
#include "tools/condition_queries.h"
#include "tools/date_tools.h"
#include "tools/yearly_tables.h"

namespace cli {

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnInterrupt(int) { g_stop.store(true); }

tools::EntryCalendar CalendarOf(const std::string& name) {
    if (name == "lunar") return tools::EntryCalendar::kLunar;
    if (name == "hijri") return tools::EntryCalendar::kHijri;
    return tools::EntryCalendar::kGregorian;
}

tools::EnteredDate Entered(const std::string& text, bool bc, const std::string& calendar) {
    tools::EnteredDate d = tools::ParseEnteredDate(text, bc, CalendarOf(calendar));
    if (!d.ok()) throw UsageError{Quoted(text) + ": " + Utf8(d.message)};
    return d;
}

// A result the tools leave empty is an error on the command line, with the tools' reason.
void CheckResult(const tools::ThreeCalendars& t) {
    if (t.gregorian.empty()) throw UsageError{Utf8(t.message.empty() ? "没有结果" : t.message)};
}

class ProgressBar {
public:
    explicit ProgressBar(bool enabled) : enabled_(enabled) {}
    ~ProgressBar() {
        if (enabled_ && shown_) std::fprintf(stderr, "\r%60s\r", "");
    }
    void Show(double fraction) {
        if (!enabled_) return;
        const int permille = static_cast<int>(fraction * 1000);
        if (permille == last_) return;
        last_ = permille;
        shown_ = true;
        const int width = 40;
        const int filled = static_cast<int>(fraction * width);
        std::fprintf(stderr, "\r[%s%s] %5.1f%%", std::string(filled, '#').c_str(),
                     std::string(width - filled, '.').c_str(), fraction * 100);
        std::fflush(stderr);
    }

private:
    bool enabled_;
    bool shown_ = false;
    int last_ = -1;
};

// While a query runs and its result is printed, Ctrl+C raises the stop flag instead of ending the
// program: the search stops as with the window's stop button and what was found is printed.
class InterruptStopsSearch {
public:
    InterruptStopsSearch() {
        g_stop.store(false);
        previous_ = std::signal(SIGINT, OnInterrupt);
    }
    ~InterruptStopsSearch() { std::signal(SIGINT, previous_ == SIG_ERR ? SIG_DFL : previous_); }
    InterruptStopsSearch(const InterruptStopsSearch&) = delete;
    InterruptStopsSearch& operator=(const InterruptStopsSearch&) = delete;

private:
    void (*previous_)(int) = SIG_DFL;
};

// Runs a search with a progress bar when stderr is a terminal.
template <typename Search>
tools::QueryResult RunSearch(Search search) {
    ProgressBar bar(TEMPO_ISATTY(TEMPO_FILENO(stderr)) != 0);
    return search([&](const std::string&, double fraction) { bar.Show(fraction); }, &g_stop);
}

// --- tempo table ------------------------------------------------------------------------------------

void AddTable(Commands& c) {
    struct Options {
        std::string kind;
        long long year = 0;
        bool bc = false;
        std::string place = "1/1";
        bool twilight = false;
    };
    auto o = std::make_shared<Options>();
    CLI::App* cmd = c.Add("table", "A yearly table as the tools window shows it", [&c, o] {
        const int year = EnteredYear(o->year, o->bc);
        const bool as_json = c.as_json;
        if (o->kind == "lunar-months") {
            const std::string text = tools::LunarMonthsTable(year);
            if (!as_json) return PrintText(text);
            json months = json::array();
            for (int place = 1; place <= calendar::LunarMonthCount(year); ++place) {
                const int m = calendar::MonthAtPlace(year, place);
                const astro::CalendarDate first = calendar::LunarToSolar(year, m, 1);
                const int length = calendar::LunarMonthLength(year, m);
                const astro::CalendarDate last = calendar::LunarToSolar(year, m, length);
                months.push_back({{"month", m},
                                  {"name", Utf8(TrimBlanks(calendar::LunarMonthName(m)))},
                                  {"big", length == 30},
                                  {"first", astro::FormatDateText(first.year, first.month, first.day)},
                                  {"last", astro::FormatDateText(last.year, last.month, last.day)}});
            }
            PrintJson({{"year", year}, {"months", months}, {"text", Utf8(text)}});
        } else if (o->kind == "solar-terms") {
            if (!as_json) return PrintText(tools::SolarTermsTable(year));
            json terms = json::array();
            for (const tools::TableEntry& t : tools::SolarTermsOfYear(year))
                terms.push_back({{"name", Utf8(calendar::SolarTermNames[t.index])},
                                 {"index", t.index},
                                 {"local", astro::JulianDayToDateTimeText(t.when)}});
            PrintJson({{"year", year}, {"terms", terms}, {"text", Utf8(tools::SolarTermsTable(year))}});
        } else if (o->kind == "moons") {
            if (!as_json) return PrintText(tools::MoonsTable(year));
            json phases = json::array();
            for (const tools::TableEntry& p : tools::MoonPhasesOfYear(year))
                if (p.in_year)
                    phases.push_back({{"phase", p.index == 0 ? "new" : "full"},
                                      {"local", astro::JulianDayToDateTimeText(p.when)}});
            PrintJson({{"year", year}, {"phases", phases}, {"text", Utf8(tools::MoonsTable(year))}});
        } else {
            const places::CityRecord place = ParsePlace(o->place);
            const std::string text = tools::SunTimesTable(year, place.province, place.city, o->twilight);
            if (as_json)
                PrintJson({{"year", year}, {"text", Utf8(text)}});
            else
                PrintText(text);
        }
    });
    cmd->add_option("KIND", o->kind, "lunar-months, solar-terms, moons or sun-times")
        ->required()
        ->check(CLI::IsMember({"lunar-months", "solar-terms", "moons", "sun-times"}));
    cmd->add_option("YEAR", o->year, "the year, -8999..9000 (with --bc: the year before Christ, 1..9000)")
        ->required()
        ->check(WholeNumber(-kAnyWhole, kAnyWhole));
    cmd->add_flag("--bc", o->bc, Utf8("the year is before Christ (纪元前)"));
    cmd->add_option("--place", o->place, Utf8("sun-times: P/C by indexes or names (北京/天安门); default 1/1"));
    cmd->add_flag("--twilight", o->twilight, "sun-times: dawn and dusk instead of sunrise and sunset");
    c.TakesRuleFlag(cmd);
}

// --- tempo tool -------------------------------------------------------------------------------------

struct DateOptions {
    std::string date;
    bool bc = false;
    std::string calendar = "gregorian";
};

// The entry of the tools' dates: MM-DD-YYYY, 纪元前 and the calendar it is written in.
void AddDateOptions(CLI::App* cmd, DateOptions& o) {
    cmd->add_option("DATE", o.date, "MM-DD-YYYY")->required();
    cmd->add_flag("--bc", o.bc, Utf8("the year is before Christ (纪元前)"));
    cmd->add_option("--calendar", o.calendar, "gregorian, lunar (leap month = month + 12) or hijri")
        ->check(CLI::IsMember({"gregorian", "lunar", "hijri"}));
}

void PrintThreeCalendars(const tools::ThreeCalendars& t, bool as_json) {
    CheckResult(t);
    if (as_json) return PrintJson({{"gregorian", t.gregorian}, {"lunar", t.lunar}, {"hijri", t.hijri}});
    PrintLine("公历日期 " + t.gregorian);
    PrintLine("农历日期 " + t.lunar);
    PrintLine("回历日期 " + t.hijri);
}

void AddTools(Commands& c) {
    CLI::App* tool = c.Add("tool", "The date tools (dates as MM-DD-YYYY)", [] {});
    tool->require_subcommand(1);

    auto jd = std::make_shared<DateOptions>();
    AddDateOptions(c.Add("jd", Utf8("计算儒略日: the Julian day number of a date"), [&c, jd] {
        const tools::EnteredDate date = Entered(jd->date, jd->bc, jd->calendar);
        if (c.as_json)
            PrintJson({{"day_number", date.day}, {"text", tools::JulianDayResult(date)}});
        else
            PrintLine("儒略日数 " + tools::JulianDayResult(date));
    }, tool), *jd);

    struct Interval : DateOptions {
        std::string date2;
        bool bc2 = false;
        std::string calendar2 = "gregorian";
        std::string days;
    };
    auto iv = std::make_shared<Interval>();
    CLI::App* interval = c.Add("interval", Utf8("计算间隔日: days between two dates, or the date N days on"), [&c, iv] {
        const tools::EnteredDate date = Entered(iv->date, iv->bc, iv->calendar);
        if (!iv->days.empty()) {
            if (!iv->date2.empty()) throw UsageError{"give either DATE2 or --days, not both"};
            return PrintThreeCalendars(tools::DateAfterDays(date, iv->days), c.as_json);
        }
        if (iv->date2.empty()) throw UsageError{"interval wants DATE2 or --days N"};
        const tools::EnteredDate second = Entered(iv->date2, iv->bc2, iv->calendar2);
        const std::string days = tools::IntervalResult(date, second);
        if (c.as_json)
            PrintJson({{"days", second.day - date.day}, {"text", days}});
        else
            PrintLine("间隔日数 " + days);
    }, tool);
    AddDateOptions(interval, *iv);
    interval->add_option("DATE2", iv->date2, "the second date (MM-DD-YYYY)");
    interval->add_flag("--bc2", iv->bc2, "the second date is before Christ");
    interval->add_option("--calendar2", iv->calendar2, "calendar of the second date")
        ->check(CLI::IsMember({"gregorian", "lunar", "hijri"}));
    interval->add_option("--days", iv->days, "instead of DATE2: a whole number of days (may be negative)");

    struct GanZhi : DateOptions {
        bool from_chunjie = false;
    };
    auto gz = std::make_shared<GanZhi>();
    CLI::App* ganzhi = c.Add("ganzhi", Utf8("计算干支历: the sexagenary date"), [&c, gz] {
        const tools::EnteredDate date = Entered(gz->date, gz->bc, gz->calendar);
        const std::string text =
            tools::GanZhiResult(date, gz->from_chunjie ? calendar::kYearFromSpringFestival : calendar::kYearFromLichun);
        if (c.as_json)
            PrintJson({{"ganzhi", Utf8(text)}});
        else
            PrintLine("干支历 " + text);
    }, tool);
    AddDateOptions(ganzhi, *gz);
    ganzhi->add_flag("--ganzhi-from-chunjie", gz->from_chunjie,
                     Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));

    auto cv = std::make_shared<DateOptions>();
    AddDateOptions(c.Add("convert", Utf8("公历农历回历互转: the date in the three calendars"), [&c, cv] {
        PrintThreeCalendars(tools::ConvertResult(Entered(cv->date, cv->bc, cv->calendar)), c.as_json);
    }, tool), *cv);
    for (CLI::App* sub : tool->get_subcommands([](CLI::App*) { return true; })) c.TakesRuleFlag(sub);
}

// --- tempo query ------------------------------------------------------------------------------------

struct SpanOptions {
    long long from = 0;
    bool bc = false;
    long long years = 0;
};

void AddSpanOptions(CLI::App* cmd, SpanOptions& o) {
    cmd->add_option("--from", o.from, "the first year, -8999..9000 (with --bc: before Christ, 1..9000)")->required()->check(WholeNumber(-kAnyWhole, kAnyWhole));
    cmd->add_flag("--bc", o.bc, "the first year is before Christ");
    cmd->add_option("--years", o.years, "how many years (at most 100; more are cut to 100)")
        ->required()
        ->check(WholeNumber(1, kAnyWhole));
}

template <typename Result>
void PrintQuery(const Result& r, const QuerySpan& span, bool as_json, const json& hits) {
    if (span.cut) std::cerr << "tempo: " << Utf8("查询年份范围最多100年，已按100年查询") << "\n";
    if (as_json)
        PrintJson({{"years", r.years}, {"stopped", r.stopped}, {"hits", hits}, {"text", Utf8(r.text)}});
    else
        PrintText(r.text);
}

void AddQueries(Commands& c) {
    CLI::App* query = c.Add("query", "Condition queries over up to 100 years", [] {});
    query->require_subcommand(1);

    struct Days : SpanOptions {
        DayQueryOptions criteria;
        bool from_chunjie = false;
    };
    auto d = std::make_shared<Days>();
    CLI::App* days = c.Add("days", Utf8("查询条件日: the days that meet every given condition"), [&c, d] {
        const QuerySpan span = QueryYears(d->from, d->bc, d->years);
        const tools::DayCriteria k = DayCriteriaOf(d->criteria);
        const int mode = d->from_chunjie ? calendar::kYearFromSpringFestival : calendar::kYearFromLichun;
        const InterruptStopsSearch interrupt;
        const tools::QueryResult r = RunSearch([&](const tools::QueryProgress& progress, const std::atomic<bool>* stop) {
            return tools::QueryDays(span.first, span.years, k, mode, progress, stop);
        });
        json hits = json::array();
        for (astro::DayNumber day : r.days) hits.push_back(astro::DayNumberToDateText(day));
        PrintQuery(r, span, c.as_json, hits);
    }, query);
    AddSpanOptions(days, *d);
    days->add_option("--solar-month", d->criteria.solar_month, "Gregorian month 1..12");
    days->add_option("--solar-day", d->criteria.solar_day, "Gregorian day 1..31");
    days->add_option("--lunar-month", d->criteria.lunar_month, "lunar month 1..24 (leap months as month + 12)");
    days->add_option("--lunar-day", d->criteria.lunar_day, "lunar day 1..30");
    days->add_option("--hijri-month", d->criteria.hijri_month, "Hijri month 1..12");
    days->add_option("--hijri-day", d->criteria.hijri_day, "Hijri day 1..30");
    days->add_option("--ganzhi-year", d->criteria.ganzhi_year, Utf8("sexagenary year: 1..60 or a name such as 甲子"));
    days->add_option("--ganzhi-month", d->criteria.ganzhi_month, "sexagenary month: 1..60 or a name");
    days->add_option("--ganzhi-day", d->criteria.ganzhi_day, "sexagenary day: 1..60 or a name");
    days->add_option("--weekday", d->criteria.weekday, Utf8("1 (星期一) .. 7 (星期日), or the name"));
    days->add_option("--term", d->criteria.term, Utf8("the day of a solar term: 1 (小寒) .. 24 (冬至), or the name"));
    days->add_option("--festival", d->criteria.festival, Utf8("a festival name the day's festivals contain, e.g. 春节"));
    days->add_flag("--ganzhi-from-chunjie", d->from_chunjie,
                   Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));

    struct Months : SpanOptions {
        MonthQueryOptions condition;
    };
    auto m = std::make_shared<Months>();
    CLI::App* months = c.Add("months", Utf8("查询条件月: leap months, or runs of big or small months"), [&c, m] {
        const QuerySpan span = QueryYears(m->from, m->bc, m->years);
        const tools::MonthCondition condition = MonthConditionOf(m->condition);
        const InterruptStopsSearch interrupt;
        const tools::QueryResult r = RunSearch([&](const tools::QueryProgress& progress, const std::atomic<bool>* stop) {
            return tools::QueryMonths(span.first, span.years, condition, static_cast<int>(m->condition.base_month), progress, stop);
        });
        json hits = json::array();
        for (const auto& group : r.months) {
            json firsts = json::array();
            for (astro::DayNumber first : group) firsts.push_back(astro::DayNumberToDateText(first));
            hits.push_back(firsts);
        }
        PrintQuery(r, span, c.as_json, hits);
    }, query);
    AddSpanOptions(months, *m);
    months->add_flag("--leap", m->condition.leap, "leap months");
    months->add_option("--base-month", m->condition.base_month, "with --leap: only leap months after this month (1..12)")
        ->check(WholeNumber(1, 12));
    months->add_flag("--three-big", m->condition.three_big, "three big months in a row");
    months->add_flag("--three-small", m->condition.three_small, "three small months in a row");
    months->add_flag("--four-big", m->condition.four_big, "four big months in a row");
    for (CLI::App* sub : {days, months}) c.TakesRuleFlag(sub);
}

}  // namespace

void AddToolCommands(Commands& commands) {
    AddTable(commands);
    AddTools(commands);
    AddQueries(commands);
}

}  // namespace cli
