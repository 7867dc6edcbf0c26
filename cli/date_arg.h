// Date arguments of the command line: ISO "YYYY-MM-DD" with astronomical years ("0000-03-01" is
// 1 March of 1 BC, "-0103-05-01" is 104 BC) or the program's date text ("AD02-10-2024",
// "BC03-01-0001").
#pragma once

#include <string>
#include <string_view>

#include "astro/day_numbers.h"

namespace cli {

// True and the date when `text` is a valid date in either form; otherwise false and a message.
bool ParseDateArg(std::string_view text, astro::CalendarDate& date, std::string& error);

// The same forms read as year, month and day without asking whether the date exists (for lunar
// dates with months 13..24 and Hijri dates); false and a message when the text has neither form.
bool ParseDateFields(std::string_view text, astro::CalendarDate& date, std::string& error);

}  // namespace cli
