// What the commands of tempo share: output in UTF-8 or JSON, argument errors, dates and places.
#pragma once

#include <nlohmann/json.hpp>

#include <string>

#include "astro/day_numbers.h"
#include "places/city_table.h"

namespace cli {

using json = nlohmann::ordered_json;

constexpr int kUsageError = 2;

// Thrown by argument checks inside a command; main turns it into a message (UTF-8) and status 2.
struct UsageError {
    std::string message;
};

std::string Utf8(const std::string& gbk);
void PrintLine(const std::string& gbk);
// A text of the program (GBK, lines separated by CR LF) on the terminal: UTF-8, LF line ends.
void PrintText(const std::string& gbk);
void PrintJson(const json& doc);
std::string Format(const char* fmt, double value);

astro::CalendarDate ParseDate(const std::string& arg);
astro::DayNumber DayNumberOf(const astro::CalendarDate& d);
void CheckYear(int year);
// Universal instant of local (UTC+8) midnight opening day n.
astro::JulianDay LocalMidnight(astro::DayNumber n);
std::string TrimBlanks(const std::string& text);
// A place given as "P/C": indexes ("1/1") or names ("北京/天安门", UTF-8).
places::CityRecord ParsePlace(const std::string& arg);

}  // namespace cli
