// Fuzz target: a lunar date typed by the user (the date forms of the command line, months 13..24
// for leap months) is either refused or converts to a calendar date and back to itself; a calendar
// date converts to a lunar date and back.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <string_view>

#include "astro/day_numbers.h"
#include "calendar/lunar_year.h"
#include "cli/date_arg.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    astro::CalendarDate fields;
    std::string error;
    if (!cli::ParseDateFields(input, fields, error)) return 0;

    const astro::CalendarDate solar = calendar::LunarToSolar(fields.year, fields.month, fields.day);
    if (calendar::IsValidLunarDate(fields.year, fields.month, fields.day)) {
        if (!astro::IsValidDate(solar.year, solar.month, solar.day)) std::abort();
        const calendar::LunarDate back = calendar::SolarToLunarDate(solar.year, solar.month, solar.day);
        // Lunar years beyond the conversion range (-8999..9000) have no way back.
        if (back.month != 0 && (back.year != fields.year || back.month != fields.month || back.day != fields.day))
            std::abort();
    } else if (solar.month != 0) {
        std::abort();
    }

    if (astro::IsValidDate(fields.year, fields.month, fields.day)) {
        const calendar::LunarDate lunar = calendar::SolarToLunarDate(fields.year, fields.month, fields.day);
        if (lunar.month != 0) {
            const astro::CalendarDate again = calendar::LunarToSolar(lunar.year, lunar.month, lunar.day);
            if (again.year != fields.year || again.month != fields.month || again.day != fields.day) std::abort();
            if (calendar::LunarDateText(lunar).size() != 12) std::abort();
        }
    }
    return 0;
}
