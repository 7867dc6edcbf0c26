// The two lines of text that describe a day under the calendar: the attribute line (weekday,
// zodiac sign, sexagenary date) and the information line, whose content the user chooses:
// festivals and seasonal periods (type 0), sunrise and sunset (1), or dawn and dusk (2).
#pragma once

#include <string>

namespace calendar {

// The stored information-type setting: "1" and "2" select those types, anything else type 0.
int InfoTypeFromSetting(const std::string& stored);

// 星期六 摩羯座  己卯(兔)年丙子月戊午日
std::string AttributeLine(int year, int month, int day, int ganzhi_mode);

// The information line of a date; longitude (east negative) and latitude of the place for types
// 1 and 2, whose times are given in the calculation time zone.
std::string InformationLine(int year, int month, int day, int info_type, double longitude, double latitude);

// The coming solar term: 今日冬至 11:27:15, 明日..., 2月4日立春, or 2025年1月5日小寒 when it falls in
// the next year (公元前 before a year BC).
std::string NextSolarTermText(int year, int month, int day);
// The same from the first solar term on or after the date, found by the caller.
struct SolarTermInstant;
std::string NextSolarTermTextFrom(int year, int month, int day, const SolarTermInstant& next);

}  // namespace calendar
