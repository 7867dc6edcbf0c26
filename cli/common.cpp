#include "cli/common.h"

#include <cctype>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <fstream>
#include <iostream>
#include <stdexcept>

#include "calendar/hijri.h"
#include "calendar/holidays.h"
#include "calendar/lunar_year.h"
#include "calendar/range.h"
#include "cli/date_arg.h"
#include "text/encoding.h"

namespace cli {

// --- arguments ------------------------------------------------------------------------------------

bool Argument::given() const { return kind_ == Kind::kFlag ? flag_ : option_->count() > 0; }

const std::string& Argument::text() const {
    static const std::string kNone;
    if (kind_ == Kind::kPositional) return value_;
    return values_.empty() ? kNone : values_.front();
}

void Argument::Refuse(const std::string& problem) const { throw UsageError{problem, name_}; }

void Argument::RefuseTyped(const std::string& problem) const { throw UsageError{Quoted(text()) + " " + problem, name_}; }

long long Argument::WholeNumber(long long min, long long max) const {
    long long n = 0;
    const std::string why = CheckWholeNumber(text(), min, max, &n);
    if (!why.empty()) Refuse(why);
    return n;
}

double Argument::DecimalNumber(double min, double max) const {
    double x = 0;
    const std::string why = CheckDecimalNumber(text(), min, max, &x);
    if (!why.empty()) Refuse(why);
    return x;
}

std::string Argument::OneOf(const std::vector<std::string>& words) const {
    for (const std::string& word : words)
        if (text() == word) return word;
    std::string list;
    for (const std::string& word : words) list += (list.empty() ? "" : ", ") + word;
    RefuseTyped("is not one of " + list);
}

// --- commands -------------------------------------------------------------------------------------

Argument& Command::Positional(const std::string& name, const std::string& help, bool required) {
    Argument& a = arguments_.emplace_back(Argument::Kind::kPositional, name, help);
    a.required_ = required;
    a.option_ = app_->add_option(name, a.value_, help + (required ? "" : " (optional)"))->type_name("");
    return a;
}

Argument& Command::Option(const std::string& name, const std::string& metavar, const std::string& help,
                          bool required, bool repeatable) {
    Argument& a = arguments_.emplace_back(Argument::Kind::kOption, name, help);
    a.required_ = required;
    a.repeatable_ = repeatable;
    // Every occurrence is kept, with or without its value, so that CheckTyped can say which is wrong.
    a.option_ = app_->add_option(name, a.values_, help + (required ? " (required)" : ""))
                    ->type_name(metavar)
                    ->allow_extra_args(false)
                    ->expected(0, 1)
                    ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);
    return a;
}

Argument& Command::Flag(const std::string& name, const std::string& help) {
    Argument& a = arguments_.emplace_back(Argument::Kind::kFlag, name, help);
    a.option_ = app_->add_flag(name, a.flag_, help);
    return a;
}

void Command::Example(const std::string& example, const std::string& dates) {
    app_->footer("Example: " + example + "\nDates are written " + dates + ".");
}

namespace {

// A flag says yes once: given twice, it is as much a slip as an option given twice.
void RefuseRepeatedFlags(const CLI::App& app) {
    for (const CLI::Option* option : app.get_options())
        if (option->get_expected_max() == 0 && option->count() > 1)
            throw UsageError{"is given " + std::to_string(option->count()) + " times; a flag is given once",
                             option->get_name()};
}

}  // namespace

void Command::CheckTyped() const {
    for (const std::string& extra : app_->remaining()) {
        if (!run)
            throw UsageError{Quoted(extra) + " is not a command of tempo " + path_ + " (tempo " + path_ +
                             " alone lists them)"};
        if (extra.compare(0, 1, "-") == 0 && extra.size() > 1 && !std::isdigit(static_cast<unsigned char>(extra[1])))
            throw UsageError{Quoted(extra) + " is not an option of tempo " + path_ + " (tempo " + path_ +
                             " --help lists them)"};
        throw UsageError{Quoted(extra) + " is one argument too many for tempo " + path_ + " (tempo " + path_ +
                         " --help lists them)"};
    }
    for (const Argument& a : arguments_) {
        if (a.kind_ == Argument::Kind::kFlag) continue;
        const std::size_t count = a.option_->count();
        if (a.required_ && count == 0) a.Refuse("is missing");
        if (a.kind_ != Argument::Kind::kOption) continue;
        bool empty = a.values_.size() < count;
        for (const std::string& value : a.values_) empty = empty || value.empty();
        if (empty) a.Refuse("is given without a value");
        if (count > 1 && !a.repeatable_) a.Refuse("is given " + std::to_string(count) + " times; it takes one value");
    }
    RefuseRepeatedFlags(*app_);
}

