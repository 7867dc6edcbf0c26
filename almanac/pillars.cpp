#include "almanac/pillars.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <cstdlib>

#include "astro/events.h"
#include "astro/solar_time.h"
#include "astro/sun.h"
#include "calendar/cycles.h"
#include "calendar/names.h"
#include "calendar/range.h"

namespace almanac {

namespace {

using calendar::FloorMod;

// The element of each branch: 子 水, 丑 土, 寅卯 木, 辰 土, 巳午 火, 未 土, 申酉 金, 戌 土, 亥 水.
constexpr int kBranchElements[12] = {4, 2, 0, 0, 2, 1, 1, 2, 3, 3, 2, 4};
constexpr const char* kElements[5] = {"木", "火", "土", "金", "水"};

long long WallMinute(int year, int month, int day, int minute_of_day) {
    return static_cast<long long>(astro::DateToDayNumber(year, month, day)) * 1440 + minute_of_day;
}

std::string IsoText(int year, int month, int day) {
    char buf[24];
    std::snprintf(buf, sizeof buf, year < 0 ? "-%04d-%02d-%02d" : "%04d-%02d-%02d", std::abs(year), month, day);
    return buf;
}

// "3天8小时12分", "1小时05分", "6分53秒".
std::string DurationText(double minutes) {
    const long long seconds = std::llround(std::fabs(minutes) * 60.0);
    char buf[48];
    if (seconds < 3600) {
        std::snprintf(buf, sizeof buf, "%lld分%02lld秒", seconds / 60, seconds % 60);
    } else {
        const long long m = seconds / 60;
        if (m >= 1440)
            std::snprintf(buf, sizeof buf, "%lld天%lld小时%02lld分", m / 1440, m % 1440 / 60, m % 60);
        else
            std::snprintf(buf, sizeof buf, "%lld小时%02lld分", m / 60, m % 60);
    }
    return buf;
}

std::string Name(GanZhiIndex g) { return calendar::GanZhiName(g); }

// The 节 (0 = 立春 .. 11 = 小寒) as the solar term index 1..24.
int JieTerm(int k) { return (2 + 2 * k) % 24 + 1; }
double JieLongitude(int k) { return std::fmod(315.0 + 30.0 * k, 360.0); }

}  // namespace

const std::vector<DaylightPeriod>& ChinaDaylightPeriods() {
    // IANA tz database (tzdata 2025b), asia: the rules "Shang" (Shanghai, 1919 and 1940..1949)
    // and "PRC" (1986 May 4; 1987..1991 from Apr Sun>=11 to Sep Sun>=11, at 02:00).
    static const std::vector<DaylightPeriod> periods = {
        {1919, 4, 13, 0, 1919, 9, 30, 1440},   {1940, 6, 1, 0, 1940, 10, 12, 1440},
        {1941, 3, 15, 0, 1941, 11, 1, 1440},   {1942, 1, 31, 0, 1945, 9, 1, 1440},
        {1946, 5, 15, 0, 1946, 9, 30, 1440},   {1947, 4, 15, 0, 1947, 10, 31, 1440},
        {1948, 5, 1, 0, 1948, 9, 30, 1440},    {1949, 5, 1, 0, 1949, 5, 27, 1440},
        {1986, 5, 4, 120, 1986, 9, 14, 120},   {1987, 4, 12, 120, 1987, 9, 13, 120},
        {1988, 4, 17, 120, 1988, 9, 11, 120},  {1989, 4, 16, 120, 1989, 9, 17, 120},
        {1990, 4, 15, 120, 1990, 9, 16, 120},  {1991, 4, 14, 120, 1991, 9, 15, 120},
    };
    return periods;
}

ClockCheck ChinaClockReading(int year, int month, int day, int hour, int minute) {
    ClockCheck check;
    if (!astro::IsValidDate(year, month, day)) return check;
    const long long wall = WallMinute(year, month, day, hour * 60 + minute);
    for (const DaylightPeriod& p : ChinaDaylightPeriods()) {
        const long long start = WallMinute(p.first_year, p.first_month, p.first_day, p.start_minute);
        const long long end = WallMinute(p.last_year, p.last_month, p.last_day, p.end_minute);
        if (wall < start || wall >= end) continue;
        check.period = &p;
        check.reading = wall < start + 60 ? ClockReading::kSkipped
                        : wall >= end - 60 ? ClockReading::kRepeated
                                           : ClockReading::kDaylight;
        return check;
    }
    return check;
}

int StemElement(int stem) { return stem >= 0 && stem < 10 ? stem / 2 : -1; }
int BranchElement(int branch) { return branch >= 0 && branch < 12 ? kBranchElements[branch] : -1; }
const char* ElementName(int element) { return element >= 0 && element < 5 ? kElements[element] : ""; }

std::string DayValueText(double day_value) {
    const long long seconds = std::llround(day_value * 86400.0);
    const long long n = seconds >= 0 ? seconds / 86400 : -((-seconds + 86399) / 86400);
    const long long s = seconds - n * 86400;
    const astro::CalendarDate d = astro::DayNumberToDate(static_cast<astro::DayNumber>(n));
    char buf[64];
    std::snprintf(buf, sizeof buf, " %02lld:%02lld:%02lld", s / 3600, s % 3600 / 60, s % 60);
    return IsoText(d.year, d.month, d.day) + buf;
}

std::string SignedMinutesText(double minutes) {
    const long long seconds = std::llround(std::fabs(minutes) * 60.0);
    char buf[40];
    if (seconds >= 3600)
        std::snprintf(buf, sizeof buf, "%s%lld小时%02lld分%02lld秒", minutes < 0 ? "-" : "+", seconds / 3600,
                      seconds % 3600 / 60, seconds % 60);
    else
        std::snprintf(buf, sizeof buf, "%s%lld分%02lld秒", minutes < 0 ? "-" : "+", seconds / 60, seconds % 60);
    return buf;
}

BirthPillars PillarsOfBirth(const BirthMoment& b) {
    BirthPillars p;
    if (!calendar::IsCalendarDate(b.year, b.month, b.day) || b.hour < 0 || b.hour > 23 || b.minute < 0 ||
        b.minute > 59 || b.second < 0 || b.second > 59) {
        p.problem = "日期或时间不在可计算的范围内";
        return p;
    }
    if (!(b.longitude >= -180.0 && b.longitude <= 180.0) || !(b.zone >= -12.0 && b.zone <= 14.0)) {
        p.problem = "经度或时区不在范围内";
        return p;
    }

    // The clock time brought to standard time.
    if (b.daylight == DaylightRule::kDaylight) {
        p.daylight_minutes = 60;
    } else if (b.daylight == DaylightRule::kByTable && b.zone == astro::CalcTimeZone) {
        const ClockCheck check = ChinaClockReading(b.year, b.month, b.day, b.hour, b.minute);
        if (check.reading == ClockReading::kSkipped) {
            p.problem = IsoText(b.year, b.month, b.day) + "夏令时开始，时钟拨快一小时，此时刻不存在；"
                        "若所记为标准时（未拨快的钟表），请按标准时计算";
            return p;
        }
        if (check.reading == ClockReading::kRepeated) {
            p.problem = IsoText(b.year, b.month, b.day) + "夏令时结束，时钟拨回一小时，此时刻出现两次；"
                        "请指明是夏令时（第一次）还是标准时（第二次）";
            return p;
        }
        if (check.reading == ClockReading::kDaylight) {
            p.daylight_minutes = 60;
            p.daylight_by_table = true;
        }
    }
    const astro::DayNumber n0 = astro::DateToDayNumber(b.year, b.month, b.day);
    const int seconds = b.hour * 3600 + b.minute * 60 + b.second - p.daylight_minutes * 60;
    p.standard = n0 + seconds / 86400.0;
    p.ut = p.standard - 0.5 - b.zone / 24.0;

    // Mean and true solar time.
    p.longitude_minutes = (-b.longitude / 15.0 - b.zone) * 60.0;
    p.equation_minutes = astro::EquationOfTimeMinutes(p.ut);
    p.mean_solar = p.standard + p.longitude_minutes / 1440.0;
    p.true_solar = p.mean_solar + p.equation_minutes / 1440.0;

    // The month by the 节 at their instants, the year by 立春.
    const double lambda = astro::SunApparentLongitude(astro::UniversalToDynamical(p.ut));
    int k = FloorMod(static_cast<long long>(std::floor((lambda - 315.0) / 30.0)), 12);
    astro::JulianDay jie = astro::FindEventTime(p.ut - 35.0, JieLongitude(k), astro::kSolarEvent);
    if (jie > p.ut) {  // the longitude said "reached", the solver's instant lies a hair later
        k = (k + 11) % 12;
        jie = astro::FindEventTime(p.ut - 35.0, JieLongitude(k), astro::kSolarEvent);
    }
    const astro::JulianDay next = astro::FindEventTime(jie + 20.0, JieLongitude((k + 1) % 12), astro::kSolarEvent);
    const astro::JulianDay lichun =
        k == 0 ? jie : astro::FindEventTime(jie - 30.44 * k - 15.0, 315.0, astro::kSolarEvent);
    const double to_standard = 0.5 + b.zone / 24.0;
    p.jie = JieTerm(k);
    p.next_jie = JieTerm((k + 1) % 12);
    p.jie_time = jie + to_standard;
    p.next_jie_time = next + to_standard;
    p.lichun_time = lichun + to_standard;
    p.month_edge = {(p.ut - jie) * 1440.0, (next - p.ut) * 1440.0};
    // The year whose 立春 it is: the calendar year of its day in UTC+8.
    const astro::CalendarDate lichun_date =
        astro::DayNumberToDate(static_cast<astro::DayNumber>(std::floor(astro::ToChronological(lichun))));
    p.year = FloorMod(lichun_date.year + 12056LL, 60) + 1;  // 1984 is 甲子
    p.month = calendar::MonthGanZhiFrom(p.year, calendar::kYearFromLichun, p.jie, 0);

    // Day and hour by the true solar time, with the almanac's 子时 rule.
    const astro::DayNumber true_day = static_cast<astro::DayNumber>(std::floor(p.true_solar));
    const double minute_of_day = (p.true_solar - true_day) * 1440.0;
    const int hour = std::min(23, static_cast<int>(minute_of_day / 60.0));
    const int minute = std::min(59, static_cast<int>(minute_of_day - hour * 60.0));
    const astro::CalendarDate td = astro::DayNumberToDate(true_day);
    const ClockPillars by_sun = PillarsAt(td.year, td.month, td.day, hour, minute);
    if (by_sun.day == 0) {
        p.problem = "日期或时间不在可计算的范围内";
        return p;
    }
    p.day = by_sun.day;
    p.hour = by_sun.hour;
    p.hour_branch = by_sun.hour_branch;
    p.other_school_day = FloorMod(true_day - 11LL, 60) + 1;
    const double hour_start = minute_of_day < 60.0 ? -60.0 : std::floor((minute_of_day - 60.0) / 120.0) * 120.0 + 60.0;
    p.hour_edge = {minute_of_day - hour_start, hour_start + 120.0 - minute_of_day};
    p.minutes_from_midnight = minute_of_day >= 720.0 ? minute_of_day - 1440.0 : minute_of_day;

    const astro::DayNumber standard_day = static_cast<astro::DayNumber>(std::floor(p.standard));
    const astro::CalendarDate sd = astro::DayNumberToDate(standard_day);
    const double standard_minute = (p.standard - standard_day) * 1440.0;
    p.by_clock = PillarsAt(sd.year, sd.month, sd.day, std::min(23, static_cast<int>(standard_minute / 60.0)),
                           std::min(59, static_cast<int>(std::fmod(standard_minute, 60.0))));

    for (const GanZhiIndex g : {p.year, p.month, p.day, p.hour}) {
        ++p.elements[StemElement(StemOf(g))];
        ++p.elements[BranchElement(BranchOf(g))];
    }
    p.lunar = calendar::SolarToLunarDate(sd.year, sd.month, sd.day);
    p.lunar_year = calendar::YearGanZhi(sd.year, sd.month, sd.day, calendar::kYearFromSpringFestival);
    p.ok = true;
    return p;
}

std::vector<std::string> PillarsLines(const BirthPillars& p) {
    std::vector<std::string> lines;
    if (!p.ok) {
        lines.push_back(p.problem);
        return lines;
    }
    std::string standard = "标准时间　" + DayValueText(p.standard);
    if (p.daylight_minutes)
        standard += p.daylight_by_table ? "（钟表为夏令时，已减去1小时）" : "（按夏令时，已减去1小时）";
    lines.push_back(standard);
    lines.push_back("平太阳时　" + DayValueText(p.mean_solar) + "（经度改正 " + SignedMinutesText(p.longitude_minutes) + "）");
    lines.push_back("真太阳时　" + DayValueText(p.true_solar) + "（均时差 " + SignedMinutesText(p.equation_minutes) + "）");
    lines.push_back("四柱　" + Name(p.year) + "年 " + Name(p.month) + "月 " + Name(p.day) + "日 " + Name(p.hour) + "时");
    lines.push_back(std::string("纳音　") + NayinOf(p.year) + " " + NayinOf(p.month) + " " + NayinOf(p.day) + " " +
                    NayinOf(p.hour));
    std::string elements = "五行　";
    std::string missing;
    for (int e = 0; e < 5; ++e) {
        elements += std::string(kElements[e]) + std::to_string(p.elements[e]) + (e < 4 ? " " : "");
        if (p.elements[e] == 0) missing += kElements[e];
    }
    lines.push_back(elements + (missing.empty() ? "" : "，缺" + missing) + "（八字的天干地支，不计藏干）");
    lines.push_back("生肖　" + std::string(calendar::AnimalNames[BranchOf(p.year) + 1]) + "（年柱以立春 " +
                    DayValueText(p.lichun_time) + " 为界）");
    if (p.lunar.month)
        lines.push_back("农历　" + Name(p.lunar_year) + "年" +
                        calendar::LunarMonthName(p.lunar.month).substr(p.lunar.month > 12 ? 0 : 2) +
                        calendar::LunarDayName(p.lunar.day));
    lines.push_back("月令　" + std::string(calendar::SolarTermNames[p.jie]) + " " + DayValueText(p.jie_time) + " 起" +
                    Name(p.month) + "月，下一节" + calendar::SolarTermNames[p.next_jie] + " " +
                    DayValueText(p.next_jie_time));
    lines.push_back("时辰　" + std::string(calendar::BranchNames[p.hour_branch + 1]) + "时（真太阳时），子时换日：23:00起为次日；"
                    "另一派早晚子时至00:00才换日" +
                    (p.other_school_day != p.day ? "，按该派日柱为" + Name(p.other_school_day) : std::string()));
    // The edges.
    std::vector<std::string> notes;
    const bool lichun_now = p.jie == 3;
    const bool lichun_next = p.next_jie == 3;
    if (p.month_edge.after < kNearJie)
        notes.push_back("生于" + std::string(calendar::SolarTermNames[p.jie]) + "之后" + DurationText(p.month_edge.after) +
                        (lichun_now ? "（已换年换月）" : "（已换月）"));
    if (p.month_edge.before < kNearJie)
        notes.push_back("生于" + std::string(calendar::SolarTermNames[p.next_jie]) + "之前" +
                        DurationText(p.month_edge.before) + (lichun_next ? "（仍属旧年旧月）" : "（仍属旧月）"));
    const char* branch = calendar::BranchNames[p.hour_branch + 1];
    if (p.hour_edge.after < kNearHourEdge)
        notes.push_back("入" + std::string(branch) + "时" + DurationText(p.hour_edge.after) + "（之前为" +
                        calendar::BranchNames[(p.hour_branch + 11) % 12 + 1] + "时）");
    if (p.hour_edge.before < kNearHourEdge)
        notes.push_back("距" + std::string(calendar::BranchNames[(p.hour_branch + 1) % 12 + 1]) + "时" +
                        DurationText(p.hour_edge.before));
    if (std::fabs(p.minutes_from_midnight) < kNearHourEdge)
        notes.push_back(std::string(p.minutes_from_midnight < 0 ? "在子正00:00之前" : "在子正00:00之后") +
                        DurationText(p.minutes_from_midnight));
    if (p.by_clock.day != p.day || p.by_clock.hour != p.hour)
        notes.push_back("不作真太阳时改正则为" + Name(p.by_clock.day) + "日 " + Name(p.by_clock.hour) + "时");
    for (const std::string& note : notes) lines.push_back("边界　" + note);
    return lines;
}

}  // namespace almanac
