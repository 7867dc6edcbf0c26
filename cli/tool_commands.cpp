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
#include "calendar/holidays.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "cli/arguments.h"
#include "cli/common.h"
#include "cli/date_arg.h"
#include "text/encoding.h"
#include "tools/condition_queries.h"
#include "tools/date_tools.h"
#include "tools/yearly_tables.h"

namespace cli {

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnInterrupt(int) { g_stop.store(true); }

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

const std::string kYearHelp = "the year, -8999..9000 (0 is 1 BC), or with --bc the year before Christ, 1..9000";

void AddTable(Commands& c) {
    Command& cmd = c.Add("table", "a yearly table as the tools window shows it");
    const Argument& kind = cmd.Positional("KIND", "the table: lunar-months, solar-terms, moons or sun-times", true);
    const Argument& year = cmd.Positional("YEAR", kYearHelp, true);
    const Argument& bc = cmd.Flag("--bc", Utf8("YEAR is a year before Christ (纪元前)"));
    const Argument& place = cmd.Option("--place", "P/C", "sun-times only: " + Utf8(kPlaceHelp) + "; default 1/1");
    const Argument& twilight = cmd.Flag("--twilight", "sun-times only: dawn and dusk instead of sunrise and sunset");
    cmd.Example(Utf8("tempo table sun-times 2024 --place 北京/天安门 --twilight"));
    c.TakesRuleFlag(cmd);
    cmd.run = [&c, &kind, &year, &bc, &place, &twilight] {
        const std::string k = kind.OneOf({"lunar-months", "solar-terms", "moons", "sun-times"});
        const int y = EnteredYear(year.WholeNumber(-kAnyWhole, kAnyWhole), bc.given(), "YEAR");
        if (k != "sun-times") {
            if (place.given()) place.Refuse("does not apply to " + k + " (only to sun-times)");
            if (twilight.given()) twilight.Refuse("does not apply to " + k + " (only to sun-times)");
        }
        const bool as_json = c.as_json;
        if (k == "lunar-months") {
            const std::string text = tools::LunarMonthsTable(y);
            if (!as_json) return PrintText(text);
            json months = json::array();
            for (int at = 1; at <= calendar::LunarMonthCount(y); ++at) {
                const int m = calendar::MonthAtPlace(y, at);
                const astro::CalendarDate first = calendar::LunarToSolar(y, m, 1);
                const int length = calendar::LunarMonthLength(y, m);
                const astro::CalendarDate last = calendar::LunarToSolar(y, m, length);
                months.push_back({{"month", m},
                                  {"name", Utf8(TrimBlanks(calendar::LunarMonthName(m)))},
                                  {"big", length == 30},
                                  {"days", length},
                                  {"first", astro::FormatDateText(first.year, first.month, first.day)},
                                  {"last", astro::FormatDateText(last.year, last.month, last.day)},
                                  {"first_iso", IsoDate(first.year, first.month, first.day)},
                                  {"last_iso", IsoDate(last.year, last.month, last.day)}});
            }
            PrintJson({{"year", y}, {"months", months}, {"text", Utf8(text)}});
        } else if (k == "solar-terms") {
            if (!as_json) return PrintText(tools::SolarTermsTable(y));
            json terms = json::array();
            for (const tools::TableEntry& t : tools::SolarTermsOfYear(y))
                terms.push_back({{"name", Utf8(calendar::SolarTermNames[t.index])},
                                 {"index", t.index},
                                 {"local", astro::JulianDayToDateTimeText(t.when)},
                                 {"iso", IsoLocalTime(t.when)}});
            PrintJson({{"year", y}, {"terms", terms}, {"text", Utf8(tools::SolarTermsTable(y))}});
        } else if (k == "moons") {
            if (!as_json) return PrintText(tools::MoonsTable(y));
            json phases = json::array();
            for (const tools::TableEntry& p : tools::MoonPhasesOfYear(y))
                if (p.in_year)
                    phases.push_back({{"phase", p.index == 0 ? "new" : "full"},
                                      {"local", astro::JulianDayToDateTimeText(p.when)},
                                      {"iso", IsoLocalTime(p.when)}});
            PrintJson({{"year", y}, {"phases", phases}, {"text", Utf8(tools::MoonsTable(y))}});
        } else {
            const places::CityRecord where = place.given() ? ParsePlace(place) : places::CityRecordOf(1, 1);
            const std::string text = tools::SunTimesTable(y, where.province, where.city, twilight.given());
            if (as_json)
                PrintJson({{"year", y},
                           {"place", {{"province", where.province}, {"city", where.city}, {"name", Utf8(where.name)}}},
                           {"text", Utf8(text)}});
            else
                PrintText(text);
        }
    };
}

// --- tempo tool -------------------------------------------------------------------------------------

// The entry of a tool's date: the date, 纪元前 and the calendar it is written in.
struct DateEntry {
    const Argument* date;
    const Argument* bc;
    const Argument* calendar;
};

const std::string kToolDateHelp =
    std::string("MM-DD-YYYY as the tools window takes it (02-10-2024; the era by --bc), or ") + kDateForms;

DateEntry AddDateEntry(Command& cmd, const std::string& date_name, const std::string& suffix, bool required) {
    DateEntry e;
    e.date = &cmd.Positional(date_name, "the " + std::string(suffix.empty() ? "" : "second ") + "date: " + kToolDateHelp,
                             required);
    e.bc = &cmd.Flag("--bc" + suffix, Utf8("the year of the MM-DD-YYYY " + date_name + " is before Christ (纪元前)"));
    e.calendar = &cmd.Option("--calendar" + suffix, "CALENDAR",
                             "the calendar " + date_name + " is written in: " + kCalendarHelp + "; default gregorian");
    return e;
}

// The day of an entered date.
tools::EnteredDate Entered(const DateEntry& e) {
    astro::CalendarDate fields;
    std::string error;
    DateForm form = DateForm::kIso;
    if (!ParseDateFields(e.date->text(), fields, error, true, &form)) e.date->Refuse(error);
    if (form != DateForm::kMonthFirst && e.bc->given())
        e.bc->Refuse("does not apply to " + Quoted(e.date->text()) + ", which gives its own era");
    if (form == DateForm::kMonthFirst && e.bc->given()) fields.year = 1 - fields.year;
    tools::EnteredDate out;
    out.day = DayOfDate(*e.date, CalendarArg(*e.calendar), fields);
    return out;
}

void PrintThreeCalendars(astro::DayNumber n, bool as_json) {
    const json three = ThreeCalendarsJson(n);
    if (as_json) return PrintJson(three);
    PrintLine("公历日期 " + text::Utf8ToGbk(three["gregorian"].get<std::string>()));
    PrintLine("农历日期 " + text::Utf8ToGbk(three["lunar"].get<std::string>()));
    PrintLine("回历日期 " + text::Utf8ToGbk(three["hijri"].get<std::string>()));
}

void AddTools(Commands& c) {
    Command& tool = c.Add("tool", "the date tools: jd, interval, workdays, ganzhi and convert");
    tool.Example("tempo tool interval 01-01-2000 02-10-2024", kToolDateHelp);

    Command& jd = c.Add("jd", Utf8("计算儒略日: the Julian day number of a date"), &tool);
    const DateEntry jd_date = AddDateEntry(jd, "DATE", "", true);
    jd.Example("tempo tool jd 02-10-2024", kToolDateHelp);
    jd.run = [&c, jd_date] {
        const tools::EnteredDate date = Entered(jd_date);
        if (c.as_json)
            PrintJson({{"day_number", date.day},
                       {"text", tools::JulianDayResult(date)},
                       {"date", astro::DayNumberToDateText(date.day)},
                       {"iso", IsoOf(date.day)}});
        else
            PrintLine("儒略日数 " + tools::JulianDayResult(date));
    };

    Command& interval = c.Add("interval", Utf8("计算间隔日: the days between two dates, or the date N days on"), &tool);
    const DateEntry first = AddDateEntry(interval, "DATE", "", true);
    const DateEntry second = AddDateEntry(interval, "DATE2", "2", false);
    const Argument& days = interval.Option(
        "--days", "N", "instead of DATE2: a whole number of days, -999999999..999999999 (negative goes back)");
    interval.Example("tempo tool interval 01-01-2000 --days 8806", kToolDateHelp);
    interval.run = [&c, first, second, &days] {
        const tools::EnteredDate date = Entered(first);
        if (days.given()) {
            if (second.date->given()) days.Refuse("does not apply with DATE2: give DATE2 or --days");
            if (second.bc->given()) second.bc->Refuse("does not apply without DATE2");
            if (second.calendar->given()) second.calendar->Refuse("does not apply without DATE2");
            const long long n = days.WholeNumber(-999999999, 999999999);
            const long long target = date.day + n;
            if (target > LastCalendarDay())
                days.RefuseTyped("is out of range: that many days on is after the calendar's last day 9000-12-31");
            if (target < FirstCalendarDay())
                days.RefuseTyped("is out of range: that many days back is before the calendar's first day -8999-01-01");
            return PrintThreeCalendars(static_cast<astro::DayNumber>(target), c.as_json);
        }
        if (!second.date->given()) second.date->Refuse("is missing: give DATE2 or --days N");
        const tools::EnteredDate other = Entered(second);
        const std::string text = tools::IntervalResult(date, other);
        if (c.as_json)
            PrintJson({{"days", static_cast<long long>(other.day) - date.day},
                       {"text", text},
                       {"from", DayJson(date.day)},
                       {"to", DayJson(other.day)}});
        else
            PrintLine("间隔日数 " + text);
    };

    Command& workdays = c.Add(
        "workdays", Utf8("the date N working days after DATE (or before it), under the public holiday arrangement"), &tool);
    const DateEntry wd_date = AddDateEntry(workdays, "DATE", "", true);
    const Argument& wd_days = workdays.Option(
        "--days", "N", Utf8("working days to count, -100000..100000 (negative goes back); weekends and days off (休) "
                            "are skipped, make-up working days (班) counted"));
    const Argument& wd_holidays = AddHolidaysFile(workdays);
    workdays.Example("tempo tool workdays 2026-02-13 --days 2", kToolDateHelp);
    workdays.run = [&c, wd_date, &wd_days, &wd_holidays] {
        UseHolidayTable(wd_holidays);
        const tools::EnteredDate date = Entered(wd_date);
        if (!wd_days.given()) wd_days.Refuse("is missing: give the number of working days, e.g. --days 10");
        const long long n = wd_days.WholeNumber(-100000, 100000);
        const std::shared_ptr<const calendar::HolidayCalendar> holidays = calendar::Holidays();
        const int year = astro::DayNumberToDate(date.day).year;
        if (!holidays->HoldsYear(year))
            wd_date.date->RefuseTyped("lies in " + std::to_string(year) +
                                      ", a year the public holiday table does not hold (it holds " + HeldYearsText() +
                                      "; a newer table: --holidays-file FILE)");
        astro::DayNumber result = 0;
        if (!holidays->AddWorkdays(date.day, n, result))
            wd_days.RefuseTyped(std::string("working days ") + (n < 0 ? "back" : "on") +
                                " need a year the public holiday table does not hold (it holds " + HeldYearsText() +
                                "; a newer table: --holidays-file FILE)");
        const astro::CalendarDate d = astro::DayNumberToDate(result);
        const std::string weekday = calendar::WeekdayName(d.year, d.month, d.day);
        if (c.as_json)
            return PrintJson({{"from", DayJson(date.day)},
                              {"workdays", n},
                              {"date", DayJson(result)},
                              {"weekday", Utf8(weekday)},
                              {"holiday", HolidayJson(result)}});
        PrintLine("公历日期 " + astro::DayNumberToDateText(result) + " " + weekday);
    };

    Command& ganzhi = c.Add("ganzhi", Utf8("计算干支历: the sexagenary date"), &tool);
    const DateEntry gz_date = AddDateEntry(ganzhi, "DATE", "", true);
    const Argument& chunjie =
        ganzhi.Flag("--ganzhi-from-chunjie", Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));
    ganzhi.Example("tempo tool ganzhi 02-10-2024", kToolDateHelp);
    ganzhi.run = [&c, gz_date, &chunjie] {
        const tools::EnteredDate date = Entered(gz_date);
        const std::string text =
            tools::GanZhiResult(date, chunjie.given() ? calendar::kYearFromSpringFestival : calendar::kYearFromLichun);
        if (c.as_json)
            PrintJson({{"ganzhi", Utf8(text)}, {"date", astro::DayNumberToDateText(date.day)}, {"iso", IsoOf(date.day)}});
        else
            PrintLine("干支历 " + text);
    };

