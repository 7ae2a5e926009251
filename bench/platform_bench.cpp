// Platform services side by side with what a host would otherwise use:
// - CRC-32 and Adler-32 against zlib, on 4 KiB and 1 MiB;
// - mm_memcpy against the C library's memcpy, 64 B to 64 MiB;
// - the pixel streams on 1 M pixels, the bound SSE2 routines against the
//   plain default_rgb_stream_* versions.
#include <benchmark/benchmark.h>
#include <zlib.h>

#include <cstring>
#include <random>
#include <vector>

#include "qxcore/qxcore.h"

namespace {

std::vector<unsigned char> random_bytes(std::size_t n) {
  std::mt19937 rng(1);
  std::vector<unsigned char> bytes(n);
  for (auto& b : bytes) b = static_cast<unsigned char>(rng());
  return bytes;
}

void BM_Crc32_Qxcore(benchmark::State& state) {
  auto data = random_bytes(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(quarn::crc32(data.data(), static_cast<unsigned int>(data.size())));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_Crc32_Zlib(benchmark::State& state) {
  auto data = random_bytes(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(::crc32(0, data.data(), static_cast<uInt>(data.size())));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_Adler32_Qxcore(benchmark::State& state) {
  auto data = random_bytes(state.range(0));
  for (auto _ : state) {
    quarn::adler32_t sum;
    sum.compute(data.data(), static_cast<unsigned int>(data.size()));
    benchmark::DoNotOptimize(sum.value());
  }
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
void BM_Adler32_Zlib(benchmark::State& state) {
  auto data = random_bytes(state.range(0));
  for (auto _ : state)
    benchmark::DoNotOptimize(::adler32(1, data.data(), static_cast<uInt>(data.size())));
  state.SetBytesProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_Crc32_Qxcore)->Arg(4 << 10)->Arg(1 << 20);
BENCHMARK(BM_Crc32_Zlib)->Arg(4 << 10)->Arg(1 << 20);
BENCHMARK(BM_Adler32_Qxcore)->Arg(4 << 10)->Arg(1 << 20);
BENCHMARK(BM_Adler32_Zlib)->Arg(4 << 10)->Arg(1 << 20);

// A host reaches memcpy through the dynamic linker's table, mm_memcpy through
// its variable: each call here loads its target from memory likewise.
void* (*volatile libc_memcpy)(void*, const void*, std::size_t) = std::memcpy;

// Source and destination start one and three bytes past a line, as copies
// out of packed data do.
template <bool QXCORE>
void BM_Copy(benchmark::State& state) {
  const std::size_t n = state.range(0);
  std::vector<unsigned char> source = random_bytes(n + 64), target(n + 64);
  for (auto _ : state) {
    if constexpr (QXCORE)
      quarn::mm_memcpy(target.data() + 1, source.data() + 3, static_cast<unsigned int>(n));
    else
      libc_memcpy(target.data() + 1, source.data() + 3, n);
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(state.iterations() * n);
}
void BM_Copy_Qxcore(benchmark::State& state) { BM_Copy<true>(state); }
void BM_Copy_Libc(benchmark::State& state) { BM_Copy<false>(state); }
BENCHMARK(BM_Copy_Qxcore)->Arg(64)->Arg(4 << 10)->Arg(1 << 20)->Arg(64 << 20);
BENCHMARK(BM_Copy_Libc)->Arg(64)->Arg(4 << 10)->Arg(1 << 20)->Arg(64 << 20);

constexpr unsigned int PIXELS = 1 << 20;

struct pixels_t {
  std::vector<unsigned int> a, b, d;
  pixels_t() : a(PIXELS), b(PIXELS), d(PIXELS) {
    std::mt19937 rng(2);
    for (unsigned int i = 0; i < PIXELS; ++i) {
      a[i] = rng();
      b[i] = rng();
    }
  }
};

// op: 0 add, 1 add_noalpha, 2 scale, 3 scale_const, 4 scaled_add, 5 scaled_add_noalpha.
void run_stream(int op, bool sse2, pixels_t& p) {
  unsigned int* d = p.d.data();
  const unsigned int *a = p.a.data(), *b = p.b.data();
  switch (op) {
    case 0:
      (sse2 ? quarn::rgb_stream_add : quarn::default_rgb_stream_add)(d, a, b, PIXELS);
      break;
    case 1:
      (sse2 ? quarn::rgb_stream_add_noalpha : quarn::default_rgb_stream_add_noalpha)(d, a, b,
                                                                                     PIXELS);
      break;
    case 2:
      (sse2 ? quarn::rgb_stream_scale : quarn::default_rgb_stream_scale)(d, a, b, PIXELS);
      break;
    case 3:
      (sse2 ? quarn::rgb_stream_scale_const : quarn::default_rgb_stream_scale_const)(
          d, a, 0x80C0FF40u, PIXELS);
      break;
    case 4:
      (sse2 ? quarn::rgb_stream_scaled_add : quarn::default_rgb_stream_scaled_add)(d, a, b, 160,
                                                                                   PIXELS);
      break;
    default:
      (sse2 ? quarn::rgb_stream_scaled_add_noalpha : quarn::default_rgb_stream_scaled_add_noalpha)(
          d, a, b, 160, PIXELS);
  }
}

template <bool SSE2>
void BM_Stream(benchmark::State& state) {
  // The bound variables are the SSE2 routines only when detection found SSE2.
  if (SSE2 && !(quarn::identify_cpu() & quarn::CPU_FEATURE_SSE2)) {
    state.SkipWithError("no SSE2");
    return;
  }
  pixels_t pixels;
  const int op = static_cast<int>(state.range(0));
  for (auto _ : state) {
    run_stream(op, SSE2, pixels);
    benchmark::ClobberMemory();
  }
  state.SetItemsProcessed(state.iterations() * PIXELS);
}
void BM_Stream_Sse2(benchmark::State& state) { BM_Stream<true>(state); }
void BM_Stream_Plain(benchmark::State& state) { BM_Stream<false>(state); }
BENCHMARK(BM_Stream_Sse2)->DenseRange(0, 5);
BENCHMARK(BM_Stream_Plain)->DenseRange(0, 5);

}  // namespace
