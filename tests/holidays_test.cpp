// The public holiday arrangement: the days off and the make-up working days of whole years, written
// from the State Council's notices in their own words, against the rules applied to the table; a
// newer table merged by year; a bad table refused whole.
#include "calendar/holidays.h"

#include <gtest/gtest.h>

#include <fstream>
#include <map>
#include <sstream>
#include <string>
#include <vector>

#include "text/encoding.h"

namespace {

using astro::DateToDayNumber;
using astro::DayNumber;
using calendar::HolidayCalendar;
using calendar::HolidayKind;

// A span "MM-DD..MM-DD" or a day "MM-DD" of a year, as the notices write them.
std::vector<DayNumber> Days(int year, const std::string& span) {
    auto day = [year](const std::string& md) {
        return DateToDayNumber(year, std::stoi(md.substr(0, 2)), std::stoi(md.substr(3, 2)));
    };
    const std::size_t dots = span.find("..");
    std::vector<DayNumber> out;
    const DayNumber first = day(span.substr(0, 5)), last = dots == std::string::npos ? first : day(span.substr(dots + 2));
    for (DayNumber d = first; d <= last; ++d) out.push_back(d);
    return out;
}

struct Notice {
    int year;
    std::vector<std::string> off;   // the spans of days off, weekends joined ("与周末连休") included
    std::vector<std::string> work;  // the weekend days worked ("上班")
};

// From the notices of the General Office of the State Council.
const Notice kNotices[] = {
    // 2015: 元旦 1月1日至3日, 1月4日（星期日）上班; 春节 2月18日至24日, 2月15日（星期日）、2月28日（星期六）
    // 上班; 清明节 4月5日放假, 4月6日（星期一）补休 (with Saturday the 4th); 劳动节 5月1日放假，与周末连休;
    // 端午节 6月20日放假, 6月22日（星期一）补休; 抗战胜利70周年纪念日 9月3日至5日, 9月6日（星期日）上班;
    // 中秋节 9月27日放假 (a Sunday, with Saturday the 26th); 国庆节 10月1日至7日, 10月10日（星期六）上班.
    {2015,
     {"01-01..01-03", "02-18..02-24", "04-04..04-06", "05-01..05-03", "06-20..06-22", "09-03..09-05", "09-26..09-27",
      "10-01..10-07"},
     {"01-04", "02-15", "02-28", "09-06", "10-10"}},
    // 2020: 元旦 1月1日; 春节 1月24日至30日, 1月19日（星期日）上班, extended to 2月2日 (so 2月1日 is off);
    // 清明节 4月4日至6日; 劳动节 5月1日至5日, 4月26日（星期日）、5月9日（星期六）上班; 端午节 6月25日至27日,
    // 6月28日（星期日）上班; 国庆节、中秋节 10月1日至8日, 9月27日（星期日）、10月10日（星期六）上班.
    {2020,
     {"01-01", "01-24..02-02", "04-04..04-06", "05-01..05-05", "06-25..06-27", "10-01..10-08"},
     {"01-19", "04-26", "05-09", "06-28", "09-27", "10-10"}},
    // 2024: 元旦 1月1日放假，与周末连休 (the weekend of 2023); 春节 2月10日至17日, 2月4日（星期日）、2月18日
    // （星期日）上班; 清明节 4月4日至6日, 4月7日（星期日）上班; 劳动节 5月1日至5日, 4月28日（星期日）、
    // 5月11日（星期六）上班; 端午节 6月10日放假，与周末连休; 中秋节 9月15日至17日, 9月14日（星期六）上班;
    // 国庆节 10月1日至7日, 9月29日（星期日）、10月12日（星期六）上班.
    {2024,
     {"01-01", "02-10..02-17", "04-04..04-06", "05-01..05-05", "06-08..06-10", "09-15..09-17", "10-01..10-07"},
     {"02-04", "02-18", "04-07", "04-28", "05-11", "09-14", "09-29", "10-12"}},
    // 2025: 元旦 1月1日; 春节 1月28日至2月4日, 1月26日（周日）、2月8日（周六）上班; 清明节 4月4日至6日;
    // 劳动节 5月1日至5日, 4月27日（周日）上班; 端午节 5月31日至6月2日; 国庆节、中秋节 10月1日至8日,
    // 9月28日（周日）、10月11日（周六）上班.
    {2025,
     {"01-01", "01-28..02-04", "04-04..04-06", "05-01..05-05", "05-31..06-02", "10-01..10-08"},
     {"01-26", "02-08", "04-27", "09-28", "10-11"}},
    // 2026: 元旦 1月1日至3日, 1月4日（周日）上班; 春节 2月15日至23日, 2月14日（周六）、2月28日（周六）上班;
    // 清明节 4月4日至6日; 劳动节 5月1日至5日, 5月9日（周六）上班; 端午节 6月19日至21日; 中秋节 9月25日至
    // 27日; 国庆节 10月1日至7日, 9月20日（周日）、10月10日（周六）上班.
    {2026,
     {"01-01..01-03", "02-15..02-23", "04-04..04-06", "05-01..05-05", "06-19..06-21", "09-25..09-27", "10-01..10-07"},
     {"01-04", "02-14", "02-28", "05-09", "09-20", "10-10"}},
};

std::map<DayNumber, HolidayKind> Expected(const Notice& n) {
    std::map<DayNumber, HolidayKind> out;
    for (const auto& span : n.off)
        for (DayNumber d : Days(n.year, span)) out[d] = HolidayKind::kOff;
    for (const auto& day : n.work)
        for (DayNumber d : Days(n.year, day)) out[d] = HolidayKind::kWork;
    return out;
}

TEST(Holidays, WholeYearsAsTheNoticesSayThem) {
    const HolidayCalendar holidays(calendar::BuiltInHolidays());
    for (const Notice& n : kNotices) {
        const std::map<DayNumber, HolidayKind> expected = Expected(n);
        for (DayNumber d = DateToDayNumber(n.year, 1, 1); d < DateToDayNumber(n.year + 1, 1, 1); ++d) {
            const auto it = expected.find(d);
            const HolidayKind want = it == expected.end() ? HolidayKind::kNone : it->second;
            EXPECT_EQ(holidays.MarkOf(d).kind, want) << astro::DayNumberToDateText(d);
        }
        EXPECT_TRUE(holidays.HoldsYear(n.year));
    }
    // 2024's 元旦 joined the weekend before it, in 2023; 2020-02-03, the Monday the extended 春节
    // ended on, is an ordinary day.
    EXPECT_EQ(holidays.MarkOf(DateToDayNumber(2023, 12, 30)).kind, HolidayKind::kOff);
    EXPECT_EQ(holidays.MarkOf(DateToDayNumber(2023, 12, 31)).name, "元旦");
    EXPECT_EQ(holidays.MarkOf(DateToDayNumber(2020, 2, 3)).kind, HolidayKind::kNone);
    EXPECT_TRUE(holidays.IsWorkday(DateToDayNumber(2020, 2, 3)));
    EXPECT_FALSE(holidays.HoldsYear(2006));
    EXPECT_FALSE(holidays.HoldsYear(2027));
    EXPECT_EQ(holidays.MarkOf(DateToDayNumber(2027, 1, 1)).kind, HolidayKind::kNone);
    EXPECT_EQ(calendar::HolidaysNotHeldText(2027), "2027年的节假日安排尚未收录");
}

// The names users read, whatever the notice wrote; the joint span of 2012 names 中秋 and 国庆 apart.
TEST(Holidays, NamesAsUsersReadThem) {
    const HolidayCalendar holidays(calendar::BuiltInHolidays());
    const struct {
        int year, month, day;
        const char* name;
    } cases[] = {
        {2007, 5, 1, "劳动节"},  // “五一”
        {2008, 10, 1, "国庆节"},  // “十一”
        {2009, 5, 1, "劳动节"},  {2012, 9, 30, "中秋节"}, {2012, 10, 1, "国庆节"}, {2012, 9, 29, "中秋节"},
        {2015, 9, 3, "抗日战争暨世界反法西斯战争胜利70周年纪念日"}, {2024, 6, 8, "端午节"}, {2026, 2, 14, "春节"},
        // Make-up days of the joint 中秋节、国庆节, named for the days off next to them: in 2025,
        // 2020, 2017 and 2009 every day off lay in October.
        {2025, 9, 28, "国庆节"}, {2020, 9, 27, "国庆节"}, {2017, 9, 30, "国庆节"}, {2009, 9, 27, "国庆节"},
        {2023, 10, 7, "国庆节"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(holidays.MarkOf(DateToDayNumber(c.year, c.month, c.day)).name, c.name) << c.year << "-" << c.month;
    // Every make-up day has the name of the span it is listed with.
    for (const int year : calendar::BuiltInHolidays().years)
        for (const calendar::HolidaySpan& s : holidays.SpansOf(year))
            for (const DayNumber w : s.work_days) EXPECT_EQ(holidays.MarkOf(w).name, s.name) << year << " " << w;
    // The built-in table reads the published file as a fetched one would be read: the two
    // normalisations (the generator's and the program's) agree.
    std::ifstream file(std::string(TEMPO_DATA_DIR) + "/cn_public_holidays_2007_2026.tsv", std::ios::binary);
    std::stringstream raw;
    raw << file.rdbuf();
    calendar::HolidayTable parsed;
    std::string why;
    ASSERT_TRUE(calendar::ParseHolidayTable(raw.str(), parsed, why)) << text::GbkToUtf8(why);
    ASSERT_EQ(parsed.rows.size(), calendar::BuiltInHolidays().rows.size());
    for (std::size_t i = 0; i < parsed.rows.size(); ++i) {
        EXPECT_EQ(parsed.rows[i].day, calendar::BuiltInHolidays().rows[i].day);
        EXPECT_EQ(parsed.rows[i].name, calendar::BuiltInHolidays().rows[i].name) << i;
    }
    EXPECT_EQ(parsed.years, calendar::BuiltInHolidays().years);
    EXPECT_EQ(parsed.years.front(), 2007);
    EXPECT_EQ(parsed.years.back(), 2026);
    EXPECT_EQ(parsed.years.size(), 20u);
}

// A year read out: each holiday's span and its make-up days, and the working days of the year
// (365 days, 104 of them weekend days; counted by hand from the notice above).
TEST(Holidays, SpansWorkdaysAndCountingWorkdays) {
    const HolidayCalendar holidays(calendar::BuiltInHolidays());
    const std::vector<calendar::HolidaySpan> spans = holidays.SpansOf(2026);
    const struct {
        const char* name;
        const char* span;
        std::vector<const char*> work;
    } expected[] = {
        {"元旦", "01-01..01-03", {"01-04"}},  {"春节", "02-15..02-23", {"02-14", "02-28"}},
        {"清明节", "04-04..04-06", {}},       {"劳动节", "05-01..05-05", {"05-09"}},
        {"端午节", "06-19..06-21", {}},       {"中秋节", "09-25..09-27", {}},
        {"国庆节", "10-01..10-07", {"09-20", "10-10"}},
    };
    ASSERT_EQ(spans.size(), std::size(expected));
    for (std::size_t i = 0; i < spans.size(); ++i) {
        const std::vector<DayNumber> days = Days(2026, expected[i].span);
        EXPECT_EQ(spans[i].name, expected[i].name);
        EXPECT_EQ(spans[i].first, days.front()) << expected[i].name;
        EXPECT_EQ(spans[i].last, days.back()) << expected[i].name;
        std::vector<DayNumber> work;
        for (const char* w : expected[i].work) work.push_back(Days(2026, w).front());
        EXPECT_EQ(spans[i].work_days, work) << expected[i].name;
    }
    // 261 weekdays, 19 of them off, 6 weekend days worked; 2025: 261 - 18 + 5.
    EXPECT_EQ(holidays.WorkdaysIn(2026), 248);
    EXPECT_EQ(holidays.WorkdaysIn(2025), 248);
    EXPECT_TRUE(holidays.SpansOf(2027).empty());

    // Counting working days, both ways, through a holiday with its make-up days.
    const struct {
        int from_month, from_day;
        long long count;
        int month, day;
    } steps[] = {
        {2, 13, 1, 2, 14},  {2, 13, 2, 2, 24},  {2, 24, -1, 2, 14}, {2, 24, -2, 2, 13}, {2, 13, 0, 2, 13},
        {2, 27, 1, 2, 28},  {2, 28, 1, 3, 2},   {9, 30, 1, 10, 8},  {10, 9, 1, 10, 10},
    };
    for (const auto& s : steps) {
        DayNumber result = 0;
        ASSERT_TRUE(holidays.AddWorkdays(DateToDayNumber(2026, s.from_month, s.from_day), s.count, result));
        EXPECT_EQ(result, DateToDayNumber(2026, s.month, s.day)) << s.from_month << "-" << s.from_day << " " << s.count;
    }
    DayNumber result = 0;
    EXPECT_FALSE(holidays.AddWorkdays(DateToDayNumber(2026, 12, 31), 1, result));
    // Back from 2007-01-04: 01-01..03 are off, and 2006 is a year the table does not hold.
    EXPECT_FALSE(holidays.AddWorkdays(DateToDayNumber(2007, 1, 4), -1, result));
    EXPECT_FALSE(holidays.AddWorkdays(DateToDayNumber(2026, 1, 5), 1000000000000LL, result));
}

std::string Tsv(const std::string& gbk) { return text::GbkToUtf8(gbk); }

// A newer table replaces the years it holds and keeps the others; a bad one is refused whole.
TEST(Holidays, NewerTablesMergedByYearAndBadOnesRefused) {
    calendar::HolidayTable newer;
    std::string why;
    ASSERT_TRUE(calendar::ParseHolidayTable(Tsv("# 2027 and a changed 2026\n"
                                                "2026-02-16\t休\t春节\r\n"
                                                "2026-02-17\t休\t春节\n"
                                                "2027-01-01\t休\t元旦\n"
                                                "2027-02-05\t休\t春节\n"
                                                "2027-02-06\t休\t春节\n"
                                                "2027-02-07\t班\t春节\n"
                                                "2027-05-01\t休\t“五一”\n"),
                                            newer, why))
        << text::GbkToUtf8(why);
    EXPECT_EQ(newer.years, (std::vector<int>{2026, 2027}));
    const HolidayCalendar merged(calendar::MergeHolidays(calendar::BuiltInHolidays(), newer));
    EXPECT_TRUE(merged.HoldsYear(2027));
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2027, 1, 1)).name, "元旦");
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2027, 5, 1)).name, "劳动节");
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2027, 2, 7)).kind, HolidayKind::kWork);
    // 2027-01-02/03 are the weekend after a Friday off.
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2027, 1, 3)).kind, HolidayKind::kOff);
    // 2026 is the newer table's alone: 02-15 (a Sunday) joins 02-16 as a weekend day, 02-14 is no
    // longer a working day, 10-01 is no longer off.
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2026, 2, 15)).kind, HolidayKind::kOff);
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2026, 2, 18)).kind, HolidayKind::kNone);
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2026, 2, 14)).kind, HolidayKind::kOff);  // Saturday before the 15th
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2026, 10, 1)).kind, HolidayKind::kNone);
    // 2025 stays the built-in one.
    EXPECT_EQ(merged.MarkOf(DateToDayNumber(2025, 10, 8)).kind, HolidayKind::kOff);
    EXPECT_EQ(merged.Table().years.front(), 2007);
    EXPECT_EQ(merged.Table().years.back(), 2027);

    // The service's text reads back as the same table.
    calendar::HolidayTable again;
    ASSERT_TRUE(calendar::ParseHolidayTable(calendar::HolidayTableText(merged.Table()), again, why));
    EXPECT_EQ(again.years, merged.Table().years);
    ASSERT_EQ(again.rows.size(), merged.Table().rows.size());
    for (std::size_t i = 0; i < again.rows.size(); ++i) {
        EXPECT_EQ(again.rows[i].day, merged.Table().rows[i].day);
        EXPECT_EQ(again.rows[i].kind, merged.Table().rows[i].kind);
        EXPECT_EQ(again.rows[i].name, merged.Table().rows[i].name);
    }

    const struct {
        std::string tsv;
        const char* why;
    } bad[] = {
        {Tsv("2027-01-01\t休\n"), "第1行"},
        {Tsv("2027-01-01 休 元旦\n"), "第1行"},
        {Tsv("2027-02-30\t休\t春节\n"), "日期不对"},
        {Tsv("1900-01-01\t休\t元旦\n"), "日期不对"},
        {Tsv("27-01-01\t休\t元旦\n"), "日期不对"},
        {Tsv("2027-01-01\t放\t元旦\n"), "第二栏"},
        {Tsv("2027-01-01\t休\t\n"), "节日名称"},
        {Tsv("2027-01-01\t休\t元\x1b[2J旦\n"), "节日名称"},
        {Tsv("2027-01-01\t休\t") + std::string("\xff\xfe", 2) + "\n", "第1行：节日名称不是UTF-8文字"},
        // A character GBK has no form for (an emoji; Ext. B's 𠀀) could not be shown: said as such.
        {Tsv("2027-01-01\t休\t元旦") + "\xf0\x9f\x8e\x86\n", "第1行：节日名称中的字符U+1F386在GBK中没有"},
        {Tsv("2027-01-01\t休\t") + "\xf0\xa0\x80\x80\n", "U+20000"},
        {Tsv("2027-01-01\t休\t") + std::string(31 * 3, 'a') + "\n", "第1行：节日名称超过30个字"},
        {Tsv("2027-01-01\t休\t元旦\n2027-01-01\t休\t元旦\n"), "两次"},
        {Tsv("2027-02-07\t班\t春节\n"), "没有放假"},
        // A 班 on a weekday moves nothing: the line is a mistake, not a day to leave out unseen.
        {Tsv("2027-01-01\t休\t元旦\n2027-01-04\t班\t元旦\n"), "第2行：“班”只能在周六或周日（这一天是星期一）"},
        {Tsv("2027-01-01\t休\t元旦\n2026-12-30\t班\t元旦\n"), "星期三"},
        {Tsv("# nothing\n"), "空"},
        {std::string(calendar::kMaxHolidayFileBytes + 1, '#'), "64KB"},
    };
    for (const auto& b : bad) {
        calendar::HolidayTable table = newer;
        why.clear();
        EXPECT_FALSE(calendar::ParseHolidayTable(b.tsv, table, why)) << b.tsv.substr(0, 40);
        EXPECT_NE(why.find(b.why), std::string::npos) << text::GbkToUtf8(why);
        EXPECT_EQ(table.years, newer.years);  // refused whole: the table given is left as it was
    }
}

