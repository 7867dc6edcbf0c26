// Derives the one-day corrections of new moons from the first days of lunar months that the
// official calendars recorded.
//
//   historical (data/historical_month_starts_620_1920.tsv): every new moon from 620-12-30 to
//     1920-11-11, the engine's day after the historical day rules (the late-evening rule, the
//     exception days), against the recorded first day of its month;
//   official (data/official_month_starts_1901_2100.tsv, --official): every new moon of 1901..2100,
//     the engine's day by the same rules (with the historical corrections, which reach to 1920),
//     against the official tables of the modern calendar. A new moon within a minute or so of
//     midnight lies within the error of the truncated series and may fall on the other side of it.
//
// A record one day later gives an entry "+1", one day earlier "-1", keyed by the astronomical day
// of the new moon.
//
//   derive_new_moon_corrections DATA.tsv [--official]            print the list (C++ rows) on stdout
//   derive_new_moon_corrections DATA.tsv [--official] --check F  exit 1 unless F holds exactly that list
//
// A summary (counts, every month a one-day correction cannot mend, and for the official span every
// new moon, full moon and solar term within 60 s of midnight) goes to stderr.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "calendar/lunar_events.h"

namespace {

struct Span {
    const char* data_name;
    astro::DayNumber first_new_moon;
    astro::DayNumber last_new_moon;
};
constexpr Span kHistorical{"historical_month_starts_620_1920.tsv", 1947877, 2422640};  // 620-12-30 .. 1920-11-11
constexpr Span kOfficial{"official_month_starts_1901_2100.tsv", 2415405, 2488434};     // 1901-01-20 .. 2100-12-31

std::vector<astro::DayNumber> ReadMonthStarts(const char* path) {
    std::vector<astro::DayNumber> days;
    std::ifstream in(path);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#') continue;
        days.push_back(static_cast<astro::DayNumber>(std::stol(line)));
    }
    std::sort(days.begin(), days.end());
    return days;
}

astro::DayNumber Nearest(const std::vector<astro::DayNumber>& days, astro::DayNumber d) {
    const auto it = std::lower_bound(days.begin(), days.end(), d);
    if (it == days.end()) return days.back();
    if (it == days.begin()) return *it;
    return (*it - d) < (d - *(it - 1)) ? *it : *(it - 1);
}

std::string Date(astro::DayNumber d) { return astro::DayNumberToDateText(d); }

// A chronological day value as its date and time (UTC+8), and its distance from the nearest
// midnight in seconds.
std::string When(double chronological) { return astro::JulianDayToDateTimeText(chronological); }
double SecondsFromMidnight(double chronological) {
    return (chronological - std::round(chronological)) * 86400.0;
}

// The events of 1901..2100 within 60 s of midnight, where the truncated series may put them on
// the wrong day.
void ReportNearMidnight(const Span& span) {
    const auto report = [](const char* what, double when) {
        if (std::fabs(SecondsFromMidnight(when)) <= 60.0)
            std::cerr << "near midnight: " << what << " " << When(when) << " (" << SecondsFromMidnight(when)
                      << " s from midnight)\n";
    };
    for (astro::DayNumber d = span.first_new_moon - 5; d <= span.last_new_moon;) {
        const double when = calendar::detail::AstronomicalNewMoon(d);
        report("new moon", when);
        d = static_cast<astro::DayNumber>(std::floor(when)) + 1;
    }
    for (astro::DayNumber d = span.first_new_moon - 20; d <= span.last_new_moon;) {
        const double when = calendar::detail::AstronomicalFullMoon(d);
        report("full moon", when);
        d = static_cast<astro::DayNumber>(std::floor(when)) + 1;
    }
    for (astro::DayNumber d = span.first_new_moon - 20; d <= span.last_new_moon;) {
        const calendar::SolarTermInstant term = calendar::detail::AstronomicalTerm(d, false);
        report("solar term", term.when);
        d = static_cast<astro::DayNumber>(std::floor(term.when)) + 1;
    }
}

// The historical correction of the new moon of an astronomical day (0 for none).
int HistoricalShift(astro::DayNumber day) {
    int count = 0;
    const calendar::detail::DayCorrection* list = calendar::detail::NewMoonCorrections(count);
    for (int i = 0; i < count; ++i)
        if (list[i].day == day) return list[i].shift;
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    std::vector<std::string> args(argv + 1, argv + argc);
    const bool official = std::find(args.begin(), args.end(), "--official") != args.end();
    if (official) args.erase(std::find(args.begin(), args.end(), "--official"));
    if (args.size() != 1 && !(args.size() == 3 && args[1] == "--check")) {
        std::cerr << "usage: derive_new_moon_corrections DATA.tsv [--official] [--check FILE]\n";
        return 2;
    }
    const Span& span = official ? kOfficial : kHistorical;
    const std::vector<astro::DayNumber> recorded = ReadMonthStarts(args[0].c_str());
    if (recorded.empty()) {
        std::cerr << "no month starts in " << args[0] << "\n";
        return 2;
    }
    std::ostringstream list;
    list << "// Generated by scripts/derive_new_moon_corrections.cpp" << (official ? " --official" : "")
         << " from\n// data/" << span.data_name << ". Do not edit.\n"
         << "// {astronomical day of the new moon, +1 = the month began a day later, -1 = a day earlier}\n";
    int plus = 0, minus = 0, misfits = 0, months = 0;
    // Walk the months as the year records do: each search starts 20 days after a month's start.
    astro::DayNumber query = span.first_new_moon - 5;
    for (;;) {
        const double astronomical = calendar::detail::AstronomicalNewMoon(query);
        const auto day = static_cast<astro::DayNumber>(std::floor(astronomical));
        if (day > span.last_new_moon) break;
        const calendar::detail::HistoricalNewMoon h = calendar::detail::UncorrectedHistoricalNewMoon(query);
        auto engine = static_cast<astro::DayNumber>(std::floor(h.when));
        if (official && h.correctable) engine += HistoricalShift(engine);
        const astro::DayNumber record = Nearest(recorded, engine);
        const int diff = record - engine;
        ++months;
        if (diff != 0) {
            if ((diff == 1 || diff == -1) && h.correctable) {
                list << "{" << day << ", " << (diff > 0 ? "+1" : "-1") << "},\n";
                (diff > 0 ? plus : minus)++;
                std::cerr << "corrected: new moon " << When(astronomical) << ", recorded " << Date(record) << "\n";
            } else {
                ++misfits;
                std::cerr << "does not fit: new moon " << Date(day) << " (" << day << "), engine day " << Date(engine)
                          << ", recorded " << Date(record) << (h.correctable ? "" : " (fixed by the day rules)")
                          << "\n";
            }
        }
        query = engine + 20;
    }
    std::cerr << months << " months compared; " << plus + minus << " corrections (" << plus << " +1, " << minus
              << " -1); " << misfits << " months that a one-day correction cannot mend\n";
    if (official) ReportNearMidnight(span);

    if (args.size() == 3) {
        std::ifstream committed(args[2]);
        std::stringstream text;
        text << committed.rdbuf();
        if (text.str() != list.str()) {
            std::cerr << args[2] << " differs from the derived list\n";
            return 1;
        }
        std::cerr << args[2] << " is up to date\n";
        return 0;
    }
    std::cout << list.str();
    return 0;
}
