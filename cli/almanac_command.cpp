// `tempo almanac`: the almanac (黄历) of a day, and choosing days (择日) for an activity.
#include <iostream>
#include <string>
#include <vector>

#include "almanac/almanac.h"
#include "almanac/choosing.h"
#include "calendar/cycles.h"
#include "calendar/lunar_year.h"
#include "calendar/names.h"
#include "cli/common.h"
#include "text/encoding.h"

namespace cli {

namespace {

std::string Pillar(almanac::GanZhiIndex g) { return calendar::GanZhiName(g); }

std::string Joined(const std::vector<int>& list, const char* (*name)(int), const std::string& sep = " ") {
    std::string out;
    for (const int x : list) out += (out.empty() ? "" : sep) + name(x);
    return out;
}

json Names(const std::vector<int>& list, const char* (*name)(int)) {
    json out = json::array();
    for (const int x : list) out.push_back(Utf8(name(x)));
    return out;
}

std::vector<int> GodsOf(const almanac::DaySpirits& d, bool good) {
    std::vector<int> out;
    for (int g = good ? 0 : almanac::kFirstBadGod; g < (good ? almanac::kFirstBadGod : almanac::kGodCount); ++g)
        if (d.gods.test(g)) out.push_back(g);
    return out;
}

std::string AnimalName(int branch) { return calendar::AnimalNames[branch + 1]; }

// The words --find takes, for its refusal and its help.
std::string ActivityWords() {
    std::string terms;
    for (int a = 0; a < almanac::ActivityCount(); ++a) terms += (a ? " " : "") + std::string(almanac::ActivityName(a));
    std::string common;
    for (const almanac::CommonWord& w : almanac::CommonWords()) common += (common.empty() ? "" : " ") + std::string(w.word);
    return Utf8(terms + "; or a common word: " + common);
}

std::string AnimalWords() {
    std::string out;
    for (int a = 1; a <= 12; ++a) out += (a > 1 ? " " : "") + std::string(calendar::AnimalNames[a]);
    return Utf8(out);
}

void PrintAlmanac(const astro::CalendarDate& date) {
    const almanac::DayAlmanac a = almanac::DayAlmanacOf(date.year, date.month, date.day);
    const almanac::DaySpirits s = almanac::SpiritsOfDay(a.n);
    const almanac::YiJi yj = almanac::YiJiOf(s);
    const calendar::LunarDate lunar = calendar::SolarToLunarDate(date.year, date.month, date.day);
    const int stem = almanac::StemOf(a.day);
    const int branch = almanac::BranchOf(a.day);
    std::string head = IsoDate(date.year, date.month, date.day) + "　" + calendar::WeekdayName(date.year, date.month, date.day);
    if (lunar.month)
        head += "　农历" + TrimBlanks(calendar::LunarMonthName(lunar.month)) + calendar::LunarDayName(lunar.day);
    head += "　" + Pillar(a.year) + "年 " + Pillar(a.month) + "月 " + Pillar(a.day) + "日";
    PrintLine(head);
    PrintLine("宜　" + (yj.yi.empty() ? std::string("诸事不宜") : Joined(yj.yi, almanac::ActivityName)));
    PrintLine("忌　" + (yj.ji.empty() ? std::string("无") : Joined(yj.ji, almanac::ActivityName)));
    PrintLine("值神　" + std::string(almanac::SpiritName(a.spirit)) + (almanac::IsYellowPath(a.spirit) ? "（黄道）" : "（黑道）"));
    PrintLine("建除　" + std::string(almanac::OfficerName(a.officer)) + "日");
    PrintLine("星宿　" + std::string(almanac::MansionName(a.mansion)) + (almanac::MansionIsLucky(a.mansion) ? " 吉" : " 凶"));
    PrintLine("冲煞　冲" + AnimalName(almanac::BranchOf(a.clash)) + "（" + Pillar(a.clash) + "）煞" +
              almanac::ShaDirection(branch));
    PrintLine("彭祖百忌　" + std::string(almanac::PengzuOfStem(stem)) + " " + almanac::PengzuOfBranch(branch));
    PrintLine("胎神占方　" + std::string(almanac::FetusOf(a.day)));
    PrintLine("喜神" + std::string(almanac::JoyDirection(stem)) + "　福神" + almanac::FortuneDirection(stem) + "　财神" +
              almanac::WealthDirection(stem) + "　阳贵神" + almanac::YangNobleDirection(stem) + "　阴贵神" +
              almanac::YinNobleDirection(stem));
    PrintLine("纳音　年" + std::string(almanac::NayinOf(a.year)) + "　月" + almanac::NayinOf(a.month) + "　日" +
              almanac::NayinOf(a.day));
    PrintLine("九星　" + std::string(almanac::NineStarName(a.nine_star)) + "　物候　" + almanac::PentadName(a.pentad));
    PrintLine("吉神宜趋　" + Joined(GodsOf(s, true), almanac::GodName));
    PrintLine("凶神宜忌　" + Joined(GodsOf(s, false), almanac::GodName));
    std::string hours;
    for (const almanac::HourAlmanac& h : a.hours)
        hours += (hours.empty() ? "" : " ") + Pillar(h.ganzhi) + almanac::SpiritName(h.spirit) + (h.yellow ? "吉" : "凶");
    PrintLine("时辰　" + hours);
}

}  // namespace

json AlmanacJson(const astro::CalendarDate& date) {
    const almanac::DayAlmanac a = almanac::DayAlmanacOf(date.year, date.month, date.day);
    if (!a.ok) return nullptr;
    const almanac::DaySpirits s = almanac::SpiritsOfDay(a.n);
    const almanac::YiJi yj = almanac::YiJiOf(s);
    const int stem = almanac::StemOf(a.day);
    const int branch = almanac::BranchOf(a.day);
    json hours = json::array();
    for (const almanac::HourAlmanac& h : a.hours)
        hours.push_back({{"branch", Utf8(calendar::BranchNames[h.branch + 1])},
                         {"ganzhi", Utf8(Pillar(h.ganzhi))},
                         {"spirit", Utf8(almanac::SpiritName(h.spirit))},
                         {"yellow_path", h.yellow},
                         {"luck", Utf8(h.yellow ? "吉" : "凶")}});
    return {{"officer", Utf8(almanac::OfficerName(a.officer))},
            {"spirit", Utf8(almanac::SpiritName(a.spirit))},
            {"yellow_path", almanac::IsYellowPath(a.spirit)},
            {"mansion", Utf8(almanac::MansionName(a.mansion))},
            {"mansion_luck", Utf8(almanac::MansionIsLucky(a.mansion) ? "吉" : "凶")},
            {"nayin",
             {{"year", Utf8(almanac::NayinOf(a.year))},
              {"month", Utf8(almanac::NayinOf(a.month))},
              {"day", Utf8(almanac::NayinOf(a.day))}}},
            {"clash", {{"ganzhi", Utf8(Pillar(a.clash))}, {"animal", Utf8(AnimalName(almanac::BranchOf(a.clash)))}}},
            {"sha", Utf8(almanac::ShaDirection(branch))},
            {"pengzu", Utf8(std::string(almanac::PengzuOfStem(stem)) + " " + almanac::PengzuOfBranch(branch))},
            {"fetus", Utf8(almanac::FetusOf(a.day))},
            {"directions",
             {{"joy", Utf8(almanac::JoyDirection(stem))},
              {"fortune", Utf8(almanac::FortuneDirection(stem))},
              {"wealth", Utf8(almanac::WealthDirection(stem))},
              {"yang_noble", Utf8(almanac::YangNobleDirection(stem))},
              {"yin_noble", Utf8(almanac::YinNobleDirection(stem))}}},
            {"nine_star", Utf8(almanac::NineStarName(a.nine_star))},
            {"pentad", Utf8(almanac::PentadName(a.pentad))},
            {"yi", Names(yj.yi, almanac::ActivityName)},
            {"ji", Names(yj.ji, almanac::ActivityName)},
            {"good_gods", Names(GodsOf(s, true), almanac::GodName)},
            {"bad_gods", Names(GodsOf(s, false), almanac::GodName)},
            {"hours", hours}};
}

void AddAlmanacCommand(Commands& c) {
    Command& cmd = c.Add("almanac", Utf8("the almanac (黄历) of a day, or the good days for an activity (择日)"));
    const Argument& date = cmd.Positional(
        "DATE", std::string("the date: ") + kDateForms + "; years -8999..9000; today without it; not with --find", false);
    const Argument& find = cmd.Option("--find", "ACTIVITY", "choose days for an activity: " + ActivityWords());
    const Argument& from =
        cmd.Option("--from", "DATE", "with --find: the first day to look at (default today); years -8999..9000");
    const Argument& days = cmd.Option("--days", "N", "with --find: how many days to look at, 1..366 (default 30)");
    const Argument& avoid =
        cmd.Option("--avoid", "ANIMAL", "with --find: leave out the days that clash with this animal: " + AnimalWords());
    cmd.Example(Utf8("tempo almanac 2024-02-10; tempo almanac --find 结婚 --from 2025-01-01 --days 90 --avoid 牛"));
    cmd.run = [&c, &date, &find, &from, &days, &avoid] {
        if (!find.given()) {
            for (const Argument* a : {&from, &days, &avoid})
                if (a->given()) a->Refuse("is taken only with --find ACTIVITY");
            const astro::CalendarDate d = date.given() ? ParseCalendarDate(date) : Today();
            if (c.as_json) return PrintJson(AlmanacJson(d));
            return PrintAlmanac(d);
        }
        if (date.given()) date.Refuse("is not taken with --find: the days begin at --from DATE");
        const std::vector<int> activities = almanac::ActivitiesOfWord(text::Utf8ToGbk(find.text()));
        if (activities.empty()) find.RefuseTyped("is not an activity of the almanac: it takes " + ActivityWords());
        int animal = -1;
        if (avoid.given()) {
            animal = almanac::AnimalOf(text::Utf8ToGbk(avoid.text()));
            if (animal < 0) avoid.RefuseTyped("is not an animal of the zodiac: it takes " + AnimalWords());
        }
        const int count = days.given() ? static_cast<int>(days.WholeNumber(1, almanac::kMaxChoosingDays)) : 30;
        const astro::DayNumber first = DayNumberOf(from.given() ? ParseCalendarDate(from) : Today());
        if (first + count - 1 > LastCalendarDay()) {
            const std::string room = std::to_string(LastCalendarDay() - first + 1);
            if (days.given())
                days.Refuse("runs past the calendar's last day 9000-12-31 (at most " + room + " days from " + IsoOf(first) + ")");
            // Without --days the range is its default, which the user did not type: say what runs past.
            from.Refuse("the " + std::to_string(count) + " days looked at by default run past the calendar's last day "
                        "9000-12-31: from " + IsoOf(first) + " give --days 1.." + room);
        }
        const std::vector<almanac::ChosenDay> chosen = almanac::ChooseDays(activities, first, count, animal);
        if (c.as_json) {
            json list = json::array();
            for (const almanac::ChosenDay& day : chosen) list.push_back(IsoOf(day.n));
            return PrintJson(list);
        }
        for (const almanac::ChosenDay& day : chosen) {
            const astro::CalendarDate d = astro::DayNumberToDate(day.n);
            const almanac::GanZhiIndex g = static_cast<almanac::GanZhiIndex>(calendar::DayGanZhi(d.year, d.month, d.day));
            PrintLine(IsoOf(day.n) + " " + calendar::WeekdayName(d.year, d.month, d.day) + " " + Pillar(g) + "日 " +
                      almanac::OfficerName(day.officer) + "日 " + almanac::SpiritName(day.spirit) +
                      (almanac::IsYellowPath(day.spirit) ? "（黄道）" : "（黑道）"));
        }
        if (chosen.empty()) PrintLine("所选日期内没有合适的日子");
    };
}

}  // namespace cli