// The years a table holds, as ranges with their gaps.
TEST(Holidays, YearsAsRangesWithTheirGaps) {
    const struct {
        std::vector<int> years;
        const char* text;
    } cases[] = {
        {{}, ""},
        {{2026}, "2026"},
        {{2026, 2027}, "2026..2027"},
        {{1949, 2007, 2008, 2009}, "1949, 2007..2009"},
        {{2007, 2009, 2010, 2012}, "2007, 2009..2010, 2012"},
    };
    for (const auto& c : cases) EXPECT_EQ(calendar::YearsText(c.years), c.text);
    EXPECT_EQ(calendar::YearsText({1949, 2007, 2008}, "、"), "1949、2007..2008");
    // In a message, a list that would run long is summed up.
    EXPECT_EQ(calendar::YearsForMessage({1949, 2007, 2008}), "1949、2007..2008年");
    std::vector<int> odd;
    for (int year = 1949; year <= 2001; year += 2) odd.push_back(year);
    EXPECT_EQ(calendar::YearsForMessage(odd), "1949..2001年中的27年");
}

std::string PublishedFile() {
    std::ifstream file(std::string(TEMPO_DATA_DIR) + "/cn_public_holidays_2007_2026.tsv", std::ios::binary);
    std::stringstream raw;
    raw << file.rdbuf();
    return raw.str();
}

