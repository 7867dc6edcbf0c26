// What the commands of tempo share: the list of commands and their arguments, output in UTF-8 or
// JSON, argument checks, dates and places.
//
// CLI11 splits the command line into commands and arguments; every argument is taken as the text
// typed and checked here, so that every refusal reads the same way in every command: the command,
// the argument, what was typed (quoted, at most 60 characters), what is wrong with it, and what the
// argument takes (its help text):
//
//     tempo jd: DATE '24-01-01' is not a date: a year is written with four digits (...) (DATE: ...)
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <deque>
#include <functional>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "cli/arguments.h"
#include "cli/date_arg.h"
#include "places/city_table.h"

namespace cli {

using json = nlohmann::ordered_json;

constexpr int kUsageError = 2;

// One argument of a command as typed: a positional one (DATE), an option with a value (--place P/C)
// or a flag (--bc).
class Argument {
public:
    enum class Kind { kPositional, kOption, kFlag };
    Argument(Kind kind, std::string name, std::string help) : kind_(kind), name_(std::move(name)), help_(std::move(help)) {}

    const std::string& name() const { return name_; }
    const std::string& help() const { return help_; }
    bool given() const;
    // The value as typed (empty when not given); every value of a repeatable option.
    const std::string& text() const;
    const std::vector<std::string>& texts() const { return values_; }
    // The text, or `fallback` when the argument was not given.
    std::string TextOr(const std::string& fallback) const { return given() ? text() : fallback; }
    // Refusals naming this argument.
    [[noreturn]] void Refuse(const std::string& problem) const;
    [[noreturn]] void RefuseTyped(const std::string& problem) const;  // "'typed' " + problem

    // The checks of a value, each refusing with this argument's name.
    long long WholeNumber(long long min, long long max) const;
    double DecimalNumber(double min, double max) const;
    // One of the words.
    std::string OneOf(const std::vector<std::string>& words) const;

private:
    friend class Command;
    Kind kind_;
    std::string name_;
    std::string help_;
    std::string value_;                 // a positional one
    std::vector<std::string> values_;   // an option: one per occurrence
    bool flag_ = false;
    bool required_ = false;
    bool repeatable_ = false;
    CLI::Option* option_ = nullptr;
};

// A command (or a group of commands such as "tool"), its arguments and what runs it.
class Command {
public:
    Command(CLI::App* app, std::string path) : app_(app), path_(std::move(path)) {}
    CLI::App* app() const { return app_; }
    const std::string& path() const { return path_; }  // "day", "tool jd"

    // metavar names the value in the usage line ("P/C", "N"); help says what the argument is and
    // what it takes.
    Argument& Positional(const std::string& name, const std::string& help, bool required);
    Argument& Option(const std::string& name, const std::string& metavar, const std::string& help,
                     bool required = false, bool repeatable = false);
    Argument& Flag(const std::string& name, const std::string& help);
    // The example the help ends with, and how dates are written.
    void Example(const std::string& example, const std::string& dates = kDateForms);

    // Refuses what was typed wrong before the command runs: an argument it does not take, one
    // missing, one given twice, an option without its value.
    void CheckTyped() const;
    // The argument of that name (it must exist).
    const Argument& Find(const std::string& name) const;

    std::function<void()> run;
    bool takes_json = true;

private:
    CLI::App* app_;
    std::string path_;
    std::deque<Argument> arguments_;
};

// The commands of tempo. Each command adds itself, its arguments and what it does here.
class Commands {
public:
    explicit Commands(CLI::App& app) : app_(app) {}
    // A command of the program, or of a group (`parent`).
    Command& Add(const std::string& name, const std::string& description, Command* parent = nullptr);
    // Gives a command the flag --modern-ancient.
    void TakesRuleFlag(Command& command);
    // Gives every command but those that take no JSON the flag --json; call once all are added.
    void TakeJsonFlags();
    // The command that was parsed (the innermost one), or null when none was.
    Command* Parsed();
    // Refuses the words left over on the command line outside every command.
    void CheckTopLevel() const;

