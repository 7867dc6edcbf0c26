// The yearly-tables window: one table of a chosen year as text, exactly as tools/yearly_tables.h
// writes it, in a fixed-width font so that its columns line up.
//   mode 1 计算农历月          the months of a lunar year
//   mode 2 计算节气日          the solar terms of a Gregorian year
//   mode 3 计算塑望日          the new and full moons of a Gregorian year
//   mode 4 计算太阳升降时刻    sunrise and sunset (or dawn and dusk) of every day of a year at a place
#pragma once

#include <windows.h>

#include "tools/tool_window_common.h"

namespace tools {

// Control identifiers.
constexpr int kTableYearBoxId = 251;    // the year, digits only; 纪元前 makes n the year 1 - n
constexpr int kTableBcId = 252;         // 纪元前
constexpr int kPreviousYearId = 253;    // 上一年
constexpr int kNextYearId = 254;        // 下一年
constexpr int kTableProvinceId = 255;   // mode 4: the province list (places/city_table.h)
constexpr int kTableCityId = 256;       //   and the city list
constexpr int kSunriseOptionId = 257;   //   日出日落时刻
constexpr int kDawnOptionId = 258;      //   天亮天黑时刻
constexpr int kTableBoxId = 259;        // the table (read-only, multi-line)
// The buttons: IDOK "计算", IDCANCEL "取消".

// Creates and shows the window (not modal) for mode 1..4, with the table of the year of the start
// day (the sun times at the local place); nullptr for another mode.
HWND CreateYearlyTablesWindow(HWND owner, int mode, const ToolContext& context);

}  // namespace tools
