#include "settings/command_line.h"

#include <cctype>

namespace settings {

StartOptions ParseCommandLine(const std::string& arguments) {
    std::string upper = arguments;
    for (char& c : upper) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    struct Switch {
        const char* text;
        StartAction action;
    };
    static const Switch kSwitches[] = {
        {"/U/J", StartAction::kJulianDay},     {"/U/I", StartAction::kInterval},
        {"/U/G", StartAction::kGanZhi},        {"/U/C", StartAction::kConversion},
        {"/U/L", StartAction::kLunarMonths},   {"/U/T", StartAction::kSolarTerms},
        {"/U/N", StartAction::kMoons},         {"/U/S", StartAction::kSunTimes},
        {"/U/D", StartAction::kConditionDays}, {"/U/M", StartAction::kConditionMonths},
        {"/A", StartAction::kMusicPlayer},     {"/W", StartAction::kWeather},
        {"/H", StartAction::kAlmanac},
        {"/UNREG", StartAction::kUnregister},  {"/UNREGISTER", StartAction::kUnregister},
    };
    StartOptions options;
    for (const Switch& s : kSwitches) {
        if (upper == s.text) {
            options.action = s.action;
            return options;
        }
    }
    if (arguments == "/D") options.view = 0;
    if (arguments == "/M") options.view = 1;
    return options;
}

std::string ArgumentsOf(const std::string& command_line) {
    size_t i = 0;
    if (!command_line.empty() && command_line[0] == '"') {
        const size_t close = command_line.find('"', 1);
        i = close == std::string::npos ? command_line.size() : close + 1;
    } else {
        while (i < command_line.size() && command_line[i] != ' ' && command_line[i] != '\t') ++i;
    }
    while (i < command_line.size() && (command_line[i] == ' ' || command_line[i] == '\t')) ++i;
    return command_line.substr(i);
}

}  // namespace settings