    bool as_json = false;         // --json: one JSON document instead of text
    bool modern_ancient = false;  // --modern-ancient: the ancient calendars by the modern algorithm

private:
    CLI::App& app_;
    std::deque<Command> commands_;
};

// The text of a refusal: "tempo day: DATE '24-01-01' is not a date (DATE: ...)".
std::string UsageMessage(const Command* command, const UsageError& error);

std::string Utf8(const std::string& gbk);
void PrintLine(const std::string& gbk);
// A text of the program (GBK, lines separated by CR LF) on the terminal: UTF-8, LF line ends.
void PrintText(const std::string& gbk);
void PrintJson(const json& doc);
std::string Format(const char* fmt, double value);

// A date of the day numbers (years -9998..9999), refused naming the argument.
astro::CalendarDate ParseDate(const Argument& arg);
// A date of the calendar (years -8999..9000, the years with lunar and Hijri dates).
astro::CalendarDate ParseCalendarDate(const Argument& arg);
astro::DayNumber DayNumberOf(const astro::CalendarDate& d);
// The local date of the machine.
astro::CalendarDate Today();
// The first and the last day of the calendar (-8999-01-01, 9000-12-31).
astro::DayNumber FirstCalendarDay();
astro::DayNumber LastCalendarDay();
// A day as JSON shows it: the date text and, beside it, the ISO date.
json DayJson(astro::DayNumber n);
// "2024-02-10" of a day number.
std::string IsoOf(astro::DayNumber n);
// Universal instant of local (UTC+8) midnight opening day n.
astro::JulianDay LocalMidnight(astro::DayNumber n);
std::string TrimBlanks(const std::string& text);
// A place given as "P/C": indexes ("1/1") or names ("北京/天安门", UTF-8).
places::CityRecord ParsePlace(const Argument& arg);
constexpr const char* kPlaceHelp = "the place: P/C by indexes (1/1) or names (北京/天安门), as tempo cities lists them";

// The public holiday arrangement the commands use: the table of --holidays-file FILE merged over the
// built-in years (a file that is no table is refused naming the line), else
// $XDG_DATA_HOME/tempoline/holidays.tsv (~/.local/share without XDG_DATA_HOME) when it is there (a
// damaged one is named on stderr and left aside), else the built-in table.
Argument& AddHolidaysFile(Command& command);
void UseHolidayTable(const Argument& file);
// Where the kept table is looked for ($XDG_DATA_HOME/tempoline/holidays.tsv ...), whether it is
// there or not; empty when neither XDG_DATA_HOME nor HOME says.
std::string KeptHolidayTablePath();
// The years the table in use holds, as ranges with their gaps: "2007..2026", "1949, 2007..2026".
std::string HeldYearsText();
// A day's place in the arrangement: {"kind": "休" or "班", "name": "春节"}, or null.
json HolidayJson(astro::DayNumber n);

// The tools of the program: `tempo table`, `tempo tool` and `tempo query` (tool_commands.cpp).
void AddToolCommands(Commands& commands);
// `tempo almanac` (almanac_command.cpp), and the almanac of a day as `tempo day --json` shows it
// (null outside the calendar).
void AddAlmanacCommand(Commands& commands);
json AlmanacJson(const astro::CalendarDate& date);
// `tempo ics` (ics_command.cpp): native builds only, where libical is.
void AddIcsCommand(Commands& commands);
// `tempo pillars` (pillars_command.cpp): the four pillars of a birth by the true solar time.
void AddPillarsCommand(Commands& commands);



// The calendars a date can be written in.
enum class DateCalendar { kGregorian, kLunar, kHijri };
// "gregorian", "lunar" or "hijri" as typed for the argument.
DateCalendar CalendarArg(const Argument& arg);
constexpr const char* kCalendarHelp = "gregorian, lunar (a leap month is month + 12: 14 is the leap second month) or hijri";

// The day of a date written in a calendar (astronomical year): it must exist there and lie within
// the calendar's days -8999-01-01..9000-12-31; a refusal names the argument, what was typed and the
// year typed.
astro::DayNumber DayOfDate(const Argument& arg, DateCalendar calendar, const astro::CalendarDate& fields);

// The same day in the three calendars, as texts and ISO dates.
json ThreeCalendarsJson(astro::DayNumber n);
// "2024-01-06T04:49:00+08:00": a chronological day value (UTC+8) as ISO 8601.
std::string IsoLocalTime(double chronological);

}  // namespace cli
