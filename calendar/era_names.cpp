#include "calendar/era_names.h"

#include <algorithm>
#include <cstdio>
#include <iterator>

#include "calendar/names.h"
#include "calendar/range.h"

namespace calendar {

namespace {

// Name, first year, last year, the year counted as the reign's first (元年).
constexpr EraRow kEraTable[] = {
#include "calendar/era_table.inc"
};

// The table must stay one unbroken line of years: checked whenever it is compiled.
constexpr bool TableIsContiguous() {
    if (kEraTable[0].first_year != EraFirstYear) return false;
    if (kEraTable[std::size(kEraTable) - 1].last_year != EraLastYear) return false;
    for (std::size_t i = 0; i < std::size(kEraTable); ++i) {
        if (kEraTable[i].last_year < kEraTable[i].first_year) return false;
        if (kEraTable[i].reign_start > kEraTable[i].first_year) return false;
        if (i + 1 < std::size(kEraTable) && kEraTable[i + 1].first_year != kEraTable[i].last_year + 1) return false;
    }
    return true;
}
static_assert(std::size(kEraTable) == 330);
static_assert(TableIsContiguous());

}  // namespace

std::span<const EraRow> EraTable() { return kEraTable; }

const EraRow* EraRowOfYear(int year) {
    if (year < EraFirstYear || year > EraLastYear) return nullptr;
    // The last row that begins in or before the year; the rows leave no gaps, so it contains it.
    const EraRow* after = std::upper_bound(std::begin(kEraTable), std::end(kEraTable), year,
                                           [](int y, const EraRow& row) { return y < row.first_year; });
    return after - 1;
}

std::string EraName(int year) {
    if (!InCalendarRange(year)) return {};
    const EraRow* row = EraRowOfYear(year);
    if (row == nullptr) return ChineseYearNumberText(year);
    char ordinal[16];
    std::snprintf(ordinal, sizeof ordinal, "%02d", year - row->reign_start + 1);
    return std::string(row->name) + ordinal;
}

}  // namespace calendar
