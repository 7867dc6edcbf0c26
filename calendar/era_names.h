// Era names (年号): the Chinese reign title in force in a year, with the ordinal year of the reign.
//
// From 140 BC, when Emperor Wu of the Western Han first named his years 建元, to 1911, the last year
// of the Qing, years in China were counted by the reign title proclaimed by the court, starting again
// from year one (元年) at every new title. Where several courts reigned at once the table follows one
// line of succession (Han, Wei, Jin, the Southern Dynasties, Northern Zhou, Sui, Tang, the Five
// Dynasties, Song, Yuan, Ming, Qing), so every year has exactly one title. Outside those years the year
// is written in Chinese digits instead.
#pragma once

#include <span>
#include <string>

namespace calendar {

// One reign title. The name is four characters, GBK: the two-character dynasty label (西汉, 唐代,
// 清代 ...) followed by the two-character title. The row covers first_year..last_year (astronomical
// numbering, year 0 = 1 BC); its years are counted from reign_start, which is first_year except for
// the first 元代至元: Kublai proclaimed 至元 in 1264, but the table gives 1264..1279 to the Southern
// Song, so that row begins in 1280 and counts that year as its 17th.
struct EraRow {
    const char* name;
    int first_year;
    int last_year;
    int reign_start;
};

constexpr int EraFirstYear = -139;  // 西汉建元01
constexpr int EraLastYear = 1911;   // 清代宣统03

// The 330 rows in chronological order, each ending the year before the next begins.
std::span<const EraRow> EraTable();
// The row whose years contain the given year, or nullptr outside EraFirstYear..EraLastYear.
const EraRow* EraRowOfYear(int year);
// The era name and two-digit ordinal of a year of -139..1911 ("清代光绪01"); for another year of
// -8999..9000 the year in Chinese digits right-aligned in 10 bytes ("  一九一二", "  前一四一");
// empty outside -8999..9000.
std::string EraName(int year);

}  // namespace calendar
