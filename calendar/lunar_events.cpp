#include "calendar/lunar_events.h"

#include <algorithm>
#include <cmath>

#include "astro/events.h"
#include "astro/sun.h"
#include "calendar/ancient_rules.h"
#include "calendar/memo.h"

namespace calendar {

namespace {

using astro::JulianDay;

inline DayNumber DayOf(double chronological) { return static_cast<DayNumber>(std::floor(chronological)); }

// ---------------------------------------------------------------------------------------------
// Astronomical events, computed once each. A new or full moon is identified by its phase number
// p (new moons even, full moons odd; p = 0 is the new moon of 2000-01-06) and a solar term by its
// term number j (the Sun at 15 j degrees; j = 0 is the March equinox of 2000). Each is solved
// from a start three days before a good estimate, so the search cannot land on a neighbour. Both
// are kept in the memo: they are the same under either rule.

constexpr double kSynodicMonth = 29.530588861;
constexpr double kTropicalYear = 365.2421897;

double PhaseInstant(long long p) {
    double when = 0.0;
    if (detail::TheMemo().FindPhase(p, when)) return when;
    // Mean phase (Meeus, Astronomical Algorithms, 49.1) in TT, then to UT.
    const double k = static_cast<double>(p) / 2.0;
    const double t = k / 1236.85;
    const double jde = 2451550.09766 + kSynodicMonth * k + 0.00015437 * t * t;
    const double estimate_ut = jde - astro::DeltaTSeconds(jde) / 86400.0;
    const double target = (p % 2 == 0) ? 0.0 : 180.0;
    when = astro::ToChronological(astro::FindEventTime(estimate_ut - 3.0, target, astro::kLunarPhase));
    detail::TheMemo().KeepPhase(p, when);
    return when;
}

inline int TermLongitude(long long j) { return static_cast<int>(((j % 24) + 24) % 24) * 15; }

double TermInstant(long long j) {
    double when = 0.0;
    if (detail::TheMemo().FindTerm(j, when)) return when;
    // Uniform motion from the March equinox of 2000, then one correction by the true longitude
    // (which also absorbs Delta T and the slow change of the year far from 2000).
    double estimate_ut = 2451623.81 + static_cast<double>(j) * (kTropicalYear / 24.0);
    const double lambda = astro::SunApparentLongitude(astro::UniversalToDynamical(estimate_ut));
    estimate_ut += astro::WrapToRange(TermLongitude(j) - lambda, 0, 180) * (kTropicalYear / 360.0);
    when = astro::ToChronological(astro::FindEventTime(estimate_ut - 3.0, TermLongitude(j), astro::kSolarEvent));
    detail::TheMemo().KeepTerm(j, when);
    return when;
}

// The smallest number n of the arithmetic sequence first + step * i (i whole) whose event day is
// d or later, starting the walk from an estimate.
//
// Events of one sequence are at least min_gap days apart, so an event that falls less than
// min_gap - 1 days after d is the first: the one before it lies before d and need not be computed.
template <typename Instant>
long long FirstOnOrAfter(DayNumber d, long long estimate, long long step, double min_gap, Instant instant) {
    long long n = estimate;
    double when = instant(n);
    if (DayOf(when) >= d) {
        while (when - d >= min_gap - 1.0 && DayOf(instant(n - step)) >= d) when = instant(n -= step);
    } else {
        do when = instant(n += step);
        while (DayOf(when) < d);
    }
    return n;
}

// The shortest spacing of consecutive events: synodic months run from 29.27 to 29.84 days, the
// terms from 14.7 days (around perihelion) to 15.7, principal terms from 29.4 days.
constexpr double kMinLunationGap = 29.2;
constexpr double kMinTermGap = 14.6;

long long PhaseEstimate(DayNumber d, int parity) {
    long long p = static_cast<long long>(std::floor((d - 2451550.1) / (kSynodicMonth / 2.0)));
    if (((p % 2) + 2) % 2 != parity) ++p;
    return p;
}

// Term numbers of one kind: every term (step 1), the principal terms (even j, step 2) or one
// given term (step 24, j congruent to its longitude / 15).
long long TermEstimate(DayNumber d, long long step, int residue) {
    long long j = static_cast<long long>(std::floor((d - 2451623.81) / (kTropicalYear / 24.0)));
    const long long r = ((j - residue) % step + step) % step;
    return j - r;
}

// ---------------------------------------------------------------------------------------------
// Historical day rules for new moons.

// Days on which the official calendars opened the month with the astronomical new moon although
// the late-evening rule would have moved it (824..949).
constexpr DayNumber kNewMoonExceptions[] = {2022293, 2025571, 2026605, 2028967, 2032511, 2033220,
                                            2034047, 2036557, 2040662, 2063666, 2067977};

// The late-evening rule (进朔): a conjunction after this fraction of the day opened the month on
// the next day. The fractions are the program's single-precision values.
struct LateEveningRule {
    DayNumber first;
    DayNumber last;
    float threshold;
};
constexpr LateEveningRule kLateEvening[] = {
    {2021291, 2073176, 0.7908f},
    {2073177, 2135986, 0.8216f},
    {2135987, 2185303, 0.7980f},
    {2185304, 2188936, 0.7460f},
};

// The one-day corrections of new moons, generated from the historical month starts (620..1920).
constexpr detail::DayCorrection kNewMoonCorrections[] = {
#include "calendar/new_moon_corrections.inc"
};

// And from the official tables of the modern calendar (1901..2100): the few new moons within a
// minute of midnight that the truncated series puts on the other side of it. They hold whichever
// rule computes the ancient calendars: the modern calendar is no ancient one.
constexpr detail::DayCorrection kOfficialNewMoonCorrections[] = {
#include "calendar/official_new_moon_corrections.inc"
};

// The entry of a list for the new moon of an astronomical day, or nullptr.
template <size_t n>
const detail::DayCorrection* CorrectionOf(const detail::DayCorrection (&list)[n], DayNumber day) {
    const auto* c = std::lower_bound(std::begin(list), std::end(list), day,
                                     [](const detail::DayCorrection& e, DayNumber v) { return e.day < v; });
    return c != std::end(list) && c->day == day ? c : nullptr;
}

// Solar-term days moved by the calendars: {day, shift in days}. 23 December 104 BC, the winter
// solstice that opened the Taichu calendar, stands two days later.
constexpr detail::DayCorrection kSolarTermCorrections[] = {{1683429, 2}};

// Moves an instant to the start of the day `shift` days later, or to the last second of the day
// |shift| days earlier.
double ShiftDay(double when, int shift) {
    const DayNumber day = DayOf(when);
    if (shift > 0) return day + shift;
    return day + shift + 1.0 - 1.0 / 86400.0;
}

double CorrectTerm(double when) {
    for (const detail::DayCorrection& c : kSolarTermCorrections)
        if (c.day == DayOf(when)) return ShiftDay(when, c.shift);
    return when;
}

// ---------------------------------------------------------------------------------------------
// Historical solar terms: mean terms (平气) of the calendars in force, then from 1645 the solar
// theories of the Qing calendars, searched day by day.

struct MeanTermRow {
    DayNumber first;
    DayNumber last;
    double year;   // mean tropical year of the calendar, days
    double epoch;  // a winter-solstice instant of the calendar (chronological day value)
};

constexpr double kYear445 = 365.0 + 75 / 304.0;

constexpr MeanTermRow kMeanTerms[] = {
    {1683432, 1752098, 365.0 + 1 / 4.0, 1683431},                                           // -104-12-26 .. 84-12-25
    {1752099, 1807980, 365.0 + 1 / 4.0, 1662611},                                           // 84-12-26 .. 237-12-24
    {1807981, 1883585, 365.0 + 455 / 1843.0, 330191},                                       // 237-12-25 .. 444-12-22
    {1883586, 1907323, kYear445, 1798541 - kYear445 / 6},                                   // 444-12-23 .. 509-12-19
    {1907324, 1936543, 365.0 + 9589 / 39491.0, -17080189},                                  // 509-12-20 .. 589-12-19
    {1936544, 1939099, 365.0 + 25063 / 102960.0, -1506155749},                              // 589-12-20 .. 596-12-18
    {1939100, 1947135, 365.0 + 10363 / 42640.0, -519493909},                                // 596-12-19 .. 618-12-19
    {1947136, 1964332, 365.0 + 2315 / 9464.0, -58077529},                                   // 618-12-20 .. 666-01-18
    {1964333, 1987312, 365.0 + 328 / 1340.0, -96608689},                                    // 666-01-19 .. 728-12-18
    {1987313, 1999365, 365.0 + 743 / 3040.0, -35412747829},                                 // 728-12-19 .. 761-12-18
    {1999366, 2007400, 365.0 + 328 / 1340.0, -96608689},                                    // 761-12-19 .. 783-12-18
    {2007401, 2021279, 365.0 + 268 / 1095.0, -145149709},                                   // 783-12-19 .. 821-12-17
    {2021280, 2047212, 365.0 + 2055 / 8400.0, -2580308749},                                 // 821-12-18 .. 892-12-17
    {2047213, 2070222, 365.0 + 3301 / 13500.0, -19701911689},                               // 892-12-18 .. 955-12-17
    {2070223, 2073144, 365.0 + static_cast<double>(1760.4f) / 7200.0, -26550639529},        // 955-12-18 .. 963-12-17
    {2073145, 2080479, 365.0 + 2445 / 10002.0, -1760435869},                                // 963-12-18 .. 984-01-16
    {2080480, 2087023, 365.0 + 720 / 2940.0, -11153952409},                                 // 984-01-17 .. 1001-12-16
    {2087024, 2095059, 365.0 + 2470 / 10100.0, -259609969},                                 // 1001-12-17 .. 1023-12-17
    {2095060, 2110034, 365.0 + 2590 / 10590.0, -35629828429},                               // 1023-12-18 .. 1064-12-16
    {2110035, 2111129, 365.0 + 9500 / 39000.0, -257856109},                                 // 1064-12-17 .. 1067-12-16
    {2111130, 2114051, 365.0 + 2590 / 10590.0, -35629828429},                               // 1067-12-17 .. 1075-12-16
    {2114052, 2120625, 365.0 + 5773 / 23700.0, -30380699989},                               // 1075-12-17 .. 1093-12-15
    {2120626, 2123912, 365.0 + 2930 / 12030.0, -2169182929},                                // 1093-12-16 .. 1102-12-15
    {2123913, 2125008, 365.0 + 6840 / 28080.0, -9312230089},                                // 1102-12-16 .. 1105-12-15
    {2125009, 2135965, 365.0 + 1776 / 7290.0, -10448760934},                                // 1105-12-16 .. 1135-12-15
    {2135966, 2147653, 365.0 + 1688 / 6930.0, -34422652789},                                // 1135-12-16 .. 1167-12-15
    {2147654, 2150940, 365.0 + 7308 / 30000.0, -33470903029},                               // 1167-12-16 .. 1176-12-14
    {2150941, 2156054, 365.0 + 1374 / 5640.0, -19144640089},                                // 1176-12-15 .. 1190-12-15
    {2156055, 2158976, 365.0 + 9432 / 38700.0, -9309647509},                                // 1190-12-16 .. 1198-12-15
    {2158977, 2162264, 365.0 + 2910 / 12000.0, 758271.18},                                  // 1198-12-16 .. 1207-12-16
    {2162265, 2178334, 365.0 + 4108 / 16900.0, -2864332609},                                // 1207-12-17 .. 1251-12-15
    {2178335, 2178699, 365.0 + 857 / 3530.0, -43924711309},                                 // 1251-12-16 .. 1252-12-14
    {2178700, 2185273, 365.0 + 2366 / 9740.0, -4145566969},                                 // 1252-12-15 .. 1270-12-14
    {2185274, 2187465, 365.0 + 1801 / 7420.0, -26206955689},                                // 1270-12-15 .. 1276-12-14
    {2187466, 2188926, 365.0 + 1274 / 5230.0, -32372914549},                                // 1276-12-15 .. 1280-12-14
    {2188927, 2322133, 365.2425, 2188926.06},                                               // 1280-12-15 .. 1645-09-06
};

constexpr DayNumber kMeanTermsFirst = 1683432;
constexpr DayNumber kMeanTermsLast = 2322133;
constexpr DayNumber kTheoriesLast = 2410263;  // 1886-12-22

// Index 1..24 of the term `steps` terms after a winter solstice (index 24).
inline int IndexAfterSolstice(long long steps) {
    const int r = static_cast<int>(((steps % 24) + 24) % 24);
    return r == 0 ? 24 : r;
}

SolarTermInstant TheoryTerm(DayNumber d, bool principal_only);

// The first mean term on or after day d by the calendar in force on the term's own day: a term
// that the calendar of day d would put after that calendar's last day is the next calendar's.
SolarTermInstant MeanTerm(DayNumber d, bool principal_only) {
    const MeanTermRow* row = kMeanTerms;
    for (const MeanTermRow& r : kMeanTerms)
        if (d >= r.first && d <= r.last) row = &r;
    if (d < row->first + 4) d = row->first + 4;
    const double step = principal_only ? row->year / 12.0 : row->year / 24.0;
    const int per_step = principal_only ? 2 : 1;
    long long k = static_cast<long long>(std::floor((d + 0.5 - row->epoch) / step));
    double when = CorrectTerm(row->epoch + static_cast<double>(k) * step);
    if (DayOf(when) < d) {
        ++k;
        when = CorrectTerm(row->epoch + static_cast<double>(k) * step);
    }
    if (DayOf(when) > row->last) {
        if (row->last == kMeanTermsLast) return TheoryTerm(row->last + 1, principal_only);
        return MeanTerm(row->last + 1, principal_only);
    }
    return {when, IndexAfterSolstice(k * per_step)};
}

// The three Qing solar theories: the Sun's longitude (degrees) at a chronological day value.
double QingSunLongitude(double x, int theory) {
    const int y = astro::DayNumberToDate(DayOf(x)).year;
    double w = 0.0;
    double m = 0.0;
    double p = 0.0;
    if (theory == 1) {  // 时宪历 (1645..1683)
        w = 2315665 + 0.09375689487 + 365.2421875 * (y - 1628);
        const double w1 = std::floor(w) + 1;
        m = (3548.3304444 * (x - w1) + 3548.3304444 * (w1 - w)) / 3600.0;
        p = 5.9997222222 + 0.0125 * (y - 1628);
    } else if (theory == 2) {  // 时宪历 with the apogee of 1684..1741
        w = 2336118 + 0.656374926 + 365.2421875 * (y - 1684);
        const double w1 = std::floor(w) + 1;
        m = (3548.3305169 * (x - w1) + 3548.3305169 * (w1 - w)) / 3600.0;
        p = 7.1697685185 + static_cast<double>(0.01699f) * (y - 1684) + 0.00004652 * (x - w1);
    } else {  // 癸卯元历 (1742..1886): Kepler's ellipse
        w = 2350363 + static_cast<double>(0.12254f) + 365.24233442 * (y - 1723);
        const double w1 = std::floor(w) + 1;
        m = (3548.3290897 * (w1 - w) + 3548.3290897 * (x - w1)) / 3600.0;
        p = 0.0174993 * (y - 1723) + 0.00004791 * (x - w1) + 8.1256574074;
    }
    const double a = astro::WrapToRange(m - p, 180, 180);  // mean anomaly from the apogee
    constexpr double rad = astro::DegreesToRadians;
    double true_longitude = 0.0;
    if (theory != 3) {
        // The equation of centre of the Tychonic model: an eccentric circle with an epicycle.
        const double b = a < 90 ? a : a < 180 ? 180 - a : a < 270 ? a - 180 : 360 - a;
        const double k = 2.0 * 268812.0 / 3.0;
        const double big_x = 2.0 * k * std::sin(b * rad);
        const double v = k * std::cos(b * rad);
        const double z = (a >= 90 && a < 270) ? 10000000 + v : 10000000 - v;
        const double q = std::atan(big_x / z) / rad;
        true_longitude = (a >= 180 && a < 360) ? m - q : m + q;
    } else {
        const double b = a < 180 ? a : 360 - a;
        const double c = (180 - b) / 2;
        const double e1 =
            2 * (c - std::atan(std::tan(c * rad) * (20000000.0 - 2 * 169000.0) / (20000000.0 + 2 * 169000.0)) / rad);
        double f = std::fabs(b - std::atan(std::tan(b * rad) * 10000000.0 / 9998571.85) / rad);
        f -= 180 * std::floor(f / 180);
        const double g = (a >= 90 && a < 270) ? e1 - f : e1 + f;
        true_longitude = a < 180 ? m + g : m - g;
    }
    return astro::WrapToRange(true_longitude + 270, 180, 180);
}

SolarTermInstant TheoryTerm(DayNumber d, bool principal_only) {
    const int theory = d <= 2336118 ? 1 : d <= 2357303 ? 2 : 3;
    const double step = principal_only ? 30.0 : 15.0;
    const double l0 = QingSunLongitude(d, theory);
    const auto index_of = [](double longitude) {
        return astro::SolarTermIndex(static_cast<int>(std::lround(longitude)) % 360);
    };
    if (std::fmod(l0, step) == 0.0) return {static_cast<double>(d), index_of(l0)};
    const double target = (std::floor(l0 / step) + 1) * step;
    // A term of either kind lies within 16 days, but the next principal term can be 31 days away,
    // so the search runs for up to 35 days.
    for (DayNumber day = d; day <= d + 35; ++day) {
        const double la = QingSunLongitude(day, theory);
        double lb = QingSunLongitude(day + 1, theory);
        if (target == 360.0) {
            // The crossing of 0 degrees: compare with the wrapped value.
            if (la > 180 && lb < 180) {
                lb += 360;
                if (la < target && target <= lb) return {day + (target - la) / (lb - la), index_of(0)};
            }
        } else if (la < target && target <= lb) {
            return {day + (target - la) / (lb - la), index_of(target)};
        }
    }
    // The Sun moves about a degree a day, so a term is always found; this is reached only for
    // broken input.
    return {static_cast<double>(d), 0};
}

// The astronomical term k (1..24) whose day is d or later.
double AstronomicalTermK(DayNumber d, int k) {
    const int residue = astro::SolarTermLongitude(k) / 15;
    const long long j = FirstOnOrAfter(d, TermEstimate(d, 24, residue), 24, 24 * kMinTermGap, TermInstant);
    return TermInstant(j);
}

}  // namespace

Rule CurrentRule() { return detail::TheMemo().rule(); }

bool ModernCalculateAncientFlag() { return CurrentRule() == Rule::kModern; }

void detail::SetRule(Rule rule) { TheMemo().set_rule(rule); }

double detail::AstronomicalNewMoon(DayNumber d) {
    return PhaseInstant(FirstOnOrAfter(d, PhaseEstimate(d, 0), 2, kMinLunationGap, PhaseInstant));
}

double detail::AstronomicalFullMoon(DayNumber d) {
    return PhaseInstant(FirstOnOrAfter(d, PhaseEstimate(d, 1), 2, kMinLunationGap, PhaseInstant));
}

SolarTermInstant detail::AstronomicalTerm(DayNumber d, bool principal_only) {
    const long long step = principal_only ? 2 : 1;
    const long long j = FirstOnOrAfter(d, TermEstimate(d, step, 0), step, step * kMinTermGap, TermInstant);
    return {TermInstant(j), astro::SolarTermIndex(TermLongitude(j))};
}

const detail::DayCorrection* detail::NewMoonCorrections(int& count) {
    count = static_cast<int>(std::size(kNewMoonCorrections));
    return kNewMoonCorrections;
}

detail::HistoricalNewMoon detail::UncorrectedHistoricalNewMoon(DayNumber d) {
    if (const AncientRule* rule = MeanLunationRule(d)) {
        // Mean conjunctions (平朔) of the calendar in force.
        const double k = std::floor((d - rule->a) / rule->l);
        const double x = rule->a + k * rule->l;
        return {std::floor(x) >= d ? x : rule->a + (k + 1) * rule->l, false};
    }
    const double t = AstronomicalNewMoon(d);
    const DayNumber day = DayOf(t);
    if (std::binary_search(std::begin(kNewMoonExceptions), std::end(kNewMoonExceptions), day)) return {t, false};
    for (const LateEveningRule& rule : kLateEvening)
        if (d >= rule.first && d <= rule.last && t - day > static_cast<double>(rule.threshold))
            return {static_cast<double>(day + 1), false};
    return {t, true};
}

DayNumber NewMoonDay(DayNumber d, Rule rule) {
    const bool modern = rule == Rule::kModern;
    const detail::HistoricalNewMoon h =
        modern ? detail::HistoricalNewMoon{detail::AstronomicalNewMoon(d), true} : detail::UncorrectedHistoricalNewMoon(d);
    if (!h.correctable) return DayOf(h.when);
    const DayNumber day = DayOf(h.when);
    const detail::DayCorrection* c = CorrectionOf(kOfficialNewMoonCorrections, day);
    if (c == nullptr && !modern) c = CorrectionOf(kNewMoonCorrections, day);
    return c ? DayOf(ShiftDay(h.when, c->shift)) : day;
}

DayNumber LastNewMoonDay(DayNumber d, Rule rule) {
    const DayNumber x = NewMoonDay(d - 10, rule);
    return x <= d ? x : NewMoonDay(x - 40, rule);
}

DayNumber FullMoonDay(DayNumber d) { return DayOf(detail::AstronomicalFullMoon(d)); }

SolarTermInstant NextSolarTerm(DayNumber d, bool principal_only, Rule rule) {
    if (rule == Rule::kHistorical) {
        if (d >= kMeanTermsFirst && d <= kMeanTermsLast) return MeanTerm(d, principal_only);
        if (d > kMeanTermsLast && d <= kTheoriesLast) return TheoryTerm(d, principal_only);
        SolarTermInstant s = detail::AstronomicalTerm(d, principal_only);
        s.when = CorrectTerm(s.when);
        return s;
    }
    return detail::AstronomicalTerm(d, principal_only);
}

DayNumber SolarTermDay(DayNumber d, int k, Rule rule) {
    k = std::clamp(k, 1, 24);
    if (rule == Rule::kModern) return DayOf(AstronomicalTermK(d, k));
    const DayNumber a = DayOf(CorrectTerm(AstronomicalTermK(d, k)));
    if (a >= 1683438 && a <= kTheoriesLast) {
        // The calendar's own term lies within a few days of the true one.
        DayNumber r = DayOf(NextSolarTerm(a - 5, false, Rule::kHistorical).when);
        if (r < d) r = DayOf(NextSolarTerm(a - 5 + 360, false, Rule::kHistorical).when);
        return r;
    }
    return a;
}

int HasPrincipalTerm(DayNumber first, DayNumber last, Rule rule) {
    const DayNumber day = DayOf(NextSolarTerm(first, true, rule).when);
    return day >= first && day <= last ? 1 : 0;
}

int CurrentSolarTerm(DayNumber n) {
    const SolarTermInstant s = NextSolarTerm(n, false);
    if (DayOf(s.when) > n) return s.index == 1 ? 24 : s.index - 1;
    return s.index;
}

}  // namespace calendar
