// The switches of the program's command line.
#pragma once

#include <string>

namespace settings {

enum class StartAction {
    kCalendar,      // the day page or the month page
    kJulianDay,     // /U/J .. /U/C: the date tools, one page each
    kInterval,
    kGanZhi,
    kConversion,
    kLunarMonths,   // /U/L .. /U/S: the yearly tables
    kSolarTerms,
    kMoons,
    kSunTimes,
    kConditionDays, // /U/D, /U/M: the condition queries
    kConditionMonths,
    kMusicPlayer,   // /A
    kWeather,       // /W
    kAlmanac,       // /H: the almanac 黄历
    kUnregister,    // /UNREG, /UNREGISTER: remove every setting
};

struct StartOptions {
    StartAction action = StartAction::kCalendar;
    int view = -1;  // 0 day page (/D), 1 month page (/M), -1 the stored choice
};

// The whole argument text after the program name. The switches are compared in upper case, except
// "/D" and "/M", which must be typed so; anything else is ignored.
StartOptions ParseCommandLine(const std::string& arguments);

// The argument text of a command line: what follows the program name (quoted or not) and the
// blanks after it.
std::string ArgumentsOf(const std::string& command_line);

}  // namespace settings
