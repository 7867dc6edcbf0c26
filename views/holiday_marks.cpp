#include "views/holiday_marks.h"

#include "calendar/holidays.h"

namespace views {

DayHoliday HolidayOfDay(astro::DayNumber day, bool shown) {
    if (!shown) return {};
    const calendar::HolidayMark mark = calendar::Holidays()->MarkOf(day);
    switch (mark.kind) {
        case calendar::HolidayKind::kOff: return {"休", mark.name + "假期（休）", true};
        case calendar::HolidayKind::kWork: return {"班", mark.name + "调休上班（班）", false};
        default: return {};
    }
}

}  // namespace views
