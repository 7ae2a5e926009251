// The profiler's overhead: one sample entered and left, in nanoseconds,
// beside two reads of the cycle counter (the least any timed region costs)
// and beside std::chrono::steady_clock read twice, what a hand-made timer
// would use. The sample enters an existing node: the steady state of a game
// loop.
#include <benchmark/benchmark.h>

#include <chrono>

#include "qxcore/qxcore.h"

namespace {

const char REGION[] = "region";

void BM_ProfilerSample_Qxcore(benchmark::State& state) {
  quarn::get_cpu_speed();  // the first conversion measures the counter's rate
  for (auto _ : state) {
    quarn::profiler_sample_t sample(REGION);
    benchmark::ClobberMemory();
  }
}
BENCHMARK(BM_ProfilerSample_Qxcore);

void BM_ProfilerSample_TwoCounterReads(benchmark::State& state) {
  unsigned long long sum = 0;
  for (auto _ : state) {
    const unsigned long long start = quarn::tmr_get_cycles();
    benchmark::ClobberMemory();
    sum += quarn::tmr_get_cycles() - start;
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ProfilerSample_TwoCounterReads);

void BM_ProfilerSample_SteadyClock(benchmark::State& state) {
  std::chrono::steady_clock::duration sum{};
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    benchmark::ClobberMemory();
    sum += std::chrono::steady_clock::now() - start;
  }
  benchmark::DoNotOptimize(sum);
}
BENCHMARK(BM_ProfilerSample_SteadyClock);

}  // namespace
