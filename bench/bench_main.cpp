// Benchmark main: the library runs on malloc-backed hooks, as in a host.
#include <benchmark/benchmark.h>

#include <cstdlib>

#include "qxcore/core/lifecycle.h"

namespace {
void* allocate(unsigned int size) { return std::malloc(size == 0 ? 1 : size); }
void release(void* p) { std::free(p); }
}  // namespace

int main(int argc, char** argv) {
  quarn::qxcore_init(allocate, allocate, release, release, 0x40000002);
  benchmark::Initialize(&argc, argv);
  if (benchmark::ReportUnrecognizedArguments(argc, argv)) return 1;
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  quarn::qxcore_shutdown();
  return 0;
}
