// `tempo ics`: its options and what it does with them (cli/ics.h builds the file).
#include <iostream>
#include <memory>
#include <string>
#include <vector>

#include "cli/common.h"
#include "cli/ics.h"
#include "platform/files.h"

namespace cli {

namespace {

constexpr std::size_t kMaxBirthdayFile = 1 << 20;

struct IcsOptions {
    long long from = 0;
    long long years = 1;
    bool terms = false;
    bool festivals = false;
    bool months = false;
    std::vector<std::string> lunar_birthdays, solar_birthdays;
    std::string birthdays_file;
    std::string name = Utf8("橙鹿万年历");
    std::string output;
};

void AddBirthdayEntries(std::vector<Birthday>& out, const std::vector<std::string>& entries, bool lunar) {
    for (const std::string& entry : entries) {
        Birthday b;
        const std::string why = CheckBirthday(entry, lunar, &b);
        if (!why.empty())
            throw UsageError{std::string(lunar ? "--lunar-birthday" : "--solar-birthday") + " " + Quoted(entry) + ": " + why};
        out.push_back(b);
    }
}

void RunIcs(const IcsOptions& o, bool as_json) {
    if (as_json) throw UsageError{"tempo ics writes an iCalendar file; --json does not apply"};
    IcsRequest request;
    request.span = IcsYears(o.from, o.years);
    request.terms = o.terms;
    request.festivals = o.festivals;
    request.months = o.months;
    AddBirthdayEntries(request.birthdays, o.lunar_birthdays, true);
    AddBirthdayEntries(request.birthdays, o.solar_birthdays, false);
    if (!o.birthdays_file.empty()) {
        std::string contents;
        if (!platform::ReadWholeFile(o.birthdays_file, contents, kMaxBirthdayFile))
            throw UsageError{"cannot read the birthdays file " + o.birthdays_file + " (missing, unreadable or over 1 MiB)"};
        for (const Birthday& b : ReadBirthdays(contents, o.birthdays_file)) request.birthdays.push_back(b);
    }
    if (!o.terms && !o.festivals && !o.months && request.birthdays.empty())
        throw UsageError{"nothing to put in the calendar: give --terms, --festivals, --months or a birthday"};
    const std::string why = CheckTitleText(o.name);
    if (!why.empty()) throw UsageError{"--name: " + why};
    request.name = o.name;

    const std::string file = IcsCalendar(request);
    if (o.output.empty()) {
        std::cout << file;
    } else if (const platform::ReplaceResult written = platform::ReplaceFileContents(o.output, file); !written) {
        throw UsageError{"cannot write " + o.output + ": " + platform::ReplaceErrorText(written.error)};
    }
}

}  // namespace

void AddIcsCommand(Commands& c) {
    auto o = std::make_shared<IcsOptions>();
    CLI::App* cmd = c.Add("ics", "The Chinese calendar and lunar birthdays as an iCalendar file (RFC 5545)",
                          [&c, o] { RunIcs(*o, c.as_json); });
    cmd->add_option("--from", o->from, "first year, 1583..2999")->required()->check(WholeNumber(-kAnyWhole, kAnyWhole));
    cmd->add_option("--years", o->years, "how many years, 1..200 (default 1)")->check(WholeNumber(-kAnyWhole, kAnyWhole));
    cmd->add_flag("--terms", o->terms, Utf8("the 24 solar terms at their instants (立春 ...)"));
    cmd->add_flag("--festivals", o->festivals, "the lunar festivals and the main solar festivals");
    cmd->add_flag("--months", o->months, Utf8("the first day of every lunar month (正月初一, 闰二月初一 ...)"));
    cmd->add_option("--lunar-birthday", o->lunar_birthdays,
                    Utf8("MM-DD:TITLE, a yearly lunar date (leap month = month + 12), e.g. 08-15:妈妈生日"))
        ->take_all();
    cmd->add_option("--solar-birthday", o->solar_birthdays, "MM-DD:TITLE, a yearly Gregorian date")->take_all();
    cmd->add_option("--birthdays", o->birthdays_file,
                    "FILE of lines 'lunar-birthday MM-DD:TITLE' or 'solar-birthday MM-DD:TITLE'");
    cmd->add_option("--name", o->name, Utf8("the calendar's name (X-WR-CALNAME; default 橙鹿万年历)"));
    cmd->add_option("--output", o->output, "write FILE instead of standard output");
    c.TakesRuleFlag(cmd);
}

}  // namespace cli
