#include "views/spoken_day.h"

#include "calendar/day_info.h"
#include "calendar/festivals.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "views/holiday_marks.h"
#include "views/month_page_model.h"

namespace views {

namespace {

void Append(std::string& line, const std::string& piece) {
    if (piece.empty()) return;
    if (!line.empty()) line += ' ';
    line += piece;
}

}  // namespace

std::string SpokenDay(astro::DayNumber day, bool show_holidays) {
    const astro::CalendarDate d = astro::DayNumberToDate(day);
    if (d.month == 0 || !astro::IsValidDate(d.year, d.month, d.day)) return {};
    const std::string year = d.year >= 1 ? std::to_string(d.year) : "前" + std::to_string(1 - d.year);
    std::string line = year + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日";
    Append(line, WeekdayHeader(astro::Weekday(day)));
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(d.year, d.month, d.day);
    if (lunar.month >= 1 && lunar.month <= 24 && lunar.day >= 1 && lunar.day <= 30) {
        const std::string month = lunar.month <= 12 ? std::string(calendar::LunarMonthNames[lunar.month])
                                                    : "闰" + std::string(calendar::LunarMonthNames[lunar.month - 12]);
        Append(line, "农历" + month + calendar::LunarDayName(lunar.day));
        Append(line, calendar::LunarFestivalName(lunar.year, lunar.month, lunar.day));
    }
    Append(line, calendar::SolarFestivalName(d.year, d.month, d.day, false));
    // A term of this very day reads "今日立春 16:26:53": its name is the two characters after 今日.
    const std::string term = calendar::NextSolarTermText(d.year, d.month, d.day);
    if (term.compare(0, 4, "今日") == 0 && term.size() >= 8) Append(line, term.substr(4, 4));
    const DayHoliday holiday = HolidayOfDay(day, show_holidays);
    if (!holiday.mark.empty()) {
        // The holiday's name is what its line says before 假期 or 调休上班.
        const std::string name = holiday.text.substr(0, holiday.text.find(holiday.off ? "假期" : "调休上班"));
        if (line.find(name) == std::string::npos) Append(line, name);
        Append(line, holiday.mark);
    }
    return line;
}

}  // namespace views
