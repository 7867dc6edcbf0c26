#include "almanac/almanac.h"

#include <cmath>

#include "astro/sun.h"
#include "calendar/lunar_events.h"
#include "calendar/range.h"

namespace almanac {

namespace {

using calendar::FloorMod;

constexpr const char* kOfficers[12] = {"建", "除", "满", "平", "定", "执", "破", "危", "成", "收", "开", "闭"};

constexpr const char* kSpirits[12] = {"青龙", "明堂", "天刑", "朱雀", "金匮", "天德",
                                      "白虎", "玉堂", "天牢", "玄武", "司命", "勾陈"};
constexpr bool kYellow[12] = {true, true, false, false, true, true, false, true, false, false, true, false};

// The mansions in order from 角, each with its planet and animal, and whether it is lucky.
struct Mansion {
    const char* name;
    bool lucky;
};
constexpr Mansion kMansions[28] = {
    {"角木蛟", true},  {"亢金龙", false}, {"氐土貉", false}, {"房日兔", true},  {"心月狐", false},
    {"尾火虎", true},  {"箕水豹", true},  {"斗木獬", true},  {"牛金牛", false}, {"女土蝠", false},
    {"虚日鼠", false}, {"危月燕", false}, {"室火猪", true},  {"壁水貐", true},  {"奎木狼", false},
    {"娄金狗", true},  {"胃土雉", true},  {"昴日鸡", false}, {"毕月乌", true},  {"觜火猴", false},
    {"参水猿", true},  {"井木犴", true},  {"鬼金羊", false}, {"柳土獐", false}, {"星日马", false},
    {"张月鹿", true},  {"翼火蛇", false}, {"轸水蚓", true},
};
// A day of 角: 2026-01-08 (a Thursday, the planet of 角 being wood).
constexpr DayNumber kJiaoDay = 2461049;

// 纳音 of the thirty pairs 甲子乙丑 .. 壬戌癸亥.
constexpr const char* kNayin[30] = {
    "海中金", "炉中火", "大林木", "路旁土", "剑锋金", "山头火", "涧下水", "城头土", "白蜡金", "杨柳木",
    "泉中水", "屋上土", "霹雳火", "松柏木", "长流水", "沙中金", "山下火", "平地木", "壁上土", "金箔金",
    "覆灯火", "天河水", "大驿土", "钗钏金", "桑柘木", "大溪水", "沙中土", "天上火", "石榴木", "大海水",
};

constexpr const char* kPengzuStems[10] = {
    "甲不开仓财物耗散", "乙不栽植千株不长", "丙不修灶必见灾殃", "丁不剃头头必生疮", "戊不受田田主不祥",
    "己不破券二比并亡", "庚不经络织机虚张", "辛不合酱主人不尝", "壬不泱水更难提防", "癸不词讼理弱敌强",
};
constexpr const char* kPengzuBranches[12] = {
    "子不问卜自惹祸殃", "丑不冠带主不还乡", "寅不祭祀神鬼不尝", "卯不穿井水泉不香",
    "辰不哭泣必主重丧", "巳不远行财物伏藏", "午不苫盖屋主更张", "未不服药毒气入肠",
    "申不安床鬼祟入房", "酉不会客醉坐颠狂", "戌不吃犬作怪上床", "亥不嫁娶不利新郎",
};

// Where the fetus spirit stays on each day of the cycle, 甲子 first.
constexpr const char* kFetus[60] = {
    "占门碓外东南", "碓磨厕外东南", "厨灶炉外正南", "仓库门外正南", "房床栖外正南", "占门床外正南",
    "占碓磨外正南", "厨灶厕外西南", "仓库炉外西南", "房床门外西南", "门鸡栖外西南", "碓磨床外西南",
    "厨灶碓外西南", "仓库厕外西南", "房床炉外正西", "大门外正西", "碓鸡栖外正西", "厨灶床外正西",
    "仓库碓外西北", "房床厕外西北", "占门炉外西北", "碓磨门外西北", "厨灶栖外西北", "仓库床外西北",
    "房床碓外正北", "占门厕外正北", "碓磨炉外正北", "厨灶门外正北", "仓库栖外正北", "占房床房内北",
    "占门碓房内北", "碓磨厕房内北", "厨灶炉房内北", "仓库门房内北", "房床栖房内中", "占门床房内中",
    "占碓磨房内南", "厨灶厕房内南", "仓库炉房内南", "房床门房内南", "门鸡栖房内东", "碓磨床房内东",
    "厨灶碓房内东", "仓库厕房内东", "房床炉房内东", "大门外东北", "碓磨栖外东北", "厨灶床外东北",
    "仓库碓外东北", "房床厕外东北", "占门炉外东北", "碓磨门外正东", "厨灶栖外正东", "仓库床外正东",
    "房床碓外正东", "占门厕外正东", "碓磨炉外东南", "厨灶门外东南", "仓库栖外东南", "占房床外东南",
};

// The direction of each branch: 子 north, 卯 east, 午 south, 酉 west, the others between.
constexpr const char* kBranchDirection[12] = {"正北", "东北", "东北", "正东", "东南", "东南",
                                              "正南", "西南", "西南", "正西", "西北", "西北"};

// 喜神: 甲己在艮, 乙庚在乾, 丙辛在坤, 丁壬在离, 戊癸在巽.
constexpr const char* kJoy[10] = {"东北", "西北", "西南", "正南", "东南", "东北", "西北", "西南", "正南", "东南"};
// 福神: 甲己正北, 乙庚坤 (西南), 丙辛乾 (西北), 丁壬巽 (东南), 戊癸艮 (东北).
constexpr const char* kFortune[10] = {"正北", "西南", "西北", "东南", "东北",
                                      "正北", "西南", "西北", "东南", "东北"};
// 财神: 甲乙东北, 丙丁西南, 戊己正北, 庚辛正东, 壬癸正南.
constexpr const char* kWealth[10] = {"东北", "东北", "西南", "西南", "正北", "正北", "正东", "正东", "正南", "正南"};
// The branches of the noble ones (天乙贵人) by the day stem: 阳贵 甲未 乙申 丙酉 丁亥 戊丑 己子 庚丑
// 辛寅 壬卯 癸巳; 阴贵 甲丑 乙子 丙亥 丁酉 戊未 己申 庚未 辛午 壬巳 癸卯.
constexpr int kYangNoble[10] = {7, 8, 9, 11, 1, 0, 1, 2, 3, 5};
constexpr int kYinNoble[10] = {1, 0, 11, 9, 7, 8, 7, 6, 5, 3};

constexpr const char* kNineStars[10] = {"",     "一白水", "二黑土", "三碧木", "四绿木",
                                        "五黄土", "六白金", "七赤金", "八白土", "九紫火"};

// The 72 pentads from 立春, three to each term.
constexpr const char* kPentads[72] = {
    "东风解冻", "蛰虫始振", "鱼陟负冰", "獭祭鱼", "候雁北", "草木萌动",          // 立春 雨水
    "桃始华", "仓庚鸣", "鹰化为鸠", "玄鸟至", "雷乃发声", "始电",                // 惊蛰 春分
    "桐始华", "田鼠化为鴽", "虹始见", "萍始生", "鸣鸠拂其羽", "戴胜降于桑",      // 清明 谷雨
    "蝼蝈鸣", "蚯蚓出", "王瓜生", "苦菜秀", "靡草死", "麦秋至",                  // 立夏 小满
    "螳螂生", "鵙始鸣", "反舌无声", "鹿角解", "蜩始鸣", "半夏生",                // 芒种 夏至
    "温风至", "蟋蟀居壁", "鹰始挚", "腐草为萤", "土润溽暑", "大雨时行",          // 小暑 大暑
    "凉风至", "白露降", "寒蝉鸣", "鹰乃祭鸟", "天地始肃", "禾乃登",              // 立秋 处暑
    "鸿雁来", "玄鸟归", "群鸟养羞", "雷始收声", "蛰虫坯户", "水始涸",            // 白露 秋分
    "鸿雁来宾", "雀入大水为蛤", "菊有黄华", "豺乃祭兽", "草木黄落", "蛰虫咸俯",  // 寒露 霜降
    "水始冰", "地始冻", "雉入大水为蜃", "虹藏不见", "天气上升地气下降", "闭塞而成冬",  // 立冬 小雪
    "鹖鴠不鸣", "虎始交", "荔挺出", "蚯蚓结", "麋角解", "水泉动",                // 大雪 冬至
    "雁北乡", "鹊始巢", "雉始雊", "鸡始乳", "征鸟厉疾", "水泽腹坚",              // 小寒 大寒
};

// The 甲子 day nearest day d (the earlier one when two are equally near).
DayNumber NearestJiaZi(DayNumber d) {
    const int r = FloorMod(d - 11LL, 60);  // day number 11 was 甲子
    return r <= 30 ? d - r : d - r + 60;
}

}  // namespace

GanZhiIndex PillarOf(int stem, int branch) {
    if (stem < 0 || stem > 9 || branch < 0 || branch > 11 || (stem - branch) % 2 != 0) return 0;
    // The index i (0..59) with i mod 10 = stem and i mod 12 = branch.
    for (int i = branch; i < 60; i += 12)
        if (i % 10 == stem) return i + 1;
    return 0;
}

int OfficerOf(int month_branch, int day_branch) { return FloorMod(day_branch - month_branch, 12); }
const char* OfficerName(int officer) { return officer >= 0 && officer < 12 ? kOfficers[officer] : ""; }

int SpiritOf(int ruling_branch, int branch) {
    const int qinglong = FloorMod(2 * ruling_branch + 8, 12);  // 子午 → 申, 丑未 → 戌, 寅申 → 子 …
    return FloorMod(branch - qinglong, 12);
}
const char* SpiritName(int spirit) { return spirit >= 0 && spirit < 12 ? kSpirits[spirit] : ""; }
bool IsYellowPath(int spirit) { return spirit >= 0 && spirit < 12 && kYellow[spirit]; }

int MansionOf(DayNumber n) { return FloorMod(static_cast<long long>(n) - kJiaoDay, 28); }
const char* MansionName(int m) { return m >= 0 && m < 28 ? kMansions[m].name : ""; }
bool MansionIsLucky(int m) { return m >= 0 && m < 28 && kMansions[m].lucky; }

const char* NayinOf(GanZhiIndex g) { return g >= 1 && g <= 60 ? kNayin[(g - 1) / 2] : ""; }

GanZhiIndex ClashOf(GanZhiIndex g) {
    if (g < 1 || g > 60) return 0;
    return PillarOf((StemOf(g) + 4) % 10, (BranchOf(g) + 6) % 12);
}

const char* ShaDirection(int day_branch) {
    switch (FloorMod(day_branch, 12) % 4) {
        case 0: return "南";  // 申子辰
        case 1: return "东";  // 巳酉丑
        case 2: return "北";  // 寅午戌
        default: return "西"; // 亥卯未
    }
}

const char* PengzuOfStem(int stem) { return stem >= 0 && stem < 10 ? kPengzuStems[stem] : ""; }
const char* PengzuOfBranch(int branch) { return branch >= 0 && branch < 12 ? kPengzuBranches[branch] : ""; }
const char* FetusOf(GanZhiIndex g) { return g >= 1 && g <= 60 ? kFetus[g - 1] : ""; }

const char* JoyDirection(int stem) { return stem >= 0 && stem < 10 ? kJoy[stem] : ""; }
const char* FortuneDirection(int stem) { return stem >= 0 && stem < 10 ? kFortune[stem] : ""; }
const char* WealthDirection(int stem) { return stem >= 0 && stem < 10 ? kWealth[stem] : ""; }
const char* YangNobleDirection(int stem) { return stem >= 0 && stem < 10 ? kBranchDirection[kYangNoble[stem]] : ""; }
const char* YinNobleDirection(int stem) { return stem >= 0 && stem < 10 ? kBranchDirection[kYinNoble[stem]] : ""; }

int NineStarOf(DayNumber n) {
    // The turning days near the solstices of the year around n: the latest one on or before n
    // decides the direction of the count.
    DayNumber start = 0;
    bool rising = true;
    for (const int term : {24, 12}) {  // 冬至, 夏至
        DayNumber solstice = calendar::SolarTermDay(n - 400, term);
        for (int i = 0; i < 3; ++i) {
            const DayNumber turn = NearestJiaZi(solstice);
            if (turn <= n && turn > start) {
                start = turn;
                rising = term == 24;
            }
            solstice = calendar::SolarTermDay(solstice + 1, term);
        }
    }
    const int k = FloorMod(static_cast<long long>(n) - start, 9);
    return rising ? 1 + k : 9 - k;
}
const char* NineStarName(int star) { return star >= 1 && star <= 9 ? kNineStars[star] : ""; }

int PentadOf(DayNumber n) {
    // The Sun's longitude at the end of the local day: the pentad that has begun by then.
    const astro::JulianDay end_ut = n + 0.5 - astro::CalcTimeZone / 24.0;
    const double lambda = astro::SunApparentLongitude(astro::UniversalToDynamical(end_ut));
    const int fives = static_cast<int>(std::floor(lambda / 5.0));
    return FloorMod(fives - 63, 72);  // 立春 is at 315 degrees
}
const char* PentadName(int p) { return p >= 0 && p < 72 ? kPentads[p] : ""; }

GanZhiIndex HourGanZhi(GanZhiIndex day, int hour_branch) {
    if (day < 1 || day > 60 || hour_branch < 0 || hour_branch > 11) return 0;
    const int stem = (2 * StemOf(day) + hour_branch) % 10;  // 甲己 → 甲子, 乙庚 → 丙子 …
    return PillarOf(stem, hour_branch);
}

int HourBranchAt(int hour) { return FloorMod((hour + 1) / 2, 12); }

ClockPillars PillarsAt(int year, int month, int day, int hour, int minute) {
    ClockPillars p;
    if (!calendar::IsCalendarDate(year, month, day) || hour < 0 || hour > 23 || minute < 0 || minute > 59) return p;
    DayNumber n = astro::DateToDayNumber(year, month, day);
    if (hour == 23) ++n;  // 子初: the next day's pillar
    p.day = static_cast<GanZhiIndex>(FloorMod(n - 11LL, 60) + 1);
    p.hour_branch = HourBranchAt(hour);
    p.hour = HourGanZhi(p.day, p.hour_branch);
    return p;
}

DayAlmanac DayAlmanacOf(int year, int month, int day) {
    DayAlmanac a;
    if (!calendar::IsCalendarDate(year, month, day)) return a;
    a.n = astro::DateToDayNumber(year, month, day);
    a.year = calendar::YearGanZhi(year, month, day, calendar::kYearFromLichun);
    a.month = calendar::MonthGanZhi(year, month, day, calendar::kYearFromLichun);
    a.day = calendar::DayGanZhi(year, month, day);
    if (a.year == 0 || a.month == 0 || a.day == 0) return a;
    a.month_branch = BranchOf(a.month);
    const int day_branch = BranchOf(a.day);
    a.officer = OfficerOf(a.month_branch, day_branch);
    a.spirit = SpiritOf(a.month_branch, day_branch);
    a.mansion = MansionOf(a.n);
    a.clash = ClashOf(a.day);
    a.nine_star = NineStarOf(a.n);
    a.pentad = PentadOf(a.n);
    for (int h = 0; h < 12; ++h) {
        HourAlmanac& hour = a.hours[h];
        hour.branch = h;
        hour.ganzhi = HourGanZhi(a.day, h);
        hour.spirit = SpiritOf(day_branch, h);
        hour.yellow = IsYellowPath(hour.spirit);
    }
    a.ok = true;
    return a;
}

}  // namespace almanac
