#include "almanac/almanac_text.h"

#include <cstdio>

#include "calendar/cycles.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "calendar/range.h"

namespace almanac {

namespace {

std::string Joined(const std::vector<int>& list, const char* (*name)(int)) {
    std::string out;
    for (const int x : list) out += (out.empty() ? "" : " ") + std::string(name(x));
    return out;
}

std::string Gods(const DaySpirits& s, bool good) {
    std::string out;
    for (int g = good ? 0 : kFirstBadGod; g < (good ? kFirstBadGod : kGodCount); ++g)
        if (s.gods.test(g)) out += (out.empty() ? "" : " ") + std::string(GodName(g));
    return out.empty() ? "无" : out;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(' ');
    return first == std::string::npos ? std::string() : text.substr(first);
}

}  // namespace

std::string DateHeading(DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    if (!calendar::IsCalendarDate(d.year, d.month, d.day)) return {};
    const std::string year = d.year > 0 ? std::to_string(d.year) : "前" + std::to_string(1 - d.year);
    return year + "年" + std::to_string(d.month) + "月" + std::to_string(d.day) + "日 " +
           calendar::WeekdayName(d.year, d.month, d.day);
}

std::string PillarsLine(DayNumber n) {
    const astro::CalendarDate d = astro::DayNumberToDate(n);
    const DayAlmanac a = DayAlmanacOf(d.year, d.month, d.day);
    if (!a.ok) return {};
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(d.year, d.month, d.day);
    std::string line;
    if (lunar.month) line = "农历" + Trimmed(calendar::LunarMonthName(lunar.month)) + calendar::LunarDayName(lunar.day) + "　";
    return line + calendar::GanZhiName(a.year) + "年 " + calendar::GanZhiName(a.month) + "月 " +
           calendar::GanZhiName(a.day) + "日";
}

std::string YiText(const YiJi& yj) { return yj.yi.empty() ? "诸事不宜" : Joined(yj.yi, ActivityName); }
std::string JiText(const YiJi& yj) { return yj.ji.empty() ? "无" : Joined(yj.ji, ActivityName); }

std::string DetailsText(const DayAlmanac& a, const DaySpirits& s) {
    if (!a.ok) return {};
    const int stem = StemOf(a.day);
    const int branch = BranchOf(a.day);
    const std::string lines[] = {
        "值神　" + std::string(SpiritName(a.spirit)) + (IsYellowPath(a.spirit) ? "（黄道）" : "（黑道）") + "　建除　" +
            OfficerName(a.officer) + "日",
        "星宿　" + std::string(MansionName(a.mansion)) + (MansionIsLucky(a.mansion) ? "（吉）" : "（凶）") + "　九星　" +
            NineStarName(a.nine_star),
        "冲煞　冲" + std::string(calendar::AnimalNames[BranchOf(a.clash) + 1]) + "（" + calendar::GanZhiName(a.clash) +
            "）　煞" + ShaDirection(branch),
        "彭祖百忌　" + std::string(PengzuOfStem(stem)) + " " + PengzuOfBranch(branch),
        "胎神占方　" + std::string(FetusOf(a.day)),
        "喜神" + std::string(JoyDirection(stem)) + "　福神" + FortuneDirection(stem) + "　财神" + WealthDirection(stem) +
            "　阳贵" + YangNobleDirection(stem) + "　阴贵" + YinNobleDirection(stem),
        "纳音　年" + std::string(NayinOf(a.year)) + "　月" + NayinOf(a.month) + "　日" + NayinOf(a.day),
        "物候　" + std::string(PentadName(a.pentad)),
        "吉神宜趋　" + Gods(s, true),
        "凶神宜忌　" + Gods(s, false),
    };
    std::string text;
    for (const std::string& line : lines) text += (text.empty() ? "" : "\r\n") + line;
    return text;
}

std::string ChosenDayLine(const ChosenDay& day) {
    const astro::CalendarDate d = astro::DayNumberToDate(day.n);
    if (!calendar::IsCalendarDate(d.year, d.month, d.day)) return {};
    // The date as the heading and the pages write it ("前105年11月10日 星期三").
    return DateHeading(day.n) + " " +
           calendar::GanZhiName(calendar::DayGanZhi(d.year, d.month, d.day)) + "日 " + OfficerName(day.officer) + "日 " +
           SpiritName(day.spirit) + (IsYellowPath(day.spirit) ? "（黄道）" : "（黑道）");
}

std::string Wrapped(const std::string& line, std::size_t width, std::size_t indent) {
    std::string out;
    std::size_t start = 0;         // of the present line in `out`
    std::size_t word = 0;          // of the next word in `line`
    while (word < line.size()) {
        std::size_t end = line.find(' ', word);
        if (end == std::string::npos) end = line.size();
        const std::string piece = line.substr(word, end - word);
        const bool first = word == 0;
        if (!first && out.size() - start + 1 + piece.size() > width) {
            out += "\r\n" + std::string(indent, ' ');
            start = out.size() - indent;
        } else if (!first) {
            out += ' ';
        }
        out += piece;
        word = end + 1;
    }
    return out;
}

std::string PanelYiLine(DayNumber n) {
    const DaySpirits s = SpiritsOfDay(n);
    return s.ok ? Wrapped("宜 " + YiText(YiJiOf(s)), kPanelLineBytes, 3) : std::string();
}

std::string PanelJiLine(DayNumber n) {
    const DaySpirits s = SpiritsOfDay(n);
    return s.ok ? Wrapped("忌 " + JiText(YiJiOf(s)), kPanelLineBytes, 3) : std::string();
}

}  // namespace almanac
