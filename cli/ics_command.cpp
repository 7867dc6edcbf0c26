// `tempo ics`: its arguments and what it does with them (cli/ics.h writes the file).
#include <cerrno>
#include <cstring>
#include <filesystem>
#include <iostream>
#include <string>
#include <utility>
#include <vector>

#include "cli/common.h"
#include "calendar/holidays.h"
#include "cli/ics.h"
#include "platform/files.h"

namespace cli {

namespace {

constexpr std::size_t kMaxBirthdayFile = 1 << 20;

// 1234567 as "1,234,567".
std::string Grouped(long long n) {
    std::string digits = std::to_string(n);
    for (int at = static_cast<int>(digits.size()) - 3; at > 0; at -= 3) digits.insert(static_cast<std::size_t>(at), ",");
    return digits;
}

void AddBirthdayEntries(std::vector<Birthday>& out, const Argument& arg, bool lunar) {
    for (const std::string& entry : arg.texts()) {
        Birthday b;
        const std::string why = CheckBirthday(entry, lunar, &b);
        if (!why.empty()) arg.Refuse(Quoted(entry) + ": " + why);
        out.push_back(b);
    }
}

}  // namespace

void AddIcsCommand(Commands& c) {
    Command& cmd = c.Add("ics", "the Chinese calendar and yearly birthdays as an iCalendar file (RFC 5545)");
    cmd.takes_json = false;
    const Argument& from = cmd.Option("--from", "YEAR", "the first year, 1583..2999", true);
    const Argument& years = cmd.Option("--years", "N", "how many years, 1..200 (default 1)");
    const Argument& terms = cmd.Flag("--terms", Utf8("the 24 solar terms (立春 ...) at their astronomical instants"));
    const Argument& festivals = cmd.Flag("--festivals", "the lunar festivals and the main solar festivals");
    const Argument& months =
        cmd.Flag("--months", Utf8("the first day of every lunar month (正月初一, 闰二月初一 ...)"));
    const Argument& holidays = cmd.Flag(
        "--holidays", Utf8("the public holidays: each span of days off (春节（休）) and each weekend day worked "
                           "(上班（调休）), in the years the holiday table holds"));
    const Argument& holidays_file = AddHolidaysFile(cmd);
    const Argument& lunar = cmd.Option(
        "--lunar-birthday", "MM-DD:TITLE",
        Utf8("a yearly lunar date and its title, e.g. 08-15:妈妈生日 (a leap month is month + 12); repeatable"), false,
        true);
    const Argument& solar = cmd.Option("--solar-birthday", "MM-DD:TITLE",
                                       Utf8("a yearly Gregorian date and its title, e.g. 05-04:爸爸生日; repeatable"),
                                       false, true);
    const Argument& file = cmd.Option("--birthdays", "FILE",
                                      "a file of birthdays, one a line: lunar-birthday MM-DD:TITLE or solar-birthday "
                                      "MM-DD:TITLE; # at the start of a line or after a blank starts a comment");
    const Argument& name = cmd.Option("--name", "NAME", Utf8("the calendar's name (default 橙鹿万年历)"));
    const Argument& output =
        cmd.Option("--output", "FILE", "write FILE (replaced only once complete) instead of standard output");
    cmd.Example(Utf8("tempo ics --from 2025 --years 10 --terms --festivals --lunar-birthday 08-15:妈妈生日 > family.ics"));
    c.TakesRuleFlag(cmd);
    cmd.run = [&c, &from, &years, &terms, &festivals, &months, &holidays, &holidays_file, &lunar, &solar, &file, &name,
               &output] {
        if (c.as_json) throw UsageError{"--json does not apply: tempo ics writes an iCalendar file"};
        if (holidays_file.given() && !holidays.given()) holidays_file.Refuse("does not apply without --holidays");
        UseHolidayTable(holidays_file);
        IcsRequest request;
        const long long first = from.WholeNumber(-kAnyWhole, kAnyWhole);
        request.span = IcsYears(first, years.given() ? years.WholeNumber(-kAnyWhole, kAnyWhole) : 1);
        request.terms = terms.given();
        request.festivals = festivals.given();
        request.months = months.given();
        request.holidays = holidays.given();
        AddBirthdayEntries(request.birthdays, lunar, true);
        AddBirthdayEntries(request.birthdays, solar, false);
        if (file.given()) {
            std::string contents;
            if (!platform::ReadWholeFile(file.text(), contents, kMaxBirthdayFile))
                file.RefuseTyped("cannot be read (missing, unreadable or over 1 MiB)");
            try {
                for (const Birthday& b : ReadBirthdays(contents, file.text())) request.birthdays.push_back(b);
            } catch (const UsageError& e) {
                file.Refuse(e.message);
            }
        }
        if (!request.terms && !request.festivals && !request.months && !request.holidays && request.birthdays.empty())
            throw UsageError{"nothing to put in the calendar: give --terms, --festivals, --months, --holidays or a birthday"};
        // A calendar file must hold an event; a range without any is refused, not written empty.
        if (const std::string empty = IcsEmptyReason(request); !empty.empty())
            throw UsageError{empty + (request.holidays ? " (a newer table: --holidays-file FILE)" : "")};
        if (request.holidays) {
            // Years of the file without a single 休 or 班 day: said, not silently left out.
            const std::vector<int> missing = IcsYearsWithoutHolidays(request);
            if (!missing.empty())
                std::cerr << "tempo ics: the public holiday table holds " << HeldYearsText() << "; no holidays in "
                          << YearRunsText(missing) << "\n";
        }
        request.name = name.TextOr(Utf8("橙鹿万年历"));
        const std::string why = CheckTitleText(request.name);
        if (!why.empty()) name.RefuseTyped("cannot name the calendar: " + why);
        // Bounded work: the events are counted before anything is written.
        const long long events = IcsEventCount(request);
        if (events > kMaxIcsEvents)
            throw UsageError{"the calendar would hold " + Grouped(events) + " events, more than the " +
                             Grouped(kMaxIcsEvents) + " one file may hold: ask for fewer years or birthdays"};

        if (!output.given()) {
            // Standard output in pieces; a piece that cannot be written ends the work, with the
            // system's reason.
            int failure = 0;
            WriteIcsCalendar(request, [&failure](std::string_view piece) {
                errno = 0;
                std::cout.write(piece.data(), static_cast<std::streamsize>(piece.size()));
                if (std::cout.flush()) return true;
                failure = errno != 0 ? errno : EIO;
                return false;
            });
            if (failure != 0) throw UsageError{std::string("the output could not be written: ") + std::strerror(failure)};
            return;
        }
        // The file written must not be one read: it would be replaced by a calendar (through a link
        // or another name for it too). The kept holiday table is read whenever it is there and no
        // --holidays-file is given.
        std::vector<std::pair<std::string, std::string>> inputs;  // what, path
        if (file.given()) inputs.emplace_back("the " + file.name() + " file", file.text());
        if (holidays_file.given())
            inputs.emplace_back("the " + holidays_file.name() + " file", holidays_file.text());
        else if (const std::string kept = KeptHolidayTablePath(); !kept.empty())
            inputs.emplace_back("the kept holiday table " + kept, kept);
        for (const auto& [what, path] : inputs) {
            std::error_code error;
            if (std::filesystem::equivalent(output.text(), path, error))
                output.RefuseTyped("is " + what + ": writing the calendar there would replace it");
        }
        const platform::ReplaceResult written = platform::ReplaceFileFrom(
            output.text(), [&request](const platform::FileSink& write) { return WriteIcsCalendar(request, write); });
        if (!written) output.RefuseTyped("cannot be written: " + platform::ReplaceResultText(written));
    };
}

}  // namespace cli
