// The public holiday arrangement as the pages show it: a small 休 (a day off) or 班 (a weekend day
// worked) on a day, and a line that names it. Portable: the windows only draw these.
#pragma once

#include <cstdint>
#include <string>

#include "astro/day_numbers.h"

namespace views {

struct DayHoliday {
    std::string mark;  // "休", "班" or "" (GBK)
    std::string text;  // "春节假期（休）", "调休上班（班）" or ""
    bool off = false;  // a day off (drawn in red), else a working day (drawn dark)
};

// The marks' colours, the same on both pages: white on red for a day off, white on a dark grey for a
// weekend day worked. Windows colour values (0x00BBGGRR, what RGB() makes).
constexpr std::uint32_t MarkColour(int red, int green, int blue) {
    return static_cast<std::uint32_t>(red) | static_cast<std::uint32_t>(green) << 8 |
           static_cast<std::uint32_t>(blue) << 16;
}
constexpr std::uint32_t kHolidayMarkText = MarkColour(255, 255, 255);
constexpr std::uint32_t kHolidayOffBackground = MarkColour(224, 32, 32);
constexpr std::uint32_t kHolidayWorkBackground = MarkColour(64, 64, 64);
inline std::uint32_t MarkBackground(const DayHoliday& holiday) {
    return holiday.off ? kHolidayOffBackground : kHolidayWorkBackground;
}

// The arrangement of a day under the installed holiday table; nothing when `shown` is off or the
// day is an ordinary one.
DayHoliday HolidayOfDay(astro::DayNumber day, bool shown);

}  // namespace views
