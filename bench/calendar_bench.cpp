// Benchmarks of the lunisolar calendar. Run: build/bench/calendar_bench
#include <benchmark/benchmark.h>

#include "astro/day_numbers.h"
#include "calendar/day_info.h"
#include "calendar/lunar_events.h"
#include "calendar/lunar_year.h"

namespace {

using namespace calendar;

// The 200 year records of 1901..2100 from a cold start: no record and no computed event known.
void BM_Records1901To2100Cold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        ClearLunarYearCache();
        detail::ClearEventMemo();
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

}  // namespace

BENCHMARK_MAIN();
