// The four yearly tables of the tools window, as the exact texts the window shows (GBK, lines
// separated by CR LF): the months of a lunar year, the solar terms and the new and full moons of a
// Gregorian year, and the sunrise/sunset or dawn/dusk times of every day of a year at a place.
#pragma once

#include <string>
#include <vector>

namespace tools {

// "    农历 2024" / "    公历 前104": the head of every table header.
std::string YearHeader(const char* calendar_word, int year);

std::string LunarMonthsTable(int lunar_year);

struct TableEntry {
    int index = 0;          // solar term 1..24; for phases 0 = new moon, 1 = full moon
    double when = 0.0;      // chronological day value (UTC+8)
    bool in_year = true;
};

// The solar terms whose day falls in the year, in time order, as the calendar of the time counted
// them (the historical terms for old years unless the modern rule is on): the table's and `tempo
// terms`' list.
std::vector<TableEntry> SolarTermsOfYear(int year);
std::string SolarTermsTable(int year);

// The phases of the table's lines in order: each line pairs a phase with the opposite one that
// follows; a phase outside the year is kept with in_year false (and left out of the text).
std::vector<TableEntry> MoonPhasesOfYear(int year);
std::string MoonsTable(int year);

// province 1..35, city 1..n; twilight selects dawn and dusk.
std::string SunTimesTable(int year, int province, int city, bool twilight);

}  // namespace tools
