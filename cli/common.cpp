#include "cli/common.h"

#include <cstdio>
#include <iostream>

#include "calendar/range.h"
#include "cli/date_arg.h"
#include "text/encoding.h"

namespace cli {

CLI::App* Commands::Add(const std::string& name, const std::string& description, std::function<void()> run,
                        CLI::App* parent) {
    CLI::App* command = (parent ? parent : &app_)->add_subcommand(name, description);
    commands_.emplace_back(command, std::move(run));
    return command;
}

void Commands::TakesRuleFlag(CLI::App* command) {
    command->add_flag("--modern-ancient", modern_ancient, "compute the ancient calendars with the modern algorithm");
}

void Commands::TakeJsonFlags() {
    for (auto& [command, run] : commands_)
        command->add_flag("--json", as_json, "Print one JSON document instead of text");
}

bool Commands::RunParsed() const {
    // A group ("tool", "query") is parsed with its command and added before it: the last parsed one
    // is the command itself.
    for (auto it = commands_.rbegin(); it != commands_.rend(); ++it) {
        if (it->first->parsed()) {
            it->second();
            return true;
        }
    }
    return false;
}

CLI::Validator WholeNumber(long long min, long long max) {
    // A year is read whole and checked against the calendar afterwards: its help says no range.
    std::string range = max < kAnyWhole ? " in " + std::to_string(min) + ".." + std::to_string(max)
                        : min > -kAnyWhole ? " from " + std::to_string(min)
                                           : "";
    return CLI::Validator([min, max](std::string& text) { return CheckWholeNumber(text, min, max); },
                          "INTEGER" + range);
}

CLI::Validator DecimalNumber(double min, double max) {
    return CLI::Validator([min, max](std::string& text) { return CheckDecimalNumber(text, min, max); }, "NUMBER");
}

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

astro::CalendarDate ParseDate(const std::string& arg) {
    astro::CalendarDate d;
    std::string error;
    if (!ParseDateArg(arg, d, error)) throw UsageError{Quoted(arg) + ": " + error};
    return d;
}

astro::CalendarDate ParseCalendarDate(const std::string& arg) {
    const astro::CalendarDate d = ParseDate(arg);
    CheckCalendarYear(d.year);
    return d;
}

astro::DayNumber DayNumberOf(const astro::CalendarDate& d) { return astro::DateToDayNumber(d.year, d.month, d.day); }

void CheckYear(long long year) {
    if (year < astro::MinYear || year > astro::MaxYear)
        throw UsageError{"year " + std::to_string(year) + " is outside the day numbers' years -9998..9999"};
}

astro::JulianDay LocalMidnight(astro::DayNumber n) { return n - 0.5 + astro::LocalTimeToDayFraction(0, 0, 0); }

std::string TrimBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(' ');
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(' ') - first + 1);
}

places::CityRecord ParsePlace(const std::string& arg) {
    const size_t slash = arg.find('/');
    if (slash == std::string::npos) throw UsageError{Utf8("--place wants P/C, e.g. 1/1 or 北京/天安门")};
    const std::string p = arg.substr(0, slash);
    const std::string c = arg.substr(slash + 1);
    int province = 0;
    int city = 0;
    const auto all_digits = [](const std::string& t) {
        return !t.empty() && t.size() < 4 && t.find_first_not_of("0123456789") == std::string::npos;
    };
    if (all_digits(p) && all_digits(c)) {
        province = std::stoi(p);
        city = std::stoi(c);
        if (province < 1 || province > places::ProvinceCount || city < 1 || city > places::CityCount(province))
            throw UsageError{"no place " + arg + " (provinces 1..35; tempo cities lists them)"};
    } else if (!places::FindCity(text::Utf8ToGbk(p), text::Utf8ToGbk(c), province, city)) {
        throw UsageError{"no place named " + arg + " (tempo cities lists them)"};
    }
    return places::CityRecordOf(province, city);
}

}  // namespace cli
