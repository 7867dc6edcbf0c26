// The date-tools window: four small calculators over one way of entering a date (MM-DD-YYYY, a
// 纪元前 box, and the calendar it is written in: 公历, 农历 or 回历). It shows what the functions
// of tools/date_tools.h return and computes nothing itself.
//   mode 1 计算儒略日        the day number of a date
//   mode 2 计算间隔日        two dates -> the days between them; or a date and a number of days ->
//                           the date that many days later, in the three calendars
//   mode 3 计算干支历        the sexagenary date (the year starting as the settings say)
//   mode 4 公历农历回历互转   the same day in the three calendars
#pragma once

#include <windows.h>

#include "tools/tool_window_common.h"

namespace tools {

// Control identifiers. The first date's controls; the second date's (mode 2) are these + 10.
constexpr int kDateBoxId = 201;          // the date, "1234567890-" only, at most 10 characters
constexpr int kDateBcId = 202;           // 纪元前
constexpr int kDateGregorianId = 203;    // the calendar the date is written in: 公历
constexpr int kDateLunarId = 204;        //   农历 (a leap month as month + 12)
constexpr int kDateHijriId = 205;        //   回历
constexpr int kSecondDateOffset = 10;
// Mode 2: which question is asked.
constexpr int kTwoDatesFormId = 221;     // the days between two dates
constexpr int kDaysAfterFormId = 222;    // the date a number of days after the first date
constexpr int kDaysBoxId = 223;          // 间隔日数: the answer of the first form, the entry of the second
// Results (read-only).
constexpr int kJulianDayBoxId = 224;     // 儒略日数
constexpr int kGanZhiBoxId = 225;        // 干支历
constexpr int kGregorianBoxId = 226;     // 公历日期
constexpr int kLunarBoxId = 227;         // 农历日期
constexpr int kHijriBoxId = 228;         // 回历日期
constexpr int kDateStatusId = 229;       // why an entry was refused; cleared when an entry changes
// The buttons: IDOK "计算" ("转换" in mode 4), IDCANCEL "取消".

// Creates and shows the window (not modal) for mode 1..4; nullptr for another mode.
HWND CreateDateToolsWindow(HWND owner, int mode, const ToolContext& context);

}  // namespace tools
