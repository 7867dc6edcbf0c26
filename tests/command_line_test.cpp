// The program's command line: which switch starts what.
#include <gtest/gtest.h>

#include <string>

#include "settings/command_line.h"

namespace {

using settings::StartAction;

TEST(CommandLine, EachSwitchAndTheRulesOfCase) {
    const struct {
        const char* arguments;
        StartAction action;
        int view;
    } cases[] = {
        // The switches are compared in upper case: any case starts the same thing.
        {"/U/J", StartAction::kJulianDay, -1},        {"/u/j", StartAction::kJulianDay, -1},
        {"/U/I", StartAction::kInterval, -1},         {"/U/G", StartAction::kGanZhi, -1},
        {"/U/C", StartAction::kConversion, -1},       {"/U/L", StartAction::kLunarMonths, -1},
        {"/U/T", StartAction::kSolarTerms, -1},       {"/U/N", StartAction::kMoons, -1},
        {"/U/S", StartAction::kSunTimes, -1},         {"/U/D", StartAction::kConditionDays, -1},
        {"/u/D", StartAction::kConditionDays, -1},    {"/U/M", StartAction::kConditionMonths, -1},
        {"/A", StartAction::kMusicPlayer, -1},        {"/w", StartAction::kWeather, -1},
        {"/H", StartAction::kAlmanac, -1},            {"/h", StartAction::kAlmanac, -1},
        {"/H/A", StartAction::kCalendar, -1},
        {"/UNREG", StartAction::kUnregister, -1},     {"/UnRegister", StartAction::kUnregister, -1},
        // The views only as typed: "/d" and "/m" are no switches.
        {"/D", StartAction::kCalendar, 0},            {"/M", StartAction::kCalendar, 1},
        {"/d", StartAction::kCalendar, -1},           {"/m", StartAction::kCalendar, -1},
        // The whole text is one switch: anything more, or anything else, is ignored.
        {"", StartAction::kCalendar, -1},             {"/U/J ", StartAction::kCalendar, -1},
        {"/U/J/U/I", StartAction::kCalendar, -1},     {"/D /M", StartAction::kCalendar, -1},
        {"/UNREGISTERED", StartAction::kCalendar, -1}, {"/U/X", StartAction::kCalendar, -1},
        {"U/J", StartAction::kCalendar, -1},
    };
    for (const auto& c : cases) {
        const settings::StartOptions options = settings::ParseCommandLine(c.arguments);
        EXPECT_EQ(options.action, c.action) << '"' << c.arguments << '"';
        EXPECT_EQ(options.view, c.view) << '"' << c.arguments << '"';
    }
}

TEST(CommandLine, TheArgumentsFollowTheProgramName) {
    const struct {
        const char* command_line;
        const char* arguments;
    } cases[] = {
        {"Tempoline.exe /U/J", "/U/J"},
        {"\"C:\\Program Files\\Tempoline.exe\" /M", "/M"},
        {"\"C:\\Program Files\\Tempoline.exe\"/D", "/D"},
        {"Tempoline.exe \t /UNREG", "/UNREG"},
        {"Tempoline.exe", ""},
        {"\"C:\\unclosed quote /U/J", ""},
    };
    for (const auto& c : cases) EXPECT_EQ(settings::ArgumentsOf(c.command_line), c.arguments) << c.command_line;
}

}  // namespace