const Argument& Command::Find(const std::string& name) const {
    for (const Argument& a : arguments_)
        if (a.name_ == name) return a;
    throw std::logic_error("no argument " + name);
}

Command& Commands::Add(const std::string& name, const std::string& description, Command* parent) {
    CLI::App* app = (parent ? parent->app() : &app_)->add_subcommand(name, description);
    // What CLI11 does not know is left for CheckTyped, which names it. One command at a time: a
    // word such as "moons" after "table" is then its argument, not the command of that name.
    app->allow_extras();
    app->require_subcommand(0, 1);
    return commands_.emplace_back(app, parent ? parent->path() + " " + name : name);
}

void Commands::TakesRuleFlag(Command& command) {
    command.app()->add_flag("--modern-ancient", modern_ancient,
                            "compute the ancient calendars with the modern algorithm instead of the historical rules");
}

void Commands::TakeJsonFlags() {
    for (Command& command : commands_)
        if (command.takes_json) command.app()->add_flag("--json", as_json, "print one JSON document instead of text");
}

Command* Commands::Parsed() {
    // A group ("tool", "query") is parsed with its command and added before it: the last parsed one
    // is the innermost.
    for (auto it = commands_.rbegin(); it != commands_.rend(); ++it)
        if (it->app()->parsed()) return &*it;
    return nullptr;
}

void Commands::CheckTopLevel() const {
    RefuseRepeatedFlags(app_);
    for (const std::string& extra : app_.remaining()) {
        if (extra.compare(0, 1, "-") == 0)
            throw UsageError{Quoted(extra) + " is not an option of tempo (tempo --help lists them)"};
        throw UsageError{Quoted(extra) + " is not a command of tempo (tempo alone lists them)"};
    }
}

std::string UsageMessage(const Command* command, const UsageError& error) {
    std::string out = "tempo" + (command ? " " + command->path() : std::string()) + ": ";
    if (error.argument.empty()) return out + error.message;
    out += error.argument + " " + error.message;
    if (command) {
        try {
            out += " (" + error.argument + ": " + command->Find(error.argument).help() + ")";
        } catch (const std::logic_error&) {
        }
    }
    return out;
}

// --- output ---------------------------------------------------------------------------------------

std::string Utf8(const std::string& gbk) { return text::GbkToUtf8(gbk); }

void PrintLine(const std::string& gbk) { std::cout << Utf8(gbk) << '\n'; }

void PrintText(const std::string& gbk) {
    std::string out;
    for (char c : Utf8(gbk))
        if (c != '\r') out += c;
    std::cout << out << '\n';
}

void PrintJson(const json& doc) { std::cout << doc.dump(2) << '\n'; }

std::string Format(const char* fmt, double value) {
    char buf[64];
    std::snprintf(buf, sizeof buf, fmt, value);
    return buf;
}

// --- dates and places -----------------------------------------------------------------------------

astro::CalendarDate ParseDate(const Argument& arg) {
    astro::CalendarDate d;
    std::string error;
    if (!ParseDateArg(arg.text(), d, error)) arg.Refuse(error);
    return d;
}

astro::CalendarDate ParseCalendarDate(const Argument& arg) {
    astro::CalendarDate d;
    std::string error;
    if (!ParseDateFields(arg.text(), d, error)) arg.Refuse(error);
    if (!calendar::InCalendarRange(d.year))
        arg.RefuseTyped("is in the year " + YearText(d.year) + ", outside the calendar's years -8999..9000 "
                        "(9000 BC .. AD 9000)");
    return ParseDate(arg);
}

astro::CalendarDate Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
#ifdef _WIN32
    localtime_s(&local, &now);
#else
    localtime_r(&now, &local);
#endif
    return {local.tm_year + 1900, local.tm_mon + 1, local.tm_mday};
}

astro::DayNumber DayNumberOf(const astro::CalendarDate& d) { return astro::DateToDayNumber(d.year, d.month, d.day); }

astro::DayNumber FirstCalendarDay() { return astro::DateToDayNumber(calendar::kFirstCalendarYear, 1, 1); }
astro::DayNumber LastCalendarDay() { return astro::DateToDayNumber(calendar::kLastCalendarYear, 12, 31); }

std::string IsoOf(astro::DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    return IsoDate(d.year, d.month, d.day);
}

json DayJson(astro::DayNumber n) { return {{"date", astro::DayNumberToDateText(n)}, {"iso", IsoOf(n)}}; }

astro::JulianDay LocalMidnight(astro::DayNumber n) { return n - 0.5 + astro::LocalTimeToDayFraction(0, 0, 0); }

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