    Command& convert = c.Add("convert", Utf8("公历农历回历互转: the date in the three calendars"), &tool);
    const DateEntry cv_date = AddDateEntry(convert, "DATE", "", true);
    convert.Example("tempo tool convert 14-01-2023 --calendar lunar", kToolDateHelp);
    convert.run = [&c, cv_date] { PrintThreeCalendars(Entered(cv_date).day, c.as_json); };

    for (Command* sub : {&jd, &interval, &ganzhi, &convert}) c.TakesRuleFlag(*sub);
}

// --- tempo query ------------------------------------------------------------------------------------

struct SpanArguments {
    const Argument* from;
    const Argument* bc;
    const Argument* years;
};

SpanArguments AddSpan(Command& cmd) {
    return {&cmd.Option("--from", "YEAR", kYearHelp + "; the first year searched", true),
            &cmd.Flag("--bc", Utf8("the --from year is before Christ (纪元前)")),
            &cmd.Option("--years", "N", "how many years, from 1 (more than 100 are cut to 100)", true)};
}

QuerySpan SpanOf(const SpanArguments& s) {
    return QueryYears(s.from->WholeNumber(-kAnyWhole, kAnyWhole), s.bc->given(), s.years->WholeNumber(1, kAnyWhole));
}

template <typename Result>
void PrintQuery(const Result& r, const QuerySpan& span, bool as_json, const json& hits, const json& hits_iso) {
    if (span.cut) std::cerr << "tempo: a query searches at most 100 years; the first 100 were searched\n";
    if (as_json)
        PrintJson({{"years", r.years}, {"stopped", r.stopped}, {"hits", hits}, {"hits_iso", hits_iso}, {"text", Utf8(r.text)}});
    else
        PrintText(r.text);
}

