#include "calendar/ancient_rules.h"

namespace calendar {

namespace {

constexpr double kL590 = 5372209.0 / 181920.0;

constexpr AncientRule kRules[] = {
    {-103, 84, -103 - 1 / 6.0, 19, 235, 1683431, 2392 / 81.0},                    // 太初历, 三统历
    {85, 237, -160 - 1 / 6.0, 19, 235, 1662611, 27759 / 940.0},                   // 四分历
    {238, 444, -3808 - 1 / 6.0, 19, 235, 330191, 134630 / 4559.0},                // 景初历
    {445, 509, 212, 19, 235, 1798541, 22207 / 752.0},                             // 元嘉历
    {510, 589, -51476 - 1 / 6.0, 391, 4836, -17080189, 116321 / 3939.0},          // 大明历
    {590, 596, -4128416 - 1 / 6.0 - 1 / 12.0, 429, 5306, -1506155749 - kL590, kL590},  // 开皇历
    {597, 618, -1427036 - 1 / 6.0, 410, 5071, -519493909, 33783 / 1144.0},        // 大业历
    {645, 665, -163722 - 1 / 6.0, 676, 8361, -58077529, 384075 / 13006.0},        // 戊寅历 with mean conjunctions
};

struct Span {
    astro::DayNumber first;
    astro::DayNumber last;
    int rule;
};

constexpr Span kSpans[] = {
    {1683462, 1752119, 0}, {1752120, 1807755, 1}, {1807756, 1883589, 2}, {1883590, 1907331, 3},
    {1907332, 1936566, 4}, {1936567, 1939106, 5}, {1939107, 1947138, 6}, {1956825, 1963941, 7},
};

}  // namespace

const AncientRule* AncientRuleForYear(int year) {
    for (const AncientRule& r : kRules)
        if (year >= r.first_year && year <= r.last_year) return &r;
    return nullptr;
}

const AncientRule* MeanLunationRule(astro::DayNumber d) { return MeanLunationRuleAt(d); }

const AncientRule* MeanLunationRuleAt(double x) {
    for (const Span& s : kSpans)
        if (x >= s.first && x <= s.last) return &kRules[s.rule];
    return nullptr;
}

}  // namespace calendar
