#include "calendar/names.h"

namespace calendar {

const char* const StemNames[11] = {"", "甲", "乙", "丙", "丁", "戊", "己", "庚", "辛", "壬", "癸"};
const char* const BranchNames[13] = {"", "子", "丑", "寅", "卯", "辰", "巳", "午", "未", "申", "酉", "戌", "亥"};
const char* const AnimalNames[13] = {"", "鼠", "牛", "虎", "兔", "龙", "蛇", "马", "羊", "猴", "鸡", "狗", "猪"};
const char* const SolarTermNames[25] = {"",     "小寒", "大寒", "立春", "雨水", "惊蛰", "春分", "清明", "谷雨",
                                        "立夏", "小满", "芒种", "夏至", "小暑", "大暑", "立秋", "处暑",
                                        "白露", "秋分", "寒露", "霜降", "立冬", "小雪", "大雪", "冬至"};
const char* const ChineseDigits[10] = {"○", "一", "二", "三", "四", "五", "六", "七", "八", "九"};
const char* const LunarMonthNames[13] = {"",     "正月", "二月", "三月", "四月", "五月", "六月",
                                         "七月", "八月", "九月", "十月", "冬月", "腊月"};
const char* const LunarDayNames[31] = {"",     "初一", "初二", "初三", "初四", "初五", "初六", "初七",
                                       "初八", "初九", "初十", "十一", "十二", "十三", "十四", "十五",
                                       "十六", "十七", "十八", "十九", "二十", "廿一", "廿二", "廿三",
                                       "廿四", "廿五", "廿六", "廿七", "廿八", "廿九", "三十"};
const char* const WeekdayNames[8] = {"", "星期一", "星期二", "星期三", "星期四", "星期五", "星期六", "星期日"};

namespace {

std::string RightAligned(const std::string& text, std::size_t width) {
    return text.size() >= width ? text : std::string(width - text.size(), ' ') + text;
}

}  // namespace

std::string LunarMonthName(int m) {
    if (m >= 1 && m <= 12) return std::string("  ") + LunarMonthNames[m];
    if (m >= 13 && m <= 24) return std::string("闰") + LunarMonthNames[m - 12];
    return {};
}

std::string LunarDayName(int d) { return d >= 1 && d <= 30 ? LunarDayNames[d] : std::string(); }

std::string ChineseDigitYear(int n) {
    if (n < 0 || n > 9999) return {};
    std::string out;
    for (char c : std::to_string(n)) out += ChineseDigits[c - '0'];
    return out;
}

std::string YearNumberText(int y) {
    if (y < -9998 || y > 9999) return {};
    return RightAligned(y >= 1 ? std::to_string(y) : "前" + std::to_string(1 - y), 8);
}

std::string ChineseYearNumberText(int y) {
    if (y < -9998 || y > 9999) return {};
    return RightAligned(y >= 1 ? ChineseDigitYear(y) : "前" + ChineseDigitYear(1 - y), 10);
}

const char* WeekdayNameOf(int weekday_sunday0) {
    if (weekday_sunday0 < 0 || weekday_sunday0 > 6) return "";
    return WeekdayNames[weekday_sunday0 == 0 ? 7 : weekday_sunday0];
}

}  // namespace calendar
