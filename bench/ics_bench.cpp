// Benchmark of `tempo ics`. Run: build/bench/ics_bench
#include <benchmark/benchmark.h>

#include <string>

#include "calendar/memo.h"
#include "cli/ics.h"

namespace {

// A hundred years with the terms, the festivals, the month starts and ten birthdays (lunar ones
// with leap months and 30ths, solar ones with 02-29), from a cold start: no event or record known.
void BM_Ics100YearsEverythingCold(benchmark::State& state) {
    cli::IcsRequest request;
    request.span = cli::IcsYears(2000, 100);
    request.terms = request.festivals = request.months = true;
    const char* entries[] = {"08-15:a", "08-30:b", "14-10:c", "12-30:d", "01-01:e",
                           "17-30:f", "06-06:g", "09-09:h", "02-29:i", "12-25:j"};
    for (int i = 0; i < 10; ++i) {
        cli::Birthday b;
        cli::CheckBirthday(entries[i], i < 8, &b);
        request.birthdays.push_back(b);
    }
    request.name = "bench";
    size_t bytes = 0;
    for (auto _ : state) {
        state.PauseTiming();
        calendar::detail::TheMemo().Forget();
        state.ResumeTiming();
        const std::string file = cli::IcsCalendar(request);
        bytes = file.size();
        benchmark::DoNotOptimize(file.data());
    }
    state.counters["bytes"] = static_cast<double>(bytes);
}
BENCHMARK(BM_Ics100YearsEverythingCold)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