void AddQueries(Commands& c) {
    Command& query = c.Add("query", "condition queries over up to 100 years: days and months");
    query.Example(Utf8("tempo query days --from 2024 --years 10 --festival 中秋节 --weekday 星期日"));

    Command& days = c.Add("days", Utf8("查询条件日: the days that meet every condition given"), &query);
    const SpanArguments span = AddSpan(days);
    struct Criterion {
        const char* name;
        const Argument* arg;
    };
    std::vector<Criterion> criteria = {
        {"--solar-month", &days.Option("--solar-month", "M", "the Gregorian month, 1..12")},
        {"--solar-day", &days.Option("--solar-day", "D", "the day of the Gregorian month, 1..31")},
        {"--lunar-month", &days.Option("--lunar-month", "M", "the lunar month, 1..24 (a leap month is month + 12)")},
        {"--lunar-day", &days.Option("--lunar-day", "D", "the day of the lunar month, 1..30")},
        {"--hijri-month", &days.Option("--hijri-month", "M", "the Hijri month, 1..12")},
        {"--hijri-day", &days.Option("--hijri-day", "D", "the day of the Hijri month, 1..30")},
        {"--ganzhi-year", &days.Option("--ganzhi-year", "GZ", Utf8("the sexagenary year: 1..60 or a name such as 甲子"))},
        {"--ganzhi-month", &days.Option("--ganzhi-month", "GZ", Utf8("the sexagenary month: 1..60 or a name such as 甲子"))},
        {"--ganzhi-day", &days.Option("--ganzhi-day", "GZ", Utf8("the sexagenary day: 1..60 or a name such as 甲子"))},
        {"--weekday", &days.Option("--weekday", "W", Utf8("the weekday: 1 (星期一) .. 7 (星期日), or the name"))},
        {"--term", &days.Option("--term", "T", Utf8("the day of a solar term: 1 (小寒) .. 24 (冬至), or the name"))},
        {"--festival", &days.Option("--festival", "NAME", Utf8("a festival the day has, by its name (春节, 中秋节 ...)"))},
    };
    const Argument& chunjie =
        days.Flag("--ganzhi-from-chunjie", Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));
    days.Example(Utf8("tempo query days --from 2024 --years 10 --festival 中秋节 --weekday 星期日"));
    days.run = [&c, span, criteria, &chunjie] {
        const QuerySpan years = SpanOf(span);
        DayQueryOptions o;
        std::string* fields[] = {&o.solar_month, &o.solar_day, &o.lunar_month, &o.lunar_day,
                                 &o.hijri_month, &o.hijri_day, &o.ganzhi_year, &o.ganzhi_month,
                                 &o.ganzhi_day,  &o.weekday,   &o.term,        &o.festival};
        for (size_t i = 0; i < criteria.size(); ++i) {
            const Argument& a = *criteria[i].arg;
            if (a.given() && a.text().empty()) a.Refuse("is empty");
            *fields[i] = a.TextOr("");
        }
        const Argument& festival = *criteria.back().arg;
        if (festival.given()) {
            std::string names;
            bool known = false;
            for (const std::string& name : tools::QueryFestivalNames()) {
                names += (names.empty() ? "" : ", ") + Utf8(name);
                known = known || Utf8(name) == festival.text();
            }
            if (!known) festival.RefuseTyped("is no festival the calendar knows; the festivals are " + names);
        }
        const tools::DayCriteria k = DayCriteriaOf(o);
        const int mode = chunjie.given() ? calendar::kYearFromSpringFestival : calendar::kYearFromLichun;
        const InterruptStopsSearch interrupt;
        const tools::QueryResult r = RunSearch([&](const tools::QueryProgress& progress, const std::atomic<bool>* stop) {
            return tools::QueryDays(years.first, years.years, k, mode, progress, stop);
        });
        json hits = json::array();
        json hits_iso = json::array();
        for (astro::DayNumber day : r.days) {
            hits.push_back(astro::DayNumberToDateText(day));
            hits_iso.push_back(IsoOf(day));
        }
        PrintQuery(r, years, c.as_json, hits, hits_iso);
    };

    Command& months = c.Add("months", Utf8("查询条件月: leap months, or runs of big or small months"), &query);
    const SpanArguments mspan = AddSpan(months);
    const Argument& leap = months.Flag("--leap", "the leap months");
    const Argument& base = months.Option("--base-month", "M", "with --leap: only the leap months after month M, 1..12");
    const Argument& three_big = months.Flag("--three-big", "three big months (30 days) in a row");
    const Argument& three_small = months.Flag("--three-small", "three small months (29 days) in a row");
    const Argument& four_big = months.Flag("--four-big", "four big months in a row");
    months.Example("tempo query months --from 1900 --years 100 --leap");
    months.run = [&c, mspan, &leap, &base, &three_big, &three_small, &four_big] {
        const QuerySpan years = SpanOf(mspan);
        MonthQueryOptions o;
        o.leap = leap.given();
        o.three_big = three_big.given();
        o.three_small = three_small.given();
        o.four_big = four_big.given();
        o.base_month = base.given() ? base.WholeNumber(1, 12) : 0;
        const tools::MonthCondition condition = MonthConditionOf(o);
        const InterruptStopsSearch interrupt;
        const tools::QueryResult r = RunSearch([&](const tools::QueryProgress& progress, const std::atomic<bool>* stop) {
            return tools::QueryMonths(years.first, years.years, condition, static_cast<int>(o.base_month), progress, stop);
        });
        json hits = json::array();
        json hits_iso = json::array();
        for (const auto& group : r.months) {
            json firsts = json::array();
            json firsts_iso = json::array();
            for (astro::DayNumber first : group) {
                firsts.push_back(astro::DayNumberToDateText(first));
                firsts_iso.push_back(IsoOf(first));
            }
            hits.push_back(firsts);
            hits_iso.push_back(firsts_iso);
        }
        PrintQuery(r, years, c.as_json, hits, hits_iso);
    };
    for (Command* sub : {&days, &months}) c.TakesRuleFlag(*sub);
}

}  // namespace

void AddToolCommands(Commands& commands) {
    AddTable(commands);
    AddTools(commands);
    AddQueries(commands);
}

}  // namespace cli