// The last line of a table states its rows and years. The published file, the service's text and
// the parser agree on it; a table cut at any line end lacks it and is refused where it is required;
// a wrong one, or more after it, is refused always; a file without one is read where it may lack it.
TEST(Holidays, TheEndLineProvesATableWhole) {
    const std::string published = PublishedFile();
    const std::string served = calendar::HolidayTableText(calendar::BuiltInHolidays());
    const std::string end = "# end of table: 677 rows, years 2007..2026\n";
    ASSERT_GE(published.size(), end.size());
    EXPECT_EQ(published.substr(published.size() - end.size()), end);
    EXPECT_EQ(served.substr(served.size() - end.size()), end);
    EXPECT_EQ(calendar::TableEndLine(calendar::BuiltInHolidays()) + "\n", end);

    const std::string rows = Tsv("2027-01-01\t休\t元旦\n1949-10-01\t休\t国庆节\n");
    const struct {
        const char* what;
        std::string tsv;
        calendar::TableEnd rule;
        const char* why;  // nullptr: taken
    } cases[] = {
        {"whole", rows + "# end of table: 2 rows, years 1949, 2027\n", calendar::TableEnd::kRequired, nullptr},
        {"whole, blank lines and no line end after it", rows + "# end of table: 2 rows, years 1949, 2027\r\n\n \n",
         calendar::TableEnd::kRequired, nullptr},
        {"no end line, required", rows, calendar::TableEnd::kRequired, calendar::kNoTableEnd},
        {"no end line, optional", rows, calendar::TableEnd::kOptional, nullptr},
        {"a row too many", rows + "# end of table: 3 rows, years 1949, 2027\n", calendar::TableEnd::kOptional,
         "第3行：结尾行与表不符，应为“# end of table: 2 rows, years 1949, 2027”"},
        {"years without their gap", rows + "# end of table: 2 rows, years 1949..2027\n", calendar::TableEnd::kRequired,
         "结尾行与表不符"},
        {"a row after it", rows + "# end of table: 2 rows, years 1949, 2027\n" + Tsv("2028-01-01\t休\t元旦\n"),
         calendar::TableEnd::kRequired, "第4行：结尾行之后不应再有内容"},
        {"a wrong end line of a table of many years with gaps", Tsv("1949-10-01\t休\t国庆节\n1951-10-01\t休\t国庆节\n"
             "1953-10-01\t休\t国庆节\n1955-10-01\t休\t国庆节\n1957-10-01\t休\t国庆节\n1959-10-01\t休\t国庆节\n"
             "1961-10-01\t休\t国庆节\n1963-10-01\t休\t国庆节\n1965-10-01\t休\t国庆节\n1967-10-01\t休\t国庆节\n"
             "# end of table: 1 rows, years 1949\n"), calendar::TableEnd::kOptional,
         "第11行：结尾行与表不符（表中有10行，收录1949..1967年中的10年）"},
        {"a second end line", rows + "# end of table: 2 rows, years 1949, 2027\n# end of table: 2 rows, years 1949, 2027\n",
         calendar::TableEnd::kOptional, "第4行：结尾行之后"},
    };
    for (const auto& c : cases) {
        calendar::HolidayTable table;
        std::string why;
        const bool taken = calendar::ParseHolidayTable(c.tsv, table, why, c.rule);
        EXPECT_EQ(taken, c.why == nullptr) << c.what;
        if (c.why) {
            EXPECT_NE(why.find(c.why), std::string::npos) << c.what << ": " << text::GbkToUtf8(why);
        } else {
            EXPECT_EQ(table.years, (std::vector<int>{1949, 2027})) << c.what;
        }
    }

    // Cut at the end of any line, the served table is never taken as whole; read to its end it is.
    for (std::size_t at = served.find('\n'); at + 1 < served.size(); at = served.find('\n', at + 1)) {
        calendar::HolidayTable table;
        std::string why;
        ASSERT_FALSE(calendar::ParseHolidayTable(served.substr(0, at + 1), table, why, calendar::TableEnd::kRequired))
            << at;
        ASSERT_EQ(why, calendar::kNoTableEnd) << at;
    }
    for (const std::string& whole : {published, served}) {
        calendar::HolidayTable table;
        std::string why;
        ASSERT_TRUE(calendar::ParseHolidayTable(whole, table, why, calendar::TableEnd::kRequired))
            << text::GbkToUtf8(why);
        EXPECT_EQ(table.rows.size(), 677u);
    }
}

