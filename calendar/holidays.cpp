#include "calendar/holidays.h"

#include <algorithm>
#include <cstdlib>
#include <cstdio>
#include <mutex>
#include <set>
#include <utility>

#include "calendar/names.h"
#include "text/encoding.h"

namespace calendar {

namespace {

struct BuiltInRow {
    int year, month, day;
    HolidayKind kind;
    const char* name;
};

constexpr BuiltInRow kBuiltIn[] = {
#include "calendar/holiday_table.inc"
};

constexpr const char* kJoint = "中秋节、国庆节";

bool IsWeekend(astro::DayNumber day) {
    const int weekday = astro::Weekday(day);
    return weekday == 0 || weekday == 6;
}

// The joint span of 中秋节 and 国庆节: the days before 1 October are 中秋's, the rest 国庆's.
std::string DisplayName(const std::string& name, astro::DayNumber day) {
    if (name != kJoint) return name;
    return astro::DayNumberToDate(day).month < 10 ? "中秋节" : "国庆节";
}

// The notice years of a table's rows: the year of each holiday's last day off. A holiday is the
// listed days of one name that lie within a month of each other.
struct Grouped {
    std::vector<int> group_of_row;
    std::vector<int> year_of_group;
};

Grouped GroupRows(const std::vector<HolidayRow>& rows) {
    Grouped g;
    std::vector<std::pair<std::string, astro::DayNumber>> open;  // per group: name, last listed day
    std::vector<astro::DayNumber> last_off;
    for (const HolidayRow& row : rows) {
        int group = -1;
        for (int i = static_cast<int>(open.size()) - 1; i >= 0; --i) {
            if (open[i].first == row.name && row.day - open[i].second <= 31) {
                group = i;
                break;
            }
        }
        if (group < 0) {
            group = static_cast<int>(open.size());
            open.emplace_back(row.name, row.day);
            last_off.push_back(0);
        }
        open[group].second = row.day;
        if (row.kind == HolidayKind::kOff) last_off[group] = row.day;
        g.group_of_row.push_back(group);
    }
    for (std::size_t i = 0; i < open.size(); ++i)
        g.year_of_group.push_back(last_off[i] == 0 ? 0 : astro::DayNumberToDate(last_off[i]).year);
    return g;
}

std::vector<int> YearsOf(const std::vector<HolidayRow>& rows) {
    const Grouped g = GroupRows(rows);
    std::set<int> years;
    for (int year : g.year_of_group)
        if (year != 0) years.insert(year);
    return {years.begin(), years.end()};
}

std::string Line(int number) { return "第" + std::to_string(number) + "行："; }

bool ReadDate(std::string_view text, int& year, int& month, int& day) {
    if (text.size() != 10 || text[4] != '-' || text[7] != '-') return false;
    for (int i : {0, 1, 2, 3, 5, 6, 8, 9})
        if (text[i] < '0' || text[i] > '9') return false;
    auto number = [&](int at, int length) {
        int n = 0;
        for (int i = at; i < at + length; ++i) n = n * 10 + (text[i] - '0');
        return n;
    };
    year = number(0, 4);
    month = number(5, 2);
    day = number(8, 2);
    return true;
}

}  // namespace

std::string HolidayNameOf(std::string_view notice_name) {
    static const std::pair<const char*, const char*> kNames[] = {
        {"“五一”", "劳动节"},   {"“五一”国际劳动节", "劳动节"}, {"五一", "劳动节"},       {"五一国际劳动节", "劳动节"},
        {"“十一”", "国庆节"},   {"十一", "国庆节"},             {"清明", "清明节"},       {"端午", "端午节"},
        {"中秋", "中秋节"},     {"国庆节、中秋节", kJoint},     {"中秋节、国庆节", kJoint},
    };
    for (const auto& [written, read] : kNames)
        if (notice_name == written) return read;
    return std::string(notice_name);
}

const HolidayTable& BuiltInHolidays() {
    static const HolidayTable table = [] {
        HolidayTable t;
        for (const BuiltInRow& r : kBuiltIn)
            t.rows.push_back({astro::DateToDayNumber(r.year, r.month, r.day), r.kind, r.name});
        t.years = YearsOf(t.rows);
        return t;
    }();
    return table;
}

std::string YearsText(const std::vector<int>& years, const char* separator) {
    std::string out;
    for (std::size_t i = 0; i < years.size();) {
        std::size_t j = i;
        while (j + 1 < years.size() && years[j + 1] == years[j] + 1) ++j;
        if (!out.empty()) out += separator;
        out += std::to_string(years[i]);
        if (j > i) out += ".." + std::to_string(years[j]);
        i = j + 1;
    }
    return out;
}

std::string YearsForMessage(const std::vector<int>& years) {
    if (years.empty()) return "";
    const std::string listed = YearsText(years, "、");
    if (listed.size() <= 40) return listed + "年";
    return std::to_string(years.front()) + ".." + std::to_string(years.back()) + "年中的" +
           std::to_string(years.size()) + "年";
}

namespace {

std::string EndLineOf(std::size_t rows, const std::vector<int>& years) {
    return std::string(kTableEndPrefix) + std::to_string(rows) + " rows, years " + YearsText(years);
}

bool IsBlank(std::string_view line) { return line.find_first_not_of(" \t") == std::string_view::npos; }

}  // namespace

std::string TableEndLine(const HolidayTable& table) { return EndLineOf(table.rows.size(), table.years); }

namespace {

// The first code point of UTF-8 text and its length; false for bytes that are no UTF-8.
bool NextCodePoint(std::string_view text, unsigned long& code, std::size_t& length) {
    const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
    const unsigned char lead = byte(0);
    unsigned long min = 0;
    if (lead < 0x80) {
        code = lead;
        length = 1;
        return true;
    }
    if (lead >= 0xC2 && lead <= 0xDF) {
        code = lead & 0x1F, length = 2, min = 0x80;
    } else if (lead >= 0xE0 && lead <= 0xEF) {
        code = lead & 0x0F, length = 3, min = 0x800;
    } else if (lead >= 0xF0 && lead <= 0xF4) {
        code = lead & 0x07, length = 4, min = 0x10000;
    } else {
        return false;
    }
    if (text.size() < length) return false;
    for (std::size_t i = 1; i < length; ++i) {
        if ((byte(i) & 0xC0) != 0x80) return false;
        code = code << 6 | (byte(i) & 0x3F);
    }
    return code >= min && code <= 0x10FFFF && !(code >= 0xD800 && code <= 0xDFFF);
}

// What is wrong with a holiday's name (UTF-8), or kNone.
HolidayTableFault::Kind NameFault(std::string_view name, unsigned long& character) {
    if (name.empty()) return HolidayTableFault::kNameEmpty;
    if (name.size() > 90) return HolidayTableFault::kNameTooLong;
    for (std::size_t at = 0, length = 0; at < name.size(); at += length) {
        unsigned long code = 0;
        if (!NextCodePoint(name.substr(at), code, length)) return HolidayTableFault::kNameNotUtf8;
        if (code < 0x20 || (code >= 0x7F && code < 0xA0)) return HolidayTableFault::kNameControl;
        const std::string_view one = name.substr(at, length);
        if (text::GbkToUtf8(text::Utf8ToGbk(one)) != one) {
            character = code;
            return HolidayTableFault::kNameNotGbk;
        }
    }
    return HolidayTableFault::kNone;
}

// The row the tables of earlier releases carry for the Monday work resumed after the extended
// Spring Festival of 2020 (see ParseHolidayTable).
bool IsResumedWorkRow(const HolidayRow& row, std::string_view name_gbk) {
    return row.kind == HolidayKind::kWork && row.day == astro::DateToDayNumber(2020, 2, 3) && name_gbk == "春节";
}

}  // namespace

bool ParseHolidayTable(std::string_view tsv, HolidayTable& table, HolidayTableFault& fault, TableEnd end) {
    fault = {};
    const auto refuse = [&](HolidayTableFault::Kind kind, int line) {
        fault.kind = kind;
        fault.line = line;
        return false;
    };
    if (tsv.size() > kMaxHolidayFileBytes) return refuse(HolidayTableFault::kTooLarge, 0);
    if (tsv.substr(0, 3) == "\xEF\xBB\xBF") tsv.remove_prefix(3);
    HolidayTable out;
    std::set<astro::DayNumber> seen;
    int number = 0;
    int end_number = 0;       // the line of the end line, once read
    std::string end_line;     // as written
    const std::string_view prefix = kTableEndPrefix;
    while (!tsv.empty()) {
        ++number;
        const std::size_t line_end = tsv.find('\n');
        std::string_view line = tsv.substr(0, line_end);
        tsv.remove_prefix(line_end == std::string_view::npos ? tsv.size() : line_end + 1);
        if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
        if (end_number != 0) {
            if (IsBlank(line)) continue;
            return refuse(HolidayTableFault::kAfterEnd, number);
        }
        if (line.substr(0, prefix.size()) == prefix) {
            end_number = number;
            end_line = std::string(line);
            continue;
        }
        if (line.empty() || line[0] == '#') continue;
        const std::size_t tab1 = line.find('\t');
        const std::size_t tab2 = tab1 == std::string_view::npos ? tab1 : line.find('\t', tab1 + 1);
        if (tab2 == std::string_view::npos || line.find('\t', tab2 + 1) != std::string_view::npos)
            return refuse(HolidayTableFault::kColumns, number);
        int year = 0, month = 0, day = 0;
        if (!ReadDate(line.substr(0, tab1), year, month, day) || year < 1949 || year > 2200 ||
            !astro::IsValidDate(year, month, day))
            return refuse(HolidayTableFault::kDate, number);
        const std::string_view kind = line.substr(tab1 + 1, tab2 - tab1 - 1);
        HolidayRow row;
        row.day = astro::DateToDayNumber(year, month, day);
        if (kind == text::GbkToUtf8("休")) {
            row.kind = HolidayKind::kOff;
        } else if (kind == text::GbkToUtf8("班")) {
            row.kind = HolidayKind::kWork;
        } else {
            return refuse(HolidayTableFault::kKind, number);
        }
        const std::string_view name = line.substr(tab2 + 1);
        if (const auto wrong = NameFault(name, fault.character); wrong != HolidayTableFault::kNone)
            return refuse(wrong, number);
        const std::string gbk = text::Utf8ToGbk(name);
        // A weekday is a working day anyway: a 班 there moves nothing and would be left out unseen,
        // so the line is taken for the mistake it is; but for the one row earlier releases wrote.
        if (row.kind == HolidayKind::kWork && !IsWeekend(row.day)) {
            if (IsResumedWorkRow(row, gbk)) continue;
            fault.weekday = astro::Weekday(row.day);
            return refuse(HolidayTableFault::kWorkOnWeekday, number);
        }
        if (!seen.insert(row.day).second) return refuse(HolidayTableFault::kTwice, number);
        row.name = HolidayNameOf(gbk);
        out.rows.push_back(std::move(row));
    }
    // A table cut short is told as such, before whatever else its missing rows leave wrong.
    if (end_number == 0 && end == TableEnd::kRequired) return refuse(HolidayTableFault::kNoEnd, 0);
    std::stable_sort(out.rows.begin(), out.rows.end(),
                     [](const HolidayRow& a, const HolidayRow& b) { return a.day < b.day; });
    const Grouped g = GroupRows(out.rows);
    for (std::size_t i = 0; i < g.year_of_group.size(); ++i)
        if (g.year_of_group[i] == 0) return refuse(HolidayTableFault::kOnlyWork, 0);
    out.years = YearsOf(out.rows);
    if (end_number != 0) {
        const std::string expected = EndLineOf(out.rows.size(), out.years);
        if (end_line != expected) {
            fault.expected_end = expected;
            fault.rows = out.rows.size();
            fault.years = out.years;
            return refuse(HolidayTableFault::kEndMismatch, end_number);
        }
    }
    if (out.years.empty()) return refuse(HolidayTableFault::kEmpty, 0);
    table = std::move(out);
    return true;
}

bool ParseHolidayTable(std::string_view tsv, HolidayTable& table, std::string& why, TableEnd end) {
    HolidayTableFault fault;
    const bool taken = ParseHolidayTable(tsv, table, fault, end);
    why = taken ? std::string() : FaultText(fault);
    return taken;
}

namespace {

std::string CodePointText(unsigned long code) {
    char text[16];
    std::snprintf(text, sizeof text, "U+%04lX", code);
    return text;
}

}  // namespace

std::string FaultText(const HolidayTableFault& fault) {
    const std::string at = fault.line > 0 ? Line(fault.line) : std::string();
    switch (fault.kind) {
    case HolidayTableFault::kNone: return "";
    case HolidayTableFault::kTooLarge: return "节假日表超过64KB";
    case HolidayTableFault::kColumns: return at + "应为“日期<TAB>休或班<TAB>节日名称”";
    case HolidayTableFault::kDate: return at + "日期不对（应为1949..2200年的YYYY-MM-DD）";
    case HolidayTableFault::kKind: return at + "第二栏只能是“休”或“班”";
    case HolidayTableFault::kWorkOnWeekday:
        return at + "“班”只能在周六或周日（这一天是" + WeekdayNameOf(fault.weekday) + "）";
    case HolidayTableFault::kNameEmpty: return at + "节日名称是空的";
    case HolidayTableFault::kNameTooLong: return at + "节日名称超过30个字（90字节）";
    case HolidayTableFault::kNameControl: return at + "节日名称中有控制字符";
    case HolidayTableFault::kNameNotUtf8: return at + "节日名称不是UTF-8文字";
    case HolidayTableFault::kNameNotGbk:
        return at + "节日名称中的字符" + CodePointText(fault.character) + "在GBK中没有，本程序无法显示";
    case HolidayTableFault::kTwice: return at + "这一天列了两次";
    case HolidayTableFault::kAfterEnd: return at + "结尾行之后不应再有内容";
    case HolidayTableFault::kEndMismatch:
        return at + "结尾行与表不符" +
               (fault.expected_end.size() <= 64
                    ? "，应为“" + fault.expected_end + "”"
                    : "（表中有" + std::to_string(fault.rows) + "行，收录" + YearsForMessage(fault.years) + "）");
    case HolidayTableFault::kOnlyWork: return "有一个节日只有调休上班的日子，没有放假的日子";
    case HolidayTableFault::kEmpty: return "节假日表是空的";
    case HolidayTableFault::kNoEnd: return kNoTableEnd;
    }
    return "";
}

std::string FaultTextEnglish(const HolidayTableFault& fault) {
    static const char* const kWeekdays[] = {"Sunday", "Monday", "Tuesday", "Wednesday", "Thursday", "Friday", "Saturday"};
    const std::string at = fault.line > 0 ? "line " + std::to_string(fault.line) + ": " : std::string();
    const std::string name = at + "the holiday's name ";
    switch (fault.kind) {
    case HolidayTableFault::kNone: return "";
    case HolidayTableFault::kTooLarge: return "the table is over 64 KiB";
    case HolidayTableFault::kColumns: return at + "expected date<TAB>" + text::GbkToUtf8("休") + " or " +
                                             text::GbkToUtf8("班") + "<TAB>name";
    case HolidayTableFault::kDate: return at + "not a date YYYY-MM-DD of 1949..2200";
    case HolidayTableFault::kKind:
        return at + "the second column must be " + text::GbkToUtf8("休") + " or " + text::GbkToUtf8("班");
    case HolidayTableFault::kWorkOnWeekday:
        return at + text::GbkToUtf8("班") + " (a make-up working day) must fall on a Saturday or Sunday; this day is a " +
               kWeekdays[(fault.weekday % 7 + 7) % 7];
    case HolidayTableFault::kNameEmpty: return name + "is empty";
    case HolidayTableFault::kNameTooLong: return name + "is longer than 90 bytes (30 Chinese characters)";
    case HolidayTableFault::kNameControl: return name + "holds a control character";
    case HolidayTableFault::kNameNotUtf8: return name + "is not UTF-8 text";
    case HolidayTableFault::kNameNotGbk:
        return name + "holds " + CodePointText(fault.character) + ", which GBK cannot write, so the calendar could not show it";
    case HolidayTableFault::kTwice: return at + "this day is listed twice";
    case HolidayTableFault::kAfterEnd: return at + "nothing may follow the end line";
    case HolidayTableFault::kEndMismatch:
        return at + "the end line does not match the table" +
               (fault.expected_end.size() <= 64 ? "; it should read \"" + fault.expected_end + "\""
                                                : " (it has " + std::to_string(fault.rows) + " rows, years " +
                                                      YearsText(fault.years) + ")");
    case HolidayTableFault::kOnlyWork: return "a holiday has make-up working days but no day off";
    case HolidayTableFault::kEmpty: return "the table lists no holiday";
    case HolidayTableFault::kNoEnd: return "the table has no end line (it may have been cut short)";
    }
    return "";
}

std::string HolidayTableText(const HolidayTable& table) {
    std::string out = text::GbkToUtf8("# 节假日安排（国务院办公厅通知）：日期<TAB>休或班<TAB>节日名称\n");
    for (const HolidayRow& row : table.rows) {
        const astro::CalendarDate d = astro::DayNumberToDate(row.day);
        char date[16];
        std::snprintf(date, sizeof date, "%04d-%02d-%02d", d.year, d.month, d.day);
        out += date;
        out += '\t';
        out += text::GbkToUtf8(row.kind == HolidayKind::kOff ? "休" : "班");
        out += '\t';
        out += text::GbkToUtf8(row.name);
        out += '\n';
    }
    out += TableEndLine(table);
    out += '\n';
    return out;
}

HolidayTable MergeHolidays(const HolidayTable& base, const HolidayTable& newer) {
    // The rows of base's holidays whose year newer also holds go; newer's rows come in.
    const Grouped g = GroupRows(base.rows);
    HolidayTable merged;
    std::set<astro::DayNumber> taken;
    for (const HolidayRow& row : newer.rows) taken.insert(row.day);
    for (std::size_t i = 0; i < base.rows.size(); ++i) {
        const int year = g.year_of_group[g.group_of_row[i]];
        if (std::binary_search(newer.years.begin(), newer.years.end(), year)) continue;
        if (taken.count(base.rows[i].day)) continue;  // the newer notice speaks of that day
        merged.rows.push_back(base.rows[i]);
    }
    merged.rows.insert(merged.rows.end(), newer.rows.begin(), newer.rows.end());
    std::stable_sort(merged.rows.begin(), merged.rows.end(),
                     [](const HolidayRow& a, const HolidayRow& b) { return a.day < b.day; });
    merged.years = YearsOf(merged.rows);
    return merged;
}

HolidayCalendar::HolidayCalendar(HolidayTable table) : table_(std::move(table)) {
    const Grouped g = GroupRows(table_.rows);
    std::set<astro::DayNumber> listed;
    for (const HolidayRow& row : table_.rows) listed.insert(row.day);
    for (std::size_t i = 0; i < table_.rows.size(); ++i) {
        const HolidayRow& row = table_.rows[i];
        const int group = g.group_of_row[i];
        if (row.kind != HolidayKind::kOff) continue;
        marks_[row.day] = {{HolidayKind::kOff, DisplayName(row.name, row.day)}, group};
        // The weekend next to a day off joins the holiday, up to a listed day.
        for (const int step : {-1, 1}) {
            for (astro::DayNumber d = row.day + step; IsWeekend(d) && !listed.count(d); d += step)
                marks_[d] = {{HolidayKind::kOff, DisplayName(row.name, d)}, group};
        }
    }
    // A make-up day is worked for the days off nearest to it, and takes their name: 2025-09-28 is
    // worked for the 国庆节 days of 10-01..10-08 (the joint holiday has no 中秋节 day that year), so
    // the day, the year's arrangement and the calendar file all call it 国庆节.
    for (std::size_t i = 0; i < table_.rows.size(); ++i) {
        const HolidayRow& row = table_.rows[i];
        const int group = g.group_of_row[i];
        if (row.kind != HolidayKind::kWork || !IsWeekend(row.day)) continue;
        astro::DayNumber nearest = 0;
        for (const auto& [day, marked] : marks_) {
            if (marked.group != group || marked.mark.kind != HolidayKind::kOff) continue;
            if (nearest == 0 || std::abs(day - row.day) < std::abs(nearest - row.day)) nearest = day;
        }
        marks_[row.day] = {{HolidayKind::kWork, DisplayName(row.name, nearest ? nearest : row.day)}, group};
    }
}

bool HolidayCalendar::HoldsYear(int year) const {
    return std::binary_search(table_.years.begin(), table_.years.end(), year);
}

HolidayMark HolidayCalendar::MarkOf(astro::DayNumber day) const {
    const auto it = marks_.find(day);
    return it == marks_.end() ? HolidayMark{} : it->second.mark;
}

bool HolidayCalendar::IsWorkday(astro::DayNumber day) const {
    const HolidayKind kind = MarkOf(day).kind;
    if (kind == HolidayKind::kWork) return true;
    return kind != HolidayKind::kOff && !IsWeekend(day);
}

std::vector<HolidaySpan> HolidayCalendar::SpansOf(int year) const {
    std::vector<HolidaySpan> spans;
    if (!HoldsYear(year)) return spans;
    const Grouped g = GroupRows(table_.rows);
    std::vector<std::pair<int, std::size_t>> first_span_of_group;  // group, index of its first span
    for (int group = 0; group < static_cast<int>(g.year_of_group.size()); ++group) {
        if (g.year_of_group[group] != year) continue;
        const std::size_t first = spans.size();
        std::vector<std::pair<astro::DayNumber, std::string>> work;
        for (const auto& [day, marked] : marks_) {
            if (marked.group != group) continue;
            if (marked.mark.kind == HolidayKind::kWork) {
                work.emplace_back(day, marked.mark.name);
            } else if (spans.size() > first && spans.back().last == day - 1 && spans.back().name == marked.mark.name) {
                spans.back().last = day;
            } else {
                spans.push_back({marked.mark.name, day, day, {}});
            }
        }
        // A make-up day belongs to the span of its name, else to the holiday's first span.
        for (const auto& [day, name] : work) {
            std::size_t to = first;
            for (std::size_t i = first; i < spans.size(); ++i)
                if (spans[i].name == name) to = i;
            if (to < spans.size()) spans[to].work_days.push_back(day);
        }
    }
    std::stable_sort(spans.begin(), spans.end(),
                     [](const HolidaySpan& a, const HolidaySpan& b) { return a.first < b.first; });
    return spans;
}

int HolidayCalendar::WorkdaysIn(int year) const {
    int count = 0;
    for (astro::DayNumber d = astro::DateToDayNumber(year, 1, 1), end = astro::DateToDayNumber(year + 1, 1, 1); d < end;
         ++d)
        count += IsWorkday(d);
    return count;
}

bool HolidayCalendar::AddWorkdays(astro::DayNumber from, long long count, astro::DayNumber& result) const {
    const int step = count < 0 ? -1 : 1;
    astro::DayNumber day = from;
    for (long long left = count < 0 ? -count : count; left > 0;) {
        day += step;
        if (!HoldsYear(astro::DayNumberToDate(day).year)) return false;
        if (IsWorkday(day)) --left;
    }
    result = day;
    return true;
}

namespace {

std::mutex installed_mutex;
std::shared_ptr<const HolidayCalendar>& Installed() {
    static std::shared_ptr<const HolidayCalendar> installed = std::make_shared<const HolidayCalendar>(BuiltInHolidays());
    return installed;
}

}  // namespace

std::shared_ptr<const HolidayCalendar> Holidays() {
    std::lock_guard<std::mutex> lock(installed_mutex);
    return Installed();
}

void InstallHolidays(HolidayTable table) {
    auto calendar = std::make_shared<const HolidayCalendar>(std::move(table));
    std::lock_guard<std::mutex> lock(installed_mutex);
    Installed() = std::move(calendar);
}

std::string HolidaysNotHeldText(int year) { return std::to_string(year) + "年的节假日安排尚未收录"; }

}  // namespace calendar
