#include "cli/tool_commands.h"

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
#include "cli/common.h"
#include "text/encoding.h"
#include "tools/condition_queries.h"
#include "tools/date_tools.h"
#include "tools/yearly_tables.h"

namespace cli {

namespace {

std::atomic<bool> g_stop{false};

extern "C" void OnInterrupt(int) { g_stop.store(true); }

// The astronomical year of a year entered with the 纪元前 flag.
int EnteredYear(int n, bool bc) {
    if (bc) {
        if (n < 1) throw UsageError{"with --bc the year counts from 1 (1 BC is year 0)"};
        return 1 - n;
    }
    return n;
}

tools::EntryCalendar CalendarOf(const std::string& name) {
    if (name == "lunar") return tools::EntryCalendar::kLunar;
    if (name == "hijri") return tools::EntryCalendar::kHijri;
    return tools::EntryCalendar::kGregorian;
}

tools::EnteredDate Entered(const std::string& text, bool bc, const std::string& calendar) {
    tools::EnteredDate d = tools::ParseEnteredDate(text, bc, CalendarOf(calendar));
    if (!d.ok()) throw UsageError{"'" + text + "': " + Utf8(d.message)};
    return d;
}

json ThreeCalendarsJson(const tools::ThreeCalendars& t) {
    return {{"gregorian", t.gregorian}, {"lunar", t.lunar}, {"hijri", t.hijri}};
}

void PrintThreeCalendars(const tools::ThreeCalendars& t) {
    PrintLine("公历日期 " + t.gregorian);
    PrintLine("农历日期 " + t.lunar);
    PrintLine("回历日期 " + t.hijri);
}

// A number in 1..max, or one of the names (UTF-8 on the command line) at index 1..max.
int NumberOrName(const std::string& arg, int max, const char* const* names, const char* what) {
    if (arg.empty()) return 0;
    if (arg.find_first_not_of("0123456789") == std::string::npos && arg.size() <= 3) {
        const int n = std::stoi(arg);
        if (n >= 1 && n <= max) return n;
    } else if (names != nullptr) {
        const std::string gbk = text::Utf8ToGbk(arg);
        for (int i = 1; i <= max; ++i)
            if (gbk == names[i]) return i;
    }
    throw UsageError{std::string("bad ") + what + " '" + arg + "'"};
}

int GanZhiArg(const std::string& arg, const char* what) {
    if (arg.empty()) return 0;
    const std::string gbk = text::Utf8ToGbk(arg);
    for (int i = 1; i <= 60; ++i)
        if (gbk == calendar::GanZhiName(i)) return i;
    return NumberOrName(arg, 60, nullptr, what);
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

}  // namespace

void ToolCommands::Register(CLI::App& app) {
    table_ = app.add_subcommand("table", "A yearly table as the tools window shows it");
    table_->add_option("KIND", kind_, "lunar-months, solar-terms, moons or sun-times")
        ->required()
        ->check(CLI::IsMember({"lunar-months", "solar-terms", "moons", "sun-times"}));
    table_->add_option("YEAR", year_, "the year (with --bc: the year before Christ)")->required();
    table_->add_flag("--bc", bc_, Utf8("the year is before Christ (纪元前)"));
    table_->add_option("--place", place_, Utf8("sun-times: P/C by indexes or names (北京/天安门); default 1/1"));
    table_->add_flag("--twilight", twilight_, "sun-times: dawn and dusk instead of sunrise and sunset");

    CLI::App* tool = app.add_subcommand("tool", "The date tools (dates as MM-DD-YYYY)");
    tool->require_subcommand(1);
    const auto date_options = [this](CLI::App* sub) {
        sub->add_option("DATE", date_, "MM-DD-YYYY")->required();
        sub->add_flag("--bc", bc_, Utf8("the year is before Christ (纪元前)"));
        sub->add_option("--calendar", calendar_, "gregorian, lunar (leap month = month + 12) or hijri")
            ->check(CLI::IsMember({"gregorian", "lunar", "hijri"}));
    };
    tool_jd_ = tool->add_subcommand("jd", Utf8("计算儒略日: the Julian day number of a date"));
    date_options(tool_jd_);
    tool_interval_ = tool->add_subcommand("interval", Utf8("计算间隔日: days between two dates, or the date N days on"));
    date_options(tool_interval_);
    tool_interval_->add_option("DATE2", date2_, "the second date (MM-DD-YYYY)");
    tool_interval_->add_flag("--bc2", bc2_, "the second date is before Christ");
    tool_interval_->add_option("--calendar2", calendar2_, "calendar of the second date")
        ->check(CLI::IsMember({"gregorian", "lunar", "hijri"}));
    tool_interval_->add_option("--days", days_, "instead of DATE2: a whole number of days (may be negative)");
    tool_ganzhi_ = tool->add_subcommand("ganzhi", Utf8("计算干支历: the sexagenary date"));
    date_options(tool_ganzhi_);
    tool_ganzhi_->add_flag("--ganzhi-from-chunjie", ganzhi_from_chunjie_,
                           Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));
    tool_convert_ = tool->add_subcommand("convert", Utf8("公历农历回历互转: the date in the three calendars"));
    date_options(tool_convert_);