// A holiday whose days off begin in the old year belongs to the notice of the new one (the year of
// its last day off): the year is held once, a newer table's years replace it whole on both sides
// of the New Year, and the working days are counted across it. 2023's 元旦 (2022-12-31 .. 2023-01-02)
// is in the published table; the 元旦 of 2027 from 2026-12-31 (a Thursday) is made up for the test.
TEST(Holidays, AHolidayWhoseDaysOffSpanTheNewYear) {
    const HolidayCalendar builtin(calendar::BuiltInHolidays());
    const std::vector<calendar::HolidaySpan> spans2023 = builtin.SpansOf(2023);
    ASSERT_FALSE(spans2023.empty());
    EXPECT_EQ(spans2023.front().name, "元旦");
    EXPECT_EQ(spans2023.front().first, DateToDayNumber(2022, 12, 31));
    EXPECT_EQ(spans2023.front().last, DateToDayNumber(2023, 1, 2));
    EXPECT_EQ(builtin.SpansOf(2022).back().name, "国庆节");  // 2022 ends with its 国庆节

    calendar::HolidayTable next;
    std::string why;
    ASSERT_TRUE(calendar::ParseHolidayTable(Tsv("2026-12-31\t休\t元旦\n2027-01-01\t休\t元旦\n"
                                                "# end of table: 2 rows, years 2027\n"),
                                            next, why, calendar::TableEnd::kRequired))
        << text::GbkToUtf8(why);
    EXPECT_EQ(next.years, std::vector<int>{2027});
    const HolidayCalendar merged(calendar::MergeHolidays(calendar::BuiltInHolidays(), next));
    EXPECT_EQ(calendar::TableEndLine(merged.Table()), "# end of table: 679 rows, years 2007..2027");
    const struct {
        int year, month, day;
        HolidayKind kind;
    } marks[] = {
        {2026, 12, 30, HolidayKind::kNone}, {2026, 12, 31, HolidayKind::kOff}, {2027, 1, 1, HolidayKind::kOff},
        {2027, 1, 2, HolidayKind::kOff},    {2027, 1, 3, HolidayKind::kOff},   {2027, 1, 4, HolidayKind::kNone},
        {2026, 10, 10, HolidayKind::kWork},  // 2026 is still the built-in one
    };
    for (const auto& m : marks)
        EXPECT_EQ(merged.MarkOf(DateToDayNumber(m.year, m.month, m.day)).kind, m.kind) << m.month << "-" << m.day;
    const std::vector<calendar::HolidaySpan> spans2027 = merged.SpansOf(2027);
    ASSERT_EQ(spans2027.size(), 1u);
    EXPECT_EQ(spans2027[0].first, DateToDayNumber(2026, 12, 31));
    EXPECT_EQ(spans2027[0].last, DateToDayNumber(2027, 1, 3));
    EXPECT_EQ(merged.SpansOf(2026).size(), 7u);
    EXPECT_EQ(merged.SpansOf(2026).back().name, "国庆节");
    // 2026: 248 working days, less the Thursday 12-31.
    EXPECT_EQ(merged.WorkdaysIn(2026), 247);
    DayNumber after = 0;
    ASSERT_TRUE(merged.AddWorkdays(DateToDayNumber(2026, 12, 30), 1, after));
    EXPECT_EQ(after, DateToDayNumber(2027, 1, 4));
    ASSERT_TRUE(merged.AddWorkdays(DateToDayNumber(2027, 1, 4), -1, after));
    EXPECT_EQ(after, DateToDayNumber(2026, 12, 30));

    // A corrected 2026 taken later leaves 2027's 元旦 whole, its day in 2026 too; a corrected 2027
    // takes that day with it.
    calendar::HolidayTable corrected2026;
    ASSERT_TRUE(calendar::ParseHolidayTable(Tsv("2026-10-01\t休\t国庆节\n"), corrected2026, why));
    const HolidayCalendar again(calendar::MergeHolidays(merged.Table(), corrected2026));
    EXPECT_EQ(again.MarkOf(DateToDayNumber(2026, 12, 31)).kind, HolidayKind::kOff);
    EXPECT_EQ(again.MarkOf(DateToDayNumber(2026, 10, 2)).kind, HolidayKind::kNone);
    calendar::HolidayTable corrected2027;
    ASSERT_TRUE(calendar::ParseHolidayTable(Tsv("2027-01-01\t休\t元旦\n"), corrected2027, why));
    const HolidayCalendar moved(calendar::MergeHolidays(merged.Table(), corrected2027));
    EXPECT_EQ(moved.MarkOf(DateToDayNumber(2026, 12, 31)).kind, HolidayKind::kNone);
    EXPECT_EQ(moved.MarkOf(DateToDayNumber(2027, 1, 1)).kind, HolidayKind::kOff);
}