places::CityRecord ParsePlace(const Argument& arg) {
    const std::string& text = arg.text();
    const size_t slash = text.find('/');
    if (slash == std::string::npos) arg.RefuseTyped("is not a place P/C");
    const std::string p = text.substr(0, slash);
    const std::string c = text.substr(slash + 1);
    int province = 0;
    int city = 0;
    const auto all_digits = [](const std::string& t) {
        return !t.empty() && t.size() < 4 && t.find_first_not_of("0123456789") == std::string::npos;
    };
    if (all_digits(p) && all_digits(c)) {
        province = std::stoi(p);
        city = std::stoi(c);
        if (province < 1 || province > places::ProvinceCount)
            arg.RefuseTyped("names no place: the provinces are 1.." + std::to_string(places::ProvinceCount));
        if (city < 1 || city > places::CityCount(province))
            arg.RefuseTyped("names no place: province " + std::to_string(province) + " has the places 1.." +
                            std::to_string(places::CityCount(province)));
    } else if (!places::FindCity(text::Utf8ToGbk(p), text::Utf8ToGbk(c), province, city)) {
        arg.RefuseTyped("names no place");
    }
    return places::CityRecordOf(province, city);
}


DateCalendar CalendarArg(const Argument& arg) {
    if (!arg.given()) return DateCalendar::kGregorian;
    const std::string word = arg.OneOf({"gregorian", "lunar", "hijri"});
    return word == "lunar" ? DateCalendar::kLunar : word == "hijri" ? DateCalendar::kHijri : DateCalendar::kGregorian;
}

namespace {

std::string LunarMonthWords(int month) {
    return month > 12 ? "leap month " + std::to_string(month - 12) + " (month " + std::to_string(month) + ")"
                      : "month " + std::to_string(month);
}

}  // namespace

astro::DayNumber DayOfDate(const Argument& arg, DateCalendar calendar, const astro::CalendarDate& d) {
    const std::string typed = Quoted(arg.text());
    astro::DayNumber n = astro::InvalidDayNumber;
    std::string what;  // "lunar", "Hijri"
    switch (calendar) {
        case DateCalendar::kGregorian: {
            if (!calendar::InCalendarRange(d.year))
                arg.Refuse(typed + " is in the year " + YearText(d.year) +
                           ", outside the calendar's years -8999..9000 (9000 BC .. AD 9000)");
            const std::string why = WhyNoSuchDate(d);
            if (!why.empty()) arg.Refuse(typed + ": " + why);
            return DayNumberOf(d);
        }
        case DateCalendar::kLunar: {
            if (!calendar::InCalendarRange(d.year))
                arg.Refuse(typed + " is in the lunar year " + YearText(d.year) +
                           ", outside the calendar's years -8999..9000 (9000 BC .. AD 9000)");
            if (d.month < 1 || d.month > 24)
                arg.Refuse(typed + ": there is no lunar month " + std::to_string(d.month) +
                           " (months 1..12, a leap month as month + 12)");
            const int length = calendar::LunarMonthLength(d.year, d.month);
            if (length == 0) {
                const int leap = calendar::LeapMonth(d.year);
                arg.Refuse(typed + ": the lunar year " + YearText(d.year) + " has no " + LunarMonthWords(d.month) +
                           (leap ? "; its leap month is month " + std::to_string(leap + 12) : "; it has no leap month"));
            }
            if (d.day < 1 || d.day > length)
                arg.Refuse(typed + ": the day does not exist: " + LunarMonthWords(d.month) + " of the lunar year " +
                           YearText(d.year) + " has " + std::to_string(length) + " days");
            const astro::CalendarDate g = calendar::LunarToSolar(d.year, d.month, d.day);
            n = DayNumberOf(g);
            what = "lunar";
            break;
        }
        case DateCalendar::kHijri: {
            if (d.month < 1 || d.month > 12) arg.Refuse(typed + ": there is no Hijri month " + std::to_string(d.month));
            const int length = calendar::HijriMonthLength(d.year, d.month);
            if (d.day < 1 || d.day > length)
                arg.Refuse(typed + ": the day does not exist: month " + std::to_string(d.month) + " of the Hijri year " +
                           YearText(d.year) + " has " + std::to_string(length) + " days");
            n = calendar::HijriToDayNumber(d.year, d.month, d.day);
            what = "Hijri";
            break;
        }
    }
    const bool lunar = calendar == DateCalendar::kLunar;
    // Hijri years beyond -9998..9999 have no day number: they lie beyond the calendar's days.
    if (n == astro::InvalidDayNumber) n = d.year > 0 ? LastCalendarDay() + 1 : FirstCalendarDay() - 1;
    if (n > LastCalendarDay()) {
        const calendar::HijriDate last = calendar::DayNumberToHijri(LastCalendarDay());
        arg.Refuse(typed + " as a " + what + " date " +
                   (lunar ? "is " + IsoOf(n) + ", after the calendar's last day 9000-12-31"
                          : "lies after the calendar's last day 9000-12-31 (Hijri " +
                                IsoDate(last.year, last.month, last.day) + ")"));
    }
    if (n < FirstCalendarDay()) {
        const calendar::HijriDate first = calendar::DayNumberToHijri(FirstCalendarDay());
        arg.Refuse(typed + " as a " + what + " date " +
                   (lunar ? "is " + IsoOf(n) + ", before the calendar's first day -8999-01-01 (9000 BC)"
                          : "lies before the calendar's first day -8999-01-01 (Hijri " +
                                IsoDate(first.year, first.month, first.day) + ")"));
    }
    return n;
}

