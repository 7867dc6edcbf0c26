// Benchmarks of the lunisolar calendar. Run: build/bench/calendar_bench
#include <benchmark/benchmark.h>

#include "astro/day_numbers.h"
#include "calendar/day_info.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"
#include "calendar/memo.h"
#include "tools/condition_queries.h"

namespace {

using namespace calendar;

// The 200 year records of 1901..2100 from a cold start: no record and no computed event known.
void BM_Records1901To2100Cold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        detail::TheMemo().Forget();
        state.ResumeTiming();
        for (int y = 1901; y <= 2100; ++y) benchmark::DoNotOptimize(LunarYearRecord(y));
    }
}
BENCHMARK(BM_Records1901To2100Cold)->Unit(benchmark::kMillisecond);

// Every day of 1901..2100 (73,049 days) converted to its lunar date, records cached.
void BM_SolarToLunar1901To2100Warm(benchmark::State& state) {
    const astro::DayNumber first = astro::DateToDayNumber(1901, 1, 1);
    const astro::DayNumber last = astro::DateToDayNumber(2100, 12, 31);
    for (int y = 1900; y <= 2100; ++y) LunarYearRecord(y);
    for (auto _ : state) {
        for (astro::DayNumber n = first; n <= last; ++n) {
            const astro::CalendarDate d = astro::DayNumberToDate(n);
            benchmark::DoNotOptimize(SolarToLunarDate(d.year, d.month, d.day));
        }
    }
    state.counters["days"] = last - first + 1;
}
BENCHMARK(BM_SolarToLunar1901To2100Warm)->Unit(benchmark::kMillisecond);

// The information line of a day with festivals, terms and periods, events warm.
void BM_InformationLine(benchmark::State& state) {
    astro::DayNumber n = astro::DateToDayNumber(2024, 1, 1);
    for (auto _ : state) {
        const astro::CalendarDate d = astro::DayNumberToDate(n);
        benchmark::DoNotOptimize(InformationLine(d.year, d.month, d.day, 0, -116.38, 39.90));
        n = n == astro::DateToDayNumber(2024, 12, 31) ? astro::DateToDayNumber(2024, 1, 1) : n + 1;
    }
}
BENCHMARK(BM_InformationLine);

// A condition-day query over 100 years with every criterion set (nothing matches all of them, so
// every criterion is evaluated for every day).
void BM_QueryDays100YearsAllCriteria(benchmark::State& state) {
    tools::DayCriteria c;
    c.solar_month = 1;
    c.solar_day = 1;
    c.lunar_month = 1;
    c.lunar_day = 1;
    c.hijri_month = 1;
    c.hijri_day = 1;
    c.ganzhi_year = 1;
    c.ganzhi_month = 1;
    c.ganzhi_day = 1;
    c.weekday = 1;
    c.term = 1;
    c.festival = "春节";
    for (auto _ : state) benchmark::DoNotOptimize(tools::QueryDays(1900, 100, c, 0));
}
BENCHMARK(BM_QueryDays100YearsAllCriteria)->Unit(benchmark::kMillisecond);

// A condition-month query over 100 years from a cold start (records and events to compute).
void BM_QueryMonths100YearsCold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        detail::TheMemo().Forget();
        state.ResumeTiming();
        benchmark::DoNotOptimize(tools::QueryMonths(1900, 100, tools::MonthCondition::kThreeBig, 0));
    }
}
BENCHMARK(BM_QueryMonths100YearsCold)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
