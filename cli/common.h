// What the commands of tempo share: the list of commands, output in UTF-8 or JSON, argument
// checks, dates and places.
#pragma once

#include <CLI/CLI.hpp>
#include <nlohmann/json.hpp>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "astro/day_numbers.h"
#include "cli/arguments.h"
#include "places/city_table.h"

namespace cli {

using json = nlohmann::ordered_json;

constexpr int kUsageError = 2;

// The commands of tempo. Each command adds its subcommand and options here, with what it does
// once the command line has been parsed.
class Commands {
public:
    explicit Commands(CLI::App& app) : app_(app) {}
    // A subcommand of the program (or of `parent`, a group such as "tool") and what runs it.
    CLI::App* Add(const std::string& name, const std::string& description, std::function<void()> run,
                  CLI::App* parent = nullptr);
    // Gives a command the flag --modern-ancient.
    void TakesRuleFlag(CLI::App* command);
    // Gives every command the flag --json; call once all are added.
    void TakeJsonFlags();
    // Runs the command that was parsed; false when none was.
    bool RunParsed() const;

    bool as_json = false;         // --json: one JSON document instead of text
    bool modern_ancient = false;  // --modern-ancient: the ancient calendars by the modern algorithm

private:
    CLI::App& app_;
    std::vector<std::pair<CLI::App*, std::function<void()>>> commands_;
};

// CheckWholeNumber and CheckDecimalNumber (arguments.h) as checks of CLI11 options, run on the text
// before CLI11 converts it.
CLI::Validator WholeNumber(long long min, long long max);
CLI::Validator DecimalNumber(double min, double max);

std::string Utf8(const std::string& gbk);
void PrintLine(const std::string& gbk);
// A text of the program (GBK, lines separated by CR LF) on the terminal: UTF-8, LF line ends.
void PrintText(const std::string& gbk);
void PrintJson(const json& doc);
std::string Format(const char* fmt, double value);

// A date of the day numbers (years -9998..9999).
astro::CalendarDate ParseDate(const std::string& arg);
// A date of the calendar (years -8999..9000, the years with lunar and Hijri dates).
astro::CalendarDate ParseCalendarDate(const std::string& arg);
astro::DayNumber DayNumberOf(const astro::CalendarDate& d);
// The years of the day numbers, and of the calendar: anything else is refused with one message each.
void CheckYear(long long year);
// Universal instant of local (UTC+8) midnight opening day n.
astro::JulianDay LocalMidnight(astro::DayNumber n);
std::string TrimBlanks(const std::string& text);
// A place given as "P/C": indexes ("1/1") or names ("北京/天安门", UTF-8).
places::CityRecord ParsePlace(const std::string& arg);

// The tools of the program: `tempo table`, `tempo tool` and `tempo query` (tool_commands.cpp).
void AddToolCommands(Commands& commands);
// `tempo ics` (ics_command.cpp): native builds only, where libical is.
void AddIcsCommand(Commands& commands);

}  // namespace cli
