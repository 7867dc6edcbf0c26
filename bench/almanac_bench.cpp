// Benchmarks of the almanac. Run: build/bench/almanac_bench
#include <benchmark/benchmark.h>

#include "almanac/almanac.h"
#include "almanac/choosing.h"
#include "astro/day_numbers.h"
#include "calendar/memo.h"

namespace {

using namespace almanac;

// Choosing the wedding days (嫁娶) of a hundred years, 2000..2099, one year at a time as `tempo
// almanac --find 结婚 --days 366` does: from a cold start (no solar term known), and warm.
void ChooseHundredYears() {
    const std::vector<int> wedding = ActivitiesOfWord("结婚");
    for (int y = 2000; y < 2100; ++y)
        benchmark::DoNotOptimize(ChooseDays(wedding, astro::DateToDayNumber(y, 1, 1), 366, -1));
}

void BM_ChooseHundredYearsCold(benchmark::State& state) {
    for (auto _ : state) {
        state.PauseTiming();
        calendar::detail::TheMemo().Forget();
        state.ResumeTiming();
        ChooseHundredYears();
    }
}
BENCHMARK(BM_ChooseHundredYearsCold)->Unit(benchmark::kMillisecond);

void BM_ChooseHundredYearsWarm(benchmark::State& state) {
    ChooseHundredYears();
    for (auto _ : state) ChooseHundredYears();
}
BENCHMARK(BM_ChooseHundredYearsWarm)->Unit(benchmark::kMillisecond);

// The whole almanac of one day (pillars, spirits, 宜/忌, hours), warm.
void BM_DayAlmanac(benchmark::State& state) {
    astro::DayNumber n = astro::DateToDayNumber(2024, 1, 1);
    for (auto _ : state) {
        const astro::CalendarDate d = astro::DayNumberToDate(n);
        benchmark::DoNotOptimize(DayAlmanacOf(d.year, d.month, d.day));
        benchmark::DoNotOptimize(YiJiOf(SpiritsOfDay(n)));
        n = n + 1 > astro::DateToDayNumber(2024, 12, 31) ? astro::DateToDayNumber(2024, 1, 1) : n + 1;
    }
}
BENCHMARK(BM_DayAlmanac)->Unit(benchmark::kMicrosecond);

}  // namespace

BENCHMARK_MAIN();
