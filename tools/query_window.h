// The query window: searches a span of years for the days, or the lunar months, that meet the
// conditions the user picks, with tools/condition_queries.h, and lists the hits as the engine
// writes them. The search runs beside the window, which shows its progress and can stop it.
//   mode 1 查询条件日   condition days
//   mode 2 查询条件月   condition months
#pragma once

#include <windows.h>

#include "tools/tool_window_common.h"

namespace tools {

// Control identifiers.
// Mode 1: the criteria lists in the order of DayCriteria's fields; the first item of each, "不限",
// means any value.
constexpr int kSolarMonthListId = 301;   // 公历月 1..12
constexpr int kSolarDayListId = 302;     // 公历日 1..31
constexpr int kLunarMonthListId = 303;   // 农历月 正月..腊月, 闰正月..闰腊月 (1..24)
constexpr int kLunarDayListId = 304;     // 农历日 1..30
constexpr int kHijriMonthListId = 305;   // 回历月 1..12
constexpr int kHijriDayListId = 306;     // 回历日 1..30
constexpr int kGanZhiYearListId = 307;   // 干支年 甲子..癸亥
constexpr int kGanZhiMonthListId = 308;  // 干支月
constexpr int kGanZhiDayListId = 309;    // 干支日
constexpr int kWeekdayListId = 310;      // 星期 星期一..星期日
constexpr int kTermListId = 311;         // 节气 小寒..冬至
constexpr int kFestivalListId = 312;     // 节日 tools::QueryFestivalNames()
// Mode 2: the kind of month.
constexpr int kLeapMonthOptionId = 321;  // 农历闰月
constexpr int kThreeBigOptionId = 322;   // 三连大月
constexpr int kThreeSmallOptionId = 323; // 三连小月
constexpr int kFourBigOptionId = 324;    // 四连大月
constexpr int kBaseMonthListId = 325;    // the leap month's base month: 不限, 正月..腊月
// Both modes.
constexpr int kStartYearBoxId = 331;     // 起始公历年份 / 起始农历年份, digits only
constexpr int kQueryBcId = 332;          // 纪元前
constexpr int kYearCountBoxId = 333;     // 查询年份范围 (more than 100 is cut to 100)
constexpr int kQueryStatusId = 334;      // the progress of the search, then its summary
constexpr int kQueryResultId = 335;      // the hits (read-only, multi-line)
// The buttons: IDOK "查询"; IDCANCEL "取消" stops a running search (the hits found so far stay),
// and closes the window otherwise.

// Creates and shows the window (not modal) for mode 1 or 2; nullptr for another mode.
HWND CreateQueryWindow(HWND owner, int mode, const ToolContext& context);
// Whether the window is busy: its search runs, or its hits are still going into the box.
bool QueryRunning(HWND window);

}  // namespace tools
