// The user's memorial, reminder and countdown days: how a day finds them in the registry, and how
// the editor's list is stored without ever losing a day.
#include "personal/personal_days.h"

#include <gtest/gtest.h>

#include <map>
#include <set>
#include <string>
#include <vector>

#include "astro/day_numbers.h"
#include "settings/settings.h"

namespace {

using namespace personal;
using platform::MemoryRegistry;
using platform::RegistryRoot;
using Kind = PersonalDay::Kind;

constexpr RegistryRoot User = RegistryRoot::CurrentUser;

const std::set<std::string> kFiles = {"C:\\音乐\\生日歌.mp3", "D:\\a.Wav", "C:\\notes.txt"};

}  // namespace

namespace personal {
void PrintTo(const PersonalDay& day, std::ostream* os) { *os << RowText(day); }
}  // namespace personal

namespace {

PersonalStore StoreOf(const MemoryRegistry& registry) {
    return PersonalStore{&registry, [](const std::string& path) { return kFiles.count(path) > 0; }};
}

// A title as the pages show it: right-aligned in 20 bytes, a blank, the audio path.
std::string Shown(const std::string& title, const std::string& audio = "") {
    return std::string(20 - title.size(), ' ') + title + " " + audio;
}

// A month-day value name, "05-12".
std::string TwoDigitName(int month, int day) {
    const std::string m = std::to_string(month), d = std::to_string(day);
    return (m.size() < 2 ? "0" + m : m) + "-" + (d.size() < 2 ? "0" + d : d);
}

// A memorial value as the editor writes it.
std::string Memorial(const std::string& era_year, const std::string& title, const std::string& audio = "") {
    return era_year + Shown(title, audio);
}

TEST(Memorials, WhatALookupTakesAndWhatItSkips) {
    const struct {
        Calendar calendar;
        const char* name;   // the value's name in its calendar's subkey
        std::string value;  // as stored
        std::string found;  // what the lookup gives
    } cases[] = {
        {Calendar::kGregorian, "05-12", Memorial("AD1990", "生日"), Memorial("AD1990", "生日")},
        {Calendar::kGregorian, "05-13", Memorial("AD1990", "生日", "C:\\音乐\\生日歌.mp3"),
         Memorial("AD1990", "生日", "C:\\音乐\\生日歌.mp3")},
        {Calendar::kGregorian, "05-14", Memorial("AD1990", "生日", "D:\\a.Wav"), Memorial("AD1990", "生日", "D:\\a.Wav")},
        // an audio file that is gone, or that is no audio, is dropped; the day stays
        {Calendar::kGregorian, "05-15", Memorial("AD1990", "生日", "C:\\gone.mp3"), Memorial("AD1990", "生日")},
        {Calendar::kGregorian, "05-16", Memorial("AD1990", "生日", "C:\\notes.txt"), Memorial("AD1990", "生日")},
        // a title written without its padding, and one too long for its 20 bytes (cut whole)
        {Calendar::kGregorian, "05-17", "AD1990结婚", Memorial("AD1990", "结婚")},
        {Calendar::kGregorian, "05-18", "AD1990x一二三四五六七八九十", Memorial("AD1990", "x一二三四五六七八九")},
        // malformed: era, digits, year 0, no title, years outside 1800..2200
        {Calendar::kGregorian, "06-01", Memorial("CE1990", "生日"), ""},
        {Calendar::kGregorian, "06-02", Memorial("AD19x0", "生日"), ""},
        {Calendar::kGregorian, "06-03", Memorial("AD0000", "生日"), ""},
        {Calendar::kGregorian, "06-04", Memorial("AD1990", ""), ""},
        {Calendar::kGregorian, "06-05", Memorial("AD1799", "生日"), ""},
        {Calendar::kGregorian, "06-06", Memorial("AD2201", "生日"), ""},
        {Calendar::kGregorian, "06-07", Memorial("BC0100", "生日"), ""},
        {Calendar::kGregorian, "06-08", "AD19", ""},
        {Calendar::kGregorian, "06-09", "", ""},
        // the date must exist in the event's year: 2023-02-29 does not, 2000-02-29 does
        {Calendar::kGregorian, "02-29", Memorial("AD2000", "闰日"), Memorial("AD2000", "闰日")},
        {Calendar::kGregorian, "02-30", Memorial("AD2000", "生日"), ""},
        // lunar: 2023 has 闰二月 (month 14), 2024 has no leap month; 2024 正月 has 29 days
        {Calendar::kLunar, "14-05", Memorial("AD2023", "闰月生日"), Memorial("AD2023", "闰月生日")},
        {Calendar::kLunar, "13-05", Memorial("AD2023", "生日"), ""},
        {Calendar::kLunar, "01-30", Memorial("AD2024", "生日"), ""},
        {Calendar::kLunar, "02-30", Memorial("AD2024", "生日"), Memorial("AD2024", "生日")},
        // Hijri: 1445 is a leap year (12-30 exists), 1446 is not; years 1215..1627
        {Calendar::kHijri, "12-30", Memorial("AD1445", "纪念"), Memorial("AD1445", "纪念")},
        {Calendar::kHijri, "12-29", Memorial("AD1214", "纪念"), ""},
        {Calendar::kHijri, "11-30", Memorial("AD1446", "纪念"), Memorial("AD1446", "纪念")},
    };
    MemoryRegistry registry;
    const char* keys[] = {settings::SolarMemorialKey, settings::LunarMemorialKey, settings::MuharramMemorialKey};
    for (const auto& c : cases) registry.SetValue(User, keys[static_cast<int>(c.calendar)], c.name, c.value);
    for (const auto& c : cases) {
        const int month = std::stoi(std::string(c.name).substr(0, 2));
        const int day = std::stoi(std::string(c.name).substr(3, 2));
        EXPECT_EQ(MemorialLookup(StoreOf(registry), c.calendar, month, day), c.found) << c.name << " " << c.value;
    }
    EXPECT_EQ(MemorialLookup(PersonalStore{}, Calendar::kGregorian, 5, 12), "");  // no registry in use
}

TEST(Memorials, ADayShowsThoseBegunByItsYearAndCatchesTheDaysItsYearLacks) {
    MemoryRegistry r;
    r.SetValue(User, settings::SolarMemorialKey, "02-29", Memorial("AD2000", "闰日生日"));
    r.SetValue(User, settings::SolarMemorialKey, "02-28", Memorial("AD2010", "开业"));
    r.SetValue(User, settings::SolarMemorialKey, "10-01", Memorial("AD2030", "未来"));
    r.SetValue(User, settings::LunarMemorialKey, "14-05", Memorial("AD2023", "闰月生日"));     // 闰二月初五
    r.SetValue(User, settings::LunarMemorialKey, "12-30", Memorial("AD2023", "除夕生日"));     // 2023 腊月 has 30 days
    r.SetValue(User, settings::MuharramMemorialKey, "12-30", Memorial("AD1445", "纪念日"));
    // From the official month starts (data/official_month_starts_1901_2100.tsv): 2017 has a 闰六月
    // of 30 days (2017-07-23..08-21); 2018 has no leap month and a 六月 of 29 days (07-13..08-10);
    // 2033 has a 闰冬月 (2033-12-22..2034-01-19); 2034 has none.
    r.SetValue(User, settings::LunarMemorialKey, "18-30", Memorial("AD2017", "闰六月三十"));
    r.SetValue(User, settings::LunarMemorialKey, "23-05", Memorial("AD2033", "闰冬月初五"));
    const PersonalStore s = StoreOf(r);
    const std::string both = Shown("开业") + "   " + Shown("闰日生日");
    const struct {
        const char* what;
        std::string text;
        std::string expected;
    } cases[] = {
        // 2023 has no 29 February: with 近似定位纪念日 its memorials show on the 28th
        {"2023-02-28", SolarMemorialText(s, 2023, 2, 28, false), Shown("开业")},
        {"2023-02-28 near", SolarMemorialText(s, 2023, 2, 28, true), both},
        {"2024-02-28 near", SolarMemorialText(s, 2024, 2, 28, true), Shown("开业")},
        {"2024-02-29", SolarMemorialText(s, 2024, 2, 29, false), Shown("闰日生日")},
        // a memorial shows from its own year on
        {"2029-10-01", SolarMemorialText(s, 2029, 10, 1, false), ""},
        {"2030-10-01", SolarMemorialText(s, 2030, 10, 1, false), Shown("未来")},
        // 2024 has no 闰二月: its memorials show in 二月 only with the flag
        {"lunar 2024 二月初五", LunarMemorialText(s, 2024, 2, 5, false), ""},
        {"lunar 2024 二月初五 near", LunarMemorialText(s, 2024, 2, 5, true), Shown("闰月生日")},
        {"lunar 2023 闰二月初五", LunarMemorialText(s, 2023, 14, 5, false), Shown("闰月生日")},
        {"lunar 2023 二月初五 near", LunarMemorialText(s, 2023, 2, 5, true), ""},  // 2023 has its 闰二月
        {"lunar 2022 闰二月初五", LunarMemorialText(s, 2022, 14, 5, true), ""},     // before the event
        // 2024 腊月 has 29 days: its 29th (2025-01-28) catches the 30th with the flag
        {"lunar 2024 腊月廿九", LunarMemorialText(s, 2024, 12, 29, false), ""},
        {"lunar 2024 腊月廿九 near", LunarMemorialText(s, 2024, 12, 29, true), Shown("除夕生日")},
        {"lunar 2024 腊月廿八 near", LunarMemorialText(s, 2024, 12, 28, true), ""},
        // Hijri 1446 is a common year: 12-29 catches 12-30 with the flag
        {"hijri 1446-12-29", HijriMemorialText(s, 1446, 12, 29, false), ""},
        {"hijri 1446-12-29 near", HijriMemorialText(s, 1446, 12, 29, true), Shown("纪念日")},
        {"hijri 1448-12-30", HijriMemorialText(s, 1448, 12, 30, false), Shown("纪念日")},  // 1448 is a leap year
        // two moves: out of the leap month the year lacks, and from the 30th its month lacks
        {"lunar 2017 闰六月三十", LunarMemorialText(s, 2017, 18, 30, false), Shown("闰六月三十")},
        {"lunar 2018 六月廿九", LunarMemorialText(s, 2018, 6, 29, false), ""},
        {"lunar 2018 六月廿九 near", LunarMemorialText(s, 2018, 6, 29, true), Shown("闰六月三十")},
        {"lunar 2018 六月三十 near", LunarMemorialText(s, 2018, 6, 30, true), ""},
        {"lunar 2018 六月廿八 near", LunarMemorialText(s, 2018, 6, 28, true), ""},
        {"lunar 2034 冬月初五 near", LunarMemorialText(s, 2034, 11, 5, true), Shown("闰冬月初五")},
        {"lunar 2034 冬月初五", LunarMemorialText(s, 2034, 11, 5, false), ""},
        {"lunar 2034 腊月初五 near", LunarMemorialText(s, 2034, 12, 5, true), ""},
    };
    for (const auto& c : cases) EXPECT_EQ(c.text, c.expected) << c.what;
}

TEST(Memorials, AYearlyDayIsPlacedOnTheDayItsYearHasOrTheNearestBefore) {
    // Month lengths and leap months from the published lunar tables: 2021 八月 has 29 days, 2023 has
    // a 闰二月 of 29 days (2023-03-22..04-19) after a 二月 of 30, 2024 has no leap month and a
    // 腊月 of 29 days, 2025 a 二月 of 29 days.
    const struct {
        Calendar calendar;
        int year, month, day;
        PlacedDay expected;
    } cases[] = {
        {Calendar::kLunar, 2021, 8, 30, {8, 29, false, true, false}},
        {Calendar::kLunar, 2024, 8, 30, {8, 30, false, false, false}},
        {Calendar::kLunar, 2023, 14, 10, {14, 10, false, false, false}},
        {Calendar::kLunar, 2024, 14, 10, {2, 10, true, false, false}},
        {Calendar::kLunar, 2023, 14, 30, {14, 29, false, true, false}},
        {Calendar::kLunar, 2023, 2, 30, {2, 30, false, false, false}},
        {Calendar::kLunar, 2025, 14, 30, {2, 29, true, true, false}},
        {Calendar::kLunar, 2024, 12, 30, {12, 29, false, true, false}},
        {Calendar::kLunar, 2024, 25, 1, {}},
        {Calendar::kLunar, 2024, 8, 31, {}},
        {Calendar::kGregorian, 2023, 2, 29, {2, 28, false, false, true}},
        {Calendar::kGregorian, 2024, 2, 29, {2, 29, false, false, false}},
        {Calendar::kGregorian, 1900, 2, 29, {2, 28, false, false, true}},
        {Calendar::kGregorian, 2023, 4, 31, {}},
        {Calendar::kGregorian, 1582, 10, 10, {}},  // skipped by the reform
        {Calendar::kHijri, 1446, 12, 30, {12, 29, false, false, true}},
        {Calendar::kHijri, 1447, 12, 30, {12, 30, false, false, false}},  // 1447 is a leap year
    };
    for (const auto& c : cases) {
        const PlacedDay p = PlaceYearlyDay(c.calendar, c.year, c.month, c.day);
        EXPECT_TRUE(p.month == c.expected.month && p.day == c.expected.day &&
                    p.no_leap_month == c.expected.no_leap_month && p.short_month == c.expected.short_month &&
                    p.common_year == c.expected.common_year)
            << c.year << "-" << c.month << "-" << c.day << " placed on " << p.month << "-" << p.day;
    }
}

TEST(Reminders, EverySlotOfTheDateInOrder) {
    MemoryRegistry r;
    const auto reminder = [](const std::string& date, const std::string& title, const std::string& audio = "") {
        return date + title + std::string(20 - title.size(), ' ') + " " + audio;
    };
    r.SetValue(User, settings::SolarRemindedKey, "A", reminder("AD03-15-2025", "交房租"));
    r.SetValue(User, settings::SolarRemindedKey, "C", reminder("AD03-15-2025", "体检", "D:\\a.Wav"));
    r.SetValue(User, settings::SolarRemindedKey, "D", reminder("AD03-16-2025", "别的日子"));
    r.SetValue(User, settings::SolarRemindedKey, "T", reminder("AD03-15-2025", "最后一格"));
    r.SetValue(User, settings::SolarRemindedKey, "U", reminder("AD03-15-2025", "第21格不算"));
    r.SetValue(User, settings::SolarRemindedKey, "E", reminder("AD03-15-2025", ""));
    r.SetValue(User, settings::SolarRemindedKey, "F", reminder("AD03-15-2301", "太远"));
    const PersonalStore s = StoreOf(r);
    EXPECT_EQ(ReminderText(s, 2025, 3, 15), Shown("交房租") + "   " + Shown("体检", "D:\\a.Wav") + "   " + Shown("最后一格"));
    EXPECT_EQ(ReminderText(s, 2025, 3, 16), Shown("别的日子"));
    EXPECT_EQ(ReminderText(s, 2025, 3, 17), "");
    EXPECT_EQ(ReminderText(s, 2301, 3, 15), "");
}

TEST(Countdown, FromAThousandDaysBeforeToTheDayItself) {
    MemoryRegistry r;
    r.SetValue(User, settings::SettingsKey, "MyCountdownDay", "AD01-29-2025春节");  // 2025-01-29 is day 2460705
    const PersonalStore s = StoreOf(r);
    const struct {
        int year, month, day;
        const char* expected;
    } cases[] = {
        {2025, 1, 29, "距春节还有0天"},    {2025, 1, 30, ""},
        {2025, 1, 28, "距春节还有1天"},    {2022, 5, 5, "距春节还有1000天"},  // day 2459705
        {2022, 5, 4, ""},                  {2024, 12, 31, "距春节还有29天"},
    };
    for (const auto& c : cases) EXPECT_EQ(CountdownText(s, c.year, c.month, c.day), c.expected) << c.month << "-" << c.day;
    for (const char* bad : {"XX01-29-2025春节", "AD02-30-2025春节", "AD01-29-2025", "AD01-29-2025   ", "AD1-29-2025春节",
                            "AD01-29-2201春节"}) {
        r.SetValue(User, settings::SettingsKey, "MyCountdownDay", bad);
        EXPECT_EQ(CountdownText(s, 2025, 1, 29), "") << bad;
    }
    // Only the first 20 bytes of the title count.
    r.SetValue(User, settings::SettingsKey, "MyCountdownDay", "AD01-29-2025一二三四五六七八九十十一");
    EXPECT_EQ(CountdownText(s, 2025, 1, 29), "距一二三四五六七八九十还有0天");
}

TEST(PersonalDays, ADayCollectsAllKindsInOrderAndPlaysTheFirstSound) {
    // 2024-02-10: 正月初一 of 2024, Hijri 1445-07-30.
    MemoryRegistry r;
    r.SetValue(User, settings::SettingsKey, "MyCountdownDay", "AD02-10-2024春节");
    r.SetValue(User, settings::SolarRemindedKey, "A", "AD02-10-2024拜年" + std::string(16, ' ') + " C:\\gone.mp3");
    r.SetValue(User, settings::SolarMemorialKey, "02-10", Memorial("AD2000", "公历纪念"));
    r.SetValue(User, settings::LunarMemorialKey, "01-01", Memorial("AD1990", "农历纪念", "C:\\音乐\\生日歌.mp3"));
    r.SetValue(User, settings::MuharramMemorialKey, "07-30", Memorial("AD1440", "回历纪念", "D:\\a.Wav"));
    const DayTexts t = PersonalDaysOf(StoreOf(r), astro::DateToDayNumber(2024, 2, 10), false);
    const std::vector<std::string> expected = {"距春节还有0天", Shown("拜年"), Shown("公历纪念"),
                                               Shown("农历纪念", "C:\\音乐\\生日歌.mp3"), Shown("回历纪念", "D:\\a.Wav")};
    EXPECT_EQ(t.texts, expected);
    EXPECT_EQ(t.audio, "C:\\音乐\\生日歌.mp3");
    EXPECT_EQ(t.Joined(), expected[0] + "   " + expected[1] + "   " + expected[2] + "   " + expected[3] + "   " + expected[4]);
    // Without the registry in use there is nothing.
    EXPECT_TRUE(PersonalDaysOf(PersonalStore{}, astro::DateToDayNumber(2024, 2, 10), false).texts.empty());
    EXPECT_TRUE(PersonalDaysOf(StoreOf(r), astro::DateToDayNumber(2024, 2, 11), false).texts.empty());
}

// --- the editor ------------------------------------------------------------------------------------

bool Contains(const std::vector<PersonalDay>& list, const PersonalDay& day) {
    for (const PersonalDay& d : list)
        if (d == day) return true;
    return false;
}

// The same days, in any order (the editor lists memorials by calendar and date).
bool SameDays(const std::vector<PersonalDay>& a, const std::vector<PersonalDay>& b) {
    if (a.size() != b.size()) return false;
    for (const PersonalDay& d : a)
        if (!Contains(b, d)) return false;
    return true;
}

// A list as the editor holds it once the user added these days.
DayList NewList(EditorMode mode, const std::vector<PersonalDay>& days) {
    DayList list;
    list.mode = mode;
    for (const PersonalDay& d : days) list.days.push_back({d, {}, {}});
    return list;
}

// The user's edit of a list to the days `after`: rows not among them deleted, the others added.
void EditTo(DayList& list, const std::vector<PersonalDay>& after) {
    for (size_t i = list.days.size(); i-- > 0;)
        if (!Contains(after, list.days[i].day)) DeleteDay(list, i);
    for (const PersonalDay& d : after)
        if (!Contains(DaysOf(list), d)) list.days.push_back({d, {}, {}});
}

TEST(Editor, RowsChecksAndMessages) {
    const PersonalDay birthday{Kind::kSolarMemorial, 1990, 5, 12, "生日", ""};
    EXPECT_EQ(RowText(birthday), "公历05月12日（AD1990年）：" + Shown("生日"));
    EXPECT_EQ(RowText({Kind::kLunarMemorial, 2023, 14, 5, "闰月生日", "D:\\a.Wav"}),
              "农历14月05日（AD2023年）：" + Shown("闰月生日", "D:\\a.Wav"));
    EXPECT_EQ(RowText({Kind::kReminder, 2025, 3, 15, "交房租", ""}), "提醒03月15日（AD2025年）：" + Shown("交房租"));
    EXPECT_EQ(RowText({Kind::kCountdown, 2025, 1, 29, "春节", ""}), "倒计01月29日（AD2025年）：" + Shown("春节"));
    const struct {
        PersonalDay day;
        const char* message;
    } checks[] = {
        {birthday, ""},
        {{Kind::kSolarMemorial, 1990, 5, 12, "", ""}, "请输入纪念事项"},
        {{Kind::kReminder, 2025, 5, 12, "", ""}, "请输入提醒事项"},
        {{Kind::kCountdown, 2025, 5, 12, "", ""}, "请输入倒计事项"},
        {{Kind::kSolarMemorial, 1990, 5, 12, "一二三四五六七八九十x", ""}, "纪念事项最多20个字节（10个汉字）"},
        {{Kind::kSolarMemorial, 1799, 5, 12, "生日", ""}, "公历年份须在1800～2200之间"},
        {{Kind::kLunarMemorial, 2201, 5, 12, "生日", ""}, "农历年份须在1800～2200之间"},
        {{Kind::kHijriMemorial, 1214, 5, 12, "生日", ""}, "回历年份须在1215～1627之间"},
        {{Kind::kSolarMemorial, 2023, 2, 29, "生日", ""}, "公历2023年没有2月29日"},
        {{Kind::kLunarMemorial, 2024, 14, 1, "生日", ""}, "农历2024年没有闰2月1日"},
        {{Kind::kLunarMemorial, 2024, 1, 30, "生日", ""}, "农历2024年没有1月30日"},
        {{Kind::kHijriMemorial, 1446, 12, 30, "生日", ""}, "回历1446年没有12月30日"},
        {{Kind::kReminder, 2025, 4, 31, "交房租", ""}, "公历2025年没有4月31日"},
    };
    for (const auto& c : checks) EXPECT_EQ(CheckPersonalDay(c.day), c.message) << RowText(c.day);

    const DayList list = NewList(EditorMode::kMemorials, {birthday, {Kind::kLunarMemorial, 1990, 5, 12, "农历生日", ""}});
    EXPECT_EQ(CheckAgainstList(list, {Kind::kSolarMemorial, 2000, 5, 12, "另一个", ""}, -1),
              "公历05月12日已有纪念日，同一天只能有一个");
    EXPECT_EQ(CheckAgainstList(list, {Kind::kSolarMemorial, 2000, 5, 12, "改了", ""}, 0), "");  // replacing itself
    EXPECT_EQ(CheckAgainstList(list, {Kind::kHijriMemorial, 1440, 5, 12, "回历", ""}, -1), "");
    const DayList reminders = NewList(EditorMode::kReminders, std::vector<PersonalDay>(20, {Kind::kReminder, 2025, 3, 15, "x", ""}));
    EXPECT_EQ(CheckAgainstList(reminders, reminders.days[0].day, -1), "提醒日最多20个");
    EXPECT_EQ(CheckAgainstList(reminders, reminders.days[0].day, 3), "");
    const DayList countdown = NewList(EditorMode::kCountdown, {{Kind::kCountdown, 2025, 1, 29, "春节", ""}});
    EXPECT_EQ(CheckAgainstList(countdown, countdown.days[0].day, -1), "只能有一个倒计日，请修改或删除原有的一个");
}

TEST(Editor, ACountdownTheCalendarWillNotShowTodayIsSaidSo) {
    // Today 2026-05-01; 1000 days later is 2029-01-25 (counted by hand: 244 days to 2026-12-31,
    // 365 in 2027, 366 in 2028, 25 into 2029); 1000 days before 2200-12-31 is 2198-04-05.
    const struct {
        PersonalDay day;
        const char* note;
    } cases[] = {
        {{Kind::kCountdown, 2026, 4, 30, "昨天", ""}, "这个倒计日已经过去，今后的日历上不会显示它（已留在列表中）"},
        {{Kind::kCountdown, 1800, 1, 1, "很久以前", ""}, "这个倒计日已经过去，今后的日历上不会显示它（已留在列表中）"},
        {{Kind::kCountdown, 2026, 5, 1, "今天", ""}, ""},
        {{Kind::kCountdown, 2029, 1, 25, "第1000天", ""}, ""},
        {{Kind::kCountdown, 2029, 1, 26, "第1001天", ""}, "这个倒计日距今天超过1000天，日历要到2026年5月2日才开始显示它（已留在列表中）"},
        {{Kind::kCountdown, 2200, 12, 31, "最远", ""}, "这个倒计日距今天超过1000天，日历要到2198年4月5日才开始显示它（已留在列表中）"},
        {{Kind::kReminder, 2026, 4, 30, "提醒日不算", ""}, ""},
    };
    for (const auto& c : cases) EXPECT_EQ(CountdownNote(c.day, 2026, 5, 1), c.note) << RowText(c.day);
    // And the page agrees: the 1000th day shows from today, the 1001st not yet, yesterday's not.
    MemoryRegistry r;
    const PersonalStore s = StoreOf(r);
    for (const auto& c : cases) {
        if (c.day.kind != Kind::kCountdown) continue;
        DayList list = NewList(EditorMode::kCountdown, {c.day});
        ASSERT_TRUE(SavePersonalDays(r, list).Complete());
        EXPECT_EQ(CountdownText(s, 2026, 5, 1).empty(), std::string(c.note) != "") << RowText(c.day);
        DeleteDay(list, 0);
        ASSERT_TRUE(SavePersonalDays(r, list).Complete());
    }
}

TEST(Editor, ATitleLongerThanItsFieldIsCutWholeAndItsPathFoundWhereItBegins) {
    std::string long_title;  // 1000 bytes
    for (int i = 0; i < 500; ++i) long_title += "长";
    const std::string ten = long_title.substr(0, 20);
    const struct {
        std::string value;
        size_t start;
        std::string title;
        std::string audio;
    } cases[] = {
        {Memorial("AD1990", "生日", "C:\\音乐\\生日歌.mp3"), 6, "生日", "C:\\音乐\\生日歌.mp3"},
        {Memorial("AD1990", "生日"), 6, "生日", ""},
        {"AD1990生日", 6, "生日", ""},
        {"AD2000" + long_title, 6, ten, ""},
        {"AD2000" + long_title.substr(0, 800) + " C:\\音乐\\生日歌.mp3", 6, ten, "C:\\音乐\\生日歌.mp3"},
        {"AD2000" + long_title.substr(0, 40) + " \\\\server\\share\\a.wav", 6, ten, "\\\\server\\share\\a.wav"},
        // a field that ends inside a character: the title stops before it, the rest is no path
        {"AD2000x" + long_title.substr(0, 40), 6, "x" + long_title.substr(0, 18), ""},
        {"AD2000x" + long_title.substr(0, 40) + " D:\\a.Wav", 6, "x" + long_title.substr(0, 18), "D:\\a.Wav"},
        {"AD03-15-2025" + long_title, 12, ten, ""},
        {"AD03-15-2025交房租" + std::string(14, ' ') + " D:\\a.Wav", 12, "交房租", "D:\\a.Wav"},
    };
    for (const auto& c : cases) {
        const TitleAndAudio split = SplitTitleAndAudio(c.value, c.start);
        EXPECT_EQ(split.title, c.title) << c.value.substr(0, 40);
        EXPECT_EQ(split.audio, c.audio) << c.value.substr(0, 40);
    }
    // The value on the page and in the editor, whose save then succeeds.
    MemoryRegistry r;
    r.SetValue(User, settings::SolarMemorialKey, "10-01", "AD2000" + long_title);
    r.SetValue(User, settings::SolarMemorialKey, "10-02", "AD2000" + long_title.substr(0, 800) + " C:\\音乐\\生日歌.mp3");
    EXPECT_EQ(MemorialLookup(StoreOf(r), Calendar::kGregorian, 10, 1), "AD2000" + Shown(ten));
    EXPECT_EQ(MemorialLookup(StoreOf(r), Calendar::kGregorian, 10, 2), "AD2000" + Shown(ten, "C:\\音乐\\生日歌.mp3"));
    DayList list = ReadDayList(r, EditorMode::kMemorials);
    EXPECT_EQ(DaysOf(list), (std::vector<PersonalDay>{{Kind::kSolarMemorial, 2000, 10, 1, ten, ""},
                                                      {Kind::kSolarMemorial, 2000, 10, 2, ten, "C:\\音乐\\生日歌.mp3"}}));
    list.days.push_back({{Kind::kSolarMemorial, 1990, 5, 12, "生日", ""}, {}, {}});
    EXPECT_TRUE(SavePersonalDays(r, list).Complete());
    EXPECT_EQ(r.StoredValue(User, settings::SolarMemorialKey, "10-01"), "AD2000" + long_title);
}

// A registry that refuses changes of some values, or every change after a number of them, and
// passes everything else on.
class FaultyRegistry final : public platform::Registry {
public:
    explicit FaultyRegistry(MemoryRegistry& inner, int changes_allowed = 1 << 30) : inner_(inner), left_(changes_allowed) {}
    void Refuse(const std::string& key, const std::string& name) { refused_.insert(key + "\\" + name); }
    std::string ReadValue(RegistryRoot root, const std::string& key, const std::string& name) const override {
        return inner_.ReadValue(root, key, name);
    }
    platform::RegistryValueText ReadValueText(RegistryRoot root, const std::string& key,
                                              const std::string& name) const override {
        return inner_.ReadValueText(root, key, name);
    }
    bool SetValue(RegistryRoot root, const std::string& key, const std::string& name, const std::string& value) override {
        return Allowed(key, name) && inner_.SetValue(root, key, name, value);
    }
    bool DeleteValue(RegistryRoot root, const std::string& key, const std::string& name) override {
        return Allowed(key, name) && inner_.DeleteValue(root, key, name);
    }
    bool DeleteKey(RegistryRoot root, const std::string& key) override { return Allowed(key, "") && inner_.DeleteKey(root, key); }

private:
    bool Allowed(const std::string& key, const std::string& name) { return left_-- > 0 && !refused_.count(key + "\\" + name); }
    MemoryRegistry& inner_;
    int left_;
    std::set<std::string> refused_;
};

TEST(Editor, SavingNeverLosesAKeptDayWhereverWritingStops) {
    const PersonalDay a{Kind::kSolarMemorial, 1990, 5, 12, "生日", "C:\\音乐\\生日歌.mp3"};
    const PersonalDay b{Kind::kLunarMemorial, 2023, 14, 5, "闰月生日", ""};
    const PersonalDay c{Kind::kHijriMemorial, 1445, 12, 30, "纪念日", ""};
    const PersonalDay d{Kind::kSolarMemorial, 2000, 2, 29, "闰日", ""};
    const PersonalDay r1{Kind::kReminder, 2025, 3, 15, "交房租", ""};
    const PersonalDay r2{Kind::kReminder, 2025, 4, 1, "体检", "D:\\a.Wav"};
    const PersonalDay r3{Kind::kReminder, 2025, 5, 1, "出游", ""};
    const PersonalDay r4{Kind::kReminder, 2025, 6, 1, "开会", ""};
    const PersonalDay k1{Kind::kCountdown, 2025, 1, 29, "春节", ""};
    const PersonalDay k2{Kind::kCountdown, 2026, 2, 17, "马年春节", ""};
    const PersonalDay a_moved{Kind::kSolarMemorial, 1990, 5, 13, "生日", ""};  // the row edited to another day
    const struct {
        EditorMode mode;
        std::vector<PersonalDay> before, after;
    } edits[] = {
        {EditorMode::kMemorials, {a, b, c}, {a_moved, b, c, d}},
        {EditorMode::kMemorials, {a, b, c, d}, {b}},
        {EditorMode::kReminders, {r1, r2, r3}, {r2, r3, r4}},  // the first deleted, one added
        {EditorMode::kReminders, {r1, r2, r3, r4}, {r1, r4}},
        {EditorMode::kCountdown, {k1}, {k2}},
        {EditorMode::kCountdown, {k1}, {}},
    };
    for (const auto& e : edits) {
        for (int allowed = 0;; ++allowed) {
            MemoryRegistry registry;
            DayList first = NewList(e.mode, e.before);
            ASSERT_TRUE(SavePersonalDays(registry, first).Complete());
            DayList list = ReadDayList(registry, e.mode);
            ASSERT_TRUE(SameDays(DaysOf(list), e.before));
            EditTo(list, e.after);
            FaultyRegistry failing(registry, allowed);
            const SaveResult saved = SavePersonalDays(failing, list);
            const std::vector<PersonalDay> stored = DaysOf(ReadDayList(registry, e.mode));
            // Every day kept by the edit is there, whatever happened; an unchanged day of the
            // list before is either kept or was deleted on purpose.
            for (const PersonalDay& day : e.after) {
                if (!Contains(e.before, day)) continue;
                EXPECT_TRUE(Contains(stored, day)) << RowText(day) << " after " << allowed << " changes";
            }
            if (saved.Complete()) {
                EXPECT_TRUE(SameDays(stored, e.after)) << allowed;
                break;
            }
            // A second save where the first stopped completes the edit.
            const SaveResult retried = SavePersonalDays(registry, list);
            EXPECT_TRUE(retried.Complete()) << allowed;
            EXPECT_TRUE(SameDays(DaysOf(ReadDayList(registry, e.mode)), e.after)) << allowed;
            ASSERT_LT(allowed, 2000);
        }
    }
}

// Everything stored under the program's key, type, bytes and GBK-exactness, by "key\name".
std::map<std::string, MemoryRegistry::Stored> Everything(const MemoryRegistry& r) {
    std::map<std::string, MemoryRegistry::Stored> all;
    for (const char* key : {settings::SettingsKey, settings::SolarMemorialKey, settings::LunarMemorialKey,
                            settings::MuharramMemorialKey, settings::SolarRemindedKey})
        for (const MemoryRegistry::Stored& v : r.Values(User, key)) all[std::string(key) + "\\" + v.name] = v;
    return all;
}

// What another program, another version or a hand with regedit may leave in the days' keys.
void StoreHostileValues(MemoryRegistry& r, const std::string& long_title) {
    using platform::RegistryBinary;
    const std::string with_nul = Memorial("AD1990", "生日") + std::string("\0junk", 5);
    r.SetValue(User, settings::SettingsKey, "Version", "4.2");
    r.SetStoredValue(User, settings::SettingsKey, "OtherProgram", RegistryBinary, std::string("\0\1\2", 3));
    r.SetValue(User, settings::SolarMemorialKey, "05-12", Memorial("AD1990", "生日"));   // changed by the user
    r.SetValue(User, settings::SolarMemorialKey, "06-06", Memorial("AD1995", "毕业"));   // deleted
    r.SetValue(User, settings::SolarMemorialKey, "07-07", Memorial("AD2001", "搬家"));   // moved to 07-08
    r.SetValue(User, settings::SolarMemorialKey, "10-01", "AD2000" + long_title);         // shown cut, left alone
    r.SetStoredValue(User, settings::SolarMemorialKey, "11-11", platform::RegistryExpandString,
                     Memorial("AD2000", "旅行", "%USERPROFILE%\\a.wav"));             // shown, left alone
    r.SetStoredValue(User, settings::SolarMemorialKey, "03-03", platform::RegistryNumber, std::string("\x2A\0\0\0", 4));
    r.SetStoredValue(User, settings::SolarMemorialKey, "04-04", platform::RegistryString, with_nul);
    r.SetStoredValue(User, settings::SolarMemorialKey, "08-08", platform::RegistryString, Memorial("AD2000", "表情????"), false);
    r.SetStoredValue(User, settings::SolarMemorialKey, "09-09", platform::RegistryString, Memorial("AD2000", "a?b"), false);
    r.SetValue(User, settings::SolarMemorialKey, "12-25", "AD2000" + std::string(100000, 'x'));
    r.SetValue(User, settings::SolarMemorialKey, "02-30", Memorial("AD2000", "生日"));
    r.SetValue(User, settings::SolarMemorialKey, "01-31", "\xFF\x80\x81");
    r.SetValue(User, settings::LunarMemorialKey, "14-05", Memorial("AD2023", "闰月生日"));
    // 10,000 junk values of every type and any bytes, 180 of them under memorial names.
    unsigned seed = 12345;
    const auto next = [&seed] { return seed = seed * 1103515245u + 12345u, (seed >> 16) & 0x7FFF; };
    for (int i = 0; i < 10000; ++i) {
        std::string junk(next() % 64, '\0');
        for (char& c : junk) c = static_cast<char>(next());
        const bool memorial_name = i < 180;
        const std::string name = memorial_name ? TwoDigitName(i / 30 + 1, i % 30 + 1) : "junk" + std::to_string(i);
        r.SetStoredValue(User, memorial_name ? settings::MuharramMemorialKey : settings::SolarMemorialKey, name,
                         next() % 8, junk, next() % 2 == 0);
    }
    r.SetValue(User, settings::SolarRemindedKey, "A", "AD03-15-2025" + long_title);        // shown cut, left alone
    r.SetStoredValue(User, settings::SolarRemindedKey, "B", platform::RegistryMultiString, std::string("a\0b\0\0", 5));
    r.SetValue(User, settings::SolarRemindedKey, "C", "AD04-01-2025" + Shown("体检"));    // deleted
    r.SetStoredValue(User, settings::SolarRemindedKey, "D", platform::RegistryString, "AD05-01-2025" + Shown("?"), false);
}

TEST(Editor, ASaveWritesOnlyWhatTheUserChangedAndLeavesEveryOtherValueAsItWas) {
    std::string long_title;
    for (int i = 0; i < 500; ++i) long_title += "长";
    const PersonalDay added{Kind::kHijriMemorial, 1445, 9, 1, "回历纪念", ""};
    const std::set<std::string> touched = {"05-12", "06-06", "07-07", "07-08", "09-01", "14-05"};
    // The user's edit: a title changed, a sound chosen, a day deleted, a day moved, a day added.
    const auto edit = [&](DayList& list) {
        for (ListedDay& d : list.days) {
            if (d.day.month == 5 && d.day.day == 12) d.day.title = "妈妈生日";
            if (d.day.month == 14 && d.day.day == 5) d.day.audio = "D:\\a.Wav";
            if (d.day.month == 7 && d.day.day == 7) d.day.day = 8;
        }
        for (size_t i = 0; i < list.days.size(); ++i)
            if (list.days[i].day.month == 6 && list.days[i].day.day == 6) DeleteDay(list, i);
        ASSERT_EQ(CheckAgainstList(list, added, -1), "");
        list.days.push_back({added, {}, {}});
    };
    const auto untouched = [&](std::map<std::string, MemoryRegistry::Stored> all) {
        std::erase_if(all, [&](const auto& v) { return touched.count(v.first.substr(v.first.rfind('\\') + 1)) > 0; });
        return all;
    };
    const std::string solar = std::string(settings::SolarMemorialKey) + "\\";
    const struct {
        const char* refused;  // a value whose change the registry refuses, while all others succeed
        SaveResult result;
        const char* report;
    } cases[] = {
        {"", {4, 0, 2, 0, 0}, ""},
        {"07-08", {3, 1, 0, 0, 2}, "保存未完成：1个日子没能写入注册表，那里仍是原样；3个已写入；要删除的2个还没有删除"},
        {"06-06", {4, 0, 1, 1, 0}, "保存未完成：要删除的1个日子没能从注册表删除，还在那里；其余的改动都已保存"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.refused);
        MemoryRegistry r;
        StoreHostileValues(r, long_title);
        const auto before = Everything(r);
        DayList list = ReadDayList(r, EditorMode::kMemorials);
        EXPECT_EQ(list.kept.size(), 7u + 180u);
        EXPECT_EQ(KeptNote(list), "有187个值无法在这里显示，已原样保留，不会改动：公历01-31、公历02-30等");
        EXPECT_TRUE(Contains(DaysOf(list), {Kind::kSolarMemorial, 2000, 10, 1, long_title.substr(0, 20), ""}));
        EXPECT_TRUE(Contains(DaysOf(list), {Kind::kSolarMemorial, 2000, 11, 11, "旅行", "%USERPROFILE%\\a.wav"}));
        edit(list);
        FaultyRegistry faulty(r);
        faulty.Refuse(settings::SolarMemorialKey, c.refused);
        const SaveResult result = SavePersonalDays(faulty, list);
        EXPECT_EQ(std::vector<int>({result.written, result.write_failures, result.deleted, result.delete_failures,
                                    result.deletes_held}),
                  std::vector<int>({c.result.written, c.result.write_failures, c.result.deleted,
                                    c.result.delete_failures, c.result.deletes_held}));
        EXPECT_EQ(SaveReport(result), c.report);
        // Untouched values: byte for byte, type for type.
        EXPECT_TRUE(untouched(Everything(r)) == untouched(before));
        // The refused value is as it was; the user's other changes are stored.
        const auto after = Everything(r);
        const auto same = [&](const std::string& name) {
            return after.count(solar + name) == before.count(solar + name) &&
                   (!after.count(solar + name) || after.at(solar + name) == before.at(solar + name));
        };
        if (*c.refused) {
            EXPECT_TRUE(same(c.refused));
        }
        EXPECT_EQ(r.StoredValue(User, settings::SolarMemorialKey, "05-12"), Memorial("AD1990", "妈妈生日"));
        EXPECT_EQ(r.StoredValue(User, settings::MuharramMemorialKey, "09-01"), Memorial("AD1445", "回历纪念"));
        EXPECT_EQ(r.StoredValue(User, settings::LunarMemorialKey, "14-05"), Memorial("AD2023", "闰月生日", "D:\\a.Wav"));
        // A second save, the registry willing, finishes the edit and touches nothing else.
        EXPECT_TRUE(SavePersonalDays(r, list).Complete());
        EXPECT_FALSE(r.HasValue(User, settings::SolarMemorialKey, "06-06"));
        EXPECT_FALSE(r.HasValue(User, settings::SolarMemorialKey, "07-07"));
        EXPECT_EQ(r.StoredValue(User, settings::SolarMemorialKey, "07-08"), Memorial("AD2001", "搬家"));
        EXPECT_TRUE(untouched(Everything(r)) == untouched(before));
    }

    // Reminders: a kept slot is never given to a new day; the new ones take the free slots in order.
    MemoryRegistry r;
    StoreHostileValues(r, long_title);
    const auto before = Everything(r);
    DayList list = ReadDayList(r, EditorMode::kReminders);
    EXPECT_EQ(KeptNote(list), "有2个值无法在这里显示，已原样保留，不会改动：提醒日B、提醒日D");
    ASSERT_EQ(list.days.size(), 2u);  // A and C
    DeleteDay(list, 1);
    const PersonalDay r1{Kind::kReminder, 2025, 6, 1, "开会", ""}, r2{Kind::kReminder, 2025, 7, 1, "出差", ""};
    list.days.push_back({r1, {}, {}});
    list.days.push_back({r2, {}, {}});
    EXPECT_TRUE(SavePersonalDays(r, list).Complete());
    auto after = Everything(r);
    const std::string slots = std::string(settings::SolarRemindedKey) + "\\";
    EXPECT_EQ(after.at(slots + "C").data, "AD06-01-2025" + Shown("开会"));
    EXPECT_EQ(after.at(slots + "E").data, "AD07-01-2025" + Shown("出差"));
    after.erase(slots + "C");
    after.erase(slots + "E");
    auto expected = before;
    expected.erase(slots + "C");
    EXPECT_TRUE(after == expected);
    // Kept values hold their slots: with 18 days listed and 2 kept there is no room for a 21st.
    for (int slot = 5; slot < 20; ++slot)
        r.SetValue(User, settings::SolarRemindedKey, std::string(1, static_cast<char>('A' + slot)), "AD08-01-2025" + Shown("满"));
    list = ReadDayList(r, EditorMode::kReminders);
    ASSERT_EQ(list.days.size(), 18u);
    EXPECT_EQ(CheckAgainstList(list, r1, -1), "提醒日最多20个（含2个原样保留的值）");
    EXPECT_EQ(CheckAgainstList(list, r1, 0), "");
}

TEST(Editor, ListsReadBackAsStoredAndOthersAreLeftAlone) {
    MemoryRegistry registry;
    registry.SetValue(User, settings::SettingsKey, "Version", "4.2");
    registry.SetValue(User, settings::SolarMemorialKey, "07-01", "malformed");
    const std::vector<PersonalDay> memorials = {{Kind::kSolarMemorial, 1990, 5, 12, "生日", ""},
                                                {Kind::kLunarMemorial, 2023, 14, 5, "闰月生日", "D:\\a.Wav"}};
    DayList list = ReadDayList(registry, EditorMode::kMemorials);
    EXPECT_EQ(KeptNote(list), "有1个值无法在这里显示，已原样保留，不会改动：公历07-01");
    EditTo(list, memorials);
    ASSERT_TRUE(SavePersonalDays(registry, list).Complete());
    EXPECT_EQ(DaysOf(ReadDayList(registry, EditorMode::kMemorials)), memorials);
    // What the pages read is what the editor wrote.
    EXPECT_EQ(registry.StoredValue(User, settings::SolarMemorialKey, "05-12"), Memorial("AD1990", "生日"));
    EXPECT_EQ(registry.StoredValue(User, settings::LunarMemorialKey, "14-05"), Memorial("AD2023", "闰月生日", "D:\\a.Wav"));
    EXPECT_EQ(registry.StoredValue(User, settings::SolarMemorialKey, "07-01"), "malformed");  // kept as it was
    EXPECT_EQ(CheckAgainstList(list, {Kind::kSolarMemorial, 2000, 7, 1, "建党", ""}, -1),
              "公历07月01日存有一个无法在这里显示的值，为免丢失，不能在这一天添加");
    // Reminders fill their slots in list order and are listed by slot.
    const std::vector<PersonalDay> reminders = {{Kind::kReminder, 2025, 3, 15, "交房租", ""},
                                                {Kind::kReminder, 2025, 1, 2, "早一些", ""},
                                                {Kind::kReminder, 2025, 9, 9, "晚一些", ""}};
    DayList reminder_list = NewList(EditorMode::kReminders, reminders);
    ASSERT_TRUE(SavePersonalDays(registry, reminder_list).Complete());
    EXPECT_EQ(registry.StoredValue(User, settings::SolarRemindedKey, "A"), "AD03-15-2025" + Shown("交房租"));
    EXPECT_EQ(registry.StoredValue(User, settings::SolarRemindedKey, "C"), "AD09-09-2025" + Shown("晚一些"));
    registry.DeleteValue(User, settings::SolarRemindedKey, "B");
    registry.SetValue(User, settings::SolarRemindedKey, "T", "AD12-31-2025" + Shown("最后一格"));
    EXPECT_EQ(DaysOf(ReadDayList(registry, EditorMode::kReminders)),
              (std::vector<PersonalDay>{reminders[0], reminders[2], {Kind::kReminder, 2025, 12, 31, "最后一格", ""}}));
    DayList countdown = NewList(EditorMode::kCountdown, {{Kind::kCountdown, 2025, 1, 29, "春节", ""}});
    ASSERT_TRUE(SavePersonalDays(registry, countdown).Complete());
    EXPECT_EQ(registry.StoredValue(User, settings::SettingsKey, "MyCountdownDay"), "AD01-29-2025春节");
    // Each mode leaves the others' values and the settings alone.
    EXPECT_EQ(DaysOf(ReadDayList(registry, EditorMode::kMemorials)), memorials);
    EXPECT_EQ(registry.StoredValue(User, settings::SettingsKey, "Version"), "4.2");
}

}  // namespace