// What an earlier release wrote must be read by every later one. tests/earlier/ holds a table as
// the previous release kept it after an update from its service (the service run with the 2027 day
// of the Windows tests, its /holidays/cn.tsv saved as it came): no end line, and the row
// "2020-02-03 班 春节" of that release's built-in data, a Monday. That row is the working day it is,
// not a make-up day; the rest of the table, 2027 with it, is taken as it stands.
TEST(Holidays, ATableKeptByThePreviousReleaseIsRead) {
    std::ifstream file(std::string(TEMPO_EARLIER_DIR) + "/holidays-kept-by-the-previous-release.tsv", std::ios::binary);
    std::stringstream raw;
    raw << file.rdbuf();
    const std::string kept = raw.str();
    ASSERT_NE(kept.find(Tsv("\n2020-02-03\t班\t春节\n")), std::string::npos) << "not the previous release's table";
    ASSERT_EQ(kept.find("# end of table"), std::string::npos);

    calendar::HolidayTable table;
    std::string why;
    ASSERT_TRUE(calendar::ParseHolidayTable(kept, table, why)) << text::GbkToUtf8(why);
    const HolidayCalendar read(calendar::MergeHolidays(calendar::BuiltInHolidays(), table));
    EXPECT_TRUE(read.HoldsYear(2027));
    EXPECT_EQ(read.MarkOf(DateToDayNumber(2027, 1, 1)).kind, HolidayKind::kOff);
    // 2020's Spring Festival as the extension notice left it: off to Sunday 02-02, work on Monday.
    EXPECT_EQ(read.MarkOf(DateToDayNumber(2020, 2, 2)).kind, HolidayKind::kOff);
    EXPECT_EQ(read.MarkOf(DateToDayNumber(2020, 2, 3)).kind, HolidayKind::kNone);
    EXPECT_TRUE(read.IsWorkday(DateToDayNumber(2020, 2, 3)));
    // Every other day of 2007..2026 as the built-in table has it.
    const HolidayCalendar builtin(calendar::BuiltInHolidays());
    int differing = 0;
    for (DayNumber d = DateToDayNumber(2006, 12, 1); d <= DateToDayNumber(2026, 12, 31); ++d) {
        const calendar::HolidayMark a = read.MarkOf(d), b = builtin.MarkOf(d);
        differing += a.kind != b.kind || a.name != b.name;
    }
    EXPECT_EQ(differing, 0);

    // Only that row: another weekday 班, or the same day under another name, is still a mistake.
    for (const char* row : {"2020-02-04\t班\t春节\n", "2020-02-03\t班\t元旦\n"}) {
        calendar::HolidayTable other;
        EXPECT_FALSE(calendar::ParseHolidayTable(Tsv(std::string("2020-01-25\t休\t春节\n") + row), other, why)) << row;
        EXPECT_NE(why.find("只能在周六或周日"), std::string::npos) << text::GbkToUtf8(why);
    }
}

