// The almanac (黄历) of a day: its officer (建除十二值星), its spirit of the yellow or black path
// (黄道/黑道十二神), its lunar mansion (二十八宿), the 纳音 of its year, month and day, its clash
// (冲) and the direction of its 煞, the taboos of 彭祖, the place of the fetus spirit (胎神), the
// directions of the five spirits, its day star (日家九星), its pentad (七十二候), and the twelve
// double hours with their pillars and spirits. What the day is good and bad for (宜/忌) and the
// spirits that decide it are in almanac/choosing.h.
//
// Everything follows from the engine's own sexagenary cycle (calendar/cycles.h): the day pillar,
// the month by the solar terms (节, at their instant in UTC+8, so that the month branch changes on
// the day of the term, as the day page counts it) and the year by 立春. Stems are numbered 0 (甲)
// .. 9 (癸) and branches 0 (子) .. 11 (亥) in this file; a GanZhiIndex is 1 (甲子) .. 60 (癸亥).
#pragma once

#include <array>
#include <string>

#include "astro/day_numbers.h"
#include "calendar/cycles.h"

namespace almanac {

using astro::DayNumber;
using calendar::GanZhiIndex;

inline int StemOf(GanZhiIndex g) { return (g - 1) % 10; }
inline int BranchOf(GanZhiIndex g) { return (g - 1) % 12; }
// The pillar of a stem and a branch of the same parity (甲子 = 1); 0 when they cannot pair.
GanZhiIndex PillarOf(int stem, int branch);

// --- the officers: 建 除 满 平 定 执 破 危 成 收 开 闭 --------------------------------------------
// The month's own branch is 建; the officers follow the day branches in order from it, so each
// repeats on the day the month changes (the 节 day) and the cycle runs on unbroken otherwise.
int OfficerOf(int month_branch, int day_branch);  // 0 = 建 .. 11 = 闭
const char* OfficerName(int officer);

// --- the twelve spirits: 青龙 明堂 天刑 朱雀 金匮 天德 白虎 玉堂 天牢 玄武 司命 勾陈 ---------------
// 青龙 stands on 子 in the 寅 and 申 months, on 寅 in 卯/酉, 辰 in 辰/戌, 午 in 巳/亥, 申 in 子/午 and
// 戌 in 丑/未 (寅申需加子, 卯酉却在寅 …); the others follow in order. The same rule gives the spirit
// of an hour from the day's branch.
int SpiritOf(int ruling_branch, int branch);  // 0 = 青龙 .. 11 = 勾陈
const char* SpiritName(int spirit);
// 青龙 明堂 金匮 天德 玉堂 司命 are the yellow path (黄道), the other six the black (黑道).
bool IsYellowPath(int spirit);

// --- the lunar mansions -------------------------------------------------------------------------
// Counted on by one a day, in step with the week (角 falls on Thursdays, 房 on Sundays).
int MansionOf(DayNumber n);             // 0 = 角木蛟 .. 27 = 轸水蚓
const char* MansionName(int mansion);   // "角木蛟"
bool MansionIsLucky(int mansion);

// --- 纳音, clash, 煞 ----------------------------------------------------------------------------
const char* NayinOf(GanZhiIndex g);  // "海中金"; "" for 0
// The pillar that clashes the day: the branch opposite and the stem four places on (己未 → 癸丑).
GanZhiIndex ClashOf(GanZhiIndex g);
// 申子辰 煞南, 寅午戌 煞北, 巳酉丑 煞东, 亥卯未 煞西.
const char* ShaDirection(int day_branch);

// --- 彭祖百忌, 胎神 ------------------------------------------------------------------------------
const char* PengzuOfStem(int stem);      // "甲不开仓财物耗散"
const char* PengzuOfBranch(int branch);  // "子不问卜自惹祸殃"
const char* FetusOf(GanZhiIndex g);      // "占门碓外东南"

// --- the directions of the five spirits, by the day stem -----------------------------------------
const char* JoyDirection(int stem);        // 喜神
const char* FortuneDirection(int stem);    // 福神
const char* WealthDirection(int stem);     // 财神
const char* YangNobleDirection(int stem);  // 阳贵神
const char* YinNobleDirection(int stem);   // 阴贵神

// --- 日家九星 ------------------------------------------------------------------------------------
// 1 (一白水) .. 9 (九紫火): counted up from 一白 from the 甲子 day nearest the winter solstice, and
// down from 九紫 from the 甲子 day nearest the summer solstice.
int NineStarOf(DayNumber n);
const char* NineStarName(int star);  // "二黑土"

// --- 七十二候 -------------------------------------------------------------------------------------
// A pentad begins when the Sun's apparent longitude reaches a multiple of 5 degrees; the day on
// which that happens (in UTC+8) is its first day, as with the terms. 0 = 东风解冻 (立春's first).
int PentadOf(DayNumber n);
const char* PentadName(int pentad);

// --- the double hours (时辰) ---------------------------------------------------------------------
// 子 is 23:00..00:59, 丑 01:00..02:59, … 亥 21:00..22:59. The hour stems follow the day stem (五鼠遁:
// 甲己还加甲, so a 甲 or 己 day begins with 甲子).
GanZhiIndex HourGanZhi(GanZhiIndex day, int hour_branch);
// The branch of the double hour of a clock time.
int HourBranchAt(int hour);
// The day pillar and hour pillar of a clock time. The day of the pillars begins at 子初, 23:00 of
// the evening before: the hour 23:00..23:59 of a date already takes the next date's day pillar
// and its 子 hour, as the almanac's twelve hours of a day run from the 子 hour opening it.
struct ClockPillars {
    GanZhiIndex day = 0;
    GanZhiIndex hour = 0;
    int hour_branch = 0;
};
ClockPillars PillarsAt(int year, int month, int day, int hour, int minute);

// --- the day -------------------------------------------------------------------------------------
struct HourAlmanac {
    int branch = 0;
    GanZhiIndex ganzhi = 0;
    int spirit = 0;
    bool yellow = false;
};

struct DayAlmanac {
    bool ok = false;  // false outside the calendar's dates
    DayNumber n = 0;
    GanZhiIndex year = 0, month = 0, day = 0;  // year by 立春, month by 节
    int month_branch = 0;
    int officer = 0;
    int spirit = 0;
    int mansion = 0;
    GanZhiIndex clash = 0;
    int nine_star = 0;
    int pentad = 0;
    std::array<HourAlmanac, 12> hours{};
};

// The almanac of a date of the calendar (years -8999..9000); ok = false otherwise.
DayAlmanac DayAlmanacOf(int year, int month, int day);

}  // namespace almanac
