// Festivals and commemorative days of a date, and the seasonal periods of the Chinese calendar:
// the nine-nines of winter (数九), the dog days of summer (三伏) and the plum rains (入梅, 出梅).
// Every operation returns a short text, empty when nothing applies.
#pragma once

#include <string>
#include <vector>

namespace calendar {

// Fixed-date and weekday-rule festivals and Easter; all_festivals adds the minor days and the
// long names.
std::string SolarFestivalName(int year, int month, int day, bool all_festivals);
// The same with the year's Easter day (EasterDay) computed once by the caller.
std::string SolarFestivalNameWith(int year, int month, int day, bool all_festivals, int easter_day);
// Each solar festival of a date apart, in that order: the fixed-date one, the weekday-rule ones,
// Easter. Without all_festivals only the main ones, with their short names; with it the minor days
// too and the long names. The names above show the first of these, or (all_festivals) all joined
// by blanks.
std::vector<std::string> SolarFestivalsWith(int year, int month, int day, bool all_festivals, int easter_day);
// The day number of Easter in a year as the churches keep it (the Julian computus until 1582, the
// Gregorian from 1583), from 325; 0 outside the calendar's years.
int EasterDay(int year);
// Lunar month 1..24 (13..24 leap months) and day; the lunar date must exist.
std::string LunarFestivalName(int lunar_year, int month, int day);
std::string NineNinesText(int year, int month, int day);
std::string DogDaysText(int year, int month, int day);
std::string PlumRainText(int year, int month, int day);

}  // namespace calendar
