// Fuzz target: the date entry of the tools window. Any text, with either BC flag and in each of
// the three calendars, gives a day number in the calendar's years with no message, or is refused with
// a message; an accepted Gregorian entry is the date it names.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>

#include "astro/day_numbers.h"
#include "calendar/range.h"
#include "tools/date_tools.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    if (size < 1) return 0;
    const bool bc = data[0] & 1;
    const auto calendar = static_cast<tools::EntryCalendar>((data[0] >> 1) % 3);
    const std::string text(reinterpret_cast<const char*>(data + 1), size - 1);
    const tools::EnteredDate d = tools::ParseEnteredDate(text, bc, calendar);
    if (d.ok() == d.message.empty()) {
        if (d.ok()) {
            const int year = astro::DayNumberToDate(d.day).year;
            if (!calendar::InCalendarRange(year)) std::abort();
            if (tools::JulianDayResult(d) != std::to_string(d.day)) std::abort();
            if (tools::ConvertResult(d).gregorian != astro::DayNumberToDateText(d.day)) std::abort();
            if (tools::DateAfterDays(d, text).gregorian.size() > 12) std::abort();
        }
    } else {
        std::abort();  // accepted with a message, or refused without one
    }
    if (d.ok() && calendar == tools::EntryCalendar::kGregorian) {
        const astro::CalendarDate date = astro::DayNumberToDate(d.day);
        const int printed_year = bc ? 1 - date.year : date.year;
        const size_t dash = text.rfind('-');
        if (std::stoi(text.substr(dash + 1)) != printed_year) std::abort();
    }
    return 0;
}