json ThreeCalendarsJson(astro::DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(d.year, d.month, d.day);
    const calendar::HijriDate hijri = calendar::DayNumberToHijri(n);
    return {{"gregorian", astro::DayNumberToDateText(n)},
            {"lunar", calendar::SolarToLunar(d.year, d.month, d.day)},
            {"hijri", calendar::DayNumberToHijriText(d.year, d.month, d.day)},
            {"gregorian_iso", IsoDate(d.year, d.month, d.day)},
            {"lunar_iso", lunar.month ? IsoDate(lunar.year, lunar.month, lunar.day) : ""},
            {"hijri_iso", hijri.month ? IsoDate(hijri.year, hijri.month, hijri.day) : ""}};
}

std::string IsoLocalTime(double chronological) {
    const std::string text = astro::JulianDayToDateTimeText(chronological);  // "AD01-06-2024 04:49:00"
    if (text.size() < 21) return {};
    const astro::CalendarDate d = astro::DayNumberToDate(static_cast<astro::DayNumber>(std::floor(chronological)));
    return IsoDate(d.year, d.month, d.day) + "T" + text.substr(13, 8) + "+08:00";
}

namespace {

// A whole file of at most `limit` bytes.
bool ReadSmallFile(const std::string& path, std::size_t limit, std::string& text) {
    std::ifstream in(path, std::ios::binary);
    if (!in) return false;
    text.assign(limit + 1, '\0');
    in.read(text.data(), static_cast<std::streamsize>(text.size()));
    if (in.bad()) return false;
    text.resize(static_cast<std::size_t>(in.gcount()));
    return text.size() <= limit;
}

}  // namespace

Argument& AddHolidaysFile(Command& command) {
    return command.Option("--holidays-file", "FILE",
                          Utf8("a public holiday table merged over the built-in years (UTF-8 lines YYYY-MM-DD, tab, "
                               "休 or 班, tab, the holiday's name, \"#\" comments: the table tempoline-web serves at "
                               "/holidays/cn.tsv); default $XDG_DATA_HOME/tempoline/holidays.tsv when it is there"));
}

std::string KeptHolidayTablePath() {
    const char* data_home = std::getenv("XDG_DATA_HOME");
    const char* home = std::getenv("HOME");
    if (data_home && *data_home == '/') return std::string(data_home) + "/tempoline/holidays.tsv";
    if (home && *home) return std::string(home) + "/.local/share/tempoline/holidays.tsv";
    return "";
}

void UseHolidayTable(const Argument& file) {
    std::string path = file.given() ? file.text() : std::string();
    if (path.empty()) {
        path = KeptHolidayTablePath();
        if (path.empty() || !std::ifstream(path, std::ios::binary)) return;  // none: the built-in table
    }
    std::string text;
    calendar::HolidayTable table;
    calendar::HolidayTableFault fault;
    std::string why;
    if (!ReadSmallFile(path, calendar::kMaxHolidayFileBytes, text)) {
        why = "cannot be read (missing, unreadable or over 64 KiB)";
    } else if (!calendar::ParseHolidayTable(text, table, fault)) {
        why = "is not a holiday table: " + calendar::FaultTextEnglish(fault);
    } else {
        calendar::InstallHolidays(calendar::MergeHolidays(calendar::BuiltInHolidays(), table));
        return;
    }
    if (file.given()) file.RefuseTyped(why);
    std::cerr << "tempo: " << EscapeControls(path) << " " << why << "; the built-in holiday table is used\n";
}

std::string HeldYearsText() {
    return YearRunsText(calendar::Holidays()->Table().years);
}

json HolidayJson(astro::DayNumber n) {
    const calendar::HolidayMark mark = calendar::Holidays()->MarkOf(n);
    if (mark.kind == calendar::HolidayKind::kNone) return nullptr;
    return {{"kind", Utf8(mark.kind == calendar::HolidayKind::kOff ? "休" : "班")}, {"name", Utf8(mark.name)}};
}

}  // namespace cli