    CLI::App* query = app.add_subcommand("query", "Condition queries over up to 100 years");
    query->require_subcommand(1);
    query_days_ = query->add_subcommand("days", Utf8("查询条件日: the days that meet every given condition"));
    query_months_ = query->add_subcommand("months", Utf8("查询条件月: leap months, or runs of big or small months"));
    for (CLI::App* sub : {query_days_, query_months_}) {
        sub->add_option("--from", from_, "the first year")->required();
        sub->add_flag("--bc", bc_, "the first year is before Christ");
        sub->add_option("--years", years_, "how many years (at most 100)")->required();
    }
    query_days_->add_option("--solar-month", solar_month_, "Gregorian month 1..12");
    query_days_->add_option("--solar-day", solar_day_, "Gregorian day 1..31");
    query_days_->add_option("--lunar-month", lunar_month_, "lunar month 1..24 (leap months as month + 12)");
    query_days_->add_option("--lunar-day", lunar_day_, "lunar day 1..30");
    query_days_->add_option("--hijri-month", hijri_month_, "Hijri month 1..12");
    query_days_->add_option("--hijri-day", hijri_day_, "Hijri day 1..30");
    query_days_->add_option("--ganzhi-year", ganzhi_year_, Utf8("sexagenary year: 1..60 or a name such as 甲子"));
    query_days_->add_option("--ganzhi-month", ganzhi_month_, "sexagenary month: 1..60 or a name");
    query_days_->add_option("--ganzhi-day", ganzhi_day_, "sexagenary day: 1..60 or a name");
    query_days_->add_option("--weekday", weekday_, Utf8("1 (星期一) .. 7 (星期日), or the name"));
    query_days_->add_option("--term", term_, Utf8("the day of a solar term: 1 (小寒) .. 24 (冬至), or the name"));
    query_days_->add_option("--festival", festival_, Utf8("a festival name the day's festivals contain, e.g. 春节"));
    query_days_->add_flag("--ganzhi-from-chunjie", ganzhi_from_chunjie_,
                          Utf8("the sexagenary year begins at the Spring Festival, not at 立春"));
    query_months_->add_flag("--leap", leap_, "leap months");
    query_months_->add_option("--base-month", base_month_, "with --leap: only leap months after this month (1..12)")
        ->check(CLI::Range(1, 12));
    query_months_->add_flag("--three-big", three_big_, "three big months in a row");
    query_months_->add_flag("--three-small", three_small_, "three small months in a row");
    query_months_->add_flag("--four-big", four_big_, "four big months in a row");
    for (CLI::App* sub : {table_, tool_jd_, tool_interval_, tool_ganzhi_, tool_convert_, query_days_, query_months_})
        sub->add_flag("--json", json_, "Print one JSON document instead of text");
}

bool ToolCommands::Run(bool as_json) {
    as_json = as_json || json_;
    if (table_->parsed()) {
        RunTable(as_json);
    } else if (tool_jd_->parsed() || tool_interval_->parsed() || tool_ganzhi_->parsed() || tool_convert_->parsed()) {
        RunTool(as_json);
    } else if (query_days_->parsed()) {
        RunQueryDays(as_json);
    } else if (query_months_->parsed()) {
        RunQueryMonths(as_json);
    } else {
        return false;
    }
    return true;
}

void ToolCommands::RunTable(bool as_json) {
    const int year = EnteredYear(year_, bc_);
    if (year < -8999 || year > 9000) throw UsageError{"the tables cover the years -8999..9000"};
    if (kind_ == "lunar-months") {
        const std::string text = tools::LunarMonthsTable(year);
        if (as_json) {
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
        } else {
            PrintText(text);
        }
    } else if (kind_ == "solar-terms") {
        if (as_json) {
            json terms = json::array();
            for (const tools::TableEntry& t : tools::SolarTermsOfYear(year))
                terms.push_back({{"name", Utf8(calendar::SolarTermNames[t.index])},
                                 {"index", t.index},
                                 {"local", astro::JulianDayToDateTimeText(t.when)}});
            PrintJson({{"year", year}, {"terms", terms}, {"text", Utf8(tools::SolarTermsTable(year))}});
        } else {
            PrintText(tools::SolarTermsTable(year));
        }
    } else if (kind_ == "moons") {
        if (as_json) {
            json phases = json::array();
            for (const tools::TableEntry& p : tools::MoonPhasesOfYear(year))
                if (p.in_year)
                    phases.push_back({{"phase", p.index == 0 ? "new" : "full"},
                                      {"local", astro::JulianDayToDateTimeText(p.when)}});
            PrintJson({{"year", year}, {"phases", phases}, {"text", Utf8(tools::MoonsTable(year))}});
        } else {
            PrintText(tools::MoonsTable(year));
        }
    } else {
        const places::CityRecord place = ParsePlace(place_);
        const std::string text = tools::SunTimesTable(year, place.province, place.city, twilight_);
        if (as_json)
            PrintJson({{"year", year}, {"text", Utf8(text)}});
        else
            PrintText(text);
    }
}

void ToolCommands::RunTool(bool as_json) {
    const tools::EnteredDate date = Entered(date_, bc_, calendar_);
    if (tool_jd_->parsed()) {
        const std::string jd = tools::JulianDayResult(date);
        if (as_json)
            PrintJson({{"day_number", date.day}, {"text", jd}});
        else
            PrintLine("儒略日数 " + jd);
    } else if (tool_interval_->parsed()) {
        if (!days_.empty()) {
            if (!date2_.empty()) throw UsageError{"give either DATE2 or --days, not both"};
            const size_t digits = days_[0] == '-' ? 1 : 0;
            if (days_.size() == digits || days_.size() > 9 || days_.find_first_not_of("0123456789", digits) != std::string::npos)
                throw UsageError{"--days wants a whole number of at most eight digits"};
            const tools::ThreeCalendars t = tools::DateAfterDays(date, days_);
            if (as_json)
                PrintJson(ThreeCalendarsJson(t));
            else
                PrintThreeCalendars(t);
            return;
        }
        if (date2_.empty()) throw UsageError{"interval wants DATE2 or --days N"};
        const tools::EnteredDate second = Entered(date2_, bc2_, calendar2_);
        const std::string days = tools::IntervalResult(date, second);
        if (as_json)
            PrintJson({{"days", second.day - date.day}, {"text", days}});
        else
            PrintLine("间隔日数 " + days);
    } else if (tool_ganzhi_->parsed()) {
        const std::string text = tools::GanZhiResult(date, ganzhi_from_chunjie_ ? calendar::kYearFromSpringFestival
                                                                                 : calendar::kYearFromLichun);
        if (as_json)
            PrintJson({{"ganzhi", Utf8(text)}});
        else
            PrintLine("干支历 " + text);
    } else {
        const tools::ThreeCalendars t = tools::ConvertResult(date);
        if (as_json)
            PrintJson(ThreeCalendarsJson(t));
        else
            PrintThreeCalendars(t);
    }
}

void ToolCommands::RunQueryDays(bool as_json) {
    const int y0 = EnteredYear(from_, bc_);
    if (years_ < 1) throw UsageError{"--years must be at least 1"};
    if (y0 < -8999 || y0 + std::min(years_, tools::kMaxQueryYears) - 1 > 9000)
        throw UsageError{"the queries cover the years -8999..9000"};
    tools::DayCriteria c;
    c.solar_month = NumberOrName(solar_month_, 12, nullptr, "--solar-month");
    c.solar_day = NumberOrName(solar_day_, 31, nullptr, "--solar-day");
    c.lunar_month = NumberOrName(lunar_month_, 24, nullptr, "--lunar-month");
    c.lunar_day = NumberOrName(lunar_day_, 30, nullptr, "--lunar-day");
    c.hijri_month = NumberOrName(hijri_month_, 12, nullptr, "--hijri-month");
    c.hijri_day = NumberOrName(hijri_day_, 30, nullptr, "--hijri-day");
    c.ganzhi_year = GanZhiArg(ganzhi_year_, "--ganzhi-year");
    c.ganzhi_month = GanZhiArg(ganzhi_month_, "--ganzhi-month");
    c.ganzhi_day = GanZhiArg(ganzhi_day_, "--ganzhi-day");
    c.weekday = NumberOrName(weekday_, 7, calendar::WeekdayNames, "--weekday");
    c.term = NumberOrName(term_, 24, calendar::SolarTermNames, "--term");
    c.festival = text::Utf8ToGbk(festival_);
    const int mode = ganzhi_from_chunjie_ ? calendar::kYearFromSpringFestival : calendar::kYearFromLichun;
    const InterruptStopsSearch interrupt;
    const tools::QueryResult r = RunSearch([&](const tools::QueryProgress& progress, const std::atomic<bool>* stop) {
        return tools::QueryDays(y0, years_, c, mode, progress, stop);
    });
    if (years_ > tools::kMaxQueryYears) std::cerr << "tempo: " << Utf8("查询年份范围最多100年，已按100年查询") << "\n";
    if (as_json) {
        json hits = json::array();
        for (astro::DayNumber d : r.days) hits.push_back(astro::DayNumberToDateText(d));
        PrintJson({{"years", r.years}, {"stopped", r.stopped}, {"hits", hits}, {"text", Utf8(r.text)}});
    } else {
        PrintText(r.text);
    }
}

void ToolCommands::RunQueryMonths(bool as_json) {
    const int y0 = EnteredYear(from_, bc_);
    if (years_ < 1) throw UsageError{"--years must be at least 1"};
    if (y0 < -8999 || y0 + std::min(years_, tools::kMaxQueryYears) - 1 > 9000)
        throw UsageError{"the queries cover the years -8999..9000"};
    if (leap_ + three_big_ + three_small_ + four_big_ != 1)
        throw UsageError{"give one of --leap, --three-big, --three-small, --four-big"};
    if (base_month_ != 0 && !leap_) throw UsageError{"--base-month goes with --leap"};
    const tools::MonthCondition condition = leap_          ? tools::MonthCondition::kLeapMonth
                                            : three_big_   ? tools::MonthCondition::kThreeBig
                                            : three_small_ ? tools::MonthCondition::kThreeSmall
                                                           : tools::MonthCondition::kFourBig;
    const InterruptStopsSearch interrupt;
    const tools::QueryResult r = RunSearch([&](const tools::QueryProgress& progress, const std::atomic<bool>* stop) {
        return tools::QueryMonths(y0, years_, condition, base_month_, progress, stop);
    });
    if (years_ > tools::kMaxQueryYears) std::cerr << "tempo: " << Utf8("查询年份范围最多100年，已按100年查询") << "\n";
    if (as_json) {
        json hits = json::array();
        for (const auto& months : r.months) {
            json group = json::array();
            for (astro::DayNumber first : months) group.push_back(astro::DayNumberToDateText(first));
            hits.push_back(group);
        }
        PrintJson({{"years", r.years}, {"stopped", r.stopped}, {"hits", hits}, {"text", Utf8(r.text)}});
    } else {
        PrintText(r.text);
    }
}

}  // namespace cli
