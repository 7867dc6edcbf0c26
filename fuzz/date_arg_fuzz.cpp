// Fuzz target: the date argument parser must answer every input with a date or a message, and a
// date it accepts must be a real one that survives the trip through the day count.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "astro/day_numbers.h"
#include "cli/date_arg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    astro::CalendarDate date;
    std::string error;
    if (cli::ParseDateArg(input, date, error)) {
        if (!astro::IsValidDate(date.year, date.month, date.day)) std::abort();
        const astro::DayNumber n = astro::DateToDayNumber(date.year, date.month, date.day);
        const astro::CalendarDate back = astro::DayNumberToDate(n);
        if (back.year != date.year || back.month != date.month || back.day != date.day) std::abort();
        // Its date text parses back to the same date.
        astro::CalendarDate again;
        if (!cli::ParseDateArg(astro::DayNumberToDateText(n), again, error) || again.year != date.year) std::abort();
    } else if (error.empty()) {
        std::abort();
    }
    return 0;
}
