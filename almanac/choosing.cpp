#include "almanac/choosing.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <sstream>

#include "calendar/lunar_events.h"
#include "calendar/names.h"
#include "calendar/range.h"

namespace almanac {

namespace {

using calendar::FloorMod;

constexpr const char* kGodNames[kGodCount] = {
    "天德", "月德", "天德合", "月德合", "天赦", "天愿", "月恩", "四相", "时德", "天恩",
    "母仓", "三合", "六合", "天喜", "天马", "驿马", "五富", "临日", "王日", "官日", "守日",
    "相日", "民日", "月空", "阳德", "阴德", "益后", "续世", "要安", "玉宇", "金堂", "敬安",
    "普护", "福生", "圣心", "解神", "五合",
    "月建", "月破", "月煞", "劫煞", "灾煞", "月刑", "月害", "月厌", "厌对", "大时",
    "游祸", "天吏", "四废", "往亡", "归忌", "血支", "血忌", "四离", "四绝", "五虚", "四耗",
    "四穷", "四忌", "五墓", "八专", "河魁", "天罡", "触水龙", "死气", "复日", "重日",
};

// --- the solar terms around the days asked about ----------------------------------------------

struct TermDay {
    DayNumber day;
    int index;  // 1 = 小寒 .. 24 = 冬至; odd ones are the 节 that open the months
};

// Every term whose day lies in first - 40 .. last + 20 and one more, as the calendar counts them (the
// rule in force, as the day page counts its month pillar): enough to see the 节 before each day and
// the 四立 after it.
std::vector<TermDay> TermsAround(DayNumber first, DayNumber last) {
    last += 20;
    std::vector<TermDay> terms;
    DayNumber d = first - 40;
    while (true) {
        const calendar::SolarTermInstant t = calendar::NextSolarTerm(d, false);
        const auto day = static_cast<DayNumber>(std::floor(t.when));
        if (t.index == 0 || day < d) break;  // only for broken input
        terms.push_back({day, t.index});
        if (day > last) break;
        d = day + 1;
    }
    return terms;
}

// Days after a 节 on which 往亡 falls (立春 7, 惊蛰 14, 清明 21, 立夏 8, 芒种 16, 小暑 24, 立秋 9, 白露
// 18, 寒露 27, 立冬 10, 大雪 20, 小寒 30), by the term's index.
int WangWangOffset(int jie) {
    switch (jie) {
        case 3: return 7;
        case 5: return 14;
        case 7: return 21;
        case 9: return 8;
        case 11: return 16;
        case 13: return 24;
        case 15: return 9;
        case 17: return 18;
        case 19: return 27;
        case 21: return 10;
        case 23: return 20;
        default: return 30;  // 小寒
    }
}

bool IsSeasonStart(int term) { return term == 3 || term == 9 || term == 15 || term == 21; }   // 四立
bool IsSolsticeOrEquinox(int term) { return term % 6 == 0; }                                   // 二分二至

// What the terms say of day n: the term in force (for the month), and the days the terms mark.
struct TermMarks {
    int current = 0;
    bool wang_wang = false;
    bool si_li = false;
    bool si_jue = false;
    bool earth_rules = false;
    int today = 0;  // the term that falls on the day, 0 for none
};

TermMarks MarksOf(DayNumber n, const std::vector<TermDay>& terms) {
    TermMarks m;
    // The last term on or before n.
    auto after = std::upper_bound(terms.begin(), terms.end(), n, [](DayNumber d, const TermDay& t) { return d < t.day; });
    if (after == terms.begin()) return m;
    m.current = std::prev(after)->index;
    if (std::prev(after)->day == n) m.today = m.current;
    if (after != terms.end() && after->day == n + 1) {
        m.si_li = IsSolsticeOrEquinox(after->index);
        m.si_jue = IsSeasonStart(after->index);
    }
    for (auto it = after; it != terms.end(); ++it) {
        if (IsSeasonStart(it->index)) {
            m.earth_rules = it->day - n <= 18;
            break;
        }
    }
    // The two latest 节 on or before n (小寒's 往亡 may fall after 立春).
    int seen = 0;
    for (auto it = after; it != terms.begin() && seen < 2;) {
        --it;
        if (it->index % 2 == 0) continue;
        ++seen;
        if (n - it->day == WangWangOffset(it->index)) m.wang_wang = true;
    }
    return m;
}

// --- the spirits ---------------------------------------------------------------------------------

// A month spirit that stands on a stem or on a branch.
struct StemOrBranch {
    bool branch;
    int value;
};
constexpr StemOrBranch S(int v) { return {false, v}; }
constexpr StemOrBranch B(int v) { return {true, v}; }

// 天德 by month (寅 month first): 丁 申 壬 辛 亥 甲 癸 寅 丙 乙 巳 庚.
constexpr StemOrBranch kTianDeAt[12] = {S(3), B(8), S(8), S(7), B(11), S(0), S(9), B(2), S(2), S(1), B(5), S(6)};
// 天德合: 壬 巳 丁 丙 寅 己 戊 亥 辛 庚 申 乙.
constexpr StemOrBranch kTianDeHeAt[12] = {S(8), B(5), S(3), S(2), B(2), S(5), S(4), B(11), S(7), S(6), B(8), S(1)};
// 天愿: 乙亥 甲戌 乙酉 丙申 丁未 戊午 己巳 庚辰 辛卯 壬寅 癸丑 甲子.
constexpr int kTianYuanStem[12] = {1, 0, 1, 2, 3, 4, 5, 6, 7, 8, 9, 0};
constexpr int kTianYuanBranch[12] = {11, 10, 9, 8, 7, 6, 5, 4, 3, 2, 1, 0};
// 月恩: 丙 丁 庚 己 戊 辛 壬 癸 庚 乙 甲 辛.
constexpr int kYueEnAt[12] = {2, 3, 6, 5, 4, 7, 8, 9, 6, 1, 0, 7};
// 临日: 午 亥 申 丑 戌 卯 子 巳 寅 未 辰 酉.
constexpr int kLinRiAt[12] = {6, 11, 8, 1, 10, 3, 0, 5, 2, 7, 4, 9};
// 月刑: 巳 子 辰 申 午 丑 寅 酉 未 亥 卯 戌 (the branch the month's branch punishes).
constexpr int kYueXingAt[12] = {5, 0, 4, 8, 6, 1, 2, 9, 7, 11, 3, 10};
// 河魁: 亥 午 丑 申 卯 戌 巳 子 未 寅 酉 辰; 天罡: 巳 子 未 寅 酉 辰 亥 午 丑 申 卯 戌.
constexpr int kHeKuiAt[12] = {11, 6, 1, 8, 3, 10, 5, 0, 7, 2, 9, 4};
constexpr int kTianGangAt[12] = {5, 0, 7, 2, 9, 4, 11, 6, 1, 8, 3, 10};

// Entry i of a short list.
constexpr int Of(std::initializer_list<int> list, int i) { return list.begin()[i]; }

bool OnStemOrBranch(StemOrBranch x, int stem, int branch) { return x.branch ? x.value == branch : x.value == stem; }
bool IsPillar(GanZhiIndex g, std::initializer_list<GanZhiIndex> pillars) {
    return std::find(pillars.begin(), pillars.end(), g) != pillars.end();
}

GodSet GodsOf(int m, GanZhiIndex g, const TermMarks& marks) {
    GodSet gods;
    const int stem = StemOf(g);
    const int b = BranchOf(g);
    const int month = FloorMod(m - 2, 12) + 1;  // 1 = the 寅 month
    const int season = (month - 1) / 3;         // 0 spring .. 3 winter
    const int trine = m % 4;                    // 0 申子辰, 1 巳酉丑, 2 寅午戌, 3 亥卯未
    const int officer = OfficerOf(m, b);
    const auto set = [&gods](God god, bool on) {
        if (on) gods.set(god);
    };
    // 益后 stands on 子 午 丑 未 寅 申 … through the months; seven more spirits keep their distance
    // from it.
    const int yi_hou = month % 2 == 1 ? (month - 1) / 2 : (month - 2) / 2 + 6;
    const auto from_yi_hou = [&](int steps) { return b == (yi_hou + steps) % 12; };

    // The virtues and the other good spirits.
    set(kTianDe, OnStemOrBranch(kTianDeAt[month - 1], stem, b));
    set(kTianDeHe, OnStemOrBranch(kTianDeHeAt[month - 1], stem, b));
    set(kYueDe, stem == Of({8, 6, 2, 0}, trine));     // 申子辰 壬, 巳酉丑 庚, 寅午戌 丙, 亥卯未 甲
    set(kYueDeHe, stem == Of({3, 1, 7, 5}, trine));   // 丁, 乙, 辛, 己
    set(kTianShe, g == Of({PillarOf(4, 2), PillarOf(0, 6), PillarOf(4, 8), PillarOf(0, 0)}, season));
    set(kTianYuan, stem == kTianYuanStem[month - 1] && b == kTianYuanBranch[month - 1]);
    set(kYueEn, stem == kYueEnAt[month - 1]);
    set(kSiXiang, stem / 2 == Of({1, 2, 4, 0}, season));   // 丙丁, 戊己, 壬癸, 甲乙
    set(kShiDe, b == Of({6, 4, 0, 2}, season));            // 午, 辰, 子, 寅
    set(kTianEn, IsPillar(g, {1, 2, 3, 4, 5, 16, 17, 18, 19, 20, 46, 47, 48, 49, 50}));
    switch (season) {
        case 0: set(kMuCang, b == 11 || b == 0); break;
        case 1: set(kMuCang, b == 2 || b == 3); break;
        case 2: set(kMuCang, b % 3 == 1); break;  // 辰 戌 丑 未
        default: set(kMuCang, b == 8 || b == 9); break;
    }
    if (marks.earth_rules && (b == 5 || b == 6)) gods.set(kMuCang);  // 土王用事后 巳午
    set(kSanHe, b == (m + 4) % 12 || b == (m + 8) % 12);
    set(kLiuHe, (m + b) % 12 == 1);
    set(kTianXi, b == (m + 8) % 12);
    set(kTianMa, b == (2 * month + 4) % 12);
    set(kYiMa, b == Of({2, 11, 8, 5}, trine));
    set(kWuFu, b == FloorMod(3 * (m - 2) + 11, 12));
    set(kLinRi, b == kLinRiAt[month - 1]);
    set(kWangRi, b == Of({2, 5, 8, 11}, season));
    set(kGuanRi, b == Of({3, 6, 9, 0}, season));
    set(kShouRi, b == Of({9, 0, 3, 6}, season));
    set(kXiangRi, b == Of({5, 8, 11, 2}, season));
    set(kMinRi, b == Of({6, 9, 0, 3}, season));
    set(kYueKong, stem == Of({2, 0, 8, 6}, trine));  // 丙, 甲, 壬, 庚
    set(kYangDe, b == (2 * month + 8) % 12);
    set(kYinDe, b == FloorMod(11 - 2 * month, 12));
    set(kYiHou, from_yi_hou(0));
    set(kXuShi, from_yi_hou(1));
    set(kYaoAn, from_yi_hou(2));
    set(kYuYu, from_yi_hou(3));
    set(kJinTang, from_yi_hou(4));
    set(kJingAn, from_yi_hou(7));
    set(kPuHu, from_yi_hou(8));
    set(kFuSheng, from_yi_hou(9));
    set(kShengXin, from_yi_hou(11));
    set(kJieShen, b == (8 + 2 * ((month - 1) / 2)) % 12);
    set(kWuHe, b == 2 || b == 3);

    // The bad spirits.
    set(kYueJian, officer == 0);
    set(kYuePo, officer == 6);
    set(kYueSha, b == Of({7, 4, 1, 10}, trine));    // 未, 辰, 丑, 戌
    set(kJieSha, b == Of({5, 2, 11, 8}, trine));    // 巳, 寅, 亥, 申
    set(kZaiSha, b == Of({6, 3, 0, 9}, trine));     // 午, 卯, 子, 酉
    set(kYueXing, b == kYueXingAt[month - 1]);
    set(kYueHai, b == FloorMod(7 - m, 12));
    set(kYueYan, b == FloorMod(11 - month, 12));
    set(kYanDui, b == FloorMod(5 - month, 12));
    set(kDaShi, b == Of({9, 6, 3, 0}, trine));      // 酉, 午, 卯, 子
    set(kYouHuo, b == FloorMod(5 - 3 * (month - 1), 12));
    set(kTianLi, b == FloorMod(9 - 3 * (month - 1), 12));
    switch (season) {
        case 0: set(kSiFei, IsPillar(g, {57, 58})); break;  // 庚申 辛酉
        case 1: set(kSiFei, IsPillar(g, {49, 60})); break;  // 壬子 癸亥
        case 2: set(kSiFei, IsPillar(g, {51, 52})); break;  // 甲寅 乙卯
        default: set(kSiFei, IsPillar(g, {43, 54})); break; // 丙午 丁巳
    }
    set(kWangWang, marks.wang_wang);
    set(kGuiJi, b == (const int[]){0, 1, 2}[month % 3]);  // 孟月 丑, 仲月 寅, 季月 子
    set(kXueZhi, b == FloorMod(m - 1, 12));
    set(kXueJi, from_yi_hou(1));
    set(kSiLi, marks.si_li);
    set(kSiJue, marks.si_jue);
    switch (season) {
        case 0: set(kWuXu, b % 4 == 1); break;   // 巳 酉 丑
        case 1: set(kWuXu, b % 4 == 0); break;   // 申 子 辰
        case 2: set(kWuXu, b % 4 == 3); break;   // 亥 卯 未
        default: set(kWuXu, b % 4 == 2); break;  // 寅 午 戌
    }
    set(kSiHao, g == Of({49, 52, 55, 58}, season));   // 壬子 乙卯 戊午 辛酉
    set(kSiQiong, g == Of({12, 24, 48, 60}, season)); // 乙亥 丁亥 辛亥 癸亥
    set(kSiJi, g == Of({1, 13, 37, 49}, season));     // 甲子 丙子 庚子 壬子
    // 五墓: 乙未 in 寅卯, 丙戌 in 巳午, 辛丑 in 申酉, 壬辰 in 亥子, 戊辰 in 辰戌丑未.
    set(kWuMu, g == (month % 3 == 0 ? 5 : Of({32, 23, 38, 29}, season)));
    set(kBaZhuan, IsPillar(g, {51, 52, 44, 56, 57, 58, 35, 50}));
    set(kHeKui, b == kHeKuiAt[month - 1]);
    set(kTianGang, b == kTianGangAt[month - 1]);
    set(kChuShuiLong, IsPillar(g, {13, 20, 50}));
    set(kSiQi, b == (m + 4) % 12);
    // 复日: 甲 in the first month, 乙 in the second, 丙 4, 丁 5, 庚 7, 辛 8, 壬 10, 癸 11, and 戊己 in
    // the last month of each season.
    static constexpr int kFuRiStem[12] = {0, 1, -1, 2, 3, -1, 6, 7, -1, 8, 9, -1};
    set(kFuRi, month % 3 == 0 ? (stem == 4 || stem == 5) : stem == kFuRiStem[month - 1]);
    set(kChongRi, b == 5 || b == 11);
    return gods;
}

DaySpirits SpiritsWith(DayNumber n, const std::vector<TermDay>& terms) {
    DaySpirits d;
    const astro::CalendarDate date = astro::DayNumberToDate(n);
    if (!calendar::IsCalendarDate(date.year, date.month, date.day)) return d;
    const TermMarks marks = MarksOf(n, terms);
    if (marks.current == 0) return d;
    d.n = n;
    d.day = static_cast<GanZhiIndex>(FloorMod(n - 11LL, 60) + 1);
    d.month_branch = (1 + (marks.current - 1) / 2) % 12;  // 小寒 大寒 → 丑, 立春 雨水 → 寅 … 大雪 冬至 → 子
    d.officer = OfficerOf(d.month_branch, BranchOf(d.day));
    d.earth_rules = marks.earth_rules;
    d.term = marks.today;
    d.term_in_force = marks.current;
    d.gods = GodsOf(d.month_branch, d.day, marks);
    d.ok = true;
    return d;
}

// --- the activities -------------------------------------------------------------------------------

// One activity: the spirits (and officers) under which it is done and those that forbid it, as the
// book's 用事 (卷十一) lists them, and the day stem and branch that the 百忌日 keep it from.
struct ActivityRule {
    const char* name;
    std::string yi;
    std::string ji;
    int taboo_stem = -1;
    int taboo_branch = -1;
    bool earth = false;        // forbidden while earth rules (土王用事后)
    unsigned yi_branches = 0;  // day branches under which it is done as under a spirit (bit b: branch b)
    int window = 0;            // done only 立冬后立春前 (1) or 霜降后立春前 (2)
    std::uint64_t yi_pillars = 0;  // day pillars under which it is done (bit g - 1: pillar g)
};

// 鸣吠 and 鸣吠对, the days of breaking ground and burial, as 义例 corrects the 通书 by the 神煞起例: 鸣吠 甲丙庚壬
// with 午 and 申 (戊 left out) and 乙丁己辛癸 with 酉, thirteen days; 鸣吠对 丙庚壬 with 子, 甲丙庚壬 with 寅 and
// 乙丁辛癸 with 卯, eleven days. They decide only these activities, and are not listed among the day's spirits.
std::uint64_t Pillars(std::initializer_list<int> stems, std::initializer_list<int> branches) {
    std::uint64_t bits = 0;
    for (const int s : stems)
        for (const int b : branches)
            if (const GanZhiIndex g = PillarOf(s, b)) bits |= std::uint64_t{1} << (g - 1);
    return bits;
}
std::uint64_t MingFei() { return Pillars({0, 2, 6, 8}, {6, 8}) | Pillars({1, 3, 5, 7, 9}, {9}); }
std::uint64_t MingFeiDui() { return Pillars({2, 6, 8}, {0}) | Pillars({0, 2, 6, 8}, {2}) | Pillars({1, 3, 7, 9}, {3}); }

// The 用事 lists of 卷十一, for the 民用三十七事 (with 祈福, 求嗣 and 纳畜 of the 御用 list). The book's
// other names for the same days are written as the spirit the almanac computes: 死神 is the 平 day, 大耗
// the 月破, 月虚 the 月煞, 地火 the 月厌, 土府 the 建 day (forbidding on its own, see VerdictOf). Spirits
// the almanac does not compute (天巫 福德 吉期 不将 天仓 天后 天医 除神 小耗 天贼 九空 五离 天狗 土符 地囊 生气
// 九焦 伏社 …) are left in the lists as the book has them and do nothing; 鸣吠 and 鸣吠对 act through
// the rule's pillars.
const std::vector<ActivityRule>& Rules() {
    static const std::vector<ActivityRule> rules = [] {
        const std::string de = "天德 月德 天德合 月德合";
        const std::string v = de + " 天赦 天愿";
        const std::string five = v + " 月恩 四相 时德";
        const std::string sha = "劫煞 灾煞 月煞 月刑";
        const std::string pray_ji = "月建 月破 平日 收日 " + sha + " 月害 月厌 大时 游祸 天吏 四废";
        const std::string build_ji = "月建 月破 平日 收日 闭日 " + sha + " 月厌 大时 天吏 四废 五墓 土符 地囊";
        const std::string herd_ji = "月破 平日 " + sha + " 月害 月厌 大时 天吏 四废 五墓";
        const std::string trade_ji = "月破 平日 收日 " + sha + " 月害 月厌 大时 天吏 小耗 四耗 四废 四穷 五墓 九空";
        const std::string grave_ji = "月建 月破 平日 收日 " + sha + " 月害 月厌 四废 五墓 复日 重日";
        constexpr unsigned kHaiZi = 1u << 11 | 1u << 0, kWuShen = 1u << 6 | 1u << 8;
        return std::vector<ActivityRule>{
            {"祭祀", five + " 天巫 开日 普护 福生 圣心 益后 续世", "天狗", -1, 2},
            {"祈福", five + " 天巫 开日 普护 福生 圣心 益后 续世", pray_ji},
            {"求嗣", five + " 开日 益后 续世", pray_ji},
            {"上表章", de + " 月空 天赦 天愿 临日 福德 开日 解神",
             "月建 月破 平日 收日 闭日 " + sha + " 月害 月厌 大时 天吏 四废 往亡"},
            {"上官", five + " 王日 官日 守日 相日 临日 建日 吉期 天喜 开日",
             "月破 平日 收日 满日 闭日 " + sha + " 月厌 大时 天吏 四废 五墓 往亡"},
            {"入学", "成日 开日", ""},
            {"冠带", "定日", "月破 平日 收日 " + sha + " 月厌 大时 天吏 四废 五墓", -1, 1},
            {"结婚姻", five + " 民日 三合 天喜 六合 五合",
             "月建 月破 平日 收日 满日 闭日 " + sha + " 月害 月厌 大时 天吏 四废 四忌 四穷 五墓 五离 八专"},
            {"会亲友", five + " 天恩 王日 民日 三合 福德 天喜 开日 六合 五合",
             "月破 平日 收日 闭日 " + sha + " 月害 月厌 四废 五离", -1, 9},
            {"嫁娶", v + " 三合 天喜 六合 不将",
             "月破 平日 收日 闭日 " + sha + " 月害 月厌 厌对 大时 天吏 四废 四忌 四穷 五墓 往亡 八专", -1, 11},
            {"进人口", "天愿 民日 三合 满日 收日 六合 天仓",
             "月破 平日 闭日 " + sha + " 月害 月厌 大时 天吏 四废 四穷 五墓 九空 往亡"},
            {"出行", five + " 王日 驿马 天马 建日 吉期 天喜 开日",
             "月破 平日 收日 闭日 " + sha + " 月厌 大时 天吏 天贼 四废 五墓 往亡", -1, 5},
            {"移徙", five + " 民日 驿马 天马 成日 开日",
             "月破 平日 收日 闭日 " + sha + " 月厌 大时 天吏 四废 五墓 归忌 往亡"},
            {"安床", "危日", "月破 平日 收日 闭日 " + sha + " 月厌 大时 天吏 四废 五墓", -1, 8},
            {"沐浴", "除日 解神 除神", "伏社", -1, -1, false, kHaiZi},
            {"剃头", "除日 解神 除神", "月建 月破 " + sha + " 月厌", 3},
            {"疗病", de + " 天赦 月恩 四相 时德 天后 除日 破日 天医 开日 解神 除神",
             "月建 平日 收日 满日 闭日 " + sha + " 月害 月厌 大时 游祸 天吏 死气 四废 五墓 往亡", -1, 7},
            {"裁衣", five + " 王日 三合 满日 开日 复日", "月破 平日 收日 " + sha + " 月厌 四废"},
            {"修造", five + " 三合 开日", build_ji, -1, -1, true},
            {"动土", five + " 三合 开日", build_ji, -1, -1, true},
            {"竖柱上梁", five + " 三合 开日", "月建 月破 平日 收日 闭日 " + sha + " 月厌 大时 天吏 四废 五墓"},
            {"经络", "天愿 三合 满日 六合 五富", "月破 平日 收日 " + sha + " 月害 月厌 四废", 6},
            {"开市", "天愿 民日 满日 成日 开日 五富", trade_ji + " 闭日"},
            {"立券", "天愿 民日 三合 满日 六合 五富 五合", trade_ji + " 五离", 5},
            {"交易", "天愿 民日 三合 满日 六合 五富 五合", trade_ji + " 五离"},
            {"纳财", "母仓 天愿 月恩 四相 时德 民日 三合 满日 收日 六合 五富 天仓",
             "月破 平日 " + sha + " 月害 月厌 大时 天吏 小耗 四耗 四废 四穷 九空"},
            {"修置产室", "开日", "月建 月破 平日 收日 闭日 " + sha + " 月害 月厌 大时 天吏 死气 四废 五墓 土符 地囊", -1, -1,
             true},
            {"开渠穿井", "开日", "月破 平日 收日 闭日 " + sha + " 月厌 四废 土符 地囊", 8, 3, true},
            {"安碓硙", "三合 开日", "月破 " + sha + " 月厌 四废 土符 地囊", -1, -1, true},
            {"扫舍宇", "除日 除神", ""},
            {"平治道涂", "平日", "月厌 土符 地囊", -1, -1, true},
            {"破屋坏垣", "月破", "月建 " + sha + " 月厌 土符 地囊", -1, -1, true},
            {"伐木", "危日", "月建 月破 月厌 生气", -1, -1, false, kWuShen, 1},
            {"捕捉", "执日 收日", "往亡"},
            {"畋猎", "执日 危日 收日", de + " 天赦 生气 往亡", -1, -1, false, 0, 2},
            {"栽种", five + " 母仓 民日 开日 五富", "月建 月破 平日 " + sha + " 月厌 大时 天吏 死气 四废 五墓 九焦 土符 地囊", 1,
             -1, true},
            {"牧养", five + " 母仓 民日 开日 五富", herd_ji},
            {"纳畜", v + " 母仓 民日 三合 收日 六合 五富 天仓", herd_ji},
            {"破土", "鸣吠 鸣吠对", grave_ji + " 土符 地囊", -1, -1, true, 0, 0, MingFei() | MingFeiDui()},
            {"安葬", de + " 天赦 天愿 六合 鸣吠", grave_ji + " 四忌 四穷", -1, -1, false, 0, 0, MingFei()},
            {"启攒", "鸣吠对", grave_ji, -1, -1, false, 0, 0, MingFeiDui()},
        };
    }();
    return rules;
}

// The spirits (and officers) of a rule's list.
struct Condition {
    GodSet gods;
    unsigned officers = 0;  // bit k: officer k
};

Condition ParseCondition(const std::string& text) {
    Condition c;
    std::istringstream words(text);
    std::string w;
    while (words >> w) {
        bool known = false;
        for (int g = 0; g < kGodCount; ++g)
            if (w == kGodNames[g]) {
                c.gods.set(g);
                known = true;
            }
        for (int o = 0; o < 12 && !known; ++o)
            if (w == std::string(OfficerName(o)) + "日") {
                c.officers |= 1u << o;
                known = true;
            }
    }
    return c;
}

struct CompiledRule {
    Condition yi, ji;
    int taboo_stem, taboo_branch;
    bool earth;
    unsigned yi_branches;
    int window;
    std::uint64_t yi_pillars;
};

const std::vector<CompiledRule>& Compiled() {
    static const std::vector<CompiledRule> compiled = [] {
        std::vector<CompiledRule> out;
        for (const ActivityRule& r : Rules())
            out.push_back({ParseCondition(r.yi), ParseCondition(r.ji), r.taboo_stem, r.taboo_branch, r.earth,
                           r.yi_branches, r.window, r.yi_pillars});
        return out;
    }();
    return compiled;
}

// --- the weighing (卷十 宜忌) -----------------------------------------------------------------------
//
// The book weighs each bad spirit against the good ones standing with it, month by month. What a spirit
// does to the activities it forbids comes to one of five outcomes:
enum class Weight {
    kLifted,    // 从宜不从忌: it forbids nothing but the activities it keeps (mostly 疗病: 止忌军事疗病)
    kBalanced,  // 吉凶相抵: what it forbids is marked neither 宜 nor 忌 (凡所忌者则不注宜, 所宜者亦不注忌)
    kNormal,    // 如常例: what it forbids is 忌, whatever virtue stands with it
    kAll,       // 诸事皆忌: every activity is 忌
};
struct Effect {
    Weight weight;
    std::uint64_t keeps = 0;  // with kLifted: the activities still forbidden (bit a: activity a)
};

std::uint64_t Acts(const char* names) {
    std::uint64_t bits = 0;
    std::istringstream words(names);
    std::string w;
    while (words >> w)
        for (int a = 0; a < static_cast<int>(Rules().size()); ++a)
            if (w == Rules()[a].name) bits |= std::uint64_t{1} << a;
    return bits;
}

// 止忌军事疗病: of the activities here only 疗病 stays forbidden.
std::uint64_t KeepsHealing() {
    static const std::uint64_t bits = Acts("疗病");
    return bits;
}

// A pillar of a month: month 1 = the 寅 month, the pillar by its stem and branch.
struct MonthPillar {
    int month;
    int stem, branch;
};

bool OnPillar(const DaySpirits& d, std::initializer_list<MonthPillar> list) {
    const int month = FloorMod(d.month_branch - 2, 12) + 1;
    for (const MonthPillar& p : list)
        if (p.month == month && p.stem == StemOf(d.day) && p.branch == BranchOf(d.day)) return true;
    return false;
}

// The days the book marks 诸事皆忌 whatever stands with them: where the month's two 建 (the sun's and
// the 月厌's) meet or clash on a pillar. 阴阳大会 正甲戌 二乙酉 五丙午 六丁巳 七庚辰 八辛卯 十一壬子 十二癸亥; 小会
// 二己卯 三戊辰 四己巳 五戊午 八己酉 九戊戌 十己亥 十一戊子; 阴位 三庚辰 九甲戌; 阴阳交破 四癸亥 十丁巳; 阴阳击冲 五壬子
// 十一丙午; 阳破阴冲 六癸丑 十二丁未; 阴道冲阳 二己酉 八己卯; 三阴 正辛酉 七乙卯; 阴阳俱错 五丙午 十一壬子; 绝阴
// 四戊辰; 绝阳 十戊戌 (卷十, 月厌 and 月建).
bool MeetingOfTheTwoJian(const DaySpirits& d) {
    return OnPillar(d, {{1, 0, 10}, {2, 1, 9}, {5, 2, 6}, {6, 3, 5}, {7, 6, 4}, {8, 7, 3}, {11, 8, 0}, {12, 9, 11},
                        {2, 5, 3}, {3, 4, 4}, {4, 5, 5}, {5, 4, 6}, {8, 5, 9}, {9, 4, 10}, {10, 5, 11}, {11, 4, 0},
                        {3, 6, 4}, {9, 0, 10}, {4, 9, 11}, {10, 3, 5}, {5, 8, 0}, {11, 2, 6}, {6, 9, 1}, {12, 3, 7},
                        {2, 5, 9}, {8, 5, 3}, {1, 7, 9}, {7, 1, 3}, {4, 4, 4}, {10, 4, 10}});
}
// 阳错 (the 建 doubled: 正甲寅 二乙卯 三甲辰 四丁巳 己巳 六丁未 己未 七庚申 八辛酉 九庚戌 十癸亥 十二癸丑) and 阴错 (the 月厌
// doubled: 正庚戌 二辛酉 三庚申 四丁未 己未 六丁巳 己巳 七甲辰 八乙卯 九甲寅 十癸丑 十二癸亥): the stem counts as the 建, not
// as a virtue, so 月建 and 月厌 weigh as usual.
bool YangCuo(const DaySpirits& d) {
    return OnPillar(d, {{1, 0, 2}, {2, 1, 3}, {3, 0, 4}, {4, 3, 5}, {4, 5, 5}, {6, 3, 7}, {6, 5, 7}, {7, 6, 8},
                        {8, 7, 9}, {9, 6, 10}, {10, 9, 11}, {12, 9, 1}});
}
bool YinCuo(const DaySpirits& d) {
    return OnPillar(d, {{1, 6, 10}, {2, 7, 9}, {3, 6, 8}, {4, 3, 7}, {4, 5, 7}, {6, 3, 5}, {6, 5, 5}, {7, 0, 4},
                        {8, 1, 3}, {9, 0, 2}, {10, 9, 1}, {12, 9, 11}});
}

// The officers the book weighs as spirits: 平 (死神), 收, 满, 闭; 建 and 破 are 月建 and 月破.
constexpr int kPing = 3, kShou = 9, kMan = 2, kBi = 11;

Effect WeighOfficer(int officer, const DaySpirits& d);

// How the bad spirit `god` on day d weighs against what stands with it (卷十, each spirit's 与…并 clauses).
Effect WeighGod(int god, const DaySpirits& d) {
    const int m = d.month_branch;  // 0 子 .. 11 亥
    const auto has = [&d](God g) { return d.gods.test(g); };
    const bool de = has(kTianDe) || has(kYueDe) || has(kTianDeHe) || has(kYueDeHe);  // 德合: the four virtues
    const bool she = has(kTianShe), yuan = has(kTianYuan);
    const bool meng = m % 3 == 2, zhong = m % 3 == 0;  // 寅申巳亥 / 子午卯酉; else 辰戌丑未
    const auto in = [m](std::initializer_list<int> months) {
        return std::find(months.begin(), months.end(), m) != months.end();
    };
    const Effect lifted{Weight::kLifted, KeepsHealing()};
    const Effect free{Weight::kLifted, 0};
    const Effect balanced{Weight::kBalanced}, normal{Weight::kNormal}, all{Weight::kAll};
    switch (god) {
        case kYueJian:  // 月建 (the 土府 it also is forbids building and digging in any case)
            if (in({0, 6})) return WeighGod(kYueYan, d);   // 子午月: 建 and 厌 meet
            if (in({4, 9, 11})) return WeighGod(kYueXing, d);  // 辰酉亥月: the branch punishes itself
            if (MeetingOfTheTwoJian(d)) return all;
            if ((de || she || has(kYueEn) || has(kSiXiang)) && !YangCuo(d) && !(m == 7 && StemOf(d.day) == 5)) {
                static const std::uint64_t keeps = Acts("修造 动土 修置产室 开渠穿井 安碓硙 平治道涂 破屋坏垣 伐木 栽种 破土");
                return {Weight::kLifted, keeps};
            }
            return normal;
        case kYuePo:  // 月破: a virtue loses its strength on it (犹忌)
            if (MeetingOfTheTwoJian(d) || in({3, 9})) return all;  // 卯酉月: 灾煞 and 月厌 on it as well
            if (has(kSiFei)) return all;                            // 四废 与月破并诸事皆忌
            if (in({0, 6, 7, 8}))  // 子午月 灾煞, 未申月 月刑 on it
                return has(kYueDe) || has(kTianDeHe) || has(kYueDeHe) ? normal : all;
            return normal;
        case kJieSha:
            if (in({2, 8})) return lifted;  // 寅申月: 长生 and 六合
            if (in({5, 11})) return has(kYueDe) || has(kTianDeHe) ? lifted : normal;
            if (zhong) return has(kYueDe) || has(kYueDeHe) ? balanced : normal;
            return de ? lifted : balanced;  // 辰戌丑未月: 除日 相日
        case kZaiSha:
            if (zhong) return WeighGod(kYuePo, d);
            if (meng) return de ? lifted : balanced;  // 开日
            return de ? lifted : normal;               // 满日
        case kYueSha:
            if (in({3, 9})) return de || yuan ? lifted : balanced;  // 六合
            if (in({0, 6})) return de ? balanced : normal;          // 月害
            return de ? normal : all;                                // 闭日 / 平日: 凶又逢凶
        case kYueXing:
            if (m == 6) return WeighGod(kYueYan, d);
            if (m == 5) return de || yuan ? lifted : balanced;       // 平日 相日 六合
            if (in({0, 3, 7, 8})) return de ? normal : all;          // with 天吏, 大时 or 月破
            return de ? balanced : normal;                           // 寅月 平日; 辰酉亥月 建日; 丑戌月 收日
        case kYueHai:
            if (in({0, 6})) return WeighGod(kYueSha, d);
            if (in({5, 11})) return WeighGod(kJieSha, d);
            if (m == 2) return WeighGod(kYueXing, d);
            if (m == 8) return WeighOfficer(kPing, d);
            if (in({4, 10})) return has(kTianDeHe) || has(kYueDeHe) ? balanced : normal;
            return has(kTianDe) || has(kYueDe) ? lifted : normal;    // 卯酉丑未月
        case kYueYan: {
            if (MeetingOfTheTwoJian(d) || in({3, 9})) return all;  // 卯酉月: on 月破 and 灾煞
            if (in({0, 6})) return she ? normal : all;              // 子午月: 厌 and 建 meet
            if (YinCuo(d)) return normal;
            if (in({2, 8, 1, 7})) {
                static const std::uint64_t keeps = Acts("出行 上官 结婚姻 嫁娶 疗病 移徙 栽种");
                return de ? Effect{Weight::kLifted, keeps} : normal;
            }
            return has(kTianDe) || has(kYueDe) || has(kYueDeHe) ? balanced : normal;  // 辰戌巳亥月
        }
        case kYanDui:
            return de || she ? free : normal;
        case kDaShi:
            if (meng || in({4, 10})) return lifted;
            if (in({1, 7})) return has(kTianDe) || has(kYueDe) ? lifted : normal;
            if (m == 3) return WeighGod(kYueXing, d);
            if (m == 9) return has(kYueDe) ? balanced : normal;
            return has(kYueDeHe) ? balanced : normal;  // 子午月
        case kTianLi:
            if (meng) return de ? lifted : normal;
            if (m == 0) return WeighGod(kYueXing, d);
            if (zhong) return WeighOfficer(kPing, d);
            return de || she || yuan ? balanced : normal;  // 闭日
        case kSiQi:  // 死气
            if (in({4, 10})) return normal;  // on 月厌
            return de ? lifted : normal;
        case kSiJi:
        case kSiQiong:
            return yuan ? free : normal;  // 正月乙亥 (四穷 and 天愿)
        case kWuXu:
            return de || has(kLiuHe) ? free : normal;
        case kWuMu:
            return in({0, 6}) && has(kYueDe) ? free : normal;
        case kBaZhuan:
            return yuan ? free : normal;  // 五月丁未, 十一月癸丑: 天愿 parts them
        case kSiHao:
            return de || (!meng && !zhong && has(kSanHe)) ? free : normal;
        case kFuRi:
        case kChongRi:
            return de || she || has(kLiuHe) ? balanced : normal;
        case kSiLi:
        case kSiJue:
            return all;
        default:  // 游祸 四废 往亡 归忌 …: 与德合赦愿并犹忌
            return normal;
    }
}

Effect WeighOfficer(int officer, const DaySpirits& d) {
    const int m = d.month_branch;
    const auto has = [&d](God g) { return d.gods.test(g); };
    const bool de = has(kTianDe) || has(kYueDe) || has(kTianDeHe) || has(kYueDeHe);
    const Effect lifted{Weight::kLifted, KeepsHealing()};
    const Effect balanced{Weight::kBalanced}, normal{Weight::kNormal};
    const bool ji = m % 3 == 1;  // 辰戌丑未
    switch (officer) {
        case 0: return WeighGod(kYueJian, d);
        case 6: return WeighGod(kYuePo, d);
        case kPing:
            if (m == 11) return lifted;  // 相日, 时德, 六合
            if (m == 8) return has(kTianDe) || has(kYueDeHe) ? lifted : normal;
            if (m == 2 || m == 5 || m == 0) return WeighGod(kYueXing, d);
            if (ji) return WeighGod(kYueSha, d);
            if (m == 6) return has(kYueDeHe) ? balanced : normal;  // 天吏
            return has(kYueDe) ? balanced : normal;                 // 卯酉月: 天吏
        case kShou:
            if (m % 3 == 2) return WeighGod(kJieSha, d);
            if (m == 3 || m == 1 || m == 10) return WeighGod(kYueXing, d);
            if (m == 0 || m == 6) return has(kYueDeHe) ? balanced : normal;  // 大时
            if (m == 9) return has(kYueDe) ? balanced : normal;
            return de ? lifted : normal;  // 辰未月
        case kMan:
            if (ji) return WeighGod(kZaiSha, d);
            if (m == 5 || m == 11) return WeighGod(kYueYan, d);
            return has(kYueDe) || has(kTianDeHe) || has(kYueDeHe) || has(kYueEn) || has(kSiXiang) ? Effect{Weight::kLifted, 0}
                                                                                                  : normal;
        case kBi:
            if (m % 3 == 2) return WeighGod(kYueSha, d);
            return de || has(kTianShe) || has(kTianYuan) ? balanced : normal;
        default:
            return normal;
    }
}

// What the day as a whole does: 诸事皆忌 from one of its spirits, or from 四离/四绝 alone (which leave
// 祭祀 and a few cleaning and clearing activities free: 止不忌祭祀 解除 沐浴 剃头 扫舍宇 平治道涂 破屋坏垣 伐木).
enum class Whole { kNone, kAllButCleansing, kAll };

Whole WholeDay(const DaySpirits& d) {
    if (MeetingOfTheTwoJian(d)) return Whole::kAll;
    bool by_terms = false;
    for (int g = kFirstBadGod; g < kGodCount; ++g) {
        if (!d.gods.test(g) || WeighGod(g, d).weight != Weight::kAll) continue;
        if (g == kSiLi || g == kSiJue) {
            by_terms = true;
            continue;
        }
        return Whole::kAll;
    }
    for (const int o : {kPing, kShou, kMan, kBi})
        if (d.officer == o && WeighOfficer(o, d).weight == Weight::kAll) return Whole::kAll;
    return by_terms ? Whole::kAllButCleansing : Whole::kNone;
}

bool Meets(const Condition& c, const DaySpirits& day) {
    return (c.gods & day.gods).any() || (c.officers >> day.officer & 1u) != 0;
}

}  // namespace

const char* GodName(int god) { return god >= 0 && god < kGodCount ? kGodNames[god] : ""; }

DaySpirits SpiritsOfDay(DayNumber n) { return SpiritsWith(n, TermsAround(n, n)); }

int ActivityCount() { return static_cast<int>(Rules().size()); }
const char* ActivityName(int a) { return a >= 0 && a < ActivityCount() ? Rules()[a].name : ""; }

int ActivityOf(const std::string& name) {
    for (int a = 0; a < ActivityCount(); ++a)
        if (name == Rules()[a].name) return a;
    return -1;
}

namespace {

// The verdict on an activity on a day whose whole-day weighing is `whole`.
int VerdictWith(const DaySpirits& day, int activity, Whole whole) {
    const CompiledRule& r = Compiled()[activity];
    const std::uint64_t bit = std::uint64_t{1} << activity;
    const int stem = StemOf(day.day);
    const int branch = BranchOf(day.day);
    // The taboos of the stems and branches (百忌日: 亥日忌嫁娶 …), the earth's rule (土王用事) and the 土府
    // of the 建 day forbid whatever else the day holds.
    static const std::uint64_t tu_fu = Acts("修造 动土 修置产室 开渠穿井 安碓硙 平治道涂 破屋坏垣 栽种 破土");
    if (stem == r.taboo_stem || branch == r.taboo_branch || (r.earth && day.earth_rules)) return -1;
    if (day.officer == 0 && (tu_fu & bit) != 0) return -1;
    static const std::uint64_t cleansing = Acts("祭祀 沐浴 剃头 扫舍宇 平治道涂 破屋坏垣 伐木");
    if (whole == Whole::kAll || (whole == Whole::kAllButCleansing && (cleansing & bit) == 0)) return -1;
    // Each spirit that forbids the activity, as the book weighs it on this day.
    bool forbidden = false, balanced = false;
    const auto weigh = [&](const Effect& e) {
        switch (e.weight) {
            case Weight::kNormal:
            case Weight::kAll: forbidden = true; break;
            case Weight::kBalanced: balanced = true; break;
            case Weight::kLifted: forbidden = forbidden || (e.keeps & bit) != 0; break;
        }
    };
    const GodSet against = r.ji.gods & day.gods;  // bad spirits, and for hunting the virtues
    for (int g = 0; g < kGodCount; ++g)
        if (against.test(g)) weigh(WeighGod(g, day));
    if ((r.ji.officers >> day.officer & 1u) != 0) weigh(WeighOfficer(day.officer, day));
    if (forbidden) return -1;
    if (balanced) return 0;
    if (!Meets(r.yi, day) && (r.yi_branches >> branch & 1u) == 0 && (r.yi_pillars >> (day.day - 1) & 1u) == 0) return 0;
    // 伐木 立冬后立春前, 畋猎 霜降后立春前.
    const bool winter = day.month_branch == 11 || day.month_branch == 0 || day.month_branch == 1;
    if (r.window == 1 && !winter) return 0;
    if (r.window == 2 && !winter && day.term_in_force != 20) return 0;
    // Days that take no 宜 for some activities, though they do not forbid them: the 开 day for breaking
    // ground and burial (凡开日不注宜破土安葬启攒), and the solstices and equinoxes for the affairs of
    // meeting, marrying, moving and trading (二分二至 不注 …; 冬至 also 伐木).
    static const std::uint64_t burial = Acts("破土 安葬 启攒");
    static const std::uint64_t at_the_turn = Acts("上表章 会亲友 出行 上官 结婚姻 嫁娶 进人口 移徙 开市 立券 交易 捕捉 畋猎");
    static const std::uint64_t felling = Acts("伐木");
    if (day.officer == 10 && (burial & bit) != 0) return 0;
    // 凡四忌四穷止忌安葬, 如遇鸣吠鸣吠对亦不注宜破土启攒.
    static const std::uint64_t opening = Acts("破土 启攒");
    if ((day.gods.test(kSiJi) || day.gods.test(kSiQiong)) && (opening & bit) != 0) return 0;
    if (day.term % 6 == 0 && day.term != 0 && ((at_the_turn & bit) != 0 || (day.term == 24 && (felling & bit) != 0))) return 0;
    return 1;
}

}  // namespace

int VerdictOf(const DaySpirits& day, int activity) {
    if (!day.ok || activity < 0 || activity >= ActivityCount()) return 0;
    return VerdictWith(day, activity, WholeDay(day));
}

YiJi YiJiOf(const DaySpirits& day) {
    YiJi out;
    if (!day.ok) return out;
    const Whole whole = WholeDay(day);
    for (int a = 0; a < ActivityCount(); ++a) {
        const int v = VerdictWith(day, a, whole);
        if (v > 0) out.yi.push_back(a);
        if (v < 0) out.ji.push_back(a);
    }
    return out;
}

// --- choosing ----------------------------------------------------------------------------------------

const std::vector<CommonWord>& CommonWords() {
    static const std::vector<CommonWord> words = {
        {"结婚", "嫁娶"},         {"出嫁", "嫁娶"},         {"订婚", "结婚姻"},       {"提亲", "结婚姻"},
        {"搬家", "移徙"},         {"乔迁", "移徙"},         {"入宅", "移徙"},         {"入伙", "移徙"},
        {"开业", "开市"},         {"开张", "开市"},         {"装修", "动土、修造"},   {"盖房", "修造、动土"},
        {"上梁", "竖柱上梁"},     {"出门", "出行"},         {"旅行", "出行"},         {"远行", "出行"},
        {"签约", "立券、交易"},   {"买卖", "交易"},         {"求财", "纳财"},         {"理发", "剃头"},
        {"看病", "疗病"},         {"就医", "疗病"},         {"上任", "上官"},         {"赴任", "上官"},
        {"入职", "上官"},         {"上学", "入学"},         {"下葬", "安葬"},         {"祭拜", "祭祀"},
        {"求子", "求嗣"},         {"种植", "栽种"},         {"打井", "开渠穿井"},     {"洗澡", "沐浴"},
        {"做衣服", "裁衣"},
    };
    return words;
}

std::vector<int> ActivitiesOfWord(const std::string& word) {
    const int a = ActivityOf(word);
    if (a >= 0) return {a};
    for (const CommonWord& w : CommonWords()) {
        if (word != w.word) continue;
        std::vector<int> out;
        const std::string terms = w.terms;
        const std::string sep = "、";
        std::size_t start = 0;
        while (start <= terms.size()) {
            const std::size_t end = terms.find(sep, start);
            const int t = ActivityOf(terms.substr(start, end == std::string::npos ? std::string::npos : end - start));
            if (t >= 0) out.push_back(t);
            if (end == std::string::npos) break;
            start = end + sep.size();
        }
        return out;
    }
    return {};
}

int AnimalOf(const std::string& name) {
    for (int a = 1; a <= 12; ++a)
        if (name == calendar::AnimalNames[a]) return a - 1;
    return -1;
}

bool IsGoodDay(const DaySpirits& day, const std::vector<int>& activities, int avoid_animal) {
    if (!day.ok || activities.empty()) return false;
    if (avoid_animal >= 0 && BranchOf(day.day) == (avoid_animal + 6) % 12) return false;
    bool yi = false;
    for (const int a : activities) {
        const int v = VerdictOf(day, a);
        if (v < 0) return false;
        yi = yi || v > 0;
    }
    return yi;
}

std::vector<ChosenDay> ChooseDays(const std::vector<int>& activities, DayNumber first, int days, int avoid_animal) {
    std::vector<ChosenDay> chosen;
    if (days < 1 || days > kMaxChoosingDays) return chosen;
    const std::vector<TermDay> terms = TermsAround(first, first + days - 1);
    for (DayNumber n = first; n < first + days; ++n) {
        const DaySpirits day = SpiritsWith(n, terms);
        if (IsGoodDay(day, activities, avoid_animal))
            chosen.push_back({n, day.officer, SpiritOf(day.month_branch, BranchOf(day.day))});
    }
    return chosen;
}

}  // namespace almanac
