// The texts the almanac's window and the month page's panel show (GBK), composed from the almanac
// of a day.
#pragma once

#include <string>

#include "almanac/almanac.h"
#include "almanac/choosing.h"

namespace almanac {

// "2024年2月10日 星期六"; "" outside the calendar.
std::string DateHeading(DayNumber n);
// "农历正月初一　甲辰年 丙寅月 甲辰日" (the year by 立春, the month by 节).
std::string PillarsLine(DayNumber n);
// The activities, separated by blanks; "诸事不宜" for a day good for nothing, "无" for nothing 忌.
std::string YiText(const YiJi& yj);
std::string JiText(const YiJi& yj);
// The rest of the day, one item a line (CR LF): 值神, 建除, 星宿, 冲煞, 彭祖百忌, 胎神, the directions,
// 纳音, 九星, 物候, 吉神, 凶神.
std::string DetailsText(const DayAlmanac& a, const DaySpirits& s);
// "2025年1月3日 星期五 壬申日 成日 青龙（黄道）" (the date as DateHeading writes it).
std::string ChosenDayLine(const ChosenDay& day);
// The month page's lines: "宜 祭祀 祈福 …" and "忌 …", broken at blanks into lines of at most
// kPanelLineBytes bytes (the panel's width), the lines after the first indented under the words.
constexpr std::size_t kPanelLineBytes = 52;
std::string PanelYiLine(DayNumber n);
std::string PanelJiLine(DayNumber n);
// A line of words broken at blanks into lines (CR LF) of at most `width` bytes where the words
// allow, each after the first beginning with `indent` blanks.
std::string Wrapped(const std::string& line, std::size_t width, std::size_t indent);

}  // namespace almanac
