// What a day is good for (宜) and bad for (忌), the spirits (神煞) that decide it, and choosing a day
// (择日) for an activity.
//
// The spirits of a day follow from the month's branch (the month counted by 节), the day's stem
// and branch, and a few days counted from the solar terms, as 《协纪辨方书》 defines them (义例).
// Each activity has the spirits under which it is done and those that forbid it, as the book's
// 用事 (卷十一) lists them; the day's 宜 and 忌 weigh the two as its 宜忌 (卷十) weighs each spirit
// against the virtues standing with it, month by month. docs/almanac.md gives every rule.
#pragma once

#include <bitset>
#include <string>
#include <vector>

#include "almanac/almanac.h"

namespace almanac {

// The spirits the almanac knows, good ones first.
enum God {
    // good
    kTianDe, kYueDe, kTianDeHe, kYueDeHe, kTianShe, kTianYuan, kYueEn, kSiXiang, kShiDe, kTianEn,
    kMuCang, kSanHe, kLiuHe, kTianXi, kTianMa, kYiMa, kWuFu, kLinRi, kWangRi, kGuanRi, kShouRi,
    kXiangRi, kMinRi, kYueKong, kYangDe, kYinDe, kYiHou, kXuShi, kYaoAn, kYuYu, kJinTang, kJingAn,
    kPuHu, kFuSheng, kShengXin, kJieShen, kWuHe,
    // bad
    kYueJian, kYuePo, kYueSha, kJieSha, kZaiSha, kYueXing, kYueHai, kYueYan, kYanDui, kDaShi,
    kYouHuo, kTianLi, kSiFei, kWangWang, kGuiJi, kXueZhi, kXueJi, kSiLi, kSiJue, kWuXu, kSiHao,
    kSiQiong, kSiJi, kWuMu, kBaZhuan, kHeKui, kTianGang, kChuShuiLong, kSiQi, kFuRi, kChongRi,
    kGodCount
};
constexpr int kFirstBadGod = kYueJian;
const char* GodName(int god);

using GodSet = std::bitset<kGodCount>;

// What a day is, for choosing: its month branch, pillar, officer and the spirits upon it.
struct DaySpirits {
    bool ok = false;
    DayNumber n = 0;
    int month_branch = 0;
    GanZhiIndex day = 0;
    int officer = 0;
    bool earth_rules = false;  // 土王用事: the 18 days before 立春, 立夏, 立秋 and 立冬
    int term = 0;              // the solar term on the day (1 = 小寒 .. 24 = 冬至), 0 for none
    int term_in_force = 0;     // the latest term on or before the day
    GodSet gods;
};

// The spirits of a day of the calendar's days; ok = false outside them.
DaySpirits SpiritsOfDay(DayNumber n);

// The activities, in the order the almanac lists them (民用三十七事, 修造 and 动土 apart, and
// 祈福, 求嗣, 纳畜).
int ActivityCount();
const char* ActivityName(int activity);
// The activity of an almanac word ("嫁娶"), or -1.
int ActivityOf(const std::string& name);

struct YiJi {
    std::vector<int> yi;  // activities, in the almanac's order
    std::vector<int> ji;
};
YiJi YiJiOf(const DaySpirits& day);
// The verdict on one activity: 1 宜, -1 忌, 0 neither.
int VerdictOf(const DaySpirits& day, int activity);

// --- choosing a day (择日) -------------------------------------------------------------------------

// The almanac's terms for a word a user types: an almanac term itself ("嫁娶") or a common word
// ("结婚" → 嫁娶, "装修" → 动土 and 修造). Empty when the word is unknown.
std::vector<int> ActivitiesOfWord(const std::string& word);
// Every word ActivitiesOfWord knows: the almanac's terms, then the common words with their terms.
struct CommonWord {
    const char* word;
    const char* terms;  // the almanac's terms, separated by "、"
};
const std::vector<CommonWord>& CommonWords();

// The animal (0 = 鼠 .. 11 = 猪) of a name, or -1.
int AnimalOf(const std::string& name);

// A day is good for the activities of a word when it is 宜 for at least one of them and 忌 for
// none; with an animal (0..11, or -1 for none) the days that clash with it are left out.
bool IsGoodDay(const DaySpirits& day, const std::vector<int>& activities, int avoid_animal);

// The good days among `days` days from `first` (days 1..366), in order. Each entry is one day.
struct ChosenDay {
    DayNumber n = 0;
    int officer = 0;
    int spirit = 0;  // of the yellow or black path
};
constexpr int kMaxChoosingDays = 366;
std::vector<ChosenDay> ChooseDays(const std::vector<int>& activities, DayNumber first, int days, int avoid_animal);

}  // namespace almanac
