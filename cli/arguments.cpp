#include "cli/arguments.h"

#include <cerrno>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <regex>

#include "astro/day_numbers.h"
#include "calendar/cycles.h"
#include "calendar/holidays.h"
#include "calendar/names.h"
#include "calendar/range.h"
#include "cli/date_arg.h"
#include "text/encoding.h"
#include "tools/condition_queries.h"

namespace cli {

namespace {

std::string Range(double min, double max) {
    char text[64];
    std::snprintf(text, sizeof text, "%.15g..%.15g", min, max);
    return text;
}

// True for well-formed UTF-8: no stray or missing continuation bytes, no overlong forms, no
// surrogates, nothing above U+10FFFF.
bool IsUtf8(const std::string& text) {
    for (size_t i = 0; i < text.size();) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        const int length = c < 0x80 ? 1 : (c >> 5) == 0x6 ? 2 : (c >> 4) == 0xE ? 3 : (c >> 3) == 0x1E ? 4 : 0;
        if (length == 0 || i + length > text.size()) return false;
        unsigned long code = length == 1 ? c : c & (0x7F >> length);
        for (int k = 1; k < length; ++k) {
            const unsigned char more = static_cast<unsigned char>(text[i + k]);
            if ((more & 0xC0) != 0x80) return false;
            code = (code << 6) | (more & 0x3F);
        }
        constexpr unsigned long kLeast[] = {0, 0, 0x80, 0x800, 0x10000};
        if (code < kLeast[length] || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF)) return false;
        i += length;
    }
    return true;
}