// tempo and tempoline-web speak English, the program Chinese: each fault has both, naming the line
// and what is wrong with it.
TEST(Holidays, FaultsInBothLanguages) {
    const struct {
        std::string tsv;
        const char* chinese;  // GBK
        const char* english;  // UTF-8
    } cases[] = {
        {Tsv("2027-01-01\t休\t元旦\n2027-01-05\t班\t元旦\n"), "第2行：“班”只能在周六或周日（这一天是星期二）",
         "line 2: \xe7\x8f\xad (a make-up working day) must fall on a Saturday or Sunday; this day is a Tuesday"},
        {Tsv("2027-01-01\t休\t元旦") + "\xf0\x9f\x8e\x86\n", "第1行：节日名称中的字符U+1F386在GBK中没有，本程序无法显示",
         "line 1: the holiday's name holds U+1F386, which GBK cannot write, so the calendar could not show it"},
        {Tsv("2027-01-01\t休\t元\x7f旦\n"), "第1行：节日名称中有控制字符", "line 1: the holiday's name holds a control character"},
        {Tsv("2027-01-01\t休\t元旦\n# end of table: 2 rows, years 2027\n"),
         "第2行：结尾行与表不符，应为“# end of table: 1 rows, years 2027”",
         "line 2: the end line does not match the table; it should read \"# end of table: 1 rows, years 2027\""},
        {Tsv("2027-02-07\t班\t春节\n"), "有一个节日只有调休上班的日子，没有放假的日子",
         "a holiday has make-up working days but no day off"},
    };
    for (const auto& c : cases) {
        calendar::HolidayTable table;
        calendar::HolidayTableFault fault;
        EXPECT_FALSE(calendar::ParseHolidayTable(c.tsv, table, fault));
        EXPECT_EQ(calendar::FaultText(fault), c.chinese) << text::GbkToUtf8(calendar::FaultText(fault));
        EXPECT_EQ(calendar::FaultTextEnglish(fault), c.english);
    }
}

}  // namespace
