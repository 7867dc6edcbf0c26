// Benchmarks of the engine's hot paths. Run: build/bench/astro_bench
#include <benchmark/benchmark.h>

#include <cmath>
#include <cstddef>

#include "astro/day_numbers.h"
#include "astro/events.h"
#include "astro/moon.h"
#include "astro/sun.h"
#include "astro/vsop_series.h"
#include "astro/sun_times.h"

namespace {

using namespace astro;

// The reference for the cost of one solar longitude: the bare sum of its 716 cosine terms (the
// kept L, B and R rows), with the same layout and cosine as the program and nothing else.
TEMPO_SERIES_CLONES __attribute__((noinline)) double Bare716(double tau) {
    using namespace detail;
    return SumSeries(kL0, tau) + SumSeries(kL1, tau) + SumSeries(kL2, tau) + SumSeries(kL3, tau) +
           SumSeries(kL4, tau) + SumSeries(kL5, tau) + SumSeries(kB0, tau) + SumSeries(kB1, tau) +
           SumSeries(kB2, tau) + SumSeries(kB3, tau) + SumSeries(kB4, tau) + SumSeries(kR0, tau) +
           SumSeries(kR1, tau) + SumSeries(kR2, tau) + SumSeries(kR3, tau) + SumSeries(kR4, tau) +
           SumSeries(kR5, tau);
}

void BM_Bare716CosineTerms(benchmark::State& state) {
    double jd = 2451545.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(Bare716((jd - 2451545.0) / 365250.0));
        jd += 0.37;
    }
}
BENCHMARK(BM_Bare716CosineTerms);

// The same terms summed row by row with the C library's cosine, for comparison.
template <std::size_t N>
double LibrarySum(const VsopTerm (&rows)[N], double tau) {
    double s = 0.0;
    for (std::size_t i = 0; i < N; ++i) s += rows[i].a * std::cos(rows[i].b + rows[i].c * tau);
    return s;
}

void BM_Bare716LibraryCosines(benchmark::State& state) {
    double jd = 2451545.0;
    for (auto _ : state) {
        const double tau = (jd - 2451545.0) / 365250.0;
        benchmark::DoNotOptimize(
            LibrarySum(kEarthL0, tau) + LibrarySum(kEarthL1, tau) + LibrarySum(kEarthL2, tau) +
            LibrarySum(kEarthL3, tau) + LibrarySum(kEarthL4, tau) + LibrarySum(kEarthL5, tau) +
            LibrarySum(kEarthB0, tau) + LibrarySum(kEarthB1, tau) + LibrarySum(kEarthB2, tau) +
            LibrarySum(kEarthB3, tau) + LibrarySum(kEarthB4, tau) + LibrarySum(kEarthR0, tau) +
            LibrarySum(kEarthR1, tau) + LibrarySum(kEarthR2, tau) + LibrarySum(kEarthR3, tau) +
            LibrarySum(kEarthR4, tau) + LibrarySum(kEarthR5, tau));
        jd += 0.37;
    }
}
BENCHMARK(BM_Bare716LibraryCosines);

void BM_SunApparentLongitude(benchmark::State& state) {
    double jd = 2451545.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(SunApparentLongitude(jd));
        jd += 0.37;
    }
}
BENCHMARK(BM_SunApparentLongitude);

void BM_MoonLongitude(benchmark::State& state) {
    double jd = 2451545.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(MoonLongitude(jd));
        jd += 0.37;
    }
}
BENCHMARK(BM_MoonLongitude);

void BM_NutationInLongitude(benchmark::State& state) {
    double jd = 2451545.0;
    for (auto _ : state) {
        benchmark::DoNotOptimize(NutationInLongitude(jd));
        jd += 0.37;
    }
}
BENCHMARK(BM_NutationInLongitude);

void BM_FindEventTime_SolarTerm(benchmark::State& state) {
    int year = 1900;
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindEventTime(DateToDayNumber(year, 3, 1), 0.0, kSolarEvent));
        year = year == 2100 ? 1900 : year + 1;
    }
}
BENCHMARK(BM_FindEventTime_SolarTerm);

void BM_FindEventTime_NewMoon(benchmark::State& state) {
    double start = DateToDayNumber(2000, 1, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(FindEventTime(start, 0.0, kLunarPhase));
        start += 29.530588 * 7.3;
    }
}
BENCHMARK(BM_FindEventTime_NewMoon);

void BM_SunEventTime(benchmark::State& state) {
    DayNumber n = DateToDayNumber(2024, 1, 1);
    for (auto _ : state) {
        benchmark::DoNotOptimize(SunEventTime(n, -116.38, 39.90, 8, kSunrise));
        n = n + 1;
    }
}
BENCHMARK(BM_SunEventTime);

// Every solar term and every new and full moon of 1900..2100, followed one after the other the
// way the yearly tables do: each search starts a few days after the previous event.
void BM_AllEventsOf1900To2100(benchmark::State& state) {
    for (auto _ : state) {
        int count = 0;
        const JulianDay begin = DateToDayNumber(1900, 1, 1) - 0.5;
        const JulianDay end = DateToDayNumber(2101, 1, 1) - 0.5;
        int target = 285;
        for (JulianDay t = FindEventTime(begin, target, kSolarEvent); t < end;
             t = FindEventTime(t + 10.0, target, kSolarEvent)) {
            target = (target + 15) % 360;
            ++count;
        }
        int phase = EventResidual(begin, 180.0, kLunarPhase) < 180.0 ? 180 : 0;
        for (JulianDay t = FindEventTime(begin, phase, kLunarPhase); t < end;
             t = FindEventTime(t + 5.0, phase, kLunarPhase)) {
            phase = 180 - phase;
            ++count;
        }
        benchmark::DoNotOptimize(count);
        state.counters["events"] = count;
    }
}
BENCHMARK(BM_AllEventsOf1900To2100)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