std::string TrimmedBlanks(const std::string& text) {
    const size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return {};
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

namespace {

// Appends one character of the text at i (a whole UTF-8 sequence, or one escaped byte) and returns
// the index after it.
size_t AppendEscaped(const std::string& text, size_t i, std::string& out) {
    static const char kHex[] = "0123456789abcdef";
    auto escape = [&](unsigned char byte) {
        out += "\\x";
        out += kHex[byte >> 4];
        out += kHex[byte & 15];
    };
    const unsigned char c = static_cast<unsigned char>(text[i]);
    if (c < 0x20 || c == 0x7F) {
        escape(c);
        return i + 1;
    }
    if (c < 0x80) {
        out += static_cast<char>(c);
        return i + 1;
    }
    const size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC0 ? 2 : 0;
    if (length == 0 || i + length > text.size() || !IsUtf8(text.substr(i, length)) ||
        (c == 0xC2 && static_cast<unsigned char>(text[i + 1]) < 0xA0)) {  // C1 controls U+0080..U+009F
        escape(c);
        return i + 1;
    }
    out.append(text, i, length);
    return i + length;
}

}  // namespace

std::string Quoted(const std::string& typed) {
    constexpr int kShown = 60;
    std::string out = "'";
    size_t i = 0;
    for (int shown = 0; i < typed.size() && shown < kShown; ++shown) i = AppendEscaped(typed, i, out);
    out += "'";
    if (i < typed.size()) out += "...";
    return out;
}

std::string EscapeControls(const std::string& text) {
    std::string out;
    for (size_t i = 0; i < text.size();) {
        if (text[i] == '\n') {
            out += text[i++];
        } else {
            i = AppendEscaped(text, i, out);
        }
    }
    return out;
}

std::string CheckWholeNumber(const std::string& text, long long min, long long max, long long* value) {
    const size_t digits = text.compare(0, 1, "-") == 0 ? 1 : 0;
    if (text.size() == digits || text.find_first_not_of("0123456789", digits) != std::string::npos)
        return Quoted(text) + " is not a whole number";
    errno = 0;
    const long long n = text.size() - digits > 19 ? 0 : std::strtoll(text.c_str(), nullptr, 10);
    if (text.size() - digits > 19 || errno == ERANGE || n < min || n > max) {
        std::string range = max < kAnyWhole ? std::to_string(min) + ".." + std::to_string(max)
                            : min > -kAnyWhole ? "from " + std::to_string(min)
                                               : "";
        return Quoted(text) + " is out of range" + (range.empty() ? "" : " (" + range + ")");
    }
    if (value) *value = n;
    return {};
}

std::string CheckDecimalNumber(const std::string& text, double min, double max, double* value) {
    static const std::regex decimal("-?([0-9]+\\.?[0-9]*|\\.[0-9]+)([eE][-+]?[0-9]+)?");
    if (text.size() > 64 || !std::regex_match(text, decimal)) return Quoted(text) + " is not a number";
    const double x = std::strtod(text.c_str(), nullptr);
    if (!std::isfinite(x) || x < min || x > max) return Quoted(text) + " is out of range (" + Range(min, max) + ")";
    if (value) *value = x;
    return {};
}

int NumberOrName(const std::string& arg, int max, const char* const* names, const char* what) {
    if (arg.empty()) return 0;
    long long n = 0;
    if (CheckWholeNumber(arg, 1, max, &n).empty()) return static_cast<int>(n);
    if (names != nullptr) {
        const std::string gbk = text::Utf8ToGbk(arg);
        for (int i = 1; i <= max; ++i)
            if (gbk == names[i]) return i;
    }
    throw UsageError{Quoted(arg) + " is not " + (names ? "a number or a name of 1.." : "a whole number in 1..") +
                         std::to_string(max),
                     what};
}

int GanZhiArg(const std::string& arg, const char* what) {
    if (arg.empty()) return 0;
    const std::string gbk = text::Utf8ToGbk(arg);
    for (int i = 1; i <= 60; ++i)
        if (gbk == calendar::GanZhiName(i)) return i;
    return NumberOrName(arg, 60, nullptr, what);
}

void CheckCalendarYear(long long year, const std::string& argument) {
    if (!calendar::InCalendarRange(year))
        throw UsageError{(argument.empty() ? "the year " : "gives the year ") + YearText(year) +
                             ", outside the calendar's years " + std::to_string(calendar::kFirstCalendarYear) + ".." +
                             std::to_string(calendar::kLastCalendarYear) + " (9000 BC .. AD 9000)",
                         argument};
}

int EnteredYear(long long n, bool bc, const std::string& argument) {
    if (bc && n < 1)
        throw UsageError{"'" + std::to_string(n) + "' is no year before Christ: with --bc the year counts from 1 (1 BC)",
                         argument};
    if (bc && n > -calendar::kFirstCalendarYear + 1)
        throw UsageError{"'" + std::to_string(n) + "' with --bc is " + std::to_string(n) +
                             " BC, before the calendar's first year 9000 BC",
                         argument};
    const long long year = bc ? 1 - n : n;
    if (!calendar::InCalendarRange(year))
        throw UsageError{"'" + std::to_string(n) + "' is outside the calendar's years " +
                             std::to_string(calendar::kFirstCalendarYear) + ".." +
                             std::to_string(calendar::kLastCalendarYear) + " (9000 BC .. AD 9000)",
                         argument};
    return static_cast<int>(year);
}

QuerySpan QueryYears(long long from, bool bc, long long years) {
    if (years < 1) throw UsageError{"'" + std::to_string(years) + "' is out of range (from 1)", "--years"};
    QuerySpan span;
    span.first = EnteredYear(from, bc, "--from");
    span.cut = years > tools::kMaxQueryYears;
    span.years = static_cast<int>(span.cut ? tools::kMaxQueryYears : years);
    const long long last = static_cast<long long>(span.first) + span.years - 1;
    if (!calendar::InCalendarRange(last))
        throw UsageError{"'" + std::to_string(years) + "' reaches the year " + YearText(last) +
                             ", after the calendar's last year 9000",
                         "--years"};
    return span;
}

tools::DayCriteria DayCriteriaOf(const DayQueryOptions& o) {
    tools::DayCriteria k;
    k.solar_month = NumberOrName(o.solar_month, 12, nullptr, "--solar-month");
    k.solar_day = NumberOrName(o.solar_day, 31, nullptr, "--solar-day");
    k.lunar_month = NumberOrName(o.lunar_month, 24, nullptr, "--lunar-month");
    k.lunar_day = NumberOrName(o.lunar_day, 30, nullptr, "--lunar-day");
    k.hijri_month = NumberOrName(o.hijri_month, 12, nullptr, "--hijri-month");
    k.hijri_day = NumberOrName(o.hijri_day, 30, nullptr, "--hijri-day");
    k.ganzhi_year = GanZhiArg(o.ganzhi_year, "--ganzhi-year");
    k.ganzhi_month = GanZhiArg(o.ganzhi_month, "--ganzhi-month");
    k.ganzhi_day = GanZhiArg(o.ganzhi_day, "--ganzhi-day");
    k.weekday = NumberOrName(o.weekday, 7, calendar::WeekdayNames, "--weekday");
    k.term = NumberOrName(o.term, 24, calendar::SolarTermNames, "--term");
    k.festival = text::Utf8ToGbk(o.festival);
    return k;
}

tools::MonthCondition MonthConditionOf(const MonthQueryOptions& o) {
    if (o.leap + o.three_big + o.three_small + o.four_big != 1)
        throw UsageError{"tempo query months takes one condition: one of --leap, --three-big, --three-small, "
                         "--four-big"};
    if (o.base_month != 0 && !o.leap) throw UsageError{"does not apply without --leap", "--base-month"};
    if (o.base_month < 0 || o.base_month > 12)
        throw UsageError{"'" + std::to_string(o.base_month) + "' is out of range (1..12)", "--base-month"};
    return o.leap          ? tools::MonthCondition::kLeapMonth
           : o.three_big   ? tools::MonthCondition::kThreeBig
           : o.three_small ? tools::MonthCondition::kThreeSmall
                           : tools::MonthCondition::kFourBig;
}

IcsSpan IcsYears(long long from, long long years) {
    if (years < 1 || years > kMaxIcsYears)
        throw UsageError{"'" + std::to_string(years) + "' is out of range (1.." + std::to_string(kMaxIcsYears) + ")",
                         "--years"};
    if (from < kFirstIcsYear || from > kLastIcsYear - years + 1)
        throw UsageError{"'" + std::to_string(from) + "' gives the years " + std::to_string(from) + ".." +
                             std::to_string(from + years - 1) + ", which leave " + std::to_string(kFirstIcsYear) +
                             ".." + std::to_string(kLastIcsYear) +
                             ": iCalendar dates are Gregorian, as the calendar is only from 1582-10-15, and "
                             "libical writes no date after 3000",
                         "--from"};
    return {static_cast<int>(from), static_cast<int>(years)};
}

std::string YearRunsText(const std::vector<int>& years) {
    return years.empty() ? "none" : calendar::YearsText(years);
}

std::string CheckTitleText(const std::string& title) {
    if (title.empty()) return "the title is empty";
    if (TrimmedBlanks(title).empty()) return "the title is blank";
    if (!IsUtf8(title)) return "the title is not UTF-8 text";
    for (size_t i = 0; i < title.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(title[i]);
        // C0, DEL, and the C1 controls U+0080..U+009F (UTF-8 C2 80..C2 9F; U+009B is a terminal's CSI).
        if (c < 0x20 || c == 0x7F || (c == 0xC2 && static_cast<unsigned char>(title[i + 1]) < 0xA0))
            return "the title holds a control character";
    }
    return {};
}

std::string CheckBirthday(const std::string& entry, bool lunar, Birthday* out) {
    static const std::regex month_day("([0-9]{1,2})-([0-9]{1,2})");
    const size_t colon = entry.find(':');
    if (colon == std::string::npos) return "wants MM-DD:TITLE, e.g. 08-15:" + text::GbkToUtf8("妈妈生日");
    const std::string date = TrimmedBlanks(entry.substr(0, colon));
    std::smatch m;
    if (!std::regex_match(date, m, month_day)) return Quoted(date) + " is no month-day MM-DD";
    Birthday b;
    b.lunar = lunar;
    b.month = std::stoi(m[1].str());
    b.day = std::stoi(m[2].str());
    b.title = TrimmedBlanks(entry.substr(colon + 1));
    if (lunar) {
        if (b.month < 1 || b.month > 24)
            return "no lunar month " + std::to_string(b.month) + " in " + date +
                   " (months 1..12, a leap month as month + 12: 13..24)";
        if (b.day < 1 || b.day > 30) return "no lunar day " + std::to_string(b.day) + " in " + date + " (days 1..30)";
    } else if (b.month < 1 || b.month > 12 || b.day < 1 || !astro::IsValidDate(2000, b.month, b.day)) {
        return "no date " + date + " in any year";
    }
    if (b.title.empty()) return "the title after ':' is empty";
    const std::string why = CheckTitleText(b.title);
    if (!why.empty()) return why;
    if (out) *out = b;
    return {};
}

std::vector<Birthday> ReadBirthdays(const std::string& contents, const std::string& file_name) {
    std::vector<Birthday> out;
    size_t start = contents.compare(0, 3, "\xEF\xBB\xBF") == 0 ? 3 : 0;
    for (int number = 1; start <= contents.size(); ++number) {
        size_t end = contents.find('\n', start);
        if (end == std::string::npos) end = contents.size();
        std::string line = contents.substr(start, end - start);
        start = end + 1;
        if (!line.empty() && line.back() == '\r') line.pop_back();
        // A comment: "#" opening the line or following a blank or a tab.
        for (std::size_t hash = line.find('#'); hash != std::string::npos; hash = line.find('#', hash + 1)) {
            if (hash == 0 || line[hash - 1] == ' ' || line[hash - 1] == '\t') {
                line.resize(hash);
                break;
            }
        }
        line = TrimmedBlanks(line);
        if (line.empty()) continue;
        const std::string where = Quoted(file_name) + ":" + std::to_string(number) + ": ";
        // "--" is optional; then the kind, then blanks, tabs or "=" (blanks and tabs around it too)
        // before the entry.
        std::string rest = line.compare(0, 2, "--") == 0 ? line.substr(2) : line;
        const bool lunar = rest.compare(0, 14, "lunar-birthday") == 0;
        const bool solar = rest.compare(0, 14, "solar-birthday") == 0;
        const bool separated = rest.size() > 14 && (rest[14] == ' ' || rest[14] == '\t' || rest[14] == '=');
        if ((!lunar && !solar) || !separated)
            throw UsageError{where + "wants lunar-birthday MM-DD:TITLE or solar-birthday MM-DD:TITLE, not " +
                             Quoted(line)};
        rest = TrimmedBlanks(rest.substr(14));
        if (!rest.empty() && rest[0] == '=') rest = TrimmedBlanks(rest.substr(1));
        Birthday b;
        const std::string why = CheckBirthday(rest, lunar, &b);
        if (!why.empty()) throw UsageError{where + why};
        out.push_back(b);
    }
    return out;
}

}  // namespace cli
